// Gamepads over SDL virtual game controllers: the poll's conversions (buttons, triggers, sticks with
// y upwards, motors), connection and reconnection, and the gamepad built-ins over the pads.
#include <memory>

#include "../TestSupport_Builtins.h"
#include "IOTestSupport.h"
#include "code/Code_Error.h"
#include "io/IO_Gamepad.h"

using namespace iotest;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

Uint16 g_Rumble[2] = {};

// A virtual standard controller; SDL maps its buttons and axes in the game-controller order, and
// its motors reach g_Rumble.
struct VirtualPad {
    int index = -1;
    SDL_Joystick* handle = nullptr;
    VirtualPad()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.Rumble = [](void*, Uint16 low, Uint16 high) {
            g_Rumble[0] = low;
            g_Rumble[1] = high;
            return 0;
        };
        index = SDL_JoystickAttachVirtualEx(&desc);
        handle = SDL_JoystickOpen(index);
    }
    ~VirtualPad()
    {
        SDL_JoystickClose(handle);
        SDL_JoystickDetachVirtual(index);
    }
    void Axis(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(handle, axis, value); }
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

TEST_F(GamepadTest, PollConvertsTheControllersStateUntilUnplugged)
{
    auto pad = std::make_unique<VirtualPad>();
    ASSERT_GE(pad->index, 0) << SDL_GetError();
    const double p = Connect();
    EXPECT_EQ("Xbox 360 Controller (XInput STANDARD GAMEPAD)", CallText("gamepad_get_description", {p}));

    // The trigger byte is SDL's trigger >> 7 (raw 0 is trigger 16383); byte 128 (0.5) is down at
    // the threshold 0.5, 127 not.
    for (auto [raw, byte] : {std::pair{0, 127}, {100, 128}}) {
        pad->Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, Sint16(raw));
        IO_Gamepad_Poll();
        EXPECT_EQ(byte >= 128 ? 1 : 0, CallReal("gamepad_button_check", {p, 32775})) << raw;
        EXPECT_EQ(byte / 256.0, CallReal("gamepad_button_value", {p, 32775})) << raw;
    }

    // Pushed up: SDL's y is negative, the pad's axis 1 positive, gp_axislv negative.
    SDL_JoystickSetVirtualButton(pad->handle, SDL_CONTROLLER_BUTTON_A, 1);
    pad->Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, Sint16(-0.7 * 32768));
    CallReal("gamepad_set_vibration", {p, 0.5, 1.0});
    IO_Gamepad_Poll();
    EXPECT_EQ(1, CallReal("gamepad_button_check_pressed", {p, 32769}));
    EXPECT_NEAR(32767.0 / 32768.0, CallReal("gamepad_axis_value", {p, 1}), 1e-6);
    EXPECT_LT(CallReal("gamepad_axis_value", {p, 32786}), -0.99);
    EXPECT_NEAR(0.7, CallReal("gamepad_button_value", {p, 0x3000}), 1e-4);
    EXPECT_EQ((std::vector<int>{32768, 65535}), (std::vector<int>{g_Rumble[0], g_Rumble[1]}));
    CallReal("gamepad_set_vibration", {p, -3, 7}); // clamped
    EXPECT_EQ((std::vector<float>{0, 1}), (std::vector<float>{g_Gamepads[int(p)]->m_MotorLeft, g_Gamepads[int(p)]->m_MotorRight}));

    // Unplugged with a button held, then found again in one slot.
    pad.reset();
    IO_Gamepad_Poll();
    EXPECT_EQ((std::vector<double>{0, 0}),
              (std::vector<double>{CallReal("gamepad_is_connected", {p}), CallReal("gamepad_button_value", {p, 12})}));
    pad = std::make_unique<VirtualPad>();
    Connect();
    int connected = 0;
    for (Gamepad* each : g_Gamepads) connected += each->m_Connected;
    EXPECT_EQ(1, connected);
}

TEST_F(GamepadTest, SettingsPadIndicesAndDeadZone)
{
    // Pad 1.5 rounds to 2; a value outside 0 to 1 leaves the last and is reported.
    CallReal("gamepad_set_button_threshold", {1.5, 0.25});
    CallReal("gamepad_set_button_threshold", {2, 1.01});
    EXPECT_EQ(0.25, CallReal("gamepad_get_button_threshold", {2}));
    EXPECT_EQ("Button threshold is outside the accepted range", g_ErrorLast);
    CallReal("gamepad_set_axis_deadzone", {0, 2});
    EXPECT_EQ("Axis dead zone is outside the accepted range", g_ErrorLast);

    // Dead zone 0.2: 0.6 reads 0.5, 0.1 reads 0; 0x8000 negates an axis.
    Gamepad& pad = *g_Gamepads[0];
    pad.m_AxisDeadzone = 0.2f;
    pad.m_Axes[0] = 0.6f;
    pad.m_Axes[2] = 0.1f;
    EXPECT_NEAR(-0.5, pad.AxisValue(IO_Gamepad_MapAxis(0, 32786) - 1), 1e-6);
    EXPECT_EQ((std::vector<float>{0, 0, 0}), (std::vector<float>{pad.AxisValue(2), pad.AxisValue(7), pad.ButtonValue(16)}));
    EXPECT_EQ((std::vector<int>{0, 3}), (std::vector<int>{IO_Gamepad_MapButton(0, 40000), IO_Gamepad_MapButton(0, 32784)}));
}

} // namespace
