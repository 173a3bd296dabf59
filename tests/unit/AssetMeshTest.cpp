// The asset generator's meshes: every file is written, reproducibly, and loads through Assimp (with the
// flags of the game's .x loader) into subsets of the sizes, orientation and winding the game expects.
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifndef BW_ASSETGEN
#error "BW_ASSETGEN must name the asset generator binary"
#endif

namespace fs = std::filesystem;

namespace {

const char* const kMeshes[] = {
    "player.x",        "enemy.x",         "lamp.x",       "bullet.x",   "enemyBullet.x", "effect.x",
    "football.x",      "anemone.x",       "rock.x",       "lowerjaw.x", "starfishA.x",   "starfishB.x",
    "pearl.x",         "coral_red.x",     "star.x",       "dull.x",     "collision1.x",  "collision2.x",
    "collision3.x",    "heal_effect.x",   "bubble.x",     "rootsoul.x", "petal.x",       "flower_outside.x",
    "flower_inside.x", "flower_center.x", "miniflower.x", "ivy.x",      "percula.x",     "squid.x"};

int RunGenerator(const std::string& args) {
    std::string cmd = std::string("\"") + BW_ASSETGEN + "\" " + args + " > /dev/null 2>&1";
    return std::system(cmd.c_str());
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct V {
    float x, y, z;
};
V Sub(V a, V b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V Cross(V a, V b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// One loaded mesh, flattened: triangles with positions and vertex normals, plus bounds.
struct Loaded {
    unsigned subsets = 0, materials = 0, vertices = 0;
    std::vector<unsigned> subsetMaterials;
    std::vector<V> pos, nrm; // three per triangle
    V lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    bool finite = true, hasUv = true;
    std::vector<std::string> textures;

    V Size() const { return Sub(hi, lo); }
    float MaxRadiusXZ() const {
        float r = 0;
        for (const V& p : pos)
            r = std::max(r, std::sqrt(p.x * p.x + p.z * p.z));
        return r;
    }
};

Loaded LoadMesh(const fs::path& path, std::string* error) {
    Loaded out;
    Assimp::Importer importer;
    const unsigned flags = aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                           aiProcess_Triangulate | aiProcess_JoinIdenticalVertices;
    const aiScene* scene = importer.ReadFile(path.string(), flags);
    if (!scene) {
        *error = importer.GetErrorString();
        return out;
    }
    out.subsets = scene->mNumMeshes;
    out.materials = scene->mNumMaterials;
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        aiString tex;
        if (scene->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &tex) == AI_SUCCESS)
            out.textures.push_back(tex.C_Str());
    }
    for (unsigned k = 0; k < scene->mNumMeshes; ++k) {
        const aiMesh* mesh = scene->mMeshes[k];
        out.subsetMaterials.push_back(mesh->mMaterialIndex);
        out.vertices += mesh->mNumVertices;
        out.hasUv = out.hasUv && mesh->mTextureCoords[0] != nullptr;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            out.finite = out.finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
            if (mesh->mNormals) {
                const aiVector3D& n = mesh->mNormals[v];
                out.finite = out.finite && std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z);
            }
            if (mesh->mTextureCoords[0]) {
                const aiVector3D& t = mesh->mTextureCoords[0][v];
                out.finite = out.finite && std::isfinite(t.x) && std::isfinite(t.y);
            }
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;
            for (int c = 0; c < 3; ++c) {
                unsigned i = face.mIndices[c];
                V p{mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z};
                V n = mesh->mNormals ? V{mesh->mNormals[i].x, mesh->mNormals[i].y, mesh->mNormals[i].z}
                                     : V{0, 0, 0};
                out.pos.push_back(p);
                out.nrm.push_back(n);
                out.lo = {std::min(out.lo.x, p.x), std::min(out.lo.y, p.y), std::min(out.lo.z, p.z)};
                out.hi = {std::max(out.hi.x, p.x), std::max(out.hi.y, p.y), std::max(out.hi.z, p.z)};
            }
        }
    }
    return out;
}

// Signed volume: positive when the faces' (b - a) x (c - a) normals point out of a closed surface.
double SignedVolume(const Loaded& m) {
    double v = 0;
    for (size_t t = 0; t + 2 < m.pos.size(); t += 3)
        v += Dot(m.pos[t], Cross(m.pos[t + 1], m.pos[t + 2])) / 6.0;
    return v;
}

class AssetMeshTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_Scratch = new ScratchDir("meshes");
        s_Root = s_Scratch->Path();
        ASSERT_FALSE(s_Root.empty());
        ASSERT_EQ(RunGenerator("\"" + s_Root + "\""), 0);
    }
    static void TearDownTestSuite() {
        delete s_Scratch;
        s_Scratch = nullptr;
    }
    static Loaded Get(const std::string& name) {
        static std::map<std::string, Loaded> cache;
        auto it = cache.find(name);
        if (it != cache.end()) return it->second;
        std::string error;
        Loaded m = LoadMesh(fs::path(s_Root) / "xfile" / name, &error);
        EXPECT_GT(m.subsets, 0u) << name << ": " << error;
        cache[name] = m;
        return m;
    }
    static ScratchDir* s_Scratch;
    static std::string s_Root;
};
ScratchDir* AssetMeshTest::s_Scratch = nullptr;
std::string AssetMeshTest::s_Root;

} // namespace

TEST_F(AssetMeshTest, WritesAllThirtyMeshesAsTextXFiles) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(s_Root) / "xfile")) {
        (void)entry;
        ++count;
    }
    EXPECT_EQ(count, 30u);
    for (const char* name : kMeshes) {
        fs::path p = fs::path(s_Root) / "xfile" / name;
        ASSERT_TRUE(fs::exists(p)) << name;
        EXPECT_EQ(ReadAll(p).rfind("xof 0303txt 0032", 0), 0u) << name;
    }
}

