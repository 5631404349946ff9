#include "datastructure/DataStructure_Values.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

void DS_DestroyNested(const ScriptValue* element)
{
    if (!DS_IsNestedMark(element->kind)) return;
    int32_t index = Numbers_TruncToInt32(element->real);
    if ((element->kind & DS_MARK_MAP) != 0) delete g_DSMaps.Take(index);
    else delete g_DSLists.Take(index);
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
