#include "graphics/Graphics_TextureDraw.h"

#include <algorithm>
#include <cmath>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"

namespace {

// Below these a turn is drawn unrotated.
constexpr double ROTATION_THRESHOLD = 0.001;
constexpr double GENERAL_ROTATION_THRESHOLD = 0.01;
constexpr uint32_t WHITE = 0xFFFFFFu;

// Corners in the order top-left, top-right, bottom-right, bottom-left.
struct Corners {
    float x[4];
    float y[4];
};

struct TexRect {
    float u0, v0, u1, v1;
};

// The corners of (left, top)-(right, bottom), relative to (x, y) and turned about it: corner (px, py)
// lies at (x + c px + s py, y - s px + c py). Each product and partial sum is shared by the two
// corners on one edge, added in that order.
Corners Place(double x, double y, double left, double top, double right, double bottom, double angle,
              double threshold)
{
    if (std::fabs(angle) < threshold) {
        float l = float(x + left), r = float(x + right), t = float(y + top), b = float(y + bottom);
        return Corners{{l, r, r, l}, {t, t, b, b}};
    }
    double s = std::sin(angle), c = std::cos(angle);
    double xl = x + c * left, xr = x + c * right, yl = y - s * left, yr = y - s * right;
    double st = s * top, sb = s * bottom, ct = c * top, cb = c * bottom;
    return Corners{{float(xl + st), float(xr + st), float(xr + sb), float(xl + sb)},
                   {float(yl + ct), float(yr + ct), float(yr + cb), float(yl + cb)}};
}

TexturedVertex Vertex(const Corners& q, int corner, float u, float v, uint32_t colour)
{
    return TexturedVertex{q.x[corner], q.y[corner], g_DrawDepth, colour, u, v};
}

// Page-entry draws: a triangle list of six vertices.
bool EmitList(DeviceTexture* texture, const Corners& q, const TexRect& t, const uint32_t colours[4])
{
    auto* v = static_cast<TexturedVertex*>(
        Graphics::AllocVerts(D3DPT_TRIANGLELIST, texture, VERTEX_SIZE_TEXTURED, 6));
    if (v == nullptr) return false;
    v[0] = Vertex(q, 0, t.u0, t.v0, colours[0]);
    v[1] = Vertex(q, 1, t.u1, t.v0, colours[1]);
    v[2] = Vertex(q, 2, t.u1, t.v1, colours[2]);
    v[3] = v[2];
    v[4] = Vertex(q, 3, t.u0, t.v1, colours[3]);
    v[5] = v[0];
    return true;
}

// Most draws by texture index: a triangle fan of four vertices.
bool EmitFan(DeviceTexture* texture, const Corners& q, const TexRect& t, const uint32_t colours[4])
{
    auto* v = static_cast<TexturedVertex*>(
        Graphics::AllocVerts(D3DPT_TRIANGLEFAN, texture, VERTEX_SIZE_TEXTURED, 4));
    if (v == nullptr) return false;
    v[0] = Vertex(q, 0, t.u0, t.v0, colours[0]);
    v[1] = Vertex(q, 1, t.u1, t.v0, colours[1]);
    v[2] = Vertex(q, 2, t.u1, t.v1, colours[2]);
    v[3] = Vertex(q, 3, t.u0, t.v1, colours[3]);
    return true;
}

struct Colours {
    uint32_t c[4];
};

Colours Same(uint32_t argb)
{
    return Colours{{argb, argb, argb, argb}};
}

Colours Each(uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, double alpha)
{
    return Colours{{GR_MakeVertexColour(c1, alpha), GR_MakeVertexColour(c2, alpha),
                    GR_MakeVertexColour(c3, alpha), GR_MakeVertexColour(c4, alpha)}};
}

uint32_t WhiteWithDrawingAlpha()
{
    return GR_VertexColourFromByte(WHITE, GR_Draw_GetAlphaByte());
}

// The whole picture of a record.
TexRect WholeTexture(const TextureRecord* r)
{
    return TexRect{0.0f, 0.0f, float(r->width) * r->reciprocalWidth, float(r->height) * r->reciprocalHeight};
}

// The texture behind a page entry, or null: a null entry, or one whose texture is not in the table.
TextureRecord* PageTexture(TPageEntry* entry)
{
    if (entry == nullptr) return nullptr;
    TextureRecord* r = Texture_Get(entry->texture);
    if (r != nullptr) TPage_FixCropSize(entry);
    return r;
}

TexRect PageRect(const TPageEntry* e, const TextureRecord* r)
{
    return TexRect{float(e->x) * r->reciprocalWidth, float(e->y) * r->reciprocalHeight,
                   float(e->x + e->width) * r->reciprocalWidth,
                   float(e->y + e->height) * r->reciprocalHeight};
}

bool TexturePart(int32_t index, double left, double top, double width, double height, double x, double y,
                 double xScale, double yScale, double angle, const Colours& colours, double threshold)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr) return false;
    Corners q = Place(x, y, 0.0, 0.0, width * xScale, height * yScale, angle, threshold);
    TexRect t = {float(left * r->reciprocalWidth), float(top * r->reciprocalHeight),
                 float((left + width) * r->reciprocalWidth), float((top + height) * r->reciprocalHeight)};
    return EmitFan(r->texture, q, t, colours.c);
}

