// The extension chunk written out word by word from its layout and read through the real reader,
// malformed chunks, the init and final passes, and script functions with their own argument slots
// (library functions of the test library are called by id and by name end to end).
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "../TestSupport_ExternalCalls.h"
#include "../gamefile/GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_BuiltIn.h"

using testsupport::TestArg;

namespace {

// Two package slots, the first empty; the package (folder, name, one file), its file (name, final
// and init names, kind 1, two functions), a function of two arguments (name, id 3, convention 11,
// string result, external name, real and string) and one of 17 whose last type has no slot; then
// the texts.
const uint32_t PACKAGE = 12, FILE_RECORD = PACKAGE + 16, ADD = FILE_RECORD + 28, MANY = ADD + 32, TEXT = MANY + 92;
std::vector<uint8_t> HandWrittenChunk()
{
    std::vector<uint8_t> bytes = Words({2, 0, PACKAGE, TEXT, TEXT + 4, 1, FILE_RECORD, TEXT + 8, TEXT + 20, TEXT + 30, 1, 2,
                                        ADD, MANY, TEXT + 39, 3, 11, 1, TEXT + 47, 2, 2, 1, TEXT + 51, 7, 0, 2, TEXT + 51, 17,
                                        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2});
    for (char c : std::string("Dir\0Pkg\0lib\\ext.dll\0ext_final\0ext_init\0ext_add\0add\0ext_many\0", 60))
        bytes.push_back(uint8_t(c));
    return bytes;
}

bool LoadChunk(GameFile& file, const std::vector<uint8_t>& bytes)
{
    LoadInto(file, bytes);
    return Extension_LoadChunk(file, 0, PACKAGE);
}

TEST(ExtensionChunk, HandWrittenRecordsAreReadFieldByFieldMalformedOnesRefusedAndTheInitPassRun)
{
    GameFile file;
    ASSERT_TRUE(LoadChunk(file, HandWrittenChunk()));
    ASSERT_EQ(nullptr, Extension_GetPackage(0));
    const CExtensionPackage* package = Extension_GetPackage(1);
    const CExtensionFile* x = package->files.at(0); // the file record
    const CExtensionFunction *add = x->functions.at(0), *many = x->functions.at(1);
    EXPECT_EQ((std::vector<std::string>{"Dir", "Pkg", "lib\\ext.dll", "ext_final", "ext_init", "ext_add", "add", "ext_many"}),
              (std::vector<std::string>{package->folderName, package->name, x->fileName, x->finalName, x->initName,
                                        add->name, add->externalName, many->externalName}));
    // The 17th type has no slot: it reads as real, as any slot beyond does.
    EXPECT_EQ((std::vector<int32_t>{EXTENSION_FILE_LIBRARY, 3, 11, EXTENSION_TYPE_STRING, 2, EXTENSION_TYPE_REAL,
                                    EXTENSION_TYPE_STRING, 7, 17, EXTENSION_TYPE_STRING, EXTENSION_TYPE_REAL}),
              (std::vector<int32_t>{x->kind, add->id, add->kind, add->returnType, add->argCount, add->GetArgType(0),
                                    add->GetArgType(1), many->id, many->argCount, many->GetArgType(15), many->GetArgType(16)}));
    EXPECT_EQ((std::vector<int32_t>{2, 3, -1, 2, -100}),
              (std::vector<int32_t>{Extension_PackageCount(), Extension_FindFunction("ext_add"), Extension_FindFunction("add"),
                                    Extension_GetFunctionArgCount(3), Extension_GetFunctionArgCount(-100)}));
    char* name = Extension_GetFunctionName(7);
    EXPECT_STREQ("ext_many", name);
    MemoryManager::Free(name);

    const std::vector<uint8_t> good = HandWrittenChunk();
    auto size = static_cast<uint32_t>(good.size());
    // A count past the chunk; records cut by the end; names outside the file or without a
    // terminator; counts past the file; ids below 0 or above 2^20. Each line names the record, where
    // it lies, and what lies outside.
    const EntryRefusal packageRecord("EXTN", "package 1", PACKAGE, size);
    const EntryRefusal function("EXTN", "package 1 file 0 function 0", ADD, size);
    const std::tuple<uint32_t, uint32_t, std::string> cases[] = {
        {0, 1000, "EXTN: the count table at file offset 0: the pointer list of its 1000 entries at file offset 4 "
                  "(4000 bytes) runs past the end of its chunk (12 bytes at file offset 0)"},
        {8, size - 8, EntryRefusal("EXTN", "package 1", size - 8, size).Past("its record", size - 8, 12)},
        {PACKAGE, size + 100, packageRecord.Outside("its folder name", size + 100)},
        {PACKAGE + 4, size - 1, packageRecord.Unterminated("its name", size - 1)},
        {PACKAGE + 8, 0x40000000,
         packageRecord.Past("its record and its list of 1073741824 files", PACKAGE, 4294967308)},
        {FILE_RECORD + 16, 1000,
         EntryRefusal("EXTN", "package 1 file 0", FILE_RECORD, size)
             .Past("its record and its list of 1000 functions", FILE_RECORD, 4020)},
        {ADD + 20, 0x7FFFFFFF, function.Past("its record and its list of 2147483647 argument types", ADD, 8589934612)},
        {ADD + 4, 0xFFFFFFFF, function.Line("its id -1 lies outside 0 to 1048576")},
        {ADD + 4, (1u << 20) + 1, function.Line("its id 1048577 lies outside 0 to 1048576")}};
    for (const auto& [at, value, line] : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, at, value);
        bytes.back() = at == PACKAGE + 4 ? 'x' : 0; // that name runs to the end without a terminator
        testsupport::ConsoleCapture log;
        EXPECT_FALSE(LoadChunk(file, bytes)) << at;
        EXPECT_EQ(line + "\n", log.console.text) << at;
    }
    // 4000 packages naming one table of 2000 files would make far more objects than the file holds
    // records.
    std::vector<uint8_t> shared = Words({4000});
    for (uint32_t p = 0; p < 4000; ++p) shared.insert(shared.end(), {0x84, 0x3E, 0, 0}); // 16004: the package
    shared.insert(shared.end(), 12 + 4 * 2000, 0);
    WriteWord(shared, 16004 + 8, 2000); // its file count, the files' offsets all 0
    testsupport::ConsoleCapture log;
    LoadInto(file, shared);
    EXPECT_FALSE(Extension_LoadChunk(file, 0, 16004));
    EXPECT_TRUE(testsupport::HasLine(log.console.text,
                                     "EXTN: package * at file offset 16004: its 2000 files are more "
                                     "than the file can hold"))
        << log.console.text;

