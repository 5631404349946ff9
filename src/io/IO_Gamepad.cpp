// The gamepads: the pad operations scripts reach, the frame's poll and the button and axis maps.
#include "io/IO_Gamepad.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "gamefile/GameFile_Header.h"

Gamepad* g_Gamepads[GAMEPAD_COUNT] = {};

namespace {

constexpr int32_t AXIS_AS_BUTTON = 0x1000;
constexpr int32_t NEGATIVE_DIRECTION = 0x2000;
constexpr int32_t IGNORED_BIT = 0x4000;
constexpr int32_t NEGATE_AXIS = 0x8000;
constexpr int32_t BUTTON_AS_AXIS = 0x1000;
constexpr int32_t FIRST_CONSTANT = 32768;
constexpr int32_t FIRST_BUTTON_CONSTANT = 32769; // gp_face1
constexpr int32_t FIRST_AXIS_CONSTANT = 32785;   // gp_axislh
constexpr int32_t LEFT_TRIGGER = 10;
constexpr int32_t RIGHT_TRIGGER = 11;

// gp_face1 (32769) to gp_padr (32784) as button indices.
const int32_t BUTTON_CONSTANTS[16] = {12, 13, 14, 15, 8, 9, 10, 11, 5, 4, 6, 7, 0, 1, 2, 3};
// gp_axislh (32785) to gp_axisrv (32788) as raw axis codes.
const int32_t AXIS_CONSTANTS[4] = {0, 1 | NEGATE_AXIS, 2, 3 | NEGATE_AXIS};

const char* const DESCRIPTIONS[9] = {
    nullptr,
    "Xbox 360 Controller (XInput STANDARD GAMEPAD)",
    "Xbox 360 Controller (XInput WHEEL)",
    "Xbox 360 Controller (XInput ARCADE STICK)",
    "Xbox 360 Controller (XInput FLIGHT STICK)",
    "Xbox 360 Controller (XInput DANCE PAD)",
    "Xbox 360 Controller (XInput GUITAR)",
    nullptr,
    "Xbox 360 Controller (XInput DRUM KIT)",
};

Gamepad g_PadStore[GAMEPAD_COUNT];
bool g_Supported = false;
bool g_Warned = false;
int32_t g_Probe = 0;

uint16_t MotorWord(float speed)
{
    int64_t word = static_cast<int64_t>(double(speed) * 65536.0);
    return static_cast<uint16_t>(word > 65535 ? 65535 : word < 0 ? 0 : word);
}

float Clamp01(float value)
{
    return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
}

void SetDescription(Gamepad& pad, int32_t user)
{
    uint8_t subType = 0;
    if (!XInput_GetCapabilities(user, &subType)) return;
    if (subType < 9 && DESCRIPTIONS[subType] != nullptr)
        std::snprintf(pad.m_Description, sizeof pad.m_Description, "%s", DESCRIPTIONS[subType]);
}

void TakeState(Gamepad& pad, const XInputPadState& state)
{
    std::memcpy(pad.m_PreviousButtons, pad.m_Buttons, sizeof pad.m_Buttons);
    std::memcpy(pad.m_PreviousAxes, pad.m_Axes, sizeof pad.m_Axes);
    for (int32_t b = 0; b < GAMEPAD_BUTTONS; ++b)
        pad.m_Buttons[b] = (state.buttons >> b) & 1u ? 1.0f : 0.0f;
    pad.m_Buttons[LEFT_TRIGGER] = float(state.leftTrigger) / 256.0f;
    pad.m_Buttons[RIGHT_TRIGGER] = float(state.rightTrigger) / 256.0f;
    const int16_t thumbs[GAMEPAD_AXES] = {state.thumbLX, state.thumbLY, state.thumbRX, state.thumbRY};
    for (int32_t a = 0; a < GAMEPAD_AXES; ++a)
        pad.m_Axes[a] = float(thumbs[a]) / 32768.0f;
}

void PollPad(int32_t user)
{
    Gamepad& pad = *g_Gamepads[user];
    if (pad.m_Connected == 0 && user != g_Probe) return;
    XInputPadState state{};
    if (!XInput_GetState(user, &state)) {
        if (pad.m_Connected != 0) pad.m_Description[0] = '\0';
        pad.Disconnect();
        return;
    }
    if (pad.m_Connected == 0) SetDescription(pad, user);
    pad.m_Connected = 1;
    TakeState(pad, state);
    XInput_SetState(user, MotorWord(pad.m_MotorLeft), MotorWord(pad.m_MotorRight));
}

} // namespace

int32_t Gamepad::ButtonCount() const
{
    return m_Connected != 0 ? m_ButtonCount : 0;
}

int32_t Gamepad::AxisCount() const
{
    return m_Connected != 0 ? m_AxisCount : 0;
}

