#include "code/Code_Value.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Numbers.h"
#include "buffer/Buffer_IBuffer.h"
#include "code/Code_ValueWalk.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

ArrayErrorRecord g_ArrayError = {0, 0, 0, 0, 0};

namespace {

constexpr const char* SOURCE_FILE = "Code_Main";

// Rows and columns an index can address; growth never reserves beyond them.
constexpr int32_t MAX_ROWS = INT32_MAX / ARRAY_ROW_SPAN + 1;
constexpr int32_t MAX_COLUMNS = ARRAY_ROW_SPAN;

// The smallest byte forms: a row's length, and an element (a kind and an empty row count).
constexpr int64_t ROW_MIN_BYTES = 4;
constexpr int64_t ELEMENT_MIN_BYTES = 8;

void* Allocate(size_t size, bool clear) { return MemoryManager::Alloc(size, SOURCE_FILE, __LINE__, clear); }

// Whether the value holds nothing of the heap (no text, no array).
bool HoldsNothing(const ScriptValue* value) { return Value_GetKind(value) - VALUE_STRING > VALUE_ARRAY - VALUE_STRING; }

char* TextOf(const ScriptValue* value)
{
    return Value_GetKind(value) == VALUE_STRING ? ScriptHeap_Get<char>(value->ref) : nullptr;
}

// Stores a copy of text (or none) as the value's text, reusing the block the value already owns
// when it is large enough. An array the value held is the caller's to let go of afterwards.
void StoreText(ScriptValue* value, char* ownText, const char* text)
{
    if (text == nullptr) {
        MemoryManager::Free(ownText);
        value->ref = 0;
        return;
    }
    size_t size = std::strlen(text) + 1;
    if (ownText == nullptr || MemoryManager::GetSize(ownText) < size) {
        MemoryManager::Free(ownText);
        ownText = static_cast<char*>(Allocate(size, false));
    }
    std::memmove(ownText, text, size);
    value->ref = ScriptHeap_Ref(ownText);
}

// Element blocks and row tables keep spare room (always empty values) so that filling an array in a
// loop is not quadratic; lengths stay exactly what was written.
template <typename T>
T* GrowBlock(T* block, int32_t needed, int32_t limit)
{
    int32_t capacity = static_cast<int32_t>(MemoryManager::GetSize(block) / sizeof(T));
    if (needed <= capacity) return block;
    int32_t grown = std::max(needed, std::min(capacity * 2, limit));
    // The manager clears the new part of the block.
    return static_cast<T*>(MEM_REALLOC(block, static_cast<size_t>(grown) * sizeof(T)));
}

void GrowRows(ValueArray* array, int32_t rowCount)
{
    if (rowCount <= array->rowCount) return;
    array->rows = GrowBlock(array->rows, rowCount, MAX_ROWS);
    array->rowCount = rowCount;
}

// A row's block grows as the tables do, but only its elements in use are copied and its spare room
// is left as it comes: the next writes clear what they take of it.
void GrowRow(ValueArrayRow* row, int32_t length)
{
    if (length <= row->length) return;
    if (length > row->capacity) {
        int32_t grown = std::max(length, std::min(row->capacity * 2, MAX_COLUMNS));
        auto* fresh = static_cast<ScriptValue*>(Allocate(static_cast<size_t>(grown) * sizeof(ScriptValue), false));
        if (row->length > 0)
            std::memcpy(static_cast<void*>(fresh), row->elements, static_cast<size_t>(row->length) * sizeof(ScriptValue));
        MemoryManager::Free(row->elements);
        row->elements = fresh;
        row->capacity = grown;
    }
    Array_Lengthen(row, length);
}

// Reals own nothing, and arrays are mostly reals: four elements that are all reals are passed over
// with one test.
void FreeElements(ScriptValue* elements, int32_t length)
{
    int32_t c = 0;
    for (; c + 4 <= length; c += 4) {
        uint32_t kinds = elements[c].kind | elements[c + 1].kind | elements[c + 2].kind | elements[c + 3].kind;
        if ((kinds & VALUE_KIND_MASK) == VALUE_REAL) continue;
        for (int32_t k = c; k < c + 4; ++k) Value_Free(&elements[k]);
    }
    for (; c < length; ++c) Value_Free(&elements[c]);
}

void DestroyArray(ValueArray* array)
{
    for (int32_t r = 0; r < array->rowCount; ++r) {
        ValueArrayRow& row = array->rows[r];
        FreeElements(row.elements, row.length);
        MemoryManager::Free(row.elements);
    }
    MemoryManager::Free(array->rows);
    MemoryManager::Free(array);
}

// Arrays whose last reference went while another array was being destroyed: they are destroyed by
// the outermost release, one after another, so that deeply nested arrays never recurse.
std::vector<ValueArray*>& PendingArrays()
{
    static std::vector<ValueArray*>* pending = new std::vector<ValueArray*>();
    return *pending;
}
bool g_Releasing = false;

void DropReference(ValueArray* array)
{
    if (--array->refCount >= 1) return;
    std::vector<ValueArray*>& pending = PendingArrays();
    pending.push_back(array);
    if (g_Releasing) return;
    g_Releasing = true;
    while (!pending.empty()) {
        ValueArray* next = pending.back();
        pending.pop_back();
        DestroyArray(next);
    }
    g_Releasing = false;
}

void SplitIndex(int32_t index, int32_t* row, int32_t* column)
{
    *row = index / ARRAY_ROW_SPAN;
    *column = index - *row * ARRAY_ROW_SPAN;
}

void RecordError(const ValueArray* array, int32_t row, int32_t column)
{
    g_ArrayError.flag = 1;
    g_ArrayError.row = row;
    g_ArrayError.column = column;
    g_ArrayError.rowCount = array != nullptr ? array->rowCount : 0;
    bool rowExists = array != nullptr && row >= 0 && row < array->rowCount;
    g_ArrayError.rowLength = rowExists ? array->rows[row].length : -1;
}

// Makes the value refer to an array of its own, as every write needs.
ValueArray* PrivateArray(ScriptValue* value)
{
    if (Value_GetKind(value) != VALUE_ARRAY) {
        Value_Free(value);
        value->kind = VALUE_ARRAY;
        value->ref = 0;
    }
    ValueArray* array = Value_GetArray(value);
    if (array == nullptr) {
        array = Array_Create();
    } else if (array->refCount != 1) {
        array = Array_CopyForWrite(array);
    }
    value->ref = ScriptHeap_Ref(array);
    return array;
}

// Grows the array to hold (row, column) as a write does: the rows first, whatever the column.
ScriptValue* ElementForWrite(ValueArray* array, int32_t row, int32_t column)
{
    if (row >= 0) GrowRows(array, row + 1);
    if (row < 0 || column < 0) return nullptr;
    ValueArrayRow* target = &array->rows[row];
    GrowRow(target, column + 1);
    return &target->elements[column];
}

void AppendReal(ValueTextBuffer* text, double real)
{
    char digits[NUMBERS_QUICK_TEXT_MAX];
    if (size_t length = Numbers_RealToTextQuick(real, digits)) {
        ValueText_Append(text, digits, length);
        return;
    }
    std::string formatted = Numbers_RealToText(real);
    ValueText_Append(text, formatted.data(), formatted.size());
}

struct TextWriter {
    ValueTextBuffer* text;

