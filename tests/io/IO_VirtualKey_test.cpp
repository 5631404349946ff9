// Virtual keys: the configuration's KEY and BUTTON texts, touch points against the rectangles, and
// the table saved and loaded through a buffer (a damaged count refused).
#include "../TestSupport_Builtins.h"
#include "../code/Code_TestBuffer.h"
#include "IOTestSupport.h"
#include "base/Base_Ini.h"
#include "code/Code_Constants.h"
#include "graphics/Graphics_Window.h"
#include "room/Room_Draw.h"

using namespace iotest;

namespace {

class VirtualKeyTest : public InputTest {
  protected:
    void SetUp() override
    {
        if (Constant_Find("vk_space") == nullptr) Constant_Init();
        InputTest::SetUp();
        GR_Window_SetWindowSize(640, 480);
    }
    static void Touch(int32_t x, int32_t y) { IO_TouchPoints[0] = IOTouchPoint{IO_TOUCH_ACTIVE, x, y, {0, 0}}; }
};

TEST_F(VirtualKeyTest, ConfigurationKeysAndButtons)
{
    struct Row {
        const char *key, *button; // null: no KEY, no BUTTON
        int32_t expectKey, expectButton;
    };
    const Row rows[] = {
        {"vk_space", nullptr, 32, 0}, {"VK_SPACE", nullptr, 32, 0}, {"Vk_Space", nullptr, 32, 0},
        {"A", nullptr, 65, 0},        {"mb_left", nullptr, 0, 0},   {nullptr, "MB_LEFT", 0, 1},
        {"vk_nosuch", nullptr, 0, 0}, {"", nullptr, 0, 0},        {nullptr, "left", 0, 0},
        {nullptr, nullptr, 0, 0},
    };
    std::string text = "[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=" + std::to_string(std::size(rows)) + "\nTEXTURE=pad.png\n";
    for (size_t i = 0; i < std::size(rows); ++i) {
        text += "[IO_BUTTON_" + std::to_string(i) + "]\nX=10\nY=20\nW=30\nH=40\nU=7\n";
        if (rows[i].key) text += std::string("KEY=") + rows[i].key + "\n";
        if (rows[i].button) text += std::string("BUTTON=") + rows[i].button + "\n";
    }
    IniFile ini;
    ini.Parse(text.c_str());
    IO_VirtualKey_LoadConfig(&ini);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const IOVirtualKey* key = IO_VirtualKey_Get(int32_t(i));
        EXPECT_EQ((std::vector<int>{rows[i].expectKey, rows[i].expectButton, IO_VIRTUAL_KEY_IN_USE, 40, 60, 7}),
                  (std::vector<int>{key->key, key->button, int(key->flags), key->right, key->bottom, key->u}))
            << i;
    }
    EXPECT_STREQ("pad.png", IO_VirtualKey_TextureName());
    EXPECT_EQ(IO_VirtualKey_Get(int32_t(std::size(rows))), IO_VirtualKey_FindFree());
}

TEST_F(VirtualKeyTest, TouchesPressHoldAndRelease)
{
    IOVirtualKey* space = IO_VirtualKey_FindFree();
    *space = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, space->index, 100, 100, 150, 150, 50, 50, 0, 0, 32, 0};
    IOVirtualKey* far = IO_VirtualKey_Get(32); // beyond the mask: shown, never triggered
    *far = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, 32, 0, 0, 640, 480, 640, 480, 0, 0, 0, 1};

    struct Step {
        int32_t x, y; // -1: no touch
        bool down, pressed, released;
    };
    const Step steps[] = {
        {120, 120, false, true, false}, // touched: pressed, not yet held
        {149, 149, true, false, false}, // still touched: held
        {150, 120, false, false, true}, // the right edge is outside: released
        {-1, -1, false, false, false},
    };
    for (const Step& s : steps) {
        if (s.x >= 0) Touch(s.x, s.y);
        Frame();
        EXPECT_EQ((std::vector<bool>{s.down, s.pressed, s.released}),
                  (std::vector<bool>{IO_Key_Down(32), IO_Key_Pressed(32), IO_Key_Released(32)}))
            << s.x;
        EXPECT_FALSE(IO_Button_Down(1, 0) || IO_Button_Pressed(1, 0)) << "entry 32 triggered";
        EXPECT_EQ(0u, IO_TouchPoints[0].state & IO_TOUCH_ACTIVE);
    }
    // A GUI half the window's size: window point (240, 240) is GUI point (120, 120).
    g_GUIWidth = 320;
    g_GUIHeight = 240;
    Touch(240, 240);
    Frame();
    EXPECT_TRUE(IO_Key_Pressed(32));
    // Without a window size nothing maps (and nothing divides by zero).
    GR_Window_SetWindowSize(0, 0);
    Touch(240, 240);
    Frame();
    EXPECT_TRUE(IO_Key_Released(32));
    g_GUIWidth = g_GUIHeight = -1;
}

TEST_F(VirtualKeyTest, SavedAndLoadedThroughABuffer)
{
    IOVirtualKey* key = IO_VirtualKey_Get(5);
    *key = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE | IO_VIRTUAL_KEY_VISIBLE, 5, 1, 2, 4, 6, 3, 4, 9, 8, 65, 0};
    TestBuffer buffer;
    IO_VirtualKey_Save(&buffer);
    EXPECT_EQ(8u + 128u * 44u, buffer.Bytes().size());
    IO_VirtualKey_DeleteAll();
    buffer.Rewind();
    ASSERT_TRUE(IO_VirtualKey_Load(&buffer));
    EXPECT_EQ((std::vector<int>{3, 65, 6}), (std::vector<int>{int(key->flags), key->key, key->bottom}));

    // A damaged version or count is refused; count 0 loads.
    for (auto [version, count] : {std::pair{850, 1}, {851, -1}, {851, 129}, {851, 0}, {851, 2147483647}}) {
        std::vector<uint8_t> bytes;
        PutInt32(bytes, version);
        PutInt32(bytes, count);
        TestBuffer damaged(eBuffer_Fixed, bytes);
        EXPECT_EQ(count == 0, IO_VirtualKey_Load(&damaged)) << version << " " << count;
    }
    // A table cut short: what is there is read, the rest reads as the buffer's end.
    std::vector<uint8_t> shortTable(buffer.Bytes().begin(), buffer.Bytes().begin() + 8 + 44 * 6 + 3);
    TestBuffer cut(eBuffer_Fixed, shortTable);
    EXPECT_TRUE(IO_VirtualKey_Load(&cut));
    EXPECT_EQ(65, IO_VirtualKey_Get(5)->key);
}

} // namespace
