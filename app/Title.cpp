// The title screen: phases, selector, click tests, bubbles and rings, and the creature displays.
#include "app/Title.h"

#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/Shader.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include <windows.h>
#include "player/Effects.h"
#include "world/ObjectBase.h"
#include "world/Props.h"
#include "world/WorldMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

int32_t g_TitlePhase = TITLE_WAITING;
float g_TitleSpeed = 0.0f;
int32_t g_StageSel = 0;
BYTE g_bSelMoving = 0;
int32_t g_TitleFrame = 0;
BYTE g_bEnterLatch = 0;
int32_t g_bClickLatch = 0;
float g_BobStep = 0.05f;
float g_TitleGlowPhase = 0.0f;

TitlePanel g_PanelLogo{};
TitlePanel g_PanelPrompt{};
TitlePanel g_PanelStart{};
TitlePanel g_PanelExit{};
TitlePanel g_PanelRight{};
TitlePanel g_PanelLeft{};
TitlePanel g_PanelItem[2]{};

CFootball* g_pTitleFootball = nullptr;
CAnemone* g_pTitleAnemone = nullptr;

namespace {

constexpr float kTilt10 = -10.0f;      // the logo and the prompt lean back by 10 degrees
constexpr float kTilt30 = -30.0f;      // the exit button and the stars by 30
constexpr float kGlideEnd = 10.0f;     // the selector's z
constexpr float kItemSpacing = 100.0f; // stage item i stands at x = 100 i
constexpr float kStartSpeed = 6.0f;    // the glide and the slide start at this speed

// The displays clear their pointer when the program's arena destroys them, so that nothing dangles.
class CTitleFootball : public CFootball {
  public:
    ~CTitleFootball() override {
        if (g_pTitleFootball == this) g_pTitleFootball = nullptr;
    }
};
class CTitleAnemone : public CAnemone {
  public:
    ~CTitleAnemone() override {
        if (g_pTitleAnemone == this) g_pTitleAnemone = nullptr;
    }
};

// A w x d quad in the x-z plane centred on the origin, white; a mirrored quad shows its image flipped.
void FillQuad(TitlePanel& panel, float w, float d, bool mirrored) {
    const float x[4] = {-w / 2, w / 2, w / 2, -w / 2};
    const float z[4] = {d / 2, d / 2, -d / 2, -d / 2};
    const float u[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i)
        panel.Verts[i] = {x[i], 0.0f, z[i], 0xFFFFFFFF, mirrored ? 1.0f - u[i] : u[i], v[i]};
}

void SetArrowColour(TitlePanel& arrow) {
    const D3DCOLOR colour = ((D3DCOLOR)arrow.Alpha << 24) | 0xFFFFFF;
    for (Vertex3D& v : arrow.Verts)
        v.color = colour;
}

// The selector's buttons follow the camera sideways; the start button rides on the selected item's bob.
void PlaceButtons() {
    const float ax = g_CamAt.x;
    g_PanelRight.World = MatTranslation(ax + 30.0f, 5.0f, -5.0f);
    g_PanelLeft.World = MatTranslation(ax - 30.0f, 5.0f, -5.0f);
    g_PanelStart.World = MatTranslation(ax, 5.0f + g_PanelItem[g_StageSel].Bob, -5.0f);
    g_PanelExit.World = MatRotationX(kTilt30) * MatTranslation(ax + 30.0f, 5.0f, 20.0f);
}

// The creature displays are made once, in the program's arena, whatever arena the caller is filling.
void CreateDisplays() {
    if (g_pTitleFootball && g_pTitleAnemone) return;
    const ObjectArena previous = GetObjectArena();
    SetObjectArena(ObjectArena::Program);
    if (!g_pTitleFootball) g_pTitleFootball = NewObject<CTitleFootball>();
    if (!g_pTitleAnemone) g_pTitleAnemone = NewObject<CTitleAnemone>();
    SetObjectArena(previous);
}

// A ring where the mouse is, in screen space: every menu action leaves one.
void SpawnRing() {
    CCircleEff* ring = NewObject<CCircleEff>();
    ring->m_Pos = D3DXVECTOR3(GetCursorScreenX(), GetCursorScreenY(), 0.0f);
    ring->m_Speed = 2.0f;
    ring->Init();
    EffectList.push_back(ring);
}

// Eight bubbles on a circle of radius 3, 10 units beyond the look-at point, at a random depth in -10..9.
void SpawnBubbleRing(float centreX) {
    for (int i = 0; i < 8; ++i) {
        const D3DXMATRIX turn = MatRotationY(45.0f * (float)i);
        const D3DXVECTOR3 ahead(0.0f, 0.0f, 3.0f);
        D3DXVECTOR3 offset;
        D3DXVec3TransformNormal(&offset, &ahead, &turn);
        CBubble* bubble = NewObject<CBubble>();
        bubble->m_Pos =
            D3DXVECTOR3(centreX + offset.x, (float)(std::rand() % 20) - 10.0f, g_CamAt.z + 10.0f + offset.z);
        bubble->m_Speed = 2.0f;
        bubble->Init();
        EffectList.push_back(bubble);
    }
}

void StartStage() {
    g_StageNo = g_StageSel + 1;
    g_MenuChoice = MENU_START;
    SpawnRing();
    if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_OUT;
}

void ChooseExit() {
    g_MenuChoice = MENU_EXIT;
    SpawnRing();
    if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_OUT;
}

// One item to the side: the camera slides there, and input waits until it has arrived.
void MoveSelection(int step) {
    g_StageSel += step;
    g_bSelMoving = 1;
    g_TitleSpeed = kStartSpeed;
}

// Up 3 and down again at g_BobStep a frame; the step turns at both ends and the second item bobs with the
// step as the first left it.
void Bob(TitlePanel& item) {
    item.Bob += g_BobStep;
    if (item.Bob > 3.0f) {
        item.Bob = 3.0f;
        g_BobStep = -g_BobStep;
    }
    if (item.Bob < 0.0f) {
        item.Bob = 0.0f;
        g_BobStep = -g_BobStep;
    }
}

// The camera's look-at point glides forward to the selector, slowing down; true on arrival.
bool GlideStep() {
    if (g_CamAt.z < kGlideEnd) {
        g_CamAt.z += g_TitleSpeed;
        g_TitleSpeed = g_TitleSpeed > 0.1f ? g_TitleSpeed * 0.948f : 0.1f;
    }
    if (g_CamAt.z < kGlideEnd) return false;
    g_CamAt.z = kGlideEnd;
    g_TitlePhase = TITLE_SELECTOR;
    // Enter held on arrival was pressed for the glide: it chooses nothing until it has been let go. The
    // button keeps its own latch: held through the glide, it presses what lies under the cursor on arrival
    // unless it was already handled.
    g_bEnterLatch = 1;
    return true;
}

void SelectorStep() {
    Bob(g_PanelItem[0]);
    Bob(g_PanelItem[1]);
    g_MenuChoice = MENU_NONE;
    if (g_bSelMoving == 1) return;

    if ((KeyHeld(VK_RIGHT) || KeyHeld('D')) && g_StageSel < 1) MoveSelection(1);
    if ((KeyHeld(VK_LEFT) || KeyHeld('A')) && g_StageSel > 0) MoveSelection(-1);

    if (KeyHeld(VK_RETURN)) {
        if (g_bEnterLatch == 0) StartStage();
        g_bEnterLatch = 1;
    } else {
        g_bEnterLatch = 0;
    }

    if (KeyHeld(VK_LBUTTON)) {
        // Each panel is tested on its own: where panels overlap on screen one click does several things.
        if (g_bClickLatch == 0) {
            if (TitlePanelHit(g_PanelStart)) StartStage();
            if (TitlePanelHit(g_PanelExit)) ChooseExit();
            if (TitlePanelHit(g_PanelRight) && g_StageSel < 1) {
                MoveSelection(1);
                SpawnRing();
            }
            if (TitlePanelHit(g_PanelLeft) && g_StageSel > 0) {
                MoveSelection(-1);
                SpawnRing();
            }
        }
        g_bClickLatch = 1;
    } else {
        g_bClickLatch = 0;
    }
}

// The camera slides sideways to the selected item, slowing down; it stops moving one frame after it has
// arrived.
void SlideStep() {
    if (g_bSelMoving != 1) return;
    g_TitleSpeed = g_TitleSpeed > 0.1f ? g_TitleSpeed * 0.945f : 0.1f;
    const float target = (float)g_StageSel * kItemSpacing;
    if (g_CamAt.x < target) {
        g_CamAt.x = std::min(g_CamAt.x + g_TitleSpeed, target);
    } else if (g_CamAt.x > target) {
        g_CamAt.x = std::max(g_CamAt.x - g_TitleSpeed, target);
    } else {
        g_bSelMoving = 0;
    }
}

// An arrow with nowhere to go fades out; the other fades in, 5 a frame.
void FadeArrow(TitlePanel& arrow, bool useless) {
    arrow.Alpha = useless ? std::max(arrow.Alpha - 5, 0) : std::min(arrow.Alpha + 5, 255);
    SetArrowColour(arrow);
}

void DrawPanel(IDirect3DTexture9* texture, const D3DXMATRIX& world, const Vertex3D verts[4]) {
    g_pDevice->SetTexture(0, texture);
    g_pDevice->SetTransform(D3DTS_WORLD, &world);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, verts, sizeof(Vertex3D));
}

