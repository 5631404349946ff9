// Game preparation: the display mode and graphics device of the start-up step "Init Graphics", and
// the compilation and preparation of every kind of resource once the game file is loaded.
#pragma once

#include <cstdint>

struct GameOptions;

// A display mode asked of the display layer; -1 leaves a value as it is.
struct DisplayModeRequest {
    int32_t width = -1;
    int32_t height = -1;
    int32_t frequency = -1;
    int32_t depth = -1;
};

// The options' display codes as a mode (all -1 when the options do not set the display mode).
DisplayModeRequest InitGraphics_TranslateOptions(const GameOptions& options);

// What "Init Graphics" does to the display.
enum class DisplayDecision : int32_t {
    Keep,    // nothing to change
    Change,  // change the display to `change`
    Refused, // the player declined a valid colour depth: start-up ends
};

// Decides the display change for the options and the display's current colour depth; `askSwitch`
// asks the player whether to switch to a valid colour depth and is called only when needed.
DisplayDecision InitGraphics_DecideDisplay(const GameOptions& options, int32_t currentDepth,
                                           bool (*askSwitch)(), DisplayModeRequest& change);

// The start-up step "Init Graphics": the display mode, the device, the textures of the loaded
// backgrounds, sprites and fonts. False ends start-up.
bool InitGraphics();

// Prepares every kind of resource in order; a failing step shows its message and gives false.
bool PrepareGame();
