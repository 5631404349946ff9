// The main window: its creation, its message pump and the portable half of its window procedure,
// which turns key messages into the input state's reports. The platform half lives in
// run/sdl/Run_WindowM.cpp.
#pragma once

#include <cstdint>

// Windows virtual-key codes that the window procedure treats specially (the game file's keyboard
// events and the vk_ constants use the same codes).
enum : int32_t {
    VK_CODE_BACK = 8,
    VK_CODE_TAB = 9,
    VK_CODE_RETURN = 13,
    VK_CODE_SHIFT = 16,
    VK_CODE_CONTROL = 17,
    VK_CODE_MENU = 18, // Alt
    VK_CODE_ESCAPE = 27,
    VK_CODE_LSHIFT = 160,
    VK_CODE_RSHIFT = 161,
    VK_CODE_LCONTROL = 162,
    VK_CODE_RCONTROL = 163,
    VK_CODE_LMENU = 164,
    VK_CODE_RMENU = 165,
};

// Modifier bits passed with key, button and wheel input; the wheel adds the button bits.
enum : int32_t {
    MODIFIER_SHIFT = 1,
    MODIFIER_ALT = 2,
    MODIFIER_CTRL = 4,
    MODIFIER_LEFT_BUTTON = 8,
    MODIFIER_RIGHT_BUTTON = 16,
    MODIFIER_MIDDLE_BUTTON = 32,
};

// Window styles, as the window layer reads them: without border, resizable, or fixed size.
enum : uint32_t {
    WINDOW_STYLE_POPUP = 0x80000000u,
    WINDOW_STYLE_OVERLAPPED = 0x00CF0000u,
    WINDOW_STYLE_FIXED = 0x00CA0000u,
};

// The style the header's info flags ask for: full screen (0x1) gives a window without border,
// else the resizable flag (0x40) a sizing border.
uint32_t MainWindow_StyleFor(uint32_t infoFlags);

// The window's state as the window and display layer read it.
extern uint32_t g_MainWindowStyle;
extern uint8_t g_WindowHasFocus;
extern int32_t g_WindowRequestedWidth; // the client size asked for, clamped to the screen
extern int32_t g_WindowRequestedHeight;
extern int32_t g_WindowOuterWidth; // the whole window with its frame
extern int32_t g_WindowOuterHeight;
extern int32_t g_WindowCursorIndex; // the cursor table's index, -1 for none

// Key reports of the window procedure. A modifier key reports the generic code first, then the
// sided one: Alt and Ctrl by the extended-key bit, Shift by the scan code of the right key.
void MainWindow_KeyDown(int32_t key, int32_t modifiers, bool extended, uint32_t scanCode, bool rightShiftDown,
                        bool repeat);
void MainWindow_KeyUp(int32_t key, int32_t modifiers, bool extended, uint32_t scanCode);
// Marks in `held` (IO_KEY_COUNT entries) the codes a held key reports: its own and, for a modifier,
// the sided one (`right` for the right-hand key).
void MainWindow_MarkHeld(int32_t key, bool right, uint8_t* held);

// Creates the main window with the header's size, style, caption and cursor; false on failure.
// The window starts hidden: the graphics device shows it with its first picture.
bool CreateMainWindow(int32_t width, int32_t height);
// Handles every pending message; a quit message stops the main loop (run state 0) and leaves the
// messages behind it queued.
void ProcessMessages();
// The pump a running script calls every few thousand branches: ProcessMessages, and a termination
// request the game has not answered in time ends the process there (Platform_EndIfTerminationOverdue).
void ProcessMessagesInScript();
// Posts a quit message to the main window.
void PostQuitToMainWindow();
// Whether the main window exists (from CreateMainWindow to MainWindow_Destroy).
bool MainWindow_Exists();
// Shows the window (the graphics device does it with its first picture).
void MainWindow_Show();
// Sets the window's title (UTF-8).
void MainWindow_SetTitle(const char* text);
// Shows a cursor of the cursor table (0 to 14) over the window, or none (-1).
void MainWindow_SetCursor(int32_t index);
// Destroys the window and its cursors at the very end of the program.
void MainWindow_Destroy();

constexpr int32_t WINDOW_CURSOR_COUNT = 15;
