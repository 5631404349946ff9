// The keyboard and mouse state through the real window procedure: SDL events pushed, pumped, and
// the frame's update taken; then the step state as the frame and the scripts see it, the key and
// button built-ins, joysticks read from SDL virtual devices, and the recorded frame's layout with
// playback of short and damaged files. Keys pressed by a script, and whole recordings, are played
// end to end.
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "IOTestSupport.h"
#include "app/App_CommandLine.h"
#include "graphics/Graphics_Window.h"

using namespace iotest;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

// Each case pushes events and runs frames; then each key's held, pressed and released flags, and
// the current key.
using KeyFlags = std::vector<std::array<int, 4>>;
const std::tuple<const char*, std::function<void()>, KeyFlags, int32_t> KEY_CASES[] = {
    {"a tap between two frames is seen as released only",
     [] { PushKey(true, SDL_SCANCODE_A); PushKey(false, SDL_SCANCODE_A); Frame(); }, {{65, 0, 0, 1}}, 0},
    {"auto-repeat is no new press",
     [] { PushKey(true, SDL_SCANCODE_A); Frame(); PushKey(true, SDL_SCANCODE_A, KMOD_NONE, 1); Frame(); },
     {{65, 1, 0, 0}}, 65},
    {"right Shift holds 16 and 161", [] { PushKey(true, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT); Frame(); },
     {{16, 1, 1, 0}, {161, 1, 1, 0}, {160, 0, 0, 0}}, 161},
    {"a key mapped to another sets only the other", [] { IO_Key_SetMap(65, 66); PushKey(true, SDL_SCANCODE_A); Frame(); },
     {{65, 0, 0, 0}, {66, 1, 1, 0}}, 66},
    {"a key mapped to 300 vanishes", [] { IO_Key_SetMap(65, 300); PushKey(true, SDL_SCANCODE_A); Frame(); },
     {{65, 0, 0, 0}, {300 & 0xFF, 0, 0, 0}}, 0},
};

TEST_F(InputTest, KeysThroughTheWindowProcedure)
{
    for (const auto& [name, play, keys, currentKey] : KEY_CASES) {
        FreshState();
        play();
        for (auto [key, held, pressed, released] : keys) {
            EXPECT_EQ((std::vector<int>{held, pressed, released}),
                      (std::vector<int>{IO_Key_Down(key), IO_Key_Pressed(key), IO_Key_Released(key)}))
                << name << ", key " << key;
        }
        EXPECT_EQ(currentKey, IO_GetCurrentKey()) << name;
    }
    // Live keys, before the map: a press is seen once after its release; num lock counts while not held.
    FreshState();
    IO_LiveKey_SetNumLock(false);
    PushKey(true, SDL_SCANCODE_A);
    PushKey(false, SDL_SCANCODE_A);
    PushKey(true, SDL_SCANCODE_NUMLOCKCLEAR);
    Frame();
    EXPECT_EQ((std::vector<bool>{true, false, true, false}),
              (std::vector<bool>{IO_LiveKey_Check(65), IO_LiveKey_Check(65), IO_LiveKey_NumLockToggled(), IO_LiveKey_NumLock()}));
    PushKey(false, SDL_SCANCODE_NUMLOCKCLEAR);
    Frame();
    EXPECT_TRUE(IO_LiveKey_NumLock());
    // Typed text: backspace typed by the window procedure, the 1023rd character restarting the
    // text, and a cap on text set by a script.
    FreshState();
    PushText("hi\xE2\x82\xAC");
    PushKey(true, SDL_SCANCODE_BACKSPACE);
    Frame();
    EXPECT_STREQ("hi", IO_GetKeyboardString());
    EXPECT_EQ(8, IO_GetLastChar());
    FreshState();
    for (int i = 0; i < 1022; ++i) IO_OnChar('a');
    IO_OnChar('z');
    IO_OnChar('q');
    IO_StartStep();
    EXPECT_STREQ("zq", IO_GetKeyboardString());
    IO_SetKeyboardString(std::string(1030, 'x').c_str());
    EXPECT_EQ(1024, IO_TextLength);
}

