#include "player/Player.h"

void CPlayer::Init() {}
void CPlayer::Update() {}
void CPlayer::Draw() {}
void CPlayer::DrawAlpha() {}
int CPlayer::Shoot() {
    return 0;
}
