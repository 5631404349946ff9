// The recorder's lists without a device: how each primitive type is recorded, how the lists grow
// and shrink, and recolouring by the marker colour.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Recorder.h"

namespace {

// Vertices told apart by x (their index), all of one colour.
std::vector<RecorderVertex> Numbered(int32_t count, uint32_t colour = 0xFF102030u)
{
    std::vector<RecorderVertex> v(size_t(count), RecorderVertex{});
    for (int32_t i = 0; i < count; ++i)
        v[size_t(i)].x = float(i), v[size_t(i)].colour = colour;
    return v;
}

std::vector<int32_t> Order(const RecorderList& list)
{
    std::vector<int32_t> order;
    for (int32_t i = 0; i < list.count; ++i)
        order.push_back(int32_t(list.vertices[i].x));
    return order;
}

TEST(Recorder, EachPrimitiveTypeLandsInItsListAsLists)
{
    struct Case {
        int32_t type, count, list;
        std::vector<int32_t> order;
    };
    const Case cases[] = {
        {D3DPT_TRIANGLESTRIP, 5, RECORDER_TRIANGLES, {0, 1, 2, 3, 2, 1, 2, 3, 4}}, // the middle one reversed
        {D3DPT_TRIANGLEFAN, 4, RECORDER_TRIANGLES, {0, 1, 2, 0, 2, 3}},
        {D3DPT_TRIANGLELIST, 3, RECORDER_TRIANGLES, {0, 1, 2}},
        {D3DPT_LINESTRIP, 4, RECORDER_LINES, {0, 1, 1, 2, 2, 3}},
        {D3DPT_LINELIST, 4, RECORDER_LINES, {0, 1, 2, 3}},
        {D3DPT_POINTLIST, 2, RECORDER_POINTS, {0, 1}},
        {9, 3, RECORDER_POINTS, {0, 1, 2}}, // any other type: points
        {D3DPT_TRIANGLESTRIP, 2, RECORDER_TRIANGLES, {}},
        {D3DPT_LINESTRIP, 1, RECORDER_LINES, {}},
    };
    for (const Case& c : cases) {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, 0);
        std::vector<RecorderVertex> v = Numbered(c.count);
        GraphicsRecorder_AddPrimitive(recorder, c.type, c.count, v.data());
        int32_t total = 0;
        for (const RecorderList& list : recorder->lists)
            total += list.count;
        EXPECT_EQ(c.order, Order(recorder->lists[c.list])) << c.type << " x " << c.count;
        EXPECT_EQ(int32_t(c.order.size()), total) << c.type << " x " << c.count;
        GraphicsRecorder_Destroy(recorder);
    }
}

TEST(Recorder, ListsDoubleTheirCapacityAndShrinkToTheirCount)
{
    GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, 0);
    RecorderList& points = recorder->lists[RECORDER_POINTS];
    const int32_t steps[][3] = {{0, 0, 0}, {3, 3, 3}, {3, 6, 6}, {1, 7, 12}, {20, 27, 48}, {-1, 27, 27}, {2, 29, 54}};
    std::vector<int32_t> expected;
    for (const auto& s : steps) {
        std::vector<RecorderVertex> v = Numbered(s[0] > 0 ? s[0] : 0);
        if (s[0] >= 0) GraphicsRecorder_AddPrimitive(recorder, D3DPT_POINTLIST, s[0], v.data());
        if (s[0] < 0) GraphicsRecorder_Grow(&points, -1);
        for (int32_t i = 0; i < s[0]; ++i)
            expected.push_back(i);
        EXPECT_EQ(s[1], points.count) << s[0];
        EXPECT_EQ(s[2], points.capacity) << s[0];
    }
    EXPECT_EQ(expected, Order(points)); // the contents survive every move
    GraphicsRecorder_Destroy(recorder);
}

TEST(Recorder, RecolouringChangesOnlyTheMarkerColour)
{
    const uint32_t marker = 0xFF0000FEu, other = 0xFF00FF00u;
    // Marker, colour given, what the marker's vertices become, the marker after.
    const uint32_t cases[][4] = {{marker, 0xFF123457u, 0xFF123456u, 0xFF123456u}, {marker | 1u, 0xFF123456u, marker, marker | 1u}};
    for (const auto& c : cases) {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, c[0]);
        std::vector<RecorderVertex> v = Numbered(3, marker);
        v[1].colour = other;
        GraphicsRecorder_AddPrimitive(recorder, D3DPT_TRIANGLELIST, 3, v.data());
        GraphicsRecorder_AddPrimitive(recorder, D3DPT_LINELIST, 2, v.data());
        GraphicsRecorder_Recolour(recorder, c[1]);
        const RecorderVertex* t = recorder->lists[RECORDER_TRIANGLES].vertices;
        EXPECT_EQ((std::vector<uint32_t>{c[2], other, c[2], c[2]}),
                  (std::vector<uint32_t>{t[0].colour, t[1].colour, t[2].colour,
                                         recorder->lists[RECORDER_LINES].vertices[0].colour}));
        EXPECT_EQ(c[3], recorder->marker);
        GraphicsRecorder_Destroy(recorder);
    }
}

} // namespace
