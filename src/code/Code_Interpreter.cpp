// The run loop, the value stack and its regions, script calls and their frames, and the error
// routine. The loop keeps the program counter and stack pointer in locals and handles the common
// forms of the hot instructions itself; everything else goes to the instruction files with the run
// state brought up to date (VM_SAVE) and read back afterwards (VM_LOAD). RunTranslated runs the
// same instructions from a buffer's translation (Code_Translate.h) with the same fast paths and
// calls out, and hands the run to the word loop whenever the debugger wants attention or words
// were written; the word loop is the reference that the translation must match. When a
// translation is bound, some kinds get a handler made for what their words are: a joined
// combination for the kind of push it joins and for a store into the variable it read first,
// statements whose every variable is a local, an element store at the index of the variable its
// value was made from, and a counting step that adds and tests `less than`. A register sequence's
// steps run out of line (RunRegisterSteps) on doubles, the stack pointer left as it was until the
// words go on, with the live items put on the stack in their types. A level's `var` locals live in
// slots below its frame (Code_LocalSlots.h), which both forms read and write in place; the
// debugger and the error report list them, when asked, as the level's named list would hold them.
#include "code/Code_Interpreter.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
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
void (*g_VMMessagePump)() = ProcessMessages;
VMScriptAccess g_VMScripts = {Script_Exists, Script_GetCode, Script_Name};
VMRunState* g_pVMRun = nullptr;

namespace {

// What exit and running off the end return.
constexpr ScriptValue REAL_ZERO = {VALUE_REAL, 0, 0.0};

// A script frame as call lays it on the stack, from its lowest byte: the caller's state, room for
// the 16 global argument slots, then the callee's arguments where the caller pushed them (argument 0
// first). The arguments stay there while the callee runs, unless code outside the loop needs them
// in the global slots: then the slots' former contents wait in the room until the callee returns
// (only the slots up to the last one holding anything but real 0; the rest come back as real 0),
// and so does argument_count's former value. Only what the return needs is stored. The callee's
// local slots lie below the frame, its empty stack a guard below them.
struct VMFrameHeader {
    int32_t returnPc;
    uint32_t envCount;
    CInstance* self;
    CInstance* other;
    const CCode* callerScript; // null for the run's own code
    CVariableList* levelLocals; // the level's own list of locals without a slot, when it has one
    // The translated caller's entry after the call; null: the caller goes on at returnPc. Read by
    // the translated loop alone, in which every translation it can name stays as it is.
    const VMTranslatedInsn* returnEntry;
    uint32_t callerFrameOffset; // from this frame up to the caller's: the region moves as a whole
    uint32_t savedSlots;        // ARGUMENTS_IN_FRAME while the arguments stay in the frame
    uint32_t argumentCount;     // as the call gave it
    uint32_t keptArguments;     // of them, the ones the frame keeps (at most 16)
    int32_t callerArgCount;     // argument_count before the arguments moved into the global slots
    uint32_t callerLocalCount;  // the caller's local slots, below its own frame
};
constexpr uint32_t FRAME_HEADER_SIZE = sizeof(VMFrameHeader);
constexpr uint32_t ARGUMENTS_IN_FRAME = 0xFFFFFFFFu;
// From the frame's start to its arguments.
constexpr uint32_t FRAME_SIZE = FRAME_HEADER_SIZE + 16 * SCRIPT_ARGUMENT_COUNT;
// A call lays the frame, the callee's slots (aligned) and the guard below the caller's stack
// pointer before asking for room: they fit in the headroom that is kept below every stack.
static_assert(FRAME_SIZE + 8 + VM_LOCAL_SLOT_LIMIT * sizeof(VariableNode) + VM_STACK_GUARD < VM_STACK_HEADROOM);

constexpr int32_t BRANCH_PUMP_MASK = 4095;
// A region that grew beyond this is given back when its run ends.
constexpr uint32_t REGION_KEEP_LIMIT = 16 * VM_STACK_INITIAL;

struct VMRegion {
    uint8_t* base;
    uint32_t size;
};

// By run depth: the stack region and the with table of each nested run, kept for the next run. The
// local variable lists not in use, emptied, for the next level that declares one. They live as
// long as the program, so the tables are never destroyed.
std::vector<VMRegion>& g_Regions = *new std::vector<VMRegion>();
std::vector<std::vector<VMWithEnv>*>& g_EnvTables = *new std::vector<std::vector<VMWithEnv>*>();
std::vector<CVariableList*>& g_SpareLocals = *new std::vector<CVariableList*>();
int32_t g_RunDepth = 0;

uint32_t g_BranchCounter = 0;
uint32_t g_StackHighWater = 0;
int32_t g_LastRunStackBytes = 0;

// A level's list of locals without a slot is made when its code first reaches one: most levels
// never need it, and their calls then cost no list at all.
void SpareLocalList(CVariableList* list)
{
    if (list->Count() > 0) list->Clear();
    g_SpareLocals.push_back(list);
}

// What a level's locals hold, freed as it ends: its slots' values and its list.
[[gnu::noinline]] void ReleaseLevelLocals(VMRunState& run)
{
    VM_FreeLocalSlots(run.localSlots, VM_SlotCount(run));
    if (CVariableList* list = VM_LevelList(run)) SpareLocalList(list);
}

// One test for the common level that holds nothing to free: no slots, no list.
inline void DropLevelLocals(VMRunState& run)
{
    if (run.localCount != 0) ReleaseLevelLocals(run);
}

uint8_t* RegionEnd(const VMRunState& run) { return run.base + run.size; }

uint8_t* Moved(uint8_t* pointer, uint8_t* oldEnd, uint8_t* newEnd) { return newEnd - (oldEnd - pointer); }

// A larger region with the old contents at its top end; every pointer into the stack moves along.
bool ReplaceRegion(VMRunState& run, uint32_t newSize)
{
    if (newSize > VM_STACK_LIMIT) {
        VM_Error(run, "Stack overflow...");
        return false;
    }
    uint8_t* fresh = static_cast<uint8_t*>(MEM_ALLOC(newSize, false));
    uint8_t* oldEnd = RegionEnd(run);
    uint8_t* newEnd = fresh + newSize;
    std::memcpy(newEnd - run.size, run.base, run.size);
    run.sp = Moved(run.sp, oldEnd, newEnd);
    run.initialTop = Moved(run.initialTop, oldEnd, newEnd);
    run.fp = Moved(run.fp, oldEnd, newEnd);
    run.top = Moved(run.top, oldEnd, newEnd);
    run.lowWater = Moved(run.lowWater, oldEnd, newEnd);
    run.localSlots = reinterpret_cast<VariableNode*>(Moved(reinterpret_cast<uint8_t*>(run.localSlots), oldEnd, newEnd));
    if (VM_ArgumentsInFrame(run)) run.arguments = Moved(run.arguments, oldEnd, newEnd);
    MemoryManager::Free(run.base);
    run.base = fresh;
    run.size = newSize;
    g_Regions[static_cast<size_t>(run.runDepth)] = VMRegion{fresh, newSize};
    return true;
}

// A region at least `needed` bytes large, in steps of 16384 bytes and by half its size at least, so
// that deep recursion copies the stack a few times rather than once per step.
// Beyond the limit the answer is above it, and growing fails with "Stack overflow...".
uint64_t GrownSize(uint32_t current, uint64_t needed)
{
    if (needed > VM_STACK_LIMIT) return VM_STACK_LIMIT + uint64_t{VM_STACK_STEP};
    uint64_t size = std::max<uint64_t>(needed, current + std::max<uint64_t>(VM_STACK_STEP, current / 2));
    size = (size + VM_STACK_STEP - 1) / VM_STACK_STEP * VM_STACK_STEP;
    return std::min<uint64_t>(size, VM_STACK_LIMIT);
}

// The stack pointer went below everything seen so far: count it and keep the headroom.
void MarkLowWater(VMRunState& run)
{
    if (run.sp >= run.lowWater) return;
    run.lowWater = run.sp;
    uint32_t used = static_cast<uint32_t>(run.initialTop - run.sp);
    if (used > g_StackHighWater) g_StackHighWater = used;
    if (static_cast<uint32_t>(run.sp - run.base) >= VM_STACK_HEADROOM) return;
    uint64_t size = GrownSize(run.size, run.size + VM_STACK_STEP);
    ReplaceRegion(run, static_cast<uint32_t>(size));
}

// Where a new run's low water starts: the depth earlier runs already counted needs no counting again,
// but never within the headroom above the region's base, where the region must grow.
uint8_t* InitialLowWater(const VMRunState& run)
{
    uint8_t* floor = run.base + VM_STACK_HEADROOM;
    if (floor >= run.initialTop) return run.initialTop;
    uint64_t reach = std::min<uint64_t>(g_StackHighWater, static_cast<uint64_t>(run.initialTop - floor));
    return run.initialTop - reach;
}

// Called when the stack pointer left the range checked before each instruction.
void CheckStack(VMRunState& run)
{
    if (run.sp > run.top) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    MarkLowWater(run);
}

// The routine's result takes the place of the deepest argument.
void PlaceResult(VMRunState& run, uint32_t argc, const ScriptValue& result)
{
    run.sp = run.sp + 16 * argc - 16;
    VM_Store(run.sp, result);
}

inline bool StackValueIsReal(const uint8_t* at) { return (VM_Load<uint32_t>(at) & VALUE_KIND_MASK) == VALUE_REAL; }

// Frees the strings and arrays among `count` values on the stack from the first one, which is not
// a real.
[[gnu::noinline]] void FreeStackValuesFrom(const uint8_t* at, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (StackValueIsReal(at + 16 * i)) continue;
        ScriptValue value = VM_Load<ScriptValue>(at + 16 * i);
        Value_Free(&value);
    }
}

// Frees the strings and arrays among `count` values on the stack; reals need nothing. The common
// all-real case is a scan without a call, so that the caller keeps its registers.
inline void FreeStackValues(const uint8_t* at, uint32_t count)
{
    // One value, the commonest count of a script's arguments, is tested without the loop.
    if (count == 1) {
        if (!StackValueIsReal(at)) FreeStackValuesFrom(at, 1);
        return;
    }
    for (const uint8_t* end = at + 16 * count; at != end; at += 16) {
        if (!StackValueIsReal(at)) {
            FreeStackValuesFrom(at, static_cast<uint32_t>(end - at) / 16);
            return;
        }
    }
}

// The arguments of a routine as an aligned array of at least `handed` values: in place when the
// stack allows it, else a copy that owns what the stack items owned, the values beyond the stack's
// `count` real 0.
class ArgumentBlock {
public:
    ArgumentBlock(uint8_t* at, uint32_t count, uint32_t handed) : m_Count(count)
    {
        if (handed <= count && reinterpret_cast<uintptr_t>(at) % alignof(ScriptValue) == 0) {
            m_Values = reinterpret_cast<ScriptValue*>(at);
            return;
        }
        uint32_t size = std::max(count, handed);
        if (size > SCRIPT_ARGUMENT_COUNT) m_Heap.resize(size);
        m_Values = size > SCRIPT_ARGUMENT_COUNT ? m_Heap.data() : m_Local;
        if (count > 0) std::memcpy(static_cast<void*>(m_Values), at, 16 * static_cast<size_t>(count));
        for (uint32_t i = count; i < size; ++i) m_Values[i] = ScriptValue{VALUE_REAL, 0, 0.0};
    }
    ArgumentBlock(uint8_t* at, uint32_t count) : ArgumentBlock(at, count, count) {}
    ScriptValue* Values() { return m_Values; }
    void FreeAll()
    {
        for (uint32_t i = 0; i < m_Count; ++i)
            if (Value_GetKind(&m_Values[i]) != VALUE_REAL) Value_Free(&m_Values[i]);
    }

private:
    uint32_t m_Count;
    ScriptValue* m_Values = nullptr;
    ScriptValue m_Local[SCRIPT_ARGUMENT_COUNT];
    std::vector<ScriptValue> m_Heap;
};

// A slot's 16 bytes as one vector, so that testing it takes one load.
typedef uint64_t SlotVector __attribute__((vector_size(16)));

inline SlotVector SlotBits(const ScriptValue& slot)
{
    SlotVector bits;
    std::memcpy(&bits, &slot, sizeof bits);
    return bits;
}

inline bool SlotEmpty(SlotVector bits) { return (bits[0] | bits[1]) == 0; }

// The argument slots up to the last one that holds anything but real 0 (all of its bits zero).
// Scripts rarely use more than a few, so a call saves and restores only those.
[[gnu::noinline]] uint32_t ArgumentSlotsInUse()
{
    constexpr uint32_t FEW = 4;
    // Most calls leave the upper slots empty: they are tested as one block.
    SlotVector upper = {0, 0};
    for (uint32_t i = FEW; i < SCRIPT_ARGUMENT_COUNT; ++i) upper |= SlotBits(g_ScriptArguments[i]);
    uint32_t used = SlotEmpty(upper) ? FEW : SCRIPT_ARGUMENT_COUNT;
    while (used > 0 && SlotEmpty(SlotBits(g_ScriptArguments[used - 1]))) --used;
    return used;
}

// Moves on whenever code that the loop's own calls and returns do not account for may have run:
// built-ins and extensions, the general variable instructions (whose getters and setters are
// built-in code), the debugger, the message pump and anything between runs. The facts below are
// trusted only within the epoch they were learned in; 64 bits never wrap.
uint64_t g_OutsideEpoch = 1;

inline void NoteOutsideCode() { ++g_OutsideEpoch; }

// A bound on the argument slots in use (every slot from it on is real 0), kept by calls and returns
// so that they need not look.
uint32_t g_ArgumentSlotBound = 0;
uint64_t g_ArgumentSlotEpoch = 0;

inline uint32_t ArgumentSlotBound()
{
    return g_ArgumentSlotEpoch == g_OutsideEpoch ? g_ArgumentSlotBound : ArgumentSlotsInUse();
}

inline void SetArgumentSlotBound(uint32_t bound)
{
    g_ArgumentSlotBound = bound;
    g_ArgumentSlotEpoch = g_OutsideEpoch;
}

// Scripts' code objects as calls last found them, by script index (a few share an entry). The
// table of scripts and the code objects change only outside the loop's own work.
struct ResolvedScript {
    uint64_t epoch;
    int32_t index;
    CCode* code;
    const VMBuffer* words; // the code's buffer when it has words to run, else null
};
constexpr uint32_t RESOLVED_SCRIPTS = 64;
ResolvedScript g_ResolvedScripts[RESOLVED_SCRIPTS] = {};

// Script `index` looked up in the table again (its entry replaced), or null when the table has no
// such script.
[[gnu::noinline]] ResolvedScript* ResolveScriptAgain(int32_t index)
{
    if (!g_VMScripts.exists(index)) return nullptr;
    CCode* code = g_VMScripts.code(index);
    const VMBuffer* buffer = code != nullptr ? code->m_pCode : nullptr;
    bool runnable = buffer != nullptr && buffer->m_pWords != nullptr && buffer->m_Size > 0;
    if (runnable) VM_FindLocalSlots(buffer); // a call lays out the callee's slots from it
    ResolvedScript& entry = g_ResolvedScripts[static_cast<uint32_t>(index) % RESOLVED_SCRIPTS];
    entry = ResolvedScript{g_OutsideEpoch, index, code, runnable ? buffer : nullptr};
    return &entry;
}

// The entry that script `index` is kept in when resolved.
inline ResolvedScript* ResolvedEntry(int32_t index)
{
    return &g_ResolvedScripts[static_cast<uint32_t>(index) % RESOLVED_SCRIPTS];
}

// Script `index` as the table gives it now, or null when the table has no such script.
inline ResolvedScript* ResolveScript(int32_t index)
{
    ResolvedScript* entry = ResolvedEntry(index);
    return entry->epoch == g_OutsideEpoch && entry->index == index ? entry : ResolveScriptAgain(index);
}

void CallBuiltin(VMRunState& run, int32_t id, uint32_t argc)
{
    VM_SettleArguments(run);
    FunctionEntry* entry = Function_Get(id);
    if (entry == nullptr || entry->routine == nullptr) {
        VM_Error(run, "call to non-existent function\n");
        return;
    }
    // Only the compiler checks counts: game files call rows with other counts. A fixed-count routine
    // gets its row's count (missing arguments real 0, extra ones only freed), so it never reads past
    // what it was given; an any-count routine gets the count of the call.
    uint32_t handed = entry->argCount >= 0 ? static_cast<uint32_t>(entry->argCount) : argc;
    if (g_TraceFlag) MainConsole->Output("func call = %s\n", entry->name);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    ArgumentBlock args(run.sp, argc, handed);
    entry->routine(&result, run.self, run.other, static_cast<int32_t>(handed), args.Values());
    NoteOutsideCode();
    args.FreeAll();
    PlaceResult(run, argc, result);
}

void CallExtension(VMRunState& run, int32_t id, uint32_t argc)
{
    VM_SettleArguments(run);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    ArgumentBlock args(run.sp, argc);
    Extension_CallDll(id - CALLABLE_EXTENSION_BASE, static_cast<int32_t>(argc), args.Values(), &result);
    NoteOutsideCode();
    args.FreeAll();
    PlaceResult(run, argc, result);
}

template <typename T>
inline void StoreFrameField(uint8_t* frame, size_t offset, const T& value)
{
    std::memcpy(frame + offset, &value, sizeof value);
}

template <typename T>
inline T FrameField(const uint8_t* frame, size_t offset)
{
    T value;
    std::memcpy(&value, frame + offset, sizeof value);
    return value;
}

inline uint32_t KeptArguments(uint32_t argc) { return std::min<uint32_t>(argc, SCRIPT_ARGUMENT_COUNT); }

// The global argument slots and argument_count get back what they held before the level whose
// frame is `fp` moved its arguments into them (`savedSlots` of them, kept in the frame); what the
// level left there is freed.
[[gnu::noinline]] void RestoreGlobalArguments(const uint8_t* fp, uint32_t savedSlots)
{
    const uint8_t* saved = fp + FRAME_HEADER_SIZE;
    g_ScriptArgumentCount = FrameField<int32_t>(fp, offsetof(VMFrameHeader, callerArgCount));
    // Slots past both what the level holds and what the caller had are real 0 on both sides.
    uint32_t end = std::max(ArgumentSlotBound(), savedSlots);
    for (uint32_t i = 0; i < end; ++i)
        if (Value_GetKind(&g_ScriptArguments[i]) != VALUE_REAL) Value_Free(&g_ScriptArguments[i]);
    for (uint32_t i = 0; i < savedSlots; ++i) g_ScriptArguments[i] = VM_Load<ScriptValue>(saved + 16 * i);
    for (uint32_t i = savedSlots; i < end; ++i) g_ScriptArguments[i] = ScriptValue{VALUE_REAL, 0, 0.0};
    SetArgumentSlotBound(savedSlots);
}

inline void EnterCode(VMRunState& run, const VMBuffer* code)
{
    run.code = code;
    run.words = code->m_pWords;
    run.codeSize = code->m_Size;
}

// Starts the script `callee`, whose words to run are `code`, with the `argc` arguments on top of the
// stack at `sp`, of which at most 16 are left (the rest freed): they stay where the caller pushed
// them and the frame goes below them; the callee's empty stack lies a guard below the frame. The
// caller goes on at `returnPc` (in the translated loop, at its entry `returnEntry`). The stack
// pointer and the program counter are the caller's to set; argument_count is set only when the
// arguments move into the global slots. False when the callee's empty stack lies below the low
// water: the caller then marks the new depth (EnterNewDepth). Inline: the translated loop makes its
// script calls with it too.
[[gnu::always_inline]] inline bool EnterScript(VMRunState& run, uint8_t* sp, int32_t returnPc,
                                               const VMTranslatedInsn* returnEntry, CCode* callee,
                                               const VMBuffer* code, uint32_t argc)
{
    // Everything is read before the first store: the frame's bytes might be the state's, as far
    // as the compiler knows, and would make it read each field again after every store.
    CInstance* self = run.self;
    CInstance* other = run.other;
    const CCode* callerScript = run.script;
    uint32_t callerLocalCount = run.localCount;
    uint32_t localCount = static_cast<uint32_t>(code->m_LocalSlots.count); // found when the callee was resolved
    uint8_t* callerFp = run.fp;
    uint32_t envCount = run.envCount;
    int32_t callDepth = run.callDepth;
    uint32_t kept = KeptArguments(argc);
    uint8_t* fp = sp - FRAME_SIZE;
    uint8_t* top = fp - VM_STACK_GUARD;
    // Field by field: a header built elsewhere and copied as a block would be read back before its
    // separate stores have drained. What the callee's code object gives again is not kept.
    StoreFrameField(fp, offsetof(VMFrameHeader, returnPc), returnPc);
    StoreFrameField(fp, offsetof(VMFrameHeader, envCount), envCount);
    StoreFrameField(fp, offsetof(VMFrameHeader, self), self);
    StoreFrameField(fp, offsetof(VMFrameHeader, other), other);
    StoreFrameField(fp, offsetof(VMFrameHeader, callerScript), callerScript);
    StoreFrameField(fp, offsetof(VMFrameHeader, returnEntry), returnEntry);
    StoreFrameField(fp, offsetof(VMFrameHeader, callerFrameOffset), static_cast<uint32_t>(callerFp - fp));
    StoreFrameField(fp, offsetof(VMFrameHeader, savedSlots), ARGUMENTS_IN_FRAME);
    StoreFrameField(fp, offsetof(VMFrameHeader, argumentCount), argc);
    StoreFrameField(fp, offsetof(VMFrameHeader, keptArguments), kept);
    StoreFrameField(fp, offsetof(VMFrameHeader, callerLocalCount), callerLocalCount);
    // Most levels have no slots, nor their callers (whose count marks a list of locals too): the
    // slots' pointer is then not used.
    if ((localCount | callerLocalCount) != 0) [[unlikely]] {
        VariableNode* slots = VM_LevelSlots(fp, localCount);
        VM_ClearSlots(slots, localCount);
        run.localSlots = slots;
        run.localCount = localCount;
        top = reinterpret_cast<uint8_t*>(slots) - VM_STACK_GUARD;
    }
    std::memset(top, 0, VM_STACK_GUARD);
    run.arguments = sp;
    run.argumentSlots = kept;
    run.fp = fp;
    run.top = top;
    // A recursive call runs the code it is in.
    if (callee != callerScript) EnterCode(run, code);
    run.script = callee;
    run.callDepth = callDepth + 1;
    return top >= run.lowWater;
}

// A new level whose empty stack lies below the low water: counted, and the region grown when the
// headroom is gone. False when it could not grow (the run stopped).
[[gnu::noinline]] bool EnterNewDepth(VMRunState& run)
{
    MarkLowWater(run);
    return !run.stopped;
}

// Not inlined into DoCall: the built-ins' way through it, the commonest, then saves no registers.
[[gnu::noinline]] void CallScript(VMRunState& run, int32_t id, uint32_t argc)
{
    int32_t index = id - CALLABLE_SCRIPT_BASE;
    const ResolvedScript* script = ResolveScript(index);
    if (script == nullptr) {
        VM_Error(run, "call to non-existent script\n");
        return;
    }
    if (script->words == nullptr) {
        FreeStackValues(run.sp, argc);
        PlaceResult(run, argc, ScriptValue{VALUE_REAL, 0, 0.0});
        return;
    }
    if (g_TraceFlag) MainConsole->Output("script call = %s\n", g_VMScripts.name(index));

    uint32_t kept = KeptArguments(argc);
    if (argc > kept) FreeStackValues(run.sp + 16 * kept, argc - kept);
    bool fits = EnterScript(run, run.sp, run.pc, nullptr, script->code, script->words, argc);
    run.sp = run.top;
    run.pc = 0;
    if (!fits) EnterNewDepth(run);
}

