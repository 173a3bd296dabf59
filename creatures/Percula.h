// The percula: a small fish that lives around an anemone.
#pragma once

#include "world/ObjectBase.h"

// Behaviour states of a percula (m_AiState).
enum PerculaAi {
    PERCULA_WANDER = 0,
    PERCULA_CHASE = 1,
    PERCULA_DEAD = 2,
    PERCULA_CHARGE = 3,
    PERCULA_HOME = 4, // called home by its anemone
};

// A fish circles its home point, chases the player when the player comes near or shoots it, backs off and
// lunges to bite from time to time, and swims home when its anemone calls it. Twenty hits kill it.
// An anemone creates, updates and draws its own fish (home: the anemone's position); a stage file may also
// place fish straight into ActorList (home: where the fish starts).
class CPercula : public CObjectBase {
  public:
    // A fish whose home is where it stands when Init runs (a fish placed by the stage file).
    CPercula();
    // A fish with a home point of its own (an anemone's fish).
    explicit CPercula(const D3DXVECTOR3& home);

    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    int32_t m_AiState = 0;     // behaviour state, PerculaAi
    D3DXVECTOR3 m_Home{};      // home point: the owning anemone's position
    int32_t m_CircleDir = 0;   // wander circling: 0 the heading grows, 1 it shrinks
    int32_t m_StateTimer = 0;  // frames in the chase and charge phases
    int32_t m_bBiting = 0;     // the bite is active
    int32_t m_ChargePhase = 0; // charge sub-phase, ChargePhase
    D3DXVECTOR3 m_ChargeVel{}; // velocity of the charge
    D3DXMATRIX m_mShake{};     // shake translation after a hit
    int32_t m_ShakeTime = 0;   // frames of shaking left
    BYTE m_bOutOfAnemone = 0;  // has been outside every anemone
    BYTE m_bAtHome = 0;        // a returning fish reached its home

  private:
    void Wander();
    void Chase();
    void Charge();
    void ReturnHome();
    void Die();
    void TakeShots();
    void Bite();
    // Turns the heading toward a point by at most maxStep degrees and wraps it into [0, 360].
    void TurnToward(const D3DXVECTOR3& point, float maxStep);
    // m_Vel = 0.95 m_Vel + 0.95 accel (sin h, 0, cos h), or without the push when still; capped at maxSpeed.
    void Swim(float accel, float maxSpeed, bool still);
    // m_Pos += m_Vel, pushed out of the anemones (once outside, when asked) and out of the rocks.
    void Move(bool pushOutOfAnemones);
    // m_mRot, m_mTrans and m_mWorld = m_mRot x m_mTrans from the heading and the position.
    void Place();

    bool m_bHomeFromStart = false; // Init takes the starting position as the home point
};
