// `var` locals in frame slots: each level's own, freed on return as a list frees them, read unset
// as a missing list entry, shown to the debugger and the error report in the order a level's named
// list would hold them, and those past the slots (or reached in ways the words do not show) kept
// in the level's list as before.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Code_CompilerSupport.h"
#include "Code_InterpreterSupport.h"
#include "Code_TestBuffer.h"
#include "Code_TestLog.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Execute.h"
#include "code/Code_LocalSlots.h"
#include "platform/Platform_MemoryManager.h"

using namespace vmtest;

namespace {

// What the report built-in saw: the error report's text and the debugger's block.
std::string g_Report;
std::vector<uint8_t> g_Block;
void ReportRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    CapturedConsole script(ScriptConsole);
    VM_ReportVariables(ScriptConsole);
    g_Report = script.Text();
    TestBuffer block;
    VM_DebugWriteInstance(&block);
    g_Block = block.Bytes();
}

// Asks for a break, as the debugger does while a run goes on: the word loop takes the run over.
void BreakRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { VM_RequestBreak(); }

CCode* g_Inner = nullptr;
void InnerRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Code_Execute(nullptr, nullptr, g_Inner, result);
}

class LocalSlotTest : public SourceRunTest {
protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("vmslot_report", &id)) {
            Function_Add("vmslot_report", ReportRoutine, 0);
            Function_Add("vmslot_inner", InnerRoutine, 0);
            Function_Add("vmslot_break", BreakRoutine, 0);
        }
        g_UseBytecode = 1;
        g_Report.clear();
        g_Block.clear();
    }

    static std::unique_ptr<CCode> Compile(const std::string& source)
    {
        auto code = std::make_unique<CCode>(source.c_str(), false);
        EXPECT_TRUE(code->Compile("test")) << source << ": " << g_CodeErrorText;
        return code;
    }

    static RunOutcome Run(const CCode* code)
    {
        uint8_t quiet = Debug_EvaluatingExpression;
        Debug_EvaluatingExpression = 1;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        RunOutcome outcome;
        Code_Execute(nullptr, nullptr, const_cast<CCode*>(code), &outcome.result);
        Debug_EvaluatingExpression = quiet;
        outcome.failed = g_VMEvaluationFailed != 0;
        outcome.error = g_VMEvaluationError;
        return outcome;
    }
};

// Names of locals enough to pass the slots: the 2nd, 7th and 14th share a list bucket, and so do
// the 3rd and 13th.
std::vector<std::string> LocalNames()
{
    std::vector<std::vector<std::string>> byBucket(VARIABLE_BUCKETS);
    for (int32_t k = 0; k < 4 * VARIABLE_BUCKETS; ++k) {
        std::string name = "vmslot_c" + std::to_string(k);
        byBucket[static_cast<size_t>(Variable_Bucket(Code_Variable_Add(name.c_str())))].push_back(name);
    }
    std::vector<std::string> names(VM_LOCAL_SLOT_LIMIT + 3);
    size_t bucket = 0;
    auto take = [&](size_t from) {
        std::string name = byBucket[from].back();
        byBucket[from].pop_back();
        return name;
    };
    names[1] = take(0), names[6] = take(0), names[13] = take(0);
    names[2] = take(1), names[12] = take(1);
    for (std::string& name : names)
        if (name.empty()) name = take(2 + bucket++);
    return names;
}

