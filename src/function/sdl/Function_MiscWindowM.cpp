#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/resource.h>

#include "function/Function_MiscWindow.h"
#include "run/sdl/Run_WindowM.h"

bool MiscWindow_SetClipboard(const char* text)
{
    return SDL_SetClipboardText(text != nullptr ? text : "") == 0;
}

bool MiscWindow_ClipboardHasText()
{
    return SDL_HasClipboardText() == SDL_TRUE;
}

std::string MiscWindow_GetClipboard()
{
    char* text = SDL_GetClipboardText();
    std::string copy = text != nullptr ? text : "";
    SDL_free(text);
    return copy;
}

uint32_t MiscWindow_NativeHandle()
{
    SDL_Window* window = MainWindow_Handle();
    if (window == nullptr) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11) return static_cast<uint32_t>(info.info.x11.window);
#endif
    return 0;
}

bool MiscWindow_SetNice(int32_t nice)
{
    return setpriority(PRIO_PROCESS, 0, nice) == 0;
}