void DoCall(VMRunState& run, uint32_t word, const uint8_t* operand)
{
    if (VM_WordFirstType(word) != VM_TYPE_INT) {
        VM_Error(run, "DoCall :: Execution Engine type error");
        return;
    }
    int32_t id = VM_Load<int32_t>(operand);
    uint32_t argc = word & 0xFFFF;
    if (static_cast<uint64_t>(argc) * 16 > VM_StackUsed(run)) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    // Built-ins, the commonest, below the scripts; extensions above them.
    if (id < CALLABLE_SCRIPT_BASE)
        CallBuiltin(run, id, argc);
    else if (id <= CALLABLE_EXTENSION_BASE)
        CallScript(run, id, argc);
    else
        CallExtension(run, id, argc);
}

// Leaves the current script: the caller's state and arguments come back. Answers where the returned
// value (real 0 for exit and for running off the end) goes: the place of the last argument the call
// pushed, the caller's stack pointer now. Inline: the translated loop returns with it too.
[[gnu::always_inline]] inline uint8_t* LeaveScript(VMRunState& run)
{
    // Fields are read one by one where they are used: a copy of the whole header costs more. The
    // frame's are read before the state is written, which the compiler could not reorder.
    uint8_t* fp = run.fp;
    uint8_t* arguments = fp + FRAME_SIZE;
    uint32_t argc = FrameField<uint32_t>(fp, offsetof(VMFrameHeader, argumentCount));
    uint32_t savedSlots = FrameField<uint32_t>(fp, offsetof(VMFrameHeader, savedSlots));
    int32_t callDepth = run.callDepth - 1;
    uint32_t localCount = run.localCount;
    uint32_t callerLocalCount = FrameField<uint32_t>(fp, offsetof(VMFrameHeader, callerLocalCount));
    // Most levels have no slots and no list, nor their callers.
    bool localsMove = (localCount | callerLocalCount) != 0;
    if (localsMove) [[unlikely]]
        DropLevelLocals(run);
    if (savedSlots == ARGUMENTS_IN_FRAME)
        FreeStackValues(arguments, FrameField<uint32_t>(fp, offsetof(VMFrameHeader, keptArguments)));
    else
        RestoreGlobalArguments(fp, savedSlots);
    int32_t returnPc = FrameField<int32_t>(fp, offsetof(VMFrameHeader, returnPc));
    CInstance* self = FrameField<CInstance*>(fp, offsetof(VMFrameHeader, self));
    CInstance* other = FrameField<CInstance*>(fp, offsetof(VMFrameHeader, other));
    const CCode* caller = FrameField<const CCode*>(fp, offsetof(VMFrameHeader, callerScript));
    uint32_t envCount = FrameField<uint32_t>(fp, offsetof(VMFrameHeader, envCount));
    uint8_t* callerFp = fp + FrameField<uint32_t>(fp, offsetof(VMFrameHeader, callerFrameOffset));
    // The caller's arguments are where its own frame says.
    uint8_t* callerArguments = VM_GlobalArguments();
    uint32_t callerSlots = SCRIPT_ARGUMENT_COUNT;
    if (callDepth > 0 && FrameField<uint32_t>(callerFp, offsetof(VMFrameHeader, savedSlots)) == ARGUMENTS_IN_FRAME) {
        callerArguments = callerFp + FRAME_SIZE;
        callerSlots = FrameField<uint32_t>(callerFp, offsetof(VMFrameHeader, keptArguments));
    }
    uint8_t* sp = arguments + 16 * argc - 16;

    // A recursive call returns into the code it is in.
    if (caller != run.script) EnterCode(run, caller != nullptr ? caller->m_pCode : run.runCode);
    run.callDepth = callDepth;
    run.pc = returnPc;
    run.self = self;
    run.other = other;
    run.script = caller;
    uint8_t* callerTop = callerFp - VM_STACK_GUARD;
    if (localsMove) [[unlikely]] {
        VariableNode* callerLocalSlots = VM_LevelSlots(callerFp, callerLocalCount & ~VM_LEVEL_HAS_LIST);
        run.localSlots = callerLocalSlots;
        run.localCount = callerLocalCount;
        callerTop = reinterpret_cast<uint8_t*>(callerLocalSlots) - VM_STACK_GUARD;
    }
    run.envCount = envCount;
    run.fp = callerFp;
    run.top = callerTop;
    run.arguments = callerArguments;
    run.argumentSlots = callerSlots;
    run.sp = sp;
    return sp;
}

void FrameReturn(VMRunState& run, const ScriptValue& returned) { VM_Store(LeaveScript(run), returned); }

void UnwindAll(VMRunState& run)
{
    while (run.callDepth > 0) FrameReturn(run, ScriptValue{VALUE_REAL, 0, 0.0});
}

// What ret of the type on top hands the caller: whatever the type, a variable.
inline ScriptValue ReturnedValue(const uint8_t* sp, uint32_t type)
{
    return type == VM_TYPE_VARIABLE ? VM_Load<ScriptValue>(sp) : VM_ItemToValue(sp, type);
}

void DoReturn(VMRunState& run, uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    if (run.callDepth == 0) {
        run.returned = 1;
        run.returnType = static_cast<uint8_t>(type);
        run.pc = run.codeSize;
        return;
    }
    FrameReturn(run, ReturnedValue(run.sp, type));
}

void DoExit(VMRunState& run)
{
    if (run.callDepth == 0) {
        run.exited = 1;
        run.pc = run.codeSize;
        return;
    }
    FrameReturn(run, ScriptValue{VALUE_REAL, 0, 0.0});
}

// What the run hands back: the value of ret at level 0, or the variable an expression leaves.
// Answers the bytes of the item taken.
uint32_t TakeResult(VMRunState& run, ScriptValue* result)
{
    ScriptValue value;
    uint32_t taken = 0;
    if (run.returned) {
        value = VM_ItemToValue(run.sp, run.returnType);
        taken = VM_StackSize(run.returnType);
    } else if (!run.exited && !run.stopped && run.initialTop - run.sp >= 16) {
        value = VM_Load<ScriptValue>(run.sp);
        taken = 16;
    } else {
        return 0;
    }
    if (result == nullptr) {
        Value_Free(&value);
    } else {
        Value_Free(result);
        *result = value;
    }
    return taken;
}

// The list that a plain access by a constant instance reaches without the general path, or null.
// Self variables are the most common in object code: their list is looked up once per stretch of
// instructions that runs without leaving the loop.
[[gnu::noinline]] CVariableList* SelfListAgain(VMRunState& run)
{
    if (run.self == nullptr) return nullptr;
    run.selfList = run.instances->Variables(run.self);
    run.selfListOf = run.self;
    return run.selfList;
}

[[gnu::always_inline]] inline CVariableList* SelfList(VMRunState& run)
{
    return run.self != nullptr && run.selfListOf == run.self ? run.selfList : SelfListAgain(run);
}

// Locals are in slots instead (DirectNode).
inline CVariableList* DirectList(VMRunState& run, int32_t instance, int32_t id)
{
    if (id < VARIABLE_LIST_BASE) return nullptr;
    switch (instance) {
    case VM_INSTANCE_UNNAMED:
        if (Variable_IsGlobalVar(id)) return Variable_GlobalList();
        [[fallthrough]];
    case VM_INSTANCE_SELF:
        return SelfList(run);
    case VM_INSTANCE_OTHER:
        return run.other != nullptr ? run.instances->Variables(run.other) : nullptr;
    case VM_INSTANCE_GLOBAL:
        return Variable_GlobalList();
    default:
        return nullptr;
    }
}

// The instance a built-in variable of self, other or no named instance belongs to; null for any
// other instance.
[[gnu::always_inline]] inline CInstance* BuiltInTarget(const VMRunState& run, int32_t instance)
{
    switch (instance) {
    case VM_INSTANCE_SELF:
    case VM_INSTANCE_UNNAMED: return run.self;
    case VM_INSTANCE_OTHER: return run.other;
    default: return nullptr;
    }
}

// The plain numbers of the fast paths: double, int32 and a variable holding a real.
[[gnu::always_inline]] inline bool FastReal(const uint8_t* at, uint32_t type, double* out)
{
    switch (type) {
    case VM_TYPE_DOUBLE: *out = VM_Load<double>(at); return true;
    case VM_TYPE_INT: *out = VM_Load<int32_t>(at); return true;
    case VM_TYPE_VARIABLE: {
        uint32_t kind = VM_Load<uint32_t>(at);
        if ((kind & VALUE_KIND_MASK) != VALUE_REAL) return false;
        *out = VM_Load<double>(at + 8);
        return true;
    }
    default: return false;
    }
}

// The int32 forms of the arithmetic fast path; false when the generic routine must report.
[[gnu::always_inline]] inline bool IntArithmetic(uint8_t opcode, int32_t left, int32_t right, int32_t* out)
{
    uint32_t l = static_cast<uint32_t>(left);
    uint32_t r = static_cast<uint32_t>(right);
    switch (opcode) {
    case VM_OP_ADD: *out = static_cast<int32_t>(l + r); return true;
    case VM_OP_SUB: *out = static_cast<int32_t>(l - r); return true;
    case VM_OP_MUL: *out = static_cast<int32_t>(l * r); return true;
    case VM_OP_DIV:
    case VM_OP_REM:
        if (right == 0) return false;
        *out = Numbers_DivInt32(left, right);
        return true;
    case VM_OP_MOD:
        if (right == 0) return false;
        *out = Numbers_RemInt32(left, right);
        return true;
    default: return false;
    }
}

// fmod of whole numbers is their integer remainder (with the dividend's sign, -0 included), which
// costs far less than the library's general division.
[[gnu::always_inline]] inline double Remainder(double left, double right)
{
    constexpr double EXACT = 9007199254740992.0; // 2^53
    if (left > -2147483648.0 && left < 2147483648.0 && right > -2147483648.0 && right < 2147483648.0) {
        int32_t l = static_cast<int32_t>(left);
        int32_t r = static_cast<int32_t>(right);
        if (static_cast<double>(l) == left && static_cast<double>(r) == right && r != 0) {
            double remainder = static_cast<double>(l % r);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    } else if (std::fabs(left) < EXACT && std::fabs(right) < EXACT) {
        int64_t l = static_cast<int64_t>(left);
        int64_t r = static_cast<int64_t>(right);
        if (static_cast<double>(l) == left && static_cast<double>(r) == right && r != 0) {
            double remainder = static_cast<double>(l % r);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    }
    return std::fmod(left, right);
}

// The same for a divisor known to be a whole int32 other than 0 (an int32 item or constant): only
// the dividend's form needs testing.
[[gnu::always_inline]] inline double RemainderByWhole(double left, int32_t right)
{
    if (left > -2147483648.0 && left < 2147483648.0) {
        int32_t l = static_cast<int32_t>(left);
        if (static_cast<double>(l) == left) {
            double remainder = static_cast<double>(l % right);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    }
    return Remainder(left, right);
}

[[gnu::always_inline]] inline bool RealArithmetic(uint8_t opcode, uint32_t rightType, double left, double right,
                                                  double* out)
{
    switch (opcode) {
    case VM_OP_ADD: *out = left + right; return true;
    case VM_OP_SUB: *out = left - right; return true;
    case VM_OP_MUL: *out = left * right; return true;
    case VM_OP_DIV:
        if (std::fabs(right) < VM_DIVISOR_EPSILON) return false;
        *out = left / right;
        return true;
    case VM_OP_MOD:
        if (std::fabs(right) < VM_DIVISOR_EPSILON) return false;
        *out = rightType == VM_TYPE_INT ? RemainderByWhole(left, static_cast<int32_t>(right)) : Remainder(left, right);
        return true;
    case VM_OP_REM: {
        int32_t divisor = rightType == VM_TYPE_INT ? static_cast<int32_t>(right) : Numbers_TruncToInt32(right);
        if (divisor == 0) return false;
        *out = Numbers_DivInt32(Numbers_TruncToInt32(left), divisor);
        return true;
    }
    default: return false;
    }
}

// The stack size of a type the fast paths take, known when the handler is compiled.
constexpr uint32_t FastSize(uint32_t type) { return type == VM_TYPE_INT ? 4 : type == VM_TYPE_DOUBLE ? 8 : 16; }

// The arithmetic fast path for one opcode and pair of types; each pair gets its own handler, so
// that nothing is decided per instruction but whether the values are plain numbers. Answers the
// new stack pointer, or null when the general routine must run (and report).
template <uint8_t OP, uint32_t RIGHT, uint32_t LEFT>
inline uint8_t* FastArithmetic(uint8_t* sp)
{
    if constexpr (RIGHT == VM_TYPE_INT && LEFT == VM_TYPE_INT) {
        int32_t value;
        if (!IntArithmetic(OP, VM_Load<int32_t>(sp + 4), VM_Load<int32_t>(sp), &value)) return nullptr;
        sp += 4;
        VM_Store(sp, value);
        return sp;
    } else {
        double left, right, value;
        if (!FastReal(sp, RIGHT, &right) || !FastReal(sp + FastSize(RIGHT), LEFT, &left) ||
            !RealArithmetic(OP, RIGHT, left, right, &value))
            return nullptr;
        sp += FastSize(RIGHT) + FastSize(LEFT);
        if constexpr (RIGHT == VM_TYPE_VARIABLE || LEFT == VM_TYPE_VARIABLE) {
            sp -= 16;
            VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
        } else {
            sp -= 8;
            VM_Store(sp, value);
        }
        return sp;
    }
}

template <uint8_t OP, uint32_t RIGHT, uint32_t LEFT>
inline uint8_t* FastCompare(uint8_t* sp)
{
    double difference;
    if constexpr (RIGHT == VM_TYPE_INT && LEFT == VM_TYPE_INT) {
        // The difference wraps as a 32-bit integer.
        difference = static_cast<int32_t>(static_cast<uint32_t>(VM_Load<int32_t>(sp + 4)) -
                                          static_cast<uint32_t>(VM_Load<int32_t>(sp)));
    } else {
        double left, right;
        if (!FastReal(sp, RIGHT, &right) || !FastReal(sp + FastSize(RIGHT), LEFT, &left)) return nullptr;
        difference = left - right;
    }
    sp += FastSize(RIGHT) + FastSize(LEFT) - 4;
    VM_Store<int32_t>(sp, VM_TestDifference(OP, difference, Code_CompareEpsilon) ? 1 : 0);
    return sp;
}

// Truncation toward zero; the numbers module decides everything outside int32 (NaN included).
[[gnu::always_inline]] inline int32_t TruncToInt32(double value)
{
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return Numbers_TruncToInt32(value);
}

// The arithmetic fast path for any word (types read from it); null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* ArithmeticOfWord(uint8_t* sp, uint32_t word)
{
    uint8_t opcode = VM_WordOpcode(word);
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    if (rightType == VM_TYPE_INT && leftType == VM_TYPE_INT) {
        int32_t value;
        if (!IntArithmetic(opcode, VM_Load<int32_t>(sp + 4), VM_Load<int32_t>(sp), &value)) return nullptr;
        sp += 4;
        VM_Store(sp, value);
        return sp;
    }
    double left, right, value;
    uint32_t rightSize = VM_StackSize(rightType);
    if (!FastReal(sp, rightType, &right) || !FastReal(sp + rightSize, leftType, &left) ||
        !RealArithmetic(opcode, rightType, left, right, &value))
        return nullptr;
    sp += rightSize + VM_StackSize(leftType);
    if (rightType == VM_TYPE_VARIABLE || leftType == VM_TYPE_VARIABLE) {
        sp -= 16;
        VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
    } else {
        sp -= 8;
        VM_Store(sp, value);
    }
    return sp;
}

// The comparison fast path for any word; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* CompareOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    double left, right, difference;
    uint32_t rightSize = VM_StackSize(rightType);
    if (rightType == VM_TYPE_INT && leftType == VM_TYPE_INT) {
        // The difference wraps as a 32-bit integer.
        difference = static_cast<int32_t>(static_cast<uint32_t>(VM_Load<int32_t>(sp + 4)) -
                                          static_cast<uint32_t>(VM_Load<int32_t>(sp)));
    } else if (FastReal(sp, rightType, &right) && FastReal(sp + rightSize, leftType, &left)) {
        difference = left - right;
    } else {
        return nullptr;
    }
    sp += rightSize + VM_StackSize(leftType) - 4;
    VM_Store<int32_t>(sp, VM_TestDifference(VM_WordOpcode(word), difference, Code_CompareEpsilon) ? 1 : 0);
    return sp;
}

// A number as a pushed item of `type`: an int32 or bool item holds the value exactly.
[[gnu::always_inline]] inline uint8_t* PutNumber(uint8_t* sp, uint8_t type, double value)
{
    switch (type) {
    case VM_TYPE_INT:
    case VM_TYPE_BOOL: sp -= 4; VM_Store<int32_t>(sp, static_cast<int32_t>(value)); return sp;
    case VM_TYPE_DOUBLE: sp -= 8; VM_Store(sp, value); return sp;
    default: sp -= 16; VM_Store(sp, ScriptValue{VALUE_REAL, 0, value}); return sp;
    }
}

// Whether a number of the item type converts to true.
[[gnu::always_inline]] inline bool NumberTruth(uint32_t sourceType, double value)
{
    return sourceType == VM_TYPE_INT ? value != 0 : value > 0.5;
}

// The conversion fast path between plain numbers; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* ConvOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t source = VM_WordFirstType(word);
    uint32_t target = VM_WordSecondType(word);
    double value;
    bool fastTarget = target == VM_TYPE_DOUBLE || target == VM_TYPE_INT || target == VM_TYPE_BOOL ||
                      target == VM_TYPE_VARIABLE;
    if (source == target || !fastTarget || !FastReal(sp, source, &value)) return nullptr;
    if (target == VM_TYPE_INT && source != VM_TYPE_INT) value = TruncToInt32(value);
    if (target == VM_TYPE_BOOL) value = NumberTruth(source, value) ? 1 : 0;
    return PutNumber(sp + VM_StackSize(source), static_cast<uint8_t>(target), value);
}

// and, or and xor of two bools (a bool's truth is its lowest byte, as the general routine reads
// it) or two int32 items; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* BitwiseOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t types = VM_WordTypes(word);
    uint8_t opcode = VM_WordOpcode(word);
    if (opcode != VM_OP_AND && opcode != VM_OP_OR && opcode != VM_OP_XOR) return nullptr;
    int32_t left, right;
    if (types == VM_TypePair(VM_TYPE_BOOL, VM_TYPE_BOOL)) {
        left = sp[4] != 0 ? 1 : 0;
        right = sp[0] != 0 ? 1 : 0;
    } else if (types == VM_TypePair(VM_TYPE_INT, VM_TYPE_INT)) {
        left = VM_Load<int32_t>(sp + 4);
        right = VM_Load<int32_t>(sp);
    } else {
        return nullptr;
    }
    int32_t value = opcode == VM_OP_AND ? left & right : opcode == VM_OP_OR ? left | right : left ^ right;
    sp += 4;
    VM_Store(sp, value);
    return sp;
}

// neg and not of a double, an int32 or a variable holding a real, in place; null otherwise.
[[gnu::always_inline]] inline uint8_t* NegNotOfWord(uint8_t* sp, uint32_t word)
{
    bool negate = VM_WordOpcode(word) == VM_OP_NEG;
    switch (VM_WordFirstType(word)) {
    case VM_TYPE_INT: {
        uint32_t i = VM_Load<uint32_t>(sp);
        VM_Store(sp, negate ? 0u - i : ~i);
        return sp;
    }
    case VM_TYPE_DOUBLE:
    case VM_TYPE_VARIABLE: {
        uint8_t* at = VM_WordFirstType(word) == VM_TYPE_DOUBLE ? sp : sp + 8;
        if (at != sp && (VM_Load<uint32_t>(sp) & VALUE_KIND_MASK) != VALUE_REAL) return nullptr;
        double d = VM_Load<double>(at);
        VM_Store(at, negate ? -d : static_cast<double>(~Numbers_TruncToInt64(d)));
        return sp;
    }
    default: return nullptr;
    }
}

// dup of one 4-byte integer or bool, and popz of a 4-byte item: the loops do these themselves.
inline bool DupsFour(uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    return (word & 0xFFFF) == 0 && (type == VM_TYPE_INT || type == VM_TYPE_BOOL);
}

inline bool PopsFour(uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    return type == VM_TYPE_INT || type == VM_TYPE_BOOL || type == VM_TYPE_FLOAT;
}

// The pairs of types and the opcodes that get handlers of their own.
#define VM_FAST_TYPES(X, KIND, OP)                                                                                   \
    X(KIND, OP, INT, INT)                                                                                            \
    X(KIND, OP, INT, DOUBLE)                                                                                         \
    X(KIND, OP, INT, VARIABLE)                                                                                       \
    X(KIND, OP, DOUBLE, INT)                                                                                         \
    X(KIND, OP, DOUBLE, DOUBLE)                                                                                      \
    X(KIND, OP, DOUBLE, VARIABLE)                                                                                    \
    X(KIND, OP, VARIABLE, INT)                                                                                       \
    X(KIND, OP, VARIABLE, DOUBLE)                                                                                    \
    X(KIND, OP, VARIABLE, VARIABLE)

#define VM_FAST_OPCODES(X)                                                                                           \
    VM_FAST_TYPES(X, Arithmetic, ADD)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, SUB)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, MUL)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, DIV)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, REM)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, MOD)                                                                                \
    VM_FAST_TYPES(X, Compare, SLT)                                                                                   \
    VM_FAST_TYPES(X, Compare, SLE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SEQ)                                                                                   \
    VM_FAST_TYPES(X, Compare, SNE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SGE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SGT)

// The dispatch index of a word: its opcode and both types.
constexpr uint32_t WideIndex(uint32_t opcode, uint32_t first, uint32_t second)
{
    return opcode << 8 | second << 4 | first;
}

