// The size of the picture the game draws: its back buffer, the window's client area by default, and the
// space the mouse is mapped into. A window of another size shows the picture stretched over its client.
#pragma once

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
