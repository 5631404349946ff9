#include <cmath>

#include "Graphics_DrawCapture.h"
#include "graphics/Graphics_TexturePage.h"

using capture::Drawn;
using capture::Draws;
using capture::DrawTest;

namespace {

class Draw : public DrawTest {};

TEST_F(Draw, AlphaIsClampedAndCutToAByte)
{
    GR_Draw_Set_Colour(0x123456);
    GR_Draw_SetAlpha(1.5);
    EXPECT_EQ(255u, GR_Draw_GetAlphaByte());
    GR_Draw_SetAlpha(-0.2);
    EXPECT_EQ(0u, GR_Draw_GetAlphaByte());
    GR_Draw_SetAlpha(0.5);
    EXPECT_EQ(127u, GR_Draw_GetAlphaByte());
    EXPECT_FLOAT_EQ(127.0f / 255.0f, GR_Draw_Get_Alpha());
    // The colour keeps its channels; the getters give it back red-low with the alpha on top.
    EXPECT_EQ(0x7F563412u, GR_Draw_GetVertexColour());
    EXPECT_EQ(0x7F123456u, GR_Draw_GetColour());
    EXPECT_EQ(0x56, GR_Draw_GetRed());
    EXPECT_EQ(0x34, GR_Draw_GetGreen());
    EXPECT_EQ(0x12, GR_Draw_GetBlue());
    GR_Draw_SetColourRGBA(1, 2, 3, 0.25);
    EXPECT_EQ(0x3F010203u, GR_Draw_GetVertexColour());
    GR_Draw_SetColourRGB(255, 0, 0);
    EXPECT_EQ(0x3FFF0000u, GR_Draw_GetVertexColour());
    EXPECT_EQ(0x00FF0000u | 0x80u << 8 | 0x40u, GR_Make_Colour(0x40, 0x80, 0xFF));
}

TEST_F(Draw, MergedColoursRoundEachChannel)
{
    EXPECT_EQ(0x000080u, GR_Draw_MergeColour(0x000000, 0x0000FF, 0.5)); // 127.5 gives 128
    EXPECT_EQ(0x402010u, GR_Draw_MergeColour(0x000000, 0x804020, 0.5));
    EXPECT_EQ(0xFF00FFu, GR_Draw_MergeColour(0xFF00FF, 0x00FF00, 0.0));
    // An amount outside 0..1 reaches beyond the colours, but each channel stays a channel.
    EXPECT_EQ(0xFF0000u, GR_Draw_MergeColour(0x808080, 0xFF0000, 3.0));
}

TEST_F(Draw, CirclePrecisionIsAMultipleOfFourFromFourToSixtyFour)
{
    const int32_t cases[][2] = {{3, 4}, {65, 64}, {30, 28}, {63, 60}, {-7, 4}, {24, 24}};
    for (const auto& c : cases) {
        GR_Draw_SetCirclePrecision(c[0]);
        EXPECT_EQ(c[1], GR_Draw_GetCirclePrecision()) << c[0];
    }
    GR_Draw_InitCirclePrecision();
    EXPECT_EQ(24, GR_Draw_GetCirclePrecision());
}

TEST_F(Draw, CirclesAreFansOfTrianglesOrClosedStrips)
{
    GR_Draw_Set_Colour(0x00FF00);
    GR_Draw_Circle(100, 50, 10, 0);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_EQ(D3DPT_TRIANGLELIST, d[0].type);
    ASSERT_EQ(72u, d[0].v.size());
    EXPECT_EQ(100.0f, d[0].v[0].x); // each triangle starts at the centre
    EXPECT_FLOAT_EQ(110.0f, d[0].v[1].x);
    EXPECT_NEAR(60.0, d[0].v[19].y, 1e-4); // a quarter round: straight below
    EXPECT_EQ(0xFF00FF00u, d[0].v[5].colour);

    GR_Draw_SetCirclePrecision(8);
    GR_Draw_EllipseColour(0, 0, 40, 20, 0x0000FF, 0xFF0000, 1);
    d = Draws();
    EXPECT_EQ(D3DPT_LINESTRIP, d[0].type);
    ASSERT_EQ(9u, d[0].v.size());
    EXPECT_FLOAT_EQ(d[0].v[0].x, d[0].v[8].x); // the last meets the first
    EXPECT_NEAR(d[0].v[0].y, d[0].v[8].y, 1e-4);
    EXPECT_FLOAT_EQ(40.0f, d[0].v[0].x);
    EXPECT_NEAR(20.0, d[0].v[2].y, 1e-4);
    EXPECT_EQ(0xFF0000FFu, d[0].v[3].colour); // the edge colour: blue
}

TEST_F(Draw, ColourRectanglesReachPastWholeEdges)
{
    GR_Draw_RectangleColour(20, 20, 10, 10, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0);
    std::vector<Drawn> d = Draws();
    EXPECT_EQ(D3DPT_TRIANGLEFAN, d[0].type);
    ASSERT_EQ(5u, d[0].v.size());
    EXPECT_EQ(10.0f, d[0].v[0].x);
    EXPECT_FLOAT_EQ(20.01f, d[0].v[2].x);
    EXPECT_FLOAT_EQ(20.01f, d[0].v[2].y);
    EXPECT_EQ(0xFFFF0000u, d[0].v[0].colour);
    EXPECT_EQ(0xFF00FF00u, d[0].v[1].colour);
    EXPECT_EQ(0xFF0000FFu, d[0].v[2].colour);
    EXPECT_EQ(0xFFFFFFFFu, d[0].v[3].colour);
    EXPECT_EQ(0xFFFF0000u, d[0].v[4].colour);

    GR_Draw_RectangleColour(10, 10, 20.5f, 20.5f, 0, 0, 0, 0, 1);
    d = Draws();
    EXPECT_EQ(D3DPT_LINESTRIP, d[0].type);
    EXPECT_EQ(20.5f, d[0].v[2].x);

    // The drawing offset moves the second corner only.
    g_DrawOffsetX = 0.5f;
    GR_Draw_RectangleColour(10, 10, 20.25f, 20.25f, 0, 0, 0, 0, 0);
    d = Draws();
    EXPECT_EQ(10.0f, d[0].v[0].x);
    EXPECT_EQ(20.75f, d[0].v[2].x);
}

TEST_F(Draw, RectangleOutlinesLightTheirCorners)
{
    GR_Draw_Rectangle(30, 40, 10, 20, 2); // any value but 0 outlines
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    EXPECT_EQ(D3DPT_LINESTRIP, d[0].type);
    ASSERT_EQ(5u, d[0].v.size());
    EXPECT_EQ(D3DPT_POINTLIST, d[1].type);
    ASSERT_EQ(4u, d[1].v.size());
    EXPECT_EQ(10.0f, d[0].v[0].x);
    EXPECT_EQ(20.0f, d[0].v[0].y);
    EXPECT_EQ(30.0f, d[1].v[2].x);
    EXPECT_EQ(40.0f, d[1].v[2].y);

    GR_Draw_Rectangle(0, 0, 5, 5, 0);
    d = Draws();
    EXPECT_EQ(D3DPT_TRIANGLELIST, d[0].type);
    EXPECT_EQ(6u, d[0].v.size());
}

TEST_F(Draw, LinesPointsAndWideLines)
{
    GR_Draw_SetAlpha(0.5);
    GR_Draw_Point(1, 2);
    GR_Draw_PointColour(3, 4, 0x0000FF);
    GR_Draw_LineColour(0, 0, 10, 0, 0x0000FF, 0x00FF00);
    GR_Draw_LineWidth(0, 0, 10, 0, 4);
    GR_Draw_LineWidth(5, 5, 5, 5, 4); // no length: nothing
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(3u, d.size());
    EXPECT_EQ(0x42u, d[0].fvf); // the 16-byte vertex
    ASSERT_EQ(2u, d[0].c.size());
    EXPECT_EQ(0x7F000000u, d[0].c[0].colour);
    EXPECT_EQ(0x7FFF0000u, d[0].c[1].colour);
    EXPECT_EQ(0x7F00FF00u, d[1].c[1].colour);
    EXPECT_EQ(D3DPT_TRIANGLEFAN, d[2].type);
    ASSERT_EQ(4u, d[2].c.size());
    EXPECT_FLOAT_EQ(0.0f, d[2].c[0].x);
    EXPECT_FLOAT_EQ(2.0f, d[2].c[0].y);
    EXPECT_FLOAT_EQ(10.0f, d[2].c[2].x);
    EXPECT_FLOAT_EQ(-2.0f, d[2].c[2].y);
}

TEST_F(Draw, ArrowsHaveAShaftAndAHead)
{
    GR_Draw_Arrow(0, 0, 0, 0, 5);
    EXPECT_TRUE(Draws().empty());
    GR_Draw_Arrow(0, 0, 30, 0, 60); // the head is at most as long as the arrow
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    EXPECT_EQ(D3DPT_LINELIST, d[0].type);
    ASSERT_EQ(3u, d[1].v.size());
    EXPECT_FLOAT_EQ(0.0f, d[1].v[0].x);
    EXPECT_FLOAT_EQ(10.0f, d[1].v[0].y);
    EXPECT_FLOAT_EQ(30.0f, d[1].v[1].x);
    EXPECT_FLOAT_EQ(-10.0f, d[1].v[2].y);
}

TEST_F(Draw, RoundedRectanglesHavePrecisionPlusSixVertices)
{
    GR_Draw_SetCirclePrecision(8);
    GR_Draw_RoundRectColour(0, 0, 40, 20, 10, 6, 0x0000FF, 0x00FF00, 0);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(14u, d[0].v.size());
    EXPECT_EQ(D3DPT_TRIANGLEFAN, d[0].type);
    EXPECT_FLOAT_EQ(20.005f, d[0].v[0].x); // the centre of a box reaching to 40.01
    EXPECT_EQ(0xFFFF0000u, d[0].v[0].colour);
    EXPECT_FLOAT_EQ(d[0].v[1].x, d[0].v[13].x);
    EXPECT_FLOAT_EQ(40.01f, d[0].v[1].x); // the first arc starts at the right edge
    GR_Draw_RoundRect(0, 0, 40, 20, 10, 6, 1);
    d = Draws();
    EXPECT_EQ(D3DPT_LINESTRIP, d[0].type);
    EXPECT_FLOAT_EQ(d[0].v[1].x, d[0].v[0].x);
    EXPECT_FLOAT_EQ(d[0].v[1].y, d[0].v[0].y);
}

TEST_F(Draw, HealthBarsFillByAmountAndDirection)
{
    GR_Draw_HealthBar(0, 0, 100, 10, 75, 0x000000, 0x0000FF, 0x00FFFF, 0x00FF00, 0, true, true);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(4u, d.size());                  // back, its border, the bar, its border
    EXPECT_FLOAT_EQ(75.01f, d[2].v[1].x);     // a whole right edge reaches past itself
    EXPECT_EQ(0xFF80FF00u, d[2].v[0].colour); // half way from yellow to green
    EXPECT_EQ(0xFF000000u, d[3].v[0].colour);

    GR_Draw_HealthBar(0, 0, 100, 10, 150, 0, 0x0000FF, 0x00FFFF, 0x00FF00, 1, false, false);
    d = Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_FLOAT_EQ(0.0f, d[0].v[0].x);
    EXPECT_EQ(0xFF00FF00u, d[0].v[0].colour);

    GR_Draw_HealthBar(0, 0, 100, 10, 20, 0, 0x0000FF, 0x00FFFF, 0x00FF00, 3, false, false);
    d = Draws();
    EXPECT_FLOAT_EQ(8.0f, d[0].v[0].y);

    GR_Draw_HealthBar(0, 0, 100, 10, std::nan(""), 0x112233, 0, 0, 0, 0, true, false);
    EXPECT_EQ(1u, Draws().size()); // the back only
}

TEST_F(Draw, ButtonsHaveTwoBevelsAndAFace)
{
    GR_Draw_Set_Colour(0x0000FF);
    GR_Draw_Button(0, 0, 20, 10, 1);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size()); // both triangle lists share a batch
    ASSERT_EQ(12u, d[0].v.size());
    EXPECT_EQ(0xFFFFFFFFu, d[0].v[0].colour);
    EXPECT_EQ(0xFF808080u, d[0].v[3].colour);
    EXPECT_EQ(2.0f, d[0].v[6].x);
    EXPECT_EQ(18.0f, d[0].v[7].x);
    EXPECT_EQ(0xFFFF0000u, d[0].v[6].colour);
}

