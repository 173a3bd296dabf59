#include "ui/Interface.h"

#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/TraceSections.h"
#include "app/WinMain.h"
#include "assets/Textures.h"
#include "world/ObjectBase.h"
#include <windows.h>

TutorialUI g_KeysHint;
TutorialUI g_MouseHint;
GameOverUI g_ClearImage;
GameOverUI g_DeadImage;
GameOverUI g_BackImage;
int32_t g_TutorialPage = 0;

namespace {

// The boards travel with the player: its translation, laid on the seabed at height 0.01. False while
// there is no player.
bool BoardBase(D3DXMATRIX& base) {
    const CObjectBase* player = ThePlayer();
    if (!player) return false;
    base = player->m_mTrans;
    base._42 = 0.01f;
    return true;
}

void Place(UiBase& board, float x, float y, float z) {
    D3DXMatrixTranslation(&board.m_mPlace, x, y, z);
}

// True when the ray through the cursor meets the back button as it is drawn.
bool CursorOnBackButton(const D3DXMATRIX& base) {
    const D3DXMATRIX world = g_BackImage.m_mPlace * base;
    D3DVIEWPORT9 viewport{};
    g_pDevice->GetViewport(&viewport);
    const float x = GetCursorScreenX();
    const float y = GetCursorScreenY();
    const D3DXVECTOR3 nearScreen(x, y, 0.0f), farScreen(x, y, 1.0f);
    D3DXVECTOR3 nearPoint, farPoint;
    D3DXVec3Unproject(&nearPoint, &nearScreen, &viewport, &g_mProj, &g_mView, &world);
    D3DXVec3Unproject(&farPoint, &farScreen, &viewport, &g_mProj, &g_mView, &world);
    const D3DXVECTOR3 dir = farPoint - nearPoint;
    D3DXVECTOR3 c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = D3DXVECTOR3(g_BackImage.m_Quad[i].x, g_BackImage.m_Quad[i].y, g_BackImage.m_Quad[i].z);
    float u, v, dist;
    return D3DXIntersectTri(&c[0], &c[1], &c[2], &nearPoint, &dir, &u, &v, &dist) ||
           D3DXIntersectTri(&c[0], &c[2], &c[3], &nearPoint, &dir, &u, &v, &dist);
}

} // namespace

void UiBase::SetCorners(float halfX, float y, float halfZ) {
    const float xs[4] = {-halfX, halfX, halfX, -halfX};
    const float zs[4] = {halfZ, halfZ, -halfZ, -halfZ};
    for (int i = 0; i < 4; ++i) {
        m_Quad[i].x = xs[i];
        m_Quad[i].y = y;
        m_Quad[i].z = zs[i];
    }
}

void UiBase::SetAlphaColor() {
    for (Vertex3D& v : m_Quad)
        v.color = ((DWORD)m_Alpha << 24) | 0xFFFFFFu;
}

void UiBase::SetSize(float w, float h) {
    SetCorners(w / 2.0f, 0.1f, h / 2.0f);
}

void UiBase::DrawBoard(IDirect3DTexture9* texture, const D3DXMATRIX& base) {
    const D3DXMATRIX world = m_mPlace * base;
    g_pDevice->SetTexture(0, texture);
    g_pDevice->SetTransform(D3DTS_WORLD, &world);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Quad, sizeof(Vertex3D));
}

// A hidden board: texture coordinates over the whole image, white at alpha 0.
void UiBase::Hide(float halfX, float y, float halfZ) {
    SetCorners(halfX, y, halfZ);
    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        m_Quad[i].u = uv[i][0];
        m_Quad[i].v = uv[i][1];
        m_Quad[i].color = 0x00FFFFFF;
    }
    m_FadeState = 0;
    m_Alpha = 0;
}

void GameOverUI::Init() {
    Hide(20.0f, 0.1f, 10.0f);
}

void GameOverUI::Update() {
    if (m_FadeState == 1 && m_Alpha < 255) {
        m_Alpha = m_Alpha + 2 < 255 ? m_Alpha + 2 : 255;
        SetAlphaColor();
    }
}

void TutorialUI::Init() {
    Hide(20.0f, 0.05f, 20.0f);
}