// Far to near: key m_Radius + m_Pos.z - g_CamEye.z, largest first, the later inserted first among equals.
template <class Call> void EffectsFarToNear(Call call) {
    std::multimap<float, CObjectBase*> byDepth;
    for (CObjectBase* o : EffectList)
        if (o) byDepth.emplace(o->m_Radius + o->m_Pos.z - g_CamEye.z, o);
    for (auto it = byDepth.rbegin(); it != byDepth.rend(); ++it)
        call(it->second);
}

void DrawFootballDisplay(CFootball& football, float x, float z) {
    const D3DXMATRIX world = football.m_mScale * MatRotationY(180.0f) * MatTranslation(x, 10.0f, z + 60.0f);
    football.m_mWorld = world;
    DrawMesh(g_MeshAnemone, world, 0);
    DrawMesh(g_MeshFootball, world, 0);
    DrawMesh(g_MeshLowerJaw, MatScaling(1.0f, 1.0f, 1.2f) * MatRotationX(football.m_Jaw) * world, 0);
    const float glow = (std::sin(g_TitleGlowPhase) + 1.0f) * 0.25f + 0.5f;
    g_TitleGlowPhase += football.m_PulseSpeed;
    DrawMeshColored(g_MeshEffect, MatTranslation(0.0f, 5.0f, 5.0f) * world, D3DXCOLOR(1.0f, 1.0f, 1.0f, glow),
                    4);
}

