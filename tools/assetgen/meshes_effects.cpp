// Shots, glows, sparks, stars and bubbles.
#include "tools/assetgen/meshes.h"

namespace assetgen {

namespace {

// A droplet along +z: round head in front, tail drawn out behind.
std::vector<Vec2> DropletProfile(float headRadius, float headZ, float tailZ) {
    std::vector<Vec2> p;
    const int tail = 4, head = 5;
    for (int k = 0; k <= tail; ++k) {
        float t = (float)k / tail; // tail tip to the head's widest point
        float r = headRadius * std::pow(std::sin(t * kPi / 2), 1.4f);
        p.push_back({r, tailZ + (headZ - tailZ) * t});
    }
    for (int k = 1; k <= head; ++k) {
        float a = (float)k / head * kPi / 2;
        p.push_back({headRadius * std::cos(a), headZ + headRadius * std::sin(a)});
    }
    return p;
}

// A glowing droplet flying along +z (the lathe runs along y and is turned so that y becomes +z).
Mesh GlowDroplet(float r, float g, float b, float headRadius, float headZ, float tailZ, int segments) {
    Builder builder;
    uint32_t glow = builder.Mat(GlowMat(r, g, b));
    SurfOpts o;
    o.uvFn = TopGlowUv;
    builder.SetXf(Xf::RotX(Deg(90)));
    builder.Lathe(DropletProfile(headRadius, headZ, tailZ), segments, glow, o);
    return builder.Take();
}

} // namespace

// About 1.7 across and 3.4 long: a comet that reads at the distance of the stage camera.
Mesh MakeBullet() {
    return GlowDroplet(1.0f, 1.0f, 0.85f, 0.85f, 0.4f, -2.6f, 12);
}

Mesh MakeEnemyBullet() {
    return GlowDroplet(1.0f, 0.55f, 0.55f, 0.25f, 0.1f, -0.45f, 8);
}

Mesh MakeEffect() {
    Builder b;
    uint32_t glow = b.Mat(GlowMat(1.0f, 1.0f, 0.9f));
    SurfOpts o;
    o.uvFn = TopGlowUv;
    b.Blob(Vec3(0, 0, 0), Vec3(0.85f, 0.85f, 0.85f), 12, 7, glow, nullptr, o);
    return b.Take();
}

Mesh MakeLamp() {
    Builder b;
    uint32_t glass = b.Mat(1.0f, 0.95f, 0.7f, 0.8f, 30, 0.6f, 0.6f);
    uint32_t cap = b.Mat(0.45f, 0.4f, 0.35f);
    b.Blob(Vec3(0, 0.25f, 0), Vec3(0.22f, 0.25f, 0.22f), 10, 6, glass);
    b.Lathe({{0, 0.47f}, {0.12f, 0.47f}, {0.14f, 0.52f}, {0.08f, 0.58f}, {0, 0.6f}}, 8, cap);
    return b.Take();
}

// A small sharp spark: two crossed spindles, dull orange.
Mesh MakeDull() {
    Builder b;
    uint32_t spark = b.Mat(1.0f, 0.6f, 0.25f, 1, 4, 0, 0.4f);
    std::vector<Vec2> spindle;
    for (int k = 0; k <= 8; ++k) {
        float t = (float)k / 8;
        spindle.push_back({0.07f * std::sin(t * kPi), -0.25f + 0.5f * t});
    }
    b.SetXf(Xf::RotX(Deg(90)));
    b.Lathe(spindle, 6, spark);
    b.SetXf(Xf::RotZ(Deg(90)));
    b.Lathe(spindle, 6, spark);
    b.ResetXf();
    b.Lathe(spindle, 6, spark);
    return b.Take();
}

// A puffy five-pointed star in the x-y plane, point up, bevelled to a ridge on both faces.
Mesh MakeStar() {
    Builder b;
    uint32_t gold = b.Mat(1.0f, 0.85f, 0.2f, 1, 40, 0.8f, 0.35f);
    uint32_t edge = b.Mat(1.0f, 0.65f, 0.1f, 1, 40, 0.8f, 0.25f);
    const float outer = 0.3f, inner = 0.13f, depth = 0.1f;
    std::vector<Vec3> rim;
    for (int k = 0; k < 10; ++k) {
        float a = Deg(90.0f + 36.0f * (float)k);
        float r = k % 2 == 0 ? outer : inner;
        rim.push_back(Vec3(r * std::cos(a), r * std::sin(a), 0));
    }
    Vec3 front(0, 0, -depth), back(0, 0, depth);
    for (int k = 0; k < 10; ++k) {
        Vec3 p = rim[k], q = rim[(k + 1) % 10];
        // p to q turns counter-clockwise in x-y as seen from -z: clockwise from the +z side.
        b.FlatTri(front, q, p, k % 2 == 0 ? gold : edge);
        b.FlatTri(back, p, q, k % 2 == 0 ? gold : edge);
    }
    return b.Take();
}

Mesh MakeBubble() {
    Builder b;
    uint32_t skin = b.Mat(0.7f, 0.88f, 1.0f, 0.45f, 60, 0.9f, 0.1f);
    uint32_t glint = b.Mat(1.0f, 1.0f, 1.0f, 0.9f, 60, 1.0f, 0.6f);
    SurfOpts o;
    Vec3 toLight = Normalize(Vec3(-0.5f, 1.0f, -0.6f));
    o.matFn = [=](float, float, Vec3 p) { return Dot(Normalize(p), toLight) > 0.9f ? glint : skin; };
    b.Blob(Vec3(0, 0, 0), Vec3(1, 1, 1), 16, 10, skin, nullptr, o);
    return b.Take();
}

// An open column, glowing brightest at its foot and fading upwards (through the glow texture).
Mesh MakeHealEffect() {
    Builder b;
    uint32_t glow = b.Mat(GlowMat(0.55f, 1.0f, 0.65f));
    SurfOpts o;
    o.twoSided = true;
    o.uvFn = [](Vec3 p, Vec3, float, float) { return Vec2{0.5f, 0.5f + 0.48f * Clamp01(p.y)}; };
    std::vector<Vec2> wall;
    for (int k = 0; k <= 2; ++k)
        wall.push_back({0.5f, (float)k / 2});
    b.Lathe(wall, 20, glow, o);
    // A fainter inner sheath gives the column depth.
    std::vector<Vec2> inner;
    for (int k = 0; k <= 2; ++k)
        inner.push_back({0.32f, 0.75f * (float)k / 2});
    b.Lathe(inner, 14, glow, o);
    return b.Take();
}

} // namespace assetgen