    void Append(const char* bytes) { ValueText_Append(text, bytes, std::strlen(bytes)); }
    void Scalar(const ScriptValue* value)
    {
        switch (Value_GetKind(value)) {
        case VALUE_REAL: AppendReal(text, value->real); break;
        case VALUE_STRING:
            if (const char* own = Value_GetText(value)) Append(own);
            break;
        default: break;
        }
    }
    void ArrayBegin(const ScriptValue*, const ValueArray*) { Append("{ "); }
    void RowBegin(const ValueArrayRow&) {}
    // No separator between the last element of one row and the first of the next.
    void Element(int32_t column)
    {
        if (column > 0) Append(",");
    }
    void RowEnd(const ValueArrayRow&, bool) {}
    void ArrayEnd(const ValueArray*, bool) { Append(" }"); }
};

struct StreamWriter {
    IBuffer* buffer;
    bool ok = true;

    void Number(int32_t type, double number)
    {
        if (ok) ok = buffer->WriteNumber(type, number) == 0;
    }
    void Kind(const ScriptValue* value) { Number(eBuffer_S32, static_cast<int32_t>(value->kind)); }
    void Scalar(const ScriptValue* value)
    {
        Kind(value);
        uint32_t kind = Value_GetKind(value);
        if (kind != VALUE_REAL && kind != VALUE_STRING) return;
        Number(eBuffer_F64, value->real);
        if (!ok) return;
        // A text is written straight from the value; no text becomes the 0x04 mark.
        ok = (Value_GetText(value) != nullptr ? buffer->Write(eBuffer_String, value)
                                              : buffer->WriteString(nullptr)) == 0;
    }
    void ArrayBegin(const ScriptValue* value, const ValueArray* array)
    {
        Kind(value);
        Number(eBuffer_S32, array != nullptr ? array->rowCount : 0);
    }
    void RowBegin(const ValueArrayRow& row) { Number(eBuffer_S32, row.length); }
    void Element(int32_t) {}
    void RowEnd(const ValueArrayRow&, bool) {}
    void ArrayEnd(const ValueArray*, bool) {}
};

} // namespace

