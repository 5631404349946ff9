#include "support/Support_Timing.h"

#include "run/Run_Window.h"
#include "support/posix/Support_PlatformM.h"

namespace {

const TimingClock REAL_CLOCK = {PlatformM_MonotonicMicroseconds, PlatformM_SleepMilliseconds};
const TimingClock* g_Clock = &REAL_CLOCK;
int64_t g_TimingStart = 0;

constexpr int64_t SLEEP_LIMIT = 3000000;
constexpr int64_t SLEEP_THRESHOLD = 2000;

} // namespace

void Timing_SetClock(const TimingClock* clock)
{
    g_Clock = clock != nullptr ? clock : &REAL_CLOCK;
}

void Timing_Init()
{
    g_TimingStart = g_Clock->now();
}

int64_t Timing_Time()
{
    return g_Clock->now() - g_TimingStart;
}

// One platform sleep for all but the last millisecond, then the message pump spins to the end, so
// the window stays alive and the wait ends on time.
void Timing_Sleep(int64_t microseconds)
{
    if (microseconds <= 0) return;
    if (microseconds > SLEEP_LIMIT) microseconds = SLEEP_LIMIT;
    int64_t start = Timing_Time();
    int64_t target = start + microseconds;
    if (microseconds >= SLEEP_THRESHOLD) g_Clock->sleepMilliseconds((microseconds - 1000) / 1000);
    while (true) {
        ProcessMessages();
        int64_t now = Timing_Time();
        if (now < start || now >= target) return;
    }
}

void Timing_Wait(int64_t microseconds)
{
    Timing_Sleep(microseconds);
}
