// The cameras of the title and the stages, the view and projection of the frame, the seabed and the
// terrain mesh of the stage.
#pragma once

#include <d3dx9math.h>
#include "world/Vertex3D.h"

#include <cstdint>

struct MeshData;

extern D3DXVECTOR3 g_CamEye;     // eye position; its z is the depth reference of the sorted draw passes
extern D3DXVECTOR3 g_CamAt;      // look-at point; the title moves its x and z
extern float g_CamRise;          // extra height of the stage camera, 0 to 15
extern int32_t g_CamRiseHold;    // frames the rise is still held after the last movement key
extern float g_CamYaw;           // heading of the stage camera in degrees, kept in [0, 360]
extern D3DXMATRIX g_mCamRot;     // rotation about Y by g_CamYaw
extern D3DXMATRIX g_mView;       // view matrix of the frame
extern D3DXMATRIX g_mProj;       // projection matrix of the frame
extern Vertex3D g_GroundQuad[4]; // one 200 x 200 floor tile, drawn as a triangle fan
extern MeshData* g_pTerrain;     // the terrain mesh of the current stage (never drawn); null until chosen
extern D3DXMATRIX g_mTerrain;    // world matrix of the terrain mesh
extern float g_TerrainScale;     // horizontal scale of the terrain mesh

// Fills the floor tile and sets the terrain matrix (once, at start-up).
void InitGround();
// Points g_pTerrain at the terrain of g_StageNo (1 to 3); any other stage keeps the terrain it had.
void SelectTerrain();
// Draws the seabed: 5 x 5 tiles covering x and z from -500 to 500, through the fixed-function path so that
// the fog applies. Lighting is expected to be off.
void DrawGround();

// The title camera looks down at 60 degrees onto g_CamAt from 50 units away.
void TitleCameraInit();
void TitleCameraUpdate();
// The stage camera hangs 40 units above and 10 behind the player (trans: the player's translation) and
// rises up to 15 more while a movement key is held.
void StageCameraInit(const D3DXMATRIX& trans);
void StageCameraUpdate(const D3DXMATRIX& trans);

// Builds g_mView and g_mProj from the camera and sets them on the device.
void SetViewProjection();
