// What the input module asks of the system: key events posted to the main window's queue (seen at
// the next message pump as if the keyboard had sent them: keyboard_key_press, keyboard_key_release,
// keyboard_set_numlock), the Num Lock toggle at start-up and the screen cursor.
#pragma once

#include <cstdint>

// False for a key code that no key of the keyboard gives (nothing is posted).
bool IO_Inject_Key(int32_t key, bool down);
// The system's Num Lock toggle.
bool IO_Inject_SystemNumLock();
// The screen cursor position, as the system reports it (0, 0 without a display).
void IO_ReadScreenCursor(int32_t* x, int32_t* y);