// Operand sizes in the code by type; only push, pop, call, break and unknown opcodes with bit 6 set
// carry one.
constexpr uint8_t OPERAND_SIZES[16] = {8, 4, 4, 8, 4, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The node of a variable in a list, found without leaving this file.
inline VariableNode* FindNode(const CVariableList* list, int32_t id)
{
    for (VariableNode* node = list->Bucket(Variable_Bucket(id)); node != nullptr; node = node->next)
        if (node->id == id) return node;
    return nullptr;
}

// The element of an array value for reading, as Value_GetElementPointer finds it, without leaving
// this file; null outside the array.
[[gnu::always_inline]] inline const ScriptValue* ElementToRead(const ScriptValue* value, int32_t index)
{
    // A negative index is outside: the split below is made without a sign.
    if (Value_GetKind(value) != VALUE_ARRAY || index < 0) return nullptr;
    const ValueArray* array = ScriptHeap_Get<ValueArray>(value->ref);
    if (array == nullptr) return nullptr;
    uint32_t row = static_cast<uint32_t>(index) / ARRAY_ROW_SPAN;
    int32_t column = static_cast<int32_t>(static_cast<uint32_t>(index) - row * ARRAY_ROW_SPAN);
    if (row >= static_cast<uint32_t>(array->rowCount) || column >= array->rows[row].length) return nullptr;
    return &array->rows[row].elements[column];
}

// The element of an array that only this value refers to, ready to be overwritten, when the write
// needs nothing else: the row exists and the column lies within it or within its spare room (so
// lengthening the row is all that growing it would do). Null otherwise.
inline ScriptValue* ElementToOverwrite(ScriptValue* value, int32_t index)
{
    if (Value_GetKind(value) != VALUE_ARRAY || index < 0) return nullptr;
    ValueArray* array = ScriptHeap_Get<ValueArray>(value->ref);
    if (array == nullptr || array->refCount != 1) return nullptr;
    uint32_t row = static_cast<uint32_t>(index) / ARRAY_ROW_SPAN; // the index is not negative
    int32_t column = static_cast<int32_t>(static_cast<uint32_t>(index) - row * ARRAY_ROW_SPAN);
    if (row >= static_cast<uint32_t>(array->rowCount)) return nullptr;
    ValueArrayRow& target = array->rows[row];
    if (column >= target.length) {
        if (column >= target.capacity) return nullptr;
        Array_Lengthen(&target, column + 1);
    }
    return &target.elements[column];
}

inline ScriptValue* ElementToWrite(ScriptValue* value, int32_t index)
{
    if (ScriptValue* element = ElementToOverwrite(value, index)) return element;
    return Value_GetElementForWrite(value, index);
}

// The argument slot (0 to 15) that a built-in variable reads, or -1. The rows of argument0 to
// argument15 are looked up again whenever a row is registered or the table is cleared.
struct ArgumentRows {
    uint32_t generation = ~0u; // never the table's first
    int8_t slotOf[BUILTIN_VARIABLE_ROWS] = {};
};
ArgumentRows g_ArgumentRows;

[[gnu::noinline]] void RefreshArgumentRows()
{
    ArgumentRows& rows = g_ArgumentRows;
    std::memset(rows.slotOf, -1, sizeof rows.slotOf);
    for (int32_t n = 0; n < SCRIPT_ARGUMENT_COUNT; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "argument%d", static_cast<int>(n));
        int32_t row = Variable_BuiltIn_Find(name);
        if (row >= 0 && row < BUILTIN_VARIABLE_ROWS) rows.slotOf[row] = static_cast<int8_t>(n);
    }
    rows.generation = g_BuiltinVariableGeneration;
}

inline int32_t ArgumentSlotOf(int32_t id)
{
    if (g_ArgumentRows.generation != g_BuiltinVariableGeneration) RefreshArgumentRows();
    return static_cast<uint32_t>(id) < BUILTIN_VARIABLE_ROWS ? g_ArgumentRows.slotOf[id] : -1;
}

// The current level's argument `slot` (0 to 15), from its frame or from the global slots.
inline ScriptValue CurrentArgument(const VMRunState& run, int32_t slot)
{
    if (static_cast<uint32_t>(slot) >= run.argumentSlots) return ScriptValue{VALUE_REAL, 0, 0.0};
    return VM_Load<ScriptValue>(run.arguments + 16 * slot);
}

// The value of argumentN (the built-in variable `id`) when it is one and holds a real.
inline bool RealArgument(const VMRunState& run, int32_t id, ScriptValue* out)
{
    int32_t slot = ArgumentSlotOf(id);
    if (slot < 0) return false;
    *out = CurrentArgument(run, slot);
    return Value_GetKind(out) == VALUE_REAL;
}

// The value of argumentN that the entry pushes when it is one and holds a real. The entry's slot
// (-1: no argument) is found when the translation is bound: rows registered since make every
// translation stale. A slot the level lacks and a site that is no argument (-1, the largest as
// unsigned) both fail the one test of the common case.
[[gnu::always_inline]] inline bool SiteArgument(const VMRunState& run, VMTranslatedInsn* insn, ScriptValue* out)
{
    uint32_t slot = static_cast<uint32_t>(insn->argumentSlot);
    if (slot >= run.argumentSlots) [[unlikely]] {
        if (static_cast<int32_t>(slot) < 0) return false;
        *out = ScriptValue{VALUE_REAL, 0, 0.0};
        return true;
    }
    *out = VM_Load<ScriptValue>(run.arguments + 16 * slot);
    return Value_GetKind(out) == VALUE_REAL;
}

// How the fast paths find a variable's node in a list, and a local's slot: the word loop walks the
// bucket or the level's slot table each time.
struct WalkBucket {
    VariableNode* operator()(const CVariableList* list, int32_t id) const { return FindNode(list, id); }
    // A level has a slot for every id of its code's table.
    VariableNode* Local(const VMRunState& run, VariableNode* locals, int32_t id) const
    {
        int32_t slot = VM_LocalSlotOf(run.code->m_LocalSlots, id);
        return slot >= 0 ? VM_SetSlot(locals + slot) : nullptr;
    }
};

// The node that a plain access by instance reaches without the general path: a set local's slot
// (`locals` the loop's copy of the level's slots), or a node of a list DirectList reaches; null
// otherwise.
template <typename Find>
[[gnu::always_inline]] inline VariableNode* DirectNode(VMRunState& run, VariableNode* locals, int32_t instance, int32_t id,
                                                      const Find& find)
{
    if (instance == VM_INSTANCE_LOCAL) return find.Local(run, locals, id);
    CVariableList* list = DirectList(run, instance, id);
    return list != nullptr ? find(list, id) : nullptr;
}

// The element that a push of variable `id` with the index on top of the stack and the instance
// beneath it reads, when it is a real in a list this file reaches; null otherwise.
template <typename Find = WalkBucket>
[[gnu::always_inline]] inline const ScriptValue* RealElement(VMRunState& run, VariableNode* locals, const uint8_t* sp, int32_t id,
                                      Find find = Find())
{
    int32_t index = VM_Load<int32_t>(sp);
    VariableNode* node = DirectNode(run, locals, VM_Load<int32_t>(sp + 4), id, find);
    const ScriptValue* element = node != nullptr ? ElementToRead(&node->value, index) : nullptr;
    return element != nullptr && Value_GetKind(element) == VALUE_REAL ? element : nullptr;
}

// The typed getter of a built-in variable that is a plain number field, else null.
inline BuiltinRealGetter RealGetterOf(int32_t id)
{
    return id >= 0 && id < g_BuiltinVariableCount ? g_BuiltinVariables[id].getReal : nullptr;
}

// The typed setter of a built-in variable that is a settable number field, else null.
inline BuiltinRealSetter RealSetterOf(int32_t id)
{
    if (id < 0 || id >= g_BuiltinVariableCount || g_BuiltinVariables[id].canSet == 0) return nullptr;
    return g_BuiltinVariables[id].setReal;
}

// A built-in variable of self or other read straight through its getter; false when the general
// path must read (and report) it.
inline bool ReadBuiltIn(VMRunState& run, int32_t instance, int32_t id, ScriptValue* out)
{
    if (id >= g_BuiltinVariableCount) return false;
    // A number field is read as it is, with no value filled in between.
    if (BuiltinRealGetter getReal = RealGetterOf(id)) {
        CInstance* target = BuiltInTarget(run, instance);
        if (target == nullptr) return false;
        *out = ScriptValue{VALUE_REAL, 0, getReal(target)};
        return true;
    }
    BuiltinGetter getter = g_BuiltinVariables[id].getter;
    if (getter == nullptr) return false;
    VM_SettleArguments(run);
    CInstance* target = instance == VM_INSTANCE_OTHER ? run.other : run.self;
    return getter(target, -1, out);
}

// The most bytes a sequence that FusePush takes over would push at once (the variable, then the
// constant): it runs whole only where those pushes would not reach below the stack's low water.
constexpr uintptr_t FUSED_DEPTH = 16 + 4;

// A stored place for a fused result: the node of the variable pushed first (null when it has none,
// as for argumentN), with the word and operand that pushed it.
struct FusedSource {
    VariableNode* node;
    uint32_t pushWord;
    uint32_t variable;
};

// The word at `at` combines the real `left` with the integer constant (an arithmetic or comparison
// word taking an int32 on top of a variable), as the separate words would: the comparison's bool is
// taken by a conditional branch right after it, or left on the stack; the arithmetic result goes
// straight into the variable when a pop into the one pushed first follows (`i += 1`), else onto the
// stack. `sp` is the stack pointer before the pushes. Answers the pc after the words taken, or -1
// (nothing changed) when they are not such a sequence or the general routine must report.
[[gnu::always_inline]] inline int32_t CombineWithConstant(const uint8_t* words, uint32_t at, uint32_t end, double left,
                                                          int32_t constant, const FusedSource& source, uint8_t*& sp)
{
    if (at + 4 > end) return -1;
    uint32_t combine = VM_ReadWord(words, at);
    at += 4;
    if (VM_WordTypes(combine) != VM_TypePair(VM_TYPE_INT, VM_TYPE_VARIABLE)) return -1;
    uint8_t opcode = VM_WordOpcode(combine);
    double right = constant;
    double value;
    switch (opcode) {
    case VM_OP_SLT:
    case VM_OP_SLE:
    case VM_OP_SEQ:
    case VM_OP_SNE:
    case VM_OP_SGE:
    case VM_OP_SGT: {
        // A counting loop's test, the commonest by far, skips the choice among the six.
        double difference = left - right;
        bool result = opcode == VM_OP_SLT ? difference < -Code_CompareEpsilon
                                          : VM_TestDifference(opcode, difference, Code_CompareEpsilon);
        if (at + 4 <= end) {
            uint32_t branch = VM_ReadWord(words, at);
            uint8_t kind = VM_WordOpcode(branch);
            // Every 4096th branch pumps messages: that one runs alone.
            if ((kind == VM_OP_BT || kind == VM_OP_BF) && ((g_BranchCounter + 1) & BRANCH_PUMP_MASK) != 0) {
                ++g_BranchCounter;
                bool taken = kind == VM_OP_BT ? result : !result;
                return static_cast<int32_t>(taken ? at + static_cast<uint32_t>(VM_WordBranchDistance(branch) * 4) : at + 4);
            }
        }
        sp -= 4;
        VM_Store<int32_t>(sp, result ? 1 : 0);
        return static_cast<int32_t>(at);
    }
    case VM_OP_ADD:
    case VM_OP_SUB:
    case VM_OP_MUL:
    case VM_OP_DIV:
    case VM_OP_MOD:
        // A counting loop's step, likewise.
        if (opcode == VM_OP_ADD)
            value = left + right;
        else if (!RealArithmetic(opcode, VM_TYPE_INT, left, right, &value))
            return -1;
        break;
    default: return -1;
    }
    if (source.node != nullptr && at + 8 <= end) {
        uint32_t pop = VM_ReadWord(words, at);
        if ((pop >> 16) == WideIndex(VM_OP_POP, VM_TYPE_VARIABLE, VM_TYPE_VARIABLE) &&
            VM_WordShort(pop) == VM_WordShort(source.pushWord) && VM_Load<uint32_t>(words + at + 4) == source.variable) {
            // The same plain variable of the same list: the node the pop would find.
            source.node->value.kind = VALUE_REAL;
            source.node->value.ref = 0;
            source.node->value.real = value;
            return static_cast<int32_t>(at + 8);
        }
    }
    sp -= 16;
    VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
    return static_cast<int32_t>(at);
}

// The integer constant that a push word at `at` pushes, and where the next word starts; false for
// any other push.
[[gnu::always_inline]] inline bool ConstantPush(const uint8_t* words, uint32_t at, uint32_t end, int32_t* constant,
                                                uint32_t* next)
{
    if (at + 4 > end) return false;
    uint32_t push = VM_ReadWord(words, at);
    if (VM_WordOpcode(push) != VM_OP_PUSH) return false;
    if (VM_WordFirstType(push) == VM_TYPE_IMMEDIATE) {
        *constant = VM_WordShort(push);
        *next = at + 4;
        return true;
    }
    if (VM_WordFirstType(push) != VM_TYPE_INT || at + 8 > end) return false;
    *constant = VM_Load<int32_t>(words + at + 4);
    *next = at + 8;
    return true;
}

// A push of a variable holding a real, when the words after it push an integer constant and combine
// the two: they run as one. `pc` lies past the push. Answers the pc after the sequence, or -1 when
// the push runs alone.
[[gnu::always_inline]] inline int32_t FusePush(const uint8_t* words, int32_t pc, int32_t size, double real,
                                               const FusedSource& source, uint8_t*& sp)
{
    uint32_t end = static_cast<uint32_t>(size);
    int32_t constant;
    uint32_t next;
    if (!ConstantPush(words, static_cast<uint32_t>(pc), end, &constant, &next)) return -1;
    return CombineWithConstant(words, next, end, real, constant, source, sp);
}

// The value a popped item of the type stands for: a whole value, or a real made of a double or an int32.
template <uint32_t VALUE_TYPE> [[gnu::always_inline]] inline ScriptValue PoppedValue(const uint8_t* at)
{
    if constexpr (VALUE_TYPE == VM_TYPE_VARIABLE)
        return VM_Load<ScriptValue>(at);
    else if constexpr (VALUE_TYPE == VM_TYPE_DOUBLE)
        return ScriptValue{VALUE_REAL, 0, VM_Load<double>(at)};
    else
        return ScriptValue{VALUE_REAL, 0, static_cast<double>(VM_Load<int32_t>(at))};
}

// A real popped into a settable number field of self or other, straight through its typed setter;
// null when the general routine must store (or report) it.
[[gnu::always_inline]] inline uint8_t* StoreBuiltIn(VMRunState& run, uint8_t* sp, int32_t instance, int32_t id,
                                                    const ScriptValue& value, uint32_t valueSize)
{
    if (id >= g_BuiltinVariableCount || Value_GetKind(&value) != VALUE_REAL) return nullptr;
    const BuiltinVariableEntry& row = g_BuiltinVariables[id];
    CInstance* target = BuiltInTarget(run, instance);
    if (row.setReal == nullptr || row.canSet == 0 || target == nullptr) return nullptr;
    row.setReal(target, value.real);
    return sp + valueSize;
}

// A place takes `value` over, as a store of a copy and a free of the popped item would.
[[gnu::always_inline]] inline void TakeOver(ScriptValue* place, const ScriptValue& value)
{
    if (Value_GetKind(place) != VALUE_REAL) Value_Free(place);
    *place = value;
}

// A variable's pop of a value of the type into a plain form (a constant instance without an index,
// or an element with both on the stack) of a list this file reaches; false when the general
// routine must store (or report). `limit` is the highest stack pointer the level allows. Answers
// the new stack pointer, or null.
// Inline: a call costs the loop its registers, more than the body's size.
template <uint32_t VALUE_TYPE, typename Find = WalkBucket>
[[gnu::always_inline]] inline uint8_t* FastPop(VMRunState& run, VariableNode* locals, uint8_t* sp, uint32_t word, uint32_t variable,
                        uintptr_t limit, Find find = Find())
{
    constexpr uint32_t valueSize = FastSize(VALUE_TYPE);
    uint32_t form = variable & (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX | VM_VAR_INSTANCE_OFFSET);
    if (form != 0 && form != (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX)) return nullptr;
    uint32_t targetSize = form == 0 ? 8 : 0;
    if (reinterpret_cast<uintptr_t>(sp) + targetSize + valueSize > limit) return nullptr;
    ScriptValue value = PoppedValue<VALUE_TYPE>(sp + targetSize);
    int32_t id = static_cast<int32_t>(variable & VM_VAR_ID_MASK);
    int32_t index = form == 0 ? VM_Load<int32_t>(sp) : -1;
    int32_t instance = form == 0 ? VM_Load<int32_t>(sp + 4) : VM_WordShort(word);
    if (id < VARIABLE_LIST_BASE) return form != 0 ? StoreBuiltIn(run, sp, instance, id, value, valueSize) : nullptr;
    VariableNode* node = form != 0 || index >= 0 ? DirectNode(run, locals, instance, id, find) : nullptr;
    if (node == nullptr) return nullptr;
    // The place takes the popped value over, as a store of a copy and a free would; an element is
    // made, unshared or grown as any store into it.
    ScriptValue* place = form == 0 ? ElementToWrite(&node->value, index) : &node->value;
    if (place == nullptr) return nullptr;
    TakeOver(place, value);
    return sp + targetSize + valueSize;
}

#define VM_SAVE()                                                                                                    \
    do {                                                                                                             \
        run.sp = sp;                                                                                                 \
        run.pc = pc;                                                                                                 \
        run.insnStart = at;                                                                                          \
    } while (0)

#define VM_SET_DISPATCH() dispatch = g_VMAttention ? s_Attention : s_Wide

#define VM_LOAD()                                                                                                    \
    do {                                                                                                             \
        sp = run.sp;                                                                                                 \
        pc = run.pc;                                                                                                 \
        words = run.words;                                                                                           \
        size = run.codeSize;                                                                                         \
        lowWater = reinterpret_cast<uintptr_t>(run.lowWater);                                                        \
        locals = run.localSlots;                                                                                     \
        run.selfListOf = nullptr;                                                                                    \
        span = reinterpret_cast<uintptr_t>(run.top) - lowWater;                                                      \
        VM_SET_DISPATCH();                                                                                           \
    } while (0)

// Before every instruction: the end of the code, one test for the stack's headroom and for popping
// more than the level holds, then the fetch and the jump to the opcode's handler.
#define VM_NEXT()                                                                                                    \
    do {                                                                                                             \
        if (static_cast<uint32_t>(pc) >= static_cast<uint32_t>(size)) goto endOfCode;                                \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater > span) goto checkStack;                                      \
        at = pc;                                                                                                     \
        word = VM_ReadWord(words, static_cast<uint32_t>(pc));                                                        \
        pc += 4;                                                                                                     \
        goto* dispatch[word >> 16];                                                                                  \
    } while (0)

// The operand of the instruction being run: where it is, and the program counter moved past it.
#define VM_OPERAND()                                                                                                 \
    const uint8_t* operand = words + pc;                                                                             \
    pc += OPERAND_SIZES[VM_WordFirstType(word)];                                                                     \
    if (static_cast<uint32_t>(pc) > static_cast<uint32_t>(size)) goto operandPastEnd

// The same for handlers reached only by words of one type, whose operand size is known.
#define VM_OPERAND_OF(TYPE)                                                                                          \
    const uint8_t* operand = words + pc;                                                                             \
    pc += OPERAND_SIZES[TYPE];                                                                                       \
    if (static_cast<uint32_t>(pc) > static_cast<uint32_t>(size)) goto operandPastEnd

// Runs an instruction outside the loop on the saved state, then carries on.
#define VM_CALL_OUT(statement)                                                                                     \
    do {                                                                                                             \
        VM_SAVE();                                                                                                   \
        statement;                                                                                                   \
        VM_LOAD();                                                                                                   \
        VM_NEXT();                                                                                                   \
    } while (0)

// The same for the general variable instructions, which may run built-in code.
#define VM_CALL_OUT_VARIABLE(statement) VM_CALL_OUT(statement; NoteOutsideCode())

