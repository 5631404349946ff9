// Gamepads over SDL virtual game controllers: the poll's conversions (buttons, triggers, sticks with
// y upwards, motors), connection and reconnection, and the gamepad built-ins over the pads.
#include <cmath>
#include <memory>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"
#include "IOTestSupport.h"
#include "code/Code_Error.h"
#include "io/IO_Gamepad.h"

using namespace iotest;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

Uint16 g_RumbleLow = 0;
Uint16 g_RumbleHigh = 0;

int Rumble(void*, Uint16 low, Uint16 high)
{
    g_RumbleLow = low;
    g_RumbleHigh = high;
    return 0;
}

// A virtual standard controller; SDL maps its buttons and axes in the game-controller order.
struct VirtualPad {
    int index = -1;
    SDL_Joystick* handle = nullptr;
    VirtualPad()
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.Rumble = Rumble;
        index = SDL_JoystickAttachVirtualEx(&desc);
        handle = SDL_JoystickOpen(index);
    }
    ~VirtualPad() { Detach(); }
    void Detach()
    {
        if (handle == nullptr) return;
        SDL_JoystickID id = SDL_JoystickInstanceID(handle);
        SDL_JoystickClose(handle);
        handle = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(handle, axis, value); }
    void Button(SDL_GameControllerButton button, bool down) { SDL_JoystickSetVirtualButton(handle, button, down); }
};

class GamepadTest : public InputTest {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins(); // the Gamepad family makes the pads
        InputTest::SetUp();
        for (Gamepad* pad : g_Gamepads) *pad = Gamepad();
    }
    // Polls until a slot has claimed the controller (a free slot asks once in four polls); the
    // index of that pad.
    static int Connect()
    {
        for (int polls = 0; polls <= GAMEPAD_COUNT; ++polls) {
            for (int p = 0; p < GAMEPAD_COUNT; ++p)
                if (g_Gamepads[p]->m_Connected != 0) return p;
            IO_Gamepad_Poll();
        }
        ADD_FAILURE() << "no pad connected within four polls";
        return 0;
    }
};

TEST_F(GamepadTest, PollConvertsTheControllersState)
{
    VirtualPad pad;
    ASSERT_GE(pad.index, 0) << SDL_GetError();
    const double p = Connect();
    EXPECT_EQ(1, IO_Gamepad_IsSupported());
    EXPECT_EQ("Xbox 360 Controller (XInput STANDARD GAMEPAD)", CallText("gamepad_get_description", {p}));
    EXPECT_EQ((std::vector<double>{16, 4}),
              (std::vector<double>{CallReal("gamepad_button_count", {p}), CallReal("gamepad_axis_count", {p})}));

    // The trigger byte is SDL's trigger >> 7; byte 128 (0.5) is down at the threshold 0.5, 127 not.
    SDL_GameController* sdl = SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(pad.handle));
    bool seen[256] = {};
    for (int raw = -2000; raw <= 2000; raw += 50) {
        pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, Sint16(raw));
        IO_Gamepad_Poll();
        int byte = SDL_GameControllerGetAxis(sdl, SDL_CONTROLLER_AXIS_TRIGGERLEFT) >> 7;
        seen[byte] = true;
        EXPECT_EQ(byte >= 128 ? 1 : 0, CallReal("gamepad_button_check", {p, 32775})) << raw;
        EXPECT_EQ(byte / 256.0, CallReal("gamepad_button_value", {p, 32775})) << raw;
    }
    EXPECT_TRUE(seen[127] && seen[128]);
    pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);

    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    IO_Gamepad_Poll();
    EXPECT_EQ(1, CallReal("gamepad_button_check_pressed", {p, 32769}));
    EXPECT_EQ(1, CallReal("gamepad_button_check", {p, 12}));
    IO_Gamepad_Poll();
    EXPECT_EQ(0, CallReal("gamepad_button_check_pressed", {p, 32769}));
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    IO_Gamepad_Poll();
    EXPECT_EQ(1, CallReal("gamepad_button_check_released", {p, 32769}));

    // Pushed up: SDL's y is negative, the pad's axis 1 positive, gp_axislv negative.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, Sint16(-0.7 * 32768));
    IO_Gamepad_Poll();
    EXPECT_NEAR(32767.0 / 32768.0, CallReal("gamepad_axis_value", {p, 1}), 1e-6);
    EXPECT_LT(CallReal("gamepad_axis_value", {p, 32786}), -0.99);
    EXPECT_EQ(0, CallReal("gamepad_button_value", {p, 0x1000}));
    EXPECT_NEAR(0.7, CallReal("gamepad_button_value", {p, 0x3000}), 1e-4);
    EXPECT_EQ(1, CallReal("gamepad_button_check", {p, 0x3000}));

    CallReal("gamepad_set_vibration", {p, 0.5, 1.0});
    IO_Gamepad_Poll();
    EXPECT_EQ((std::vector<int>{32768, 65535}), (std::vector<int>{g_RumbleLow, g_RumbleHigh}));
    CallReal("gamepad_set_vibration", {p, -3, 7}); // clamped
    EXPECT_EQ((std::vector<float>{0, 1}), (std::vector<float>{g_Gamepads[int(p)]->m_MotorLeft, g_Gamepads[int(p)]->m_MotorRight}));
}

