#include "run/sdl/Run_KeyTableM.h"

#include <gtest/gtest.h>

TEST(KeyTableTest, LettersDigitsAndFunctionKeys)
{
    EXPECT_EQ(65, KeyTable_VirtualKey(SDL_SCANCODE_A, KMOD_NONE));
    EXPECT_EQ(90, KeyTable_VirtualKey(SDL_SCANCODE_Z, KMOD_NONE));
    EXPECT_EQ(48, KeyTable_VirtualKey(SDL_SCANCODE_0, KMOD_NONE));
    EXPECT_EQ(49, KeyTable_VirtualKey(SDL_SCANCODE_1, KMOD_NONE));
    EXPECT_EQ(57, KeyTable_VirtualKey(SDL_SCANCODE_9, KMOD_NONE));
    EXPECT_EQ(112, KeyTable_VirtualKey(SDL_SCANCODE_F1, KMOD_NONE));
    EXPECT_EQ(123, KeyTable_VirtualKey(SDL_SCANCODE_F12, KMOD_NONE));
    EXPECT_EQ(124, KeyTable_VirtualKey(SDL_SCANCODE_F13, KMOD_NONE));
}

TEST(KeyTableTest, NavigationPunctuationAndModifiers)
{
    struct Row {
        SDL_Scancode scancode;
        int32_t key;
    };
    const Row rows[] = {
        {SDL_SCANCODE_LEFT, 37},        {SDL_SCANCODE_UP, 38},         {SDL_SCANCODE_RIGHT, 39},
        {SDL_SCANCODE_DOWN, 40},        {SDL_SCANCODE_RETURN, 13},     {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, 32},       {SDL_SCANCODE_BACKSPACE, 8},   {SDL_SCANCODE_TAB, 9},
        {SDL_SCANCODE_DELETE, 46},      {SDL_SCANCODE_INSERT, 45},     {SDL_SCANCODE_HOME, 36},
        {SDL_SCANCODE_PAGEDOWN, 34},    {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187},
        {SDL_SCANCODE_COMMA, 188},      {SDL_SCANCODE_MINUS, 189},     {SDL_SCANCODE_PERIOD, 190},
        {SDL_SCANCODE_SLASH, 191},      {SDL_SCANCODE_GRAVE, 192},     {SDL_SCANCODE_LEFTBRACKET, 219},
        {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_PAUSE, 19},      {SDL_SCANCODE_PRINTSCREEN, 44},
        {SDL_SCANCODE_LSHIFT, 16},      {SDL_SCANCODE_RSHIFT, 16},     {SDL_SCANCODE_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, 17},       {SDL_SCANCODE_LALT, 18},       {SDL_SCANCODE_RALT, 18},
        {SDL_SCANCODE_KP_ENTER, 13},    {SDL_SCANCODE_KP_PLUS, 107},   {SDL_SCANCODE_KP_DIVIDE, 111},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.key, KeyTable_VirtualKey(row.scancode, KMOD_NONE)) << row.scancode;
    EXPECT_EQ(0, KeyTable_VirtualKey(SDL_SCANCODE_UNKNOWN, KMOD_NONE));
    EXPECT_TRUE(KeyTable_IsExtended(SDL_SCANCODE_RCTRL));
    EXPECT_TRUE(KeyTable_IsExtended(SDL_SCANCODE_RALT));
    EXPECT_FALSE(KeyTable_IsExtended(SDL_SCANCODE_LALT));
}

TEST(KeyTableTest, KeypadFollowsNumLock)
{
    EXPECT_EQ(96, KeyTable_VirtualKey(SDL_SCANCODE_KP_0, KMOD_NUM));
    EXPECT_EQ(97, KeyTable_VirtualKey(SDL_SCANCODE_KP_1, KMOD_NUM));
    EXPECT_EQ(105, KeyTable_VirtualKey(SDL_SCANCODE_KP_9, KMOD_NUM));
    EXPECT_EQ(110, KeyTable_VirtualKey(SDL_SCANCODE_KP_PERIOD, KMOD_NUM));
    EXPECT_EQ(35, KeyTable_VirtualKey(SDL_SCANCODE_KP_1, KMOD_NONE));      // End
    EXPECT_EQ(12, KeyTable_VirtualKey(SDL_SCANCODE_KP_5, KMOD_NONE));      // Clear
    EXPECT_EQ(38, KeyTable_VirtualKey(SDL_SCANCODE_KP_8, KMOD_NONE));      // Up
    EXPECT_EQ(45, KeyTable_VirtualKey(SDL_SCANCODE_KP_0, KMOD_NONE));      // Insert
    EXPECT_EQ(46, KeyTable_VirtualKey(SDL_SCANCODE_KP_PERIOD, KMOD_NONE)); // Delete
}
