// The stage modes: a stage file's objects placed as the game places them, seen by the game camera or
// marked on a top-down map.
#include "tools/assetgen/preview/preview.h"

#include "world/StageFile.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace assetgen {

namespace {

// The stage files' type codes.
enum RecordCode : int32_t {
    kJelly = 0,
    kJellyRing = 1,
    kFootball = 2,
    kAnemone = 3,
    kSquid = 4,
    kPercula = 5,
    kPearl = 10,
    kStarfishA = 11,
    kStarfishB = 12,
    kWakame = 13,
    kCoral = 14,
    kRockSmall = 30,
    kRockMedium = 31,
    kRockLarge = 32,
    kFlower = 33
};

// Where the player starts in each stage.
const Vec3 kStarts[4] = {{60, 6, -170}, {0, 6, 80}, {100, 6, -120}, {0, 6, 0}};
// The flower's two blossoms, where its vines lead.
const Vec3 kBlossoms[2] = {{-320, 0, 125}, {265, 0, -38}};

// Each kind of object: the mesh it is drawn with, scaled and turned about y as the game draws it, and its
// dot on the map.
struct Kind {
    int32_t code;
    const char* mesh;
    Vec3 scale;
    float turnDeg;
    float mapRadius;
    Colour mapColour;
};
const Kind kKinds[] = {{kJelly, "player", {1, 1, 1}, 0, 4, Hex(0x3380FF)},
                       {kJellyRing, "player", {1, 1, 1}, 0, 4, Hex(0x3380FF)},
                       {kFootball, "football", {2.5f, 2.5f, 2.5f}, 180, 13, Hex(0x994C1A)},
                       {kAnemone, "anemone", {10, 5, 10}, 0, 17.5f, Hex(0xCC4CCC)},
                       {kSquid, "squid", {5, 5, 5}, 180, 13, Hex(0xFF8080)},
                       {kPercula, "percula", {3, 3, 3}, 0, 4, Hex(0xFF8000)},
                       {kPearl, "pearl", {4, 4, 4}, 0, 4, Hex(0xFFFFFF)},
                       {kStarfishA, "starfishA", {2, 2, 2}, 0, 3, Hex(0xFF6633)},
                       {kStarfishB, "starfishB", {2, 2, 2}, 0, 3, Hex(0xFF6633)},
                       {kWakame, "wakame", {1, 1, 1}, 0, 4, Hex(0x1A9933)},
                       {kCoral, "coral_red", {4, 4, 4}, 0, 10, Hex(0xE61A1A)},
                       {kRockSmall, "rock", {8, 4, 8}, 0, 7, Hex(0x666666)},
                       {kRockMedium, "rock", {8, 4, 8}, 0, 8, Hex(0x595959)},
                       {kRockLarge, "rock", {8, 4, 8}, 0, 9.3f, Hex(0x4C4C4C)},
                       {kFlower, "flower_outside", {7.5f, 6.5f, 7.5f}, 0, 28, Hex(0x80E680)}};

const Kind* KindOf(int32_t code) {
    for (const Kind& k : kKinds)
        if (k.code == code) return &k;
    return nullptr;
}

std::vector<StageRecord> ReadStage(const std::string& root, int stage) {
    return ReadStageFile(root + "/data/stage" + std::to_string(stage) + ".csv").records;
}

// Scaled, turned about y by turnDeg, then moved to `at`.
Xf Placement(Vec3 scale, float turnDeg, Vec3 at) {
    return Xf::Scale(scale.x, scale.y, scale.z).Then(Xf::RotY(Deg(turnDeg))).Then(Xf::Move(at));
}

// Points round a centre in the x-z plane, every `stepDeg` degrees from +z.
std::vector<Vec3> Round(Vec3 centre, float radius, int stepDeg) {
    std::vector<Vec3> out;
    for (int a = 0; a < 360; a += stepDeg)
        out.push_back(centre + Vec3(std::sin(Deg((float)a)), 0, std::cos(Deg((float)a))) * radius);
    return out;
}

// Where the objects of a record stand: a ring is three jellies 10 from its centre; jellies swim at height 4,
// rocks sink deeper the smaller they are.
std::vector<Vec3> Spots(const StageRecord& r) {
    Vec3 at(r.x, r.y, r.z);
    if (r.code == kJelly || r.code == kJellyRing) at.y = 4;
    if (r.code >= kRockSmall && r.code <= kRockLarge) at.y = (r.code - kRockLarge) * 2.0f;
    return r.code == kJellyRing ? Round(at, 10, 120) : std::vector<Vec3>{at};
}

struct Placed {
    std::string mesh;
    Xf world;
};

// The rest of the flower (its outside is the kind's own mesh), the blossoms and the vines to them.
void PlaceFlower(std::vector<Placed>& out, Vec3 at) {
    out.push_back({"flower_inside", Placement(Vec3(7.5f, 6.5f, 7.5f), 0, at)});
    out.push_back({"flower_center", Placement(Vec3(7.5f, 4.5f, 7.5f), 0, at)});
    for (const Vec3& b : kBlossoms) {
        out.push_back({"rootsoul", Placement(Vec3(6, 6, 6), 0, Vec3(b.x, 4.5f, b.z))});
        for (int a = 0; a < 360; a += 72)
            out.push_back({"petal", Placement(Vec3(10, 7, 10), (float)a, b)});
        Vec3 d = at - b;
        int segs = (int)Length(d) / 50;
        float ang = std::atan2(at.z - b.z, b.x - at.x) * 180 / kPi;
        for (int k = 0; k < segs; ++k) {
            Vec3 p = b + d * ((k + 0.5f) / segs);
            out.push_back(
                {"ivy", Placement(Vec3(4.5f, 1.5f, 4.5f), ang + (k % 2 ? 8.0f : -8.0f), Vec3(p.x, 0, p.z))});
            out.push_back(
                {"miniflower", Placement(Vec3(1, 1.5f, 1), 0, Vec3(p.x + (k % 3 - 1) * 10.0f, 2, p.z))});
        }
    }
}

std::vector<Placed> Objects(const std::vector<StageRecord>& recs) {
    std::vector<Placed> out;
    for (const StageRecord& r : recs) {
        const Kind* kind = KindOf(r.code);
        if (!kind) continue;
        // Each coral is turned its own way.
        const float turn = r.code == kCoral ? (float)((int)(r.x * 7 + r.z * 3) % 360) : kind->turnDeg;
        for (const Vec3& at : Spots(r))
            out.push_back({kind->mesh, Placement(kind->scale, turn, at)});
        const Xf body = out.back().world;
        if (r.code == kFootball) {
            out.push_back({"lowerjaw", Xf::Scale(1, 1, 1.2f).Then(Xf::RotX(Deg(10))).Then(body)});
            out.push_back({"effect", Xf::Move(0, 5, 5).Then(body)});
        }
        if (r.code == kAnemone) // its clownfish round it
            for (Vec3 p : Round(Vec3(r.x, 0, r.z), 40, 45))
                out.push_back({"percula", Placement(Vec3(3, 3, 3), 0, p)});
        if (r.code == kFlower) PlaceFlower(out, body.t);
    }
    return out;
}

// A flat quad (a, b, c, d clockwise from above) as two triangles.
void DrawQuad(Frame& frame, const Camera& cam, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 n, Colour colour,
              float blend = 0) {
    DrawTri(frame, cam, Tri{{a, b, c}, {n, n, n}, colour}, Xf(), Faces::kFront, blend);
    DrawTri(frame, cam, Tri{{a, c, d}, {n, n, n}, colour}, Xf(), Faces::kFront, blend);
}

bool Near(const Xf& world, Vec3 p, float reach) {
    return std::fabs(world.t.x - p.x) <= reach && std::fabs(world.t.z - p.z) <= reach;
}

} // namespace

