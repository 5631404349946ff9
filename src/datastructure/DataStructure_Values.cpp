#include "datastructure/DataStructure_Values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "datastructure/DataStructure_List.h"
#include "datastructure/DataStructure_Map.h"
#include "datastructure/DataStructure_Tables.h"
#include "platform/Platform_MemoryManager.h"

double g_DSPrecision = 0.00000001;

namespace {

constexpr uint32_t LOW_KIND_BITS = 0x0000FFFFu;

} // namespace

int32_t DS_CompareValues(const ScriptValue* a, const ScriptValue* b)
{
    if (a->kind == VALUE_REAL && b->kind == VALUE_REAL) {
        float fa = Numbers_ToFloat(a->real);
        float fb = Numbers_ToFloat(b->real);
        float d = Numbers_ToFloat(static_cast<double>(fa) - static_cast<double>(fb));
        if (g_DSPrecision > static_cast<double>(std::fabs(d))) return 0;
        return d < 0 ? -1 : 1;
    }
    if (a->kind == VALUE_STRING && b->kind == VALUE_STRING) {
        const char* ta = Value_GetText(a);
        const char* tb = Value_GetText(b);
        if (ta != nullptr && tb != nullptr) {
            int order = std::strcmp(ta, tb); // compares as unsigned bytes
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
    }
    return 1;
}

void DS_SetPrecision(double x)
{
    g_DSPrecision = std::fabs(x);
}

bool DS_IsNestedMark(uint32_t kind)
{
    return (kind & LOW_KIND_BITS) == 0 && (kind & (DS_MARK_MAP | DS_MARK_LIST)) != 0;
}

bool DS_NestedOf(const ScriptValue* element, DS_Nested& nested)
{
    if (!DS_IsNestedMark(element->kind)) return false;
    nested = DS_Nested{(element->kind & DS_MARK_MAP) != 0, Numbers_TruncToInt32(element->real)};
    return true;
}

namespace {

// A structure on the way out: what it owns, and how much of that is already destroyed.
struct Unwinding {
    CDS_List* list;
    CDS_Map* map;
    std::vector<DS_Nested> owned;
    size_t next;
};

// Takes the structure out of its table onto the work list; nothing when the slot is empty.
void TakeForUnwinding(const DS_Nested& nested, std::vector<Unwinding>& work)
{
    Unwinding entry{nullptr, nullptr, {}, 0};
    if (nested.map) entry.map = g_DSMaps.Take(nested.index);
    else entry.list = g_DSLists.Take(nested.index);
    if (entry.map == nullptr && entry.list == nullptr) return;
    if (entry.map != nullptr) entry.map->CollectNested(entry.owned);
    else entry.list->CollectNested(entry.owned);
    work.push_back(std::move(entry));
}

} // namespace

void DS_DestroyNested(const ScriptValue* element)
{
    DS_Nested first;
    if (!DS_NestedOf(element, first)) return;
    std::vector<Unwinding> work;
    TakeForUnwinding(first, work);
    while (!work.empty()) {
        Unwinding& top = work.back();
        if (top.next < top.owned.size()) {
            DS_Nested nested = top.owned[top.next++];
            TakeForUnwinding(nested, work);
            continue;
        }
        // Whatever it owned has left its table, so its own clearing destroys nothing more.
        delete top.map;
        delete top.list;
        work.pop_back();
    }
}

void* DS_Object::operator new(size_t size)
{
    return MemoryManager::Alloc(size, __FILE__, __LINE__, true);
}

void DS_Object::operator delete(void* block)
{
    MemoryManager::Free(block);
}

DS_Slots::~DS_Slots()
{
    FreeBlock();
}

void DS_Slots::CopyFrom(int64_t from, const DS_Slots& source, int64_t count)
{
    Resize(from, count);
    for (int64_t i = 0; i < count; ++i) Value_Copy(&m_Data[i], &source.m_Data[i]);
}

void DS_Slots::Resize(int64_t from, int64_t to)
{
    for (int64_t i = to; i < from; ++i) {
        Value_Free(&m_Data[i]);
        m_Data[i] = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    if (to > m_Allocated) {
        if (to > DS_MAX_SLOTS) MemoryManager::OutOfMemory();
        int64_t grown = std::min(std::max(to, m_Allocated * 2), DS_MAX_SLOTS);
        // The manager clears the new part: real 0 in every new slot.
        m_Data = static_cast<ScriptValue*>(MEM_REALLOC(m_Data, static_cast<size_t>(grown) * sizeof(ScriptValue)));
        m_Allocated = grown;
    }
    // Slots beyond an old capacity own nothing but may hold released strings.
    for (int64_t i = from; i < to; ++i) m_Data[i] = ScriptValue{VALUE_REAL, 0, 0.0};
}

void DS_Slots::Release(int64_t count)
{
    for (int64_t i = 0; i < count; ++i) Value_Free(&m_Data[i]);
}

void DS_Slots::FreeBlock()
{
    MemoryManager::Free(m_Data);
    m_Data = nullptr;
    m_Allocated = 0;
}

void DS_CopyOut(ScriptValue* result, const ScriptValue* element)
{
    if (element == nullptr) return;
    Value_Copy(result, element);
    result->kind &= VALUE_KIND_MASK;
}

void DS_ReportMissing()
{
    Error_Show_Action("Data structure with index does not exist.", false);
}