// A rectangle of the frame drawn from the cropped picture the page holds.
bool PagePart(TPageEntry* e, double left, double top, double width, double height, double x, double y,
              double xScale, double yScale, double angle, const Colours& colours, double threshold)
{
    TextureRecord* r = PageTexture(e);
    if (r == nullptr) return false;
    double column = left - e->xOffset;
    if (e->xOffset > left) {
        double d = e->xOffset - left;
        x += std::trunc(d * std::cos(angle) * xScale);
        y += std::trunc(-d * std::sin(angle) * yScale);
        width -= d;
        column = 0.0;
    }
    double row = top - e->yOffset;
    if (e->yOffset > top) {
        double d = e->yOffset - top;
        x += std::trunc(d * std::sin(angle) * xScale);
        y += std::trunc(d * std::cos(angle) * yScale);
        height -= d;
        row = 0.0;
    }
    // Only the cropped picture lies on the page: what reaches past it belongs to its neighbours.
    width = std::min(width, e->cropWidth - column);
    height = std::min(height, e->cropHeight - row);
    if (!(width > 0.0) || !(height > 0.0)) return false;
    Corners q = Place(x, y, 0.0, 0.0, width * xScale, height * yScale, angle, threshold);
    double sx = double(e->width) / e->cropWidth;
    double sy = double(e->height) / e->cropHeight;
    TexRect t = {float((e->x + column * sx) * r->reciprocalWidth),
                 float((e->y + row * sy) * r->reciprocalHeight),
                 float((e->x + (column + width) * sx) * r->reciprocalWidth),
                 float((e->y + (row + height) * sy) * r->reciprocalHeight)};
    return EmitList(r->texture, q, t, colours.c);
}

// Whole tiles forward while the clip starts beyond the next edge. Counted rather than stepped, so
// that a clip far from the origin costs no more than one near it.
double StepForward(double start, double tile, double clipStart)
{
    if (clipStart > start + tile) start += std::ceil((clipStart - start - tile) / tile) * tile;
    return start;
}

// The first tile edge at or before the clip's start, for the tiled draw by index.
double WrapIndexStart(double start, double tile, double clipStart)
{
    start = std::fmod(start, tile);
    if (start > 0.0) start -= tile;
    return StepForward(start, tile, clipStart);
}

// The same for a page entry, which also steps back from beyond the clip's end and then by one frame.
double WrapPageStart(double start, double tile, double clipStart, double clipSize, double frameSize)
{
    start = WrapIndexStart(start, tile, clipStart);
    if (start >= clipStart + clipSize)
        start -= (std::floor((start - clipStart - clipSize) / tile) + 1.0) * tile;
    return start - frameSize;
}

