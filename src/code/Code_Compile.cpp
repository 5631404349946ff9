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

} // namespace

bool CCode::Compile(const char* name)
{
    SetName(name);
    if (m_Compiled) {
        Code_Report_Error(this, 0, "Internal Error: Recompiling compiled code.");
        return false;
    }
    bool expression = m_Kind == CODE_KIND_EXPRESSION;
    Node_Free(&m_Tree);
    if (!Code_CompileTree(this, expression, &m_Tree)) return false;
    if (expression && m_Tree.kind == NODE_CONSTANT) {
        m_Kind = CODE_KIND_CONSTANT;
        Value_Free(&m_Constant);
        Value_Copy(&m_Constant, &m_Tree.value);
    }
    m_Compiled = 1;
    return !g_UseBytecode || GenerateBytecode(this);
}
