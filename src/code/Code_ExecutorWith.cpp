// The tree executor's with statement: the body runs for each instance the value names, with self
// set to that instance and other to the self of the surrounding code.
#include <vector>

#include "base/Base_Numbers.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Error.h"
#include "code/Code_ExecutorParts.h"
#include "code/Code_Tree.h"
#include "variable/Variable_Access.h"

namespace {

bool Collect(CInstance* instance, void* context)
{
    static_cast<std::vector<CInstance*>*>(context)->push_back(instance);
    return true;
}

// The instances of the room, of an object and its children, or the one with an id, in list order.
// They are gathered first, so that instances the body creates are not visited.
std::vector<CInstance*> Candidates(int32_t target)
{
    std::vector<CInstance*> found;
    IVariableInstances* instances = Variable_Instances();
    if (target == VARIABLE_TARGET_ALL) {
        instances->VisitRoom(Collect, &found);
    } else if (target >= VARIABLE_TARGET_INSTANCE_BASE) {
        if (CInstance* instance = instances->FindById(target)) found.push_back(instance);
    } else if (target >= 0) {
        instances->VisitObject(target, Collect, &found);
    }
    return found;
}

int32_t RunFor(Code_Exec_Context* context, const CodeNode* body, CInstance* instance, ScriptValue* result)
{
    CInstance* self = context->self;
    CInstance* other = context->other;
    context->other = self;
    context->self = instance;
    int32_t status = Code_Exec_Statement(context, body, result);
    context->self = self;
    context->other = other;
    return status;
}

// A body that runs once ends the same way as one round of a loop.
int32_t RunOnce(Code_Exec_Context* context, const CodeNode* body, CInstance* instance, ScriptValue* result)
{
    int32_t status = EXEC_DONE;
    Exec_LoopEnds(RunFor(context, body, instance, result), &status);
    return status;
}

} // namespace

int32_t Exec_With(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    const CodeNode* expression = &node->children[0];
    const CodeNode* body = &node->children[1];
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, expression, &value, "Object id expected");
    if (status != EXEC_DONE) return status;
    int32_t target = Numbers_RoundToInt32(value.real);
    switch (target) {
    case SCOPE_LOCAL:
        Code_Report_Error(context->code, expression->position, "Cannot use local in with statement.");
        return EXEC_ERROR;
    case VM_INSTANCE_GLOBAL:
        Code_Report_Error(context->code, expression->position, "Cannot use global in with statement.");
        return EXEC_ERROR;
    case VM_INSTANCE_NOONE:
        return EXEC_DONE;
    case VM_INSTANCE_SELF:
    case SCOPE_UNNAMED:
        return RunOnce(context, body, context->self, result);
    case VM_INSTANCE_OTHER:
        return RunOnce(context, body, context->other, result);
    default:
        break;
    }
    IVariableInstances* instances = Variable_Instances();
    for (CInstance* instance : Candidates(target)) {
        // An instance the body of an earlier round destroyed or deactivated is passed over.
        if (instances->IsMarked(instance) || instances->IsDeactivated(instance)) continue;
        if (Exec_LoopEnds(RunFor(context, body, instance, result), &status)) return status;
    }
    return EXEC_DONE;
}