// One axis of a tiled draw: a tile every `step` from `first` (each covering `offset` to `offset +
// extent` from its start) while the start stays before `end`, one at least, only the first when not
// repeated. Where the tiles outnumber the axis's known pixels, only those holding a pixel centre are
// visited, give or take the rounding of single-precision vertex positions (up to a tile either side):
// a room of any width costs what its window or view shows. `visit` takes a tile's start and
// answers whether to go on.
template <class Visit>
bool ForEachTile(double first, double step, double offset, double extent, double end, bool repeat,
                 const TileAxisPixels* pixels, Visit visit)
{
    double count = repeat && first < end ? std::max(1.0, std::ceil((end - first) / step)) : 1.0;
    while (count > 1.0 && first + (count - 1.0) * step >= end) count -= 1.0;
    while (repeat && first + count * step < end) count += 1.0;
    if (pixels == nullptr || pixels->count <= 0 || !(pixels->pitch > 0.0) || count <= 2.0 * pixels->count) {
        for (double k = 0.0; k < count; k += 1.0)
            if (!visit(first + k * step)) return false;
        return true;
    }
    double next = 0.0; // tiles before this one are visited already
    for (int32_t i = 0; i < pixels->count; ++i) {
        double centre = pixels->origin + (i + 0.5) * pixels->pitch;
        double slack = std::min(1.0 + std::fabs(centre) * 0x1p-22, step);
        double from = std::max(next, std::ceil((centre - slack - extent - offset - first) / step));
        double to = std::min(count - 1.0, std::floor((centre + slack - offset - first) / step));
        for (double k = from; k <= to; k += 1.0)
            if (!visit(first + k * step)) return false;
        next = std::max(next, to + 1.0);
    }
    return true;
}

// A tiled draw over an area with no finite bounds would never end.
bool FiniteArea(float x, float y, float clipLeft, float clipTop, float clipWidth, float clipHeight)
{
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(clipLeft) && std::isfinite(clipTop) &&
           std::isfinite(clipLeft + clipWidth) && std::isfinite(clipTop + clipHeight);
}

uint32_t RoundedAlphaByte(double alpha)
{
    double scaled = std::nearbyint(alpha * 255.0);
    if (!(scaled > 0.0)) return 0;
    return scaled >= 255.0 ? 255u : uint32_t(scaled);
}

} // namespace

bool GR_Texture_Draw(int32_t index, float x, float y)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr) return false;
    Corners q = Place(x, y, 0.0, 0.0, r->width, r->height, 0.0, ROTATION_THRESHOLD);
    return EmitList(r->texture, q, WholeTexture(r), Same(WhiteWithDrawingAlpha()).c);
}

bool GR_Texture_DrawStretched(int32_t index, float x, float y, float w, float h, uint32_t colour,
                              double alpha)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr) return false;
    Corners q = Place(x, y, 0.0, 0.0, w, h, 0.0, ROTATION_THRESHOLD);
    return EmitFan(r->texture, q, WholeTexture(r), Same(GR_MakeVertexColour(colour, alpha)).c);
}

bool GR_Texture_DrawExt(int32_t index, float xOrigin, float yOrigin, float x, float y, float xScale,
                        float yScale, double angle, uint32_t colour, double alpha)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr) return false;
    if (r->width == 0 || r->height == 0) {
        // A texture of no size still shows as a small square.
        r->width = 8;
        r->height = 8;
        r->reciprocalWidth = 0.125f;
        r->reciprocalHeight = 0.125f;
    }
    double left = -double(xOrigin) * xScale;
    double top = -double(yOrigin) * yScale;
    Corners q = Place(x, y, left, top, left + double(r->width) * xScale, top + double(r->height) * yScale,
                      angle, ROTATION_THRESHOLD);
    return EmitFan(r->texture, q, WholeTexture(r), Same(GR_MakeVertexColour(colour, alpha)).c);
}

