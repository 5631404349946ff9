// The vertex buffer builder: scripts begin a buffer with a vertex format, write each vertex's
// elements in any order, end it and submit it as often as they like. The vertices are laid out in
// the format's bytes, so that a submit is one copy into the graphics batch. Every misuse is fatal.
#pragma once

#include <cstdint>

struct VertexFormat;

struct VertexBuilderBuffer {
    uint8_t* data = nullptr;  // memory manager
    uint32_t capacity = 0;    // bytes of data
    uint32_t writeOffset = 0; // bytes of complete vertices since vertex_begin
    uint32_t writtenMask = 0; // element bits of the vertex being written (0 between vertices)
    uint32_t vertexCount = 0;
    VertexFormat* current = nullptr;  // between vertex_begin and vertex_end
    VertexFormat* finished = nullptr; // of the last vertex_end, which vertex_submit draws with
};

constexpr uint32_t VERTEX_BUILDER_DEFAULT_CAPACITY = 32768;
constexpr uint32_t VERTEX_BUILDER_MIN_CAPACITY = 256;
constexpr uint32_t VERTEX_BUILDER_MAX_CAPACITY = INT32_MAX;
// Claims the first unwritten element of the type whatever its usage.
constexpr int32_t VERTEX_USAGE_ANY = 0;

// A new buffer in the lowest empty slot of the table (32 slots, then doubling); its index.
int32_t VertexBuilder_Create(uint32_t capacity);
// Null outside the table or for an empty slot.
VertexBuilderBuffer* VertexBuilder_Get(int32_t index);
// Whether a buffer was there to delete.
bool VertexBuilder_Delete(int32_t index);
int32_t VertexBuilder_SlotCount();
// Frees every buffer and drops the slots (tests).
void VertexBuilder_DeleteAll();

// Room for one more vertex: the capacity grows by half plus a vertex. False only when the buffer
// would pass VERTEX_BUILDER_MAX_CAPACITY.
bool VertexBuilder_Reserve(VertexBuilderBuffer* buffer);
// Where the first unwritten element of that usage and type goes in the current vertex; completes
// the vertex when it was the last. Null after reporting that there is none.
uint8_t* VertexBuilder_ClaimElement(VertexBuilderBuffer* buffer, int32_t usage, int32_t type);

// Registers the 17 vertex_ functions.
void VertexBuilder_RegisterFunctions();
