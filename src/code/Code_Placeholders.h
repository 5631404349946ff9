// Script-engine services that start-up and shut-down call, before their issues land.
#pragma once

class CCode;
class VMWriteBuffer;
struct CodeNode;

// Clears the breakpoint table (start-up step "VM Init").
void VM_Init();
// Frees the strings held by the 16 script argument slots (shut-down).
void Code_FreeScriptArguments();

// Translates a checked code tree into bytecode: a program as a program, an expression as an
// expression. Hands over the code words and the companion (debug) buffer, both finished; the caller
// owns them.
void Code_Generate(CCode* code, const CodeNode* root, bool asExpression, VMWriteBuffer** words,
                   VMWriteBuffer** companion);
