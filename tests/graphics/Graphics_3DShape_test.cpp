// 3D primitives and shapes on the recording device: how long primitives are split and continued,
// the colour markers, page-entry texture coordinates, and the primitives each shape draws.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "Graphics_DrawCapture.h"
#include "graphics/Graphics_3DDraw.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

using capture::Drawn;

using Triangle = std::array<int, 3>;

// The triangles of a strip or fan whose vertices carry their index as x, each in the winding of
// the first triangle; degenerate ones dropped.
void AddTriangles(int32_t kind, const std::vector<int>& ids, std::vector<Triangle>* out)
{
    for (size_t i = 0; i + 2 < ids.size(); ++i) {
        Triangle t = kind == D3DPT_TRIANGLEFAN ? Triangle{ids[0], ids[i + 1], ids[i + 2]}
                     : i % 2 == 0             ? Triangle{ids[i], ids[i + 1], ids[i + 2]}
                                              : Triangle{ids[i + 1], ids[i], ids[i + 2]};
        if (t[0] != t[1] && t[1] != t[2] && t[0] != t[2]) out->push_back(t);
    }
}

class Shapes3D : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        capture::DrawTest::SetUp();
        GR_Texture_SetRepeat(false);
        GR_Draw_Set_Colour(0x0000FF);
        fake::Recorded().draws.clear();
    }
    // A primitive of `count` vertices whose x is their index: what was drawn before its end, then
    // at its end (the batch joins list pieces that meet in it).
    static std::vector<Drawn> Primitive(int32_t kind, int count)
    {
        GR_3D_PrimitiveBegin(kind, -1);
        for (int i = 0; i < count; ++i) GR_3D_Vertex(float(i), 0, 0);
        std::vector<Drawn> d = capture::Draws();
        GR_3D_PrimitiveEnd();
        for (Drawn& last : capture::Draws()) d.push_back(last);
        return d;
    }
};

TEST_F(Shapes3D, LongPrimitivesAreDrawnInPiecesThatContinueEachOther)
{
    struct Row {
        int32_t kind;
        int count;
        std::vector<size_t> pieces;
    };
    const Row rows[] = {
        {D3DPT_TRIANGLELIST, 1500, {999, 501}}, {D3DPT_POINTLIST, 1500, {1000, 500}},
        {D3DPT_LINELIST, 1001, {1000}}, // the odd vertex left makes no line
        {D3DPT_LINESTRIP, 1500, {1000, 501}}, {D3DPT_TRIANGLESTRIP, 2500, {1000, 1000, 504}},
        {D3DPT_TRIANGLEFAN, 1200, {1000, 202}}, {0, 1500, {}}, {7, 5, {}},
    };
    for (const Row& r : rows) {
        std::vector<Drawn> d = Primitive(r.kind, r.count);
        std::vector<size_t> sizes;
        for (const Drawn& piece : d) sizes.push_back(piece.lit.size());
        EXPECT_EQ(r.pieces, sizes) << "kind " << r.kind << ", " << r.count << " vertices";
        if (r.kind != D3DPT_TRIANGLESTRIP && r.kind != D3DPT_TRIANGLEFAN) continue;
        // The pieces together make exactly the triangles of the whole primitive, in order.
        std::vector<Triangle> drawn, whole;
        for (const Drawn& piece : d) {
            std::vector<int> ids;
            for (const RecorderVertex& v : piece.lit) ids.push_back(int(v.x));
            if (r.kind == D3DPT_TRIANGLEFAN) {
                EXPECT_EQ(0, ids[0]) << "the fan's centre";
            }
            AddTriangles(r.kind, ids, &drawn);
        }
        std::vector<int> all;
        for (int i = 0; i < r.count; ++i) all.push_back(i);
        AddTriangles(r.kind, all, &whole);
        EXPECT_EQ(whole, drawn) << "kind " << r.kind;
    }
}

