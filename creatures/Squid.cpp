// The squid: twice the football's drawn size, fewer hit points and quicker stuns; no jaw and no glow.
#include "creatures/Squid.h"

#include "app/Scene.h"
#include "app/Shader.h"
#include "assets/Meshes.h"

void CSquid::Init() {
    CFootball::Init();
    m_Hp = 600;
    D3DXMatrixScaling(&m_mScale, 5.0f, 5.0f, 5.0f);
    m_StunHits = 100.0f;
}

void CSquid::Draw() {
    DrawMesh(g_MeshSquid, m_mWorld, 0);
    DrawStars();
}

bool CSquid::IsTargetOfStage() const {
    return g_StageNo == 1 || g_StageNo == 3;
}
