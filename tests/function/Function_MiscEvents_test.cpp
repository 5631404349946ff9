// The Misc family's first group: its rows, events, external calls over a recording call layer,
// run-time code, the script log, variables by name and the tablet stub.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../TestSupport_Console.h"
#include "../object/ObjectTestSupport.h"
#include "Function_TestCases.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Execute.h"
#include "function/Function_MiscEvents.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

using namespace testsupport;
using functiontest::Reals;

namespace {

// What the recording external-call layer was asked, one line per call.
std::vector<std::string> g_LayerCalls;
int32_t g_DefineAnswer = 0;

int32_t RecordDefine(const char* library, const char* function, int32_t convention, int32_t argc, const int32_t* types,
                     int32_t resultType)
{
    std::string line = std::string("define ") + library + " " + function + " " + std::to_string(convention) + " " +
                       std::to_string(argc) + " [";
    for (int32_t i = 0; i < argc; ++i) line += std::to_string(types[i]);
    g_LayerCalls.push_back(line + "] " + std::to_string(resultType));
    return g_DefineAnswer;
}

void RecordCall(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result)
{
    std::string line = "call " + std::to_string(id) + " " + std::to_string(argc);
    for (int32_t i = 0; i < argc; ++i) {
        const char* text = Value_GetText(&args[i]);
        line += text != nullptr ? std::string(" \"") + text + "\"" : " " + std::to_string(static_cast<int>(args[i].real));
    }
    g_LayerCalls.push_back(line);
    Value_SetText(result, "answer");
}

void RecordFree(const char* library) { g_LayerCalls.push_back(std::string("free ") + library); }

// A call, its arguments, the real or text it answers and the message it reports ("" none).
struct Step {
    const char* name;
    std::vector<TestArg> args;
    TestArg result;
    const char* message;
};

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
        g_LayerCalls.clear();
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
    void Expect(const Step& s, CInstance* self = nullptr)
    {
        BuiltinResult result = Call(s.name, s.args, self);
        std::string what = std::string(s.name) + " " + (s.args.empty() ? "" : s.args[0].text) + "\n" + error;
        // A text answer carries no real, a real answer no text.
        EXPECT_EQ(result.text, s.result.text) << what;
        EXPECT_EQ(result.real, s.result.isText ? 0.0 : s.result.real) << what;
        EXPECT_NE(error.find(s.message), std::string::npos) << what;
        EXPECT_EQ(error.empty(), *s.message == '\0') << what;
    }

    std::string error;
    ExternalCallLayer m_SavedLayer = {};
    uint8_t m_SavedExecutor = 1;
};

} // namespace

TEST_F(MiscEventsTest, RowsCarryTheirCountsInRegistrationOrder)
{
    functiontest::ExpectRegisteredRun(
        "event_perform:2 event_user:1 event_perform_object:3 external_* define:-1 ~ variable_local_* "
        "array_set:3 array2_set:4");
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
    } cases[] = {
        {"event_user", {3}, self, "0 7 13"}, {"event_user", {-10}, self, "0 7 0"}, {"event_user", {-11}, self, ""},
        {"event_user", {3}, nullptr, ""}, {"event_perform", {7, -1}, self, ""}, {"event_perform", {12, 0}, self, ""},
        {"event_perform_object", {elsewhere, 2, 4}, self, "1 2 4"},
        {"event_perform_object", {99, 2, 4}, self, ""},
    };
    for (const Case& c : cases) {
        objecttest::Records().clear();
        EXPECT_EQ(CallBuiltin(c.name, c.args, c.self, other).real, 0);
        std::vector<std::string> expected;
        if (*c.record != '\0') expected.push_back(c.record + std::string(" 100000 100001"));
        EXPECT_EQ(objecttest::Records(), expected) << c.name << " " << c.args[0].real;
    }
}

