#include "code/Code_CheckerStack.h"

#include <unordered_map>
#include <vector>

#include "code/Code_Bytecode.h"

namespace {

// One 4-byte cell of the value stack. Numbers, and bytes of no known kind, are alike: reading them
// as any number is harmless. A string's cell, a variable's four and a with frame's two are told
// apart so that only a whole item pushed as one is ever taken as one.
enum Cell : uint8_t {
    CELL_NUMBER,
    CELL_STRING,
    CELL_VAR0, // a variable's top cell (its kind), then its reference and its real
    CELL_VAR1,
    CELL_VAR2,
    CELL_VAR3,
    CELL_ENV0, // a with frame's mark, then the index of its block
    CELL_ENV1,
};

constexpr uint32_t NO_STATE = UINT32_MAX;
constexpr uint32_t EMPTY_STACK = 0;
// No program keeps a megabyte on its own stack; beyond that (and beyond the node and work budgets,
// which bound the check's time and memory on hostile code) the entry is refused.
constexpr uint32_t MAX_CELLS = (1u << 20) / 4;
constexpr uint32_t MAX_NODES = 1u << 20;
constexpr uint64_t MAX_WORK = 1u << 25;

bool IsContinuation(uint8_t cell)
{
    return cell == CELL_VAR1 || cell == CELL_VAR2 || cell == CELL_VAR3 || cell == CELL_ENV1;
}

// How far below its item's top cell a cell lies.
uint32_t OffsetInItem(uint8_t cell)
{
    switch (cell) {
    case CELL_VAR1:
    case CELL_ENV1: return 1;
    case CELL_VAR2: return 2;
    case CELL_VAR3: return 3;
    default: return 0;
    }
}

uint32_t ItemCells(uint8_t top)
{
    return top == CELL_VAR0 ? 4 : top == CELL_ENV0 ? 2 : 1;
}

uint32_t StackCells(uint32_t type)
{
    static const uint8_t cells[16] = {2, 1, 1, 2, 1, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return cells[type & 0xF];
}

// The item a computation on two operands of these (non-variable) types pushes, or NO_RESULT for a
// pair that the interpreter refuses with an error, which ends the run.
constexpr uint32_t NO_RESULT = 0xFF;

uint32_t ArithmeticResult(uint8_t opcode, uint32_t left, uint32_t right)
{
    bool anyString = left == VM_TYPE_STRING || right == VM_TYPE_STRING;
    bool stringsTaken = opcode == VM_OP_ADD || opcode == VM_OP_MUL;
    if (anyString && !stringsTaken) return NO_RESULT;
    bool ints = left == VM_TYPE_INT && right == VM_TYPE_INT;
    bool leftReal = left == VM_TYPE_DOUBLE || left == VM_TYPE_INT;
    bool rightReal = right == VM_TYPE_DOUBLE || right == VM_TYPE_INT;
    bool mixed = leftReal && rightReal && !ints;
    if (ints) return VM_TYPE_INT;
    switch (opcode) {
    case VM_OP_ADD:
        if (left == VM_TYPE_STRING && right == VM_TYPE_STRING) return VM_TYPE_STRING;
        if ((left == VM_TYPE_DOUBLE && right == VM_TYPE_LONG) || (left == VM_TYPE_LONG && right == VM_TYPE_DOUBLE))
            return VM_TYPE_DOUBLE;
        break;
    case VM_OP_MUL:
        if (leftReal && right == VM_TYPE_STRING) return VM_TYPE_STRING;
        break;
    case VM_OP_AND:
    case VM_OP_OR:
    case VM_OP_XOR:
        if (left == VM_TYPE_BOOL && right == VM_TYPE_BOOL) return VM_TYPE_BOOL;
        break;
    case VM_OP_SHL:
    case VM_OP_SHR:
        // Shifts take a double only on the left or with an int32 on the left and a double count.
        if (left == VM_TYPE_DOUBLE && rightReal) return VM_TYPE_DOUBLE;
        if (left == VM_TYPE_INT && right == VM_TYPE_DOUBLE) return VM_TYPE_DOUBLE;
        return NO_RESULT;
    default: break;
    }
    return mixed ? uint32_t{VM_TYPE_DOUBLE} : NO_RESULT;
}

bool IsArithmetic(uint8_t opcode)
{
    return opcode >= VM_OP_MUL && opcode <= VM_OP_SHR && opcode != VM_OP_NEG && opcode != VM_OP_NOT;
}

bool IsComparison(uint8_t opcode) { return opcode >= VM_OP_SLT && opcode <= VM_OP_SGT; }

// Stacks as shared nodes, each a cell above a parent stack, made once per distinct stack: one
// stack is always one number, so paths that meet compare in one step.
class StackNodes {
public:
    StackNodes()
    {
        m_Parent.push_back(NO_STATE);
        m_Cell.push_back(CELL_NUMBER);
        m_Depth.push_back(0);
    }

    uint8_t Top(uint32_t stack) const { return m_Cell[stack]; }
    uint32_t Below(uint32_t stack) const { return m_Parent[stack]; }
    uint32_t Depth(uint32_t stack) const { return m_Depth[stack]; }

    // NO_STATE when the stack or the node budget would be exceeded.
    uint32_t Push(uint32_t stack, uint8_t cell)
    {
        uint64_t key = (static_cast<uint64_t>(stack) << 3) | cell;
        auto found = m_Index.find(key);
        if (found != m_Index.end()) return found->second;
        if (m_Cell.size() >= MAX_NODES || m_Depth[stack] >= MAX_CELLS) return NO_STATE;
        uint32_t node = static_cast<uint32_t>(m_Cell.size());
        m_Parent.push_back(stack);
        m_Cell.push_back(cell);
        m_Depth.push_back(m_Depth[stack] + 1);
        m_Index.emplace(key, node);
        return node;
    }

private:
    std::vector<uint32_t> m_Parent;
    std::vector<uint8_t> m_Cell;
    std::vector<uint32_t> m_Depth;
    std::unordered_map<uint64_t, uint32_t> m_Index;
};

// Cells taken off a stack, the top one first.
using Cells = std::vector<uint8_t>;

// An item cut by a boundary at `at` (between cells[at - 1] and cells[at]) becomes plain bytes: its
// parts can no longer be taken as the item they were.
void BreakItemAt(Cells& cells, size_t at)
{
    if (at >= cells.size() || !IsContinuation(cells[at])) return;
    size_t offset = OffsetInItem(cells[at]);
    size_t head = at >= offset ? at - offset : 0;
    size_t end = head + ItemCells(cells[head]);
    for (size_t i = head; i < end && i < cells.size(); ++i) cells[i] = CELL_NUMBER;
}

class KindWalk {
public:
    KindWalk(const uint8_t* code, uint32_t size, VMCheckResult* result)
        : m_Code(code), m_Size(size), m_Result(result), m_State(size / 4 + 1, NO_STATE)
    {
    }

    bool Run()
    {
        if (!Reach(0, 0, EMPTY_STACK)) return false;
        while (!m_Pending.empty()) {
            uint32_t at = m_Pending.back();
            m_Pending.pop_back();
            if (!Step(at, m_State[at / 4])) return false;
        }
        return true;
    }

private:
    const uint8_t* m_Code;
    uint32_t m_Size;
    VMCheckResult* m_Result;
    StackNodes m_Nodes;
    std::vector<uint32_t> m_State; // the stack each reached word is reached with
    std::vector<uint32_t> m_Pending;
    uint64_t m_Work = 0;
    uint32_t m_At = 0; // the instruction being followed

    bool Fail(VMCheckFault fault, int64_t detail)
    {
        m_Result->fault = fault;
        m_Result->offset = m_At;
        m_Result->detail = detail;
        return false;
    }

    bool Forged(int64_t kind) { return Fail(VMCheckFault::ForgedItem, kind); }

    // The instruction at `at` runs with `stack`; every path must bring the same one.
    bool Reach(uint32_t from, uint32_t at, uint32_t stack)
    {
        if (at >= m_Size) return EndOfCode(stack);
        uint32_t& known = m_State[at / 4];
        if (known == NO_STATE) {
            known = stack;
            m_Pending.push_back(at);
            return true;
        }
        if (known == stack) return true;
        m_At = at;
        return Fail(VMCheckFault::StacksDiffer, from);
    }

    // Running off the end at the run's own level hands the top 16 bytes over as a variable.
    bool EndOfCode(uint32_t stack)
    {
        if (m_Nodes.Depth(stack) < 4 || VariableOnTop(stack)) return true;
        m_At = m_Size;
        return Forged(VM_TYPE_VARIABLE);
    }

    bool VariableOnTop(uint32_t stack) const
    {
        for (uint8_t cell = CELL_VAR0; cell <= CELL_VAR3; ++cell) {
            if (m_Nodes.Depth(stack) == 0 || m_Nodes.Top(stack) != cell) return false;
            stack = m_Nodes.Below(stack);
        }
        return true;
    }

    bool Spend(uint64_t cells)
    {
        m_Work += cells;
        return m_Work <= MAX_WORK || Fail(VMCheckFault::StackTooLarge, 0);
    }

    bool Push(uint32_t& stack, uint8_t cell, uint32_t count = 1)
    {
        if (!Spend(count)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t next = m_Nodes.Push(stack, cell);
            if (next == NO_STATE) return Fail(VMCheckFault::StackTooLarge, int64_t{m_Nodes.Depth(stack)} * 4);
            stack = next;
        }
        return true;
    }

    bool PushVariable(uint32_t& stack)
    {
        return Push(stack, CELL_VAR3) && Push(stack, CELL_VAR2) && Push(stack, CELL_VAR1) && Push(stack, CELL_VAR0);
    }

    bool PushItem(uint32_t& stack, uint32_t type)
    {
        if (type == VM_TYPE_VARIABLE) return PushVariable(stack);
        if (type == VM_TYPE_STRING) return Push(stack, CELL_STRING);
        return Push(stack, CELL_NUMBER, StackCells(type));
    }

    // Pushes cells taken off before, the bottom one first.
    bool Restack(uint32_t& stack, const Cells& cells)
    {
        for (size_t i = cells.size(); i > 0; --i)
            if (!Push(stack, cells[i - 1])) return false;
        return true;
    }

    bool Unstack(uint32_t& stack, uint32_t count, Cells& cells)
    {
        if (m_Nodes.Depth(stack) < count) return Fail(VMCheckFault::Underflow, int64_t{count} * 4);
        if (!Spend(count)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            cells.push_back(m_Nodes.Top(stack));
            stack = m_Nodes.Below(stack);
        }
        return true;
    }

    // Numbers taken off the top: whatever lay there is only read as bytes (a string or variable
    // taken so is lost, never freed). What is left of an item cut through becomes plain bytes.
    bool TakeNumbers(uint32_t& stack, uint32_t count)
    {
        Cells taken;
        if (!Unstack(stack, count, taken)) return false;
        return Settle(stack);
    }

    bool Settle(uint32_t& stack)
    {
        uint32_t rest = 0;
        while (m_Nodes.Depth(stack) > 0 && IsContinuation(m_Nodes.Top(stack))) {
            uint8_t cell = m_Nodes.Top(stack);
            stack = m_Nodes.Below(stack);
            ++rest;
            if (cell == CELL_VAR3 || cell == CELL_ENV1) break;
        }
        return Push(stack, CELL_NUMBER, rest);
    }

    bool TakeWhole(uint32_t& stack, uint8_t top, int64_t kind)
    {
        uint32_t cells = ItemCells(top);
        if (m_Nodes.Depth(stack) < cells) return Fail(VMCheckFault::Underflow, int64_t{cells} * 4);
        if (m_Nodes.Top(stack) != top) return Forged(kind);
        Cells taken;
        return Unstack(stack, cells, taken);
    }

    bool TakeItem(uint32_t& stack, uint32_t type)
    {
        if (type == VM_TYPE_VARIABLE) return TakeWhole(stack, CELL_VAR0, VM_TYPE_VARIABLE);
        if (type == VM_TYPE_STRING) return TakeWhole(stack, CELL_STRING, VM_TYPE_STRING);
        return TakeNumbers(stack, StackCells(type));
    }

    // The index and the instance of a variable access that come from the stack.
    bool TakeAccess(uint32_t& stack, uint32_t variable)
    {
        uint32_t count = ((variable & VM_VAR_NO_INDEX) == 0 ? 1 : 0) + ((variable & VM_VAR_INSTANCE_IN_WORD) == 0 ? 1 : 0);
        return TakeNumbers(stack, count);
    }

    bool Step(uint32_t at, uint32_t stack);
    bool StepPop(uint32_t word, uint32_t variable, uint32_t& stack, bool& goesOn);
    bool Rotate(uint32_t word, uint32_t& stack, bool& goesOn);
    bool Dup(uint32_t word, uint32_t& stack);
    bool Compute(uint32_t word, uint32_t& stack, bool& goesOn);
    bool PopEnv(uint32_t word, uint32_t& stack, uint32_t target);
    uint32_t Target(uint32_t at, uint32_t word) const
    {
        return static_cast<uint32_t>(static_cast<int64_t>(at) + static_cast<int64_t>(VM_WordBranchDistance(word)) * 4);
    }
};

bool KindWalk::StepPop(uint32_t word, uint32_t variable, uint32_t& stack, bool& goesOn)
{
    uint32_t form = VM_WordFirstType(word);
    uint32_t valueType = VM_WordSecondType(word);
    if (form == VM_TYPE_IMMEDIATE) return Rotate(word, stack, goesOn);
    // A malformed form, a float or a typeless value is an error before anything is taken.
    if ((form != VM_TYPE_VARIABLE && form != VM_TYPE_INT) || valueType == VM_TYPE_FLOAT || StackCells(valueType) == 0) {
        goesOn = false;
        return true;
    }
    if (form == VM_TYPE_VARIABLE) return TakeAccess(stack, variable) && TakeItem(stack, valueType);
    return TakeItem(stack, valueType) && TakeAccess(stack, variable);
}

// The top item goes beneath the block under it, then the stack pointer moves by whole cells.
bool KindWalk::Rotate(uint32_t word, uint32_t& stack, bool& goesOn)
{
    int32_t blockCells = static_cast<int8_t>(word & 0xFF);
    int32_t move = static_cast<int8_t>((word >> 8) & 0xFF);
    if (blockCells < 0) {
        goesOn = false; // malformed at run time
        return true;
    }
    uint32_t itemCells = StackCells(VM_WordSecondType(word));
    uint32_t moved = itemCells + static_cast<uint32_t>(blockCells);
    Cells cells;
    if (!Unstack(stack, moved, cells)) return false;
    // The rest of an item that the block's lower edge cuts comes along, to be broken up.
    while (m_Nodes.Depth(stack) > 0 && IsContinuation(m_Nodes.Top(stack))) {
        cells.push_back(m_Nodes.Top(stack));
        stack = m_Nodes.Below(stack);
    }
    BreakItemAt(cells, itemCells);
    BreakItemAt(cells, moved);
    Cells rotated(cells.begin() + itemCells, cells.begin() + moved);
    rotated.insert(rotated.end(), cells.begin(), cells.begin() + itemCells);
    rotated.insert(rotated.end(), cells.begin() + moved, cells.end());
    if (!Restack(stack, rotated)) return false;
    if (move > 0) return TakeNumbers(stack, static_cast<uint32_t>(move));
    // Moving down uncovers old bytes: plain numbers.
    return Push(stack, CELL_NUMBER, static_cast<uint32_t>(-move));
}

bool KindWalk::Dup(uint32_t word, uint32_t& stack)
{
    uint32_t type = VM_WordFirstType(word);
    uint32_t copies = (word & 0xFFFF) + 1;
    uint32_t cells = StackCells(type);
    if (cells == 0) return true;
    if (type == VM_TYPE_STRING || type == VM_TYPE_VARIABLE) {
        // The top value is read and copied: it must be one.
        if (!TakeItem(stack, type)) return false;
        for (uint32_t i = 0; i <= copies; ++i)
            if (!PushItem(stack, type)) return false;
        return true;
    }
    // A block of bytes copied above itself: the copy owns nothing, whatever the original holds.
    uint64_t block = uint64_t{cells} * copies;
    if (m_Nodes.Depth(stack) < block) return Fail(VMCheckFault::Underflow, static_cast<int64_t>(block) * 4);
    return Push(stack, CELL_NUMBER, static_cast<uint32_t>(block));
}

bool KindWalk::Compute(uint32_t word, uint32_t& stack, bool& goesOn)
{
    uint8_t opcode = VM_WordOpcode(word);
    uint32_t right = VM_WordFirstType(word);
    uint32_t left = VM_WordSecondType(word);
    if (!TakeItem(stack, right) || !TakeItem(stack, left)) return false;
    if (IsComparison(opcode)) return Push(stack, CELL_NUMBER);
    if (right == VM_TYPE_VARIABLE || left == VM_TYPE_VARIABLE) return PushVariable(stack);
    uint32_t result = ArithmeticResult(opcode, left, right);
    if (result == NO_RESULT) {
        goesOn = false;
        return true;
    }
    return PushItem(stack, result);
}

// The frame stays for the next instance's run of the block and goes when the block is done.
bool KindWalk::PopEnv(uint32_t word, uint32_t& stack, uint32_t target)
{
    if (m_Nodes.Depth(stack) < 2) return Fail(VMCheckFault::Underflow, 8);
    if (m_Nodes.Top(stack) != CELL_ENV0) return Forged(VM_CHECK_ITEM_WITH_FRAME);
    if (!VM_IsPopEnvBreak(word) && !Reach(m_At, target, stack)) return false;
    Cells frame;
    return Unstack(stack, 2, frame);
}

bool KindWalk::Step(uint32_t at, uint32_t stack)
{
    m_At = at;
    uint32_t word = VM_ReadWord(m_Code, at);
    uint32_t next = at + static_cast<uint32_t>(VM_InstructionSize(word));
    uint32_t operand = next - at > 4 ? VM_ReadWord(m_Code, at + 4) : 0;
    uint8_t opcode = VM_WordOpcode(word);
    uint32_t first = VM_WordFirstType(word);
    bool goesOn = true;
    bool fine = true;
    switch (opcode) {
    case VM_OP_PUSH:
        if (first == VM_TYPE_VARIABLE) fine = TakeAccess(stack, operand) && PushVariable(stack);
        else if (first == VM_TYPE_IMMEDIATE) fine = Push(stack, CELL_NUMBER);
        else fine = PushItem(stack, first);
        break;
    case VM_OP_POP: fine = StepPop(word, operand, stack, goesOn); break;
    case VM_OP_CONV: {
        uint32_t target = VM_WordSecondType(word);
        if (first == target || first > VM_TYPE_STRING || target > VM_TYPE_STRING) {
            goesOn = false; // an error before anything is taken
            break;
        }
        fine = TakeItem(stack, first) && PushItem(stack, target);
        break;
    }
    case VM_OP_NEG:
    case VM_OP_NOT:
        // Changed in place: a number's bytes may be anything, a variable must be one; a string is
        // an error.
        fine = TakeItem(stack, first);
        if (first == VM_TYPE_STRING) goesOn = false;
        else if (fine) fine = PushItem(stack, first);
        break;
    case VM_OP_DUP: fine = Dup(word, stack); break;
    case VM_OP_POPZ: fine = TakeItem(stack, first); break;
    case VM_OP_CALL:
        if (first != VM_TYPE_INT) {
            goesOn = false;
            break;
        }
        // call measures its arguments against the stack before it reads them: too few is the
        // run-time "Stack underflow...", not a read of other bytes.
        if (m_Nodes.Depth(stack) < uint64_t{word & 0xFFFF} * 4) {
            goesOn = false;
            break;
        }
        for (uint32_t i = 0; fine && i < (word & 0xFFFF); ++i) fine = TakeItem(stack, VM_TYPE_VARIABLE);
        if (fine) fine = PushVariable(stack);
        break;
    case VM_OP_RET:
        fine = TakeItem(stack, first);
        goesOn = false;
        break;
    case VM_OP_EXIT: goesOn = false; break;
    case VM_OP_B:
        fine = Reach(at, Target(at, word), stack);
        goesOn = false;
        break;
    case VM_OP_BT:
    case VM_OP_BF: fine = TakeNumbers(stack, 1) && Reach(at, Target(at, word), stack); break;
    case VM_OP_PUSHENV:
        // Skipping the block lands on its popenv with the frame laid all the same.
        fine = TakeNumbers(stack, 1) && Push(stack, CELL_ENV1) && Push(stack, CELL_ENV0) &&
               Reach(at, Target(at, word), stack);
        break;
    case VM_OP_POPENV: fine = PopEnv(word, stack, Target(at, word)); break;
    case VM_OP_BREAK:
        // The array-index check reads the int32 on top and leaves it; a breakpoint runs the word it
        // stands for, which the file itself holds here.
        if ((word & 0xFFFF) == 0xFFFF && m_Nodes.Depth(stack) == 0) return Fail(VMCheckFault::Underflow, 4);
        break;
    default:
        if (IsArithmetic(opcode) || IsComparison(opcode)) fine = Compute(word, stack, goesOn);
        break; // any other opcode does nothing
    }
    if (!fine) return false;
    return !goesOn || Reach(at, next, stack);
}

} // namespace

bool VM_CheckStackKinds(const uint8_t* code, uint32_t size, VMCheckResult* result)
{
    KindWalk walk(code, size, result);
    return walk.Run();
}
