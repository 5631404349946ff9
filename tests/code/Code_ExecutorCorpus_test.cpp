// The program corpus of tests/code/corpus/ run through the tree-walking executor (-oldexec): the
// same programs the interpreter runs, compiled without bytecode and walked as trees. Each program
// must give the result its file names, except where the two executors are meant to differ: those
// programs are listed in EXECUTOR_DIFFERENCES below with what the tree executor gives instead, and
// the list itself is checked (every entry names a corpus program and differs from its file).
//
// The file format is described in Code_CorpusSupport.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Code_CorpusSupport.h"
#include "Code_ExecutorSupport.h"
#include "Code_InterpreterSupport.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Loader.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"

using namespace corpustest;
using namespace vmtest;

namespace {

// ---------------------------------------------------------------------------------------------
// Where the executors differ. Each entry: the program, what the tree executor gives (a real, a
// text, or an error whose message the report holds), and why.

using Outcome = CorpusProgram::Expect;

struct Difference {
    const char* program;
    Outcome outcome;
    double real;
    const char* text;
    const char* why;
};

const Difference EXECUTOR_DIFFERENCES[] = {
    {"script_arguments_run_last_first", Outcome::Real, 1212, nullptr,
     "arguments are evaluated first to last; the interpreter evaluates them last to first"},
    {"expr_compound_assignment_runs_the_index_twice", Outcome::Real, 1152030, nullptr,
     "a compound assignment evaluates its target's index once; the generated code evaluates it twice"},
    {"with_all", Outcome::Real, 123, nullptr,
     "with visits instances in list order; the interpreter visits three or more from the last"},
    {"with_object_three_instances_last_first", Outcome::Real, 123, nullptr,
     "with visits instances in list order; the interpreter visits three or more from the last"},
    {"with_break_after_the_first_of_three", Outcome::Real, 11, nullptr,
     "with visits instances in list order, so the first one breaks"},
    {"repeat_fraction_count_truncates", Outcome::Real, 3, nullptr,
     "the repeat count is rounded half to even (2.7 gives 3); the interpreter truncates"},
    {"repeat_string_count", Outcome::Error, 0, "Repeat count must be a number",
     "a repeat count must be a real; the interpreter converts a text to its number"},
    {"continue_outside_a_loop_does_nothing", Outcome::Real, 0, nullptr,
     "a continue outside a loop ends the program; the generator writes nothing for it"},
    {"expr_large_constant_compound", Outcome::Real, -5147483642.0, nullptr,
     "bitwise operators take 32-bit whole numbers (4294967296 gives INT_MIN); the interpreter uses 64 bits"},
    {"array_row_is_32000_columns", Outcome::Error, 0, "Array index >= 32000",
     "each index must be below 32000, the only one too; the interpreter lets one index run into the next "
     "rows"},
    {"array_read_out_of_range", Outcome::Error, 0, "Unknown variable a or array index out of bounds",
     "the executor's own message for a read outside an array"},
    {"string_minus_is_an_error", Outcome::Error, 0, "Wrong type of arguments to -.",
     "the value operators' message for the same error"},
    {"string_plus_number_is_an_error", Outcome::Error, 0, "Wrong type of arguments to +.",
     "the value operators' message for the same error"},
};

const Difference* FindDifference(const std::string& program)
{
    for (const Difference& difference : EXECUTOR_DIFFERENCES)
        if (program == difference.program) return &difference;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The world: the room's instances in room order, and the program's own self outside the room.

class CorpusWorld : public IVariableInstances {
  public:
    CorpusWorld() { Variable_SetInstances(this); }
    ~CorpusWorld() override { Variable_SetInstances(nullptr); }
    CorpusWorld(const CorpusWorld&) = delete;
    CorpusWorld& operator=(const CorpusWorld&) = delete;

    FakeInstance* Add(int32_t id, int32_t object, bool inRoom)
    {
        m_All.push_back(std::make_unique<FakeInstance>());
        FakeInstance* instance = m_All.back().get();
        instance->id = id;
        instance->object = object;
        if (inRoom) m_Room.push_back(instance);
        return instance;
    }
    FakeInstance* Find(int32_t id)
    {
        for (auto& instance : m_All)
            if (instance->id == id) return instance.get();
        return nullptr;
    }

    CInstance* FindById(int32_t id) override
    {
        FakeInstance* instance = Find(id);
        return instance != nullptr ? AsInstance(instance) : nullptr;
    }
    void VisitRoom(InstanceVisit visit, void* context) override
    {
        for (FakeInstance* instance : m_Room)
            if (!visit(AsInstance(instance), context)) return;
    }
    void VisitObject(int32_t object, InstanceVisit visit, void* context) override
    {
        for (FakeInstance* instance : m_Room)
            if (instance->object == object && !visit(AsInstance(instance), context)) return;
    }
    void VisitObjectChanges(InstanceVisit, void*) override {}
    bool IsMarked(CInstance* instance) override { return AsFake(instance)->marked; }
    bool IsDeactivated(CInstance* instance) override { return AsFake(instance)->deactivated; }
    int32_t ObjectIndex(CInstance* instance) override { return AsFake(instance)->object; }
    CVariableList* Variables(CInstance* instance) override { return &AsFake(instance)->variables; }

  private:
    std::vector<std::unique_ptr<FakeInstance>> m_All;
    std::vector<FakeInstance*> m_Room;
};

// ---------------------------------------------------------------------------------------------
// The runner.

std::string Describe(const ScriptValue& value)
{
    switch (Value_GetKind(&value)) {
    case VALUE_REAL:
        return "real " + std::to_string(value.real);
    case VALUE_STRING:
        return "string \"" + TextOf(value) + "\"";
    default:
        return "an array";
    }
}

class ExecutorCorpus : public InterpreterTest, public testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        exectest::RegisterArgumentVariables();
        m_SavedExecutor = g_UseBytecode;
        m_SavedCompiled = g_CompiledCode;
        g_UseBytecode = 0;
        g_CompiledCode = false;
        Script_Reset();
        g_CodeErrorFlag = false;
        g_CodeErrorText.clear();
    }
    void TearDown() override
    {
        Script_Reset();
        g_UseBytecode = m_SavedExecutor;
        g_CompiledCode = m_SavedCompiled;
        InterpreterTest::TearDown();
    }

