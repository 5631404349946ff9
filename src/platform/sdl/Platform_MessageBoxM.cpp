#include "platform/sdl/Platform_MessageBoxM.h"

#include <SDL.h>

#include "platform/posix/Platform_Termination.h"
#include "run/sdl/Run_WindowM.h"

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

int PlatformSdl_ShowBox(SDL_MessageBoxData& data, int* pressed)
{
    // SDL shows the box from a process of its own, which a termination signal must end with the game.
    Platform_BoxProcesses box;
    data.window = MainWindow_Handle();
    if (data.window != nullptr && SDL_ShowMessageBox(&data, pressed) == 0) return 0;
    // A box that a termination signal ended is not shown again.
    if (data.window != nullptr && Platform_TerminationRequested()) return -1;
    data.window = nullptr;
    return SDL_ShowMessageBox(&data, pressed);
}

bool PlatformSdl_ShowMessageBox(const char* text, const char* caption, MessageBoxIcon icon)
{
    // SDL takes UTF-8 itself and may be called before SDL_Init.
    const SDL_MessageBoxButtonData ok = {
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
    SDL_MessageBoxData data{};
    data.flags = IconFlag(icon);
    data.title = caption;
    data.message = text;
    data.numbuttons = 1;
    data.buttons = &ok;
    int pressed = -1;
    return PlatformSdl_ShowBox(data, &pressed) == 0;
}

bool PlatformSdl_AskYesNo(const char* text, const char* caption, bool* yes)
{
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_NO, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BUTTON_YES, "Yes"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.title = caption;
    data.message = text;
    data.numbuttons = 2;
    data.buttons = buttons;
    int pressed = -1;
    if (PlatformSdl_ShowBox(data, &pressed) != 0) return false;
    *yes = pressed == BUTTON_YES;
    return true;
}
