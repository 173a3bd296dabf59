// The four stage files: they parse as the stage loader reads them, hold the designed objects (one target
// creature in each of stages 1 to 3), keep everything inside the stage's walls (taken from the generated
// collision meshes) and out of rocks, and stage 2's flower closes the canyon of its anemone.
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "world/StageFile.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef BW_ASSETGEN
#error "BW_ASSETGEN must name the asset generator binary"
#endif

namespace fs = std::filesystem;

namespace {

using Record = StageRecord;

std::string StagePath(int stage) {
    return std::string(BW_SOURCE_DIR) + "/data/stage" + std::to_string(stage) + ".csv";
}

// Reads a stage file with the game's reader; lines that are no record are reported in *bad.
std::vector<Record> ReadStage(int stage, std::vector<std::string>* bad) {
    StageFileContents contents = ReadStageFile(StagePath(stage));
    if (contents.lines == 0) bad->push_back("(no header)");
    for (const auto& line : contents.malformed)
        bad->push_back(line.second);
    return contents.records;
}

const std::set<int> kCodes = {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 30, 31, 32, 33};
const float kPi = 3.14159265f;

float RockRadius(int code) {
    return code == 30 ? 7.0f : (code == 31 ? 8.0f : 9.3f);
}
bool IsRock(int code) {
    return code >= 30 && code <= 32;
}

// The target count as the loader builds it.
int TargetCount(int stage, const std::vector<Record>& recs) {
    int n = 0;
    for (const Record& r : recs)
        if ((stage == 1 && r.code == 2) || (stage == 2 && r.code == 3) || (stage == 3 && r.code == 4)) ++n;
    return n;
}

// Where objects stand on the seabed: every jelly of a ring, an anemone's fish ring, the flower's blossoms.
struct Spot {
    float x, z;
    float clearance; // distance it keeps from walls
    int code;
};

const float kBlossoms[2][2] = {{-320, 125}, {265, -38}};

std::vector<Spot> Spots(const std::vector<Record>& recs) {
    std::vector<Spot> out;
    for (const Record& r : recs) {
        switch (r.code) {
        case 1:
            for (int a = 0; a < 360; a += 120)
                out.push_back({r.x + 10 * std::sin(a * kPi / 180), r.z + 10 * std::cos(a * kPi / 180), 5, 1});
            break;
        case 2:
        case 4:
            out.push_back({r.x, r.z, 15, r.code});
            break;
        case 3:
            out.push_back({r.x, r.z, 20, 3});
            for (int a = 0; a < 360; a += 45)
                out.push_back({r.x + 40 * std::sin(a * kPi / 180), r.z + 40 * std::cos(a * kPi / 180), 3, 5});
            break;
        case 33:
            out.push_back({r.x, r.z, 0, 33});
            for (const auto& b : kBlossoms)
                out.push_back({b[0], b[1], 25, -33});
            break;
        default:
            out.push_back({r.x, r.z, IsRock(r.code) ? 5.0f : 5.0f, r.code});
            break;
        }
    }
    return out;
}

// ---- The walls, cut from a generated collision mesh at half height, in world units --------------------

struct Seg {
    float x0, z0, x1, z1;
    float nx, nz; // the face's normal, horizontal
};

class Walls {
  public:
    void Load(const fs::path& path) {
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(path.string(), aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                                                 aiProcess_Triangulate);
        ASSERT_NE(scene, nullptr) << path;
        for (unsigned k = 0; k < scene->mNumMeshes; ++k) {
            const aiMesh* m = scene->mMeshes[k];
            for (unsigned f = 0; f < m->mNumFaces; ++f) {
                aiVector3D p[3];
                for (int c = 0; c < 3; ++c)
                    p[c] = m->mVertices[m->mFaces[f].mIndices[c]];
                aiVector3D n = (p[1] - p[0]) ^ (p[2] - p[0]);
                std::vector<aiVector3D> cut;
                for (int e = 0; e < 3; ++e) {
                    aiVector3D a = p[e], b = p[(e + 1) % 3];
                    if ((a.y - 0.5f) * (b.y - 0.5f) < 0)
                        cut.push_back(a + (b - a) * ((0.5f - a.y) / (b.y - a.y)));
                }
                m_Tris.push_back({p[0], p[1], p[2]});
                if (cut.size() != 2) continue;
                float len = std::sqrt(n.x * n.x + n.z * n.z);
                m_Segs.push_back(
                    {cut[0].x * 30, cut[0].z * 30, cut[1].x * 30, cut[1].z * 30, n.x / len, n.z / len});
            }
        }
        ASSERT_GT(m_Segs.size(), 3u) << path;
    }

