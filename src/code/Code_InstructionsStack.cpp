// The instructions that move values: push and pop of variables by instance kind, string constants,
// dup, popz, the stack rotation, pushenv and popenv of with blocks and the array-index check.
#include <cstring>
#include <vector>

#include "code/Code_Emitter.h"
#include "code/Code_InterpreterState.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

constexpr const char* MALFORMED_POP = "Pop :: Execution Error - Instruction malformed";

// The index and the instance of a variable access, taken from the word or the stack (the index on
// top, the instance beneath it).
struct VariableTarget {
    int32_t id;
    int32_t index;
    int32_t instance;
};

uint8_t* TakeTarget(uint32_t word, uint32_t variable, uint8_t* sp, VariableTarget* target)
{
    target->id = static_cast<int32_t>(variable & VM_VAR_ID_MASK);
    target->index = -1;
    if (!(variable & VM_VAR_NO_INDEX)) {
        target->index = VM_Load<int32_t>(sp);
        sp += 4;
    }
    if (variable & VM_VAR_INSTANCE_IN_WORD) {
        target->instance = VM_WordShort(word);
    } else {
        target->instance = VM_Load<int32_t>(sp);
        sp += 4;
    }
    if (variable & VM_VAR_INSTANCE_OFFSET)
        target->instance = static_cast<int32_t>(static_cast<uint32_t>(target->instance) + VM_INSTANCE_ID_BASE);
    return sp;
}

bool Underflows(const VMRunState& run, const uint8_t* sp) { return sp > run.top; }

void PushString(VMRunState& run, const uint8_t* operand)
{
    uint32_t index = VM_Load<uint32_t>(operand);
    const VMStringTable* strings = run.code->m_pStrings;
    uint32_t ref = VM_CopyText(strings != nullptr ? strings->Get(index) : nullptr);
    run.sp -= 4;
    VM_Store(run.sp, ref);
}

void PushVariable(VMRunState& run, uint32_t word, const uint8_t* operand)
{
    VariableTarget target;
    uint8_t* sp = TakeTarget(word, VM_Load<uint32_t>(operand), run.sp, &target);
    if (Underflows(run, sp)) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    run.sp = sp;
    g_ArrayError.flag = 0;
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    if (!VM_ReadVariable(run, target.instance, target.id, target.index, &value)) {
        Value_Free(&value);
        const char* name = Code_Variable_Find_Name(target.id);
        if (g_ArrayError.flag)
            VM_Error(run, "Push :: Execution Error - Variable Index [%d,%d] out of range [%d,%d] - %d.%s(%d,%d)",
                     g_ArrayError.row, g_ArrayError.column, g_ArrayError.rowCount, g_ArrayError.rowLength,
                     target.instance, name, target.id, target.index);
        else
            VM_Error(run, "Push :: Execution Error - Variable Get %d.%s(%d, %d)", target.instance, name, target.id,
                     target.index);
        return;
    }
    run.sp -= 16;
    VM_Store(run.sp, value);
}

// pop.e: the top item goes beneath the block of bytes under it, then the stack pointer moves.
void Rotate(VMRunState& run, uint32_t word)
{
    uint32_t itemSize = VM_StackSize(VM_WordSecondType(word));
    int32_t blockLength = 4 * static_cast<int8_t>(word & 0xFF);
    int32_t move = 4 * static_cast<int8_t>((word >> 8) & 0xFF);
    if (blockLength < 0 || itemSize + static_cast<uint32_t>(blockLength) > VM_StackUsed(run)) {
        VM_Error(run, "%s", MALFORMED_POP);
        return;
    }
    uint8_t item[16];
    std::memcpy(item, run.sp, itemSize);
    std::memmove(run.sp, run.sp + itemSize, static_cast<size_t>(blockLength));
    std::memcpy(run.sp + blockLength, item, itemSize);
    // The loop's stack check stops a move past the level's empty stack before anything reads there.
    run.sp += move;
}

bool Searchable(IVariableInstances* instances, CInstance* instance)
{
    return instance != nullptr && !instances->IsMarked(instance) && !instances->IsDeactivated(instance);
}

struct Collect {
    IVariableInstances* instances;
    InstanceRow* found;
    int32_t object; // -1: any
};

bool CollectOne(CInstance* instance, void* context)
{
    Collect* collect = static_cast<Collect*>(context);
    if (!Searchable(collect->instances, instance)) return true;
    if (collect->object >= 0 && collect->instances->ObjectIndex(instance) != collect->object) return true;
    collect->found->push_back(instance);
    return true;
}

