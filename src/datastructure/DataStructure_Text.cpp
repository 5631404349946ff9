#include "datastructure/DataStructure_Text.h"

#include <algorithm>
#include <cstring>

#include "code/Code_ValueWalk.h"
#include "datastructure/DataStructure_Values.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

namespace {

// Rows an array index can address (row * 32000 + column stays within 32 bits), and columns a row holds.
constexpr int64_t MAX_ARRAY_ROWS = INT32_MAX / ARRAY_ROW_SPAN + 1;
constexpr int64_t MAX_ARRAY_COLUMNS = ARRAY_ROW_SPAN;
// The digits of a double in a map text.
constexpr int32_t MAP_REAL_DIGITS = 16;

const char HEX_DIGITS[] = "0123456789ABCDEF";

void* Allocate(size_t size)
{
    return MemoryManager::Alloc(size, __FILE__, __LINE__, true);
}

// A map text's digit: below "A" it counts from "0", anything else from "7" (so lower case is wrong).
int32_t MapDigit(char c)
{
    return c < 'A' ? c - '0' : c - '7';
}

bool EndsField(char c)
{
    return c == ':' || c == ',' || c == '\0';
}

} // namespace

// ---- writing --------------------------------------------------------------------------------------

namespace {

struct ElementWriter {
    CStream* stream;

    void Kind(const ScriptValue* value) { stream->WriteInteger(static_cast<int32_t>(value->kind)); }
    void Scalar(const ScriptValue* value)
    {
        Kind(value);
        if (value->kind == VALUE_REAL) stream->WriteReal(value->real);
        else if (value->kind == VALUE_STRING) stream->WriteString(Value_GetText(value));
    }
    void ArrayBegin(const ScriptValue* value, const ValueArray* array)
    {
        Kind(value);
        if (value->kind == VALUE_ARRAY) stream->WriteInteger(array != nullptr ? array->rowCount : 0);
    }
    void RowBegin(const ValueArrayRow& row) { stream->WriteInteger(row.length); }
    void Element(int32_t) {}
    void RowEnd(const ValueArrayRow&, bool) {}
    void ArrayEnd(const ValueArray*, bool) {}
};

} // namespace

DS_TextWriter::DS_TextWriter(int32_t version)
{
    m_Stream.WriteInteger(version);
}

void DS_TextWriter::Int(int32_t value)
{
    m_Stream.WriteInteger(value);
}

void DS_TextWriter::Value(const ScriptValue* value)
{
    ElementWriter writer{&m_Stream};
    Value_Walk(value, writer);
}

void DS_TextWriter::Values(const ScriptValue* values, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) Value(&values[i]);
}

std::string DS_TextWriter::Finish() const
{
    char* hex = nullptr;
    m_Stream.ToHexString(&hex);
    std::string text = hex != nullptr ? hex : "";
    MemoryManager::Free(hex);
    return text;
}

// ---- reading --------------------------------------------------------------------------------------

DS_ValueBatch::~DS_ValueBatch()
{
    for (ScriptValue& value : values) Value_Free(&value);
}

void DS_ValueBatch::MoveInto(ScriptValue* destination)
{
    if (!values.empty()) std::memcpy(destination, values.data(), values.size() * sizeof(ScriptValue));
    values.clear();
}

DS_TextReader::DS_TextReader(const char* text, int32_t version)
{
    m_Stream.FromHexString(text);
    m_Matches = m_Stream.ReadInteger() == version;
}

int64_t DS_TextReader::Remaining() const
{
    int64_t left = m_Stream.GetSize() - m_Stream.GetPosition();
    return left > 0 ? left : 0;
}

bool DS_TextReader::CanHold(int64_t count, int64_t itemBytes) const
{
    return count >= 0 && count <= Remaining() / itemBytes;
}

bool DS_TextReader::Values(DS_ValueBatch* batch, int64_t count)
{
    if (!CanHold(count, DS_ELEMENT_MIN_BYTES)) return false;
    batch->values.assign(static_cast<size_t>(count), ScriptValue{VALUE_REAL, 0, 0.0});
    for (ScriptValue& value : batch->values)
        if (!Value(&value)) return false;
    return true;
}

bool DS_TextReader::Value(ScriptValue* out)
{
    auto kind = static_cast<uint32_t>(m_Stream.ReadInteger());
    if (kind == VALUE_ARRAY) return Array(out);
    return Scalar(kind, out);
}

bool DS_TextReader::Scalar(uint32_t kind, ScriptValue* out)
{
    switch (kind) {
    case VALUE_REAL: out->real = m_Stream.ReadReal(); return true;
    case VALUE_STRING: return Text(out);
    default:
        // A nested mark read back would own whatever structure 0 is: it reads as a plain real 0.
        if (!DS_IsNestedMark(kind)) out->kind = kind;
        return true;
    }
}

