// The giant flower obstacle and its two distant blossoms.
#pragma once

#include "world/ObjectBase.h"

// One blossom, joined to the flower by a vine of at most ten pieces.
struct Blossom {
    D3DXVECTOR3 Pos{};  // blossom position in world coordinates
    BYTE bFinished = 0; // the blossom has fallen
    int32_t Hp = 0;     // hits left
    D3DXVECTOR3 PetalScale{};
    D3DXVECTOR3 SegPos[10]{};   // vine piece positions
    int32_t SegCount = 0;       // vine pieces, 0..10
    float PetalAngle = 0.0f;    // petal tilt about X in degrees
    D3DXCOLOR Color{};          // petal colour
    int32_t SegSide[10]{};      // 0 one side, 1 on the vine, 2 the other side
    D3DXVECTOR3 SegScale[10]{}; // scale of a piece's small flower
    D3DXCOLOR SegColor[10]{};   // colour of a piece
    float SegTwist[10]{};       // turn of a piece about Y in degrees
    float SegTilt[10]{};        // tilt of a piece's small flower about X in degrees
    float SegSpin[10]{};        // turn of a piece's small flower about Y in degrees
    int32_t WiltIndex = 0;      // the piece wilting now
    D3DXVECTOR3 RootPos{};      // root spirit position
    float RootAngle = 0.0f;     // spin of the root spirit in degrees
    float RootLife = 0.0f;      // the root spirit is drawn while >= 0
    D3DXVECTOR3 RootScale{};
};

class CFlower : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    D3DXVECTOR3 m_OuterScale{};
    D3DXCOLOR m_OuterColor{};
    D3DXVECTOR3 m_InnerPos{};
    D3DXVECTOR3 m_InnerScale{};
    D3DXCOLOR m_InnerColor{};
    D3DXVECTOR3 m_CenterPos{};
    D3DXVECTOR3 m_CenterScale{};
    Blossom m_Blossom[2]{};
    D3DLIGHT9 m_Light{}; // the flower's green point light
};
