// The program corpus: small scripts compiled from source, generated and run in the interpreter, each
// with the result it must return. Every file of tests/code/corpus/ is one test.
//
// The format of a corpus file is described in Code_CorpusSupport.h.
//
// The program runs once, through Code_Execute, with fresh global variables. Scripts read their
// arguments as argument0 to argument15, argument[i] and argument_count. Besides the result, every
// program and script must pass the bytecode checker, and every path through its words must reach
// each instruction with one stack and run off the end with the stack it started with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Code_CorpusSupport.h"
#include "code/Code_Checker.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorPlaceholders.h"
#include "code/Code_Execute.h"
#include "code/Code_Function.h"
#include "code/Code_Generator.h"
#include "code/Code_GeneratorStack.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

using namespace corpustest;

namespace {

// ---------------------------------------------------------------------------------------------
// The world a program runs in: instances, scripts and the argument variables.

struct FakeInstance {
    int32_t id = 0;
    int32_t object = -1;
    std::unique_ptr<CVariableList> variables = std::make_unique<CVariableList>();
};

CInstance* AsInstance(FakeInstance* fake)
{
    return reinterpret_cast<CInstance*>(fake);
}
FakeInstance* AsFake(CInstance* instance)
{
    return reinterpret_cast<FakeInstance*>(instance);
}

// The room's instances and the objects' lists, as the instance area will give them.
class CorpusInstances : public IVariableInstances {
  public:
    FakeInstance* Add(int32_t id, int32_t object, bool inRoom)
    {
        m_All.push_back(std::make_unique<FakeInstance>());
        FakeInstance* fake = m_All.back().get();
        fake->id = id;
        fake->object = object;
        if (inRoom) {
            m_Room.push_back(fake);
            m_Objects[object].push_back(fake);
        }
        return fake;
    }
    FakeInstance* Find(int32_t id)
    {
        for (auto& fake : m_All)
            if (fake->id == id) return fake.get();
        return nullptr;
    }

    CInstance* FindById(int32_t id) override
    {
        FakeInstance* fake = Find(id);
        return fake != nullptr ? AsInstance(fake) : nullptr;
    }
    void VisitRoom(InstanceVisit visit, void* context) override { Walk(m_Room, visit, context); }
    void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) override
    {
        auto found = m_Objects.find(objectIndex);
        if (found != m_Objects.end()) Walk(found->second, visit, context);
    }
    void VisitObjectChanges(InstanceVisit, void*) override {}
    bool IsMarked(CInstance*) override { return false; }
    bool IsDeactivated(CInstance*) override { return false; }
    int32_t ObjectIndex(CInstance* instance) override { return AsFake(instance)->object; }
    CVariableList* Variables(CInstance* instance) override { return AsFake(instance)->variables.get(); }

  private:
    static void Walk(const std::vector<FakeInstance*>& list, InstanceVisit visit, void* context)
    {
        for (FakeInstance* fake : list)
            if (!visit(AsInstance(fake), context)) return;
    }

    std::vector<std::unique_ptr<FakeInstance>> m_All;
    std::vector<FakeInstance*> m_Room;
    std::map<int32_t, std::vector<FakeInstance*>> m_Objects;
};

// The scripts of the running program, for the compiler's name lookup and the interpreter's calls.
struct CorpusScripts {
    std::vector<std::string> names;
    std::vector<std::unique_ptr<CCode>> code;
};
CorpusScripts* g_pScripts = nullptr;

int32_t FindScript(const char* name)
{
    for (size_t i = 0; i < g_pScripts->names.size(); ++i)
        if (g_pScripts->names[i] == name) return static_cast<int32_t>(i);
    return -1;
}
bool ScriptExists(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < g_pScripts->names.size();
}
CCode* ScriptCode(int32_t index)
{
    return ScriptExists(index) ? g_pScripts->code[static_cast<size_t>(index)].get() : nullptr;
}
const char* ScriptName(int32_t index)
{
    return ScriptExists(index) ? g_pScripts->names[static_cast<size_t>(index)].c_str() : "";
}

// Test doubles of the argument variables until the built-in variables are registered for real;
// they read and write the interpreter's argument slots.
int32_t ArgumentSlot(int32_t index)
{
    return index >= 0 && index < SCRIPT_ARGUMENT_COUNT ? index : 0;
}

template <int Slot> bool GetArgument(CInstance*, int32_t, ScriptValue* out)
{
    Value_Copy(out, &g_ScriptArguments[Slot]);
    return true;
}
template <int Slot> bool SetArgument(CInstance*, int32_t, const ScriptValue* value)
{
    Value_Copy(&g_ScriptArguments[Slot], value);
    return true;
}
bool GetArgumentArray(CInstance*, int32_t index, ScriptValue* out)
{
    Value_Copy(out, &g_ScriptArguments[ArgumentSlot(index)]);
    return true;
}
bool SetArgumentArray(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_Copy(&g_ScriptArguments[ArgumentSlot(index)], value);
    return true;
}
bool GetArgumentCount(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, g_ScriptArgumentCount);
    return true;
}

