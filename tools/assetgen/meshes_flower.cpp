// The giant flower: its bud shells and glowing centre, the blossoms' petals and root spirits, and the vine
// of ivy pieces with small flowers that joins them.
#include "tools/assetgen/meshes.h"

namespace assetgen {

namespace {

// One shell of the bud: lobes rising from a base ring, swelling and closing in towards pointed tips.
// maxRadius is reached about half-way up; lobes is the number of petal lobes; height is the lobes' tips.
void BudShell(Builder& b, int lobes, float maxRadius, float baseHeight, float tipRise, float turn,
              uint32_t mat, uint32_t vein) {
    SurfOpts o;
    o.twoSided = true;
    o.matFn = [=](float u, float, Vec3) {
        float c = std::fabs(std::cos(((float)lobes * (u * 2 * kPi + turn)) / 2));
        return c > 0.96f ? vein : mat;
    };
    const int nu = lobes * 6, nv = 7;
    b.Surface(
        nu, nv, true,
        [=](float u, float v) {
            float a = u * 2 * kPi;
            float lobe = std::pow(std::fabs(std::cos(((float)lobes * (a + turn)) / 2)), 3.0f);
            float top = baseHeight + tipRise * lobe;
            float y = top * v;
            float r = maxRadius * std::sin(kPi * (0.18f + 0.62f * v)) * (1 + 0.04f * lobe);
            return Vec3(r * std::cos(a), y, r * std::sin(a));
        },
        mat, o);
}

// A leaf or petal blade along +z from the origin: across t in [-1, 1], along s in [0, 1].
// width(s) gives the half-width, lift(s) the centre line's height, cup raises the edges.
void Blade(Builder& b, int nu, int nv, const std::function<float(float)>& width,
           const std::function<float(float)>& lift, float length, float cup, uint32_t mat,
           const MatFn& paint) {
    SurfOpts o;
    o.twoSided = true;
    o.matFn = paint;
    // Rows run along the blade and columns across it from -x to +x: the front side faces up.
    b.Surface(
        nu, nv, false,
        [=](float u, float v) {
            float t = u * 2 - 1;
            float w = width(v);
            return Vec3(t * w, lift(v) + cup * t * t * w, length * v);
        },
        mat, o);
}

} // namespace

// Outer shell of the bud, about 3.7 in radius and 4.2 high: six sepal lobes. Drawn translucent.
Mesh MakeFlowerOutside() {
    Builder b;
    uint32_t skin = b.Mat(0.78f, 0.55f, 0.95f, 0.55f, 20, 0.4f, 0.1f);
    uint32_t vein = b.Mat(0.95f, 0.85f, 1.0f, 0.7f, 20, 0.4f, 0.2f);
    BudShell(b, 6, 3.7f, 3.4f, 0.8f, 0, skin, vein);
    return b.Take();
}

// Inner shell: five warmer petals, narrower and taller, turned between the sepals.
Mesh MakeFlowerInside() {
    Builder b;
    uint32_t skin = b.Mat(1.0f, 0.78f, 0.55f, 0.6f, 20, 0.4f, 0.15f);
    uint32_t vein = b.Mat(1.0f, 0.92f, 0.75f, 0.75f, 20, 0.4f, 0.25f);
    BudShell(b, 5, 3.0f, 3.7f, 0.9f, Deg(18), skin, vein);
    return b.Take();
}

// The glowing heart of the bud: a pistil with a five-lobed stigma, ringed by stamens.
Mesh MakeFlowerCenter() {
    Builder b;
    uint32_t core = b.Mat(0.75f, 1.0f, 0.55f, 1, 30, 0.5f, 0.45f);
    uint32_t stigma = b.Mat(1.0f, 0.95f, 0.55f, 1, 30, 0.5f, 0.5f);
    uint32_t filament = b.Mat(0.88f, 1.0f, 0.8f, 1, 20, 0.3f, 0.3f);
    uint32_t anther = b.Mat(1.0f, 0.75f, 0.2f, 1, 30, 0.5f, 0.35f);
    // The pistil: a swollen ovary narrowing into a style.
    b.Lathe({{0, 0},
             {1.3f, 0},
             {1.5f, 0.35f},
             {1.35f, 0.9f},
             {0.7f, 1.5f},
             {0.35f, 1.9f},
             {0.3f, 2.3f},
             {0.2f, 2.45f},
             {0, 2.5f}},
            20, core);
    // Stigma lobes on top.
    for (int k = 0; k < 5; ++k) {
        float a = Deg(72.0f * (float)k);
        Vec3 d(std::cos(a), 0, std::sin(a));
        b.Blob(Vec3(0, 2.45f, 0) + d * 0.28f, Vec3(0.26f, 0.16f, 0.26f), 7, 4, stigma);
    }
    // Stamens: curved filaments with anthers, around the pistil.
    for (int k = 0; k < 10; ++k) {
        float a = Deg(36.0f * (float)k + 18);
        Vec3 d(std::cos(a), 0, std::sin(a));
        std::vector<Vec3> path = Bezier(d * 1.2f + Vec3(0, 0.3f, 0), d * 1.75f + Vec3(0, 0.9f, 0),
                                        d * 1.9f + Vec3(0, 1.5f, 0), d * 1.75f + Vec3(0, 1.9f, 0), 4);
        std::vector<float> rad(path.size(), 0.07f);
        b.Tube(path, rad, 4, filament);
        b.Blob(path.back() + Vec3(0, 0.08f, 0), Vec3(0.2f, 0.14f, 0.2f), 6, 4, anther);
    }
    return b.Take();
}

// The root spirit above each blossom: a little radish-like sprite with a root tail, dot eyes and a
// two-leaf sprout, about 1 across.
Mesh MakeRootSoul() {
    Builder b;
    uint32_t body = b.Mat(0.85f, 1.0f, 0.88f, 1, 30, 0.5f, 0.35f);
    uint32_t eye = b.Mat(0.08f, 0.15f, 0.1f, 1, 60, 0.8f);
    uint32_t cheek = b.Mat(1.0f, 0.7f, 0.75f, 1, 20, 0.3f, 0.3f);
    uint32_t leaf = b.Mat(0.4f, 0.85f, 0.35f, 1, 20, 0.3f, 0.2f);
    std::vector<Vec2> profile = {{0, -0.75f},     {0.04f, -0.62f}, {0.12f, -0.45f},
                                 {0.28f, -0.25f}, {0.42f, -0.05f}, {0.46f, 0.1f},
                                 {0.4f, 0.3f},    {0.24f, 0.44f},  {0, 0.49f}};
    b.Lathe(profile, 14, body);
    for (int side = -1; side <= 1; side += 2) {
        float s = (float)side;
        b.Blob(Vec3(s * 0.15f, 0.16f, 0.41f), Vec3(0.06f, 0.08f, 0.04f), 5, 3, eye);
        b.Blob(Vec3(s * 0.27f, 0.02f, 0.35f), Vec3(0.08f, 0.05f, 0.04f), 5, 3, cheek);
    }
    // Sprout: a short stem with two leaves spreading sideways.
    std::vector<Vec3> stem = {Vec3(0, 0.42f, 0), Vec3(0, 0.55f, 0), Vec3(0.02f, 0.68f, 0), Vec3(0, 0.72f, 0)};
    b.Tube(stem, {0.05f, 0.045f, 0.04f, 0}, 4, leaf);
    for (int side = -1; side <= 1; side += 2) {
        b.SetXf(Xf::RotX(Deg(-30)).Then(Xf::RotY(Deg(90.0f * (float)side))).Then(Xf::Move(0, 0.68f, 0)));
        Blade(
            b, 4, 4, [](float s) { return 0.16f * std::max(0.0f, std::sin(kPi * std::pow(s, 0.8f))); },
            [](float s) { return 0.1f * s * s; }, 0.42f, 0.1f, leaf, nullptr);
    }
    b.ResetXf();
    return b.Take();
}

// One blossom petal, about 2.4 long and 1.25 wide, rising from the origin along +z and curling up, so
// that turning it about +x lowers (droops) its tip.
Mesh MakePetal() {
    Builder b;
    uint32_t pink = b.Mat(1.0f, 0.5f, 0.78f, 1, 20, 0.3f, 0.1f);
    uint32_t pale = b.Mat(1.0f, 0.8f, 0.92f, 1, 20, 0.3f, 0.15f);
    uint32_t heart = b.Mat(1.0f, 0.92f, 0.45f, 1, 20, 0.3f, 0.2f);
    MatFn paint = [=](float u, float v, Vec3) {
        if (v < 0.16f) return heart;
        if (std::fabs(u * 2 - 1) < 0.14f) return pale;
        return pink;
    };
    Blade(
        b, 8, 9,
        [](float s) {
            // Narrow at the base, widest past the middle, closing in a round tip.
            return 0.64f * std::pow(std::max(0.0f, std::sin(kPi * std::pow(s, 0.75f))), 0.6f) + 0.01f;
        },
        [](float s) { return 0.15f * s + 0.62f * s * s; }, 2.35f, 0.22f, pink, paint);
    return b.Take();
}

// A small five-petalled flower on a short stem, about 2 across; its head sits at the origin and the stem
// reaches down to the seabed below it.
Mesh MakeMiniFlower() {
    Builder b;
    uint32_t petal = b.Mat(1.0f, 0.82f, 0.9f, 1, 20, 0.3f, 0.1f);
    uint32_t centre = b.Mat(1.0f, 0.85f, 0.2f, 1, 20, 0.3f, 0.2f);
    uint32_t stem = b.Mat(0.35f, 0.6f, 0.25f, 1, 10, 0.1f);
    for (int k = 0; k < 5; ++k) {
        b.SetXf(Xf::RotY(Deg(72.0f * (float)k)));
        Blade(
            b, 4, 4,
            [](float s) {
                float e = (s - 0.5f) / 0.52f;
                return 0.34f * std::sqrt(std::max(0.0f, 1 - e * e)) + 0.01f;
            },
            [](float s) { return 0.2f * s * s; }, 0.95f, 0.1f, petal, nullptr);
    }
    b.ResetXf();
    b.Blob(Vec3(0, 0.04f, 0), Vec3(0.26f, 0.14f, 0.26f), 8, 4, centre);
    b.Tube({Vec3(0, -1.4f, 0), Vec3(0.05f, -0.9f, 0), Vec3(0, -0.4f, 0), Vec3(0, 0, 0)},
           {0.06f, 0.06f, 0.05f, 0.05f}, 4, stem);
    return b.Take();
}

// A piece of vine lying on the seabed along x, centred, 12 long: a wavy stem with heart-shaped leaves
// alternating on both sides.
Mesh MakeIvy() {
    Builder b;
    uint32_t stem = b.Mat(0.32f, 0.45f, 0.18f, 1, 10, 0.1f);
    uint32_t leaf = b.Mat(0.3f, 0.62f, 0.24f, 1, 20, 0.25f);
    uint32_t vein = b.Mat(0.55f, 0.8f, 0.4f, 1, 20, 0.25f);
    auto stemAt = [](float x) {
        return Vec3(x, 0.2f + 0.05f * std::sin(x * 1.7f), 0.3f * std::sin(x * 0.8f));
    };
    std::vector<Vec3> path;
    std::vector<float> rad;
    const int n = 20;
    for (int k = 0; k <= n; ++k) {
        float x = -6.0f + 12.0f * (float)k / n;
        path.push_back(stemAt(x));
        rad.push_back(k == 0 || k == n ? 0.0f : 0.13f);
    }
    b.Tube(path, rad, 4, stem);
    MatFn paint = [=](float u, float, Vec3) { return std::fabs(u * 2 - 1) < 0.12f ? vein : leaf; };
    for (int k = 0; k < 10; ++k) {
        float x = -4.95f + 1.1f * (float)k;
        float side = k % 2 ? 1.0f : -1.0f;
        Vec3 at = stemAt(x);
        // Leaves point out sideways and a little forward along the vine, tilted up slightly.
        float yaw = side > 0 ? Deg(50) : Deg(130);
        b.SetXf(Xf::RotX(Deg(-12)).Then(Xf::RotY(yaw)).Then(Xf::Move(at + Vec3(0, -0.05f, 0))));
        Blade(
            b, 4, 4,
            [](float s) {
                return 0.5f * std::pow(std::max(0.0f, std::sin(kPi * std::min(1.0f, s * 1.02f))), 0.7f) *
                       (1 + 0.4f * (1 - s));
            },
            [](float s) { return 0.08f * std::sin(kPi * s); }, 1.25f, 0.08f, leaf, paint);
    }
    b.ResetXf();
    return b.Take();
}

} // namespace assetgen
