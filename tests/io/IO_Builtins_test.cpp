// The keyboard, mouse and joystick built-ins called by script name: key and button rules over the
// step state, and joysticks read from SDL virtual devices.
#include <cmath>
#include <string>

#include "../TestSupport_Builtins.h"
#include "IOTestSupport.h"
#include "io/IO_Joystick.h"

using namespace iotest;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

class InputBuiltinTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { StartSdl(); }
    void SetUp() override { FreshState(); }
};

TEST_F(InputBuiltinTest, KeyRulesOverTheStepState)
{
    struct Row {
        const char* name;
        double key;
        double nothingHeld;
        double aHeld;
    };
    const Row rows[] = {
        {"keyboard_check", 0, 1, 0},   {"keyboard_check", 1, 0, 1},   {"keyboard_check", 65, 0, 1},
        {"keyboard_check", 64.5, 0, 0}, {"keyboard_check", 65.4, 0, 1}, {"keyboard_check", 256, 0, 0},
        {"keyboard_check", -5, 0, 0},  {"keyboard_check_pressed", 0, 1, 0}, {"keyboard_check_pressed", 1, 0, 1},
        {"keyboard_check_released", 0, 1, 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.nothingHeld, CallReal(row.name, {row.key})) << row.name << " " << row.key;
    PushKey(true, SDL_SCANCODE_A);
    Frame();
    for (const Row& row : rows)
        EXPECT_EQ(row.aHeld, CallReal(row.name, {row.key})) << row.name << " " << row.key << " with A";
}

TEST_F(InputBuiltinTest, MouseRulesMapsAndClears)
{
    PushButton(true, SDL_BUTTON_MIDDLE);
    Frame();
    // Any button (-1), none (0), the middle one (3) and one beyond (4).
    EXPECT_EQ((std::vector<double>{1, 0, 1, 0, 1, 1}),
              (std::vector<double>{CallReal("mouse_check_button", {-1}), CallReal("mouse_check_button", {0}),
                                   CallReal("mouse_check_button", {3}), CallReal("mouse_check_button", {4}),
                                   CallReal("mouse_check_button_pressed", {-1}), CallReal("mouse_check_button_released", {0})}));
    CallReal("mouse_clear", {3});
    EXPECT_EQ(0, CallReal("mouse_check_button", {-1}));

    CallReal("keyboard_set_map", {65, 66});
    CallReal("keyboard_set_map", {300, 66}); // a first code beyond 255 is ignored
    EXPECT_EQ((std::vector<double>{66, 300}),
              (std::vector<double>{CallReal("keyboard_get_map", {65}), CallReal("keyboard_get_map", {300})}));
    CallReal("keyboard_unset_map", {});
    EXPECT_EQ(65, CallReal("keyboard_get_map", {65}));
}

TEST_F(InputBuiltinTest, SimulatedKeysArriveAtTheNextPump)
{
    CallReal("keyboard_key_press", {39});
    EXPECT_EQ(0, CallReal("keyboard_check_direct", {39}));
    Frame();
    EXPECT_EQ(1, CallReal("keyboard_check_pressed", {39}));
    EXPECT_EQ(1, CallReal("keyboard_check_direct", {39}));
    CallReal("keyboard_key_release", {39});
    Frame();
    EXPECT_EQ(1, CallReal("keyboard_check_released", {39}));
    CallReal("keyboard_key_press", {97}); // keypad 1 comes back as itself
    Frame();
    EXPECT_EQ(1, CallReal("keyboard_check", {97}));

    IO_LiveKey_SetNumLock(true);
    CallReal("keyboard_set_numlock", {1}); // already on: nothing is sent
    EXPECT_EQ(0, SDL_PeepEvents(nullptr, 8, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYUP));
    CallReal("keyboard_set_numlock", {0});
    ProcessMessages();
    EXPECT_EQ(0, CallReal("keyboard_get_numlock", {}));
    CallReal("keyboard_set_numlock", {1});
    ProcessMessages();
    EXPECT_EQ(1, CallReal("keyboard_get_numlock", {}));
}

TEST_F(InputBuiltinTest, WaitsEndOnAKeyOrButtonAndNeverBlockAHeadlessRun)
{
    PushKey(true, SDL_SCANCODE_E);
    CallReal("keyboard_wait", {});
    EXPECT_EQ(69, IO_RawLastKey);
    CallReal("mouse_wait", {}); // headless: one pump, no button, no wait
    EXPECT_EQ(0, IO_RawLastButton);
    // With a display, a game asked to stop ends the wait too.
    setenv("KELVARO_HEADLESS", "0", 1);
    TestSwitches_Reload();
    g_RunState = 0;
    CallReal("keyboard_wait", {});
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    EXPECT_EQ(0, IO_RawLastKey);
}

// A virtual joystick: six axes, 32 buttons, one hat; its handle sets the values.
struct VirtualStick {
    int index = -1;
    SDL_Joystick* handle = nullptr;
    VirtualStick(int axes, int hats)
    {
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, axes, 32, hats);
        handle = SDL_JoystickOpen(index);
    }
    ~VirtualStick()
    {
        SDL_JoystickClose(handle);
        SDL_JoystickDetachVirtual(index);
    }
    void Stick(int x, int y) // in the multimedia range 0 to 65535
    {
        SDL_JoystickSetVirtualAxis(handle, 0, static_cast<Sint16>(x - 32768));
        SDL_JoystickSetVirtualAxis(handle, 1, static_cast<Sint16>(y - 32768));
    }
};

