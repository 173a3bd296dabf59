#include "world/Props.h"

void CPearl::Init() {}
void CPearl::Update() {}
void CPearl::Draw() {}
void CPearl::DrawAlpha() {}
int CPearl::Shoot() {
    return 0;
}

CStarfish::CStarfish(int32_t variant) {
    m_Type = variant;
}
void CStarfish::Init() {}
void CStarfish::Update() {}
void CStarfish::Draw() {}
void CStarfish::DrawAlpha() {}
int CStarfish::Shoot() {
    return 0;
}

void CCoral::Init() {}
void CCoral::Update() {}
void CCoral::Draw() {}
void CCoral::DrawAlpha() {}
int CCoral::Shoot() {
    return 0;
}

void CWakame::Init() {}
void CWakame::Update() {}
void CWakame::Draw() {}
void CWakame::DrawAlpha() {}
int CWakame::Shoot() {
    return 0;
}

CRock::CRock(int32_t variant) {
    m_Variant = variant;
}
void CRock::Init() {}
void CRock::Update() {}
void CRock::Draw() {}
void CRock::DrawAlpha() {}
int CRock::Shoot() {
    return 0;
}

void CBubble::Init() {}
void CBubble::Update() {}
void CBubble::Draw() {}
void CBubble::DrawAlpha() {}
int CBubble::Shoot() {
    return 0;
}
