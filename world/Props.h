// The fixed inhabitants of the seabed (pearls, starfish, coral, seaweed), the rocks, and the rising bubbles.
#pragma once

#include "world/ObjectBase.h"

// Sets the four corners of the object's shadow quad, w wide (x) and d deep (z), flat at height 0.1, in fan
// order: (-w/2, d/2), (w/2, d/2), (w/2, -d/2), (-w/2, -d/2). Colours and texture coordinates stay as they
// are.
void SetShadowQuad(CObjectBase* object, float w, float d);

class CPearl : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;
};

// Variant 0 or 1, kept in m_Type.
class CStarfish : public CObjectBase {
  public:
    explicit CStarfish(int32_t variant);
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;
};

class CCoral : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;
};

// A swaying strip of seaweed.
class CWakame : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    Vertex3D m_Strip[4]{};  // the quad being drawn
    float m_Sway[5]{};      // x offsets of the five nodes, top to bottom
    int32_t m_SwayDir[5]{}; // 0 moving towards +x, 1 towards -x
};

// Variant 0, 1 or 2: the size of the rock.
class CRock : public CObjectBase {
  public:
    explicit CRock(int32_t variant);
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    int32_t m_Variant = 0;
};

class CBubble : public CObjectBase {
  public:
    void Init() override;
    void Update() override;
    void Draw() override;
    void DrawAlpha() override;
    int Shoot() override;

    float m_Scale = 0.0f;
};
