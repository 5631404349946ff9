// Run-time code: execute_string and execute_file compile source text given while the game runs and
// run it for the calling instance, lending it the script argument slots.
#include <algorithm>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "function/Function_Args.h"
#include "function/Function_MiscEvents.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_File.h"
#include "support/Support_SaveArea.h"
#include "support/Support_TextFile.h"

namespace {

// Each execution names its code object with its function's counter, then counts on.
int32_t g_ExecuteStringCount = 0;
int32_t g_ExecuteFileCount = 0;

// While it lives, the argument slots hold the values after the text (at most 15, the rest real 0)
// and argument_count their number; the caller's slots and count come back when it goes, whatever
// path the execution took.
class LentArguments {
public:
    LentArguments(int32_t argc, const ScriptValue* args) : m_Count(g_ScriptArgumentCount)
    {
        int32_t placed = std::min(argc, SCRIPT_ARGUMENT_COUNT) - 1;
        for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
            m_Saved[i] = g_ScriptArguments[i];
            g_ScriptArguments[i] = ScriptValue{VALUE_REAL, 0, 0.0};
            if (i < placed) Value_Copy(&g_ScriptArguments[i], &args[1 + i]);
        }
        g_ScriptArgumentCount = placed;
    }
    ~LentArguments()
    {
        for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
            Value_Free(&g_ScriptArguments[i]);
            g_ScriptArguments[i] = m_Saved[i];
        }
        g_ScriptArgumentCount = m_Count;
    }
    LentArguments(const LentArguments&) = delete;
    LentArguments& operator=(const LentArguments&) = delete;

private:
    ScriptValue m_Saved[SCRIPT_ARGUMENT_COUNT];
    int32_t m_Count;
};

// Compiles the text as a program named prefix + counter and runs it into the result; a text that
// does not compile is shown as a plain error, the compiler's report after the heading.
void Execute(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, const ScriptValue* args,
             const std::string& text, const char* prefix, int32_t* counter, const char* heading)
{
    LentArguments lent(argc, args);
    std::string name = prefix + std::to_string((*counter)++);
    CCode code(text.c_str(), false);
    if (code.Compile(name.c_str())) {
        Code_Execute_Report(self, other, &code, result);
        return;
    }
    std::string message = heading + g_CodeErrorText;
    Error_Show(message.c_str(), false);
}

// The program text of a file: every line (ending after its line feed, or at the end) and one more
// line feed.
std::string JoinLines(const std::string& text)
{
    std::string program;
    program.reserve(text.size() * 2 + 1);
    for (char c : text) {
        program += c;
        if (c == '\n') program += '\n';
    }
    if (!text.empty() && text.back() != '\n') program += '\n';
    return program;
}

} // namespace

void Builtin_ExecuteString(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    if (argc < 1) return;
    Execute(result, self, other, argc, args, Arg_TextOrEmpty(args[0]), "Execute.", &g_ExecuteStringCount,
            "COMPILATION ERROR in string to be executed\n");
}

// The name is taken as given (no save-area mapping), with "\" as a folder separator.
void Builtin_ExecuteFile(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args)
{
    if (argc < 1) return;
    std::string path = Arg_TextOrEmpty(args[0]);
    std::replace(path.begin(), path.end(), '\\', '/');
    int32_t size = 0;
    uint8_t* bytes = File_Exists(path.c_str()) ? LoadSave_ReadWholeFile(path.c_str(), &size) : nullptr;
    if (bytes == nullptr) {
        Error_Show_Action("Trying to execute non-existing file.", false);
        return;
    }
    std::string text = TextFile_FromBytes(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    MemoryManager::Free(bytes);
    Execute(result, self, other, argc, args, JoinLines(text), "ExecuteFile.", &g_ExecuteFileCount,
            "COMPILATION ERROR in file to be executed\n");
}
