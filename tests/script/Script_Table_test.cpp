// The script table: the scripts chunk in both code forms, preparation, lookups and Script_Run with
// its argument slots.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "../gamefile/GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Header.h"
#include "run/Run_Globals.h"
#include "script/Script_Table.h"

namespace {

ScriptValue Real(double value) { return ScriptValue{VALUE_REAL, 0, value}; }

std::string Describe(const ScriptValue& value)
{
    if (Value_GetKind(&value) == VALUE_STRING) return std::string("\"") + Value_GetText(&value) + "\"";
    return std::to_string(static_cast<int64_t>(value.real));
}

// script_arg(n): argument slot n.
void Arg(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Value_Copy(result, &g_ScriptArguments[static_cast<int32_t>(args[0].real)]);
}

// script_run(index, arguments...): Script_Run from inside running code.
void RunNested(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    if (argc > 0) Script_Run(static_cast<int32_t>(args[0].real), self, other, argc - 1, result, args + 1);
}

class ScriptTest : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            Function_Add("script_arg", Arg, 1);
            Function_Add("script_run", RunNested, FUNCTION_ARGS_ANY);
            registered = true;
        }
        Script_Reset();
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorLast.clear();
        g_UseBytecode = 1;
        for (ScriptValue& slot : g_ScriptArguments) Value_SetReal(&slot, 0.0);
    }
    void TearDown() override { SetUp(); }

    // Runs the script with the arguments and describes its result.
    static std::string RunScript(int32_t index, std::vector<ScriptValue> arguments)
    {
        ScriptValue result = Real(-1.0);
        bool ran = Script_Run(index, nullptr, nullptr, static_cast<int32_t>(arguments.size()), &result, arguments.data());
        std::string described = (ran ? "" : "failed ") + Describe(result);
        Value_Free(&result);
        for (ScriptValue& argument : arguments) Value_Free(&argument);
        return described;
    }

    GameFile m_File;
    CapturedLog m_Log;
};

gamebuild::ScriptDesc Script(const std::string& name, const std::string& source)
{
    gamebuild::ScriptDesc script;
    script.name = name;
    script.code.source = source;
    return script;
}

gamebuild::GameDesc Library(bool compiled)
{
    gamebuild::ScriptDesc hole;
    hole.present = false;
    gamebuild::GameDesc game;
    game.compiledCode = compiled;
    game.scripts = {
        hole,
        Script("scr_sum", "return script_arg(0) + script_arg(1) + script_arg(2) + script_arg(3);"),
        Script("scr_outer", "var inner; inner = scr_sum(100, 20, 3); return inner * 10 + script_arg(0);"),
        Script("scr_nested", "script_run(4, \"inner\"); return script_arg(0) + script_arg(1);"),
        Script("scr_sum", "return script_arg(0);"),
    };
    return game;
}

class BothForms : public ScriptTest, public testing::WithParamInterface<bool> {};

TEST_P(BothForms, ScriptsAreFoundByNameAndIndexAndRunWithTheirArguments)
{
    ASSERT_TRUE(LoadBothPasses(m_File, BuildBytes(Library(GetParam())))) << m_Log.Text();
    ASSERT_TRUE(Script_Prepare()) << g_ErrorLast;
    EXPECT_STREQ("<undefined>", Script_Name(5));
    EXPECT_EQ(1, Script_Find("scr_sum")); // the lower of two of that name
    EXPECT_EQ(-1, Script_Find("SCR_SUM"));
    EXPECT_EQ(GetParam() ? "" : "return script_arg(0);", std::string(Script_Get(4)->GetText()));

    // Three arguments: the fourth slot reads 0.
    EXPECT_EQ("6", RunScript(1, {Real(1), Real(2), Real(3)}));
    // A script calling another by name from its code.
    EXPECT_EQ("1234", RunScript(2, {Real(4)}));
    // A nested Script_Run sees its own arguments; the outer ones are intact afterwards.
    std::vector<ScriptValue> texts(2, Real(0));
    Value_SetText(&texts[0], "a");
    Value_SetText(&texts[1], "b");
    EXPECT_EQ("\"ab\"", RunScript(3, texts));
    EXPECT_EQ("failed -1", RunScript(0, {}));

    // At most 16 arguments are installed; the caller's slots are back afterwards.
    Value_SetReal(&g_ScriptArguments[15], 15.0);
    EXPECT_EQ("4", RunScript(1, std::vector<ScriptValue>(20, Real(1))));
    EXPECT_EQ(15.0, g_ScriptArguments[15].real);
}

