// The result pictures: the stage-clear and game-over boards that fade in on the seabed ahead of the player
// (seen about 1.17 times wider than their textures), and the two result words that nothing shows.
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

constexpr float kResultFactor = 1.17f;

void DrawSmallStar(Canvas& c, float cx, float cy, float r, float turn) {
    std::vector<float> poly;
    for (int i = 0; i < 10; ++i) {
        float rr = (i % 2 == 0) ? r : r * 0.45f, a = -kPi * 0.5f + turn + i * kPi / 5;
        poly.push_back(cx + rr * std::cos(a));
        poly.push_back(cy + rr * std::sin(a));
    }
    Mask star = c.ShapeMask([poly, r](float x, float y) { return SdPolygon(x, y, poly) - r * 0.08f; });
    c.Fill(star.Grown(1.5f).Blurred(3.0f), Hex(0xFFE27A), 0.8f);
    c.Fill(star.Grown(1.4f), Hex(0x6A3500));
    c.Fill(star, Linear(0, cy - r, Hex(0xFFF6B8), 0, cy + r, Hex(0xFFA726)));
}

void MakeClear(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 128, kResultFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 64, cx - 6, 56, 22.0f, Hex(0xFFE27A));
    TextStyle s;
    s.top = Hex(0xFFFBD0);
    s.bottom = Hex(0xFFB42E);
    s.outline = Hex(0x7A3A00);
    s.outlineWidth = 2.4f;
    s.outer = Hex(0x241000);
    s.outerWidth = 1.8f;
    s.glow = Hex(0xFFE27A, 0.7f);
    s.glowRadius = 6.0f;
    s.gloss = 0.4f;
    const std::string text = "Stage clear!";
    float size = 52;
    float tw = TextWidth(fonts.bold, text, size, s);
    if (tw > w - 70) size *= (w - 70) / tw;
    DrawText(c, fonts.bold, text, cx, 64, size, s);
    DrawSmallStar(c, 20, 40, 13, 0.2f);
    DrawSmallStar(c, w - 20, 88, 13, -0.2f);
    DrawSmallStar(c, 30, 94, 7, 0.5f);
    DrawSmallStar(c, w - 30, 32, 7, -0.4f);
    SavePng(c, 256, 128, path);
}

void MakeDead(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 128, kResultFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 64, cx - 6, 56, 22.0f, Hex(0xFF9AAB));
    TextStyle s;
    s.top = Hex(0xFFD9D2);
    s.bottom = Hex(0xD8364B);
    s.outline = Hex(0x4A0816);
    s.outlineWidth = 2.4f;
    s.outer = Hex(0x14020A);
    s.outerWidth = 1.8f;
    s.glow = Hex(0xFF5D73, 0.45f);
    s.glowRadius = 6.0f;
    s.gloss = 0.3f;
    const std::string text = "Game over";
    float size = 56;
    float tw = TextWidth(fonts.bold, text, size, s);
    if (tw > w - 60) size *= (w - 60) / tw;
    DrawText(c, fonts.bold, text, cx, 62, size, s);
    const float bubbles[][3] = {
        {18, 30, 5}, {26, 16, 3}, {w - 22, 98, 4.5f}, {w - 14, 84, 2.8f}, {w - 26, 110, 2.2f}};
    for (const auto& b : bubbles)
        DrawBubble(c, b[0], b[1], b[2], 0.9f);
    SavePng(c, 256, 128, path);
}

void MakeWord(const std::string& path, const Fonts& fonts, const std::string& text) {
    Canvas c = DesignCanvas(256, 128, kResultFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 64, cx - 6, 56, 22.0f, Hex(0xA6F4FF));
    TextStyle s;
    s.top = Hex(0xF2FFFF);
    s.bottom = Hex(0x35C6E6);
    s.outline = Hex(0x0D4F7C);
    s.outlineWidth = 2.4f;
    s.outer = Hex(0x03203D);
    s.outerWidth = 1.8f;
    s.glow = Hex(0x5FF0FF, 0.6f);
    s.glowRadius = 5.0f;
    s.gloss = 0.4f;
    DrawText(c, fonts.bold, text, cx, 64, 56, s);
    SavePng(c, 256, 128, path);
}

} // namespace

void MakeResultImages(const std::string& dir, const Fonts& fonts) {
    MakeClear(dir + "/gameover/clear.png", fonts);
    MakeDead(dir + "/gameover/dead.png", fonts);
    MakeWord(dir + "/gameover/result.png", fonts, "Result");
    MakeWord(dir + "/gameover/score.png", fonts, "Score");
}

} // namespace assetgen
