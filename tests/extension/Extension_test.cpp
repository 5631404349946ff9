// The extension chunk as the builder writes it, malformed chunks, and preparing and calling package
// functions: library functions of the test library, script functions, and the init and final passes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "../TestSupport_Console.h"
#include "../TestSupport_ExternalCalls.h"
#include "../gamefile/GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "app/App_Paths.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Globals.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
using testsupport::TestArg;

namespace {

std::vector<uint8_t> BuildExtensions(const std::string& packages)
{
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_TRUE(gamebuild::ReadManifest("{\"extensions\": " + packages + "}", ".", game, errors)) << errors;
    if (game.extensions.empty()) game.rawChunks.push_back({"EXTN", {0, 0, 0, 0}}); // the builder leaves it out
    return BuildBytes(game);
}

const char* const PACKAGES = R"([null, {"name": "Pkg", "folder": "Dir", "files": [
    {"name": "lib\\ext.dll", "init": "ext_init", "final": "ext_final", "functions": [
      {"name": "ext_add", "external": "add", "id": 3, "convention": "stdcall", "arguments": ["real", "string"],
       "returns": "string"},
      {"name": "ext_many", "id": 7, "arguments": ["string", "string", "string", "string", "string", "string",
       "string", "string", "string", "string", "string", "string", "string", "string", "string", "string", "string"]}]}]}])";

class Extension : public testing::Test {
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
    bool Load(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        return LoadGameChunks(m_File);
    }
    bool LoadAndPrepare(const std::string& packages) { return Load(BuildExtensions(packages)) && Extension_Prepare(); }
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
    // Through the tree executor's call, or the interpreter's.
    static testsupport::CallAnswer Call(int32_t id, const std::vector<TestArg>& arguments, bool* done = nullptr,
                                        bool tree = true)
    {
        std::vector<ScriptValue> values = testsupport::MakeValues(arguments);
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        auto argc = static_cast<int32_t>(values.size());
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

TEST_F(Extension, ChunkGivesPackagesFilesAndFunctions)
{
    ASSERT_TRUE(Load(BuildExtensions(PACKAGES)));
    ASSERT_EQ(2, Extension_PackageCount());
    EXPECT_EQ(nullptr, Extension_GetPackage(0));
    const CExtensionPackage* package = Extension_GetPackage(1);
    EXPECT_EQ("Dir", package->folderName);
    const CExtensionFile* file = package->files.at(0);
    EXPECT_EQ((std::vector<std::string>{"lib\\ext.dll", "ext_init", "ext_final"}),
              (std::vector<std::string>{file->fileName, file->initName, file->finalName}));
    EXPECT_EQ(EXTENSION_FILE_LIBRARY, file->kind);
    const CExtensionFunction* add = file->functions.at(0);
    EXPECT_EQ("add", add->externalName);
    EXPECT_EQ(11, add->kind);
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->returnType);
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->GetArgType(1));
    const CExtensionFunction* many = file->functions.at(1);
    EXPECT_EQ("ext_many", many->externalName) << "the builder's default: the name";
    EXPECT_EQ(17, many->argCount);
    // The 17th type has no slot: it reads as real, as any slot beyond does.
    EXPECT_EQ(EXTENSION_TYPE_STRING, many->GetArgType(15));
    EXPECT_EQ(EXTENSION_TYPE_REAL, many->GetArgType(16));
    EXPECT_EQ(3, Extension_FindFunction("ext_add"));
    EXPECT_EQ(-1, Extension_FindFunction("add")) << "scripts call the name, not the export";
    EXPECT_EQ(-1, Extension_FindFunction(nullptr));
    EXPECT_EQ(2, Extension_GetFunctionArgCount(3));
    EXPECT_EQ(-100, Extension_GetFunctionArgCount(-100));
    EXPECT_EQ(nullptr, Extension_GetFunctionName(4));
    char* name = Extension_GetFunctionName(7);
    EXPECT_STREQ("ext_many", name);
    MemoryManager::Free(name);
}

