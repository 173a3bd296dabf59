// The stage's boards that lie flat on the seabed ahead of the player: the movement keys hint, the mouse hint
// and the back-to-title button. The camera looks down on them at about 45 degrees from behind, so each is
// drawn in the proportions the player sees (wider than the texture by `factor`) and squeezed into its
// texture; the top of each picture is the far edge of its board.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

constexpr float kHintFactor = 1.15f; // 40 x 40 boards 30 units ahead
constexpr float kBackFactor = 0.92f; // the 30 x 15 button beside and behind the player

TextStyle HintText() {
    TextStyle s;
    s.top = Hex(0xFFFFFF);
    s.bottom = Hex(0xBDF4FF);
    s.outline = Hex(0x04182B);
    s.outlineWidth = 2.2f;
    s.glow = Hex(0x5FF0FF, 0.35f);
    s.glowRadius = 4.0f;
    return s;
}

// A key cap seen from above: a pale top face on a darker skirt, with its letter.
void DrawKeycap(Canvas& c, const Font& font, const std::string& letter, float cx, float cy, float half) {
    Mask skirt = c.ShapeMask([=](float x, float y) { return SdRoundRect(x, y, cx, cy + 3, half, half, 9); });
    c.Fill(skirt.Grown(1.0f).Shifted(0, 3).Blurred(3.0f), Hex(0x000A14), 0.6f);
    c.Fill(skirt.Grown(1.6f), Hex(0x0B1A26));
    c.Fill(skirt, Linear(0, cy - half, Hex(0xA9BDCB), 0, cy + half + 3, Hex(0x55697A)));
    Mask top = c.ShapeMask(
        [=](float x, float y) { return SdRoundRect(x, y, cx, cy - 2, half - 5.5f, half - 7.5f, 7); });
    c.Fill(top, Linear(0, cy - half, Hex(0xFFFFFF), 0, cy + half, Hex(0xD3E3EE)));
    TextStyle s;
    s.top = Hex(0x123A5C);
    s.bottom = Hex(0x0A2238);
    DrawText(c, font, letter, cx, cy - 2, half * 1.15f, s);
}

void MakeKeys(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 256, kHintFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 128, cx - 8, 120, 24.0f, Hex(0xA6F4FF));
    const float half = 29, step = 68;
    DrawKeycap(c, fonts.bold, "W", cx, 72, half);
    DrawKeycap(c, fonts.bold, "A", cx - step, 142, half);
    DrawKeycap(c, fonts.bold, "S", cx, 142, half);
    DrawKeycap(c, fonts.bold, "D", cx + step, 142, half);
    DrawText(c, fonts.bold, "to swim", cx, 207, 40, HintText());
    SavePng(c, 256, 256, path);
}

