#include "platform/Platform_MemoryManager.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#if !defined(KELVARO_ASAN)
#include <mimalloc.h>
#endif

#include "base/Base_Console.h"
#include "platform/Platform_FatalEnd.h"
#include "platform/Platform_MessageBox.h"
#include "platform/Platform_ScriptHeap.h"

#if defined(KELVARO_ASAN)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#define KELVARO_POISON(address, size) ASAN_POISON_MEMORY_REGION((address), (size))
#define KELVARO_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION((address), (size))
#define KELVARO_NO_ASAN __attribute__((no_sanitize("address")))
#else
#define KELVARO_POISON(address, size) ((void)(address), (void)(size))
#define KELVARO_UNPOISON(address, size) ((void)(address), (void)(size))
#define KELVARO_NO_ASAN
#endif

namespace MemoryManager {
namespace {

#if defined(KELVARO_ASAN)
// Room after each block that stays poisoned, so a write just past the end is caught.
constexpr size_t REDZONE = 16;
#else
constexpr size_t REDZONE = 0;
#endif

// The header field is 32-bit: larger requests cannot be described, and count as exhausted memory.
constexpr size_t MAX_REQUEST = 0xFFFFFFFFu - HEADER_SIZE;

// The three bands of the totals always agree: one count stands for them all.
uint32_t g_TotalBytes = 0;
uint32_t g_BlockCount = 0;
size_t g_PoolSize = 0x4000000;

unsigned char* Bytes(const void* block) { return static_cast<unsigned char*>(const_cast<void*>(block)); }

// Headers are poisoned in the sanitizer build; only these two touch them.
KELVARO_NO_ASAN uint32_t PeekWord(const unsigned char* at)
{
    uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

KELVARO_NO_ASAN void PokeWord(unsigned char* at, uint32_t word) { std::memcpy(at, &word, sizeof word); }

bool HasMarks(const unsigned char* header)
{
    return PeekWord(header + 4) == MARK_FIRST && PeekWord(header + 8) == MARK_SECOND;
}

// A block of ours carries the marks in the 16 bytes before it: its header, or null. Only for
// addresses inside the script heap, so that nothing is ever read in front of a foreign pointer.
unsigned char* PlainHeaderInRange(const void* block)
{
    if (reinterpret_cast<uintptr_t>(block) - g_ScriptHeap.base < HEADER_SIZE) return nullptr;
    unsigned char* header = Bytes(block) - HEADER_SIZE;
    return HasMarks(header) ? header : nullptr;
}

bool IsPlainBlock(const void* block) { return ScriptHeap_Contains(block) && PlainHeaderInRange(block) != nullptr; }

// The header of an aligned block whose start was moved, or null.
unsigned char* AlignedHeader(const void* block)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(block);
    if (!ScriptHeap_Contains(block) || at - ScriptHeap_Base() < HEADER_SIZE + 4) return nullptr;
    uint32_t marker = PeekWord(Bytes(block) - 4);
    if ((marker & ALIGNED_MARKER_BIT) == 0) return nullptr;
    uint32_t offset = marker & ~ALIGNED_MARKER_BIT;
    if (offset >= ALIGNED_MARKER_LIMIT || at - ScriptHeap_Base() < offset + HEADER_SIZE) return nullptr;
    unsigned char* header = Bytes(block) - offset - HEADER_SIZE;
    return HasMarks(header) ? header : nullptr;
}

void CountIn(uint32_t size)
{
    g_TotalBytes += size;
    ++g_BlockCount;
}

void CountOut(uint32_t size)
{
    g_TotalBytes -= size;
    --g_BlockCount;
}

// Areas are allocated in whole steps, so that a freed block serves any later request of its step.
constexpr size_t AREA_STEP = 16;

size_t StepArea(size_t area) { return (area + AREA_STEP - 1) & ~(AREA_STEP - 1); }

// Raw memory for a header, an area of the given size and the redzone; fatal when exhausted.
unsigned char* RawBlock(size_t area)
{
    if (area > MAX_REQUEST) OutOfMemory();
    void* raw = ScriptHeap_Malloc(HEADER_SIZE + StepArea(area) + REDZONE);
    if (raw == nullptr) OutOfMemory();
    unsigned char* bytes = Bytes(raw);
#if defined(KELVARO_ASAN)
    // Only the poisoning needs the block's true size; asking the allocator costs every allocation.
    size_t usable = ScriptHeap_UsableSize(raw);
    KELVARO_UNPOISON(bytes, usable);
    KELVARO_POISON(bytes + HEADER_SIZE + area, usable - HEADER_SIZE - area);
#endif
    return bytes;
}

void WriteHeader(unsigned char* header, uint32_t size)
{
    PokeWord(header, size);
    PokeWord(header + 4, MARK_FIRST);
    PokeWord(header + 8, MARK_SECOND);
    PokeWord(header + 12, 0);
    KELVARO_POISON(header, HEADER_SIZE);
}

#if defined(KELVARO_ASAN)
// Freed blocks stay poisoned in a quarantine for a while, so a use after free is caught; a block
// goes back to the allocator only unpoisoned, because the allocator itself writes into the memory
// it recycles.
constexpr size_t QUARANTINE_BLOCKS = 4096;
constexpr size_t QUARANTINE_BYTES = size_t(64) << 20;
unsigned char* g_Quarantine[QUARANTINE_BLOCKS];
size_t g_QuarantineHead = 0;
size_t g_QuarantineCount = 0;
size_t g_QuarantineBytes = 0;

void QuarantineRelease()
{
    unsigned char* oldest = g_Quarantine[g_QuarantineHead];
    g_QuarantineHead = (g_QuarantineHead + 1) % QUARANTINE_BLOCKS;
    --g_QuarantineCount;
    size_t usable = ScriptHeap_UsableSize(oldest);
    g_QuarantineBytes -= usable;
    KELVARO_UNPOISON(oldest, usable);
    ScriptHeap_Free(oldest);
}

void GiveBack(unsigned char* raw)
{
    size_t usable = ScriptHeap_UsableSize(raw);
    KELVARO_POISON(raw, usable);
    while (g_QuarantineCount > 0 &&
           (g_QuarantineCount == QUARANTINE_BLOCKS || g_QuarantineBytes + usable > QUARANTINE_BYTES))
        QuarantineRelease();
    g_Quarantine[(g_QuarantineHead + g_QuarantineCount) % QUARANTINE_BLOCKS] = raw;
    ++g_QuarantineCount;
    g_QuarantineBytes += usable;
}
// No small blocks are kept: the quarantine must see every freed one.
unsigned char* TakeKept(size_t) { return nullptr; }
bool Keep(unsigned char*, uint32_t) { return false; }
#else
void GiveBack(unsigned char* raw) { ScriptHeap_Free(raw); }

// Small blocks freed lately, by area step, handed out again before the allocator is asked: most
// blocks a running game frees are small texts made a moment before, and the allocator's own free
// and allocation cost several times more. Bounded: at most KEPT_PER_STEP blocks of each step.
constexpr size_t KEPT_STEPS = 17; // areas up to 256 bytes
constexpr uint32_t KEPT_PER_STEP = 64;
uint32_t g_KeptCount[KEPT_STEPS];
unsigned char* g_Kept[KEPT_STEPS][KEPT_PER_STEP];

// The row of kept blocks an area's step uses, or KEPT_STEPS for an area too large to keep (tested
// before rounding, which would wrap for a request near the top of size_t).
size_t KeptStep(size_t area)
{
    return area > (KEPT_STEPS - 1) * AREA_STEP ? KEPT_STEPS : StepArea(area) / AREA_STEP;
}

unsigned char* TakeKept(size_t area)
{
    size_t step = KeptStep(area);
    if (step == KEPT_STEPS || g_KeptCount[step] == 0) return nullptr;
    return g_Kept[step][--g_KeptCount[step]];
}

bool Keep(unsigned char* header, uint32_t area)
{
    size_t step = KeptStep(area);
    if (step == KEPT_STEPS || g_KeptCount[step] == KEPT_PER_STEP) return false;
    // Without its marks a kept block is no block: freeing it again is reported, not kept twice.
    PokeWord(header + 4, 0);
    g_Kept[step][g_KeptCount[step]++] = header;
    return true;
}
#endif

void ReleaseRaw(unsigned char* header)
{
    uint32_t area = PeekWord(header);
    CountOut(area);
    if (!Keep(header, area)) GiveBack(header);
}

// All of a text, by write(2): neither a stream nor memory is needed.
void WriteAll(int descriptor, const char* text, size_t length)
{
    while (length > 0) {
        ssize_t written = write(descriptor, text, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

// Ends the process on a fatal memory error, where no shut-down can run: the message is shown (or
// logged) and written to standard error, where a player at a terminal looks for why the game ended;
// the steps the areas above registered for a fatal end run (Platform_FatalEnd.h); the exit handlers
// still run (the temporary folder goes), but nothing frees what the game holds. The line is worded
// in a fixed buffer and written by write(2), since no memory may be left; before main the program's
// objects may not be made yet, so the line goes to standard output the same way and the process
// ends without the exit handlers.
// The sanitizer build checks for leaks here, while the game's tables stand, reading the script
// heap's blocks for pointers as it reads its own heap; the exit takes the global tables down without
// the records they name, which would look lost to a check at exit, so none follows.
[[noreturn]] void ExitFatally(const char* text)
{
    constexpr const char* CAPTION = "Fatal Memory Error";
    char line[256];
    int worded = std::snprintf(line, sizeof line, "%s: %s\n", CAPTION, text);
    size_t length = worded < 0 ? 0 : std::min(static_cast<size_t>(worded), sizeof line - 1);
    bool started = Platform_ProgramStarted();
    if (started) Platform_ShowMessage(text, CAPTION);
    else WriteAll(STDOUT_FILENO, line, length);
    WriteAll(STDERR_FILENO, line, length);
    Platform_RunFatalEndHooks();
#if defined(KELVARO_ASAN)
    if (g_ScriptHeap.size != 0)
        __lsan_register_root_region(reinterpret_cast<const void*>(g_ScriptHeap.base), g_ScriptHeap.size);
    __lsan_do_leak_check();
#endif
    if (!started) std::_Exit(-1);
    std::exit(-1);
}

[[noreturn]] void FatalNoHeader() { ExitFatally("ReAlloc of a block the memory manager did not allocate"); }

// Installed before main, as the runtime would install its allocation-failure handler.
[[maybe_unused]] const bool g_HandlersInstalled = (InstallHandlers(), true);

} // namespace

namespace {

inline void* NewBlock(size_t size)
{
    unsigned char* raw = TakeKept(size);
    if (raw == nullptr) raw = RawBlock(size);
    WriteHeader(raw, static_cast<uint32_t>(size));
    CountIn(static_cast<uint32_t>(size));
    return raw + HEADER_SIZE;
}

} // namespace

void* AllocBasic(size_t size) { return NewBlock(size); }

void* Alloc(size_t size, const char* /*file*/, int /*line*/, bool clear)
{
    if (size == 0) return nullptr;
    void* block = NewBlock(size);
    if (clear) std::memset(block, 0, size);
    return block;
}

void* AllocAligned(size_t size, size_t alignment, const char* /*file*/, int /*line*/, bool clear)
{
    if (size == 0) return nullptr;
    if (alignment == 0) alignment = 1;
    if (alignment > MAX_REQUEST - size) OutOfMemory();
    uint32_t recorded = static_cast<uint32_t>(size + alignment - 1);
    unsigned char* raw = RawBlock(recorded);
    WriteHeader(raw, recorded);
    CountIn(recorded);

    unsigned char* areaStart = raw + HEADER_SIZE;
    if (clear) std::memset(areaStart, 0, size);
    uintptr_t start = reinterpret_cast<uintptr_t>(areaStart);
    uintptr_t rounded = (start + alignment - 1) & ~(uintptr_t(alignment) - 1);
    if (rounded != start) {
        // Clear the gap first, so that stale bytes there never look like a plain header.
        std::memset(areaStart, 0, rounded - start);
        PokeWord(Bytes(reinterpret_cast<void*>(rounded)) - 4,
                 static_cast<uint32_t>(rounded - start) | ALIGNED_MARKER_BIT);
    }
    return reinterpret_cast<void*>(rounded);
}

void Free(void* block)
{
    if (block == nullptr) return;
    if (!ScriptHeap_Contains(block)) {
        std::free(block); // the runtime heap's own
        return;
    }
    if (unsigned char* header = PlainHeaderInRange(block)) {
        ReleaseRaw(header);
        return;
    }
    if (AlignedHeader(block) != nullptr) return; // aligned blocks stay, with the totals
    MainConsole->Output("MemoryManager::Free: %p is not a block\n", block);
}

#if defined(KELVARO_ASAN)
void* AllocRecord(size_t size) { return NewBlock(size); }

void FreeRecord(void* block) { Free(block); }
#else
namespace {

// The blocks FreeRecord kept, the newest last, in a row grown as it fills (outside the totals: it
// holds no memory of the game's); their bytes bounded.
constexpr size_t KEPT_RECORD_BYTES = size_t(2) << 20;
constexpr uint32_t KEPT_RECORD_FIRST_ROW = 256;
unsigned char** g_KeptRecords = nullptr;
uint32_t g_KeptRecordCount = 0;
uint32_t g_KeptRecordCapacity = 0;
size_t g_KeptRecordBytes = 0;

// Room in the row for one more record of `area` bytes: false when the bound or the memory for the
// row runs out.
bool RoomForRecord(uint32_t area)
{
    if (g_KeptRecordBytes + area > KEPT_RECORD_BYTES) return false;
    if (g_KeptRecordCount < g_KeptRecordCapacity) return true;
    uint32_t capacity = g_KeptRecordCapacity > 0 ? g_KeptRecordCapacity * 2 : KEPT_RECORD_FIRST_ROW;
    void* grown = std::realloc(g_KeptRecords, sizeof(unsigned char*) * capacity);
    if (grown == nullptr) return false;
    g_KeptRecords = static_cast<unsigned char**>(grown);
    g_KeptRecordCapacity = capacity;
    return true;
}

} // namespace

void* AllocRecord(size_t size)
{
    if (g_KeptRecordCount == 0 || PeekWord(g_KeptRecords[g_KeptRecordCount - 1]) != size) return NewBlock(size);
    unsigned char* raw = g_KeptRecords[--g_KeptRecordCount];
    g_KeptRecordBytes -= size;
    WriteHeader(raw, static_cast<uint32_t>(size));
    CountIn(static_cast<uint32_t>(size));
    return raw + HEADER_SIZE;
}

void FreeRecord(void* block)
{
    unsigned char* header = block != nullptr && ScriptHeap_Contains(block) ? PlainHeaderInRange(block) : nullptr;
    if (header == nullptr) {
        Free(block); // not a plain block: freed, or reported, as Free does
        return;
    }
    uint32_t area = PeekWord(header);
    if (!RoomForRecord(area)) {
        Free(block); // past the bound: as any block (its own path stays inline in Free)
        return;
    }
    CountOut(area);
    // Without its marks a kept block is no block: freeing it again is reported, not kept twice.
    PokeWord(header + 4, 0);
    g_KeptRecords[g_KeptRecordCount++] = header;
    g_KeptRecordBytes += area;
}
#endif

void* ReAlloc(void* block, size_t newSize, const char* file, int line)
{
    if (block == nullptr) return newSize == 0 ? nullptr : Alloc(newSize, file, line, true);

    size_t oldSize;
    if (IsPlainBlock(block)) {
        oldSize = PeekWord(Bytes(block) - HEADER_SIZE);
    } else if (unsigned char* header = AlignedHeader(block)) {
        // What lies between the moved start and the end of the recorded area.
        oldSize = PeekWord(header) - static_cast<size_t>(Bytes(block) - header - HEADER_SIZE);
    } else {
        FatalNoHeader();
    }

    if (newSize == oldSize) return block;
    if (newSize == 0) {
        Free(block);
        return nullptr;
    }
    // Only the bytes beyond the old contents are cleared: the rest is copied over at once.
    void* fresh = Alloc(newSize, file, line, false);
    size_t kept = newSize < oldSize ? newSize : oldSize;
    std::memcpy(fresh, block, kept);
    std::memset(Bytes(fresh) + kept, 0, newSize - kept);
    Free(block);
    return fresh;
}

bool Resize(void* block, size_t newSize)
{
    if (newSize == 0 || !ScriptHeap_Contains(block)) return false;
    unsigned char* header = PlainHeaderInRange(block);
    if (header == nullptr) return false;
    uint32_t oldSize = PeekWord(header);
    // Every plain block holds its step's whole area, whether made for it or kept and handed out again.
    if (newSize > StepArea(oldSize)) return false;
    if (newSize > oldSize) KELVARO_UNPOISON(Bytes(block) + oldSize, newSize - oldSize);
    else KELVARO_POISON(Bytes(block) + newSize, oldSize - newSize);
    PokeWord(header, static_cast<uint32_t>(newSize));
    g_TotalBytes += static_cast<uint32_t>(newSize) - oldSize;
    return true;
}

void* ReAllocInPlace(void** address, size_t newSize, const char* file, int line)
{
    *address = ReAlloc(*address, newSize, file, line);
    return *address;
}

void DumpUsage()
{
    uint32_t total = g_TotalBytes;
    MainConsole->Output("Total memory used = %d(0x%08x) bytes\n", static_cast<int32_t>(total), total);
}

void InstallHandlers()
{
    // A failing operator new ends the process the same way a failing Alloc does.
    std::set_new_handler([] { OutOfMemory(); });
}

void OutOfMemory()
{
    // Showing the message or a step registered for the fatal end may itself run out of memory: the
    // second failure ends at once.
    static bool reporting = false;
    if (reporting) std::_Exit(-1);
    reporting = true;
    ExitFatally("Out of Memory!");
}

void* AllocPool()
{
    while (g_PoolSize >= 0x100000) {
        if (void* pool = std::malloc(g_PoolSize)) {
            uint32_t header[4] = {0, 0, 0, static_cast<uint32_t>(g_PoolSize - HEADER_SIZE)};
            std::memcpy(pool, header, sizeof header);
            return pool;
        }
        g_PoolSize /= 2;
    }
    return nullptr;
}

uint32_t TotalBytes(int band) { return (band >= 0 && band < 3) ? g_TotalBytes : 0; }

uint32_t BlockCount() { return g_BlockCount; }

} // namespace MemoryManager

#if !defined(KELVARO_ASAN)
// The allocator's own operator new aborts without a word when its request fails (it cannot see the
// handler set above), so the engine's replaces it: the standard loop over the installed new-handler,
// ending as the memory manager does when none is installed. Deletion and the nothrow forms stay the
// allocator's. The sanitizer build keeps the sanitizer's operators, which report a failure themselves.
namespace {

void* NewOrHandle(size_t size, size_t alignment)
{
    for (;;) {
        void* block = alignment == 0 ? mi_new_nothrow(size) : mi_new_aligned_nothrow(size, alignment);
        if (block != nullptr) return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) MemoryManager::OutOfMemory();
        handler();
    }
}

} // namespace

// Weak, so that a program of its own operators (a benchmark counting allocations) keeps them.
[[gnu::weak]] void* operator new(size_t size) { return NewOrHandle(size, 0); }
[[gnu::weak]] void* operator new[](size_t size) { return NewOrHandle(size, 0); }
[[gnu::weak]] void* operator new(size_t size, std::align_val_t alignment)
{
    return NewOrHandle(size, static_cast<size_t>(alignment));
}
[[gnu::weak]] void* operator new[](size_t size, std::align_val_t alignment)
{
    return NewOrHandle(size, static_cast<size_t>(alignment));
}
#endif
