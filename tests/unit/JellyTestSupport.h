// Shared pieces of the jelly tests: the player-side fixture with the jellies' globals cleared, jellies placed
// as the stage loader places them, shots standing where a shot stands after its update, and a frame of the
// world run the way the stage runs it.
#pragma once

#include "tests/unit/PlayerTestSupport.h"

#include "player/Bullet.h"
#include "player/Jelly.h"
#include "world/Props.h"

#include <cstdlib>

// The free colour component by component (D3DXCOLOR has no comparison of its own).
inline ::testing::AssertionResult ColorIs(const D3DXCOLOR& c, float r, float g, float b, float a) {
    if (c.r == r && c.g == g && c.b == b && c.a == a) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "colour (" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << "), expected (" << r << ", "
           << g << ", " << b << ", " << a << ")";
}

class JellyFixture : public PlayerSideFixture {
  protected:
    void SetUp() override {
        PlayerSideFixture::SetUp();
        g_FirePhase = 0;
        g_RescueWait = 0;
        g_FollowCount = 0;
        g_FollowSlot = 0;
        srand(1);
    }
    void TearDown() override {
        g_FirePhase = 0;
        g_RescueWait = 0;
        PlayerSideFixture::TearDown();
    }

    // A jelly of group id loaded at pos and initialised, appended to ActorList.
    CJelly* AddJelly(const D3DXVECTOR3& pos, int32_t id = 0) {
        CJelly* j = NewObject<CJelly>();
        j->m_Pos = pos;
        j->m_Id = id;
        ActorList.push_back(j);
        j->Init();
        return j;
    }

    // A jelly made a follower at pos, with its matrices where it stands.
    CJelly* AddFollower(const D3DXVECTOR3& pos) {
        CJelly* j = AddJelly(pos);
        j->m_State = 2;
        j->m_Hp = 50;
        j->m_Color = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
        D3DXMatrixTranslation(&j->m_mTrans, pos.x, pos.y, pos.z);
        return j;
    }

    // The player standing still at pos with its body drawn there (no bob).
    CPlayer* AddPlayerAt(const D3DXVECTOR3& pos) {
        CPlayer* p = AddPlayer();
        p->m_Pos = pos;
        D3DXMatrixTranslation(&p->m_mTrans, pos.x, pos.y, pos.z);
        p->m_BodyPos = pos;
        return p;
    }

    // A live shot of a kind standing at (x, y, z).
    CBullet* AddShotAt(int kind, float x, float y, float z) {
        CBullet* s = NewObject<CBullet>();
        s->m_Kind = kind;
        s->m_Pos = D3DXVECTOR3(x, y, z);
        s->m_Life = 40;
        s->Init();
        ShotList.push_back(s);
        return s;
    }

    static int CountBubbles() {
        int n = 0;
        for (CObjectBase* o : EffectList)
            if (dynamic_cast<CBubble*>(o)) ++n;
        return n;
    }
};
