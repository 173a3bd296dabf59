// Stray jellies that the player rescues and that then follow it.
#pragma once

#include "player/Player.h"

class CJelly : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_Target{};        // steering target
    D3DXVECTOR3 m_Home{};          // position at Init
    float m_RescuePhase = 0.0f;    // rescue animation phase 0..3
    float m_RescueCount = 0.0f;    // frames of the rescue animation
    float m_Sink = 0.0f;           // height added while the rescue dips the body
    int32_t m_Near = 0;            // 1 far from the player, 2 near
    BYTE m_bNear = 0;              // a stray near enough to fire
    float m_ShotDelay = 0.0f;      // frames until the next shot / stagger delay
    float m_Spread = 0.0f;         // aim offset of the last stray shot
    int32_t m_bMoving = 0;         // a follower closing in on its place
    int32_t m_bReturning = 0;      // a stray heading home
    int32_t m_ReloadTime = 0;      // a follower's frames until it may fire
    int32_t m_FireState = 0;       // a follower's fire state 0..3
    int32_t m_LastFollowCount = 0; // g_FollowCount when the stagger was handed out
    int32_t m_bRescuing = 0;       // the rescue animation runs
    Tentacle m_Tentacles[8]{};
    int32_t m_Jitter = 0; // 0..9: formation distance and waiting period
    D3DXMATRIX m_mShake{};
    int32_t m_ShakeTime = 0;
    D3DXCOLOR m_Color{};
    int32_t m_HideTime = 0; // frames in which the tentacles are hidden

  private:
    void Move();
    int FlockHeadings(float& headingSum) const;
    void HomeSquareStep();
    void Turn(int n, float headingSum);
    void Swim();
    void BobAndShadow();
    void FormationStep();
    void HitByShots();
    void KnockOut();
    void BubbleRing();
    void RescueStep();
    void StrayShoot();
    void FollowerShoot();
};

extern int32_t g_FirePhase;  // next stagger slot handed to a follower
extern int32_t g_RescueWait; // pause counter of the rescue animation, shared by all jellies
