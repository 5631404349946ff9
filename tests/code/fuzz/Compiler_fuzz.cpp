// The compiler over arbitrary source text: every input is compiled as a program and as an
// expression. Whatever the text holds, compilation either succeeds or reports an error; a success
// leaves a tree within the height limit, which is copied and freed again.
#include <cstdint>
#include <cstring>
#include <string>

#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Object.h"
#include "code/Code_Parser.h"
#include "code/Code_Tree.h"
#include "variable/Variable_BuiltIn.h"

namespace {

void NoRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

// Constants, a built-in variable and functions of each kind of argument count, so that calls,
// declarations and folding of named constants are reached.
void PrepareOnce()
{
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    Constant_Init();
    Variable_BuiltIn_Add("x", nullptr, nullptr, true);
    Function_Add("f0", NoRoutine, 0);
    Function_Add("f1", NoRoutine, 1);
    Function_Add("f2", NoRoutine, 2);
    Function_Add("fn", NoRoutine, FUNCTION_ARGS_ANY);
}

void CompileOnce(const char* text, bool expression)
{
    CCode code(text, expression);
    CodeNode root;
    bool compiled = Code_CompileTree(&code, expression, &root);
    if (compiled) {
        if (Node_Height(&root, CODE_TREE_HEIGHT_LIMIT, nullptr) > CODE_TREE_HEIGHT_LIMIT) __builtin_trap();
        CodeNode copy;
        Node_Copy(&copy, &root);
        Node_Free(&copy);
    } else if (!g_CodeErrorFlag || g_CodeErrorText.empty()) {
        __builtin_trap(); // a failure always reports
    }
    Node_Free(&root);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PrepareOnce();
    std::string text(reinterpret_cast<const char*>(data), size); // the source ends at a NUL byte
    CompileOnce(text.c_str(), false);
    CompileOnce(text.c_str(), true);
    return 0;
}
