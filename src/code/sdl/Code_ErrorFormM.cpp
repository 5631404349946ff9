#include "code/sdl/Code_ErrorFormM.h"

#include <SDL.h>

#include <string>

#include "code/Code_Error.h"
#include "platform/posix/Platform_Termination.h"

namespace {

// The dialog's control identifiers.
constexpr int BUTTON_ABORT = 3;
constexpr int BUTTON_IGNORE = 4;
constexpr int BUTTON_COPY = 1063;
constexpr int BUTTON_CLEAR = 1064;

// The record keeps the "\r\n" line ends the clipboard gets; the box draws lines on "\n" alone.
std::string Shown(const std::string& message)
{
    std::string out;
    for (char c : message)
        if (c != '\r') out += c;
    return out;
}

} // namespace

int32_t CodeSdl_ShowErrorForm(ErrorFormRecord* record)
{
    // Escape (and closing the box) picks the way out the form offers: Ignore when allowed.
    int way = record->ignoreAllowed ? BUTTON_IGNORE : BUTTON_ABORT;
    const SDL_MessageBoxButtonData buttons[] = {
        {0, BUTTON_COPY, "Copy"},
        {0, BUTTON_CLEAR, "Clear"},
        {way == BUTTON_ABORT ? Uint32{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT} : Uint32{0}, BUTTON_ABORT, "Abort"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_IGNORE, "Ignore"},
    };
    for (;;) {
        std::string text = record->message.empty() ? std::string(" ") : Shown(record->message);
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_ERROR;
        data.window = nullptr;
        data.title = "Code Error...";
        data.message = text.c_str();
        data.numbuttons = record->ignoreAllowed ? 4 : 3;
        data.buttons = buttons;
        int pressed = -1;
        Platform_BoxProcesses box;
        if (SDL_ShowMessageBox(&data, &pressed) != 0) return -1;
        if (pressed < 0) pressed = way;
        switch (pressed) {
        case BUTTON_COPY:
            if (!record->message.empty()) SDL_SetClipboardText(record->message.c_str());
            break;
        case BUTTON_CLEAR:
            record->message.clear();
            break;
        case BUTTON_IGNORE:
            return 0;
        default:
            return 1;
        }
    }
}
