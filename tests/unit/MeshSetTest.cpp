// Mesh records: LoadMesh, ReleaseMesh and the title and stage sets.
#include "assets/Meshes.h"
#include "tests/unit/MeshTestImage.h"
#include "tests/unit/MeshTestUtil.h"
#include "tests/unit/TestDevice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

extern IDirect3DDevice9* g_pDevice;

namespace {

class MeshSet : public ::testing::Test {
  protected:
    ScratchDir m_Dir{"meshset"};
    TestDevice m_TestDevice{TestDevice::Kind::Recording};
    IDirect3DDevice9* m_Device = m_TestDevice.Device();

    void SetUp() override {
        ASSERT_NE(m_Device, nullptr) << m_TestDevice.Why();
        m_TestDevice.SetGameStartState();
        g_pDevice = m_Device;
    }
    void TearDown() override { g_pDevice = nullptr; }
};

const char* const kStageOrder[] = {
    "player",        "enemy",         "lamp",       "bullet",   "enemyBullet", "effect",
    "football",      "anemone",       "rock",       "lowerjaw", "starfishA",   "starfishB",
    "pearl",         "coral_red",     "star",       "dull",     "collision1",  "collision2",
    "collision3",    "heal_effect",   "bubble",     "rootsoul", "petal",       "flower_outside",
    "flower_inside", "flower_center", "miniflower", "ivy",      "percula",     "squid"};
MeshData* const kStageRecords[] = {
    &g_MeshPlayer,       &g_MeshEnemy,      &g_MeshLamp,       &g_MeshBullet,        &g_MeshEnemyBullet,
    &g_MeshEffect,       &g_MeshFootball,   &g_MeshAnemone,    &g_MeshRock,          &g_MeshLowerJaw,
    &g_MeshStarfishA,    &g_MeshStarfishB,  &g_MeshPearl,      &g_MeshCoralRed,      &g_MeshStar,
    &g_MeshDull,         &g_MeshCollision1, &g_MeshCollision2, &g_MeshCollision3,    &g_MeshHealEffect,
    &g_MeshBubble,       &g_MeshRootSoul,   &g_MeshPetal,      &g_MeshFlowerOutside, &g_MeshFlowerInside,
    &g_MeshFlowerCenter, &g_MeshMiniFlower, &g_MeshIvy,        &g_MeshPercula,       &g_MeshSquid};
const char* const kTitleOrder[] = {"football", "lowerjaw", "lamp",   "star",
                                   "anemone",  "squid",    "effect", "bubble"};

// The paths named on stderr, one per line, in order.
std::vector<std::string> NamedPaths(const std::string& err) {
    std::vector<std::string> paths;
    std::istringstream in(err);
    std::string line;
    while (std::getline(in, line)) {
        size_t a = line.find("xfile/");
        size_t b = line.find(".x", a);
        if (a != std::string::npos && b != std::string::npos) paths.push_back(line.substr(a, b + 2 - a));
    }
    return paths;
}

} // namespace

