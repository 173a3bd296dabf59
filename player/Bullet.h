// Shots and sparks: everything in ShotList.
#pragma once

#include "world/ObjectBase.h"

class CBullet : public CObjectBase {
  public:
    CBullet();
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    int32_t m_Remain = 0; // frames of life left
    float m_Fade = 0.0f;  // fraction of life left
};
