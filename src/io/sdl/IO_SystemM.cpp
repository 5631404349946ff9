// Posting key events to SDL's queue, the screen cursor and the system's Num Lock toggle.
#include <SDL.h>

#include "io/IO_Main.h"
#include "io/IO_System.h"
#include "run/sdl/Run_KeyTableM.h"

bool IO_Inject_Key(int32_t key, bool down)
{
    SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN;
    uint16_t modifiers = 0;
    if (key < 0 || key >= IO_KEY_COUNT || !KeyTable_ScanCode(key, &scancode, &modifiers)) return false;
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    SDL_Event event;
    SDL_zero(event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = modifiers;
    return SDL_PushEvent(&event) == 1;
}

bool IO_Inject_SystemNumLock()
{
    return SDL_WasInit(SDL_INIT_EVENTS) != 0 && (SDL_GetModState() & KMOD_NUM) != 0;
}

void IO_ReadScreenCursor(int32_t* x, int32_t* y)
{
    int sx = 0;
    int sy = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&sx, &sy);
    *x = sx;
    *y = sy;
}
