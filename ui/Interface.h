// The boards of a stage: the tutorial hints of stage 1 and the result boards with the back button. Each is
// a textured quad lying flat on the seabed around the player, fading in (and the hints out) by its alpha.
#pragma once

#include "world/Vertex3D.h"
#include <d3dx9math.h>

#include <cstdint>

struct IDirect3DTexture9;

// One flat board.
class UiBase {
  public:
    virtual ~UiBase() = default;
    virtual void Init() = 0;
    virtual void Update() = 0;

    // Corners (-w/2, 0.1, h/2), (w/2, 0.1, h/2), (w/2, 0.1, -h/2), (-w/2, 0.1, -h/2).
    void SetSize(float w, float h);
    // Draws the quad with world = m_mPlace x base.
    void DrawBoard(IDirect3DTexture9* texture, const D3DXMATRIX& base);

    Vertex3D m_Quad[4]{};    // corners (-x, +z), (+x, +z), (+x, -z), (-x, -z); white with alpha m_Alpha
    int32_t m_Alpha = 0;     // 0..255
    D3DXMATRIX m_mPlace{};   // placement relative to the player
    int32_t m_FadeState = 0; // 0 hidden, 1 fading in, 2 shown, 3 fading out, 4 gone

  protected:
    // Corners (-halfX, y, halfZ) ... (-halfX, y, -halfZ), texture over the whole image, alpha 0, state 0.
    void Hide(float halfX, float y, float halfZ);
    void SetCorners(float halfX, float y, float halfZ);
    void SetAlphaColor();
};

// A result board: only fades in.
class GameOverUI : public UiBase {
  public:
    void Init() override;
    void Update() override;
};

// A tutorial hint: fades in, waits, fades out.
class TutorialUI : public UiBase {
  public:
    void Init() override;
    void Update() override;
};

extern TutorialUI g_KeysHint;   // "image/game/key.png"
extern TutorialUI g_MouseHint;  // "image/game/mouse.png"
extern GameOverUI g_ClearImage; // "image/gameover/clear.png"
extern GameOverUI g_DeadImage;  // "image/gameover/dead.png"
extern GameOverUI g_BackImage;  // "image/game/esc.png", the back button
extern int32_t g_TutorialPage;  // 0 keys hint, 1 mouse hint, 2 finished

// Once per stage, from GameInit.
void SetupInterface();
// Every frame of a stage with g_StageState: brings up the result boards and picks the back button.
void UpdateInterface(int stageState);
// Every frame of the tutorial of stage 1.
void TutorialStep();
// Every frame, over the world: the result boards once the stage state is 1 or 2.
void DrawInterface(int stageState);
// Every frame of the tutorial: the two hints.
void DrawHints();
