#include "run/Run_Window.h"

#include "io/IO_Main.h"

uint32_t g_MainWindowStyle = WINDOW_STYLE_FIXED;
uint8_t g_WindowHasFocus = 0;
int32_t g_WindowRequestedWidth = 0;
int32_t g_WindowRequestedHeight = 0;
int32_t g_WindowOuterWidth = 0;
int32_t g_WindowOuterHeight = 0;
int32_t g_WindowCursorIndex = -1;

namespace {

// The scan code of the last Shift key-down made by the right Shift key: a key-up with the same
// scan code is the right key's.
uint32_t g_RightShiftScanCode = 0;
bool g_RightShiftKnown = false;

int32_t SidedCode(int32_t key, bool right)
{
    switch (key) {
    case VK_CODE_MENU:
        return right ? VK_CODE_RMENU : VK_CODE_LMENU;
    case VK_CODE_CONTROL:
        return right ? VK_CODE_RCONTROL : VK_CODE_LCONTROL;
    default:
        return right ? VK_CODE_RSHIFT : VK_CODE_LSHIFT;
    }
}

bool IsModifier(int32_t key)
{
    return key == VK_CODE_MENU || key == VK_CODE_CONTROL || key == VK_CODE_SHIFT;
}

} // namespace

uint32_t MainWindow_StyleFor(uint32_t infoFlags)
{
    if ((infoFlags & 0x1u) != 0) return WINDOW_STYLE_POPUP;
    if ((infoFlags & 0x40u) != 0) return WINDOW_STYLE_OVERLAPPED;
    return WINDOW_STYLE_FIXED;
}

void MainWindow_KeyDown(int32_t key, int32_t modifiers, bool extended, uint32_t scanCode, bool rightShiftDown,
                        bool repeat)
{
    IO_OnKeyDown(key, modifiers, repeat);
    if (!IsModifier(key)) return;
    bool right = extended;
    if (key == VK_CODE_SHIFT) {
        right = rightShiftDown;
        if (right) {
            g_RightShiftScanCode = scanCode;
            g_RightShiftKnown = true;
        }
    }
    IO_OnKeyDown(SidedCode(key, right), modifiers, repeat);
}

void MainWindow_KeyUp(int32_t key, int32_t modifiers, bool extended, uint32_t scanCode)
{
    IO_OnKeyUp(key, modifiers);
    if (!IsModifier(key)) return;
    bool right = extended;
    if (key == VK_CODE_SHIFT) right = g_RightShiftKnown && scanCode == g_RightShiftScanCode;
    IO_OnKeyUp(SidedCode(key, right), modifiers);
}

void MainWindow_MarkHeld(int32_t key, bool right, uint8_t* held)
{
    if (key < 0 || key >= IO_KEY_COUNT) return;
    held[key] = 1;
    if (IsModifier(key)) held[SidedCode(key, right)] = 1;
}
