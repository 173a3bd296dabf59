// The game's images: texture slots loaded in three sets (shared, title, stage), and the sprite draw.
#pragma once

#include <d3dx9.h>

// Shared set: loaded at start-up, released at exit.
extern IDirect3DTexture9* g_pTexLight;  // "image/effect/light.png" 128 x 128: shadow and glow quads
extern IDirect3DTexture9* g_pTexBlack;  // "image/effect/black.png" 8 x 4: the screen fade
extern IDirect3DTexture9* g_pTexCursor; // "image/game/cursor.png" 32 x 32: the mouse cursor, effect rings
extern IDirect3DTexture9* g_pTexGround; // "image/game/ground.bmp" 1024 x 1024: the seabed

// Title set.
extern IDirect3DTexture9* g_pTexLogo;   // "image/title/logo.png" 256 x 128
extern IDirect3DTexture9* g_pTexStart;  // "image/title/start.png" 128 x 64
extern IDirect3DTexture9* g_pTexExit;   // "image/title/exit.png" 128 x 64
extern IDirect3DTexture9* g_pTexOption; // "image/title/option.png" 128 x 64 (loaded, not drawn)
extern IDirect3DTexture9* g_pTexArrow;  // "image/title/arrow.png" 64 x 64
extern IDirect3DTexture9* g_pTexStar;   // "image/title/star.png" 256 x 256
extern IDirect3DTexture9* g_pTexClick;  // "image/title/click.png" 256 x 64

// Title and stage sets.
extern IDirect3DTexture9* g_pTexAnemoneTentacle; // "image/game/anemone_tentacle.png" 32 x 64

// Stage set.
extern IDirect3DTexture9* g_pTexResult;   // "image/gameover/result.png" 256 x 128 (loaded, not drawn)
extern IDirect3DTexture9* g_pTexClear;    // "image/gameover/clear.png" 256 x 128
extern IDirect3DTexture9* g_pTexDead;     // "image/gameover/dead.png" 256 x 128
extern IDirect3DTexture9* g_pTexScore;    // "image/gameover/score.png" 256 x 128 (loaded, not drawn)
extern IDirect3DTexture9* g_pTexKey;      // "image/game/key.png" 256 x 256
extern IDirect3DTexture9* g_pTexMouse;    // "image/game/mouse.png" 256 x 256
extern IDirect3DTexture9* g_pTexTentacle; // "image/game/tentacle.png" 16 x 64
extern IDirect3DTexture9* g_pTexWakame;   // "image/game/wakame.png" 64 x 128
extern IDirect3DTexture9* g_pTexDust;     // "image/effect/dust.png" 128 x 128
extern IDirect3DTexture9* g_pTexEsc;      // "image/game/esc.png" 256 x 128
extern IDirect3DTexture9* g_pTexIvy;      // "image/game/ivy.png" 256 x 64 (loaded, not drawn)

// Comfort set: loaded the first time one of them is shown, released at exit.
extern IDirect3DTexture9* g_pTexPaused; // "image/game/paused.png" 256 x 128: the board over a paused stage
extern IDirect3DTexture9* g_pTexVolume; // "image/game/volume.png" 256 x 64: the volume indicator's pieces

// Load a set in its fixed order, relative to the working directory. A file that cannot be read leaves
// its slot null.
void LoadSharedTextures();
void LoadTitleTextures();
void LoadStageTextures();
// Loads the comfort set unless it is loaded (or was tried) already.
void LoadComfortTextures();
// Release every loaded texture of a set and clear its slot; releasing an empty slot does nothing.
void ReleaseSharedTextures();
void ReleaseTitleTextures();
void ReleaseStageTextures();
void ReleaseComfortTextures();

// Draws the rectangle src of texture (may be null) through g_pSprite: its point (centerX, centerY) lands
// at screen position (x, y); m scales (and rotates) the image about that point. opacity 0..255.
void DrawSprite(IDirect3DTexture9* texture, int opacity, float x, float y, float centerX, float centerY,
                RECT src, const D3DXMATRIX& m);