void DrawAnemoneDisplay(CAnemone& anemone, float x, float z) {
    anemone.m_mWorld = anemone.m_mScale * MatTranslation(x, 5.0f, z + 60.0f);
    DrawMesh(g_MeshAnemone, anemone.m_mWorld, 0);
    g_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (CAnemoneTentacle* tentacle : anemone.TentaclesFarToNear()) {
        tentacle->Update();
        tentacle->DrawAlpha();
    }
    g_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
}

} // namespace

void TitleSetup() {
    g_TitlePhase = TITLE_WAITING;
    if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_IN;
    FillQuad(g_PanelLogo, 60.0f, 20.0f, false);
    FillQuad(g_PanelPrompt, 20.0f, 10.0f, false);
    g_MenuChoice = MENU_NONE;
    g_bEnterLatch = 1;
    g_StageSel = 0;
    for (int i = 0; i < 2; ++i) {
        FillQuad(g_PanelItem[i], 20.0f, 20.0f, false);
        g_PanelItem[i].World = MatTranslation(kItemSpacing * (float)i, 5.0f, 0.0f);
    }
    FillQuad(g_PanelStart, 16.0f, 16.0f, false);
    FillQuad(g_PanelExit, 32.0f, 24.0f, false);
    FillQuad(g_PanelRight, 16.0f, 16.0f, false);
    FillQuad(g_PanelLeft, 16.0f, 16.0f, true);
    g_PanelRight.Alpha = 255;
    g_PanelLeft.Alpha = 255;
    SetArrowColour(g_PanelRight);
    SetArrowColour(g_PanelLeft);
    PlaceButtons();

    CreateDisplays();
    g_pTitleFootball->m_Radius = 17.5f;
    g_pTitleFootball->m_mScale = MatScaling(2.5f, 2.5f, 2.5f);
    g_pTitleFootball->m_PulseSpeed = 0.03f;
    g_pTitleAnemone->m_Pos = D3DXVECTOR3(100.0f, 5.0f, 60.0f);
    g_pTitleAnemone->m_Radius = 17.5f;
    g_pTitleAnemone->m_mScale = MatScaling(10.0f, 5.0f, 10.0f);
    g_pTitleAnemone->BuildTentacles(); // the ring of the last visit is set up afresh: always 72

    g_TitleFrame = 0;
}

