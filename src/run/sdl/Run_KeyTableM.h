// SDL scancodes to the Windows virtual-key codes that game files and key constants use.
#pragma once

#include <SDL.h>

#include <cstdint>

// The key code of a scancode (0: the key has none). With Num Lock off the keypad gives the codes
// of the keys printed on it (Home, arrows, Insert...), as on the system the codes come from.
int32_t KeyTable_VirtualKey(SDL_Scancode scancode, uint16_t modifiers);

// Whether a key is the right-hand one of a pair told apart by the extended-key bit (Ctrl, Alt).
bool KeyTable_IsExtended(SDL_Scancode scancode);

// A scancode (and the modifiers it needs, Num Lock for the keypad digits) that gives a key code;
// false for a code no key gives.
bool KeyTable_ScanCode(int32_t key, SDL_Scancode* scancode, uint16_t* modifiers);