void RunLoop(VMRunState& run)
{
    // Threaded dispatch: every handler ends in its own jump, which the processor predicts far
    // better than one shared switch. Words go by opcode and both types (the top 16 bits), so that
    // pushes and the common arithmetic and comparisons reach a handler made for their types. While
    // the debugger wants attention every opcode goes to the attention handler first.
    static const void* s_Normal[256];
    static const void* s_Wide[65536];
    static const void* s_Attention[65536];
    static const void* s_Push[16];
    static bool s_Ready = false;
    if (!s_Ready) {
        for (int32_t type = 0; type < 16; ++type) s_Push[type] = &&pushOther;
        s_Push[VM_TYPE_IMMEDIATE] = &&pushImmediate;
        s_Push[VM_TYPE_INT] = &&pushFour;
        s_Push[VM_TYPE_BOOL] = &&pushFour;
        s_Push[VM_TYPE_FLOAT] = &&pushFour; // a float is one 4-byte item like every other float
        s_Push[VM_TYPE_DOUBLE] = &&pushEight;
        s_Push[VM_TYPE_LONG] = &&pushEight;
        s_Push[VM_TYPE_VARIABLE] = &&pushVariable;
        for (int32_t i = 0; i < 256; ++i) s_Normal[i] = &&opOther;
        for (const void*& entry : s_Attention) entry = &&attend;
        for (uint8_t opcode : {VM_OP_ADD, VM_OP_SUB, VM_OP_MUL, VM_OP_DIV, VM_OP_REM, VM_OP_MOD})
            s_Normal[opcode] = &&opArithmetic;
        for (uint8_t opcode : {VM_OP_AND, VM_OP_OR, VM_OP_XOR, VM_OP_SHL, VM_OP_SHR}) s_Normal[opcode] = &&opBitwise;
        for (uint8_t opcode : {VM_OP_SLT, VM_OP_SLE, VM_OP_SEQ, VM_OP_SNE, VM_OP_SGE, VM_OP_SGT})
            s_Normal[opcode] = &&opCompare;
        s_Normal[VM_OP_NEG] = &&opNegNot;
        s_Normal[VM_OP_NOT] = &&opNegNot;
        s_Normal[VM_OP_CONV] = &&opConv;
        s_Normal[VM_OP_POP] = &&opPop;
        s_Normal[VM_OP_DUP] = &&opDup;
        s_Normal[VM_OP_POPZ] = &&opPopz;
        s_Normal[VM_OP_B] = &&opBranch;
        s_Normal[VM_OP_BT] = &&opBranch;
        s_Normal[VM_OP_BF] = &&opBranch;
        s_Normal[VM_OP_CALL] = &&opCall;
        s_Normal[VM_OP_RET] = &&opRet;
        s_Normal[VM_OP_EXIT] = &&opExit;
        s_Normal[VM_OP_PUSHENV] = &&opPushEnv;
        s_Normal[VM_OP_POPENV] = &&opPopEnv;
        s_Normal[VM_OP_BREAK] = &&opBreak;
        // Each kind of push has its own handler, so that the jump to it is predicted per kind.
        for (uint32_t i = 0; i < 65536; ++i) s_Wide[i] = (i >> 8) == VM_OP_PUSH ? s_Push[i & 0xF] : s_Normal[i >> 8];
#define VM_FAST_ENTRY(KIND, OP, RIGHT, LEFT)                                                                         \
    s_Wide[WideIndex(VM_OP_##OP, VM_TYPE_##RIGHT, VM_TYPE_##LEFT)] = &&fast##KIND##OP##RIGHT##LEFT;
        VM_FAST_OPCODES(VM_FAST_ENTRY)
#undef VM_FAST_ENTRY
        s_Wide[WideIndex(VM_OP_POP, VM_TYPE_VARIABLE, VM_TYPE_VARIABLE)] = &&popVARIABLE;
        s_Wide[WideIndex(VM_OP_POP, VM_TYPE_VARIABLE, VM_TYPE_DOUBLE)] = &&popDOUBLE;
        s_Wide[WideIndex(VM_OP_POP, VM_TYPE_VARIABLE, VM_TYPE_INT)] = &&popINT;
        s_Ready = true;
    }

    uint8_t* sp;
    int32_t pc;
    const uint8_t* words;
    int32_t size;
    uintptr_t lowWater;
    uintptr_t span;
    const void* const* dispatch;
    VariableNode* locals;
    int32_t at = 0;
    uint32_t word = 0;
    VM_LOAD();
    VM_NEXT();

endOfCode:
    if (run.callDepth == 0) goto done;
    // A called script that runs off its end returns real 0.
    VM_CALL_OUT(FrameReturn(run, ScriptValue{VALUE_REAL, 0, 0.0}));

checkStack:
    VM_CALL_OUT(CheckStack(run));

operandPastEnd:
    VM_CALL_OUT(VM_Error(run, "Execution Error - Instruction runs past the end of the code"));

attend:
    run.pc = at;
    word = VM_AttendAndFetch(run);
    NoteOutsideCode();
    run.selfListOf = nullptr;
    VM_SET_DISPATCH();
    goto* s_Wide[word >> 16];

opOther:
    // Opcodes without a meaning do nothing but step over their operand.
    if (word & VM_WORD_OPERAND_BIT) {
        VM_OPERAND();
        (void)operand;
    }
    VM_NEXT();

pushImmediate:
    sp -= 4;
    VM_Store<int32_t>(sp, VM_WordShort(word));
    VM_NEXT();

pushFour: {
    VM_OPERAND();
    sp -= 4;
    std::memcpy(sp, operand, 4);
    VM_NEXT();
}

pushEight: {
    VM_OPERAND();
    sp -= 8;
    std::memcpy(sp, operand, 8);
    VM_NEXT();
}

pushVariable: {
    VM_OPERAND_OF(VM_TYPE_VARIABLE);
    uint32_t variable = VM_Load<uint32_t>(operand);
    uint32_t form = variable & (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX | VM_VAR_INSTANCE_OFFSET);
    int32_t id = static_cast<int32_t>(variable & VM_VAR_ID_MASK);
    if (form == (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX)) {
        int32_t instance = VM_WordShort(word);
        CVariableList* list = instance == VM_INSTANCE_LOCAL ? nullptr : DirectList(run, instance, id);
        if (instance == VM_INSTANCE_LOCAL || list != nullptr) {
            VariableNode* node = list != nullptr ? FindNode(list, id) : WalkBucket().Local(run, locals, id);
            if (node != nullptr && Value_GetKind(&node->value) == VALUE_REAL) {
                if (dispatch == s_Wide && reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH) {
                    int32_t after = FusePush(words, pc, size, node->value.real, FusedSource{node, word, variable}, sp);
                    if (after >= 0) {
                        pc = after;
                        VM_NEXT();
                    }
                }
                sp -= 16;
                VM_Store(sp, ScriptValue{node->value.kind, 0, node->value.real});
                VM_NEXT();
            }
        } else if (id < VARIABLE_LIST_BASE && (instance == VM_INSTANCE_SELF || instance == VM_INSTANCE_OTHER ||
                                               instance == VM_INSTANCE_UNNAMED)) {
            // argumentN as its getter reads it, without the call and the copy.
            ScriptValue argument;
            if (RealArgument(run, id, &argument)) {
                if (dispatch == s_Wide && reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH) {
                    int32_t after = FusePush(words, pc, size, argument.real, FusedSource{nullptr, word, variable}, sp);
                    if (after >= 0) {
                        pc = after;
                        VM_NEXT();
                    }
                }
                sp -= 16;
                VM_Store(sp, ScriptValue{argument.kind, 0, argument.real});
                VM_NEXT();
            }
            ScriptValue value = {VALUE_REAL, 0, 0.0};
            if (ReadBuiltIn(run, instance, id, &value)) {
                sp -= 16;
                VM_Store(sp, value);
                VM_NEXT();
            }
            Value_Free(&value);
        }
    } else if (form == 0 && reinterpret_cast<uintptr_t>(sp) + 8 <= lowWater + span) {
        if (const ScriptValue* element = RealElement(run, locals, sp, id)) {
            sp -= 8;
            VM_Store(sp, ScriptValue{element->kind, 0, element->real});
            VM_NEXT();
        }
    }
    VM_CALL_OUT_VARIABLE(VM_DoPush(run, word, operand));
}

pushOther: {
    // Texts, and the unused type codes, which push nothing.
    VM_OPERAND();
    VM_CALL_OUT(VM_DoPush(run, word, operand));
}

opPop: {
    // The plain forms go to the handlers by value type below.
    VM_OPERAND();
    VM_CALL_OUT_VARIABLE(VM_DoPop(run, word, operand));
}

#define VM_POP_HANDLER(TYPE)                                                                                         \
    pop##TYPE : {                                                                                                    \
        VM_OPERAND_OF(VM_TYPE_VARIABLE);                                                                             \
        uint32_t variable = VM_Load<uint32_t>(operand);                                                              \
        if (uint8_t* next = FastPop<VM_TYPE_##TYPE>(run, locals, sp, word, variable, lowWater + span)) {             \
            sp = next;                                                                                               \
            VM_NEXT();                                                                                               \
        }                                                                                                            \
        VM_CALL_OUT_VARIABLE(VM_DoPop(run, word, operand));                                                          \
    }
    VM_POP_HANDLER(VARIABLE)
    VM_POP_HANDLER(DOUBLE)
    VM_POP_HANDLER(INT)
#undef VM_POP_HANDLER

opArithmetic:
    if (uint8_t* next = ArithmeticOfWord(sp, word)) {
        sp = next;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoArithmetic(run, word));

opBitwise:
    if (uint8_t* next = BitwiseOfWord(sp, word)) {
        sp = next;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoArithmetic(run, word));

opCompare:
    if (uint8_t* next = CompareOfWord(sp, word)) {
        sp = next;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoCompare(run, word));

#define VM_FAST_HANDLER(KIND, OP, RIGHT, LEFT)                                                                       \
    fast##KIND##OP##RIGHT##LEFT:                                                                                     \
    if (uint8_t* next = Fast##KIND<VM_OP_##OP, VM_TYPE_##RIGHT, VM_TYPE_##LEFT>(sp)) {                               \
        sp = next;                                                                                                   \
        VM_NEXT();                                                                                                   \
    }                                                                                                                \
    VM_CALL_OUT(VM_Do##KIND(run, word));
    VM_FAST_OPCODES(VM_FAST_HANDLER)
#undef VM_FAST_HANDLER

opConv:
    if (uint8_t* next = ConvOfWord(sp, word)) {
        sp = next;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoConv(run, word));

opNegNot:
    if (uint8_t* next = NegNotOfWord(sp, word)) {
        sp = next;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoNegNot(run, word));

opBranch: {
    if (((++g_BranchCounter) & BRANCH_PUMP_MASK) == 0) {
        VM_SAVE();
        VM_SettleArguments(run);
        g_VMMessagePump();
        NoteOutsideCode();
        run.selfListOf = nullptr;
    }
    uint8_t opcode = VM_WordOpcode(word);
    bool taken = true;
    if (opcode != VM_OP_B) {
        bool value = *sp != 0; // only the bool's lowest byte counts
        sp += 4;
        taken = opcode == VM_OP_BT ? value : !value;
    }
    if (taken) pc = at + VM_WordBranchDistance(word) * 4;
    VM_NEXT();
}

opDup:
    if (DupsFour(word)) {
        sp -= 4;
        std::memcpy(sp, sp + 4, 4);
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoDup(run, word));

opPopz:
    if (PopsFour(word)) {
        sp += 4;
        VM_NEXT();
    }
    VM_CALL_OUT(VM_DoPopz(run, word));

opCall: {
    VM_OPERAND();
    VM_CALL_OUT(DoCall(run, word, operand));
}

opRet:
    VM_CALL_OUT(DoReturn(run, word));

opExit:
    VM_CALL_OUT(DoExit(run));

opPushEnv:
    VM_CALL_OUT(VM_DoPushEnv(run, word, at));

opPopEnv:
    VM_CALL_OUT(VM_DoPopEnv(run, word, at));

opBreak: {
    VM_OPERAND();
    (void)operand;
    uint32_t code = word & 0xFFFF;
    if (code == 0) {
        // The word the breakpoint stands in for runs in its place, then the breakpoints go back in.
        // A break word that stands there itself would only find itself again.
        pc = at;
        VM_SAVE();
        word = VM_BreakpointHit(run);
        NoteOutsideCode();
        run.selfListOf = nullptr;
        dispatch = s_Attention;
        pc = at + 4;
        if (VM_WordOpcode(word) == VM_OP_BREAK && (word & 0xFFFF) == 0) VM_NEXT();
        goto* s_Wide[word >> 16];
    }
    if (code == 0xFFFF) VM_CALL_OUT(VM_DoBreakCheck(run, word));
    VM_NEXT();
}

done:
    VM_SAVE();
}

#undef VM_SAVE
#undef VM_LOAD
#undef VM_SET_DISPATCH
#undef VM_NEXT
#undef VM_OPERAND
#undef VM_OPERAND_OF
#undef VM_CALL_OUT
#undef VM_CALL_OUT_VARIABLE

// The translated form's variable sites. The list a plain variable access reaches, as DirectList
// finds it, with an unnamed variable's globalvar test remembered at the site until the variables'
// generation moves. Self, the common one, is tested first; locals are in slots.
[[gnu::noinline]] CVariableList* OtherSiteList(VMRunState& run, VMTranslatedInsn* insn)
{
    switch (insn->instance) {
    case VM_INSTANCE_UNNAMED: {
        VMSiteCache& cache = insn->cache;
        if (cache.globalGeneration != g_VariableGeneration) {
            cache.global = Variable_IsGlobalVar(insn->id);
            cache.globalGeneration = g_VariableGeneration;
        }
        return cache.global ? Variable_GlobalList() : SelfList(run);
    }
    case VM_INSTANCE_OTHER: return run.other != nullptr ? run.instances->Variables(run.other) : nullptr;
    default: return Variable_GlobalList(); // the translation gives sites no other instance
    }
}

// A site of self, or of no named instance while it knows it is no globalvar.
[[gnu::always_inline]] inline bool IsSelfSite(const VMTranslatedInsn* insn)
{
    const VMSiteCache& cache = insn->cache;
    return insn->instance == VM_INSTANCE_SELF ||
           (insn->instance == VM_INSTANCE_UNNAMED && !cache.global && cache.globalGeneration == g_VariableGeneration);
}

// The site's node in the list: the one it found last while the list and the generation are the
// same, since no node leaves a list without the generation moving. `generation` is the loop's copy,
// taken again after anything outside the loop ran (nothing inside it releases nodes). `self`: the
// instance whose own list it is, for a self site.
[[gnu::always_inline]] inline VariableNode* SiteNode(VMTranslatedInsn* insn, const CVariableList* list,
                                                     uint64_t generation, const CInstance* self = nullptr)
{
    VMSiteCache& cache = insn->cache;
    if (cache.list == list && cache.generation == generation) return cache.node;
    VariableNode* node = FindNode(list, insn->id);
    if (node != nullptr) {
        cache.list = list;
        cache.generation = generation;
        cache.node = node;
        cache.self = self;
        cache.inlineOffset = list->InlineOffsetOf(node);
    }
    return node;
}

// A local site's slot among the level's slots.
[[gnu::always_inline]] inline VariableNode* SiteSlot(VariableNode* locals, const VMTranslatedInsn* insn)
{
    return reinterpret_cast<VariableNode*>(reinterpret_cast<uint8_t*>(locals) + insn->localOffset);
}

// A plain variable site's node when the site's memory is not of the run's self: found again in the
// list the site's instance reaches. Out of line: it is the rarer way, and the handlers that take the
// common one stay small.
[[gnu::noinline]] VariableNode* SiteNodeAgain(VMRunState& run, uint64_t generation, VMTranslatedInsn* insn)
{
    VMSiteCache& cache = insn->cache;
    const CInstance* self = run.self;
    if (IsSelfSite(insn)) {
        CVariableList* list = SelfList(run);
        if (list == nullptr) return nullptr;
        // Another instance of the same object: the variable is where the last one had it, and is
        // kept for this self (a loop goes on finding it by the test above).
        if (cache.inlineOffset != 0) [[likely]] {
            if (VariableNode* node = list->AtInlineOffset(cache.inlineOffset, insn->id)) {
                cache.list = list;
                cache.generation = generation;
                cache.node = node;
                cache.self = self;
                return node;
            }
        }
        // A node kept for self's list by a path that did not key it is keyed to self now.
        if (cache.list == list && cache.generation == generation) cache.self = self;
        return SiteNode(insn, list, generation, self);
    }
    CVariableList* list = OtherSiteList(run, insn);
    if (cache.list == list && cache.generation == generation) return cache.node;
    return list != nullptr ? SiteNode(insn, list, generation) : nullptr;
}

// The node of a plain variable's site (its list from the entry's instance), or null out of reach.
// A local's is its slot in the level's slots (`locals`), once set: the translation gives a plain
// local's site a slot (`localOffset`) or the general routine. A remembered node is never null and the
// variables' generation is never 0, so a hit needs neither the list nor the node tested (a site
// without a list never hits). LOCAL: the handler knows the site is a local, so its instance needs
// no test either.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* PlainSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                          VMTranslatedInsn* insn)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return VM_SetSlot(SiteSlot(locals, insn));
    VMSiteCache& cache = insn->cache;
    // The node a self site found in self's own list: still its while self and the generation (which
    // also moves when a globalvar is declared) are the same.
    const CInstance* self = run.self;
    if (cache.self == self && self != nullptr && cache.generation == generation) [[likely]] {
        if (cache.node == nullptr) __builtin_unreachable();
        return cache.node;
    }
    return SiteNodeAgain(run, generation, insn);
}

// The same for a site of a register sequence, which a walk over many instances runs once per
// instance: a self site keyed under this generation (still a self site) looks first where the
// last instance it found had the variable, in self's list as the steps found it once (`selfList`,
// null until then), and writes nothing on that way. The word handlers, which loops run, stay small.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* SequenceSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                             VMTranslatedInsn* insn, CVariableList*& selfList)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return VM_SetSlot(SiteSlot(locals, insn));
    const VMSiteCache& cache = insn->cache;
    if (cache.generation == generation && cache.inlineOffset != 0 && cache.self != nullptr) [[likely]] {
        if (selfList == nullptr) selfList = SelfList(run);
        if (selfList != nullptr) [[likely]] {
            if (VariableNode* node = selfList->AtInlineOffset(cache.inlineOffset, insn->id)) [[likely]]
                return node;
        }
    }
    return PlainSiteNode<false>(run, locals, generation, insn);
}

// The same for a read that takes only a real: an unset local's slot holds no real, so the slot
// needs no test of being set.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* ReadSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                         VMTranslatedInsn* insn)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return SiteSlot(locals, insn);
    return PlainSiteNode<false>(run, locals, generation, insn);
}

// The same for the fast paths of an element's site, whose list comes from the stack.
struct SiteLookup {
    VMTranslatedInsn* insn;
    uint64_t generation;
    VariableNode* operator()(const CVariableList* list, int32_t) const { return SiteNode(insn, list, generation); }
    VariableNode* Local(const VMRunState&, VariableNode* locals, int32_t) const
    {
        return insn->localOffset >= 0 ? VM_SetSlot(SiteSlot(locals, insn)) : nullptr;
    }
};

// The real that a push of a plain variable leaves and the node holding it; false when it holds
// anything else or is out of reach.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VariableReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                VMTranslatedInsn* insn, double* real, VariableNode** node)
{
    VariableNode* found = ReadSiteNode<LOCAL>(run, locals, generation, insn);
    if (found == nullptr || Value_GetKind(&found->value) != VALUE_REAL) return false;
    *real = found->value.real;
    *node = found;
    return true;
}

// The same for the first word of a superinstruction, which may also be argumentN (its node null).
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool SiteReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                            VMTranslatedInsn* insn, double* real, VariableNode** node)
{
    if (!LOCAL && insn->firstKind == VMKind::PushArgument) {
        ScriptValue argument;
        if (!SiteArgument(run, insn, &argument)) return false;
        *real = argument.real;
        *node = nullptr;
        return true;
    }
    return VariableReal<LOCAL>(run, locals, generation, insn, real, node);
}

// A superinstruction's combination of a real with its integer, as the separate arithmetic word
// would make it; false when that word's general routine must run (and report).
// The commonest opcodes are tested one by one before the general choice, and `mod` by an integer
// other than 0 needs no test of the divisor.
[[gnu::always_inline]] inline bool CombineReal(uint8_t opcode, double left, int32_t constant, double* value)
{
    double right = static_cast<double>(constant);
    if (opcode == VM_OP_ADD) {
        *value = left + right;
        return true;
    }
    if (opcode == VM_OP_MUL) {
        *value = left * right;
        return true;
    }
    if (opcode == VM_OP_MOD && constant != 0) {
        *value = RemainderByWhole(left, constant);
        return true;
    }
    return RealArithmetic(opcode, VM_TYPE_INT, left, right, value);
}

inline bool CompareReal(uint8_t opcode, double left, int32_t constant)
{
    double difference = left - static_cast<double>(constant);
    return opcode == VM_OP_SLT ? difference < -Code_CompareEpsilon
                               : VM_TestDifference(opcode, difference, Code_CompareEpsilon);
}

// The buffer's translation when it is current and bound, without making one; null otherwise.
inline VMTranslation* CurrentTranslation(const VMBuffer* code, uint64_t epoch)
{
    VMTranslation* t = code->m_pTranslation;
    return t != nullptr && t->bound && t->epoch == epoch && t->words == code->m_pWords && t->size == code->m_Size ? t
                                                                                                              : nullptr;
}

// The reals that the joined pushes leave, as their handlers compute them; false where they run
// their first word alone instead. `insn` is the joined entry; LOCAL as for PlainSiteNode, for
// every site the joined push reaches.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VarConstReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                VMTranslatedInsn* insn, double* value)
{
    double left;
    VariableNode* node;
    return SiteReal<LOCAL>(run, locals, generation, insn, &left, &node) && CombineReal(insn->opcode, left, insn->constant, value);
}

// The second integer and its combination are the entry three words on (a ConstOp of its own).
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VarConstOpReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                  VMTranslatedInsn* insn, double* value)
{
    const VMTranslatedInsn* second = insn + 3;
    return VarConstReal<LOCAL>(run, locals, generation, insn, value) &&
           CombineReal(second->opcode, *value, second->constant, value);
}

// The instance is the first word's integer; the index variable's and the element's sites are the
// second and fourth words' entries.
template <bool LOCAL = false>
[[gnu::always_inline]] inline const ScriptValue* ElementReadValue(VMRunState& run, VariableNode* locals,
                                                                  uint64_t generation, VMTranslatedInsn* insn)
{
    double real;
    VariableNode* indexNode;
    if (!VariableReal<LOCAL>(run, locals, generation, insn + 1, &real, &indexNode)) return nullptr;
    VMTranslatedInsn* element = insn + 3;
    VariableNode* node = DirectNode(run, locals, LOCAL ? VM_INSTANCE_LOCAL : insn->constant, element->id,
                                    SiteLookup{element, generation});
    const ScriptValue* value = node != nullptr ? ElementToRead(&node->value, TruncToInt32(real)) : nullptr;
    return value != nullptr && Value_GetKind(value) == VALUE_REAL ? value : nullptr;
}

// The real of the joined push that VariableCombine takes as its right operand, for each kind of
// push it joins (the handler is chosen by that kind when the translation is bound).
template <VMKind PUSHED, bool LOCAL>
[[gnu::always_inline]] inline bool PushedReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                              VMTranslatedInsn* insn, double* value)
{
    if constexpr (PUSHED == VMKind::PushVariable) {
        VariableNode* node;
        return VariableReal<LOCAL>(run, locals, generation, insn, value, &node);
    } else if constexpr (PUSHED == VMKind::VarConst) {
        return VarConstReal<LOCAL>(run, locals, generation, insn, value);
    } else if constexpr (PUSHED == VMKind::VarConstOp) {
        return VarConstOpReal<LOCAL>(run, locals, generation, insn, value);
    } else {
        static_assert(PUSHED == VMKind::ElementRead);
        const ScriptValue* element = ElementReadValue<LOCAL>(run, locals, generation, insn);
        if (element != nullptr) *value = element->real;
        return element != nullptr;
    }
}

// The element that an ElementStore entry `store` writes, when it exists already (or fits its row's
// spare room) and the index variable holds a real; null when the separate words must run (growing
// included). The index variable's and the array's sites are the second and fourth words' entries.
// The same once the index variable's real is known.
template <bool LOCAL = false>
[[gnu::always_inline]] inline ScriptValue* ElementToStoreAt(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                            VMTranslatedInsn* store, double real)
{
    VMTranslatedInsn* element = store + 3;
    int32_t index = TruncToInt32(real);
    VariableNode* node = index < 0 ? nullptr
                                   : DirectNode(run, locals, LOCAL ? VM_INSTANCE_LOCAL : store->constant, element->id,
                                                SiteLookup{element, generation});
    return node != nullptr ? ElementToOverwrite(&node->value, index) : nullptr;
}

template <bool LOCAL = false>
[[gnu::always_inline]] inline ScriptValue* ElementToStore(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                          VMTranslatedInsn* store)
{
    double real;
    VariableNode* indexNode;
    if (!VariableReal<LOCAL>(run, locals, generation, store + 1, &real, &indexNode)) return nullptr;
    return ElementToStoreAt<LOCAL>(run, locals, generation, store, real);
}

// Arithmetic on two reals as the separate word makes it, the commonest, an addition, tested first.
[[gnu::always_inline]] inline bool CombineReals(uint8_t opcode, double left, double right, double* value)
{
    if (opcode == VM_OP_ADD) {
        *value = left + right;
        return true;
    }
    return RealArithmetic(opcode, VM_TYPE_VARIABLE, left, right, value);
}

// A real popped into the plain variable of the pop entry `pop`, as its fast path stores it; false
// when its list or node is out of reach.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool StoreReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                             VMTranslatedInsn* pop, double value)
{
    VariableNode* node = PlainSiteNode<LOCAL>(run, locals, generation, pop);
    if (node == nullptr) return false;
    TakeOver(&node->value, ScriptValue{VALUE_REAL, 0, value});
    return true;
}

#define VM_T_SAVE()                                                                                                  \
    do {                                                                                                             \
        run.sp = sp;                                                                                                 \
        run.pc = ip->nextPc;                                                                                         \
        run.insnStart = ip->at;                                                                                      \
    } while (0)

// The loop's copy of the level's state. Calls and returns inside the loop take it again without
// forgetting the self list, since no code outside the loop ran.
#define VM_T_LOAD_LEVEL()                                                                                            \
    do {                                                                                                             \
        sp = run.sp;                                                                                                 \
        lowWater = reinterpret_cast<uintptr_t>(run.lowWater);                                                        \
        generation = g_VariableGeneration;                                                                           \
        span = reinterpret_cast<uintptr_t>(run.top) - lowWater;                                                      \
    } while (0)

#define VM_T_LOAD()                                                                                                  \
    do {                                                                                                             \
        VM_T_LOAD_LEVEL();                                                                                           \
        run.selfListOf = nullptr;                                                                                    \
    } while (0)

// To the instruction `target` after the same test of the stack as the plain loop's; `ip` stays the
// instruction just run until the jump, for the error position of a failed test.
#define VM_T_GOTO(target)                                                                                            \
    do {                                                                                                             \
        next = (target);                                                                                             \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater > span) goto checkStack;                                      \
        ip = next;                                                                                                   \
        goto* ip->handler;                                                                                           \
    } while (0)

#define VM_T_NEXT() VM_T_GOTO(ip + 1)

// The same from a handler that left the stack pointer as it found it, or where the stack is known to
// lie within the level and not below its low water, which the test would find: what a superinstruction
// pushed after testing its depth, or a return's place.
#define VM_T_JUMP(target)                                                                                            \
    do {                                                                                                             \
        ip = (target);                                                                                               \
        goto* ip->handler;                                                                                           \
    } while (0)

// Runs an instruction outside the loop on the saved state, then carries on after it, or wherever
// the call moved the run.
#define VM_T_CALL_OUT(statement)                                                                                     \
    do {                                                                                                             \
        VM_T_SAVE();                                                                                                 \
        statement;                                                                                                   \
        goto afterCallOut;                                                                                           \
    } while (0)