    // Even-odd crossings of a ray leaving (x, z) in a direction no wall corner lines up with.
    bool Inside(float x, float z) const {
        const float dx = 1.0f, dz = 0.0171f;
        int crossings = 0;
        for (const Seg& s : m_Segs) {
            float ex = s.x1 - s.x0, ez = s.z1 - s.z0;
            float den = dx * ez - dz * ex;
            if (std::fabs(den) < 1e-9f) continue;
            float t = ((s.x0 - x) * ez - (s.z0 - z) * ex) / den;
            float u = ((s.x0 - x) * dz - (s.z0 - z) * dx) / den;
            if (t > 0 && u >= 0 && u < 1) ++crossings;
        }
        return crossings % 2 == 1;
    }

    float Distance(float x, float z) const {
        float best = 1e9f;
        for (const Seg& s : m_Segs) {
            float ex = s.x1 - s.x0, ez = s.z1 - s.z0;
            float t = ((x - s.x0) * ex + (z - s.z0) * ez) / std::max(1e-9f, ex * ex + ez * ez);
            t = std::max(0.0f, std::min(1.0f, t));
            best = std::min(best, std::hypot(x - (s.x0 + ex * t), z - (s.z0 + ez * t)));
        }
        return best;
    }

    const std::vector<Seg>& Segs() const { return m_Segs; }

    // The nearest face that a ray from world point (x, y, z) along (dx, 0, dz) meets, in mesh space as the
    // wall slide casts it (the terrain is scaled by 30, 20, 30). False when it meets none.
    bool Cast(float x, float y, float z, float dx, float dz, float* dist, aiVector3D* normal) const {
        aiVector3D o(x / 30, y / 20, z / 30), d(dx, 0, dz);
        d.Normalize();
        float best = 1e30f;
        for (const auto& t : m_Tris) {
            aiVector3D e1 = t[1] - t[0], e2 = t[2] - t[0], pv = d ^ e2;
            float det = e1 * pv;
            if (std::fabs(det) < 1e-12f) continue;
            aiVector3D tv = o - t[0], qv = tv ^ e1;
            float u = (tv * pv) / det, v = (d * qv) / det, dt = (e2 * qv) / det;
            if (u < 0 || v < 0 || u + v > 1 || dt < 0 || dt >= best) continue;
            best = dt;
            *normal = e1 ^ e2;
        }
        *dist = best;
        return best < 1e30f;
    }

  private:
    std::vector<Seg> m_Segs;
    std::vector<std::array<aiVector3D, 3>> m_Tris;
};

// ---- Swimming room: which parts of a stage the player can reach from its start ------------------------

struct Reach {
    static const int N = 200; // 5-unit cells over -500..500
    std::vector<char> open, seen;

    static float Centre(int i) { return -500.0f + 5.0f * ((float)i + 0.5f); }

