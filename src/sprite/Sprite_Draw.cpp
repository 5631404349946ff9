// Drawing a sprite's frames: the frame is chosen modulo the frame count, frames wholly outside the
// view are skipped by the radius, and the frame goes to the page-entry drawing (or, for a sprite
// without entries, the texture drawing).
#include <algorithm>
#include <cmath>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_TextureDraw.h"
#include "room/Room_Draw.h"
#include "sprite/Sprite_Class.h"

namespace {

constexpr double DEGREES_TO_RADIANS = 3.1415927410125732 / 180.0;

double Radians(float angle)
{
    return double(angle) * DEGREES_TO_RADIANS;
}

// The texture of a frame drawn without an entry.
int32_t TextureOf(const std::vector<int32_t>& textures, int32_t frame)
{
    return size_t(frame) < textures.size() ? textures[size_t(frame)] : -1;
}

} // namespace

bool CSprite::Culled(float x, float y, float reachX, float reachY)
{
    const RoomDrawRect& view = g_RoomDrawRect;
    return y + reachY < float(view.top) || y - reachY > float(view.bottom) || x + reachX < float(view.left) ||
           x - reachX > float(view.right);
}

bool CSprite::DrawFailed(bool drawn) const
{
    if (!drawn) MainConsole->Output("Error attempting to draw sprite %s\n", Text_Printable(m_pName).c_str());
    return !drawn;
}

void CSprite::Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                   float alpha)
{
    if (m_FrameCount <= 0) return;
    frame = WrapFrame(frame);
    if (!g_3DMode && !g_CustomProjection) {
        float reach = float(m_Radius) * std::max(std::fabs(xscale), std::fabs(yscale));
        if (Culled(x, y, reach, reach)) return;
    }
    float ox = float(m_XOrigin);
    float oy = float(m_YOrigin);
    TPageEntry* entry = GetEntry(frame);
    bool drawn = entry != nullptr ? GR_TPage_DrawExt(entry, ox, oy, x, y, xscale, yscale, Radians(angle), colour, alpha)
                                  : GR_Texture_DrawExt(TextureOf(m_Textures, frame), ox, oy, x, y, xscale, yscale,
                                                       Radians(angle), colour, alpha);
    DrawFailed(drawn);
}

void CSprite::DrawSimple(int32_t frame, float x, float y)
{
    if (m_FrameCount <= 0) return;
    frame = WrapFrame(frame);
    if (Surface_CurrentTarget() == -1 && !g_CustomProjection && Culled(x, y, float(m_Radius), float(m_Radius)))
        return;
    float left = x - float(m_XOrigin);
    float top = y - float(m_YOrigin);
    TPageEntry* entry = GetEntry(frame);
    DrawFailed(entry != nullptr ? GR_TPage_Draw(entry, left, top)
                                : GR_Texture_Draw(TextureOf(m_Textures, frame), left, top));
}

void CSprite::DrawStretched(int32_t frame, float x, float y, float width, float height, uint32_t colour,
                            float alpha)
{
    if (m_FrameCount <= 0 || width <= 0.0f || height <= 0.0f || m_Width <= 0 || m_Height <= 0) return;
    frame = WrapFrame(frame);
    float xscale = width / float(m_Width);
    float yscale = height / float(m_Height);
    TPageEntry* entry = GetEntry(frame);
    DrawFailed(entry != nullptr ? GR_TPage_DrawExt(entry, 0.0f, 0.0f, x, y, xscale, yscale, 0.0, colour, alpha)
                                : GR_Texture_DrawExt(TextureOf(m_Textures, frame), 0.0f, 0.0f, x, y, xscale,
                                                     yscale, 0.0, colour, alpha));
}

void CSprite::DrawPart(int32_t frame, float left, float top, float width, float height, float x, float y,
                       float xscale, float yscale, uint32_t colour, float alpha)
{
    if (m_FrameCount <= 0) return;
    frame = WrapFrame(frame);
    TPageEntry* entry = GetEntry(frame);
    DrawFailed(entry != nullptr ? GR_TPage_DrawPart(entry, left, top, width, height, x, y, xscale, yscale, 0.0,
                                                    colour, alpha)
                                : GR_Texture_DrawPart(TextureOf(m_Textures, frame), left, top, width, height, x, y,
                                                      xscale, yscale, 0.0, colour, alpha));
}

void CSprite::DrawGeneral(int32_t frame, float left, float top, float width, float height, float x, float y,
                          float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                          uint32_t c4, float alpha)
{
    if (m_FrameCount <= 0) return;
    frame = WrapFrame(frame);
    if (Surface_CurrentTarget() == -1 && !g_CustomProjection &&
        Culled(x, y, float(m_Radius) * std::fabs(xscale), float(m_Radius) * std::fabs(yscale)))
        return;
    TPageEntry* entry = GetEntry(frame);
    DrawFailed(entry != nullptr ? GR_TPage_DrawGeneral(entry, left, top, width, height, x, y, xscale, yscale,
                                                       Radians(angle), c1, c2, c3, c4, alpha)
                                : GR_Texture_DrawGeneral(TextureOf(m_Textures, frame), left, top, width, height, x,
                                                         y, xscale, yscale, Radians(angle), c1, c2, c3, c4, alpha));
}

void CSprite::DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool across, bool down,
                        float areaLeft, float areaTop, float areaWidth, float areaHeight, uint32_t colour,
                        float alpha)
{
    if (m_FrameCount <= 0) return;
    frame = WrapFrame(frame);
    float ox = float(m_XOrigin);
    float oy = float(m_YOrigin);
    TPageEntry* entry = GetEntry(frame);
    DrawFailed(entry != nullptr ? GR_TPage_DrawTiled(entry, ox, oy, x, y, xscale, yscale, across, down, areaLeft,
                                                     areaTop, areaWidth, areaHeight, colour, alpha)
                                : GR_Texture_DrawTiled(TextureOf(m_Textures, frame), ox, oy, x, y, xscale, yscale,
                                                       across, down, areaLeft, areaTop, areaWidth, areaHeight,
                                                       colour, alpha));
}

void CSprite::DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                      uint32_t colour, float alpha)
{
    if (m_FrameCount <= 0) return;
    TPageEntry* entry = GetEntry(WrapFrame(frame));
    if (entry == nullptr) return;
    DrawFailed(GR_TPage_DrawQuad(entry, x1, y1, x2, y2, x3, y3, x4, y4, colour, alpha));
}
