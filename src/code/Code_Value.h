// The script value: every expression, variable, argument and result of a script is a real, a string
// or a reference-counted two-dimensional array. Strings and arrays live in the script heap, so a
// value is 16 bytes with a 32-bit reference, as the bytecode's stack layout requires.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class IBuffer;

enum : uint32_t {
    VALUE_REAL = 0,
    VALUE_STRING = 1,
    VALUE_ARRAY = 2,
};

// Only the low 24 bits of the kind word are the kind; the high bits are markers that copies carry.
constexpr uint32_t VALUE_KIND_MASK = 0x00FFFFFFu;

// The longest text a script string may hold, whichever way it is built (operators, built-ins, buffers
// read as text) and in every code form: a script cannot make one text take all of the memory. Building
// a longer one is the script error VALUE_TEXT_TOO_LONG, never an empty or shortened text.
constexpr uint64_t VALUE_MAX_TEXT = 64u * 1024u * 1024u;
inline constexpr char VALUE_TEXT_TOO_LONG[] = "String result too long.";

// One index addresses an element as row * 32000 + column; -1 means the whole value.
constexpr int32_t ARRAY_ROW_SPAN = 32000;

// Naturally aligned, so that the value's fields can be used like any other. Where values sit among
// 4-byte items (the interpreter's stack) they are copied in and out, never addressed in place.
struct ScriptValue {
    uint32_t kind; // VALUE_* in the low 24 bits
    uint32_t ref;  // script-heap reference: the value's own text (string) or its ValueArray (array)
    double real;   // the number of a real; 0 in a copied string
};
static_assert(sizeof(ScriptValue) == 16, "the bytecode moves values as 16-byte items");

struct ValueArrayRow {
    int32_t length;         // number of elements
    int32_t capacity;       // elements the block holds; the spare room after `length` is not kept
                            // cleared: lengthening the row clears what it takes of it (Array_Lengthen)
    ScriptValue* elements;  // `length` values, then the spare room; null when `capacity` is 0
};

struct ValueArray {
    int32_t refCount; // one per value that refers to the array
    ValueArrayRow* rows;
    int32_t rowCount;
};

// The row lengthened to `length` (at most its capacity): the elements it gains read as real 0.
inline void Array_Lengthen(ValueArrayRow* row, int32_t length)
{
    ScriptValue* gained = row->elements + row->length;
    // An append, the common case, gains one element: no call.
    if (length - row->length == 1)
        *gained = ScriptValue{VALUE_REAL, 0, 0.0};
    else
        std::memset(static_cast<void*>(gained), 0, static_cast<size_t>(length - row->length) * sizeof(ScriptValue));
    row->length = length;
}

// Filled by the element operations when an access falls outside an array; the interpreter builds its
// out-of-range messages from it. The variable lists clear the flag before each access.
struct ArrayErrorRecord {
    uint8_t flag;
    int32_t row;
    int32_t column;
    int32_t rowCount;  // 0 when there is no array
    int32_t rowLength; // -1 when the row does not exist
};
extern ArrayErrorRecord g_ArrayError;

// A growable text owned by the caller, allocated through the memory manager. The text is kept
// terminated behind the write position.
struct ValueTextBuffer {
    char* write;
    char* start;
    int32_t capacity;
};

inline uint32_t Value_GetKind(const ScriptValue* value) { return value->kind & VALUE_KIND_MASK; }

// The text of a string value (null when it has none, or for another kind).
const char* Value_GetText(const ScriptValue* value);
// The array of an array value (null when it has none, or for another kind).
ValueArray* Value_GetArray(const ScriptValue* value);

ValueArray* Array_Create();
// A private copy of a shared array for writing; the source loses one reference.
ValueArray* Array_CopyForWrite(ValueArray* array);

// Releases what the value owns. A string keeps its kind without text; an array reference is dropped
// and the value becomes real (its real field untouched).
void Value_Free(ScriptValue* value);
// Copies the source into the destination: a text is duplicated (into the destination's own block
// when large enough), an array shared by one more reference. What the destination held is released.
void Value_Copy(ScriptValue* destination, const ScriptValue* source);

// Frees the value and makes it a real, or a string holding a copy of text (no text for null).
void Value_SetReal(ScriptValue* value, double real);
void Value_SetText(ScriptValue* value, const char* text);

// The whole source (not an array, or index -1) or one element into `out`. Outside the array: false,
// `out` empty and the error record filled.
bool Value_GetArrayElement(ScriptValue* out, const ScriptValue* source, int32_t index);
// Writes the whole value (index -1) or one element, making the target an array, copying a shared
// array first and growing rows as needed. A negative row or column stores nothing and fills the
// error record.
void Value_SetArrayElement(ScriptValue* target, const ScriptValue* source, int32_t index);
// The element of an array value, read only; null outside the array. Records nothing.
const ScriptValue* Value_GetElementPointer(const ScriptValue* value, int32_t index);
// The element ready to be overwritten, creating, unsharing and growing the array as a write does;
// null for a negative row or column.
ScriptValue* Value_GetElementForWrite(ScriptValue* value, int32_t index);

// Appends the value's text form (reals as "%d" when whole, else "%.2f"; arrays as "{ ... }").
void Value_ToString(ValueTextBuffer* text, const ScriptValue* value);
// Appends bytes to a text buffer, growing it to at least twice its capacity when they do not fit.
void ValueText_Append(ValueTextBuffer* text, const char* bytes, size_t length);

// The byte form in a buffer: kind, then real and text, or row count and rows. False when a write
// failed (a full fixed buffer).
bool Value_Serialise(const ScriptValue* value, IBuffer* buffer);
// Reads one value in that form into `value` (freed first). Malformed input (an unknown kind, a
// negative or impossible count, data cut short) is refused: false, and the value left empty.
bool Value_Deserialise(ScriptValue* value, IBuffer* buffer);

// Reading of streams that came from outside: every count is checked against the bytes the buffer can
// still deliver before anything is sized from it. Shared by the value and variable-list readers.
struct ValueStreamReader {
    IBuffer* buffer;
    int64_t budget; // bytes still available to the reader

    explicit ValueStreamReader(IBuffer* source);
    bool ReadInt32(int32_t* out);
    bool ReadReal(double* out);
    // A new memory-manager block (the caller frees it), or null for the 0x04 "no text" mark.
    bool ReadText(char** out);
    // True when `count` items of at least `itemBytes` bytes each can still follow.
    bool CanHold(int64_t count, int64_t itemBytes) const;
    bool ReadValue(ScriptValue* value);
};