void StageScene(const std::string& root, int stage, const std::string& outPath, const Vec3* at) {
    Vec3 p = kStarts[std::clamp(stage, 1, 4) - 1];
    if (at) p.x = at->x, p.z = at->z;
    std::vector<Placed> objs = Objects(ReadStage(root, stage));
    objs.push_back({"player", Xf::Move(p.x, p.y + 3, p.z)});
    Frame frame(640, 480, Hex(0x0D334C));
    Camera cam = LookAt(Vec3(p.x, 40, p.z - 10), Vec3(p.x, 3, p.z), 90, 0, 0, 640, 480);
    // The seabed, in tiles.
    const Vec3 up(0, 1, 0);
    for (int gz = -500; gz < 500; gz += 20)
        for (int gx = -500; gx < 500; gx += 20) {
            if (std::fabs(gx - p.x) > 120 || std::fabs(gz - p.z) > 120) continue;
            float s = ((gx + gz) / 20) % 2 == 0 ? 0.62f : 0.66f;
            float x = (float)gx, z = (float)gz;
            DrawQuad(frame, cam, Vec3(x, 0, z), Vec3(x, 0, z + 20), Vec3(x + 20, 0, z + 20),
                     Vec3(x + 20, 0, z), up, Colour{s, s * 0.92f, s * 0.7f, 1});
        }
    std::map<std::string, std::unique_ptr<LoadedMesh>> cache;
    for (const Placed& o : objs) {
        if (!Near(o.world, p, 150) || o.mesh == "wakame") continue; // seaweed is drawn last, translucent
        auto& m = cache[o.mesh];
        if (!m) m = std::make_unique<LoadedMesh>(LoadMesh(root + "/xfile/" + o.mesh + ".x"));
        for (const Tri& t : m->tris)
            DrawTri(frame, cam, t, o.world, Faces::kFront);
    }
    // Seaweed strips: 20 wide, from height 20 down to 4, slanting towards -z.
    for (const Placed& o : objs) {
        if (o.mesh != "wakame") continue;
        float x = o.world.t.x, z = o.world.t.z;
        DrawQuad(frame, cam, Vec3(x - 10, 20, z + 20), Vec3(x + 10, 20, z + 20), Vec3(x + 10, 4, z + 4),
                 Vec3(x - 10, 4, z + 4), Vec3(0, 0.7f, -0.7f), Hex(0x4C994C), 0.35f);
    }
    frame.Save(outPath);
}

