// Joysticks 0 and 1 as the multimedia joystick interface reports them: six axes from 0 to 65535
// (centre 32767 or 32768), up to 32 buttons as bits, the point of view in hundredths of degrees
// (65535 centred) and capability flags. The joystick stage and the joystick_ built-ins read them.
#pragma once

#include <cstdint>

// Capability flags.
enum : uint32_t {
    JOYSTICK_HAS_Z = 0x01,
    JOYSTICK_HAS_R = 0x02,
    JOYSTICK_HAS_U = 0x04,
    JOYSTICK_HAS_V = 0x08,
    JOYSTICK_HAS_POV = 0x10,
    JOYSTICK_POV_CONTINUOUS = 0x40,
};
constexpr uint32_t JOYSTICK_POV_CENTRED = 65535;
constexpr int32_t JOYSTICK_NAME_SIZE = 32;

struct JoystickPosition {
    uint32_t axes[6]; // X, Y, Z, R, U, V
    uint32_t buttons; // button n is bit n - 1
    uint32_t pov;
};

struct JoystickCaps {
    char name[JOYSTICK_NAME_SIZE];
    uint32_t axisCount;
    uint32_t buttonCount;
    uint32_t flags;
};

// False when the device (0 or 1) is missing or cannot be read.
bool Joystick_GetPosition(int32_t device, JoystickPosition* out);
bool Joystick_GetCaps(int32_t device, JoystickCaps* out);
