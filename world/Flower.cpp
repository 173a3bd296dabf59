#include "world/Flower.h"

void CFlower::Init() {}
void CFlower::Update() {}
void CFlower::Draw() {}
void CFlower::DrawAlpha() {}
int CFlower::Shoot() {
    return 0;
}
