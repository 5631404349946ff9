// The scripts' own primitives, built vertex by vertex into a fixed list and queued whole at the end.
#include <cstring>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

struct Primitive {
    TexturedVertex vertices[PRIMITIVE_VERTEX_LIMIT];
    int32_t count = 0;
    int32_t kind = 0;
    PrimitiveTexture texture;
};

Primitive g_Primitive;

void Append(float x, float y, uint32_t colour, float u, float v)
{
    Primitive& p = g_Primitive;
    if (p.count >= PRIMITIVE_VERTEX_LIMIT) return;
    p.vertices[p.count++] = TexturedVertex{x, y, g_DrawDepth, colour, u, v};
}

// With a page entry, u and v run 0..1 over the frame and are mapped into the page.
void AppendTextured(float x, float y, float u, float v, uint32_t colour)
{
    g_Primitive.texture.MapUV(u, v);
    Append(x, y, colour, u, v);
}

} // namespace

void PrimitiveTexture::MapUV(float& u, float& v) const
{
    if (page == nullptr) return;
    u = (float(page->cropWidth) * u + float(page->x)) / pageWidth;
    v = (float(page->cropHeight) * v + float(page->y)) / pageHeight;
}

PrimitiveTexture GR_PrimitiveTexture(int32_t texture)
{
    PrimitiveTexture chosen;
    if (Texture_Exists(texture)) {
        chosen.texture = texture;
        return chosen;
    }
    if (texture == -1) return chosen;
    const TPageEntry* entry = TPage_FromHandle(texture);
    DeviceTexture* device = entry != nullptr ? Texture_GetHandle(entry->texture) : nullptr;
    if (device == nullptr) return chosen;
    chosen.texture = entry->texture;
    chosen.page = entry;
    chosen.pageWidth = float(DeviceTexture_Width(device));
    chosen.pageHeight = float(DeviceTexture_Height(device));
    return chosen;
}

int32_t GR_WholePrimitives(int32_t kind, int32_t count)
{
    if (kind == D3DPT_LINELIST) return count - count % 2;
    if (kind == D3DPT_TRIANGLELIST) return count - count % 3;
    return count;
}

void GR_Draw_PrimitiveBegin(int32_t kind, int32_t texture)
{
    Primitive& p = g_Primitive;
    p.count = 0;
    p.kind = kind;
    p.texture = GR_PrimitiveTexture(texture);
}

void GR_Draw_Vertex(float x, float y)
{
    Append(x, y, GR_Draw_GetVertexColour(), 0.0f, 0.0f);
}

void GR_Draw_VertexColour(float x, float y, uint32_t colour, double alpha)
{
    Append(x, y, GR_VertexColourFromByte(colour, GR_AlphaToByte(alpha)), 0.0f, 0.0f);
}

void GR_Draw_VertexTexture(float x, float y, float u, float v)
{
    AppendTextured(x, y, u, v, GR_Draw_GetVertexColour());
}

void GR_Draw_VertexTextureColour(float x, float y, float u, float v, uint32_t colour, double alpha)
{
    AppendTextured(x, y, u, v, GR_VertexColourFromByte(colour, GR_AlphaToByte(alpha)));
}

void GR_Draw_PrimitiveEnd()
{
    const Primitive& p = g_Primitive;
    if (p.kind < D3DPT_POINTLIST || p.kind > D3DPT_TRIANGLEFAN) return;
    int32_t count = GR_WholePrimitives(p.kind, p.count);
    if (count <= 0) return;
    void* room = Graphics::AllocVerts(p.kind, Texture_GetHandle(p.texture.texture), VERTEX_SIZE_TEXTURED, count);
    if (room != nullptr) std::memcpy(room, p.vertices, sizeof(TexturedVertex) * size_t(count));
}

int32_t GR_Draw_PrimitiveCount()
{
    return g_Primitive.count;
}
