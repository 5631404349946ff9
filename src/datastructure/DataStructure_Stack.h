// The script stack (last in, first out) and queue (first in, first out). The queue also carries the
// platform layer's asynchronous queues through the DS_Queue operations.
#pragma once

#include <cstdint>
#include <string>

#include "datastructure/DataStructure_Values.h"

class CDS_Stack : public DS_Object {
public:
    CDS_Stack() = default;
    ~CDS_Stack();
    CDS_Stack(const CDS_Stack&) = delete;
    CDS_Stack& operator=(const CDS_Stack&) = delete;

    void Push(const ScriptValue* value);
    // The slot of the value taken off (valid until the next change), or null when empty.
    ScriptValue* Pop();
    ScriptValue* Top();
    bool Empty() const { return m_Count == 0; }
    int32_t Size() const { return m_Count; }
    // Releases every slot; the storage is kept for the next push.
    void Clear();
    // Null empties the stack.
    void Copy(const CDS_Stack* source);
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    int32_t Capacity() const { return m_Capacity; }

private:
    int32_t m_Count = 0;
    int32_t m_Capacity = 0;
    DS_Slots m_Slots;
};

class CDS_Queue : public DS_Object {
public:
    CDS_Queue() = default;
    ~CDS_Queue();
    CDS_Queue(const CDS_Queue&) = delete;
    CDS_Queue& operator=(const CDS_Queue&) = delete;

    void Enqueue(const ScriptValue* value);
    // The slot of the value taken off (valid until the next change), or null when empty.
    ScriptValue* Dequeue();
    ScriptValue* Head();
    ScriptValue* Tail();
    bool Empty() const { return m_Head == m_Tail; }
    int32_t Size() const { return m_Tail - m_Head; }
    void Clear();
    void Copy(const CDS_Queue* source);
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    int32_t HeadIndex() const { return m_Head; }
    int32_t TailIndex() const { return m_Tail; }
    int32_t Capacity() const { return m_Capacity; }

private:
    int32_t m_Tail = 0;
    int32_t m_Head = 0;
    int32_t m_Capacity = 0;
    DS_Slots m_Slots;
};

// The queue table for the platform layer. Each ignores a negative index and reports a bad one as
// the built-ins do.
int32_t DS_QueueCreate();
// n values as pairs (double real, const char* text): the text when it is not null, else the real.
void DS_QueueEnqueueArgs(int32_t index, int32_t n, ...);
void DS_QueueDequeue(int32_t index, ScriptValue* result);
int32_t DS_QueueSize(int32_t index);
void DS_QueueClear(int32_t index);
