// Objects made at run time, each followed by a lookup by name: one script runs N pairs of
// object_add() and asset_get_index("obj_main"), as a game that makes its objects in a loop does.
// Then objects deleted at run time: 2N more objects, each even one the child of the odd one before it,
// and one script deletes the N parents. Prints the seconds for each N and the time per pair or
// delete, which should stay flat as N grows (a lookup that rebuilt its names after every change, or
// a delete that walked the table for children, would grow with the object count).
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

// Runs the script once and gives the seconds it took and its result, or -1 when it does not compile.
double RunScript(const std::string& source, double& answer)
{
    CCode code(source.c_str(), false);
    if (!code.Compile("bench")) {
        std::printf("the script does not compile: %s\n", g_CodeErrorText.c_str());
        return -1;
    }
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    auto start = std::chrono::steady_clock::now();
    Code_Execute(nullptr, nullptr, &code, &result);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    answer = result.real;
    Value_Free(&result);
    return seconds;
}

// A table holding obj_main alone.
void StartTable()
{
    Object_ResetTable();
    Object_Data(Object_Add())->SetName("obj_main");
}

// The seconds the pairs took, or -1 when the script does not compile or loses obj_main.
double Pairs(int32_t n)
{
    StartTable();
    double found = 0;
    double seconds = RunScript("var i, found; found = 0;\nfor (i = 0; i < " + std::to_string(n) +
                                   "; i += 1) { object_add(); found += asset_get_index(\"obj_main\") == 0; }\nreturn found;",
                               found);
    if (seconds < 0) return -1;
    bool kept = found == n && Object_Count() == n + 1;
    if (!kept) std::printf("obj_main was lost among %d objects\n", n);
    return kept ? seconds : -1;
}

// The seconds the deletes took, or -1 when the script does not compile, a child keeps its deleted
// parent or obj_main is lost.
double Deletes(int32_t n)
{
    StartTable();
    for (int32_t i = 1; i <= 2 * n; ++i) Object_Data(Object_Add())->m_ParentIndex = i % 2 == 0 ? i - 1 : -1;
    Object_LinkParents();
    double found = -1;
    double seconds = RunScript("var i; for (i = 1; i <= " + std::to_string(2 * n) +
                                   "; i += 2) object_delete(i);\nreturn asset_get_index(\"obj_main\");",
                               found);
    if (seconds < 0) return -1;
    bool kept = found == 0;
    for (int32_t i = 2; i <= 2 * n; i += 2) kept = kept && Object_Data(i)->m_pParentObject == nullptr;
    if (!kept) std::printf("a delete among %d objects left a parent behind or lost obj_main\n", 2 * n);
    return kept ? seconds : -1;
}

// One table: the seconds of each size and the microseconds per unit of work.
bool PrintTable(const char* unit, double (*measure)(int32_t), const std::vector<int32_t>& sizes)
{
    std::printf("%10s %12s %14s\n", unit, "seconds", (std::string("us per ") + unit).c_str());
    for (int32_t n : sizes) {
        double seconds = measure(n);
        if (seconds < 0) return false;
        std::printf("%10d %12.3f %14.2f\n", n, seconds, seconds * 1e6 / n);
    }
    return true;
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
    bool measured = PrintTable("pair", Pairs, sizes) && PrintTable("delete", Deletes, sizes);
    Object_ResetTable();
    return measured ? 0 : 1;
}
