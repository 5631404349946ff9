#include "support/Support_Timing.h"

#include <algorithm>

#include "platform/posix/Platform_Termination.h"
#include "run/Run_Window.h"
#include "support/posix/Support_PlatformM.h"

namespace {

const TimingClock REAL_CLOCK = {PlatformM_MonotonicMicroseconds, PlatformM_SleepMilliseconds};
const TimingClock* g_Clock = &REAL_CLOCK;
int64_t g_TimingStart = 0;

constexpr int64_t SLEEP_LIMIT = 3000000;
constexpr int64_t SLEEP_THRESHOLD = 2000;
// A script's sleep looks for an unanswered termination request this often.
constexpr int64_t SLEEP_SLICE_MILLISECONDS = 100;

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

namespace {

// The platform sleeps for all but the last millisecond, then the message pump spins to the end, so
// the window stays alive and the wait ends on time. A script's sleep (`looking`) sleeps in slices
// and looks between them, so that a script sleeping in a loop does not keep a termination request
// waiting.
void SleepAndPump(int64_t microseconds, bool looking)
{
    if (looking) Platform_EndIfTerminationOverdue();
    if (microseconds <= 0) return;
    if (microseconds > SLEEP_LIMIT) microseconds = SLEEP_LIMIT;
    int64_t start = Timing_Time();
    int64_t target = start + microseconds;
    if (microseconds >= SLEEP_THRESHOLD) {
        int64_t rest = (microseconds - 1000) / 1000;
        int64_t slice = looking ? SLEEP_SLICE_MILLISECONDS : rest;
        while (rest > 0) {
            int64_t piece = std::min(rest, slice);
            g_Clock->sleepMilliseconds(piece);
            rest -= piece;
            if (looking) Platform_EndIfTerminationOverdue();
        }
    }
    while (true) {
        ProcessMessages();
        int64_t now = Timing_Time();
        if (now < start || now >= target) return;
    }
}

} // namespace

void Timing_Sleep(int64_t microseconds)
{
    SleepAndPump(microseconds, true);
}

void Timing_Wait(int64_t microseconds)
{
    SleepAndPump(microseconds, false);
}
