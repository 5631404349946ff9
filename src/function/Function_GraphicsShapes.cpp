// The Graphic family's shapes and script primitives, registered right after the drawing state:
// the plain shapes in the current colour and alpha, their _color forms with colours of their own
// and the current alpha, draw_path, the circle precision, and primitives built vertex by vertex.
// Coordinates are floats, colours and kinds rounded via a float, flags true at 0.5 as a float.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Draw.h"
#include "path/Path_Table.h"
#include "support/Support_Hash.h"

namespace {

// Shape corner radii of draw_roundrect and draw_roundrect_color.
constexpr float ROUND_RADIUS = 10.0f;

#define F(i) Arg_Float(args[i])
#define C(i) uint32_t(Arg_IntViaFloat(args[i]))
#define FLAG(i) (Arg_FlagViaFloat(args[i]) ? 1 : 0)

void Builtin_DrawPoint(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Point(F(0), F(1));
}

void Builtin_DrawLine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Line(F(0), F(1), F(2), F(3));
}

void Builtin_DrawLineWidth(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_LineWidth(F(0), F(1), F(2), F(3), F(4));
}

void Builtin_DrawRectangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Rectangle(F(0), F(1), F(2), F(3), FLAG(4));
}

void Builtin_DrawRoundrect(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_RoundRect(F(0), F(1), F(2), F(3), ROUND_RADIUS, ROUND_RADIUS, FLAG(4));
}

void Builtin_DrawTriangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Triangle(F(0), F(1), F(2), F(3), F(4), F(5), FLAG(6));
}

void Builtin_DrawCircle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Circle(F(0), F(1), F(2), FLAG(3));
}

void Builtin_DrawEllipse(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Ellipse(F(0), F(1), F(2), F(3), FLAG(4));
}

void Builtin_DrawArrow(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Arrow(F(0), F(1), F(2), F(3), F(4));
}

void Builtin_DrawButton(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Button(F(0), F(1), F(2), F(3), FLAG(4));
}

// The middle colour is the two ends merged half and half, as merge_color merges them.
void Builtin_DrawHealthbar(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    uint32_t low = C(6), high = C(7);
    uint32_t middle = uint32_t(Colour_Merge(int32_t(low), int32_t(high), 0.5f));
    GR_Draw_HealthBar(F(0), F(1), F(2), F(3), F(4), C(5), low, middle, high, Arg_IntViaFloat(args[8]),
                      FLAG(9) != 0, FLAG(10) != 0);
}

void Builtin_DrawPath(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    if (!Path_Exists(index)) {
        Error_Show_Action("Trying to drawn non-existing path.", false);
        return;
    }
    bool absolute = Arg_FlagViaFloat(args[3]);
    Path_Data(index)->Draw(absolute ? 0.0f : F(1), absolute ? 0.0f : F(2), absolute);
}

void Builtin_DrawPointColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_PointColour(F(0), F(1), C(2));
}

void Builtin_DrawLineColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_LineColour(F(0), F(1), F(2), F(3), C(4), C(5));
}

void Builtin_DrawLineWidthColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_LineWidthColour(F(0), F(1), F(2), F(3), F(4), C(5), C(6));
}

void Builtin_DrawRectangleColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_RectangleColour(F(0), F(1), F(2), F(3), C(4), C(5), C(6), C(7), FLAG(8));
}

void Builtin_DrawRoundrectColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_RoundRectColour(F(0), F(1), F(2), F(3), ROUND_RADIUS, ROUND_RADIUS, C(4), C(5), FLAG(6));
}

void Builtin_DrawTriangleColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_TriangleColour(F(0), F(1), F(2), F(3), F(4), F(5), C(6), C(7), C(8), FLAG(9));
}

void Builtin_DrawCircleColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_CircleColour(F(0), F(1), F(2), C(3), C(4), FLAG(5));
}

void Builtin_DrawEllipseColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_EllipseColour(F(0), F(1), F(2), F(3), C(4), C(5), FLAG(6));
}

void Builtin_DrawSetCirclePrecision(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_SetCirclePrecision(Arg_IntViaFloat(args[0]));
}

// ---- primitives ----

void Builtin_DrawPrimitiveBegin(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_PrimitiveBegin(Arg_IntViaFloat(args[0]), -1);
}

void Builtin_DrawPrimitiveBeginTexture(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_PrimitiveBegin(Arg_Int(args[0]), Arg_Int(args[1]));
}

void Builtin_DrawPrimitiveEnd(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    GR_Draw_PrimitiveEnd();
}

void Builtin_DrawVertex(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_Vertex(F(0), F(1));
}

void Builtin_DrawVertexColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_VertexColour(F(0), F(1), C(2), F(3));
}

void Builtin_DrawVertexTexture(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_VertexTexture(F(0), F(1), F(2), F(3));
}

void Builtin_DrawVertexTextureColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GR_Draw_VertexTextureColour(F(0), F(1), F(2), F(3), C(4), F(5));
}

#undef F
#undef C
#undef FLAG

const FunctionRow SHAPE_ROWS[] = {
    {"draw_point", Builtin_DrawPoint, 2},
    {"draw_line", Builtin_DrawLine, 4},
    {"draw_line_width", Builtin_DrawLineWidth, 5},
    {"draw_rectangle", Builtin_DrawRectangle, 5},
    {"draw_roundrect", Builtin_DrawRoundrect, 5},
    {"draw_triangle", Builtin_DrawTriangle, 7},
    {"draw_circle", Builtin_DrawCircle, 4},
    {"draw_ellipse", Builtin_DrawEllipse, 5},
    {"draw_arrow", Builtin_DrawArrow, 5},
    {"draw_button", Builtin_DrawButton, 5},
    {"draw_healthbar", Builtin_DrawHealthbar, 11},
    {"draw_path", Builtin_DrawPath, 4},
    {"draw_point_color", Builtin_DrawPointColor, 3},
    {"draw_line_color", Builtin_DrawLineColor, 6},
    {"draw_line_width_color", Builtin_DrawLineWidthColor, 7},
    {"draw_rectangle_color", Builtin_DrawRectangleColor, 9},
    {"draw_roundrect_color", Builtin_DrawRoundrectColor, 7},
    {"draw_triangle_color", Builtin_DrawTriangleColor, 10},
    {"draw_circle_color", Builtin_DrawCircleColor, 6},
    {"draw_ellipse_color", Builtin_DrawEllipseColor, 7},
    {"draw_set_circle_precision", Builtin_DrawSetCirclePrecision, 1},
    {"draw_primitive_begin", Builtin_DrawPrimitiveBegin, 1},
    {"draw_primitive_begin_texture", Builtin_DrawPrimitiveBeginTexture, 2},
    {"draw_primitive_end", Builtin_DrawPrimitiveEnd, 0},
    {"draw_vertex", Builtin_DrawVertex, 2},
    {"draw_vertex_color", Builtin_DrawVertexColor, 4},
    {"draw_vertex_texture", Builtin_DrawVertexTexture, 4},
    {"draw_vertex_texture_color", Builtin_DrawVertexTextureColor, 6},
};

} // namespace

void Function_GraphicsShapes_Register()
{
    Function_AddRows(SHAPE_ROWS);
}
