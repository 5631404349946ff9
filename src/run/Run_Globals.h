// The run layer's global state: whether the game runs, what the frame asked for, and the game-wide
// values that scripts read (score, lives, health and their display).
#pragma once

#include <cstdint>
#include <string>

// Run requests left by scripts and errors, acted on at the end of a frame.
enum : int32_t {
    RUN_REQUEST_NONE = -1,
    RUN_REQUEST_END = -100,
    RUN_REQUEST_RESTART = -200,
    RUN_REQUEST_FATAL = -400, // end after a fatal error or an impossible room move
};

// The process's exit code, one rule for every ending: 0 for a game that ended as games end
// (game_end, the window closed, going on past the last room, the test switch's frame limit), 1 for
// a start that failed (no game file, a refused one, a load or compile error), 255 for a fatal error
// that ended the game.
enum : int32_t {
    EXIT_CODE_ENDED = 0,
    EXIT_CODE_NOT_STARTED = 1,
    EXIT_CODE_FATAL_ERROR = 255,
};
// What the run has come to so far; the first failure counts.
extern int32_t g_RunExitCode;
void Run_SetExitCode(int32_t code);

extern uint8_t g_RunState;   // 1 while the game runs; 0 stops the main loop
extern uint8_t g_Paused;     // ticks keep time but run no frame
extern int32_t g_RunRequest; // RUN_REQUEST_* or a room index of 0 or more
extern uint8_t g_DrawEventEnabled;
extern uint8_t g_DeviceResetPending;

extern int32_t g_TransitionKind;
extern int32_t g_Score;
extern int32_t g_Lives;
extern double g_Health;
extern int32_t g_CursorSprite;
extern int32_t g_CurrentView;
extern int32_t g_RoomFrameCounter;
extern uint8_t g_ShowScore;
extern uint8_t g_ShowLives;
extern uint8_t g_ShowHealth;
extern std::string g_CaptionScore;
extern std::string g_CaptionLives;
extern std::string g_CaptionHealth;

// The start values of all of the above (start-up, before the game file is read).
void Run_InitGlobals();
