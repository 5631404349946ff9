// The displays through SDL: their desktop settings and mode lists, and the mouse on the desktop.
// A running desktop's settings are not changed from here: SDL changes modes only for a full-screen
// window, which the device's reset handles.
#include <SDL.h>

#include "base/Base_Console.h"
#include "graphics/Graphics_DisplayModes.h"

namespace {

// Four-byte pixels count as 32 bits, whatever the display reports for its unused byte.
int32_t BitsOf(Uint32 format)
{
    int32_t bytes = SDL_BYTESPERPIXEL(format);
    return bytes == 4 ? 32 : bytes == 2 ? 16 : int32_t(SDL_BITSPERPIXEL(format));
}

PlatformDisplayMode FromSDL(const SDL_DisplayMode& mode)
{
    return PlatformDisplayMode{mode.w, mode.h, BitsOf(mode.format), mode.refresh_rate};
}

bool VideoReady()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

bool Matches(const DisplaySettings& s, const PlatformDisplayMode& m)
{
    return ((s.fields & DISPLAY_FIELD_WIDTH) == 0 || s.width == m.width) &&
           ((s.fields & DISPLAY_FIELD_HEIGHT) == 0 || s.height == m.height) &&
           ((s.fields & DISPLAY_FIELD_FREQUENCY) == 0 || s.frequency == m.refreshRate ||
            m.refreshRate == 0) &&
           ((s.fields & DISPLAY_FIELD_DEPTH) == 0 || s.depth == m.bitsPerPixel);
}

} // namespace

int32_t DisplayPlatform_Count()
{
    if (!VideoReady()) return 0;
    int32_t count = SDL_GetNumVideoDisplays();
    return count > 0 ? count : 0;
}

bool DisplayPlatform_Desktop(int32_t display, PlatformDesktop* desktop)
{
    SDL_DisplayMode mode;
    SDL_Rect bounds;
    if (!VideoReady() || display < 0 || display >= DisplayPlatform_Count() ||
        SDL_GetDesktopDisplayMode(display, &mode) != 0)
        return false;
    desktop->mode = FromSDL(mode);
    desktop->x = 0;
    desktop->y = 0;
    if (SDL_GetDisplayBounds(display, &bounds) == 0) {
        desktop->x = bounds.x;
        desktop->y = bounds.y;
    }
    return true;
}

std::vector<PlatformDisplayMode> DisplayPlatform_Modes(int32_t display)
{
    std::vector<PlatformDisplayMode> modes;
    if (!VideoReady() || display < 0 || display >= DisplayPlatform_Count()) return modes;
    int32_t count = SDL_GetNumDisplayModes(display);
    for (int32_t i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            modes.push_back(FromSDL(mode));
    }
    // A display that lists no usable mode (the offscreen driver) still offers its desktop's.
    PlatformDesktop desktop;
    if (modes.empty() && DisplayPlatform_Desktop(display, &desktop)) modes.push_back(desktop.mode);
    return modes;
}

bool DisplayPlatform_Change(const DisplaySettings& settings, bool testOnly)
{
    if (!VideoReady()) return false;
    if (testOnly) {
        for (const PlatformDisplayMode& m : DisplayPlatform_Modes(0)) {
            if (Matches(settings, m)) return true;
        }
        return false;
    }
    PlatformDesktop desktop;
    if (DisplayPlatform_Desktop(0, &desktop) && Matches(settings, desktop.mode)) return true;
    MainConsole->Output("The display settings cannot be changed here; they stay as they are\n");
    return false;
}

bool DisplayPlatform_MousePosition(int32_t* x, int32_t* y)
{
    if (!VideoReady()) return false;
    SDL_GetGlobalMouseState(x, y);
    return true;
}

void DisplayPlatform_MoveMouse(int32_t x, int32_t y)
{
    if (VideoReady()) SDL_WarpMouseGlobal(x, y);
}
