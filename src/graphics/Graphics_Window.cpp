#include "graphics/Graphics_Window.h"

#include <cmath>
#include <string>

#include "base/Base_Numbers.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DisplayModes.h"
#include "io/IO_Main.h"
#include "run/Run_Window.h"

WindowRequests g_WindowRequests;

namespace {

struct WindowState {
    int32_t width = 640;
    int32_t height = 480;
    bool fullscreen = false;
    std::string caption;
    uint32_t colour = 0xFF000000u; // ARGB
    int32_t cursorConstant = 0;
    WindowViewSlot slots[WINDOW_VIEW_SLOTS];
    int32_t slotsInUse = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    int32_t shownWidth = 0;
    int32_t shownHeight = 0;
    WindowMappingSource mappingSource = nullptr;
    bool mappingChanged = false; // the source has not registered since what it reads changed
};
WindowState g_Window;

constexpr double PI = 3.141592653589793;

bool ValidSlot(int32_t slot)
{
    return slot >= 0 && slot < WINDOW_VIEW_SLOTS;
}

int32_t Round(double v)
{
    return Numbers_RoundToInt32(v);
}

int32_t Cut(double v)
{
    return Numbers_TruncToInt32(v);
}

// The outer size of the main window as it stands.
void OuterSize(int32_t* width, int32_t* height)
{
    *width = g_Window.width;
    *height = g_Window.height;
    DeviceWindow_GetClientSize(width, height);
    DeviceWindow_AdjustSize(g_MainWindowStyle, width, height);
}

} // namespace

void GR_Window_Init()
{
    int32_t width = g_Window.width;
    int32_t height = g_Window.height;
    g_Window = WindowState();
    g_Window.width = width;
    g_Window.height = height;
    g_WindowRequests = WindowRequests();
}

int32_t GR_Window_GetWidth()
{
    return g_Window.width;
}

int32_t GR_Window_GetHeight()
{
    return g_Window.height;
}

void GR_Window_SetWindowSize(int32_t width, int32_t height)
{
    // The room's port scale is the window's size over its ports.
    if (width != g_Window.width || height != g_Window.height) g_Window.mappingChanged = true;
    g_Window.width = width;
    g_Window.height = height;
}

void GR_Window_SetFullscreen(bool on)
{
    g_Window.fullscreen = on;
    g_WindowRequests.update = true;
}

bool GR_Window_GetFullscreen()
{
    return g_Window.fullscreen;
}

void GR_Window_SetCaption(const char* text)
{
    g_Window.caption = text != nullptr ? text : "";
    MainWindow_SetTitle(g_Window.caption.c_str());
}

const char* GR_Window_GetCaption()
{
    return g_Window.caption.c_str();
}

void GR_Window_Center()
{
    int32_t width = 0;
    int32_t height = 0;
    OuterSize(&width, &height);
    int32_t x = Numbers_DivInt32(Display_GetWidth() - width, 2);
    int32_t y = Numbers_DivInt32(Display_GetHeight() - height, 2);
    DeviceWindow_Place(x, y, width, height);
}

void GR_Window_SetPosition(int32_t x, int32_t y)
{
    int32_t width = 0;
    int32_t height = 0;
    OuterSize(&width, &height);
    DeviceWindow_Place(x, y, width, height);
}

void GR_Window_SetSize(int32_t width, int32_t height)
{
    g_WindowRequests.width = width;
    g_WindowRequests.height = height;
    g_WindowRequests.update = true;
    g_WindowRequests.size = true;
}

void GR_Window_SetRectangle(int32_t x, int32_t y, int32_t width, int32_t height)
{
    GR_Window_SetPosition(x, y);
    GR_Window_SetSize(width, height);
}

int32_t GR_Window_GetX()
{
    int32_t x = 0;
    int32_t y = 0;
    DeviceWindow_GetPosition(&x, &y);
    return x;
}

int32_t GR_Window_GetY()
{
    int32_t x = 0;
    int32_t y = 0;
    DeviceWindow_GetPosition(&x, &y);
    return y;
}

int32_t GR_Window_GetClientWidth()
{
    int32_t width = g_Window.width;
    int32_t height = g_Window.height;
    DeviceWindow_GetClientSize(&width, &height);
    return width;
}

int32_t GR_Window_GetClientHeight()
{
    int32_t width = g_Window.width;
    int32_t height = g_Window.height;
    DeviceWindow_GetClientSize(&width, &height);
    return height;
}

int32_t GR_Window_MouseGetX()
{
    return IO_Step.mouseX;
}

int32_t GR_Window_MouseGetY()
{
    return IO_Step.mouseY;
}

void GR_Window_MouseSet(int32_t x, int32_t y)
{
    if (g_WindowHasFocus == 0) return;
    WindowPlatform_WarpMouse(GR_Window_GetX() + x, GR_Window_GetY() + y);
}

void GR_Window_SetColour(uint32_t colour)
{
    g_Window.colour = (colour & 0xFFFFFFu) | 0xFF000000u;
}

uint32_t GR_Window_GetColour()
{
    return g_Window.colour & 0xFFFFFFu;
}