// After a box: pushed events, the keys (code, right-hand) and buttons really held, then each key's and
// button's held, pressed and released flags at the next frame.
struct AfterBoxCase {
    const char* name;
    std::function<void()> push;
    std::vector<std::pair<int32_t, bool>> keysHeld;
    std::array<uint8_t, IO_MOUSE_BUTTONS> buttonsHeld;
    KeyFlags keys;
    KeyFlags buttons;
};
const AfterBoxCase AFTER_BOX_CASES[] = {
    {"a key let go in the box reads released", [] { PushKey(true, SDL_SCANCODE_B); }, {}, {}, {{66, 0, 0, 1}}, {}},
    {"a key still held stays held, with no new edge", [] { PushKey(true, SDL_SCANCODE_B); }, {{66, false}}, {},
     {{66, 1, 0, 0}}, {}},
    {"right Shift let go releases 16 and 161", [] { PushKey(true, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT); }, {}, {},
     {{16, 0, 0, 1}, {161, 0, 0, 1}}, {}},
    {"right Shift still held keeps 16 and 161", [] { PushKey(true, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT); },
     {{16, true}}, {}, {{16, 1, 0, 0}, {161, 1, 0, 0}, {160, 0, 0, 0}}, {}},
    {"a mapped key is let go by the code it stands for",
     [] { IO_Key_SetMap(65, 66); PushKey(true, SDL_SCANCODE_A); }, {}, {}, {{66, 0, 0, 1}}, {}},
    {"nothing held here: nothing is pressed", [] {}, {{66, false}}, {1, 1, 1}, {{66, 0, 0, 0}},
     {{1, 0, 0, 0}, {2, 0, 0, 0}}},
    {"the left button let go, the right still held",
     [] { PushButton(true, SDL_BUTTON_LEFT); PushButton(true, SDL_BUTTON_RIGHT); }, {}, {0, 1, 0}, {},
     {{1, 0, 0, 1}, {2, 1, 0, 0}}},
};

TEST_F(InputTest, AfterABoxWhatIsNoLongerHeldIsLetGo)
{
    for (const AfterBoxCase& c : AFTER_BOX_CASES) {
        FreshState();
        c.push();
        Frame();
        uint8_t held[IO_KEY_COUNT] = {};
        for (auto [key, right] : c.keysHeld) MainWindow_MarkHeld(key, right, held);
        IO_ReleaseKeysNotHeld(held);
        IO_ReleaseButtonsNotHeld(c.buttonsHeld.data());
        Frame();
        for (auto [key, down, pressed, released] : c.keys)
            EXPECT_EQ((std::vector<int>{down, pressed, released}),
                      (std::vector<int>{IO_Key_Down(key), IO_Key_Pressed(key), IO_Key_Released(key)}))
                << c.name << ", key " << key;
        for (auto [button, down, pressed, released] : c.buttons)
            EXPECT_EQ((std::vector<int>{down, pressed, released}),
                      (std::vector<int>{IO_Button_Down(button, 0), IO_Button_Pressed(button, 0),
                                        IO_Button_Released(button, 0)}))
                << c.name << ", button " << button;
    }
}

TEST_F(InputTest, KeyAndMouseBuiltinsOverTheStepState)
{
    // Key 0 is "no key", 1 "any key"; codes are rounded and checked against 0..255.
    const std::tuple<const char*, double, double, double> rows[] = { // name, key, nothing held, A held
        {"keyboard_check", 0, 1, 0}, {"keyboard_check", 1, 0, 1}, {"keyboard_check", 64.5, 0, 0},
        {"keyboard_check", 256, 0, 0}, {"keyboard_check_released", 0, 1, 1}};
    for (const auto& [name, key, nothing, held] : rows) EXPECT_EQ(nothing, CallReal(name, {key})) << name << " " << key;
    PushKey(true, SDL_SCANCODE_A);
    PushButton(true, SDL_BUTTON_MIDDLE);
    Frame();
    for (const auto& [name, key, nothing, held] : rows) EXPECT_EQ(held, CallReal(name, {key})) << name << " " << key << " with A";

    // Any button (-1), none (0), the middle one (3) and one beyond (4).
    EXPECT_EQ((std::vector<double>{1, 0, 1, 0}),
              (std::vector<double>{CallReal("mouse_check_button", {-1}), CallReal("mouse_check_button", {0}),
                                   CallReal("mouse_check_button", {3}), CallReal("mouse_check_button", {4})}));
    CallReal("mouse_clear", {3});
    EXPECT_EQ(0, CallReal("mouse_check_button", {-1}));
    // Devices and buttons out of range are never held.
    for (auto query : {IO_Button_Down, IO_Button_Pressed, IO_Button_Released})
        EXPECT_FALSE(query(1, 5) || query(4, 0) || query(-1, 0));
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

// A virtual joystick of two axes (the stick, in the multimedia range 0 to 65535 once read), 32
// buttons and `hats` hats.
TEST_F(InputTest, JoystickDirectionPovAndButtons)
{
    EXPECT_EQ((std::vector<double>{0, 101, -1}),
              (std::vector<double>{CallReal("joystick_exists", {1}), CallReal("joystick_direction", {1}),
                                   CallReal("joystick_pov", {1})})) << "no device";
    for (int hats : {1, 0}) {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 32, hats);
        SDL_Joystick* stick = SDL_JoystickOpen(index);
        ASSERT_NE(nullptr, stick) << SDL_GetError();
        // The keypad key of the direction, with the centre's edges.
        for (auto [x, y, key] : {std::tuple{10000, 10000, 103}, {44000, 44000, 101}, {44001, 44001, 99}, {20000, 50000, 98}}) {
            SDL_JoystickSetVirtualAxis(stick, 0, static_cast<Sint16>(x - 32768));
            SDL_JoystickSetVirtualAxis(stick, 1, static_cast<Sint16>(y - 32768));
            EXPECT_EQ(key, CallReal("joystick_direction", {1.9})) << x << "," << y; // device 1.9 is 1
        }
        if (hats > 0) SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_RIGHT);
        SDL_JoystickSetVirtualButton(stick, 31, 1);
        EXPECT_EQ((std::vector<double>{hats ? 90.0 : -1.0, double(hats), 1, 0}),
                  (std::vector<double>{CallReal("joystick_pov", {1}), CallReal("joystick_has_pov", {1}),
                                       CallReal("joystick_check_button", {1, 32}), CallReal("joystick_check_button", {1, 33})}));
        SDL_JoystickClose(stick);
        SDL_JoystickDetachVirtual(index);
    }
}

