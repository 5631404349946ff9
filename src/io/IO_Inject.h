// Simulated keys: key events posted to the main window's queue, seen at the next message pump as if
// the keyboard had sent them (keyboard_key_press, keyboard_key_release, keyboard_set_numlock).
#pragma once

#include <cstdint>

// False for a key code that no key of the keyboard gives (nothing is posted).
bool IO_Inject_Key(int32_t key, bool down);
// The system's Num Lock toggle at start-up.
bool IO_Inject_SystemNumLock();
