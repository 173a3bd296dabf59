#include "creatures/Percula.h"

void CPercula::Init() {}
void CPercula::Update() {}
void CPercula::Draw() {}
void CPercula::DrawAlpha() {}
int CPercula::Shoot() {
    return 0;
}
