#include "platform/sdl/Platform_MessageBoxM.h"

#include <SDL.h>

#include "platform/posix/Platform_Termination.h"

namespace {

Uint32 IconFlag(MessageBoxIcon icon)
{
    switch (icon) {
    case MESSAGEBOX_ICON_ERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MESSAGEBOX_ICON_WARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

constexpr int BUTTON_NO = 0;
constexpr int BUTTON_YES = 1;

} // namespace

bool PlatformSdl_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon)
{
    // SDL takes UTF-8 itself and may be called before SDL_Init; no owner window.
    Platform_BoxProcesses box;
    return SDL_ShowSimpleMessageBox(IconFlag(icon), caption, text, nullptr) == 0;
}

bool PlatformSdl_AskYesNo(const char* text, const char* caption, bool* yes)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_NO, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BUTTON_YES, "Yes"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.window = nullptr;
    data.title = caption;
    data.message = text;
    data.numbuttons = 2;
    data.buttons = buttons;
    int pressed = -1;
    Platform_BoxProcesses box;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return false;
    *yes = pressed == BUTTON_YES;
    return true;
}
