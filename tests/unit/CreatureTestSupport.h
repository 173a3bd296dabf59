// Shared pieces of the fish and anemone tests: a stage with a player at a chosen place, shots of the player's
// side standing where a bullet stands after its Init, and counts of what was spawned.
#pragma once

#include "WorldTestSupport.h"

#include "app/Scene.h"
#include "player/Bullet.h"
#include "player/Player.h"

#include <cmath>
#include <cstdlib>

class ReefFixture : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_SavedStageNo = g_StageNo;
        m_SavedStageState = g_StageState;
        g_StageNo = 2;
        g_StageState = 0;
        g_TargetCount = 0;
        std::srand(1);
    }
    void TearDown() override {
        g_StageNo = m_SavedStageNo;
        g_StageState = m_SavedStageState;
        WorldFixture::TearDown();
    }

    // The player as ActorList[0], initialised, then moved to pos.
    CPlayer* AddPlayer(const D3DXVECTOR3& pos) {
        CPlayer* player = NewObject<CPlayer>();
        ActorList.push_back(player);
        player->Init();
        player->m_Pos = pos;
        D3DXMatrixTranslation(&player->m_mTrans, pos.x, pos.y, pos.z);
        return player;
    }

    // A shot of the given kind whose translation stands at pos, as a bullet's Init leaves it.
    static CBullet* AddShot(const D3DXVECTOR3& pos, int32_t kind = 0) {
        CBullet* shot = NewObject<CBullet>();
        shot->m_Kind = kind;
        shot->m_Pos = pos;
        D3DXMatrixTranslation(&shot->m_mTrans, pos.x, pos.y, pos.z);
        ShotList.push_back(shot);
        return shot;
    }

    // Objects of class T in a list.
    template <class T> static int CountOf(const std::vector<CObjectBase*>& list) {
        int n = 0;
        for (CObjectBase* o : list)
            if (dynamic_cast<T*>(o)) ++n;
        return n;
    }

    static float HorizontalDist(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        const float dx = a.x - b.x, dz = a.z - b.z;
        return std::sqrt(dx * dx + dz * dz);
    }

  private:
    int m_SavedStageNo = 0;
    int m_SavedStageState = 0;
};
