// The script heap: one reserved range of address space (4 GiB, or less under an address-space limit)
// from which the memory manager allocates, so that anything the engine keeps in a 32-bit field can be
// a 32-bit reference (an offset from the range's base; 0 means none). Main thread only.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

// Where the range lies; read by the inline functions below, which sit on every allocation and
// every text access, so a call and a repeated initialisation check there would cost each of them.
struct ScriptHeapRange {
    void* heap = nullptr; // the allocator's heap in the range; null until reserved
    uintptr_t base = 0;
    size_t size = 0;
};
extern ScriptHeapRange g_ScriptHeap;

// The range's sizes: the whole 32-bit span, halved while the system will not grant it together with
// room for the rest of the run, down to the smallest, below which no game starts.
constexpr size_t SCRIPT_HEAP_FULL_RANGE = size_t(4) << 30;
constexpr size_t SCRIPT_HEAP_SMALLEST_RANGE = size_t(128) << 20;
// The room for the rest: the graphics driver's threads and code and the threads' stacks take some
// 380 MB beside the range with eight drawing threads, 510 MB with sixteen.
constexpr size_t SCRIPT_HEAP_ROOM_FOR_THE_REST = size_t(768) << 20;

// The size of range to reserve, given whether the system would grant that many bytes of address
// space now: the first of the sizes above granted together with the room for the rest, else the
// smallest alone, else 0 (none can be reserved).
size_t ScriptHeap_RangeSize(bool (*granted)(size_t bytes));

// The memory the allocator commits at once for a block too large to share its segments (over 16 MiB),
// which the system is asked for before the block is made.
size_t ScriptHeap_SegmentCommit(size_t size);

// Reserves the range and creates the heap in it: the first call's work, out of line.
bool ScriptHeap_Reserve();

// The process's allocator (mimalloc, which also serves malloc) keeps freed pages for a second before
// it gives them back to the system, unless its environment says otherwise: drawing frees and
// allocates large blocks every frame, and pages given back and faulted in again each frame cost the
// main thread more than its own drawing code. Called once at program start.
void ScriptHeap_KeepFreedPages();

// Reserves the range and creates the heap in it; later calls do nothing. False when the range
// cannot be reserved.
inline bool ScriptHeap_Init()
{
    return __builtin_expect(g_ScriptHeap.heap != nullptr, 1) || ScriptHeap_Reserve();
}

// Memory from the range: null when it is exhausted or the system refuses the memory (a data limit,
// strict overcommit). Free takes only what Malloc returned.
void* ScriptHeap_Malloc(size_t size);
void ScriptHeap_Free(void* block);
size_t ScriptHeap_UsableSize(const void* block);

// True when the address lies inside the range (tells our blocks from foreign pointers without
// reading memory).
inline bool ScriptHeap_Contains(const void* address)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    return g_ScriptHeap.size != 0 && at >= g_ScriptHeap.base && at - g_ScriptHeap.base < g_ScriptHeap.size;
}

inline uintptr_t ScriptHeap_Base()
{
    ScriptHeap_Init();
    return g_ScriptHeap.base;
}

inline size_t ScriptHeap_Size()
{
    ScriptHeap_Init();
    return g_ScriptHeap.size;
}

// 32-bit references: null <-> 0.
inline uint32_t ScriptHeap_Ref(const void* address)
{
    if (address == nullptr) return 0;
    assert(ScriptHeap_Contains(address));
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address) - g_ScriptHeap.base);
}

inline void* ScriptHeap_Ptr(uint32_t ref)
{
    return ref == 0 ? nullptr : reinterpret_cast<void*>(g_ScriptHeap.base + ref);
}

template <typename T>
inline T* ScriptHeap_Get(uint32_t ref)
{
    return static_cast<T*>(ScriptHeap_Ptr(ref));
}
