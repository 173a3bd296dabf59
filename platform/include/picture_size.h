// The size of the picture the game draws: its back buffer, the window's client area by default, and the
// space the mouse is mapped into. A window of another size shows the picture as large as fits, unstretched,
// between black bars; the platform draws it as finely as it is shown.
#pragma once

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