TEST_F(LocalSlotTest, LocalsGiveWhatTheNamedListGave)
{
    AddScript("keep", "var a, n; n = argument0; a[0] = n; a[1] = 'level';"
                      "if (n > 0) keep(n - 1); if (a[1] == 'level') return a[0] * 10 + 7; return -1;");
    AddScript("words", "var t; t = argument0 + '!'; if (argument1 > 0) words(t, argument1 - 1); return t;");
    AddScript("unset", "var u; return u;");
    AddScript("late", "var k; k = vmslot_inner(); return k;");
    AddScript("down", "var a, b; a = argument0; b[1] = a; if (a > 0) return down(a - 1) + b[1]; return 0;");
    AddScript("deep", "var n, t; n = argument0; t = 'x'; if (n > 0) return deep(n - 1) + n; vmslot_break(); return 100;");
    CompileScripts();
    std::unique_ptr<CCode> inner = Compile("var k; k = 40; return k + 2;");
    g_Inner = inner.get();
    m_World.Add(100001, 1);
    m_World.Add(100002, 1);
    m_World.Add(100003, 2);
    std::string many = "var ";
    std::string sum = "return 0";
    for (int32_t i = 0; i < VM_LOCAL_SLOT_LIMIT + 3; ++i) {
        many += (i > 0 ? ", m" : "m") + std::to_string(i);
        sum += " + m" + std::to_string(i);
    }
    many += ";";
    for (int32_t i = 0; i < VM_LOCAL_SLOT_LIMIT + 3; ++i) many += "m" + std::to_string(i) + " = " + std::to_string(i) + ";";
    const struct {
        const char* what;
        std::string source;
        double real;
        const char* text;
    } cases[] = {
        {"recursion: each level its own array", "return keep(4);", 47, nullptr},
        {"recursion: each level its own text", "return words('a', 3);", 0, "a!"},
        {"an unset local reads as real 0", "return unset();", 0, nullptr},
        {"an unset element of an unset local", "var a; return a[3];", 0, nullptr},
        {"with blocks read and write the level's locals",
         "var w; w = 5; with (all) { w += 1; } return w;", 8, nullptr},
        {"with blocks of another object", "var w, c; w = 0; c = 0; with (1) { w += 2; c += 1; } return w * 10 + c;", 42,
         nullptr},
        {"a nested run has its own locals", "var k; k = 1; k += vmslot_inner(); return k;", 43, nullptr},
        {"a script's nested run after its own", "return late() + 1;", 43, nullptr},
        {"recursion deep enough to make the stack region again, the slots moving with it", "return down(1500);",
         1125750, nullptr},
        {"the word loop takes over five levels deep and returns through their slots", "return deep(5);", 115, nullptr},
        {"the word loop takes over inside a counting loop over a local",
         "var i, s; s = 0; for (i = 0; i < 10; i += 1) { if (i == 5) vmslot_break(); s += i; } return s * 100 + i;", 4510,
         nullptr},
        {"locals past the slots", many + sum + ";", (VM_LOCAL_SLOT_LIMIT + 3) * (VM_LOCAL_SLOT_LIMIT + 2) / 2.0, nullptr},
        {"a counting loop over a local", "var i, s; s = 0; for (i = 0; i < 5000; i += 1) s += i; return s + i;",
         12497500 + 5000, nullptr},
        {"a counting loop over a local holding a text first",
         "var i, s; i = 'x'; s = i; for (i = 0; i < 10; i += 1) s += 'y'; if (i == 10) return s; return '';", 0,
         "xyyyyyyyyyy"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CCode> code = Compile(c.source);
        RunOutcome outcome = Run(code.get());
        ASSERT_FALSE(outcome.failed) << c.what << ": " << outcome.error;
        if (c.text != nullptr)
            EXPECT_EQ(outcome.Text(), c.text) << c.what;
        else
            EXPECT_EQ(outcome.Real(), c.real) << c.what;
        EXPECT_FALSE(VM_BreakRequested()) << c.what << ": a requested break is taken before the run ends";
    }
    VM_CancelRequests();
    g_Inner = nullptr;
}

TEST_F(LocalSlotTest, UnsetLocalsFailWhenTheGameSaysSo)
{
    g_GameOptions.unsetVariableIsError = true;
    AddScript("unset", "var u; return u;");
    CompileScripts();
    for (const char* source : {"return unset();", "var u, v; v = u; return v;"}) {
        std::unique_ptr<CCode> code = Compile(source);
        RunOutcome outcome = Run(code.get());
        EXPECT_TRUE(outcome.failed) << source;
        EXPECT_NE(outcome.error.find("Variable Get -7.u("), std::string::npos) << source << ": " << outcome.error;
    }
}

// Texts and arrays held in slots and in the list past them are freed when their level returns, and
// when the run's own level ends, as emptying a list frees them.
TEST_F(LocalSlotTest, ValuesInLocalsAreFreedOnReturn)
{
    std::string body = "var ";
    for (int32_t i = 0; i < VM_LOCAL_SLOT_LIMIT + 2; ++i) body += (i > 0 ? ", h" : "h") + std::to_string(i);
    body += "; h0 = 'text ' + vmtest_text();";
    body += "h" + std::to_string(VM_LOCAL_SLOT_LIMIT + 1) + " = h0 + '!';";
    body += "h1[3] = argument0; h" + std::to_string(VM_LOCAL_SLOT_LIMIT) + "[1, 2] = h0;";
    body += "if (argument0 > 0) holder(argument0 - 1); return h1[3];";
    AddScript("holder", body.c_str());
    CompileScripts();
    std::unique_ptr<CCode> code = Compile("var t, a; t = 'own'; a[2] = t; return holder(5) + (a[2] == 'own');");
    RunOutcome first = Run(code.get()); // the first run makes what runs keep (translations, lists)
    ASSERT_FALSE(first.failed) << first.error;
    EXPECT_EQ(first.Real(), 6);
    uint32_t blocks = MemoryManager::BlockCount();
    for (int32_t round = 0; round < 3; ++round) {
        RunOutcome again = Run(code.get());
        EXPECT_EQ(again.Real(), 6);
    }
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
}

// The error report's block and the debugger's view list a level's locals as a list that the same
// stores made would: bucket by bucket, the latest set first in each, the ones past the slots among
// them, values as they are.
TEST_F(LocalSlotTest, ReportAndDebuggerListLocalsInTheListsOrder)
{
    // Each number stored as a constant (the words' store) or computed (in a register sequence, whose
    // first store of a local sets its slot itself); and computed with a call midway to a script that
    // sets a local of its own, after which the level's count of set slots is its own again (the
    // level's locals then all in slots, whose orders a level with a list counts another way; the
    // 2nd and 7th set either side of the call).
    AddScript("vmslot_setter", "var p; p = argument0 * 2; return p;");
    CompileScripts();
    for (int32_t mode : {0, 1, 2}) {
        bool computed = mode > 0;
        SCOPED_TRACE(mode == 0 ? "constant" : mode == 1 ? "computed" : "computed around a call");
        std::vector<std::string> names = LocalNames();
        if (mode == 2) names.resize(VM_LOCAL_SLOT_LIMIT - 1);
        // Read first, set later in another order, so that the order they were set in is not the code's.
        std::string source = "var ";
        for (size_t i = 0; i < names.size(); ++i) source += (i > 0 ? ", " : "") + names[i];
        source += "; var r; r = 0;";
        for (size_t i = 0; i < names.size(); ++i) source += "r += " + names[i] + ";";
        std::vector<size_t> order;
        for (size_t i = names.size(); i-- > 0;) order.push_back(i);
        std::swap(order[2], order[5]);
        CVariableList expected;
        ScriptValue zero = {VALUE_REAL, 0, 0.0};
        expected.SetVar(Code_Variable_Find("r"), -1, &zero);
        for (size_t i : order) {
            ScriptValue value = {VALUE_REAL, 0, static_cast<double>(i)};
            if (i % 3 == 1) Value_SetText(&value, ("t" + std::to_string(i)).c_str());
            expected.SetVar(Code_Variable_Find(names[i].c_str()), -1, &value);
            Value_Free(&value);
            std::string number = computed ? "r * 0 + " + std::to_string(i) : std::to_string(i);
            source += names[i] + " = " + (i % 3 == 1 ? "'t" + std::to_string(i) + "'" : number) + ";";
            if (mode == 2 && i == order[order.size() / 2]) source += "r += vmslot_setter(r) * 0;";
        }
        source += "vmslot_report(); return r;";
        std::unique_ptr<CCode> code = Compile(source);
        RunOutcome outcome = Run(code.get());
        ASSERT_FALSE(outcome.failed) << outcome.error;

        CapturedConsole dump(ScriptConsole);
        expected.DebugDump(ScriptConsole);
        std::string report = "Local Variables : \n" + dump.Text();
        EXPECT_NE(g_Report.find(report), std::string::npos) << g_Report << "\nexpected:\n" << report;

        // The block: code address, position, self, other, then the locals.
        ASSERT_GE(g_Block.size(), 20u);
        size_t at = 16;
        auto next = [&](auto number) {
            std::memcpy(&number, g_Block.data() + at, sizeof number);
            at += sizeof number;
            return number;
        };
        EXPECT_EQ(next(uint32_t{}), static_cast<uint32_t>(expected.Count()));
        for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket) {
            for (const VariableNode* node = expected.Bucket(bucket); node != nullptr; node = node->next) {
                EXPECT_EQ(next(int32_t{}), node->id);
                uint32_t kind = next(uint32_t{});
                ASSERT_EQ(kind, Value_GetKind(&node->value)) << Code_Variable_Find_Name(node->id);
                if (kind == VALUE_STRING) {
                    uint32_t length = next(uint32_t{});
                    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_Block.data() + at), length - 1), TextOf(node->value));
                    at += length;
                } else {
                    EXPECT_EQ(next(double{}), node->value.real);
                }
            }
        }
    }
}

