// The drawing colour and alpha, and the untextured 2D shapes: points, lines, triangles,
// rectangles, circles and ellipses, rounded rectangles, arrows, buttons, health bars, and the
// scripts' own primitives built vertex by vertex. Colours at this interface are BGR (red in the low
// byte) with a separate alpha 0..1; vertex colours are ARGB. Every vertex takes the drawing depth
// as z.
#pragma once

#include <cstdint>

constexpr int32_t CIRCLE_PRECISION_DEFAULT = 24;
constexpr int32_t CIRCLE_PRECISION_MIN = 4;
constexpr int32_t CIRCLE_PRECISION_MAX = 64;
constexpr int32_t PRIMITIVE_VERTEX_LIMIT = 1001;

// Added to the coordinates of most shapes so that they land on pixel centres for the current
// projection: setting a projection folds the half-pixel shift into it and sets these to the same
// shift in drawing units (half a pixel at scale 1, none once a view scales the room).
extern float g_DrawOffsetX;
extern float g_DrawOffsetY;

// ---- colour and alpha ----
// Red and blue change places (BGR to RGB and back); green and the top byte stay.
constexpr uint32_t GR_SwapRedBlue(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | (colour & 0xFFu) << 16 | (colour >> 16 & 0xFFu);
}
uint32_t GR_Make_Colour(int32_t red, int32_t green, int32_t blue);
void GR_Draw_Set_Colour(uint32_t colour);
void GR_Draw_SetColourRGB(int32_t red, int32_t green, int32_t blue);
void GR_Draw_SetColourRGBA(int32_t red, int32_t green, int32_t blue, double alpha);
void GR_Draw_SetAlpha(double alpha);
// BGR with the alpha byte on top.
uint32_t GR_Draw_GetColour();
int32_t GR_Draw_GetRed();
int32_t GR_Draw_GetGreen();
int32_t GR_Draw_GetBlue();
float GR_Draw_Get_Alpha();
uint32_t GR_Draw_GetAlphaByte();
uint32_t GR_Draw_GetVertexColour();
// Alpha clamped to 0..1, times 255, cut to a whole number.
uint32_t GR_AlphaToByte(double alpha);
// Per channel: channel2 x amount + channel1 x (1 - amount), rounded; the amount is not clamped.
uint32_t GR_Draw_MergeColour(uint32_t colour1, uint32_t colour2, double amount);
// Target to the colour with alpha 0 (or the given alpha), depth to 1, stencil to 0.
void GR_Draw_Clear(uint32_t colour);
void GR_Draw_ClearAlpha(uint32_t colour, double alpha);

// ---- shapes ----
// `outline`: 1 draws the outline, anything else fills (the current-colour rectangle outlines on any
// value but 0).
void GR_Draw_Point(float x, float y);
void GR_Draw_PointColour(float x, float y, uint32_t colour);
void GR_Draw_Line(float x1, float y1, float x2, float y2);
void GR_Draw_LineColour(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2);
void GR_Draw_LineWidth(float x1, float y1, float x2, float y2, float width);
void GR_Draw_LineWidthColour(float x1, float y1, float x2, float y2, float width, uint32_t colour1,
                             uint32_t colour2);
void GR_Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, int32_t outline);
void GR_Draw_TriangleColour(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                            uint32_t colour2, uint32_t colour3, int32_t outline);
void GR_Draw_Rectangle(float x1, float y1, float x2, float y2, int32_t outline);
void GR_Draw_RectangleColour(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2,
                             uint32_t colour3, uint32_t colour4, int32_t outline);
// Segments of a full turn: a multiple of 4 from 4 to 64.
void GR_Draw_SetCirclePrecision(int32_t precision);
int32_t GR_Draw_GetCirclePrecision();
void GR_Draw_InitCirclePrecision();
void GR_Draw_Ellipse(float x1, float y1, float x2, float y2, int32_t outline);
void GR_Draw_EllipseColour(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge,
                           int32_t outline);
void GR_Draw_Circle(float x, float y, float r, int32_t outline);
void GR_Draw_CircleColour(float x, float y, float r, uint32_t centre, uint32_t edge, int32_t outline);
void GR_Draw_RoundRect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                       int32_t outline);
void GR_Draw_RoundRectColour(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                             uint32_t centre, uint32_t edge, int32_t outline);
void GR_Draw_Arrow(float x1, float y1, float x2, float y2, float size);
void GR_Draw_Button(float x1, float y1, float x2, float y2, int32_t up);
// direction: 0 from the left, 1 from the right, 2 from the top, 3 from the bottom.
void GR_Draw_HealthBar(float x1, float y1, float x2, float y2, double amount, uint32_t backColour,
                       uint32_t lowColour, uint32_t middleColour, uint32_t highColour, int32_t direction,
                       bool showBack, bool showBorder);

// ---- script primitives ----
// kind: 1 point list, 2 line list, 3 line strip, 4 triangle list, 5 triangle strip, 6 triangle fan.
// texture: -1 none, a texture index, or a page-entry handle (whose u and v then run 0..1 over the
// frame).
void GR_Draw_PrimitiveBegin(int32_t kind, int32_t texture);
// What a primitive's texture argument names, for the 2D and the 3D primitives alike: a texture in
// use, nothing (-1), or a checked page entry, whose u and v MapUV carries into the page; an
// unknown value draws untextured.
struct PrimitiveTexture {
    int32_t texture = -1;
    const struct TPageEntry* page = nullptr;
    float pageWidth = 1.0f; // the whole device texture of the page entry
    float pageHeight = 1.0f;
    void MapUV(float& u, float& v) const;
};
PrimitiveTexture GR_PrimitiveTexture(int32_t texture);
// A list keeps whole primitives only: a left-over vertex would pair with the next list queued.
int32_t GR_WholePrimitives(int32_t kind, int32_t count);
void GR_Draw_Vertex(float x, float y);
void GR_Draw_VertexColour(float x, float y, uint32_t colour, double alpha);
void GR_Draw_VertexTexture(float x, float y, float u, float v);
void GR_Draw_VertexTextureColour(float x, float y, float u, float v, uint32_t colour, double alpha);
void GR_Draw_PrimitiveEnd();
// The vertices held (tests and the profiler).
int32_t GR_Draw_PrimitiveCount();
