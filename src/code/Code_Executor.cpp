// The tree executor's statements: blocks, assignments, conditions, loops, switch, the jumps and the
// declarations, the entry points and the guard on the native stack.
#include "code/Code_Executor.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "code/Code_ExecutorParts.h"
#include "code/Code_Lexer.h"
#include "code/Code_Operators.h"
#include "code/Code_Tree.h"
#include "code/posix/Code_ExecutorStackM.h"
#include "gamefile/GameFile_Options.h"
#include "platform/posix/Platform_Termination.h"
#include "variable/Variable_Global.h"

namespace {

// ---- native stack ----------------------------------------------------------------------------

// Scripts calling scripts nest whole executions in native frames, and a tree nests a frame or two
// per node: the walk stops with an error while the thread's stack still has room for the routines
// a statement may call.
thread_local uintptr_t t_StackLimit = 0; // 0 until the thread's first walk asks

// The limit found at the thread's first walk. Out of line: every nested run asks for the limit.
[[gnu::noinline]] uintptr_t FindStackLimit()
{
    uintptr_t& limit = t_StackLimit;
    uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    uintptr_t lowest = CodePosix_StackLowestAddress();
    // When the system does not tell, the first walk on the thread allows itself a fixed amount.
    if (lowest == 0 || lowest >= here)
        lowest = here > CODE_EXEC_STACK_FALLBACK ? here - CODE_EXEC_STACK_FALLBACK : 0;
    limit = lowest + CODE_EXEC_STACK_RESERVE;
    return limit;
}

uintptr_t StackLimit()
{
    uintptr_t limit = t_StackLimit;
    return limit != 0 ? limit : FindStackLimit();
}

// ---- statements ------------------------------------------------------------------------------

int32_t Report(Code_Exec_Context* context, const CodeNode* node, const char* message)
{
    Code_Report_Error(context->code, node->position, message);
    return EXEC_ERROR;
}

int32_t ExecBlock(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    for (int32_t i = 0; i < node->childCount; ++i) {
        Value_Free(result);
        int32_t status = Code_Exec_Statement(context, &node->children[i], result);
        if (status != EXEC_DONE) return status;
    }
    return EXEC_DONE;
}

// The operator of a compound assignment (`+=` applies `+`).
int32_t CompoundOperator(int32_t assignment)
{
    switch (assignment) {
    case TOKEN_ASSIGN_PLUS:
        return TOKEN_PLUS;
    case TOKEN_ASSIGN_MINUS:
        return TOKEN_MINUS;
    case TOKEN_ASSIGN_TIMES:
        return TOKEN_TIMES;
    case TOKEN_ASSIGN_DIVIDE:
        return TOKEN_DIVIDE;
    case TOKEN_ASSIGN_OR:
        return TOKEN_BIT_OR;
    case TOKEN_ASSIGN_AND:
        return TOKEN_BIT_AND;
    case TOKEN_ASSIGN_XOR:
        return TOKEN_BIT_XOR;
    default:
        return assignment; // the operators report it as unknown
    }
}

// The target's owner and indexes run once, before the value; a compound assignment then reads the
// target, so it sees what the value's calls did to it.
int32_t ExecAssign(Code_Exec_Context* context, const CodeNode* node)
{
    const CodeNode* variable = &node->children[0];
    ExecTarget target = {0, 0, -1};
    int32_t status = Exec_FindTarget(context, variable, &target);
    if (status != EXEC_DONE) return status;
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    status = Code_Exec_Expression(context, &node->children[1], &value);
    if (status == EXEC_DONE && node->id != TOKEN_ASSIGN) {
        ScriptValue old = {VALUE_REAL, 0, 0.0};
        if (!Exec_ReadTarget(context, target, &old)) {
            Value_Free(&old);
            Value_Free(&value);
            // With the unset-variable option on, nothing is stored and the statement succeeds.
            return g_GameOptions.unsetVariableIsError ? EXEC_DONE
                                                      : Exec_ReportUnknown(context, variable, target);
        }
        if (!Operator_Binary(context->code, node->position, CompoundOperator(node->id), &old, &value))
            status = EXEC_ERROR;
        Value_Free(&value);
        value = old;
    }
    if (status == EXEC_DONE && !Exec_StoreTarget(context, target, &value))
        status = Report(context, variable, "Cannot assign to the variable");
    Value_Free(&value);
    return status;
}

// `if` is true above 0.5, unlike the loops.
int32_t ExecIf(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    ScriptValue condition = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, &node->children[0], &condition, "Expression expected");
    if (status != EXEC_DONE) return status;
    if (condition.real > 0.5) return Code_Exec_Statement(context, &node->children[1], result);
    if (node->childCount > 2) return Code_Exec_Statement(context, &node->children[2], result);
    return EXEC_DONE;
}