// The instances a with block runs for, in the order found.
void CollectWith(VMRunState& run, int32_t target, InstanceRow& found)
{
    IVariableInstances* instances = run.instances;
    Collect collect = {instances, &found, -1};
    switch (target) {
    case VM_INSTANCE_SELF:
    case VM_INSTANCE_UNNAMED: found.push_back(run.self); return;
    case VM_INSTANCE_OTHER: found.push_back(run.other); return;
    case VM_INSTANCE_ALL: instances->VisitRoom(CollectOne, &collect); return;
    default: break;
    }
    if (target >= VM_INSTANCE_ID_BASE) {
        CInstance* instance = instances->FindById(target);
        if (Searchable(instances, instance)) found.push_back(instance);
    } else if (target >= 0) {
        instances->CollectObject(target, found);
        // Instances that became this object since its lists were brought up to date.
        collect.object = target;
        instances->VisitObjectChanges(CollectOne, &collect);
    }
}

} // namespace

// A built-in variable's getter or setter may be an argument variable's: the level's arguments must
// be where it looks.
bool VM_ReadVariable(VMRunState& run, int32_t instance, int32_t id, int32_t index, ScriptValue* out)
{
    if (id < VARIABLE_LIST_BASE) VM_SettleArguments(run);
    switch (instance) {
    case VM_INSTANCE_LOCAL: return VM_ReadLocal(run, id, index, out);
    case VM_INSTANCE_UNNAMED:
        if (Variable_IsGlobalVar(id)) return Variable_GetGlobal(id, index, out);
        return Variable_GetValue_Direct(run.self, id, index, out);
    case VM_INSTANCE_GLOBAL: return Variable_GetGlobal(id, index, out);
    case VM_INSTANCE_NOONE: return true; // reads as real 0, silently
    case VM_INSTANCE_OTHER: return Variable_GetValue_Direct(run.other, id, index, out);
    case VM_INSTANCE_SELF: return Variable_GetValue_Direct(run.self, id, index, out);
    default: return Variable_GetValue(instance, id, index, out);
    }
}

bool VM_WriteVariable(VMRunState& run, int32_t instance, int32_t id, int32_t index, ScriptValue* value)
{
    if (id < VARIABLE_LIST_BASE) VM_SettleArguments(run);
    switch (instance) {
    case VM_INSTANCE_LOCAL: VM_WriteLocal(run, id, index, value); return true;
    case VM_INSTANCE_UNNAMED:
        if (!Variable_IsGlobalVar(id)) return Variable_SetValue_Direct(run.self, id, index, value);
        Variable_SetGlobal(id, index, value);
        return true;
    case VM_INSTANCE_GLOBAL: Variable_SetGlobal(id, index, value); return true;
    case VM_INSTANCE_NOONE: return true; // stored nowhere, silently
    case VM_INSTANCE_OTHER: return Variable_SetValue_Direct(run.other, id, index, value);
    case VM_INSTANCE_SELF: return Variable_SetValue_Direct(run.self, id, index, value);
    default: return Variable_SetValue(instance, id, index, value);
    }
}

void VM_DoPush(VMRunState& run, uint32_t word, const uint8_t* operand)
{
    switch (VM_WordFirstType(word)) {
    case VM_TYPE_STRING: PushString(run, operand); break;
    case VM_TYPE_VARIABLE: PushVariable(run, word, operand); break;
    default: break; // the unused type codes push nothing
    }
}

void VM_DoPop(VMRunState& run, uint32_t word, const uint8_t* operand)
{
    uint32_t form = VM_WordFirstType(word);
    if (form == VM_TYPE_IMMEDIATE) {
        Rotate(run, word);
        return;
    }
    if (form != VM_TYPE_VARIABLE && form != VM_TYPE_INT) {
        VM_Error(run, "%s", MALFORMED_POP);
        return;
    }
    uint32_t valueType = VM_WordSecondType(word);
    uint32_t valueSize = VM_StackSize(valueType);
    uint32_t variable = VM_Load<uint32_t>(operand);
    VariableTarget target;
    uint8_t* sp = run.sp;
    const uint8_t* valueAt = nullptr;
    if (form == VM_TYPE_VARIABLE) {
        sp = TakeTarget(word, variable, sp, &target);
        valueAt = sp;
        sp += valueSize;
    } else {
        valueAt = sp;
        sp = TakeTarget(word, variable, sp + valueSize, &target);
    }
    if (Underflows(run, sp)) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    if (valueType == VM_TYPE_FLOAT || valueSize == 0) {
        VM_Error(run, "Pop :: Execution Engine");
        return;
    }
    ScriptValue value = VM_ItemToValue(valueAt, valueType);
    run.sp = sp;
    g_ArrayError.flag = 0;
    bool stored = VM_WriteVariable(run, target.instance, target.id, target.index, &value);
    Value_Free(&value); // the store kept its own copy
    if (!stored || g_ArrayError.flag) {
        const char* name = Code_Variable_Find_Name(target.id);
        if (g_ArrayError.flag)
            VM_Error(run, "Pop :: Execution Error - Variable index out of range %s", name);
        else
            VM_Error(run, "Pop :: Execution Error - Variable set problem %s", name);
    }
}

