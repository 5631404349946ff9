// Running assembled programs in the interpreter for the tests: a world of fake instances that
// variable access and with blocks reach, built-in functions that record their calls, scripts made
// of assembled code, and a run in the debugger's quiet mode so that an error stops the program and
// leaves its text to check instead of ending the process.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "Code_ArgumentRows.h"
#include "Code_FakeWorld.h"
#include "../TestSupport_Console.h"
#include "app/App_CommandLine.h"
#include "code/Code_Assembler.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Translate.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Options.h"
#include "platform/Platform_ScriptHeap.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

namespace vmtest {

using testsupport::StderrConsole;


inline double RealOf(CVariableList& list, const char* name)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    list.GetVar(Code_Variable_Find(name), -1, &value);
    double real = value.real;
    Value_Free(&value);
    return real;
}

inline void SetReal(CVariableList& list, const char* name, double real)
{
    ScriptValue value = {VALUE_REAL, 0, real};
    list.SetVar(Code_Variable_Find(name), -1, &value);
}

inline std::string TextOf(const ScriptValue& value)
{
    const char* text = Value_GetText(&value);
    return text != nullptr ? text : "";
}

// What one run left behind.
struct RunOutcome {
    bool failed = false;       // an error stopped the program
    std::string error;         // its text
    ScriptValue result = {VALUE_REAL, 0, -12345.0}; // untouched unless the program handed a value back
    int32_t leftOnStack = 0;

    RunOutcome() = default;
    RunOutcome(const RunOutcome&) = delete;
    RunOutcome& operator=(const RunOutcome&) = delete;
    RunOutcome(RunOutcome&& other) noexcept : failed(other.failed), error(other.error), result(other.result),
                                              leftOnStack(other.leftOnStack)
    {
        other.result = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    ~RunOutcome() { Value_Free(&result); }

    bool Untouched() const { return Value_GetKind(&result) == VALUE_REAL && result.real == -12345.0; }
    double Real() const { return result.real; }
    std::string Text() const { return TextOf(result); }
};

// Runs a code buffer quietly: an error stops the run instead of the process.
inline RunOutcome RunQuietly(const VMBuffer* code, CInstance* self, CInstance* other, bool withResult = true,
                             const VMBuffer* debugInfo = nullptr, const char* text = "")
{
    RunOutcome outcome;
    uint8_t savedQuiet = Debug_EvaluatingExpression;
    Debug_EvaluatingExpression = 1;
    g_VMEvaluationFailed = 0;
    g_VMEvaluationError.clear();
    VM_Exec("test", self, other, code, withResult ? &outcome.result : nullptr, debugInfo, text);
    Debug_EvaluatingExpression = savedQuiet;
    outcome.failed = g_VMEvaluationFailed != 0;
    outcome.error = g_VMEvaluationError;
    outcome.leftOnStack = VM_LastRunStackBytes();
    return outcome;
}

// Assembles and keeps the code; runs it quietly (errors stop the run instead of the process).
class Program {
public:
    explicit Program(const std::string& source)
    {
        m_Ok = VM_Assemble(source.c_str(), m_Assembly);
        EXPECT_TRUE(m_Ok) << m_Assembly.error << "\n" << source;
    }
    const VMBuffer* Code() const { return m_Assembly.code.get(); }
    VMAssembly& Assembly() { return m_Assembly; }

    RunOutcome Run(CInstance* self = nullptr, CInstance* other = nullptr, bool withResult = true) const
    {
        if (!m_Ok) return RunOutcome();
        return RunQuietly(m_Assembly.code.get(), self, other, withResult);
    }

private:
    VMAssembly m_Assembly;
    bool m_Ok = false;
};

inline RunOutcome RunProgram(const std::string& source, CInstance* self = nullptr, CInstance* other = nullptr)
{
    Program program(source);
    return program.Run(self, other);
}

// Scripts made of assembled programs, reached through the interpreter's script access for as long as
// the table lives. Script i is callable 100000 + i.
class ScriptTable {
public:
    ScriptTable() : m_Saved(g_VMScripts)
    {
        s_Current = this;
        g_VMScripts = VMScriptAccess{Exists, Code, Name};
    }
    ~ScriptTable()
    {
        g_VMScripts = m_Saved;
        s_Current = nullptr;
    }
    ScriptTable(const ScriptTable&) = delete;
    ScriptTable& operator=(const ScriptTable&) = delete;

