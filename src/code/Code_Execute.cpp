#include "code/Code_Execute.h"

#include <utility>

#include "app/App_CommandLine.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "code/Code_Executor.h"
#include "code/Code_Tree.h"
#include "debug/Debug_Remote.h"
#include "variable/Variable_List.h"

bool g_CodeCallByName = false;

namespace {

bool RunBytecode(CInstance* self, CInstance* other, CCode* code, ScriptValue* result)
{
    switch (code->m_Kind) {
    case CODE_KIND_PROGRAM:
    case CODE_KIND_EXPRESSION:
        // Code that compiled to nothing runs nothing; the interpreter reports its own failures.
        if (code->m_pCode != nullptr)
            VM_Exec(code->GetName(), self, other, code->m_pCode, result, code->m_pDebugInfo, code->GetText());
        return true;
    case CODE_KIND_CONSTANT:
        Value_Copy(result, &code->m_Constant);
        return true;
    default:
        return true;
    }
}

// A runaway recursion is fatal, as in the interpreter (the levels below would each go on with a
// failed value), except that the debugger's quiet evaluation only fails. The report names the
// scripts that failed on the way.
bool StopRunaway()
{
    if (Debug_EvaluatingExpression) return false;
    Code_Error_FoldFailedLevels();
    Error_Show_Action(g_CodeErrorText.c_str(), true);
    Error_ShowAndExit(g_CodeErrorText.c_str(), -1);
}

bool RunTree(CInstance* self, CInstance* other, CCode* code, ScriptValue* result)
{
    if (!code->m_Compiled) {
        Code_Report_Error(code, 0, "Internal Error: Executing non-compiled code->");
        return false;
    }
    if (code->m_Kind == CODE_KIND_CONSTANT) {
        Value_Copy(result, &code->m_Constant);
        return true;
    }
    if (self == nullptr || other == nullptr) {
        Code_Report_Error(code, 0, "Internal Error: Executing code for nil instance.");
        return false;
    }
    bool nested = !std::exchange(g_CodeCallByName, false);
    if (nested && Code_NativeStackLow()) {
        Code_Report_Error(code, 0, "Stack overflow...");
        return StopRunaway();
    }
    Code_Exec_Context context = {self, other, nullptr, code};
    Value_Free(result);
    *result = ScriptValue{VALUE_REAL, 0, 0.0};
    int32_t status = code->m_Kind == CODE_KIND_EXPRESSION ? Code_Exec_Expression(&context, &code->m_Tree, result)
                                                          : Code_ExecuteProgram(&context, &code->m_Tree, result);
    delete context.locals;
    // A walk that ran out of stack (scripts calling themselves by name) failed through every level
    // it called by name; here, where the nesting began, it ends the game.
    if (status == EXEC_ERROR && nested && std::exchange(g_CodeWalkExhausted, false)) return StopRunaway();
    // Exit, break and continue that reach the top count as success.
    return status != EXEC_ERROR;
}

} // namespace

bool Code_Execute(CInstance* self, CInstance* other, CCode* code, ScriptValue* result)
{
    g_CodeErrorFlag = false;
    g_CodeWalkExhausted = false;
    if (code == nullptr) return true;
    return g_UseBytecode ? RunBytecode(self, other, code, result) : RunTree(self, other, code, result);
}

bool Code_Execute_Report(CInstance* self, CInstance* other, CCode* code, ScriptValue* result)
{
    bool done = Code_Execute(self, other, code, result);
    if (!done) {
        Error_Show_Action(g_CodeErrorText.c_str(), false);
        g_CodeErrorFlag = false;
    }
    return done;
}

bool Code_Execute_Value(CInstance* self, CInstance* other, CCode* code, ScriptValue* result)
{
    bool done = Code_Execute(self, other, code, result);
    if (!done) Value_SetText(result, "ERROR");
    return done;
}

int32_t Code_ExecuteProgram(Code_Exec_Context* context, const CodeNode* root, ScriptValue* result)
{
    if (root->kind == NODE_EMPTY_PROGRAM) return EXEC_DONE;
    if (root->kind == NODE_BLOCK) return Code_Exec_Statement(context, root, result);
    Code_Report_Error(context->code, root->position, "This is not a program.");
    return EXEC_ERROR;
}
