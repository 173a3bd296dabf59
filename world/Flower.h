// The giant flower obstacle and its two distant blossoms.
#pragma once

#include <d3d9types.h>
#include "world/ObjectBase.h"

// Vine pieces a blossom can have; a blossom farther away spreads this many over the whole vine.
constexpr int32_t kMaxVinePieces = 10;

// One blossom, joined to the flower by a vine of at most ten pieces.
struct Blossom {
    D3DXVECTOR3 Pos{};  // blossom position in world coordinates
    BYTE bFinished = 0; // the blossom has fallen
    int32_t Hp = 0;     // hits left
    D3DXVECTOR3 PetalScale{};
    D3DXVECTOR3 SegPos[kMaxVinePieces]{};   // vine piece positions
    int32_t SegCount = 0;                   // vine pieces, 0..10
    float PetalAngle = 0.0f;                // petal tilt about X in degrees
    D3DXCOLOR Color{};                      // petal colour
    int32_t SegSide[kMaxVinePieces]{};      // 0 one side, 1 on the vine, 2 the other side
    D3DXVECTOR3 SegScale[kMaxVinePieces]{}; // scale of a piece's small flower
    D3DXCOLOR SegColor[kMaxVinePieces]{};   // colour of a piece
    float SegTwist[kMaxVinePieces]{};       // turn of a piece about Y in degrees
    float SegTilt[kMaxVinePieces]{};        // tilt of a piece's small flower about X in degrees
    float SegSpin[kMaxVinePieces]{};        // turn of a piece's small flower about Y in degrees
    int32_t WiltIndex = 0;                  // the piece wilting now
    D3DXVECTOR3 RootPos{};                  // root spirit position
    float RootAngle = 0.0f;                 // spin of the root spirit in degrees
    float RootLife = 0.0f;                  // the root spirit is drawn while >= 0
    D3DXVECTOR3 RootScale{};
};

// Stands where the stage file puts it (type 15, radius 28) and blocks players and jellies until both
// blossoms have taken five hits of the player's shots. Lights its surroundings with the green light 1 until
// then.
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

  private:
    void InitVine(Blossom& blossom);
    // Takes every kind-0 shot within reach of the blossom, one hit point and eight sprays each.
    void CheckHits(Blossom& blossom);
    void Wilt(Blossom& blossom);
    void DrawVine(const Blossom& blossom);
    // The shell part at pos, scaled by scale, through m_mTrans, m_mScale and m_mWorld.
    void DrawPart(MeshData& mesh, const D3DXVECTOR3& pos, const D3DXVECTOR3& scale, const D3DXCOLOR* color,
                  int pass);
};
