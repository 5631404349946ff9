#include "code/Code_Translate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "code/Code_Bytecode.h"
#include "code/Code_Emitter.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_InterpreterState.h"
#include "function/Function_ListLeaves.h"
#include "variable/Variable_BuiltIn.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

bool TranslateByDefault()
{
    const char* plain = std::getenv("KELVARO_PLAIN_INTERPRETER");
    return plain == nullptr || plain[0] == '\0' || plain[0] == '0';
}

constexpr uint32_t PLAIN_FORM = VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX;
constexpr uint32_t FORM_BITS = VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX | VM_VAR_INSTANCE_OFFSET;

bool IsFastType(uint8_t type) { return type == VM_TYPE_INT || type == VM_TYPE_DOUBLE || type == VM_TYPE_VARIABLE; }

bool IsArithmetic(uint8_t opcode)
{
    return opcode == VM_OP_ADD || opcode == VM_OP_SUB || opcode == VM_OP_MUL || opcode == VM_OP_DIV ||
           opcode == VM_OP_REM || opcode == VM_OP_MOD;
}

bool IsCompare(uint8_t opcode) { return opcode >= VM_OP_SLT && opcode <= VM_OP_SGT; }

bool IsBitwise(uint8_t opcode)
{
    return opcode == VM_OP_AND || opcode == VM_OP_OR || opcode == VM_OP_XOR || opcode == VM_OP_SHL ||
           opcode == VM_OP_SHR;
}

// The kind of a push of a variable, as the plain loop's fast paths tell its forms apart.
VMKind PushVariableKind(VMTranslatedInsn& insn)
{
    uint32_t form = insn.variable & FORM_BITS;
    if (form == 0) return VMKind::PushElement;
    if (form != PLAIN_FORM) return VMKind::PushGeneral;
    if (insn.instance == VM_INSTANCE_LOCAL) return VMKind::PushVariable;
    if (insn.id < VARIABLE_LIST_BASE) {
        bool reached = insn.instance == VM_INSTANCE_SELF || insn.instance == VM_INSTANCE_OTHER ||
                       insn.instance == VM_INSTANCE_UNNAMED;
        return reached ? VMKind::PushArgument : VMKind::PushGeneral;
    }
    switch (insn.instance) {
    case VM_INSTANCE_SELF:
    case VM_INSTANCE_OTHER:
    case VM_INSTANCE_GLOBAL:
    case VM_INSTANCE_UNNAMED: return VMKind::PushVariable;
    default: return VMKind::PushGeneral;
    }
}

VMKind PushKind(VMTranslatedInsn& insn, const uint8_t* operand)
{
    uint8_t type = VM_WordFirstType(insn.word);
    switch (type) {
    case VM_TYPE_IMMEDIATE: insn.constant = VM_WordShort(insn.word); return VMKind::PushImmediate;
    case VM_TYPE_INT:
    case VM_TYPE_BOOL:
    case VM_TYPE_FLOAT:
        std::memcpy(insn.operand, operand, 4);
        std::memcpy(&insn.constant, operand, 4);
        return VMKind::PushFour;
    case VM_TYPE_DOUBLE:
    case VM_TYPE_LONG: std::memcpy(insn.operand, operand, 8); return VMKind::PushEight;
    case VM_TYPE_VARIABLE:
        std::memcpy(&insn.variable, operand, 4);
        insn.id = static_cast<int32_t>(insn.variable & VM_VAR_ID_MASK);
        insn.instance = VM_WordShort(insn.word);
        return PushVariableKind(insn);
    default: return VMKind::PushGeneral;
    }
}

VMKind PopKind(VMTranslatedInsn& insn, const uint8_t* operand)
{
    if (VM_WordFirstType(insn.word) != VM_TYPE_VARIABLE) return VMKind::PopGeneral;
    uint8_t value = VM_WordSecondType(insn.word);
    if (value != VM_TYPE_VARIABLE && value != VM_TYPE_DOUBLE && value != VM_TYPE_INT) return VMKind::PopGeneral;
    insn.valueType = value;
    std::memcpy(&insn.variable, operand, 4);
    insn.id = static_cast<int32_t>(insn.variable & VM_VAR_ID_MASK);
    insn.instance = VM_WordShort(insn.word);
    uint32_t form = insn.variable & FORM_BITS;
    if (form == 0) return VMKind::PopElement;
    if (form != PLAIN_FORM) return VMKind::PopGeneral;
    // A plain pop reaches the same lists and built-in variables as a plain push.
    switch (PushVariableKind(insn)) {
    case VMKind::PushVariable: return VMKind::PopVariable;
    case VMKind::PushArgument: return VMKind::PopBuiltIn;
    default: return VMKind::PopGeneral;
    }
}

// A call of a script by its constant id with no more arguments than the frame keeps: the run loop
// makes it without leaving. Every other call goes through the general routine; a built-in's keeps
// its id and count (-1 for any other call), which a register sequence may call it by.
VMKind CallKind(VMTranslatedInsn& insn, const uint8_t* operand)
{
    insn.id = -1;
    if (VM_WordFirstType(insn.word) != VM_TYPE_INT) return VMKind::Call;
    int32_t id;
    std::memcpy(&id, operand, 4);
    uint32_t argc = insn.word & 0xFFFF;
    if (id >= 0 && id < CALLABLE_SCRIPT_BASE) {
        insn.id = id;
        insn.constant = static_cast<int32_t>(argc);
    }
    if (id < CALLABLE_SCRIPT_BASE || id > CALLABLE_EXTENSION_BASE || argc > SCRIPT_ARGUMENT_COUNT) return VMKind::Call;
    insn.id = id - CALLABLE_SCRIPT_BASE;
    insn.constant = static_cast<int32_t>(argc);
    return VMKind::CallScript;
}

VMKind BreakKind(uint32_t word)
{
    uint32_t code = word & 0xFFFF;
    if (code == 0) return VMKind::Handover; // a breakpoint: the debugger's business
    return code == 0xFFFF ? VMKind::BreakCheck : VMKind::Nothing;
}

// The kind of one word and what it needs decoded; `operand` points past the word.
VMKind KindOf(VMTranslatedInsn& insn, const uint8_t* operand)
{
    uint8_t opcode = VM_WordOpcode(insn.word);
    uint8_t right = VM_WordFirstType(insn.word);
    uint8_t left = VM_WordSecondType(insn.word);
    if (IsArithmetic(opcode) || IsCompare(opcode)) {
        if (IsFastType(right) && IsFastType(left)) return VMKind::Fast;
        return IsCompare(opcode) ? VMKind::Compare : VMKind::Arithmetic;
    }
    if (IsBitwise(opcode)) return VMKind::Bitwise;
    switch (opcode) {
    case VM_OP_PUSH: return PushKind(insn, operand);
    case VM_OP_POP: return PopKind(insn, operand);
    case VM_OP_CONV: return VMKind::Conv;
    case VM_OP_NEG:
    case VM_OP_NOT: return VMKind::NegNot;
    case VM_OP_DUP: return VMKind::Dup;
    case VM_OP_POPZ: return VMKind::Popz;
    case VM_OP_B: return VMKind::Branch;
    case VM_OP_BT: return VMKind::BranchTrue;
    case VM_OP_BF: return VMKind::BranchFalse;
    case VM_OP_CALL: return CallKind(insn, operand);
    case VM_OP_RET: return VMKind::Ret;
    case VM_OP_EXIT: return VMKind::Exit;
    case VM_OP_PUSHENV: return VMKind::PushEnv;
    case VM_OP_POPENV: return VMKind::PopEnv;
    case VM_OP_BREAK: return BreakKind(insn.word);
    default: return VMKind::Nothing;
    }
}

// A variable's slot among the level's locals, from the buffer's table.
void AssignLocalSlot(VMTranslatedInsn& insn, const VMLocalSlots& slots)
{
    switch (insn.kind) {
    case VMKind::PushVariable:
    case VMKind::PopVariable:
    case VMKind::PushElement:
    case VMKind::PopElement: break;
    default: return;
    }
    int32_t slot = VM_LocalSlotOf(slots, insn.id);
    insn.localOffset = slot >= 0 ? slot * static_cast<int32_t>(sizeof(VariableNode)) : -1;
    bool plainLocal = (insn.kind == VMKind::PushVariable || insn.kind == VMKind::PopVariable) &&
                      insn.instance == VM_INSTANCE_LOCAL;
    if (!plainLocal || slot >= 0) return;
    insn.kind = insn.kind == VMKind::PushVariable ? VMKind::PushGeneral : VMKind::PopGeneral;
}

