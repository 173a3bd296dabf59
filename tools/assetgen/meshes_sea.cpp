// The squid, the percula (clownfish) and the anemone.
#include "tools/assetgen/meshes.h"

namespace assetgen {

namespace {

// Piecewise-linear resampling of a (radius, height) profile into n + 1 rows.
std::vector<Vec2> Resample(const std::vector<Vec2>& p, int n) {
    std::vector<float> len(p.size(), 0);
    for (size_t k = 1; k < p.size(); ++k)
        len[k] = len[k - 1] + std::hypot(p[k].u - p[k - 1].u, p[k].v - p[k - 1].v);
    std::vector<Vec2> out;
    size_t seg = 1;
    for (int i = 0; i <= n; ++i) {
        float s = len.back() * (float)i / (float)n;
        while (seg + 1 < p.size() && len[seg] < s)
            ++seg;
        float t = (s - len[seg - 1]) / std::max(1e-6f, len[seg] - len[seg - 1]);
        t = Clamp01(t);
        out.push_back(
            {p[seg - 1].u + (p[seg].u - p[seg - 1].u) * t, p[seg - 1].v + (p[seg].v - p[seg - 1].v) * t});
    }
    out.front() = p.front();
    out.back() = p.back();
    return out;
}

// Radius of a profile at a given height (heights increasing along the profile).
float RadiusAt(const std::vector<Vec2>& p, float h) {
    for (size_t k = 1; k < p.size(); ++k)
        if (h <= p[k].v) {
            float t = (h - p[k - 1].v) / std::max(1e-6f, p[k].v - p[k - 1].v);
            return p[k - 1].u + (p[k].u - p[k - 1].u) * Clamp01(t);
        }
    return p.back().u;
}

void Eye(Builder& b, Vec3 centre, float radius, Vec3 look, uint32_t ball, uint32_t iris, uint32_t pupil) {
    SurfOpts o;
    o.matFn = [=](float, float, Vec3 p) {
        float c = Dot(Normalize(p - centre), look);
        return c > 0.8f ? pupil : (c > 0.55f ? iris : ball);
    };
    b.Blob(centre, Vec3(radius, radius, radius), 8, 5, ball, nullptr, o);
}

} // namespace

// ---- Squid (forward +z, arms in front, the mantle and its fins behind) --------------------------------

Mesh MakeSquid() {
    Builder b;
    uint32_t skin = b.Mat(0.95f, 0.6f, 0.5f, 1, 30, 0.5f);
    uint32_t dots = b.Mat(0.72f, 0.3f, 0.26f, 1, 30, 0.4f);
    uint32_t finMat = b.Mat(1.0f, 0.78f, 0.7f, 0.9f, 30, 0.5f, 0.05f);
    uint32_t armMat = b.Mat(0.9f, 0.5f, 0.45f, 1, 30, 0.4f);
    uint32_t ball = b.Mat(0.9f, 0.85f, 0.8f, 1, 60, 0.8f);
    uint32_t iris = b.Mat(0.85f, 0.7f, 0.25f, 1, 60, 0.8f, 0.15f);
    uint32_t pupil = b.Mat(0.03f, 0.03f, 0.05f, 1, 80, 1.0f);

    // Mantle: a lathe along y turned so that y runs backwards (-z).
    std::vector<Vec2> mantle = {{0, -0.02f},    {0.32f, 0.0f},  {0.37f, 0.1f}, {0.4f, 0.4f},
                                {0.36f, 0.75f}, {0.26f, 1.08f}, {0.13f, 1.3f}, {0, 1.4f}};
    SurfOpts spotted;
    spotted.matFn = [=](float, float, Vec3 p) {
        return Noise3(Vec3(p.x * 9, p.y * 9, p.z * 9), 3) > 0.45f ? dots : skin;
    };
    b.SetXf(Xf::RotX(Deg(-90)));
    b.Lathe(Resample(mantle, 16), 12, skin, spotted);
    b.ResetXf();

    // Fins: a broad arrowhead on each side of the mantle's rear half.
    SurfOpts fin;
    fin.twoSided = true;
    for (int side = -1; side <= 1; side += 2) {
        b.SetXf(Xf::Scale((float)side, 1, 1));
        b.Surface(
            7, 2, false,
            [&](float u, float v) {
                float depth = 0.72f + 0.68f * u; // along the mantle, backwards
                float width = 0.55f * std::pow(std::max(0.0f, std::sin(kPi * std::pow(u, 0.75f))), 0.9f);
                float r = RadiusAt(mantle, depth) * 0.92f;
                return Vec3(r + width * v, 0.04f * v * v, -depth - 0.08f * v * u);
            },
            finMat, fin);
    }
    b.ResetXf();

    // Head and eyes.
    b.Blob(Vec3(0, 0, 0.2f), Vec3(0.3f, 0.26f, 0.28f), 10, 6, skin);
    for (int side = -1; side <= 1; side += 2)
        Eye(b, Vec3((float)side * 0.24f, 0.07f, 0.25f), 0.12f, Vec3((float)side, 0.2f, 0.1f), ball, iris,
            pupil);

    // Eight arms spreading forward and two longer tentacles with clubs.
    for (int k = 0; k < 8; ++k) {
        float a = Deg(22.5f + 45.0f * (float)k);
        Vec3 ring(std::cos(a), std::sin(a) * 0.8f, 0);
        Vec3 curl(-std::sin(a), std::cos(a), 0);
        std::vector<Vec3> path = Bezier(ring * 0.13f + Vec3(0, 0, 0.38f), ring * 0.28f + Vec3(0, 0, 0.6f),
                                        ring * 0.4f + curl * 0.1f + Vec3(0, 0, 0.8f),
                                        ring * 0.32f + curl * 0.2f + Vec3(0, 0, 0.98f), 5);
        std::vector<float> rad;
        for (size_t i = 0; i < path.size(); ++i)
            rad.push_back(i + 1 == path.size() ? 0 : 0.07f * (1 - 0.8f * (float)i / (float)path.size()));
        b.Tube(path, rad, 4, armMat);
    }
    for (int side = -1; side <= 1; side += 2) {
        float s = (float)side;
        std::vector<Vec3> path = Bezier(Vec3(s * 0.05f, -0.04f, 0.36f), Vec3(s * 0.08f, -0.1f, 0.7f),
                                        Vec3(s * 0.18f, -0.04f, 0.9f), Vec3(s * 0.14f, -0.02f, 1.1f), 7);
        std::vector<float> rad;
        for (size_t i = 0; i < path.size(); ++i) {
            float t = (float)i / (float)(path.size() - 1);
            float club = 0.025f + 0.04f * Smoothstep(0.7f, 0.85f, t);
            rad.push_back(i + 1 == path.size() ? 0 : club);
        }
        b.Tube(path, rad, 4, armMat);
    }
    return b.Take();
}

// ---- Percula (a clownfish, forward +z, resting just above its origin) ---------------------------------

Mesh MakePercula() {
    Builder b;
    uint32_t orange = b.Mat(1.0f, 0.42f, 0.04f, 1, 30, 0.5f, 0.05f);
    uint32_t white = b.Mat(0.98f, 0.98f, 0.96f, 1, 30, 0.5f, 0.05f);
    uint32_t black = b.Mat(0.05f, 0.04f, 0.04f, 1, 30, 0.5f);
    uint32_t eyeIris = b.Mat(0.95f, 0.55f, 0.1f, 1, 60, 0.8f);
    const float cy = 0.42f; // height of the body's axis

    // White bands (head, middle, tail base) with thin black edges, by distance along the body.
    struct Band {
        float from, to;
    };
    const Band bands[3] = {{0.2f, 0.32f}, {-0.09f, 0.05f}, {-0.44f, -0.36f}};
    auto paint = [=](float z) {
        for (const Band& band : bands) {
            if (z > band.from && z < band.to) return white;
            if (z > band.from - 0.025f && z < band.to + 0.025f) return black;
        }
        return orange;
    };

    std::vector<Vec2> body = {{0, -0.5f},      {0.07f, -0.48f}, {0.09f, -0.4f}, {0.16f, -0.3f},
                              {0.24f, -0.15f}, {0.29f, 0.0f},   {0.3f, 0.12f},  {0.28f, 0.3f},
                              {0.22f, 0.46f},  {0.14f, 0.58f},  {0.06f, 0.66f}, {0, 0.69f}};
    SurfOpts banded;
    banded.matFn = [=](float, float, Vec3 p) { return paint(p.y); }; // the lathe's y is the body's z
    b.SetXf(Xf::Scale(0.62f, 1, 1).Then(Xf::RotX(Deg(90))).Then(Xf::Move(0, cy, 0)));
    b.Lathe(Resample(body, 36), 12, orange, banded);
    b.ResetXf();

    SurfOpts finOpts;
    finOpts.twoSided = true;
    // Tail fin: a rounded fan behind the body, orange with a black rim.
    finOpts.matFn = [=](float, float v, Vec3) { return v > 0.8f ? black : orange; };
    b.Surface(
        7, 3, false,
        [=](float u, float v) {
            float a = Deg(-42 + 84 * u);
            float len = 0.24f + 0.06f * std::cos(Deg(-42 + 84 * u) * 2.2f);
            return Vec3(0, cy + std::sin(a) * len * v, -0.46f - std::cos(a) * len * v);
        },
        orange, finOpts);
    // Dorsal fin along the back: a spiny front lobe and a soft rear lobe.
    b.Surface(
        10, 2, false,
        [=](float u, float v) {
            float z = -0.34f + 0.62f * u;
            float top = RadiusAt(body, z) - 0.02f;
            float h = 0.05f + 0.1f * std::sin(kPi * Clamp01((u - 0.05f) / 0.5f)) +
                      0.11f * Smoothstep(0.55f, 0.7f, u) * (1 - Smoothstep(0.8f, 1.0f, u));
            h *= (u < 0.04f || u > 0.98f) ? 0.3f : 1.0f;
            return Vec3(0, cy + top + h * v, z - 0.35f * h * v); // swept back
        },
        orange, finOpts);
    // Anal fin under the rear half.
    b.Surface(
        5, 2, false,
        [=](float u, float v) {
            float z = -0.34f + 0.28f * u;
            float bottom = RadiusAt(body, z) - 0.02f;
            float h = 0.12f * std::sin(kPi * u);
            return Vec3(0, cy - bottom - h * v, z - 0.4f * h * v);
        },
        orange, finOpts);
    // Pectoral fins behind the head band, swept back and out.
    for (int side = -1; side <= 1; side += 2) {
        float s = (float)side;
        b.Surface(
            4, 2, false,
            [=](float u, float v) {
                float a = Deg(-35 + 70 * u);
                float len = 0.2f * std::cos(a);
                return Vec3(s * (0.15f + 0.12f * v * len / 0.2f), cy - 0.04f + std::sin(a) * len * v * 0.8f,
                            0.16f - len * v);
            },
            orange, finOpts);
        Eye(b, Vec3(s * 0.12f, cy + 0.07f, 0.47f), 0.055f, Vec3(s, 0.1f, 0.3f), eyeIris, eyeIris, black);
    }
    return b.Take();
}

// ---- Anemone (stalk and oral disc; the game adds the ribbon tentacles) --------------------------------

Mesh MakeAnemone() {
    Builder b;
    uint32_t column = b.Mat(0.66f, 0.28f, 0.45f, 1, 20, 0.3f);
    uint32_t stripe = b.Mat(0.85f, 0.45f, 0.58f, 1, 20, 0.3f);
    uint32_t disc = b.Mat(1.0f, 0.62f, 0.45f, 1, 20, 0.3f, 0.05f);
    uint32_t ray = b.Mat(1.0f, 0.82f, 0.62f, 1, 20, 0.3f, 0.05f);
    uint32_t lips = b.Mat(0.95f, 0.32f, 0.35f, 1, 30, 0.4f);
    uint32_t throat = b.Mat(0.35f, 0.08f, 0.12f, 1, 10, 0.1f);
    // From the middle of the foot out and up the column, over the lip, across the disc and into the mouth.
    std::vector<Vec2> profile = {
        {0, 0},         {0.95f, 0.0f},  {1.0f, 0.05f},  {0.92f, 0.2f},  {0.8f, 0.5f},   {0.75f, 0.9f},
        {0.8f, 1.25f},  {0.98f, 1.5f},  {1.16f, 1.62f}, {1.2f, 1.68f},  {1.12f, 1.72f}, {0.8f, 1.67f},
        {0.45f, 1.63f}, {0.24f, 1.63f}, {0.18f, 1.68f}, {0.12f, 1.64f}, {0.06f, 1.5f},  {0, 1.42f}};
    SurfOpts o;
    o.matFn = [=](float u, float, Vec3 p) {
        float r = std::sqrt(p.x * p.x + p.z * p.z);
        if (r < 0.13f && p.y < 1.62f) return throat;
        if (r < 0.27f && p.y > 1.58f) return lips;
        if (p.y > 1.6f && r < 1.17f) return std::fmod(u * 24, 1.0f) < 0.34f ? ray : disc;
        if (p.y > 1.5f) return disc;
        return std::fmod(u * 18, 1.0f) < 0.3f ? stripe : column;
    };
    b.Lathe(Resample(profile, 20), 48, column, o);
    return b.Take();
}

} // namespace assetgen