    // Adds a script; an empty source makes a script without bytecode. Answers its callable id.
    int32_t Add(const std::string& name, const std::string& source)
    {
        auto entry = std::make_unique<Entry>();
        entry->name = name;
        entry->code = std::make_unique<CCode>("", false);
        if (!source.empty()) {
            EXPECT_TRUE(VM_Assemble(source.c_str(), entry->assembly)) << entry->assembly.error;
            entry->code->m_pCode = entry->assembly.code.release();
        }
        entry->code->m_Compiled = 1;
        entry->code->SetName(name.c_str());
        m_Entries.push_back(std::move(entry));
        return CALLABLE_SCRIPT_BASE + static_cast<int32_t>(m_Entries.size()) - 1;
    }

private:
    struct Entry {
        std::string name;
        VMAssembly assembly; // owns the string table the code refers to
        std::unique_ptr<CCode> code;
    };

    static bool Exists(int32_t index)
    {
        return s_Current != nullptr && index >= 0 && index < static_cast<int32_t>(s_Current->m_Entries.size());
    }
    static CCode* Code(int32_t index) { return Exists(index) ? s_Current->m_Entries[index]->code.get() : nullptr; }
    static const char* Name(int32_t index) { return Exists(index) ? s_Current->m_Entries[index]->name.c_str() : "<undefined>"; }

    static inline ScriptTable* s_Current = nullptr;
    VMScriptAccess m_Saved;
    std::vector<std::unique_ptr<Entry>> m_Entries;
};

// What the recording built-ins saw at their last call.
struct CallRecord {
    int32_t calls = 0;
    int32_t argc = -1;
    std::vector<double> reals;
    std::vector<std::string> texts;
    CInstance* self = nullptr;
    CInstance* other = nullptr;
    int32_t argumentCount = -1; // the script argument count at the call
    std::vector<double> slots;  // the 16 script argument slots at the call (reals)
};
inline CallRecord& LastCall()
{
    static CallRecord record;
    return record;
}

// vmtest_record(...): records its arguments and answers the sum of the reals. vmtest_pair(a, b) does
// the same as a row of two arguments.
inline void RecordRoutine(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    CallRecord& record = LastCall();
    record = CallRecord{record.calls + 1, argc, {}, {}, self, other, g_ScriptArgumentCount, {}};
    double sum = 0;
    for (int32_t i = 0; i < argc; ++i) {
        record.reals.push_back(args[i].real);
        record.texts.push_back(TextOf(args[i]));
        sum += args[i].real;
    }
    for (const ScriptValue& slot : g_ScriptArguments) record.slots.push_back(slot.real);
    result->real = sum;
}

// vmtest_arg(n): the script argument slot n, copied. vmtest_text(): a fresh string result.
// vmtest_self() and vmtest_other(): the identifiers of the fake instances (-1 without one).
inline void ArgumentRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Value_Copy(result, &g_ScriptArguments[static_cast<int32_t>(args[0].real)]);
}
inline void TextRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Value_SetText(result, "made by a routine");
}
inline void SelfRoutine(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    result->real = self != nullptr ? AsFake(self)->id : -1;
}
inline void OtherRoutine(ScriptValue* result, CInstance*, CInstance* other, int32_t, ScriptValue*)
{
    result->real = other != nullptr ? AsFake(other)->id : -1;
}

// Registers the test built-ins once per process.
inline void RegisterTestFunctions()
{
    int32_t id = -1;
    if (Code_Function_Find("vmtest_record", &id)) return;
    Function_Add("vmtest_record", RecordRoutine, FUNCTION_ARGS_ANY);
    Function_Add("vmtest_arg", ArgumentRoutine, 1);
    Function_Add("vmtest_text", TextRoutine, 0);
    Function_Add("vmtest_self", SelfRoutine, 0);
    Function_Add("vmtest_other", OtherRoutine, 0);
    Function_Add("vmtest_pair", RecordRoutine, 2);
}

// Every test starts from a clean slate of globals, arguments and recordings.
class InterpreterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptHeap_Init();
        RegisterTestFunctions();
        Variable_Init();
        Code_FreeScriptArguments();
        g_ScriptArgumentCount = 0;
        LastCall() = CallRecord();
    }
    void TearDown() override { Code_FreeScriptArguments(); }

    double Global(const char* name) { return RealOf(*Variable_GlobalList(), name); }
};