// Every instruction in code order. An instruction whose operand would run past the end is left to
// the plain loop, which reports it; so are words that only partly lie inside the code.
void DecodeAll(VMTranslation& t, const VMLocalSlots& slots)
{
    int32_t at = 0;
    while (at < t.size) {
        VMTranslatedInsn insn;
        insn.at = at;
        if (t.size - at < 4) {
            insn.kind = VMKind::Handover;
            insn.nextPc = t.size;
        } else {
            insn.word = VM_ReadWord(t.words, static_cast<uint32_t>(at));
            insn.nextPc = at + VM_InstructionSize(insn.word);
            insn.kind = insn.nextPc > t.size ? VMKind::Handover : KindOf(insn, t.words + at + 4);
            AssignLocalSlot(insn, slots);
        }
        t.indexOfWord[static_cast<size_t>(at / 4)] = static_cast<int32_t>(t.insns.size());
        t.insns.push_back(insn);
        if (insn.nextPc > t.size) break;
        at = insn.nextPc;
    }
    VMTranslatedInsn end;
    end.kind = VMKind::End;
    end.at = end.nextPc = t.size;
    t.insns.push_back(end);
}

// Branches get their target's index; one into the middle of an instruction is left to the plain
// loop.
void ResolveBranches(VMTranslation& t)
{
    for (VMTranslatedInsn& insn : t.insns) {
        if (insn.kind != VMKind::Branch && insn.kind != VMKind::BranchTrue && insn.kind != VMKind::BranchFalse)
            continue;
        int64_t target = static_cast<int64_t>(insn.at) + static_cast<int64_t>(VM_WordBranchDistance(insn.word)) * 4;
        int32_t index = target < 0 || target > INT32_MAX ? static_cast<int32_t>(t.insns.size()) - 1
                                                         : VM_TranslatedIndex(t, static_cast<int32_t>(target));
        if (index < 0)
            insn.kind = VMKind::Handover;
        else
            insn.target = index;
    }
}

// An integer constant push (push.e or push.i).
bool IsIntegerPush(const VMTranslatedInsn& insn)
{
    return insn.kind == VMKind::PushImmediate ||
           (insn.kind == VMKind::PushFour && VM_WordFirstType(insn.word) == VM_TYPE_INT);
}

// An arithmetic or comparison word taking an int32 on top of a variable, as the joined sequences
// combine.
bool CombinesIntegerWithVariable(const VMTranslatedInsn& insn, bool allowCompare)
{
    if (insn.kind != VMKind::Fast || VM_WordTypes(insn.word) != VM_TypePair(VM_TYPE_INT, VM_TYPE_VARIABLE)) return false;
    uint8_t opcode = VM_WordOpcode(insn.word);
    if (IsCompare(opcode)) return allowCompare;
    return opcode == VM_OP_ADD || opcode == VM_OP_SUB || opcode == VM_OP_MUL || opcode == VM_OP_DIV ||
           opcode == VM_OP_MOD;
}

// The pop that stores into the very variable that `push` pushed.
bool PopsSameVariable(const VMTranslatedInsn& pop, const VMTranslatedInsn& push)
{
    return pop.kind == VMKind::PopVariable && pop.valueType == VM_TYPE_VARIABLE &&
           VM_WordShort(pop.word) == VM_WordShort(push.word) && pop.variable == push.variable;
}

void MakeSuper(VMTranslatedInsn& head, VMKind kind, uint8_t opcode, int32_t constant, int32_t next)
{
    head.firstKind = head.kind;
    head.kind = kind;
    head.opcode = opcode;
    head.constant = constant;
    head.next = next;
}

// The sequences that run as one, chosen once: a variable combined with an integer (a loop's test and
// branch, its step stored back, or the value left), and an integer combined with the variable
// already on the stack (`mod 7` of a computed value). The words after the first keep their own
// entries, so a branch into the middle still finds them.
void JoinSequences(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    for (size_t i = 0; i + 1 < count; ++i) {
        VMTranslatedInsn& head = t.insns[i];
        const VMTranslatedInsn& push = t.insns[i + 1];
        if (IsIntegerPush(head) && CombinesIntegerWithVariable(push, false)) {
            MakeSuper(head, VMKind::ConstOp, VM_WordOpcode(push.word), head.constant, static_cast<int32_t>(i + 2));
            continue;
        }
        bool variable = head.kind == VMKind::PushVariable || head.kind == VMKind::PushArgument;
        if (!variable || i + 2 >= count || !IsIntegerPush(push) || !CombinesIntegerWithVariable(t.insns[i + 2], true))
            continue;
        uint8_t opcode = VM_WordOpcode(t.insns[i + 2].word);
        const VMTranslatedInsn* after = i + 3 < count ? &t.insns[i + 3] : nullptr;
        bool argument = head.kind == VMKind::PushArgument;
        if (IsCompare(opcode) && after != nullptr &&
            (after->kind == VMKind::BranchTrue || after->kind == VMKind::BranchFalse)) {
            head.target = after->target;
            head.branchOpcode = VM_WordOpcode(after->word);
            VMKind kind = argument ? VMKind::ArgConstBranch : VMKind::VarConstBranch;
            MakeSuper(head, kind, opcode, push.constant, static_cast<int32_t>(i + 4));
        } else if (!IsCompare(opcode) && !argument && after != nullptr && PopsSameVariable(*after, head)) {
            MakeSuper(head, VMKind::VarConstStore, opcode, push.constant, static_cast<int32_t>(i + 4));
        } else {
            VMKind kind = IsCompare(opcode) ? VMKind::VarConstTest : argument ? VMKind::ArgConst : VMKind::VarConst;
            MakeSuper(head, kind, opcode, push.constant, static_cast<int32_t>(i + 3));
        }
    }
}

// Pushes of an integer instance and of a variable index converted to int32, then the element's
// push or pop (of a variable item): `a[i]`. Answers the element word's kind, or Handover.
VMKind ElementByVariable(const VMTranslation& t, size_t i)
{
    if (i + 3 >= t.insns.size() - 1 || !IsIntegerPush(t.insns[i])) return VMKind::Handover;
    const VMTranslatedInsn& index = t.insns[i + 1];
    const VMTranslatedInsn& conv = t.insns[i + 2];
    const VMTranslatedInsn& element = t.insns[i + 3];
    if (index.kind != VMKind::PushVariable || conv.kind != VMKind::Conv ||
        VM_WordTypes(conv.word) != VM_TypePair(VM_TYPE_VARIABLE, VM_TYPE_INT))
        return VMKind::Handover;
    if (element.kind == VMKind::PushElement) return VMKind::ElementRead;
    bool store = element.kind == VMKind::PopElement && element.valueType == VM_TYPE_VARIABLE;
    return store ? VMKind::ElementStore : VMKind::Handover;
}

// Arithmetic on two variable items whose result a pop of a variable item stores into a plain
// variable: the end of `s = s + x` and `total += a[i]`.
bool StoresArithmetic(const VMTranslation& t, size_t i)
{
    const VMTranslatedInsn& combine = t.insns[i];
    const VMTranslatedInsn& pop = t.insns[i + 1];
    return combine.kind == VMKind::Fast && IsArithmetic(VM_WordOpcode(combine.word)) &&
           VM_WordTypes(combine.word) == VM_TypePair(VM_TYPE_VARIABLE, VM_TYPE_VARIABLE) &&
           pop.kind == VMKind::PopVariable && pop.valueType == VM_TYPE_VARIABLE;
}

// Longer sequences made of the joined ones and the words around them: an element read or written
// at a variable's index, arithmetic stored, and two integers combined in a row with a variable.
// The words after the first keep their entries, as above.
void JoinLonger(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    for (size_t i = 0; i + 1 < count; ++i) {
        VMTranslatedInsn& head = t.insns[i];
        VMKind element = ElementByVariable(t, i);
        if (element != VMKind::Handover) {
            MakeSuper(head, element, 0, head.constant, static_cast<int32_t>(i + 4));
        } else if (StoresArithmetic(t, i)) {
            MakeSuper(head, VMKind::ArithmeticStore, VM_WordOpcode(head.word), 0, static_cast<int32_t>(i + 2));
        } else if ((head.kind == VMKind::VarConst || head.kind == VMKind::ArgConst) &&
                   t.insns[static_cast<size_t>(head.next)].kind == VMKind::ConstOp) {
            // The first word stays the variable's push; the second integer is its own entry's.
            head.kind = VMKind::VarConstOp;
            head.next = t.insns[static_cast<size_t>(head.next)].next;
        }
    }
}

