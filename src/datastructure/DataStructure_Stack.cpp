#include "datastructure/DataStructure_Stack.h"

#include <cstdarg>

#include "datastructure/DataStructure_Tables.h"
#include "datastructure/DataStructure_Text.h"

namespace {

constexpr int32_t GROWTH = 16;
// Dequeuing moves the values to the front once the head has passed this and half the tail.
constexpr int32_t COMPACT_AFTER = 16;

} // namespace

// ---- stack ------------------------------------------------------------------------------------------

CDS_Stack::~CDS_Stack()
{
    Clear();
}

void CDS_Stack::Push(const ScriptValue* value)
{
    if (m_Count >= m_Capacity) {
        m_Slots.Resize(m_Capacity, m_Count + GROWTH);
        m_Capacity = m_Count + GROWTH;
    }
    Value_Copy(&m_Slots[m_Count], value);
    ++m_Count;
}

ScriptValue* CDS_Stack::Pop()
{
    if (m_Count == 0) return nullptr;
    --m_Count;
    return &m_Slots[m_Count];
}

ScriptValue* CDS_Stack::Top()
{
    return m_Count == 0 ? nullptr : &m_Slots[m_Count - 1];
}

void CDS_Stack::Clear()
{
    m_Slots.Release(m_Capacity);
    m_Count = 0;
    m_Capacity = 0;
}

void CDS_Stack::Copy(const CDS_Stack* source)
{
    if (source == this) return;
    if (source == nullptr) {
        Clear();
        return;
    }
    m_Slots.CopyFrom(m_Capacity, source->m_Slots, source->m_Capacity);
    m_Capacity = source->m_Capacity;
    m_Count = source->m_Count;
}

std::string CDS_Stack::WriteToString() const
{
    DS_TextWriter out(DS_VERSION_STACK);
    out.Int(m_Count);
    for (int32_t i = 0; i < m_Count; ++i) out.Value(&m_Slots[i]);
    return out.Finish();
}

bool CDS_Stack::ReadFromString(const char* text)
{
    DS_TextReader in(text, DS_VERSION_STACK);
    if (!in.VersionMatches()) return false;
    int32_t count = in.Int();
    DS_ValueBatch batch;
    if (!in.Values(&batch, count)) return false;
    Clear();
    m_Slots.Resize(0, count);
    batch.MoveInto(m_Slots.Data());
    m_Count = count;
    m_Capacity = count;
    return true;
}

// ---- queue ------------------------------------------------------------------------------------------

CDS_Queue::~CDS_Queue()
{
    Clear();
}

void CDS_Queue::Enqueue(const ScriptValue* value)
{
    if (m_Tail >= m_Capacity) {
        m_Slots.Resize(m_Capacity, m_Tail + GROWTH);
        m_Capacity = m_Tail + GROWTH;
    }
    Value_Copy(&m_Slots[m_Tail], value);
    ++m_Tail;
}

ScriptValue* CDS_Queue::Dequeue()
{
    if (m_Head == m_Tail) return nullptr;
    ScriptValue* result = &m_Slots[m_Head];
    ++m_Head;
    if (m_Head <= COMPACT_AFTER || m_Head <= m_Tail / 2) return result;
    int32_t size = m_Tail - m_Head;
    for (int32_t i = 0; i < size; ++i) Value_Copy(&m_Slots[i], &m_Slots[m_Head + i]);
    // The value handed back lay at the old head - 1, at or beyond the new tail: the move left it.
    m_Tail = size;
    m_Head = 0;
    return result;
}

ScriptValue* CDS_Queue::Head()
{
    return Empty() ? nullptr : &m_Slots[m_Head];
}

ScriptValue* CDS_Queue::Tail()
{
    return Empty() ? nullptr : &m_Slots[m_Tail - 1];
}

void CDS_Queue::Clear()
{
    m_Slots.Release(m_Capacity);
    m_Tail = 0;
    m_Head = 0;
    m_Capacity = 0;
}

void CDS_Queue::Copy(const CDS_Queue* source)
{
    if (source == this) return;
    if (source == nullptr) {
        Clear();
        return;
    }
    m_Slots.CopyFrom(m_Capacity, source->m_Slots, source->m_Capacity);
    m_Capacity = source->m_Capacity;
    m_Tail = source->m_Tail;
    m_Head = source->m_Head;
}

std::string CDS_Queue::WriteToString() const
{
    DS_TextWriter out(DS_VERSION_QUEUE);
    out.Int(m_Tail);
    out.Int(m_Head);
    out.Int(m_Capacity);
    for (int32_t i = 0; i < m_Capacity; ++i) out.Value(&m_Slots[i]);
    return out.Finish();
}

bool CDS_Queue::ReadFromString(const char* text)
{
    DS_TextReader in(text, DS_VERSION_QUEUE);
    if (!in.VersionMatches()) return false;
    int32_t tail = in.Int();
    int32_t head = in.Int();
    int32_t capacity = in.Int();
    if (head < 0 || head > tail || tail > capacity) return false;
    DS_ValueBatch batch;
    if (!in.Values(&batch, capacity)) return false;
    Clear();
    m_Slots.Resize(0, capacity);
    batch.MoveInto(m_Slots.Data());
    m_Tail = tail;
    m_Head = head;
    m_Capacity = capacity;
    return true;
}

// ---- the queue table for the platform layer ------------------------------------------------------

namespace {

CDS_Queue* QueueAt(int32_t index)
{
    CDS_Queue* queue = g_DSQueues.Get(index);
    if (queue == nullptr) DS_ReportMissing();
    return queue;
}

} // namespace

int32_t DS_QueueCreate()
{
    return DS_NewQueue();
}

void DS_QueueEnqueueArgs(int32_t index, int32_t n, ...)
{
    if (index < 0 || n < 1) return;
    CDS_Queue* queue = QueueAt(index);
    va_list args;
    va_start(args, n);
    for (int32_t i = 0; i < n; ++i) {
        double real = va_arg(args, double);
        const char* text = va_arg(args, const char*);
        ScriptValue value = {VALUE_REAL, 0, real};
        if (text != nullptr) Value_SetText(&value, text);
        if (queue != nullptr) queue->Enqueue(&value);
        Value_Free(&value);
    }
    va_end(args);
}

void DS_QueueDequeue(int32_t index, ScriptValue* result)
{
    if (index < 0) return;
    if (CDS_Queue* queue = QueueAt(index)) DS_CopyOut(result, queue->Dequeue());
}

int32_t DS_QueueSize(int32_t index)
{
    if (index < 0) return 0;
    CDS_Queue* queue = QueueAt(index);
    return queue != nullptr ? queue->Size() : 0;
}

void DS_QueueClear(int32_t index)
{
    if (index < 0) return;
    if (CDS_Queue* queue = QueueAt(index)) queue->Clear();
}
