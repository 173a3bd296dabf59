// Seabed props: the rock, the pearl shell, two starfish and the red coral.
#include "tools/assetgen/meshes.h"

namespace assetgen {

// A lumpy boulder, about 1 in radius at ground level and flatter on top. It stands deep in the sand: its
// three uses sink it by 1, 0.5 and 0 mesh units, and its width where it meets the ground (0.875, 1.0,
// 1.16) follows their radii (7, 8 and 9.3 world units at the scale of 8).
Mesh MakeRock() {
    Builder b;
    uint32_t stone = b.Mat(0.5f, 0.47f, 0.42f, 1, 6, 0.1f);
    uint32_t dark = b.Mat(0.36f, 0.34f, 0.32f, 1, 6, 0.05f);
    uint32_t moss = b.Mat(0.36f, 0.48f, 0.3f, 1, 4, 0.05f);
    const float a = 1.167f, cy = -0.2f, h = 1.81f;
    std::vector<std::vector<Vec3>> rows;
    const int nu = 18, nv = 9;
    for (int j = 0; j <= nv; ++j) {
        float phi = kPi * (float)j / nv;
        std::vector<Vec3> row;
        for (int i = 0; i < nu; ++i) {
            float t = 2 * kPi * (float)i / nu;
            // A superellipsoid, blockier than a sphere, with lumps.
            float s = std::sin(phi), c = -std::cos(phi);
            float se = std::pow(std::fabs(s), 0.8f), ce = std::copysign(std::pow(std::fabs(c), 0.8f), c);
            Vec3 d(se * std::cos(t), ce, se * std::sin(t));
            float lump = 0.09f * Noise3(Vec3(d.x * 2.2f, d.y * 2.2f, d.z * 2.2f), 11) +
                         0.04f * Noise3(Vec3(d.x * 5.0f, d.y * 5.0f, d.z * 5.0f), 12);
            Vec3 p(a * d.x * (1 + lump), cy + h * d.y * (1 + lump * 0.6f), a * d.z * (1 + lump));
            if (p.y > 1.25f) p.y = 1.25f + (p.y - 1.25f) * 0.45f; // a flatter top
            if (j == 0) p = Vec3(0, cy - h, 0);
            if (j == nv) p = Vec3(0, 1.25f + (cy + h - 1.25f) * 0.45f, 0);
            row.push_back(p);
        }
        rows.push_back(row);
    }
    SurfOpts o;
    o.matFn = [=](float, float, Vec3 p) {
        float n = Noise3(Vec3(p.x * 1.6f, p.y * 1.6f, p.z * 1.6f), 21);
        if (p.y > 1.05f + 0.25f * n) return moss;
        if (n < -0.4f) return dark;
        return stone;
    };
    b.Grid(rows, true, stone, o);
    return b.Take();
}

// An open scallop shell with a pearl, lying on the seabed: the lower valve is a ribbed bowl, the upper
// valve is swung wide open over the hinge at the back (-z), so that from above and behind both pearly
// insides and the pearl show.
Mesh MakePearl() {
    Builder b;
    uint32_t outside = b.Mat(0.85f, 0.6f, 0.55f, 1, 10, 0.2f);
    uint32_t rib = b.Mat(0.75f, 0.48f, 0.45f, 1, 10, 0.2f);
    uint32_t inside = b.Mat(0.98f, 0.9f, 0.92f, 1, 40, 0.6f, 0.1f);
    uint32_t pearl = b.Mat(0.97f, 0.96f, 0.98f, 1, 80, 1.0f, 0.25f);
    const Vec3 hinge(0, 0.05f, -0.7f);
    const float radius = 1.45f, spread = Deg(62);
    auto valve = [&](float u, float v, float lift) {
        float a = -spread + 2 * spread * u;
        float rho = radius * v;
        float ribs = 0.035f * std::fabs(std::sin(a * 9.0f)) * v;
        float y = lift + 0.28f * v * v + ribs;
        return hinge + Vec3(rho * std::sin(a), y, rho * std::cos(a) * 0.95f);
    };
    SurfOpts ribbed;
    ribbed.matFn = [&](float u, float, Vec3) {
        float a = -spread + 2 * spread * u;
        return std::fabs(std::sin(a * 9.0f)) > 0.75f ? rib : outside;
    };
    // Lower valve: outside faces down, the pearly inside faces up.
    SurfOpts under = ribbed;
    under.flip = true;
    under.twoSided = true; // its other side closes the rim
    b.Surface(
        18, 4, false, [&](float u, float v) { return valve(u, v, 0); }, outside, under);
    b.Surface(
        18, 4, false, [&](float u, float v) { return valve(u, v, 0.03f); }, inside);
    // Upper valve: the same shell mirrored, swung open by 115 degrees about the hinge.
    b.SetXf(Xf::Move(-hinge).Then(Xf::Scale(1, -1, 1)).Then(Xf::RotX(Deg(-115))).Then(Xf::Move(hinge)));
    b.Surface(
        18, 4, false, [&](float u, float v) { return valve(u, v, 0); }, outside, under);
    b.Surface(
        18, 4, false, [&](float u, float v) { return valve(u, v, 0.03f); }, inside);
    b.ResetXf();
    // The hinge knuckle and the pearl.
    b.Blob(hinge + Vec3(0, 0.06f, 0), Vec3(0.28f, 0.12f, 0.12f), 6, 4, outside);
    b.Blob(Vec3(0, 0.36f, 0.05f), Vec3(0.3f, 0.3f, 0.3f), 10, 6, pearl);
    return b.Take();
}

namespace {

// A starfish lying on the seabed, top surface as a dome over a five-armed outline.
// armSharp narrows the arms, curl bends them sideways towards their tips.
Mesh Starfish(float reach, float core, float armSharp, float curl, float height,
              uint32_t (*paint)(Builder&, SurfOpts&)) {
    Builder b;
    SurfOpts o;
    uint32_t base = paint(b, o);
    auto outline = [&](float a) {
        float arm = std::pow(0.5f + 0.5f * std::cos(5 * a), armSharp);
        return core + (reach - core) * arm;
    };
    const int nu = 50, nv = 4;
    std::vector<std::vector<Vec3>> top;
    for (int j = 0; j <= nv; ++j) {
        float t = (float)j / nv; // 0 at the rim, 1 at the centre
        std::vector<Vec3> row;
        for (int i = 0; i < nu; ++i) {
            float a = 2 * kPi * (float)i / nu;
            float r = outline(a) * (1 - t);
            float twist = curl * (1 - t) * (1 - t) * std::sin(5 * a);
            float ang = a + twist;
            float armness = (r - core * (1 - t)) / std::max(0.001f, reach - core);
            float y = height * std::pow(t, 0.45f) * (0.55f + 0.45f * (1 - Clamp01(armness))) + 0.03f;
            if (j == 0) y = 0.02f;
            row.push_back(Vec3(r * std::cos(ang), y, r * std::sin(ang)));
        }
        top.push_back(row);
    }
    // Rows run from the rim inwards and angles turn from +x towards +z: the front side faces up.
    b.Grid(top, true, base, o);
    // The flat underside faces down.
    std::vector<std::vector<Vec3>> under = {top[0], std::vector<Vec3>(nu, Vec3(0, 0, 0))};
    SurfOpts u;
    u.flip = true;
    b.Grid(under, true, base, u);
    return b.Take();
}

uint32_t PaintStarA(Builder& b, SurfOpts& o) {
    uint32_t body = b.Mat(0.95f, 0.42f, 0.18f, 1, 10, 0.15f);
    uint32_t dots = b.Mat(1.0f, 0.85f, 0.6f, 1, 10, 0.15f);
    uint32_t centre = b.Mat(0.85f, 0.3f, 0.15f, 1, 10, 0.15f);
    o.matFn = [=](float, float, Vec3 p) {
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        float a = std::atan2(p.z, p.x);
        if (r < 0.22f) return centre;
        float along = std::cos(5 * a);
        if (along > 0.96f && std::fmod(r * 6.0f, 1.0f) < 0.5f) return dots;
        return body;
    };
    return body;
}

uint32_t PaintStarB(Builder& b, SurfOpts& o) {
    uint32_t body = b.Mat(0.32f, 0.42f, 0.9f, 1, 14, 0.2f);
    uint32_t tip = b.Mat(0.85f, 0.45f, 0.75f, 1, 14, 0.2f);
    uint32_t centre = b.Mat(0.55f, 0.35f, 0.85f, 1, 14, 0.2f);
    o.matFn = [=](float, float, Vec3 p) {
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        if (r < 0.2f) return centre;
        if (r > 0.8f) return tip;
        return body;
    };
    return body;
}

struct Branch {
    Vec3 from, dir;
    float length, radius;
    int depth;
};

} // namespace

Mesh MakeStarfishA() {
    return Starfish(1.0f, 0.36f, 1.0f, 0.0f, 0.2f, PaintStarA);
}

// The curl stays below 1/5 radian so that the outline's angle keeps turning one way (no folds).
Mesh MakeStarfishB() {
    return Starfish(1.05f, 0.16f, 3.5f, 0.16f, 0.14f, PaintStarB);
}

// A branching red coral about 2.5 across and 1.6 high: a short trunk forking into bent branches that end
// in pale polyp knobs.
Mesh MakeCoralRed() {
    Builder b;
    uint32_t red = b.Mat(0.82f, 0.14f, 0.14f, 1, 16, 0.25f, 0.05f);
    uint32_t deep = b.Mat(0.62f, 0.1f, 0.12f, 1, 16, 0.2f);
    uint32_t tip = b.Mat(1.0f, 0.72f, 0.68f, 1, 16, 0.3f, 0.15f);
    MeshRng rng(7);
    std::vector<Branch> todo = {{Vec3(0, -0.05f, 0), Vec3(0, 1, 0), 0.42f, 0.26f, 0}};
    while (!todo.empty()) {
        Branch br = todo.back();
        todo.pop_back();
        Vec3 end = br.from + br.dir * br.length;
        const int steps = 2;
        std::vector<Vec3> path;
        std::vector<float> rad;
        Vec3 bendAxis = Normalize(Cross(br.dir, Vec3(0.3f, 0.1f, 0.7f)));
        for (int k = 0; k <= steps; ++k) {
            float t = (float)k / steps;
            path.push_back(Lerp(br.from, end, t) + bendAxis * (0.05f * std::sin(t * kPi) * br.length));
            rad.push_back(br.radius * (1 - 0.25f * t));
        }
        b.Tube(path, rad, br.depth < 2 ? 5 : 4, br.depth == 0 ? deep : red);
        float endRadius = rad[steps];
        if (br.depth >= 3) {
            // A polyp knob closes the tip.
            b.Blob(end, Vec3(endRadius, endRadius, endRadius) * 1.9f, 5, 3, tip);
            continue;
        }
        // A ball joint hides the seam where the branch forks.
        b.Blob(end, Vec3(endRadius, endRadius, endRadius) * 1.08f, 5, 3, red);
        int kids = br.depth == 0 ? 5 : 2;
        for (int c = 0; c < kids; ++c) {
            float yaw = br.depth == 0 ? Deg(72.0f * (float)c + 10) : rng.Uniform(0, 2 * kPi);
            float tilt = br.depth == 0 ? Deg(50) : Deg(rng.Uniform(18, 40));
            Vec3 side(std::sin(yaw), 0, std::cos(yaw));
            Vec3 dir = Normalize(Normalize(br.dir) * std::cos(tilt) + side * std::sin(tilt));
            if (br.depth > 0) dir = Normalize(dir + Vec3(0, 0.35f, 0));
            float len = br.depth == 0 ? 0.55f : rng.Uniform(0.32f, 0.45f);
            todo.push_back({end, dir, len, endRadius * 0.84f, br.depth + 1});
        }
    }
    return b.Take();
}

} // namespace assetgen
