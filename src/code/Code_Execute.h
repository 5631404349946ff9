// The one door through which game code runs: a code object executed for an instance, by the bytecode
// interpreter or (with -oldexec) by the tree-walking executor, and the two wrappers the rest of the
// system calls.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CCode;
class CInstance;
class CVariableList;
struct CodeNode;

// One execution of the tree-walking executor.
struct Code_Exec_Context {
    CInstance* self;
    CInstance* other;
    CVariableList* locals; // made on the first local store; deleted when the execution ends
    CCode* code;           // where errors point
};

// Statuses of the tree-walking executor's statements.
enum : int32_t {
    EXEC_DONE = 0,
    EXEC_ERROR = -1,
    EXEC_EXIT = -2, // also after return
    EXEC_BREAK = -3,
    EXEC_CONTINUE = -4,
};

// Runs that built-ins start (script_execute, execute_string, events) nest whole executions in native
// frames, about 2 KB a level (5 KB in the sanitizer build), as deep as the game thread's stack allows
// (the interpreter's also at most VM_RUN_DEPTH_LIMIT deep): past that the next one stops the game
// with "Stack overflow...", as runaway direct recursion does.
// Set by the tree executor around a script it calls by name: that run continues the caller's walk,
// which its own guard on the native stack bounds, so it is no nested run.
extern bool g_CodeCallByName;

// Runs the code into `result` (an expression's value or what a program returned). False when the
// tree-walking executor failed, the error flag and text then holding the report; the bytecode
// interpreter reports its own errors and this then answers true.
bool Code_Execute(CInstance* self, CInstance* other, CCode* code, ScriptValue* result);
// Code_Execute; a failure is shown as a non-fatal action error and the error flag cleared.
bool Code_Execute_Report(CInstance* self, CInstance* other, CCode* code, ScriptValue* result);
// Code_Execute; a failure makes the result the string "ERROR".
bool Code_Execute_Value(CInstance* self, CInstance* other, CCode* code, ScriptValue* result);

// Runs a program tree with the tree-walking executor: an empty program succeeds, a block runs its
// statements, anything else is "This is not a program.". Answers the executor's status.
int32_t Code_ExecuteProgram(Code_Exec_Context* context, const CodeNode* root, ScriptValue* result);
