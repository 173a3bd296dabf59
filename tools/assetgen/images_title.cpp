// The title screen's pictures. They lie in the water in front of the title camera, which sees some of them
// foreshortened or tilted; each is drawn in the proportions the player sees and squeezed into its texture
// (the factor is how much wider the board looks than its texture's own aspect).
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

// "Brinewisp" in glassy aqua letters with a deep-sea outline and a cyan glow, bubbles rising beside it and a
// wave under it. The logo board is seen 1.5 times wider than its texture.
void MakeLogo(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 128, 1.51f);
    const float w = DesignWidth(c);
    TextStyle s;
    s.top = Hex(0xF2FFFF);
    s.bottom = Hex(0x35C6E6);
    s.outline = Hex(0x0D4F7C);
    s.outlineWidth = 2.6f;
    s.outer = Hex(0x03203D);
    s.outerWidth = 2.4f;
    s.glow = Hex(0x5FF0FF, 0.75f);
    s.glowRadius = 5.5f;
    s.gloss = 0.45f;
    s.tracking = 1.0f;
    const std::string text = "Brinewisp";
    float size = FitSize(fonts.bold, text, 92.0f, w - 44.0f, s);
    // The wave under the letters, drawn first so that the letters overlap it.
    Mask wave = c.ShapeMask([=](float x, float y) {
        float t = (x - w * 0.5f) / (w * 0.36f);
        float thick = 2.2f * Clamp01(1.0f - t * t);
        float yc = 104.0f + 3.2f * std::sin(x * 0.085f);
        return std::max(std::fabs(y - yc) - thick, std::fabs(t) - 1.0f);
    });
    c.Fill(wave.Grown(1.2f).Blurred(1.5f), Hex(0x5FF0FF), 0.6f);
    c.Fill(wave, Hex(0xE6FFFF));
    DrawText(c, fonts.bold, text, w * 0.5f, 60.0f, size, s);
    const float bubbles[][3] = {{w - 15, 40, 7.0f}, {w - 8, 20, 4.5f}, {w - 20, 9, 3.0f},
                                {14, 88, 6.0f},     {8, 70, 3.6f},     {18, 58, 2.5f}};
    for (const auto& b : bubbles)
        DrawBubble(c, b[0], b[1], b[2], 1.0f);
    SavePng(c, 256, 128, path);
}

// "Click to start", white with a cyan glow; the prompt is seen about as wide as its texture.
void MakeClick(const std::string& path, const Fonts& fonts) {
    Canvas c = DesignCanvas(256, 64, 0.88f);
    const float w = DesignWidth(c);
    TextStyle s;
    s.top = Hex(0xFFFFFF);
    s.bottom = Hex(0xC8F6FF);
    s.outline = Hex(0x0A3558);
    s.outlineWidth = 2.0f;
    s.glow = Hex(0x6FF3FF, 0.7f);
    s.glowRadius = 4.0f;
    s.tracking = 0.6f;
    const std::string text = "Click to start";
    DrawText(c, fonts.bold, text, w * 0.5f, 32.0f, FitSize(fonts.bold, text, 38.0f, w - 20.0f, s), s);
    SavePng(c, 256, 64, path);
}

// A rounded button with a label. The design is `factor` times the texture's aspect (2:1) wide.
void MakeButton(const std::string& path, const Fonts& fonts, const std::string& label, float factor,
                const PanelStyle& panel, float textSize, float stretchX = 1.0f) {
    Canvas c = DesignCanvas(128, 64, factor);
    const float w = DesignWidth(c), h = DesignHeight(c);
    const float halfW = w * 0.5f - 5.0f, halfH = h * 0.5f - 9.0f;
    DrawPanel(c, w * 0.5f, h * 0.5f - 1.0f, halfW, halfH, std::min(halfH, 14.0f), panel);
    TextStyle s = ButtonText();
    s.stretchX = stretchX;
    float size = FitSize(fonts.bold, label, textSize, halfW * 2 - 12.0f, s);
    DrawText(c, fonts.bold, label, w * 0.5f, h * 0.5f - 1.0f, size, s);
    SavePng(c, 128, 64, path);
}

