// Virtual keys: on-screen rectangles (in GUI coordinates) that act as a key or a mouse button of
// device 0 while a touch point lies inside them. They come from "options.ini" or the virtual_key_
// built-ins, are saved with a running game and, when visible, drawn over the frame.
#pragma once

#include <cstdint>

class IBuffer;
class IniFile;

constexpr int32_t IO_VIRTUAL_KEY_COUNT = 128;
constexpr int32_t IO_TOUCH_POINTS = 128;
constexpr uint16_t IO_VIRTUAL_KEY_IN_USE = 1;
constexpr uint16_t IO_VIRTUAL_KEY_VISIBLE = 2;
constexpr int32_t IO_VIRTUAL_KEY_VERSION = 851;

struct IOVirtualKey {
    uint16_t flags;
    uint16_t index; // the entry's own index
    int32_t x, y;
    int32_t right, bottom; // x + width, y + height: the rectangle excludes these edges
    int32_t width, height;
    int32_t u, v; // kept and saved, not drawn with
    int32_t key;    // the key code driven, 0 for none
    int32_t button; // the mouse button (1 to 3) driven when key is 0
};

// A touch point: the first word's top bit marks it active; then x and y in window pixels. Nothing on
// this platform fills the table.
struct IOTouchPoint {
    uint32_t state;
    int32_t x, y;
    int32_t unused[2];
};
constexpr uint32_t IO_TOUCH_ACTIVE = 0x80000000u;
extern IOTouchPoint IO_TouchPoints[IO_TOUCH_POINTS];
void IO_Touch_Clear();

// The entry of an index (0 to 127), or null.
IOVirtualKey* IO_VirtualKey_Get(int32_t index);
// The first entry not in use, or null.
IOVirtualKey* IO_VirtualKey_FindFree();
// Clears the flags of an entry (0 to 127; others ignored).
void IO_VirtualKey_Delete(int32_t index);
// Clears the flags of every entry (a room ends).
void IO_VirtualKey_DeleteAll();
// The TEXTURE value of the configuration, or null.
const char* IO_VirtualKey_TextureName();

// Fills free entries from the IO_VIRTUAL_BUTTONS section and its IO_BUTTON_<n> sections.
void IO_VirtualKey_LoadConfig(IniFile* ini);
// The table through the buffer's typed writes; load answers false for another version or a count
// outside 0 to 128 (the table keeps what was read until then).
void IO_VirtualKey_Save(IBuffer* buffer);
bool IO_VirtualKey_Load(IBuffer* buffer);

// Draws the visible entries as white rectangles over the frame.
void IO_VirtualKey_DrawAll();
// The frame's virtual-key step: touch points against the entries, into the step state.
void IO_VirtualKey_Step();
// Start-up and shut-down of the table (entries indexed, configuration kept; then emptied).
void IO_VirtualKey_MakeTable();
void IO_VirtualKey_FreeTable();
// The mask of the entries touched at the last step (bit i for entry i).
uint32_t IO_VirtualKey_Mask();
