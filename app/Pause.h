// Pausing a stage: P, or the window losing the focus. A paused stage stands still (world, fades, counters,
// sounds) while its last picture is drawn and presented with the "Paused" board over it; the title never
// pauses.
#pragma once

// Whether the stage is paused.
bool StagePaused();
// P: pauses a stage that is playing its frames, or resumes a paused one.
void TogglePause();
// Pauses a stage that is playing its frames (the window lost the focus); nothing otherwise.
void PauseStage();
// Resumes a paused stage; nothing otherwise.
void ResumeStage();
// The dimmed picture and the "Paused" board, over everything else of the frame.
void DrawPauseBoard();
