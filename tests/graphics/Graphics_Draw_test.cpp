// Shapes, primitives, text and the 3D transforms, read back as the vertices the batch received: the
// edges of each rule (the graphics-drawing game probes every shape's pixels).
#include <cmath>
#include <tuple>

#include "Graphics_DrawCapture.h"
#include "font/Font_Class.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Text.h"
#include "graphics/Graphics_TexturePage.h"

using capture::Drawn;
using capture::Draws;
using std::make_tuple;

namespace {

template <typename V> auto XY(const V& v) { return make_tuple(v.x, v.y); }
template <typename V> std::vector<uint32_t> Colours(const std::vector<V>& vs)
{
    std::vector<uint32_t> out;
    for (const V& v : vs) out.push_back(v.colour);
    return out;
}

class Draw : public capture::DrawTest {};

TEST_F(Draw, ColoursKeepTheirChannelsAndMergesStayChannelsBeyondTheEnds)
{
    GR_Draw_SetColourRGBA(1, 2, 3, 0.25); // red in the high byte of the vertex colour
    EXPECT_EQ(make_tuple(0x3F010203u, 1, 2, 3),
              make_tuple(GR_Draw_GetVertexColour(), GR_Draw_GetRed(), GR_Draw_GetGreen(), GR_Draw_GetBlue()));
    EXPECT_EQ(0x00FF0000u | 0x80u << 8 | 0x40u, GR_Make_Colour(0x40, 0x80, 0xFF));
    const std::tuple<uint32_t, uint32_t, double, uint32_t> merges[] = {{0x000000, 0x804020, 0.5, 0x402010},
                                                                       {0x808080, 0xFF0000, 3.0, 0xFF0000}};
    for (auto [a, b, t, merged] : merges) EXPECT_EQ(merged, GR_Draw_MergeColour(a, b, t)) << t;
}

TEST_F(Draw, LinesPointsArrowsAndWideLines)
{
    GR_Draw_SetAlpha(0.5);
    GR_Draw_LineColour(0, 0, 10, 0, 0x0000FF, 0x00FF00);
    GR_Draw_LineWidth(0, 0, 10, 0, 4);
    GR_Draw_LineWidth(5, 5, 5, 5, 4); // no length: nothing
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    EXPECT_EQ((std::vector<uint32_t>{0x7FFF0000u, 0x7F00FF00u}), Colours(d[0].c)); // 16-byte vertices
    ASSERT_EQ(4u, d[1].c.size());
    EXPECT_EQ(make_tuple(0.0f, 2.0f, 10.0f, -2.0f), make_tuple(d[1].c[0].x, d[1].c[0].y, d[1].c[2].x, d[1].c[2].y));
    GR_Draw_Arrow(0, 0, 0, 0, 5);
    EXPECT_TRUE(Draws().empty());
    GR_Draw_Arrow(0, 0, 30, 0, 60); // the head is at most as long as the arrow
    d = Draws();
    ASSERT_EQ(3u, d[1].v.size());
    EXPECT_EQ(make_tuple(0.0f, 10.0f, 30.0f, -10.0f), make_tuple(d[1].v[0].x, d[1].v[0].y, d[1].v[1].x, d[1].v[2].y));
}

// ---- 3D ----

struct Point4 {
    double x, y, z, w;
};

// A row vector times a matrix.
Point4 Transform(const D3DMatrix& m, double x, double y, double z)
{
    const float* a = m.m;
    return Point4{x * a[0] + y * a[4] + z * a[8] + a[12], x * a[1] + y * a[5] + z * a[9] + a[13],
                  x * a[2] + y * a[6] + z * a[10] + a[14], x * a[3] + y * a[7] + z * a[11] + a[15]};
}

D3DMatrix Get(int32_t index)
{
    D3DMatrix m;
    GR_D3D_GetTransform(index, &m);
    return m;
}

// Expects a world point on the 640 x 480 screen at (sx, sy), pixel centres on whole numbers.
void ExpectOnScreen(double x, double y, double z, double sx, double sy, double within)
{
    Point4 p = Transform(Get(MATRIX_WORLD_VIEW_PROJECTION), x, y, z);
    EXPECT_NEAR(sx, (p.x / p.w + 1.0) * 640.0 / 2.0, within) << x << ", " << y << ", " << z;
    EXPECT_NEAR(sy, (1.0 - p.y / p.w) * 480.0 / 2.0, within) << x << ", " << y << ", " << z;
}

class ThreeD : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        GR_3D_TransformStackClear();
        GR_3D_TransformSetIdentity();
    }
};

