// The bytecode interpreter: runs one code buffer for a self and an other instance over a raw value
// stack of 4-, 8- and 16-byte items, with script calls as frames on that stack (never a nested run),
// the 16 script argument slots, the per-level local variable lists and the one error routine of
// every instruction. Code runs on a translation of its words made at its first run
// (Code_Translate.h) while the debugger wants nothing and the words stay as they were; the word
// loop, the reference, runs it otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code/Code_Value.h"

class CCode;
class CInstance;
class VMBuffer;
struct VMErrorFrame;
struct tagIConsole;

constexpr int32_t SCRIPT_ARGUMENT_COUNT = 16;

// The script arguments (argument0 to argument15, argument[]) and argument_count. Shared by nested
// runs; every script call saves and restores the caller's. A called script's arguments stay in its
// frame until code outside the interpreter's loop (a built-in, a variable getter or setter, the
// message pump, the debugger) may read them, and are here from then until the script returns.
extern ScriptValue g_ScriptArguments[SCRIPT_ARGUMENT_COUNT];
extern int32_t g_ScriptArgumentCount;

// The tolerance of every number comparison of the interpreter; math_set_epsilon sets it.
extern double Code_CompareEpsilon;

// Set by an error of the interpreter while the remote debugger evaluates quietly (the evaluated code
// stops instead of ending the game), with the error's text. Whoever evaluates clears both first.
extern uint8_t g_VMEvaluationFailed;
extern std::string g_VMEvaluationError;

// Window messages are pumped through this every 4096th branch (ProcessMessagesInScript unless a test
// counts the calls).
extern void (*g_VMMessagePump)();

// How call reaches scripts: whether the script table has an index, its code object (null when it has
// none) and its name. The script table by default; tests install doubles.
struct VMScriptAccess {
    bool (*exists)(int32_t index);
    CCode* (*code)(int32_t index);
    const char* (*name)(int32_t index);
};
extern VMScriptAccess g_VMScripts;

// Runs the code for self and other. When `result` is given it receives what the code returned: the
// value of `ret` at the outermost level, or the variable left on the stack when the code runs off its
// end (an expression's value); otherwise it is left untouched. Errors are fatal (the game ends with
// exit code -1) except during the debugger's quiet evaluation.
void VM_Exec(const char* name, CInstance* self, CInstance* other, const VMBuffer* code, ScriptValue* result,
             const VMBuffer* debugInfo, const char* text);

// One code run for many instances in turn (a walk running an object's handler for each of its
// instances): what depends on neither self nor other is made once by VM_PrepareRun and kept by the
// caller until VM_FreePrepared. VM_ExecPrepared then runs it as VM_Exec would, at any depth, nested
// in a running code's built-in or not: from a state made again when the depth changed, a run grew or
// freed the region or the words were written again; through VM_Exec itself for a run inside one of
// the same prepared run, and while tracing.
struct VMPreparedRun;
VMPreparedRun* VM_PrepareRun(const char* name, const VMBuffer* code, const VMBuffer* debugInfo, const char* text);
void VM_ExecPrepared(VMPreparedRun* prepared, CInstance* self, CInstance* other, ScriptValue* result);
void VM_FreePrepared(VMPreparedRun* prepared);

// The instances a walk hands a prepared run one at a time, each having done what the walk does
// before it; null when the walk has no more for that run.
using VMNextInstance = CInstance* (*)(void* walk);
// VM_ExecPrepared(prepared, instance, instance, nullptr) for every instance `next` hands, in one loop
// that keeps what the runs share at hand.
void VM_ExecPreparedEach(VMPreparedRun* prepared, VMNextInstance next, void* walk);

// The running code's levels for the error report, innermost first; empty when nothing runs.
void VM_GetErrorFrames(std::vector<VMErrorFrame>& frames);
// The local, self and global variables of the running code, each block after a rule of 92 "-" and
// its title; nothing when no bytecode is running.
void VM_ReportVariables(tagIConsole* console);

// Frees the strings and arrays held by the argument slots (shut-down).
void Code_FreeScriptArguments();

// The most stack bytes a run has used so far.
uint32_t VM_StackHighWater();
// The number of branch instructions executed so far.
uint32_t VM_BranchCount();
// The bytes the last finished run left on its stack besides the result it handed back (0 when it
// ended balanced).
int32_t VM_LastRunStackBytes();