void TitleStep() {
    if (g_FadeMode == FADE_NONE) {
        if (g_TitlePhase == TITLE_WAITING && (KeyHeld(VK_RETURN) || KeyHeld(VK_LBUTTON))) {
            g_TitlePhase = TITLE_GLIDING;
            g_TitleSpeed = kStartSpeed;
        }
        if (g_TitlePhase == TITLE_GLIDING) GlideStep();
        if (g_TitlePhase == TITLE_SELECTOR) SelectorStep();
    }

    SlideStep();
    PlaceButtons();
    FadeArrow(g_PanelLeft, g_StageSel == 0);
    FadeArrow(g_PanelRight, g_StageSel == 1);
    if (g_FadeMode == FADE_OUT_DONE) g_SceneProc = TitleUninit;
    // A ring of bubbles every 210 frames, to the right and to the left in turn, from the very first frame.
    if (g_TitleFrame % 420 == 0) SpawnBubbleRing(g_CamAt.x + 40.0f);
    if (g_TitleFrame % 420 == 210) SpawnBubbleRing(g_CamAt.x - 40.0f);
    g_TitleFrame += 1;
    if (g_TitleFrame > 3600) g_TitleFrame = 0;
}

bool TitlePanelHit(const TitlePanel& panel) {
    if (!g_pDevice) return false;
    D3DVIEWPORT9 viewport{};
    g_pDevice->GetViewport(&viewport);
    const float x = GetCursorScreenX(), y = GetCursorScreenY();
    const D3DXVECTOR3 onNear(x, y, 0.0f), onFar(x, y, 1.0f);
    D3DXVECTOR3 from, to;
    D3DXVec3Unproject(&from, &onNear, &viewport, &g_mProj, &g_mView, &panel.World);
    D3DXVec3Unproject(&to, &onFar, &viewport, &g_mProj, &g_mView, &panel.World);
    const D3DXVECTOR3 dir = to - from;
    D3DXVECTOR3 c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = D3DXVECTOR3(panel.Verts[i].x, panel.Verts[i].y, panel.Verts[i].z);
    float u, v, dist;
    return D3DXIntersectTri(&c[0], &c[1], &c[2], &from, &dir, &u, &v, &dist) ||
           D3DXIntersectTri(&c[0], &c[2], &c[3], &from, &dir, &u, &v, &dist);
}

