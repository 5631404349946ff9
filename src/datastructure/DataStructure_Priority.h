// The script priority queue: unordered pairs of a value and a priority, searched linearly with the
// data-structure comparison for the lowest or highest priority.
#pragma once

#include <cstdint>
#include <string>

#include "datastructure/DataStructure_Values.h"

class CDS_Priority : public DS_Object {
public:
    CDS_Priority() = default;
    ~CDS_Priority();
    CDS_Priority(const CDS_Priority&) = delete;
    CDS_Priority& operator=(const CDS_Priority&) = delete;

    void Add(const ScriptValue* value, const ScriptValue* priority);
    // The value of the lowest / highest priority (the first of equals), or null when empty.
    ScriptValue* FindMin();
    ScriptValue* FindMax();
    // The result becomes real 0, then a copy of that value, whose entry is removed.
    void DeleteMin(ScriptValue* result);
    void DeleteMax(ScriptValue* result);
    // The priority of the first entry whose value compares equal, or null.
    ScriptValue* FindPriority(const ScriptValue* value);
    void ChangePriority(const ScriptValue* value, const ScriptValue* priority);
    void DeleteValue(const ScriptValue* value);
    void Clear();
    void Copy(const CDS_Priority* source);
    bool Empty() const { return m_Count == 0; }
    int32_t Size() const { return m_Count; }
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

private:
    // Position of the entry of lowest (sign -1) or highest (sign 1) priority; -1 when empty.
    int32_t Extreme(int32_t sign) const;
    int32_t FindValue(const ScriptValue* value) const;
    // Moves the last entry into the position, releasing what was there.
    void RemoveAt(int32_t pos);
    void DeleteExtreme(int32_t sign, ScriptValue* result);
    void SetCapacity(int32_t capacity);

    int32_t m_Count = 0;
    int32_t m_Capacity = 0; // of both arrays
    DS_Slots m_Values;
    DS_Slots m_Priorities;
};