const char* Value_GetText(const ScriptValue* value) { return TextOf(value); }

ValueArray* Value_GetArray(const ScriptValue* value)
{
    return Value_GetKind(value) == VALUE_ARRAY ? ScriptHeap_Get<ValueArray>(value->ref) : nullptr;
}

ValueArray* Array_Create()
{
    ValueArray* array = static_cast<ValueArray*>(Allocate(sizeof(ValueArray), true));
    array->refCount = 1;
    array->rows = nullptr;
    array->rowCount = 0;
    return array;
}

ValueArray* Array_CopyForWrite(ValueArray* array)
{
    ValueArray* copy = Array_Create();
    if (array->rowCount > 0) {
        copy->rows = static_cast<ValueArrayRow*>(
            Allocate(static_cast<size_t>(array->rowCount) * sizeof(ValueArrayRow), true));
        copy->rowCount = array->rowCount;
    }
    for (int32_t r = 0; r < array->rowCount; ++r) {
        const ValueArrayRow& from = array->rows[r];
        ValueArrayRow& to = copy->rows[r];
        to.length = to.capacity = from.length;
        if (from.length <= 0) continue;
        to.elements = static_cast<ScriptValue*>(
            Allocate(static_cast<size_t>(from.length) * sizeof(ScriptValue), true));
        for (int32_t c = 0; c < from.length; ++c) Value_Copy(&to.elements[c], &from.elements[c]);
    }
    --array->refCount; // it had another holder, so it lives on
    return copy;
}

void Value_Free(ScriptValue* value)
{
    switch (Value_GetKind(value)) {
    case VALUE_STRING:
        MemoryManager::Free(TextOf(value));
        value->ref = 0;
        break;
    case VALUE_ARRAY:
        if (ValueArray* array = Value_GetArray(value)) DropReference(array);
        value->kind = VALUE_REAL;
        value->ref = 0;
        break;
    default: break;
    }
}

void Value_Copy(ScriptValue* destination, const ScriptValue* source)
{
    if (destination == source) return;
    // Most values are reals: nothing to release, nothing to share.
    if (HoldsNothing(destination) && HoldsNothing(source)) {
        destination->kind = source->kind;
        destination->ref = 0;
        destination->real = source->real;
        return;
    }
    char* ownText = TextOf(destination);
    // An array the destination held is let go only after the source has been copied: the source may
    // be one of that array's elements.
    ValueArray* heldArray = Value_GetArray(destination);
    switch (Value_GetKind(source)) {
    case VALUE_STRING:
        StoreText(destination, ownText, Value_GetText(source));
        destination->real = 0;
        break;
    case VALUE_ARRAY:
        MemoryManager::Free(ownText);
        destination->ref = source->ref;
        if (ValueArray* array = Value_GetArray(source)) ++array->refCount;
        break;
    default:
        MemoryManager::Free(ownText);
        destination->ref = 0;
        destination->real = source->real;
        break;
    }
    destination->kind = source->kind;
    if (heldArray != nullptr) DropReference(heldArray);
}

void Value_SetReal(ScriptValue* value, double real)
{
    Value_Free(value);
    value->kind = VALUE_REAL;
    value->ref = 0;
    value->real = real;
}

void Value_SetText(ScriptValue* value, const char* text)
{
    // As in Value_Copy, a held array goes last: the text may be one of its elements'.
    ValueArray* heldArray = Value_GetArray(value);
    StoreText(value, TextOf(value), text);
    value->kind = VALUE_STRING;
    value->real = 0;
    if (heldArray != nullptr) DropReference(heldArray);
}

