// The SDL half of the message boxes. Only Platform_MessageBox.cpp calls these.
#pragma once

#include "platform/Platform_MessageBox.h"

// False when no box could be shown (no display, or SDL refused).
bool PlatformSdl_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon);

// False when no box could be shown; otherwise the button pressed through `yes` (closing the box
// counts as No).
bool PlatformSdl_AskYesNo(const char* text, const char* caption, bool* yes);