template <int... Slots> void AddArgumentRows(std::integer_sequence<int, Slots...>)
{
    (Variable_BuiltIn_Add(("argument" + std::to_string(Slots)).c_str(), GetArgument<Slots>,
                          SetArgument<Slots>, true),
     ...);
}

void RegisterArgumentVariables()
{
    if (Variable_BuiltIn_Find("argument0") < 0)
        AddArgumentRows(std::make_integer_sequence<int, SCRIPT_ARGUMENT_COUNT>());
    if (Variable_BuiltIn_Find("argument") < 0)
        Variable_BuiltIn_Add("argument", GetArgumentArray, SetArgumentArray, true);
    if (Variable_BuiltIn_Find("argument_count") < 0)
        Variable_BuiltIn_Add("argument_count", GetArgumentCount, nullptr, false);
}

// ---------------------------------------------------------------------------------------------
// The runner.

std::string Describe(const ScriptValue& value)
{
    switch (Value_GetKind(&value)) {
    case VALUE_REAL: {
        char number[64];
        std::snprintf(number, sizeof number, "real %.17g", value.real);
        return number;
    }
    case VALUE_STRING: {
        const char* text = Value_GetText(&value);
        return std::string("string \"") + (text != nullptr ? text : "") + "\"";
    }
    default:
        return "an array";
    }
}

class Corpus : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override
    {
        if (Constant_Count() == 0) Constant_Init();
        RegisterArgumentVariables();
        Variable_Init();
        m_SavedLookup = g_CallableLookup;
        g_CallableLookup.findScript = FindScript;
        m_SavedScripts = g_VMScripts;
        g_VMScripts = VMScriptAccess{ScriptExists, ScriptCode, ScriptName};
        g_pScripts = &m_Scripts;
        Variable_SetInstances(&m_World);
        // Long loops pump window messages; there is no window here.
        m_SavedPump = g_VMMessagePump;
        g_VMMessagePump = [] {};
        // Errors stop the program and are recorded, rather than ending the test process.
        m_SavedQuiet = Debug_EvaluatingExpression;
        Debug_EvaluatingExpression = 1;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        g_CodeErrorFlag = false;
        g_CodeErrorText.clear();
    }

    void TearDown() override
    {
        m_Main.reset();
        m_Scripts.code.clear();
        Variable_SetInstances(nullptr);
        g_pScripts = nullptr;
        g_VMMessagePump = m_SavedPump;
        g_VMScripts = m_SavedScripts;
        g_CallableLookup = m_SavedLookup;
        Debug_EvaluatingExpression = m_SavedQuiet;
        g_VMEvaluationFailed = 0;
    }

    // Compiles one unit; it must pass the checker and the stack walk.
    std::unique_ptr<CCode> CompileUnit(const std::string& name, const std::string& source)
    {
        m_Texts.push_back(std::make_unique<std::string>(source));
        auto code = std::make_unique<CCode>(m_Texts.back()->c_str(), false);
        g_CodeErrorFlag = false;
        EXPECT_TRUE(code->Compile(name.c_str())) << name << ": " << g_CodeErrorText;
        if (code->m_pCode != nullptr) ExpectSoundWords(name, *code->m_pCode);
        return code;
    }

    static void ExpectSoundWords(const std::string& name, const VMBuffer& words)
    {
        uint32_t strings = words.m_pStrings != nullptr ? words.m_pStrings->count : 0;
        VMCheckResult check;
        EXPECT_TRUE(VM_CheckCode(words.m_pWords, words.m_Size, strings, &check))
            << name << ": " << VM_CheckFaultText(check, words.m_Size, strings);
        VMStackTrace trace;
        EXPECT_TRUE(VM_TraceStack(words.m_pWords, words.m_Size, &trace)) << name << ": " << trace.problem;
        for (const auto& stack : trace.endStacks)
            EXPECT_EQ(VM_StackText(stack), "") << name << " runs off its end with items left on the stack";
        for (const std::string& pair : trace.refusedPairs)
            ADD_FAILURE() << name << ": the interpreter refuses " << pair;
    }

    CInstance* MakeWorld(const CorpusProgram& program)
    {
        for (const CorpusInstance& instance : program.instances) {
            FakeInstance* fake = m_World.Add(instance.id, instance.object, true);
            for (const CorpusVariable& variable : instance.variables) {
                ScriptValue value{VALUE_REAL, 0, variable.real};
                fake->variables->SetVar(Code_Variable_Find(variable.name.c_str()), -1, &value);
            }
        }
        FakeInstance* self = m_World.Find(program.self);
        if (self == nullptr) self = m_World.Add(program.self, -1, false);
        return AsInstance(self);
    }

    void Run(const CorpusProgram& program)
    {
        // Every name first, so that scripts can call themselves and each other.
        for (const auto& script : program.scripts)
            m_Scripts.names.push_back(script.first);
        for (const auto& script : program.scripts)
            m_Scripts.code.push_back(CompileUnit(script.first, script.second));
        m_Main = CompileUnit(GetParam(), program.main);
        if (HasFailure()) return;

        CInstance* self = MakeWorld(program);
        int32_t argumentCount = g_ScriptArgumentCount;
        ScriptValue result{VALUE_REAL, 0, 0.0};
        EXPECT_TRUE(Code_Execute(self, self, m_Main.get(), &result));
        EXPECT_EQ(g_ScriptArgumentCount, argumentCount) << "the argument count is not restored";

        switch (program.expect) {
        case CorpusProgram::Expect::Error:
            EXPECT_TRUE(g_VMEvaluationFailed)
                << "expected the error " << program.text << ", got " << Describe(result);
            EXPECT_EQ(g_VMEvaluationError.rfind(program.text, 0), 0u) << g_VMEvaluationError;
            break;
        case CorpusProgram::Expect::Real:
            EXPECT_FALSE(g_VMEvaluationFailed) << g_VMEvaluationError;
            EXPECT_EQ(Value_GetKind(&result), VALUE_REAL) << Describe(result);
            if (Value_GetKind(&result) == VALUE_REAL) {
                EXPECT_EQ(result.real, program.real) << Describe(result);
            }
            break;
        case CorpusProgram::Expect::Text: {
            EXPECT_FALSE(g_VMEvaluationFailed) << g_VMEvaluationError;
            const char* text = Value_GetKind(&result) == VALUE_STRING ? Value_GetText(&result) : nullptr;
            EXPECT_EQ(Value_GetKind(&result), VALUE_STRING) << Describe(result);
            EXPECT_EQ(std::string(text != nullptr ? text : ""), program.text) << Describe(result);
            break;
        }
        case CorpusProgram::Expect::Nothing:
            break;
        }
        Value_Free(&result);
    }

    CorpusInstances m_World;
    CorpusScripts m_Scripts;
    std::unique_ptr<CCode> m_Main;
    std::vector<std::unique_ptr<std::string>> m_Texts;
    CallableLookup m_SavedLookup{};
    VMScriptAccess m_SavedScripts{};
    uint8_t m_SavedQuiet = 0;
    void (*m_SavedPump)() = nullptr;
};

