// The window layer's platform half: moving the system cursor.
#include <SDL.h>

#include "graphics/Graphics_Window.h"

void WindowPlatform_WarpMouse(int32_t x, int32_t y)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    SDL_WarpMouseGlobal(x, y);
}
