// Script-engine services whose issues have not landed. The breakpoint table (VM_Init) and the
// argument slots (Code_FreeScriptArguments) are built; their headers stand here for the files that
// include this one.
#pragma once

#include <cstdint>

#include "code/Code_Breakpoints.h"
#include "code/Code_Interpreter.h"

struct CodeNode;
struct Code_Exec_Context;
struct ScriptValue;

// The tree-walking executor (issue "Tree-walking executor"): runs one statement (a block runs its
// statements) into the result and answers its status; evaluates one expression into the value and
// answers 0 or -1.
int32_t Code_Exec_Statement(Code_Exec_Context* context, const CodeNode* node, ScriptValue* result);
int32_t Code_Exec_Expression(Code_Exec_Context* context, const CodeNode* node, ScriptValue* value);
