// The Misc family's first group: events, the script log and variables by name.
#include <gtest/gtest.h>

#include <string>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"

using namespace testsupport;

TEST(MiscEvents, ShowDebugMessageWritesOneLineToTheScriptConsole)
{
    struct Case {
        TestArg argument;
        const char* line;
    };
    const Case cases[] = {
        {"hello", "hello\n"}, {"50% %s %d", "50% %s %d\n"}, {"", "\n"},
        {5, "5\n"},           {2.5, "2.50\n"},              {-0.125, "-0.13\n"},
    };
    for (const Case& c : cases) {
        LogCapture log(ScriptConsole);
        BuiltinResult result = CallBuiltin("show_debug_message", {c.argument});
        EXPECT_EQ(log.Text(), c.line);
        EXPECT_FALSE(result.IsText());
        EXPECT_EQ(result.real, 0);
    }
}