#define VM_T_CALL_OUT_VARIABLE(statement) VM_T_CALL_OUT(statement; NoteOutsideCode())

#define VM_T_OPERAND() (run.words + ip->at + 4)

// A fast path answering the new stack pointer, or null when the general routine must run.
#define VM_T_FAST_OR_CALL_OUT(fast, general)                                                                         \
    do {                                                                                                             \
        if (uint8_t* after = fast) {                                                                                 \
            sp = after;                                                                                              \
            VM_T_NEXT();                                                                                             \
        }                                                                                                            \
        VM_T_CALL_OUT(general);                                                                                      \
    } while (0)

// The entry at an index, or null for an index that names none (a field the entry's kind does not use).
inline VMTranslatedInsn* EntryAt(VMTranslation& translation, int32_t index)
{
    return static_cast<size_t>(index) < translation.insns.size() ? translation.insns.data() + index : nullptr;
}

// Whether a site is a plain local variable (not argumentN).
inline bool IsLocalSite(const VMTranslatedInsn& site)
{
    return site.instance == VM_INSTANCE_LOCAL && site.firstKind != VMKind::PushArgument;
}

// Whether every variable that a superinstruction reaches is a local: its handler for locals takes
// the level's local list without asking each site's instance.
inline bool SitesAllLocal(const VMTranslation& translation, const VMTranslatedInsn& insn)
{
    const VMTranslatedInsn* at = &insn;
    switch (insn.kind) {
    case VMKind::CountingStep: return IsLocalSite(insn);
    case VMKind::ElementStore: return insn.constant == VM_INSTANCE_LOCAL && IsLocalSite(at[1]);
    case VMKind::VarConstElementStore: {
        const VMTranslatedInsn& store = translation.insns[static_cast<size_t>(insn.target)];
        return IsLocalSite(insn) && store.constant == VM_INSTANCE_LOCAL && IsLocalSite((&store)[1]);
    }
    case VMKind::VariableCombine: {
        const VMTranslatedInsn& pushed = at[1];
        bool pushedLocal = pushed.kind == VMKind::ElementRead
                               ? pushed.constant == VM_INSTANCE_LOCAL && IsLocalSite(at[2])
                               : IsLocalSite(pushed);
        return IsLocalSite(insn) && pushedLocal && IsLocalSite(translation.insns[static_cast<size_t>(insn.target) + 1]);
    }
    default: return false;
    }
}

// Whether the site just after a joined entry's `target` names the variable the entry pushed first
// (the same instance and operand reach the same node): a combination popped into it (`s = s + x`),
// or a VarConstElementStore indexed by it (`a[i] = i * 2`).
inline bool ReusesFirst(const VMTranslation& translation, const VMTranslatedInsn& insn)
{
    const VMTranslatedInsn& site = translation.insns[static_cast<size_t>(insn.target) + 1];
    return site.instance == insn.instance && site.variable == insn.variable;
}

// Whether a counting step adds its integer and its test is `less than` branching out when false:
// the loop a `for` counting up compiles to.
inline bool CountsUp(const VMTranslation& translation, const VMTranslatedInsn& step)
{
    const VMTranslatedInsn& test = translation.insns[static_cast<size_t>(step.target)];
    return step.opcode == VM_OP_ADD && test.opcode == VM_OP_SLT && test.branchOpcode == VM_OP_BF;
}

// Where a register sequence leaves the words: the entry to go on at and the stack pointer, the live
// items put on the stack; `how` the way to go on there.
enum class RegisterExitHow : uint8_t {
    Words,     // its handler runs
    FirstWord, // a sequence's head before which nothing ran: its first word alone
    AfterCall, // the entry is a built-in's call, made: the run goes on as after a call out
};
struct RegisterExit {
    VMTranslatedInsn* next;
    uint8_t* sp;
    RegisterExitHow how = RegisterExitHow::Words;
};

[[gnu::noinline]] void FreeArgumentValues(ScriptValue* args, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        if (Value_GetKind(&args[i]) != VALUE_REAL) Value_Free(&args[i]);
}

// What calling a built-in from a register sequence came to.
enum class RegisterCall : uint8_t {
    Refused, // nothing done: the words call it (no such routine, more arguments than a call may hand)
    GoOn,    // the result is a real and the run stands as the steps left it: the steps go on
    Stop,    // the result lies on the stack, the live items beneath it: the words go on after the call
};

// The built-in that a CallBuiltIn step `step` calls on its registers, the arguments on top (argument
// 0 topmost), as CallBuiltin calls it on stack items, with the run's state as a call out leaves it:
// the live items beneath go onto the stack first. The steps go on only where the loop would after
// the call out: the code and the level as they were, nothing stopped the run or asked for the
// debugger, the run standing after the call.
// ARGC, when not negative, is the call's argument count, fixed so that the common small counts
// copy and check their arguments without a loop.
template <int ARGC>
[[gnu::noinline]] RegisterCall CallFromRegisters(VMRunState& run, const VMRegisterStepInsn* step, const double* registers,
                                                 uint8_t*& sp, double* real)
{
    const VMTranslatedInsn* call = step->site;
    uint32_t argc = ARGC >= 0 ? static_cast<uint32_t>(ARGC) : static_cast<uint32_t>(call->constant);
    int32_t id = call->id; // never negative in a CallBuiltIn step
    if (id >= g_FunctionCount || g_FunctionTable[id].routine == nullptr) return RegisterCall::Refused;
    const FunctionEntry* entry = &g_FunctionTable[id];
    uint32_t handed = entry->argCount >= 0 ? static_cast<uint32_t>(entry->argCount) : argc;
    if (std::max(handed, argc) > SCRIPT_ARGUMENT_COUNT) return RegisterCall::Refused;
    uint32_t depth = step->depth, below = depth - argc;
    uint8_t* at = sp;
    for (uint32_t k = 0; k < below; ++k) at = PutNumber(at, step->types[k], registers[k]);
    ScriptValue args[SCRIPT_ARGUMENT_COUNT];
    const double* top = registers + depth;
    for (uint32_t i = 0; i < argc; ++i) args[i] = ScriptValue{VALUE_REAL, 0, top[-1 - static_cast<int32_t>(i)]};
    for (uint32_t i = argc; i < handed; ++i) args[i] = ScriptValue{VALUE_REAL, 0, 0.0};
    const uint64_t codeEpoch = g_VMCodeEpoch;
    const VMBuffer* const code = run.code;
    const VariableNode* const locals = run.localSlots;
    run.sp = at;
    run.pc = call->nextPc;
    run.insnStart = call->at;
    VM_SettleArguments(run);
    if (g_TraceFlag) MainConsole->Output("func call = %s\n", entry->name);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    entry->routine(&result, run.self, run.other, static_cast<int32_t>(handed), args);
    NoteOutsideCode();
    run.selfListOf = nullptr;
    // A routine may leave other values in its arguments: they are freed as the stack's would be.
    uint32_t kinds = 0;
    for (uint32_t i = 0; i < argc; ++i) kinds |= args[i].kind;
    if ((kinds & VALUE_KIND_MASK) != VALUE_REAL) FreeArgumentValues(args, argc);
    if (result.kind == VALUE_REAL && g_VMCodeEpoch == codeEpoch && !g_VMAttention && !run.stopped && run.code == code &&
        run.pc == call->nextPc && run.sp == at && run.localSlots == locals) {
        *real = result.real;
        return RegisterCall::GoOn;
    }
    at -= 16;
    VM_Store(at, result);
    run.sp = sp = at;
    return RegisterCall::Stop;
}

// A CallBuiltIn step whose row has a leaf form, called with the row's count, calls the leaf. The
// table's rows change only before code runs; a change drops every translation, and so this binding.
void BindLeaf(VMRegisterStepInsn& step)
{
    const FunctionEntry* entry = Function_Get(step.site->id);
    if (entry == nullptr || entry->leaf == nullptr || entry->argCount != step.site->constant) return;
    step.step = VMRegisterStep::CallLeaf;
    step.leaf = entry->leaf;
}

// A CallLeaf step's leaf called on the arguments on top: false when the routine is to be called
// instead (calls are traced, or the leaf declines). A leaf changes nothing the steps keep (the run,
// the self list, the variables' generation): nothing to save or check around it.
inline bool CallLeaf(const VMRunState& run, const VMRegisterStepInsn* step, const double* registers, double* real)
{
    return !g_TraceFlag && step->leaf(run.self, run.other, registers + step->depth, real);
}

// The instance whose number field a LoadBuiltIn or StoreBuiltIn step reaches: other when binding
// marked it so, else self.
[[gnu::always_inline]] inline CInstance* FieldOwner(const VMRunState& run, const VMRegisterStepInsn* step)
{
    return step->sourceType != 0 ? run.other : run.self;
}

// A bool as the real a register holds for it, 1 or 0.
[[gnu::always_inline]] inline double AsReal(bool value) { return static_cast<double>(static_cast<int32_t>(value)); }

// A float field of the instance, at its byte place, as its getter hands it.
[[gnu::always_inline]] inline double FloatField(const CInstance* instance, int32_t place)
{
    float field;
    std::memcpy(&field, reinterpret_cast<const uint8_t*>(instance) + place, sizeof field);
    return static_cast<double>(field);
}

// and, or or xor of two bools in registers, as the bitwise word takes them: by their truth, 0 or 1.
[[gnu::always_inline]] inline int32_t LogicOf(uint8_t opcode, double a, double b)
{
    int32_t left = a != 0 ? 1 : 0, right = b != 0 ? 1 : 0;
    return opcode == VM_OP_AND ? left & right : opcode == VM_OP_OR ? left | right : left ^ right;
}

// A FieldTestsBranch's bool: the field's two tests combined, as the steps it stands for make it.
[[gnu::always_inline]] inline bool FieldTests(const CInstance* target, const VMRegisterStepInsn* step)
{
    double field = FloatField(target, step->field);
    double first = field - step->constant, second = field - step->secondConstant;
    bool a = step->testsGreater & 1 ? first > Code_CompareEpsilon : first < -Code_CompareEpsilon;
    bool b = step->testsGreater & 2 ? second > Code_CompareEpsilon : second < -Code_CompareEpsilon;
    return step->opcode == VM_OP_AND ? a && b : step->opcode == VM_OP_OR ? a || b : a != b;
}

// A FieldOutsideBranch's bool: below the first constant or above the second, by more than the
// epsilon. c - f is exactly -(f - c), so `c - f > epsilon` is ConstantLess's `f - c < -epsilon`.
[[gnu::always_inline]] inline bool FieldOutside(const CInstance* target, const VMRegisterStepInsn* step)
{
    double field = FloatField(target, step->field);
    return step->constant - field > Code_CompareEpsilon || field - step->secondConstant > Code_CompareEpsilon;
}

// g++ merges the steps' identical tails into one, reached by a jump more from each: in a loop of
// steps that is a jump more a step, so each step keeps its own tail.
#if defined(__clang__)
#define VM_STEPS_OWN_TAILS
#else
#define VM_STEPS_OWN_TAILS gnu::optimize("no-crossjumping"),
#endif

// Runs the steps of the RealSequence entry `head` from the stack pointer `sp`, which they leave
// alone until the words go on: they compute in `registers`. A branch to another sequence goes on
// into its steps, when its pushes fit above the low water as its own entry would require.
[[VM_STEPS_OWN_TAILS gnu::noinline]] RegisterExit RunRegisterSteps(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                const VMTranslatedInsn* head, uint8_t* sp)
{
    static const void* const s_Steps[] = {
#define VM_REGISTER_STEP_LABEL(name) &&r##name,
        VM_REGISTER_STEPS(VM_REGISTER_STEP_LABEL)
#undef VM_REGISTER_STEP_LABEL
    };
    const VMRegisterStepInsn* step = head->registerSteps;
    double registers[VM_REGISTER_SLOTS];
    VMTranslatedInsn* to;               // where a branch goes
    CVariableList* selfList = nullptr; // self's variables, found at the first site that needs them
#define VM_R_NEXT()                                                                                                  \
    do {                                                                                                             \
        ++step;                                                                                                      \
        goto* s_Steps[static_cast<size_t>(step->step)];                                                              \
    } while (0)
    // A fused step done goes past its parts; one that meets a case it does not take goes on into
    // them (VM_R_NEXT), which do what they always do.
#define VM_R_PAST_PARTS()                                                                                            \
    do {                                                                                                             \
        step = reinterpret_cast<const VMRegisterStepInsn*>(reinterpret_cast<uintptr_t>(step) + step->pastParts);     \
        goto* s_Steps[static_cast<size_t>(step->step)];                                                              \
    } while (0)
    goto* s_Steps[static_cast<size_t>(step->step)];

    // A load takes a plain real only: any other value, marked ones included, is the words' to push.
#define VM_R_LOAD_HANDLER(NAME, LOCAL)                                                                               \
    NAME : {                                                                                                         \
        VariableNode* node = SequenceSiteNode<LOCAL>(run, locals, generation, step->site, selfList);                        \
        if (node == nullptr || node->value.kind != VALUE_REAL) goto rLeave;                                          \
        registers[step->target] = node->value.real;                                                                  \
        VM_R_NEXT();                                                                                                 \
    }
    VM_R_LOAD_HANDLER(rLoadVariable, false)
    VM_R_LOAD_HANDLER(rLoadLocal, true)
#undef VM_R_LOAD_HANDLER

rLoadArgument: {
    ScriptValue argument;
    if (!SiteArgument(run, step->site, &argument) || argument.kind != VALUE_REAL) goto rLeave;
    registers[step->target] = argument.real;
    VM_R_NEXT();
}

rLoadBuiltIn: {
    CInstance* target = FieldOwner(run, step);
    if (target == nullptr) goto rLeave;
    registers[step->target] = step->getReal(target);
    VM_R_NEXT();
}

rLoadField: {
    const CInstance* target = FieldOwner(run, step);
    if (target == nullptr) goto rLeave;
    registers[step->target] = FloatField(target, step->field);
    VM_R_NEXT();
}

rLoadFields: {
    const CInstance* target = FieldOwner(run, step);
    if (target == nullptr) VM_R_NEXT();
    registers[step->target] = FloatField(target, step->field);
    registers[step->target + 1] = FloatField(target, step->secondField);
    VM_R_PAST_PARTS();
}

rConstantFields: {
    const CInstance* target = FieldOwner(run, step);
    if (target == nullptr) VM_R_NEXT();
    double* into = registers + step->target;
    into[0] = step->constant;
    into[1] = FloatField(target, step->field);
    into[2] = FloatField(target, step->secondField);
    VM_R_PAST_PARTS();
}

    // A field or plain variable tested against the constant, as ConstantLess and ConstantGreater do.
#define VM_R_FIELD_TEST(NAME, TEST)                                                                                  \
    NAME : {                                                                                                         \
        const CInstance* target = FieldOwner(run, step);                                                             \
        if (target == nullptr) VM_R_NEXT();                                                                          \
        registers[step->target] = AsReal(FloatField(target, step->field) - step->constant TEST);                      \
        VM_R_PAST_PARTS();                                                                                           \
    }
#define VM_R_VARIABLE_TEST(NAME, TEST)                                                                               \
    NAME : {                                                                                                         \
        VariableNode* node = SequenceSiteNode(run, locals, generation, step->site, selfList);                        \
        if (node == nullptr || node->value.kind != VALUE_REAL) VM_R_NEXT();                                          \
        registers[step->target] = AsReal(node->value.real - step->constant TEST);                                    \
        VM_R_PAST_PARTS();                                                                                           \
    }
    VM_R_FIELD_TEST(rFieldLess, < -Code_CompareEpsilon)
    VM_R_FIELD_TEST(rFieldGreater, > Code_CompareEpsilon)
    VM_R_VARIABLE_TEST(rVariableLess, < -Code_CompareEpsilon)
    VM_R_VARIABLE_TEST(rVariableGreater, > Code_CompareEpsilon)
#undef VM_R_FIELD_TEST
#undef VM_R_VARIABLE_TEST

rLoadConstant:
    registers[step->target] = step->constant;
    VM_R_NEXT();

    // The combining steps, each also in a form whose right operand is its own constant (the push
    // of an integer or double just before, taken into the step). When such a step stops, the
    // constant goes into its register first, where the words expect the item.
#define VM_R_COMBINE_HANDLERS(NAME, RIGHT)                                                                           \
    r##NAME##Add : registers[step->target] = registers[step->left] + RIGHT;                                         \
    VM_R_NEXT();                                                                                                     \
    r##NAME##Subtract : registers[step->target] = registers[step->left] - RIGHT;                                    \
    VM_R_NEXT();                                                                                                     \
    r##NAME##Multiply : registers[step->target] = registers[step->left] * RIGHT;                                    \
    VM_R_NEXT();                                                                                                     \
    r##NAME##Arithmetic : {                                                                                          \
        double value;                                                                                                \
        if (!RealArithmetic(step->opcode, step->rightType, registers[step->left], RIGHT, &value)) goto rStop;        \
        registers[step->target] = value;                                                                             \
        VM_R_NEXT();                                                                                                 \
    }                                                                                                                \
    r##NAME##IntArithmetic : {                                                                                       \
        int32_t value;                                                                                               \
        if (!IntArithmetic(step->opcode, static_cast<int32_t>(registers[step->left]), static_cast<int32_t>(RIGHT),   \
                           &value))                                                                                  \
            goto rStop;                                                                                              \
        registers[step->target] = value;                                                                             \
        VM_R_NEXT();                                                                                                 \
    }                                                                                                                \
    r##NAME##Compare : registers[step->target] =                                                                    \
        AsReal(VM_TestDifference(step->opcode, registers[step->left] - RIGHT, Code_CompareEpsilon));                  \
    VM_R_NEXT();                                                                                                     \
    r##NAME##IntCompare : {                                                                                          \
        /* The difference wraps as a 32-bit integer. */                                                              \
        int32_t difference = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(registers[step->left])) - \
                                                  static_cast<uint32_t>(static_cast<int32_t>(RIGHT)));               \
        registers[step->target] = AsReal(VM_TestDifference(step->opcode, difference, Code_CompareEpsilon));           \
        VM_R_NEXT();                                                                                                 \
    }
    VM_R_COMBINE_HANDLERS(, registers[step->right])
    VM_R_COMBINE_HANDLERS(Constant, step->constant)
#undef VM_R_COMBINE_HANDLERS

rConstantLess:
    registers[step->target] = AsReal(registers[step->left] - step->constant < -Code_CompareEpsilon);
    VM_R_NEXT();

rConstantGreater:
    registers[step->target] = AsReal(registers[step->left] - step->constant > Code_CompareEpsilon);
    VM_R_NEXT();

rConstantModulo:
    registers[step->target] = RemainderByWhole(registers[step->left], static_cast<int32_t>(step->constant));
    VM_R_NEXT();

rConstantModuloTruncate: {
    // A whole left operand within int32 has a whole remainder: no double remainder to truncate.
    double left = registers[step->left];
    int32_t divisor = static_cast<int32_t>(step->constant);
    if (left > -2147483648.0 && left < 2147483648.0) {
        int32_t whole = static_cast<int32_t>(left);
        if (static_cast<double>(whole) == left) {
            registers[step->target] = static_cast<double>(whole % divisor);
            VM_R_NEXT();
        }
    }
    registers[step->target] = TruncToInt32(RemainderByWhole(left, divisor));
    VM_R_NEXT();
}

rStop:
    // A combining step that stops: a constant it took in goes where the words have its item.
    if (static_cast<size_t>(step->step) >= static_cast<size_t>(VMRegisterStep::ConstantAdd))
        registers[step->right] = step->constant;
    goto rLeave;

rNegate:
    registers[step->target] = -registers[step->left];
    VM_R_NEXT();

rNegateVariable: {
    // The store the parts make: a real for a real.
    VariableNode* node = SequenceSiteNode(run, locals, generation, step->site, selfList);
    if (node == nullptr || node->value.kind != VALUE_REAL) VM_R_NEXT();
    node->value = ScriptValue{VALUE_REAL, 0, -node->value.real};
    VM_R_PAST_PARTS();
}

rContinue:
    to = step->site;
    goto rGoTo;

rTruncate:
    registers[step->target] = TruncToInt32(registers[step->left]);
    VM_R_NEXT();

rTruth: {
    double value = registers[step->left];
    registers[step->target] = AsReal(NumberTruth(step->sourceType, value));
    VM_R_NEXT();
}

rStoreBuiltIn: {
    CInstance* target = FieldOwner(run, step);
    if (target == nullptr) goto rLeave;
    step->setReal(target, registers[step->left]);
    VM_R_NEXT();
}

rLogic:
    registers[step->target] = LogicOf(step->opcode, registers[step->left], registers[step->right]);
    VM_R_NEXT();

rStore: {
    VariableNode* node = SequenceSiteNode(run, locals, generation, step->site, selfList);
    if (node == nullptr) goto rLeave;
    TakeOver(&node->value, ScriptValue{VALUE_REAL, 0, registers[step->left]});
    VM_R_NEXT();
}

    // Elements of a list this file reaches, by the instance and index in registers; anything else
    // (no array, outside it, a value that is no plain real) is the words'.
rLoadElement: {
    VariableNode* node = DirectNode(run, locals, static_cast<int32_t>(registers[step->left]), step->site->id,
                                    SiteLookup{step->site, generation});
    const ScriptValue* element = node != nullptr ? ElementToRead(&node->value, static_cast<int32_t>(registers[step->right])) : nullptr;
    if (element == nullptr || element->kind != VALUE_REAL) goto rLeave;
    registers[step->target] = element->real;
    VM_R_NEXT();
}

rStoreElement: {
    int32_t index = static_cast<int32_t>(registers[step->right]);
    VariableNode* node = index >= 0 ? DirectNode(run, locals, static_cast<int32_t>(registers[step->target]), step->site->id,
                                                 SiteLookup{step->site, generation})
                                    : nullptr;
    ScriptValue* place = node != nullptr ? ElementToWrite(&node->value, index) : nullptr;
    if (place == nullptr) goto rLeave;
    TakeOver(place, ScriptValue{VALUE_REAL, 0, registers[step->left]});
    VM_R_NEXT();
}

rBranch: {
    // Every 4096th branch pumps messages: the branch's own entry takes that one.
    if (((g_BranchCounter + 1) & BRANCH_PUMP_MASK) == 0) goto rLeave;
    ++g_BranchCounter;
    bool taken = (registers[step->left] != 0) == (step->opcode == VM_OP_BT);
    to = taken ? step->site->targetEntry : step->site + 1;
    goto rGoTo;
}

    // A test and the branch on it, whose word follows the test's; the pump's turn is the parts'.
#define VM_R_TEST_BRANCH(NAME, CAN, TRUTH)                                                                           \
    NAME : {                                                                                                         \
        if (((g_BranchCounter + 1) & BRANCH_PUMP_MASK) == 0 || !(CAN)) VM_R_NEXT();                                \
        ++g_BranchCounter;                                                                                           \
        to = (TRUTH) ? step->whenTrue : step->whenFalse;                                                             \
        goto rGoTo;                                                                                                  \
    }
    VM_R_TEST_BRANCH(rFieldTestsBranch, FieldOwner(run, step) != nullptr, FieldTests(FieldOwner(run, step), step))
    VM_R_TEST_BRANCH(rFieldOutsideBranch, FieldOwner(run, step) != nullptr, FieldOutside(FieldOwner(run, step), step))
    VM_R_TEST_BRANCH(rLogicBranch, true, LogicOf(step->opcode, registers[step->left], registers[step->right]) != 0)
    VM_R_TEST_BRANCH(rTruthBranch, true, NumberTruth(step->sourceType, registers[step->left]))
