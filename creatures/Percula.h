// The percula: a small fish that lives around an anemone.
#pragma once

#include "world/ObjectBase.h"

class CPercula : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    int32_t m_AiState = 0;     // behaviour state 0..4
    D3DXVECTOR3 m_Home{};      // home point: the owning anemone's position
    int32_t m_CircleDir = 0;   // wander circling direction
    int32_t m_StateTimer = 0;  // frames in the chase and charge phases
    int32_t m_bBiting = 0;     // the bite is active
    int32_t m_ChargePhase = 0; // charge sub-phase 0..3
    D3DXVECTOR3 m_ChargeVel{}; // velocity of the charge
    D3DXMATRIX m_mShake{};     // shake translation after a hit
    int32_t m_ShakeTime = 0;   // frames of shaking left
    BYTE m_bOutOfAnemone = 0;  // has been outside every anemone
    BYTE m_bAtHome = 0;        // a returning fish reached its home
};
