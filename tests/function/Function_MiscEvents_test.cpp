// The Misc family's first group: its rows, events, external calls over a recording call layer,
// run-time code, the script log, variables by name and the tablet stub.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"
#include "../object/ObjectTestSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Execute.h"
#include "function/Function_MiscEvents.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

using namespace testsupport;

namespace {

// ---- a recording external-call layer ---------------------------------------------------------------

// What the layer was asked, one line per call.
std::vector<std::string>& LayerCalls()
{
    static std::vector<std::string> calls;
    return calls;
}
int32_t g_DefineAnswer = 0;

int32_t RecordDefine(const char* library, const char* function, int32_t convention, int32_t argc, const int32_t* types,
                     int32_t resultType)
{
    std::string line = std::string("define ") + library + " " + function + " " + std::to_string(convention) + " " +
                       std::to_string(argc) + " [";
    for (int32_t i = 0; i < argc; ++i) line += std::to_string(types[i]);
    LayerCalls().push_back(line + "] " + std::to_string(resultType));
    return g_DefineAnswer;
}

void RecordCall(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result)
{
    std::string line = "call " + std::to_string(id) + " " + std::to_string(argc);
    for (int32_t i = 0; i < argc; ++i) {
        const char* text = Value_GetText(&args[i]);
        line += text != nullptr ? std::string(" \"") + text + "\"" : " " + std::to_string(static_cast<int>(args[i].real));
    }
    LayerCalls().push_back(line);
    Value_SetText(result, "answer");
}

void RecordFree(const char* library) { LayerCalls().push_back(std::string("free ") + library); }

class MiscEventsTest : public objecttest::ObjectTest {
  protected:
    void SetUp() override
    {
        RegisterBuiltins(); // before the object tests add their functions to an empty table
        ObjectTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        if (g_BuiltinVariableCount == 0) Variable_BuiltIn_Init();
        Variable_Init();
        m_SavedLayer = g_ExternalCalls;
        g_ExternalCalls = {RecordDefine, RecordCall, RecordFree};
        LayerCalls().clear();
        m_SavedExecutor = g_UseBytecode;
    }
    void TearDown() override
    {
        g_ExternalCalls = m_SavedLayer;
        g_UseBytecode = m_SavedExecutor;
        Code_FreeScriptArguments();
        ObjectTest::TearDown();
    }
    // Calls with the error report cleared first; the report's text comes back in `error`.
    BuiltinResult Call(const char* name, const std::vector<TestArg>& args, CInstance* self = nullptr)
    {
        g_ErrorLast.clear();
        BuiltinResult result = CallBuiltin(name, args, self, self);
        error = g_ErrorLast;
        return result;
    }
    bool Reported(const std::string& text) const { return error.find(text) != std::string::npos; }

    std::string error;
    ExternalCallLayer m_SavedLayer = {};
    uint8_t m_SavedExecutor = 1;
};

} // namespace

TEST_F(MiscEventsTest, RowsCarryTheirCountsInRegistrationOrder)
{
    const std::pair<const char*, int32_t> rows[] = {
        {"event_perform", 2}, {"event_user", 1}, {"event_perform_object", 3}, {"external_define", -1},
        {"external_call", -1}, {"external_free", 1}, {"external_define0", 3}, {"external_call0", 1},
        {"external_define1", 4}, {"external_call1", 2}, {"external_define2", 5}, {"external_call2", 3},
        {"external_define3", 6}, {"external_call3", 4}, {"external_define4", 7}, {"external_call4", 5},
        {"external_define5", 3}, {"external_call5", 6}, {"external_define6", 3}, {"external_call6", 7},
        {"external_define7", 3}, {"external_call7", 8}, {"external_define8", 3}, {"external_call8", 9},
        {"execute_string", -1}, {"execute_file", -1}, {"show_debug_message", 1}, {"variable_global_exists", 1},
        {"variable_global_get", 1}, {"variable_global_array_get", 2}, {"variable_global_array2_get", 3},
        {"variable_global_set", 2}, {"variable_global_array_set", 3}, {"variable_global_array2_set", 4},
        {"variable_local_exists", 1}, {"variable_local_get", 1}, {"variable_local_array_get", 2},
        {"variable_local_array2_get", 3}, {"variable_local_set", 2}, {"variable_local_array_set", 3},
        {"variable_local_array2_set", 4},
    };
    int32_t previous = -1;
    for (const auto& [name, count] : rows) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(name, &id)) << name;
        if (previous >= 0) { // one consecutive block
            EXPECT_EQ(id, previous + 1) << name;
        }
        EXPECT_EQ(Function_GetArgCount(id), count) << name;
        previous = id;
    }
}

