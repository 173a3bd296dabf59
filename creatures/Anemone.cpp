#include "creatures/Anemone.h"

// The fish and tentacles themselves belong to their arena; only the storage of the two lists goes here.
CAnemone::~CAnemone() = default;

void CAnemone::Init() {}
void CAnemone::Update() {}
void CAnemone::Draw() {}
void CAnemone::DrawAlpha() {}
int CAnemone::Shoot() {
    return 0;
}

CAnemoneTentacle::CAnemoneTentacle() {
    m_bMove = 0;
    m_bDead = 0;
}

void CAnemoneTentacle::Init() {}
void CAnemoneTentacle::Update() {}
void CAnemoneTentacle::Draw() {}
void CAnemoneTentacle::DrawAlpha() {}
int CAnemoneTentacle::Shoot() {
    return 0;
}

void CAnemoneHeal::Init() {}
void CAnemoneHeal::Update() {}
void CAnemoneHeal::Draw() {}
void CAnemoneHeal::DrawAlpha() {}
int CAnemoneHeal::Shoot() {
    return 0;
}