    void Build(const Walls& walls, const std::vector<Record>& recs, bool flowerStands, float sx, float sz) {
        open.assign(N * N, 0);
        seen.assign(N * N, 0);
        for (int j = 0; j < N; ++j)
            for (int i = 0; i < N; ++i) {
                float x = Centre(i), z = Centre(j);
                bool ok = walls.Inside(x, z) && walls.Distance(x, z) > 2.5f;
                for (const Record& r : recs) {
                    float d = std::hypot(x - r.x, z - r.z);
                    if (IsRock(r.code) && d < RockRadius(r.code) + 2) ok = false;
                    if (r.code == 33 && flowerStands && d < 28 + 2) ok = false;
                }
                open[j * N + i] = ok;
            }
        int si = (int)((sx + 500) / 5), sj = (int)((sz + 500) / 5);
        std::vector<int> todo;
        if (open[sj * N + si]) todo.push_back(sj * N + si), seen[sj * N + si] = 1;
        while (!todo.empty()) {
            int c = todo.back();
            todo.pop_back();
            int i = c % N, j = c / N;
            const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
            for (int k = 0; k < 4; ++k) {
                int ni = i + di[k], nj = j + dj[k];
                if (ni < 0 || nj < 0 || ni >= N || nj >= N) continue;
                int n = nj * N + ni;
                if (open[n] && !seen[n]) seen[n] = 1, todo.push_back(n);
            }
        }
    }

    // The nearest reachable cell centre to (x, z).
    float Nearest(float x, float z) const {
        float best = 1e9f;
        for (int j = 0; j < N; ++j)
            for (int i = 0; i < N; ++i)
                if (seen[j * N + i]) best = std::min(best, std::hypot(Centre(i) - x, Centre(j) - z));
        return best;
    }
};

const float kStarts[3][2] = {{60, -170}, {0, 80}, {100, -120}};

class AssetStageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_Scratch = new ScratchDir("stages");
        s_Root = s_Scratch->Path();
        ASSERT_FALSE(s_Root.empty());
        std::string cmd = std::string("\"") + BW_ASSETGEN + "\" \"" + s_Root + "\" > /dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        for (int k = 0; k < 3; ++k)
            s_Walls[k].Load(fs::path(s_Root) / "xfile" / ("collision" + std::to_string(k + 1) + ".x"));
    }
    static void TearDownTestSuite() {
        delete s_Scratch;
        s_Scratch = nullptr;
    }
    static std::vector<Record> Stage(int n) {
        std::vector<std::string> bad;
        std::vector<Record> recs = ReadStage(n, &bad);
        EXPECT_TRUE(bad.empty()) << "stage " << n << ": " << (bad.empty() ? "" : bad[0]);
        return recs;
    }
    // The walls that can hold during a stage: stage 4 keeps whichever terrain the last stage chose.
    static std::vector<const Walls*> WallsOf(int stage) {
        if (stage <= 3) return {&s_Walls[stage - 1]};
        return {&s_Walls[0], &s_Walls[1], &s_Walls[2]};
    }
    static ScratchDir* s_Scratch;
    static std::string s_Root;
    static Walls s_Walls[3];
};
ScratchDir* AssetStageTest::s_Scratch = nullptr;
std::string AssetStageTest::s_Root;
Walls AssetStageTest::s_Walls[3];

std::map<int, int> Histogram(const std::vector<Record>& recs) {
    std::map<int, int> h;
    for (const Record& r : recs)
        ++h[r.code];
    return h;
}

} // namespace