TEST_F(Extension, MalformedChunksAreRefused)
{
    std::vector<uint8_t> good = BuildExtensions(PACKAGES);
    auto size = static_cast<uint32_t>(good.size());
    auto body = static_cast<uint32_t>(FindChunk(good, "EXTN")) + 8;
    uint32_t package = ReadWord(good, body + 8), file = ReadWord(good, package + 12), function = ReadWord(good, file + 20);
    const struct { uint32_t at, value; } cases[] = {
        {body, 1000},                 {body + 8, size + 4},         {body + 8, size - 8}, // a package record cut by the end
        {package, size + 100},        {package + 4, size - 1},      // a name without a terminator
        {package + 8, 0x40000000},    {package + 12, 0xFFFFFFF0},   {file + 16, 1000},    {file + 20, size},
        {function, 0xFFFFFFFF},       {function + 16, size + 1},
        {function + 4, 0xFFFFFFFF},   {function + 4, (1u << 20) + 1}, // ids below 0 or above 2^20
        {function + 20, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        if (c.at == package + 4) bytes.back() = 'x'; // the file's last text loses its terminator
        testsupport::ConsoleCapture log;
        EXPECT_FALSE(Load(bytes)) << &c - cases;
        EXPECT_NE(std::string::npos, log.console.text.find("Malformed Chunk EXTN")) << &c - cases << ": " << log.console.text;
    }
    WriteWord(good, function + 4, 1u << 20);
    EXPECT_TRUE(Load(good)) << "the largest id";
    // Packages sharing a file table: 4000 packages naming one table of 2000 files would make far more
    // objects than the file holds records.
    std::string packages = "[{\"files\": [{}";
    for (int i = 1; i < 2000; ++i) packages += ", {}";
    packages += "]}";
    for (int i = 1; i < 4000; ++i) packages += ", {}";
    std::vector<uint8_t> bytes = BuildExtensions(packages + "]");
    body = static_cast<uint32_t>(FindChunk(bytes, "EXTN")) + 8;
    for (uint32_t p = 1; p < 4000; ++p) WriteWord(bytes, body + 4 + 4 * p, ReadWord(bytes, body + 4));
    testsupport::ConsoleCapture log;
    EXPECT_FALSE(Load(bytes));
    EXPECT_NE(std::string::npos, log.console.text.find("more files than the file can hold"));
}

TEST(ExtensionManifest, MistakesNameTheirPlace)
{
    const char* manifest = R"({"extensions": [{"files": [{"kind": "one", "functions": [
        {"returns": "text", "arguments": ["real", 2, "int"], "id": 1.5, "extra": 0}]}], "size": 1}, 3]})";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(manifest, ".", game, errors));
    for (const char* expected :
         {"files[0].kind: expected a whole number", "functions[0].returns: unknown name", "arguments[2]: unknown name",
          "functions[0].id: expected a whole number", "functions[0].extra: unknown key", "extensions[0].size: unknown key",
          "extensions[1]: expected an object"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;
}

// Library functions are defined from the game's folder (a relative name keeps its subfolders; "\" and
// ".dll" are read for this platform); a package in the folder "WexoGames" takes no part.
TEST_F(Extension, LibraryFunctionsAreDefinedAndCalledById)
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
    const struct { int32_t id; std::vector<TestArg> args; double real; std::string text; bool done; } cases[] = {
        {1, {1.5, "ab"}, 0, "r1.5,sab,", true}, {2, {"a", "bcd"}, 700, "", true},
        {2, {"a"}, 0, "", true},                // the wrong count calls nothing
        {4, {}, 0, "", true}, {6, {}, 0, "", true}, // refused definitions: index -1
        {3, {}, 0, "", true},                   // inside the table, no function
        {7, {}, 0, "", false}, {-1, {}, 0, "", false},
    };
    for (const auto& c : cases)
        for (bool tree : {true, false}) {
            bool done = false;
            testsupport::CallAnswer answer = Call(c.id, c.args, &done, tree);
            EXPECT_EQ(c.done, done) << c.id;
            EXPECT_EQ(c.text.empty() ? VALUE_REAL : VALUE_STRING, answer.kind) << c.id;
            EXPECT_EQ(c.real, answer.real) << c.id;
            EXPECT_EQ(c.text, answer.text) << c.id;
        }
    // An empty chunk prepares tables of one entry: id 0, which names no definition.
    Extension_Clear();
    DLL_Clear();
    ASSERT_TRUE(LoadAndPrepare("[]"));
    EXPECT_EQ(0, Extension_PackageCount());
    EXPECT_EQ(0, Extension_HighestId());
    bool done = false;
    EXPECT_EQ(0.0, Call(0, {}, &done, false).real);
    EXPECT_TRUE(done);
    Call(1, {}, &done, false);
    EXPECT_FALSE(done);
}

// Called with 3 arguments, a script function sees argument3 to argument15 as 0; the caller's slots
// are put back afterwards, in both executors.
TEST_F(Extension, ScriptFunctionsRunWithTheirOwnArgumentSlotsAndReportTheirErrors)
{
    AddScriptFunction("ext_sum", 2, "return argument0 + argument1 + argument2 + argument3 + argument15;");
    AddScriptFunction("ext_bad", 1, "return argument0 - 1;");
    ASSERT_TRUE(Extension_Prepare());
    EXPECT_TRUE(Extension_IsScriptFunction(2));
    EXPECT_NE(nullptr, Extension_GetFunctionCode(2));
    Value_SetReal(&g_ScriptArguments[0], 5);
    Value_SetText(&g_ScriptArguments[3], "caller's");
    Value_SetReal(&g_ScriptArguments[15], 1000);
    bool done = false;
    for (uint8_t bytecode : {1, 0}) {
        g_UseBytecode = bytecode;
        EXPECT_EQ(7.0, Call(2, {1.0, 2.0, 4.0}, &done).real);
        EXPECT_TRUE(done) << g_CodeErrorText;
        EXPECT_EQ(5.0, g_ScriptArguments[0].real);
        EXPECT_STREQ("caller's", Value_GetText(&g_ScriptArguments[3]));
        EXPECT_EQ(1000.0, g_ScriptArguments[15].real);
    }
    Call(2, {1.0, 2.0, 4.0}, &done, false);
    EXPECT_FALSE(done) << "the interpreter's call reaches library functions only";
    EXPECT_EQ("ERROR", Call(2, std::vector<TestArg>(17, TestArg(1.0)), &done).text); // 16 slots only
    EXPECT_FALSE(done);
    EXPECT_EQ(1000.0, g_ScriptArguments[15].real);

    EXPECT_EQ("ERROR", Call(1, {"text"}, &done).text);
    EXPECT_FALSE(done);
    EXPECT_EQ(0u, g_CodeErrorText.find("In extension function ext_bad: \n")) << g_CodeErrorText;
    AddScriptFunction("ext_broken", 3, "return +;");
    EXPECT_FALSE(Extension_Prepare());
    EXPECT_EQ(0u, g_ErrorLast.find("COMPILATION ERROR in extension package Pkg\n")) << g_ErrorLast;
}

// The init pass calls the package's library functions by name and stops at the first file whose
// function cannot be found: the files after it are not visited.
TEST_F(Extension, InitAndFinalPassesStopAtAMissingFunction)
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
