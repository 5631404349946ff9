// The keyboard and mouse state through the real window procedure: SDL events pushed, pumped, and
// the frame's update taken; then the step state as the frame and the scripts see it, the key and
// button built-ins, and joysticks read from SDL virtual devices.
#include <functional>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "IOTestSupport.h"
#include "io/IO_Joystick.h"

using namespace iotest;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

// A key's step flags: held, pressed, released.
struct KeyFlags {
    int32_t key;
    int held, pressed, released;
};

struct KeyCase {
    const char* name;
    std::function<void()> play; // pushes events and runs frames; the expectations follow the last
    std::vector<KeyFlags> keys;
    int32_t currentKey;
};

const std::vector<KeyCase> KEY_CASES = {
    {"a tap between two frames is seen as released only",
     [] { PushKey(true, SDL_SCANCODE_A); PushKey(false, SDL_SCANCODE_A); Frame(); }, {{65, 0, 0, 1}}, 0},
    {"a press is pressed and held in its frame, then held only", [] { PushKey(true, SDL_SCANCODE_A); Frame(); Frame(); },
     {{65, 1, 0, 0}}, 65},
    {"auto-repeat is no new press",
     [] { PushKey(true, SDL_SCANCODE_A); Frame(); PushKey(true, SDL_SCANCODE_A, KMOD_NONE, 1); Frame(); },
     {{65, 1, 0, 0}}, 65},
    {"right Shift holds 16 and 161", [] { PushKey(true, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT); Frame(); },
     {{16, 1, 1, 0}, {161, 1, 1, 0}, {160, 0, 0, 0}}, 161},
    {"releasing right Shift releases both",
     [] { PushKey(true, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT); Frame(); PushKey(false, SDL_SCANCODE_RSHIFT); Frame(); },
     {{16, 0, 0, 1}, {161, 0, 0, 1}}, 0},
    {"a key mapped to another sets only the other", [] { IO_Key_SetMap(65, 66); PushKey(true, SDL_SCANCODE_A); Frame(); },
     {{65, 0, 0, 0}, {66, 1, 1, 0}}, 66},
    {"a key mapped to 300 vanishes",
     [] { IO_Key_SetMap(65, 300); PushKey(true, SDL_SCANCODE_A); Frame(); PushKey(false, SDL_SCANCODE_A); Frame(); },
     {{65, 0, 0, 0}, {300 & 0xFF, 0, 0, 0}}, 0},
    {"setting keyboard_key lasts until the next update",
     [] { PushKey(true, SDL_SCANCODE_B); Frame(); IO_SetCurrentKey(70); Frame(); }, {{66, 1, 0, 0}}, 66},
};

TEST_F(InputTest, KeysThroughTheWindowProcedure)
{
    for (const KeyCase& c : KEY_CASES) {
        FreshState();
        c.play();
        for (const KeyFlags& k : c.keys) {
            EXPECT_EQ((std::vector<int>{k.held, k.pressed, k.released}),
                      (std::vector<int>{IO_Key_Down(k.key), IO_Key_Pressed(k.key), IO_Key_Released(k.key)}))
                << c.name << ", key " << k.key;
        }
        EXPECT_EQ(c.currentKey, IO_GetCurrentKey()) << c.name;
    }
    // The last key set to 0 stays 0 until a key goes down; the held key is no longer current.
    FreshState();
    PushKey(true, SDL_SCANCODE_C);
    Frame();
    IO_SetLastKey(0);
    Frame();
    Frame();
    EXPECT_EQ((std::vector<int>{0, 0, 1}), (std::vector<int>{IO_GetLastKey(), IO_GetCurrentKey(), IO_Key_Down(67)}));
    PushKey(true, SDL_SCANCODE_D);
    Frame();
    EXPECT_EQ(68, IO_GetLastKey());
}

