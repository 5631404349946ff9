// An error unwinding through many script levels: each level notes its "In script" line and the
// outermost run puts them all in front of the text. The time per level should stay flat as the
// depth grows (a level-by-level prefix would grow with the depth).
#include <chrono>
#include <cstdio>

#include "code/Code_Error.h"

int main()
{
    using Clock = std::chrono::steady_clock;
    for (int32_t depth : {1000, 10000, 100000, 1000000}) {
        g_CodeErrorFlag = false;
        Code_Report_Error(nullptr, 0, "Stack overflow...");
        Clock::time_point start = Clock::now();
        for (int32_t level = 0; level < depth; ++level) Code_Error_NoteFailedLevel("In script ", "scr_runaway");
        Code_Error_FoldFailedLevels();
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%8d levels: %9.3f ms, %6.1f ns per level, text %zu bytes\n", depth, seconds * 1e3,
                    seconds * 1e9 / depth, g_CodeErrorText.size());
    }
    return 0;
}