#undef VM_R_TEST_BRANCH

rGoTo: {
    if (to->kind != VMKind::RealSequence ||
        reinterpret_cast<uintptr_t>(sp) - reinterpret_cast<uintptr_t>(run.lowWater) < to->registerBytes)
        return RegisterExit{to, sp};
    head = to;
    step = head->registerSteps;
    goto* s_Steps[static_cast<size_t>(step->step)];
}

rCallLeaf:
rCallBuiltIn: {
    double real;
    RegisterCall made;
    // A leaf first, where the row has one; the routine where it declines.
    if (step->step == VMRegisterStep::CallLeaf && CallLeaf(run, step, registers, &real)) {
        registers[step->target] = real;
        VM_R_NEXT();
    }
    switch (step->site->constant) {
    case 1: made = CallFromRegisters<1>(run, step, registers, sp, &real); break;
    case 2: made = CallFromRegisters<2>(run, step, registers, sp, &real); break;
    case 3: made = CallFromRegisters<3>(run, step, registers, sp, &real); break;
    default: made = CallFromRegisters<-1>(run, step, registers, sp, &real); break;
    }
    if (made == RegisterCall::Refused) goto rLeave;
    if (made == RegisterCall::Stop) return RegisterExit{step->site, sp, RegisterExitHow::AfterCall};
    generation = g_VariableGeneration;
    selfList = nullptr;
    registers[step->target] = real;
    VM_R_NEXT();
}

rLoop: {
    // The counting step after the sequence, as its handler makes it, and its test's branch back
    // here; the handler itself takes the turn that pumps messages and anything out of the common way.
    VMTranslatedInsn* counting = step->site;
    double left;
    VariableNode* node;
    uint32_t counter = g_BranchCounter;
    if (reinterpret_cast<uintptr_t>(sp) - reinterpret_cast<uintptr_t>(run.lowWater) < FUSED_DEPTH ||
        ((counter + 2) & BRANCH_PUMP_MASK) < 2 || !VariableReal(run, locals, generation, counting, &left, &node))
        return RegisterExit{counting, sp};
    double value = left + static_cast<double>(counting->constant);
    node->value = ScriptValue{VALUE_REAL, 0, value};
    g_BranchCounter = counter + 2;
    const VMTranslatedInsn* test = counting->targetEntry;
    if (!(value - static_cast<double>(test->constant) < -Code_CompareEpsilon)) return RegisterExit{test->targetEntry, sp};
    step = head->registerSteps;
    goto* s_Steps[static_cast<size_t>(step->step)];
}

rLeave: {
    // The live items go onto the stack in their types, and the words go on at the step's own word:
    // past the sequence, or at a word whose operands the steps do not take, which does what the
    // words do, errors included. Before the first word nothing is live: its own handler runs.
    if (step->site == head) return RegisterExit{const_cast<VMTranslatedInsn*>(head), sp, RegisterExitHow::FirstWord};
    for (uint32_t k = 0; k < step->depth; ++k) sp = PutNumber(sp, step->types[k], registers[k]);
    return RegisterExit{step->site, sp};
}

    // A field combined with a variable and stored through the field's setter: the variable is the
    // one load that may not be taken; the setter, last, is the only effect.
#define VM_R_FIELD_STORE(NAME, COMBINED)                                                                             \
    NAME : {                                                                                                         \
        CInstance* target = FieldOwner(run, step);                                                                   \
        VariableNode* node = target != nullptr ? SequenceSiteNode(run, locals, generation, step->site, selfList) : nullptr; \
        if (node == nullptr || node->value.kind != VALUE_REAL) VM_R_NEXT();                                          \
        double left = FloatField(target, step->field), right = node->value.real;                                     \
        step->setReal(target, COMBINED);                                                                             \
        VM_R_PAST_PARTS();                                                                                           \
    }
    VM_R_FIELD_STORE(rFieldAddStore, left + right)
    VM_R_FIELD_STORE(rFieldCombineStore, step->opcode == VM_OP_SUB ? left - right : left * right)
#undef VM_R_FIELD_STORE
#undef VM_R_NEXT
}

// The joined pushes that VariableCombine takes its right operand from, a handler each.
#define VM_T_COMBINED_PUSHES(X) X(PushVariable) X(VarConst) X(VarConstOp) X(ElementRead)

// The loop over translated code. It runs the run until it ends (true) or until the plain loop must
// take over (false, the run's state saved at the instruction to run next): the debugger wants
// attention, code words were written, or the code holds what only the plain loop runs.
bool RunTranslated(VMRunState& run)
{
    static const void* s_Kinds[static_cast<size_t>(VMKind::Count)];
    static const void* s_Fast[WideIndex(VM_OP_SGT + 1, 0, 0)];
    static const void* s_Pops[16];
    static const void* s_PopElements[16];
    static const void* s_PopBuiltIns[16];
    static const void* s_Combines[2][static_cast<size_t>(VMKind::Count)]; // [every site a local]
    static const void* s_CombinesIntoFirst[2][static_cast<size_t>(VMKind::Count)]; // the same, stored into the
                                                                                   // variable pushed first
    static const void* s_LocalKinds[static_cast<size_t>(VMKind::Count)];  // kinds with a handler for locals
    static const void* s_CountingUp[2];                                    // [the variable a local]
    static const void* s_ElementStoresAtFirst[2]; // [every site a local]: VarConstElementStore indexed by its variable
    static const void* s_RetVariable;
    static const void* s_ArgBelowBranch[2]; // [taken when true]
    static const void* s_ArgMinus;
    static bool s_Ready = false;
    if (!s_Ready) {
#define VM_KIND_LABEL(name) s_Kinds[static_cast<size_t>(VMKind::name)] = &&t##name;
        VM_TRANSLATED_KINDS(VM_KIND_LABEL)
#undef VM_KIND_LABEL
#define VM_T_FAST_ENTRY(KIND, OP, RIGHT, LEFT)                                                                       \
    s_Fast[WideIndex(VM_OP_##OP, VM_TYPE_##RIGHT, VM_TYPE_##LEFT)] = &&tFast##KIND##OP##RIGHT##LEFT;
        VM_FAST_OPCODES(VM_T_FAST_ENTRY)
#undef VM_T_FAST_ENTRY
        s_Pops[VM_TYPE_VARIABLE] = &&tPopVariableVARIABLE;
        s_Pops[VM_TYPE_DOUBLE] = &&tPopVariableDOUBLE;
        s_Pops[VM_TYPE_INT] = &&tPopVariableINT;
        s_PopElements[VM_TYPE_VARIABLE] = &&tPopElementVARIABLE;
        s_PopElements[VM_TYPE_DOUBLE] = &&tPopElementDOUBLE;
        s_PopElements[VM_TYPE_INT] = &&tPopElementINT;
        s_PopBuiltIns[VM_TYPE_VARIABLE] = &&tPopBuiltInVARIABLE;
        s_PopBuiltIns[VM_TYPE_DOUBLE] = &&tPopBuiltInDOUBLE;
        s_PopBuiltIns[VM_TYPE_INT] = &&tPopBuiltInINT;
#define VM_T_COMBINE_ENTRY(PUSHED)                                                                                   \
    s_Combines[0][static_cast<size_t>(VMKind::PUSHED)] = &&tVariableCombine##PUSHED;                                 \
    s_Combines[1][static_cast<size_t>(VMKind::PUSHED)] = &&tVariableCombine##PUSHED##Local;                          \
    s_CombinesIntoFirst[0][static_cast<size_t>(VMKind::PUSHED)] = &&tVariableCombine##PUSHED##IntoFirst;             \
    s_CombinesIntoFirst[1][static_cast<size_t>(VMKind::PUSHED)] = &&tVariableCombine##PUSHED##LocalIntoFirst;
        VM_T_COMBINED_PUSHES(VM_T_COMBINE_ENTRY)
#undef VM_T_COMBINE_ENTRY
        s_LocalKinds[static_cast<size_t>(VMKind::CountingStep)] = &&tCountingStepLocal;
        s_CountingUp[0] = &&tCountingUp;
        s_CountingUp[1] = &&tCountingUpLocal;
        s_LocalKinds[static_cast<size_t>(VMKind::ElementStore)] = &&tElementStoreLocal;
        s_LocalKinds[static_cast<size_t>(VMKind::VarConstElementStore)] = &&tVarConstElementStoreLocal;
        s_ElementStoresAtFirst[0] = &&tVarConstElementStoreAtFirst;
        s_ElementStoresAtFirst[1] = &&tVarConstElementStoreLocalAtFirst;
        s_RetVariable = &&tRetVariable;
        s_ArgBelowBranch[0] = &&tArgBelowBranchFalse;
        s_ArgBelowBranch[1] = &&tArgBelowBranchTrue;
        s_ArgMinus = &&tArgMinus;
        s_Ready = true;
    }
    // Handlers are bound to a translation the first time it runs.
    auto bind = [](VMTranslation& translation) {
        for (VMTranslatedInsn& insn : translation.insns) {
            switch (insn.kind) {
            case VMKind::Fast: insn.handler = s_Fast[insn.word >> 16]; break;
            case VMKind::PopVariable: insn.handler = s_Pops[insn.valueType]; break;
            case VMKind::PopElement: insn.handler = s_PopElements[insn.valueType]; break;
            case VMKind::PopBuiltIn: insn.handler = s_PopBuiltIns[insn.valueType]; break;
            case VMKind::VariableCombine:
                // Every joined push it is made with has a handler; anything else hands over.
                insn.handler = (ReusesFirst(translation, insn) ? s_CombinesIntoFirst : s_Combines)
                    [SitesAllLocal(translation, insn)][static_cast<size_t>((&insn + 1)->kind)];
                if (insn.handler == nullptr) insn.handler = s_Kinds[static_cast<size_t>(VMKind::Handover)];
                break;
            case VMKind::CountingStep:
                if (CountsUp(translation, insn)) {
                    insn.handler = s_CountingUp[SitesAllLocal(translation, insn)];
                    break;
                }
                [[fallthrough]];
            case VMKind::VarConstElementStore:
                if (ReusesFirst(translation, insn)) {
                    insn.handler = s_ElementStoresAtFirst[SitesAllLocal(translation, insn)];
                    break;
                }
                [[fallthrough]];
            case VMKind::ElementStore:
                insn.handler = SitesAllLocal(translation, insn) ? s_LocalKinds[static_cast<size_t>(insn.kind)]
                                                                : s_Kinds[static_cast<size_t>(insn.kind)];
                break;
            case VMKind::ArgConstBranch:
                insn.handler = insn.opcode == VM_OP_SLT ? s_ArgBelowBranch[insn.branchOpcode == VM_OP_BT]
                                                        : s_Kinds[static_cast<size_t>(insn.kind)];
                break;
            case VMKind::ArgConst:
                insn.handler = insn.opcode == VM_OP_SUB ? s_ArgMinus : s_Kinds[static_cast<size_t>(insn.kind)];
                break;
            case VMKind::Ret:
                insn.handler = VM_WordFirstType(insn.word) == VM_TYPE_VARIABLE ? s_RetVariable : s_Kinds[size_t(VMKind::Ret)];
                break;
            default: insn.handler = s_Kinds[static_cast<size_t>(insn.kind)]; break;
            }
            // A joined sequence starting with arithmetic falls back to its pair of types' handler.
            insn.fallback = insn.firstKind == VMKind::Fast ? s_Fast[insn.word >> 16]
                                                           : s_Kinds[static_cast<size_t>(insn.firstKind)];
            insn.targetEntry = EntryAt(translation, insn.target);
            insn.nextEntry = EntryAt(translation, insn.next);
            bool argument = insn.kind == VMKind::PushArgument || insn.firstKind == VMKind::PushArgument;
            insn.argumentSlot = static_cast<int8_t>(argument ? ArgumentSlotOf(insn.id) : -1);
        }
        // A register sequence's steps, once every entry they name is bound. A load of a built-in
        // variable that is no argumentN reads a number field through its getter; any other ends
        // the sequence there: its word reads it.
        for (VMRegisterStepInsn& step : translation.registerSteps) {
            step.site = translation.insns.data() + step.entry;
            if (step.step == VMRegisterStep::LoadArgument && step.site->argumentSlot < 0)
                step.step = RealGetterOf(step.site->id) != nullptr ? VMRegisterStep::LoadBuiltIn : VMRegisterStep::Leave;
            if (step.step == VMRegisterStep::StoreBuiltIn && RealSetterOf(step.site->id) == nullptr)
                step.step = VMRegisterStep::Leave;
            // Whose field: the site's instance is self, other or unnamed (self's).
            if (step.step == VMRegisterStep::LoadBuiltIn || step.step == VMRegisterStep::StoreBuiltIn)
                step.sourceType = step.site->instance == VM_INSTANCE_OTHER ? 1 : 0;
            if (step.step == VMRegisterStep::LoadBuiltIn) step.getReal = RealGetterOf(step.site->id);
            if (step.step == VMRegisterStep::LoadBuiltIn && g_BuiltinVariables[step.site->id].field != BUILTIN_NO_FIELD) {
                step.step = VMRegisterStep::LoadField;
                step.field = g_BuiltinVariables[step.site->id].field;
            }
            if (step.step == VMRegisterStep::StoreBuiltIn) step.setReal = RealSetterOf(step.site->id);
            if (step.step == VMRegisterStep::CallBuiltIn) BindLeaf(step);
        }
        VM_FuseRegisterSteps(translation);
        for (VMTranslatedInsn& insn : translation.insns) {
            if (insn.kind != VMKind::RealSequence) continue;
            insn.registerSteps = translation.registerSteps.data() + insn.registerFirst;
            // A loop's body that is this one sequence goes round in it.
            VMRegisterStepInsn* last = translation.registerSteps.data() + insn.registerFirst;
            while (last->step != VMRegisterStep::Leave && last->step != VMRegisterStep::Branch) ++last;
            const VMTranslatedInsn* after = last->site;
            if (last->step == VMRegisterStep::Leave && last->depth == 0 && after->kind == VMKind::CountingStep &&
                CountsUp(translation, *after) && after->targetEntry->nextEntry == &insn)
                last->step = VMRegisterStep::Loop;
            // A sequence whose words run on into another's first word goes on in its steps (not a
            // Leave that binding made at its own first word).
            if (last->step == VMRegisterStep::Leave && last->depth == 0 && after->kind == VMKind::RealSequence && after != &insn)
                last->step = VMRegisterStep::Continue;
        }
        translation.bound = true;
    };

    const uint64_t epoch = g_VMCodeEpoch;
    const VMBuffer* code = nullptr;
    VMTranslatedInsn* ip = nullptr;
    VMTranslatedInsn* next = nullptr;
    uint8_t* sp;
    uintptr_t lowWater;
    uintptr_t span;
    // The level's slots, read where a handler needs them: calls and returns change them in the state.
    VariableNode*& locals = run.localSlots;
    uint64_t generation;
    ScriptValue returned;       // what a level returning inside the loop hands its caller, made
    const uint8_t* returnedAt; // where that value lies
    VM_T_LOAD();
    goto resync;

afterCallOut:
    VM_T_LOAD();
    // The epoch first: code run meanwhile may have made this translation again.
    if (g_VMCodeEpoch == epoch && !g_VMAttention && run.code == code && run.pc == ip->nextPc && !run.stopped)
        VM_T_NEXT();
    goto resync;

resync: {
    // The run moved to other code or another place in it: find where in which translation.
    VMTranslation* translation = g_VMAttention || g_VMCodeEpoch != epoch ? nullptr : VM_Translation(run.code);
    int32_t index = translation != nullptr ? VM_TranslatedIndex(*translation, run.pc) : -1;
    if (index < 0) return false;
    if (!translation->bound) bind(*translation);
    code = run.code;
    ip = nullptr; // the error position stays the one the last call saved
    VM_T_GOTO(translation->insns.data() + index);
}

checkStack:
    // The plain loop tests the end of the code before the stack.
    if (next->kind == VMKind::End) {
        ip = next;
        goto* ip->handler;
    }
    run.sp = sp;
    run.pc = next->at;
    if (ip != nullptr) run.insnStart = ip->at;
    CheckStack(run);
    VM_T_LOAD();
    if (run.stopped || run.code != code || run.pc != next->at) goto resync;
    VM_T_GOTO(next);

tHandover:
    run.sp = sp;
    run.pc = ip->at;
    return false;

tEnd:
    if (run.callDepth == 0) {
        run.sp = sp;
        run.pc = ip->at;
        return true;
    }
    // A called script that runs off its end returns real 0.
    returnedAt = reinterpret_cast<const uint8_t*>(&REAL_ZERO);
    goto leaveScript;

tNothing:
    VM_T_NEXT();

tPushImmediate:
    sp -= 4;
    VM_Store<int32_t>(sp, ip->constant);
    VM_T_NEXT();

tPushFour:
    sp -= 4;
    std::memcpy(sp, ip->operand, 4);
    VM_T_NEXT();

tPushEight:
    sp -= 8;
    std::memcpy(sp, ip->operand, 8);
    VM_T_NEXT();

tPushVariable:
    if (VariableNode* node = ReadSiteNode(run, locals, generation, ip);
        node != nullptr && Value_GetKind(&node->value) == VALUE_REAL) {
        sp -= 16;
        VM_Store(sp, ScriptValue{node->value.kind, 0, node->value.real});
        VM_T_NEXT();
    }
    VM_T_CALL_OUT_VARIABLE(VM_DoPush(run, ip->word, VM_T_OPERAND()));

tPushArgument: {
    ScriptValue argument;
    if (SiteArgument(run, ip, &argument)) {
        sp -= 16;
        VM_Store(sp, ScriptValue{argument.kind, 0, argument.real});
        VM_T_NEXT();
    }
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    if (ReadBuiltIn(run, ip->instance, ip->id, &value)) {
        sp -= 16;
        VM_Store(sp, value);
        VM_T_NEXT();
    }
    Value_Free(&value);
    VM_T_CALL_OUT_VARIABLE(VM_DoPush(run, ip->word, VM_T_OPERAND()));
}

tPushElement:
    if (reinterpret_cast<uintptr_t>(sp) + 8 <= lowWater + span) {
        if (const ScriptValue* element = RealElement(run, locals, sp, ip->id, SiteLookup{ip, generation})) {
            sp -= 8;
            VM_Store(sp, ScriptValue{element->kind, 0, element->real});
            VM_T_NEXT();
        }
    }
    VM_T_CALL_OUT_VARIABLE(VM_DoPush(run, ip->word, VM_T_OPERAND()));

tPushGeneral:
    VM_T_CALL_OUT(VM_DoPush(run, ip->word, VM_T_OPERAND()));

tPopGeneral:
tPopVariable:
tPopElement:
tPopBuiltIn:
    VM_T_CALL_OUT_VARIABLE(VM_DoPop(run, ip->word, VM_T_OPERAND()));

#define VM_T_POP_HANDLERS(TYPE)                                                                                      \
    tPopVariable##TYPE : {                                                                                           \
        constexpr uint32_t valueSize = FastSize(VM_TYPE_##TYPE);                                                     \
        VariableNode* node = reinterpret_cast<uintptr_t>(sp) + valueSize <= lowWater + span                          \
                                 ? PlainSiteNode(run, locals, generation, ip)                                        \
                                 : nullptr;                                                                          \
        if (node != nullptr) {                                                                                       \
            TakeOver(&node->value, PoppedValue<VM_TYPE_##TYPE>(sp));                                                 \
            sp += valueSize;                                                                                         \
            VM_T_NEXT();                                                                                             \
        }                                                                                                            \
        VM_T_CALL_OUT_VARIABLE(VM_DoPop(run, ip->word, VM_T_OPERAND()));                                             \
    }                                                                                                                \
    tPopElement##TYPE : {                                                                                            \
        if (uint8_t* after = FastPop<VM_TYPE_##TYPE>(run, locals, sp, ip->word, ip->variable, lowWater + span,       \
                                                     SiteLookup{ip, generation})) {                                  \
            sp = after;                                                                                              \
            VM_T_NEXT();                                                                                             \
        }                                                                                                            \
        VM_T_CALL_OUT_VARIABLE(VM_DoPop(run, ip->word, VM_T_OPERAND()));                                             \
    }                                                                                                                \
    tPopBuiltIn##TYPE : {                                                                                            \
        constexpr uint32_t valueSize = FastSize(VM_TYPE_##TYPE);                                                     \
        if (reinterpret_cast<uintptr_t>(sp) + valueSize <= lowWater + span) {                                        \
            if (uint8_t* after = StoreBuiltIn(run, sp, ip->instance, ip->id, PoppedValue<VM_TYPE_##TYPE>(sp), valueSize)) { \
                sp = after;                                                                                          \
                VM_T_NEXT();                                                                                         \
            }                                                                                                        \
        }                                                                                                            \
        VM_T_CALL_OUT_VARIABLE(VM_DoPop(run, ip->word, VM_T_OPERAND()));                                             \
    }
    VM_T_POP_HANDLERS(VARIABLE)
    VM_T_POP_HANDLERS(DOUBLE)
    VM_T_POP_HANDLERS(INT)
#undef VM_T_POP_HANDLERS

tArithmetic:
    VM_T_FAST_OR_CALL_OUT(ArithmeticOfWord(sp, ip->word), VM_DoArithmetic(run, ip->word));

tBitwise:
    VM_T_FAST_OR_CALL_OUT(BitwiseOfWord(sp, ip->word), VM_DoArithmetic(run, ip->word));

tCompare:
    VM_T_FAST_OR_CALL_OUT(CompareOfWord(sp, ip->word), VM_DoCompare(run, ip->word));

tFast:
    // Bound per pair of types below; never reached itself.
    goto tHandover;

#define VM_T_FAST_HANDLER(KIND, OP, RIGHT, LEFT)                                                                     \
    tFast##KIND##OP##RIGHT##LEFT : VM_T_FAST_OR_CALL_OUT((Fast##KIND<VM_OP_##OP, VM_TYPE_##RIGHT, VM_TYPE_##LEFT>(sp)), \
                                                         VM_Do##KIND(run, ip->word));
    VM_FAST_OPCODES(VM_T_FAST_HANDLER)
#undef VM_T_FAST_HANDLER

tConv:
    VM_T_FAST_OR_CALL_OUT(ConvOfWord(sp, ip->word), VM_DoConv(run, ip->word));

tNegNot:
    VM_T_FAST_OR_CALL_OUT(NegNotOfWord(sp, ip->word), VM_DoNegNot(run, ip->word));

tBranch:
tBranchTrue:
tBranchFalse:
    if (((++g_BranchCounter) & BRANCH_PUMP_MASK) == 0) goto pumpAndBranch;
    // The bool's lowest byte alone counts.
    if (ip->kind == VMKind::Branch) VM_T_GOTO(ip->targetEntry);
    sp += 4;
    VM_T_GOTO((sp[-4] != 0) == (ip->kind == VMKind::BranchTrue) ? ip->targetEntry : ip + 1);

pumpAndBranch: {
    // Every 4096th branch pumps messages first. What the branch needs is read before: code run
    // meanwhile may make this translation again.
    bool conditional = ip->kind != VMKind::Branch;
    bool taken = !conditional || (*sp != 0) == (ip->kind == VMKind::BranchTrue);
    VMTranslatedInsn* target = taken ? ip->targetEntry : ip + 1;
    int32_t targetPc = target->at;
    VM_T_SAVE();
    VM_SettleArguments(run);
    g_VMMessagePump();
    NoteOutsideCode();
    VM_T_LOAD();
    if (conditional) sp += 4;
    // Breakpoints written during the pump: the plain loop finds them in the words.
    if (g_VMCodeEpoch != epoch) {
        run.sp = sp;
        run.pc = targetPc;
        return false;
    }
    VM_T_GOTO(target);
}

tDup:
    if (DupsFour(ip->word)) {
        sp -= 4;
        std::memcpy(sp, sp + 4, 4);
        VM_T_NEXT();
    }
    VM_T_CALL_OUT(VM_DoDup(run, ip->word));

tPopz:
    if (PopsFour(ip->word)) {
        sp += 4;
        VM_T_NEXT();
    }
    VM_T_CALL_OUT(VM_DoPopz(run, ip->word));

tCall:
    VM_T_CALL_OUT(DoCall(run, ip->word, VM_T_OPERAND()));

tCallScript: {
    // A script call that stays in the loop: the frame as the general routine lays it. The site
    // keeps the callee it found, bound, until code outside the loop runs; anything unusual (no such
    // script, no code, tracing, too few items, no translation) takes the general routine.
    uint32_t argc = static_cast<uint32_t>(ip->constant);
    if (argc > SCRIPT_ARGUMENT_COUNT) __builtin_unreachable(); // the translation's promise: the frame keeps all
    bool fewItems = uintptr_t{argc} * 16 > lowWater + span - reinterpret_cast<uintptr_t>(sp);
    if (ip->calleeEpoch != g_OutsideEpoch || fewItems) {
        const ResolvedScript* script = fewItems || g_TraceFlag ? nullptr : ResolveScript(ip->id);
        VMTranslation* translation = script != nullptr && script->words != nullptr ? VM_Translation(script->words) : nullptr;
        if (translation == nullptr) goto tCall;
        if (!translation->bound) bind(*translation);
        ip->calleeScript = script->code;
        ip->calleeCode = script->words;
        ip->calleeEntry = translation->insns.data();
        ip->calleeEpoch = g_OutsideEpoch;
    }
    code = ip->calleeCode;
    // A call is never joined with what follows: the entry after it is the next one.
    bool fits = EnterScript(run, sp, ip->nextPc, ip + 1, ip->calleeScript, code, argc);
    VMTranslatedInsn* first = ip->calleeEntry;
    if (!fits) {
        run.sp = run.top;
        run.insnStart = ip->at; // where a stack that cannot grow stops the run
        if (!EnterNewDepth(run)) goto afterCallOut;
        VM_T_LOAD_LEVEL();
    }
    // No code outside the loop ran: only the level's own state is new.
    sp = run.top;
    span = reinterpret_cast<uintptr_t>(sp) - lowWater;
    // The callee's stack is empty: nothing to test before its first instruction.
    ip = first;
    goto* ip->handler;
}

tRet:
    if (run.callDepth == 0) VM_T_CALL_OUT(DoReturn(run, ip->word));
    returned = ReturnedValue(sp, VM_WordFirstType(ip->word));
    returnedAt = reinterpret_cast<const uint8_t*>(&returned);
    goto leaveScript;

tRetVariable:
    // ret.v: the item is copied from where it lies, which the return leaves alone.
    if (run.callDepth == 0) VM_T_CALL_OUT(DoReturn(run, ip->word));
    returnedAt = sp;
    goto leaveScript;

tExit:
    if (run.callDepth == 0) VM_T_CALL_OUT(DoExit(run));
    returnedAt = reinterpret_cast<const uint8_t*>(&REAL_ZERO);
    goto leaveScript;

leaveScript: {
    // A script level returns inside the loop: to the entry its translated call noted, or else into
    // the caller's translation when it is current. Nothing here reads the saved position or can
    // fail, so the loop's is not saved.
    VMTranslatedInsn* entry = FrameField<VMTranslatedInsn*>(run.fp, offsetof(VMFrameHeader, returnEntry));
    sp = LeaveScript(run);
    VM_Store(sp, VM_Load<ScriptValue>(returnedAt));
    code = run.code;
    if (entry == nullptr) {
        VMTranslation* caller = CurrentTranslation(code, epoch);
        int32_t index = caller != nullptr ? VM_TranslatedIndex(*caller, run.pc) : -1;
        if (index < 0) goto afterCallOut;
        entry = caller->insns.data() + index;
    }
    span = reinterpret_cast<uintptr_t>(run.top) - lowWater;
    generation = g_VariableGeneration; // the level's list of locals without a slot may have been emptied
    // The place lies among the items the caller pushed, or just below them for a call without any.
    VM_T_JUMP(entry);
}

tArgumentReturn: {
    // A called level's `return argumentN` of a real; the push must not reach a new depth.
    ScriptValue argument;
    if (run.callDepth > 0 && reinterpret_cast<uintptr_t>(sp) - lowWater >= 16 && SiteArgument(run, ip, &argument)) {
        returned = ScriptValue{VALUE_REAL, 0, argument.real};
        returnedAt = reinterpret_cast<const uint8_t*>(&returned);
        goto leaveScript;
    }
    goto* ip->fallback;
}

tArithmeticReturn: {
    // A called level's `return a + b` of two reals within the level; the sum, the common one, is
    // tested before the rest.
    double value;
    if (run.callDepth > 0 && reinterpret_cast<uintptr_t>(sp) + 32 <= lowWater + span &&
        (VM_Load<uint32_t>(sp) & VALUE_KIND_MASK) == VALUE_REAL && (VM_Load<uint32_t>(sp + 16) & VALUE_KIND_MASK) == VALUE_REAL &&
        CombineReals(ip->opcode, VM_Load<double>(sp + 24), VM_Load<double>(sp + 8), &value)) {
        returned = ScriptValue{VALUE_REAL, 0, value};
        returnedAt = reinterpret_cast<const uint8_t*>(&returned);
        goto leaveScript;
    }
    goto* ip->fallback;
}

tPushEnv:
    VM_T_CALL_OUT(VM_DoPushEnv(run, ip->word, ip->at));

tPopEnv:
    VM_T_CALL_OUT(VM_DoPopEnv(run, ip->word, ip->at));

tBreakCheck:
    VM_T_CALL_OUT(VM_DoBreakCheck(run, ip->word));

    // Superinstructions. Each runs whole only where its words would run their fast paths without
    // reaching a new stack depth; otherwise its first word runs alone, as the fallback.
tVarConstBranch: {
    double left;
    VariableNode* node;
    if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH && SiteReal(run, locals, generation, ip, &left, &node)) {
        bool result = CompareReal(ip->opcode, left, ip->constant);
        // Every 4096th branch pumps messages: that one runs alone.
        if (((g_BranchCounter + 1) & BRANCH_PUMP_MASK) != 0) {
            ++g_BranchCounter;
            bool taken = ip->branchOpcode == VM_OP_BT ? result : !result;
            VM_T_JUMP(taken ? ip->targetEntry : ip->nextEntry);
        }
        sp -= 4;
        VM_Store<int32_t>(sp, result ? 1 : 0);
        VM_T_GOTO(ip->nextEntry - 1);
    }
    goto* ip->fallback;
}

    // As VarConstBranch, the stack left as the entry found it. The 4096th branch, which pumps
    // messages, is left to the separate words. `argumentN < integer`, a recursion's usual test, has
    // a handler for each sense of the branch (BELOW: the bool that takes the branch).
#define VM_T_ARG_CONST_BRANCH_HANDLER(NAME, TEST)                                                                    \
    NAME : {                                                                                                         \
        ScriptValue argument;                                                                                        \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH &&                                             \
            ((g_BranchCounter + 1) & BRANCH_PUMP_MASK) != 0 && SiteArgument(run, ip, &argument)) {                   \
            ++g_BranchCounter;                                                                                       \
            VM_T_JUMP(TEST ? ip->targetEntry : ip->nextEntry);                                                       \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
#define VM_T_BELOW(BELOW) ((argument.real - static_cast<double>(ip->constant) < -Code_CompareEpsilon) == BELOW)
    VM_T_ARG_CONST_BRANCH_HANDLER(tArgConstBranch, (CompareReal(ip->opcode, argument.real, ip->constant) ==
                                                    (ip->branchOpcode == VM_OP_BT)))
    VM_T_ARG_CONST_BRANCH_HANDLER(tArgBelowBranchTrue, VM_T_BELOW(true))
    VM_T_ARG_CONST_BRANCH_HANDLER(tArgBelowBranchFalse, VM_T_BELOW(false))
#undef VM_T_BELOW
#undef VM_T_ARG_CONST_BRANCH_HANDLER

    // argumentN combined with an integer, the result left; a call's `argumentN - 1` has a handler of
    // its own.
#define VM_T_ARG_CONST_HANDLER(NAME, COMBINE)                                                                        \
    NAME : {                                                                                                         \
        ScriptValue argument;                                                                                        \
        double value;                                                                                                \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH && SiteArgument(run, ip, &argument) &&        \
            COMBINE) {                                                                                               \
            sp -= 16;                                                                                                \
            VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});                                                         \
            VM_T_JUMP(ip->nextEntry);                                                                                \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
    VM_T_ARG_CONST_HANDLER(tArgConst, CombineReal(ip->opcode, argument.real, ip->constant, &value))
    VM_T_ARG_CONST_HANDLER(tArgMinus, (value = argument.real - static_cast<double>(ip->constant), true))
#undef VM_T_ARG_CONST_HANDLER

tVarConstStore: {
    double left, value;
    VariableNode* node;
    if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH && VariableReal(run, locals, generation, ip, &left, &node) &&
        CombineReal(ip->opcode, left, ip->constant, &value)) {
        node->value.kind = VALUE_REAL;
        node->value.ref = 0;
        node->value.real = value;
        VM_T_JUMP(ip->nextEntry);
    }
    goto* ip->fallback;
}

    // VarConstStore, then the branch back (`next`) and the test it leads to (`target`), each
    // counting its branch as it would alone; when either branch is the message pump's turn, the
    // branch's own entry takes it. A handler for a local variable and one for any other, each also
    // for the commonest loop, counting up by an addition while less than its limit (UP).
#define VM_T_COUNTING_STEP_HANDLER(NAME, LOCAL, UP)                                                                  \
    NAME : {                                                                                                         \
        double left, value;                                                                                          \
        VariableNode* node;                                                                                          \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater < FUSED_DEPTH ||                                              \
            !VariableReal<LOCAL>(run, locals, generation, ip, &left, &node))                                         \
            goto* ip->fallback;                                                                                      \
        if (UP)                                                                                                      \
            value = left + static_cast<double>(ip->constant);                                                        \
        else if (!CombineReal(ip->opcode, left, ip->constant, &value))                                               \
            goto* ip->fallback;                                                                                      \
        node->value = ScriptValue{VALUE_REAL, 0, value};                                                             \
        VMTranslatedInsn* test = ip->targetEntry;                                                                    \
        uint32_t counter = g_BranchCounter;                                                                          \
        if (((counter + 2) & BRANCH_PUMP_MASK) < 2) [[unlikely]] {                                                   \
            /* The branch back's count or the test's reaches the pump. */                                            \
            ip = ip->nextEntry;                                                                                      \
            g_BranchCounter = ++counter;                                                                             \
            if ((counter & BRANCH_PUMP_MASK) == 0) goto pumpAndBranch;                                               \
            VM_T_JUMP(test);                                                                                         \
        }                                                                                                            \
        g_BranchCounter = counter + 2;                                                                               \
        ip = test;                                                                                                   \
        if (UP)                                                                                                      \
            VM_T_JUMP(value - static_cast<double>(test->constant) < -Code_CompareEpsilon ? test->nextEntry           \
                                                                                          : test->targetEntry);      \
        bool taken = CompareReal(test->opcode, value, test->constant) == (test->branchOpcode == VM_OP_BT);           \
        VM_T_JUMP(taken ? test->targetEntry : test->nextEntry);                                                      \
    }
    VM_T_COUNTING_STEP_HANDLER(tCountingStep, false, false)
    VM_T_COUNTING_STEP_HANDLER(tCountingStepLocal, true, false)
    VM_T_COUNTING_STEP_HANDLER(tCountingUp, false, true)
    VM_T_COUNTING_STEP_HANDLER(tCountingUpLocal, true, true)