TEST_F(AssetStageTest, EveryLineReadsWithTheLoaderPatternAndKnownCodes) {
    for (int n = 1; n <= 4; ++n) {
        std::ifstream in(StagePath(n), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::string s = text.str();
        ASSERT_FALSE(s.empty()) << n;
        EXPECT_EQ(s.back(), '\n') << "stage " << n << " ends its last record with a line feed";
        EXPECT_EQ(s.find('\r'), std::string::npos) << n;
        StageRecord header{};
        EXPECT_FALSE(ParseStageRecord(s.substr(0, s.find('\n')), &header))
            << "stage " << n << ": the header is no record";
        std::vector<Record> recs = Stage(n);
        EXPECT_GT(recs.size(), 10u) << n;
        for (const Record& r : recs)
            EXPECT_TRUE(kCodes.count(r.code)) << "stage " << n << " code " << r.code;
    }
}

TEST_F(AssetStageTest, EachOfTheFirstThreeStagesHasExactlyOneTarget) {
    EXPECT_EQ(TargetCount(1, Stage(1)), 1);
    EXPECT_EQ(TargetCount(2, Stage(2)), 1);
    EXPECT_EQ(TargetCount(3, Stage(3)), 1);
    EXPECT_EQ(TargetCount(4, Stage(4)), 0);
    // And no other target creature stands where it would only distract: none in stages 1 to 3.
    std::map<int, int> s1 = Histogram(Stage(1)), s2 = Histogram(Stage(2)), s3 = Histogram(Stage(3));
    EXPECT_EQ(s1[2], 1);
    EXPECT_EQ(s1[3] + s1[4] + s1[33], 0) << "stage 1 is a meadow: no anemone, squid or flower";
    EXPECT_EQ(s2[3], 1);
    EXPECT_EQ(s2[2] + s2[4], 0);
    EXPECT_EQ(s2[33], 1) << "one flower guards the canyon";
    EXPECT_EQ(s3[4], 1);
    EXPECT_EQ(s3[2] + s3[3] + s3[33], 0);
}

TEST_F(AssetStageTest, StagesHoldTheDesignedObjects) {
    // Jellies to rescue (single and rings of three), rocks, and every kind of decoration.
    for (int n = 1; n <= 3; ++n) {
        std::map<int, int> h = Histogram(Stage(n));
        int jellies = h[0] + 3 * h[1];
        EXPECT_GE(jellies, 18) << n;
        EXPECT_GE(h[30] + h[31] + h[32], 12) << n;
        EXPECT_GE(h[10], 4) << n;
        EXPECT_GE(h[11] + h[12], 4) << n;
        EXPECT_GE(h[13], 5) << n;
        EXPECT_GE(h[14], 4) << n;
    }
    std::map<int, int> gallery = Histogram(Stage(4));
    for (int code : kCodes)
        EXPECT_GE(gallery[code], 1) << "the gallery shows code " << code;
}

TEST_F(AssetStageTest, WallsFaceThePlayAreaAndHoldTheStarts) {
    for (int k = 0; k < 3; ++k) {
        const Walls& w = s_Walls[k];
        for (const Seg& s : w.Segs()) {
            float mx = (s.x0 + s.x1) / 2, mz = (s.z0 + s.z1) / 2;
            EXPECT_TRUE(w.Inside(mx + s.nx * 3, mz + s.nz * 3))
                << "stage " << k + 1 << " wall at " << mx << "," << mz;
            EXPECT_FALSE(w.Inside(mx - s.nx * 3, mz - s.nz * 3))
                << "stage " << k + 1 << " wall at " << mx << "," << mz;
        }
        EXPECT_TRUE(w.Inside(kStarts[k][0], kStarts[k][1])) << k + 1;
        EXPECT_GT(w.Distance(kStarts[k][0], kStarts[k][1]), 30.0f) << k + 1;
        EXPECT_FALSE(w.Inside(520, 0)) << "beyond the seabed is outside";
    }
}

// What the wall slide sees: from anywhere a swimmer starts, a ray at swimming height (the player at 6 to 12,
// risen creatures at 13) meets a wall in every heading, and that wall faces back at the swimmer.
TEST_F(AssetStageTest, RaysFromTheStartsAndTargetsMeetWallsFacingThem) {
    for (int n = 1; n <= 3; ++n) {
        std::vector<std::array<float, 2>> from = {{kStarts[n - 1][0], kStarts[n - 1][1]}};
        for (const Record& r : Stage(n))
            if (r.code >= 2 && r.code <= 4) from.push_back({r.x, r.z});
        for (const auto& p : from)
            for (float y : {6.0f, 12.0f, 13.0f})
                for (int a = 0; a < 360; a += 15) {
                    float h = (float)a * kPi / 180, dist = 0;
                    aiVector3D normal;
                    ASSERT_TRUE(s_Walls[n - 1].Cast(p[0], y, p[1], std::sin(h), std::cos(h), &dist, &normal))
                        << "stage " << n << " from " << p[0] << "," << p[1] << " heading " << a;
                    EXPECT_LT(normal.x * std::sin(h) + normal.z * std::cos(h), 0.0f)
                        << "stage " << n << " from " << p[0] << "," << p[1] << " heading " << a;
                    EXPECT_GT(dist * 30, 10.0f)
                        << "stage " << n << ": no wall right next to a start or target";
                }
    }
}

TEST_F(AssetStageTest, EverythingStandsInsideTheWallsAndOutOfRocksAndFlowers) {
    for (int n = 1; n <= 4; ++n) {
        std::vector<Record> recs = Stage(n);
        std::vector<Spot> spots = Spots(recs);
        // The player's start; stage 4 has none of its own, so keep the origin clear there.
        if (n <= 3)
            spots.push_back({kStarts[n - 1][0], kStarts[n - 1][1], 10, -1});
        else
            spots.push_back({0, 0, 10, -1});
        for (const Walls* w : WallsOf(n))
            for (const Spot& s : spots) {
                EXPECT_TRUE(w->Inside(s.x, s.z))
                    << "stage " << n << " code " << s.code << " at " << s.x << "," << s.z;
                EXPECT_GE(w->Distance(s.x, s.z), s.clearance) << "stage " << n << " code " << s.code << " at "
                                                              << s.x << "," << s.z << " is too near a wall";
            }
        for (const Record& r : recs) {
            bool rock = IsRock(r.code);
            float reach = rock ? RockRadius(r.code) : (r.code == 33 ? 28.0f : (r.code == 3 ? 17.5f : 0.0f));
            if (reach == 0) continue;
            for (const Spot& s : spots) {
                if (s.x == r.x && s.z == r.z && s.code == r.code) continue; // itself
                if (r.code == 3 && s.code == 5) continue;                   // its own fish start outside it
                float d = std::hypot(s.x - r.x, s.z - r.z);
                // Rocks may touch each other (a rocky wall), but no centre lies inside another rock.
                float need = IsRock(s.code)
                                 ? (rock ? std::max(reach, RockRadius(s.code)) : reach + RockRadius(s.code))
                                 : reach + 2;
                if (s.code == -33) need = reach + 20; // keep a blossom's petals clear
                EXPECT_GE(d, need) << "stage " << n << ": code " << s.code << " at " << s.x << "," << s.z
                                   << " is inside code " << r.code << " at " << r.x << "," << r.z;
            }
        }
    }
}

TEST_F(AssetStageTest, TheTargetsCanBeReachedFromTheStart) {
    Reach reach;
    for (int n : {1, 3}) {
        std::vector<Record> recs = Stage(n);
        reach.Build(s_Walls[n - 1], recs, true, kStarts[n - 1][0], kStarts[n - 1][1]);
        for (const Record& r : recs) {
            if (r.code == 2 || r.code == 4) {
                EXPECT_LT(reach.Nearest(r.x, r.z), 13.0f) << "stage " << n;
            }
            if (r.code == 0 || r.code == 1) {
                EXPECT_LT(reach.Nearest(r.x, r.z), 20.0f)
                    << "stage " << n << " jelly at " << r.x << "," << r.z;
            }
        }
    }
}

TEST_F(AssetStageTest, TheFlowerClosesTheAnemonesCanyonUntilBothBlossomsFall) {
    std::vector<Record> recs = Stage(2);
    const Record* anemone = nullptr;
    for (const Record& r : recs)
        if (r.code == 3) anemone = &r;
    ASSERT_NE(anemone, nullptr);
    Reach reach;
    reach.Build(s_Walls[1], recs, true, kStarts[1][0], kStarts[1][1]);
    // While the flower stands the player cannot get within shot range (41) of the anemone's hit circle.
    EXPECT_GT(reach.Nearest(anemone->x, anemone->z), 41.0f + 17.5f);
    // Both blossoms can be shot at from open water.
    for (const auto& b : kBlossoms)
        EXPECT_LT(reach.Nearest(b[0], b[1]), 30.0f) << b[0] << "," << b[1];
    // Once the flower is finished the canyon is open.
    reach.Build(s_Walls[1], recs, false, kStarts[1][0], kStarts[1][1]);
    EXPECT_LT(reach.Nearest(anemone->x, anemone->z), 25.0f);
}
