#include "graphics/Graphics_VertexFormat.h"

#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceApi.h"
#include "platform/Platform_MemoryManager.h"

namespace {

std::vector<VertexFormat*> g_Formats;
VertexFormat* g_Building = nullptr;
uint32_t g_NextBit = 0;

// Direct3D's declaration type of each element type code 1..6.
const uint8_t DECLARATION_TYPES[] = {D3DDECLTYPE_UNUSED, D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2,
                                     D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4, D3DDECLTYPE_D3DCOLOR,
                                     D3DDECLTYPE_UBYTE4};

// Direct3D's declaration usage of each usage code 1..14.
const uint8_t DECLARATION_USAGES[] = {
    D3DDECLUSAGE_POSITION, D3DDECLUSAGE_POSITION,    D3DDECLUSAGE_COLOR,       D3DDECLUSAGE_NORMAL,
    D3DDECLUSAGE_TEXCOORD, D3DDECLUSAGE_BLENDWEIGHT, D3DDECLUSAGE_BLENDWEIGHT, D3DDECLUSAGE_TANGENT,
    D3DDECLUSAGE_TANGENT,  D3DDECLUSAGE_BINORMAL,    D3DDECLUSAGE_TESSFACTOR,  D3DDECLUSAGE_POSITIONT,
    D3DDECLUSAGE_FOG,      D3DDECLUSAGE_DEPTH,       D3DDECLUSAGE_SAMPLE,
};

void Report(const char* function, const char* message)
{
    std::string text = std::string(function) + "(): " + message;
    Error_Show_Action(text.c_str(), false);
}

void FreeFormat(VertexFormat* format)
{
    if (format == nullptr) return;
    if (format->declaration != nullptr) format->declaration->Release();
    MemoryManager::Free(format->elements);
    delete format;
}

// The six routines that add an element share their checks; the name goes in front of each message.
void AddElementRoutine(const char* name, ScriptValue* result, int32_t argc, int32_t wanted, int32_t type,
                       int32_t usage)
{
    Value_SetReal(result, -1.0);
    if (argc != wanted) {
        Report(name, "Illegal argument count");
        return;
    }
    if (g_Building == nullptr) {
        Report(name, "haven't started a new format.");
        return;
    }
    if (g_NextBit == 0) {
        Report(name, "Too many elements");
        return;
    }
    VertexFormat_AddElement(g_Building, type, usage, g_NextBit);
    g_NextBit <<= 1;
}

void F_VertexFormatBegin(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    Value_SetReal(result, -1.0);
    if (argc != 0) {
        Report("vertex_format_begin", "Illegal argument count");
        return;
    }
    if (g_Building != nullptr) {
        Report("vertex_format_begin", "Can't start a new format, still creating another one.");
        return;
    }
    g_Building = new VertexFormat();
    g_NextBit = 1;
}

void F_VertexFormatEnd(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    Value_SetReal(result, -1.0);
    if (argc != 0) {
        Report("vertex_format_end", "Illegal argument count");
        return;
    }
    if (g_Building == nullptr) {
        Report("vertex_format_end", "Can't end format, you haven't started one yet.");
        return;
    }
    int32_t handle = VertexFormat_Add(g_Building);
    VertexFormat_CreateDeclaration(g_Building);
    g_Building = nullptr;
    Value_SetReal(result, handle);
}

void F_AddPosition(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    AddElementRoutine("vertex_format_add_position", result, argc, 0, VERTEX_TYPE_FLOAT2,
                      VERTEX_USAGE_POSITION);
}

void F_AddPosition3d(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    AddElementRoutine("vertex_format_add_position_3d", result, argc, 0, VERTEX_TYPE_FLOAT3,
                      VERTEX_USAGE_POSITION);
}

void F_AddNormal(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    AddElementRoutine("vertex_format_add_normal", result, argc, 0, VERTEX_TYPE_FLOAT3, VERTEX_USAGE_NORMAL);
}

void F_AddColour(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    AddElementRoutine("vertex_format_add_colour", result, argc, 0, VERTEX_TYPE_COLOUR, VERTEX_USAGE_COLOUR);
}

void F_AddTextcoord(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue*)
{
    AddElementRoutine("vertex_format_add_textcoord", result, argc, 0, VERTEX_TYPE_FLOAT2,
                      VERTEX_USAGE_TEXCOORD);
}

void F_AddCustom(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const char* name = "vertex_format_add_custom";
    Value_SetReal(result, -1.0);
    if (argc != 2) {
        Report(name, "Illegal argument count");
        return;
    }
    if (Value_GetKind(&args[0]) != VALUE_REAL || Value_GetKind(&args[1]) != VALUE_REAL)
        Report(name, "incorrect formats.");
    // The values are read all the same, as numbers.
    double typeReal = args[0].real;
    double usageReal = args[1].real;
    int32_t type = static_cast<int32_t>(typeReal);
    int32_t usage = static_cast<int32_t>(usageReal);
    if (!(typeReal >= 1.0 && typeReal < 7.0)) {
        Report(name, "illegal types");
        return;
    }
    if (!(usageReal >= 1.0 && usageReal < 15.0)) {
        Report(name, "illegal usage");
        return;
    }
    AddElementRoutine(name, result, 0, 0, type, usage);
}

} // namespace