bool GR_Texture_DrawPart(int32_t index, float left, float top, float width, float height, float x, float y,
                         float xScale, float yScale, double angle, uint32_t colour, double alpha)
{
    return TexturePart(index, left, top, width, height, x, y, xScale, yScale, angle,
                       Same(GR_MakeVertexColour(colour, alpha)), ROTATION_THRESHOLD);
}

bool GR_Texture_DrawGeneral(int32_t index, float left, float top, float width, float height, float x, float y,
                            float xScale, float yScale, double angle, uint32_t colour1, uint32_t colour2,
                            uint32_t colour3, uint32_t colour4, double alpha)
{
    return TexturePart(index, left, top, width, height, x, y, xScale, yScale, angle,
                       Each(colour1, colour2, colour3, colour4, alpha), GENERAL_ROTATION_THRESHOLD);
}

bool GR_Texture_DrawTiled(int32_t index, float xOrigin, float yOrigin, float x, float y, float xScale,
                          float yScale, bool across, bool down, float clipLeft, float clipTop,
                          float clipWidth, float clipHeight, uint32_t colour, double alpha,
                          const TilePixels* pixels)
{
    TextureRecord* r = Texture_Get(index);
    if (r == nullptr || !FiniteArea(x, y, clipLeft, clipTop, clipWidth, clipHeight)) return false;
    double width = double(r->width) * xScale;
    double height = double(r->height) * yScale;
    double tileWidth = std::trunc(width);
    double tileHeight = std::trunc(height);
    if (!(tileWidth >= 1.0) || !(tileHeight >= 1.0)) return false;
    Colours colours = Same(GR_VertexColourFromByte(colour, RoundedAlphaByte(alpha)));
    TexRect whole = WholeTexture(r);
    double firstColumn = std::nearbyint(x);
    if (across) firstColumn = WrapIndexStart(firstColumn, tileWidth, clipLeft);
    double firstRow = std::nearbyint(y);
    if (down) firstRow = WrapIndexStart(firstRow, tileHeight, clipTop);
    double xOffset = -double(xOrigin) * xScale;
    double yOffset = -double(yOrigin) * yScale;
    return ForEachTile(firstColumn, tileWidth, xOffset, width, double(clipLeft) + clipWidth, across,
                       pixels != nullptr ? &pixels->across : nullptr, [&](double column) {
        return ForEachTile(firstRow, tileHeight, yOffset, height, double(clipTop) + clipHeight, down,
                           pixels != nullptr ? &pixels->down : nullptr, [&](double row) {
            Corners q = Place(column + xOffset, row + yOffset, 0.0, 0.0, width, height, 0.0, ROTATION_THRESHOLD);
            return EmitFan(r->texture, q, whole, colours.c);
        });
    });
}

bool GR_TPage_Draw(TPageEntry* entry, float x, float y)
{
    TextureRecord* r = PageTexture(entry);
    if (r == nullptr) return false;
    double left = double(x) + entry->xOffset;
    double top = double(y) + entry->yOffset;
    Corners q = Place(left, top, 0.0, 0.0, entry->cropWidth, entry->cropHeight, 0.0, ROTATION_THRESHOLD);
    return EmitList(r->texture, q, PageRect(entry, r), Same(WhiteWithDrawingAlpha()).c);
}

bool GR_TPage_DrawQuad(TPageEntry* entry, float x1, float y1, float x2, float y2, float x3, float y3,
                       float x4, float y4, uint32_t colour, double alpha)
{
    TextureRecord* r = PageTexture(entry);
    if (r == nullptr) return false;
    Corners q = {{x1, x2, x3, x4}, {y1, y2, y3, y4}};
    return EmitList(r->texture, q, PageRect(entry, r), Same(GR_MakeVertexColour(colour, alpha)).c);
}

