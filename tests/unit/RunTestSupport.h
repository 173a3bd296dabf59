// The run's command-line options, the platform's run mode and the replay back as a plain run starts with
// them, for tests that change them (in SetUp before changing them, and in TearDown).
#pragma once

#include "app/Options.h"
#include "app/Replay.h"

#include <platform_hooks.h>

inline void ResetRun() {
    RunOptions() = Options{};
    PlatformMode() = PlatformRunMode{};
    ReplaySet({}, false);
}
