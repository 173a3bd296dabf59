// Short-lived visual effects in EffectList: the menu ring, the sand puff and the heal ring.
#pragma once

#include "world/ObjectBase.h"

class CCircleEff : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_Scale{};
    float m_Opacity = 0.0f; // 255 down to 0
};

class CDust : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    Vertex3D m_Puff[4]{};    // the upright puff quad
    float m_Grow = 0.0f;     // uniform scale
    float m_Opacity = 0.0f;  // 0 up to 255 and back
    float m_Lifetime = 0.0f; // frames the puff lasts
};

class CHealEff : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_Scale{};
    float m_Opacity = 0.0f; // 255 down to 0
    Vertex3D m_Ring[4]{};   // the flat ring quad
};
