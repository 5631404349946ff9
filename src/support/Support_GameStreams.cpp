#include "support/Support_GameStreams.h"

#include <sched.h>
#include <sys/stat.h>

#include <atomic>

#include "platform/posix/Platform_Termination.h"

namespace {

// 31 text files, 31 binary files and the implicit file.
constexpr size_t STREAM_SLOTS = 64;

std::FILE* g_Streams[STREAM_SLOTS] = {};
// Held while the list changes or is flushed. The game thread waits for it: the watchdog holds it
// only to flush, and ends the process next. The watchdog only tries it, a few times.
std::atomic_flag g_ListHeld = ATOMIC_FLAG_INIT;
constexpr int FLUSH_TRIES = 1000;

void HoldList()
{
    while (g_ListHeld.test_and_set(std::memory_order_acquire)) sched_yield();
}

void FreeList()
{
    g_ListHeld.clear(std::memory_order_release);
}

// A pipe or a device may block a write for ever; a regular file does not.
bool WritesRegularFile(std::FILE* stream)
{
    struct stat status;
    return fstat(fileno_unlocked(stream), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

std::FILE* GameStreams_Open(const char* path, const char* how)
{
    std::FILE* stream = std::fopen(path, how);
    if (stream == nullptr) return nullptr;
    // The deadline has something to flush from the first stream on.
    static const bool s_Registered = (Platform_OnTerminationDeadline(GameStreams_FlushWithoutWaiting), true);
    (void)s_Registered;
    HoldList();
    for (std::FILE*& slot : g_Streams) {
        if (slot != nullptr) continue;
        slot = stream;
        break;
    }
    FreeList();
    return stream;
}

void GameStreams_Close(std::FILE* stream)
{
    if (stream == nullptr) return;
    HoldList();
    for (std::FILE*& slot : g_Streams)
        if (slot == stream) slot = nullptr;
    FreeList();
    std::fclose(stream);
}

void GameStreams_FlushWithoutWaiting()
{
    for (int tries = 0; g_ListHeld.test_and_set(std::memory_order_acquire); ++tries) {
        if (tries == FLUSH_TRIES) return;
        sched_yield();
    }
    for (std::FILE* stream : g_Streams) {
        if (stream == nullptr || ftrylockfile(stream) != 0) continue;
        if (WritesRegularFile(stream)) fflush_unlocked(stream);
        funlockfile(stream);
    }
    FreeList();
}