// A statement combining a variable with what follows it and storing the result: a push of a
// variable, then a plain variable or a joined push leaving one variable item, then ArithmeticStore.
void JoinCombinedStores(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    for (size_t i = 0; i + 2 < count; ++i) {
        VMTranslatedInsn& head = t.insns[i];
        const VMTranslatedInsn& pushed = t.insns[i + 1];
        if (head.kind != VMKind::PushVariable) continue;
        size_t combine = 0;
        switch (pushed.kind) {
        case VMKind::PushVariable: combine = i + 2; break;
        case VMKind::VarConst:
        case VMKind::ArgConst:
        case VMKind::VarConstOp:
        case VMKind::ElementRead: combine = static_cast<size_t>(pushed.next); break;
        default: continue;
        }
        if (combine >= count || t.insns[combine].kind != VMKind::ArithmeticStore) continue;
        head.target = static_cast<int32_t>(combine);
        MakeSuper(head, VMKind::VariableCombine, 0, head.constant, t.insns[combine].next);
    }
}

// A counting loop's step stored back, then the jump back to its test of the same variable: the
// test reads the value just stored.
void JoinCountingSteps(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    for (VMTranslatedInsn& step : t.insns) {
        if (step.kind != VMKind::VarConstStore || static_cast<size_t>(step.next) >= count) continue;
        const VMTranslatedInsn& back = t.insns[static_cast<size_t>(step.next)];
        if (back.kind != VMKind::Branch || static_cast<size_t>(back.target) >= count) continue;
        const VMTranslatedInsn& test = t.insns[static_cast<size_t>(back.target)];
        bool same = test.kind == VMKind::VarConstBranch && test.firstKind == VMKind::PushVariable &&
                    VM_WordShort(test.word) == VM_WordShort(step.word) && test.variable == step.variable;
        if (!same) continue;
        step.kind = VMKind::CountingStep;
        step.target = back.target;
    }
}

// A variable combined with an integer whose result an element store at a variable's index takes
// (`a[i] = i * 2`): the combination's entry runs both, `target` the store's entry.
void JoinElementStores(VMTranslation& t)
{
    for (size_t i = 0; i + 1 < t.insns.size(); ++i) {
        VMTranslatedInsn& head = t.insns[i];
        if (head.kind != VMKind::VarConst || static_cast<size_t>(head.next) >= t.insns.size() - 1) continue;
        if (t.insns[static_cast<size_t>(head.next)].kind != VMKind::ElementStore) continue;
        head.kind = VMKind::VarConstElementStore;
        head.target = head.next;
        head.next = t.insns[static_cast<size_t>(head.next)].next;
    }
}

// A return of the value just pushed or computed: `return argument0` and `return a + b`.
void JoinReturns(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    for (size_t i = 0; i + 1 < count; ++i) {
        VMTranslatedInsn& head = t.insns[i];
        const VMTranslatedInsn& ret = t.insns[i + 1];
        if (ret.kind != VMKind::Ret || VM_WordFirstType(ret.word) != VM_TYPE_VARIABLE) continue;
        if (head.kind == VMKind::PushArgument)
            MakeSuper(head, VMKind::ArgumentReturn, 0, head.constant, static_cast<int32_t>(i + 2));
        else if (head.kind == VMKind::Fast && IsArithmetic(VM_WordOpcode(head.word)) &&
                 VM_WordTypes(head.word) == VM_TypePair(VM_TYPE_VARIABLE, VM_TYPE_VARIABLE))
            MakeSuper(head, VMKind::ArithmeticReturn, VM_WordOpcode(head.word), head.constant, static_cast<int32_t>(i + 2));
    }
}

// A register sequence's view of the words: the items live before each word, their types, and the
// bytes they take on the stack.
struct RegisterState {
    uint8_t depth = 0;
    uint8_t types[VM_REGISTER_SLOTS] = {};
    uint32_t bytes = 0;
    uint32_t mostBytes = 0;
};

// What a word was before any joining: a superinstruction's head keeps its first word's kind.
VMKind OriginalKind(const VMTranslatedInsn& insn)
{
    return insn.firstKind != VMKind::Handover ? insn.firstKind : insn.kind;
}

bool IsRegisterNumber(uint8_t type) { return type == VM_TYPE_INT || type == VM_TYPE_DOUBLE || type == VM_TYPE_VARIABLE; }

// The joined kinds that head statements (stores, tests, loop steps, returns) start no register
// sequence (StartsRegisterSequence), since their own handlers run them whole already; one that a
// sequence reaches is taken into it word by word, which spares leaving the steps and entering them
// again. A sequence stops before a loop's counting step (its Loop step makes that), before a
// joined return (ret is no step) and before a join of texts (no step holds a text).
bool EndsRegisterSequence(VMKind kind)
{
    return kind == VMKind::CountingStep || kind == VMKind::ArgumentReturn || kind == VMKind::ArithmeticReturn ||
           kind == VMKind::TextJoin;
}

