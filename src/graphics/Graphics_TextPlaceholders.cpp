#include "graphics/Graphics_TextPlaceholders.h"

// PLACEHOLDER until fonts exist: there is no font to make current.
void GR_Text_SetFont(int32_t) {}
// PLACEHOLDER until text drawing exists: nothing is aligned.
void GR_Text_SetHAlign(int32_t) {}
// PLACEHOLDER until text drawing exists: no glyphs to draw with, so nothing is drawn.
void GR_Text_Draw(float, float, const char*, int32_t, int32_t) {}
// PLACEHOLDER until text drawing exists: nothing is drawn.
void GR_Text_DrawTransformed(float, float, const char*, int32_t, int32_t, float, float, float) {}