TEST_F(Draw, PrimitivesHoldAThousandAndOneVertices)
{
    GR_Draw_PrimitiveBegin(D3DPT_POINTLIST, -1);
    for (int32_t i = 0; i < PRIMITIVE_VERTEX_LIMIT + 1; ++i)
        GR_Draw_Vertex(float(i), 0);
    EXPECT_EQ(PRIMITIVE_VERTEX_LIMIT, GR_Draw_PrimitiveCount());
    GR_Draw_PrimitiveEnd();
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(1u, d.size());
    ASSERT_EQ(1001u, d[0].v.size());
    EXPECT_EQ(1000.0f, d[0].v[1000].x);

    GR_Draw_PrimitiveBegin(7, -1);
    GR_Draw_Vertex(0, 0);
    GR_Draw_PrimitiveEnd();
    GR_Draw_PrimitiveBegin(0, -1);
    GR_Draw_PrimitiveEnd();
    EXPECT_TRUE(Draws().empty());
}

TEST_F(Draw, PrimitiveVerticesTakeTheirColourWhenAdded)
{
    g_DrawOffsetX = 0.5f; // primitives take no drawing offset
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLESTRIP, -1);
    GR_Draw_Vertex(1, 2);
    GR_Draw_Set_Colour(0x0000FF);
    GR_Draw_Vertex(3, 4);
    GR_Draw_VertexColour(5, 6, 0x00FF00, 0.5);
    GR_Draw_PrimitiveEnd();
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(3u, d[0].v.size());
    EXPECT_EQ(1.0f, d[0].v[0].x);
    EXPECT_EQ(0xFF000000u, d[0].v[0].colour);
    EXPECT_EQ(0xFFFF0000u, d[0].v[1].colour);
    EXPECT_EQ(0x7F00FF00u, d[0].v[2].colour);
    // The list is kept until the next begin.
    GR_Draw_PrimitiveEnd();
    EXPECT_EQ(1u, Draws().size());
}

