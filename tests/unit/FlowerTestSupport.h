// Shared pieces of the flower tests: a recording device as g_pDevice, flowers placed in ObstacleList and
// shots that sit where the flower looks for them (the translation of their m_mTrans).
#pragma once

#include "app/Direct3D.h"
#include "tests/unit/TestDevice.h"
#include "tests/unit/WorldTestSupport.h"
#include "world/Flower.h"

#include <cstdlib>
#include <memory>

// Empties the lists, the queue and the arenas, for fixtures that are no WorldFixture.
struct WorldReset : WorldFixture {
    using WorldFixture::Reset;
};

// A shot of a kind whose m_mTrans stands at p, appended to ShotList. Its m_Pos is left far away on purpose:
// targets go by the translation.
inline Probe* AddShot(int kind, const D3DXVECTOR3& p) {
    Probe* shot = AddProbe(ShotList, "shot");
    shot->m_Kind = kind;
    shot->m_Pos = D3DXVECTOR3(9999.0f, 0.0f, 9999.0f);
    D3DXMatrixTranslation(&shot->m_mTrans, p.x, p.y, p.z);
    return shot;
}

class FlowerFixture : public WorldFixture {
  protected:
    void SetUp() override {
        WorldFixture::SetUp();
        m_TestDevice.reset(new TestDevice(TestDevice::Kind::Recording));
        m_Device = m_TestDevice->Device();
        ASSERT_NE(m_Device, nullptr) << m_TestDevice->Why();
        m_TestDevice->SetGameStartState();
        g_pDevice = m_Device;
        std::srand(7);
    }
    void TearDown() override {
        g_pDevice = nullptr;
        m_TestDevice.reset();
        WorldFixture::TearDown();
    }

    // A flower placed as the stage loader places it, then initialised.
    CFlower* MakeFlower(float x, float y, float z) {
        CFlower* f = NewObject<CFlower>();
        f->m_Pos = D3DXVECTOR3(x, y, z);
        ObstacleList.push_back(f);
        f->Init();
        return f;
    }

    Probe* Shot(int kind, float x, float z, float y = 0.0f) { return AddShot(kind, D3DXVECTOR3(x, y, z)); }
    Probe* ShotAt(int kind, const D3DXVECTOR3& p) { return AddShot(kind, p); }

    BOOL LightOn(DWORD index) {
        BOOL on = 2;
        m_Device->GetLightEnable(index, &on);
        return on;
    }

    std::unique_ptr<TestDevice> m_TestDevice;
    IDirect3DDevice9* m_Device = nullptr;
};