#undef VM_T_COUNTING_STEP_HANDLER

    // A variable combined with one integer or two, the result left: a handler each, since a test
    // of the kind would cost the calls' common `argument0 - 1` more than the two handlers' size.
#define VM_T_VAR_CONST_HANDLER(KIND)                                                                                 \
    t##KIND : {                                                                                                      \
        double value;                                                                                                \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH &&                                             \
            KIND##Real(run, locals, generation, ip, &value)) {                                                       \
            sp -= 16;                                                                                                \
            VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});                                                         \
            VM_T_GOTO(ip->nextEntry);                                                                             \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
    VM_T_VAR_CONST_HANDLER(VarConst)
    VM_T_VAR_CONST_HANDLER(VarConstOp)
#undef VM_T_VAR_CONST_HANDLER

tVarConstTest: {
    double left;
    VariableNode* node;
    if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH && SiteReal(run, locals, generation, ip, &left, &node)) {
        sp -= 4;
        VM_Store<int32_t>(sp, CompareReal(ip->opcode, left, ip->constant) ? 1 : 0);
        VM_T_GOTO(ip->nextEntry);
    }
    goto* ip->fallback;
}

tArithmeticStore: {
    // Both items must lie within the level, as the arithmetic's and the pop's own tests require.
    double value;
    if (reinterpret_cast<uintptr_t>(sp) + 32 <= lowWater + span && (VM_Load<uint32_t>(sp) & VALUE_KIND_MASK) == VALUE_REAL &&
        (VM_Load<uint32_t>(sp + 16) & VALUE_KIND_MASK) == VALUE_REAL &&
        RealArithmetic(ip->opcode, VM_TYPE_VARIABLE, VM_Load<double>(sp + 24), VM_Load<double>(sp + 8), &value) &&
        StoreReal(run, locals, generation, ip + 1, value)) {
        sp += 32;
        VM_T_GOTO(ip->nextEntry);
    }
    goto* ip->fallback;
}

tVariableCombine:
    // Bound per joined push below; never reached itself.
    goto tHandover;

    // A variable, the joined push after it and the ArithmeticStore entry at `target`: the words
    // push at most a variable item more than the joined push does. INTO_FIRST: the result goes into
    // the variable pushed first (`s = s + x`), whose node holds the real just read: it is written
    // in place without finding it again.
