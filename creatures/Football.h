// The football: the biting creature of the seabed, and the base of the squid.
#pragma once

#include "world/ObjectBase.h"

// Behaviour states of a football (m_AiState).
enum FootballAi {
    FOOTBALL_DORMANT = 0,
    FOOTBALL_RISING = 1,
    FOOTBALL_WANDER = 2,
    FOOTBALL_CHASE = 3,
    FOOTBALL_DEAD = 4,
    FOOTBALL_CHARGE = 5,
    FOOTBALL_STUNNED = 6,
};

class CFootball : public CObjectBase {
  public:
    CFootball();
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override; // never shoots

    int32_t m_CircleDir = 0;   // wander circling: 0 the heading grows, 1 it shrinks
    D3DXVECTOR3 m_ChargeVel{}; // velocity of the charge
    int32_t m_StateTimer = 0;  // frames in the chase state and the charge phases
    int32_t m_bBiting = 0;     // the bite is active
    int32_t m_ChargePhase = 0; // charge sub-phase, ChargePhase
    D3DXVECTOR3 m_Home{};      // home point
    BYTE m_bDying = 0;         // the death has been handled
    D3DXMATRIX m_mRoll{};      // roll of the dead body
    float m_Roll = 0.0f;       // roll angle in degrees
    float m_Jaw = 0.0f;        // lower-jaw opening in degrees
    float m_StarSpin = 0.0f;   // angle of the stars circling a stunned football
    int32_t m_StunCount = 0;   // hits counted, or stunned frames
    float m_StunHits = 0.0f;   // hits that trigger a stun
    float m_StunTime = 0.0f;   // length of a stun in frames
    float m_PulseSpeed = 0.0f; // glow phase step per drawn frame
    int32_t m_AiState = 0;     // behaviour state 0..6
    D3DXMATRIX m_mShake{};     // shake translation after a hit
    int32_t m_ShakeTime = 0;   // frames of shaking left

  protected:
    // True when this creature's death lowers the stage's target count (one per bubble of its burst).
    virtual bool IsTargetOfStage() const;
    // The stars circling a stunned creature, drawn with the world matrix of its body.
    void DrawStars();

  private:
    void StepDormant();
    void StepRising();
    void StepWander();
    void StepChase();
    void StepDead();
    void StepCharge();
    void StepStunned();
    void StepShotHits();
    void StepBite();
    void StepDeath();
    // Wakes up: the dust ring, the dust sound, and rising from the next frame on.
    void Wake();
    void TurnToward(const D3DXVECTOR3& point);
    void SwimForward(bool still);
    // m_mRot and m_mTrans from the heading and the position, m_mWorld = m_mRot x m_mTrans.
    void BuildWorld();
};

// The glow phase all footballs share.
extern float g_GlowPhase;