TEST_F(InputBuiltinTest, JoystickDirectionPovButtonsAndDeviceChoice)
{
    EXPECT_EQ((std::vector<double>{0, 101, -1, 0}),
              (std::vector<double>{CallReal("joystick_exists", {1}), CallReal("joystick_direction", {1}),
                                   CallReal("joystick_pov", {1}), CallReal("joystick_xpos", {1})})) << "no device";
    EXPECT_EQ("", CallText("joystick_name", {1}));
    VirtualStick first(6, 1);
    ASSERT_GE(first.index, 0) << SDL_GetError();
    // The stick's two axes in the multimedia range, and the keypad key of the direction.
    for (auto [x, y, key] : {std::tuple{10000, 10000, 103}, {44000, 44000, 101}, {44001, 44001, 99}, {20000, 50000, 98}}) {
        first.Stick(x, y);
        EXPECT_EQ(key, CallReal("joystick_direction", {1})) << x << "," << y;
    }
    first.Stick(32767, 65535);
    EXPECT_NEAR(0.0, CallReal("joystick_xpos", {1}), 1e-9);
    EXPECT_NEAR(65535.0 / 32767.0 - 1.0, CallReal("joystick_ypos", {1}), 1e-6);

    EXPECT_EQ(-1, CallReal("joystick_pov", {1}));
    SDL_JoystickSetVirtualHat(first.handle, 0, SDL_HAT_RIGHT);
    SDL_JoystickSetVirtualButton(first.handle, 31, 1);
    EXPECT_EQ((std::vector<double>{90, 1, 6, 32, 1, 0, 0}),
              (std::vector<double>{CallReal("joystick_pov", {1}), CallReal("joystick_has_pov", {1}),
                                   CallReal("joystick_axes", {1}), CallReal("joystick_buttons", {1}),
                                   CallReal("joystick_check_button", {1, 32}), CallReal("joystick_check_button", {1, 0}),
                                   CallReal("joystick_check_button", {1, 33})}));

    VirtualStick second(3, 0); // a Z axis but no hat
    ASSERT_GE(second.index, 0) << SDL_GetError();
    second.Stick(65535, 65535);
    first.Stick(0, 0);
    EXPECT_EQ((std::vector<double>{0, 1}), (std::vector<double>{CallReal("joystick_has_pov", {2}), CallReal("joystick_exists", {2})}));
    EXPECT_NEAR(-1.0, CallReal("joystick_xpos", {2.4}), 1e-9); // 2.4 is not 2: the first device
    EXPECT_GT(CallReal("joystick_xpos", {2}), 1.0);
    EXPECT_EQ(99, CallReal("joystick_direction", {2.9})); // truncated to 2: the second device
    EXPECT_EQ(103, CallReal("joystick_direction", {1}));
}

} // namespace
