// The keyboard and mouse state, kept twice: the raw state that the window procedure writes between
// frames, and the step state that the frame, the event stages and the scripts read. IO_StartStep
// turns the one into the other once per frame (then gamepads and virtual keys add to it), or reads
// the step state from a playback file instead; pressed and released therefore mean "since the
// previous frame's update".
//
// Key codes are 0 to 255, mouse buttons 1 left, 2 right, 3 middle, mouse devices 0 to 4. Codes,
// buttons and devices are unsigned: a negative one is out of range, which reads 0 and changes
// nothing.
#pragma once

#include <cstdint>

constexpr int32_t IO_KEY_COUNT = 256;
constexpr int32_t IO_MOUSE_DEVICES = 5;
constexpr int32_t IO_MOUSE_BUTTONS = 3;
constexpr int32_t IO_TEXT_SLOTS = 1025; // 1024 characters and a terminating 0

// ---- raw state (written by the window procedure; the mouse of device 0 only) -----------------------

extern uint8_t IO_RawKeyDown[IO_KEY_COUNT];
extern uint8_t IO_RawKeyPressed[IO_KEY_COUNT];
extern uint8_t IO_RawKeyReleased[IO_KEY_COUNT];
extern int32_t IO_RawCurrentKey;
extern int32_t IO_RawLastKey;
extern uint8_t IO_RawLastChar;
extern uint16_t IO_RawText[IO_TEXT_SLOTS];
// Raw buttons 1 to 3 at indices 0 to 2.
extern uint8_t IO_RawButtonDown[IO_MOUSE_BUTTONS];
extern uint8_t IO_RawButtonPressed[IO_MOUSE_BUTTONS];
extern uint8_t IO_RawButtonReleased[IO_MOUSE_BUTTONS];
extern int32_t IO_RawCurrentButton;
extern int32_t IO_RawLastButton;
extern uint8_t IO_RawWheelUp;
extern uint8_t IO_RawWheelDown;
extern int32_t IO_RawMouseX; // client pixels, from every mouse move
extern int32_t IO_RawMouseY;

// ---- step state (what the frame reads) -------------------------------------------------------------

struct IOStepState {
    uint16_t lastChar;             // an 8-bit value
    uint16_t text[IO_TEXT_SLOTS];  // the typed text, 0 at index IO_TextLength
    int32_t lastKey;
    int32_t currentKey;
    uint8_t keyDown[IO_KEY_COUNT];
    uint8_t keyReleased[IO_KEY_COUNT];
    uint8_t keyPressed[IO_KEY_COUNT];
    int32_t lastButton[IO_MOUSE_DEVICES];
    int32_t currentButton[IO_MOUSE_DEVICES];
    // Device-major: device d, button b (1 to 3) at 3 * d + b - 1.
    uint8_t buttonDown[IO_MOUSE_DEVICES * IO_MOUSE_BUTTONS];
    uint8_t buttonReleased[IO_MOUSE_DEVICES * IO_MOUSE_BUTTONS];
    uint8_t buttonPressed[IO_MOUSE_DEVICES * IO_MOUSE_BUTTONS];
    uint8_t wheelUp[IO_MOUSE_DEVICES];
    uint8_t wheelDown[IO_MOUSE_DEVICES];
    int32_t cursorX; // the screen cursor, as the system reports it
    int32_t cursorY;
    int32_t mouseX; // the window pair, client pixels
    int32_t mouseY;
    int32_t deviceX[IO_MOUSE_DEVICES]; // window positions per device (device 0 follows the window pair)
    int32_t deviceY[IO_MOUSE_DEVICES];
};
extern IOStepState IO_Step;
// The typed text's length, shared by the step and the raw text.
extern int32_t IO_TextLength;
// Key map: entry k is the code that key code k stands for (identity at start).
extern int32_t IO_KeyMap[IO_KEY_COUNT];
// Set at program start: the first update first makes the raw state equal to the step state.
extern uint8_t IO_FirstUpdate;

// ---- window-message entry points -------------------------------------------------------------------

