// The main window as the device sees it: its client size, border style and placement. The window
// manager draws the frame, so the outer size is the client size plus the borders SDL reports.
#include <SDL.h>

#include "graphics/Graphics_Device.h"
#include "run/sdl/Run_WindowM.h"

namespace {

struct Borders {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};

Borders BordersOf(SDL_Window* window)
{
    Borders b;
    if (window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS) == 0)
        SDL_GetWindowBordersSize(window, &b.top, &b.left, &b.bottom, &b.right);
    return b;
}

} // namespace

void* DeviceWindow_Main()
{
    return MainWindow_Handle();
}

bool DeviceWindow_GetClientSize(int32_t* width, int32_t* height)
{
    SDL_Window* window = MainWindow_Handle();
    if (window == nullptr) return false;
    SDL_GetWindowSize(window, width, height);
    return true;
}

void DeviceWindow_SetStyle(uint32_t style)
{
    SDL_Window* window = MainWindow_Handle();
    if (window == nullptr) return;
    bool popup = (style & 0x80000000u) != 0;
    SDL_SetWindowBordered(window, popup ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(window, style == D3D_STYLE_RESIZABLE ? SDL_TRUE : SDL_FALSE);
}

void DeviceWindow_AdjustSize(uint32_t style, int32_t* width, int32_t* height)
{
    if ((style & 0x80000000u) != 0) return;
    Borders b = BordersOf(MainWindow_Handle());
    *width += b.left + b.right;
    *height += b.top + b.bottom;
}

void DeviceWindow_GetPosition(int32_t* x, int32_t* y)
{
    SDL_Window* window = MainWindow_Handle();
    *x = 0;
    *y = 0;
    if (window == nullptr) return;
    SDL_GetWindowPosition(window, x, y);
    Borders b = BordersOf(window);
    *x -= b.left;
    *y -= b.top;
}

void DeviceWindow_Place(int32_t x, int32_t y, int32_t outerWidth, int32_t outerHeight)
{
    SDL_Window* window = MainWindow_Handle();
    if (window == nullptr) return;
    Borders b = BordersOf(window);
    int32_t width = outerWidth - b.left - b.right;
    int32_t height = outerHeight - b.top - b.bottom;
    if (width > 0 && height > 0) SDL_SetWindowSize(window, width, height);
    SDL_SetWindowPosition(window, x + b.left, y + b.top);
    SDL_SetWindowAlwaysOnTop(window, SDL_FALSE);
}
