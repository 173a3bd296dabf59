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

// How a result board looks: the rim of its card; its letters' fill from the top of the capitals to the
// baseline, their outline and the wider dark line round it, their glow (alpha is its strength) and its
// radius, and their gloss.
struct BoardLook {
    Colour rim, top, bottom, outline, outer, glow;
    float glowRadius, gloss;
};

// A result board's card and its line of text, centred on (the middle, cy), `size` large or smaller so as to
// leave `margin` beside it in all.
Canvas ResultBoard(const Fonts& fonts, const std::string& text, float size, float margin, float cy,
                   const BoardLook& look) {
    Canvas c = DesignCanvas(256, 128, kResultFactor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    DrawCard(c, cx, 64, cx - 6, 56, 22.0f, look.rim);
    TextStyle s;
    s.top = look.top;
    s.bottom = look.bottom;
    s.outline = look.outline;
    s.outlineWidth = 2.4f;
    s.outer = look.outer;
    s.outerWidth = 1.8f;
    s.glow = look.glow;
    s.glowRadius = look.glowRadius;
    s.gloss = look.gloss;
    DrawText(c, fonts.bold, text, cx, cy, FitSize(fonts.bold, text, size, w - margin, s), s);
    return c;
}

// Golden "Stage clear!" among little stars.
void MakeClear(const std::string& path, const Fonts& fonts) {
    const BoardLook look{Hex(0xFFE27A), Hex(0xFFFBD0),       Hex(0xFFB42E), Hex(0x7A3A00),
                         Hex(0x241000), Hex(0xFFE27A, 0.7f), 6.0f,          0.4f};
    Canvas c = ResultBoard(fonts, "Stage clear!", 52, 70, 64, look);
    const float w = DesignWidth(c);
    DrawSmallStar(c, 20, 40, 13, 0.2f);
    DrawSmallStar(c, w - 20, 88, 13, -0.2f);
    DrawSmallStar(c, 30, 94, 7, 0.5f);
    DrawSmallStar(c, w - 30, 32, 7, -0.4f);
    SavePng(c, 256, 128, path);
}

// Coral red "Game over" among rising bubbles.
void MakeDead(const std::string& path, const Fonts& fonts) {
    const BoardLook look{Hex(0xFF9AAB), Hex(0xFFD9D2),        Hex(0xD8364B), Hex(0x4A0816),
                         Hex(0x14020A), Hex(0xFF5D73, 0.45f), 6.0f,          0.3f};
    Canvas c = ResultBoard(fonts, "Game over", 56, 60, 62, look);
    const float w = DesignWidth(c);
    const float bubbles[][3] = {
        {18, 30, 5}, {26, 16, 3}, {w - 22, 98, 4.5f}, {w - 14, 84, 2.8f}, {w - 26, 110, 2.2f}};
    for (const auto& b : bubbles)
        DrawBubble(c, b[0], b[1], b[2], 0.9f);
    SavePng(c, 256, 128, path);
}

// An aqua word alone.
void MakeWord(const std::string& path, const Fonts& fonts, const std::string& text) {
    const BoardLook look{Hex(0xA6F4FF), Hex(0xF2FFFF),       Hex(0x35C6E6), Hex(0x0D4F7C),
                         Hex(0x03203D), Hex(0x5FF0FF, 0.6f), 5.0f,          0.4f};
    SavePng(ResultBoard(fonts, text, 56, 60, 64, look), 256, 128, path);
}

} // namespace

void MakeResultImages(const std::string& dir, const Fonts& fonts) {
    MakeClear(dir + "/gameover/clear.png", fonts);
    MakeDead(dir + "/gameover/dead.png", fonts);
    MakeWord(dir + "/gameover/result.png", fonts, "Result");
    MakeWord(dir + "/gameover/score.png", fonts, "Score");
}

} // namespace assetgen
