// The interpreter's run state and the value-stack helpers that the loop and the instruction files
// share. Not for use outside the interpreter.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Emitter.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Value.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_List.h"

class CCode;
class CInstance;
class CVariableList;
class IVariableInstances;
class VMBuffer;

constexpr uint32_t VM_STACK_INITIAL = 16384;
constexpr uint32_t VM_STACK_STEP = 16384;
constexpr uint32_t VM_STACK_HEADROOM = 1024;
// Runaway recursion ends with "Stack overflow..." here instead of exhausting memory.
constexpr uint32_t VM_STACK_LIMIT = 64u * 1024u * 1024u;
// Runs nested by built-ins (script_execute, execute_string, events performed from code) each keep a
// region and take native stack, some 8 to 11 KB a level in all: a runaway through them ends with
// "Stack overflow..." at this depth, a few hundred megabytes in, instead of going on past a
// gigabyte until the game thread's stack runs low.
constexpr int32_t VM_RUN_DEPTH_LIMIT = 30000;
// A nested run's region starts as one page with the memory manager's 16-byte header (its end stays
// 16-aligned): most nested runs use little of it, and one that needs more grows it once, as the
// region is kept for the next run at its depth.
constexpr uint32_t VM_NESTED_STACK_INITIAL = 4096 - 16;
// Zeroed bytes above every empty stack (the run's and each script frame's): an instruction that
// pops more than was pushed reads these, never a frame, and is stopped before the next one runs.
constexpr uint32_t VM_STACK_GUARD = 64;

constexpr uint32_t VM_WORD_BREAK_NOW = 0xFF0F0000u;

// A comparison's test of the difference d against the tolerance e. A difference of exactly 0 is
// equal at any tolerance, so that at tolerance 0 a value still equals itself.
[[gnu::always_inline]] inline bool VM_TestDifference(uint8_t opcode, double d, double e)
{
    switch (opcode) {
    case VM_OP_SLT: return d < -e;
    case VM_OP_SLE: return d <= e;
    case VM_OP_SEQ: return d == 0 || (d > -e && d < e);
    case VM_OP_SNE: return d < -e || d > e;
    case VM_OP_SGE: return d >= -e;
    default: return d > e;
    }
}

