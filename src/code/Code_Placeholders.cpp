#include "code/Code_Placeholders.h"

#include "code/Code_Emitter.h"

// PLACEHOLDER for the breakpoints and debugger services issue: no breakpoint table yet.
void VM_Init() {}

// PLACEHOLDER for the code execution entry points issue: the argument slots hold nothing.
void Code_FreeScriptArguments() {}

// PLACEHOLDER for the bytecode generator issue: no words are generated, so source code compiled for
// the bytecode interpreter runs nothing there yet.
void Code_Generate(CCode*, const CodeNode*, bool, VMWriteBuffer** words, VMWriteBuffer** companion)
{
    *words = new VMWriteBuffer(16);
    (*words)->Finish();
    *companion = new VMWriteBuffer(16);
    (*companion)->Finish();
}
