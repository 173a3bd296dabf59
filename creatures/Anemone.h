// The anemone with its crown of tentacles and its school of fish, and the heal column of a fish coming home.
#pragma once

#include "world/ObjectBase.h"

#include <vector>

class CPercula;
class CAnemoneTentacle;

// What an anemone is doing (m_Mode).
enum AnemoneMode {
    ANEMONE_CALM = 0,
    ANEMONE_NOTICED = 1, // the player came near
    ANEMONE_DEAD = 2,
    ANEMONE_PROVOKED = 3, // shot at: its fish chase the player
};

// A fixed creature of the seabed that the player destroys by shooting it. Shots send its fish after the
// player; as it weakens it breeds more fish and, once, calls them all home, each fish that arrives healing it
// by 20. Only the anemone is in ActorList: it updates and draws its tentacles and fish itself.
class CAnemone : public CObjectBase {
  public:
    CAnemone();
    ~CAnemone() override;
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    // The crown: 72 tentacles, the outer ring (radius 12, every 10 degrees from 0) first, then the inner ring
    // (radius 5, every 10 degrees from 5), around m_Pos. An earlier crown is discarded first; its objects are
    // set up afresh rather than made anew, so a display rebuilt at every visit of the title keeps 72.
    void BuildTentacles();
    // The tentacles in drawing order: depth key m_Radius + z - g_CamEye.z, largest first; among equal keys
    // the later created first.
    std::vector<CAnemoneTentacle*> TentaclesFarToNear() const;

    int32_t m_Mode = 0;      // AnemoneMode
    BYTE m_bDying = 0;       // the death has been handled
    D3DXMATRIX m_mShake{};   // shake translation after a hit
    int32_t m_ShakeTime = 0; // frames of shaking left
    BYTE m_bHealCalled = 0;  // the fish have been called home
    // The anemone's fish and tentacles, in creation order. They are in no global list; they are owned by the
    // arena that owns the anemone, so they are destroyed together with it and never earlier. A fish that came
    // home or died leaves m_Fish at the end of the anemone's frame.
    std::vector<CPercula*> m_Fish;
    std::vector<CAnemoneTentacle*> m_Tentacles;

  private:
    void TakeShots();
    void BreedFish(); // one fish at the centre, 9 above the anemone
    void Burst();     // the 36 bubbles of the death
    void UpdateFish();
    void UpdateTentacles();

    ObjectArena m_Arena; // the arena the anemone was created in: its fish and tentacles go there too
};

// One swaying ribbon of the anemone's crown.
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

// The rising, fading column over an anemone that a fish has healed.
class CAnemoneHeal : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_Scale{}; // x and z 20, y grows from 1
    D3DXCOLOR m_Color{};   // white, alpha falls from 1
};
