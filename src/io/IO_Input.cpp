// The raw input state the window procedure writes, and the frame's state taken from it. Only mouse
// device 0 has buttons.
#include "io/IO_Input.h"

#include <cstring>
#include <string>

uint8_t IO_RawKeyDown[IO_KEY_COUNT];
uint8_t IO_RawKeyPressed[IO_KEY_COUNT];
uint8_t IO_RawKeyReleased[IO_KEY_COUNT];
int32_t IO_RawCurrentKey = 0;
int32_t IO_RawLastKey = 0;
uint8_t IO_RawLastChar = 0;

uint8_t IO_RawButtonDown[3];
uint8_t IO_RawButtonPressed[3];
uint8_t IO_RawButtonReleased[3];
int32_t IO_RawCurrentButton = 0;
int32_t IO_RawLastButton = 0;
uint8_t IO_RawWheelUp = 0;
uint8_t IO_RawWheelDown = 0;
int32_t IO_RawMouseX = 0;
int32_t IO_RawMouseY = 0;

namespace {

bool IsKey(int32_t key)
{
    return key >= 0 && key < IO_KEY_COUNT;
}

bool IsButton(int32_t button)
{
    return button >= 1 && button <= 3;
}

} // namespace

// A repeat is no new press.
void IO_OnKeyDown(int32_t key, int32_t /*modifiers*/, bool repeat)
{
    if (!IsKey(key)) return;
    IO_RawLastKey = key;
    IO_RawCurrentKey = key;
    if (IO_RawKeyDown[key] == 0 && !repeat) IO_RawKeyPressed[key] = 1;
    IO_RawKeyDown[key] = 1;
}

void IO_OnKeyUp(int32_t key, int32_t /*modifiers*/)
{
    if (!IsKey(key)) return;
    if (IO_RawCurrentKey == key) IO_RawCurrentKey = 0;
    IO_RawKeyDown[key] = 0;
    IO_RawKeyPressed[key] = 0;
    IO_RawKeyReleased[key] = 1;
}

// Only the last character is kept, as its low 8 bits.
void IO_OnChar(uint16_t character)
{
    IO_RawLastChar = static_cast<uint8_t>(character & 0xFF);
}

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
    IO_RawCurrentButton = 0;
    IO_RawButtonDown[button - 1] = 0;
    IO_RawButtonPressed[button - 1] = 0;
    IO_RawButtonReleased[button - 1] = 1;
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

// Starts from a clear state.
void IO_Init()
{
    IO_Clear();
}

// Empties the raw state.
void IO_Clear()
{
    std::memset(IO_RawKeyDown, 0, sizeof IO_RawKeyDown);
    std::memset(IO_RawKeyPressed, 0, sizeof IO_RawKeyPressed);
    std::memset(IO_RawKeyReleased, 0, sizeof IO_RawKeyReleased);
    IO_RawCurrentKey = 0;
    IO_RawLastKey = 0;
    IO_RawLastChar = 0;
    std::memset(IO_RawButtonDown, 0, sizeof IO_RawButtonDown);
    std::memset(IO_RawButtonPressed, 0, sizeof IO_RawButtonPressed);
    std::memset(IO_RawButtonReleased, 0, sizeof IO_RawButtonReleased);
    IO_RawCurrentButton = 0;
    IO_RawLastButton = 0;
    IO_RawWheelUp = 0;
    IO_RawWheelDown = 0;
}

namespace {

// The frame's input, taken from the raw state at the start of each frame.
uint8_t g_StepKeyDown[IO_KEY_COUNT];
uint8_t g_StepKeyPressed[IO_KEY_COUNT];
uint8_t g_StepKeyReleased[IO_KEY_COUNT];
uint8_t g_StepButtonDown[3];
uint8_t g_StepButtonPressed[3];
uint8_t g_StepButtonReleased[3];
uint8_t g_StepWheelUp = 0;
uint8_t g_StepWheelDown = 0;

bool StepButton(const uint8_t* states, int32_t button, int32_t device)
{
    return device == 0 && IsButton(button) && states[button - 1] != 0;
}

} // namespace