// Runs of compiled source (the corpus and the tree executor): constants, argument variables and
// a script table of the test's own; the executor switch, the game's error options and the message
// pump are put back afterwards.
class SourceRunTest : public InterpreterTest {
protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        if (Constant_Count() == 0) Constant_Init();
        RegisterArgumentVariables();
        m_Saved = {g_UseBytecode, g_CompiledCode, g_GameOptions.unsetVariableIsError, g_GameOptions.showErrors,
                   g_VMMessagePump};
        g_CompiledCode = false;
        g_GameOptions.unsetVariableIsError = false;
        g_GameOptions.showErrors = false;
        g_VMMessagePump = [] {}; // long loops pump window messages; there is no window here
        Script_Reset();
    }
    void TearDown() override
    {
        Script_Reset();
        g_UseBytecode = m_Saved.executor;
        g_CompiledCode = m_Saved.compiled;
        g_GameOptions.unsetVariableIsError = m_Saved.unsetIsError;
        g_GameOptions.showErrors = m_Saved.showErrors;
        g_VMMessagePump = m_Saved.pump;
        InterpreterTest::TearDown();
    }
    // Scripts are compiled with the executor switch as it stands at CompileScripts().
    static void AddScript(const char* name, const char* source)
    {
        CScript* script = new CScript();
        script->SetText(source);
        Script_Append(script, name);
    }
    static void CompileScripts()
    {
        for (int32_t i = 0; i < Script_Count(); ++i) ASSERT_TRUE(Script_Get(i)->Compile()) << g_CodeErrorText;
    }

    FakeWorld m_World;

private:
    struct {
        uint8_t executor;
        bool compiled, unsetIsError, showErrors;
        void (*pump)();
    } m_Saved{};
};

// Source programs run through each code form: the word loop, the translated form and the tree
// executor, for one instance of the fake world (100001).
enum class CodeForm { WordLoop, Translated, Tree };

class FormRunTest : public SourceRunTest {
protected:
    void SetUp() override
    {
        SourceRunTest::SetUp();
        m_SavedQuiet = Debug_EvaluatingExpression;
        m_SavedTranslate = g_VMTranslate;
        Debug_EvaluatingExpression = 1; // errors stop the run and are recorded
    }
    void TearDown() override
    {
        Debug_EvaluatingExpression = m_SavedQuiet;
        g_VMTranslate = m_SavedTranslate;
        g_VMEvaluationFailed = 0;
        SourceRunTest::TearDown();
    }

    // The text or real (as %.17g) the program returns, or "error: " and the error's message.
    std::string Run(const std::string& source, CodeForm form)
    {
        g_UseBytecode = form == CodeForm::Tree ? 0 : 1;
        g_VMTranslate = form == CodeForm::Translated;
        g_VMEvaluationFailed = 0;
        g_VMEvaluationError.clear();
        g_CodeErrorText.clear();
        CCode code(source.c_str(), false);
        if (!code.Compile("form_run")) return "compile: " + g_CodeErrorText;
        FakeInstance* self = m_World.Add(100001, 1);
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        bool done = Code_Execute(AsInstance(self), AsInstance(self), &code, &result);
        std::string got;
        if (form != CodeForm::Tree && g_VMEvaluationFailed != 0) {
            got = "error: " + g_VMEvaluationError;
        } else if (!done) {
            got = "error: " + g_CodeErrorText;
        } else if (Value_GetKind(&result) == VALUE_STRING) {
            got = TextOf(result);
        } else {
            char number[64];
            std::snprintf(number, sizeof number, "%.17g", result.real);
            got = number;
        }
        Value_Free(&result);
        m_World.Clear();
        return got;
    }

    // A result as expected: the same text, or an error whose message starts with the expected one.
    static void ExpectOutcome(const std::string& got, const std::string& expected, const std::string& what)
    {
        if (expected.rfind("error: ", 0) == 0) {
            EXPECT_EQ(got.rfind(expected, 0), 0u) << what << " gave " << got;
        } else {
            EXPECT_EQ(got, expected) << what;
        }
    }

private:
    uint8_t m_SavedQuiet = 0;
    bool m_SavedTranslate = true;
};

} // namespace vmtest
