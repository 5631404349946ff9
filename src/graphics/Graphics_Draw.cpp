// The drawing colour and alpha.
#include "graphics/Graphics_Draw.h"

#include <cmath>

#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Texture.h"

float g_DrawOffsetX = 0.0f;
float g_DrawOffsetY = 0.0f;

namespace {

uint32_t g_VertexColour = 0xFF000000u;
uint32_t g_AlphaByte = 255;

uint32_t Channel(int32_t value)
{
    return uint32_t(value) & 0xFFu;
}

// Round to nearest (ties to even, as the FPU does), kept within a channel.
uint32_t MergeChannel(uint32_t a, uint32_t b, double amount)
{
    double value = std::nearbyint(double(b) * amount + double(a) * (1.0 - amount));
    if (!(value > 0.0)) return 0;
    return value >= 255.0 ? 255u : uint32_t(value);
}

} // namespace

uint32_t GR_Make_Colour(int32_t red, int32_t green, int32_t blue)
{
    return uint32_t(blue) * 65536u + uint32_t(green) * 256u + uint32_t(red);
}

void GR_Draw_Set_Colour(uint32_t colour)
{
    g_VertexColour = GR_VertexColourFromByte(colour, g_AlphaByte);
}

void GR_Draw_SetColourRGB(int32_t red, int32_t green, int32_t blue)
{
    g_VertexColour = g_AlphaByte << 24 | Channel(red) << 16 | Channel(green) << 8 | Channel(blue);
}

void GR_Draw_SetColourRGBA(int32_t red, int32_t green, int32_t blue, double alpha)
{
    g_AlphaByte = GR_AlphaToByte(alpha);
    GR_Draw_SetColourRGB(red, green, blue);
}

void GR_Draw_SetAlpha(double alpha)
{
    g_AlphaByte = GR_AlphaToByte(alpha);
    g_VertexColour = (g_VertexColour & 0x00FFFFFFu) | g_AlphaByte << 24;
}

uint32_t GR_Draw_GetColour()
{
    // The swap of red and blue is its own inverse: red goes back into the low byte, alpha kept.
    return GR_VertexColourFromByte(g_VertexColour, g_VertexColour >> 24);
}

int32_t GR_Draw_GetRed()
{
    return int32_t(g_VertexColour >> 16 & 0xFFu);
}

int32_t GR_Draw_GetGreen()
{
    return int32_t(g_VertexColour >> 8 & 0xFFu);
}

int32_t GR_Draw_GetBlue()
{
    return int32_t(g_VertexColour & 0xFFu);
}

float GR_Draw_Get_Alpha()
{
    return float(g_AlphaByte) / 255.0f;
}

uint32_t GR_Draw_GetAlphaByte()
{
    return g_AlphaByte;
}

uint32_t GR_Draw_GetVertexColour()
{
    return g_VertexColour;
}

uint32_t GR_AlphaToByte(double alpha)
{
    if (!(alpha > 0.0)) return 0; // NaN too
    if (alpha > 1.0) alpha = 1.0;
    return uint32_t(alpha * 255.0);
}

uint32_t GR_Draw_MergeColour(uint32_t colour1, uint32_t colour2, double amount)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= MergeChannel(colour1 >> shift & 0xFFu, colour2 >> shift & 0xFFu, amount) << shift;
    return out;
}

void GR_Draw_Clear(uint32_t colour)
{
    GR_D3D_Clear(colour & 0x00FFFFFFu, 1.0f, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
}

void GR_Draw_ClearAlpha(uint32_t colour, double alpha)
{
    GR_D3D_Clear((colour & 0x00FFFFFFu) | GR_AlphaToByte(alpha) << 24, 1.0f, 0,
                 D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
}
