#include "sprite/Sprite_Placeholders.h"

#include "base/Base_Console.h"

// PLACEHOLDER until HTTP requests exist: no request is made, so the sprite stays empty and no
// image-loaded event follows.
void Sprite_StartUrlLoad(int32_t, const char* url, int32_t, bool, bool, bool, bool, int32_t, int32_t)
{
    MainConsole->Output("sprite_add: cannot load %s, there are no HTTP requests yet\n", url);
}
