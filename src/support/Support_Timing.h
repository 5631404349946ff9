// The microsecond timer that paces the frames, and its sleep.
#pragma once

#include <cstdint>

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