uint32_t U32At(const std::vector<uint8_t>& frame, size_t at)
{
    return frame[at] | frame[at + 1] << 8 | frame[at + 2] << 16 | uint32_t(frame[at + 3]) << 24;
}

TEST_F(InputTest, RecordedFrameLayout)
{
    IO_Step.lastChar = 0x41;
    IO_Step.text[0] = 0x20AC;
    IO_Step.lastKey = 0x11223344;
    IO_Step.currentKey = -2;
    IO_Step.lastButton[4] = 3;
    IO_Step.currentButton[0] = 2;
    IO_Step.buttonDown[14] = IO_Step.buttonReleased[0] = IO_Step.buttonPressed[5] = 1;
    IO_Step.cursorX = 7;
    IO_Step.cursorY = -7;
    IO_Step.mouseX = 640;
    IO_Step.mouseY = 480;
    std::vector<uint8_t> frame(IO_RECORD_FRAME_SIZE);
    IO_Record_Encode(frame.data());
    // Four bytes read at each offset.
    const std::pair<size_t, uint32_t> fields[] = {
        {0, 0x20AC0041u}, {2052, 0x11223344u}, {2056, 0xFFFFFFFEu}, {2828 + 16, 3}, {2848, 2}, {2868 + 11, 0x01000000u},
        {2883, 1}, {2898 + 4, 0x00000100u}, {2923, 7}, {2927, 0xFFFFFFF9u}, {2931, 640}, {2935, 480}};
    for (const auto& [at, value] : fields) EXPECT_EQ(value, U32At(frame, at)) << "offset " << at;

    IOStepState written = IO_Step;
    IO_Step = IOStepState{};
    IO_Record_Decode(frame.data());
    IO_Step.deviceX[0] = written.deviceX[0];
    IO_Step.deviceY[0] = written.deviceY[0];
    EXPECT_EQ(0, std::memcmp(&written, &IO_Step, sizeof written));
}

TEST_F(InputTest, PlaybackOfShortAndDamagedFiles)
{
    std::filesystem::path path = std::filesystem::temp_directory_path() / ("kelvaro_record_" + std::to_string(getpid()));
    g_RecordFileName = path.string();
    std::vector<uint8_t> held(IO_RECORD_FRAME_SIZE, 0);
    held[2060 + 65] = 1;
    held[2052] = 65;
    held[2931] = 44; // the window mouse x
    std::vector<uint8_t> cut(held.begin(), held.begin() + 2200); // ends inside the held keys
    std::vector<uint8_t> text(IO_RECORD_FRAME_SIZE, 0xFF); // no terminator anywhere
    // An empty file changes nothing; a frame cut short fills the bytes it has; a text without its
    // terminator is cut. Key 65 held and the last key after the first frame.
    const std::tuple<const char*, std::vector<uint8_t>, bool, int32_t> cases[] = {
        {"empty", {}, false, 9}, {"whole", held, true, 65}, {"cut", cut, true, 65}, {"unterminated", text, true, -1}};
    for (const auto& [name, file, keyHeld, last] : cases) {
        FreshState();
        IO_Step.lastKey = 9;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        g_PlaybackInput = 1;
        IO_Record_Open();
        Frame();
        EXPECT_EQ(keyHeld, IO_Key_Down(65)) << name;
        EXPECT_EQ(last, IO_GetLastKey()) << name;
        if (file == held) {
            EXPECT_EQ(44, GR_Window_MouseGetX()); // the mouse replays too
        }
        EXPECT_LE(std::strlen(IO_GetKeyboardString()), size_t(1024 * 3)) << name;
        IO_Record_Close();
    }
    g_PlaybackInput = 0;
    g_RecordFileName.clear();
    std::filesystem::remove(path);
}

} // namespace