    // The scripts go into the script table, every name first, so that they can call each other.
    void AddScripts(const CorpusProgram& program)
    {
        for (const auto& [name, source] : program.scripts) {
            CScript* script = new CScript();
            script->SetText(source.c_str());
            Script_Append(script, name.c_str());
        }
        for (int32_t i = 0; i < Script_Count(); ++i)
            EXPECT_TRUE(Script_Get(i)->Compile()) << Script_Name(i) << ": " << g_CodeErrorText;
    }

    CInstance* MakeWorld(const CorpusProgram& program)
    {
        for (const CorpusInstance& placed : program.instances) {
            FakeInstance* instance = m_World.Add(placed.id, placed.object, true);
            for (const CorpusVariable& variable : placed.variables)
                SetReal(instance->variables, variable.name.c_str(), variable.real);
        }
        FakeInstance* self = m_World.Find(program.self);
        if (self == nullptr) self = m_World.Add(program.self, -1, false);
        return AsInstance(self);
    }

    CorpusWorld m_World;
    uint8_t m_SavedExecutor = 1;
    bool m_SavedCompiled = false;
};

void ExpectOutcome(const CorpusProgram& program, bool done, const ScriptValue& result)
{
    switch (program.expect) {
    case Outcome::Error:
        EXPECT_FALSE(done) << "expected the error " << program.text << ", got " << Describe(result);
        EXPECT_NE(g_CodeErrorText.find(program.text), std::string::npos) << g_CodeErrorText;
        break;
    case Outcome::Real:
        EXPECT_TRUE(done) << g_CodeErrorText;
        EXPECT_EQ(Value_GetKind(&result), VALUE_REAL) << Describe(result);
        if (Value_GetKind(&result) == VALUE_REAL) {
            EXPECT_EQ(result.real, program.real) << Describe(result);
        }
        break;
    case Outcome::Text:
        EXPECT_TRUE(done) << g_CodeErrorText;
        EXPECT_EQ(Value_GetKind(&result), VALUE_STRING) << Describe(result);
        EXPECT_EQ(TextOf(result), program.text) << Describe(result);
        break;
    case Outcome::Nothing:
        break;
    }
}

TEST_P(ExecutorCorpus, ProgramGivesItsResultOrItsListedDifference)
{
    CorpusProgram program = ReadCorpus(GetParam());
    ASSERT_NE(program.expect, Outcome::Nothing) << "the corpus file names no result";
    if (const Difference* difference = FindDifference(GetParam())) {
        program.expect = difference->outcome;
        program.real = difference->real;
        program.text = difference->text != nullptr ? difference->text : "";
    }
    AddScripts(program);
    std::string source = program.main;
    CCode main(source.c_str(), false);
    ASSERT_TRUE(main.Compile(GetParam().c_str())) << g_CodeErrorText;
    ASSERT_EQ(main.m_pCode, nullptr) << "the tree executor's code carries no bytecode";

    CInstance* self = MakeWorld(program);
    int32_t argumentCount = g_ScriptArgumentCount;
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    bool done = Code_Execute(self, self, &main, &result);
    EXPECT_EQ(g_ScriptArgumentCount, argumentCount) << "the argument count is not restored";
    ExpectOutcome(program, done, result);
    Value_Free(&result);
}

INSTANTIATE_TEST_SUITE_P(Programs, ExecutorCorpus, testing::ValuesIn(CorpusFiles()), CorpusTestName);

// Every listed difference names a corpus program, and what it lists really differs from the
// program's file: an entry the executors agree on is not a difference.
TEST(ExecutorDifferences, EachNamesAProgramAndDiffersFromItsFile)
{
    std::vector<std::string> files = CorpusFiles();
    for (const Difference& difference : EXECUTOR_DIFFERENCES) {
        SCOPED_TRACE(difference.program);
        ASSERT_TRUE(std::find(files.begin(), files.end(), difference.program) != files.end());
        CorpusProgram program = ReadCorpus(difference.program);
        ASSERT_NE(program.expect, Outcome::Nothing);
        bool same = program.expect == difference.outcome &&
                    (difference.outcome == Outcome::Real
                         ? program.real == difference.real
                         : program.text == (difference.text != nullptr ? difference.text : ""));
        EXPECT_FALSE(same) << "listed, but the file expects the same";
        EXPECT_NE(std::string(difference.why), "");
    }
}

} // namespace
