// The run's command-line options, the platform's run mode and the replay back as a plain run starts with
// them, for tests that change them (in SetUp before changing them, and in TearDown); and the game's window
// made as WinMain makes it.
#pragma once

#include "app/Options.h"
#include "app/Replay.h"

#include <platform_hooks.h>
#include <windows.h>

inline void ResetRun() {
    RunOptions() = Options{};
    PlatformMode() = PlatformRunMode{};
    ReplaySet({}, false);
}

// The game's window class with proc as its window procedure, and the 640 x 480 window WinMain creates with it
// (in the run mode set now: on SDL's offscreen driver when headless, without a screen with --no-render);
// null when it cannot be made.
inline HWND CreateGameWindow(WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = "Generic Game SDK Window";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "Generic Game SDK Window", "Brinewisp   ver1.00", WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
}
