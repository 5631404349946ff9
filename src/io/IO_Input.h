// The input state: the raw state the window procedure writes between frames, the frame's state the
// input update takes from it, the entry points start-up, the frame and shut-down call, and what
// scripts read and change as built-in variables.
#pragma once

#include <cstdint>

constexpr int32_t IO_KEY_COUNT = 256;

// Raw keyboard state, written by the window procedure between frames.
extern uint8_t IO_RawKeyDown[IO_KEY_COUNT];
extern uint8_t IO_RawKeyPressed[IO_KEY_COUNT];
extern uint8_t IO_RawKeyReleased[IO_KEY_COUNT];
extern int32_t IO_RawCurrentKey;
extern int32_t IO_RawLastKey;
extern uint8_t IO_RawLastChar;

// Raw mouse state of device 0 (buttons 1 left, 2 right, 3 middle at indices 0 to 2).
extern uint8_t IO_RawButtonDown[3];
extern uint8_t IO_RawButtonPressed[3];
extern uint8_t IO_RawButtonReleased[3];
extern int32_t IO_RawCurrentButton;
extern int32_t IO_RawLastButton;
extern uint8_t IO_RawWheelUp;
extern uint8_t IO_RawWheelDown;
extern int32_t IO_RawMouseX; // client pixels, from every mouse move
extern int32_t IO_RawMouseY;

// Window-message entry points.
void IO_OnKeyDown(int32_t key, int32_t modifiers, bool repeat);
void IO_OnKeyUp(int32_t key, int32_t modifiers);
void IO_OnChar(uint16_t character);
void IO_OnMouseDown(int32_t button, int32_t x, int32_t y);
void IO_OnMouseUp(int32_t button, int32_t x, int32_t y);
void IO_OnWheelUp(int32_t modifiers, int32_t x, int32_t y, uint8_t* handled);
void IO_OnWheelDown(int32_t modifiers, int32_t x, int32_t y, uint8_t* handled);

// Start-up, frame and shut-down entry points.
void IO_Init();
void IO_Clear();
void IO_StartStep();
// The frame's input as IO_StartStep took it: keys 0 to 255 held, pressed and released this frame;
// buttons 1 left, 2 right, 3 middle of devices 0 to 4; the wheel of device 0. Out of range reads false.
bool IO_Key_Down(int32_t key);
bool IO_Key_Pressed(int32_t key);
bool IO_Key_Released(int32_t key);
bool IO_Button_Down(int32_t button, int32_t device);
bool IO_Button_Pressed(int32_t button, int32_t device);
bool IO_Button_Released(int32_t button, int32_t device);
bool IO_Wheel_Up(int32_t device);
bool IO_Wheel_Down(int32_t device);
void IO_Shutdown();

// The input state that scripts read and change as built-in variables. Keys are codes 0 to 255,
// buttons 1 left, 2 right, 3 middle, mouse devices 0 to 4; out-of-range codes, buttons and devices
// read 0 and change nothing.
int32_t IO_GetCurrentKey();
void IO_SetCurrentKey(int32_t key);
int32_t IO_GetLastKey();
void IO_SetLastKey(int32_t key);
uint16_t IO_GetLastChar();
// Keeps the character's low 8 bits.
void IO_SetLastChar(uint16_t character);
int32_t IO_GetCurrentButton(int32_t device);
void IO_SetCurrentButton(int32_t button, int32_t device);
int32_t IO_GetLastButton(int32_t device);
void IO_SetLastButton(int32_t button, int32_t device);
// The typed text as UTF-8, valid until the next call; the setter keeps at most 1024 characters and
// takes null as the empty text.
const char* IO_GetKeyboardString();
void IO_SetKeyboardString(const char* text);