TEST_F(MiscEventsTest, ExternalDefinesCheckInOrderAndCallsHandTheLayerTheirArguments)
{
    const char* count = "Wrong number of arguments to external_define()";
    const char* failed = "Error defining an external function.";
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        int32_t answer;
        TestArg result;
        const char* message; // "" when none
        const char* layer;   // "" when the layer is not reached
    } cases[] = {
        {"external_define", {"a.dll", "f", 0, 0}, 3, 0, count, ""},
        {"external_define", {"a.dll", "f", 0, 0, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 3, 0,
         "DLL functions can have at most 16 arguments", ""},
        {"external_define", {"a.dll", "f", 0, 0, 5, 0, 0, 1, 0, 0}, 3, 0,
         "DLL functions with more than 4 arguments cannot have string arguments", ""},
        {"external_define", {"a.dll", "f", 1, 1, 4, 1, 0, 2, 1}, 3, 3, "", "define a.dll f 1 4 [1001] 1"},
        {"external_define", {"a.dll", "f", 0, 0, 1, 0}, -1, -1, failed, "define a.dll f 0 1 [0] 0"},
        {"external_define0", {"b.dll", "g", 1}, 4, 4, "", "define b.dll g 0 0 [] 1"},
        {"external_define1", {"b.dll", "g", 1, 1}, 5, 5, "", "define b.dll g 0 1 [1] 1"},
        {"external_define4", {"b.dll", "g", 0, 1, 1, 0, 0}, 6, 6, "", "define b.dll g 0 4 [0110] 0"},
        {"external_define5", {"b.dll", "g", 1}, 7, 7, "", "define b.dll g 0 5 [00000] 1"},
        {"external_define8", {"b.dll", "g", 0}, -1, -1, failed, "define b.dll g 0 8 [00000000] 0"},
        {"external_call", {2, 7, "s"}, 0, "answer", "", "call 2 2 7 \"s\""},
        {"external_call", {}, 0, 0, "", ""},
        {"external_call", {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, 0, 0, "", ""},
        {"external_call0", {4}, 0, "answer", "", "call 4 0"}, {"external_call2", {4.4, "x", 9}, 0, "answer", "", "call 4 2 \"x\" 9"},
        {"external_call8", {1, 1, 2, 3, 4, 5, 6, 7, "8"}, 0, "answer", "", "call 1 8 1 2 3 4 5 6 7 \"8\""},
        {"external_free", {"a.dll"}, 0, 0, "", "free a.dll"},
    };
    for (const Case& c : cases) {
        g_LayerCalls.clear();
        g_DefineAnswer = c.answer;
        Expect({c.name, c.args, c.result, c.message});
        std::vector<std::string> expected;
        if (*c.layer != '\0') expected.push_back(c.layer);
        EXPECT_EQ(g_LayerCalls, expected) << c.name;
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
        TestArg result;
        const char* message;
    } cases[] = {
        {{"return argument0 + argument1", 2, 3}, 0, 5, ""}, {{"return argument_count", "a", "b", "c"}, 1, 3, ""},
        {{TestArg("return argument0 + \"!\""), "hi"}, 1, "hi!", ""},
        {{"return argument14 * 100 + argument15", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
         1, 1500, ""},
        {{"return execute_string(\"return argument0 * 10\", argument0 + 1) + argument0", 4}, 1, 54, ""},
        {{"return (", 2, 3}, 1, 0, "COMPILATION ERROR in string to be executed\nError in code at line 1"},
        // A run-time failure leaves the result as the code left it.
        {{TestArg("return argument0 + 1"), "a"}, 0, "a", "Wrong type of arguments to +"},
    };
    for (const Case& c : cases) {
        g_UseBytecode = c.bytecode;
        Value_SetText(&g_ScriptArguments[0], "caller");
        Value_SetReal(&g_ScriptArguments[1], 7);
        Value_SetReal(&g_ScriptArguments[15], 9);
        g_ScriptArgumentCount = 2;
        Expect({"execute_string", c.args, c.result, c.message}, MakeInstance(AddObject()));
        EXPECT_STREQ(Value_GetText(&g_ScriptArguments[0]), "caller") << c.args[0].text;
        EXPECT_EQ(Reals(7, 9, 2), Reals(g_ScriptArguments[1].real, g_ScriptArguments[15].real, g_ScriptArgumentCount))
            << c.args[0].text;
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
    ASSERT_GT(longText.size(), 5119u);
    const char* missing = "Trying to execute non-existing file.";
    struct Case {
        std::string path;
        std::vector<TestArg> more;
        TestArg result;
        const char* message;
    } cases[] = {
        {write("crlf.txt", "var s;\r\ns = \"a\r\nb\";\r\nreturn s\x1A + 1"), {6}, "a\n\nb", ""},
        {write("args.txt", "return argument0 * argument1"), {6, 7}, 42, ""},
        {write("join.txt", "var s; s = \"x\n\";\nreturn s"), {}, "x\n\n", ""},
        {write("long.txt", longText), {}, 700, ""},
        {write("bad.txt", "return ("), {}, 0, "COMPILATION ERROR in file to be executed\nError in code at line 2"},
        {(folder / "missing.txt").string(), {}, 0, missing}, {folder.string(), {}, 0, missing},
        {"/dev/null", {}, 0, missing},
    };
    for (const Case& c : cases) {
        std::vector<TestArg> args = {c.path.c_str()};
        args.insert(args.end(), c.more.begin(), c.more.end());
        Expect({"execute_file", args, c.result, c.message});
    }
    std::filesystem::remove_all(folder);
}

TEST_F(MiscEventsTest, VariablesByNameRefuseIndicesFrom32000AndLeaveNegativeOnesToTheVariables)
{
    CInstance* self = MakeInstance(AddObject());
    const char* limit = "Array index >= 32000";
    const Step steps[] = {
        {"variable_global_exists", {"vbn_g"}, 0, ""}, {"variable_global_array_set", {"vbn_g", 31999, 7}, 0, ""},
        {"variable_global_array_get", {"vbn_g", 32000}, 0, limit}, {"variable_global_exists", {"vbn_g"}, 1, ""},
        {"variable_global_array2_set", {"vbn_g2", 2, 5, 9}, 0, ""},
        {"variable_global_array2_set", {"vbn_g2", 32000, 0, 1}, 0, limit},
        {"variable_global_set", {"vbn_plain", 4}, 0, ""}, {"variable_global_array_set", {"vbn_s", -1, 6}, 0, ""},
        {"variable_global_get", {"vbn_s"}, 6, ""}, {"variable_global_array2_set", {"vbn_w", -70000, 5, 8}, 0, ""},
        {"variable_global_array2_get", {"vbn_w", -70000, 5}, 0, ""}, {"variable_local_set", {"vbn_l", 3}, 0, ""},
        {"variable_local_array_set", {"vbn_l", 4, 5}, 0, ""}, {"variable_local_array_get", {"vbn_l", 4}, 5, ""},
        {"variable_local_array2_set", {"vbn_l", 1, 2, 6}, 0, ""}, {"variable_local_array2_get", {"vbn_l", 1, 2}, 6, ""},
        {"variable_local_set", {"x", 12}, 0, ""},
        // On an array the global setter stores element 0 and keeps the rest.
        {"variable_global_array_set", {"vbn_arr", 2, 30}, 0, ""}, {"variable_global_set", {"vbn_arr", "first"}, 0, ""},
        {"variable_global_get", {"vbn_arr"}, "first", ""}, {"variable_global_array_get", {"vbn_arr", 2}, 30, ""},
        {"variable_local_set", {"id", 5}, 0, ""}, // read-only: nothing changes
        {"variable_local_get", {"id"}, 100000, ""},
    };
    for (const Step& s : steps) Expect(s, self);
    EXPECT_EQ(self->i_x, 12.0f);
    // Two indices name element row * 32000 + column; a first index far below zero reaches nothing
    // instead of wrapping round to a huge positive element.
    ScriptValue element = {VALUE_REAL, 0, 0.0};
    EXPECT_TRUE(Variable_GetGlobal(Code_Variable_Find("vbn_g2"), 64005, &element));
    EXPECT_EQ(element.real, 9);
    // The plain setters store the whole value, as an assignment does, not an array of one element.
    Variable_GetGlobal(Code_Variable_Find("vbn_plain"), -1, &element);
    EXPECT_EQ(Reals(VALUE_REAL, 4), Reals(Value_GetKind(&element), element.real));
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

TEST_F(MiscEventsTest, TheScriptLogPrintsTextsAsTheyStandAndRealsAsStringDoes)
{
    for (auto [argument, line] : {std::pair<TestArg, const char*>{"50% %s %d", "50% %s %d\n"}, {-0.125, "-0.13\n"}}) {
        LogCapture log(ScriptConsole);
        EXPECT_EQ(Call("show_debug_message", {argument}).real, 0);
        EXPECT_EQ(log.Text(), line);
    }
}
