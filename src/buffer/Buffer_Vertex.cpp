#include "buffer/Buffer_Vertex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_TexturePage.h"
#include "graphics/Graphics_VertexFormat.h"
#include "platform/Platform_MemoryManager.h"

namespace {

constexpr size_t FIRST_SLOT_COUNT = 32;
constexpr int32_t PRIMITIVE_FIRST = 1; // point list
constexpr int32_t PRIMITIVE_LAST = 5;  // triangle strip; fans are refused

std::vector<VertexBuilderBuffer*> g_Builders;

void Fatal(const char* message)
{
    Error_Show_Action(message, true);
}

bool AllReal(int32_t argc, const ScriptValue* args)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (!Arg_IsReal(args[i])) return false;
    }
    return true;
}

// The count, kind and buffer checks that open most routines, each with its routine's messages.
struct Messages {
    const char* count;
    const char* type;
    const char* buffer;
};

VertexBuilderBuffer* CheckedBuffer(const Messages& messages, int32_t argc, int32_t wanted,
                                   const ScriptValue* args)
{
    if (argc != wanted) {
        Fatal(messages.count);
        return nullptr;
    }
    if (!AllReal(argc, args)) {
        Fatal(messages.type);
        return nullptr;
    }
    VertexBuilderBuffer* buffer = VertexBuilder_Get(Arg_Int(args[0]));
    if (buffer == nullptr) Fatal(messages.buffer);
    return buffer;
}

// How an element writer stores its arguments.
enum class Store { Floats, Colour, Packed, Bytes };

struct ElementWriter {
    int32_t argc; // with the buffer
    int32_t usage;
    int32_t type;
    Store store;
};

const ElementWriter POSITION = {3, VERTEX_USAGE_POSITION, VERTEX_TYPE_FLOAT2, Store::Floats};
const ElementWriter POSITION_3D = {4, VERTEX_USAGE_POSITION, VERTEX_TYPE_FLOAT3, Store::Floats};
const ElementWriter COLOUR = {3, VERTEX_USAGE_COLOUR, VERTEX_TYPE_COLOUR, Store::Colour};
const ElementWriter RGBA = {2, VERTEX_USAGE_COLOUR, VERTEX_TYPE_COLOUR, Store::Packed};
const ElementWriter TEXCOORD = {3, VERTEX_USAGE_TEXCOORD, VERTEX_TYPE_FLOAT2, Store::Floats};
const ElementWriter NORMAL = {4, VERTEX_USAGE_NORMAL, VERTEX_TYPE_FLOAT3, Store::Floats};
const ElementWriter FLOAT1 = {2, VERTEX_USAGE_ANY, VERTEX_TYPE_FLOAT1, Store::Floats};
const ElementWriter FLOAT3 = {4, VERTEX_USAGE_ANY, VERTEX_TYPE_FLOAT3, Store::Floats};
const ElementWriter FLOAT4 = {5, VERTEX_USAGE_ANY, VERTEX_TYPE_FLOAT4, Store::Floats};
const ElementWriter UBYTE4 = {5, VERTEX_USAGE_ANY, VERTEX_TYPE_UBYTE4, Store::Bytes};

void StoreWord(uint8_t* place, uint32_t word)
{
    std::memcpy(place, &word, 4);
}

void StoreValues(uint8_t* place, Store store, int32_t count, const ScriptValue* values)
{
    switch (store) {
    case Store::Floats:
        for (int32_t i = 0; i < count; ++i) {
            float single = Numbers_ToFloat(values[i].real);
            std::memcpy(place + 4 * i, &single, 4);
        }
        break;
    case Store::Colour: {
        auto colour = static_cast<uint32_t>(Numbers_TruncToInt32(values[0].real));
        StoreWord(place, GR_MakeVertexColour(colour, Numbers_ToFloat(values[1].real)));
        break;
    }
    case Store::Packed:
        StoreWord(place, static_cast<uint32_t>(Numbers_TruncToInt64(values[0].real)));
        break;
    case Store::Bytes:
        for (int32_t i = 0; i < 4; ++i)
            place[i] = static_cast<uint8_t>(Numbers_TruncToInt32(values[i].real));
        break;
    }
}

void WriteElement(const ElementWriter& writer, int32_t argc, const ScriptValue* args)
{
    static const Messages messages = {"VERTEX BUILDER: Illegal argument count",
                                      "VERTEX BUILDER: Illegal argument type",
                                      "VERTEX BUILDER: Illegal vertex buffer specified."};
    VertexBuilderBuffer* buffer = CheckedBuffer(messages, argc, writer.argc, args);
    if (buffer == nullptr) return;
    if (buffer->current == nullptr) {
        Fatal("VERTEX BUILDER: Must use vertex_begin() before writing to buffer");
        return;
    }
    if (buffer->writtenMask == 0 && !VertexBuilder_Reserve(buffer)) return;
    uint8_t* place = VertexBuilder_ClaimElement(buffer, writer.usage, writer.type);
    if (place != nullptr) StoreValues(place, writer.store, argc - 1, args + 1);
}

