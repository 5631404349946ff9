// The untextured 2D shapes. Points, thin and wide lines and arrow shafts use the 16-byte vertex;
// every other shape the 24-byte one with u and v at 0.
#include <algorithm>
#include <cmath>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Texture.h"

namespace {

constexpr double PI_F32 = 3.1415927410125732;
constexpr uint32_t WHITE = 0xFFFFFFu;
constexpr uint32_t GREY = 0x808080u;
constexpr uint32_t BLACK = 0x000000u;

struct CircleTables {
    int32_t precision = 0;
    float cosine[CIRCLE_PRECISION_MAX + 2] = {};
    float sine[CIRCLE_PRECISION_MAX + 2] = {};
};

CircleTables MakeTables(int32_t precision)
{
    CircleTables t;
    t.precision = precision;
    for (int32_t i = 0; i <= precision; ++i) {
        double angle = double(i) * 2.0 * PI_F32 / double(precision);
        t.cosine[i] = float(std::cos(angle));
        t.sine[i] = float(std::sin(angle));
    }
    return t;
}

CircleTables g_Circle = MakeTables(CIRCLE_PRECISION_DEFAULT);

ColouredVertex* Coloured(int32_t type, int32_t count)
{
    return static_cast<ColouredVertex*>(Graphics::AllocVerts(type, nullptr, VERTEX_SIZE_COLOURED, count));
}

TexturedVertex* Plain(int32_t type, int32_t count)
{
    return static_cast<TexturedVertex*>(Graphics::AllocVerts(type, nullptr, VERTEX_SIZE_TEXTURED, count));
}

ColouredVertex At(float x, float y, uint32_t colour)
{
    return ColouredVertex{x, y, g_DrawDepth, colour};
}

TexturedVertex PlainAt(float x, float y, uint32_t colour)
{
    return TexturedVertex{x, y, g_DrawDepth, colour, 0.0f, 0.0f};
}

uint32_t WithAlpha(uint32_t colour)
{
    return GR_VertexColourFromByte(colour, GR_Draw_GetAlphaByte());
}

// A right or bottom edge on a whole number moves just past it, so that the edge's pixels are lit.
float PastWhole(float edge)
{
    return edge == std::floor(edge) ? float(double(edge) + 0.01) : edge;
}

void Order(float& low, float& high)
{
    if (low > high) std::swap(low, high);
}

// Two triangles over the rectangle: top-left, top-right, bottom-right; bottom-right, bottom-left,
// top-left.
void FilledRectangle(float left, float top, float right, float bottom, uint32_t colour)
{
    TexturedVertex* v = Plain(D3DPT_TRIANGLELIST, 6);
    if (v == nullptr) return;
    v[0] = PlainAt(left, top, colour);
    v[1] = PlainAt(right, top, colour);
    v[2] = PlainAt(right, bottom, colour);
    v[3] = v[2];
    v[4] = PlainAt(left, bottom, colour);
    v[5] = v[0];
}

void Point(float x, float y, uint32_t colour)
{
    ColouredVertex* v = Coloured(D3DPT_POINTLIST, 1);
    if (v != nullptr) v[0] = At(x + g_DrawOffsetX, y + g_DrawOffsetY, colour);
}

void Line(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2)
{
    ColouredVertex* v = Coloured(D3DPT_LINELIST, 2);
    if (v == nullptr) return;
    v[0] = At(x1 + g_DrawOffsetX, y1 + g_DrawOffsetY, colour1);
    v[1] = At(x2 + g_DrawOffsetX, y2 + g_DrawOffsetY, colour2);
}

void WideLine(float x1, float y1, float x2, float y2, float width, uint32_t colour1, uint32_t colour2)
{
    x1 += g_DrawOffsetX;
    y1 += g_DrawOffsetY;
    x2 += g_DrawOffsetX;
    y2 += g_DrawOffsetY;
    double length = std::hypot(double(x2) - x1, double(y2) - y1);
    if (length == 0.0) return;
    double half = double(width) / 2.0;
    float a = float((double(y2) - y1) * half / length);
    float b = float((double(x2) - x1) * half / length);
    ColouredVertex* v = Coloured(D3DPT_TRIANGLEFAN, 4);
    if (v == nullptr) return;
    v[0] = At(x1 - a, y1 + b, colour1);
    v[1] = At(x2 - a, y2 + b, colour2);
    v[2] = At(x2 + a, y2 - b, colour2);
    v[3] = At(x1 + a, y1 - b, colour1);
}

void Triangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2,
              uint32_t c3, int32_t outline)
{
    bool lines = outline == 1;
    TexturedVertex* v = Plain(lines ? D3DPT_LINESTRIP : D3DPT_TRIANGLELIST, lines ? 4 : 3);
    if (v == nullptr) return;
    v[0] = PlainAt(x1, y1, c1);
    v[1] = PlainAt(x2, y2, c2);
    v[2] = PlainAt(x3, y3, c3);
    if (lines) v[3] = v[0];
}