TEST_F(InputTest, TypedText)
{
    struct TextCase {
        std::vector<uint16_t> typed;
        std::string text;
        int32_t length;
    };
    std::vector<uint16_t> full(1024, 'a');
    full[1022] = 'z';
    full[1023] = 'q'; // the 1024th character restarts the text
    const TextCase cases[] = {
        {{8}, "", 0}, {{'a', 9, 13, 27}, "a", 1}, {{'a', 'b', 8}, "a", 1}, {full, "zq", 2}, {{0x20AC, '!'}, "\xE2\x82\xAC!", 2},
    };
    for (const TextCase& c : cases) {
        FreshState();
        for (uint16_t ch : c.typed) IO_OnChar(ch);
        IO_StartStep();
        EXPECT_EQ(c.text, IO_GetKeyboardString());
        EXPECT_EQ(c.length, IO_TextLength) << c.text;
    }
    // The window procedure types backspace itself and hands on typed text.
    FreshState();
    PushText("hi");
    PushKey(true, SDL_SCANCODE_BACKSPACE);
    Frame();
    EXPECT_STREQ("h", IO_GetKeyboardString());
    EXPECT_EQ(8, IO_GetLastChar());
    IO_SetKeyboardString(std::string(1030, 'x').c_str());
    EXPECT_EQ(1024, IO_TextLength);
}

TEST_F(InputTest, MouseButtonsAndOutOfRangeQueries)
{
    PushButton(true, SDL_BUTTON_LEFT);
    PushButton(true, SDL_BUTTON_RIGHT);
    Frame();
    EXPECT_TRUE(IO_Button_Pressed(1, 0) && IO_Button_Pressed(2, 0));
    EXPECT_EQ(2, IO_GetCurrentButton(0));
    PushButton(false, SDL_BUTTON_RIGHT);
    Frame();
    // No current button although the left one is still held.
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2}), (std::vector<int>{IO_GetCurrentButton(0), IO_Button_Down(1, 0),
                                                              IO_Button_Released(2, 0), IO_GetLastButton(0)}));
    for (auto query : {IO_Button_Down, IO_Button_Pressed, IO_Button_Released})
        EXPECT_FALSE(query(1, 5) || query(4, 0) || query(-1, 0));
    EXPECT_EQ(0, IO_GetCurrentButton(5));
    EXPECT_FALSE(IO_Key_Down(256) || IO_Key_Down(-5));
    IO_SetCurrentButton(3, 4); // devices 1 to 4 are kept but never fed
    IO_Clear();
    EXPECT_EQ(3, IO_GetCurrentButton(4));
    EXPECT_FALSE(IO_Button_Down(1, 0));
}

TEST_F(InputTest, LiveKeysComeBeforeTheMapAndRememberAPressUntilAsked)
{
    IO_Key_SetMap(65, 300);
    PushKey(true, SDL_SCANCODE_A);
    PushKey(false, SDL_SCANCODE_A);
    ProcessMessages();
    EXPECT_TRUE(IO_LiveKey_Check(65));  // pressed since the last query
    EXPECT_FALSE(IO_LiveKey_Check(65)); // ... which that query ended
    EXPECT_FALSE(IO_LiveKey_Check(300));
    IO_LiveKey_SetNumLock(false);
    PushKey(true, SDL_SCANCODE_NUMLOCKCLEAR);
    ProcessMessages();
    EXPECT_TRUE(IO_LiveKey_NumLockToggled());
    EXPECT_FALSE(IO_LiveKey_NumLock()); // toggled on, but still held
    PushKey(false, SDL_SCANCODE_NUMLOCKCLEAR);
    ProcessMessages();
    EXPECT_TRUE(IO_LiveKey_NumLock());
}

TEST_F(InputTest, KeyRulesOverTheStepState)
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

TEST_F(InputTest, MouseRulesMapsAndClears)
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

TEST_F(InputTest, SimulatedKeysArriveAtTheNextPump)
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

TEST_F(InputTest, WaitsEndOnAKeyOrButtonAndNeverBlockAHeadlessRun)
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

TEST_F(InputTest, JoystickDirectionPovButtonsAndDeviceChoice)
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
