// The text layer that the drawing actions call: the current font, the horizontal alignment and
// text drawn at a point, standing in until fonts and text drawing exist.
#pragma once

#include <cstdint>

// The font becomes current when it exists, otherwise the default font.
void GR_Text_SetFont(int32_t font);
// 0 left, 1 centre, 2 right; any other value gives 0.
void GR_Text_SetHAlign(int32_t align);
// Text at (x, y), "#" breaking lines; a separation or width below 0 takes the default.
void GR_Text_Draw(float x, float y, const char* text, int32_t separation, int32_t width);
void GR_Text_DrawTransformed(float x, float y, const char* text, int32_t separation, int32_t width,
                             float xscale, float yscale, float angle);
