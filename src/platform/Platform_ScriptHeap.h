// The script heap: one reserved 4 GiB range of address space from which the memory manager
// allocates, so that anything the engine keeps in a 32-bit field can be a 32-bit reference (an
// offset from the range's base; 0 means none). Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

// Reserves the range and creates the heap in it; later calls do nothing. False when the range
// cannot be reserved.
bool ScriptHeap_Init();

// Memory from the range: null when it is exhausted. Free takes only what Malloc returned.
void* ScriptHeap_Malloc(size_t size);
void ScriptHeap_Free(void* block);
size_t ScriptHeap_UsableSize(const void* block);

// True when the address lies inside the range (tells our blocks from foreign pointers without
// reading memory).
bool ScriptHeap_Contains(const void* address);

uintptr_t ScriptHeap_Base();
size_t ScriptHeap_Size();

// 32-bit references: null <-> 0.
uint32_t ScriptHeap_Ref(const void* address);
void* ScriptHeap_Ptr(uint32_t ref);

template <typename T>
inline T* ScriptHeap_Get(uint32_t ref)
{
    return static_cast<T*>(ScriptHeap_Ptr(ref));
}
