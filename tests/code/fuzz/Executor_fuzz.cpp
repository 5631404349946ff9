// The tree-walking executor over arbitrary source text: whatever compiles (as a program and as an
// expression) is walked for an instance among four, of which one is marked for deletion and one
// deactivated, with calls of built-ins that return reals, texts and arrays. Every run must end, and
// a failure always leaves its report. Loops that the text could make endless are compiled but not
// run: a program runs only when its loops are repeats of a small constant count.
#include <cstdint>
#include <string>

#include "../Code_FakeWorld.h"
#include "app/App_CommandLine.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "code/Code_Tree.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_Global.h"

namespace {

using vmtest::FakeWorld;

// Four instances of objects 0 and 1; the third is marked for deletion, the fourth deactivated.
FakeWorld* g_pWorld = nullptr;


void SumRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    double sum = 0;
    for (int32_t i = 0; i < argc; ++i)
        sum += args[i].real;
    result->real = sum;
}
void TextRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Value_SetText(result, Value_GetText(&args[0]) != nullptr ? "text" : "");
}
void ArrayRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ScriptValue element = {VALUE_REAL, 0, args[0].real};
    Value_SetArrayElement(result, &element, 2);
}

void PrepareOnce()
{
    if (g_pWorld != nullptr) return;
    ScriptHeap_Init();
    Constant_Init();
    Function_Add("fn", SumRoutine, FUNCTION_ARGS_ANY);
    Function_Add("ftext", TextRoutine, 1);
    Function_Add("farray", ArrayRoutine, 1);
    g_pWorld = new FakeWorld();
    for (int32_t i = 0; i < 4; ++i) g_pWorld->Add(100001 + i, i % 2);
    g_pWorld->At(2)->marked = true;
    g_pWorld->At(3)->deactivated = true;
    g_UseBytecode = 0;
}

// Repeats of a constant count up to 4, at most four of them, and no other loop.
bool Bounded(const CodeNode* node, int32_t* repeats)
{
    switch (node->kind) {
    case NODE_WHILE:
    case NODE_DO:
    case NODE_FOR:
        return false;
    case NODE_REPEAT:
        if (++*repeats > 4 || node->childCount < 1 || node->children[0].kind != NODE_CONSTANT) return false;
        if (!(node->children[0].value.real <= 4)) return false;
        break;
    default:
        break;
    }
    for (int32_t i = 0; i < node->childCount; ++i)
        if (!Bounded(&node->children[i], repeats)) return false;
    return true;
}

void RunOnce(const char* text, bool expression)
{
    CCode code(text, expression);
    if (!code.Compile("fuzz")) return;
    int32_t repeats = 0;
    if (!Bounded(&code.m_Tree, &repeats)) return;
    Variable_Init();
    g_pWorld->Clear();
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    bool done = Code_Execute(vmtest::AsInstance(g_pWorld->At(0)), vmtest::AsInstance(g_pWorld->At(1)), &code, &result);
    if (!done && (!g_CodeErrorFlag || g_CodeErrorText.empty())) __builtin_trap(); // a failure always reports
    Value_Free(&result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PrepareOnce();
    std::string text(reinterpret_cast<const char*>(data), size); // the source ends at a NUL byte
    RunOnce(text.c_str(), false);
    RunOnce(text.c_str(), true);
    return 0;
}
