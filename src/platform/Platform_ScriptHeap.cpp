#include "platform/Platform_ScriptHeap.h"

#include <mimalloc.h>

#include <cstdlib>

namespace {

constexpr size_t RANGE_SIZE = size_t(4) << 30;
constexpr long FREED_PAGES_KEPT_MS = 1000;

mi_heap_t* Heap() { return static_cast<mi_heap_t*>(g_ScriptHeap.heap); }

} // namespace

ScriptHeapRange g_ScriptHeap;

bool ScriptHeap_Reserve()
{
    if (g_ScriptHeap.heap != nullptr) return true;
    // An exclusive arena: no other heap of the process allocates in it, and a heap made in it
    // never falls back to memory outside it.
    mi_arena_id_t arena = 0;
    if (mi_reserve_os_memory_ex(RANGE_SIZE, false, false, true, &arena) != 0) return false;
    size_t size = 0;
    void* base = mi_arena_area(arena, &size);
    if (base == nullptr) return false;
    mi_heap_t* heap = mi_heap_new_in_arena(arena);
    if (heap == nullptr) return false;
    g_ScriptHeap.base = reinterpret_cast<uintptr_t>(base);
    g_ScriptHeap.size = size < RANGE_SIZE ? size : RANGE_SIZE;
    g_ScriptHeap.heap = heap;
    return true;
}

void ScriptHeap_KeepFreedPages()
{
    if (std::getenv("MIMALLOC_DECOMMIT_DELAY") != nullptr || std::getenv("MIMALLOC_RESET_DELAY") != nullptr) return;
    mi_option_set(mi_option_decommit_delay, FREED_PAGES_KEPT_MS);
}

void* ScriptHeap_Malloc(size_t size)
{
    if (!ScriptHeap_Init()) return nullptr;
    void* block = mi_heap_malloc(Heap(), size);
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
