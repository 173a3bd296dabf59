// The game's own mouse cursor in the fixed 640 x 480 screen space.
#pragma once

extern float g_CursorX; // cursor position of the frame, 640 x 480 space, x to the right
extern float g_CursorY; // y downwards, origin at the top left of the client area

// The mouse now, mapped from the screen into 640 x 480 space; not clamped, so a mouse outside the client
// area gives positions outside 0..640 x 0..480.
float GetCursorScreenX();
float GetCursorScreenY();
// Take g_CursorX, g_CursorY from the mouse now: at the start of a scene, and once every frame.
void ResetCursor();
void UpdateCursor();
// Draws the cursor image (24 x 24 pixels) centred on g_CursorX, g_CursorY.
void DrawCursor();

// Whether a key (a virtual-key code, 'A' to 'Z' or VK_...) is held now: the high bit of GetAsyncKeyState.
bool KeyHeld(int vk);
