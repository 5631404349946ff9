// The generator over arbitrary source text: whatever compiles, as a program or as an expression,
// must generate code that the load-time checker accepts and whose every path reaches each
// instruction with one stack and runs off the end with the stack it started with (a program) or
// one variable (an expression).
#include <cstdint>
#include <cstring>
#include <memory>

#include "Code_CompileFuzzSupport.h"
#include "code/Code_Checker.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Generator.h"
#include "code/Code_GeneratorStack.h"
#include "code/Code_Object.h"
#include "code/Code_Parser.h"
#include "code/Code_Tree.h"

namespace {

int32_t FindScript(const char* name)
{
    return std::strcmp(name, "scr") == 0 ? 0 : -1;
}

// The compiler's names and a script, so that every construct the generator knows can be reached.
void PrepareOnce()
{
    compilefuzz::DeclareNames();
    g_CallableLookup.findScript = FindScript;
}

void GenerateOnce(const char* text, bool expression)
{
    CCode code(text, expression);
    CodeNode root;
    if (Code_CompileTree(&code, expression, &root)) {
        VMWriteBuffer* words = nullptr;
        VMWriteBuffer* companion = nullptr;
        Code_Generate(&code, &root, expression, &words, &companion);
        std::unique_ptr<VMGeneratedCode> generated(static_cast<VMGeneratedCode*>(words));
        std::unique_ptr<VMWriteBuffer> debug(companion);
        if (!VM_CheckCode(generated->m_pWords, generated->m_Size, generated->StringCount(), nullptr))
            __builtin_trap();
        VMStackTrace trace;
        if (!VM_TraceStack(generated->m_pWords, generated->m_Size, &trace)) __builtin_trap();
        for (const auto& stack : trace.endStacks) {
            if (stack.size() != (expression ? 1u : 0u)) __builtin_trap();
            if (expression && stack[0] != VM_TYPE_VARIABLE) __builtin_trap();
        }
    }
    Node_Free(&root);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PrepareOnce();
    compilefuzz::CompileBothForms(data, size, GenerateOnce);
    return 0;
}
