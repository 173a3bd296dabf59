// Regression replays: the keyboard and mouse of a run read from a replay file, or written to one, and the
// --frames limit. It drives the platform only through platform_hooks.h, beside the Win32 layer.
//
// A replay file holds one event a line; '#' starts a comment, blank lines are ignored:
//   <pass> down <KEY>     <pass> up <KEY>     <pass> mouse <x> <y>     <pass> close
//   <pass> focus out      <pass> focus in
//   <pass> window-mouse <x> <y>
// KEY is one of W A S D P M MINUS EQUALS LEFT RIGHT RETURN ESCAPE LBUTTON; x and y are client coordinates of
// the 640 x 480 picture, or for window-mouse of the window's whole client area (the mouse where a player
// puts it, over the picture or its bars, whatever the window's size); pass numbers do not decrease. The
// events of pass P apply in file order just before pass P handles its messages (pass 0 is the first scene
// procedure call). "down" of ESCAPE, P, M, MINUS or EQUALS also delivers the key's message, "close" closes
// the window, and "focus out" / "focus in" are the window losing and regaining the keyboard focus.
#pragma once

#include <istream>
#include <string>
#include <vector>

enum class ReplayKind { Down, Up, Mouse, Close, FocusOut, FocusIn, WindowMouse };
struct ReplayEvent {
    long long pass = 0;
    ReplayKind kind = ReplayKind::Close;
    int key = 0; // virtual key for Down and Up
    int x = 0, y = 0;
    int line = 0; // line of the file it came from
};

// Parses a replay. On failure error reads "<name>:<line>: <reason>" and the result is false.
bool ParseReplay(std::istream& in, const std::string& name, std::vector<ReplayEvent>& out,
                 std::string& error);
// "12 down RETURN", "40 mouse 320 240", "99 close", "120 focus out".
std::string FormatReplayEvent(const ReplayEvent& e);
// Virtual key of a replay key name, -1 when unknown; and back (null for keys a replay cannot name).
int ReplayKeyCode(const std::string& name);
const char* ReplayKeyName(int vk);

// Reads the replay file and opens the record file that RunOptions() names, and hooks the run into the
// platform (the replay's events and the --frames limit before each pass, live input to the record file).
// False (with error set) when the replay cannot be read or is malformed, or the record file cannot be
// written.
bool ReplayStart(std::string& error);
// Uses these events as the replay (tests); an empty list with active true still shuts out live input.
void ReplaySet(const std::vector<ReplayEvent>& events, bool active);
// Applies the replay events of pass (and of any earlier pass not yet applied): key and mouse state,
// the Escape key message, closing the window; then ends the run when pass reaches the --frames limit.
void ReplayBeforePass(long long pass);
// Writes one input event to the record file, if one is open.
void ReplayRecord(const ReplayEvent& e);
// Flushes and closes the record file.
void ReplayStop();
