// 3D models: the model table, the text file written and read back, malformed files, and drawing
// through recordings (one per texture, recoloured when the drawing colour changes).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../TestSupport_SaveArea.h"
#include "Graphics_DrawCapture.h"
#include "graphics/Graphics_3DDraw.h"

namespace {

class Models3D : public capture::DrawTest {
  protected:
    void TearDown() override
    {
        GR_3D_ModelFreeAll();
        capture::DrawTest::TearDown();
    }
    static bool Read(int32_t model, const std::string& text)
    {
        return GR_3D_ModelRead(model, reinterpret_cast<const uint8_t*>(text.data()), int64_t(text.size()));
    }
    static std::vector<int32_t> Kinds(int32_t model)
    {
        std::vector<int32_t> kinds;
        for (int32_t n = 0; n < GR_3D_ModelCommandCount(model); ++n) kinds.push_back(GR_3D_ModelCommand(model, n)->kind);
        return kinds;
    }
};

TEST_F(Models3D, SavedModelsLoadBackWithEveryFieldKept)
{
    testsupport::ScopedSaveArea area("model3d");
    int32_t m = GR_3D_ModelCreate();
    const Box3D box{1, 2, 3, 4.5f, 5, -6.25f};
    GR_3D_ModelPrimitiveBegin(m, D3DPT_TRIANGLELIST);
    GR_3D_ModelVertex(m, 1.5f, -2, 0.25f);
    GR_3D_ModelVertexColour(m, 1, 2, 3, 0xFFFFFF, 0.5f);
    GR_3D_ModelVertexTexture(m, 1, 2, 3, 0.125f, 2);
    GR_3D_ModelVertexTextureColour(m, 1, 2, 3, 4, 5, 0x7FFFFFF, 1);
    GR_3D_ModelVertexNormal(m, 1, 2, 3, 0, 0, -1);
    GR_3D_ModelVertexNormalColour(m, 1, 2, 3, 0, 1, 0, 255, 0);
    GR_3D_ModelVertexNormalTexture(m, 1, 2, 3, 1, 0, 0, 0.5f, 0.5f);
    GR_3D_ModelVertexNormalTextureColour(m, 1, 2, 3, 1, 0, 0, 0.5f, 0.5f, 65280, 0.75f);
    GR_3D_ModelPrimitiveEnd(m);
    GR_3D_ModelBlock(m, box, 2, 3);
    GR_3D_ModelCylinder(m, box, 1, 1, true, 17);
    GR_3D_ModelCone(m, box, 1, 1, false, 5);
    GR_3D_ModelEllipsoid(m, box, 1, 1, 24);
    GR_3D_ModelWall(m, box, 1, 1);
    GR_3D_ModelFloor(m, box, 1, 1);
    ASSERT_TRUE(GR_3D_ModelSave(m, "models/ship.d3d"));

    std::ifstream in(area.Path("models/ship.d3d"), std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("100\r\n16\r\n0     4.0000     0.0000", file.substr(0, 32));
    EXPECT_NE(std::string::npos,
              file.find("\r\n3     1.0000     2.0000     3.0000 16777215.0000     0.5000     0.0000"));
    EXPECT_NE(std::string::npos, file.find("\r\n11     1.0000     2.0000     3.0000     4.5000     5.0000    -6.2500"
                                           "     1.0000     1.0000     1.0000    17.0000\r\n"));

    int32_t copy = GR_3D_ModelCreate();
    ASSERT_TRUE(GR_3D_ModelLoad(copy, "models/ship.d3d"));
    ASSERT_EQ(16, GR_3D_ModelCommandCount(copy));
    for (int32_t n = 0; n < 16; ++n)
        EXPECT_EQ(0, std::memcmp(GR_3D_ModelCommand(m, n), GR_3D_ModelCommand(copy, n), sizeof(ModelCommand)))
            << "command " << n;
    EXPECT_FALSE(GR_3D_ModelLoad(copy, "models/missing.d3d"));
    EXPECT_EQ(0, GR_3D_ModelCommandCount(copy)) << "a failed load leaves the model empty";
}

TEST_F(Models3D, MalformedFilesAreReadAsFarAsTheyGoAndNeverBeyond)
{
    struct Row {
        const char* what;
        std::string text;
        bool loads;
        std::vector<int32_t> kinds;
    };
    const Row rows[] = {
        {"another version", "101\n1\n2 1 2 3\n", false, {}},
        {"no data", "", false, {}},
        {"only the version", "100", true, {}},
        {"blank lines between commands", "\r\n100\r\n2\r\n\r\n\n2 1 2 3\r\n\r\n1\r\n", true, {2, 1}},
        {"a huge count", "100\n2147483647\n2 1 2 3\n1\n", true, {2, 1}},
        {"a negative count", "100\n-5\n2 1 2 3\n", true, {}},
        {"fewer lines than the count", "100\n5\n1\n1\n", true, {1, 1}},
        {"more lines than the count", "100\n1\n1\n2\n3\n", true, {1}},
        {"unknown kinds and a line without one", "100\n3\n99 1 2\n-4\nabc\n", true, {99, -4, -1}},
        {"no final line feed", "100\n1\n2 1 2 3", true, {2}},
        {"a zero byte ends the text", std::string("100\n3\n2 1 2 3\n\0\n1\n", 18), true, {2}},
    };
    int32_t m = GR_3D_ModelCreate();
    for (const Row& r : rows) {
        GR_3D_ModelVertex(m, 9, 9, 9); // cleared by every read
        EXPECT_EQ(r.loads, Read(m, r.text)) << r.what;
        EXPECT_EQ(r.kinds, Kinds(m)) << r.what;
    }
    // Whole-number fields go through the numbers module: huge ones become INT_MIN, unreadable ones
    // stay 0, and the cylinder draws with its steps clamped.
    ASSERT_TRUE(Read(m, "100\n1\n11 0 0 0 1 1 1 1 1 1e300 nan\n"));
    const ModelCommand* c = GR_3D_ModelCommand(m, 0);
    EXPECT_EQ(std::make_tuple(INT32_MIN, 0), std::make_tuple(c->field[8].i, c->field[9].i));
    ASSERT_TRUE(Read(m, "100\n1\n3 1 2 3 -16777217.9 1e39\n"));
    c = GR_3D_ModelCommand(m, 0);
    EXPECT_EQ(-16777217, c->field[3].i);
    EXPECT_TRUE(std::isinf(c->field[4].f));
    ASSERT_TRUE(Read(m, "100\n3\n11 0 0 0 1 1 1 1 1 1e300 nan\n99 1 2 3\n-4\n"));
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    ASSERT_EQ(1, GR_3D_ModelRecordingCount(m));
    // The open cylinder's side strip of 3 steps (6 triangles); unknown kinds added nothing.
    EXPECT_EQ(18, GR_3D_ModelRecording(m, 0)->lists[RECORDER_TRIANGLES].count);
}

TEST_F(Models3D, DrawingRecordsOncePerTextureAndRecoloursToTheDrawingColour)
{
    int32_t m = GR_3D_ModelCreate();
    GR_3D_ModelPrimitiveBegin(m, D3DPT_TRIANGLELIST);
    GR_3D_ModelVertex(m, 0, 0, 0);
    GR_3D_ModelVertex(m, 1, 0, 0);
    GR_3D_ModelVertexColour(m, 0, 1, 0, 0x00FF00, 1);
    GR_3D_ModelPrimitiveEnd(m);
    int32_t texture = Texture_CreateEmpty(16, 16, false);
    auto colours = [&](int32_t n) {
        const RecorderList& list = GR_3D_ModelRecording(m, n)->lists[RECORDER_TRIANGLES];
        std::vector<uint32_t> out;
        for (int32_t i = 0; i < list.count; ++i) out.push_back(list.vertices[i].colour);
        return out;
    };
    GR_Draw_Set_Colour(0x0000FF);
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    GR_3D_ModelDraw(m, 5, 0, 0, -1);
    EXPECT_EQ(1, GR_3D_ModelRecordingCount(m));
    GR_3D_ModelDraw(m, 0, 0, 0, texture);
    EXPECT_EQ(2, GR_3D_ModelRecordingCount(m));
    EXPECT_EQ(3u, fake::Recorded().draws.size());
    EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u, 0xFFFF0000u, 0xFF01FF00u}), colours(0));

    GR_Draw_Set_Colour(0xFF0000); // blue: the drawing-colour vertices follow, the green one stays
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    EXPECT_EQ((std::vector<uint32_t>{0xFF0000FEu, 0xFF0000FEu, 0xFF01FF00u}), colours(0));
    EXPECT_EQ(0xFF0000FEu, GR_3D_ModelRecording(m, 0)->marker);

    // Commands added after a draw leave the recording as it is, until the model is cleared.
    GR_3D_ModelVertex(m, 0, 0, 1);
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    EXPECT_EQ(3u, colours(0).size());
    GR_3D_ModelClear(m);
    EXPECT_EQ(std::make_tuple(0, 0), std::make_tuple(GR_3D_ModelRecordingCount(m), GR_3D_ModelCommandCount(m)));

    // Only own colours: the marker is 0 and a colour change keeps them.
    GR_3D_ModelPrimitiveBegin(m, D3DPT_POINTLIST);
    GR_3D_ModelVertexColour(m, 0, 1, 0, 0x00FF00, 1);
    GR_3D_ModelPrimitiveEnd(m);
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    EXPECT_EQ(0u, GR_3D_ModelRecording(m, 0)->marker);
    GR_Draw_Set_Colour(0x123456);
    GR_3D_ModelDraw(m, 0, 0, 0, -1);
    EXPECT_EQ(0xFF01FF00u, GR_3D_ModelRecording(m, 0)->lists[RECORDER_POINTS].vertices[0].colour);
}

} // namespace
