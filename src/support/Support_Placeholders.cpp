#include "support/Support_Placeholders.h"

#include <chrono>
#include <thread>

#include "run/Run_Window.h"

namespace {

int64_t RealNow()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RealSleep(int64_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

const TimingClock REAL_CLOCK = {RealNow, RealSleep};
const TimingClock* g_Clock = &REAL_CLOCK;
int64_t g_TimingStart = 0;

constexpr int64_t SLEEP_LIMIT = 3000000;

} // namespace

// PLACEHOLDER for the timer issue: lets tests run the timer on a clock of their own.
void Timing_SetClock(const TimingClock* clock)
{
    g_Clock = clock != nullptr ? clock : &REAL_CLOCK;
}

// PLACEHOLDER for the timer issue.
void Timing_Init()
{
    g_TimingStart = g_Clock->now();
}

// PLACEHOLDER for the timer issue.
int64_t Timing_Time()
{
    return g_Clock->now() - g_TimingStart;
}

// PLACEHOLDER for the timer issue: sleeps whole milliseconds while at least two remain and
// spins on the message pump for the rest, so the window stays alive and the wait stays exact.
void Timing_Sleep(int64_t microseconds)
{
    if (microseconds <= 0) return;
    if (microseconds > SLEEP_LIMIT) microseconds = SLEEP_LIMIT;
    int64_t start = Timing_Time();
    int64_t target = start + microseconds;
    if (microseconds >= 2000) g_Clock->sleepMilliseconds((microseconds - 1000) / 1000);
    while (true) {
        ProcessMessages();
        int64_t now = Timing_Time();
        if (now < start || now >= target) return;
    }
}

// PLACEHOLDER for the timer issue.
void Timing_Wait(int64_t microseconds)
{
    Timing_Sleep(microseconds);
}

// PLACEHOLDER for the temporary-folder issue: no folder is made.
bool File_InitTempDirectory()
{
    return true;
}

// PLACEHOLDER for the temporary-folder issue: nothing was made, nothing to delete.
void File_DeleteTempFolder() {}

// PLACEHOLDER for the temporary-folder issue: no folder was made, so there is no path.
char* File_GetTempDirectory()
{
    return nullptr;
}
