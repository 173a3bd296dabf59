// The pictures drawn flat over the game's frame: the "Paused" board over a paused stage and the pieces of
// the volume indicator (a card with the speaker and ten empty slots, a lit slot, the cross of mute).
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

const Colour kRim = Hex(0xA6F4FF);

void DrawPauseBars(Canvas& c, float cx, float cy, float h) {
    for (float dx : {-h * 0.22f, h * 0.22f}) {
        Mask bar = c.ShapeMask(
            [=](float x, float y) { return SdRoundRect(x, y, cx + dx, cy, h * 0.12f, h * 0.5f, h * 0.06f); });
        c.Fill(bar.Grown(1.6f), Hex(0x06304C));
        c.Fill(bar, Linear(0, cy - h * 0.5f, Hex(0xF2FFFF), 0, cy + h * 0.5f, Hex(0x6FDCF0)));
    }
}

void MakePaused(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 128);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 64, cx - 6, 56, 22.0f, kRim);
    const float textX = cx + 16;
    TextStyle s; // paler than the result boards: the game is only resting
    s.top = Hex(0xFFFFFF);
    s.bottom = Hex(0x8CE3F2);
    s.outline = Hex(0x0B4468);
    s.outlineWidth = 2.2f;
    s.outer = Hex(0x021A30);
    s.outerWidth = 1.6f;
    s.glow = Hex(0x9AF6FF, 0.45f);
    s.glowRadius = 4.0f;
    s.gloss = 0.35f;
    const float tw = TextWidth(fonts.bold, "Paused", 48, s);
    DrawText(c, fonts.bold, "Paused", textX, 52, 48, s);
    DrawPauseBars(c, textX - tw * 0.5f - 22, 52, 34);
    TextStyle small;
    small.top = Hex(0xDDF9FF);
    small.bottom = Hex(0xA9E6F5);
    small.outline = Hex(0x03203D);
    small.outlineWidth = 1.2f;
    DrawText(c, fonts.bold, "P  resume      Esc  title", cx, 96, 15, small);
    SavePng(c, 256, 128, path);
}

// The speaker: a box and a cone facing right, and two waves in front of it.
void DrawSpeaker(Canvas& c, float cx, float cy) {
    const std::vector<float> cone = {cx - 8, cy - 5,  cx - 3, cy - 5, cx + 4, cy - 11,
                                     cx + 4, cy + 11, cx - 3, cy + 5, cx - 8, cy + 5};
    Mask body = c.ShapeMask([cone](float x, float y) { return SdPolygon(x, y, cone) - 0.6f; });
    Mask waves = c.NewMask();
    for (float r : {7.0f, 12.0f})
        waves.AddSdf([=](float x, float y) {
            const float ring = std::fabs(SdCircle(x, y, cx, cy, r)) - 1.0f;
            return std::max(ring, (cx + 5.0f) - x); // only the arc in front of the cone
        });
    body.Union(waves);
    c.Fill(body.Grown(1.0f), Hex(0x03203D));
    c.Fill(body, Linear(0, cy - 11, Hex(0xF2FFFF), 0, cy + 11, Hex(0x8FE8F8)));
}

// A slot of the level: its rounded bar, in the slot's colours.
void DrawSlot(Canvas& c, float cx, float cy, Colour top, Colour bottom, float glow) {
    Mask slot = c.ShapeMask([=](float x, float y) { return SdRoundRect(x, y, cx, cy, 4.6f, 11.6f, 2.0f); });
    if (glow > 0) c.Fill(slot.Blurred(1.2f), Hex(0x5FF0FF), glow);
    c.Fill(slot, Linear(0, cy - 12, top, 0, cy + 12, bottom));
}

void MakeVolume(const std::string& path) {
    Canvas c = DesignCanvas(256, 64);
    // The card, (0, 0) to (200, 48), with the speaker and ten empty slots 14 apart from x = 52.
    DrawCard(c, 100, 24, 95, 20, 12.0f, kRim);
    DrawSpeaker(c, 24, 24);
    for (int i = 0; i < 10; ++i)
        DrawSlot(c, 57 + 14.0f * i, 24, Hex(0x0B3550), Hex(0x082840), 0.0f);
    // The lit slot, (216, 12) to (226, 36).
    DrawSlot(c, 221, 24, Hex(0xE8FFFF), Hex(0x3FC8E8), 0.0f);
    // The cross of mute, (228, 12) to (252, 36).
    Mask cross = c.ShapeMask([](float x, float y) {
        return std::min(SdSegment(x, y, 233, 17, 247, 31), SdSegment(x, y, 247, 17, 233, 31)) - 2.4f;
    });
    c.Fill(cross.Grown(1.4f), Hex(0x2A0008));
    c.Fill(cross, Linear(0, 14, Hex(0xFFB3BE), 0, 34, Hex(0xE8344E)));
    SavePng(c, 256, 64, path);
}

} // namespace

void MakeComfortImages(const std::string& dir, const Fonts& fonts) {
    MakePaused(dir + "/game/paused.png", fonts);
    MakeVolume(dir + "/game/volume.png");
}

} // namespace assetgen