TEST_F(MiscEventsTest, EventsReachTheHandlerOnlyForTypesZeroToElevenAndSubtypesFromZero)
{
    int32_t own = AddObject();
    int32_t elsewhere = AddObject();
    for (int32_t subtype : {0, 13}) objecttest::SetHandler(own, 7, subtype, "test_record();");
    objecttest::SetHandler(elsewhere, 2, 4, "test_record();");
    CInstance* self = MakeInstance(own);
    CInstance* other = MakeInstance(elsewhere);
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        CInstance* self;
        const char* record; // "" when nothing is performed
    };
    const std::string selfOther = " 100000 100001";
    const Case cases[] = {
        {"event_user", {3}, self, "0 7 13"},
        {"event_user", {-10}, self, "0 7 0"},
        {"event_user", {-11}, self, ""},
        {"event_user", {3}, nullptr, ""},
        {"event_perform", {7, 13}, self, "0 7 13"},
        {"event_perform", {7, 1000000000}, self, ""},
        {"event_perform", {7, -1}, self, ""},
        {"event_perform", {12, 0}, self, ""},
        {"event_perform", {-1, 0}, self, ""},
        {"event_perform_object", {elsewhere, 2, 4}, self, "1 2 4"},
        {"event_perform_object", {elsewhere, 2, 4}, nullptr, ""},
        {"event_perform_object", {99, 2, 4}, self, ""},
        {"event_perform_object", {elsewhere, 12, 4}, self, ""},
    };
    for (const Case& c : cases) {
        objecttest::Records().clear();
        EXPECT_EQ(CallBuiltin(c.name, c.args, c.self, other).real, 0);
        std::vector<std::string> expected;
        if (*c.record != '\0') expected.push_back(c.record + selfOther);
        EXPECT_EQ(objecttest::Records(), expected) << c.name << " " << c.args[0].real;
    }
}

