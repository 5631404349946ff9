// The displays through SDL: their current settings and mode lists, the mouse on the desktop, and
// mode switches through exclusive full screen for the game's window. Only X11 lets a client switch
// modes; elsewhere (Wayland, the offscreen driver) the desktop's mode stays.
#include <SDL.h>

#include <cstring>

#include "graphics/Graphics_DisplayModes.h"
#include "run/sdl/Run_WindowM.h"

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

class SdlDisplays : public DisplayPlatform {
public:
    int32_t Count() override
    {
        if (!VideoReady()) return 0;
        int32_t count = SDL_GetNumVideoDisplays();
        return count > 0 ? count : 0;
    }

    bool Desktop(int32_t display, PlatformDesktop* desktop) override
    {
        SDL_DisplayMode mode;
        SDL_Rect bounds;
        if (!VideoReady() || display < 0 || display >= Count() || SDL_GetCurrentDisplayMode(display, &mode) != 0)
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

    std::vector<PlatformDisplayMode> Modes(int32_t display) override
    {
        std::vector<PlatformDisplayMode> modes;
        if (!VideoReady() || display < 0 || display >= Count()) return modes;
        int32_t count = SDL_GetNumDisplayModes(display);
        for (int32_t i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
                modes.push_back(FromSDL(mode));
        }
        // A display that lists no usable mode (the offscreen driver) still offers its desktop's.
        PlatformDesktop desktop;
        if (modes.empty() && Desktop(display, &desktop)) modes.push_back(desktop.mode);
        return modes;
    }

    bool CanSwitchModes() override
    {
        const char* driver = VideoReady() ? SDL_GetCurrentVideoDriver() : nullptr;
        return driver != nullptr && std::strcmp(driver, "x11") == 0 && MainWindow_Handle() != nullptr;
    }

    bool SwitchMode(const PlatformDisplayMode& wanted) override
    {
        SDL_Window* window = MainWindow_Handle();
        if (window == nullptr) return false;
        int32_t count = SDL_GetNumDisplayModes(0);
        for (int32_t i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
            PlatformDisplayMode m = FromSDL(mode);
            if (m.width != wanted.width || m.height != wanted.height || m.bitsPerPixel != wanted.bitsPerPixel ||
                m.refreshRate != wanted.refreshRate)
                continue;
            // SDL applies the mode at once to a window in exclusive full screen, and when it enters it.
            return SDL_SetWindowDisplayMode(window, &mode) == 0 &&
                   SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
        }
        return false;
    }

    void RestoreMode() override
    {
        SDL_Window* window = MainWindow_Handle();
        if (window == nullptr) return;
        // Desktop-sized full screen puts the desktop's mode back; the device's reset then chooses
        // between it and a window.
        if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN)
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    bool MousePosition(int32_t* x, int32_t* y) override
    {
        if (!VideoReady()) return false;
        SDL_GetGlobalMouseState(x, y);
        return true;
    }

    void MoveMouse(int32_t x, int32_t y) override
    {
        if (VideoReady()) SDL_WarpMouseGlobal(x, y);
    }
};

} // namespace

DisplayPlatform* DisplayPlatform_CreateSDL()
{
    return new SdlDisplays();
}
