#include "code/Code_LocalSlots.h"

#include <algorithm>

#include "code/Code_Emitter.h"
#include "code/Code_InterpreterState.h"
#include "variable/Variable_List.h"

namespace {

// An element access takes its instance from the stack; the compiler pushes the local instance a
// few words before it (the index's expression in between). Within this many instructions of such
// a push, an element's id is taken for a local.
constexpr int32_t LOCAL_PUSH_REACH = 16;

// Whether the word pushes the local instance as an integer (push.e, or push.i of -7).
bool PushesLocalInstance(uint32_t word, const uint8_t* operand)
{
    if (VM_WordOpcode(word) != VM_OP_PUSH) return false;
    if (VM_WordFirstType(word) == VM_TYPE_IMMEDIATE) return VM_WordShort(word) == VM_INSTANCE_LOCAL;
    return VM_WordFirstType(word) == VM_TYPE_INT && VM_Load<int32_t>(operand) == VM_INSTANCE_LOCAL;
}

// The variable operand of a push or pop of a variable, or false for any other word.
bool VariableOperand(uint32_t word, const uint8_t* operand, uint32_t* variable)
{
    uint8_t opcode = VM_WordOpcode(word);
    uint8_t type = VM_WordFirstType(word);
    bool reaches = (opcode == VM_OP_PUSH && type == VM_TYPE_VARIABLE) ||
                   (opcode == VM_OP_POP && (type == VM_TYPE_VARIABLE || type == VM_TYPE_INT));
    if (reaches) *variable = VM_Load<uint32_t>(operand);
    return reaches;
}

void AddSlot(VMLocalSlots& slots, int32_t id)
{
    if (slots.count >= VM_LOCAL_SLOT_LIMIT || VM_SearchLocalSlot(slots, id) >= 0) return;
    int8_t& first = slots.first[static_cast<uint32_t>(id) % VM_LOCAL_SLOT_HASH];
    if (first < 0) first = static_cast<int8_t>(slots.count);
    slots.ids[slots.count++] = id;
}

void FindSlots(const uint8_t* words, int32_t size, VMLocalSlots& slots)
{
    int32_t sinceLocalPush = LOCAL_PUSH_REACH;
    for (int32_t at = 0; size - at >= 4;) {
        uint32_t word = VM_ReadWord(words, static_cast<uint32_t>(at));
        int32_t next = at + VM_InstructionSize(word);
        if (next > size) break;
        const uint8_t* operand = words + at + 4;
        uint32_t variable = 0;
        if (PushesLocalInstance(word, operand)) {
            sinceLocalPush = 0;
        } else if (VariableOperand(word, operand, &variable)) {
            bool inWord = (variable & VM_VAR_INSTANCE_IN_WORD) != 0;
            bool local = inWord ? VM_WordShort(word) == VM_INSTANCE_LOCAL && !(variable & VM_VAR_INSTANCE_OFFSET)
                                : sinceLocalPush < LOCAL_PUSH_REACH;
            if (local) AddSlot(slots, static_cast<int32_t>(variable & VM_VAR_ID_MASK));
        }
        ++sinceLocalPush;
        at = next;
    }
}


} // namespace

const VMLocalSlots& VM_FindLocalSlots(const VMBuffer* code)
{
    VMLocalSlots& slots = code->m_LocalSlots;
    if (slots.count >= 0) return slots;
    slots.count = 0;
    for (int8_t& first : slots.first) first = -1;
    if (code->m_pWords != nullptr && code->m_Size > 0) FindSlots(code->m_pWords, code->m_Size, slots);
    return slots;
}

int32_t VM_SearchLocalSlot(const VMLocalSlots& slots, int32_t id)
{
    for (int32_t i = 0; i < slots.count; ++i)
        if (slots.ids[i] == id) return i;
    return -1;
}

bool VM_ReadUnsetOrListedLocal(VMRunState& run, int32_t id, int32_t index, ScriptValue* out)
{
    if (VM_LocalSlot(run, id) == nullptr) return VM_Locals(run)->GetVar(id, index, out);
    g_ArrayError.flag = 0;
    return Variable_ReadUnset(out);
}

namespace {

// How many of the level's slots are set: kept in the state for the slots it last cleared or
// counted, counted here for any other (a level with no slots has none, whatever its pointer).
int32_t SetSlotCount(const VMRunState& run)
{
    uint32_t count = VM_SlotCount(run);
    if (count == 0) return 0;
    if (run.countedSlots != run.localSlots) {
        int32_t set = 0;
        for (uint32_t i = 0; i < count; ++i) set += run.localSlots[i].spare != 0 ? 1 : 0;
        run.countedSlots = run.localSlots;
        run.setSlots = set;
    }
    return run.setSlots;
}

int32_t ListedLocalCount(const VMRunState& run)
{
    if ((run.localCount & VM_LEVEL_HAS_LIST) == 0) return 0;
    const CVariableList* list = VM_LevelList(run);
    return list != nullptr ? list->Count() : 0;
}

} // namespace

// The order for the next local the level sets: after every one it holds.
int32_t VM_NextLocalOrder(const VMRunState& run) { return ListedLocalCount(run) + SetSlotCount(run) + 1; }

int32_t VM_TakeSlotOrder(const VMRunState& run)
{
    int32_t order = VM_NextLocalOrder(run);
    ++run.setSlots;
    return order;
}

void VM_WriteLocal(VMRunState& run, int32_t id, int32_t index, const ScriptValue* value)
{
    VariableNode* slot = VM_LocalSlot(run, id);
    if (slot == nullptr) {
        CVariableList* list = VM_Locals(run);
        int32_t order = list->Has(id) ? 0 : VM_NextLocalOrder(run);
        list->SetVar(id, index, value);
        if (order != 0) list->Find(id)->spare = order;
        return;
    }
    g_ArrayError.flag = 0;
    // Set before the value goes in, as a list adds the variable before storing into it.
    if (slot->spare == 0) VM_SetSlotFirst(run, slot, id);
    Value_SetArrayElement(&slot->value, value, index);
}

VariableNode* VM_SetSlotFirst(const VMRunState& run, VariableNode* slot, int32_t id)
{
    slot->spare = VM_SlotOrder(run);
    slot->id = id;
    slot->value = ScriptValue{VALUE_REAL, 0, 0.0};
    return slot;
}

std::vector<const VariableNode*> VM_LocalsInListOrder(const VMRunState& run)
{
    std::vector<const VariableNode*> nodes;
    for (uint32_t i = 0; i < VM_SlotCount(run); ++i)
        if (run.localSlots[i].spare != 0) nodes.push_back(run.localSlots + i);
    const CVariableList* list = VM_LevelList(run);
    for (int32_t bucket = 0; list != nullptr && bucket < VARIABLE_BUCKETS; ++bucket)
        for (const VariableNode* node = list->Bucket(bucket); node != nullptr; node = node->next) nodes.push_back(node);
    // A list's chains take new variables at their head.
    std::sort(nodes.begin(), nodes.end(), [](const VariableNode* a, const VariableNode* b) {
        int32_t bucketA = Variable_Bucket(a->id);
        int32_t bucketB = Variable_Bucket(b->id);
        return bucketA != bucketB ? bucketA < bucketB : a->spare > b->spare;
    });
    return nodes;
}

void VM_FreeLocalSlotValues(VariableNode* slots, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        if (slots[i].spare != 0 && Value_GetKind(&slots[i].value) != VALUE_REAL) Value_Free(&slots[i].value);
}
