// SIGINT and SIGTERM: the handler only sets a flag; the message layer turns it into the close of the window
// before the next pass, and every wait (a box, Sleep, GetMessageA) gives up when it is set. A second signal
// takes the default action at once, for a run that no longer answers.
#include "win32_private.h"

#include <SDL2/SDL.h>
#include <csignal>
#include <signal.h>

namespace {

volatile std::sig_atomic_t s_Signalled = 0;
bool s_CloseRequested = false;

extern "C" void OnTerminateSignal(int sig) {
    if (s_Signalled) {
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    s_Signalled = 1;
}

} // namespace

void PlatformCatchSignals() {
    // SDL would otherwise turn the signals into SDL_QUIT, which a run without video never reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocking wait returns and looks at the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool PlatformSignalled() {
    return s_Signalled != 0;
}

namespace win32 {

void CloseOnSignal() {
    if (!s_Signalled || s_CloseRequested) return;
    s_CloseRequested = true;
    PlatformRequestClose();
}

} // namespace win32
