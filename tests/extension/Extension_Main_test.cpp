// Preparing extension packages and calling their functions: library functions of the test library,
// script functions with their argument slots, and the init and final passes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "../TestSupport_ExternalCalls.h"
#include "ExtensionTestSupport.h"
#include "app/App_CommandLine.h"
#include "app/App_Paths.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Class.h"
#include "run/Run_Globals.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
using testsupport::TestArg;

namespace {

class ExtensionPackages : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testsupport::RegisterBuiltins();
        Variable_BuiltIn_Init();
    }
    void SetUp() override
    {
        m_Game = fs::path(testing::TempDir()) / ("extension_game_" + std::to_string(getpid()));
        testsupport::CopyTestLibrary(m_Game / "libs", "testext.so");
        App_SetGameFileName((m_Game / "game.win").c_str());
        App_ResetPaths();
        g_GameOptions.showErrors = false;
        g_ErrorLast.clear();
        g_UseBytecode = 1;
    }
    void TearDown() override
    {
        Extension_Clear();
        DLL_Clear();
        App_ClearGameFileName();
        App_ResetPaths();
        g_ErrorQuitting = false;
        g_RunRequest = RUN_REQUEST_NONE;
        g_CodeErrorFlag = false;
        for (ScriptValue& slot : g_ScriptArguments) Value_SetReal(&slot, 0.0);
        fs::remove_all(m_Game);
    }
    bool LoadAndPrepare(const std::string& packages)
    {
        return extensiontest::LoadExtensions(m_File, extensiontest::BuildExtensions(packages)) && Extension_Prepare();
    }
    // A script function in a package of its own (the game file carries no script text).
    static void AddScriptFunction(const char* name, int32_t id, const char* text)
    {
        auto* package = new CExtensionPackage();
        package->name = "Pkg";
        package->SetFileCount(1);
        package->files[0]->kind = EXTENSION_FILE_SCRIPT;
        package->files[0]->SetFunctionCount(1);
        CExtensionFunction* f = package->files[0]->functions[0];
        f->name = name;
        f->id = id;
        f->scriptText = text;
        Extension_AddPackage(package);
    }
    // Extension_CallFunction (the tree executor's call) or Extension_CallDll (the interpreter's).
    static testsupport::CallAnswer Call(int32_t id, const std::vector<TestArg>& arguments, bool* done = nullptr,
                                        bool tree = true)
    {
        std::vector<ScriptValue> values = testsupport::MakeValues(arguments);
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        int32_t argc = static_cast<int32_t>(values.size());
        auto* self = new CInstance(0.0f, 0.0f, 0, 0, false);
        bool called = tree ? Extension_CallFunction(id, self, self, argc, values.data(), &result)
                           : Extension_CallDll(id, argc, values.data(), &result);
        delete self;
        if (done != nullptr) *done = called;
        testsupport::FreeValues(values);
        return testsupport::TakeResult(result);
    }
    fs::path m_Game;
    GameFile m_File;
};

TEST_F(ExtensionPackages, AnEmptyChunkPreparesTablesOfOneEntry)
{
    ASSERT_TRUE(LoadAndPrepare("[]"));
    EXPECT_EQ(0, Extension_HighestId());
    bool done = false;
    EXPECT_EQ(0.0, Call(0, {}, &done, false).real);
    EXPECT_TRUE(done) << "id 0 has an entry, which names no definition";
    Call(1, {}, &done, false);
    EXPECT_FALSE(done);
}

// Library functions defined from the game's folder (a relative name keeps its subfolders; "\" and
// ".dll" are read for this platform); a package in the folder "WexoGames" takes no part.
TEST_F(ExtensionPackages, LibraryFunctionsAreDefinedAndCalledById)
{
    ASSERT_TRUE(LoadAndPrepare(R"([{"folder": "Dir", "files": [{"name": "libs\\testext.dll", "functions": [
        {"name": "ext_rs", "external": "f_rs_s", "id": 1, "arguments": ["real", "string"], "returns": "string"},
        {"name": "ext_ss", "external": "f_ss_r", "id": 2, "convention": "stdcall", "arguments": ["string", "string"]},
        {"name": "ext_gone", "external": "no_such_export", "id": 4},
        {"name": "ext_many", "external": "sum16", "id": 6, "arguments": ["real", "real", "real", "real", "real", "real",
         "real", "real", "real", "real", "real", "real", "real", "real", "real", "real", "real"]}]}]},
      {"folder": "WexoGames", "files": [{"name": "libs/testext.dll", "functions": [
        {"name": "ext_dropped", "external": "f__r", "id": 9}]}]}])"));
    EXPECT_EQ(6, Extension_HighestId());
    EXPECT_EQ(-1, Extension_FindFunction("ext_dropped"));
    EXPECT_EQ(2, DLL_Count()) << "17 arguments and a missing export are refused";
    const struct {
        int32_t id;
        std::vector<TestArg> args;
        double real;
        std::string text;
        bool done;
    } cases[] = {
        {1, {1.5, "ab"}, 0, "r1.5,sab,", true},
        {2, {"a", "bcd"}, 700, "", true},
        {2, {"a"}, 0, "", true}, // the wrong count calls nothing
        {4, {}, 0, "", true},    // a refused definition: index -1
        {6, {}, 0, "", true},
        {3, {}, 0, "", true},    // inside the table, no function
        {7, {}, 0, "", false},   // above the highest id
        {-1, {}, 0, "", false},
    };
    for (const auto& c : cases) {
        for (bool tree : {true, false}) {
            bool done = false;
            testsupport::CallAnswer answer = Call(c.id, c.args, &done, tree);
            EXPECT_EQ(c.done, done) << c.id;
            EXPECT_EQ(c.text.empty() ? VALUE_REAL : VALUE_STRING, answer.kind) << c.id;
            EXPECT_EQ(c.real, answer.real) << c.id;
            EXPECT_EQ(c.text, answer.text) << c.id;
        }
    }
}