namespace {

// The map's marks, each a round-ended stroke (a dot when its ends meet), gathered by colour so that each
// colour is one pass over the picture. Coordinates are the stage's x and z.
class MapMarks {
  public:
    void Line(Colour c, float x0, float z0, float x1, float z1) {
        Of(c).push_back({x0, z0, x1, z1, kLineRadius});
    }
    void Dot(Colour c, float x, float z, float r) { Of(c).push_back({x, z, x, z, r}); }

    // Draws the colours in the order they were first used; the map spans -500 to 500 in x and z, +z up.
    void Draw(Canvas& canvas) const {
        const float unit = canvas.Width() / 1000.0f; // design units (pixels) per stage unit
        for (const Layer& layer : m_Layers) {
            const std::vector<Stroke>& strokes = layer.strokes;
            canvas.FillSdf(
                [&strokes, unit](float u, float v) {
                    float x = u / unit - 500, z = 500 - v / unit, best = 1e9f;
                    for (const Stroke& s : strokes) {
                        float reach = s.r + 2;
                        if (x < std::min(s.x0, s.x1) - reach || x > std::max(s.x0, s.x1) + reach ||
                            z < std::min(s.z0, s.z1) - reach || z > std::max(s.z0, s.z1) + reach)
                            continue;
                        best = std::min(best, SdSegment(x, z, s.x0, s.z0, s.x1, s.z1) - s.r);
                    }
                    return best * unit;
                },
                Solid(layer.colour));
        }
    }

  private:
    static constexpr float kLineRadius = 0.7f;
    struct Stroke {
        float x0, z0, x1, z1, r;
    };
    struct Layer {
        Colour colour;
        std::vector<Stroke> strokes;
    };
    std::vector<Stroke>& Of(Colour c) {
        for (Layer& l : m_Layers)
            if (l.colour.r == c.r && l.colour.g == c.g && l.colour.b == c.b) return l.strokes;
        m_Layers.push_back({c, {}});
        return m_Layers.back().strokes;
    }
    std::vector<Layer> m_Layers;
};

} // namespace

void StageMap(const std::string& root, int stage, const std::string& outPath) {
    const int size = 800;
    MapMarks marks;
    // The collision mesh's walls where they cross its height 0.5 (the mesh is scaled 30 in the game), each
    // with a tick along its normal.
    LoadedMesh walls = LoadMesh(root + "/xfile/collision" + std::to_string(std::clamp(stage, 1, 3)) + ".x");
    for (const Tri& t : walls.tris) {
        std::vector<Vec3> cut;
        for (int e = 0; e < 3; ++e) {
            Vec3 a = t.p[e], b = t.p[(e + 1) % 3];
            if ((a.y - 0.5f) * (b.y - 0.5f) < 0) cut.push_back(Lerp(a, b, (0.5f - a.y) / (b.y - a.y)));
        }
        if (cut.size() != 2) continue;
        Vec3 a = cut[0] * 30, b = cut[1] * 30, m = (a + b) * 0.5f;
        Vec3 n = Normalize(Cross(t.p[1] - t.p[0], t.p[2] - t.p[0]));
        marks.Line(Hex(0x331A1A), a.x, a.z, b.x, b.z);
        marks.Line(Hex(0xE63333), m.x, m.z, m.x + n.x * 8, m.z + n.z * 8);
    }
    for (int g = -500; g <= 500; g += 100) {
        marks.Line(Hex(0xB2A680), (float)g, -500, (float)g, 500);
        marks.Line(Hex(0xB2A680), -500, (float)g, 500, (float)g);
    }
    for (const StageRecord& r : ReadStage(root, stage)) {
        const Kind* kind = KindOf(r.code);
        if (!kind) continue;
        for (const Vec3& at : Spots(r))
            marks.Dot(kind->mapColour, at.x, at.z, kind->mapRadius);
        if (r.code != kFlower) continue;
        for (const Vec3& b : kBlossoms) {
            marks.Line(Hex(0x339933), r.x, r.z, b.x, b.z);
            marks.Dot(Hex(0xFF80CC), b.x, b.z, 10);
        }
    }
    if (stage >= 1 && stage <= 3) marks.Dot(Hex(0x0000FF), kStarts[stage - 1].x, kStarts[stage - 1].z, 6);
    Frame frame(size, size, Hex(0xCCBF99));
    marks.Draw(frame.Colours());
    frame.Save(outPath);
}

} // namespace assetgen
