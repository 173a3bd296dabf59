// The cameras, the view and projection of the frame, and the seabed.
#include "app/Camera.h"
#include "world/WorldMath.h"

#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include <windows.h>

D3DXVECTOR3 g_CamEye{};
D3DXVECTOR3 g_CamAt{};
float g_CamRise = 0.0f;
int32_t g_CamRiseHold = 0;
float g_CamYaw = 0.0f;
D3DXMATRIX g_mCamRot(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
D3DXMATRIX g_mView(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
D3DXMATRIX g_mProj(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
Vertex3D g_GroundQuad[4]{};
MeshData* g_pTerrain = nullptr;
D3DXMATRIX g_mTerrain(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
float g_TerrainScale = 30.0f;

namespace {

constexpr float kTitlePitch = 1.0471976f; // 60 degrees
constexpr float kRiseMax = 15.0f;         // the stage camera climbs at most this much
constexpr float kRiseStep = 0.2f;         // per frame while a movement key is held
constexpr float kSinkStep = 0.1f;         // per frame once the hold has run out
constexpr int32_t kRiseHoldFrames = 250;  // about four seconds

// The terrain mesh is the stage's collision model, stretched over the seabed.
void SetTerrainMatrix() {
    g_TerrainScale = 30.0f;
    D3DXMATRIX scale, rot, trans;
    D3DXMatrixScaling(&scale, 30.0f, 20.0f, 30.0f);
    D3DXMatrixRotationY(&rot, 0.0f);
    D3DXMatrixTranslation(&trans, 0.0f, 0.0f, 0.0f);
    g_mTerrain = scale * rot * trans;
}

// The eye of the title: 50 units behind g_CamAt along the camera's view, pitched down 60 degrees.
void PlaceTitleEye() {
    D3DXMATRIX rot, trans;
    D3DXMatrixRotationX(&rot, kTitlePitch);
    D3DXMatrixTranslation(&trans, g_CamAt.x, g_CamAt.y, g_CamAt.z);
    const D3DXMATRIX m = rot * trans;
    const D3DXVECTOR3 back(0.0f, 0.0f, -50.0f);
    D3DXVec3TransformCoord(&g_CamEye, &back, &m);
}

// The player's position: the fourth row of its translation.
D3DXVECTOR3 PositionOf(const D3DXMATRIX& trans) {
    return D3DXVECTOR3(trans._41, trans._42, trans._43);
}

} // namespace

void InitGround() {
    g_GroundQuad[0] = {-100.0f, 0.0f, 100.0f, 0xFFFFFFFF, 0.0f, 0.0f};
    g_GroundQuad[1] = {100.0f, 0.0f, 100.0f, 0xFFFFFFFF, 1.0f, 0.0f};
    g_GroundQuad[2] = {100.0f, 0.0f, -100.0f, 0xFFFFFFFF, 1.0f, 1.0f};
    g_GroundQuad[3] = {-100.0f, 0.0f, -100.0f, 0xFFFFFFFF, 0.0f, 1.0f};
    SetTerrainMatrix();
}

void SelectTerrain() {
    MeshData* terrain = nullptr;
    switch (g_StageNo) {
    case 1:
        terrain = &g_MeshCollision1;
        break;
    case 2:
        terrain = &g_MeshCollision2;
        break;
    case 3:
        terrain = &g_MeshCollision3;
        break;
    default:
        return; // the previous stage's terrain stays
    }
    SetTerrainMatrix();
    g_pTerrain = terrain;
}

void DrawGround() {
    g_pDevice->SetTexture(0, g_pTexGround);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    for (int z = -400; z <= 400; z += 200) {
        for (int x = -400; x <= 400; x += 200) {
            D3DXMATRIX world;
            D3DXMatrixTranslation(&world, (float)x, 0.0f, (float)z);
            g_pDevice->SetTransform(D3DTS_WORLD, &world);
            g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, g_GroundQuad, sizeof(Vertex3D));
        }
    }
}

void TitleCameraInit() {
    g_CamAt = D3DXVECTOR3(0.0f, 0.0f, -100.0f);
    g_CamYaw = 0.0f;
    PlaceTitleEye();
}

void TitleCameraUpdate() {
    PlaceTitleEye();
}

void StageCameraInit(const D3DXMATRIX& trans) {
    g_CamEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    g_CamAt = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    g_CamRise = 0.0f;
    D3DXMatrixIdentity(&g_mCamRot);
    g_CamYaw = 0.0f;
    g_CamRiseHold = 0;
    const D3DXVECTOR3 offset(0.0f, 40.0f, -10.0f);
    D3DXVec3TransformNormal(&g_CamEye, &offset, &g_mCamRot);
    g_CamEye += PositionOf(trans);
    const D3DXVECTOR3 above(0.0f, 3.0f, 0.0f);
    D3DXVec3TransformCoord(&g_CamAt, &above, &trans);
}

void StageCameraUpdate(const D3DXMATRIX& trans) {
    // Climb while the player swims; after the keys are let go hold the height, then sink back.
    if (KeyHeld('D') || KeyHeld('A') || KeyHeld('W') || KeyHeld('S')) {
        if (g_CamRise < kRiseMax) g_CamRise += kRiseStep;
        g_CamRiseHold = kRiseHoldFrames;
    } else {
        bool holding = false;
        if (g_CamRiseHold > 0) {
            g_CamRiseHold -= 1;
            holding = g_CamRiseHold > 0;
        }
        if (!holding) {
            g_CamRiseHold = 0;
            if (g_CamRise > 0.0f) g_CamRise -= kSinkStep;
        }
    }

    if (g_CamYaw > 360.0f) g_CamYaw -= 360.0f;
    if (g_CamYaw < 0.0f) g_CamYaw += 360.0f;
    D3DXMatrixRotationY(&g_mCamRot, g_CamYaw * kDegToRad);

    const D3DXVECTOR3 offset(0.0f, 40.0f + g_CamRise, -10.0f);
    D3DXVec3TransformNormal(&g_CamEye, &offset, &g_mCamRot);
    const D3DXVECTOR3 above(0.0f, 3.0f, 0.0f);
    D3DXVec3TransformCoord(&g_CamAt, &above, &trans);
    g_CamEye += PositionOf(trans);
}

void SetViewProjection() {
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&g_mView, &g_CamEye, &g_CamAt, &up);
    D3DXMatrixPerspectiveFovLH(&g_mProj, 1.5707964f, 1.3333334f, 1.0f, 1000.0f);
    g_pDevice->SetTransform(D3DTS_VIEW, &g_mView);
    g_pDevice->SetTransform(D3DTS_PROJECTION, &g_mProj);
}

// The camera's eye.
void TraceCameraKeys(JsonLine& j) {
    j.Vec3("cam", g_CamEye);
}
