// Soft translucent textures of living things: the jellies' tentacles, the anemone's tentacles, the wakame
// seaweed and the ivy vine.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

// A lens-shaped leaf from (bx, by) to its tip, `length` long and `halfWidth` wide, at `angle` radians.
float SdLeaf(float x, float y, float bx, float by, float angle, float length, float halfWidth) {
    float dx = x - bx, dy = y - by, c = std::cos(angle), s = std::sin(angle);
    float lx = dx * c + dy * s, ly = -dx * s + dy * c;
    float r = (length * length * 0.25f + halfWidth * halfWidth) / (2 * halfWidth), d = r - halfWidth;
    return std::max(SdCircle(lx, ly, length * 0.5f, -d, r), SdCircle(lx, ly, length * 0.5f, d, r));
}

// The jellies' tentacle ribbon: the root is at the top (v = 0), the tip fades out before v = 0.95. Luminous
// like the bell: a glowing aqua sheath round a white core with beads of stinging cells, soft at its edges.
void MakeTentacle(const std::string& path) {
    Canvas c = DesignCanvas(16, 64);
    // Narrow in its 2-unit ribbon: a still jelly's ribbons stand on edge and show only as short lines.
    auto halfWidth = [](float y) { return 3.8f - 2.0f * Clamp01(y / 60.0f); };
    auto fade = [](float y) { return 1.0f - Smoothstep(30.0f, 59.0f, y); };
    Mask body = c.NewMask();
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            float px = (x + 0.5f) / c.Unit(), py = (y + 0.5f) / c.Unit();
            float across = std::fabs(px - 8.0f) / halfWidth(py);
            body.At(x, y) = (1.0f - Smoothstep(0.4f, 1.0f, across)) * fade(py);
        }
    c.Fill(body, Linear(0, 0, Hex(0xB8F6FF), 0, 60, Hex(0x7FD8FF)), 0.85f);
    Mask core = c.NewMask();
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            float px = (x + 0.5f) / c.Unit(), py = (y + 0.5f) / c.Unit();
            float across = std::fabs(px - 8.0f) / (halfWidth(py) * 0.45f);
            core.At(x, y) = (1.0f - Smoothstep(0.3f, 1.0f, across)) * fade(py);
        }
    c.Fill(core, Hex(0xFFFFFF), 0.95f);
    for (int k = 0; k < 7; ++k) {
        float by = 5.0f + k * 7.5f, r = 1.5f - k * 0.12f;
        c.FillSdf([=](float x, float y) { return SdCircle(x, y, 8.0f, by, r); },
                  Radial(8.0f - r * 0.3f, by - r * 0.3f, r * 1.3f, Hex(0xFFFFFF), Hex(0xE0C4FF)),
                  0.9f * fade(by));
    }
    SavePng(c, 16, 64, path);
}