bool GR_TPage_DrawExt(TPageEntry* entry, float xOrigin, float yOrigin, float x, float y, float xScale,
                      float yScale, double angle, uint32_t colour, double alpha)
{
    TextureRecord* r = PageTexture(entry);
    if (r == nullptr) return false;
    double left = (double(entry->xOffset) - xOrigin) * xScale;
    double top = (double(entry->yOffset) - yOrigin) * yScale;
    double right = left + double(entry->cropWidth) * xScale;
    double bottom = top + double(entry->cropHeight) * yScale;
    Corners q = Place(x, y, left, top, right, bottom, angle, ROTATION_THRESHOLD);
    return EmitList(r->texture, q, PageRect(entry, r), Same(GR_MakeVertexColour(colour, alpha)).c);
}

bool GR_TPage_DrawPart(TPageEntry* entry, float left, float top, float width, float height, float x, float y,
                       float xScale, float yScale, double angle, uint32_t colour, double alpha)
{
    return PagePart(entry, left, top, width, height, x, y, xScale, yScale, angle,
                    Same(GR_MakeVertexColour(colour, alpha)), ROTATION_THRESHOLD);
}

bool GR_TPage_DrawGeneral(TPageEntry* entry, float left, float top, float width, float height, float x,
                          float y, float xScale, float yScale, double angle, uint32_t colour1,
                          uint32_t colour2, uint32_t colour3, uint32_t colour4, double alpha)
{
    return PagePart(entry, left, top, width, height, x, y, xScale, yScale, angle,
                    Each(colour1, colour2, colour3, colour4, alpha), GENERAL_ROTATION_THRESHOLD);
}

bool GR_TPage_DrawTiled(TPageEntry* entry, float xOrigin, float yOrigin, float x, float y, float xScale,
                        float yScale, bool across, bool down, float clipLeft, float clipTop, float clipWidth,
                        float clipHeight, uint32_t colour, double alpha, const TilePixels* pixels)
{
    TextureRecord* r = PageTexture(entry);
    if (r == nullptr || !FiniteArea(x, y, clipLeft, clipTop, clipWidth, clipHeight)) return false;
    double tileWidth = std::trunc(double(entry->frameWidth) * xScale);
    double tileHeight = std::trunc(double(entry->frameHeight) * yScale);
    if (!(tileWidth > 0.0) || !(tileHeight > 0.0)) return false;
    double width = double(entry->cropWidth) * xScale;
    double height = double(entry->cropHeight) * yScale;
    double firstColumn = std::trunc((double(entry->xOffset) - xOrigin) * xScale) + std::trunc(x);
    double firstRow = std::trunc((double(entry->yOffset) - yOrigin) * yScale) + std::trunc(y);
    Colours colours = Same(GR_MakeVertexColour(colour, alpha));
    TexRect rect = PageRect(entry, r);
    if (across) firstColumn = WrapPageStart(firstColumn, tileWidth, clipLeft, clipWidth, entry->frameWidth);
    if (down) firstRow = WrapPageStart(firstRow, tileHeight, clipTop, clipHeight, entry->frameHeight);
    return ForEachTile(firstColumn, tileWidth, 0.0, width, double(clipLeft) + clipWidth, across,
                       pixels != nullptr ? &pixels->across : nullptr, [&](double column) {
        return ForEachTile(firstRow, tileHeight, 0.0, height, double(clipTop) + clipHeight, down,
                           pixels != nullptr ? &pixels->down : nullptr, [&](double row) {
            Corners q = Place(column, row, 0.0, 0.0, width, height, 0.0, ROTATION_THRESHOLD);
            return EmitList(r->texture, q, rect, colours.c);
        });
    });
}

bool GR_Texture_DrawCorners(DeviceTexture* texture, float x1, float y1, float x2, float y2, float x3,
                            float y3, float x4, float y4, float uLeft, float vTop, float uRight,
                            float vBottom, uint32_t colour1, uint32_t colour2, uint32_t colour3,
                            uint32_t colour4)
{
    Corners q = {{x1, x2, x3, x4}, {y1, y2, y3, y4}};
    const uint32_t colours[4] = {colour1, colour2, colour3, colour4};
    return EmitList(texture, q, TexRect{uLeft, vTop, uRight, vBottom}, colours);
}
