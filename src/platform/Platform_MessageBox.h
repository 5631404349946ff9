// Modal message boxes of the platform layer. Headless runs log the message instead of showing it,
// and questions take their answer from the scripted answers, so that no test ever blocks on a box.
#pragma once

#include <cstdint>

enum MessageBoxIcon : int32_t {
    MESSAGEBOX_ICON_INFORMATION = 0,
    MESSAGEBOX_ICON_WARNING = 1,
    MESSAGEBOX_ICON_ERROR = 2,
};

// A topmost box without owner window, with one OK button. Without a display (or when no box can
// be shown) the text goes to the log as "caption: text".
void Platform_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon);

// The fatal-error form of the above (error icon); the memory manager's out-of-memory path uses it.
void Platform_ShowMessage(const char* text, const char* caption);

// The scripts' message box: leaves full screen first, then shows the UTF-8 text with the game's
// display name as caption.
void ShowMessage(const char* text);

// A Yes/No question; true for Yes. Headless, the next scripted answer decides ("yes", "y", "1",
// "true", "ok" or "no", "n", "0", "false", "cancel", any letter case); with none left, or when no
// box can be shown, the default answer is taken. The question and the answer go to the log.
bool Platform_AskYesNo(const char* text, const char* caption, bool defaultAnswer);

// How a scripted answer reads: 1 yes, 0 no, -1 not an answer to a Yes/No question.
int32_t Platform_ParseYesNo(const char* answer);
