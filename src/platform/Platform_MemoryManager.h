// The memory manager: every allocation of the engine's own code on the main thread. Each block
// carries a 16-byte header (size, two marks, 0) and lives in the script heap, so a block can be
// named by a 32-bit reference (Platform_ScriptHeap.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/Platform_ScriptHeap.h"

namespace MemoryManager {

constexpr uint32_t HEADER_SIZE = 16;
constexpr uint32_t MARK_FIRST = 0xDEADC0DEu;
constexpr uint32_t MARK_SECOND = 0xBAADB00Bu;
constexpr uint32_t ALIGNED_MARKER_BIT = 0x80000000u;
constexpr uint32_t ALIGNED_MARKER_LIMIT = 0x2000u;

// Null for size 0. Never returns null otherwise: an exhausted heap is fatal.
void* Alloc(size_t size, const char* file, int line, bool clear);
// As Alloc without the zero-size test and without clearing.
void* AllocBasic(size_t size);
void* AllocAligned(size_t size, size_t alignment, const char* file, int line, bool clear);
void Free(void* block);
// For records made and freed by the hundred each frame (instances): as AllocBasic, but a block
// FreeRecord kept (of the same size) is taken again first. FreeRecord frees as Free does, the
// totals counting the block out at once, and keeps it while the kept records stay within a bound;
// the sanitizer build keeps none.
void* AllocRecord(size_t size);
void FreeRecord(void* block);
void* ReAlloc(void* block, size_t newSize, const char* file, int line);
void* ReAllocInPlace(void** address, size_t newSize, const char* file, int line);
// Gives a block another size where it stands, when the room its allocation already holds (its size
// rounded up to the allocation step) takes the new one: true then, with the contents kept and the
// totals moved. False, the block untouched, otherwise or for a block that is not a plain one.
bool Resize(void* block, size_t newSize);
// The size a block was allocated with; 0 for null and for memory not from the script heap. Inline:
// array writes ask it on every append.
inline uint32_t GetSize(const void* block);
void DumpUsage();
void InstallHandlers();
[[noreturn]] void OutOfMemory();
void* AllocPool();

// Running totals: three byte counters that always agree (the profiler shows them as bands) and
// the number of blocks in use.
uint32_t TotalBytes(int band);
uint32_t BlockCount();

// Headers are poisoned in the sanitizer build; only the manager's own reads touch them.
#if defined(KELVARO_ASAN)
#define KELVARO_HEADER_READ __attribute__((no_sanitize("address")))
#else
#define KELVARO_HEADER_READ
#endif

KELVARO_HEADER_READ inline uint32_t GetSize(const void* block)
{
    if (block == nullptr || !ScriptHeap_Contains(block)) return 0;
    uintptr_t at = reinterpret_cast<uintptr_t>(block);
    if (at - g_ScriptHeap.base < HEADER_SIZE) return 0;
    // From the address as a number: the header lies outside what the compiler knows of the block.
    uint32_t size;
    std::memcpy(&size, reinterpret_cast<const void*>(at - HEADER_SIZE), sizeof size);
    return size & 0x7FFFFFFFu;
}

} // namespace MemoryManager

#define MEM_ALLOC(size, clear) MemoryManager::Alloc((size), __FILE__, __LINE__, (clear))
#define MEM_REALLOC(block, size) MemoryManager::ReAlloc((block), (size), __FILE__, __LINE__)
