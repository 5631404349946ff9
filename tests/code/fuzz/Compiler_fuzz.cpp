// The compiler over arbitrary source text: every input is compiled as a program and as an
// expression. Whatever the text holds, compilation either succeeds or reports an error; a success
// leaves a tree within the height limit, which is copied and freed again.
#include <cstdint>
#include <cstring>

#include "Code_CompileFuzzSupport.h"
#include "code/Code_Error.h"
#include "code/Code_Object.h"
#include "code/Code_Parser.h"
#include "code/Code_Tree.h"

namespace {

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
    compilefuzz::DeclareNames();
    compilefuzz::CompileBothForms(data, size, CompileOnce);
    return 0;
}