// The step the word at `insn` makes in registers from `state` (`step` as made fresh), moving the state past it; false
// when the word is none a register sequence takes (the sequence ends before it). A conv between
// reals is a change of type alone: it makes no step (`made` false).
bool RegisterStepOf(const VMTranslatedInsn& insn, RegisterState& state, VMRegisterStepInsn& step, bool& made)
{
    step.depth = state.depth;
    step.SetTypes(state.types, state.depth);
    made = true;
    uint8_t first = VM_WordFirstType(insn.word);
    uint8_t second = VM_WordSecondType(insn.word);
    uint8_t top = state.depth > 0 ? state.types[state.depth - 1] : 0xFF;
    uint8_t pushed = 0xFF;
    switch (OriginalKind(insn)) {
    case VMKind::PushVariable:
        step.step = insn.instance == VM_INSTANCE_LOCAL   ? VMRegisterStep::LoadLocal
                    : insn.instance == VM_INSTANCE_OTHER ? VMRegisterStep::LoadOther
                                                         : VMRegisterStep::LoadVariable;
        pushed = VM_TYPE_VARIABLE;
        break;
    case VMKind::PushArgument:
        step.step = VMRegisterStep::LoadArgument;
        pushed = VM_TYPE_VARIABLE;
        break;
    case VMKind::PushImmediate:
        step.step = VMRegisterStep::LoadConstant;
        step.constant = VM_WordShort(insn.word);
        pushed = VM_TYPE_INT;
        break;
    case VMKind::PushFour:
    case VMKind::PushEight: {
        if (first == VM_TYPE_INT) {
            int32_t value;
            std::memcpy(&value, insn.operand, 4);
            step.constant = value;
        } else if (first == VM_TYPE_DOUBLE) {
            std::memcpy(&step.constant, insn.operand, 8);
        } else {
            return false;
        }
        step.step = VMRegisterStep::LoadConstant;
        pushed = first;
        break;
    }
    case VMKind::Fast: {
        uint8_t opcode = VM_WordOpcode(insn.word);
        if (state.depth < 2 || top != first || state.types[state.depth - 2] != second) return false;
        bool ints = first == VM_TYPE_INT && second == VM_TYPE_INT;
        step.opcode = opcode;
        step.rightType = first;
        step.right = static_cast<uint8_t>(state.depth - 1);
        step.left = step.target = static_cast<uint8_t>(state.depth - 2);
        if (IsCompare(opcode)) {
            step.step = ints ? VMRegisterStep::IntCompare : VMRegisterStep::Compare;
            pushed = VM_TYPE_BOOL;
        } else {
            step.step = ints                    ? VMRegisterStep::IntArithmetic
                        : opcode == VM_OP_ADD ? VMRegisterStep::Add
                        : opcode == VM_OP_SUB ? VMRegisterStep::Subtract
                        : opcode == VM_OP_MUL ? VMRegisterStep::Multiply
                                              : VMRegisterStep::Arithmetic;
            pushed = ints ? VM_TYPE_INT
                          : first == VM_TYPE_VARIABLE || second == VM_TYPE_VARIABLE ? VM_TYPE_VARIABLE : VM_TYPE_DOUBLE;
        }
        state.depth -= 2;
        state.bytes -= VM_StackSize(first) + VM_StackSize(second);
        break;
    }
    case VMKind::Bitwise: {
        uint8_t opcode = VM_WordOpcode(insn.word);
        bool logic = opcode == VM_OP_AND || opcode == VM_OP_OR || opcode == VM_OP_XOR;
        if (!logic || first != VM_TYPE_BOOL || second != VM_TYPE_BOOL || state.depth < 2 || top != VM_TYPE_BOOL ||
            state.types[state.depth - 2] != VM_TYPE_BOOL)
            return false;
        step.step = VMRegisterStep::Logic;
        step.opcode = opcode;
        step.right = static_cast<uint8_t>(state.depth - 1);
        step.left = static_cast<uint8_t>(state.depth - 2);
        state.depth -= 2;
        state.bytes -= 2 * VM_StackSize(VM_TYPE_BOOL);
        pushed = VM_TYPE_BOOL;
        break;
    }
    case VMKind::Conv: {
        bool target = second == VM_TYPE_DOUBLE || second == VM_TYPE_INT || second == VM_TYPE_BOOL || second == VM_TYPE_VARIABLE;
        if (top != first || !IsRegisterNumber(first) || first == second || !target) return false;
        step.left = step.target = static_cast<uint8_t>(state.depth - 1);
        step.sourceType = first;
        step.step = second == VM_TYPE_INT ? VMRegisterStep::Truncate : VMRegisterStep::Truth;
        made = second == VM_TYPE_INT || second == VM_TYPE_BOOL;
        state.depth -= 1;
        state.bytes -= VM_StackSize(first);
        pushed = second;
        break;
    }
    case VMKind::NegNot:
        if (VM_WordOpcode(insn.word) != VM_OP_NEG || top != first || (first != VM_TYPE_DOUBLE && first != VM_TYPE_VARIABLE))
            return false;
        step.step = VMRegisterStep::Negate;
        step.left = static_cast<uint8_t>(state.depth - 1);
        state.depth -= 1;
        state.bytes -= VM_StackSize(first);
        pushed = first;
        break;
    case VMKind::PushElement:
        // The instance and the index: the two int32 items on top.
        if (state.depth < 2 || top != VM_TYPE_INT || state.types[state.depth - 2] != VM_TYPE_INT) return false;
        step.step = VMRegisterStep::LoadElement;
        step.right = static_cast<uint8_t>(state.depth - 1);
        step.left = static_cast<uint8_t>(state.depth - 2);
        state.depth -= 2;
        state.bytes -= 8;
        pushed = VM_TYPE_VARIABLE;
        break;
    case VMKind::PushGeneral:
        // A variable of the instance on top, no index: `target.x`. Binding finds a built-in's getter.
        if (first != VM_TYPE_VARIABLE || (insn.variable & FORM_BITS) != VM_VAR_NO_INDEX || top != VM_TYPE_INT) return false;
        step.step = VMRegisterStep::LoadInstance;
        step.left = static_cast<uint8_t>(state.depth - 1);
        state.depth -= 1;
        state.bytes -= 4;
        pushed = VM_TYPE_VARIABLE;
        break;
    case VMKind::PopElement:
        if (state.depth < 3 || top != VM_TYPE_INT || state.types[state.depth - 2] != VM_TYPE_INT ||
            state.types[state.depth - 3] != insn.valueType)
            return false;
        step.step = VMRegisterStep::StoreElement;
        step.right = static_cast<uint8_t>(state.depth - 1);
        step.target = static_cast<uint8_t>(state.depth - 2);
        step.left = static_cast<uint8_t>(state.depth - 3);
        state.depth -= 3;
        state.bytes -= 8 + VM_StackSize(insn.valueType);
        return true;
    case VMKind::PopGeneral:
        // A pop into a variable of the instance on top, no index (`target.x = v`), of a number item
        // beneath.
        if (first != VM_TYPE_VARIABLE || (insn.variable & FORM_BITS) != VM_VAR_NO_INDEX || state.depth < 2 ||
            top != VM_TYPE_INT || !IsRegisterNumber(second) || state.types[state.depth - 2] != second)
            return false;
        step.step = VMRegisterStep::StoreInstance;
        step.right = static_cast<uint8_t>(state.depth - 1);
        step.left = static_cast<uint8_t>(state.depth - 2);
        state.depth -= 2;
        state.bytes -= 4 + VM_StackSize(second);
        return true;
    case VMKind::PopVariable:
    case VMKind::PopBuiltIn:
        if (state.depth < 1 || top != insn.valueType) return false;
        step.step = insn.kind == VMKind::PopBuiltIn           ? VMRegisterStep::StoreBuiltIn
                    : insn.instance == VM_INSTANCE_OTHER ? VMRegisterStep::StoreOther
                                                         : VMRegisterStep::Store;
        step.left = static_cast<uint8_t>(state.depth - 1);
        state.depth -= 1;
        state.bytes -= VM_StackSize(top);
        return true;
    case VMKind::Popz:
        // A number dropped: nothing to do in registers (a value the steps could not take never got
        // there: the words run from its load).
        if (state.depth < 1 || top != first || !IsRegisterNumber(first)) return false;
        made = false;
        state.depth -= 1;
        state.bytes -= VM_StackSize(first);
        return true;
    case VMKind::Call: {
        // A built-in on values only (a routine's arguments are whole values); its result is a value.
        // A variable handed on is taken as the loads take it, a real (a ds handle, an index): one
        // holding a text leaves the steps at its load, and the words make the call.
        uint32_t argc = static_cast<uint32_t>(insn.constant);
        if (insn.id < 0 || argc > state.depth) return false;
        for (uint32_t k = state.depth - argc; k < state.depth; ++k)
            if (state.types[k] != VM_TYPE_VARIABLE) return false;
        step.step = VMRegisterStep::CallBuiltIn;
        state.depth = static_cast<uint8_t>(state.depth - argc);
        state.bytes -= argc * VM_StackSize(VM_TYPE_VARIABLE);
        pushed = VM_TYPE_VARIABLE;
        break;
    }
    case VMKind::Dup:
        // One copy of a number item (a switch's value tested case by case).
        if (state.depth < 1 || top != first || !IsRegisterNumber(first) || (insn.word & 0xFFFF) != 0) return false;
        step.step = VMRegisterStep::Copy;
        step.left = static_cast<uint8_t>(state.depth - 1);
        pushed = first;
        break;
    case VMKind::BranchTrue:
    case VMKind::BranchFalse:
        // A test's own bool ends the sequence; with items live beneath it the steps go on when the
        // branch is not taken.
        if (state.depth < 1 || top != VM_TYPE_BOOL || (insn.kind != VMKind::BranchTrue && insn.kind != VMKind::BranchFalse))
            return false;
        step.step = state.depth == 1 ? VMRegisterStep::Branch : VMRegisterStep::BranchOut;
        step.opcode = VM_WordOpcode(insn.word);
        step.left = static_cast<uint8_t>(state.depth - 1);
        state.depth -= 1;
        state.bytes -= VM_StackSize(VM_TYPE_BOOL);
        return true;
    case VMKind::Branch:
        // A break or a switch's default: the sequence goes where the branch goes, with what is live
        // (the switch's value) on the stack as the target finds it after the word.
        if (insn.kind != VMKind::Branch) return false;
        step.step = VMRegisterStep::Jump;
        return true;
    default: return false;
    }
    if (state.depth >= VM_REGISTER_SLOTS) return false;
    step.target = state.depth;
    state.types[state.depth++] = pushed;
    state.bytes += VM_StackSize(pushed);
    state.mostBytes = std::max(state.mostBytes, state.bytes);
    return true;
}

// A combining step whose right operand a constant's load just made takes the constant in, and the
// load goes: a step fewer to run.
void TakeInConstant(std::vector<VMRegisterStepInsn>& steps, VMRegisterStepInsn& step)
{
    int32_t form = static_cast<int32_t>(step.step) - static_cast<int32_t>(VMRegisterStep::Add);
    int32_t combining = static_cast<int32_t>(VMRegisterStep::IntCompare) - static_cast<int32_t>(VMRegisterStep::Add);
    if (form < 0 || form > combining || steps.empty()) return;
    const VMRegisterStepInsn& load = steps.back();
    if (load.step != VMRegisterStep::LoadConstant || load.target != step.right) return;
    step.constant = load.constant;
    step.step = static_cast<VMRegisterStep>(static_cast<int32_t>(VMRegisterStep::ConstantAdd) + form);
    bool whole = step.rightType == VM_TYPE_INT && step.constant != 0;
    if (step.step == VMRegisterStep::ConstantArithmetic && step.opcode == VM_OP_MOD && whole)
        step.step = VMRegisterStep::ConstantModulo;
    if (step.step == VMRegisterStep::ConstantCompare && (step.opcode == VM_OP_SLT || step.opcode == VM_OP_SGT))
        step.step = step.opcode == VM_OP_SLT ? VMRegisterStep::ConstantLess : VMRegisterStep::ConstantGreater;
    steps.pop_back();
}

// A conv to int32 of what a modulo by a constant just computed: the modulo's step makes both.
bool TruncatesModulo(const std::vector<VMRegisterStepInsn>& steps, const VMRegisterStepInsn& step)
{
    if (step.step != VMRegisterStep::Truncate || steps.empty()) return false;
    const VMRegisterStepInsn& modulo = steps.back();
    return modulo.step == VMRegisterStep::ConstantModulo && modulo.target == step.left && step.target == step.left;
}

