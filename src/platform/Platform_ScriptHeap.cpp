#include "platform/Platform_ScriptHeap.h"

#include <mimalloc.h>

#include <cassert>

namespace {

constexpr size_t RANGE_SIZE = size_t(4) << 30;

mi_heap_t* g_Heap = nullptr;
uintptr_t g_Base = 0;
size_t g_Size = 0;

} // namespace

bool ScriptHeap_Init()
{
    if (g_Heap != nullptr) return true;
    // An exclusive arena: no other heap of the process allocates in it, and a heap made in it
    // never falls back to memory outside it.
    mi_arena_id_t arena = 0;
    if (mi_reserve_os_memory_ex(RANGE_SIZE, false, false, true, &arena) != 0) return false;
    size_t size = 0;
    void* base = mi_arena_area(arena, &size);
    if (base == nullptr) return false;
    g_Heap = mi_heap_new_in_arena(arena);
    if (g_Heap == nullptr) return false;
    g_Base = reinterpret_cast<uintptr_t>(base);
    g_Size = size < RANGE_SIZE ? size : RANGE_SIZE;
    return true;
}

void* ScriptHeap_Malloc(size_t size)
{
    if (!ScriptHeap_Init()) return nullptr;
    void* block = mi_heap_malloc(g_Heap, size);
    if (block != nullptr && !ScriptHeap_Contains(block)) {
        // Only memory inside the range can be named by a 32-bit reference.
        mi_free(block);
        return nullptr;
    }
    return block;
}

void ScriptHeap_Free(void* block)
{
    if (block != nullptr) mi_free(block);
}

size_t ScriptHeap_UsableSize(const void* block)
{
    return block != nullptr ? mi_usable_size(block) : 0;
}

bool ScriptHeap_Contains(const void* address)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return g_Size != 0 && at >= g_Base && at - g_Base < g_Size;
}

uintptr_t ScriptHeap_Base()
{
    ScriptHeap_Init();
    return g_Base;
}

size_t ScriptHeap_Size()
{
    ScriptHeap_Init();
    return g_Size;
}

uint32_t ScriptHeap_Ref(const void* address)
{
    if (address == nullptr) return 0;
    assert(ScriptHeap_Contains(address));
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address) - g_Base);
}

void* ScriptHeap_Ptr(uint32_t ref)
{
    return ref == 0 ? nullptr : reinterpret_cast<void*>(g_Base + ref);
}
