// Drawing one line of a font: glyph quads packed into the vertex batch for texture fonts, sprite
// frames for sprite fonts, and a general rectangle draw per glyph for the corner-colour forms.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "font/Font_Class.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TextureDraw.h"
#include "sprite/Sprite_Table.h"
#include "support/Support_Hash.h"

// The pen along the line's baseline, turned by the angle (c = 1, s = 0 unturned).
struct CFontKV::Pen {
    double x, y, c, s, xscale;
    double OriginX(int32_t offset) const { return x + c * xscale * offset; }
    double OriginY(int32_t offset) const { return y - s * xscale * offset; }
    void Advance(int32_t shift)
    {
        x += c * shift * xscale;
        y -= s * shift * xscale;
    }
};

namespace {

size_t Length(const char16_t* text)
{
    size_t n = 0;
    while (text != nullptr && text[n] != 0) ++n;
    return n;
}

// Glyph quads asked of the batch at once: as many as one request may hold.
constexpr size_t QUADS_PER_REQUEST = VERTEX_REQUEST_MAX / 6;

struct Quad {
    float x[4], y[4]; // top-left, top-right, bottom-right, bottom-left
    float u0, v0, u1, v1;
};

// Two triangles of the quad, each vertex stored straight into the batch's room.
void Emit(TexturedVertex* v, const Quad& q, uint32_t colour)
{
    float z = g_DrawDepth;
    v[0] = {q.x[0], q.y[0], z, colour, q.u0, q.v0};
    v[1] = {q.x[1], q.y[1], z, colour, q.u1, q.v0};
    v[2] = {q.x[2], q.y[2], z, colour, q.u1, q.v1};
    v[3] = {q.x[2], q.y[2], z, colour, q.u1, q.v1};
    v[4] = {q.x[3], q.y[3], z, colour, q.u0, q.v1};
    v[5] = {q.x[0], q.y[0], z, colour, q.u0, q.v0};
}

// The glyph's cell on its texture: widened by half a texel on a page entry.
void CellCoordinates(Quad& q, const FontGlyph& g, const TPageEntry* entry, const TextureRecord& r)
{
    float rw = r.reciprocalWidth, rh = r.reciprocalHeight;
    if (entry != nullptr) {
        float left = float(entry->x + g.x), top = float(entry->y + g.y);
        q.u0 = (left - 0.5f) * rw, q.u1 = (left + g.w + 0.5f) * rw;
        q.v0 = (top - 0.5f) * rh, q.v1 = (top + g.h + 0.5f) * rh;
    } else {
        q.u0 = float(g.x) * rw, q.u1 = float(g.x + g.w) * rw;
        q.v0 = float(g.y) * rh, q.v1 = float(g.y + g.h) * rh;
    }
}

void UprightCorners(Quad& q, double left, double top, double width, double height)
{
    float l = float(left - 0.5), r = float(left + width + 0.5);
    float t = float(top - 0.5), b = float(top + height + 0.5);
    q.x[0] = l, q.y[0] = t, q.x[1] = r, q.y[1] = t;
    q.x[2] = r, q.y[2] = b, q.x[3] = l, q.y[3] = b;
}

void TurnedCorners(Quad& q, double ox, double oy, double width, double height, double c, double s)
{
    q.x[0] = float(ox - 0.5), q.y[0] = float(oy - 0.5);
    q.x[1] = float(ox + c * width - 0.5), q.y[1] = float(oy - s * width - 0.5);
    q.x[2] = float(ox + c * width + s * height + 0.5), q.y[2] = float(oy - s * width + c * height + 0.5);
    q.x[3] = float(ox + s * height + 0.5), q.y[3] = float(oy + c * height + 0.5);
}

} // namespace

void CFontKV::DrawText(float x, float y, const char16_t* text, uint32_t colour, float alpha)
{
    DrawTextTransformed(x, y, text, m_XScale, m_YScale, 0.0f, colour, alpha);
}

void CFontKV::DrawTextTransformed(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                                  uint32_t colour, float alpha)
{
    bool turned = !(std::fabs(double(angle)) < FONT_ROTATION_THRESHOLD);
    double a = turned ? double(angle) * FONT_DEGREES_TO_RADIANS : 0.0;
    if (m_SpriteIndex >= 0) {
        DrawSpriteLine(x, y, text, xscale, yscale, turned ? angle : 0.0f, colour, alpha);
        return;
    }
    Pen pen{x, y, std::cos(a), std::sin(a), xscale};
    TextureRecord* r = Texture_Get(CellTexture());
    size_t n = Length(text);
    if (r == nullptr || n == 0) return;
    const TPageEntry* entry = GetEntry();
    uint32_t argb = GR_MakeVertexColour(colour, alpha);
    // A line longer than one request goes in several, in order; they join one batch where the
    // buffer has room.
    for (size_t start = 0; start < n; start += QUADS_PER_REQUEST) {
        size_t quads = std::min(n - start, QUADS_PER_REQUEST);
        auto* v = static_cast<TexturedVertex*>(
            Graphics::AllocVerts(D3DPT_TRIANGLELIST, r->texture, VERTEX_SIZE_TEXTURED, int32_t(6 * quads)));
        if (v == nullptr) return;
        size_t used = 0;
        for (size_t i = start; i < start + quads; ++i) {
            const FontGlyph* g = FindGlyph(uint16_t(text[i]));
            if (g == nullptr) {
                // Unturned, a character without a glyph keeps an empty quad; turned, the quads are packed.
                if (!turned) {
                    std::memset(static_cast<void*>(v + used), 0, sizeof(TexturedVertex) * 6);
                    used += 6;
                }
                continue;
            }
            Quad q;
            CellCoordinates(q, *g, entry, *r);
            if (turned)
                TurnedCorners(q, pen.OriginX(g->offset), pen.OriginY(g->offset), double(g->w) * xscale,
                              double(g->h) * yscale, pen.c, pen.s);
            else
                UprightCorners(q, pen.OriginX(g->offset), pen.y, double(g->w) * xscale, double(g->h) * yscale);
            Emit(v + used, q, argb);
            used += 6;
            pen.Advance(g->shift);
        }
        if (turned) Graphics::ReturnVerts(int32_t(6 * quads - used));
    }
}