float Gamepad::ButtonAt(int32_t code, bool previous) const
{
    if (code < 0) return 0.0f;
    if ((code & AXIS_AS_BUTTON) != 0) {
        int32_t axis = code & ~(AXIS_AS_BUTTON | NEGATIVE_DIRECTION | IGNORED_BIT);
        if (axis >= m_AxisCount) return 0.0f;
        float v = previous ? m_PreviousAxes[axis] : m_Axes[axis];
        if ((code & NEGATIVE_DIRECTION) != 0) return v < -m_AxisDeadzone ? -v : 0.0f;
        return v > m_AxisDeadzone ? v : 0.0f;
    }
    if (code >= m_ButtonCount) return 0.0f;
    return previous ? m_PreviousButtons[code] : m_Buttons[code];
}

bool Gamepad::ButtonDown(int32_t code) const
{
    return code >= 0 && ButtonAt(code, false) >= m_ButtonThreshold;
}

bool Gamepad::ButtonPressed(int32_t code) const
{
    return code >= 0 && ButtonAt(code, false) >= m_ButtonThreshold && ButtonAt(code, true) < m_ButtonThreshold;
}

bool Gamepad::ButtonReleased(int32_t code) const
{
    return code >= 0 && ButtonAt(code, false) < m_ButtonThreshold && ButtonAt(code, true) >= m_ButtonThreshold;
}

float Gamepad::ButtonValue(int32_t code) const
{
    return ButtonAt(code, false);
}

float Gamepad::AxisValue(int32_t code) const
{
    if (code < 0) return 0.0f;
    if ((code & BUTTON_AS_AXIS) != 0) {
        int32_t button = code - BUTTON_AS_AXIS;
        return button < m_ButtonCount ? m_Buttons[button] : 0.0f;
    }
    int32_t axis = code & ~NEGATE_AXIS;
    if (axis >= m_AxisCount) return 0.0f;
    float v = m_Axes[axis];
    float sign = (code & NEGATE_AXIS) != 0 ? -1.0f : 1.0f;
    float d = m_AxisDeadzone;
    if (d <= 0.0f) return v * sign;
    if (std::fabs(v) < d) return 0.0f;
    return (std::fabs(v) - d) / (1.0f - d) * (v < 0.0f ? -1.0f : 1.0f) * sign;
}

void Gamepad::SetVibration(float left, float right)
{
    m_MotorLeft = Clamp01(left);
    m_MotorRight = Clamp01(right);
}

void Gamepad::Disconnect()
{
    m_Connected = 0;
    std::memset(m_Buttons, 0, sizeof m_Buttons);
    std::memset(m_PreviousButtons, 0, sizeof m_PreviousButtons);
    std::memset(m_Axes, 0, sizeof m_Axes);
    std::memset(m_PreviousAxes, 0, sizeof m_PreviousAxes);
}

int32_t IO_Gamepad_Count()
{
    return g_Gamepads[0] != nullptr ? GAMEPAD_COUNT : 0;
}

Gamepad* IO_Gamepad_Get(int32_t pad)
{
    return pad >= 0 && pad < IO_Gamepad_Count() ? g_Gamepads[pad] : nullptr;
}

void IO_Gamepad_Init()
{
    g_Supported = XInput_Load();
    for (int32_t i = 0; i < GAMEPAD_COUNT; ++i) {
        g_PadStore[i] = Gamepad();
        Gamepad* pad = g_Gamepads[i] = &g_PadStore[i];
        // The address only tells the pads apart in the log.
        MainConsole->Output("GAMEPAD: %d axis values (last) at 0x%x\n", static_cast<int>(pad->m_AxisCount),
                            static_cast<unsigned>(reinterpret_cast<uintptr_t>(pad->m_PreviousAxes)));
    }
    IO_Gamepad_Poll();
}

void IO_Gamepad_Poll()
{
    if (!g_Supported || g_Gamepads[0] == nullptr) return;
    if ((GameHeader_OptionFlags() & HEADER_OPTION_GAMEPADS) == 0) return;
    XInput_Update();
    for (int32_t user = 0; user < GAMEPAD_COUNT; ++user)
        PollPad(user);
    g_Probe = (g_Probe + 1) % GAMEPAD_COUNT;
}

void IO_Gamepad_Shutdown()
{
    for (Gamepad*& pad : g_Gamepads)
        pad = nullptr;
    if (g_Supported) XInput_Unload();
    g_Supported = false;
}

bool IO_Gamepad_IsSupported()
{
    return g_Supported;
}

void IO_Gamepad_WarnMissing()
{
    if (g_Supported || g_Warned) return;
    g_Warned = true;
    Error_Show("xinput1_3.dll not found. Gamepad support disabled", false);
}

int32_t IO_Gamepad_MapButton(int32_t /*pad*/, int32_t code)
{
    if (code < FIRST_CONSTANT) return code;
    int32_t index = code - FIRST_BUTTON_CONSTANT;
    return index >= 0 && index < int32_t(std::size(BUTTON_CONSTANTS)) ? BUTTON_CONSTANTS[index] : 0;
}

int32_t IO_Gamepad_MapAxis(int32_t /*pad*/, int32_t code)
{
    if (code < FIRST_CONSTANT) return code;
    int32_t index = code - FIRST_AXIS_CONSTANT;
    return index >= 0 && index < int32_t(std::size(AXIS_CONSTANTS)) ? AXIS_CONSTANTS[index] : 0;
}