// Evaluates a loop's condition into `holds`.
int32_t LoopCondition(Code_Exec_Context* context, const CodeNode* node, const char* message, bool* holds)
{
    ScriptValue condition = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, node, &condition, message);
    *holds = status == EXEC_DONE && Exec_LoopTruth(condition.real);
    return status;
}

// Each round of a loop looks for a termination request the game has not answered in time, as the
// interpreter does where it pumps messages: a loop without end would keep it waiting for ever.
int32_t ExecWhile(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    for (;;) {
        Platform_EndIfTerminationOverdue();
        bool holds = false;
        int32_t status = LoopCondition(context, &node->children[0], "bool expression expected", &holds);
        if (status != EXEC_DONE || !holds) return status;
        if (Exec_LoopEnds(Code_Exec_Statement(context, &node->children[1], result), &status)) return status;
    }
}

int32_t ExecDo(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    for (;;) {
        Platform_EndIfTerminationOverdue();
        int32_t status = EXEC_DONE;
        if (Exec_LoopEnds(Code_Exec_Statement(context, &node->children[0], result), &status)) return status;
        bool holds = false;
        status = LoopCondition(context, &node->children[1], "bool expression expected", &holds);
        if (status != EXEC_DONE || holds) return status;
    }
}

// Children: initial statement, condition, step statement, body.
int32_t ExecFor(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    int32_t status = Code_Exec_Statement(context, &node->children[0], result);
    while (status == EXEC_DONE) {
        Platform_EndIfTerminationOverdue();
        bool holds = false;
        status = LoopCondition(context, &node->children[1], "Expression expected", &holds);
        if (status != EXEC_DONE || !holds) return status;
        if (Exec_LoopEnds(Code_Exec_Statement(context, &node->children[3], result), &status)) return status;
        status = Code_Exec_Statement(context, &node->children[2], result);
    }
    return status;
}

// The count is taken once and rounded half to even; a continue counts its round.
int32_t ExecRepeat(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    ScriptValue count = {VALUE_REAL, 0, 0.0};
    int32_t status = Exec_Real(context, &node->children[0], &count, "Repeat count must be a number");
    if (status != EXEC_DONE) return status;
    int32_t rounds = Numbers_RoundToInt32(count.real);
    for (int32_t round = 0; round < rounds; ++round) {
        Platform_EndIfTerminationOverdue();
        if (Exec_LoopEnds(Code_Exec_Statement(context, &node->children[1], result), &status)) return status;
    }
    return EXEC_DONE;
}

int32_t ExecReturn(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    if (node->childCount > 0) {
        int32_t status = Code_Exec_Expression(context, &node->children[0], result);
        if (status != EXEC_DONE) return status;
    }
    return EXEC_EXIT;
}

int32_t ExecGlobalVar(const CodeNode* node)
{
    for (int32_t i = 0; i < node->childCount; ++i)
        Variable_DeclareGlobalVar(node->children[i].id);
    return EXEC_DONE;
}

// ---- switch ----------------------------------------------------------------------------------

bool IsCase(const CodeNode& node)
{
    return node.kind == NODE_CASE || node.kind == NODE_CONSTANT_CASE;
}
bool IsClause(const CodeNode& node)
{
    return IsCase(node) || node.kind == NODE_DEFAULT;
}

// A case matches a value of the same kind that is equal: reals exactly, texts byte by byte (a
// string without text counts as empty), arrays when they are the same array.
bool SameValue(const ScriptValue& a, const ScriptValue& b)
{
    if (Value_GetKind(&a) != Value_GetKind(&b)) return false;
    switch (Value_GetKind(&a)) {
    case VALUE_REAL:
        return a.real == b.real;
    case VALUE_STRING: {
        const char* left = Value_GetText(&a);
        const char* right = Value_GetText(&b);
        return std::strcmp(left != nullptr ? left : "", right != nullptr ? right : "") == 0;
    }
    default:
        return a.ref == b.ref;
    }
}