TEST_F(GamepadTest, UnpluggedThenFoundAgain)
{
    auto pad = std::make_unique<VirtualPad>();
    const int p = Connect();
    pad->Button(SDL_CONTROLLER_BUTTON_B, true);
    IO_Gamepad_Poll();
    pad->Detach();
    IO_Gamepad_Poll();
    EXPECT_EQ((std::vector<double>{0, 0, 0}),
              (std::vector<double>{CallReal("gamepad_is_connected", {double(p)}), CallReal("gamepad_button_count", {double(p)}),
                                   CallReal("gamepad_button_value", {double(p), 13})}));
    EXPECT_EQ("", CallText("gamepad_get_description", {double(p)}));

    pad = std::make_unique<VirtualPad>();
    const int found = Connect();
    EXPECT_EQ("Xbox 360 Controller (XInput STANDARD GAMEPAD)", CallText("gamepad_get_description", {double(found)}));
    int connected = 0;
    for (Gamepad* pad : g_Gamepads) connected += pad->m_Connected;
    EXPECT_EQ(1, connected); // one controller, one slot
}

TEST_F(GamepadTest, SettingsPadIndicesAndDeadZone)
{
    EXPECT_EQ(4, CallReal("gamepad_get_device_count", {}));
    for (double pad : {-1.0, 4.0, 3.5}) EXPECT_EQ(0, CallReal("gamepad_is_connected", {pad})) << pad;
    EXPECT_EQ("", CallText("gamepad_get_description", {-1}));

    // A value outside 0 to 1 leaves the last and is reported.
    for (auto [value, stored] : {std::pair{1.0, 1.0}, {0.0, 0.0}, {1.01, 0.0}, {-0.5, 0.0}}) {
        g_ErrorLast.clear();
        CallReal("gamepad_set_button_threshold", {0, value});
        EXPECT_EQ(stored, CallReal("gamepad_get_button_threshold", {0})) << value;
        EXPECT_EQ(value == stored ? "" : "Button threshold is outside the accepted range", g_ErrorLast) << value;
    }
    CallReal("gamepad_set_axis_deadzone", {0, 2});
    EXPECT_EQ("Axis dead zone is outside the accepted range", g_ErrorLast);

    // Pad 1.5 rounds to 2; pad 0.5 to 0.
    CallReal("gamepad_set_button_threshold", {1.5, 0.25});
    EXPECT_EQ(0.25, CallReal("gamepad_get_button_threshold", {2}));
    CallReal("gamepad_set_button_threshold", {0.5, 0.75});
    EXPECT_EQ(0.75, CallReal("gamepad_get_button_threshold", {0}));

    // Dead zone 0.2: 0.6 reads 0.5, 0.1 reads 0.
    Gamepad& pad = *g_Gamepads[0];
    pad.m_AxisDeadzone = 0.2f;
    pad.m_Axes[0] = 0.6f;
    pad.m_Axes[2] = 0.1f;
    EXPECT_NEAR(0.5, pad.AxisValue(0), 1e-6);
    EXPECT_NEAR(-0.5, pad.AxisValue(IO_Gamepad_MapAxis(0, 32786) - 1), 1e-6); // 0x8000: axis 0 negated
    EXPECT_EQ((std::vector<float>{0, 0, 0}), (std::vector<float>{pad.AxisValue(2), pad.AxisValue(7), pad.ButtonValue(16)}));
    EXPECT_FALSE(pad.ButtonDown(-1));
    EXPECT_EQ((std::vector<int>{0, 3}), (std::vector<int>{IO_Gamepad_MapButton(0, 40000), IO_Gamepad_MapButton(0, 32784)}));
}

} // namespace