// Whether a register sequence may start at the word: a push of a variable or a number, alone or
// heading a joined push that leaves its value.
bool StartsRegisterSequence(const VMTranslatedInsn& insn)
{
    switch (insn.kind) {
    case VMKind::PushVariable:
    case VMKind::PushArgument:
    case VMKind::PushImmediate:
    case VMKind::PushFour:
    case VMKind::PushEight:
    case VMKind::VarConst:
    case VMKind::VarConstOp:
    case VMKind::VarConstTest:
    case VMKind::ArgConst:
    case VMKind::ConstOp: return true;
    default: return false;
    }
}

// A VarConstStore followed by a b forward, a switch's case and its break (`v += 1; break`): as a
// sequence the store goes on into the steps at the break's target. A loop's jump back is left to
// the words, whose test there mostly is no sequence.
bool StoresBeforeJump(const VMTranslation& t, size_t at)
{
    const VMTranslatedInsn& insn = t.insns[at];
    if (insn.kind != VMKind::VarConstStore) return false;
    const VMTranslatedInsn& jump = t.insns[static_cast<size_t>(insn.next)];
    return jump.kind == VMKind::Branch && static_cast<size_t>(jump.target) > at;
}

// Whether the words from `at` to `end` are the whole code (`global.gone += 1;` alone): as a sequence
// its runs end in the steps, without the translated loop's entry, however few words it joins.
bool IsWholeCode(const VMTranslation& t, size_t at, size_t end) { return at == 0 && end + 1 == t.insns.size(); }

// A VarConstStore just before the head of another sequence (`fired += 1; state = ...`) or a test of
// a variable against a constant (`life -= 1; if (life <= 0)`): the two run as one sequence, which
// spares leaving the handler for the steps, and a handler that begins so runs from its steps alone.
// One before a branch back (a loop's step) is no such head: loops keep their counting steps.
bool StoresBeforeSequence(const VMTranslation& t, size_t at)
{
    const VMTranslatedInsn& insn = t.insns[at];
    if (insn.kind != VMKind::VarConstStore) return false;
    const VMTranslatedInsn& next = t.insns[static_cast<size_t>(insn.next)];
    return StartsRegisterSequence(next) || next.kind == VMKind::VarConstBranch || IsWholeCode(t, at, static_cast<size_t>(insn.next));
}

bool LoadsPlainVariable(const VMRegisterStepInsn& step)
{
    return step.step == VMRegisterStep::LoadVariable || step.step == VMRegisterStep::LoadLocal;
}

// Whether the first `count` steps are `v = -v`: a statement too short for a sequence of its own but
// for one that a branch of a sequence reaches, which then goes on in its steps.
bool NegatesInPlace(const std::vector<VMRegisterStepInsn>& steps, size_t count)
{
    return count == 3 && LoadsPlainVariable(steps[0]) &&
           steps[1].step == VMRegisterStep::Negate && steps[2].step == VMRegisterStep::Store;
}

// The words a head's own handler already runs as one.
int32_t WordsJoined(const VMTranslatedInsn& head, size_t at)
{
    return head.kind == OriginalKind(head) ? 1 : head.next - static_cast<int32_t>(at);
}

bool EndsWithBranch(const VMRegisterStepInsn& step)
{
    return step.step == VMRegisterStep::Branch || step.step == VMRegisterStep::Jump;
}

// The fewest words a sequence of the first `count` steps must join to be taken: two more than its
// head's handler joins, and at least four. A statement that ends in a jump (a switch's case and its
// break) takes one fewer, three at the least: its jump goes on into the next sequence's steps, or
// out of the steps where the words would go anyway. A head that an earlier sequence's branch goes
// to (`reached`) takes three whatever its handler joins: the steps go on into it instead of leaving
// for its handler (`if (...) {...} else n += 1; s += d` ends in the steps).
int32_t FewestWords(const VMTranslatedInsn& head, size_t at, const std::vector<VMRegisterStepInsn>& steps, size_t count,
                    bool reached)
{
    if (reached) return 3;
    if (count > 0 && steps[count - 1].step == VMRegisterStep::Jump) return std::max(3, WordsJoined(head, at) + 1);
    return std::max(NegatesInPlace(steps, count) ? 3 : 4, WordsJoined(head, at) + 2);
}

// The entries where a sequence ending in `last` goes on in the words: a branch's target, and the
// word after a test's branch when it is not taken.
void NoteReached(const VMTranslation& t, const VMRegisterStepInsn& last, std::vector<uint8_t>& reached)
{
    if (!EndsWithBranch(last)) return;
    const VMTranslatedInsn& branch = t.insns[static_cast<size_t>(last.entry)];
    if (static_cast<size_t>(branch.target) < reached.size()) reached[static_cast<size_t>(branch.target)] = 1;
    if (last.step == VMRegisterStep::Branch) reached[static_cast<size_t>(last.entry) + 1] = 1;
}

// Straight runs of words over numbers (pushes of variables and constants, arithmetic, comparisons,
// convs, stores into plain variables, a test's branch last) with no branch target inside, computed
// in registers by one entry whose steps the translation keeps: the head's entry becomes
// RealSequence. A run is taken when it holds arithmetic or a comparison and joins at least two
// words more than its head's own handler does; pushes at its end are left to their own entries.
void JoinRealSequences(VMTranslation& t)
{
    size_t count = t.insns.size() - 1; // without End
    std::vector<uint8_t> targeted(count + 1, 0);
    for (const VMTranslatedInsn& insn : t.insns) {
        VMKind kind = OriginalKind(insn);
        bool branch = kind == VMKind::Branch || kind == VMKind::BranchTrue || kind == VMKind::BranchFalse;
        if (branch && static_cast<size_t>(insn.target) <= count) targeted[static_cast<size_t>(insn.target)] = 1;
    }
    std::vector<uint8_t> reached(count + 1, 0); // by an earlier sequence's branch (NoteReached)
    std::vector<VMRegisterStepInsn> steps;
    steps.reserve(4 * VM_REGISTER_SLOTS);
    for (size_t i = 0; i < count; ++i) {
        // A VariableCombine's handler is chosen by the kind of the joined push after it.
        bool combined = i > 0 && t.insns[i - 1].kind == VMKind::VariableCombine;
        if (combined || (!StartsRegisterSequence(t.insns[i]) && !StoresBeforeJump(t, i) && !StoresBeforeSequence(t, i) &&
                         !reached[i]))
            continue;
        RegisterState state, kept; // kept: as of the end of the last word that is no push
        size_t keptEnd = i, keptSteps = 0;
        bool computes = false;
        steps.clear();
        for (size_t j = i; j < count; ++j) {
            const VMTranslatedInsn& insn = t.insns[j];
            if (j > i && (targeted[j] || EndsRegisterSequence(insn.kind))) break;
            VMRegisterStepInsn step;
            bool made;
            if (!RegisterStepOf(insn, state, step, made)) break;
            step.entry = static_cast<int32_t>(j);
            if (made) TakeInConstant(steps, step);
            if (made && TruncatesModulo(steps, step)) {
                steps.back().step = VMRegisterStep::ConstantModuloTruncate;
                made = false;
            }
            if (made) steps.push_back(step);
            bool loads = step.step == VMRegisterStep::LoadVariable || step.step == VMRegisterStep::LoadLocal ||
                         step.step == VMRegisterStep::LoadOther || step.step == VMRegisterStep::LoadArgument ||
                         step.step == VMRegisterStep::LoadConstant;
            if (!loads) {
                computes = computes || (made && step.step != VMRegisterStep::Store && step.step != VMRegisterStep::StoreBuiltIn &&
                                        step.step != VMRegisterStep::StoreOther);
                kept = state;
                keptEnd = j + 1;
                keptSteps = steps.size();
            }
            if (EndsWithBranch(step)) break;
        }
        int32_t words = static_cast<int32_t>(keptEnd - i);
        bool whole = t.insns[i].kind == VMKind::VarConstStore && IsWholeCode(t, i, keptEnd);
        if (!computes || (words < FewestWords(t.insns[i], i, steps, keptSteps, reached[i] != 0) && !whole)) continue;
        steps.resize(keptSteps);
        NoteReached(t, steps.back(), reached);
        if (!EndsWithBranch(steps.back())) {
            // The live items go onto the stack and the words go on after the run.
            VMRegisterStepInsn leave;
            leave.depth = kept.depth;
            leave.SetTypes(kept.types, kept.depth);
            leave.entry = static_cast<int32_t>(keptEnd);
            steps.push_back(leave);
        }
        VMTranslatedInsn& head = t.insns[i];
        head.firstKind = OriginalKind(head);
        head.kind = VMKind::RealSequence;
        head.registerFirst = static_cast<int32_t>(t.registerSteps.size());
        head.registerBytes = kept.mostBytes;
        t.registerSteps.insert(t.registerSteps.end(), steps.begin(), steps.end());
        i = keptEnd - 1;
    }
}