bool Value_GetArrayElement(ScriptValue* out, const ScriptValue* source, int32_t index)
{
    if (Value_GetKind(source) != VALUE_ARRAY || index == -1) {
        Value_Copy(out, source);
        return true;
    }
    int32_t row, column;
    SplitIndex(index, &row, &column);
    const ValueArray* array = Value_GetArray(source);
    if (array != nullptr && row >= 0 && row < array->rowCount && column >= 0 &&
        column < array->rows[row].length) {
        Value_Copy(out, &array->rows[row].elements[column]);
        return true;
    }
    RecordError(array, row, column);
    // The caller owns what `out` held: release it rather than lose it.
    Value_Free(out);
    *out = ScriptValue{VALUE_REAL, 0, 0.0};
    return false;
}

void Value_SetArrayElement(ScriptValue* target, const ScriptValue* source, int32_t index)
{
    // The source may lie inside the target (an element of the row about to grow, or the target
    // itself), so it is copied before the target changes.
    ScriptValue copy = {VALUE_REAL, 0, 0.0};
    Value_Copy(&copy, source);
    if (index == -1) {
        Value_Free(target);
        *target = copy;
        return;
    }
    int32_t row, column;
    SplitIndex(index, &row, &column);
    ValueArray* array = PrivateArray(target);
    ScriptValue* element = ElementForWrite(array, row, column);
    if (element == nullptr) {
        RecordError(array, row, column);
        Value_Free(&copy);
        return;
    }
    Value_Free(element);
    *element = copy;
}

const ScriptValue* Value_GetElementPointer(const ScriptValue* value, int32_t index)
{
    const ValueArray* array = Value_GetArray(value);
    if (array == nullptr) return nullptr;
    int32_t row, column;
    SplitIndex(index, &row, &column);
    if (row < 0 || row >= array->rowCount || column < 0 || column >= array->rows[row].length) return nullptr;
    return &array->rows[row].elements[column];
}

ScriptValue* Value_GetElementForWrite(ScriptValue* value, int32_t index)
{
    int32_t row, column;
    SplitIndex(index, &row, &column);
    return ElementForWrite(PrivateArray(value), row, column);
}

void ValueText_Append(ValueTextBuffer* text, const char* bytes, size_t length)
{
    size_t used = text->start != nullptr ? static_cast<size_t>(text->write - text->start) : 0;
    size_t needed = used + length + 1;
    if (text->start == nullptr || needed > static_cast<size_t>(text->capacity)) {
        size_t grown = std::max(needed, static_cast<size_t>(text->capacity) * 2);
        if (grown > static_cast<size_t>(INT32_MAX)) MemoryManager::OutOfMemory();
        text->start = static_cast<char*>(MEM_REALLOC(text->start, grown));
        text->capacity = static_cast<int32_t>(grown);
        text->write = text->start + used;
    }
    std::memcpy(text->write, bytes, length);
    text->write += length;
    *text->write = '\0';
}

void Value_ToString(ValueTextBuffer* text, const ScriptValue* value)
{
    TextWriter writer{text};
    Value_Walk(value, writer);
}

bool Value_Serialise(const ScriptValue* value, IBuffer* buffer)
{
    StreamWriter writer{buffer};
    Value_Walk(value, writer);
    return writer.ok;
}

bool Value_Deserialise(ScriptValue* value, IBuffer* buffer)
{
    ValueStreamReader reader(buffer);
    return reader.ReadValue(value);
}

ValueStreamReader::ValueStreamReader(IBuffer* source) : buffer(source), budget(0)
{
    if (source == nullptr) return;
    // A wrapping buffer never runs out, but a stream longer than the block would have overwritten
    // its own start: the block's size bounds what a reader may take from it.
    int64_t size = std::max(source->m_Size, 0);
    int64_t position = std::clamp<int64_t>(source->m_Position, 0, size);
    budget = source->m_Kind == eBuffer_Wrap ? size : size - position;
}

bool ValueStreamReader::CanHold(int64_t count, int64_t itemBytes) const
{
    return count >= 0 && count <= budget / itemBytes;
}

namespace {

// One typed read that must deliver: a read past the end leaves the position where it was.
} // namespace

