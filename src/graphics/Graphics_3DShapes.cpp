// The ready-made 3D shapes, each drawn as primitives with the drawing colour and the texture
// repeated across every face.
#include <algorithm>
#include <cmath>

#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_RenderState.h"

namespace {

// The angles step round with pi as a 32-bit float.
constexpr double PI_F32 = 3.1415927410125732;

struct Corner {
    int8_t x, y, z; // 0 the box's first coordinate, 1 its second
    int8_t u, v;    // 0 or the repeat
};

struct Face {
    float nx, ny, nz;
    Corner a, b, c, d;
};

// Two triangles a b c, c d a per face, in the order the faces are drawn.
const Face BLOCK_FACES[] = {
    {0, 0, -1, {0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 1, 0, 1, 1}, {1, 0, 0, 1, 0}},
    {0, 0, 1, {0, 0, 1, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {0, 1, 1, 0, 1}},
    {0, 1, 0, {0, 1, 0, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1}, {1, 1, 0, 1, 0}},
    {1, 0, 0, {1, 0, 0, 0, 0}, {1, 1, 0, 1, 0}, {1, 1, 1, 1, 1}, {1, 0, 1, 0, 1}},
    {0, -1, 0, {0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 0, 1, 1, 1}, {0, 0, 1, 0, 1}},
    {-1, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 1, 0, 1}, {0, 1, 1, 1, 1}, {0, 1, 0, 1, 0}},
};

// Repeat stays on for the shape's own batch and returns to what it was.
class ShapeScope {
  public:
    ShapeScope() : m_Repeat(GR_Texture_GetRepeat())
    {
        Graphics::Flush();
        GR_Texture_SetRepeat(true);
    }
    ~ShapeScope()
    {
        Graphics::Flush();
        GR_Texture_SetRepeat(m_Repeat);
    }
    ShapeScope(const ShapeScope&) = delete;
    ShapeScope& operator=(const ShapeScope&) = delete;

  private:
    bool m_Repeat;
};

void CornerVertex(const Box3D& b, const Face& f, const Corner& c, float h, float v)
{
    GR_3D_VertexNormalTexture(c.x != 0 ? b.x2 : b.x1, c.y != 0 ? b.y2 : b.y1, c.z != 0 ? b.z2 : b.z1, f.nx, f.ny,
                              f.nz, c.u != 0 ? h : 0.0f, c.v != 0 ? v : 0.0f);
}

int32_t ClampSteps(int32_t steps)
{
    return std::clamp(steps, SHAPE_STEPS_MIN, SHAPE_STEPS_MAX);
}

double Angle(int32_t i, int32_t steps)
{
    return 2.0 * PI_F32 * i / steps;
}

struct Ellipse {
    float cx, cy, rx, ry;
};

Ellipse EllipseOf(const Box3D& b)
{
    return Ellipse{(b.x1 + b.x2) / 2.0f, (b.y1 + b.y2) / 2.0f, (b.x2 - b.x1) / 2.0f, (b.y2 - b.y1) / 2.0f};
}

// A fan from the centre over the rim at z, round the rim forwards or (facing down) backwards.
void Cap(const Ellipse& e, float z, float nz, int32_t steps, bool upwards, int32_t texture, float u, float v)
{
    GR_3D_PrimitiveBegin(D3DPT_TRIANGLEFAN, texture);
    GR_3D_VertexNormalTexture(e.cx, e.cy, z, 0.0f, 0.0f, nz, u, v);
    for (int32_t k = 0; k <= steps; ++k) {
        int32_t i = upwards ? k : steps - k;
        double t = Angle(i, steps);
        GR_3D_VertexNormalTexture(e.cx + e.rx * float(std::cos(t)), e.cy + e.ry * float(std::sin(t)), z, 0.0f, 0.0f,
                                  nz, u, v);
    }
    GR_3D_PrimitiveEnd();
}

// The side of a cylinder (or of a cone, whose top rim is its apex).
void Side(const Box3D& b, int32_t texture, float h, float v, int32_t steps, bool cone)
{
    Ellipse e = EllipseOf(b);
    GR_3D_PrimitiveBegin(D3DPT_TRIANGLESTRIP, texture);
    for (int32_t i = 0; i <= steps; ++i) {
        double t = Angle(i, steps);
        float c = float(std::cos(t)), s = float(std::sin(t));
        float u = float(double(i) * h / steps);
        float topX = cone ? e.cx : e.cx + e.rx * c, topY = cone ? e.cy : e.cy + e.ry * s;
        GR_3D_VertexNormalTexture(topX, topY, b.z2, c, s, 0.0f, u, v);
        GR_3D_VertexNormalTexture(e.cx + e.rx * c, e.cy + e.ry * s, b.z1, c, s, 0.0f, u, 0.0f);
    }
    GR_3D_PrimitiveEnd();
}

void Quad(int32_t texture, const RecorderVertex (&corners)[4])
{
    GR_3D_PrimitiveBegin(D3DPT_TRIANGLEFAN, texture);
    for (const RecorderVertex& c : corners)
        GR_3D_VertexNormalTexture(c.x, c.y, c.z, c.nx, c.ny, c.nz, c.u, c.v);
    GR_3D_PrimitiveEnd();
}

} // namespace