void CFontKV::DrawSpriteLine(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                             uint32_t colour, float alpha)
{
    if (!Sprite_Exists(m_SpriteIndex) || text == nullptr) return;
    CSprite* sprite = Sprite_Get(m_SpriteIndex);
    double a = double(angle) * FONT_DEGREES_TO_RADIANS;
    Pen pen{x, y, std::cos(a), std::sin(a), xscale};
    for (const char16_t* c = text; *c != 0; ++c) {
        const FontGlyph* g = FindGlyph(uint16_t(*c));
        if (g == nullptr) continue;
        if (g->code != ' ')
            sprite->Draw(g->w, float(pen.OriginX(g->offset)), float(pen.OriginY(g->offset)), xscale, yscale, angle,
                         colour, alpha);
        pen.Advance(g->shift);
    }
}

void CFontKV::DrawTextColour(float x, float y, const char16_t* text, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha)
{
    const uint32_t colours[4] = {c1, c2, c3, c4};
    DrawColourLine(x, y, text, m_XScale, m_YScale, 0.0f, colours, alpha);
}

void CFontKV::DrawTextTransformedColour(float x, float y, const char16_t* text, float xscale, float yscale,
                                        float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    const uint32_t colours[4] = {c1, c2, c3, c4};
    DrawColourLine(x, y, text, xscale, yscale, angle, colours, alpha);
}

// Each glyph's corners blend the line's colours by where the glyph lies along the line's width.
void CFontKV::DrawColourLine(float x, float y, const char16_t* text, float xscale, float yscale, float angle,
                             const uint32_t colours[4], float alpha)
{
    if (text == nullptr) return;
    bool turned = !(std::fabs(double(angle)) < FONT_ROTATION_THRESHOLD);
    double a = turned ? double(angle) * FONT_DEGREES_TO_RADIANS : 0.0;
    Pen pen{x, y, std::cos(a), std::sin(a), xscale};
    int32_t lineWidth = TextWidth(text);
    // A line of no width blends nothing: every glyph takes the first colours.
    auto along = [&](int32_t p) { return lineWidth != 0 ? float(p) / float(lineWidth) : 0.0f; };
    auto merge = [](uint32_t from, uint32_t to, float amount) {
        return uint32_t(Colour_Merge(int32_t(from), int32_t(to), amount));
    };
    CSprite* sprite = m_SpriteIndex >= 0 ? Sprite_Get(m_SpriteIndex) : nullptr;
    if (m_SpriteIndex >= 0 && sprite == nullptr) return;
    TPageEntry* entry = sprite != nullptr ? nullptr : GetEntry();
    int32_t p = 0;
    for (const char16_t* c = text; *c != 0; ++c) {
        const FontGlyph* g = FindGlyph(uint16_t(*c));
        if (g == nullptr) continue;
        uint32_t corner[4] = {merge(colours[0], colours[1], along(p)), merge(colours[0], colours[1], along(p + g->shift)),
                              merge(colours[3], colours[2], along(p + g->shift)), merge(colours[3], colours[2], along(p))};
        float ox = float(pen.OriginX(g->offset)), oy = float(pen.OriginY(g->offset));
        if (sprite != nullptr) {
            if (g->code != ' ')
                sprite->DrawGeneral(g->w, 0.0f, 0.0f, float(sprite->GetWidth()), float(sprite->GetHeight()), ox, oy,
                                    xscale, yscale, turned ? angle : 0.0f, corner[0], corner[1], corner[2], corner[3],
                                    alpha);
        } else if (entry != nullptr) {
            GR_TPage_DrawGeneral(entry, g->x, g->y, g->w, g->h, ox, oy, xscale, yscale, a, corner[0], corner[1],
                                 corner[2], corner[3], alpha);
        } else {
            GR_Texture_DrawGeneral(m_Texture, g->x, g->y, g->w, g->h, ox, oy, turned ? xscale : 1.0f,
                                   turned ? yscale : 1.0f, a, corner[0], corner[1], corner[2], corner[3], alpha);
        }
        p += g->shift;
        pen.Advance(g->shift);
    }
}
