// The graphics recorder: primitives that the 3D drawing code submits, turned into three growable
// lists (triangles, lines, points) of 36-byte vertices, and drawn later, moved to a place, from
// static vertex buffers built at the first draw. A 3D model keeps one recorder per texture.
#pragma once

#include <cstdint>

class D3DVertexBuffer;

constexpr int32_t RECORDER_VERTEX_SIZE = 36;
constexpr uint32_t RECORDER_FORMAT = 0x152;

// x, y, z, normal, colour (ARGB), u, v: the batch's 36-byte layout.
struct RecorderVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(RecorderVertex) == RECORDER_VERTEX_SIZE, "the recorder keeps 36-byte vertices");

enum : int32_t { RECORDER_TRIANGLES = 0, RECORDER_LINES = 1, RECORDER_POINTS = 2, RECORDER_LISTS = 3 };

struct RecorderList {
    RecorderVertex* vertices = nullptr; // memory manager
    D3DVertexBuffer* buffer = nullptr;  // none until first drawn
    int32_t count = 0;
    int32_t capacity = 0;
};

struct GraphicsRecorder {
    GraphicsRecorder* next = nullptr; // the model's next recorder
    uint32_t marker = 0;              // the colour its vertices were recorded in, bit 0 clear
    // The texture-table index it was made for, looked up at each draw: a texture freed since then
    // leaves the recording untextured.
    int32_t texture = -1;
    RecorderList lists[RECORDER_LISTS];
};

GraphicsRecorder* GraphicsRecorder_Create(int32_t texture, uint32_t marker);
// Frees the lists and the buffers (null: nothing).
void GraphicsRecorder_Destroy(GraphicsRecorder* recorder);

// Records `count` vertices of a primitive type (1 points, 2 line list, 3 line strip, 4 triangle
// list, 5 triangle strip, 6 triangle fan; any other type records points).
void GraphicsRecorder_AddPrimitive(GraphicsRecorder* recorder, int32_t type, int32_t count,
                                   const RecorderVertex* vertices);
// Makes room for `more` vertices at the end of the list (doubling its capacity), or with -1 shrinks
// it to exactly its count.
void GraphicsRecorder_Grow(RecorderList* list, int32_t more);
void GraphicsRecorder_Draw(GraphicsRecorder* recorder, float x, float y, float z);
// Every vertex of the marker's colour takes `colour` (bit 0 cleared), unless the marker's bit 0 is set.
void GraphicsRecorder_Recolour(GraphicsRecorder* recorder, uint32_t colour);
void GraphicsRecorder_ReleaseBuffers(GraphicsRecorder* recorder);