// The raw state becomes the frame's state, then the raw edges are consumed.
void IO_StartStep()
{
    std::memcpy(g_StepKeyDown, IO_RawKeyDown, sizeof g_StepKeyDown);
    std::memcpy(g_StepKeyPressed, IO_RawKeyPressed, sizeof g_StepKeyPressed);
    std::memcpy(g_StepKeyReleased, IO_RawKeyReleased, sizeof g_StepKeyReleased);
    std::memcpy(g_StepButtonDown, IO_RawButtonDown, sizeof g_StepButtonDown);
    std::memcpy(g_StepButtonPressed, IO_RawButtonPressed, sizeof g_StepButtonPressed);
    std::memcpy(g_StepButtonReleased, IO_RawButtonReleased, sizeof g_StepButtonReleased);
    g_StepWheelUp = IO_RawWheelUp;
    g_StepWheelDown = IO_RawWheelDown;
    std::memset(IO_RawKeyPressed, 0, sizeof IO_RawKeyPressed);
    std::memset(IO_RawKeyReleased, 0, sizeof IO_RawKeyReleased);
    std::memset(IO_RawButtonPressed, 0, sizeof IO_RawButtonPressed);
    std::memset(IO_RawButtonReleased, 0, sizeof IO_RawButtonReleased);
    IO_RawWheelUp = 0;
    IO_RawWheelDown = 0;
}

// The frame's state as IO_StartStep took it.
bool IO_Key_Down(int32_t key) { return IsKey(key) && g_StepKeyDown[key] != 0; }
bool IO_Key_Pressed(int32_t key) { return IsKey(key) && g_StepKeyPressed[key] != 0; }
bool IO_Key_Released(int32_t key) { return IsKey(key) && g_StepKeyReleased[key] != 0; }
bool IO_Button_Down(int32_t button, int32_t device) { return StepButton(g_StepButtonDown, button, device); }
bool IO_Button_Pressed(int32_t button, int32_t device) { return StepButton(g_StepButtonPressed, button, device); }
bool IO_Button_Released(int32_t button, int32_t device) { return StepButton(g_StepButtonReleased, button, device); }
bool IO_Wheel_Up(int32_t device) { return device == 0 && g_StepWheelUp != 0; }
bool IO_Wheel_Down(int32_t device) { return device == 0 && g_StepWheelDown != 0; }

// Nothing was opened.
void IO_Shutdown() {}

namespace {

constexpr int32_t KEYBOARD_STRING_LIMIT = 1024;
constexpr int32_t MOUSE_DEVICE_LIMIT = 4;

std::string g_KeyboardString;

bool IsDevice(int32_t device)
{
    return device >= 0 && device <= MOUSE_DEVICE_LIMIT;
}

} // namespace

// Scripts read and change the raw state.
int32_t IO_GetCurrentKey()
{
    return IO_RawCurrentKey;
}

void IO_SetCurrentKey(int32_t key)
{
    if (IsKey(key)) IO_RawCurrentKey = key;
}

int32_t IO_GetLastKey()
{
    return IO_RawLastKey;
}

// A key set this way is no longer held.
void IO_SetLastKey(int32_t key)
{
    if (!IsKey(key)) return;
    IO_RawLastKey = key;
    IO_RawCurrentKey = 0;
}

uint16_t IO_GetLastChar()
{
    return IO_RawLastChar;
}

void IO_SetLastChar(uint16_t character)
{
    IO_RawLastChar = static_cast<uint8_t>(character & 0xFF);
}

// Only device 0 has buttons.
int32_t IO_GetCurrentButton(int32_t device)
{
    return device == 0 ? IO_RawCurrentButton : 0;
}

void IO_SetCurrentButton(int32_t button, int32_t device)
{
    if (IsButton(button) && IsDevice(device) && device == 0) IO_RawCurrentButton = button;
}

int32_t IO_GetLastButton(int32_t device)
{
    return device == 0 ? IO_RawLastButton : 0;
}

void IO_SetLastButton(int32_t button, int32_t device)
{
    if (IsButton(button) && IsDevice(device) && device == 0) IO_RawLastButton = button;
}

// The text scripts set; typed characters are not appended to it yet.
const char* IO_GetKeyboardString()
{
    return g_KeyboardString.c_str();
}

// Keeps the first 1024 UTF-8 characters.
void IO_SetKeyboardString(const char* text)
{
    g_KeyboardString.clear();
    if (text == nullptr) return;
    int32_t characters = 0;
    for (const char* at = text; *at != '\0'; ++at) {
        bool starts = (static_cast<uint8_t>(*at) & 0xC0) != 0x80;
        if (starts && ++characters > KEYBOARD_STRING_LIMIT) break;
        g_KeyboardString.push_back(*at);
    }
}
