#include "run/sdl/Run_KeyTableM.h"

#include <initializer_list>

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    int32_t key;
};

// Punctuation follows the US layout, whose positions the codes name.
const KeyRow KEY_ROWS[] = {
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_MENU, 93},
    {SDL_SCANCODE_EXECUTE, 43},
    {SDL_SCANCODE_HELP, 47},
    {SDL_SCANCODE_SELECT, 41},
    {SDL_SCANCODE_MUTE, 173},
    {SDL_SCANCODE_VOLUMEUP, 175},
    {SDL_SCANCODE_VOLUMEDOWN, 174},
    {SDL_SCANCODE_KP_COMMA, 108},
    {SDL_SCANCODE_LCTRL, 17},
    {SDL_SCANCODE_LSHIFT, 16},
    {SDL_SCANCODE_LALT, 18},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RCTRL, 17},
    {SDL_SCANCODE_RSHIFT, 16},
    {SDL_SCANCODE_RALT, 18},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_AUDIONEXT, 176},
    {SDL_SCANCODE_AUDIOPREV, 177},
    {SDL_SCANCODE_AUDIOSTOP, 178},
    {SDL_SCANCODE_AUDIOPLAY, 179},
};

// Keypad 1 to 9 and 0, then the point: the digit codes with Num Lock on, the printed keys' without.
const int32_t KEYPAD_NUMLOCK[11] = {97, 98, 99, 100, 101, 102, 103, 104, 105, 96, 110};
const int32_t KEYPAD_PLAIN[11] = {35, 40, 34, 37, 12, 39, 36, 38, 33, 45, 46};

} // namespace

int32_t KeyTable_VirtualKey(SDL_Scancode scancode, uint16_t modifiers)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 65 + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return 49 + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return 48;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return 112 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return 124 + (scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_PERIOD) {
        int index = scancode - SDL_SCANCODE_KP_1;
        return (modifiers & KMOD_NUM) != 0 ? KEYPAD_NUMLOCK[index] : KEYPAD_PLAIN[index];
    }
    for (const KeyRow& row : KEY_ROWS) {
        if (row.scancode == scancode) return row.key;
    }
    return 0;
}

bool KeyTable_IsExtended(SDL_Scancode scancode)
{
    return scancode == SDL_SCANCODE_RCTRL || scancode == SDL_SCANCODE_RALT;
}

bool KeyTable_ScanCode(int32_t key, SDL_Scancode* scancode, uint16_t* modifiers)
{
    // The sided modifiers have keys of their own; the generic codes are their left keys.
    static const KeyRow SIDED[] = {{SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161},
                                   {SDL_SCANCODE_LCTRL, 162},  {SDL_SCANCODE_RCTRL, 163},
                                   {SDL_SCANCODE_LALT, 164},   {SDL_SCANCODE_RALT, 165}};
    for (const KeyRow& row : SIDED) {
        if (row.key != key) continue;
        *scancode = row.scancode;
        *modifiers = 0;
        return true;
    }
    // Num Lock on first, so that the keypad digits come back as themselves.
    for (uint16_t mods : {uint16_t(KMOD_NUM), uint16_t(0)}) {
        for (int code = SDL_SCANCODE_A; code < SDL_NUM_SCANCODES; ++code) {
            if (KeyTable_VirtualKey(static_cast<SDL_Scancode>(code), mods) != key) continue;
            *scancode = static_cast<SDL_Scancode>(code);
            *modifiers = mods;
            return true;
        }
    }
    return false;
}