// The anemone's tentacle: its tip at the top, its root at the bottom. A tapering tube, violet at the root,
// pink along the body, with a glowing pale tip, faint rings and a lit left side.
void MakeAnemoneTentacle(const std::string& path) {
    const float factor = 0.65f; // the ribbon is drawn about 4 units wide and 13 long in the game
    Canvas c = DesignCanvas(32, 64, factor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    auto halfWidth = [=](float y) { return 2.4f + (w * 0.4f - 2.4f) * Smoothstep(2.0f, 64.0f, y); };
    Sdf tube = [=](float x, float y) {
        float side = std::fabs(x - cx) - halfWidth(y);
        float top = 3.0f - y;
        return std::max(side, top);
    };
    Sdf tip = [=](float x, float y) { return SdEllipse(x, y, cx, 5.6f, 3.3f, 3.4f); };
    Mask body = c.ShapeMask([=](float x, float y) { return std::min(tube(x, y), tip(x, y)); });
    c.Fill(body, [=](float x, float y) {
        float t = Clamp01((y - 4.0f) / 60.0f);
        Colour base = t < 0.5f ? Mix(Hex(0xFF9BD2), Hex(0xE0509E), t * 2)
                               : Mix(Hex(0xE0509E), Hex(0x7A2A8C), t * 2 - 1);
        float across = (x - cx) / halfWidth(y); // -1 .. 1
        float lit = 1.0f - 0.45f * Smoothstep(-0.4f, 1.0f, across) - 0.2f * Smoothstep(-0.6f, -1.0f, across);
        float ring = 0.92f + 0.08f * std::sin(y * 1.3f);
        Colour col = Mix(Hex(0x000000), base, lit * ring);
        return WithAlpha(col, 0.93f);
    });
    Mask glow = c.ShapeMask(tip).Blurred(1.2f);
    glow.Intersect(c.ShapeMask([](float, float y) { return 1.5f - y; })); // the top row stays clear
    c.Fill(glow, Hex(0xFFF0FA), 0.9f);
    Mask stripe = c.ShapeMask([=](float x, float y) {
        return std::max(std::fabs(x - (cx - halfWidth(y) * 0.35f)) - halfWidth(y) * 0.12f, 9.0f - y);
    });
    stripe.Intersect(body);
    c.Fill(stripe, Linear(0, 8, Hex(0xFFFFFF, 0.5f), 0, 64, Hex(0xFFFFFF, 0.05f)));
    SavePng(c, 32, 64, path);
}

// A wakame blade, its tip at the top and its stalk at the bottom: broad ruffled lobes around a midrib,
// olive green where the light passes through, browner towards the stalk.
void MakeWakame(const std::string& path) {
    const float factor = 1.77f; // the strip is drawn 20 units wide and about 22 long, slanting to the camera
    Canvas c = DesignCanvas(64, 128, factor);
    const float w = DesignWidth(c), cx = w * 0.5f;
    auto profile = [=](float y) {
        float t = Clamp01(y / 128.0f);
        float broad =
            std::sin(std::min(1.0f, t * 1.25f) * kPi); // 0 at the tip, widest a third of the way down
        float lobes = 0.78f + 0.22f * std::fabs(std::sin(t * kPi * 5.5f));
        return std::max(3.0f, (w * 0.46f) * std::pow(broad, 0.7f) * lobes);
    };
    Sdf blade = [=](float x, float y) {
        float sway = 3.0f * std::sin(y * 0.09f);
        float ruffle = 1.6f * std::sin(y * 0.55f + (x < cx ? 0.0f : 1.7f));
        float d = std::fabs(x - cx - sway) - (profile(y) + ruffle);
        return std::max(d, std::max(2.0f - y, y - 126.5f));
    };
    Mask body = c.ShapeMask(blade);
    c.Fill(body, [=](float x, float y) {
        float t = Clamp01(y / 128.0f);
        Colour top = Hex(0xA9C25A), mid = Hex(0x6E8B2E), low = Hex(0x4F4A1E);
        Colour col = t < 0.55f ? Mix(top, mid, t / 0.55f) : Mix(mid, low, (t - 0.55f) / 0.45f);
        float sway = 3.0f * std::sin(y * 0.09f);
        float across = std::fabs(x - cx - sway) / std::max(profile(y), 1.0f);
        float vein = 0.5f + 0.5f * std::sin((y + std::fabs(x - cx - sway) * 0.9f) * 0.7f);
        col = Mix(col, Hex(0x2F3A12), 0.10f * vein * Smoothstep(0.2f, 0.9f, across));
        col = Mix(col, Hex(0xD8E89A), 0.25f * (1 - Smoothstep(0.0f, 0.5f, across)) * (1 - t));
        return WithAlpha(col, 0.86f + 0.1f * Smoothstep(0.3f, 1.0f, across));
    });
    Mask rib = c.ShapeMask([=](float x, float y) {
        float sway = 3.0f * std::sin(y * 0.09f);
        return std::max(std::fabs(x - cx - sway) - (1.0f + 1.6f * Clamp01(y / 128.0f)), 6.0f - y);
    });
    c.Fill(rib, Linear(0, 0, Hex(0xE3EFA8), 0, 128, Hex(0x6A5A22)), 0.8f);
    SavePng(c, 64, 128, path);
}

// A piece of vine along the x axis: a wavy stem with pointed leaves on both sides.
void MakeIvy(const std::string& path) {
    Canvas c = DesignCanvas(256, 64);
    auto stemY = [](float x) { return 32.0f + 5.0f * std::sin(x * 2 * kPi / 128.0f); };
    Mask stem = c.ShapeMask([=](float x, float y) { return std::fabs(y - stemY(x)) - 2.2f; });
    Mask leaves = c.NewMask();
    Mask veins = c.NewMask();
    for (int k = 0; k < 9; ++k) {
        float bx = 14.0f + k * 28.0f, by = stemY(bx);
        float side = (k % 2 == 0) ? -1.0f : 1.0f;
        float angle = side * (0.9f + 0.15f * std::sin(k * 2.1f));
        float len = 25.0f + 3.0f * std::sin(k * 1.7f);
        leaves.AddSdf([=](float x, float y) { return SdLeaf(x, y, bx, by, angle, len, 8.5f); });
        float tx = bx + std::cos(angle) * len * 0.85f, ty = by + std::sin(angle) * len * 0.85f;
        veins.AddSdf([=](float x, float y) { return SdSegment(x, y, bx, by, tx, ty) - 0.5f; });
    }
    Mask all = stem;
    all.Union(leaves);
    c.Fill(all.Grown(0.8f).Blurred(0.6f), Hex(0x12300F), 0.7f);
    c.Fill(stem, Linear(0, 26, Hex(0x8A7B3A), 0, 38, Hex(0x4C4420)));
    c.Fill(leaves, Linear(0, 8, Hex(0x8FD16A), 0, 56, Hex(0x2E7A35)));
    veins.Intersect(leaves);
    c.Fill(veins, Hex(0xC9F2A0), 0.7f);
    SavePng(c, 256, 64, path);
}

} // namespace

void MakeCreatureImages(const std::string& dir) {
    MakeTentacle(dir + "/game/tentacle.png");
    MakeAnemoneTentacle(dir + "/game/anemone_tentacle.png");
    MakeWakame(dir + "/game/wakame.png");
    MakeIvy(dir + "/game/ivy.png");
}

} // namespace assetgen
