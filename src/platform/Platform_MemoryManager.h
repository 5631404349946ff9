// The memory manager: every allocation of the engine's own code on the main thread. Each block
// carries a 16-byte header (size, two marks, 0) and lives in the script heap, so a block can be
// named by a 32-bit reference (Platform_ScriptHeap.h).
#pragma once

#include <cstddef>
#include <cstdint>

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
void* ReAlloc(void* block, size_t newSize, const char* file, int line);
void* ReAllocInPlace(void** address, size_t newSize, const char* file, int line);
uint32_t GetSize(const void* block);
void DumpUsage();
void InstallHandlers();
[[noreturn]] void OutOfMemory();
void* AllocPool();

// Running totals: three byte counters that always agree (the profiler shows them as bands) and
// the number of blocks in use.
uint32_t TotalBytes(int band);
uint32_t BlockCount();

} // namespace MemoryManager

#define MEM_ALLOC(size, clear) MemoryManager::Alloc((size), __FILE__, __LINE__, (clear))
#define MEM_REALLOC(block, size) MemoryManager::ReAlloc((block), (size), __FILE__, __LINE__)
