// Modal message boxes of the platform layer. Headless runs log the message instead of showing it,
// so that no test ever blocks on a box.
#pragma once

// A topmost box without owner window, with one OK button.
void Platform_ShowMessage(const char* text, const char* caption);