void Ellipse(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, int32_t outline)
{
    float cx = (x1 + x2) / 2.0f;
    float cy = (y1 + y2) / 2.0f;
    float rx = std::fabs(x1 - x2) / 2.0f;
    float ry = std::fabs(y1 - y2) / 2.0f;
    int32_t n = g_Circle.precision;
    auto edgePoint = [&](int32_t i) {
        return PlainAt(cx + g_Circle.cosine[i] * rx, cy + g_Circle.sine[i] * ry, edge);
    };
    if (outline == 1) {
        TexturedVertex* v = Plain(D3DPT_LINESTRIP, n + 1);
        if (v == nullptr) return;
        for (int32_t i = 0; i <= n; ++i)
            v[i] = edgePoint(i);
        return;
    }
    TexturedVertex* v = Plain(D3DPT_TRIANGLELIST, n * 3);
    if (v == nullptr) return;
    for (int32_t i = 0; i < n; ++i) {
        v[3 * i] = PlainAt(cx, cy, centre);
        v[3 * i + 1] = edgePoint(i);
        v[3 * i + 2] = edgePoint(i + 1);
    }
}

void RectangleColour(float x1, float y1, float x2, float y2, const uint32_t colours[4], int32_t outline)
{
    x2 += g_DrawOffsetX;
    y2 += g_DrawOffsetY;
    Order(x1, x2);
    Order(y1, y2);
    x2 = PastWhole(x2);
    y2 = PastWhole(y2);
    TexturedVertex* v = Plain(outline == 1 ? D3DPT_LINESTRIP : D3DPT_TRIANGLEFAN, 5);
    if (v == nullptr) return;
    v[0] = PlainAt(x1, y1, colours[0]);
    v[1] = PlainAt(x2, y1, colours[1]);
    v[2] = PlainAt(x2, y2, colours[2]);
    v[3] = PlainAt(x1, y2, colours[3]);
    v[4] = v[0];
}

void SolidRectangleColour(float x1, float y1, float x2, float y2, uint32_t colour, int32_t outline)
{
    const uint32_t colours[4] = {colour, colour, colour, colour};
    RectangleColour(x1, y1, x2, y2, colours, outline);
}

void RoundRect(float x1, float y1, float x2, float y2, float w, float h, uint32_t centre, uint32_t edge,
               int32_t outline)
{
    Order(x1, x2);
    Order(y1, y2);
    x2 = PastWhole(x2);
    y2 = PastWhole(y2);
    float width = x2 - x1;
    float height = y2 - y1;
    w = std::min(w, width);
    h = std::min(h, height);
    float cx = x1 + width / 2.0f;
    float cy = y1 + height / 2.0f;
    float dx = width / 2.0f - w / 2.0f;
    float dy = height / 2.0f - h / 2.0f;
    int32_t n = g_Circle.precision;
    int32_t count = n + 6;
    TexturedVertex* v = Plain(outline == 1 ? D3DPT_LINESTRIP : D3DPT_TRIANGLEFAN, count);
    if (v == nullptr) return;
    // The corner arcs in turn, from the bottom right round through bottom left, top left, top right.
    const float signX[4] = {1.0f, -1.0f, -1.0f, 1.0f};
    const float signY[4] = {1.0f, 1.0f, -1.0f, -1.0f};
    int32_t k = 0;
    v[k++] = PlainAt(cx, cy, centre);
    for (int32_t quarter = 0; quarter < 4; ++quarter) {
        float ox = cx + signX[quarter] * dx;
        float oy = cy + signY[quarter] * dy;
        for (int32_t i = quarter * n / 4; i <= (quarter + 1) * n / 4; ++i)
            v[k++] = PlainAt(ox + g_Circle.cosine[i] * w / 2.0f, oy + g_Circle.sine[i] * h / 2.0f, edge);
    }
    v[k++] = v[1];
    if (outline == 1) v[0] = v[1];
}

} // namespace

