// One frame of the game world: input, the events of every kind in a fixed order, motion,
// collisions, deletion, drawing and scrolling. Each event stage takes the global event stamp and
// skips instances created after it began, so that an instance made during a stage gets its first
// events from the next stage. Between stages the change lists are applied and a pending run request
// ends the frame.
#pragma once

#include <cstdint>

class CInstance;

// Event types, and the step subtypes.
enum : int32_t {
    EVENT_CREATE = 0,
    EVENT_DESTROY = 1,
    EVENT_ALARM = 2,
    EVENT_STEP = 3,
    EVENT_COLLISION = 4,
    EVENT_KEYBOARD = 5,
    EVENT_MOUSE = 6,
    EVENT_OTHER = 7,
    EVENT_DRAW = 8,
    EVENT_KEYPRESS = 9,
    EVENT_KEYRELEASE = 10,
};
enum : int32_t {
    EVENT_STEP_NORMAL = 0,
    EVENT_STEP_BEGIN = 1,
    EVENT_STEP_END = 2,
};

// Set by the instance activation functions; the next list update applies the room's activation.
extern uint8_t g_InstanceActivationChanged;

// The current and previous mouse position in room coordinates (the mouse stage sets both).
extern int32_t g_FrameMouseX;
extern int32_t g_FrameMouseY;
extern int32_t g_FrameMousePreviousX;
extern int32_t g_FrameMousePreviousY;

// When set, the motion pass works on every instance of every list, as if none had been found still:
// the reference that the pass which skips still instances and quiet lists is tested against.
extern bool g_FrameFullPasses;

void Run_DoFrame();
// Applies the object changes, the depth changes and the activation changes to the room's lists.
void Run_UpdateInstanceLists();
// Forgets every pending change without applying it (start-up).
void Run_EmptyChangeLists();

void Run_StepEvent(int32_t subtype);
void Run_AlarmStage();
void Run_KeyboardStage();
void Run_KeyboardEvent(int32_t subtype);
void Run_KeyPressEvent(int32_t subtype);
void Run_KeyReleaseEvent(int32_t subtype);
void Run_MouseStage();
void Run_MouseGlobalEvent(int32_t subtype);
void Run_MouseLocalEvent(int32_t subtype);
void Run_MouseEnterLeave();
void Run_JoystickStage();
// Moves every instance (or steps the room's physics world); true when the physics world stepped.
bool Run_Motion(bool anyPath);
void Run_BoundaryStage();
void Run_AsyncStage();
// Raises (7, subtype) for the asynchronous subtypes 60 to 64, 67, 69 and 70; nothing for others.
void Run_AsyncEvent(int32_t subtype);
void Run_CollisionStage();
void Run_TimeLineStage();

// One joystick's state as the multimedia interface reports it: axes 0 to 65535 (centre 32767),
// the buttons as bits (button n is bit n - 1).
struct RunJoystickState {
    uint32_t x;
    uint32_t y;
    uint32_t buttons;
};
// Reads joystick 0 or 1; false when there is none or reading failed (run/sdl/Run_JoystickM.cpp).
bool Run_ReadJoystick(int32_t joystick, RunJoystickState* out);
// Tests put their own reader in place; null restores the platform's.
typedef bool (*RunJoystickReader)(int32_t joystick, RunJoystickState* out);
void Run_SetJoystickReader(RunJoystickReader reader);