bool DS_TextReader::Text(ScriptValue* out)
{
    out->kind = VALUE_STRING;
    int32_t length = m_Stream.ReadInteger();
    if (!CanHold(length, 1)) return false;
    if (length == 0) return true; // a string without text
    auto* text = static_cast<char*>(Allocate(static_cast<size_t>(length) + 1));
    m_Stream.ReadBuffer(text, length);
    out->ref = ScriptHeap_Ref(text);
    return true;
}

bool DS_TextReader::NewArray(ValueArray** out)
{
    int32_t rows = m_Stream.ReadInteger();
    if (!CanHold(rows, 4) || rows > MAX_ARRAY_ROWS) return false;
    ValueArray* array = Array_Create();
    if (rows > 0) {
        array->rows = static_cast<ValueArrayRow*>(Allocate(static_cast<size_t>(rows) * sizeof(ValueArrayRow)));
        array->rowCount = rows;
    }
    *out = array;
    return true;
}

// Arrays nest as deep as the text says, so they are read with a stack of their own, never by
// recursion. Whatever was read stays in `out`, so a refused read is released with it.
bool DS_TextReader::Array(ScriptValue* out)
{
    struct Frame {
        ValueArray* array;
        int32_t row;
        int32_t column; // -1 before the row's length is read
    };
    ValueArray* root = nullptr;
    if (!NewArray(&root)) return false;
    out->kind = VALUE_ARRAY;
    out->ref = ScriptHeap_Ref(root);
    std::vector<Frame> stack = {{root, 0, -1}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.row >= frame.array->rowCount) {
            stack.pop_back();
            continue;
        }
        ValueArrayRow& row = frame.array->rows[frame.row];
        if (frame.column < 0) {
            int32_t length = m_Stream.ReadInteger();
            if (!CanHold(length, DS_ELEMENT_MIN_BYTES) || length > MAX_ARRAY_COLUMNS) return false;
            if (length > 0) row.elements = static_cast<ScriptValue*>(Allocate(static_cast<size_t>(length) * sizeof(ScriptValue)));
            row.length = row.capacity = length;
            frame.column = 0;
        }
        if (frame.column >= row.length) {
            ++frame.row;
            frame.column = -1;
            continue;
        }
        ScriptValue* element = &row.elements[frame.column++];
        auto kind = static_cast<uint32_t>(m_Stream.ReadInteger());
        if (kind != VALUE_ARRAY) {
            if (!Scalar(kind, element)) return false;
            continue;
        }
        ValueArray* child = nullptr;
        if (!NewArray(&child)) return false;
        element->kind = VALUE_ARRAY;
        element->ref = ScriptHeap_Ref(child);
        stack.push_back({child, 0, -1}); // `frame` and `row` are not used after this
    }
    return true;
}

// ---- map text ---------------------------------------------------------------------------------------

void DS_AppendHexBytes(std::string* out, const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        out->push_back(HEX_DIGITS[bytes[i] >> 4]);
        out->push_back(HEX_DIGITS[bytes[i] & 0x0F]);
    }
}

void DS_AppendMapReal(std::string* out, double real)
{
    uint64_t bits;
    std::memcpy(&bits, &real, sizeof bits);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    size_t used = 8;
    while (used > 0 && bytes[used - 1] == 0) --used;
    DS_AppendHexBytes(out, bytes, used);
}

void DS_ReadMapField(const char** at, bool isString, ScriptValue* out)
{
    const char* start = *at;
    const char* end = start;
    while (!EndsField(*end)) ++end;
    *at = end;
    // A dangling last digit has no partner and is dropped.
    size_t pairs = static_cast<size_t>(end - start) / 2;
    auto decode = [start](size_t i) {
        return static_cast<uint8_t>((MapDigit(start[2 * i]) * 16 + MapDigit(start[2 * i + 1])) & 0xFF);
    };
    if (isString) {
        auto* text = static_cast<char*>(Allocate(pairs + 1));
        for (size_t i = 0; i < pairs; ++i) text[i] = static_cast<char>(decode(i));
        Value_SetText(out, text);
        MemoryManager::Free(text);
        return;
    }
    // Digits beyond the double's 16 are ignored.
    size_t used = std::min(pairs, static_cast<size_t>(MAP_REAL_DIGITS / 2));
    uint64_t bits = 0;
    for (size_t i = 0; i < used; ++i) bits |= static_cast<uint64_t>(decode(i)) << (56 - 8 * i);
    double real;
    std::memcpy(&real, &bits, sizeof real);
    Value_SetReal(out, real);
}
