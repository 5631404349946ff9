// The game's handle on its main window: caption, full-screen and size requests, the cursor shape,
// the window colour, and the conversion of points between the window and the room through the view
// mappings that the room drawing registers every frame.
#pragma once

#include <cstdint>

constexpr int32_t WINDOW_VIEW_SLOTS = 32;
// The mouse devices whose window position converts to the room.
constexpr int32_t WINDOW_MOUSE_DEVICES = 6;

// Cursor constants that start-up and the end of the game pass.
enum : int32_t {
    CURSOR_CONSTANT_DEFAULT = 0,
    CURSOR_CONSTANT_NONE = -1,
};

// One view mapping: the room rectangle shown in the port rectangle of the window.
struct WindowViewSlot {
    bool inUse = false;
    float roomX = 0.0f;
    float roomY = 0.0f;
    float roomWidth = 0.0f;
    float roomHeight = 0.0f;
    float portX = 0.0f;
    float portY = 0.0f;
    float portWidth = 0.0f;
    float portHeight = 0.0f;
    float angle = 0.0f; // degrees
};

// What a conversion from the window reads: the game size, the client area, the letterbox borders
// and the display scale the room drawing keeps.
struct WindowMetrics {
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    // What the whole window shows where no view maps it: a room without views is drawn squeezed
    // into a window cut to the screen. 0: the window's own size.
    int32_t shownWidth = 0;
    int32_t shownHeight = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t borderX = 0;
    int32_t borderY = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
};

// The requests the window code applies at its next update.
struct WindowRequests {
    bool update = false;
    bool size = false;
    int32_t width = 0;
    int32_t height = 0;
};
extern WindowRequests g_WindowRequests;

// Back to the start values: no caption, windowed, no view slot in use, scales 1 (start-up; tests).
void GR_Window_Init();

int32_t GR_Window_GetWidth();
int32_t GR_Window_GetHeight();
// The size the game draws at (the device keeps it with the screen texture).
void GR_Window_SetWindowSize(int32_t width, int32_t height);

void GR_Window_SetFullscreen(bool on);
bool GR_Window_GetFullscreen();
// Null or "" keeps ""; the window is titled with it.
void GR_Window_SetCaption(const char* text);
const char* GR_Window_GetCaption();

void GR_Window_Center();
void GR_Window_SetPosition(int32_t x, int32_t y);
void GR_Window_SetSize(int32_t width, int32_t height);
void GR_Window_SetRectangle(int32_t x, int32_t y, int32_t width, int32_t height);
int32_t GR_Window_GetX();
int32_t GR_Window_GetY();
int32_t GR_Window_GetClientWidth();
int32_t GR_Window_GetClientHeight();

int32_t GR_Window_MouseGetX();
int32_t GR_Window_MouseGetY();
// Only while the window has the focus.
void GR_Window_MouseSet(int32_t x, int32_t y);

// 24-bit, red in the low byte; kept with alpha 255.
void GR_Window_SetColour(uint32_t colour);
uint32_t GR_Window_GetColour();

void GR_Window_SetCursor(int32_t constant);
int32_t GR_Window_GetCursor();
// The window cursor table's index for a constant (-1 none), or -2 when the constant names none.
int32_t GR_Window_CursorIndexFor(int32_t constant);

void GR_Window_SetViewMapping(int32_t slot, float portX, float portY, float portWidth, float portHeight,
                              float roomX, float roomY, float roomWidth, float roomHeight, float angle);
void GR_Window_ClearViewMapping(int32_t slot);
void GR_Window_ResetViewMappings();
int32_t GR_Window_ViewSlotsInUse();
const WindowViewSlot* GR_Window_GetViewSlot(int32_t slot);

// The port scale of the room drawing (window size over the extent of the visible ports).
void GR_Window_SetDisplayScale(double sx, double sy);
// The size of what the room drawing shows over the whole window where no view maps it (0, 0: the
// window's own size).
void GR_Window_SetShownSize(int32_t width, int32_t height);

// What registers the current room's mappings afresh (view slots, display scale, shown size); null:
// the mappings the room drawing registered last stand. A room that became current sets it until its
// first drawing, so that its create and room start events, and all of a game that never draws, read
// the window by that room and not by the one drawn last. The source registers at the first read
// after it is set and again only after GR_Window_MappingChanged or a change of the window's size.
using WindowMappingSource = void (*)();
void GR_Window_SetMappingSource(WindowMappingSource source);
// What the source registers from changed (a view or view setting of the current room).
void GR_Window_MappingChanged();

// The metrics of the running window and device, the mappings first registered by the source when
// one is set and something it registers from has changed.
WindowMetrics GR_Window_CurrentMetrics();
// Window point to room point through the views (the letterbox borders taken off first); with no
// view in use, scaled to the shown size.
void GR_Window_WindowToRoomWith(const WindowMetrics& metrics, int32_t x, int32_t y, int32_t* roomX,
                                int32_t* roomY);
void GR_Window_WindowToRoom(int32_t x, int32_t y, int32_t* roomX, int32_t* roomY);
// The window point at the game's own size, through no view (the cursor is drawn over the GUI).
void GR_Window_WindowToRoomUnmapped(int32_t x, int32_t y, int32_t* roomX, int32_t* roomY);
void GR_Window_RoomToWindow(int32_t slot, double x, double y, int32_t* windowX, int32_t* windowY);
// Window point through one slot, the borders not taken off; false when the slot is not usable.
bool GR_Window_ThroughSlot(const WindowMetrics& metrics, int32_t slot, int32_t x, int32_t y, int32_t* roomX,
                           int32_t* roomY);
int32_t GR_Window_ViewMouseGetX(int32_t slot);
int32_t GR_Window_ViewMouseGetY(int32_t slot);
int32_t GR_Window_GetMouseX(int32_t device);
int32_t GR_Window_GetMouseY(int32_t device);

// The platform half (graphics/sdl/): the system cursor put at a point of the display.
void WindowPlatform_WarpMouse(int32_t x, int32_t y);
