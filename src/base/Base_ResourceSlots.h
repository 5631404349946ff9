// The slots of a resource table (sprites, backgrounds, paths): resources indexed from 0 with a
// parallel array of names, the table's own copies; null marks an empty slot or a resource without a
// name. Resources added at run time are appended and named by the table's prefix and their index
// ("__newsprite3"). Nothing is freed when the program ends: the tables are emptied in the shut-down
// order, while the memory manager and the device still stand.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Text.h"
#include "platform/Platform_MemoryManager.h"

template <typename T> struct ResourceSlots {
    const char* prefix;
    std::vector<T*> items;
    std::vector<char*> names;

    bool Valid(int32_t index) const { return index >= 0 && size_t(index) < items.size(); }
    bool Exists(int32_t index) const { return Valid(index) && items[size_t(index)] != nullptr; }
    T* Data(int32_t index) const { return Valid(index) ? items[size_t(index)] : nullptr; }
    int32_t Count() const { return static_cast<int32_t>(items.size()); }

    // "<undefined>" for a missing resource, "" for one without a name.
    const char* Name(int32_t index) const
    {
        if (!Exists(index)) return "<undefined>";
        const char* name = names[size_t(index)];
        return name != nullptr ? name : "";
    }

    // The lowest index of a present resource with exactly that name, or -1.
    int32_t Find(const char* name) const
    {
        if (name == nullptr) return -1;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] != nullptr && names[i] != nullptr && std::strcmp(names[i], name) == 0) return int32_t(i);
        return -1;
    }

    int32_t Append(T* item)
    {
        auto index = static_cast<int32_t>(items.size());
        items.push_back(item);
        names.push_back(String_Copy((prefix + std::to_string(index)).c_str()));
        return index;
    }

    void FreeSlot(size_t slot)
    {
        delete items[slot];
        MemoryManager::Free(names[slot]);
        items[slot] = nullptr;
        names[slot] = nullptr;
    }

    // A failed addition takes its slot back, resource and name included; -1 for the caller to answer.
    int32_t DropLast()
    {
        FreeSlot(items.size() - 1);
        items.pop_back();
        names.pop_back();
        return -1;
    }

    void Reset()
    {
        for (size_t i = 0; i < items.size(); ++i) FreeSlot(i);
        items.clear();
        names.clear();
    }
};