TEST_P(Corpus, ProgramReturnsItsResult)
{
    CorpusProgram program = ReadCorpus(GetParam());
    ASSERT_EQ(program.problem, "") << CorpusPath(GetParam());
    Run(program);
}

INSTANTIATE_TEST_SUITE_P(Programs, Corpus, testing::ValuesIn(CorpusFiles()), CorpusTestName);

TEST(CorpusFormat, DirectivesAndSections)
{
    CorpusProgram program =
        ParseCorpus("## comment\nx = 1\n@script twice\nreturn argument0 * 2\n@main\n"
                    "return twice(x)\n@instance 100001 3 hp=5 n=2\n@self 100001\n@result \"a\\\"b\"\n");
    EXPECT_EQ(program.problem, "");
    EXPECT_EQ(program.main, "x = 1\nreturn twice(x)\n");
    ASSERT_EQ(program.scripts.size(), 1u);
    EXPECT_EQ(program.scripts[0].first, "twice");
    EXPECT_EQ(program.scripts[0].second, "return argument0 * 2\n");
    ASSERT_EQ(program.instances.size(), 1u);
    EXPECT_EQ(program.instances[0].object, 3);
    EXPECT_EQ(program.instances[0].variables.size(), 2u);
    EXPECT_EQ(program.self, 100001);
    EXPECT_EQ(program.expect, CorpusProgram::Expect::Text);
    EXPECT_EQ(program.text, "a\"b");

    EXPECT_EQ(ParseCorpus("return 1\n@result 1.5e3\n").real, 1500.0);
    EXPECT_EQ(ParseCorpus("return 1\n").problem, "no @result or @error");
    EXPECT_EQ(ParseCorpus("@result 12abc\n").problem, "line 1: @result 12abc");
    EXPECT_EQ(ParseCorpus("@instance 5\n@result 1\n").problem, "line 1: @instance 5");
    EXPECT_EQ(ParseCorpus("@unknown\n@result 1\n").problem, "line 1: @unknown");
}

TEST(CorpusFormat, TheCorpusHoldsAHundredPrograms)
{
    EXPECT_GE(CorpusFiles().size(), 100u);
}

} // namespace
