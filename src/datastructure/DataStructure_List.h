// The script list: an ordered, growable sequence of values addressed by position from 0. Elements
// marked by the JSON decoder own nested maps and lists, which clearing the list destroys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datastructure/DataStructure_Values.h"

class CDS_List : public DS_Object {
public:
    CDS_List() = default;
    ~CDS_List();
    CDS_List(const CDS_List&) = delete;
    CDS_List& operator=(const CDS_List&) = delete;

    void Add(const ScriptValue* value);
    // Only for 0 <= pos <= count.
    void Insert(int32_t pos, const ScriptValue* value);
    // Replace and Delete only for 0 <= pos < count.
    void Replace(int32_t pos, const ScriptValue* value);
    void Delete(int32_t pos);
    // The first position whose value compares equal, or -1.
    int32_t Find(const ScriptValue* value) const;
    // Inline: the steps' leaf forms read and replace through it.
    ScriptValue* GetValue(int32_t pos) { return Holds(pos) ? &m_Slots[pos] : nullptr; }
    bool Holds(int32_t pos) const { return static_cast<uint32_t>(pos) < static_cast<uint32_t>(m_Count); }
    // Only for a position the list holds.
    ScriptValue& At(int32_t pos) { return m_Slots[pos]; }
    void Sort(bool ascending);
    // The element-by-element insertion sort whose order Sort gives; quadratic.
    void SortByInsertion(bool ascending);
    void Shuffle();
    bool Empty() const { return m_Count == 0; }
    int32_t Size() const { return m_Count; }
    // Destroys the structures that marked elements own, then releases every slot; the storage stays.
    void Clear();
    // The copy carries no nested marks: only the source owns its nested structures.
    void Copy(const CDS_List* source);
    // Appends the structures that marked slots own, in slot order.
    void CollectNested(std::vector<DS_Nested>& out) const;
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    int32_t Capacity() const { return m_Capacity; }

private:
    void Grow();
    // The order the element-by-element insertion sort gives, reached by a stable sort where the
    // comparison totally orders the values; false when it does not.
    bool SortFast(bool ascending);

    int32_t m_Count = 0;
    int32_t m_Capacity = 0;
    DS_Slots m_Slots;
};
