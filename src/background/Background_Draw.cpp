// Drawing a background: through the game file's page entry when it has one, else through its own
// texture. Nothing is culled; a picture that cannot be drawn draws nothing, silently.
#include "background/Background_Class.h"
#include "graphics/Graphics_TextureDraw.h"

namespace {

constexpr double DEGREES_TO_RADIANS = 3.1415927410125732 / 180.0;

double Radians(float angle)
{
    return double(angle) * DEGREES_TO_RADIANS;
}

} // namespace

void CBackground::Draw(float x, float y)
{
    if (TPageEntry* entry = GetEntry()) GR_TPage_Draw(entry, x, y);
    else GR_Texture_Draw(m_Texture, x, y);
}

void CBackground::DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    if (TPageEntry* entry = GetEntry())
        GR_TPage_DrawExt(entry, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), colour, alpha);
    else GR_Texture_DrawExt(m_Texture, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), colour, alpha);
}

void CBackground::DrawStretched(float x, float y, float width, float height, uint32_t colour, float alpha)
{
    if (width <= 0.0f || height <= 0.0f || m_Width <= 0 || m_Height <= 0) return;
    DrawExt(x, y, width / float(m_Width), height / float(m_Height), 0.0f, colour, alpha);
}

void CBackground::DrawPart(float left, float top, float width, float height, float x, float y, float xscale,
                           float yscale, uint32_t colour, float alpha)
{
    if (TPageEntry* entry = GetEntry())
        GR_TPage_DrawPart(entry, left, top, width, height, x, y, xscale, yscale, 0.0, colour, alpha);
    else GR_Texture_DrawPart(m_Texture, left, top, width, height, x, y, xscale, yscale, 0.0, colour, alpha);
}

void CBackground::DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale,
                              float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                              float alpha)
{
    if (TPageEntry* entry = GetEntry())
        GR_TPage_DrawGeneral(entry, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4,
                             alpha);
    else
        GR_Texture_DrawGeneral(m_Texture, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2,
                               c3, c4, alpha);
}

void CBackground::DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                            float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour,
                            float alpha, const TilePixels* pixels)
{
    if (TPageEntry* entry = GetEntry())
        GR_TPage_DrawTiled(entry, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop, areaWidth,
                           areaHeight, colour, alpha, pixels);
    else
        GR_Texture_DrawTiled(m_Texture, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, areaLeft, areaTop,
                             areaWidth, areaHeight, colour, alpha, pixels);
}
