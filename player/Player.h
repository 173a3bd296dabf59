// The player's jellyfish and the tentacle ribbon it shares with the jellies.
#pragma once

#include "world/ObjectBase.h"

// One ribbon tentacle: the past frames of its root, drawn as a strip of quads.
struct Tentacle {
    Vertex3D Quad[4]{};       // scratch vertices filled while drawing
    D3DXVECTOR3 Root{};       // root offset from the body centre, in the body's frame
    D3DXMATRIX History[20]{}; // past root frames, [0] newest
    int32_t Counter = 0;      // frames since creation, wraps before 3601
};

// Sets up a body's eight tentacles: roots rootRadius ahead of the centre turned by 45 degrees each, the
// history filled with the body's frame, white scratch vertices, the counter at 0.
void ResetTentacles(Tentacle (&tentacles)[8], float rootRadius, const D3DXMATRIX& body);
// Every period frames the root's frame (translation to Root, then body) is pushed onto the history.
void UpdateTentacle(Tentacle& t, int32_t period, D3DXMATRIX body);
// Draws the ribbon: 19 quads, 2 units wide, between consecutive history frames.
void DrawTentacle(Tentacle& t);

class CPlayer : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_BodyPos{}; // drawn body position (m_Pos raised by m_Bob)
    int32_t m_ShotWait = 0;  // frames until the next shot may leave
    Tentacle m_Tentacles[8]{};
    D3DXMATRIX m_mShake{};   // displacement while shaking after a hit
    int32_t m_ShakeTime = 0; // frames of shaking left
    D3DXCOLOR m_Color{};     // free colour of the body mesh
    BYTE m_bDeathDone = 0;   // the death burst has been fired

    // Unit direction of the last steered velocity; (0, 0, 1) at program start, kept across stages.
    static D3DXVECTOR3 s_MoveDir;

  private:
    void HitByShots();
    void Move();
    void SteerByKeys();
    void LimitSpeed();
    void TurnToMoveDir();
    void BobAndShadow();
};
