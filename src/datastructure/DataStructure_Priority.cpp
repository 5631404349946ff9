#include "datastructure/DataStructure_Priority.h"

#include "datastructure/DataStructure_Text.h"

namespace {

constexpr int32_t GROWTH = 16;

} // namespace

CDS_Priority::~CDS_Priority()
{
    Clear();
}

void CDS_Priority::SetCapacity(int32_t capacity)
{
    m_Values.Resize(m_Capacity, capacity);
    m_Priorities.Resize(m_Capacity, capacity);
    m_Capacity = capacity;
}

void CDS_Priority::Add(const ScriptValue* value, const ScriptValue* priority)
{
    if (m_Count >= m_Capacity) SetCapacity(m_Count + GROWTH);
    Value_Copy(&m_Values[m_Count], value);
    Value_Copy(&m_Priorities[m_Count], priority);
    ++m_Count;
}

int32_t CDS_Priority::Extreme(int32_t sign) const
{
    if (m_Count == 0) return -1;
    int32_t best = 0;
    for (int32_t i = 1; i < m_Count; ++i)
        if (DS_CompareValues(&m_Priorities[i], &m_Priorities[best]) == sign) best = i;
    return best;
}

ScriptValue* CDS_Priority::FindMin()
{
    int32_t best = Extreme(-1);
    return best >= 0 ? &m_Values[best] : nullptr;
}

ScriptValue* CDS_Priority::FindMax()
{
    int32_t best = Extreme(1);
    return best >= 0 ? &m_Values[best] : nullptr;
}

void CDS_Priority::RemoveAt(int32_t pos)
{
    int32_t last = m_Count - 1;
    Value_Free(&m_Values[pos]);
    Value_Free(&m_Priorities[pos]);
    m_Values[pos] = m_Values[last];
    m_Priorities[pos] = m_Priorities[last];
    if (pos != last) {
        m_Values[last] = ScriptValue{VALUE_REAL, 0, 0.0};
        m_Priorities[last] = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    --m_Count;
}

void CDS_Priority::DeleteExtreme(int32_t sign, ScriptValue* result)
{
    Value_SetReal(result, 0.0);
    int32_t best = Extreme(sign);
    if (best < 0) return;
    Value_Copy(result, &m_Values[best]);
    RemoveAt(best);
}

void CDS_Priority::DeleteMin(ScriptValue* result)
{
    DeleteExtreme(-1, result);
}

void CDS_Priority::DeleteMax(ScriptValue* result)
{
    DeleteExtreme(1, result);
}

int32_t CDS_Priority::FindValue(const ScriptValue* value) const
{
    for (int32_t i = 0; i < m_Count; ++i)
        if (DS_CompareValues(&m_Values[i], value) == 0) return i;
    return -1;
}

ScriptValue* CDS_Priority::FindPriority(const ScriptValue* value)
{
    int32_t pos = FindValue(value);
    return pos >= 0 ? &m_Priorities[pos] : nullptr;
}

void CDS_Priority::ChangePriority(const ScriptValue* value, const ScriptValue* priority)
{
    int32_t pos = FindValue(value);
    if (pos >= 0) Value_Copy(&m_Priorities[pos], priority);
}

void CDS_Priority::DeleteValue(const ScriptValue* value)
{
    int32_t pos = FindValue(value);
    if (pos >= 0) RemoveAt(pos);
}

void CDS_Priority::Clear()
{
    m_Values.Release(m_Capacity);
    m_Priorities.Release(m_Capacity);
    m_Values.FreeBlock();
    m_Priorities.FreeBlock();
    m_Count = 0;
    m_Capacity = 0;
}

void CDS_Priority::Copy(const CDS_Priority* source)
{
    if (source == this) return;
    if (source == nullptr) {
        Clear();
        return;
    }
    SetCapacity(source->m_Capacity);
    m_Count = source->m_Count;
    for (int32_t i = 0; i < m_Capacity; ++i) {
        Value_Copy(&m_Values[i], &source->m_Values[i]);
        Value_Copy(&m_Priorities[i], &source->m_Priorities[i]);
    }
}

std::string CDS_Priority::WriteToString() const
{
    DS_TextWriter out(DS_VERSION_PRIORITY);
    out.Int(m_Count);
    for (int32_t i = 0; i < m_Count; ++i) out.Value(&m_Priorities[i]);
    for (int32_t i = 0; i < m_Count; ++i) out.Value(&m_Values[i]);
    return out.Finish();
}

bool CDS_Priority::ReadFromString(const char* text)
{
    DS_TextReader in(text, DS_VERSION_PRIORITY);
    if (!in.VersionMatches()) return false;
    int32_t count = in.Int();
    DS_ValueBatch priorities;
    DS_ValueBatch values;
    if (!in.CanHold(count, 2 * DS_ELEMENT_MIN_BYTES)) return false;
    if (!in.Values(&priorities, count) || !in.Values(&values, count)) return false;
    Clear();
    SetCapacity(count);
    priorities.MoveInto(m_Priorities.Data());
    values.MoveInto(m_Values.Data());
    m_Count = count;
    return true;
}
