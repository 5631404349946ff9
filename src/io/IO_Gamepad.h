// Four gamepads, read once per frame through an XInput-shaped back end (io/sdl/). Each pad keeps its
// buttons and axes as reals for this poll and the previous one, so that scripts can ask for held,
// pressed and released buttons, analogue values, axes past a dead zone, and set two motors.
//
// Button codes below 32768 are raw indices; the gp_ constants (32769 on) map to indices. In a raw
// code, 0x1000 reads an axis direction as a button (0x2000 the negative one). Axis codes below 32768
// are raw; in a raw code 0x8000 negates the axis and 0x1000 reads a button as an axis value.
#pragma once

#include <cstdint>

constexpr int32_t GAMEPAD_COUNT = 4;
constexpr int32_t GAMEPAD_BUTTONS = 16;
constexpr int32_t GAMEPAD_AXES = 4;
constexpr int32_t GAMEPAD_DESCRIPTION_SIZE = 512;

class Gamepad {
public:
    uint8_t m_Connected = 0;
    int32_t m_ButtonCount = GAMEPAD_BUTTONS;
    int32_t m_AxisCount = GAMEPAD_AXES;
    float m_PreviousButtons[GAMEPAD_BUTTONS] = {};
    float m_Buttons[GAMEPAD_BUTTONS] = {};
    float m_Axes[GAMEPAD_AXES] = {};
    float m_PreviousAxes[GAMEPAD_AXES] = {};
    float m_ButtonThreshold = 0.5f;
    float m_AxisDeadzone = 0.0f;
    float m_MotorLeft = 0.0f;
    float m_MotorRight = 0.0f;
    char m_Description[GAMEPAD_DESCRIPTION_SIZE] = {};

    int32_t ButtonCount() const;
    int32_t AxisCount() const;
    bool ButtonDown(int32_t code) const;
    bool ButtonPressed(int32_t code) const;
    bool ButtonReleased(int32_t code) const;
    float ButtonValue(int32_t code) const;
    float AxisValue(int32_t code) const;
    // Each clamped to 0 to 1; the next poll sends them.
    void SetVibration(float left, float right);
    // Disconnected: every array zeroed.
    void Disconnect();

private:
    float ButtonAt(int32_t code, bool previous) const;
};

// The pad table (null before IO_Gamepad_Init) and its slot count.
extern Gamepad* g_Gamepads[GAMEPAD_COUNT];
int32_t IO_Gamepad_Count();
Gamepad* IO_Gamepad_Get(int32_t pad);

// Starts the back end, makes the four pads and polls once (the Gamepad family's registration).
void IO_Gamepad_Init();
// The frame's poll: only with the back end and bit 2 of the header's option flags.
void IO_Gamepad_Poll();
void IO_Gamepad_Shutdown();
bool IO_Gamepad_IsSupported();
// Shows the missing-support message once per run when the back end did not start.
void IO_Gamepad_WarnMissing();
int32_t IO_Gamepad_MapButton(int32_t pad, int32_t code);
int32_t IO_Gamepad_MapAxis(int32_t pad, int32_t code);

// ---- the XInput-shaped back end (io/sdl/IO_XInputM.cpp) -----------------------------------------

struct XInputPadState {
    uint16_t buttons; // bit i: button i (0 up, 1 down, 2 left, 3 right, 4 start, 5 back, 6 and 7 the
                      // sticks, 8 and 9 the shoulders, 12 A, 13 B, 14 X, 15 Y)
    uint8_t leftTrigger;
    uint8_t rightTrigger;
    int16_t thumbLX, thumbLY, thumbRX, thumbRY; // y positive upwards
};

// Sub-types of the capabilities: 1 gamepad, 2 wheel, 3 arcade stick, 4 flight stick, 5 dance pad,
// 6 guitar, 8 drum kit; 0 for anything else.
bool XInput_Load();
void XInput_Unload();
// Brings the devices' states up to date (once per poll).
void XInput_Update();
bool XInput_GetState(int32_t user, XInputPadState* state);
bool XInput_GetCapabilities(int32_t user, uint8_t* subType);
void XInput_SetState(int32_t user, uint16_t leftMotor, uint16_t rightMotor);