TEST_F(Draw, ListPrimitivesKeepWholeShapesOnly)
{
    GR_Draw_PrimitiveBegin(D3DPT_LINELIST, -1);
    for (int32_t i = 0; i < 3; ++i)
        GR_Draw_Vertex(float(i), 0);
    GR_Draw_PrimitiveEnd();
    GR_Draw_Line(10, 10, 20, 20);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(2u, d.size()); // the primitive's layout differs from the line's
    EXPECT_EQ(2u, d[0].v.size());
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLELIST, -1);
    GR_Draw_Vertex(0, 0);
    GR_Draw_Vertex(1, 0);
    GR_Draw_PrimitiveEnd();
    EXPECT_TRUE(Draws().empty());
}

TEST_F(Draw, TexturedPrimitivesTakeATextureOrNone)
{
    int32_t texture = Texture_CreateEmpty(16, 16, false);
    GR_Draw_PrimitiveBegin(D3DPT_TRIANGLELIST, texture);
    GR_Draw_VertexTexture(0, 0, 0.25f, 0.5f);
    GR_Draw_VertexTextureColour(1, 0, 1, 0, 0xFFFFFF, 1);
    GR_Draw_Vertex(0, 1);
    GR_Draw_PrimitiveEnd();
    std::vector<Drawn> d = Draws();
    EXPECT_EQ(Texture_GetHandle(texture)->texture, d[0].texture);
    EXPECT_EQ(0.25f, d[0].v[0].u); // without a page entry u and v stand as given
    EXPECT_EQ(0.5f, d[0].v[0].v);
    EXPECT_EQ(0xFFFFFFFFu, d[0].v[1].colour);

    // A value that is neither a texture nor the handle of a page entry gives no texture.
    for (int32_t value : {12345, TPAGE_HANDLE_BASE, TPAGE_HANDLE_BASE + 7, -5}) {
        GR_Draw_PrimitiveBegin(D3DPT_TRIANGLELIST, value);
        GR_Draw_VertexTexture(0, 0, 0.25f, 0.5f);
        GR_Draw_Vertex(1, 0);
        GR_Draw_Vertex(0, 1);
        GR_Draw_PrimitiveEnd();
        d = Draws();
        ASSERT_EQ(1u, d.size());
        EXPECT_EQ(nullptr, d[0].texture) << value;
        EXPECT_EQ(0.25f, d[0].v[0].u);
    }
    EXPECT_EQ(nullptr, TPage_FromHandle(TPAGE_HANDLE_BASE));
    TPageEntry loose{};
    EXPECT_EQ(-1, TPage_Handle(&loose));
    EXPECT_EQ(-1, TPage_Handle(nullptr));
}

TEST_F(Draw, ClearsTakeTheColourWithAlphaZeroOrTheGivenAlpha)
{
    GR_Draw_Clear(0xFF0000FF);
    GR_Draw_ClearAlpha(0x00FF00, 0.5);
    ASSERT_EQ(2u, fake::Recorded().clears.size());
    EXPECT_EQ(7u, fake::Recorded().clears[0][0]);
    EXPECT_EQ(0x00FF0000u, fake::Recorded().clears[0][1]);
    EXPECT_EQ(0x7F00FF00u, fake::Recorded().clears[1][1]);
}

TEST_F(Draw, ShapesTakeTheDrawingDepth)
{
    GR_3D_Start(true);
    GR_3D_SetDepth(-40.0f);
    GR_Draw_Triangle(0, 0, 10, 0, 0, 10, 1);
    GR_Draw_Point(0, 0);
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(2u, d.size());
    ASSERT_EQ(4u, d[0].v.size()); // an outline comes back to its start
    EXPECT_EQ(-40.0f, d[0].v[3].z);
    EXPECT_EQ(d[0].v[0].x, d[0].v[3].x);
    EXPECT_EQ(-40.0f, d[1].c[0].z);
}

} // namespace