int32_t VertexFormat_TypeSize(int32_t type)
{
    switch (type) {
    case VERTEX_TYPE_FLOAT1:
        return 4;
    case VERTEX_TYPE_FLOAT2:
        return 8;
    case VERTEX_TYPE_FLOAT3:
        return 12;
    case VERTEX_TYPE_FLOAT4:
        return 16;
    case VERTEX_TYPE_COLOUR:
    case VERTEX_TYPE_UBYTE4:
        return 4;
    default:
        return 0;
    }
}

VertexFormat* VertexFormat_Get(int32_t handle)
{
    // Any other high bit makes the value an index beyond every table, so it is refused.
    uint32_t index = static_cast<uint32_t>(handle) & ~static_cast<uint32_t>(VERTEX_FORMAT_HANDLE_BIT);
    return index < g_Formats.size() ? g_Formats[index] : nullptr;
}

int32_t VertexFormat_Add(VertexFormat* format)
{
    int32_t handle = static_cast<int32_t>(g_Formats.size()) | VERTEX_FORMAT_HANDLE_BIT;
    g_Formats.push_back(format);
    format->handle = handle;
    return handle;
}

void VertexFormat_AddElement(VertexFormat* format, int32_t type, int32_t usage, uint32_t bit)
{
    int32_t offset = 0;
    for (int32_t i = 0; i < format->elementCount; ++i)
        offset += VertexFormat_TypeSize(format->elements[i].type);
    size_t bytes = sizeof(VertexElement) * static_cast<size_t>(format->elementCount + 1);
    format->elements = static_cast<VertexElement*>(MEM_REALLOC(format->elements, bytes));
    format->elements[format->elementCount] = VertexElement{offset, type, usage, bit};
    ++format->elementCount;
    format->usageMask |= bit;
    format->stride = offset + VertexFormat_TypeSize(type);
}

void VertexFormat_CreateDeclaration(VertexFormat* format)
{
    D3DDevice* device = GR_D3D_Device();
    if (device == nullptr || format == nullptr) return;
    auto* elements = static_cast<D3DVertexElement*>(
        MEM_ALLOC(sizeof(D3DVertexElement) * static_cast<size_t>(format->elementCount + 1), true));
    for (int32_t i = 0; i < format->elementCount; ++i) {
        const VertexElement& e = format->elements[i];
        uint8_t index = 0;
        for (int32_t j = 0; j < i; ++j) {
            if (format->elements[j].usage == e.usage) ++index;
        }
        uint8_t type = e.type >= 1 && e.type <= 6 ? DECLARATION_TYPES[e.type] : uint8_t(D3DDECLTYPE_UNUSED);
        uint8_t usage =
            e.usage >= 1 && e.usage <= VERTEX_USAGE_LAST ? DECLARATION_USAGES[e.usage] : uint8_t(0);
        elements[i] =
            D3DVertexElement{0, static_cast<uint16_t>(e.offset), type, D3DDECLMETHOD_DEFAULT, usage, index};
    }
    elements[format->elementCount] = D3DDECL_END;
    if (format->declaration != nullptr) format->declaration->Release();
    format->declaration = nullptr;
    device->CreateVertexDeclaration(elements, &format->declaration);
    MemoryManager::Free(elements);
}

void VertexFormat_RegisterFunctions()
{
    Function_Add("vertex_format_begin", F_VertexFormatBegin, 0);
    Function_Add("vertex_format_end", F_VertexFormatEnd, 0);
    Function_Add("vertex_format_add_position", F_AddPosition, 0);
    Function_Add("vertex_format_add_position_3d", F_AddPosition3d, 0);
    Function_Add("vertex_format_add_normal", F_AddNormal, 0);
    Function_Add("vertex_format_add_colour", F_AddColour, 0);
    Function_Add("vertex_format_add_textcoord", F_AddTextcoord, 0);
    Function_Add("vertex_format_add_custom", F_AddCustom, 2);
}

void VertexFormat_FreeAll()
{
    for (VertexFormat* format : g_Formats)
        FreeFormat(format);
    g_Formats.clear();
    FreeFormat(g_Building);
    g_Building = nullptr;
    g_NextBit = 0;
}

int32_t VertexFormat_Count()
{
    return static_cast<int32_t>(g_Formats.size());
}
