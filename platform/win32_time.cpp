// The millisecond clock and Sleep. With --fast the clock is virtual: it starts at 0, moves only by what
// Sleep asks, and Sleep returns at once, so a run takes as long as its work and its times repeat exactly.
#include "win32_private.h"

#include <chrono>
#include <thread>

namespace {

DWORD s_VirtualNow = 0;

} // namespace

namespace win32 {

void ResetVirtualClock() {
    s_VirtualNow = 0;
}

} // namespace win32

DWORD timeGetTime() {
    if (PlatformMode().fast) return s_VirtualNow;
    // Like the system's clock: milliseconds of a monotonic clock, wrapping at 2^32.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return (DWORD)(uint64_t)std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

// Sleep already has 1 ms resolution here.
MMRESULT timeBeginPeriod(UINT uPeriod) {
    (void)uPeriod;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT uPeriod) {
    (void)uPeriod;
    return TIMERR_NOERROR;
}

void Sleep(DWORD dwMilliseconds) {
    if (PlatformMode().fast) {
        s_VirtualNow += dwMilliseconds;
        return;
    }
    if (dwMilliseconds == 0 || PlatformSignalled()) {
        std::this_thread::yield(); // after a signal the run is closing: no more waiting
        return;
    }
    // As the system's Sleep with a 1 ms timer period: it ends on a tick of the millisecond clock, the
    // dwMilliseconds-th after the one it started in, so that a frame clock reading timeGetTime wakes on
    // the very millisecond it aimed at rather than up to one later.
    const auto now = std::chrono::steady_clock::now();
    const auto tick = std::chrono::time_point_cast<std::chrono::milliseconds>(now);
    std::this_thread::sleep_until(tick + std::chrono::milliseconds(dwMilliseconds));
}
