#include "platform/sdl/Platform_WindowFrameM.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
struct X11Window {
    Display* display = nullptr;
    Window window = 0;
};

X11Window X11Of(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return {};
    return {info.info.x11.display, info.info.x11.window};
}

// The child of the root that holds the window: the manager's frame, or the window itself.
Window TopLevel(Display* display, Window window)
{
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return window;
        if (children != nullptr) XFree(children);
        if (parent == 0 || parent == root) return window;
        window = parent;
    }
}

bool X11Frame(SDL_Window* window, PlatformWindowFrame& frame)
{
    X11Window x11 = X11Of(window);
    if (x11.display == nullptr) return false;
    XSync(x11.display, False);
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(x11.display, TopLevel(x11.display, x11.window), &root, &x, &y, &width, &height, &border,
                     &depth) == 0)
        return false;
    int insideX = 0, insideY = 0;
    XTranslateCoordinates(x11.display, x11.window, root, 0, 0, &insideX, &insideY, &child);
    frame.outer = {x, y, int(width + 2 * border), int(height + 2 * border)};
    frame.inside = {insideX, insideY};
    return true;
}

// Only a window manager selects the root window's redirection of its children's requests.
bool X11ManagerRuns(const X11Window& x11)
{
    XWindowAttributes root;
    if (XGetWindowAttributes(x11.display, DefaultRootWindow(x11.display), &root) == 0) return true;
    return (root.all_event_masks & SubstructureRedirectMask) != 0;
}
#endif

} // namespace

bool PlatformSdl_GetWindowFrame(SDL_Window* window, PlatformWindowFrame& frame)
{
    if (window == nullptr) return false;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (X11Frame(window, frame)) return true;
#endif
    int x = 0, y = 0, width = 0, height = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right);
    frame.outer = {x - left, y - top, width + left + right, height + top + bottom};
    frame.inside = {x, y};
    return true;
}

void PlatformSdl_MoveWindowFrame(SDL_Window* window, int32_t x, int32_t y)
{
    PlatformWindowFrame frame, moved;
    if (!PlatformSdl_GetWindowFrame(window, frame) || (frame.outer.x == x && frame.outer.y == y)) return;
    int32_t askedX = x + frame.inside.x - frame.outer.x, askedY = y + frame.inside.y - frame.outer.y;
    SDL_SetWindowPosition(window, askedX, askedY);
    // A manager that took the move but put the frame elsewhere is asked again, the difference
    // taken off; one that did not move the window at all is left alone.
    if (!PlatformSdl_GetWindowFrame(window, moved) || (moved.outer.x == x && moved.outer.y == y) ||
        (moved.outer.x == frame.outer.x && moved.outer.y == frame.outer.y))
        return;
    SDL_SetWindowPosition(window, askedX - (moved.outer.x - x), askedY - (moved.outer.y - y));
}

void PlatformSdl_RaiseWithoutFocus(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    X11Window x11 = X11Of(window);
    if (x11.display == nullptr) return;
    XRaiseWindow(x11.display, x11.window);
    XFlush(x11.display);
#endif
}

void PlatformSdl_TakeKeyboard(SDL_Window* window)
{
    SDL_SetWindowInputFocus(window);
#if defined(SDL_VIDEO_DRIVER_X11)
    // The server's answer is waited for, so that SDL reads the focus change as it pumps.
    X11Window x11 = X11Of(window);
    if (x11.display != nullptr) XSync(x11.display, False);
#endif
    SDL_PumpEvents();
}

void PlatformSdl_SetFullscreen(SDL_Window* window, Uint32 flags)
{
    if (SDL_SetWindowFullscreen(window, flags) != 0 || flags == 0) return;
#if defined(SDL_VIDEO_DRIVER_X11)
    // On a bare X server nobody answers the request: the window would keep its size while the game
    // draws for the whole display. Leaving needs nothing here, the windowed placement sizes it back.
    X11Window x11 = X11Of(window);
    SDL_Rect bounds;
    if (x11.display == nullptr || X11ManagerRuns(x11) ||
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0)
        return;
    XMoveResizeWindow(x11.display, x11.window, bounds.x, bounds.y, unsigned(bounds.w), unsigned(bounds.h));
    XRaiseWindow(x11.display, x11.window);
    XSync(x11.display, False);
#endif
}

bool PlatformSdl_UnmanagedX11(SDL_Window* window, const char** display, unsigned long* id)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    X11Window x11 = window != nullptr ? X11Of(window) : X11Window{};
    if (x11.display == nullptr || X11ManagerRuns(x11)) return false;
    *display = DisplayString(x11.display);
    *id = x11.window;
    return true;
#else
    (void)window, (void)display, (void)id;
    return false;
#endif
}
