// The six tables of script data structures. A script holds a structure's index in the table of its
// kind; a destroyed index is the first handed out again. Structures live until a script, or the
// subsystem that made them, destroys them, or the game ends (DS_FreeAll).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

class CDS_Stack;
class CDS_Queue;
class CDS_List;
class CDS_Map;
class CDS_Priority;
class CDS_Grid;

template <typename T>
class DS_Table {
public:
    // Stores the structure at the lowest free index, else appends it; returns the index.
    int32_t Add(T* structure)
    {
        int32_t index;
        if (!m_Free.empty()) {
            index = *m_Free.begin();
            m_Free.erase(m_Free.begin());
            m_Slots[static_cast<size_t>(index)] = structure;
        } else {
            index = static_cast<int32_t>(m_Slots.size());
            m_Slots.push_back(structure);
        }
        return index;
    }
    // The structure at the index; null out of range or for an empty slot.
    T* Get(int32_t index) const { return InRange(index) ? m_Slots[static_cast<size_t>(index)] : nullptr; }
    // One unsigned test: a negative index wraps past every count.
    bool InRange(int32_t index) const { return static_cast<uint32_t>(index) < static_cast<uint32_t>(Count()); }
    // Empties the slot and hands back what it held, for the caller to delete (null when empty).
    T* Take(int32_t index)
    {
        T* structure = Get(index);
        if (structure == nullptr) return nullptr;
        m_Slots[static_cast<size_t>(index)] = nullptr;
        m_Free.insert(index);
        return structure;
    }
    // Slots in use or freed; shrinks only when the table is emptied.
    int32_t Count() const { return static_cast<int32_t>(m_Slots.size()); }
    // Destroys every structure. One by one through Take: a list or map destroys the structures it
    // owns as it goes, and those leave their own slots first.
    void DeleteAll()
    {
        for (int32_t i = 0; i < Count(); ++i) delete Take(i);
        m_Slots.clear();
        m_Free.clear();
    }

private:
    std::vector<T*> m_Slots;
    std::set<int32_t> m_Free; // empty slots, so the lowest is found at once
};

extern DS_Table<CDS_Stack> g_DSStacks;
extern DS_Table<CDS_Queue> g_DSQueues;
extern DS_Table<CDS_List> g_DSLists;
extern DS_Table<CDS_Map> g_DSMaps;
extern DS_Table<CDS_Priority> g_DSPriorities;
extern DS_Table<CDS_Grid> g_DSGrids;

// A new empty structure in its table; the result is its index.
int32_t DS_NewStack();
int32_t DS_NewQueue();
int32_t DS_NewList();
int32_t DS_NewMap();
int32_t DS_NewPriority();
// Sizes below 0 are taken as 0.
int32_t DS_NewGrid(int32_t width, int32_t height);
// Every structure of every table destroyed and the tables emptied (shut-down).
void DS_FreeAll();