bool TestsAgainstConstant(const VMRegisterStepInsn& step)
{
    return step.step == VMRegisterStep::ConstantLess || step.step == VMRegisterStep::ConstantGreater;
}

// A fused branch goes where its Branch part would: the branch's target when taken, else the entry
// after the branch.
void BranchesAs(VMRegisterStepInsn& fused, const VMRegisterStepInsn& branch)
{
    bool onTrue = branch.opcode == VM_OP_BT;
    fused.branchOpcode = branch.opcode;
    fused.whenTrue = onTrue ? branch.site->targetEntry : branch.site + 1;
    fused.whenFalse = onTrue ? branch.site + 1 : branch.site->targetEntry;
}

// A LoadField tested against a constant, then the same field tested again into the next register,
// then the logic of the two bools and the branch on it, whose word follows the logic's.
bool TestsOneField(const VMRegisterStepInsn* at)
{
    const VMRegisterStepInsn& load = at[0];
    const VMRegisterStepInsn& again = at[2];
    const VMRegisterStepInsn& logic = at[4];
    const VMRegisterStepInsn& branch = at[5];
    bool tests = TestsAgainstConstant(at[1]) && at[1].left == load.target && at[1].target == load.target &&
                 TestsAgainstConstant(at[3]) && at[3].left == again.target && at[3].target == again.target;
    bool same = again.step == VMRegisterStep::LoadField && again.field == load.field && again.sourceType == load.sourceType;
    return tests && same && logic.step == VMRegisterStep::Logic && logic.left == load.target && logic.right == again.target &&
           branch.step == VMRegisterStep::Branch && branch.left == logic.target && branch.entry == logic.entry + 1;
}

// A load of a plain variable handed alone to a built-in whose row measures a text: the fused step
// measures the variable's text where it lies.
bool MeasuresVariable(const VMRegisterStepInsn* at, size_t left, VMRegisterStepInsn& fused)
{
    const VMRegisterStepInsn& load = at[0];
    const VMRegisterStepInsn& call = at[1];
    bool loads = LoadsPlainVariable(load) || load.step == VMRegisterStep::LoadOther;
    if (left < 2 || !loads || call.step != VMRegisterStep::CallBuiltIn || call.site->constant != 1 ||
        call.depth != load.target + 1 || call.target != load.target)
        return false;
    const FunctionEntry* row = Function_Get(call.site->id);
    if (row == nullptr || row->argCount != 1 || row->textForms == nullptr || row->textForms->measure == nullptr)
        return false;
    fused.step = VMRegisterStep::MeasureVariable;
    fused.measure = row->textForms->measure;
    return true;
}

// A plain variable's load tested against a constant in its own register: `life <= 0`.
bool TestsVariable(const VMRegisterStepInsn& load, const VMRegisterStepInsn& test)
{
    bool constant = TestsAgainstConstant(test) || test.step == VMRegisterStep::ConstantCompare;
    return LoadsPlainVariable(load) && constant && test.left == load.target && test.target == load.target;
}

// The branch on a test's bool, its word just after the test's.
bool BranchesOn(const VMRegisterStepInsn& test, const VMRegisterStepInsn& branch)
{
    return branch.step == VMRegisterStep::Branch && branch.entry == test.entry + 1 && branch.left == test.target;
}

// A switch's case test from `at`: the value in register `value` copied above it, the copy tested for
// equality with a constant, and the branch out on true, the value live beneath the bool.
bool TestsCase(const VMRegisterStepInsn* at, uint8_t value)
{
    using S = VMRegisterStep;
    const VMRegisterStepInsn& copy = at[0];
    const VMRegisterStepInsn& test = at[1];
    const VMRegisterStepInsn& branch = at[2];
    bool equality = (test.step == S::ConstantCompare || test.step == S::ConstantIntCompare) && test.opcode == VM_OP_SEQ;
    return copy.step == S::Copy && copy.left == value && copy.target == value + 1 && equality &&
           test.left == copy.target && test.target == copy.target && branch.step == S::BranchOut &&
           branch.opcode == VM_OP_BT && branch.left == copy.target;
}

// The most cases one SwitchCases step tests; a longer chain goes on in another.
constexpr size_t SWITCH_CASES_MOST = 64;

// Whether the `cases` case tests from `at` (TestsCase) are of reals against whole numbers in a row,
// the first `at`[1].constant and each next one more: `case 0: ... case 1: ... case 2:`. A whole value
// then finds its case by subtraction.
bool CasesInRow(const VMRegisterStepInsn* at, size_t cases)
{
    const double first = at[1].constant;
    if (!(first >= -2147483648.0 && first + static_cast<double>(cases) <= 2147483648.0) ||
        static_cast<double>(static_cast<int32_t>(first)) != first)
        return false;
    for (size_t k = 0; k < cases; ++k) {
        const VMRegisterStepInsn& test = at[3 * k + 1];
        if (test.step != VMRegisterStep::ConstantCompare || test.constant != first + static_cast<double>(k)) return false;
    }
    return true;
}

// A plain variable's load combined with a constant and stored into a plain variable: `n += 1`,
// `i = n mod 4`, `j = (n + 1) mod 4`, and `life -= 1` into the variable it loads (x - c is exactly
// x + (-c): it adds too). The steps it stands for: 3, or 4 with the modulo after an add.
uint8_t StoresCombinedVariable(const VMRegisterStepInsn* at, size_t left, VMRegisterStepInsn& fused)
{
    using S = VMRegisterStep;
    if (left < 3 || !LoadsPlainVariable(at[0])) return 0;
    const VMRegisterStepInsn& combine = at[1];
    uint8_t target = at[0].target;
    bool onLoaded = combine.left == target && combine.target == target;
    bool modulo = left >= 4 && combine.step == S::ConstantAdd && at[2].step == S::ConstantModulo && at[2].left == target &&
                  at[2].target == target;
    const VMRegisterStepInsn& store = at[modulo ? 3 : 2];
    if (!onLoaded || store.step != S::Store || store.left != target) return 0;
    bool same = store.site->instance == at[0].site->instance && store.site->variable == at[0].site->variable;
    if (combine.step == S::ConstantSubtract && same && !modulo) {
        fused.step = S::StepVariable;
        fused.constant = -combine.constant;
        return 3;
    }
    if (combine.step != S::ConstantAdd && combine.step != S::ConstantModulo) return 0;
    fused.step = modulo ? S::AddModuloStore : combine.step == S::ConstantAdd ? (same ? S::AddInPlace : S::AddStore) : S::ModuloStore;
    fused.constant = combine.constant;
    fused.secondConstant = modulo ? at[2].constant : 0;
    return modulo ? 4 : 3;
}

// An element of the instance a constant names at a plain variable's index, read or stored: the
// fused step reads the index where it lies and goes to the element.
bool IndexesElement(const VMRegisterStepInsn* at, size_t left, VMRegisterStepInsn& fused)
{
    using S = VMRegisterStep;
    if (left < 4) return false;
    const VMRegisterStepInsn& instance = at[0];
    const VMRegisterStepInsn& index = at[1];
    const VMRegisterStepInsn& truncate = at[2];
    const VMRegisterStepInsn& access = at[3];
    bool indexed = instance.step == S::LoadConstant && LoadsPlainVariable(index) && index.target == instance.target + 1 &&
                   truncate.step == S::Truncate && truncate.left == index.target && truncate.target == index.target;
    if (!indexed || access.right != index.target) return false;
    if (access.step == S::LoadElement && access.left == instance.target && access.target == instance.target) {
        fused.step = S::ElementAtVariable;
        return true;
    }
    if (access.step == S::StoreElement && access.target == instance.target) {
        fused.step = S::StoreAtVariable;
        fused.left = access.left;
        return true;
    }
    return false;
}

// Two loads of plain variables that a leaf's call takes on top: the fused step loads them and calls
// the leaf (its call's depth in `right`, its result's register in `left`).
bool LoadsForLeaf(const VMRegisterStepInsn* at, size_t left, VMRegisterStepInsn& fused)
{
    if (left < 3 || !LoadsPlainVariable(at[0]) || !LoadsPlainVariable(at[1])) return false;
    const VMRegisterStepInsn& call = at[2];
    if (at[1].target != at[0].target + 1 || call.step != VMRegisterStep::CallLeaf || call.depth != at[1].target + 1)
        return false;
    // The list's read and replace are made in place: the call costs more than their work.
    fused.step = call.leaf == &Leaf_DsListFindValue ? VMRegisterStep::LoadsListRead
                 : call.leaf == &Leaf_DsListReplace ? VMRegisterStep::LoadsListReplace
                                                    : VMRegisterStep::LoadsCallLeaf;
    fused.leaf = call.leaf;
    fused.right = call.depth;
    fused.left = call.target;
    return true;
}

