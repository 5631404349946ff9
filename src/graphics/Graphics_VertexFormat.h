// Vertex formats that scripts describe with the vertex_format_* functions. A finished format becomes
// a device vertex declaration and gets a handle with bit 24 set, so that the vertex batch and the
// vertex-buffer builder can tell it from a fixed-function vertex format code.
#pragma once

#include <cstdint>

class D3DVertexDeclaration;

constexpr int32_t VERTEX_FORMAT_HANDLE_BIT = 0x1000000;

// Element types (script codes): 1..4 one to four floats, 5 a packed colour, 6 four unsigned bytes.
enum : int32_t {
    VERTEX_TYPE_FLOAT1 = 1,
    VERTEX_TYPE_FLOAT2 = 2,
    VERTEX_TYPE_FLOAT3 = 3,
    VERTEX_TYPE_FLOAT4 = 4,
    VERTEX_TYPE_COLOUR = 5,
    VERTEX_TYPE_UBYTE4 = 6,
};

// Usage codes (script codes): 1 position, 2 colour, 3 normal, 4 texture coordinate, 5-6 blend
// weight, 7-8 tangent, 9 binormal, 10 tessellation factor, 11 transformed position, 12 fog,
// 13 depth, 14 sample.
enum : int32_t {
    VERTEX_USAGE_POSITION = 1,
    VERTEX_USAGE_COLOUR = 2,
    VERTEX_USAGE_NORMAL = 3,
    VERTEX_USAGE_TEXCOORD = 4,
    VERTEX_USAGE_LAST = 14,
};

struct VertexElement {
    int32_t offset; // bytes from the start of the vertex
    int32_t type;
    int32_t usage;
    uint32_t bit; // a single bit: 1 for the first element, then the next higher one each
};

struct VertexFormat {
    int32_t handle = 0;
    int32_t elementCount = 0;
    VertexElement* elements = nullptr; // memory manager
    D3DVertexDeclaration* declaration = nullptr;
    uint32_t usageMask = 0;
    int32_t stride = 0;
};

// The format of a handle (bit 24 cleared, then an index of the table); null outside the table.
VertexFormat* VertexFormat_Get(int32_t handle);
// Appends a format to the table and stores its handle in it.
int32_t VertexFormat_Add(VertexFormat* format);
void VertexFormat_AddElement(VertexFormat* format, int32_t type, int32_t usage, uint32_t bit);
// Makes the device's declaration of the format (none without a device).
void VertexFormat_CreateDeclaration(VertexFormat* format);
int32_t VertexFormat_TypeSize(int32_t type);
void VertexFormat_RegisterFunctions();

// Empties the table and the builder (shut-down and tests).
void VertexFormat_FreeAll();
// The number of formats in the table.
int32_t VertexFormat_Count();
