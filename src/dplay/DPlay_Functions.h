// The old session-based multiplayer layer. This platform has no session back end: its state starts
// at 0, nothing changes it, and its player list stays empty, so every mplay_ built-in answers as if
// no session existed.
#pragma once

#include <cstdint>

struct DPlaySession {
    int32_t connectStatus = 0;
    int32_t sessionStatus = 0;
    int32_t messageId = 0;
    int32_t messageValue = 0;
    int32_t messagePlayer = 0;
};

extern const DPlaySession g_DPlaySession;

// The name of the player with that id in the back end's list; null when absent (always, here).
const char* DPlay_PlayerName(int32_t id);

// Registers the 29 mplay_ functions.
void InitMPlayFunctions();
