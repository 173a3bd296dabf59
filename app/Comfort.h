// The player's comforts around the game itself: the settings of the run, pause, and the volume keys with
// their indicator. The window procedure hands them its key presses and the loss of the focus.
#pragma once

#include <windows.h>

// Reads the settings (app/Settings.h), sets the sound levels from them and follows Alt+Enter's screen mode.
void ComfortStart();
// The start-up question was answered: with "Don't ask again" ticked, the answer becomes the settings'
// screen mode.
void ComfortScreenAnswered(bool fullScreen);
// A WM_KEYDOWN: P pauses or resumes a stage, M mutes or unmutes, minus and plus step the master volume by 10
// (saved to the settings and shown for a second); Escape resumes a paused stage so that it can be left.
void ComfortKeyDown(WPARAM key);
// WM_KILLFOCUS: pauses a stage when the settings ask for it.
void ComfortFocusLost();
// The volume indicator, for about a second after a change of the volume (60 frames).
void DrawVolumeIndicator();
// Frames the indicator is still shown (tests).
int VolumeIndicatorFrames();
