#include "creatures/Football.h"

float g_GlowPhase = 0.0f;

CFootball::CFootball() {
    m_bMove = 0;
    m_Type = 1;
    m_bDead = 0;
    m_Speed = 0.03f;
    m_Radius = 13.0f;
    m_Count = 0;
    m_Jaw = 10.0f;
}

void CFootball::Init() {}
void CFootball::Update() {}
void CFootball::Draw() {}
void CFootball::DrawAlpha() {}
int CFootball::Shoot() {
    return 0;
}
