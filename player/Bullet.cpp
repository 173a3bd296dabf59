#include "player/Bullet.h"

CBullet::CBullet() {
    m_Life = 60;
    m_bDead = 0;
}

void CBullet::Init() {}
void CBullet::Update() {}
void CBullet::Draw() {}
void CBullet::DrawAlpha() {}
int CBullet::Shoot() {
    return 0;
}
