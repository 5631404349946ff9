// The recorder's lists without a device: how each primitive type is recorded, how the lists grow
// and shrink, and recolouring by the marker colour.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/Graphics_DeviceApi.h"
#include "graphics/Graphics_Recorder.h"

namespace {

// Vertices told apart by x (their index) and carrying a colour.
std::vector<RecorderVertex> Numbered(int32_t count, uint32_t colour = 0xFF102030u)
{
    std::vector<RecorderVertex> v(size_t(count), RecorderVertex{});
    for (int32_t i = 0; i < count; ++i) {
        v[size_t(i)].x = float(i);
        v[size_t(i)].colour = colour;
    }
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
        const char* name;
        int32_t type;
        int32_t count;
        int32_t list;
        std::vector<int32_t> order;
    };
    const Case cases[] = {
        {"a strip of 5: three triangles, the middle one reversed", D3DPT_TRIANGLESTRIP, 5, RECORDER_TRIANGLES,
         {0, 1, 2, 3, 2, 1, 2, 3, 4}},
        {"a fan of 4: two triangles sharing vertex 0", D3DPT_TRIANGLEFAN, 4, RECORDER_TRIANGLES, {0, 1, 2, 0, 2, 3}},
        {"a triangle list as it is", D3DPT_TRIANGLELIST, 3, RECORDER_TRIANGLES, {0, 1, 2}},
        {"a line strip of 4: three segments", D3DPT_LINESTRIP, 4, RECORDER_LINES, {0, 1, 1, 2, 2, 3}},
        {"a line list as it is", D3DPT_LINELIST, 4, RECORDER_LINES, {0, 1, 2, 3}},
        {"points", D3DPT_POINTLIST, 2, RECORDER_POINTS, {0, 1}},
        {"an unknown type records points", 9, 3, RECORDER_POINTS, {0, 1, 2}},
        {"a strip of 2 makes no triangle", D3DPT_TRIANGLESTRIP, 2, RECORDER_TRIANGLES, {}},
        {"a line strip of 1 makes no line", D3DPT_LINESTRIP, 1, RECORDER_LINES, {}},
    };
    for (const Case& c : cases) {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, 0);
        std::vector<RecorderVertex> v = Numbered(c.count);
        GraphicsRecorder_AddPrimitive(recorder, c.type, c.count, v.data());
        EXPECT_EQ(c.order, Order(recorder->lists[c.list])) << c.name;
        int32_t elsewhere = 0;
        for (int32_t k = 0; k < RECORDER_LISTS; ++k)
            elsewhere += k != c.list ? recorder->lists[k].count : 0;
        EXPECT_EQ(0, elsewhere) << c.name;
        GraphicsRecorder_Destroy(recorder);
    }
    GraphicsRecorder_Destroy(nullptr);
}

TEST(Recorder, ListsDoubleTheirCapacityAndShrinkToTheirCount)
{
    struct Step {
        int32_t more;
        int32_t count;
        int32_t capacity;
    };
    const Step steps[] = {{0, 0, 0}, {3, 3, 3}, {3, 6, 6}, {1, 7, 12}, {20, 27, 48}, {-1, 27, 27}, {0, 27, 27},
                          {-1, 27, 27}, {2, 29, 54}};
    RecorderList list;
    for (const Step& s : steps) {
        GraphicsRecorder_Grow(&list, s.more);
        EXPECT_EQ(s.count, list.count) << s.more;
        EXPECT_EQ(s.capacity, list.capacity) << s.more;
    }
    // Contents survive growing and shrinking.
    GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, 0);
    std::vector<RecorderVertex> v = Numbered(5);
    GraphicsRecorder_AddPrimitive(recorder, D3DPT_POINTLIST, 5, v.data());
    GraphicsRecorder_AddPrimitive(recorder, D3DPT_POINTLIST, 5, v.data());
    GraphicsRecorder_Grow(&recorder->lists[RECORDER_POINTS], -1);
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4}), Order(recorder->lists[RECORDER_POINTS]));
    EXPECT_EQ(10, recorder->lists[RECORDER_POINTS].capacity);
    GraphicsRecorder_Destroy(recorder);
    RecorderList empty;
    GraphicsRecorder_Grow(&empty, -1); // nothing to shrink
    EXPECT_EQ(nullptr, empty.vertices);
    // The list was grown by hand: free it the way the recorder does.
    GraphicsRecorder* owner = GraphicsRecorder_Create(-1, 0);
    owner->lists[0] = list;
    GraphicsRecorder_Destroy(owner);
}

TEST(Recorder, RecolouringChangesOnlyTheMarkerColour)
{
    const uint32_t marker = 0xFF0000FEu, other = 0xFF00FF00u;
    struct Case {
        const char* name;
        uint32_t marker;
        uint32_t colour;
        uint32_t recoloured; // what the marker's vertices become
        uint32_t newMarker;
    };
    const Case cases[] = {
        {"the marker's vertices take the colour, bit 0 cleared", marker, 0xFF123457u, 0xFF123456u, 0xFF123456u},
        {"a marker with bit 0 set keeps everything", marker | 1u, 0xFF123456u, marker, marker | 1u},
    };
    for (const Case& c : cases) {
        GraphicsRecorder* recorder = GraphicsRecorder_Create(-1, c.marker);
        std::vector<RecorderVertex> v = Numbered(3, marker);
        v[1].colour = other;
        GraphicsRecorder_AddPrimitive(recorder, D3DPT_TRIANGLELIST, 3, v.data());
        GraphicsRecorder_AddPrimitive(recorder, D3DPT_LINELIST, 2, v.data());
        GraphicsRecorder_Recolour(recorder, c.colour);
        const RecorderList& triangles = recorder->lists[RECORDER_TRIANGLES];
        const RecorderList& lines = recorder->lists[RECORDER_LINES];
        EXPECT_EQ(c.recoloured, triangles.vertices[0].colour) << c.name;
        EXPECT_EQ(other, triangles.vertices[1].colour) << c.name;
        EXPECT_EQ(c.recoloured, triangles.vertices[2].colour) << c.name;
        EXPECT_EQ(c.recoloured, lines.vertices[0].colour) << c.name;
        EXPECT_EQ(c.newMarker, recorder->marker) << c.name;
        GraphicsRecorder_Destroy(recorder);
    }
}

} // namespace
