// The input module's life: start-up, the frame's input update (window input, gamepads and virtual
// keys, or a recorded frame), clearing and shut-down.
#include <cstring>
#include <initializer_list>

#include "io/IO_Gamepad.h"
#include "io/IO_System.h"
#include "io/IO_Main.h"
#include "io/IO_Record.h"
#include "io/IO_VirtualKey.h"

IOStepState IO_Step;
uint8_t IO_FirstUpdate = 1;

namespace {

// Device 0's buttons are the first three slots of the step's device-major arrays, so the raw
// buttons copy to and from their starts.

// First update: the raw state starts as the step state (which scripts may have set already).
void RawFromStep()
{
    IO_RawLastChar = static_cast<uint8_t>(IO_Step.lastChar);
    std::memcpy(IO_RawText, IO_Step.text, sizeof IO_RawText);
    IO_RawLastKey = IO_Step.lastKey;
    IO_RawCurrentKey = IO_Step.currentKey;
    std::memcpy(IO_RawKeyDown, IO_Step.keyDown, sizeof IO_RawKeyDown);
    std::memcpy(IO_RawKeyPressed, IO_Step.keyPressed, sizeof IO_RawKeyPressed);
    std::memcpy(IO_RawKeyReleased, IO_Step.keyReleased, sizeof IO_RawKeyReleased);
    std::memcpy(IO_RawButtonDown, IO_Step.buttonDown, sizeof IO_RawButtonDown);
    std::memcpy(IO_RawButtonPressed, IO_Step.buttonPressed, sizeof IO_RawButtonPressed);
    std::memcpy(IO_RawButtonReleased, IO_Step.buttonReleased, sizeof IO_RawButtonReleased);
    IO_RawCurrentButton = IO_Step.currentButton[0];
    IO_RawLastButton = IO_Step.lastButton[0];
    IO_RawWheelUp = IO_Step.wheelUp[0];
    IO_RawWheelDown = IO_Step.wheelDown[0];
}

void ClearEdges()
{
    std::memset(IO_Step.keyPressed, 0, sizeof IO_Step.keyPressed);
    std::memset(IO_Step.keyReleased, 0, sizeof IO_Step.keyReleased);
    std::memset(IO_Step.buttonPressed, 0, sizeof IO_Step.buttonPressed);
    std::memset(IO_Step.buttonReleased, 0, sizeof IO_Step.buttonReleased);
    std::memset(IO_Step.wheelUp, 0, sizeof IO_Step.wheelUp);
    std::memset(IO_Step.wheelDown, 0, sizeof IO_Step.wheelDown);
}

void WindowInputTransfer()
{
    if (IO_FirstUpdate != 0) {
        RawFromStep();
        IO_FirstUpdate = 0;
    }
    IO_ReadScreenCursor(&IO_Step.cursorX, &IO_Step.cursorY);
    IO_Step.lastChar = IO_RawLastChar;
    std::memcpy(IO_Step.text, IO_RawText, sizeof IO_Step.text);
    IO_Step.mouseX = IO_Step.deviceX[0] = IO_RawMouseX;
    IO_Step.mouseY = IO_Step.deviceY[0] = IO_RawMouseY;
    std::memcpy(IO_Step.keyDown, IO_RawKeyDown, sizeof IO_Step.keyDown);
    IO_Step.currentKey = IO_RawCurrentKey;
    IO_Step.lastKey = IO_RawLastKey;
    for (int32_t key = 0; key < IO_KEY_COUNT; ++key) {
        if (IO_RawKeyPressed[key] != 0) IO_Step.keyPressed[key] = 1;
        if (IO_RawKeyReleased[key] != 0) IO_Step.keyReleased[key] = 1;
    }
    IO_Step.currentButton[0] = IO_RawCurrentButton;
    IO_Step.lastButton[0] = IO_RawLastButton;
    std::memcpy(IO_Step.buttonDown, IO_RawButtonDown, sizeof IO_RawButtonDown);
    IO_Step.wheelUp[0] = IO_RawWheelUp;
    IO_Step.wheelDown[0] = IO_RawWheelDown;
    for (int32_t b = 0; b < IO_MOUSE_BUTTONS; ++b) {
        if (IO_RawButtonPressed[b] != 0) IO_Step.buttonPressed[b] = 1;
        if (IO_RawButtonReleased[b] != 0) IO_Step.buttonReleased[b] = 1;
    }
    std::memset(IO_RawKeyPressed, 0, sizeof IO_RawKeyPressed);
    std::memset(IO_RawKeyReleased, 0, sizeof IO_RawKeyReleased);
    std::memset(IO_RawButtonPressed, 0, sizeof IO_RawButtonPressed);
    std::memset(IO_RawButtonReleased, 0, sizeof IO_RawButtonReleased);
    IO_RawWheelUp = 0;
    IO_RawWheelDown = 0;
}

} // namespace

void IO_Init()
{
    IO_Touch_Clear();
    IO_Clear();
    IO_Key_ResetMap();
    IO_LiveKey_SetNumLock(IO_Inject_SystemNumLock());
    IO_Record_Open();
    IO_VirtualKey_MakeTable();
}

void IO_StartStep()
{
    ClearEdges();
    if (IO_Record_IsPlayback()) {
        IO_Record_ReadFrame();
    } else {
        WindowInputTransfer();
        IO_Gamepad_Poll();
        IO_VirtualKey_Step();
    }
    if (IO_Record_IsRecording()) IO_Record_WriteFrame();
}

void IO_Clear()
{
    std::memset(IO_Step.text, 0, sizeof IO_Step.text);
    std::memcpy(IO_RawText, IO_Step.text, sizeof IO_RawText);
    IO_TextLength = 0;
    IO_Step.currentKey = IO_Step.lastKey = IO_RawCurrentKey = IO_RawLastKey = 0;
    IO_Step.lastChar = IO_RawLastChar = 0;
    for (uint8_t* keys : {IO_Step.keyDown, IO_Step.keyPressed, IO_Step.keyReleased, IO_RawKeyDown, IO_RawKeyPressed,
                          IO_RawKeyReleased})
        std::memset(keys, 0, IO_KEY_COUNT);
    IO_Step.currentButton[0] = IO_Step.lastButton[0] = IO_RawCurrentButton = IO_RawLastButton = 0;
    IO_Step.wheelUp[0] = IO_Step.wheelDown[0] = IO_RawWheelUp = IO_RawWheelDown = 0;
    for (uint8_t* buttons : {IO_Step.buttonDown, IO_Step.buttonPressed,
                             IO_Step.buttonReleased, IO_RawButtonDown, IO_RawButtonPressed,
                             IO_RawButtonReleased})
        std::memset(buttons, 0, IO_MOUSE_BUTTONS);
}

void IO_Shutdown()
{
    IO_Gamepad_Shutdown();
    IO_Record_Close();
    IO_VirtualKey_FreeTable();
}
