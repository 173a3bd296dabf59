// The jellyfish (player and jellies) and the football fish with its hinged lower jaw.
#include "tools/assetgen/meshes.h"

namespace assetgen {

namespace {

// A cone from base centre o along d, for teeth, spines and bumps.
void Cone(Builder& b, Vec3 o, Vec3 d, float radius, float length, int sides, uint32_t mat) {
    Xf keep = b.GetXf();
    b.SetXf(Xf::AlongY(d, o).Then(keep));
    b.Lathe({{0, 0}, {radius, 0}, {radius * 0.55f, length * 0.45f}, {0, length}}, sides, mat);
    b.SetXf(keep);
}

struct JellyLook {
    float height; // bell apex
    float rim;    // bell radius at the rim
    int lappets;  // scallops of the frill
    float frill;  // how far the frill reaches past the rim
    uint32_t arm, bell, gonad, frillMat;
    bool clover; // four ring gonads (else eight radial canals)
};

// A luminous jellyfish bell on the x-z plane, its rim at height 0 and its dome above, as wide as the
// creature's collision circle (radius 2), the room it takes among rocks. The game draws the tentacles from
// a ring inside the rim at the rim's height.
//
// The body is drawn with depth writes, so its parts are made in the order they must be drawn: the oral arms
// under the bell, the bell, then the gonads and the frill that lie on and round it. The bell's material
// carries the light blob as its texture, mapped from above, which the effect turns into a glowing core.
Mesh Jelly(Builder& b, const JellyLook& look) {
    // Four frilly oral arms under the bell.
    for (int k = 0; k < 4; ++k) {
        float a = Deg(90.0f * (float)k + 20);
        Vec3 out(std::cos(a), 0, std::sin(a));
        Vec3 side(-out.z, 0, out.x);
        std::vector<Vec3> path = Bezier(Vec3(0, 0.5f, 0) + out * 0.08f, out * 0.4f + Vec3(0, 0.1f, 0),
                                        out * 0.55f + Vec3(0, -0.45f, 0), out * 0.4f + Vec3(0, -0.95f, 0), 6);
        std::vector<float> rad;
        for (size_t i = 0; i < path.size(); ++i) {
            float t = (float)i / (float)(path.size() - 1);
            path[i] = path[i] + side * (0.09f * std::sin(t * 9));
            rad.push_back(i + 1 == path.size() ? 0 : 0.17f * (1 - t * 0.6f) * (1 + 0.3f * std::sin(t * 24)));
        }
        b.Tube(path, rad, 5, look.arm);
    }

    // Bell: from the centre of the underside out to the rim lip, then over the dome to the apex, which
    // swells a little above the dome's curve.
    std::vector<Vec2> profile = {{0, 0.55f},
                                 {0.6f, 0.5f},
                                 {1.1f, 0.34f},
                                 {1.45f, 0.16f},
                                 {look.rim - 0.1f, 0.04f},
                                 {look.rim - 0.02f, 0.0f},
                                 {look.rim + 0.01f, 0.06f}};
    auto domeY = [&](float r) {
        float a = std::acos(std::min(1.0f, r / look.rim));
        float apex = 0.12f * std::exp(-r * r * 4.0f);
        return 0.1f + (look.height - 0.22f) * std::pow(std::sin(a), 0.75f) + apex;
    };
    const int domeRows = 10;
    for (int k = 1; k <= domeRows; ++k) {
        float r = k == domeRows ? 0 : look.rim * std::cos((float)k / domeRows * kPi / 2);
        profile.push_back({r, domeY(r)});
    }
    SurfOpts glow;
    glow.uvFn = TopGlowUv;
    b.Lathe(profile, 28, look.bell, glow);

    // Gonads on the dome: four rings, each a little longer than wide along its radius (moon jelly), or
    // eight radial canals round a ring. Both patterns are mirror-symmetric, so they have no turning sense.
    auto onDome = [&](float x, float z) { return Vec3(x, domeY(std::sqrt(x * x + z * z)) + 0.02f, z); };
    if (look.clover) {
        for (int k = 0; k < 4; ++k) {
            float a = Deg(45.0f + 90.0f * (float)k);
            Vec3 out(std::cos(a), 0, std::sin(a)), side(-out.z, 0, out.x);
            Vec3 c = out * 0.68f;
            std::vector<Vec3> path;
            std::vector<float> rad;
            const int n = 14;
            for (int i = 0; i <= n; ++i) {
                float t = 2 * kPi * (float)i / n;
                Vec3 p = c + out * (0.3f * std::cos(t)) + side * (0.22f * std::sin(t));
                path.push_back(onDome(p.x, p.z));
                rad.push_back(0.075f);
            }
            b.Tube(path, rad, 5, look.gonad);
        }
    } else {
        for (int k = 0; k < 8; ++k) {
            float a = Deg(45.0f * (float)k + 22.5f);
            std::vector<Vec3> path;
            std::vector<float> rad;
            const int n = 5;
            for (int i = 0; i <= n; ++i) {
                float r = 0.32f + (look.rim - 0.5f) * (float)i / n;
                path.push_back(onDome(r * std::cos(a), r * std::sin(a)));
                rad.push_back(i == 0 || i == n ? 0.0f : 0.06f);
            }
            b.Tube(path, rad, 4, look.gonad);
        }
        std::vector<Vec3> ring;
        std::vector<float> rad;
        for (int i = 0; i <= 16; ++i) {
            float t = 2 * kPi * (float)i / 16;
            ring.push_back(onDome(0.34f * std::cos(t), 0.34f * std::sin(t)));
            rad.push_back(0.07f);
        }
        b.Tube(ring, rad, 4, look.gonad);
    }

    // Frill: scalloped lappets round the rim, reaching out past it.
    SurfOpts sheet;
    sheet.twoSided = true;
    const int nu = look.lappets * 3;
    std::vector<std::vector<Vec3>> rows;
    for (int j = 0; j <= 2; ++j) {
        float t = (float)j / 2;
        std::vector<Vec3> row;
        for (int i = 0; i < nu; ++i) {
            float a = 2 * kPi * (float)i / nu;
            float lobe = 0.55f + 0.45f * std::cos(a * (float)look.lappets);
            float r = look.rim - 0.08f + look.frill * t * (0.45f + 0.55f * lobe);
            float y = 0.05f - 0.14f * t * t + 0.03f * t * std::sin(a * (float)look.lappets * 2);
            row.push_back(Vec3(r * std::cos(a), y, r * std::sin(a)));
        }
        rows.push_back(row);
    }
    b.Grid(rows, true, look.frillMat, sheet);
    return b.Take();
}

} // namespace

// The player and every jelly: a pale aqua moon jelly; the game tints it (white, magenta astray, red when
// hit).
Mesh MakePlayer() {
    Builder b;
    JellyLook look;
    look.height = 1.45f, look.rim = 1.86f, look.lappets = 16, look.frill = 0.22f, look.clover = true;
    look.arm = b.Mat(0.95f, 0.85f, 1.0f, 0.75f, 20, 0.3f, 0.1f);
    look.bell = b.Mat(GlowMat(0.5f, 0.88f, 1.0f, 0.8f));
    look.gonad = b.Mat(1.0f, 0.42f, 0.9f, 0.95f, 20, 0.4f, 0.2f);
    look.frillMat = b.Mat(0.93f, 1.0f, 1.0f, 0.9f, 20, 0.4f, 0.3f);
    return Jelly(b, look);
}

Mesh MakeEnemy() {
    Builder b;
    JellyLook look;
    look.height = 1.6f, look.rim = 1.8f, look.lappets = 12, look.frill = 0.25f, look.clover = false;
    look.arm = b.Mat(1.0f, 0.75f, 0.85f, 0.75f, 20, 0.3f, 0.1f);
    look.bell = b.Mat(GlowMat(1.0f, 0.78f, 0.88f, 0.8f));
    look.gonad = b.Mat(0.9f, 0.4f, 0.75f, 0.95f, 20, 0.4f, 0.2f);
    look.frillMat = b.Mat(1.0f, 0.88f, 0.93f, 0.9f, 20, 0.4f, 0.3f);
    return Jelly(b, look);
}

// ---- The football fish -------------------------------------------------------------------------------
//
// A round anglerfish facing +z. The body is a ball of radius 4.5 about the origin; its lower-front
// quarter (the wedge between straight ahead and 80 degrees below it, about the x axis) is the lower jaw,
// a separate mesh of the same wedge hinged on the x axis through the origin. Turning the jaw about +x
// (as D3DX's rotation about X does for positive angles) swings its front down and opens the mouth.

namespace {

const float kBodyR = 4.5f;
const float kJawR = 4.62f;
const float kJawAngle = 80; // degrees below straight ahead

// A point of the ball: a from +x (0) to -x (pi), phi about the x axis from +z (0) towards +y.
Vec3 Ball(float a, float phi, float r) {
    return Vec3(r * std::cos(a), r * std::sin(a) * std::sin(phi), r * std::sin(a) * std::cos(phi));
}

// The flat half-disc where the ball is cut at angle phi; its front side looks towards decreasing phi,
// or increasing phi when towardsMorePhi is set.
void Cut(Builder& b, float phi, float r, bool towardsMorePhi, uint32_t mat) {
    SurfOpts o;
    o.flip = towardsMorePhi;
    b.Surface(
        14, 2, false,
        [=](float u, float v) {
            float a = u * kPi;
            return Vec3(r * std::cos(a), v * r * std::sin(a) * std::sin(phi),
                        v * r * std::sin(a) * std::cos(phi));
        },
        mat, o);
}

void Fan(Builder& b, Vec3 base, Vec3 axisA, Vec3 axisB, float from, float to, float length, uint32_t mat,
         uint32_t rib) {
    SurfOpts o;
    o.twoSided = true;
    o.matFn = [=](float u, float, Vec3) { return std::fmod(u * 9.0f, 1.0f) < 0.25f ? rib : mat; };
    b.Surface(
        9, 2, false,
        [=](float u, float v) {
            float a = from + (to - from) * u;
            float len = length * (0.75f + 0.25f * std::sin(u * kPi));
            return base + (axisA * std::cos(a) + axisB * std::sin(a)) * (len * v);
        },
        mat, o);
}

} // namespace

Mesh MakeFootball() {
    Builder b;
    uint32_t skin = b.Mat(0.56f, 0.43f, 0.3f, 1, 10, 0.15f);
    uint32_t spot = b.Mat(0.38f, 0.28f, 0.2f, 1, 10, 0.1f);
    uint32_t belly = b.Mat(0.78f, 0.68f, 0.52f, 1, 10, 0.15f);
    uint32_t mouth = b.Mat(0.45f, 0.06f, 0.1f, 1, 10, 0.1f);
    uint32_t tooth = b.Mat(0.96f, 0.95f, 0.86f, 1, 40, 0.6f, 0.1f);
    uint32_t eyeWhite = b.Mat(0.88f, 0.86f, 0.7f, 1, 40, 0.6f);
    uint32_t iris = b.Mat(0.95f, 0.7f, 0.15f, 1, 40, 0.6f, 0.2f);
    uint32_t pupil = b.Mat(0.04f, 0.04f, 0.05f, 1, 60, 0.9f);
    uint32_t fin = b.Mat(0.62f, 0.5f, 0.36f, 1, 10, 0.1f);
    uint32_t finRib = b.Mat(0.45f, 0.34f, 0.24f, 1, 10, 0.1f);
    uint32_t esca = b.Mat(1.0f, 0.97f, 0.75f, 1, 30, 0.5f, 0.6f);

    // The body: everything of the ball but the jaw's wedge.
    const float phiEnd = Deg(360 - kJawAngle);
    SurfOpts body;
    body.matFn = [=](float, float, Vec3 p) {
        if (p.y < -2.4f) return belly;
        if (Noise3(Vec3(p.x * 0.7f, p.y * 0.7f, p.z * 0.7f), 5) > 0.38f) return spot;
        return skin;
    };
    b.Surface(
        20, 24, false, [=](float u, float v) { return Ball(u * kPi, v * phiEnd, kBodyR); }, skin, body);
    // The roof of the mouth (faces down into the gap) and the floor behind the jaw.
    Cut(b, 0, kBodyR, false, mouth);
    Cut(b, phiEnd, kBodyR, true, mouth);

    // Upper teeth along the front of the roof, pointing down and a little inwards.
    for (int k = 0; k < 11; ++k) {
        float a = Deg(22 + 13.6f * (float)k);
        Vec3 at = Ball(a, 0, kBodyR * 0.96f) + Vec3(0, 0.05f, 0);
        Vec3 in = Normalize(Vec3(-at.x, 0, -at.z));
        Cone(b, at, Normalize(Vec3(0, -1, 0) + in * 0.3f), 0.17f, k % 2 ? 0.55f : 0.75f, 4, tooth);
    }

    // Eyes high on the front of the head.
    for (int side = -1; side <= 1; side += 2) {
        Vec3 dir = Normalize(Ball(Deg(side < 0 ? 118 : 62), Deg(36), 1));
        Vec3 centre = dir * (kBodyR * 0.93f);
        SurfOpts eye;
        eye.matFn = [=](float, float, Vec3 p) {
            float c = Dot(Normalize(p - centre), dir);
            return c > 0.85f ? pupil : (c > 0.6f ? iris : eyeWhite);
        };
        b.Blob(centre, Vec3(0.55f, 0.55f, 0.55f), 10, 6, eyeWhite, nullptr, eye);
    }

    // The lure: a stalk arching from the forehead forward to the glowing bulb at (0, 5, 5).
    std::vector<Vec3> stalk =
        Bezier(Vec3(0, 4.1f, 1.2f), Vec3(0, 6.4f, 1.9f), Vec3(0, 6.5f, 4.3f), Vec3(0, 5.2f, 4.9f), 7);
    std::vector<float> sr;
    for (size_t k = 0; k < stalk.size(); ++k)
        sr.push_back(0.2f - 0.1f * (float)k / (float)stalk.size());
    b.Tube(stalk, sr, 5, skin);
    b.Blob(Vec3(0, 5, 5), Vec3(0.32f, 0.32f, 0.32f), 8, 5, esca);

    // Bony bumps over the back.
    MeshRng rng(31);
    for (int k = 0; k < 26; ++k) {
        float a = Deg(rng.Uniform(28, 152));
        float phi = Deg(rng.Uniform(70, 240));
        Vec3 d = Ball(a, phi, 1);
        Cone(b, d * (kBodyR - 0.05f), d, 0.22f, 0.38f, 4, spot);
    }

    // Fins: a tail fan at the back, a crest on the back and a pectoral fin on each side.
    Fan(b, Vec3(0, 0.4f, -kBodyR + 0.3f), Vec3(0, 0, -1), Vec3(0, 1, 0), Deg(-38), Deg(38), 2.0f, fin,
        finRib);
    Fan(b, Vec3(0, kBodyR - 0.35f, -1.8f), Vec3(0, 0.45f, -1), Vec3(0, 1, 0.3f), Deg(-5), Deg(55), 1.2f, fin,
        finRib);
    for (int side = -1; side <= 1; side += 2) {
        Vec3 base((float)side * (kBodyR - 0.25f), -1.2f, -0.6f);
        Fan(b, base, Normalize(Vec3((float)side * 0.5f, 0, -1)), Vec3(0, 1, 0), Deg(-50), Deg(30), 1.5f, fin,
            finRib);
    }
    return b.Take();
}

Mesh MakeLowerJaw() {
    Builder b;
    uint32_t chin = b.Mat(0.74f, 0.62f, 0.47f, 1, 10, 0.15f);
    uint32_t mouth = b.Mat(0.5f, 0.08f, 0.12f, 1, 10, 0.1f);
    uint32_t tongue = b.Mat(0.7f, 0.25f, 0.3f, 1, 20, 0.3f);
    uint32_t tooth = b.Mat(0.96f, 0.95f, 0.86f, 1, 40, 0.6f, 0.1f);
    const float phiStart = Deg(-kJawAngle);
    b.Surface(
        20, 7, false, [=](float u, float v) { return Ball(u * kPi, phiStart * (1 - v), kJawR); }, chin);
    // The floor of the mouth faces up into the gap; the back of the wedge faces down into the body.
    SurfOpts floor;
    floor.flip = true;
    b.Surface(
        14, 2, false,
        [=](float u, float v) {
            float a = u * kPi;
            return Vec3(kJawR * std::cos(a), 0, kJawR * std::sin(a) * v);
        },
        mouth, floor);
    Cut(b, phiStart, kJawR, false, mouth);
    b.Blob(Vec3(0, -0.05f, 2.0f), Vec3(1.0f, 0.3f, 1.7f), 10, 5, tongue);
    // Lower fangs, between the upper ones, pointing up and a little inwards.
    for (int k = 0; k < 10; ++k) {
        float a = Deg(28.8f + 13.6f * (float)k);
        Vec3 at = Ball(a, 0, kJawR * 0.95f) - Vec3(0, 0.05f, 0);
        Vec3 in = Normalize(Vec3(-at.x, 0, -at.z));
        Cone(b, at, Normalize(Vec3(0, 1, 0) + in * 0.25f), 0.18f, k % 3 == 1 ? 0.95f : 0.65f, 4, tooth);
    }
    return b.Take();
}

} // namespace assetgen