TEST_F(AssetMeshTest, SecondRunWritesIdenticalBytes) {
    ScratchDir other("meshes2");
    ASSERT_FALSE(other.Path().empty());
    ASSERT_EQ(RunGenerator("\"" + other.Path() + "\""), 0);
    for (const char* name : kMeshes) {
        std::string a = ReadAll(fs::path(s_Root) / "xfile" / name);
        std::string b = ReadAll(fs::path(other.Path()) / "xfile" / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << " differs between runs";
    }
}

TEST_F(AssetMeshTest, ReportsFailureWhenTheTreeCannotBeWritten) {
    EXPECT_NE(RunGenerator(""), 0); // no repository root given
    ScratchDir dir("blocked");
    ASSERT_FALSE(dir.Path().empty());
    // A plain file where the xfile directory should go.
    std::ofstream(dir.File("xfile")) << "not a directory";
    EXPECT_NE(RunGenerator("\"" + dir.Path() + "\""), 0);
}

TEST_F(AssetMeshTest, EveryMeshLoadsWithOneSubsetPerMaterialAndFitsSixteenBitIndices) {
    for (const char* name : kMeshes) {
        Loaded m = Get(name);
        ASSERT_GT(m.subsets, 0u) << name;
        EXPECT_EQ(m.subsets, m.materials) << name << ": every material is used by exactly one subset";
        std::vector<bool> seen(m.materials, false);
        for (unsigned mat : m.subsetMaterials) {
            ASSERT_LT(mat, m.materials) << name;
            EXPECT_FALSE(seen[mat]) << name;
            seen[mat] = true;
        }
        EXPECT_TRUE(m.finite) << name << " has a NaN or infinite value";
        EXPECT_TRUE(m.hasUv) << name << " lacks texture coordinates";
        EXPECT_LT(m.vertices, 65536u) << name;
        EXPECT_LT(m.pos.size(), 65536u) << name << ": index count";
        EXPECT_GE(m.pos.size(), 3u * 12) << name;
    }
}

// Direct3D culls faces that run counter-clockwise on screen, so a face's (b - a) x (c - a) must point to
// the side it is seen from, which is where its vertex normals point.
TEST_F(AssetMeshTest, FaceWindingAgreesWithTheNormals) {
    for (const char* name : kMeshes) {
        Loaded m = Get(name);
        size_t bad = 0, faces = m.pos.size() / 3;
        for (size_t t = 0; t < faces; ++t) {
            V n = Cross(Sub(m.pos[t * 3 + 1], m.pos[t * 3]), Sub(m.pos[t * 3 + 2], m.pos[t * 3]));
            V avg{0, 0, 0};
            for (int c = 0; c < 3; ++c)
                avg = {avg.x + m.nrm[t * 3 + c].x, avg.y + m.nrm[t * 3 + c].y, avg.z + m.nrm[t * 3 + c].z};
            if (Dot(n, avg) <= 0) ++bad;
        }
        EXPECT_EQ(bad, 0u) << name << ": " << bad << " of " << faces << " faces wound against their normals";
    }
    // Closed solids have their normals, and so their front faces, outside.
    for (const char* name : {"bubble.x", "effect.x", "rock.x", "player.x", "football.x", "anemone.x",
                             "percula.x", "flower_center.x", "rootsoul.x", "star.x", "bullet.x"})
        EXPECT_GT(SignedVolume(Get(name)), 0.0) << name;
}

TEST_F(AssetMeshTest, CreatureShapesHaveTheirSizesAndOrigins) {
    // The jellyfish: a bell as wide as the collision circle (radius 2) whose rim sits at the origin's height.
    for (const char* name : {"player.x", "enemy.x"}) {
        Loaded m = Get(name);
        EXPECT_NEAR(m.Size().x, 4.0f, 0.25f) << name;
        EXPECT_NEAR(m.Size().z, 4.0f, 0.25f) << name;
        EXPECT_GT(m.hi.y, 1.2f) << name;
        EXPECT_LT(m.hi.y, 1.8f) << name;
        EXPECT_GT(m.lo.y, -1.2f) << name;
    }
    // The football: a ball of about 4.5 round the origin, lure reaching the glow point (0, 5, 5).
    Loaded ball = Get("football.x");
    EXPECT_NEAR(ball.hi.x, 4.6f, 0.5f);
    EXPECT_NEAR(ball.lo.x, -4.6f, 0.5f);
    EXPECT_NEAR(ball.lo.y, -4.5f, 0.3f);
    float nearest = 1e9f;
    for (const V& p : ball.pos)
        nearest = std::min(nearest, std::sqrt(Dot(Sub(p, {0, 5, 5}), Sub(p, {0, 5, 5}))));
    EXPECT_LT(nearest, 0.5f) << "the lure ends at the glow";
    // The jaw hangs forward of its hinge on the x axis and below it.
    Loaded jaw = Get("lowerjaw.x");
    EXPECT_GE(jaw.lo.z, -0.01f);
    EXPECT_NEAR(jaw.hi.z, 4.6f, 0.3f);
    EXPECT_LT(jaw.hi.y, 1.1f);
    EXPECT_NEAR(jaw.lo.y, -4.55f, 0.3f);
    // The squid: about 2.5 long, arms forward (+z), fins at the tail (-z).
    Loaded squid = Get("squid.x");
    EXPECT_NEAR(squid.Size().z, 2.55f, 0.35f);
    EXPECT_GT(squid.hi.z, 0.8f);
    EXPECT_LT(squid.lo.z, -1.0f);
    V widest{0, 0, 0};
    for (const V& p : squid.pos)
        if (std::fabs(p.x) > std::fabs(widest.x)) widest = p;
    EXPECT_LT(widest.z, -0.5f) << "the fins are the widest part and sit behind";
    // The percula: about 1.5 long, nose forward, resting just above its origin.
    Loaded fish = Get("percula.x");
    EXPECT_NEAR(fish.Size().z, 1.45f, 0.2f);
    EXPECT_GT(fish.hi.z, -fish.lo.z - 0.2f);
    EXPECT_GE(fish.lo.y, -0.05f);
    EXPECT_GE(fish.subsets, 3u) << "orange, white bands and black edges";
    // The anemone: stalk and disc of radius 1.2, 1.7 high, standing on the origin.
    Loaded anemone = Get("anemone.x");
    EXPECT_NEAR(anemone.MaxRadiusXZ(), 1.2f, 0.1f);
    EXPECT_NEAR(anemone.hi.y, 1.7f, 0.1f);
    EXPECT_NEAR(anemone.lo.y, 0.0f, 0.02f);
}

TEST_F(AssetMeshTest, PropAndEffectShapesHaveTheirSizes) {
    Loaded rock = Get("rock.x");
    EXPECT_NEAR(rock.MaxRadiusXZ(), 1.15f, 0.25f);
    EXPECT_GT(rock.hi.y, 1.0f) << "a rock sunk by one unit still shows";
    EXPECT_NEAR(Get("bubble.x").Size().x, 2.0f, 0.02f);
    EXPECT_NEAR(Get("effect.x").Size().x, 1.7f, 0.2f);
    EXPECT_NEAR(Get("bullet.x").Size().x, 1.7f, 0.1f);
    EXPECT_NEAR(Get("star.x").Size().x, 0.6f, 0.1f);
    Loaded heal = Get("heal_effect.x");
    EXPECT_NEAR(heal.MaxRadiusXZ(), 0.5f, 0.02f);
    EXPECT_NEAR(heal.lo.y, 0.0f, 0.01f);
    EXPECT_NEAR(heal.hi.y, 1.0f, 0.01f);
    for (const char* name : {"starfishA.x", "starfishB.x"}) {
        Loaded star = Get(name);
        EXPECT_NEAR(std::max(star.Size().x, star.Size().z), 2.0f, 0.25f) << name;
        EXPECT_GE(star.lo.y, -0.01f) << name;
        EXPECT_LT(star.hi.y, 0.4f) << name;
    }
    Loaded coral = Get("coral_red.x");
    EXPECT_NEAR(std::max(coral.Size().x, coral.Size().z), 2.2f, 0.5f);
    EXPECT_GT(coral.Size().y, 1.0f);
    Loaded pearl = Get("pearl.x");
    EXPECT_GT(pearl.Size().x, 1.5f);
    EXPECT_LT(pearl.Size().x, 3.0f);
    EXPECT_GE(pearl.subsets, 3u);
    for (const char* name : {"lamp.x", "enemyBullet.x", "dull.x"})
        EXPECT_LT(Get(name).Size().y, 1.0f) << name;
}

TEST_F(AssetMeshTest, FlowerPartsNestAndLieWhereTheFlowerDrawsThem) {
    float outer = Get("flower_outside.x").MaxRadiusXZ();
    float inner = Get("flower_inside.x").MaxRadiusXZ();
    float centre = Get("flower_center.x").MaxRadiusXZ();
    EXPECT_NEAR(outer, 3.75f, 0.15f);
    EXPECT_LT(inner, outer);
    EXPECT_LT(centre, inner);
    // The petal starts at its origin and lies along +z.
    Loaded petal = Get("petal.x");
    EXPECT_GE(petal.lo.z, -0.05f);
    EXPECT_NEAR(petal.hi.z, 2.35f, 0.3f);
    EXPECT_LT(petal.Size().x, 1.5f);
    // The ivy piece lies along x, centred, about 12 long.
    Loaded ivy = Get("ivy.x");
    EXPECT_NEAR(ivy.Size().x, 12.0f, 0.6f);
    EXPECT_NEAR(ivy.lo.x + ivy.hi.x, 0.0f, 0.3f);
    EXPECT_LT(ivy.Size().z, 4.0f);
    EXPECT_NEAR(Get("miniflower.x").Size().x, 2.0f, 0.4f);
    EXPECT_NEAR(Get("rootsoul.x").Size().x, 1.0f, 0.3f);
}

TEST_F(AssetMeshTest, CollisionMeshesAreVerticalWallsRoundThePlayableSeabed) {
    for (const char* name : {"collision1.x", "collision2.x", "collision3.x"}) {
        Loaded m = Get(name);
        EXPECT_LE(std::max(std::fabs(m.lo.x), std::fabs(m.hi.x)), 16.6f) << name;
        EXPECT_LE(std::max(std::fabs(m.lo.z), std::fabs(m.hi.z)), 16.6f) << name;
        EXPECT_LT(m.lo.y, 0.0f) << name;
        EXPECT_GT(m.hi.y, 1.5f) << name;
        EXPECT_TRUE(m.textures.empty()) << name;
        for (size_t t = 0; t + 2 < m.pos.size(); t += 3) {
            V n = Cross(Sub(m.pos[t + 1], m.pos[t]), Sub(m.pos[t + 2], m.pos[t]));
            float len = std::sqrt(Dot(n, n));
            ASSERT_GT(len, 0.0f) << name;
            EXPECT_NEAR(n.y / len, 0.0f, 1e-4f) << name << ": every face is a vertical wall";
        }
    }
}

TEST_F(AssetMeshTest, OnlyGlowMeshesUseATextureAndItIsOneTheGameShips) {
    for (const char* name : kMeshes) {
        for (const std::string& tex : Get(name).textures)
            EXPECT_EQ(tex, "image/effect/light.png") << name;
    }
    for (const char* name : {"effect.x", "bullet.x", "heal_effect.x", "player.x"})
        EXPECT_FALSE(Get(name).textures.empty()) << name;
}
