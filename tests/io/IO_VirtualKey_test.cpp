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

void Touch(int32_t x, int32_t y) { IO_TouchPoints[0] = IOTouchPoint{IO_TOUCH_ACTIVE, x, y, {0, 0}}; }

TEST_F(InputTest, VirtualKeyConfigurationKeysAndButtons)
{
    if (Constant_Find("vk_space") == nullptr) Constant_Init();
    // The KEY or BUTTON line of each entry ("" for none): constant names in any letter case, a
    // single letter, and names that are no key or no button.
    const std::tuple<std::string, int32_t, int32_t> rows[] = {{"KEY=Vk_Space", 32, 0}, {"KEY=A", 65, 0}, {"KEY=mb_left", 0, 0},
                                                              {"BUTTON=MB_LEFT", 0, 1}, {"BUTTON=left", 0, 0}, {"", 0, 0}};
    std::string text = "[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=" + std::to_string(std::size(rows)) + "\n";
    for (size_t i = 0; i < std::size(rows); ++i)
        text += "[IO_BUTTON_" + std::to_string(i) + "]\nX=10\nY=20\nW=30\nH=40\nU=7\n" + std::get<0>(rows[i]) + "\n";
    IniFile ini;
    ini.Parse(text.c_str());
    IO_VirtualKey_LoadConfig(&ini);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const IOVirtualKey* key = IO_VirtualKey_Get(int32_t(i));
        EXPECT_EQ((std::vector<int>{std::get<1>(rows[i]), std::get<2>(rows[i]), IO_VIRTUAL_KEY_IN_USE, 40, 60, 7}),
                  (std::vector<int>{key->key, key->button, int(key->flags), key->right, key->bottom, key->u}))
            << std::get<0>(rows[i]);
    }
}

TEST_F(InputTest, VirtualKeyTouchesPressHoldAndRelease)
{
    GR_Window_SetWindowSize(640, 480);
    IOVirtualKey* space = IO_VirtualKey_FindFree();
    *space = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, space->index, 100, 100, 150, 150, 50, 50, 0, 0, 32, 0};
    IOVirtualKey* far = IO_VirtualKey_Get(32); // beyond the mask: shown, never triggered
    *far = IOVirtualKey{IO_VIRTUAL_KEY_IN_USE, 32, 0, 0, 640, 480, 640, 480, 0, 0, 0, 1};

    // Touched: pressed, not yet held; still touched: held; the right edge is outside: released.
    const std::tuple<int32_t, int32_t, std::vector<bool>> steps[] = { // x, y, held, pressed, released
        {120, 120, {false, true, false}}, {149, 149, {true, false, false}}, {150, 120, {false, false, true}}};
    for (const auto& [x, y, flags] : steps) {
        Touch(x, y);
        Frame();
        EXPECT_EQ(flags, (std::vector<bool>{IO_Key_Down(32), IO_Key_Pressed(32), IO_Key_Released(32)})) << x;
        EXPECT_FALSE(IO_Button_Down(1, 0) || IO_Button_Pressed(1, 0)) << "entry 32 triggered";
        EXPECT_EQ(0u, IO_TouchPoints[0].state & IO_TOUCH_ACTIVE);
    }
    // A GUI half the window's size: window point (240, 240) is GUI point (120, 120); without a
    // window size nothing maps (and nothing divides by zero).
    g_GUIWidth = 320;
    g_GUIHeight = 240;
    for (int32_t width : {640, 0}) {
        GR_Window_SetWindowSize(width, 480);
        Touch(240, 240);
        Frame();
        EXPECT_EQ(width != 0, IO_Key_Pressed(32)) << width;
    }
    g_GUIWidth = g_GUIHeight = -1;
}

TEST_F(InputTest, VirtualKeysSavedAndLoadedThroughABuffer)
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
    for (auto [version, count] : {std::pair{850, 1}, {851, -1}, {851, 129}, {851, 0}}) {
        std::vector<uint8_t> bytes;
        PutInt32(bytes, version);
        PutInt32(bytes, count);
        TestBuffer damaged(eBuffer_Fixed, bytes);
        EXPECT_EQ(count == 0, IO_VirtualKey_Load(&damaged)) << version << " " << count;
    }
}

} // namespace