int32_t CaseMatches(Code_Exec_Context* context, const CodeNode& clause, const ScriptValue& selector,
                    bool* match)
{
    *match = false;
    if (clause.childCount < 1) return EXEC_DONE;
    ScriptValue label = {VALUE_REAL, 0, 0.0};
    int32_t status = Code_Exec_Expression(context, &clause.children[0], &label);
    *match = status == EXEC_DONE && SameValue(label, selector);
    Value_Free(&label);
    return status;
}

// The first clause that matches, in order; a default matches wherever it stands and ends the
// search. -1 when none matches.
int32_t FindClause(Code_Exec_Context* context, const CodeNode* node, const ScriptValue& selector,
                   int32_t* found)
{
    *found = -1;
    for (int32_t i = 1; i < node->childCount; ++i) {
        const CodeNode& clause = node->children[i];
        bool match = clause.kind == NODE_DEFAULT;
        if (!match && IsCase(clause)) {
            int32_t status = CaseMatches(context, clause, selector, &match);
            if (status != EXEC_DONE) return status;
        }
        if (match) {
            *found = i;
            return EXEC_DONE;
        }
    }
    return EXEC_DONE;
}

} // namespace

// From the matching clause on, every statement runs (falling through later clauses) until the end
// or a break; any other status leaves the switch, so a continue reaches the enclosing loop.
int32_t Exec_Switch(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    ScriptValue selector = {VALUE_REAL, 0, 0.0};
    int32_t status = Code_Exec_Expression(context, &node->children[0], &selector);
    int32_t found = -1;
    if (status == EXEC_DONE) status = FindClause(context, node, selector, &found);
    Value_Free(&selector);
    if (status != EXEC_DONE || found < 0) return status;
    for (int32_t i = found + 1; i < node->childCount; ++i) {
        if (IsClause(node->children[i])) continue;
        status = Code_Exec_Statement(context, &node->children[i], result);
        if (status == EXEC_BREAK) return EXEC_DONE;
        if (status != EXEC_DONE) return status;
    }
    return EXEC_DONE;
}

bool Exec_LoopTruth(double real)
{
    if (std::isnan(real)) return false;
    // Beyond the range of a float the rounding gives an infinity of the same sign.
    if (std::fabs(real) > FLT_MAX) return real > 0;
    return static_cast<float>(real) >= 0.5f;
}

int32_t Code_Exec_Statement(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result)
{
    if (Exec_StackExhausted(context, node)) return EXEC_ERROR;
    switch (node->kind) {
    case NODE_BLOCK:
        return ExecBlock(context, node, result);
    case NODE_CALL:
        return Code_Exec_Expression(context, node, result);
    case NODE_ASSIGN:
        return ExecAssign(context, node);
    case NODE_IF:
        return ExecIf(context, node, result);
    case NODE_WHILE:
        return ExecWhile(context, node, result);
    case NODE_DO:
        return ExecDo(context, node, result);
    case NODE_FOR:
        return ExecFor(context, node, result);
    case NODE_REPEAT:
        return ExecRepeat(context, node, result);
    case NODE_WITH:
        return Exec_With(context, node, result);
    case NODE_SWITCH:
        return Exec_Switch(context, node, result);
    case NODE_EXIT:
        return EXEC_EXIT;
    case NODE_BREAK:
        return EXEC_BREAK;
    case NODE_CONTINUE:
        return EXEC_CONTINUE;
    case NODE_RETURN:
        return ExecReturn(context, node, result);
    case NODE_VAR:
        return EXEC_DONE;
    case NODE_GLOBALVAR:
        return ExecGlobalVar(node);
    case NODE_CASE:
    case NODE_CONSTANT_CASE:
        return Report(context, node, "Case statement only allowed inside switch statement.");
    case NODE_DEFAULT:
        return Report(context, node, "Default statement only allowed inside switch statement.");
    default:
        // The empty statement a ';' gives where a statement begins is among these.
        return Report(context, node, "Statement expected.");
    }
}

namespace {

uintptr_t StackHere() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

} // namespace

bool g_CodeWalkExhausted = false;

bool Code_NativeStackLow()
{
    uintptr_t limit = StackLimit(); // first: nothing is kept across the first walk's call
    return StackHere() < limit + CODE_NESTED_RUN_MARGIN;
}

bool Exec_StackExhausted(Code_Exec_Context* context, const CodeNode* node)
{
    if (StackHere() >= StackLimit()) return false;
    Code_Report_Error(context->code, node->position, "Stack overflow...");
    g_CodeWalkExhausted = true;
    return true;
}
