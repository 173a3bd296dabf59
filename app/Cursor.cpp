// The mouse cursor: the mapping of the mouse into 640 x 480 space and the cursor sprite.
#include "app/Cursor.h"

#include "app/TraceSections.h"
#include "app/WinMain.h"
#include "assets/Textures.h"
#include <picture_size.h>

float g_CursorX = 0.0f;
float g_CursorY = 0.0f;

namespace {

// The client size divided by the game's screen size. An empty client (a minimised window, or the first
// frame before the rectangles are read) keeps the game's own scale instead of dividing by zero.
float ClientScale(LONG size, float screen) {
    return size > 0 ? (float)size / screen : 1.0f;
}

} // namespace

// The window's edge plus the frame (and, vertically, the caption) stands for the client's screen origin;
// the vertical frame thickness serves both axes.
float GetCursorScreenX() {
    POINT mouse{0, 0};
    GetCursorPos(&mouse);
    const float origin = (float)g_rcWindow.left - (float)g_rcClient.left;
    const float frame = (float)GetSystemMetrics(SM_CYFRAME);
    return ((float)mouse.x - origin - frame) / ClientScale(g_rcClient.right, kPictureWidth);
}

float GetCursorScreenY() {
    POINT mouse{0, 0};
    GetCursorPos(&mouse);
    const float origin = (float)g_rcWindow.top - (float)g_rcClient.top;
    const float frame = (float)GetSystemMetrics(SM_CYFRAME);
    const float caption = (float)GetSystemMetrics(SM_CYCAPTION);
    return ((float)mouse.y - origin - frame - caption) / ClientScale(g_rcClient.bottom, kPictureHeight);
}

void ResetCursor() {
    g_CursorX = GetCursorScreenX();
    g_CursorY = GetCursorScreenY();
}

void UpdateCursor() {
    g_CursorX = GetCursorScreenX();
    g_CursorY = GetCursorScreenY();
}

void DrawCursor() {
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 0.75f, 0.75f, 1.0f);
    const RECT src = {0, 0, 32, 32};
    DrawSprite(g_pTexCursor, 255, g_CursorX, g_CursorY, 16.0f, 16.0f, src, scale);
}

// The cursor in the picture's space.
void TraceCursorKeys(JsonLine& j) {
    j.Vec2("cursor", g_CursorX, g_CursorY);
}

bool KeyHeld(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}