// Called with 3 arguments, a script function sees argument3 to argument15 as 0; the caller's slots
// are put back afterwards, in both executors.
TEST_F(ExtensionPackages, ScriptFunctionsRunWithTheirOwnArgumentSlots)
{
    AddScriptFunction("ext_sum", 2, "return argument0 + argument1 + argument2 + argument3 + argument15;");
    ASSERT_TRUE(Extension_Prepare());
    EXPECT_TRUE(Extension_IsScriptFunction(2));
    EXPECT_NE(nullptr, Extension_GetFunctionCode(2));
    Value_SetReal(&g_ScriptArguments[0], 5);
    Value_SetText(&g_ScriptArguments[3], "caller's");
    Value_SetReal(&g_ScriptArguments[15], 1000);
    for (uint8_t bytecode : {1, 0}) {
        g_UseBytecode = bytecode;
        bool done = false;
        EXPECT_EQ(7.0, Call(2, {1.0, 2.0, 4.0}, &done).real);
        EXPECT_TRUE(done) << g_CodeErrorText;
        EXPECT_EQ(5.0, g_ScriptArguments[0].real);
        EXPECT_STREQ("caller's", Value_GetText(&g_ScriptArguments[3]));
        EXPECT_EQ(1000.0, g_ScriptArguments[15].real);
    }
    bool done = true;
    Call(2, {1.0, 2.0, 4.0}, &done, false);
    EXPECT_FALSE(done) << "the interpreter's call reaches library functions only";
    // Only 16 slots can take arguments.
    testsupport::CallAnswer answer = Call(2, std::vector<TestArg>(17, TestArg(1.0)), &done);
    EXPECT_FALSE(done);
    EXPECT_EQ("ERROR", answer.text);
    EXPECT_EQ(1000.0, g_ScriptArguments[15].real);
}

TEST_F(ExtensionPackages, FailingScriptFunctions)
{
    AddScriptFunction("ext_bad", 1, "return argument0 - 1;");
    ASSERT_TRUE(Extension_Prepare());
    g_UseBytecode = 0;
    bool done = true;
    EXPECT_EQ("ERROR", Call(1, {"text"}, &done).text);
    EXPECT_FALSE(done);
    EXPECT_EQ(0u, g_CodeErrorText.find("In extension function ext_bad: \n")) << g_CodeErrorText;

    AddScriptFunction("ext_broken", 2, "return +;");
    EXPECT_FALSE(Extension_Prepare());
    EXPECT_EQ(0u, g_ErrorLast.find("COMPILATION ERROR in extension package Pkg\n")) << g_ErrorLast;
}

// The init pass calls the package's library functions by name and stops at the first file whose
// function cannot be found: the files after it are not visited.
TEST_F(ExtensionPackages, InitAndFinalPassesStopAtAMissingFunction)
{
    ASSERT_TRUE(LoadAndPrepare(R"([{"files": [
        {"name": "libs/testext.dll", "init": "testext_init", "functions": [
          {"name": "testext_init", "id": 1}, {"name": "init_calls", "id": 2}]},
        {"name": "other.dll", "init": "nope", "final": "gone_final"},
        {"name": "other.dll", "init": "testext_init"}]}])"));
    double before = Call(2, {}).real;
    EXPECT_FALSE(Extension_CallInitFunctions());
    EXPECT_EQ("Could not locate initialization function nope", g_ErrorLast);
    EXPECT_EQ(before + 1, Call(2, {}).real);
    EXPECT_FALSE(Extension_CallFinalFunctions());
    EXPECT_EQ("Could not locate finalization function gone_final", g_ErrorLast);
}

} // namespace