// Code that reaches a local in ways the compiler does not write (its instance pushed long before,
// or computed) still finds the level's local, in its slot or in the list past the slots.
TEST_F(LocalSlotTest, LocalsReachedOnlyThroughTheStack)
{
    std::string filler;
    for (int32_t i = 0; i < 20; ++i) filler += "push.e 1\npopz.i\n";
    const struct {
        const char* what;
        std::string source;
        double expected;
    } cases[] = {
        {"an element whose instance was pushed long before",
         "push.e 7\nconv.i.v\npush.e -7\n" + filler + "push.e 2\npop.v.v stack.vmslot_far[]\n"
         "push.e -7\n" + filler + "push.e 2\npush.v stack.vmslot_far[]\nret.v\n", 7},
        {"a plain local then its element through a computed instance",
         "push.e 3\npop.v.i local.vmslot_near\npush.e 5\nconv.i.v\npush.e -8\npush.e 1\nadd.i.i\npush.e 0\n"
         "pop.v.v stack.vmslot_near[]\npush.e -7\npush.e 0\npush.v stack.vmslot_near[]\nret.v\n", 5},
    };
    for (const auto& c : cases) {
        RunOutcome outcome = RunProgram(c.source);
        ASSERT_FALSE(outcome.failed) << c.what << ": " << outcome.error;
        EXPECT_EQ(outcome.Real(), c.expected) << c.what;
    }
}

} // namespace