// A load of a plain variable, a load of another into the next register, their Add into the first's
// register and its Store into the first variable: `s += v`; or the same into a variable of other's
// (LoadOther, StoreOther): `other.total += v`, a with block's body adding to its caller's.
// The fused step that stands for them, or Leave for none.
VMRegisterStep AddsIntoFirst(const VMRegisterStepInsn* at)
{
    using S = VMRegisterStep;
    const VMRegisterStepInsn &first = at[0], &second = at[1], &add = at[2], &store = at[3];
    bool plain = LoadsPlainVariable(first) && store.step == S::Store;
    bool others = first.step == S::LoadOther && store.step == S::StoreOther;
    bool adds = (plain || others) && LoadsPlainVariable(second) && second.target == first.target + 1 &&
                add.step == S::Add && add.left == first.target && add.right == second.target &&
                add.target == first.target && store.left == add.target &&
                store.site->instance == first.site->instance && store.site->variable == first.site->variable;
    return !adds ? S::Leave : plain ? S::VariableAddStore : S::OtherAddStore;
}

// A load of a plain variable, its Truncate in place, and a read of a float field in place of the
// instance it names, into the same register: `target.x`.
bool ReadsNamedField(const VMRegisterStepInsn* at)
{
    const VMRegisterStepInsn &load = at[0], &truncate = at[1], &field = at[2];
    return LoadsPlainVariable(load) && truncate.step == VMRegisterStep::Truncate && truncate.left == load.target &&
           truncate.target == load.target && field.step == VMRegisterStep::LoadInstance && field.sourceType == 2 &&
           field.left == load.target && field.target == load.target;
}

// The fused step for the steps from `at` (`left` of them to the sequence's end) when one runs a row
// of them as one, each on the registers its part before wrote: `fused` made from the first, and the
// steps it stands for answered (0: none).
uint8_t FuseAt(const VMRegisterStepInsn* at, size_t left, VMRegisterStepInsn& fused)
{
    using S = VMRegisterStep;
    const VMRegisterStepInsn& first = at[0];
    fused = first;
    bool field = first.step == S::LoadField;
    if (field && left >= 4 && LoadsPlainVariable(at[1])) {
        const VMRegisterStepInsn& combine = at[2];
        const VMRegisterStepInsn& store = at[3];
        bool plain = combine.step == S::Add || combine.step == S::Subtract || combine.step == S::Multiply;
        if (plain && combine.left == first.target && combine.right == at[1].target && store.step == S::StoreBuiltIn &&
            store.left == combine.target && store.sourceType == first.sourceType) {
            fused.step = combine.step == S::Add ? S::FieldAddStore : S::FieldCombineStore;
            fused.site = at[1].site;
            fused.opcode = combine.opcode;
            fused.setReal = store.setReal;
            return 4;
        }
    }
    if (first.step == S::LoadConstant && left >= 3 && at[1].step == S::LoadField && at[2].step == S::LoadField &&
        at[1].target == first.target + 1 && at[2].target == first.target + 2 && at[2].sourceType == at[1].sourceType) {
        fused = at[1];
        fused.step = S::ConstantFields;
        fused.target = first.target;
        fused.constant = first.constant;
        fused.secondField = at[2].field;
        return 3;
    }
    if (field && left >= 6 && TestsOneField(at)) {
        bool outside = at[1].step == S::ConstantLess && at[3].step == S::ConstantGreater && at[4].opcode == VM_OP_OR;
        fused.step = outside ? S::FieldOutsideBranch : S::FieldTestsBranch;
        fused.constant = at[1].constant;
        fused.secondConstant = at[3].constant;
        fused.testsGreater = static_cast<uint8_t>((at[1].step == S::ConstantGreater ? 1 : 0) | (at[3].step == S::ConstantGreater ? 2 : 0));
        fused.opcode = at[4].opcode;
        fused.site = at[4].site;
        BranchesAs(fused, at[5]);
        return 6;
    }
    if (left >= 3 && LoadsPlainVariable(first) && at[1].step == S::Negate && at[2].step == S::Store &&
        at[1].left == first.target && at[2].left == at[1].target && at[2].site->instance == first.site->instance &&
        at[2].site->variable == first.site->variable) {
        fused.step = S::NegateVariable;
        return 3;
    }
    if (uint8_t parts = StoresCombinedVariable(at, left, fused)) return parts;
    if (first.step == S::Copy) {
        size_t cases = 0;
        while (cases < SWITCH_CASES_MOST && left >= 3 * (cases + 1) && TestsCase(at + 3 * cases, first.left)) ++cases;
        if (cases > 0) {
            fused.step = S::SwitchCases;
            fused.right = static_cast<uint8_t>(cases);
            fused.sourceType = 0;
            for (size_t k = 0; k < cases; ++k)
                if (at[3 * k + 1].step == S::ConstantIntCompare) fused.sourceType = 1;
            fused.casesInRow = CasesInRow(at, cases) ? 1 : 0;
            fused.field = fused.casesInRow != 0 ? static_cast<int32_t>(at[1].constant) : 0;
            return static_cast<uint8_t>(3 * cases);
        }
    }
    if (left >= 3 && ReadsNamedField(at)) {
        fused.step = S::LoadNamedField;
        fused.field = at[2].field;
        return 3;
    }
    if (S adds = left >= 4 ? AddsIntoFirst(at) : S::Leave; adds != S::Leave) {
        fused.step = adds;
        fused.added = at[1].site;
        return 4;
    }
    if (IndexesElement(at, left, fused)) return 4;
    if (LoadsForLeaf(at, left, fused)) return 3;
    if (left < 2) return 0;
    if (MeasuresVariable(at, left, fused)) return 2;
    const VMRegisterStepInsn& second = at[1];
    if (left >= 3 && TestsVariable(first, second) && BranchesOn(second, at[2])) {
        fused.step = S::VariableTestBranch;
        fused.opcode = second.opcode;
        fused.constant = second.constant;
        BranchesAs(fused, at[2]);
        return 3;
    }
    bool adds = first.step == S::Add || first.step == S::ConstantAdd;
    if (adds && second.step == S::ConstantModulo && second.left == first.target && second.target == first.target) {
        fused.step = first.step == S::Add ? S::AddModulo : S::ConstantAddModulo;
        fused.secondConstant = second.constant;
        return 2;
    }
    if ((field || LoadsPlainVariable(first)) && TestsAgainstConstant(second) && second.left == first.target &&
        second.target == first.target) {
        bool less = second.step == S::ConstantLess;
        fused.step = field ? (less ? S::FieldLess : S::FieldGreater) : (less ? S::VariableLess : S::VariableGreater);
        fused.constant = second.constant;
        return 2;
    }
    if (LoadsPlainVariable(first) && second.step == S::ConstantCompare && second.left == first.target &&
        second.target == first.target) {
        fused.step = S::VariableCompare;
        fused.opcode = second.opcode;
        fused.constant = second.constant;
        return 2;
    }
    if (field && second.step == S::LoadField && second.sourceType == first.sourceType && second.target == first.target + 1) {
        fused.step = S::LoadFields;
        fused.secondField = second.field;
        return 2;
    }
    // A branch's word follows its test's, whose entry the fused step goes on from.
    bool test = first.step == S::Logic || first.step == S::Truth;
    if (test && second.step == S::Branch && second.entry == first.entry + 1 && second.left == first.target) {
        fused.step = first.step == S::Logic ? S::LogicBranch : S::TruthBranch;
        BranchesAs(fused, second);
        return 2;
    }
    return 0;
}

VMTranslation* Translate(const VMBuffer* buffer)
{
    VMTranslation* t = new VMTranslation();
    t->words = buffer->m_pWords;
    t->size = buffer->m_Size;
    t->epoch = g_VMCodeEpoch;
    t->indexOfWord.assign(static_cast<size_t>(t->size + 3) / 4, -1);
    t->insns.reserve(static_cast<size_t>(t->size) / 4 + 1);
    DecodeAll(*t, VM_FindLocalSlots(buffer));
    ResolveBranches(*t);
    VM_JoinTexts(*t);
    JoinSequences(*t);
    JoinLonger(*t);
    JoinCombinedStores(*t);
    JoinCountingSteps(*t);
    JoinElementStores(*t);
    JoinReturns(*t);
    JoinRealSequences(*t);
    return t;
}

} // namespace

bool g_VMTranslate = TranslateByDefault();
uint64_t g_VMCodeEpoch = 1;

VMTranslation* VM_TranslateAgain(const VMBuffer* buffer)
{
    if (!g_VMTranslate || buffer == nullptr || buffer->m_pWords == nullptr || buffer->m_Size <= 0) return nullptr;
    VM_FreeTranslation(buffer->m_pTranslation);
    buffer->m_pTranslation = Translate(buffer);
    return buffer->m_pTranslation;
}

