// Where a window really is on the desktop. A window manager may put a window into a frame of its own
// and offset it by its border, and SDL's idea of the position can then be wrong (some managers have
// it counting their frame twice once a window is shown), so under X11 the server is asked.
#pragma once

#include <SDL.h>

// The window's outer rectangle on the desktop, frame included, and where its inside begins.
struct PlatformWindowFrame {
    SDL_Rect outer{0, 0, 0, 0};
    SDL_Point inside{0, 0};
};

// False for no window.
bool PlatformSdl_GetWindowFrame(SDL_Window* window, PlatformWindowFrame& frame);

// Moves the window so that its frame's top-left corner lands at (x, y), and corrects the move once
// where the manager placed the frame elsewhere. A window already there is not asked again: a manager
// may shift a frame it is asked to put where it already is.
void PlatformSdl_MoveWindowFrame(SDL_Window* window, int32_t x, int32_t y);

// Puts the window above the others without giving it the keyboard, where the manager allows it.
void PlatformSdl_RaiseWithoutFocus(SDL_Window* window);

// Gives the window the keyboard, and SDL knows it on return: what SDL does next for the window with
// the keyboard (it captures the mouse for a held button) is done for this one.
void PlatformSdl_TakeKeyboard(SDL_Window* window);

// SDL's full screen for the window (flags as SDL_SetWindowFullscreen). It is a request to the
// window manager; with none running, the window itself is laid over its display.
void PlatformSdl_SetFullscreen(SDL_Window* window, Uint32 flags);

// The window's X11 display name (valid while SDL's connection is open) and window id, where it is an
// X11 window on a server that no window manager runs; false otherwise.
bool PlatformSdl_UnmanagedX11(SDL_Window* window, const char** display, unsigned long* id);
