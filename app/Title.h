// The title screen: the logo on the sea floor, the glide to the stage selector, the selector with its
// stage items, start, exit and arrow buttons, the bubbles and rings of the title, and the two creature
// displays that show the stages.
#pragma once

#include <d3dx9math.h>
#include <wintypes.h>
#include "world/Vertex3D.h"

#include <cstdint>

class CFootball;
class CAnemone;

// The values of g_TitlePhase.
enum TitlePhase {
    TITLE_WAITING = 0,  // for the first input
    TITLE_GLIDING = 1,  // to the selector
    TITLE_SELECTOR = 2, // active until the title ends
};

// One flat textured rectangle of the title, lying in the x-z plane of its own space.
struct TitlePanel {
    D3DXMATRIX World;  // where it is drawn
    Vertex3D Verts[4]; // the quad as a triangle fan
    float Bob;         // stage items: how far the item has bobbed up, 0 to 3; kept between title visits
    int32_t Alpha;     // arrows: opacity 0 to 255
};

extern int32_t g_TitlePhase;   // 0 waiting for the first input, 1 gliding to the selector, 2 selector active
extern float g_TitleSpeed;     // speed of the glide or of the sideways slide
extern int32_t g_StageSel;     // selected stage item, 0 or 1 (stage g_StageSel + 1)
extern BYTE g_bSelMoving;      // 1 while the camera slides to the selected item; input waits meanwhile
extern int32_t g_TitleFrame;   // 0 to 3600, times the bubble rings
extern BYTE g_bEnterLatch;     // Enter was already handled while held
extern int32_t g_bClickLatch;  // the left button was already handled while held
extern float g_BobStep;        // the stage items' bobbing step; 0.05 at start, kept between visits
extern float g_TitleGlowPhase; // the pulse of the football display's glow; kept between visits

extern TitlePanel g_PanelLogo;    // "image/title/logo.png", 60 x 20
extern TitlePanel g_PanelPrompt;  // "image/title/click.png", 20 x 10
extern TitlePanel g_PanelStart;   // "image/title/start.png", 16 x 16, over the selected item
extern TitlePanel g_PanelExit;    // "image/title/exit.png", 32 x 24
extern TitlePanel g_PanelRight;   // "image/title/arrow.png", 16 x 16
extern TitlePanel g_PanelLeft;    // the same image mirrored
extern TitlePanel g_PanelItem[2]; // the stage items, 20 x 20; they carry the stars

// The creature displays of the two stage items. They live for the whole program outside every list: the
// first TitleSetup creates them in the program's arena, and each pointer goes back to null when that arena
// destroys its display (at exit).
extern CFootball* g_pTitleFootball;
extern CAnemone* g_pTitleAnemone;

// The first step of TitleInit: panels, creature displays and menu state.
void TitleSetup();
// Once per frame, first thing in TitleUpdate: input, the glide and the slide, the panels, the bubbles.
void TitleStep();
// Update on every object of EffectList, then the dead leave the list (they stay owned by the title's
// arena until the title ends).
void UpdateEffectList();
// DrawAlpha (Draw) on every object of EffectList, far to near: key m_Radius + m_Pos.z - g_CamEye.z,
// largest first; among equal keys the one inserted last first.
void DrawEffectListAlpha();
void DrawEffectList();
// The logo, the prompt, start, exit, the arrows and the stars; lighting off.
void DrawTitlePanels();
// The football and anemone displays; lighting on.
void DrawTitleCreatures();

// Whether the ray through the cursor hits the panel (both triangles of its quad, in the panel's space).
bool TitlePanelHit(const TitlePanel& panel);

// Puts every title global back to its program-start value (tests); the creature displays stay.
void ResetTitleGlobals();