TEST_F(ThreeD, AddedTransformsApplyAfterTheWorld)
{
    GR_3D_TransformSetScaling(2, 2, 2);
    GR_3D_TransformAddTranslation(10, 0, 0);
    EXPECT_EQ(12.0, Transform(Get(MATRIX_WORLD), 1, 0, 0).x);
    GR_3D_TransformSetTranslation(10, 0, 0);
    GR_3D_TransformAddRotationZ(90);
    Point4 p = Transform(Get(MATRIX_WORLD), 1, 0, 0);
    EXPECT_NEAR(0.0, p.x, 1e-5);
    EXPECT_NEAR(-11.0, p.y, 1e-5);
    // The axis form turns the opposite way to its maths routine: about z it matches the z form.
    GR_3D_TransformSetRotationAxis(0, 0, 1, 90);
    D3DMatrix axis = Get(MATRIX_WORLD);
    GR_3D_TransformSetRotationZ(90);
    D3DMatrix z = Get(MATRIX_WORLD);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(z.m[i], axis.m[i], 1e-6) << "entry " << i;
}

TEST_F(ThreeD, ProjectionsPutTheViewOnTheScreen)
{
    // Half a pixel left and up; a view of 320 x 240 at (100, 50) fills the screen, each world pixel two
    // screen pixels; turned by 90 degrees the world's left lies at the bottom.
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 0);
    ExpectOnScreen(17, 100, 0, 16.5, 99.5, 1e-3);
    GR_3D_SetProjectionOrtho(100, 50, 320, 240, 0);
    ExpectOnScreen(420, 290, 0, 639.5, 479.5, 1e-3);
    GR_3D_SetProjectionOrtho(0, 0, 640, 480, 90);
    ExpectOnScreen(320 - 240, 240, 0, 319.5, 479.5, 1e-2);
    // The perspective camera keeps the world's y pointing up the screen; the centre stays at any depth.
    GR_3D_SetProjectionPerspective(0, 0, 640, 480, 0);
    EXPECT_FALSE(g_3DOrthographic);
    ExpectOnScreen(0, 0, 0, 0.0, 480.0, 0.01);
    ExpectOnScreen(320, 240, 1000, 320.0, 240.0, 0.01);
    GR_3D_SetProjectionExt(0, 0, -100, 0, 0, 0, 0, 1, 0, 90, 1, 1, 1000);
    EXPECT_NEAR(100.0, Transform(Get(MATRIX_VIEW), 0, 0, 0).z, 1e-4);
    EXPECT_NEAR(1.0, Get(MATRIX_PROJECTION).m[0], 1e-6); // a 90 degree field of view and aspect 1
}

// ---- text ----

// Every character from space to 'z' two wide and five high.
CFontKV& NarrowFont()
{
    static CFontKV* font = [] {
        std::vector<uint8_t> table;
        for (int32_t c = ' '; c <= 'z'; ++c) table.insert(table.end(), {0, 0, 2, 5});
        return new CFontKV(table.data(), ' ', 'z', -1);
    }();
    return *font;
}

TEST(TextLines, HashSignsLineEndsAndWrapping)
{
    const std::tuple<const char*, int32_t, std::vector<std::u16string>> cases[] = {
        {"A#B", -1, {u"A", u"B"}},       {"A\\#B", -1, {u"A#B"}},
        {"A\r\nB", -1, {u"A", u"", u"B"}}, {"A\r\nB", 100, {u"A", u"\nB"}},
        {"AB", 1, {}},                   {"AA LONGWORD B", 6, {u"AA", u"LONGWORD", u"B"}},
        {"  AB CD", 8, {u"  AB", u"CD"}}, {"AB##C", 100, {u"AB", u"", u"C"}},
        {"AB CD", 4, {u"AB", u"CD"}},     {nullptr, -1, {}},
    };
    for (const auto& [text, width, expected] : cases) {
        TextLineList lines;
        lines.Split(NarrowFont(), text, width);
        std::vector<std::u16string> got;
        for (size_t i = 0; i < lines.Count(); ++i) got.emplace_back(lines.Line(i));
        EXPECT_EQ(expected, got) << (text != nullptr ? text : "null") << " at " << width;
    }
}

} // namespace
