#include "platform/Platform_ScriptHeap.h"

#include <mimalloc.h>
#include <sys/mman.h>

#include <cstdlib>

#include "platform/Platform_Headroom.h"

namespace {

constexpr long FREED_PAGES_KEPT_MS = 1000;

// The allocator's blocks up to this size share its segments; a larger one gets a segment of its own,
// committed whole, in steps of the arena's block: the block rounded up to the allocator's good size
// (steps of 1 MiB below 32 MiB, of 4 MiB from there), then the segment's own header (under 1 MiB).
constexpr size_t LARGEST_SHARED_BLOCK = size_t(16) << 20;
constexpr size_t ARENA_BLOCK = size_t(32) << 20;
constexpr size_t SEGMENT_HEADER_ROOM = size_t(1) << 20;
constexpr size_t FINE_STEPS_BELOW = size_t(32) << 20;
constexpr size_t FINE_STEP = size_t(1) << 20;
constexpr size_t COARSE_STEP = size_t(4) << 20;

size_t RoundUp(size_t size, size_t step) { return (size + step - 1) & ~(step - 1); }

mi_heap_t* Heap() { return static_cast<mi_heap_t*>(g_ScriptHeap.heap); }

// Whether the system grants, now, the memory the allocator commits for a block of its own segment.
// The allocator does not check that commit in the arena and writes into the segment at once, so a
// refusal (a data limit, strict overcommit) would end the process with SIGSEGV: asked first, it
// becomes a null allocation.
bool SegmentOfItsOwnGranted(size_t size)
{
    return Platform_MappableNow(ScriptHeap_SegmentCommit(size), PROT_READ | PROT_WRITE);
}

// Whether the system maps this much address space now, reserved and not committed, as the arena
// is: only an address-space limit refuses it.
bool AddressSpaceGranted(size_t bytes)
{
    return Platform_MappableNow(bytes, PROT_NONE);
}

} // namespace

ScriptHeapRange g_ScriptHeap;

size_t ScriptHeap_SegmentCommit(size_t size)
{
    size_t good = RoundUp(size, size < FINE_STEPS_BELOW ? FINE_STEP : COARSE_STEP);
    return RoundUp(good + SEGMENT_HEADER_ROOM, ARENA_BLOCK);
}

size_t ScriptHeap_RangeSize(bool (*granted)(size_t bytes))
{
    for (size_t size = SCRIPT_HEAP_FULL_RANGE; size >= SCRIPT_HEAP_SMALLEST_RANGE; size /= 2)
        if (granted(size + SCRIPT_HEAP_ROOM_FOR_THE_REST)) return size;
    // A small game may still play in what is left: the rest of the run's room is a guess.
    return granted(SCRIPT_HEAP_SMALLEST_RANGE) ? SCRIPT_HEAP_SMALLEST_RANGE : 0;
}

bool ScriptHeap_Reserve()
{
    if (g_ScriptHeap.heap != nullptr) return true;
    size_t wanted = ScriptHeap_RangeSize(AddressSpaceGranted);
    // An exclusive arena: no other heap of the process allocates in it, and a heap made in it
    // never falls back to memory outside it.
    mi_arena_id_t arena = 0;
    if (wanted == 0 || mi_reserve_os_memory_ex(wanted, false, false, true, &arena) != 0) return false;
    // Segments are committed piece by piece as they are used, never whole when made (in every heap
    // of the process: the option is the allocator's): a refused piece comes back as a null
    // allocation, but a refused whole segment is not noticed, and the allocator writes into it.
    // Set here, over whatever the environment asks, since the answer to a refusal depends on it.
    mi_option_disable(mi_option_eager_commit);
    size_t size = 0;
    void* base = mi_arena_area(arena, &size);
    if (base == nullptr) return false;
    mi_heap_t* heap = mi_heap_new_in_arena(arena);
    if (heap == nullptr) return false;
    g_ScriptHeap.base = reinterpret_cast<uintptr_t>(base);
    g_ScriptHeap.size = size < wanted ? size : wanted;
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
    if (size > LARGEST_SHARED_BLOCK && (size > g_ScriptHeap.size || !SegmentOfItsOwnGranted(size)))
        return nullptr;
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