#define VM_T_COMBINE_HANDLER_OF(PUSHED, NAME, LOCAL, INTO_FIRST)                                                     \
    NAME : {                                                                                                         \
        double left, right, value;                                                                                   \
        VariableNode* node;                                                                                          \
        VMTranslatedInsn* combine = ip->targetEntry;                                                                 \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= 16 + FUSED_DEPTH &&                                        \
            VariableReal<LOCAL>(run, locals, generation, ip, &left, &node) &&                                        \
            PushedReal<VMKind::PUSHED, LOCAL>(run, locals, generation, ip + 1, &right) &&                            \
            CombineReals(combine->opcode, left, right, &value)) {                                                    \
            if (INTO_FIRST) {                                                                                        \
                node->value = ScriptValue{VALUE_REAL, 0, value};                                                     \
                VM_T_JUMP(ip->nextEntry);                                                                            \
            }                                                                                                        \
            if (StoreReal<LOCAL>(run, locals, generation, combine + 1, value)) VM_T_JUMP(ip->nextEntry);             \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
#define VM_T_COMBINE_HANDLER(PUSHED)                                                                                 \
    VM_T_COMBINE_HANDLER_OF(PUSHED, tVariableCombine##PUSHED, false, false)                                          \
    VM_T_COMBINE_HANDLER_OF(PUSHED, tVariableCombine##PUSHED##Local, true, false)                                    \
    VM_T_COMBINE_HANDLER_OF(PUSHED, tVariableCombine##PUSHED##IntoFirst, false, true)                                \
    VM_T_COMBINE_HANDLER_OF(PUSHED, tVariableCombine##PUSHED##LocalIntoFirst, true, true)
    VM_T_COMBINED_PUSHES(VM_T_COMBINE_HANDLER)
#undef VM_T_COMBINE_HANDLER_OF
#undef VM_T_COMBINE_HANDLER

tElementRead:
    if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH) {
        if (const ScriptValue* value = ElementReadValue(run, locals, generation, ip)) {
            sp -= 16;
            VM_Store(sp, ScriptValue{value->kind, 0, value->real});
            VM_T_GOTO(ip->nextEntry);
        }
    }
    goto* ip->fallback;

    // As ElementRead, the value beneath taken over by an element that exists already (or fits its
    // row's spare room); anything else, growing included, is the separate words' business. A
    // handler for a local array indexed by a local and one for any other.
#define VM_T_ELEMENT_STORE_HANDLER(NAME, LOCAL)                                                                      \
    NAME : {                                                                                                         \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= FUSED_DEPTH &&                                             \
            reinterpret_cast<uintptr_t>(sp) + 16 <= lowWater + span) {                                               \
            if (ScriptValue* place = ElementToStore<LOCAL>(run, locals, generation, ip)) {                           \
                TakeOver(place, VM_Load<ScriptValue>(sp));                                                           \
                sp += 16;                                                                                            \
                VM_T_GOTO(ip->nextEntry);                                                                            \
            }                                                                                                        \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
    VM_T_ELEMENT_STORE_HANDLER(tElementStore, false)
    VM_T_ELEMENT_STORE_HANDLER(tElementStoreLocal, true)
#undef VM_T_ELEMENT_STORE_HANDLER

    // VarConst, then the ElementStore entry at `target` taking its result: the separate words
    // reach a variable item deeper than the store's own. AT_FIRST: the index is the variable the
    // combination read (`a[i] = i * 2`), whose real is taken as it was read.
#define VM_T_VAR_CONST_ELEMENT_STORE_HANDLER(NAME, LOCAL, AT_FIRST)                                                  \
    NAME : {                                                                                                         \
        double left, value;                                                                                          \
        VariableNode* node;                                                                                          \
        if (reinterpret_cast<uintptr_t>(sp) - lowWater >= 16 + FUSED_DEPTH &&                                        \
            VariableReal<LOCAL>(run, locals, generation, ip, &left, &node) &&                                        \
            CombineReal(ip->opcode, left, ip->constant, &value)) {                                                   \
            ScriptValue* place = AT_FIRST ? ElementToStoreAt<LOCAL>(run, locals, generation, ip->targetEntry, left)  \
                                          : ElementToStore<LOCAL>(run, locals, generation, ip->targetEntry);         \
            if (place != nullptr) {                                                                                  \
                TakeOver(place, ScriptValue{VALUE_REAL, 0, value});                                                  \
                VM_T_JUMP(ip->nextEntry);                                                                            \
            }                                                                                                        \
        }                                                                                                            \
        goto* ip->fallback;                                                                                          \
    }
    VM_T_VAR_CONST_ELEMENT_STORE_HANDLER(tVarConstElementStore, false, false)
    VM_T_VAR_CONST_ELEMENT_STORE_HANDLER(tVarConstElementStoreLocal, true, false)
    VM_T_VAR_CONST_ELEMENT_STORE_HANDLER(tVarConstElementStoreAtFirst, false, true)
    VM_T_VAR_CONST_ELEMENT_STORE_HANDLER(tVarConstElementStoreLocalAtFirst, true, true)
#undef VM_T_VAR_CONST_ELEMENT_STORE_HANDLER

tConstOp: {
    // The variable beneath must lie within the level, and the integer's push must not reach a new
    // depth, or the separate words would stop between them.
    double value;
    if (reinterpret_cast<uintptr_t>(sp) - lowWater >= 4 && reinterpret_cast<uintptr_t>(sp) + 16 <= lowWater + span &&
        (VM_Load<uint32_t>(sp) & VALUE_KIND_MASK) == VALUE_REAL &&
        CombineReal(ip->opcode, VM_Load<double>(sp + 8), ip->constant, &value)) {
        VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
        VM_T_GOTO(ip->nextEntry);
    }
    goto* ip->fallback;
}

    // A register sequence. Its words' pushes must not reach a new depth, as each push's own test
    // requires; the stack it starts on is the level's, since it reads no item it did not make.
    // The steps run out of line, which leaves this loop's registers as the other handlers want them.
tRealSequence: {
    if (reinterpret_cast<uintptr_t>(sp) - lowWater < ip->registerBytes) goto* ip->fallback;
    uint64_t outside = g_OutsideEpoch;
    RegisterExit exit = RunRegisterSteps(run, locals, generation, ip, sp);
    sp = exit.sp;
    ip = exit.next;
    if (exit.how == RegisterExitHow::AfterCall) goto afterCallOut;
    if (g_OutsideEpoch != outside) {
        // Code outside the loop ran: the level's state is taken again, as after a call out.
        run.sp = sp;
        VM_T_LOAD();
    }
    if (exit.how == RegisterExitHow::FirstWord) goto* ip->fallback;
    VM_T_GOTO(ip);
}
}

#undef VM_T_SAVE
#undef VM_T_LOAD_LEVEL
#undef VM_T_LOAD
#undef VM_T_GOTO
#undef VM_T_NEXT
#undef VM_T_JUMP
#undef VM_T_CALL_OUT
#undef VM_T_CALL_OUT_VARIABLE
#undef VM_T_OPERAND
#undef VM_T_FAST_OR_CALL_OUT
#undef VM_T_COMBINED_PUSHES

// The stack region of a run at this depth: the one kept from an earlier run, or a new one.
VMRegion& RegionFor(int32_t depth)
{
    size_t at = static_cast<size_t>(depth);
    if (at >= g_Regions.size()) g_Regions.resize(at + 1, VMRegion{nullptr, 0});
    VMRegion& region = g_Regions[at];
    if (region.base == nullptr) {
        region.base = static_cast<uint8_t*>(MEM_ALLOC(VM_STACK_INITIAL, false));
        region.size = VM_STACK_INITIAL;
    }
    return region;
}

std::vector<VMWithEnv>* EnvTableFor(int32_t depth)
{
    size_t at = static_cast<size_t>(depth);
    if (at >= g_EnvTables.size()) g_EnvTables.resize(at + 1, nullptr);
    if (g_EnvTables[at] == nullptr) g_EnvTables[at] = new std::vector<VMWithEnv>();
    return g_EnvTables[at];
}

void ReleaseLargeRegion(int32_t depth)
{
    VMRegion& region = g_Regions[static_cast<size_t>(depth)];
    if (region.size <= REGION_KEEP_LIMIT) return;
    MemoryManager::Free(region.base);
    region = VMRegion{nullptr, 0};
}

} // namespace

void VM_MoveArgumentsToGlobals(VMRunState& run)
{
    uint8_t* saved = run.fp + FRAME_HEADER_SIZE;
    uint32_t savedSlots = ArgumentSlotBound();
    StoreFrameField(run.fp, offsetof(VMFrameHeader, callerArgCount), g_ScriptArgumentCount);
    g_ScriptArgumentCount = FrameField<int32_t>(run.fp, offsetof(VMFrameHeader, argumentCount));
    for (uint32_t i = 0; i < savedSlots; ++i) VM_Store(saved + 16 * i, g_ScriptArguments[i]);
    for (uint32_t i = 0; i < run.argumentSlots; ++i) g_ScriptArguments[i] = VM_Load<ScriptValue>(run.arguments + 16 * i);
    for (uint32_t i = run.argumentSlots; i < savedSlots; ++i) g_ScriptArguments[i] = ScriptValue{VALUE_REAL, 0, 0.0};
    SetArgumentSlotBound(run.argumentSlots);
    StoreFrameField(run.fp, offsetof(VMFrameHeader, savedSlots), savedSlots);
    run.arguments = VM_GlobalArguments();
    run.argumentSlots = SCRIPT_ARGUMENT_COUNT;
}

const char* VM_RunName(const VMRunState& run) { return run.script != nullptr ? run.script->GetName() : run.runName; }

const VMBuffer* VM_RunDebugInfo(const VMRunState& run)
{
    return run.script != nullptr ? run.script->m_pDebugInfo : run.runDebugInfo;
}

const char* VM_RunText(const VMRunState& run) { return run.script != nullptr ? run.script->GetText() : run.runText; }

CVariableList* VM_MakeLocals(VMRunState& run)
{
    CVariableList* list = nullptr;
    if (g_SpareLocals.empty()) {
        list = new CVariableList();
    } else {
        list = g_SpareLocals.back();
        g_SpareLocals.pop_back();
    }
    if (run.callDepth == 0)
        run.runLocals = list;
    else
        StoreFrameField(run.fp, offsetof(VMFrameHeader, levelLocals), list);
    run.localCount |= VM_LEVEL_HAS_LIST;
    return list;
}

CVariableList* VM_LevelList(const VMRunState& run)
{
    if (!(run.localCount & VM_LEVEL_HAS_LIST)) return nullptr;
    return run.callDepth == 0 ? run.runLocals : FrameField<CVariableList*>(run.fp, offsetof(VMFrameHeader, levelLocals));
}

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

bool VM_EnsureStack(VMRunState& run, uint32_t bytes)
{
    uint64_t needed = static_cast<uint64_t>(bytes) + VM_STACK_HEADROOM;
    uint64_t available = static_cast<uint64_t>(run.sp - run.base);
    if (available >= needed) return true;
    uint64_t newSize = GrownSize(run.size, run.size + needed - available);
    if (newSize > VM_STACK_LIMIT) {
        VM_Error(run, "Stack overflow...");
        return false;
    }
    return ReplaceRegion(run, static_cast<uint32_t>(newSize));
}

ScriptValue VM_ItemToValue(const uint8_t* at, uint32_t type)
{
    switch (type) {
    case VM_TYPE_DOUBLE: return ScriptValue{VALUE_REAL, 0, VM_Load<double>(at)};
    case VM_TYPE_FLOAT: return ScriptValue{VALUE_REAL, 0, static_cast<double>(VM_Load<float>(at))};
    case VM_TYPE_INT: return ScriptValue{VALUE_REAL, 0, static_cast<double>(VM_Load<int32_t>(at))};
    case VM_TYPE_LONG: return ScriptValue{VALUE_REAL, 0, static_cast<double>(VM_Load<int64_t>(at))};
    case VM_TYPE_BOOL: return ScriptValue{VALUE_REAL, 0, at[0] != 0 ? 1.0 : 0.0};
    case VM_TYPE_VARIABLE: return VM_Load<ScriptValue>(at);
    case VM_TYPE_STRING: return ScriptValue{VALUE_STRING, VM_Load<uint32_t>(at), 0.0};
    default: return ScriptValue{VALUE_REAL, 0, 0.0};
    }
}

namespace {

// By run depth: the state the last run there started from, before its self and other. A walk runs one
// handler for every instance of an object, so the next run mostly starts from the same state; it is
// taken again only when everything it was made from is the same (the region may have grown or been
// freed, the code's words replaced), which makes it exactly what making it afresh would give.
std::vector<VMRunState>& g_StartStates = *new std::vector<VMRunState>();

// What a run can change under a kept start of its code: its region (grown or freed) and the code's
// words and slots (written again).
inline bool StartStillFits(const VMRunState& state, const VMRegion& region)
{
    const VMBuffer* code = state.runCode;
    return state.base == region.base && state.size == region.size && state.words == code->m_pWords &&
           state.codeSize == code->m_Size && static_cast<int32_t>(state.localCount) == code->m_LocalSlots.count;
}

bool StartStateFits(const VMRunState& state, const char* name, const VMBuffer* code, const VMBuffer* debugInfo,
                    const char* text, const VMRegion& region)
{
    return state.runCode == code && state.runName == name && state.runDebugInfo == debugInfo &&
           state.runText == text && state.instances == Variable_Instances() && StartStillFits(state, region);
}

// The state of a run of `code` at `depth` with nothing run yet. The run's own level has no frame: its
// place is the region's end, its local slots and a guard above its empty stack as below every
// level's frame, so that a return finds the caller's empty stack one way.
[[gnu::noinline]] const VMRunState& MakeStartState(int32_t depth, const char* name, const VMBuffer* code,
                                                   const VMBuffer* debugInfo, const char* text)
{
    VMRegion& region = RegionFor(depth);
    std::vector<VMWithEnv>* envs = EnvTableFor(depth);
    size_t at = static_cast<size_t>(depth);
    if (at >= g_StartStates.size()) g_StartStates.resize(at + 1, VMRunState{});
    VMRunState& run = g_StartStates[at];
    run = VMRunState{};
    run.runDepth = depth;
    run.base = region.base;
    run.size = region.size;
    run.fp = RegionEnd(run);
    run.localCount = static_cast<uint32_t>(VM_FindLocalSlots(code).count); // no list yet
    run.localSlots = VM_LevelSlots(run.fp, run.localCount);
    run.initialTop = reinterpret_cast<uint8_t*>(run.localSlots) - VM_STACK_GUARD;
    run.sp = run.top = run.initialTop;
    run.arguments = VM_GlobalArguments();
    run.argumentSlots = SCRIPT_ARGUMENT_COUNT;
    run.runCode = code;
    run.runDebugInfo = debugInfo;
    run.runText = text;
    run.runName = name;
    EnterCode(run, code);
    run.instances = Variable_Instances();
    run.envs = envs;
    return run;
}

inline const VMRunState& StartState(int32_t depth, const char* name, const VMBuffer* code,
                                    const VMBuffer* debugInfo, const char* text)
{
    size_t at = static_cast<size_t>(depth);
    if (at < g_StartStates.size() && at < g_Regions.size()) {
        const VMRunState& kept = g_StartStates[at];
        if (StartStateFits(kept, name, code, debugInfo, text, g_Regions[at])) return kept;
    }
    return MakeStartState(depth, name, code, debugInfo, text);
}

// Every run counts itself as it starts: a state kept from one run is as its start only while no
// other run has written its region since.
uint64_t g_RunsStarted = 1; // 0 is never a count kept

// How a run ended.
enum class RunEnd : uint8_t {
    Steps,  // its first register sequence ran to the code's end: no word ran
    Loop,   // in the translated loop
    Handed, // the plain loop goes on from the saved state
};

// A run's start from a start state for self and other, which the caller checked may run here; its low
// water (InitialLowWater) set by the caller, and what earlier runs left in its guard cleared.
[[gnu::always_inline]] inline void EnterRun(VMRunState& run, CInstance* self, CInstance* other)
{
    ++g_RunDepth;
    ++g_RunsStarted;
    VM_ClearSlots(run.localSlots, run.localCount);
    run.self = self;
    run.other = other;
    run.savedArgCount = g_ScriptArgumentCount;
    run.previous = g_pVMRun;
    g_pVMRun = &run;
    NoteOutsideCode();
}

// The steps of the code's first register sequence `head`, run straight from the start without the
// translated loop's entry: code that begins with one, as most short handlers do, mostly ends in them.
[[gnu::always_inline]] inline RegisterExit RunFirstSequence(VMRunState& run, VMTranslatedInsn* head)
{
    run.selfListOf = nullptr;
    return RunRegisterSteps(run, run.localSlots, g_VariableGeneration, head, run.sp);
}

// The run's end after what ran. True when the state stands as its start again but for self, other,
// the pc and the error position: the steps alone ran, left nothing on the stack and stopped nothing,
// which touches nothing else in it (a built-in they call that changes the run makes the words go on).
[[gnu::always_inline]] inline bool LeaveRun(VMRunState& run, ScriptValue* result, RunEnd end)
{
    if (end == RunEnd::Handed) RunLoop(run);
    // Breakpoints wait to go back in only while the loop is asked to attend.
    if (g_VMAttention != 0) VM_FinishBreaks();

    g_ScriptArgumentCount = run.savedArgCount;
    // A program mostly ends with nothing left to take; only a return word leaves a result without.
    bool empty = run.sp == run.initialTop && (end == RunEnd::Steps || !run.returned);
    uint32_t taken = !empty && (run.returned || run.initialTop - run.sp >= 16) ? TakeResult(run, result) : 0;
    g_LastRunStackBytes = static_cast<int32_t>(run.initialTop - run.sp) - static_cast<int32_t>(taken);
    DropLevelLocals(run);
    g_pVMRun = run.previous;
    --g_RunDepth;
    // Only a run at this depth grows its region, and it keeps run.size as the region's.
    if (run.size > REGION_KEEP_LIMIT) {
        ReleaseLargeRegion(run.runDepth);
        return false;
    }
    return end == RunEnd::Steps && empty && !run.stopped;
}

// Whether the steps left the words at the code's end, with nothing run after them.
[[gnu::always_inline]] inline bool StepsReachedEnd(const RegisterExit& exit)
{
    return exit.how == RegisterExitHow::Words && exit.next->kind == VMKind::End;
}

// The run after its first sequence's steps left the words at `exit` short of the code's end: on in the
// loops from there, as the sequence's own handler would go on, the steps having started in the code
// epoch `epoch`. The loop finds the place from the state as a call out leaves it: after a built-in's
// call out, as that saved it, where the plain loop goes on when it wrote code words; else the entry
// the steps left at, with the live items on the stack (before the first word that entry's handler
// runs its steps again, which leave at the same place, having changed nothing).
[[gnu::noinline]] bool RunOnAfterSteps(VMRunState& run, const RegisterExit& exit, uint64_t epoch, ScriptValue* result)
{
    if (exit.how == RegisterExitHow::AfterCall) {
        if (g_VMCodeEpoch != epoch) return LeaveRun(run, result, RunEnd::Handed);
    } else {
        run.sp = exit.sp;
        run.pc = run.insnStart = exit.next->at;
    }
    return LeaveRun(run, result, RunTranslated(run) ? RunEnd::Loop : RunEnd::Handed);
}

// A run from its start state (EnterRun), `known` its code's first register sequence when the caller
// knows it may run from the state as it is; without it, found here as RunTranslated would find it.
// LeaveRun's answer.
[[gnu::always_inline]] inline bool RunFromStart(VMRunState& run, CInstance* self, CInstance* other, ScriptValue* result,
                                                VMTranslatedInsn* known = nullptr)
{
    EnterRun(run, self, other);
    const uint64_t epoch = g_VMCodeEpoch;
    VMTranslatedInsn* head = known;
    if (head == nullptr) {
        VMTranslation* translation = g_VMAttention || !g_VMTranslate ? nullptr : CurrentTranslation(run.code, epoch);
        head = translation != nullptr ? translation->insns.data() : nullptr;
        if (head == nullptr || head->kind != VMKind::RealSequence || head->at != run.pc ||
            reinterpret_cast<uintptr_t>(run.sp) - reinterpret_cast<uintptr_t>(run.lowWater) < head->registerBytes)
            return LeaveRun(run, result, RunTranslated(run) ? RunEnd::Loop : RunEnd::Handed);
    }
    RegisterExit exit = RunFirstSequence(run, head);
    if (!StepsReachedEnd(exit)) return RunOnAfterSteps(run, exit, epoch, result);
    // The pc stays where the steps left it: nothing reads it after the run.
    run.sp = exit.sp;
    return LeaveRun(run, result, RunEnd::Steps);
}

} // namespace

void VM_Exec(const char* name, CInstance* self, CInstance* other, const VMBuffer* code, ScriptValue* result,
             const VMBuffer* debugInfo, const char* text)
{
    if (g_TraceFlag) MainConsole->Output("script = %s\n", name != nullptr ? name : "");
    if (code == nullptr || code->m_pWords == nullptr || code->m_Size <= 0) return;
    // A run nested by a built-in in the running code: too deep for the native stack, and that code
    // fails as its own runaway recursion would.
    if (g_pVMRun != nullptr && Code_NativeStackLow()) {
        VM_Error(*g_pVMRun, "Stack overflow...");
        return;
    }
    VMRunState run = StartState(g_RunDepth, name, code, debugInfo, text);
    run.lowWater = InitialLowWater(run);
    std::memset(run.initialTop, 0, VM_STACK_GUARD);
    RunFromStart(run, self, other, result);
}

struct VMPreparedRun {
    VMRunState start;   // made at the depth of the preparing caller
    uint32_t highWater; // the depth earlier runs reached when start.lowWater was set
    // The state runs use, taken from start again unless the last run left it as start and no run
    // came since (g_RunsStarted was keptAt): a walk's runs mostly follow each other that way. Such a
    // run also ran its steps alone in the translation kept here, made in the code epoch kept here,
    // and started no other run: while those stand, every test of a start holds as it did.
    VMRunState live;
    uint64_t keptAt;
    uint64_t keptEpoch;
    VMTranslation* keptTranslation;
};

namespace {

// The start's low water for the depth earlier runs reached, which only grows: set again when it did.
void SetLowWater(VMPreparedRun& prepared)
{
    prepared.start.lowWater = InitialLowWater(prepared.start);
    prepared.highWater = g_StackHighWater;
    prepared.keptAt = 0; // before any run
}

} // namespace

VMPreparedRun* VM_PrepareRun(const char* name, const VMBuffer* code, const VMBuffer* debugInfo, const char* text)
{
    VMPreparedRun* prepared = new VMPreparedRun{};
    VMRunState& start = prepared->start;
    start.runName = name;
    start.runCode = code;
    start.runDebugInfo = debugInfo;
    start.runText = text;
    if (code != nullptr && code->m_pWords != nullptr && code->m_Size > 0) {
        start = StartState(g_RunDepth, name, code, debugInfo, text);
        SetLowWater(*prepared);
    }
    return prepared;
}

namespace {

// The start made afresh for the same code; false when its words are gone and nothing is to run.
[[gnu::noinline]] bool RemakeStart(VMRunState& start)
{
    const VMBuffer* code = start.runCode;
    if (code->m_pWords == nullptr || code->m_Size <= 0) return false;
    start = StartState(start.runDepth, start.runName, code, start.runDebugInfo, start.runText);
    return true;
}

// Whether what code outside runs may change under a kept start stands: the code's words, the epoch,
// the debugger's requests and the trace.
inline bool KeptCodeStands(const VMPreparedRun& prepared)
{
    const VMRunState& start = prepared.start;
    const VMBuffer* code = start.runCode;
    return prepared.keptEpoch == g_VMCodeEpoch && !g_VMAttention && !g_TraceFlag && g_VMTranslate &&
           code->m_pWords == start.words && code->m_Size == start.codeSize &&
           code->m_pTranslation == prepared.keptTranslation;
}

// The first register sequence of the prepared code when the last run left the state as its start
// and nothing since can have changed what a start is tested for: no run came (none grew or freed a
// region, moved the high water or went into the debugger) and the code stands. Null otherwise.
inline VMTranslatedInsn* KeptHead(const VMPreparedRun& prepared)
{
    if (prepared.keptAt != g_RunsStarted || !KeptCodeStands(prepared)) return nullptr;
    return prepared.keptTranslation->insns.data();
}

// A kept state's place put back as its start's: only a built-in's call out moves it, and nothing
// reads it after a run.
inline void PutBackStartPlace(VMPreparedRun& prepared)
{
    prepared.live.pc = prepared.start.pc;
    prepared.live.insnStart = prepared.start.insnStart;
}

// After a run from the prepared state: whether it left the state as its start (LeaveRun, which also
// says no when it gave back the region) and started no other run, so that the next run may start
// from it as it is.
inline void NoteKept(VMPreparedRun& prepared, bool clean, uint64_t before)
{
    if (!clean || g_RunsStarted != before + 1) {
        prepared.keptAt = 0;
        return;
    }
    PutBackStartPlace(prepared);
    prepared.keptAt = g_RunsStarted;
}

template <bool WANTS_RESULT>
[[gnu::noinline]] void ExecPrepared(VMPreparedRun* prepared, CInstance* self, CInstance* other, ScriptValue* result)
{
    VMRunState& start = prepared->start;
    VMRunState& run = prepared->live;
    // Only an outermost run at the depth it was prepared for starts from the kept state; VM_Exec makes
    // every other start (and says what it runs when tracing).
    if (g_pVMRun != nullptr || g_TraceFlag || g_RunDepth != start.runDepth || start.base == nullptr) {
        VM_Exec(start.runName, self, other, start.runCode, result, start.runDebugInfo, start.runText);
        return;
    }
    if (!StartStillFits(start, g_Regions[static_cast<size_t>(start.runDepth)])) {
        if (!RemakeStart(start)) return;
        SetLowWater(*prepared);
    } else if (prepared->highWater != g_StackHighWater) {
        SetLowWater(*prepared);
    }
    if (prepared->keptAt != g_RunsStarted) {
        run = start;
        std::memset(run.initialTop, 0, VM_STACK_GUARD);
    }
    const uint64_t before = g_RunsStarted;
    NoteKept(*prepared, RunFromStart(run, self, other, WANTS_RESULT ? result : nullptr), before);
    prepared->keptEpoch = g_VMCodeEpoch;
    prepared->keptTranslation = run.code->m_pTranslation;
}

// A walk's runs mostly start from the state the last one left, its code's first sequence known:
// without the tests of a start, and without a result to take.
[[gnu::always_inline]] inline void ExecPreparedWithoutResult(VMPreparedRun* prepared, CInstance* self, CInstance* other)
{
    if (VMTranslatedInsn* head = KeptHead(*prepared)) {
        const uint64_t before = g_RunsStarted;
        NoteKept(*prepared, RunFromStart(prepared->live, self, other, nullptr, head), before);
        return;
    }
    ExecPrepared<false>(prepared, self, other, nullptr);
}

} // namespace

void VM_ExecPrepared(VMPreparedRun* prepared, CInstance* self, CInstance* other, ScriptValue* result)
{
    if (result == nullptr)
        ExecPreparedWithoutResult(prepared, self, other);
    else
        ExecPrepared<true>(prepared, self, other, result);
}

namespace {

// Whether the steps ended the run at the code's end with nothing left on the stack and nothing stopped.
[[gnu::always_inline]] inline bool EndedClean(const VMRunState& run, const RegisterExit& exit)
{
    return StepsReachedEnd(exit) && exit.sp == run.initialTop && !run.stopped;
}

// Whether the run that started as the `started`th, its steps having stopped at `exit`, left the kept
// state as its start and everything a kept start is tested for standing (LeaveRun's and NoteKept's
// tests, then KeptHead's), so that the next instance may run from it as it is.
inline bool StaysKept(const VMPreparedRun& prepared, const RegisterExit& exit, uint64_t started)
{
    const VMRunState& run = prepared.live;
    return EndedClean(run, exit) && g_RunsStarted == started && run.size <= REGION_KEEP_LIMIT && KeptCodeStands(prepared);
}

// StaysKept for a run in which no code outside the steps ran (`outside` the outside epoch it
// started in stands): what that code alone can change (the words, the epoch, the region, the count
// of runs, the argument count, the pc and error position, which only a built-in's call writes) stands
// as the run found it. The debugger's requests may come at any time, and are looked at.
[[gnu::always_inline]] inline bool StaysKeptInside(const VMRunState& run, const RegisterExit& exit, uint64_t outside)
{
    return EndedClean(run, exit) && g_OutsideEpoch == outside && (g_VMAttention | g_TraceFlag) == 0;
}

// The run that did not stay kept, ended as RunFromStart ends it (which leaves the row's entry with
// the run's), and the instance after it.
[[gnu::noinline]] CInstance* EndRow(VMPreparedRun& prepared, const RegisterExit& exit, uint64_t started,
                                    VMNextInstance next, void* walk)
{
    VMRunState& run = prepared.live;
    bool clean;
    if (!StepsReachedEnd(exit)) {
        clean = RunOnAfterSteps(run, exit, prepared.keptEpoch, nullptr);
    } else {
        run.sp = exit.sp;
        clean = LeaveRun(run, nullptr, RunEnd::Steps);
    }
    NoteKept(prepared, clean, started - 1);
    return next(walk);
}

// After a run that stayed kept though code outside the steps ran (a built-in's call): what LeaveRun
// and NoteKept put back for the next run. False when it did not stay kept: EndRow ends it.
[[gnu::noinline]] bool KeptAfterOutside(VMPreparedRun& prepared, const RegisterExit& exit, uint64_t started)
{
    if (!StaysKept(prepared, exit, started)) return false;
    VMRunState& run = prepared.live;
    g_ScriptArgumentCount = run.savedArgCount;
    g_LastRunStackBytes = 0;
    PutBackStartPlace(prepared);
    return true;
}

// Runs from the kept state (KeptHead gave `head`; the code has no locals to clear or free) for
// `instance` and those `next` hands after it, while each leaves the state as its start. The run's
// depth, its place in the chain of runs, the argument count it keeps and its count of runs started
// are entered once for the row: every kept run leaves them as it found them, the walk between runs
// reads none, and the count is only ever compared, by kept states, for a run since; each run does
// only what differs, its self and other and the outside epoch. A run that ran no code outside its
// steps leaves the rest as it found it (StaysKeptInside); one that did is tested and put back in
// full. A run that does not stay kept ends the row the general way. The next instance not yet run;
// null at the walk's end.
CInstance* RunKeptRow(VMPreparedRun& prepared, VMTranslatedInsn* head, CInstance* instance, VMNextInstance next,
                      void* walk)
{
    VMRunState& run = prepared.live;
    ++g_RunDepth;
    const uint64_t started = ++g_RunsStarted;
    run.savedArgCount = g_ScriptArgumentCount;
    run.previous = g_pVMRun;
    g_pVMRun = &run;
    do {
        NoteOutsideCode();
        const uint64_t outside = g_OutsideEpoch;
        run.self = instance;
        run.other = instance;
        const RegisterExit exit = RunFirstSequence(run, head);
        if (!StaysKeptInside(run, exit, outside) && !KeptAfterOutside(prepared, exit, started)) [[unlikely]]
            return EndRow(prepared, exit, started, next, walk);
    } while ((instance = next(walk)) != nullptr);
    g_pVMRun = run.previous;
    --g_RunDepth;
    // Each run of the row left an empty stack; a run that left another count started no row.
    g_LastRunStackBytes = 0;
    prepared.keptAt = g_RunsStarted;
    return nullptr;
}

} // namespace

void VM_ExecPreparedEach(VMPreparedRun* prepared, VMNextInstance next, void* walk)
{
    CInstance* instance = next(walk);
    while (instance != nullptr) {
        VMTranslatedInsn* head = KeptHead(*prepared);
        if (head != nullptr && prepared->live.localCount == 0) {
            instance = RunKeptRow(*prepared, head, instance, next, walk);
            continue;
        }
        ExecPreparedWithoutResult(prepared, instance, instance);
        instance = next(walk);
    }
}

void VM_FreePrepared(VMPreparedRun* prepared) { delete prepared; }

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

uint32_t VM_StackHighWater() { return g_StackHighWater; }

uint32_t VM_BranchCount() { return g_BranchCounter; }

int32_t VM_LastRunStackBytes() { return g_LastRunStackBytes; }