TEST_F(MiscEventsTest, ExternalDefineChecksInOrderThenHandsTheLayerItsArguments)
{
    struct Case {
        std::vector<TestArg> args;
        int32_t answer;
        const char* message; // "" when none
        const char* layer;   // "" when the layer is not reached
        double result;
    };
    const Case cases[] = {
        {{"a.dll", "f", 0, 0}, 3, "Wrong number of arguments to external_define()", "", 0},
        {{"a.dll", "f", 0, 0, 2, 0}, 3, "Wrong number of arguments to external_define()", "", 0},
        {{"a.dll", "f", 0, 0, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 3,
         "DLL functions can have at most 16 arguments", "", 0},
        {{"a.dll", "f", 0, 0, 5, 0, 0, 1, 0, 0}, 3, "DLL functions with more than 4 arguments cannot have string arguments",
         "", 0},
        {{"a.dll", "f", 1, 1, 4, 1, 0, 2, 1}, 3, "", "define a.dll f 1 4 [1001] 1", 3},
        {{"a.dll", "f", 0, 2, 0}, 0, "", "define a.dll f 0 0 [] 0", 0},
        {{"a.dll", "f", 0, 0, 1, 0}, -1, "Error defining an external function.", "define a.dll f 0 1 [0] 0", -1},
        {{"b.dll", "g", 1}, 4, "", "define b.dll g 0 0 [] 1", 4}, // external_define0
        {{"b.dll", "g", 1, 1}, 5, "", "define b.dll g 0 1 [1] 1", 5}, // external_define1
        {{"b.dll", "g", 0, 1, 1, 0, 0}, 6, "", "define b.dll g 0 4 [0110] 0", 6}, // external_define4
        {{"b.dll", "g", 1}, 7, "", "define b.dll g 0 5 [00000] 1", 7}, // external_define5
        {{"b.dll", "g", 0}, -1, "Error defining an external function.", "define b.dll g 0 8 [00000000] 0", -1},
    };
    const char* names[] = {"external_define", "external_define", "external_define", "external_define",
                           "external_define", "external_define", "external_define", "external_define0",
                           "external_define1", "external_define4", "external_define5", "external_define8"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        LayerCalls().clear();
        g_DefineAnswer = c.answer;
        BuiltinResult result = Call(names[i], c.args);
        EXPECT_EQ(result.real, c.result) << i;
        EXPECT_EQ(error.empty(), *c.message == '\0') << i << error;
        EXPECT_TRUE(Reported(c.message)) << i << error;
        std::vector<std::string> expected;
        if (*c.layer != '\0') expected.push_back(c.layer);
        EXPECT_EQ(LayerCalls(), expected) << i;
    }
}

TEST_F(MiscEventsTest, ExternalCallsHandTheLayerTheIdCountAndArguments)
{
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        const char* layer; // "" when the layer is not reached
    };
    const Case cases[] = {
        {"external_call", {2}, "call 2 0"},
        {"external_call", {2, 7, "s"}, "call 2 2 7 \"s\""},
        {"external_call", {}, ""},
        {"external_call", {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, ""},
        {"external_call0", {4}, "call 4 0"},
        {"external_call2", {4.4, "x", 9}, "call 4 2 \"x\" 9"},
        {"external_call8", {1, 1, 2, 3, 4, 5, 6, 7, "8"}, "call 1 8 1 2 3 4 5 6 7 \"8\""},
        {"external_free", {"a.dll"}, "free a.dll"},
    };
    for (const Case& c : cases) {
        LayerCalls().clear();
        BuiltinResult result = Call(c.name, c.args);
        std::vector<std::string> expected;
        if (*c.layer != '\0') expected.push_back(c.layer);
        EXPECT_EQ(LayerCalls(), expected) << c.name;
        bool called = *c.layer == 'c';
        EXPECT_EQ(result.text, called ? "answer" : "") << c.name;
        EXPECT_TRUE(error.empty()) << error;
    }
    // Until libraries load, the layer behaves as one that cannot load any.
    g_ExternalCalls = m_SavedLayer;
    EXPECT_EQ(Call("external_define0", {"x.dll", "f", 0}).real, -1);
    EXPECT_EQ(Call("external_call", {0}).real, 0);
}

TEST_F(MiscEventsTest, ExecuteLendsTheArgumentSlotsAndPutsTheCallersBack)
{
    struct Case {
        std::vector<TestArg> args;
        uint8_t bytecode;
        const char* text; // the result's text, else its real in `real`
        double real;
        const char* message;
    };
    const Case cases[] = {
        {{"return 5"}, 1, "", 5, ""},
        {{"return argument0 + argument1", 2, 3}, 1, "", 5, ""},
        {{"return argument0 + argument1", 2, 3}, 0, "", 5, ""},
        {{"return argument_count", "a", "b", "c"}, 1, "", 3, ""},
        {{TestArg("return argument0 + \"!\""), "hi"}, 1, "hi!", 0, ""},
        {{"x = 1"}, 1, "", 0, ""},
        {{"return argument14 * 100 + argument15", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
         1, "", 1500, ""},
        {{"return execute_string(\"return argument0 * 10\", argument0 + 1) + argument0", 4}, 1, "", 54, ""},
        {{"return (", 2, 3}, 1, "", 0, "COMPILATION ERROR in string to be executed\nError in code at line 1"},
        // A run-time failure leaves the result as the code left it.
        {{TestArg("return argument0 + 1"), "a"}, 0, "a", 0, "Wrong type of arguments to +"},
    };
    for (const Case& c : cases) {
        g_UseBytecode = c.bytecode;
        Value_SetText(&g_ScriptArguments[0], "caller");
        Value_SetReal(&g_ScriptArguments[1], 7);
        Value_SetReal(&g_ScriptArguments[15], 9);
        g_ScriptArgumentCount = 2;
        BuiltinResult result = Call("execute_string", c.args, MakeInstance(AddObject()));
        std::string text = c.args[0].text;
        EXPECT_EQ(result.text, c.text) << text;
        if (*c.text == '\0') {
            EXPECT_EQ(result.real, c.real) << text;
        }
        EXPECT_TRUE(Reported(c.message)) << text << "\n" << error;
        EXPECT_EQ(error.empty(), *c.message == '\0') << text << "\n" << error;
        EXPECT_STREQ(Value_GetText(&g_ScriptArguments[0]), "caller") << text;
        EXPECT_EQ(g_ScriptArguments[1].real, 7) << text;
        EXPECT_EQ(g_ScriptArguments[15].real, 9) << text;
        EXPECT_EQ(g_ScriptArgumentCount, 2) << text;
    }
    EXPECT_EQ(Call("execute_string", {}).real, 0);
}

TEST_F(MiscEventsTest, ExecuteFileReadsTheWholeFileInTextModeAndRefusesAllButPlainFiles)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("kv_exec_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    };
    // A long file: every line adds one; the line feeds each line gets must not join lines.
    std::string longText = "var n; n = 0;\r\n";
    for (int i = 0; i < 700; ++i) longText += "n += 1;\r\n";
    longText += "return n";
    struct Case {
        std::string path;
        std::vector<TestArg> more;
        const char* text;
        double real;
        const char* message;
    };
    const Case cases[] = {
        {write("crlf.txt", "var s;\r\ns = \"a\r\nb\";\r\nreturn s\x1A + 1"), {6}, "a\n\nb", 0, ""},
        {write("args.txt", "return argument0 * argument1"), {6, 7}, "", 42, ""},
        {write("join.txt", "var s; s = \"x\n\";\nreturn s"), {}, "x\n\n", 0, ""},
        {write("long.txt", longText), {}, "", 700, ""},
        {write("bad.txt", "return ("), {}, "", 0, "COMPILATION ERROR in file to be executed\nError in code at line 2"},
        {(folder / "missing.txt").string(), {}, "", 0, "Trying to execute non-existing file."},
        {folder.string(), {}, "", 0, "Trying to execute non-existing file."},
        {"/dev/null", {}, "", 0, "Trying to execute non-existing file."},
    };
    ASSERT_GT(longText.size(), 5119u);
    for (const Case& c : cases) {
        std::vector<TestArg> args = {c.path.c_str()};
        args.insert(args.end(), c.more.begin(), c.more.end());
        BuiltinResult result = Call("execute_file", args);
        EXPECT_EQ(result.text, c.text) << c.path;
        EXPECT_EQ(result.real, c.real) << c.path;
        EXPECT_TRUE(Reported(c.message)) << c.path << "\n" << error;
        EXPECT_EQ(error.empty(), *c.message == '\0') << c.path << "\n" << error;
    }
    std::filesystem::remove_all(folder);
}

TEST_F(MiscEventsTest, VariablesByNameRefuseIndicesFrom32000AndLeaveNegativeOnesToTheVariables)
{
    CInstance* self = MakeInstance(AddObject());
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        double result;
        const char* message;
    };
    const Case steps[] = {
        {"variable_global_exists", {"vbn_g"}, 0, ""},
        {"variable_global_array_set", {"vbn_g", 31999, 7}, 0, ""},
        {"variable_global_array_get", {"vbn_g", 31999}, 7, ""},
        {"variable_global_array_get", {"vbn_g", 32000}, 0, "Array index >= 32000"},
        {"variable_global_exists", {"vbn_g"}, 1, ""},
        {"variable_global_array2_set", {"vbn_g2", 2, 5, 9}, 0, ""},
        {"variable_global_array2_get", {"vbn_g2", 2, 5}, 9, ""},
        {"variable_global_array2_get", {"vbn_g2", 1, 32000}, 0, "Array index >= 32000"},
        {"variable_global_array2_set", {"vbn_g2", 32000, 0, 1}, 0, "Array index >= 32000"},
        {"variable_global_set", {"vbn_plain", 4}, 0, ""},
        {"variable_global_array_set", {"vbn_s", -1, 6}, 0, ""},
        {"variable_global_get", {"vbn_s"}, 6, ""},
        {"variable_global_array2_set", {"vbn_w", -70000, 5, 8}, 0, ""},
        {"variable_global_array2_get", {"vbn_w", -70000, 5}, 0, ""},
        {"variable_global_get", {"vbn_never"}, 0, ""},
        {"variable_local_set", {"vbn_l", 3}, 0, ""},
        {"variable_local_get", {"vbn_l"}, 3, ""},
        {"variable_local_array_set", {"vbn_l", 4, 5}, 0, ""},
        {"variable_local_array_get", {"vbn_l", 4}, 5, ""},
        {"variable_local_array2_set", {"vbn_l", 1, 2, 6}, 0, ""},
        {"variable_local_array2_get", {"vbn_l", 1, 2}, 6, ""},
        {"variable_local_exists", {"vbn_l"}, 1, ""},
        {"variable_local_set", {"x", 12}, 0, ""},
        {"variable_local_get", {"x"}, 12, ""},
        {"variable_local_exists", {"x"}, 1, ""},
        {"variable_local_set", {"id", 5}, 0, ""}, // read-only: nothing changes
        {"variable_local_get", {"id"}, 100000, ""},
    };
    for (const Case& c : steps) {
        BuiltinResult result = Call(c.name, c.args, self);
        EXPECT_EQ(result.real, c.result) << c.name << " " << c.args[0].text;
        EXPECT_TRUE(Reported(c.message)) << c.name << "\n" << error;
        EXPECT_EQ(error.empty(), *c.message == '\0') << c.name << "\n" << error;
    }
    EXPECT_EQ(self->i_x, 12.0f);
    // Two indices name element row * 32000 + column; a first index far below zero reaches nothing
    // instead of wrapping round to a huge positive element.
    ScriptValue element = {VALUE_REAL, 0, 0.0};
    EXPECT_TRUE(Variable_GetGlobal(Code_Variable_Find("vbn_g2"), 64005, &element));
    EXPECT_EQ(element.real, 9);
    // The plain setters store the whole value, as an assignment does, not an array of one element.
    Variable_GetGlobal(Code_Variable_Find("vbn_plain"), -1, &element);
    EXPECT_EQ(Value_GetKind(&element), VALUE_REAL);
    EXPECT_EQ(element.real, 4);
    Variable_GetGlobal(Code_Variable_Find("vbn_w"), -1, &element);
    const ValueArray* array = Value_GetArray(&element);
    EXPECT_TRUE(array == nullptr || array->rowCount == 0) << "element (-70000, 5) grew the array";
    Value_Free(&element);
    // A name never seen gets its identifier from the test on; without an instance nothing is read.
    EXPECT_EQ(Code_Variable_Lookup("vbn_fresh"), -1);
    EXPECT_EQ(Call("variable_local_exists", {"vbn_fresh"}, self).real, 0);
    EXPECT_NE(Code_Variable_Lookup("vbn_fresh"), -1);
    EXPECT_EQ(Call("variable_local_get", {"vbn_l"}, nullptr).real, 0);
}

TEST_F(MiscEventsTest, TheScriptLogAndTheTabletStub)
{
    struct Case {
        TestArg argument;
        const char* line;
    };
    const Case lines[] = {
        {"hello", "hello\n"}, {"50% %s %d", "50% %s %d\n"}, {"", "\n"}, {5, "5\n"}, {2.5, "2.50\n"}, {-0.125, "-0.13\n"},
    };
    for (const Case& c : lines) {
        LogCapture log(ScriptConsole);
        EXPECT_EQ(Call("show_debug_message", {c.argument}).real, 0);
        EXPECT_EQ(log.Text(), c.line);
    }
    // Every tablet name is the one stub, whatever its count.
    int32_t tabletNames = 0;
    for (int32_t id = 0; id < g_FunctionCount; ++id) {
        const FunctionEntry& row = g_FunctionTable[id];
        if (std::string(row.name).rfind("win8_", 0) != 0) continue;
        ++tabletNames;
        LogCapture log;
        EXPECT_EQ(Call(row.name, std::vector<TestArg>(static_cast<size_t>(row.argCount), TestArg(1))).real, 0);
        EXPECT_EQ(log.Text(), "Windows8 functionality not supported\n") << row.name;
    }
    EXPECT_EQ(tabletNames, 30);
    for (const auto& [name, count] : {std::pair{"win8_secondarytile_pin", 8}, {"win8_appbar_add_element", 6}}) {
        int32_t id = -1;
        EXPECT_TRUE(Code_Function_Find(name, &id) && Function_GetArgCount(id) == count) << name;
    }
}