int32_t GR_Window_CursorIndexFor(int32_t constant)
{
    // Constants 0 down to -22 against the window's cursor table (0 arrow, 1 none, 2 cross, ...).
    static const int8_t INDEX[23] = {0,  1,  0,  2,  3,  1,  4,  5,  6,  7,  8, 9,
                                     10, 11, 11, 11, 11, 11, 11, 12, 13, 10, 14};
    if (constant > 0 || constant < -22) return -2;
    int32_t index = INDEX[-constant];
    return index == 1 ? -1 : index;
}

void GR_Window_SetCursor(int32_t constant)
{
    g_Window.cursorConstant = constant;
    int32_t index = GR_Window_CursorIndexFor(constant);
    if (index != -2) MainWindow_SetCursor(index);
}

int32_t GR_Window_GetCursor()
{
    return g_Window.cursorConstant;
}

void GR_Window_SetViewMapping(int32_t slot, float portX, float portY, float portWidth, float portHeight,
                              float roomX, float roomY, float roomWidth, float roomHeight, float angle)
{
    if (!ValidSlot(slot)) return;
    WindowViewSlot& s = g_Window.slots[slot];
    if (!s.inUse) ++g_Window.slotsInUse;
    s = WindowViewSlot{true, roomX, roomY, roomWidth, roomHeight, portX, portY, portWidth, portHeight, angle};
}

void GR_Window_ClearViewMapping(int32_t slot)
{
    if (!ValidSlot(slot)) return;
    if (g_Window.slots[slot].inUse) --g_Window.slotsInUse;
    g_Window.slots[slot].inUse = false;
}

void GR_Window_ResetViewMappings()
{
    for (WindowViewSlot& slot : g_Window.slots)
        slot.inUse = false;
    g_Window.slotsInUse = 0;
}

int32_t GR_Window_ViewSlotsInUse()
{
    return g_Window.slotsInUse;
}

const WindowViewSlot* GR_Window_GetViewSlot(int32_t slot)
{
    return ValidSlot(slot) ? &g_Window.slots[slot] : nullptr;
}

void GR_Window_SetDisplayScale(double sx, double sy)
{
    g_Window.scaleX = sx;
    g_Window.scaleY = sy;
}

void GR_Window_SetShownSize(int32_t width, int32_t height)
{
    g_Window.shownWidth = width;
    g_Window.shownHeight = height;
}

void GR_Window_SetMappingSource(WindowMappingSource source)
{
    g_Window.mappingSource = source;
    g_Window.mappingChanged = true;
}

void GR_Window_MappingChanged()
{
    g_Window.mappingChanged = true;
}

WindowMetrics GR_Window_CurrentMetrics()
{
    // Registering writes only what it registers, so the flag is cleared first.
    if (g_Window.mappingSource != nullptr && g_Window.mappingChanged) {
        g_Window.mappingChanged = false;
        g_Window.mappingSource();
    }
    WindowMetrics m;
    m.windowWidth = g_Window.width;
    m.windowHeight = g_Window.height;
    m.clientWidth = GR_Window_GetClientWidth();
    m.clientHeight = GR_Window_GetClientHeight();
    GR_D3D_GetLetterboxOffset(&m.borderX, &m.borderY);
    m.scaleX = g_Window.scaleX;
    m.scaleY = g_Window.scaleY;
    m.shownWidth = g_Window.shownWidth;
    m.shownHeight = g_Window.shownHeight;
    return m;
}

bool GR_Window_ThroughSlot(const WindowMetrics& m, int32_t slot, int32_t x, int32_t y, int32_t* roomX,
                           int32_t* roomY)
{
    if (!ValidSlot(slot)) return false;
    const WindowViewSlot& s = g_Window.slots[slot];
    if (!s.inUse || s.portWidth == 0.0f || s.portHeight == 0.0f) return false;
    // A client area no wider than its borders has no picture to scale from.
    double innerWidth = double(m.clientWidth - 2 * m.borderX);
    double innerHeight = double(m.clientHeight - 2 * m.borderY);
    if (innerWidth <= 0.0 || innerHeight <= 0.0 || m.scaleX == 0.0 || m.scaleY == 0.0) return false;
    double sx = double(m.windowWidth) / innerWidth / m.scaleX;
    double sy = double(m.windowHeight) / innerHeight / m.scaleY;
    double px = double(Cut(x * sx) - Cut(s.portX));
    double py = double(Cut(y * sy) - Cut(s.portY));
    double fx = px * s.roomWidth / s.portWidth;
    double fy = py * s.roomHeight / s.portHeight;
    if (std::fabs(s.angle) < 0.01f) {
        *roomX = Round(s.roomX + fx);
        *roomY = Round(s.roomY + fy);
        return true;
    }
    double a = -double(s.angle) * PI / 180.0;
    double u = fx - s.roomWidth / 2.0;
    double v = fy - s.roomHeight / 2.0;
    *roomX = Round(s.roomX + s.roomWidth / 2.0 + std::cos(a) * u + std::sin(a) * v);
    *roomY = Round(s.roomY + s.roomHeight / 2.0 - std::sin(a) * u + std::cos(a) * v);
    return true;
}