// A mouse seen from above, its left button lit, with little rays of a click; "Aim and hold / to shoot".
void MakeMouse(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 256, kHintFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 128, cx - 8, 120, 24.0f, Hex(0xA6F4FF));
    const float mx = cx, my = 88, halfW = 33, halfH = 50, split = my - 6;
    auto body = [=](float x, float y) { return SdRoundRect(x, y, mx, my, halfW, halfH, 32); };
    // Cord from the front of the mouse towards the far edge of the board, fading out there.
    const float cordEnd = 12;
    Mask cord = c.ShapeMask([=](float x, float y) {
        if (y > my - halfH + 4 || y < cordEnd - 3) return 1e3f;
        float t = Clamp01((my - halfH - y) / (my - halfH - cordEnd));
        float xc = mx + 12 * std::sin(t * 4.2f);
        return std::fabs(x - xc) - 2.2f;
    });
    Paint cordFade = [=](float, float y) { return Hex(0xC9D7E0, Smoothstep(cordEnd - 2, cordEnd + 14, y)); };
    c.Fill(cord.Grown(1.2f), [=](float x, float y) { return WithAlpha(Hex(0x04182B), cordFade(x, y).a); });
    c.Fill(cord, cordFade);
    Mask shell = c.ShapeMask(body);
    c.Fill(shell.Grown(1.0f).Shifted(0, 3).Blurred(3.0f), Hex(0x000A14), 0.6f);
    c.Fill(shell.Grown(1.8f), Hex(0x0B1A26));
    c.Fill(shell, Linear(mx - halfW, 0, Hex(0xF4F8FB), mx + halfW, 0, Hex(0xB7C6D2)));
    Mask left = c.ShapeMask(
        [=](float x, float y) { return std::max(body(x, y) + 3.0f, std::max(x - (mx - 1.5f), y - split)); });
    Mask right = c.ShapeMask(
        [=](float x, float y) { return std::max(body(x, y) + 3.0f, std::max((mx + 1.5f) - x, y - split)); });
    c.Fill(right, Linear(0, my - halfH, Hex(0xE4ECF2), 0, split, Hex(0xC3D0DA)));
    c.Fill(left.Grown(2.0f).Blurred(4.0f), Hex(0x5FF0FF), 0.9f);
    c.Fill(left, Linear(0, my - halfH, Hex(0xC8FCFF), 0, split, Hex(0x27B8DC)));
    c.FillSdf([=](float x, float y) { return SdRoundRect(x, y, mx, split - 16, 3.2f, 8, 3.2f); },
              Solid(Hex(0x3C5566)));
    // Click rays beside the lit button.
    for (int k = 0; k < 3; ++k) {
        float a = kPi * (1.05f + 0.22f * k);
        float x0 = mx - 20 + std::cos(a) * 30, y0 = my - 34 + std::sin(a) * 30;
        float x1 = mx - 20 + std::cos(a) * 42, y1 = my - 34 + std::sin(a) * 42;
        Mask ray = c.ShapeMask([=](float x, float y) { return SdSegment(x, y, x0, y0, x1, y1) - 2.2f; });
        c.Fill(ray.Grown(1.2f), Hex(0x04182B));
        c.Fill(ray, Hex(0x8FF7FF));
    }
    TextStyle s = HintText();
    DrawText(c, fonts.bold, "Aim and hold", cx, 175, 34, s);
    DrawText(c, fonts.bold, "to shoot", cx, 215, 34, s);
    SavePng(c, 256, 256, path);
}

// The result screen's button back to the title: an aqua button with a back arrow and its label.
void MakeBack(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 128, kBackFactor);
    const float w = DesignWidth(c), cy = 62;
    PanelStyle panel; // deeper than the title's buttons: white letters on it read on bright sand
    panel.top = Hex(0x2AAFD0);
    panel.bottom = Hex(0x0B4C70);
    panel.edgeWidth = 1.6f;
    DrawPanel(c, w * 0.5f, cy, w * 0.5f - 8, 40, 24, panel);
    const float ax = 36;
    std::vector<float> poly = {ax - 14, cy,      ax + 2, cy - 16, ax + 2, cy - 7, ax + 16,
                               cy - 7,  ax + 16, cy + 7, ax + 2,  cy + 7, ax + 2, cy + 16};
    Mask arrow = c.ShapeMask([poly](float x, float y) { return SdPolygon(x, y, poly) - 1.5f; });
    c.Fill(arrow.Grown(1.6f), Hex(0x06304C));
    c.Fill(arrow, Hex(0xFFFFFF));
    TextStyle s = ButtonText();
    s.outlineWidth = 1.8f;
    s.shadow = Hex(0x021626, 0.5f);
    const std::string label = "Back to title";
    const float left = ax + 24, right = w - 22;
    DrawText(c, fonts.bold, label, (left + right) * 0.5f, cy, FitSize(fonts.bold, label, 30, right - left, s),
             s);
    SavePng(c, 256, 128, path);
}

} // namespace

void MakeHintImages(const std::string& dir, const Fonts& fonts) {
    MakeKeys(dir + "/game/key.png", fonts);
    MakeMouse(dir + "/game/mouse.png", fonts);
    MakeBack(dir + "/game/esc.png", fonts);
}

} // namespace assetgen