void GR_Draw_Point(float x, float y)
{
    Point(x, y, GR_Draw_GetVertexColour());
}

void GR_Draw_PointColour(float x, float y, uint32_t colour)
{
    Point(x, y, WithAlpha(colour));
}

void GR_Draw_Line(float x1, float y1, float x2, float y2)
{
    uint32_t c = GR_Draw_GetVertexColour();
    Line(x1, y1, x2, y2, c, c);
}

void GR_Draw_LineColour(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2)
{
    Line(x1, y1, x2, y2, WithAlpha(colour1), WithAlpha(colour2));
}

void GR_Draw_LineWidth(float x1, float y1, float x2, float y2, float width)
{
    uint32_t c = GR_Draw_GetVertexColour();
    WideLine(x1, y1, x2, y2, width, c, c);
}

void GR_Draw_LineWidthColour(float x1, float y1, float x2, float y2, float width, uint32_t colour1,
                             uint32_t colour2)
{
    WideLine(x1, y1, x2, y2, width, WithAlpha(colour1), WithAlpha(colour2));
}

void GR_Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, int32_t outline)
{
    uint32_t c = GR_Draw_GetVertexColour();
    Triangle(x1, y1, x2, y2, x3, y3, c, c, c, outline);
}

void GR_Draw_TriangleColour(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                            uint32_t colour2, uint32_t colour3, int32_t outline)
{
    Triangle(x1, y1, x2, y2, x3, y3, WithAlpha(colour1), WithAlpha(colour2), WithAlpha(colour3), outline);
}

void GR_Draw_Rectangle(float x1, float y1, float x2, float y2, int32_t outline)
{
    Order(x1, x2);
    Order(y1, y2);
    x1 += g_DrawOffsetX;
    x2 += g_DrawOffsetX;
    y1 += g_DrawOffsetY;
    y2 += g_DrawOffsetY;
    uint32_t c = GR_Draw_GetVertexColour();
    if (outline == 0) {
        FilledRectangle(x1, y1, x2, y2, c);
        return;
    }
    TexturedVertex* v = Plain(D3DPT_LINESTRIP, 5);
    if (v == nullptr) return;
    v[0] = PlainAt(x1, y1, c);
    v[1] = PlainAt(x2, y1, c);
    v[2] = PlainAt(x2, y2, c);
    v[3] = PlainAt(x1, y2, c);
    v[4] = v[0];
    // A line strip leaves out its last pixel: the corners are lit on their own.
    TexturedVertex* corners = Plain(D3DPT_POINTLIST, 4);
    if (corners == nullptr) return;
    for (int32_t i = 0; i < 4; ++i)
        corners[i] = v[i];
}

void GR_Draw_RectangleColour(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2,
                             uint32_t colour3, uint32_t colour4, int32_t outline)
{
    const uint32_t colours[4] = {WithAlpha(colour1), WithAlpha(colour2), WithAlpha(colour3),
                                 WithAlpha(colour4)};
    RectangleColour(x1, y1, x2, y2, colours, outline);
}

void GR_Draw_SetCirclePrecision(int32_t precision)
{
    precision = std::clamp(precision, CIRCLE_PRECISION_MIN, CIRCLE_PRECISION_MAX);
    precision -= precision % 4;
    if (precision != g_Circle.precision) g_Circle = MakeTables(precision);
}

int32_t GR_Draw_GetCirclePrecision()
{
    return g_Circle.precision;
}

void GR_Draw_InitCirclePrecision()
{
    GR_Draw_SetCirclePrecision(CIRCLE_PRECISION_DEFAULT);
}

void GR_Draw_Ellipse(float x1, float y1, float x2, float y2, int32_t outline)
{
    uint32_t c = GR_Draw_GetVertexColour();
    Ellipse(x1, y1, x2, y2, c, c, outline);
}

void GR_Draw_EllipseColour(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge,
                           int32_t outline)
{
    Ellipse(x1, y1, x2, y2, WithAlpha(centre), WithAlpha(edge), outline);
}

void GR_Draw_Circle(float x, float y, float r, int32_t outline)
{
    GR_Draw_Ellipse(x - r, y - r, x + r, y + r, outline);
}

