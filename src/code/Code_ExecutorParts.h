// What the tree executor's files share: the guard on the native stack, the variable target of a
// read or a store, and the truth and status rules of its statements.
#pragma once

#include <cstdint>

#include "code/Code_Executor.h"

// True, after reporting "Stack overflow..." at the node, when the thread's stack is nearly used up.
bool Exec_StackExhausted(Code_Exec_Context* context, const CodeNode* node);

// The statements that choose which instances or which clauses run.
int32_t Exec_With(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result);
int32_t Exec_Switch(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result);

// Where a variable access goes: the instance (an instance id, an object index or one of the
// special instances), the variable id and the element (-1 for the whole value).
struct ExecTarget {
    int32_t instance;
    int32_t id;
    int32_t index;
};

// Evaluates the owner and the indexes of a variable node; reports a wrong owner or index.
int32_t Exec_FindTarget(Code_Exec_Context* context, const CodeNode* variable, ExecTarget* target);
// Reads the target into `out`. False when the read failed (no instance, no variable, an element
// outside the array).
bool Exec_ReadTarget(Code_Exec_Context* context, const ExecTarget& target, ScriptValue* out);
// Reads as an expression does: a failed read is real 0 when the game's unset-variable option is on,
// otherwise the error "Unknown variable ...".
int32_t Exec_ReadVariable(Code_Exec_Context* context, const CodeNode* variable, const ExecTarget& target,
                          ScriptValue* out);
// Reports the failed read of the target at the variable node.
int32_t Exec_ReportUnknown(Code_Exec_Context* context, const CodeNode* variable, const ExecTarget& target);
// Stores a copy of the value; false when nothing may be stored there.
bool Exec_StoreTarget(Code_Exec_Context* context, const ExecTarget& target, const ScriptValue* value);

// Evaluates the node into `value`, which must then be a real; otherwise reports `message` at the
// node. On failure `value` is left owning nothing.
int32_t Exec_Real(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value, const char* message);

// The truth of a loop's condition: rounded to single precision, 0.5 or more.
bool Exec_LoopTruth(double real);

// What a loop makes of its body's status: break ends the loop with success, continue goes on to
// the next round, and any other failure or exit ends it and is answered.
inline bool Exec_LoopEnds(int32_t status, int32_t* answer)
{
    if (status == EXEC_DONE || status == EXEC_CONTINUE) return false;
    *answer = status == EXEC_BREAK ? EXEC_DONE : status;
    return true;
}
