#include "platform/Platform_FatalEnd.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Platform_MemoryManager.h"

namespace {

void Say(const char* text) { (void)!write(STDERR_FILENO, text, std::strlen(text)); }
void First() { Say("first\n"); }
void Second() { Say("second\n"); }
void FailsAgain() { MemoryManager::OutOfMemory(); }

} // namespace

// The steps run in the order they were added, each once however often it was added, and the list
// runs once however often it is asked to.
TEST(FatalEndDeath, StepsRunInOrderOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Platform_OnFatalEnd(Second);
            Platform_OnFatalEnd(First);
            Platform_OnFatalEnd(Second);
            Platform_RunFatalEndHooks();
            Platform_RunFatalEndHooks();
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "^second\nfirst\n$");
}

// Memory exhausted again inside a step ends the process at once: the line is written once, and the
// steps after the failing one do not run. Before main has begun, the line goes to standard error
// without the program's log (whose objects may not be made yet).
TEST(FatalEndDeath, AFailureInsideAStepEndsAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Platform_OnFatalEnd(First);
            Platform_OnFatalEnd(FailsAgain);
            Platform_OnFatalEnd(Second);
            MemoryManager::OutOfMemory();
        },
        testing::ExitedWithCode(255), "^Fatal Memory Error: Out of Memory!\nfirst\n$");
}