void UpdateEffectList() {
    for (std::size_t i = 0; i < EffectList.size(); ++i)
        if (EffectList[i]) EffectList[i]->Update();
    // The dead leave the list; the title's arena still owns them until the title ends.
    EffectList.erase(std::remove_if(EffectList.begin(), EffectList.end(),
                                    [](const CObjectBase* o) { return o && o->m_bDead == 1; }),
                     EffectList.end());
}

void DrawEffectListAlpha() {
    EffectsFarToNear([](CObjectBase* o) { o->DrawAlpha(); });
}

void DrawEffectList() {
    EffectsFarToNear([](CObjectBase* o) { o->Draw(); });
}

void DrawTitlePanels() {
    const float ax = g_CamAt.x;
    g_PanelLogo.World =
        MatScaling(1.5f, 1.5f, 1.5f) * MatRotationX(kTilt10) * MatTranslation(ax, 10.0f, -110.0f);
    g_PanelPrompt.World =
        MatScaling(1.0f, 0.5f, 0.5f) * MatRotationX(kTilt10) * MatTranslation(ax, 10.0f, -125.0f);
    DrawPanel(g_pTexLogo, g_PanelLogo.World, g_PanelLogo.Verts);
    DrawPanel(g_pTexClick, g_PanelPrompt.World, g_PanelPrompt.Verts);
    DrawPanel(g_pTexStart, g_PanelStart.World, g_PanelStart.Verts);
    DrawPanel(g_pTexExit, g_PanelExit.World, g_PanelExit.Verts);
    DrawPanel(g_pTexArrow, g_PanelRight.World, g_PanelRight.Verts);
    DrawPanel(g_pTexArrow, g_PanelLeft.World, g_PanelLeft.Verts);
    // Stage 1 carries one star, stage 2 two side by side, each half the item's size, leaning back.
    for (int p = 0; p < 2; ++p) {
        for (int k = 0; k <= p; ++k) {
            D3DXMATRIX m = MatScaling(0.5f, 0.5f, 0.5f) * MatRotationX(kTilt30) * g_PanelItem[p].World;
            m._41 += 15.0f * (float)k - 7.5f * (float)p;
            m._43 += 10.0f;
            DrawPanel(g_pTexStar, m, g_PanelItem[p].Verts);
        }
    }
}

void DrawTitleCreatures() {
    if (g_pTitleFootball)
        DrawFootballDisplay(*g_pTitleFootball, g_PanelItem[0].World._41, g_PanelItem[0].World._43);
    if (g_pTitleAnemone)
        DrawAnemoneDisplay(*g_pTitleAnemone, g_PanelItem[1].World._41, g_PanelItem[1].World._43);
}

void ResetTitleGlobals() {
    g_TitlePhase = TITLE_WAITING;
    g_TitleSpeed = 0.0f;
    g_StageSel = 0;
    g_bSelMoving = 0;
    g_TitleFrame = 0;
    g_bEnterLatch = 0;
    g_bClickLatch = 0;
    g_BobStep = 0.05f;
    g_TitleGlowPhase = 0.0f;
    for (TitlePanel* p : {&g_PanelLogo, &g_PanelPrompt, &g_PanelStart, &g_PanelExit, &g_PanelRight,
                          &g_PanelLeft, &g_PanelItem[0], &g_PanelItem[1]})
        *p = TitlePanel{};
}

// The title's menu state, on the title only (null in a stage): phase 0 waiting, 1 gliding, 2 selector; the
// selected item; whether the camera slides; the glide or slide speed; the look-at point's x and z.
void TraceTitleKeys(JsonLine& j) {
    if (g_SceneId != 0) {
        j.Null("title");
        return;
    }
    j.Open("title");
    j.Int("phase", g_TitlePhase);
    j.Int("sel", g_StageSel);
    j.Int("moving", g_bSelMoving);
    j.Float("speed", g_TitleSpeed);
    j.Vec2("at", g_CamAt.x, g_CamAt.z);
    j.Close();
}
