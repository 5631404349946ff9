// The bytecode interpreter against Lua 5.4 on the same algorithms: recursive fib(27) through script
// calls, ten million rounds of arithmetic, building and measuring texts, and filling and reading an
// array of 100,000 elements. Each program is compiled from source by the engine's own compiler; each
// Lua program (bench/lua/) times itself. Prints both times, the ratio, and whether the answers agree.
//
// Needs lua5.4 on the PATH (Debian: apt-get install -y lua5.4); without it only our times print.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "platform/Platform_ScriptHeap.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the benchmark programs need of the built-in variables and functions, registered only when
// the game's own tables do not have them.
template <int N>
bool ArgumentGetter(CInstance*, int32_t, ScriptValue* out)
{
    Value_Copy(out, &g_ScriptArguments[N]);
    return true;
}

void StringRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Value_GetKind(&args[0]) == VALUE_STRING) {
        Value_Copy(result, &args[0]);
        return;
    }
    Value_SetText(result, Numbers_RealToText(args[0].real).c_str());
}

void StringLengthRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t count = 0;
    for (const char* at = Value_GetText(&args[0]); at != nullptr && *at != '\0'; ++at)
        if ((static_cast<unsigned char>(*at) & 0xC0) != 0x80) ++count;
    result->real = count;
}

void Prepare()
{
    ScriptHeap_Init();
    Variable_Init();
    if (Constant_Count() == 0) Constant_Init();
    if (Variable_BuiltIn_Find("argument0") < 0) Variable_BuiltIn_Add("argument0", ArgumentGetter<0>, nullptr, false);
    int32_t id = -1;
    if (!Code_Function_Find("string", &id)) Function_Add("string", StringRoutine, 1);
    if (!Code_Function_Find("string_length", &id)) Function_Add("string_length", StringLengthRoutine, 1);

    CScript* fib = new CScript();
    fib->SetText("if (argument0 < 2) return argument0;\nreturn fib(argument0 - 1) + fib(argument0 - 2);");
    Script_Append(fib, "fib");
    if (!fib->Compile()) std::printf("fib does not compile: %s\n", g_CodeErrorText.c_str());
}

struct Workload {
    const char* name;
    const char* lua;
    const char* source;
};

const Workload WORKLOADS[] = {
    {"fib(27) through script calls", "fib.lua", "return fib(27);"},
    {"10,000,000 rounds of arithmetic", "loop.lua",
     "var i, s; s = 0;\nfor (i = 0; i < 10000000; i += 1) { s = s + (i * 3) mod 7; }\nreturn s;"},
    {"200,000 texts built and measured", "strings.lua",
     "var i, t, total; total = 0;\n"
     "for (i = 0; i < 200000; i += 1) { t = \"n\" + string(i) + \":\" + string(i * 2); total += string_length(t); }\n"
     "return total;"},
    {"array of 100,000 filled and read, 20 times", "array.lua",
     "var a, i, round, total; total = 0;\n"
     "for (round = 0; round < 20; round += 1) {\n"
     "  a = 0;\n"
     "  for (i = 0; i < 100000; i += 1) a[i] = i * 2;\n"
     "  for (i = 0; i < 100000; i += 1) total += a[i];\n"
     "}\nreturn total;"},
};

// Runs the workload once; false when it does not compile.
bool RunOurs(const Workload& workload, double* seconds, double* answer)
{
    CCode code(workload.source, false);
    if (!code.Compile("bench")) {
        std::printf("%s does not compile: %s\n", workload.name, g_CodeErrorText.c_str());
        return false;
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Clock::time_point start = Clock::now();
    Code_Execute(nullptr, nullptr, &code, &result);
    *seconds = std::chrono::duration<double>(Clock::now() - start).count();
    *answer = result.real;
    Value_Free(&result);
    return true;
}

// The Lua program's own time and answer; false when lua5.4 cannot be run.
bool RunLua(const Workload& workload, double* seconds, double* answer)
{
    std::string file = __FILE__;
    file = file.substr(0, file.find_last_of('/') + 1) + "lua/" + workload.lua;
    std::string command = "lua5.4 '" + file + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    char line[256] = {};
    bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    bool exited = pclose(pipe) == 0;
    return read && exited && std::sscanf(line, "%lf %lf", seconds, answer) == 2;
}

} // namespace

// With an argument, only the workloads whose name holds it run.
int main(int argc, char** argv)
{
    Prepare();
    std::printf("%-44s %10s %10s %7s  %s\n", "workload", "kelvaro", "lua 5.4", "ratio", "answers");
    for (const Workload& workload : WORKLOADS) {
        if (argc > 1 && std::strstr(workload.name, argv[1]) == nullptr) continue;
        double ours = 0, oursAnswer = 0, lua = 0, luaAnswer = 0;
        if (!RunOurs(workload, &ours, &oursAnswer)) continue;
        // The best of three, for both.
        for (int round = 1; round < 3; ++round) {
            double again = 0;
            RunOurs(workload, &again, &oursAnswer);
            if (again < ours) ours = again;
        }
        bool haveLua = RunLua(workload, &lua, &luaAnswer);
        for (int round = 1; haveLua && round < 3; ++round) {
            double again = 0;
            if (RunLua(workload, &again, &luaAnswer) && again < lua) lua = again;
        }
        if (!haveLua) {
            std::printf("%-44s %9.3fs %10s %7s  %.0f (lua5.4 not found)\n", workload.name, ours, "-", "-", oursAnswer);
            continue;
        }
        std::printf("%-44s %9.3fs %9.3fs %6.2fx  %s (%.0f)\n", workload.name, ours, lua, ours / lua,
                    oursAnswer == luaAnswer ? "agree" : "DIFFER", oursAnswer);
    }
    return 0;
}
