// The mouse half of the input state: button and wheel messages into the raw state of device 0, and
// the step queries and setters of devices 0 to 4.
#include <initializer_list>

#include "io/IO_Main.h"

uint8_t IO_RawButtonDown[IO_MOUSE_BUTTONS];
uint8_t IO_RawButtonPressed[IO_MOUSE_BUTTONS];
uint8_t IO_RawButtonReleased[IO_MOUSE_BUTTONS];
int32_t IO_RawCurrentButton = 0;
int32_t IO_RawLastButton = 0;
uint8_t IO_RawWheelUp = 0;
uint8_t IO_RawWheelDown = 0;
int32_t IO_RawMouseX = 0;
int32_t IO_RawMouseY = 0;

namespace {

bool IsButton(int32_t button)
{
    return button >= 1 && button <= IO_MOUSE_BUTTONS;
}

bool IsDevice(int32_t device)
{
    return device >= 0 && device < IO_MOUSE_DEVICES;
}

// The step flag of a button of a device, or null when either is out of range.
uint8_t* StepFlag(uint8_t* flags, int32_t button, int32_t device)
{
    if (!IsButton(button) || !IsDevice(device)) return nullptr;
    return &flags[device * IO_MOUSE_BUTTONS + button - 1];
}

bool StepTest(uint8_t* flags, int32_t button, int32_t device)
{
    const uint8_t* flag = StepFlag(flags, button, device);
    return flag != nullptr && *flag != 0;
}

} // namespace

void IO_OnMouseDown(int32_t button, int32_t /*x*/, int32_t /*y*/)
{
    if (!IsButton(button)) return;
    IO_RawLastButton = button;
    IO_RawCurrentButton = button;
    if (IO_RawButtonDown[button - 1] == 0) IO_RawButtonPressed[button - 1] = 1;
    IO_RawButtonDown[button - 1] = 1;
}

void IO_OnMouseUp(int32_t button, int32_t /*x*/, int32_t /*y*/)
{
    if (!IsButton(button)) return;
    // Whichever button was current: releasing one of two held buttons leaves none current.
    IO_RawCurrentButton = 0;
    IO_RawButtonDown[button - 1] = 0;
    IO_RawButtonPressed[button - 1] = 0;
    IO_RawButtonReleased[button - 1] = 1;
}

void IO_ReleaseButtonsNotHeld(const uint8_t held[IO_MOUSE_BUTTONS])
{
    for (int32_t button = 1; button <= IO_MOUSE_BUTTONS; ++button)
        if (IO_RawButtonDown[button - 1] != 0 && held[button - 1] == 0) IO_OnMouseUp(button, IO_RawMouseX, IO_RawMouseY);
}

void IO_OnWheelUp(int32_t /*modifiers*/, int32_t /*x*/, int32_t /*y*/, uint8_t* handled)
{
    IO_RawWheelUp = 1;
    if (handled != nullptr) *handled = 1;
}

void IO_OnWheelDown(int32_t /*modifiers*/, int32_t /*x*/, int32_t /*y*/, uint8_t* handled)
{
    IO_RawWheelDown = 1;
    if (handled != nullptr) *handled = 1;
}

bool IO_Button_Down(int32_t button, int32_t device)
{
    return StepTest(IO_Step.buttonDown, button, device);
}

bool IO_Button_Pressed(int32_t button, int32_t device)
{
    return StepTest(IO_Step.buttonPressed, button, device);
}

bool IO_Button_Released(int32_t button, int32_t device)
{
    return StepTest(IO_Step.buttonReleased, button, device);
}

void IO_Button_Clear(int32_t button, int32_t device)
{
    for (uint8_t* flags : {IO_Step.buttonDown, IO_Step.buttonPressed, IO_Step.buttonReleased})
        if (uint8_t* flag = StepFlag(flags, button, device)) *flag = 0;
    if (device != 0 || !IsButton(button)) return;
    IO_RawButtonDown[button - 1] = IO_RawButtonPressed[button - 1] = IO_RawButtonReleased[button - 1] = 0;
}

int32_t IO_GetCurrentButton(int32_t device)
{
    return IsDevice(device) ? IO_Step.currentButton[device] : 0;
}

void IO_SetCurrentButton(int32_t button, int32_t device)
{
    if (IsButton(button) && IsDevice(device)) IO_Step.currentButton[device] = button;
}

int32_t IO_GetLastButton(int32_t device)
{
    return IsDevice(device) ? IO_Step.lastButton[device] : 0;
}

void IO_SetLastButton(int32_t button, int32_t device)
{
    if (IsButton(button) && IsDevice(device)) IO_Step.lastButton[device] = button;
}

bool IO_Wheel_Up(int32_t device)
{
    return IsDevice(device) && IO_Step.wheelUp[device] != 0;
}

bool IO_Wheel_Down(int32_t device)
{
    return IsDevice(device) && IO_Step.wheelDown[device] != 0;
}

int32_t IO_MouseX(int32_t device)
{
    return IsDevice(device) ? IO_Step.deviceX[device] : 0;
}

int32_t IO_MouseY(int32_t device)
{
    return IsDevice(device) ? IO_Step.deviceY[device] : 0;
}