// Stack sizes of the data types (variable 16, string a 4-byte reference); unused codes take none.
inline uint32_t VM_StackSize(uint32_t type)
{
    static const uint8_t sizes[16] = {8, 4, 4, 8, 4, 16, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return sizes[type & 0xF];
}

// Stack items are only 4-aligned: every access copies.
template <typename T>
inline T VM_Load(const uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T>
inline void VM_Store(uint8_t* at, const T& value)
{
    std::memcpy(at, &value, sizeof value);
}

// Script values move field by field: they are mostly written that way, and a whole-value load of
// fields just stored separately would wait for the stores to drain.
template <>
inline ScriptValue VM_Load<ScriptValue>(const uint8_t* at)
{
    ScriptValue value;
    std::memcpy(&value.kind, at, 4);
    std::memcpy(&value.ref, at + 4, 4);
    std::memcpy(&value.real, at + 8, 8);
    return value;
}

inline void VM_Store(uint8_t* at, const ScriptValue& value)
{
    std::memcpy(at, &value.kind, 4);
    std::memcpy(at + 4, &value.ref, 4);
    std::memcpy(at + 8, &value.real, 8);
}

// One open with block. The stack holds only a tag naming it, so no instance pointer is ever read
// back from the stack.
struct VMWithEnv {
    CInstance* savedSelf;
    CInstance* savedOther;
    InstanceRow pending; // instances still to run; the next at the back
};

// What pushenv leaves on the stack: a mark and the index of the run's open with block.
constexpr uint32_t VM_WITH_MARK = 0x57495448u;
constexpr uint32_t VM_WITH_TAG_SIZE = 8;

struct VMRunState {
    // The stack region; the stack grows down from its end.
    uint8_t* base;
    uint32_t size;
    uint8_t* sp;
    uint8_t* initialTop; // the empty stack of the run
    uint8_t* fp;         // the current script frame (the region's end at level 0)
    uint8_t* top;        // the empty stack of the current level
    uint8_t* lowWater;   // the lowest stack pointer so far (headroom is checked below it)

    CInstance* self;
    CInstance* other;
    const VMBuffer* code;
    const uint8_t* words;
    int32_t codeSize;
    int32_t pc;
    int32_t callDepth;
    // Apart from pc, so that the loop's saving of the two is not built as one vector store.
    int32_t insnStart; // where the instruction being executed starts
    const CCode* script; // the script whose code runs; null for the run's own code
    // The run's own level's list of locals without a slot (VM_LevelList).
    CVariableList* runLocals;
    // The level's arguments (argument 0 first, `argumentSlots` of them, the rest real 0): in its
    // frame while they stay there, else the global argument slots (VM_GlobalArguments, all 16), so
    // that reading one never asks where they are.
    uint8_t* arguments;
    uint32_t argumentSlots;
    IVariableInstances* instances; // the game's instances, as variable access reaches them
    int32_t runDepth;              // which nested run this is (its stack region and with table)

    std::vector<VMWithEnv>* envs;
    uint32_t envCount;

    // The self instance's variable list as last looked up, and the instance it belongs to; the
    // loops forget it when code outside them has run (the translated loop only when that code let go
    // of a list: the variables' generation moved).
    CInstance* selfListOf;
    CVariableList* selfList;
    // The same for other, kept with the generation it was found under instead: every list let go
    // of moves the generation, so the pair still names other's list while both are the same.
    CInstance* otherListOf = nullptr;
    CVariableList* otherList = nullptr;
    uint64_t otherListGeneration = 0;

    // The run's own code, which the outermost level returns to.
    const VMBuffer* runCode;
    const VMBuffer* runDebugInfo;
    const char* runText;
    const char* runName;

    int32_t savedArgCount;
    uint8_t returned; // ret at level 0: the value on top is the result
    uint8_t returnType;
    uint8_t exited;   // exit at level 0: no result
    uint8_t stopped;  // an error stopped the run
    VMRunState* previous;

    // The level's local slots (its code's VMLocalSlots, in that order), below its frame, and their
    // count with VM_LEVEL_HAS_LIST set while the level has a list of locals without a slot; the
    // pointer means nothing while the count is 0.
    VariableNode* localSlots;
    uint32_t localCount;
    // How many of the level's slots are set, while `countedSlots` is its `localSlots`: slots start
    // unset where they are cleared and each first store adds one, so that a first store knows its
    // order without counting; another level's slots (a return, a moved region) are counted afresh.
    mutable const VariableNode* countedSlots = nullptr;
    mutable int32_t setSlots = 0;
};

// The innermost running state, or null.
extern VMRunState* g_pVMRun;

// The error routine of every instruction: fatal (the report, then exit code -1), or during the
// debugger's quiet evaluation the run is unwound and stopped.
void VM_Error(VMRunState& run, const char* format, ...) KELVARO_PRINTF(2, 3);

// The same text used wherever the stack holds less than an instruction takes.
constexpr const char* VM_UNDERFLOW_MESSAGE = "Stack underflow...";

// Divisors nearer 0 than this are division by zero, in the fast paths as in the instructions.
constexpr double VM_DIVISOR_EPSILON = 1e-10;

// Grows the region so that `bytes` fit below the stack pointer with the usual headroom to spare;
// false (after the error) when the limit is reached.
bool VM_EnsureStack(VMRunState& run, uint32_t bytes);

// Bytes between the stack pointer and the current level's empty stack.
inline uint32_t VM_StackUsed(const VMRunState& run) { return static_cast<uint32_t>(run.top - run.sp); }

// Instructions outside the loop's fast paths. Each works on run.sp and run.pc (already past the
// instruction and its operand) and may stop the run through VM_Error.
void VM_DoArithmetic(VMRunState& run, uint32_t word);
void VM_DoCompare(VMRunState& run, uint32_t word);
void VM_DoConv(VMRunState& run, uint32_t word);
void VM_DoNegNot(VMRunState& run, uint32_t word);
void VM_DoPush(VMRunState& run, uint32_t word, const uint8_t* operand);
void VM_DoPop(VMRunState& run, uint32_t word, const uint8_t* operand);
void VM_DoDup(VMRunState& run, uint32_t word);
void VM_DoPopz(VMRunState& run, uint32_t word);
void VM_DoPushEnv(VMRunState& run, uint32_t word, int32_t wordAt);
void VM_DoPopEnv(VMRunState& run, uint32_t word, int32_t wordAt);
void VM_DoBreakCheck(VMRunState& run, uint32_t word);

// Variable access by instance number, shared by the fast and general paths. `out` holds real 0 on
// entry; `value` is owned by the caller.
bool VM_ReadVariable(VMRunState& run, int32_t instance, int32_t id, int32_t index, ScriptValue* out);
bool VM_WriteVariable(VMRunState& run, int32_t instance, int32_t id, int32_t index, ScriptValue* value);

// The running code's name, debug table and source text: its script's, or the run's own code's.
const char* VM_RunName(const VMRunState& run);
const VMBuffer* VM_RunDebugInfo(const VMRunState& run);
const char* VM_RunText(const VMRunState& run);

// A script level's arguments stay in its frame until code outside the loop may read them: then they
// move into the global argument slots, where built-ins, their nested runs, variable getters and the
// debugger find them, and stay there until the level returns.
void VM_MoveArgumentsToGlobals(VMRunState& run);
inline uint8_t* VM_GlobalArguments() { return reinterpret_cast<uint8_t*>(g_ScriptArguments); }
inline bool VM_ArgumentsInFrame(const VMRunState& run) { return run.arguments != VM_GlobalArguments(); }
inline void VM_SettleArguments(VMRunState& run)
{
    if (VM_ArgumentsInFrame(run)) VM_MoveArgumentsToGlobals(run);
}

// Marks a level's local count while the level has a list of locals without a slot; the list lies
// in the level's frame (the run's own level: in the run state).
constexpr uint32_t VM_LEVEL_HAS_LIST = 0x80000000u;
inline uint32_t VM_SlotCount(const VMRunState& run) { return run.localCount & ~VM_LEVEL_HAS_LIST; }

// The level's list of locals without a slot, or null; VM_Locals makes it on first use.
CVariableList* VM_LevelList(const VMRunState& run);
CVariableList* VM_MakeLocals(VMRunState& run);
inline CVariableList* VM_Locals(VMRunState& run)
{
    return run.localCount & VM_LEVEL_HAS_LIST ? VM_LevelList(run) : VM_MakeLocals(run);
}

// A level's `count` local slots, just below its frame at `fp` (the run's own level: the region's
// end), 8-aligned: regions end 16-aligned and move as a whole, so the slots of a frame are found
// again from it. A level without slots has its empty stack a guard below the frame, as before.
inline VariableNode* VM_LevelSlots(uint8_t* fp, uint32_t count)
{
    if (count == 0) return reinterpret_cast<VariableNode*>(fp);
    uintptr_t at = reinterpret_cast<uintptr_t>(fp) - uintptr_t{count} * sizeof(VariableNode);
    return reinterpret_cast<VariableNode*>(at & ~uintptr_t{7});
}

// A slot that holds a value (a local the level set), or null: one never set reads and is written
// by the general routines, as a local missing from a list is.
inline VariableNode* VM_SetSlot(VariableNode* slot) { return slot->spare != 0 ? slot : nullptr; }

// An unset slot's value has a kind that no value has, so that a fast path testing for a real
// passes over it without asking whether it was set; the general routines give it real 0 when set.
constexpr uint32_t VM_UNSET_SLOT_KIND = VALUE_KIND_MASK;
inline void VM_ClearSlots(VariableNode* slots, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        slots[i].value = ScriptValue{VM_UNSET_SLOT_KIND, 0, 0.0};
        slots[i].id = 0;
        slots[i].spare = 0;
    }
}

// The level's slots cleared as they are entered, none of them set.
inline void VM_ClearLevelSlots(const VMRunState& run, VariableNode* slots, uint32_t count)
{
    VM_ClearSlots(slots, count);
    run.countedSlots = slots;
    run.setSlots = 0;
}

// The running level's slot of local `id`, set or not; null when the local has none.
inline VariableNode* VM_LocalSlot(const VMRunState& run, int32_t id)
{
    int32_t slot = VM_LocalSlotOf(run.code->m_LocalSlots, id);
    return slot >= 0 && static_cast<uint32_t>(slot) < VM_SlotCount(run) ? run.localSlots + slot : nullptr;
}

// A local read and written as the level's named list would (unset ones included), in its slot or
// in the list of those without one. A set slot, the common case, is read here.
bool VM_ReadUnsetOrListedLocal(VMRunState& run, int32_t id, int32_t index, ScriptValue* out);
inline bool VM_ReadLocal(VMRunState& run, int32_t id, int32_t index, ScriptValue* out)
{
    VariableNode* slot = VM_LocalSlot(run, id);
    if (slot == nullptr || slot->spare == 0) return VM_ReadUnsetOrListedLocal(run, id, index, out);
    g_ArrayError.flag = 0;
    return Value_GetArrayElement(out, &slot->value, index);
}
void VM_WriteLocal(VMRunState& run, int32_t id, int32_t index, const ScriptValue* value);
// The order for the next local the level sets (a slot's `spare`): after every one it holds.
int32_t VM_NextLocalOrder(const VMRunState& run);
// The order for a slot the level sets now, counted as set: VM_NextLocalOrder without counting again
// the slots of a level counted before; the common level, counted and with no list, takes it inline.
int32_t VM_TakeSlotOrder(const VMRunState& run);
inline int32_t VM_SlotOrder(const VMRunState& run)
{
    if (run.countedSlots == run.localSlots && !(run.localCount & VM_LEVEL_HAS_LIST)) [[likely]]
        return ++run.setSlots;
    return VM_TakeSlotOrder(run);
}
// An unset slot set as the level's next local, holding real 0 (the value to store goes in after).
VariableNode* VM_SetSlotFirst(const VMRunState& run, VariableNode* slot, int32_t id);

// The level's locals in the order its named list would hold them, bucket by bucket, the latest set
// first in each: the debugger's view and the error report.
std::vector<const VariableNode*> VM_LocalsInListOrder(const VMRunState& run);

// What a level's slots hold, freed as emptying a list frees its values.
void VM_FreeLocalSlotValues(VariableNode* slots, uint32_t count);
inline void VM_FreeLocalSlots(VariableNode* slots, uint32_t count)
{
    if (count != 0) VM_FreeLocalSlotValues(slots, count);
}

// The value of a stack item of the type as a script value (the item's text moves into it).
ScriptValue VM_ItemToValue(const uint8_t* at, uint32_t type);

// A new copy of the text in the script heap, as a stack item or value refers to it; 0 for none.
uint32_t VM_CopyText(const char* text);
void VM_FreeText(uint32_t ref);
