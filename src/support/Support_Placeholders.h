// Support services that start-up, shut-down and the main loop need before the support issues
// (timer, temporary folder) land.
#pragma once

#include <cstdint>

// The microsecond timer.
void Timing_Init();
int64_t Timing_Time();                   // microseconds since Timing_Init
void Timing_Sleep(int64_t microseconds); // sleep, then pump window messages until the end time
void Timing_Wait(int64_t microseconds);

// The clock under the timer; tests put a fake one in place (null restores the real clock).
struct TimingClock {
    int64_t (*now)();                   // microseconds from any origin
    void (*sleepMilliseconds)(int64_t); // a whole-millisecond platform sleep
};
void Timing_SetClock(const TimingClock* clock);

// The program's temporary folder, made at start-up and deleted at shut-down.
bool File_InitTempDirectory();
void File_DeleteTempFolder();
// A new copy of the temporary folder's path (the caller frees it with MemoryManager::Free), or null
// before start-up made it.
char* File_GetTempDirectory();
