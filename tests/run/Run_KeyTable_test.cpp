#include "run/sdl/Run_KeyTableM.h"

#include <gtest/gtest.h>

TEST(KeyTableTest, ScancodesBecomeVirtualKeysWithTheKeypadFollowingNumLock)
{
    const struct {
        SDL_Scancode scancode;
        Uint16 mod;
        int32_t key;
    } rows[] = {
        {SDL_SCANCODE_A, KMOD_NONE, 65}, {SDL_SCANCODE_9, KMOD_NONE, 57}, {SDL_SCANCODE_F13, KMOD_NONE, 124},
        {SDL_SCANCODE_DOWN, KMOD_NONE, 40}, {SDL_SCANCODE_BACKSPACE, KMOD_NONE, 8}, {SDL_SCANCODE_DELETE, KMOD_NONE, 46},
        {SDL_SCANCODE_SEMICOLON, KMOD_NONE, 186}, {SDL_SCANCODE_APOSTROPHE, KMOD_NONE, 222},
        {SDL_SCANCODE_PRINTSCREEN, KMOD_NONE, 44}, {SDL_SCANCODE_RCTRL, KMOD_NONE, 17},
        {SDL_SCANCODE_KP_ENTER, KMOD_NONE, 13}, {SDL_SCANCODE_UNKNOWN, KMOD_NONE, 0},
        {SDL_SCANCODE_KP_9, KMOD_NUM, 105}, {SDL_SCANCODE_KP_PERIOD, KMOD_NUM, 110},
        {SDL_SCANCODE_KP_5, KMOD_NONE, 12}, {SDL_SCANCODE_KP_0, KMOD_NONE, 45},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.key, KeyTable_VirtualKey(row.scancode, row.mod)) << row.scancode << " " << row.mod;
    EXPECT_TRUE(KeyTable_IsExtended(SDL_SCANCODE_RCTRL));
    EXPECT_TRUE(KeyTable_IsExtended(SDL_SCANCODE_RALT));
    EXPECT_FALSE(KeyTable_IsExtended(SDL_SCANCODE_LALT));
}
