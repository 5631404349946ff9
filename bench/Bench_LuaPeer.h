// Script workloads timed against Lua 5.4 running the same algorithm: our side compiles the source
// with the engine's compiler and runs it once per round; the Lua program (bench/lua/) times itself
// and prints its time and answer. Needs lua5.4 on the PATH (scripts/bench.sh installs it).
#pragma once

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Object.h"

namespace bench {

struct LuaWorkload {
    const char* name;
    const char* lua;    // the peer's file under bench/lua/
    const char* source; // our program; it returns its answer
};

// Runs our program once; false when it does not compile.
inline bool RunOurs(const LuaWorkload& workload, double* seconds, double* answer)
{
    CCode code(workload.source, false);
    if (!code.Compile("bench")) {
        std::printf("%s does not compile: %s\n", workload.name, g_CodeErrorText.c_str());
        return false;
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    auto start = std::chrono::steady_clock::now();
    Code_Execute(nullptr, nullptr, &code, &result);
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *answer = result.real;
    Value_Free(&result);
    return true;
}

// The Lua program's own time and answer; false when lua5.4 cannot be run.
inline bool RunLua(const LuaWorkload& workload, double* seconds, double* answer)
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
template <typename Runner> bool BestOfThree(Runner run, const LuaWorkload& workload, double* seconds, double* answer)
{
    if (!run(workload, seconds, answer)) return false;
    for (int round = 1; round < 3; ++round) {
        double again = 0;
        if (run(workload, &again, answer) && again < *seconds) *seconds = again;
    }
    return true;
}

// Both sides' best times, the ratio and whether the answers agree within `tolerance` (relative).
inline void CompareWithLua(const LuaWorkload& workload, double tolerance)
{
    double ours = 0, oursAnswer = 0, lua = 0, luaAnswer = 0;
    if (!BestOfThree(RunOurs, workload, &ours, &oursAnswer)) return;
    if (!BestOfThree(RunLua, workload, &lua, &luaAnswer)) {
        std::printf("%-44s %9.3fs %10s %7s  %.17g (lua5.4 not found)\n", workload.name, ours, "-", "-", oursAnswer);
        return;
    }
    bool agree = std::fabs(oursAnswer - luaAnswer) <= tolerance * std::fabs(luaAnswer);
    std::printf("%-44s %9.3fs %9.3fs %6.2fx  %s (%.17g)\n", workload.name, ours, lua, ours / lua,
                agree ? "agree" : "DIFFER", oursAnswer);
}

inline void PrintLuaHeader()
{
    std::printf("\n%-44s %10s %10s %7s  %s\n", "workload", "kelvaro", "lua 5.4", "ratio", "answers");
}

} // namespace bench
