// The microsecond timer that paces the frames, and its sleep.
#pragma once

#include <cstdint>

void Timing_Init();
int64_t Timing_Time();                   // microseconds since Timing_Init
// A script's sleep (at most 3 s): sleeps, then pumps window messages until the end time; a
// termination request the game has not answered in time ends the process there.
void Timing_Sleep(int64_t microseconds);
// The main loop's wait for the next frame: the same, without ending the process.
void Timing_Wait(int64_t microseconds);

// The clock under the timer; tests put a fake one in place (null restores the real clock).
struct TimingClock {
    int64_t (*now)();                   // microseconds from any origin
    void (*sleepMilliseconds)(int64_t); // a whole-millisecond platform sleep
};
void Timing_SetClock(const TimingClock* clock);
