#include "platform/Platform_MessageBox.h"

#include <SDL.h>

#include "base/Base_Console.h"
#include "platform/Platform_TestSwitches.h"

void Platform_ShowMessage(const char* text, const char* caption)
{
    if (TestSwitches_Get().headless ||
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0) {
        // No display (or no box could be shown): the log is the only place the message can go.
        MainConsole->Output("%s: %s\n", caption, text);
    }
}