// Modifier bits (1 shift, 2 alt, 4 ctrl) are passed on and not used; repeat is set for a key that was
// already down before this message.
void IO_OnKeyDown(int32_t key, int32_t modifiers, bool repeat);
void IO_OnKeyUp(int32_t key, int32_t modifiers);
void IO_OnChar(uint16_t character);
void IO_OnMouseDown(int32_t button, int32_t x, int32_t y);
void IO_OnMouseUp(int32_t button, int32_t x, int32_t y);
// The handled byte is set to 1 (the window procedure then reports the wheel message as processed).
void IO_OnWheelUp(int32_t modifiers, int32_t x, int32_t y, uint8_t* handled);
void IO_OnWheelDown(int32_t modifiers, int32_t x, int32_t y, uint8_t* handled);

// ---- frame and program -------------------------------------------------------------------------------

// Start-up step "IO Init": touch points cleared, state cleared, identity key map, the recording or
// playback file opened, the virtual-key table made.
void IO_Init();
// The frame's input update.
void IO_StartStep();
// Empties the keyboard and device-0 mouse state, step and raw (devices 1 to 4 keep theirs).
void IO_Clear();
// After another window had the keyboard and mouse (a box), what is held here is brought in line with
// what is really held: a key (by its code before the key map) or a device-0 button held here but not
// in `held` is let go as its release would have, so that its next press is a press; whatever is still
// held stays held, and nothing is pressed.
void IO_ReleaseKeysNotHeld(const uint8_t held[IO_KEY_COUNT]);
void IO_ReleaseButtonsNotHeld(const uint8_t held[IO_MOUSE_BUTTONS]);
// Releases the gamepads, closes the recording or playback file and empties the virtual-key table.
void IO_Shutdown();

// ---- queries and setters -------------------------------------------------------------------------------

bool IO_Key_Down(int32_t key);
bool IO_Key_Pressed(int32_t key);
bool IO_Key_Released(int32_t key);
// Step and raw held, pressed and released flags of the key = 0.
void IO_Key_Clear(int32_t key);
int32_t IO_GetCurrentKey();
// Writes the step value only: the next update takes the raw current key again.
void IO_SetCurrentKey(int32_t key);
int32_t IO_GetLastKey();
// Writes the step value and sets the raw last and current key to 0.
void IO_SetLastKey(int32_t key);
uint16_t IO_GetLastChar();
// Keeps the character's low 8 bits.
void IO_SetLastChar(uint16_t character);
// The typed text as UTF-8, valid until the next call.
const char* IO_GetKeyboardString();
// At most 1024 characters (the rest dropped); null empties the text; the raw text follows.
void IO_SetKeyboardString(const char* text);

bool IO_Button_Down(int32_t button, int32_t device);
bool IO_Button_Pressed(int32_t button, int32_t device);
bool IO_Button_Released(int32_t button, int32_t device);
// Step flags of the button = 0; for device 0 also the raw ones.
void IO_Button_Clear(int32_t button, int32_t device);
int32_t IO_GetCurrentButton(int32_t device);
void IO_SetCurrentButton(int32_t button, int32_t device);
int32_t IO_GetLastButton(int32_t device);
void IO_SetLastButton(int32_t button, int32_t device);
bool IO_Wheel_Up(int32_t device);
bool IO_Wheel_Down(int32_t device);
// The step's window mouse position of a device (0 outside 0 to 4); device 0 follows the window pair.
int32_t IO_MouseX(int32_t device);
int32_t IO_MouseY(int32_t device);

// The key map: a code above 255 reads as itself and is not set.
int32_t IO_Key_Map(int32_t key);
void IO_Key_SetMap(int32_t key, int32_t to);
void IO_Key_ResetMap();

// ---- live keys (the state the window procedure keeps before the key map) ----------------------------

// 1 when the key is down now or went down since the last query of it (which this query ends).
bool IO_LiveKey_Check(int32_t key);
// Num lock toggled on and not held.
bool IO_LiveKey_NumLock();
bool IO_LiveKey_NumLockToggled();
// Sets the toggle as the system reports it (start-up, tests).
void IO_LiveKey_SetNumLock(bool on);