// A chunky arrow pointing right (the left arrow is this picture mirrored).
void MakeArrow(const std::string& path) {
    Canvas c = DesignCanvas(64, 64, 0.92f);
    const float w = DesignWidth(c), cx = w * 0.5f;
    // Shaft and head as one polygon, rounded by 2.5 units.
    std::vector<float> poly = {cx - 18, 25,     cx + 2, 25,     cx + 2, 12,      cx + 22,
                               32,      cx + 2, 52,     cx + 2, 39,     cx - 18, 39};
    Sdf arrow = [poly](float x, float y) { return SdPolygon(x, y, poly) - 2.5f; };
    Mask body = c.ShapeMask(arrow);
    c.Fill(body.Grown(2.0f).Blurred(3.0f), Hex(0x5FF0FF), 0.8f);
    c.Fill(body.Grown(1.6f), Hex(0x06304C));
    c.Fill(body, Linear(0, 12, Hex(0x9BF6FF), 0, 52, Hex(0x1C8DB8)));
    Mask rim = c.ShapeMask([arrow](float x, float y) { return std::fabs(arrow(x, y) + 0.7f) - 0.7f; });
    c.Fill(rim, Hex(0xF0FFFF));
    Mask sheen = c.ShapeMask([poly](float x, float y) { return SdPolygon(x, y, poly) + 1.0f; });
    sheen.Intersect(c.ShapeMask([](float, float y) { return y - 31.0f; }));
    c.Fill(sheen, Hex(0xFFFFFF), 0.3f);
    SavePng(c, 64, 64, path);
}

// A golden five-pointed star with rounded points, a pale rim, a warm glow and a sparkle.
void MakeStar(const std::string& path) {
    Canvas c = DesignCanvas(256, 256);
    const float cx = 128, cy = 134, outer = 100, inner = 44;
    std::vector<float> poly;
    for (int i = 0; i < 10; ++i) {
        float r = (i % 2 == 0) ? outer : inner, a = -kPi * 0.5f + i * kPi / 5;
        poly.push_back(cx + r * std::cos(a));
        poly.push_back(cy + r * std::sin(a));
    }
    Sdf star = [poly](float x, float y) { return SdPolygon(x, y, poly) - 9.0f; };
    Mask body = c.ShapeMask(star);
    c.Fill(body.Grown(4.0f).Blurred(8.0f), Hex(0xFFE27A), 0.7f);
    c.Fill(body.Grown(4.0f), Hex(0x7A3F00));
    c.Fill(body, Linear(0, 30, Hex(0xFFF3A6), 0, 230, Hex(0xFF9A1F)));
    // Facets: the half of each point that faces the light is brighter.
    Mask facets = c.NewMask();
    for (int i = 0; i < 5; ++i) {
        float a = -kPi * 0.5f + i * 2 * kPi / 5, b = a + kPi / 5;
        std::vector<float> tri = {cx,
                                  cy,
                                  cx + (outer + 12) * std::cos(a),
                                  cy + (outer + 12) * std::sin(a),
                                  cx + (inner + 12) * std::cos(b),
                                  cy + (inner + 12) * std::sin(b)};
        facets.AddSdf([tri](float x, float y) { return SdPolygon(x, y, tri); });
    }
    facets.Intersect(body);
    c.Fill(facets, Hex(0xFFFFFF), 0.22f);
    Mask rim = c.ShapeMask([star](float x, float y) { return std::fabs(star(x, y) + 2.5f) - 2.5f; });
    c.Fill(rim, Hex(0xFFFBE0), 0.9f);
    // Sparkle on the upper left point.
    const float sx = cx - 30, sy = cy - 38;
    Mask sparkle = c.ShapeMask([=](float x, float y) {
        float d1 =
            std::max(std::fabs(x - sx) - 2.0f * Clamp01(1 - std::fabs(y - sy) / 18), std::fabs(y - sy) - 18);
        float d2 =
            std::max(std::fabs(y - sy) - 2.0f * Clamp01(1 - std::fabs(x - sx) / 18), std::fabs(x - sx) - 18);
        return std::min(d1, d2);
    });
    c.Fill(sparkle.Blurred(0.8f), Hex(0xFFFFFF));
    c.FillSdf([=](float x, float y) { return SdCircle(x, y, sx, sy, 4.0f); }, Solid(Hex(0xFFFFFF)));
    SavePng(c, 256, 256, path);
}

} // namespace

void MakeTitleImages(const std::string& dir, const Fonts& fonts) {
    MakeLogo(dir + "/title/logo.png", fonts);
    MakeClick(dir + "/title/click.png", fonts);
    PanelStyle start; // aqua; seen square although its texture is 2:1
    MakeButton(dir + "/title/start.png", fonts, "START", 0.5f, start, 21.0f, 0.8f);
    PanelStyle exitStyle; // coral; tilted towards the camera, seen at 4:3
    exitStyle.top = Hex(0xFF9E80);
    exitStyle.bottom = Hex(0xC4452F);
    exitStyle.rim = Hex(0xFFE9DF);
    exitStyle.edge = Hex(0x3D0E06);
    MakeButton(dir + "/title/exit.png", fonts, "EXIT", 0.67f, exitStyle, 26.0f);
    PanelStyle option; // sea green; never shown, kept with the set
    option.top = Hex(0x8FE3B0);
    option.bottom = Hex(0x2E8A68);
    option.edge = Hex(0x0B2E22);
    MakeButton(dir + "/title/option.png", fonts, "OPTION", 0.67f, option, 22.0f);
    MakeArrow(dir + "/title/arrow.png");
    MakeStar(dir + "/title/star.png");
}

} // namespace assetgen
