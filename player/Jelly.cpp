#include "player/Jelly.h"

int32_t g_FirePhase = 0;
int32_t g_RescueWait = 0;

void CJelly::Init() {}
void CJelly::Update() {}
void CJelly::Draw() {}
void CJelly::DrawAlpha() {}
int CJelly::Shoot() {
    return 0;
}