bool ValueStreamReader::ReadInt32(int32_t* out)
{
    double number = 0;
    if (budget < 4 || !buffer->ReadNumber(eBuffer_S32, &number)) return false;
    if (!(number >= INT32_MIN && number <= INT32_MAX)) return false;
    budget -= 4;
    *out = static_cast<int32_t>(number);
    return true;
}

bool ValueStreamReader::ReadReal(double* out)
{
    if (budget < 8 || !buffer->ReadNumber(eBuffer_F64, out)) return false;
    budget -= 8;
    return true;
}

bool ValueStreamReader::ReadText(char** out)
{
    *out = nullptr;
    if (budget < 1) return false;
    ScriptValue item = {VALUE_REAL, 0, 0.0};
    int32_t result = buffer->Read(eBuffer_String, &item);
    char* text = TextOf(&item);
    if (result != 0 || text == nullptr) {
        Value_Free(&item);
        return false;
    }
    budget -= static_cast<int64_t>(std::strlen(text)) + 1;
    if (budget < 0) {
        MemoryManager::Free(text);
        return false;
    }
    if (text[0] == BUFFER_NO_TEXT_MARK && text[1] == '\0') {
        MemoryManager::Free(text);
        text = nullptr;
    }
    *out = text;
    return true;
}

namespace {

// Reads a value's kind and what follows it up to its rows; an array value gets its array (rows
// still empty) through `nested`.
bool ReadHead(ValueStreamReader& reader, ScriptValue* into, ValueArray** nested)
{
    *nested = nullptr;
    int32_t kindWord = 0;
    if (!reader.ReadInt32(&kindWord)) return false;
    uint32_t kind = static_cast<uint32_t>(kindWord);
    switch (kind & VALUE_KIND_MASK) {
    case VALUE_REAL:
    case VALUE_STRING: {
        double real = 0;
        char* text = nullptr;
        if (!reader.ReadReal(&real) || !reader.ReadText(&text)) return false;
        if ((kind & VALUE_KIND_MASK) == VALUE_REAL) {
            MemoryManager::Free(text); // a real never owns a text
            text = nullptr;
        }
        *into = ScriptValue{kind, ScriptHeap_Ref(text), real};
        return true;
    }
    case VALUE_ARRAY: {
        int32_t rowCount = 0;
        if (!reader.ReadInt32(&rowCount) || !reader.CanHold(rowCount, ROW_MIN_BYTES)) return false;
        ValueArray* array = Array_Create();
        if (rowCount > 0) {
            array->rows = static_cast<ValueArrayRow*>(
                Allocate(static_cast<size_t>(rowCount) * sizeof(ValueArrayRow), true));
            array->rowCount = rowCount;
        }
        *into = ScriptValue{kind, ScriptHeap_Ref(array), 0.0};
        *nested = array;
        return true;
    }
    default: return false; // no writer produces another kind
    }
}

} // namespace

bool ValueStreamReader::ReadValue(ScriptValue* value)
{
    Value_Free(value);
    *value = ScriptValue{VALUE_REAL, 0, 0.0};
    struct Frame {
        ValueArray* array;
        int32_t row;
        int32_t column; // -1 before the row's length has been read
    };
    std::vector<Frame> stack;
    ValueArray* nested = nullptr;
    bool ok = ReadHead(*this, value, &nested);
    if (ok && nested != nullptr) stack.push_back({nested, 0, -1});
    while (ok && !stack.empty()) {
        Frame& frame = stack.back();
        if (frame.column < 0) {
            if (frame.row >= frame.array->rowCount) {
                stack.pop_back();
                continue;
            }
            int32_t length = 0;
            if (!ReadInt32(&length) || !CanHold(length, ELEMENT_MIN_BYTES)) {
                ok = false;
                break;
            }
            ValueArrayRow& row = frame.array->rows[frame.row];
            if (length > 0) {
                row.elements = static_cast<ScriptValue*>(
                    Allocate(static_cast<size_t>(length) * sizeof(ScriptValue), true));
            }
            row.length = row.capacity = length;
            frame.column = 0;
        }
        ValueArrayRow& row = frame.array->rows[frame.row];
        if (frame.column >= row.length) {
            ++frame.row;
            frame.column = -1;
            continue;
        }
        ScriptValue* element = &row.elements[frame.column++];
        ok = ReadHead(*this, element, &nested);
        if (ok && nested != nullptr) stack.push_back({nested, 0, -1});
    }
    if (!ok) {
        Value_Free(value);
        *value = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    return ok;
}
