// What every script data structure shares: element storage, the one comparison that finding,
// sorting, minimum and maximum use, its precision, and the marks by which a list or map element owns
// a nested structure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/Code_Value.h"

// Bits of an element's kind word: a real that holds the index of a map (31) or a list (30) it owns.
constexpr uint32_t DS_MARK_MAP = 0x80000000u;
constexpr uint32_t DS_MARK_LIST = 0x40000000u;

// The tolerance of the real comparison; starts at 1e-8 and is never reset.
extern double g_DSPrecision;

// -1, 0 or 1. Two reals (kind words exactly 0) compare in single precision within the precision; two
// strings with text compare byte by byte; anything else gives 1, in both orders.
int32_t DS_CompareValues(const ScriptValue* a, const ScriptValue* b);
void DS_SetPrecision(double x);

// True when the kind word marks a real owning a nested structure (low 16 bits 0, bit 31 or 30 set).
bool DS_IsNestedMark(uint32_t kind);
// The structure a marked element owns: a map or a list, and its index (the real truncated).
struct DS_Nested {
    bool map;
    int32_t index;
};
// False for an element that owns nothing.
bool DS_NestedOf(const ScriptValue* element, DS_Nested& nested);
// Destroys the map or list a marked element owns, when its index names one, and every structure
// nested in it, depth first in element order. Each is taken out of its table before its own
// elements are looked at, so a structure reached twice is destroyed once; the nesting is walked
// from a work list, so any depth fits the stack.
void DS_DestroyNested(const ScriptValue* element);

// Data structures and their nodes are memory-manager blocks.
struct DS_Object {
    static void* operator new(size_t size);
    static void operator delete(void* block);
};

// The most slots one block can hold (the memory manager records sizes in 32 bits); asking for more
// is running out of memory.
constexpr int64_t DS_MAX_SLOTS = 0x7FFFFFF0 / static_cast<int64_t>(sizeof(ScriptValue));

// The storage behind a capacity: a block of values that grows geometrically while the structure's
// capacity grows 16 at a time. Slots at and beyond the capacity own nothing.
class DS_Slots {
public:
    DS_Slots() = default;
    ~DS_Slots();
    DS_Slots(const DS_Slots&) = delete;
    DS_Slots& operator=(const DS_Slots&) = delete;

    ScriptValue& operator[](int64_t i) { return m_Data[i]; }
    const ScriptValue& operator[](int64_t i) const { return m_Data[i]; }
    ScriptValue* Data() { return m_Data; }
    const ScriptValue* Data() const { return m_Data; }

    // Moves the capacity from `from` to `to` slots: slots given up are released, new ones are real 0.
    void Resize(int64_t from, int64_t to);
    // Moves the capacity from `from` to `count` slots and fills them with copies of the source's.
    void CopyFrom(int64_t from, const DS_Slots& source, int64_t count);
    // Releases slots [0, count) (they stay allocated, owning nothing).
    void Release(int64_t count);
    // Frees the block; its slots must own nothing.
    void FreeBlock();

private:
    ScriptValue* m_Data = nullptr;
    int64_t m_Allocated = 0;
};

// A copy of an element, as the built-ins hand one back; null leaves the result as it is.
void DS_CopyOut(ScriptValue* result, const ScriptValue* element);

// Reports "Data structure with index does not exist." as a non-fatal script error.
void DS_ReportMissing();
