// The main loop: one tick waits until the frame is due (the current room's speed in frames per
// second), runs the frame between the device's begin and end of frame, and acts on the run request.
#pragma once

#include <cstdint>

// Enters the running state (starting the game when it was not running) and the loop's timing.
void Run_Start();
void Run_InitMainLoop();

// One tick; returns the current room's speed (60 without a room).
int32_t Run_MainLoopTick();

// The speed a tick runs at: 60 without a room (null); a room speed of 0 or less is made 1 in the
// room itself, so that no frame divides by zero.
int32_t Run_CorrectRoomSpeed(int32_t* roomSpeed);

// The wait before a frame, in microseconds: the rest of the period of `roomSpeed` frames per second
// after `elapsed` microseconds, between 0 and one second.
int64_t Run_FrameWait(int32_t roomSpeed, int64_t elapsed);

// One frame while paused (the debug form's step), the pause itself, and the debug form's quit.
void Run_StepPaused();
void Run_SetPaused();
void Run_QuitGame();

// Start of each frame: the time since the previous frame start becomes the delta time.
void Run_UpdateDeltaTime();

// Frame rate of the last whole second (`fps`) and the delta time in microseconds (`delta_time`).
int32_t Run_GetFrameRate();
int64_t Run_GetDeltaTime();

// The loop's clock in microseconds: the timer, plus the waits skipped under KELVARO_NO_WAIT, so
// that frame rate and delta time read as if every frame had waited.
int64_t Run_Clock();

// Frames run since the game started (KELVARO_MAX_FRAMES counts them).
int64_t Run_FramesRun();