void GR_Draw_CircleColour(float x, float y, float r, uint32_t centre, uint32_t edge, int32_t outline)
{
    GR_Draw_EllipseColour(x - r, y - r, x + r, y + r, centre, edge, outline);
}

void GR_Draw_RoundRect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                       int32_t outline)
{
    uint32_t c = GR_Draw_GetVertexColour();
    RoundRect(x1, y1, x2, y2, cornerWidth, cornerHeight, c, c, outline);
}

void GR_Draw_RoundRectColour(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                             uint32_t centre, uint32_t edge, int32_t outline)
{
    RoundRect(x1, y1, x2, y2, cornerWidth, cornerHeight, WithAlpha(centre), WithAlpha(edge), outline);
}

void GR_Draw_Arrow(float x1, float y1, float x2, float y2, float size)
{
    double length = std::hypot(double(x2) - x1, double(y2) - y1);
    if (length == 0.0) return;
    if (size > length) size = float(length);
    uint32_t c = GR_Draw_GetVertexColour();
    Line(x1, y1, x2, y2, c, c);
    float a = float(size * (double(x2) - x1) / length);
    float b = float(size * (double(y2) - y1) / length);
    x2 += g_DrawOffsetX;
    y2 += g_DrawOffsetY;
    TexturedVertex* v = Plain(D3DPT_TRIANGLELIST, 3);
    if (v == nullptr) return;
    v[0] = PlainAt(x2 - a - b / 3.0f, y2 - b + a / 3.0f, c);
    v[1] = PlainAt(x2, y2, c);
    v[2] = PlainAt(x2 - a + b / 3.0f, y2 - b - a / 3.0f, c);
}

void GR_Draw_Button(float x1, float y1, float x2, float y2, int32_t up)
{
    uint32_t light = WithAlpha(up == 1 ? WHITE : GREY);
    uint32_t dark = WithAlpha(up == 1 ? GREY : WHITE);
    TexturedVertex* v = Plain(D3DPT_TRIANGLELIST, 6);
    if (v == nullptr) return;
    v[0] = PlainAt(x1, y1, light);
    v[1] = PlainAt(x2, y1, light);
    v[2] = PlainAt(x1, y2, light);
    v[3] = PlainAt(x1, y2, dark);
    v[4] = PlainAt(x2, y1, dark);
    v[5] = PlainAt(x2, y2, dark);
    float left = x1 + 2.0f;
    float top = y1 + 2.0f;
    float right = x2 - 2.0f;
    float bottom = y2 - 2.0f;
    Order(left, right);
    Order(top, bottom);
    FilledRectangle(left, top, right + g_DrawOffsetX, bottom + g_DrawOffsetY, GR_Draw_GetVertexColour());
}

void GR_Draw_HealthBar(float x1, float y1, float x2, float y2, double amount, uint32_t backColour,
                       uint32_t lowColour, uint32_t middleColour, uint32_t highColour, int32_t direction,
                       bool showBack, bool showBorder)
{
    if (showBack) {
        GR_Draw_RectangleColour(x1, y1, x2, y2, backColour, backColour, backColour, backColour, 0);
        if (showBorder) SolidRectangleColour(x1, y1, x2, y2, WithAlpha(BLACK), 1);
    }
    if (amount < 0.0) amount = 0.0;
    if (amount > 100.0) amount = 100.0;
    if (std::isnan(amount)) return;
    double width = double(x2) - x1;
    double height = double(y2) - y1;
    float left = x1, top = y1, right = x2, bottom = y2;
    switch (direction) {
    case 1:
        left = float(x2 - width * amount / 100.0);
        break;
    case 2:
        bottom = float(y1 + height * amount / 100.0);
        break;
    case 3:
        top = float(y2 - height * amount / 100.0);
        break;
    default:
        right = float(x1 + width * amount / 100.0);
        break;
    }
    uint32_t colour = amount > 50.0 ? GR_Draw_MergeColour(middleColour, highColour, (amount - 50.0) / 50.0)
                                    : GR_Draw_MergeColour(lowColour, middleColour, amount / 50.0);
    SolidRectangleColour(left, top, right, bottom, WithAlpha(colour), 0);
    if (showBorder) SolidRectangleColour(left, top, right, bottom, WithAlpha(BLACK), 1);
}
