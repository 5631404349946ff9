// The tree executor's variable access: the owner and indexes of a variable node, then the read or
// the store by the kind of owner.
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Error.h"
#include "code/Code_ExecutorParts.h"
#include "code/Code_Tree.h"
#include "gamefile/GameFile_Options.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

// One index of a variable node: a real, rounded, from 0 to 31999.
int32_t ExecIndex(Code_Exec_Context* context, const CodeNode* node, int32_t* index)
{
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, node, &value, "Wrong type of array index");
    if (status != EXEC_DONE) return status;
    int32_t whole = Numbers_RoundToInt32(value.real);
    // NaN and reals beyond int32 round to INT_MIN and are refused as negative.
    if (whole < 0) {
        Code_Report_Error(context->code, node->position, "Negative array index");
        return EXEC_ERROR;
    }
    if (whole >= ARRAY_ROW_SPAN) {
        Code_Report_Error(context->code, node->position, "Array index >= 32000");
        return EXEC_ERROR;
    }
    *index = whole;
    return EXEC_DONE;
}

// Names declared globalvar live in the global list wherever the source names no owner.
bool UnnamedIsGlobal(int32_t id)
{
    return id >= VARIABLE_USER_BASE && Variable_IsGlobalVar(id);
}

} // namespace

int32_t Exec_FindTarget(Code_Exec_Context* context, const CodeNode* variable, ExecTarget* target)
{
    target->id = variable->id;
    target->index = -1;
    if (variable->kind == NODE_FIXED_VARIABLE) {
        target->instance = variable->scope;
        return EXEC_DONE;
    }
    if (variable->childCount < 1) {
        target->instance = SCOPE_UNNAMED;
        return EXEC_DONE;
    }
    ScriptValue owner = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, &variable->children[0], &owner, "Wrong type of variable index");
    if (status != EXEC_DONE) return status;
    target->instance = Numbers_RoundToInt32(owner.real);
    if (variable->childCount < 2) return EXEC_DONE;

    int32_t first = 0;
    status = ExecIndex(context, &variable->children[1], &first);
    if (status != EXEC_DONE) return status;
    target->index = first;
    if (variable->childCount < 3) return EXEC_DONE;
    int32_t second = 0;
    status = ExecIndex(context, &variable->children[2], &second);
    if (status != EXEC_DONE) return status;
    target->index = first * ARRAY_ROW_SPAN + second;
    return EXEC_DONE;
}

bool Exec_ReadTarget(Code_Exec_Context* context, const ExecTarget& target, ScriptValue* out)
{
    switch (target.instance) {
    case SCOPE_LOCAL:
        // The list is made on the first local store; before it every local reads as unset.
        if (context->locals == nullptr) {
            CVariableList empty;
            return empty.GetVar(target.id, target.index, out);
        }
        return context->locals->GetVar(target.id, target.index, out);
    case SCOPE_UNNAMED:
        if (UnnamedIsGlobal(target.id)) return Variable_GetGlobal(target.id, target.index, out);
        return Variable_GetValue_Direct(context->self, target.id, target.index, out);
    case VM_INSTANCE_GLOBAL:
        return Variable_GetGlobal(target.id, target.index, out);
    case VM_INSTANCE_NOONE:
        return false;
    case VM_INSTANCE_OTHER:
        return Variable_GetValue_Direct(context->other, target.id, target.index, out);
    case VM_INSTANCE_SELF:
        return Variable_GetValue_Direct(context->self, target.id, target.index, out);
    default:
        // all, an object index or an instance id; other negative owners name nothing.
        return Variable_GetValue(target.instance, target.id, target.index, out);
    }
}

int32_t Exec_ReportUnknown(Code_Exec_Context* context, const CodeNode* variable, const ExecTarget& target)
{
    std::string message = std::string("Unknown variable ") + Code_Variable_Find_Name(target.id);
    // A read without an index carries -1, so it gets these words too.
    if (target.index != 0) message += " or array index out of bounds";
    Code_Report_Error(context->code, variable->position, message.c_str());
    return EXEC_ERROR;
}

int32_t Exec_ReadVariable(Code_Exec_Context* context, const CodeNode* variable, const ExecTarget& target,
                          ScriptValue* out)
{
    if (Exec_ReadTarget(context, target, out)) return EXEC_DONE;
    if (!g_GameOptions.unsetVariableIsError) return Exec_ReportUnknown(context, variable, target);
    Value_SetReal(out, 0.0);
    return EXEC_DONE;
}

bool Exec_StoreTarget(Code_Exec_Context* context, const ExecTarget& target, const ScriptValue* value)
{
    switch (target.instance) {
    case SCOPE_LOCAL:
        if (context->locals == nullptr) context->locals = new CVariableList();
        context->locals->SetVar(target.id, target.index, value);
        return true;
    case SCOPE_UNNAMED:
        if (!UnnamedIsGlobal(target.id))
            return Variable_SetValue_Direct(context->self, target.id, target.index, value);
        Variable_SetGlobal(target.id, target.index, value);
        return true;
    case VM_INSTANCE_GLOBAL:
        Variable_SetGlobal(target.id, target.index, value);
        return true;
    case VM_INSTANCE_NOONE:
        return false;
    case VM_INSTANCE_OTHER:
        return Variable_SetValue_Direct(context->other, target.id, target.index, value);
    case VM_INSTANCE_SELF:
        return Variable_SetValue_Direct(context->self, target.id, target.index, value);
    default:
        // Every matching instance that is neither marked for deletion nor deactivated.
        return Variable_SetValue(target.instance, target.id, target.index, value);
    }
}
