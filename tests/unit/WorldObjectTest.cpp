// The object model: zero start, the constructor presets the stage loader relies on, and the arenas.
#include "WorldTestSupport.h"

#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "creatures/Percula.h"
#include "creatures/Squid.h"
#include "player/Bullet.h"
#include "world/Props.h"

#include <cstring>

using WorldObject = WorldFixture;

namespace {
bool AllZero(const void* data, std::size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != 0) return false;
    return true;
}
} // namespace

TEST_F(WorldObject, FieldsThatNothingSetsStartAtZero) {
    // A fish placed by the stage file gets neither m_Type nor m_State nor m_bDead from anyone, and the
    // follower recount and the sweep read all three. Fill the storage with garbage first so a missing zero
    // shows.
    alignas(CPercula) unsigned char storage[sizeof(CPercula)];
    std::memset(storage, 0xCD, sizeof storage);
    CPercula* fish = new (storage) CPercula();
    EXPECT_EQ(fish->m_Type, 0);
    EXPECT_EQ(fish->m_State, 0);
    EXPECT_EQ(fish->m_bDead, 0);
    EXPECT_EQ(fish->m_Radius, 0.0f);
    EXPECT_EQ(fish->m_pMesh, nullptr);
    EXPECT_TRUE(AllZero(&fish->m_Vel, sizeof fish->m_Vel));
    EXPECT_TRUE(AllZero(&fish->m_mWorld, 4 * sizeof(D3DXMATRIX)));
    EXPECT_TRUE(AllZero(&fish->m_Shot, sizeof fish->m_Shot));
    EXPECT_TRUE(AllZero(fish->m_Shadow, sizeof fish->m_Shadow));
    EXPECT_EQ(fish->m_bHit, 0);
    EXPECT_EQ(fish->m_AiState, 0);
    EXPECT_TRUE(AllZero(&fish->m_mShake, sizeof fish->m_mShake));
    EXPECT_EQ(fish->m_bAtHome, 0);
    fish->~CPercula();
}

TEST_F(WorldObject, ConstructorsPresetWhatTheLoaderAndTheCreatorsExpect) {
    CSquid squid;
    CFootball& asFootball = squid; // a squid is a football with its own Init and Draw
    EXPECT_EQ(asFootball.m_Type, 1);
    EXPECT_EQ(asFootball.m_bMove, 0);
    EXPECT_EQ(asFootball.m_Speed, 0.03f);
    EXPECT_EQ(asFootball.m_Radius, 13.0f);
    EXPECT_EQ(asFootball.m_Jaw, 10.0f);
    EXPECT_EQ(asFootball.m_Count, 0);
    EXPECT_EQ(asFootball.Shoot(), 0);

    CBullet shot;
    EXPECT_EQ(shot.m_Life, 60);
    EXPECT_EQ(shot.m_bDead, 0);

    EXPECT_EQ(CStarfish(1).m_Type, 1);
    CRock rock(2);
    EXPECT_EQ(rock.m_Variant, 2);
    EXPECT_EQ(rock.m_Type, 0); // a rock takes its type code in Init

    CAnemone anemone;
    EXPECT_TRUE(anemone.m_Fish.empty());
    EXPECT_TRUE(anemone.m_Tentacles.empty());
}

TEST_F(WorldObject, EveryNewObjectResetsTheFollowerCount) {
    g_FollowCount = 5;
    NewObject<CPearl>();
    EXPECT_EQ(g_FollowCount, 0);
}

TEST_F(WorldObject, NewObjectBelongsToTheCurrentArena) {
    SetObjectArena(ObjectArena::Title);
    EXPECT_EQ(GetObjectArena(), ObjectArena::Title);
    NewObject<Probe>("t1");
    NewObject<Probe>("t2");
    SetObjectArena(ObjectArena::Stage);
    NewObject<Probe>("s1");
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 2u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 1u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Program), 0u);

    DestroyArenaObjects(ObjectArena::Title);
    EXPECT_EQ(g_ProbesDestroyed, 2);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Title), 0u);
    EXPECT_EQ(ArenaObjectCount(ObjectArena::Stage), 1u);
}