void GR_3D_DrawBlock(const Box3D& box, int32_t texture, float hrepeat, float vrepeat)
{
    ShapeScope scope;
    GR_3D_PrimitiveBegin(D3DPT_TRIANGLELIST, texture);
    for (const Face& f : BLOCK_FACES)
        for (const Corner* c : {&f.a, &f.b, &f.c, &f.c, &f.d, &f.a})
            CornerVertex(box, f, *c, hrepeat, vrepeat);
    GR_3D_PrimitiveEnd();
}

void GR_3D_DrawCylinder(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, bool closed,
                        int32_t steps)
{
    ShapeScope scope;
    steps = ClampSteps(steps);
    Ellipse e = EllipseOf(box);
    if (closed) Cap(e, box.z2, 1.0f, steps, true, texture, 0.0f, vrepeat);
    Side(box, texture, hrepeat, vrepeat, steps, false);
    if (closed) Cap(e, box.z1, -1.0f, steps, false, texture, 0.0f, 0.0f);
}

void GR_3D_DrawCone(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, bool closed, int32_t steps)
{
    ShapeScope scope;
    steps = ClampSteps(steps);
    Side(box, texture, hrepeat, vrepeat, steps, true);
    if (closed) Cap(EllipseOf(box), box.z1, -1.0f, steps, false, texture, 0.0f, 0.0f);
}

void GR_3D_DrawEllipsoid(const Box3D& box, int32_t texture, float hrepeat, float vrepeat, int32_t steps)
{
    ShapeScope scope;
    steps = ClampSteps(steps);
    int32_t bands = steps / 2;
    Ellipse e = EllipseOf(box);
    float cz = (box.z1 + box.z2) / 2.0f, rz = (box.z2 - box.z1) / 2.0f;
    for (int32_t i = 0; i < bands; ++i) {
        GR_3D_PrimitiveBegin(D3DPT_TRIANGLESTRIP, texture);
        for (int32_t j = 0; j <= steps; ++j) {
            double t = Angle(j, steps);
            for (int32_t k = i; k <= i + 1; ++k) {
                double p = k * PI_F32 / bands;
                float nx = float(std::sin(p) * std::cos(t)), ny = float(std::sin(p) * std::sin(t));
                float nz = float(std::cos(p));
                GR_3D_VertexNormalTexture(e.cx + e.rx * nx, e.cy + e.ry * ny, cz + rz * nz, nx, ny, nz,
                                          float(double(j) * hrepeat / steps), float(double(k) * vrepeat / bands));
            }
        }
        GR_3D_PrimitiveEnd();
    }
}

void GR_3D_DrawWall(const Box3D& b, int32_t texture, float hrepeat, float vrepeat)
{
    float dx = b.x2 - b.x1, dy = b.y2 - b.y1;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0f) return;
    ShapeScope scope;
    float nx = dy / length, ny = -dx / length;
    Quad(texture, {{b.x1, b.y1, b.z1, nx, ny, 0.0f, 0, 0.0f, 0.0f},
                   {b.x2, b.y2, b.z1, nx, ny, 0.0f, 0, hrepeat, 0.0f},
                   {b.x2, b.y2, b.z2, nx, ny, 0.0f, 0, hrepeat, vrepeat},
                   {b.x1, b.y1, b.z2, nx, ny, 0.0f, 0, 0.0f, vrepeat}});
}

void GR_3D_DrawFloor(const Box3D& b, int32_t texture, float hrepeat, float vrepeat)
{
    ShapeScope scope;
    Quad(texture, {{b.x1, b.y1, b.z1, 0.0f, 0.0f, 1.0f, 0, 0.0f, 0.0f},
                   {b.x1, b.y2, b.z1, 0.0f, 0.0f, 1.0f, 0, 0.0f, vrepeat},
                   {b.x2, b.y2, b.z2, 0.0f, 0.0f, 1.0f, 0, hrepeat, vrepeat},
                   {b.x2, b.y1, b.z2, 0.0f, 0.0f, 1.0f, 0, hrepeat, 0.0f}});
}