TEST_F(Shapes3D, VerticesMarkTheDrawingColourApartFromTheirOwn)
{
    GR_Draw_Set_Colour(0x0000FF); // red, alpha 1: ARGB 0xFFFF0000
    GR_3D_PrimitiveBegin(D3DPT_POINTLIST, -1);
    GR_3D_Vertex(0, 0, 0);
    GR_3D_VertexNormalTexture(0, 0, 0, 1, 2, 3, 0.5f, 0.25f);
    GR_3D_VertexColour(0, 0, 0, 0x00FF00, 0.5);
    GR_3D_VertexNormalTextureColour(0, 0, 0, 0, 0, 1, 0, 0, 0xFF0001, 7.0); // alpha clamped
    GR_Draw_Set_Colour(0xFF0001);
    GR_3D_Vertex(0, 0, 0);
    GR_3D_PrimitiveEnd();
    std::vector<Drawn> d = capture::Draws();
    ASSERT_EQ(1u, d.size());
    std::vector<uint32_t> colours;
    for (const RecorderVertex& v : d[0].lit) colours.push_back(v.colour);
    EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u, 0xFFFF0000u, 0x7F01FF00u, 0xFF0100FFu, 0xFF0100FEu}), colours);
    EXPECT_EQ(std::make_tuple(1.0f, 2.0f, 3.0f, 0.5f, 0.25f),
              std::make_tuple(d[0].lit[1].nx, d[0].lit[1].ny, d[0].lit[1].nz, d[0].lit[1].u, d[0].lit[1].v));
    EXPECT_EQ(std::make_tuple(0.0f, 0.0f, 0.0f), std::make_tuple(d[0].lit[0].nx, d[0].lit[0].ny, d[0].lit[0].nz));
}

TEST_F(Shapes3D, PageEntriesMapTextureCoordinatesOntoTheirCrop)
{
    int32_t texture = Texture_CreateEmpty(16, 16, false); // a 64 x 64 device texture
    TPageEntry entry{};
    entry.x = 16, entry.y = 8, entry.cropWidth = 8, entry.cropHeight = 4, entry.texture = int16_t(texture);
    TPage_RegisterOwn(&entry);
    struct Row {
        int32_t texture;
        float u, v;
        bool textured;
    };
    const Row rows[] = {{TPage_Handle(&entry), (16 + 8) / 64.0f, (8 + 2) / 64.0f, true},
                        {texture, 1.0f, 0.5f, true},
                        {-1, 1.0f, 0.5f, false},
                        {TPAGE_OWN_HANDLE_BASE + 999, 1.0f, 0.5f, false}};
    for (const Row& r : rows) {
        GR_3D_PrimitiveBegin(D3DPT_POINTLIST, r.texture);
        GR_3D_VertexTexture(0, 0, 0, 1.0f, 0.5f);
        GR_3D_PrimitiveEnd();
        std::vector<Drawn> d = capture::Draws();
        ASSERT_EQ(1u, d.size());
        EXPECT_EQ(std::make_tuple(r.u, r.v, r.textured), std::make_tuple(d[0].lit[0].u, d[0].lit[0].v, d[0].texture != nullptr))
            << "texture " << r.texture;
    }
    TPage_ReleaseOwn(&entry);
}

TEST_F(Shapes3D, ShapesDrawTheirPrimitivesWithRepeatOnAndRestoreIt)
{
    const Box3D box{0, 0, 0, 10, 20, 30};
    struct Row {
        const char* shape;
        std::function<void()> draw;
        std::vector<std::pair<int32_t, size_t>> draws; // type, vertices
    };
    const Row rows[] = {
        {"block", [&] { GR_3D_DrawBlock(box, -1, 1, 1); }, {{4, 36}}},
        {"cylinder of 2 steps", [&] { GR_3D_DrawCylinder(box, -1, 1, 1, true, 2); }, {{6, 5}, {5, 8}, {6, 5}}},
        {"cylinder of 200 steps", [&] { GR_3D_DrawCylinder(box, -1, 1, 1, true, 200); },
         {{6, 130}, {5, 258}, {6, 130}}},
        {"open cylinder", [&] { GR_3D_DrawCylinder(box, -1, 1, 1, false, 10); }, {{5, 22}}},
        {"closed cone", [&] { GR_3D_DrawCone(box, -1, 1, 1, true, 4); }, {{5, 10}, {6, 6}}},
        {"ellipsoid", [&] { GR_3D_DrawEllipsoid(box, -1, 1, 1, 7); }, {{5, 16}, {5, 16}, {5, 16}}},
        {"wall", [&] { GR_3D_DrawWall(box, -1, 1, 1); }, {{6, 4}}},
        {"zero-length wall", [&] { GR_3D_DrawWall(Box3D{5, 5, 0, 5, 5, 10}, -1, 1, 1); }, {}},
        {"floor", [&] { GR_3D_DrawFloor(box, -1, 1, 1); }, {{6, 4}}},
    };
    for (const Row& r : rows) {
        size_t samplerChanges = fake::Recorded().samplerStates.size();
        r.draw();
        std::vector<std::pair<int32_t, size_t>> got;
        for (const Drawn& d : capture::Draws()) got.push_back({d.type, d.lit.size()});
        EXPECT_EQ(r.draws, got) << r.shape;
        EXPECT_FALSE(GR_Texture_GetRepeat()) << r.shape;
        if (r.draws.empty()) {
            EXPECT_EQ(samplerChanges, fake::Recorded().samplerStates.size()) << "the zero wall touched the settings";
        }
    }
}

} // namespace
