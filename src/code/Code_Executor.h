// The tree-walking executor (the -oldexec switch): runs a checked code tree node by node, without
// bytecode. Statements answer a status (EXEC_DONE, EXEC_ERROR, EXEC_EXIT, EXEC_BREAK,
// EXEC_CONTINUE); expressions answer EXEC_DONE or EXEC_ERROR. Every error is reported through
// Code_Report_Error at the node concerned, and its status carries it up to Code_Execute.
//
// Its rules are its own and differ on purpose from the bytecode interpreter's: `if` is true above
// 0.5 while loops are true from 0.5 in single precision, numbers compare exactly, operands and
// arguments run left to right, whole numbers round half to even, and `with` visits in list order.
#pragma once

#include <cstdint>

#include "code/Code_Execute.h"

// Runs one statement (a block runs its statements) into the result and answers its status.
int32_t Code_Exec_Statement(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result);
// Evaluates one expression into the value (whatever it held is released) and answers its status.
int32_t Code_Exec_Expression(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value);

// The native stack the executor leaves for what its statements call: a walk that would go deeper
// (scripts calling themselves without end) stops with "Stack overflow...". Where the thread's
// stack size is unknown, the walks of a thread take at most the fallback.
constexpr uintptr_t CODE_EXEC_STACK_RESERVE = 512u * 1024u;
constexpr uintptr_t CODE_EXEC_STACK_FALLBACK = 4u * 1024u * 1024u;
// Runs nested by built-ins stop this much before a walk would: a runaway recursion through them ends
// at a nested run, fatally, rather than as an error of the walk inside one, which each level
// below would then go on from.
constexpr uintptr_t CODE_NESTED_RUN_MARGIN = 256u * 1024u;

// Set when a walk stopped with "Stack overflow..."; the run where the nesting began (Code_Execute)
// takes it and ends the game.
extern bool g_CodeWalkExhausted;

// True when a run nested by a built-in may not start: less than the reserve and the margin above is
// left of the thread's native stack.
bool Code_NativeStackLow();
