// The platform half of the Misc family's window group: the clipboard, the window's native id and
// the program's priority.
#pragma once

#include <cstdint>
#include <string>

// Puts the text on the clipboard; false when the clipboard refused it.
bool MiscWindow_SetClipboard(const char* text);
// Whether the clipboard holds text (an empty text counts only where the clipboard reports it).
bool MiscWindow_ClipboardHasText();
std::string MiscWindow_GetClipboard();
// The main window's native (X11) id, 0 when there is none.
uint32_t MiscWindow_NativeHandle();
// Sets the process's nice value; false when the system refused it (raising needs privilege).
bool MiscWindow_SetNice(int32_t nice);
