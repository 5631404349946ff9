// Calls of built-in functions from script code against Lua 5.4 calling its own equivalents: a
// million each of floor (math.floor), point_distance (math.sqrt of the summed squares) and
// string_length (utf8.len), in the same loop on both sides. Each program is compiled from source by
// the engine's own compiler; each Lua program (bench/lua/) times itself. Prints both times, the
// ratio, and whether the answers agree (point_distance works in single precision, so to a part in a
// million).
//
// Needs lua5.4 on the PATH: scripts/bench.sh installs it when missing.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_Global.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Workload {
    const char* name;
    const char* lua;
    const char* source;
};

const Workload WORKLOADS[] = {
    {"1,000,000 calls of floor", "floor.lua",
     "var i, s; s = 0;\nfor (i = 0; i < 1000000; i += 1) s += floor(i * 0.37);\nreturn s;"},
    {"1,000,000 calls of point_distance", "distance.lua",
     "var i, s; s = 0;\nfor (i = 0; i < 1000000; i += 1) s += point_distance(0, 0, i, i * 0.5);\nreturn s;"},
    {"1,000,000 calls of string_length", "length.lua",
     "var i, s, t; s = 0; t = \"h\xC3\xA9llo w\xC3\xB6rld \xE2\x82\xAC\";\n"
     "for (i = 0; i < 1000000; i += 1) s += string_length(t);\nreturn s;"},
};

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

// The best of three runs.
template <typename Runner> bool Best(Runner run, const Workload& workload, double* seconds, double* answer)
{
    if (!run(workload, seconds, answer)) return false;
    for (int round = 1; round < 3; ++round) {
        double again = 0;
        if (run(workload, &again, answer) && again < *seconds) *seconds = again;
    }
    return true;
}

} // namespace

int main()
{
    ScriptHeap_Init();
    Variable_Init();
    if (Constant_Count() == 0) Constant_Init();
    RegisterAllFunctionFamilies();
    std::printf("\n%-36s %10s %10s %7s  %s\n", "workload", "kelvaro", "lua 5.4", "ratio", "answers");
    for (const Workload& workload : WORKLOADS) {
        double ours = 0, oursAnswer = 0, lua = 0, luaAnswer = 0;
        if (!Best(RunOurs, workload, &ours, &oursAnswer)) continue;
        if (!Best(RunLua, workload, &lua, &luaAnswer)) {
            std::printf("%-36s %9.3fs %10s %7s  %.17g (lua5.4 not found)\n", workload.name, ours, "-", "-",
                        oursAnswer);
            continue;
        }
        bool agree = std::fabs(oursAnswer - luaAnswer) <= 1e-6 * std::fabs(luaAnswer);
        std::printf("%-36s %9.3fs %9.3fs %6.2fx  %s (%.17g)\n", workload.name, ours, lua, ours / lua,
                    agree ? "agree" : "DIFFER", oursAnswer);
    }
    return 0;
}
