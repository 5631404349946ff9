// The resource family's script, time-line and path groups, called by script name: their rows,
// script_execute's arguments and results, and the messages of misuse.
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "../object/ObjectTestSupport.h"
#include "Function_TestCases.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Interpreter.h"
#include "path/Path_Table.h"
#include "script/Script_Table.h"
#include "timeline/Timeline_Table.h"
#include "variable/Variable_BuiltIn.h"

using testsupport::BuiltinResult;
using testsupport::CallBuiltin;

namespace {

TEST(ScriptPathRows, NamesAndCountsInTheirOrder)
{
    functiontest::ExpectRegisteredRun(
        "script_* exists:1 get_name:1 name:1 get_text:1 ~ timeline_* moment_clear:2 moment_add:3");
    functiontest::ExpectRegisteredRun(
        "path_* exists:1 get_name:1 name:1 get_length:1 ~ rescale:3 shift:3");
}

class ResourceBuiltins : public objecttest::ObjectTest {
protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        objecttest::ObjectTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        if (g_BuiltinVariableCount == 0) Variable_BuiltIn_Init();
        Script_Reset();
        Path_Reset();
        TimeLine_Reset();
        for (const char* source : {"return argument_count;", "return argument0 + argument14 + argument15;",
                                   "var s; s = \"made\"; return s + \"here\";", "var s; s = \"text\"; return s - 1;"}) {
            auto* script = new CScript();
            script->SetText(source);
            Script_Append(script, source[7] == 'a' ? "scr_count" : "scr_bad");
            EXPECT_TRUE(script->Compile()) << g_CodeErrorText;
        }
        m_Self = MakeInstance(AddObject());
    }
    void TearDown() override
    {
        Script_Reset();
        Path_Reset();
        TimeLine_Reset();
        g_UseBytecode = 1;
        objecttest::ObjectTest::TearDown();
    }
    BuiltinResult Call(const char* name, const std::vector<testsupport::TestArg>& args)
    {
        return CallBuiltin(name, args, m_Self, m_Self);
    }
    // Whether the last report holds the message; forgets it.
    static bool Reported(const char* message)
    {
        bool found = g_ErrorLast.find(message) != std::string::npos;
        g_ErrorLast.clear();
        return found;
    }
    CInstance* m_Self = nullptr;
};

TEST_F(ResourceBuiltins, ScriptExecutePassesFifteenArgumentsAndKeepsTheCallersCount)
{
    std::vector<testsupport::TestArg> args = {0};
    for (int32_t i = 1; i <= 19; ++i) args.push_back(i);
    g_ScriptArgumentCount = 4;
    EXPECT_EQ(15.0, Call("script_execute", args).real);
    EXPECT_EQ(4, g_ScriptArgumentCount);
    args[0] = 1;
    EXPECT_EQ(1.0 + 15.0 + 0.0, Call("script_execute", args).real); // argument15 stays 0
    functiontest::ExpectCases({{"script_execute", {2}, "madehere"}, {"script_execute", {9}, 0}}, m_Self);
    EXPECT_TRUE(Reported("Trying to execute non-existing script."));
    g_UseBytecode = 0; // the tree walker's errors come back to the caller
    ASSERT_TRUE(Script_Get(3)->Compile());
    Call("script_execute", {3});
    EXPECT_TRUE(Reported("In script scr_bad:\n"));
    EXPECT_FALSE(g_ErrorQuitting || g_CodeErrorFlag);
}

TEST_F(ResourceBuiltins, ScriptAndTimeLineQueriesAndMisuse)
{
    auto* line = new CTimeLine();
    line->AddMoment(4, nullptr);
    line->AddMoment(8, nullptr);
    TimeLine_Append(line, "tl_a");
    TimeLine_Append(new CTimeLine(), "tl_b");
    functiontest::ExpectCases({
        {"script_exists", {4}, 0}, {"script_get_name", {0}, "scr_count"}, {"script_name", {-1}, "<undefined>"},
        {"script_get_text", {0}, "return argument_count;"}, {"script_get_text", {7}, ""}, {"timeline_exists", {1}, 1},
        {"timeline_name", {2}, "<undefined>"}, {"timeline_add", {}, -1},
        {"timeline_moment_clear", {0, 4.4}, 0},
    });
    EXPECT_EQ(1, line->GetMomentCount());
    testsupport::LogCapture log;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(0.0, Call("timeline_moment_add", {0, 1, "x = 1"}).real);
    EXPECT_EQ(1, line->GetMomentCount());
    EXPECT_EQ("timeline_moment_add :: deprecated function\ntimeline_moment_add :: deprecated function\n", log.Text());
    functiontest::ExpectCases({{"timeline_delete", {0}, 1}, {"timeline_get_name", {0}, "tl_b"}, {"timeline_delete", {1}, 0}});
    EXPECT_TRUE(Reported("Trying to delete non-existing timeline."));
}

TEST_F(ResourceBuiltins, PathBuiltinsEditQueryAndReportMisuse)
{
    // The point's index is not returned by path_add_point.
    functiontest::ExpectCases({
        {"path_add", {}, 0}, {"path_add_point", {0, 10, 20, 50}, 0}, {"path_get_x", {0, 0.5}, 10},
        {"path_get_name", {0}, "__newpath0"}, {"path_get_point_speed", {0, 3}, 1}, {"path_get_point_speed", {1, 0}, -1},
        {"path_get_number", {0}, 1}, {"path_get_closed", {0}, 1}, {"path_get_length", {5}, -1},
        {"path_clear_points", {0}, 0}, {"path_get_speed", {0, 0.5}, 100},
        {"path_set_precision", {0, 12}, 0}, {"path_get_precision", {0}, 8},
    });
    for (auto [name, args, message] : std::vector<std::tuple<const char*, std::vector<testsupport::TestArg>, const char*>>{
             {"path_duplicate", {3}, "Trying to duplicate non-existing path."},
             {"path_append", {3, 0}, "Appending to non-existing path."}, {"path_append", {0, 3}, "Appending a non-existing path."},
             {"path_delete", {3}, "Trying to delete non-existing path."}, {"path_assign", {3, 0}, "Error assigning a path."}}) {
        EXPECT_EQ(0.0, Call(name, args).real);
        EXPECT_TRUE(Reported(message)) << name;
    }
    testsupport::LogCapture log(ScriptConsole);
    Call("path_assign", {0, 0});
    size_t self = log.Text().find("ERROR: Can not assign a path to itself!");
    EXPECT_NE(std::string::npos, self);
    EXPECT_NE(std::string::npos, log.Text().find("Error assigning a path.", self));
    functiontest::ExpectCases({{"path_duplicate", {0}, 1}, {"path_delete", {1}, 1}});
}

} // namespace