// 128 frames in, and 128 out.
void TutorialUI::Update() {
    if (m_FadeState == 1) {
        if (m_Alpha < 255) {
            m_Alpha += 2;
            if (m_Alpha >= 256) {
                m_Alpha = 255;
                m_FadeState = 2;
            }
            SetAlphaColor();
        }
    } else if (m_FadeState == 3) {
        if (m_Alpha > 0) {
            m_Alpha -= 2;
            if (m_Alpha < 0) {
                m_Alpha = 0;
                m_FadeState = 4;
            }
            SetAlphaColor();
        }
    }
}

void SetupInterface() {
    g_KeysHint.Init();
    g_MouseHint.Init();
    g_ClearImage.Init();
    g_DeadImage.Init();
    g_BackImage.Init();
    g_TutorialPage = 0;
    Place(g_KeysHint, 0.0f, 0.1f, 30.0f);
    Place(g_MouseHint, 0.0f, 0.1f, 30.0f);
    Place(g_ClearImage, 0.0f, 0.1f, 35.0f);
    Place(g_DeadImage, 0.0f, 0.1f, 35.0f);
    Place(g_BackImage, 30.0f, 0.1f, -20.0f);
    g_ClearImage.SetSize(60.0f, 30.0f);
    g_DeadImage.SetSize(60.0f, 30.0f);
    g_BackImage.SetSize(30.0f, 15.0f);
}

void UpdateInterface(int stageState) {
    if (stageState == STAGE_CLEARED)
        g_ClearImage.m_FadeState = 1;
    else if (stageState == STAGE_DEAD)
        g_DeadImage.m_FadeState = 1;

    // The back button appears once the result picture is fully shown.
    if (g_DeadImage.m_Alpha == 255 || g_ClearImage.m_Alpha == 255) g_BackImage.m_FadeState = 1;

    // It answers to the held fire button from the moment it starts to fade in.
    D3DXMATRIX base;
    if (KeyHeld(VK_LBUTTON) && g_BackImage.m_FadeState == 1 && BoardBase(base) && CursorOnBackButton(base)) {
        if (g_FadeMode == FADE_NONE) g_FadeMode = FADE_OUT;
    }

    if (stageState == STAGE_DEAD || stageState == STAGE_CLEARED) {
        g_DeadImage.Update();
        g_ClearImage.Update();
        g_BackImage.Update();
    }
}

void TutorialStep() {
    if (g_TutorialPage == 0) {
        if (g_KeysHint.m_FadeState == 0) g_KeysHint.m_FadeState = 1;
        g_KeysHint.Update();
        if (g_KeysHint.m_FadeState == 2 && (KeyHeld('W') || KeyHeld('A') || KeyHeld('S') || KeyHeld('D'))) {
            g_KeysHint.m_FadeState = 3;
            return;
        }
        if (g_KeysHint.m_FadeState == 4) g_TutorialPage = 1;
    }
    if (g_TutorialPage == 1) {
        if (g_MouseHint.m_FadeState == 0) g_MouseHint.m_FadeState = 1;
        g_MouseHint.Update();
        if (g_MouseHint.m_FadeState == 2 && KeyHeld(VK_LBUTTON)) {
            g_MouseHint.m_FadeState = 3;
            return;
        }
        if (g_MouseHint.m_FadeState == 4) {
            g_TutorialPage = 2;
            g_bTutorial = 0;
        }
    }
}

void DrawInterface(int stageState) {
    D3DXMATRIX base;
    if ((stageState == STAGE_DEAD || stageState == STAGE_CLEARED) && BoardBase(base)) {
        g_DeadImage.DrawBoard(g_pTexDead, base);
        g_ClearImage.DrawBoard(g_pTexClear, base);
        g_BackImage.DrawBoard(g_pTexEsc, base);
    }
}

void DrawHints() {
    D3DXMATRIX base;
    if (!BoardBase(base)) return;
    g_KeysHint.DrawBoard(g_pTexKey, base);
    g_MouseHint.DrawBoard(g_pTexMouse, base);
}

// The tutorial page.
void TraceTutorialKeys(JsonLine& j) {
    j.Int("page", g_TutorialPage);
}