// The device texture of a texture index, of a page-entry handle, or none (-1 and anything else).
DeviceTexture* SubmitTexture(int32_t value)
{
    if (Texture_Exists(value)) return Texture_GetHandle(value);
    const TPageEntry* entry = TPage_FromHandle(value);
    if (entry == nullptr || !Texture_Exists(entry->texture)) return nullptr;
    return Texture_GetHandle(entry->texture);
}

void Builtin_VertexCreateBuffer(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    Result_Real(result, -1);
    if (argc != 0) {
        Fatal("vertex_create_buffer: Illegal argument count");
        return;
    }
    Result_Real(result, VertexBuilder_Create(VERTEX_BUILDER_DEFAULT_CAPACITY));
}

void Builtin_VertexCreateBufferExt(ScriptValue* result, CInstance*, CInstance*, int32_t argc,
                                   ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 1) {
        Fatal("vertex_create_buffer: Illegal argument count");
        return;
    }
    if (!Arg_IsReal(args[0])) {
        Fatal("vertex_create_buffer: Illegal argument type");
        return;
    }
    // Below the minimum (a negative size too) gives the minimum.
    int64_t size =
        std::clamp<int64_t>(Arg_Trunc64(args[0]), VERTEX_BUILDER_MIN_CAPACITY, VERTEX_BUILDER_MAX_CAPACITY);
    Result_Real(result, VertexBuilder_Create(static_cast<uint32_t>(size)));
}

void Builtin_VertexDeleteBuffer(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1);
    if (argc != 1) {
        Fatal("vertex_delete_buffer: Illegal argument count");
        return;
    }
    if (!Arg_IsReal(args[0])) {
        Fatal("vertex_delete_buffer: Illegal argument type");
        return;
    }
    if (!VertexBuilder_Delete(Arg_Int(args[0])))
        Fatal("vertex_delete_buffer: Invalid vertex buffer specified");
}

void Builtin_VertexBegin(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    static const Messages messages = {"vertex_begin: Illegal argument count",
                                      "vertex_begin: Illegal argument type",
                                      "vertex_begin: Illegal vertex buffer specified."};
    VertexBuilderBuffer* buffer = CheckedBuffer(messages, argc, 2, args);
    if (buffer == nullptr) return;
    VertexFormat* format = VertexFormat_Get(Arg_Int(args[1]));
    if (format == nullptr) {
        Fatal("vertex_create_buffer: Illegal vertex format specified");
        return;
    }
    buffer->writeOffset = 0;
    buffer->writtenMask = 0;
    buffer->vertexCount = 0;
    buffer->current = format;
}

void Builtin_VertexEnd(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    static const Messages messages = {"vertex_end: Illegal argument count",
                                      "vertex_end: Illegal argument type",
                                      "vertex_end: Illegal vertex buffer specified."};
    VertexBuilderBuffer* buffer = CheckedBuffer(messages, argc, 1, args);
    if (buffer == nullptr) return;
    if (buffer->writtenMask != 0) {
        Fatal("vertex_end: Must finish writing vertex before end.");
        return;
    }
    buffer->finished = buffer->current;
    buffer->current = nullptr;
}

// (buffer, primitive type, texture).
void Builtin_VertexSubmit(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    static const Messages messages = {"vertex_submit: Illegal argument count",
                                      "vertex_submit: Illegal argument type",
                                      "vertex_submit: Illegal vertex buffer specified."};
    Result_Real(result, -1);
    VertexBuilderBuffer* buffer = CheckedBuffer(messages, argc, 3, args);
    if (buffer == nullptr) return;
    // Between a new begin and its end the bytes are laid out for the new format while the finished
    // one would size the batch's room, so that state is refused like a buffer never ended.
    if (buffer->finished == nullptr || buffer->current != nullptr) {
        Fatal("vertex_submit: Must finish with vertex_end() before submitting.");
        return;
    }
    int32_t primitive = Arg_Int(args[1]);
    if (primitive < PRIMITIVE_FIRST || primitive > PRIMITIVE_LAST) {
        Fatal("vertex_submit: Primitive type error.");
        return;
    }
    // Only whole vertices of the finished format that were written are drawn.
    int32_t stride = buffer->finished->stride;
    if (buffer->vertexCount == 0 || stride <= 0) return;
    int64_t count = std::min<int64_t>(buffer->vertexCount, buffer->writeOffset / uint32_t(stride));
    Graphics::AddVerts(primitive, SubmitTexture(Arg_Int(args[2])), buffer->finished->handle, buffer->data, count);
}

void Builtin_VertexPosition(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(POSITION, argc, args);
}

void Builtin_VertexPosition3d(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(POSITION_3D, argc, args);
}

void Builtin_VertexColour(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(COLOUR, argc, args);
}

void Builtin_VertexRgba(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(RGBA, argc, args);
}

void Builtin_VertexTexcoord(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(TEXCOORD, argc, args);
}

void Builtin_VertexNormal(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(NORMAL, argc, args);
}

