// Objects made at run time, each followed by a lookup by name: one script runs N pairs of
// object_add() and asset_get_index("obj_main"), as a game that makes its objects in a loop does.
// Prints the seconds for each N and the time per pair, which should stay flat as N grows (a lookup
// that rebuilt its names after every change would grow with the object count).
//     bench_objectnames [N ...]   (default 5000 10000 20000 40000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/App_Startup.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"

namespace {

// The seconds the pairs took, or -1 when the script does not compile or loses obj_main.
double Pairs(int32_t n)
{
    Object_ResetTable();
    Object_Data(Object_Add())->SetName("obj_main");
    std::string source = "var i, found; found = 0;\nfor (i = 0; i < " + std::to_string(n) +
                         "; i += 1) { object_add(); found += asset_get_index(\"obj_main\") == 0; }\nreturn found;";
    CCode code(source.c_str(), false);
    if (!code.Compile("bench")) {
        std::printf("the script does not compile: %s\n", g_CodeErrorText.c_str());
        return -1;
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    auto start = std::chrono::steady_clock::now();
    Code_Execute(nullptr, nullptr, &code, &result);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bool found = result.real == n && Object_Count() == n + 1;
    Value_Free(&result);
    if (!found) std::printf("obj_main was lost among %d objects\n", n);
    return found ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    ScriptHeap_Init();
    Variable_Init();
    Variable_BuiltIn_Init();
    if (Constant_Count() == 0) Constant_Init();
    RegisterAllFunctionFamilies();
    std::vector<int32_t> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {5000, 10000, 20000, 40000};
    std::printf("%10s %12s %14s\n", "pairs", "seconds", "us per pair");
    for (int32_t n : sizes) {
        double seconds = Pairs(n);
        if (seconds < 0) return 1;
        std::printf("%10d %12.3f %14.2f\n", n, seconds, seconds * 1e6 / n);
    }
    Object_ResetTable();
    return 0;
}