    // Prepared, the init and final passes name the first function they cannot find (the library,
    // missing here, is called by id and by name end to end); a package in the folder "WexoGames"
    // takes no part.
    std::vector<uint8_t> bytes = good;
    WriteWord(bytes, ADD + 4, 1u << 20); // the largest id
    ASSERT_TRUE(LoadChunk(file, bytes) && Extension_Prepare());
    EXPECT_FALSE(Extension_CallInitFunctions());
    EXPECT_EQ("Could not locate initialization function ext_init", g_ErrorLast);
    EXPECT_FALSE(Extension_CallFinalFunctions());
    EXPECT_EQ("Could not locate finalization function ext_final", g_ErrorLast);
    WriteWord(bytes, PACKAGE, uint32_t(bytes.size()));
    for (char c : std::string("WexoGames\0", 10)) bytes.push_back(uint8_t(c));
    ASSERT_TRUE(LoadChunk(file, bytes) && Extension_Prepare());
    EXPECT_EQ(-1, Extension_FindFunction("ext_add"));
    Extension_Clear();
    DLL_Clear();
}

// A script function in a package of its own (the game file carries no script text).
void AddScriptFunction(const char* name, int32_t id, const char* text, const char* packageName = "Pkg")
{
    auto* package = new CExtensionPackage();
    package->name = packageName;
    package->SetFileCount(1);
    package->files[0]->kind = EXTENSION_FILE_SCRIPT;
    package->files[0]->SetFunctionCount(1);
    CExtensionFunction* f = package->files[0]->functions[0];
    f->name = name;
    f->id = id;
    f->scriptText = text;
    Extension_AddPackage(package);
}

// Through the executors' call of a package function; `done` tells whether a function ran.
testsupport::CallAnswer Call(int32_t id, const std::vector<TestArg>& arguments, bool* done)
{
    std::vector<ScriptValue> values = testsupport::MakeValues(arguments);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    CInstance self(0.0f, 0.0f, 0, 0, false);
    *done = Extension_CallFunction(id, &self, &self, static_cast<int32_t>(values.size()), values.data(), &result);
    testsupport::FreeValues(values);
    return testsupport::TakeResult(result);
}

// Called with 3 arguments, a script function sees argument3 to argument15 as 0; the caller's slots
// are put back afterwards, in both executors; 17 arguments fail the call before any slot changes.
TEST(ExtensionScripts, RunWithTheirOwnArgumentSlotsAndReportTheirErrors)
{
    testsupport::RegisterBuiltins();
    Variable_BuiltIn_Init();
    g_GameOptions.showErrors = false;
    AddScriptFunction("ext_sum", 2, "return argument0 + argument1 + argument2 + argument3 + argument15;");
    AddScriptFunction("ext_bad\x1B[31m", 1, "return argument0 - 1;");
    ASSERT_TRUE(Extension_Prepare());
    Value_SetReal(&g_ScriptArguments[0], 5);
    Value_SetText(&g_ScriptArguments[3], "caller's");
    Value_SetReal(&g_ScriptArguments[15], 1000);
    bool done = false;
    for (uint8_t bytecode : {1, 0}) {
        g_UseBytecode = bytecode;
        EXPECT_EQ(7.0, Call(2, {1.0, 2.0, 4.0}, &done).real);
        EXPECT_TRUE(done) << g_CodeErrorText;
        EXPECT_EQ(std::make_tuple(5.0, std::string("caller's"), 1000.0),
                  std::make_tuple(g_ScriptArguments[0].real, std::string(Value_GetText(&g_ScriptArguments[3])), g_ScriptArguments[15].real));
    }
    EXPECT_EQ("ERROR", Call(2, std::vector<TestArg>(17, TestArg(1.0)), &done).text);
    EXPECT_EQ(std::make_pair(false, 1000.0), std::make_pair(done, g_ScriptArguments[15].real));
    EXPECT_EQ("ERROR", Call(1, {"text"}, &done).text);
    EXPECT_EQ(0u, g_CodeErrorText.find("In extension function ext_bad[1B][31m: \n")) << g_CodeErrorText;
    Call(1, std::vector<TestArg>(17, TestArg(1.0)), &done);
    EXPECT_EQ("In extension function ext_bad[1B][31m: \nWrong number of arguments to function or script.",
              g_CodeErrorText);
    // The package's name, from the game file, is shown printable.
    AddScriptFunction("ext_broken", 3, "return +;", "Pkg\x1B]0;pwned\x07");
    EXPECT_FALSE(Extension_Prepare());
    EXPECT_EQ(0u, g_ErrorLast.find("COMPILATION ERROR in extension package Pkg[1B]]0;pwned[07]\n")) << g_ErrorLast;
    Extension_Clear();
    for (ScriptValue& slot : g_ScriptArguments) Value_SetReal(&slot, 0.0);
}

} // namespace
