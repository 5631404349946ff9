// The keyboard half of the input state: key and character messages into the raw state, the step
// queries and setters, the typed text, the key map and the live keys.
#include <cstring>

#include "base/Base_Utf8.h"
#include "io/IO_Main.h"

uint8_t IO_RawKeyDown[IO_KEY_COUNT];
uint8_t IO_RawKeyPressed[IO_KEY_COUNT];
uint8_t IO_RawKeyReleased[IO_KEY_COUNT];
int32_t IO_RawCurrentKey = 0;
int32_t IO_RawLastKey = 0;
uint8_t IO_RawLastChar = 0;
uint16_t IO_RawText[IO_TEXT_SLOTS];
int32_t IO_TextLength = 0;
int32_t IO_KeyMap[IO_KEY_COUNT];

namespace {

constexpr int32_t TEXT_LIMIT = IO_TEXT_SLOTS - 1;
constexpr int32_t TEXT_RESTART_AT = 1023;
constexpr uint16_t BACKSPACE = 8;
constexpr int32_t NUM_LOCK = 144;

// Live keys: down now, and went down since the last query of that key.
uint8_t g_LiveDown[IO_KEY_COUNT];
uint8_t g_LivePressed[IO_KEY_COUNT];
bool g_NumLockToggled = false;

// The key map is the identity from program start, before start-up reaches the input module.
struct IdentityMap {
    IdentityMap() { IO_Key_ResetMap(); }
} g_IdentityAtStart;

// Room for the typed text in UTF-8: three bytes per character and the terminator.
char g_TextUtf8[TEXT_LIMIT * 3 + 1];

bool IsKey(int32_t key)
{
    return key >= 0 && key < IO_KEY_COUNT;
}

// The code a message's key stands for, or -1 when the map sends it beyond 255.
int32_t MappedKey(int32_t key)
{
    if (!IsKey(key)) return -1;
    int32_t mapped = IO_KeyMap[key];
    return IsKey(mapped) ? mapped : -1;
}

void LiveKeyDown(int32_t key, bool repeat)
{
    if (!IsKey(key)) return;
    g_LiveDown[key] = 1;
    g_LivePressed[key] = 1;
    if (key == NUM_LOCK && !repeat) g_NumLockToggled = !g_NumLockToggled;
}

} // namespace

void IO_OnKeyDown(int32_t key, int32_t /*modifiers*/, bool repeat)
{
    LiveKeyDown(key, repeat);
    int32_t code = MappedKey(key);
    if (code < 0) return;
    IO_RawLastKey = code;
    IO_RawCurrentKey = code;
    if (IO_RawKeyDown[code] == 0 && !repeat) IO_RawKeyPressed[code] = 1;
    IO_RawKeyDown[code] = 1;
}

void IO_OnKeyUp(int32_t key, int32_t /*modifiers*/)
{
    if (IsKey(key)) g_LiveDown[key] = 0;
    int32_t code = MappedKey(key);
    if (code < 0) return;
    if (IO_RawCurrentKey == code) IO_RawCurrentKey = 0;
    IO_RawKeyDown[code] = 0;
    IO_RawKeyPressed[code] = 0;
    IO_RawKeyReleased[code] = 1;
}

void IO_ReleaseKeysNotHeld(const uint8_t held[IO_KEY_COUNT])
{
    for (int32_t key = 0; key < IO_KEY_COUNT; ++key)
        if (g_LiveDown[key] != 0 && held[key] == 0) IO_OnKeyUp(key, 0);
}

void IO_OnChar(uint16_t character)
{
    IO_RawLastChar = static_cast<uint8_t>(character & 0xFF);
    if (IO_TextLength >= TEXT_RESTART_AT) {
        // A full text starts again from its last character.
        IO_RawText[0] = IO_RawText[IO_TextLength - 1];
        IO_TextLength = 1;
    }
    if (character == BACKSPACE && IO_TextLength > 0) {
        IO_RawText[--IO_TextLength] = 0;
        return;
    }
    if (character < 32) {
        IO_RawText[IO_TextLength] = 0;
        return;
    }
    IO_RawText[IO_TextLength++] = character;
    IO_RawText[IO_TextLength] = 0;
}

bool IO_Key_Down(int32_t key)
{
    return IsKey(key) && IO_Step.keyDown[key] != 0;
}

bool IO_Key_Pressed(int32_t key)
{
    return IsKey(key) && IO_Step.keyPressed[key] != 0;
}

bool IO_Key_Released(int32_t key)
{
    return IsKey(key) && IO_Step.keyReleased[key] != 0;
}

void IO_Key_Clear(int32_t key)
{
    if (!IsKey(key)) return;
    IO_Step.keyDown[key] = IO_Step.keyPressed[key] = IO_Step.keyReleased[key] = 0;
    IO_RawKeyDown[key] = IO_RawKeyPressed[key] = IO_RawKeyReleased[key] = 0;
}

int32_t IO_GetCurrentKey()
{
    return IO_Step.currentKey;
}

void IO_SetCurrentKey(int32_t key)
{
    if (IsKey(key)) IO_Step.currentKey = key;
}

int32_t IO_GetLastKey()
{
    return IO_Step.lastKey;
}

void IO_SetLastKey(int32_t key)
{
    if (!IsKey(key)) return;
    IO_Step.lastKey = key;
    IO_RawLastKey = 0;
    IO_RawCurrentKey = 0;
}

uint16_t IO_GetLastChar()
{
    return IO_Step.lastChar;
}

void IO_SetLastChar(uint16_t character)
{
    IO_Step.lastChar = character & 0xFF;
}

const char* IO_GetKeyboardString()
{
    char* at = g_TextUtf8;
    for (int32_t i = 0; i < TEXT_LIMIT && IO_Step.text[i] != 0; ++i)
        UTF8_AddChar(&at, IO_Step.text[i]);
    *at = '\0';
    return g_TextUtf8;
}

void IO_SetKeyboardString(const char* text)
{
    int32_t length = 0;
    if (text != nullptr) {
        while (length < TEXT_LIMIT) {
            uint16_t character = UTF8_ExtractChar(&text);
            if (character == 0) break;
            IO_Step.text[length++] = character;
        }
    }
    IO_Step.text[length] = 0;
    IO_TextLength = length;
    std::memcpy(IO_RawText, IO_Step.text, sizeof IO_RawText);
}

int32_t IO_Key_Map(int32_t key)
{
    return IsKey(key) ? IO_KeyMap[key] : key;
}

void IO_Key_SetMap(int32_t key, int32_t to)
{
    if (IsKey(key)) IO_KeyMap[key] = to;
}

void IO_Key_ResetMap()
{
    for (int32_t key = 0; key < IO_KEY_COUNT; ++key)
        IO_KeyMap[key] = key;
}

bool IO_LiveKey_Check(int32_t key)
{
    if (!IsKey(key)) return false;
    bool on = g_LiveDown[key] != 0 || g_LivePressed[key] != 0;
    g_LivePressed[key] = 0;
    return on;
}

bool IO_LiveKey_NumLock()
{
    return g_NumLockToggled && g_LiveDown[NUM_LOCK] == 0;
}

bool IO_LiveKey_NumLockToggled()
{
    return g_NumLockToggled;
}

void IO_LiveKey_SetNumLock(bool on)
{
    g_NumLockToggled = on;
}