void Builtin_VertexFloat1(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(FLOAT1, argc, args);
}

void Builtin_VertexFloat3(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(FLOAT3, argc, args);
}

void Builtin_VertexFloat4(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(FLOAT4, argc, args);
}

void Builtin_VertexUbyte4(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    WriteElement(UBYTE4, argc, args);
}

const FunctionRow VERTEX_FUNCTIONS[] = {
    {"vertex_create_buffer", Builtin_VertexCreateBuffer, 0},
    {"vertex_create_buffer_ext", Builtin_VertexCreateBufferExt, 1},
    {"vertex_delete_buffer", Builtin_VertexDeleteBuffer, 1},
    {"vertex_begin", Builtin_VertexBegin, 2},
    {"vertex_end", Builtin_VertexEnd, 1},
    {"vertex_position", Builtin_VertexPosition, 3},
    {"vertex_position_3d", Builtin_VertexPosition3d, 4},
    {"vertex_colour", Builtin_VertexColour, 3},
    {"vertex_rgba", Builtin_VertexRgba, 2},
    {"vertex_texcoord", Builtin_VertexTexcoord, 3},
    {"vertex_normal", Builtin_VertexNormal, 4},
    {"vertex_float1", Builtin_VertexFloat1, 2},
    {"vertex_float2", Builtin_VertexPosition, 3},
    {"vertex_float3", Builtin_VertexFloat3, 4},
    {"vertex_float4", Builtin_VertexFloat4, 5},
    {"vertex_ubyte4", Builtin_VertexUbyte4, 5},
    {"vertex_submit", Builtin_VertexSubmit, 3},
};

} // namespace

int32_t VertexBuilder_Create(uint32_t capacity)
{
    auto* buffer = new VertexBuilderBuffer();
    buffer->capacity = capacity;
    buffer->data = static_cast<uint8_t*>(MEM_ALLOC(capacity, false));
    auto free = std::find(g_Builders.begin(), g_Builders.end(), nullptr);
    size_t index = static_cast<size_t>(free - g_Builders.begin());
    if (free == g_Builders.end())
        g_Builders.resize(std::max(FIRST_SLOT_COUNT, g_Builders.size() * 2), nullptr);
    g_Builders[index] = buffer;
    return static_cast<int32_t>(index);
}

VertexBuilderBuffer* VertexBuilder_Get(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_Builders.size()) return nullptr;
    return g_Builders[static_cast<size_t>(index)];
}

bool VertexBuilder_Delete(int32_t index)
{
    VertexBuilderBuffer* buffer = VertexBuilder_Get(index);
    if (buffer == nullptr) return false;
    MemoryManager::Free(buffer->data);
    delete buffer;
    g_Builders[static_cast<size_t>(index)] = nullptr;
    return true;
}

int32_t VertexBuilder_SlotCount()
{
    return static_cast<int32_t>(g_Builders.size());
}

void VertexBuilder_DeleteAll()
{
    for (size_t i = 0; i < g_Builders.size(); ++i)
        VertexBuilder_Delete(static_cast<int32_t>(i));
    g_Builders.clear();
}

bool VertexBuilder_Reserve(VertexBuilderBuffer* buffer)
{
    uint64_t stride = static_cast<uint64_t>(buffer->current->stride);
    uint64_t needed = uint64_t(buffer->writeOffset) + stride;
    if (buffer->capacity >= needed) return true;
    uint64_t grown = std::min<uint64_t>(uint64_t(buffer->capacity) + buffer->capacity / 2 + stride,
                                        VERTEX_BUILDER_MAX_CAPACITY);
    if (grown < needed) return false;
    buffer->data = static_cast<uint8_t*>(MEM_REALLOC(buffer->data, static_cast<size_t>(grown)));
    buffer->capacity = static_cast<uint32_t>(grown);
    return true;
}

uint8_t* VertexBuilder_ClaimElement(VertexBuilderBuffer* buffer, int32_t usage, int32_t type)
{
    const VertexFormat* format = buffer->current;
    bool present = false;
    for (int32_t i = 0; i < format->elementCount; ++i) {
        const VertexElement& element = format->elements[i];
        if (element.type != type || (usage != VERTEX_USAGE_ANY && element.usage != usage)) continue;
        present = true;
        if ((buffer->writtenMask & element.bit) != 0) continue;
        uint8_t* place = buffer->data + buffer->writeOffset + element.offset;
        buffer->writtenMask |= element.bit;
        if (buffer->writtenMask == format->usageMask) {
            buffer->writtenMask = 0;
            buffer->writeOffset += static_cast<uint32_t>(format->stride);
            ++buffer->vertexCount;
        }
        return place;
    }
    Fatal(present ? "VERTEX BUILDER: element already written, must write the whole vertex first\n\n"
                  : "VERTEX BUILDER: Vertex format does not contain selected type.\n\n");
    return nullptr;
}

void VertexBuilder_RegisterFunctions()
{
    Function_AddRows(VERTEX_FUNCTIONS);
}