INSTANTIATE_TEST_SUITE_P(CodeForms, BothForms, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

// Preparation stops at the first script that does not compile; the ones before it run, and a failed
// run prefixes its error with the script's name and restores the caller's arguments. A long name
// names the code whole; the failing script's name is shown printable.
TEST_F(ScriptTest, ACompileErrorStopsPreparationAndAFailedRunIsPrefixed)
{
    std::string name(300, 'n');
    gamebuild::GameDesc game;
    game.scripts = {Script(name, "return 1;"), Script("scr_bad", "var s; s = \"text\"; return s - script_arg(0);"),
                    Script("scr_broken\x1B]0;pwned\x07", "return ;;("), Script("scr_after", "return 2;")};
    g_UseBytecode = 0; // the tree walker's errors come back to the caller
    ASSERT_TRUE(LoadBothPasses(m_File, BuildBytes(game)));
    EXPECT_FALSE(Script_Prepare());
    EXPECT_EQ(0u, g_ErrorLast.find("COMPILATION ERROR in Script: scr_broken[1B]]0;pwned[07]\n")) << g_ErrorLast;
    ASSERT_NE(nullptr, Script_Get(0)->GetCode());
    EXPECT_EQ("Script." + name, Script_Get(0)->GetCode()->GetName());
    EXPECT_EQ("failed -1", RunScript(3, {})) << "not prepared";

    Value_SetText(&g_ScriptArguments[1], "kept");
    g_CodeErrorFlag = false;
    EXPECT_EQ("failed \"ERROR\"", RunScript(1, {Real(1)}));
    EXPECT_EQ(0u, g_CodeErrorText.find("In script scr_bad:\n")) << g_CodeErrorText;
    EXPECT_STREQ("kept", Value_GetText(&g_ScriptArguments[1]));
    g_CodeErrorFlag = false;
}

TEST_F(ScriptTest, RecordsOutsideTheFileAreRefused)
{
    gamebuild::GameDesc game;
    game.scripts = {Script("scr", "return 1;")};
    std::vector<uint8_t> bytes = BuildBytes(game);
    const uint32_t record = ChunkRecord(bytes, "SCPT", 0), size = static_cast<uint32_t>(bytes.size());
    WriteWord(bytes, record + 4, size + 10);
    EXPECT_FALSE(LoadBothPasses(m_File, bytes));
    EXPECT_TRUE(m_Log.Has(EntryRefusal("SCPT", "script 0", record, size).Outside("its text", size + 10) + "\n"))
        << m_Log.Text();
}

// The script a name finds is the one the walk in index order finds first, by exact comparison:
// through a load, scripts appended at run time (a later one of a known name, a hole with a name, a
// script named ""), and a second game loaded over the first. Scripts are never deleted singly.
TEST_F(ScriptTest, FindByNameAgreesWithTheWalkInIndexOrder)
{
    auto walk = [](const char* name) {
        for (int32_t i = 0; i < Script_Count(); ++i)
            if (Script_Exists(i) && std::strcmp(Script_Name(i), name) == 0) return i;
        return -1;
    };
    const char* const probes[] = {"scr_sum", "SCR_SUM", "scr_Sum", "scr_outer", "scr_late", "scr_ghost", "", "scr_x"};
    const struct {
        const char* step;
        std::function<void()> change;
        int32_t sumFound, lateFound;
    } steps[] = {
        {"loaded", [] {}, 1, -1},
        {"appended", [] { Script_Append(new CScript(), "scr_late"); }, 1, 5},
        {"a later duplicate", [] { Script_Append(new CScript(), "scr_sum"); }, 1, 5},
        {"a named hole", [] { Script_Append(nullptr, "scr_ghost"); }, 1, 5},
        {"an empty name", [] { Script_Append(new CScript(), ""); }, 1, 5},
        {"another game", [this] {
             gamebuild::GameDesc game;
             game.scripts = {Script("scr_late", "return 1;"), Script("scr_sum", "return 2;")};
             ASSERT_TRUE(LoadBothPasses(m_File, BuildBytes(game))) << m_Log.Text();
         }, 1, 0},
        {"reset", [] { Script_Reset(); }, -1, -1},
    };
    ASSERT_TRUE(LoadBothPasses(m_File, BuildBytes(Library(false)))) << m_Log.Text();
    for (const auto& s : steps) {
        s.change();
        for (const char* name : probes) EXPECT_EQ(walk(name), Script_Find(name)) << s.step << ": " << name;
        EXPECT_EQ(s.sumFound, Script_Find("scr_sum")) << s.step;
        EXPECT_EQ(s.lateFound, Script_Find("scr_late")) << s.step;
        EXPECT_EQ(-1, Script_Find(nullptr)) << s.step;
    }
}

} // namespace