TEST_F(MeshSet, TexturesLoadPerMaterialAndAMissingOneDoesNotStopTheNext) {
    ScopedWorkingDir cwd(m_Dir.Path());
    ASSERT_TRUE(cwd.Ok());
    mkdir("image", 0755);
    ASSERT_TRUE(WriteCheckerPng("image/red.png"));
    std::string text = TwoMaterialX();
    // Material 0 names a texture that is not there; material 1 gets one that is.
    text.replace(text.find("\"image/red.png\""), 15, "\"image/gone.png\"");
    size_t blue = text.find("Material Blue");
    size_t close = text.find("   }\n", blue);
    text.insert(close, "    TextureFilename { \"image/red.png\"; }\n");
    WriteTextFile("two.x", text);

    MeshData rec;
    LoadMesh(rec, "two.x");
    ASSERT_NE(rec.pMesh, nullptr);
    EXPECT_EQ(rec.pMesh->GetFVF(), 0x112u);
    EXPECT_EQ(rec.pMesh->GetNumBytesPerVertex(), 32u);
    ASSERT_EQ(rec.NumMaterials, 2u);
    EXPECT_EQ(rec.ppTextures[0], nullptr);
    EXPECT_NE(rec.ppTextures[1], nullptr);
    // The ambient colour takes the diffuse colour.
    EXPECT_FLOAT_EQ(rec.pMaterials[0].Ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(rec.pMaterials[0].Ambient.a, 0.5f);
    EXPECT_FLOAT_EQ(rec.pMaterials[1].Ambient.b, 1.0f);

    ReleaseMesh(rec);
    EXPECT_EQ(rec.pMesh, nullptr);
    EXPECT_EQ(rec.pMaterials, nullptr);
    EXPECT_EQ(rec.ppTextures, nullptr);
    EXPECT_EQ(rec.NumMaterials, 0u);
    ReleaseMesh(rec); // twice is harmless
    MeshData never;
    ReleaseMesh(never);
    EXPECT_EQ(never.pMesh, nullptr);
}

TEST_F(MeshSet, ABrokenFileLeavesTheRecordEmpty) {
    ScopedWorkingDir cwd(m_Dir.Path());
    WriteTextFile("good.x", BareTriangleX());
    WriteTextFile("broken.x", std::string(BareTriangleX()).substr(0, 40));
    MeshData rec;
    LoadMesh(rec, "good.x");
    ASSERT_NE(rec.pMesh, nullptr);
    testing::internal::CaptureStderr();
    LoadMesh(rec, "broken.x"); // replaces what the record held
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rec.pMesh, nullptr);
    EXPECT_EQ(rec.NumMaterials, 0u);
    EXPECT_EQ(rec.pMaterials, nullptr);
    EXPECT_NE(err.find("broken.x"), std::string::npos);
    EXPECT_EQ(err.find('\n'), err.size() - 1);
}

TEST_F(MeshSet, StageSetLoadsAllThirtyInOrderAndTitleSetLoadsAgainAfterRelease) {
    ScopedWorkingDir cwd(m_Dir.Path());
    // With no files every record stays empty, and the failures name the files in loading order.
    testing::internal::CaptureStderr();
    LoadStageMeshes();
    std::vector<std::string> named = NamedPaths(testing::internal::GetCapturedStderr());
    ASSERT_EQ(named.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(named[i], std::string("xfile/") + kStageOrder[i] + ".x");
        EXPECT_EQ(kStageRecords[i]->pMesh, nullptr);
    }
    testing::internal::CaptureStderr();
    LoadTitleMeshes();
    named = NamedPaths(testing::internal::GetCapturedStderr());
    ASSERT_EQ(named.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(named[i], std::string("xfile/") + kTitleOrder[i] + ".x");

    mkdir("xfile", 0755);
    for (const char* name : kStageOrder)
        WriteTextFile(std::string("xfile/") + name + ".x", BareTriangleX());
    LoadStageMeshes();
    for (MeshData* rec : kStageRecords)
        EXPECT_NE(rec->pMesh, nullptr);
    ReleaseStageMeshes();
    for (MeshData* rec : kStageRecords)
        EXPECT_EQ(rec->pMesh, nullptr);
    LoadTitleMeshes();
    int loaded = 0;
    for (MeshData* rec : kStageRecords)
        loaded += rec->pMesh != nullptr;
    EXPECT_EQ(loaded, 8);
    EXPECT_NE(g_MeshFootball.pMesh, nullptr);
    EXPECT_NE(g_MeshBubble.pMesh, nullptr);
    EXPECT_EQ(g_MeshPlayer.pMesh, nullptr);
    ReleaseStageMeshes(); // releases the title's eight as well
    for (MeshData* rec : kStageRecords)
        EXPECT_EQ(rec->pMesh, nullptr);
}