void VM_DoDup(VMRunState& run, uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    uint32_t size = VM_StackSize(type);
    uint32_t copies = (word & 0xFFFF) + 1;
    if (size == 0) return;
    bool perValue = type == VM_TYPE_STRING || type == VM_TYPE_VARIABLE;
    // Plain items are copied as one block of `copies` items; texts and variables are the top value
    // pushed `copies` times.
    uint32_t taken = perValue ? size : size * copies;
    if (taken > VM_StackUsed(run)) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    if (!VM_EnsureStack(run, size * copies)) return;
    if (!perValue) {
        run.sp -= taken;
        std::memcpy(run.sp, run.sp + taken, taken);
        return;
    }
    if (type == VM_TYPE_STRING) {
        const char* text = ScriptHeap_Get<char>(VM_Load<uint32_t>(run.sp));
        for (uint32_t i = 0; i < copies; ++i) {
            uint32_t ref = VM_CopyText(text);
            run.sp -= 4;
            VM_Store(run.sp, ref);
            text = ScriptHeap_Get<char>(ref);
        }
        return;
    }
    ScriptValue top = VM_Load<ScriptValue>(run.sp);
    for (uint32_t i = 0; i < copies; ++i) {
        // A copy of its own: a text duplicated, an array shared by one more reference.
        ScriptValue copy = {VALUE_REAL, 0, 0.0};
        Value_Copy(&copy, &top);
        run.sp -= 16;
        VM_Store(run.sp, copy);
    }
}

void VM_DoPopz(VMRunState& run, uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    uint32_t size = VM_StackSize(type);
    if (size > VM_StackUsed(run)) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    if (type == VM_TYPE_VARIABLE) {
        ScriptValue value = VM_Load<ScriptValue>(run.sp);
        Value_Free(&value);
    } else if (type == VM_TYPE_STRING) {
        VM_FreeText(VM_Load<uint32_t>(run.sp));
    }
    run.sp += size;
}

void VM_DoPushEnv(VMRunState& run, uint32_t word, int32_t wordAt)
{
    if (VM_StackUsed(run) < 4) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    int32_t target = VM_Load<int32_t>(run.sp);
    run.sp += 4;
    if (target == VM_INSTANCE_LOCAL) {
        VM_Error(run, "Cannot use local in with statement");
        return;
    }
    if (target == VM_INSTANCE_GLOBAL) {
        VM_Error(run, "Cannot use global in with statement");
        return;
    }
    std::vector<VMWithEnv>& envs = *run.envs;
    if (run.envCount >= envs.size()) envs.emplace_back();
    uint32_t envIndex = run.envCount++;
    VMWithEnv& env = envs[envIndex];
    env.savedSelf = run.self;
    env.savedOther = run.other;
    env.pending.clear();
    CollectWith(run, target, env.pending);

    run.sp -= VM_WITH_TAG_SIZE;
    VM_Store(run.sp, VM_WITH_MARK);
    VM_Store(run.sp + 4, envIndex);
    InstanceRow& pending = env.pending;
    if (pending.empty()) {
        run.pc = wordAt + VM_WordBranchDistance(word) * 4;
        return;
    }
    // One or two instances run in the order found; three or more from the last back to the first.
    CInstance* first = nullptr;
    if (pending.size() <= 2) {
        first = pending.front();
        pending.erase(pending.begin());
    } else {
        first = pending.back();
        pending.pop_back();
    }
    run.other = run.self;
    run.self = first;
}

void VM_DoPopEnv(VMRunState& run, uint32_t word, int32_t wordAt)
{
    uint32_t mark = VM_StackUsed(run) >= VM_WITH_TAG_SIZE ? VM_Load<uint32_t>(run.sp) : 0;
    uint32_t envIndex = VM_Load<uint32_t>(run.sp + 4);
    if (mark != VM_WITH_MARK || run.envCount == 0 || envIndex != run.envCount - 1) {
        VM_Error(run, "Execution Error - popenv without a matching pushenv");
        return;
    }
    VMWithEnv& env = (*run.envs)[envIndex];
    if (!VM_IsPopEnvBreak(word) && !env.pending.empty()) {
        run.self = env.pending.back();
        env.pending.pop_back();
        run.pc = wordAt + VM_WordBranchDistance(word) * 4;
        return;
    }
    run.self = env.savedSelf;
    run.other = env.savedOther;
    --run.envCount;
    run.sp += VM_WITH_TAG_SIZE;
}

void VM_DoBreakCheck(VMRunState& run, uint32_t)
{
    if (VM_StackUsed(run) < 4) {
        VM_Error(run, "%s", VM_UNDERFLOW_MESSAGE);
        return;
    }
    int32_t index = VM_Load<int32_t>(run.sp);
    if (index < 0)
        VM_Error(run, "Array index must be +'ve");
    else if (index >= ARRAY_ROW_SPAN)
        VM_Error(run, "Array index must be < %d", ARRAY_ROW_SPAN);
}
