#include "datastructure/DataStructure_List.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "base/Base_Numbers.h"
#include "base/Base_Random.h"
#include "datastructure/DataStructure_Text.h"

namespace {

constexpr int32_t GROWTH = 16;
constexpr uint32_t HIGH_KIND_BITS = 0xFFFF0000u;

bool AllTexts(const ScriptValue* values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (values[i].kind != VALUE_STRING || Value_GetText(&values[i]) == nullptr) return false;
    return true;
}

bool AllPlainReals(const ScriptValue* values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (values[i].kind != VALUE_REAL || std::isnan(Numbers_ToFloat(values[i].real))) return false;
    return true;
}

// The comparison orders sorted reals totally when equal single-precision values compare equal and
// neighbouring different ones compare apart, in both orders.
bool ComparisonIsTotal(const std::vector<ScriptValue>& sorted)
{
    for (size_t i = 1; i < sorted.size(); ++i) {
        const ScriptValue* a = &sorted[i - 1];
        const ScriptValue* b = &sorted[i];
        bool same = Numbers_ToFloat(a->real) == Numbers_ToFloat(b->real);
        int32_t forward = DS_CompareValues(a, b);
        int32_t backward = DS_CompareValues(b, a);
        if (same ? (forward != 0 || backward != 0) : (forward != -1 || backward != 1)) return false;
    }
    return true;
}

} // namespace

CDS_List::~CDS_List()
{
    Clear();
    m_Slots.FreeBlock();
}

void CDS_List::Grow()
{
    if (m_Count < m_Capacity) return;
    m_Slots.Resize(m_Capacity, m_Count + GROWTH);
    m_Capacity = m_Count + GROWTH;
}

void CDS_List::Add(const ScriptValue* value)
{
    Grow();
    Value_Copy(&m_Slots[m_Count], value);
    ++m_Count;
}

void CDS_List::Insert(int32_t pos, const ScriptValue* value)
{
    if (pos < 0 || pos > m_Count) return;
    // The value may be one of ours, so it is copied before anything moves.
    ScriptValue copy = {VALUE_REAL, 0, 0.0};
    Value_Copy(&copy, value);
    Grow();
    ScriptValue* slots = m_Slots.Data();
    // The last slot owns nothing (count < capacity), so the move loses nothing.
    std::memmove(&slots[pos + 1], &slots[pos], static_cast<size_t>(m_Count - pos) * sizeof(ScriptValue));
    slots[pos] = copy;
    ++m_Count;
}

void CDS_List::Replace(int32_t pos, const ScriptValue* value)
{
    if (pos < 0 || pos >= m_Count) return;
    Value_Copy(&m_Slots[pos], value);
}

void CDS_List::Delete(int32_t pos)
{
    if (pos < 0 || pos >= m_Count) return;
    ScriptValue* slots = m_Slots.Data();
    Value_Free(&slots[pos]);
    std::memmove(&slots[pos], &slots[pos + 1], static_cast<size_t>(m_Count - pos - 1) * sizeof(ScriptValue));
    slots[m_Count - 1] = ScriptValue{VALUE_REAL, 0, 0.0};
    --m_Count;
}

int32_t CDS_List::Find(const ScriptValue* value) const
{
    for (int32_t i = 0; i < m_Count; ++i)
        if (DS_CompareValues(&m_Slots[i], value) == 0) return i;
    return -1;
}

void CDS_List::Sort(bool ascending)
{
    if (!SortFast(ascending)) SortByInsertion(ascending);
}

void CDS_List::SortByInsertion(bool ascending)
{
    ScriptValue* slots = m_Slots.Data();
    for (int32_t i = 1; i < m_Count; ++i) {
        for (int32_t j = i; j > 0; --j) {
            int32_t c = DS_CompareValues(&slots[j - 1], &slots[j]);
            if (ascending ? c <= 0 : c > 0) break;
            std::swap(slots[j - 1], slots[j]);
        }
    }
}

bool CDS_List::SortFast(bool ascending)
{
    ScriptValue* slots = m_Slots.Data();
    std::vector<ScriptValue> sorted(slots, slots + m_Count);
    if (AllTexts(slots, m_Count)) {
        std::stable_sort(sorted.begin(), sorted.end(), [](const ScriptValue& a, const ScriptValue& b) {
            return std::strcmp(Value_GetText(&a), Value_GetText(&b)) < 0;
        });
    } else if (AllPlainReals(slots, m_Count) && g_DSPrecision > 0) {
        std::stable_sort(sorted.begin(), sorted.end(), [](const ScriptValue& a, const ScriptValue& b) {
            return Numbers_ToFloat(a.real) < Numbers_ToFloat(b.real);
        });
        if (!ComparisonIsTotal(sorted)) return false;
    } else {
        return false;
    }
    // Descending, the insertion sort puts later equal values first: the stable order reversed.
    if (!ascending) std::reverse(sorted.begin(), sorted.end());
    if (!sorted.empty()) std::memcpy(slots, sorted.data(), sorted.size() * sizeof(ScriptValue));
    return true;
}

void CDS_List::Shuffle()
{
    if (m_Count == 0) return;
    ScriptValue* slots = m_Slots.Data();
    for (int64_t i = 0; i < 8 * static_cast<int64_t>(m_Count); ++i) {
        uint32_t a = Random_Int(m_Count);
        uint32_t b = Random_Int(m_Count);
        std::swap(slots[a], slots[b]);
    }
}

void CDS_List::Clear()
{
    for (int32_t i = 0; i < m_Capacity; ++i) {
        ScriptValue& slot = m_Slots[i];
        DS_DestroyNested(&slot);
        slot.kind &= ~HIGH_KIND_BITS;
        Value_Free(&slot);
    }
    m_Count = 0;
}

void CDS_List::CollectNested(std::vector<DS_Nested>& out) const
{
    DS_Nested nested;
    for (int32_t i = 0; i < m_Capacity; ++i)
        if (DS_NestedOf(&m_Slots[i], nested)) out.push_back(nested);
}

void CDS_List::Copy(const CDS_List* source)
{
    if (source == this) return;
    if (source == nullptr) {
        Clear();
        return;
    }
    m_Slots.CopyFrom(m_Capacity, source->m_Slots, source->m_Capacity);
    m_Capacity = source->m_Capacity;
    m_Count = source->m_Count;
    // A copy owns no nested structure: the marks stay with the source.
    for (int32_t i = 0; i < m_Capacity; ++i) m_Slots[i].kind &= VALUE_KIND_MASK;
}

std::string CDS_List::WriteToString() const
{
    DS_TextWriter out(DS_VERSION_LIST);
    out.Int(m_Count);
    for (int32_t i = 0; i < m_Count; ++i) out.Value(&m_Slots[i]);
    return out.Finish();
}

bool CDS_List::ReadFromString(const char* text)
{
    DS_TextReader in(text, DS_VERSION_LIST);
    if (!in.VersionMatches()) return false;
    int32_t count = in.Int();
    DS_ValueBatch batch;
    if (!in.Values(&batch, count)) return false;
    // Replaced elements are released as they are, nested structures untouched.
    m_Slots.Release(m_Capacity);
    m_Slots.Resize(m_Capacity, count);
    batch.MoveInto(m_Slots.Data());
    m_Count = count;
    m_Capacity = count;
    return true;
}
