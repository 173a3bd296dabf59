// Effect pictures: the light blob of shadows and glows, the fade's black, the ring cursor, the sand puff.
#include <cmath>

#include "tools/assetgen/images.h"

namespace assetgen {
namespace {

// A white blob whose alpha falls smoothly from the centre to nothing well inside the border: tinted black by
// vertex colours it is a soft shadow, tinted with a colour it is a glow.
void MakeLight(const std::string& path) {
    Canvas c = DesignCanvas(128, 128);
    c.Generate([](float x, float y) {
        float r = std::hypot(x - 64.0f, y - 64.0f) / 62.0f;
        float t = Clamp01(1.0f - r * r);
        return Hex(0xFFFFFF, t * t);
    });
    SavePng(c, 128, 128, path);
}

void MakeBlack(const std::string& path) {
    Canvas c = DesignCanvas(8, 4);
    c.Generate([](float, float) { return Hex(0x000000); });
    SavePng(c, 8, 4, path);
}

// A ring: a bright white core fading to cyan at its edges, a thin dark line on each side so that it reads on
// pale sand, and a soft cyan halo. The centre is clear, so it also serves as the expanding ring effects.
void MakeCursor(const std::string& path) {
    Canvas c = DesignCanvas(32, 32);
    const float cx = 16, cy = 16, r = 10.8f;
    auto ring = [=](float half) {
        return [=](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, r)) - half; };
    };
    Mask halo = c.ShapeMask(ring(1.6f)).Blurred(1.6f);
    halo.Intersect(
        c.ShapeMask([=](float x, float y) { return SdCircle(x, y, cx, cy, 14.5f); }).Blurred(0.5f));
    c.Fill(halo, Hex(0x7FF6FF), 0.85f);
    c.FillSdf(ring(2.1f), Solid(Hex(0x06324A)), 0.45f);
    c.FillSdf(ring(1.45f), [=](float x, float y) {
        float d = std::fabs(SdCircle(x, y, cx, cy, r));
        return Mix(Hex(0xFFFFFF), Hex(0x9CF8FF), Smoothstep(0.2f, 1.45f, d));
    });
    SavePng(c, 32, 32, path);
}

// A puff of sand: a cluster of soft lumps, brighter on top, with darker grains, fading out towards the edges.
void MakeDust(const std::string& path) {
    Canvas c = DesignCanvas(128, 128);
    ImageRng rng(4242);
    Mask cloud = c.NewMask();
    for (int i = 0; i < 9; ++i) {
        float a = 6.2831853f * i / 9 + rng.Range(-0.3f, 0.3f), d = rng.Range(10, 24), rad = rng.Range(15, 22);
        float bx = 64 + std::cos(a) * d, by = 64 + std::sin(a) * d;
        cloud.AddSdf([=](float x, float y) { return SdCircle(x, y, bx, by, rad); });
    }
    cloud.AddSdf([](float x, float y) { return SdCircle(x, y, 64, 64, 26); });
    cloud = cloud.Blurred(6.0f);
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            float px = (x + 0.5f) / c.Unit(), py = (y + 0.5f) / c.Unit();
            float edge = 1.0f - Smoothstep(44.0f, 62.0f, std::hypot(px - 64, py - 64));
            float billow = 0.8f + 0.3f * Fbm(px / 14.0f, py / 14.0f, 64, 3, 0.5f, 77);
            cloud.At(x, y) = Clamp01(cloud.At(x, y) * 1.2f * billow) * edge;
        }
    c.Fill(cloud, Linear(0, 24, Hex(0xFBF3DE), 0, 108, Hex(0xC2AD84)), 0.9f);
    Mask grains = c.NewMask();
    for (int i = 0; i < 60; ++i) {
        float a = rng.Range(0, 6.2831853f), d = 38 * std::sqrt(rng.Uniform()), rad = rng.Range(0.5f, 1.1f);
        float gx = 64 + std::cos(a) * d, gy = 64 + std::sin(a) * d;
        grains.AddSdf([=](float x, float y) { return SdCircle(x, y, gx, gy, rad); });
    }
    grains.Intersect(cloud);
    c.Fill(grains, Hex(0x9A8560), 0.55f);
    SavePng(c, 128, 128, path);
}

} // namespace

void MakeEffectImages(const std::string& dir) {
    MakeLight(dir + "/effect/light.png");
    MakeBlack(dir + "/effect/black.png");
    MakeDust(dir + "/effect/dust.png");
    MakeCursor(dir + "/game/cursor.png");
}

} // namespace assetgen