void VM_FreeTranslation(VMTranslation* translation) { delete translation; }

void VM_FuseRegisterSteps(VMTranslation& translation)
{
    std::vector<VMTranslatedInsn*> heads;
    for (VMTranslatedInsn& insn : translation.insns)
        if (insn.kind == VMKind::RealSequence) heads.push_back(&insn);
    std::sort(heads.begin(), heads.end(),
              [](const VMTranslatedInsn* a, const VMTranslatedInsn* b) { return a->registerFirst < b->registerFirst; });
    const std::vector<VMRegisterStepInsn>& steps = translation.registerSteps;
    std::vector<VMRegisterStepInsn> fused;
    fused.reserve(steps.size() * 2);
    for (size_t h = 0; h < heads.size(); ++h) {
        size_t first = static_cast<size_t>(heads[h]->registerFirst);
        size_t end = h + 1 < heads.size() ? static_cast<size_t>(heads[h + 1]->registerFirst) : steps.size();
        heads[h]->registerFirst = static_cast<int32_t>(fused.size());
        for (size_t k = first; k < end;) {
            VMRegisterStepInsn made;
            uint8_t parts = FuseAt(&steps[k], end - k, made);
            if (parts != 0) {
                made.pastParts = static_cast<uint16_t>((parts + 1u) * sizeof(VMRegisterStepInsn));
                fused.push_back(made);
            }
            size_t through = k + std::max<size_t>(parts, 1);
            fused.insert(fused.end(), steps.begin() + static_cast<std::ptrdiff_t>(k), steps.begin() + static_cast<std::ptrdiff_t>(through));
            k = through;
        }
    }
    translation.registerSteps = std::move(fused);
}

namespace {

// The sites of plain variables (with the instance item of each) that a step looks its variable up
// at when it runs whole: a fused step's own, not its parts'.
void SitesLookedUp(const VMRegisterStepInsn* at, std::vector<std::pair<VMTranslatedInsn*, int32_t>>& out)
{
    using S = VMRegisterStep;
    auto add = [&](VMTranslatedInsn* site) { out.push_back({site, site->instance}); };
    switch (at->step) {
    case S::LoadVariable:
    case S::Store:
    case S::VariableLess:
    case S::VariableGreater:
    case S::VariableCompare:
    case S::VariableTestBranch:
    case S::NegateVariable:
    case S::StepVariable:
    case S::AddInPlace:
    case S::MeasureVariable:
    case S::LoadNamedField:
    case S::FieldAddStore:
    case S::FieldCombineStore: add(at->site); break;
    case S::AddStore:
    case S::ModuloStore: add(at->site), add(at[3].site); break;
    case S::AddModuloStore: add(at->site), add(at[4].site); break;
    case S::VariableAddStore: add(at->site), add(at->added); break;
    case S::OtherAddStore: add(at->site), add(at->added); break;
    case S::LoadOther:
    case S::StoreOther: add(at->site); break;
    case S::LoadsCallLeaf:
    case S::LoadsListRead:
    case S::LoadsListReplace: add(at->site), add(at[2].site); break;
    case S::ElementAtVariable:
    case S::StoreAtVariable:
        add(at[2].site);
        out.push_back({at[4].site, static_cast<int32_t>(at->constant)});
        break;
    default: break;
    }
}

} // namespace

bool VM_TurnsAsWithBody(const VMRegisterStepInsn& last, const VMTranslatedInsn& head)
{
    if (last.step != VMRegisterStep::Leave || last.depth != 0) return false;
    const VMTranslatedInsn& popenv = *last.site;
    return popenv.kind == VMKind::PopEnv && !VM_IsPopEnvBreak(popenv.word) &&
           int64_t{popenv.at} + int64_t{VM_WordBranchDistance(popenv.word)} * 4 == int64_t{head.at};
}

void VM_NumberRunSites(VMTranslation& translation)
{
    std::vector<VMTranslatedInsn*> heads; // by their first step
    for (VMTranslatedInsn& insn : translation.insns)
        if (insn.kind == VMKind::RealSequence) heads.push_back(&insn);
    std::sort(heads.begin(), heads.end(),
              [](const VMTranslatedInsn* a, const VMTranslatedInsn* b) { return a->registerFirst < b->registerFirst; });
    std::vector<size_t> starts;
    for (const VMTranslatedInsn* head : heads) starts.push_back(static_cast<size_t>(head->registerFirst));
    // The sites of self's variables (and of no named instance's) that the steps look up: each site,
    // its sequence, and the instance item and identifier of its variable.
    struct Site {
        VMTranslatedInsn* site;
        size_t sequence;
        size_t stretch; // the built-in calls before it, after which the steps keep nothing they found
        std::pair<int32_t, int32_t> variable;
        bool operator==(const Site& other) const { return sequence == other.sequence && variable == other.variable; }
        bool SameStretch(const Site& other) const { return *this == other && stretch == other.stretch; }
    };
    std::vector<Site> sites;
    std::vector<std::pair<VMTranslatedInsn*, int32_t>> looked;
    const std::vector<VMRegisterStepInsn>& steps = translation.registerSteps;
    // The with bodies' sites of other's variables, with their sequences.
    std::vector<bool> turns(starts.size() + 1);
    for (size_t h = 0; h < heads.size(); ++h)
        turns[h + 1] = VM_TurnsAsWithBody(*VM_SequenceEnd(steps.data() + starts[h]), *heads[h]);
    std::vector<std::pair<VMTranslatedInsn*, size_t>> others;
    size_t stretch = 0;
    for (size_t k = 0; k < steps.size(); k += std::max<size_t>(1, steps[k].pastParts / sizeof(VMRegisterStepInsn))) {
        if (steps[k].step == VMRegisterStep::CallBuiltIn) ++stretch;
        looked.clear();
        SitesLookedUp(&steps[k], looked);
        size_t sequence = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), k) - starts.begin());
        for (const auto& [site, instance] : looked) {
            bool self = instance == VM_INSTANCE_SELF || instance == VM_INSTANCE_UNNAMED;
            if (self && site->id >= VARIABLE_LIST_BASE) sites.push_back({site, sequence, stretch, {instance, site->id}});
            // Other's plain variables only (LoadOther, StoreOther, OtherAddStore), which other's
            // steps keep across turns: an element step of other's array finds its node at each turn.
            if (site->instance == VM_INSTANCE_OTHER && site->id >= VARIABLE_LIST_BASE && turns[sequence])
                others.push_back({site, sequence});
        }
    }
    // The sites come in their steps' order, so that a sequence's lie together: each site's first of
    // its sequence, and the end of those; only they are compared with it.
    std::vector<size_t> first(sites.size()), end(sites.size());
    for (size_t k = 0; k < sites.size(); ++k)
        first[k] = k > 0 && sites[k].sequence == sites[k - 1].sequence ? first[k - 1] : k;
    for (size_t k = sites.size(); k-- > 0;)
        end[k] = k + 1 < sites.size() && sites[k].sequence == sites[k + 1].sequence ? end[k + 1] : k + 1;
    auto at = [&](size_t k) { return sites.begin() + static_cast<std::ptrdiff_t>(k); };
    // A sequence's lookups that find a kept node, and the variables it keeps, by sequence (from 1).
    std::vector<int32_t> again(starts.size() + 1), kept(starts.size() + 1);
    for (size_t k = 0; k < sites.size(); ++k) {
        const Site& site = sites[k];
        auto before = std::count_if(at(first[k]), at(k), [&](const Site& other) { return other.SameStretch(site); });
        if (before > 0) ++again[site.sequence];
        if (before == 1) ++kept[site.sequence];
    }
    // A site given its variable's place, the variable given one while places are left: false when
    // none is.
    std::vector<std::pair<int32_t, int32_t>> variables; // by place
    auto place = [&](VMTranslatedInsn& site, std::pair<int32_t, int32_t> variable) {
        auto found = std::find(variables.begin(), variables.end(), variable);
        if (found == variables.end() && variables.size() == VM_RUN_SITES) return false;
        if (found == variables.end()) found = variables.insert(found, variable);
        site.runSlot = static_cast<uint8_t>(found - variables.begin());
        site.runBit = 1u << site.runSlot;
        return true;
    };
    for (size_t k = 0; k < sites.size(); ++k) {
        const Site& site = sites[k];
        if (site.sequence == 0 || again[site.sequence] <= kept[site.sequence]) continue;
        heads[site.sequence - 1]->keepsSites = true;
        if (std::count(at(first[k]), at(end[k]), site) >= 2) place(*site.site, site.variable);
    }
    for (const auto& [site, sequence] : others)
        if (place(*site, {VM_INSTANCE_OTHER, site->id})) heads[sequence - 1]->keepsSites = true;
}
