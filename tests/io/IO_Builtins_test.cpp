// The keyboard, mouse and joystick built-ins called by script name: key and button rules over the
// step state, and joysticks read from SDL virtual devices.
#include <cmath>
#include <sstream>
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
    EXPECT_EQ(1, CallReal("mouse_check_button", {-1}));
    EXPECT_EQ(0, CallReal("mouse_check_button", {0}));
    EXPECT_EQ(1, CallReal("mouse_check_button", {3}));
    EXPECT_EQ(0, CallReal("mouse_check_button", {4}));
    EXPECT_EQ(1, CallReal("mouse_check_button_pressed", {-1}));
    EXPECT_EQ(1, CallReal("mouse_check_button_released", {0}));
    CallReal("mouse_clear", {3});
    EXPECT_EQ(0, CallReal("mouse_check_button", {-1}));

    CallReal("keyboard_set_map", {65, 66});
    CallReal("keyboard_set_map", {300, 66}); // a first code beyond 255 is ignored
    EXPECT_EQ(66, CallReal("keyboard_get_map", {65}));
    EXPECT_EQ(300, CallReal("keyboard_get_map", {300}));
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

TEST_F(InputBuiltinTest, JoystickWithoutADevice)
{
    EXPECT_EQ(0, CallReal("joystick_exists", {1}));
    EXPECT_EQ(101, CallReal("joystick_direction", {1}));
    EXPECT_EQ(-1, CallReal("joystick_pov", {1}));
    EXPECT_EQ("", CallText("joystick_name", {1}));
    EXPECT_EQ(0, CallReal("joystick_xpos", {1}));
}

TEST_F(InputBuiltinTest, JoystickDirectionPovButtonsAndDeviceChoice)
{
    VirtualStick first(6, 1);
    ASSERT_GE(first.index, 0) << SDL_GetError();
    struct Direction {
        int x, y;
        double key;
    };
    for (const Direction& d : {Direction{10000, 10000, 103}, {44000, 44000, 101}, {44001, 44001, 99},
                               {20000, 50000, 98}}) {
        first.Stick(d.x, d.y);
        EXPECT_EQ(d.key, CallReal("joystick_direction", {1})) << d.x << "," << d.y;
    }
    first.Stick(32767, 65535);
    EXPECT_NEAR(0.0, CallReal("joystick_xpos", {1}), 1e-9);
    EXPECT_NEAR(65535.0 / 32767.0 - 1.0, CallReal("joystick_ypos", {1}), 1e-6);

    EXPECT_EQ(-1, CallReal("joystick_pov", {1}));
    SDL_JoystickSetVirtualHat(first.handle, 0, SDL_HAT_RIGHT);
    EXPECT_EQ(90, CallReal("joystick_pov", {1}));
    EXPECT_EQ(1, CallReal("joystick_has_pov", {1}));
    EXPECT_EQ(6, CallReal("joystick_axes", {1}));
    EXPECT_EQ(32, CallReal("joystick_buttons", {1}));

    SDL_JoystickSetVirtualButton(first.handle, 31, 1);
    EXPECT_EQ(1, CallReal("joystick_check_button", {1, 32}));
    EXPECT_EQ(0, CallReal("joystick_check_button", {1, 0}));
    EXPECT_EQ(0, CallReal("joystick_check_button", {1, 33}));

    VirtualStick second(3, 0); // a Z axis but no hat
    ASSERT_GE(second.index, 0) << SDL_GetError();
    second.Stick(65535, 65535);
    first.Stick(0, 0);
    EXPECT_EQ(0, CallReal("joystick_has_pov", {2}));
    EXPECT_EQ(1, CallReal("joystick_exists", {2}));
    EXPECT_NEAR(-1.0, CallReal("joystick_xpos", {2.4}), 1e-9); // 2.4 is not 2: the first device
    EXPECT_GT(CallReal("joystick_xpos", {2}), 1.0);
    EXPECT_EQ(99, CallReal("joystick_direction", {2.9})); // truncated to 2: the second device
    EXPECT_EQ(103, CallReal("joystick_direction", {1}));
}

} // namespace

namespace {

// The two families' names in registration order, each with its argument count.
TEST(InputFamilies, NamesOrderAndCounts)
{
    testsupport::RegisterBuiltins();
    const char* const families[] = {
        "keyboard_check 1 keyboard_check_pressed 1 keyboard_check_released 1 keyboard_clear 1 keyboard_set_map 2 "
        "keyboard_get_map 1 keyboard_unset_map 0 keyboard_wait 0 io_clear 0 io_handle 0 keyboard_check_direct 1 "
        "keyboard_get_numlock 0 keyboard_set_numlock 1 keyboard_key_press 1 keyboard_key_release 1 "
        "mouse_check_button 1 mouse_check_button_pressed 1 mouse_check_button_released 1 mouse_wheel_up 0 "
        "mouse_wheel_down 0 mouse_clear 1 mouse_wait 0 device_mouse_dbclick_enable 0 joystick_exists 1 "
        "joystick_name 1 joystick_axes 1 joystick_buttons 1 joystick_has_pov 1 joystick_check_button 2 "
        "joystick_xpos 1 joystick_ypos 1 joystick_zpos 1 joystick_rpos 1 joystick_upos 1 joystick_vpos 1 "
        "joystick_pov 1 joystick_direction 1",
        "gamepad_is_supported 0 gamepad_get_device_count 0 gamepad_is_connected 1 gamepad_get_description 1 "
        "gamepad_get_button_threshold 1 gamepad_set_button_threshold 2 gamepad_get_axis_deadzone 1 "
        "gamepad_set_axis_deadzone 2 gamepad_button_count 1 gamepad_button_check 2 gamepad_button_check_pressed 2 "
        "gamepad_button_check_released 2 gamepad_button_value 2 gamepad_axis_count 1 gamepad_axis_value 2 "
        "gamepad_set_vibration 3",
    };
    const int32_t sizes[] = {37, 16};
    for (int f = 0; f < 2; ++f) {
        std::istringstream rows(families[f]);
        std::string name;
        int32_t count = 0, first = -1, rowCount = 0;
        while (rows >> name >> count) {
            int32_t id = -1;
            ASSERT_TRUE(Code_Function_Find(name.c_str(), &id)) << name;
            if (first < 0) first = id;
            EXPECT_EQ(first + rowCount++, id) << name;
            EXPECT_EQ(count, Function_GetArgCount(id)) << name;
        }
        EXPECT_EQ(sizes[f], rowCount);
    }
}

} // namespace
