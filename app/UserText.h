// The texts a player reads in boxes: the start-up question and the graphics device's failures, in English,
// or in Japanese when the user's language is Japanese.
#pragma once

#include <windows.h>

// The boxes the game shows.
enum UserBox {
    BOX_FULL_SCREEN = 0, // Yes: full screen, No: a window
    BOX_NO_DIRECT3D = 1, // the graphics system cannot be started
    BOX_NO_DEVICE = 2,   // no graphics device can be created
};

struct UserBoxText {
    const char* text;
    const char* caption;
};

// A box's words in a language (Japanese for LANG_JAPANESE, English for every other).
UserBoxText UserBoxWords(UserBox box, LANGID language);
// MessageBoxA with the box's words in the user's language, in English when the desktop has no font for the
// others. Returns what MessageBoxA returns.
int ShowUserBox(UserBox box, UINT type);
