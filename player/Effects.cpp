#include "player/Effects.h"

void CCircleEff::Init() {}
void CCircleEff::Update() {}
void CCircleEff::Draw() {}
void CCircleEff::DrawAlpha() {}
int CCircleEff::Shoot() {
    return 0;
}

void CDust::Init() {}
void CDust::Update() {}
void CDust::Draw() {}
void CDust::DrawAlpha() {}
int CDust::Shoot() {
    return 0;
}

void CHealEff::Init() {}
void CHealEff::Update() {}
void CHealEff::Draw() {}
void CHealEff::DrawAlpha() {}
int CHealEff::Shoot() {
    return 0;
}
