// The game's images and the sprite draw.
#include "assets/Textures.h"

#include "app/DataTree.h"
#include "app/Direct3D.h"
#include "app/Scene.h"

IDirect3DTexture9* g_pTexLight = NULL;
IDirect3DTexture9* g_pTexBlack = NULL;
IDirect3DTexture9* g_pTexCursor = NULL;
IDirect3DTexture9* g_pTexGround = NULL;
IDirect3DTexture9* g_pTexLogo = NULL;
IDirect3DTexture9* g_pTexStart = NULL;
IDirect3DTexture9* g_pTexExit = NULL;
IDirect3DTexture9* g_pTexOption = NULL;
IDirect3DTexture9* g_pTexArrow = NULL;
IDirect3DTexture9* g_pTexStar = NULL;
IDirect3DTexture9* g_pTexClick = NULL;
IDirect3DTexture9* g_pTexAnemoneTentacle = NULL;
IDirect3DTexture9* g_pTexResult = NULL;
IDirect3DTexture9* g_pTexClear = NULL;
IDirect3DTexture9* g_pTexDead = NULL;
IDirect3DTexture9* g_pTexScore = NULL;
IDirect3DTexture9* g_pTexKey = NULL;
IDirect3DTexture9* g_pTexMouse = NULL;
IDirect3DTexture9* g_pTexTentacle = NULL;
IDirect3DTexture9* g_pTexWakame = NULL;
IDirect3DTexture9* g_pTexDust = NULL;
IDirect3DTexture9* g_pTexEsc = NULL;
IDirect3DTexture9* g_pTexIvy = NULL;
IDirect3DTexture9* g_pTexPaused = NULL;
IDirect3DTexture9* g_pTexVolume = NULL;

namespace {

struct TextureFile {
    IDirect3DTexture9** slot;
    const char* path;
    UINT width, height;
};

const TextureFile kSharedSet[] = {
    {&g_pTexLight, "image/effect/light.png", 128, 128},
    {&g_pTexBlack, "image/effect/black.png", 8, 4},
    {&g_pTexCursor, "image/game/cursor.png", 32, 32},
    {&g_pTexGround, "image/game/ground.bmp", 1024, 1024},
};

const TextureFile kTitleSet[] = {
    {&g_pTexLogo, "image/title/logo.png", 256, 128},
    {&g_pTexStart, "image/title/start.png", 128, 64},
    {&g_pTexExit, "image/title/exit.png", 128, 64},
    {&g_pTexOption, "image/title/option.png", 128, 64},
    {&g_pTexArrow, "image/title/arrow.png", 64, 64},
    {&g_pTexStar, "image/title/star.png", 256, 256},
    {&g_pTexClick, "image/title/click.png", 256, 64},
    {&g_pTexAnemoneTentacle, "image/game/anemone_tentacle.png", 32, 64},
};

const TextureFile kStageSet[] = {
    {&g_pTexResult, "image/gameover/result.png", 256, 128},
    {&g_pTexClear, "image/gameover/clear.png", 256, 128},
    {&g_pTexDead, "image/gameover/dead.png", 256, 128},
    {&g_pTexScore, "image/gameover/score.png", 256, 128},
    {&g_pTexKey, "image/game/key.png", 256, 256},
    {&g_pTexMouse, "image/game/mouse.png", 256, 256},
    {&g_pTexTentacle, "image/game/tentacle.png", 16, 64},
    {&g_pTexAnemoneTentacle, "image/game/anemone_tentacle.png", 32, 64},
    {&g_pTexWakame, "image/game/wakame.png", 64, 128},
    {&g_pTexDust, "image/effect/dust.png", 128, 128},
    {&g_pTexEsc, "image/game/esc.png", 256, 128},
    {&g_pTexIvy, "image/game/ivy.png", 256, 64},
};

const TextureFile kComfortSet[] = {
    {&g_pTexPaused, "image/game/paused.png", 256, 128},
    {&g_pTexVolume, "image/game/volume.png", 256, 64},
};
bool s_ComfortLoaded = false; // tried once: a missing file is not looked for every frame

void ReleaseSlot(IDirect3DTexture9** slot) {
    if (*slot) {
        (*slot)->Release();
        *slot = NULL;
    }
}

// Every image is copied unscaled into a texture of its listed size, one mip level.
template <size_t N> void LoadSet(const TextureFile (&set)[N]) {
    NoteAssetFolder("image");
    for (const TextureFile& f : set) {
        ReleaseSlot(f.slot); // a slot loaded by another set is reloaded, not leaked
        D3DXCreateTextureFromFileExA(g_pDevice, f.path, f.width, f.height, 1, 0, D3DFMT_UNKNOWN,
                                     D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, NULL, NULL, f.slot);
    }
}

template <size_t N> void ReleaseSet(const TextureFile (&set)[N]) {
    for (const TextureFile& f : set)
        ReleaseSlot(f.slot);
}

} // namespace

void LoadSharedTextures() {
    LoadSet(kSharedSet);
}
void LoadTitleTextures() {
    LoadSet(kTitleSet);
}
void LoadStageTextures() {
    LoadSet(kStageSet);
}
void LoadComfortTextures() {
    if (s_ComfortLoaded) return;
    s_ComfortLoaded = true;
    LoadSet(kComfortSet);
}
void ReleaseSharedTextures() {
    ReleaseSet(kSharedSet);
}
void ReleaseTitleTextures() {
    ReleaseSet(kTitleSet);
}
void ReleaseStageTextures() {
    ReleaseSet(kStageSet);
}
void ReleaseComfortTextures() {
    ReleaseSet(kComfortSet);
    s_ComfortLoaded = false;
}

void DrawSprite(IDirect3DTexture9* texture, int opacity, float x, float y, float centerX, float centerY,
                RECT src, const D3DXMATRIX& m) {
    if (!g_pSprite) return;
    g_pSprite->Begin(D3DXSPRITE_ALPHABLEND);
    D3DXMATRIX trans;
    D3DXMatrixTranslation(&trans, x, y, 0.0f);
    D3DXMATRIX world = m * trans;
    g_pSprite->SetTransform(&world);
    D3DXVECTOR3 center(centerX, centerY, 0.0f);
    g_pSprite->Draw(texture, &src, &center, NULL, ((DWORD(opacity) & 0xFF) << 24) | 0xFFFFFF);
    g_pSprite->End();
}
