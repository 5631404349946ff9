// The keyboard and mouse state through the real window procedure: SDL events pushed, pumped, and
// the frame's update taken; then the step state as the frame and the scripts see it.
#include <functional>
#include <string>
#include <vector>

#include "IOTestSupport.h"

using namespace iotest;

namespace {

class InputTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { StartSdl(); }
    void SetUp() override { FreshState(); }
};

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

} // namespace
