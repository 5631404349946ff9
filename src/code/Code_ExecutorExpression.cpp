// The tree executor's expressions: constants, calls of built-ins, scripts and extension functions,
// variables, and the unary and binary operators.
#include "code/Code_Error.h"
#include "code/Code_ExecutorParts.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Operators.h"
#include "code/Code_Tree.h"
#include "extension/Extension_Main.h"
#include "script/Script_Table.h"

namespace {

int32_t ExecConstant(const CodeNode* node, ScriptValue* value)
{
    Value_Copy(value, &node->value);
    // An empty text gives a string without text.
    const char* text = Value_GetText(value);
    if (text != nullptr && text[0] == '\0') Value_Free(value);
    return EXEC_DONE;
}

// The argument values of one call, released however the call ends.
struct CallArguments {
    ScriptValue values[SCRIPT_ARGUMENT_COUNT];
    int32_t count = 0;

    CallArguments()
    {
        for (ScriptValue& value : values)
            value = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    ~CallArguments()
    {
        for (ScriptValue& value : values)
            Value_Free(&value);
    }
    CallArguments(const CallArguments&) = delete;
    CallArguments& operator=(const CallArguments&) = delete;
};

int32_t CallScript(Code_Exec_Context* context, int32_t id, CallArguments& arguments, ScriptValue* value)
{
    // argument_count reads the count of the running script's call.
    int32_t callerCount = g_ScriptArgumentCount;
    g_ScriptArgumentCount = arguments.count;
    g_CodeCallByName = true;
    bool done = Script_Run(id - CALLABLE_SCRIPT_BASE, context->self, context->other, arguments.count, value,
                           arguments.values);
    g_CodeCallByName = false; // still set when the script had no code to run
    g_ScriptArgumentCount = callerCount;
    return done ? EXEC_DONE : EXEC_ERROR;
}

int32_t CallBuiltin(Code_Exec_Context* context, int32_t id, CallArguments& arguments, ScriptValue* value)
{
    Value_SetReal(value, 0.0);
    FunctionEntry* row = Function_Get(id);
    if (row == nullptr || row->routine == nullptr) return EXEC_DONE;
    ++row->usageCount;
    // A routine reports its own problems; its result is not checked.
    row->routine(value, context->self, context->other, arguments.count, arguments.values);
    return EXEC_DONE;
}

int32_t ExecCall(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value)
{
    if (node->childCount > SCRIPT_ARGUMENT_COUNT) {
        Code_Report_Error(context->code, node->position, "Wrong number of arguments to function or script.");
        return EXEC_ERROR;
    }
    CallArguments arguments;
    for (int32_t i = 0; i < node->childCount; ++i) {
        int32_t status = Code_Exec_Expression(context, &node->children[i], &arguments.values[i]);
        if (status != EXEC_DONE) return status;
        arguments.count = i + 1;
    }
    if (node->id >= CALLABLE_EXTENSION_BASE) {
        bool done = Extension_CallFunction(node->id - CALLABLE_EXTENSION_BASE, context->self, context->other,
                                           arguments.count, arguments.values, value);
        return done ? EXEC_DONE : EXEC_ERROR;
    }
    if (node->id >= CALLABLE_SCRIPT_BASE) return CallScript(context, node->id, arguments, value);
    return CallBuiltin(context, node->id, arguments, value);
}

int32_t ExecVariable(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value)
{
    ExecTarget target = {0, 0, -1};
    int32_t status = Exec_FindTarget(context, node, &target);
    if (status != EXEC_DONE) return status;
    return Exec_ReadVariable(context, node, target, value);
}

int32_t ExecUnary(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value)
{
    int32_t status = Code_Exec_Expression(context, &node->children[0], value);
    if (status != EXEC_DONE) return status;
    return Operator_Unary(context->code, node->position, node->id, value) ? EXEC_DONE : EXEC_ERROR;
}

// Both operands always run, the left one first: `&&` and `||` do not skip their right operand.
int32_t ExecBinary(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value)
{
    int32_t status = Code_Exec_Expression(context, &node->children[0], value);
    if (status != EXEC_DONE) return status;
    ScriptValue right = {VALUE_REAL, 0, 0.0};
    status = Code_Exec_Expression(context, &node->children[1], &right);
    if (status == EXEC_DONE && !Operator_Binary(context->code, node->position, node->id, value, &right))
        status = EXEC_ERROR;
    Value_Free(&right);
    return status;
}

} // namespace

int32_t Code_Exec_Expression(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value)
{
    if (Exec_StackExhausted(context, node)) return EXEC_ERROR;
    switch (node->kind) {
    case NODE_CONSTANT:
        return ExecConstant(node, value);
    case NODE_CALL:
        return ExecCall(context, node, value);
    case NODE_VARIABLE:
    case NODE_FIXED_VARIABLE:
        return ExecVariable(context, node, value);
    case NODE_UNARY:
        if (node->childCount == 1) return ExecUnary(context, node, value);
        break;
    case NODE_BINARY:
        if (node->childCount == 2) return ExecBinary(context, node, value);
        break;
    default:
        break;
    }
    Code_Report_Error(context->code, node->position, "(Sub-)expression expected.");
    return EXEC_ERROR;
}

int32_t Exec_Real(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value, const char* message)
{
    int32_t status = Code_Exec_Expression(context, node, value);
    if (status == EXEC_DONE && Value_GetKind(value) == VALUE_REAL) return EXEC_DONE;
    Value_Free(value);
    if (status != EXEC_DONE) return status;
    Code_Report_Error(context->code, node->position, message);
    return EXEC_ERROR;
}
