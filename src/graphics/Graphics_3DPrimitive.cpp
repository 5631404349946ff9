// 3D primitives: vertices collected into one array of 36-byte vertices, texture coordinates mapped
// onto a page entry, and long primitives drawn in pieces that continue each other.
#include <cstring>

#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

// The drawing colour's vertices have bit 0 clear, own colours the lowest red bit set.
constexpr uint32_t OWN_COLOUR_MARK = 0x10000u;

struct Primitive3D {
    RecorderVertex vertices[PRIMITIVE_3D_LIMIT];
    int32_t count = 0;
    int32_t kind = 0;
    PrimitiveTexture texture;
    GraphicsRecorder* target = nullptr;
    bool drawColourUsed = false;
};

Primitive3D g_Primitive3D;

bool DrawnKind(int32_t kind)
{
    return kind >= D3DPT_POINTLIST && kind <= D3DPT_TRIANGLEFAN;
}

void Submit()
{
    Primitive3D& p = g_Primitive3D;
    int32_t count = GR_WholePrimitives(p.kind, p.count);
    if (!DrawnKind(p.kind) || count <= 0) return;
    if (p.target != nullptr) {
        GraphicsRecorder_AddPrimitive(p.target, p.kind, count, p.vertices);
        return;
    }
    void* room = Graphics::AllocVerts(p.kind, Texture_GetHandle(p.texture.texture), VERTEX_SIZE_LIT, count);
    if (room != nullptr) std::memcpy(room, p.vertices, size_t(count) * sizeof(RecorderVertex));
}

// Draws what was collected and keeps what the primitive needs to go on: a strip's last vertices
// (three for an odd count, the second-last twice, so the winding stays right), a fan's centre and
// last vertex.
void Split()
{
    Primitive3D& p = g_Primitive3D;
    Submit();
    RecorderVertex* v = p.vertices;
    int32_t n = p.count;
    p.count = 0;
    if (n <= 0) return;
    switch (p.kind) {
    case D3DPT_LINESTRIP:
        v[0] = v[n - 1];
        p.count = 1;
        break;
    case D3DPT_TRIANGLESTRIP:
        if (n < 2) break;
        if (n % 2 == 0) {
            v[0] = v[n - 2], v[1] = v[n - 1];
            p.count = 2;
        } else {
            RecorderVertex last = v[n - 1], secondLast = v[n - 2];
            v[0] = secondLast, v[1] = secondLast, v[2] = last;
            p.count = 3;
        }
        break;
    case D3DPT_TRIANGLEFAN:
        if (n < 2) break;
        v[1] = v[n - 1];
        p.count = 2;
        break;
    default:
        break;
    }
}

int32_t Limit(int32_t kind)
{
    if (kind == D3DPT_TRIANGLELIST) return PRIMITIVE_3D_LIMIT - 1;
    return DrawnKind(kind) ? PRIMITIVE_3D_LIMIT : 0;
}

void Append(float x, float y, float z, float nx, float ny, float nz, float u, float v, uint32_t colour)
{
    Primitive3D& p = g_Primitive3D;
    if (p.count >= Limit(p.kind)) Split();
    p.texture.MapUV(u, v);
    p.vertices[p.count++] = RecorderVertex{x, y, z, nx, ny, nz, colour, u, v};
}

uint32_t DrawColour()
{
    g_Primitive3D.drawColourUsed = true;
    return GR_Draw_GetVertexColour() & ~1u;
}

uint32_t OwnColour(uint32_t colour, double alpha)
{
    return GR_VertexColourFromByte(colour, GR_AlphaToByte(alpha)) | OWN_COLOUR_MARK;
}

} // namespace

void GR_3D_PrimitiveBegin(int32_t kind, int32_t texture)
{
    Primitive3D& p = g_Primitive3D;
    p.count = 0;
    p.kind = kind;
    p.texture = GR_PrimitiveTexture(texture);
}

void GR_3D_PrimitiveEnd()
{
    Submit();
}

void GR_3D_SetRecordingTarget(GraphicsRecorder* recorder)
{
    g_Primitive3D.target = recorder;
}

bool GR_3D_TakeDrawColourUsed()
{
    bool used = g_Primitive3D.drawColourUsed;
    g_Primitive3D.drawColourUsed = false;
    return used;
}

void GR_3D_Vertex(float x, float y, float z)
{
    Append(x, y, z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, DrawColour());
}

void GR_3D_VertexColour(float x, float y, float z, uint32_t colour, double alpha)
{
    Append(x, y, z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, OwnColour(colour, alpha));
}

void GR_3D_VertexTexture(float x, float y, float z, float u, float v)
{
    Append(x, y, z, 0.0f, 0.0f, 0.0f, u, v, DrawColour());
}

void GR_3D_VertexTextureColour(float x, float y, float z, float u, float v, uint32_t colour, double alpha)
{
    Append(x, y, z, 0.0f, 0.0f, 0.0f, u, v, OwnColour(colour, alpha));
}

void GR_3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz)
{
    Append(x, y, z, nx, ny, nz, 0.0f, 0.0f, DrawColour());
}

void GR_3D_VertexNormalColour(float x, float y, float z, float nx, float ny, float nz, uint32_t colour,
                              double alpha)
{
    Append(x, y, z, nx, ny, nz, 0.0f, 0.0f, OwnColour(colour, alpha));
}

void GR_3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    Append(x, y, z, nx, ny, nz, u, v, DrawColour());
}

void GR_3D_VertexNormalTextureColour(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                     uint32_t colour, double alpha)
{
    Append(x, y, z, nx, ny, nz, u, v, OwnColour(colour, alpha));
}
