// The bytecode interpreter against Lua 5.4 on the same algorithms: recursive fib(27) through script
// calls, ten million rounds of arithmetic, building and measuring texts, and filling and reading an
// array of 100,000 elements. Each program is compiled from source by the engine's own compiler; each
// Lua program (bench/lua/) times itself. Prints both times, the ratio, and whether the answers agree.
//
// Needs lua5.4 on the PATH (Debian: apt-get install -y lua5.4); without it only our times print.
#include <cstdio>
#include <cstring>

#include "Bench_LuaPeer.h"
#include "app/App_Startup.h"
#include "code/Code_Constants.h"
#include "code/Code_Function.h"
#include "platform/Platform_ScriptHeap.h"
#include "script/Script_Table.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"

namespace {

// The game's own built-in variables and functions, and the script fib.
void Prepare()
{
    ScriptHeap_Init();
    Variable_Init();
    Variable_BuiltIn_Init();
    if (Constant_Count() == 0) Constant_Init();
    RegisterAllFunctionFamilies();

    CScript* fib = new CScript();
    fib->SetText("if (argument0 < 2) return argument0;\nreturn fib(argument0 - 1) + fib(argument0 - 2);");
    Script_Append(fib, "fib");
    if (!fib->Compile()) std::printf("fib does not compile: %s\n", g_CodeErrorText.c_str());
}

const bench::LuaWorkload WORKLOADS[] = {
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

} // namespace

// With an argument, only the workloads whose name holds it run.
int main(int argc, char** argv)
{
    Prepare();
    bench::PrintLuaHeader();
    for (const bench::LuaWorkload& workload : WORKLOADS)
        if (argc < 2 || std::strstr(workload.name, argv[1]) != nullptr) bench::CompareWithLua(workload, 0.0);
    return 0;
}
