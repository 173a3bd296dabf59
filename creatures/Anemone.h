// The anemone with its crown of tentacles and its school of fish, and the heal column of a fish coming home.
#pragma once

#include "world/ObjectBase.h"

#include <vector>

class CPercula;
class CAnemoneTentacle;

class CAnemone : public CObjectBase {
  public:
    ~CAnemone() override;
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    int32_t m_Mode = 0;      // 0 calm, 1 player noticed, 2 dead, 3 provoked
    BYTE m_bDying = 0;       // the death has been handled
    D3DXMATRIX m_mShake{};   // shake translation after a hit
    int32_t m_ShakeTime = 0; // frames of shaking left
    BYTE m_bHealCalled = 0;  // the fish have been called home
    // The anemone's fish and tentacles, in creation order. They are in no global list; like every object they
    // are owned by the arena of the scene that created them, so these pointers stay valid for the whole
    // scene.
    std::vector<CPercula*> m_Fish;
    std::vector<CAnemoneTentacle*> m_Tentacles;
};

class CAnemoneTentacle : public CObjectBase {
  public:
    CAnemoneTentacle();
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    Vertex3D m_Strip[4]{}; // the quad being drawn
    float m_Sway[5]{};     // x offsets of the five rows, top row first
    float m_SwayDir[5]{};  // 0.0 moving towards +x, 1.0 towards -x
};

class CAnemoneHeal : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_Scale{};
    D3DXCOLOR m_Color{};
};