namespace {

// The window point, borders already taken off, scaled from the client area to `width` x `height`.
void Unmapped(const WindowMetrics& m, int32_t width, int32_t height, int32_t x, int32_t y, int32_t* roomX,
              int32_t* roomY)
{
    // A client area no wider than its borders leaves the point as it is rather than dividing by 0.
    double innerWidth = double(m.clientWidth - 2 * m.borderX);
    double innerHeight = double(m.clientHeight - 2 * m.borderY);
    *roomX = innerWidth > 0.0 ? Cut(x * double(width) / innerWidth) : x;
    *roomY = innerHeight > 0.0 ? Cut(y * double(height) / innerHeight) : y;
}

} // namespace

void GR_Window_WindowToRoomUnmapped(int32_t x, int32_t y, int32_t* roomX, int32_t* roomY)
{
    WindowMetrics m = GR_Window_CurrentMetrics();
    Unmapped(m, m.windowWidth, m.windowHeight, x - m.borderX, y - m.borderY, roomX, roomY);
}

void GR_Window_WindowToRoomWith(const WindowMetrics& m, int32_t x, int32_t y, int32_t* roomX, int32_t* roomY)
{
    x -= m.borderX;
    y -= m.borderY;
    if (g_Window.slotsInUse == 0) {
        // A click lands on what is drawn under it, however the room was squeezed into the window.
        int32_t width = m.shownWidth > 0 ? m.shownWidth : m.windowWidth;
        int32_t height = m.shownHeight > 0 ? m.shownHeight : m.windowHeight;
        Unmapped(m, width, height, x, y, roomX, roomY);
        return;
    }
    *roomX = x;
    *roomY = y;
    for (int32_t slot = WINDOW_VIEW_SLOTS - 1; slot >= 0; --slot) {
        int32_t rx = 0;
        int32_t ry = 0;
        if (!GR_Window_ThroughSlot(m, slot, x, y, &rx, &ry)) continue;
        *roomX = rx;
        *roomY = ry;
        const WindowViewSlot& s = g_Window.slots[slot];
        if (rx >= s.roomX && rx < s.roomX + s.roomWidth && ry >= s.roomY && ry < s.roomY + s.roomHeight)
            return;
    }
}

void GR_Window_WindowToRoom(int32_t x, int32_t y, int32_t* roomX, int32_t* roomY)
{
    GR_Window_WindowToRoomWith(GR_Window_CurrentMetrics(), x, y, roomX, roomY);
}

void GR_Window_RoomToWindow(int32_t slot, double x, double y, int32_t* windowX, int32_t* windowY)
{
    *windowX = Round(x);
    *windowY = Round(y);
    if (!ValidSlot(slot)) return;
    const WindowViewSlot& s = g_Window.slots[slot];
    if (!s.inUse || s.roomWidth == 0.0f || s.roomHeight == 0.0f) return;
    double fx = (x - s.roomX) * s.portWidth / s.roomWidth;
    double fy = (y - s.roomY) * s.portHeight / s.roomHeight;
    if (std::fabs(s.angle) < 0.01f) {
        *windowX = Round(s.portX + fx);
        *windowY = Round(s.portY + fy);
        return;
    }
    double a = double(s.angle) * PI / 180.0;
    double u = fx - s.portWidth / 2.0;
    double v = fy - s.portHeight / 2.0;
    *windowX = Round(s.portX + s.portWidth / 2.0 + std::cos(a) * u + std::sin(a) * v);
    *windowY = Round(s.portY + s.portHeight / 2.0 - std::sin(a) * u + std::cos(a) * v);
}

int32_t GR_Window_ViewMouseGetX(int32_t slot)
{
    int32_t x = IO_Step.mouseX;
    int32_t y = IO_Step.mouseY;
    GR_Window_ThroughSlot(GR_Window_CurrentMetrics(), slot, IO_Step.mouseX, IO_Step.mouseY, &x, &y);
    return x;
}

int32_t GR_Window_ViewMouseGetY(int32_t slot)
{
    int32_t x = IO_Step.mouseX;
    int32_t y = IO_Step.mouseY;
    GR_Window_ThroughSlot(GR_Window_CurrentMetrics(), slot, IO_Step.mouseX, IO_Step.mouseY, &x, &y);
    return y;
}

int32_t GR_Window_GetMouseX(int32_t device)
{
    if (device < 0 || device >= WINDOW_MOUSE_DEVICES) return 0;
    int32_t x = IO_MouseX(device);
    int32_t y = IO_MouseY(device);
    GR_Window_WindowToRoom(x, y, &x, &y);
    return x;
}

int32_t GR_Window_GetMouseY(int32_t device)
{
    if (device < 0 || device >= WINDOW_MOUSE_DEVICES) return 0;
    int32_t x = IO_MouseX(device);
    int32_t y = IO_MouseY(device);
    GR_Window_WindowToRoom(x, y, &x, &y);
    return y;
}
