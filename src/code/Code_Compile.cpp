// Compiling a code object made from source text: the four compile phases into its tree, then, for
// the bytecode interpreter, the generator.
#include <cstring>

#include "app/App_CommandLine.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Emitter.h"
#include "code/Code_Error.h"
#include "code/Code_Generator.h"
#include "code/Code_Object.h"
#include "code/Code_Parser.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// The debugger shows the text of generated code, so a copy of it stays with the bytecode.
void KeepTextCopy(CCode* code)
{
    if (code->m_MadeFromText) MemoryManager::Free(code->m_pTextCopy);
    const char* text = code->GetText();
    size_t length = std::strlen(text);
    code->m_pTextCopy = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(code->m_pTextCopy, text, length + 1);
}

bool GenerateBytecode(CCode* code)
{
    KeepTextCopy(code);
    if (code->m_Kind == CODE_KIND_CONSTANT) return true; // its value is all there is to run
    VMWriteBuffer* words = nullptr;
    VMWriteBuffer* companion = nullptr;
    bool generated = Code_Generate(code, &code->m_Tree, code->m_Kind == CODE_KIND_EXPRESSION, &words, &companion);
    if (words != nullptr && words->m_Size == 0) {
        delete words;
        words = nullptr;
    }
    code->m_pCode = words;
    code->m_pDebugInfo = companion;
    if (generated) VM_RegisterTextCode(code);
    return generated;
}

// A program of one call statement becomes the expression of that call, so that running it gives
// the call's value whichever executor runs it.
void KeepSingleCall(CCode* code)
{
    CodeNode* root = &code->m_Tree;
    if (root->kind != NODE_BLOCK || root->childCount != 1 || root->children[0].kind != NODE_CALL) return;
    CodeNode call;
    Node_Copy(&call, &root->children[0]);
    Node_Free(root);
    *root = call;
    code->m_Kind = CODE_KIND_EXPRESSION;
}

bool CompileSource(CCode* code, const char* name, bool callValue)
{
    code->SetName(name);
    if (code->m_Compiled) {
        Code_Report_Error(code, 0, "Internal Error: Recompiling compiled code.");
        return false;
    }
    bool expression = code->m_Kind == CODE_KIND_EXPRESSION;
    Node_Free(&code->m_Tree);
    if (!Code_CompileTree(code, expression, &code->m_Tree)) return false;
    if (callValue && !expression) KeepSingleCall(code);
    if (expression && code->m_Tree.kind == NODE_CONSTANT) {
        code->m_Kind = CODE_KIND_CONSTANT;
        Value_Free(&code->m_Constant);
        Value_Copy(&code->m_Constant, &code->m_Tree.value);
    }
    code->m_Compiled = 1;
    return !g_UseBytecode || GenerateBytecode(code);
}

} // namespace

bool CCode::Compile(const char* name)
{
    return CompileSource(this, name, false);
}

bool Code_CompileForValue(CCode* code, const char* name)
{
    return CompileSource(code, name, true);
}
