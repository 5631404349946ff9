// The SDL half of the message boxes. Only Platform_MessageBox.cpp calls these, and the error form
// its box.
#pragma once

#include <SDL.h>

#include "platform/Platform_MessageBox.h"

// SDL_ShowMessageBox as a dialog of the game's window, which window managers give the keyboard
// when it opens (without a manager the box is centred on the game and given it here), and which gives
// the keyboard back to the game's window when it closes; without an owner where SDL cannot show it
// so (no window yet, another driver's).
int PlatformSdl_ShowBox(SDL_MessageBoxData& data, int* pressed);

// False when no box could be shown (no display, or SDL refused).
bool PlatformSdl_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon);

// False when no box could be shown; otherwise the button pressed through `yes` (closing the box
// counts as No).
bool PlatformSdl_AskYesNo(const char* text, const char* caption, bool* yes);
