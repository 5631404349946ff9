// The interpreter: runs code buffers over a raw value stack, with script calls as frames on that
// stack. This file holds what the rest of the engine sees: the argument slots, the running runs'
// chain, the one error routine of every instruction, and the running levels as the error report and
// the debugger list them. The interpreter's parts live in files of their own and are compiled here
// as one unit, which keeps the state they share (the branch count, the outside epoch, the regions)
// private to it: a private variable whose address is never taken cannot be reached through any
// pointer, while the build (no strict aliasing) lets a store through any pointer reach a shared one.
// Built as units of their own, the loops ran more instructions (the register steps 8 more per mover
// and frame). The parts, in the order they build on each other:
//   Code_InterpreterInline.h       the frame layout, the shared state and the inline fast paths
//   Code_InterpreterStack.inc      the stack's regions, grown as runs go deeper
//   Code_InterpreterCalls.inc      calls, frames and returns; argument slots; level locals
//   Code_InterpreterLoop.inc       the word loop, the reference meaning of every instruction
//   Code_InterpreterRegisters.inc  the register steps of the translated form
//   Code_InterpreterText.inc       the joins of texts of the translated form
//   Code_InterpreterTranslated.inc the translated loop
//   Code_InterpreterRuns.inc       a run's start and end: VM_Exec and the prepared runs
#include "code/Code_Interpreter.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "base/Base_Numbers.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Emitter.h"
#include "code/Code_Error.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Execute.h"
#include "code/Code_Executor.h"
#include "code/Code_Function.h"
#include "code/Code_InterpreterState.h"
#include "code/Code_Object.h"
#include "code/Code_Translate.h"
#include "extension/Extension_Main.h"
#include "function/Function_ListLeaves.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"
#include "run/Run_Window.h"
#include "script/Script_Table.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

ScriptValue g_ScriptArguments[SCRIPT_ARGUMENT_COUNT] = {};
int32_t g_ScriptArgumentCount = 0;
uint8_t g_VMEvaluationFailed = 0;
std::string g_VMEvaluationError;
void (*g_VMMessagePump)() = ProcessMessagesInScript;
VMScriptAccess g_VMScripts = {Script_Exists, Script_GetCode, Script_Name};
VMRunState* g_pVMRun = nullptr;

// clang-format off
#include "code/Code_InterpreterInline.h"
#include "code/Code_InterpreterStack.inc"
#include "code/Code_InterpreterCalls.inc"
#include "code/Code_InterpreterLoop.inc"
#include "code/Code_InterpreterRegisters.inc"
#include "code/Code_InterpreterText.inc"
#include "code/Code_InterpreterTranslated.inc"
#include "code/Code_InterpreterRuns.inc"
// clang-format on

const char* VM_RunName(const VMRunState& run) { return run.script != nullptr ? run.script->GetName() : run.runName; }

const VMBuffer* VM_RunDebugInfo(const VMRunState& run)
{
    return run.script != nullptr ? run.script->m_pDebugInfo : run.runDebugInfo;
}

const char* VM_RunText(const VMRunState& run) { return run.script != nullptr ? run.script->GetText() : run.runText; }

void VM_Error(VMRunState& run, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    if (Debug_EvaluatingExpression) {
        // The debugger's evaluation stops; the game goes on.
        g_VMEvaluationFailed = 1;
        g_VMEvaluationError = text;
        UnwindAll(run);
        run.pc = run.codeSize;
        run.stopped = 1;
        return;
    }
    Error_Show_Action(text, true);
    Error_ShowAndExit(text, -1);
}

void VM_GetErrorFrames(std::vector<VMErrorFrame>& frames)
{
    frames.clear();
    const VMRunState* run = g_pVMRun;
    if (run == nullptr) return;
    frames.push_back(VMErrorFrame{VM_RunName(*run), VM_RunDebugInfo(*run), VM_RunText(*run), run->insnStart});
    const uint8_t* fp = run->fp;
    for (int32_t depth = run->callDepth; depth > 0; --depth) {
        VMFrameHeader frame;
        std::memcpy(&frame, fp, FRAME_HEADER_SIZE);
        if (const CCode* script = frame.callerScript)
            frames.push_back(VMErrorFrame{script->GetName(), script->m_pDebugInfo, script->GetText(), frame.returnPc});
        else
            frames.push_back(VMErrorFrame{run->runName, run->runDebugInfo, run->runText, frame.returnPc});
        fp += frame.callerFrameOffset;
    }
}

void VM_ReportVariables(tagIConsole* console)
{
    const VMRunState* run = g_pVMRun;
    if (run == nullptr || console == nullptr) return;
    std::string rule(92, '-');
    auto heading = [&](const char* title) {
        console->Output("%s\n", rule.c_str());
        console->Output("%s", title);
    };
    auto block = [&](const CVariableList* list, const char* title) {
        if (list == nullptr || list->Count() == 0) return;
        heading(title);
        list->DebugDump(console);
    };
    // The level's locals as its named list would hold them.
    std::vector<const VariableNode*> locals = VM_LocalsInListOrder(*run);
    if (!locals.empty()) heading("Local Variables : \n");
    for (const VariableNode* node : locals) Variable_DumpNode(console, node);
    block(run->self != nullptr ? run->instances->Variables(run->self) : nullptr, "Self Variables : \n");
    block(Variable_GlobalList(), "Global Variables : \n");
}

void Code_FreeScriptArguments()
{
    for (ScriptValue& slot : g_ScriptArguments) {
        Value_Free(&slot);
        slot = ScriptValue{VALUE_REAL, 0, 0.0};
    }
}
