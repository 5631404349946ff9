// Calls of built-in functions from script code against Lua 5.4 calling its own equivalents: a
// million each of floor (math.floor), point_distance (math.sqrt of the summed squares) and
// string_length (utf8.len), in the same loop on both sides. Each program is compiled from source by
// the engine's own compiler; each Lua program (bench/lua/) times itself. Prints both times, the
// ratio, and whether the answers agree (point_distance works in single precision, so to a part in a
// million).
//
// Needs lua5.4 on the PATH: scripts/bench.sh installs it when missing.
#include "Bench_LuaPeer.h"
#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "code/Code_Constants.h"
#include "code/Code_Function.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_Global.h"

namespace {

const bench::LuaWorkload WORKLOADS[] = {
    {"1,000,000 calls of floor", "floor.lua",
     "var i, s; s = 0;\nfor (i = 0; i < 1000000; i += 1) s += floor(i * 0.37);\nreturn s;"},
    {"1,000,000 calls of point_distance", "distance.lua",
     "var i, s; s = 0;\nfor (i = 0; i < 1000000; i += 1) s += point_distance(0, 0, i, i * 0.5);\nreturn s;"},
    {"1,000,000 calls of string_length", "length.lua",
     "var i, s, t; s = 0; t = \"h\xC3\xA9llo w\xC3\xB6rld \xE2\x82\xAC\";\n"
     "for (i = 0; i < 1000000; i += 1) s += string_length(t);\nreturn s;"},
};

} // namespace

int main()
{
    ScriptHeap_Init();
    Variable_Init();
    if (Constant_Count() == 0) Constant_Init();
    RegisterAllFunctionFamilies();
    bench::PrintLuaHeader();
    // point_distance works in single precision: the answers agree to a part in a million.
    for (const bench::LuaWorkload& workload : WORKLOADS) bench::CompareWithLua(workload, 1e-6);
    return 0;
}
