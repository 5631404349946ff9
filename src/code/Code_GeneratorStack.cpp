#include "code/Code_GeneratorStack.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "code/Code_Bytecode.h"
#include "code/Code_Disassembler.h"

namespace {

using Stack = std::vector<uint8_t>;

struct Pending {
    uint32_t at;
    Stack stack;
};

std::string TypeLetter(uint8_t type)
{
    if (type == VM_STACK_ENV_FRAME) return "E";
    const char* suffix = VM_TypeSuffix(type); // ".v"
    return suffix[0] == '.' && suffix[1] != '\0' ? suffix + 1 : "?";
}

// The result of a two-operand computation as the interpreter types it; 0xFF for a pair it has no
// result for.
uint8_t ResultType(uint8_t opcode, uint8_t right, uint8_t left)
{
    if (opcode >= VM_OP_SLT && opcode <= VM_OP_SGT) return VM_TYPE_BOOL;
    if (right == VM_TYPE_VARIABLE || left == VM_TYPE_VARIABLE) return VM_TYPE_VARIABLE;
    if (opcode == VM_OP_MUL && right == VM_TYPE_STRING && (left == VM_TYPE_DOUBLE || left == VM_TYPE_INT))
        return VM_TYPE_STRING;
    if (right == VM_TYPE_DOUBLE || left == VM_TYPE_DOUBLE) return VM_TYPE_DOUBLE;
    if (right == left && (right == VM_TYPE_INT || right == VM_TYPE_BOOL || right == VM_TYPE_STRING))
        return right;
    return 0xFF;
}

// What the generator's model pushes: the wider operand, the left one when equally wide.
uint8_t WiderType(uint8_t right, uint8_t left)
{
    auto width = [](uint8_t type) {
        return type == VM_TYPE_VARIABLE ? 16 : type == VM_TYPE_DOUBLE || type == VM_TYPE_LONG ? 8 : 4;
    };
    return width(right) > width(left) ? right : left;
}

class Tracer {
  public:
    Tracer(const uint8_t* code, int32_t size, VMStackTrace* trace)
        : m_Code(code), m_Size(size), m_Trace(trace)
    {
    }

    bool Run()
    {
        if (m_Size < 0 || m_Size % 4 != 0) return Fail(0, "code size is not a whole number of words");
        Reach(0, Stack());
        while (!m_Pending.empty() && m_Trace->problem.empty()) {
            Pending next = std::move(m_Pending.back());
            m_Pending.pop_back();
            Step(next.at, next.stack);
        }
        return m_Trace->problem.empty();
    }

  private:
    const uint8_t* m_Code;
    int32_t m_Size;
    VMStackTrace* m_Trace;
    std::map<uint32_t, Stack> m_Seen;
    std::vector<Pending> m_Pending;

    bool Fail(uint32_t at, const std::string& what)
    {
        if (m_Trace->problem.empty()) {
            char place[32];
            std::snprintf(place, sizeof place, "at 0x%08x: ", at);
            m_Trace->problem = place + what;
        }
        return false;
    }

    void AddDistinct(std::vector<Stack>& stacks, const Stack& stack)
    {
        if (std::find(stacks.begin(), stacks.end(), stack) == stacks.end()) stacks.push_back(stack);
    }

    // Queues the instruction at `at` with the stack it is reached with, once.
    void Reach(uint32_t at, const Stack& stack)
    {
        if (static_cast<int32_t>(at) == m_Size) {
            AddDistinct(m_Trace->endStacks, stack);
            return;
        }
        auto seen = m_Seen.find(at);
        if (seen != m_Seen.end()) {
            if (seen->second != stack)
                Fail(at, "reached with [" + VM_StackText(seen->second) + "] and with [" +
                             VM_StackText(stack) + "]");
            return;
        }
        m_Seen.emplace(at, stack);
        m_Pending.push_back(Pending{at, stack});
        m_Trace->greatestDepth = std::max(m_Trace->greatestDepth, static_cast<int32_t>(stack.size()));
    }

    bool Take(uint32_t at, Stack& stack, uint8_t expected, const char* what)
    {
        if (stack.empty()) return Fail(at, std::string(what) + ": the stack is empty");
        if (stack.back() != expected)
            return Fail(at, std::string(what) + ": expected " + TypeLetter(expected) + " on top, found " +
                                TypeLetter(stack.back()));
        stack.pop_back();
        return true;
    }

    // The instance and index a variable access takes from the stack.
    bool TakeAccess(uint32_t at, Stack& stack, uint32_t operand)
    {
        if ((operand & VM_VAR_NO_INDEX) == 0 && !Take(at, stack, VM_TYPE_INT, "array index")) return false;
        if ((operand & VM_VAR_INSTANCE_IN_WORD) == 0 && !Take(at, stack, VM_TYPE_INT, "instance"))
            return false;
        return true;
    }

    bool BranchTarget(uint32_t at, uint32_t word, uint32_t* target)
    {
        int64_t to = static_cast<int64_t>(at) + static_cast<int64_t>(VM_WordBranchDistance(word)) * 4;
        if (to < 0 || to > m_Size) return Fail(at, "branch leaves the code");
        *target = static_cast<uint32_t>(to);
        return true;
    }

    void Step(uint32_t at, Stack stack)
    {
        if (m_Size - static_cast<int32_t>(at) < 4) {
            Fail(at, "instruction runs past the end");
            return;
        }
        uint32_t word = VM_ReadWord(m_Code, at);
        int32_t length = VM_InstructionSize(word);
        if (m_Size - static_cast<int32_t>(at) < length) {
            Fail(at, "operand runs past the end");
            return;
        }
        uint32_t operand = length > 4 ? VM_ReadWord(m_Code, at + 4) : 0;
        uint32_t next = at + static_cast<uint32_t>(length);
        uint8_t opcode = VM_WordOpcode(word);
        uint8_t first = VM_WordFirstType(word);
        uint8_t second = VM_WordSecondType(word);
        std::string name = VM_OpcodeName(opcode);
        uint32_t target = 0;

        switch (opcode) {
        case VM_OP_PUSH:
            if (first == VM_TYPE_VARIABLE && !TakeAccess(at, stack, operand)) return;
            stack.push_back(first == VM_TYPE_IMMEDIATE ? static_cast<uint8_t>(VM_TYPE_INT) : first);
            break;
        case VM_OP_POP:
            if (first != VM_TYPE_VARIABLE) {
                Fail(at, "pop form the generator never writes");
                return;
            }
            if (!TakeAccess(at, stack, operand) || !Take(at, stack, second, "stored value")) return;
            break;
        case VM_OP_CONV:
            if (!Take(at, stack, first, "conversion source")) return;
            stack.push_back(second);
            break;
        case VM_OP_NEG:
        case VM_OP_NOT:
            if (!Take(at, stack, first, name.c_str())) return;
            stack.push_back(first);
            break;
        case VM_OP_DUP:
            if ((word & 0xFFFF) != 0) {
                Fail(at, "dup of more than one item");
                return;
            }
            if (!Take(at, stack, first, "dup")) return;
            stack.push_back(first);
            stack.push_back(first);
            break;
        case VM_OP_POPZ:
            if (!Take(at, stack, first, "popz")) return;
            break;
        case VM_OP_CALL:
            for (uint32_t i = 0; i < (word & 0xFFFF); ++i)
                if (!Take(at, stack, VM_TYPE_VARIABLE, "argument")) return;
            stack.push_back(VM_TYPE_VARIABLE);
            break;
        case VM_OP_RET:
            if (!Take(at, stack, first, "returned value")) return;
            AddDistinct(m_Trace->returnStacks, stack);
            return;
        case VM_OP_EXIT:
            AddDistinct(m_Trace->returnStacks, stack);
            return;
        case VM_OP_B:
            if (BranchTarget(at, word, &target)) Reach(target, stack);
            return;
        case VM_OP_BT:
        case VM_OP_BF:
            if (!Take(at, stack, VM_TYPE_BOOL, "condition") || !BranchTarget(at, word, &target)) return;
            Reach(target, stack);
            break;
        case VM_OP_PUSHENV:
            // Skipping the block lands on its popenv with an empty frame laid.
            if (!Take(at, stack, VM_TYPE_INT, "with instance") || !BranchTarget(at, word, &target)) return;
            stack.push_back(VM_STACK_ENV_FRAME);
            Reach(target, stack);
            break;
        case VM_OP_POPENV:
            if (!Take(at, stack, VM_STACK_ENV_FRAME, "with frame")) return;
            if (!VM_IsPopEnvBreak(word)) {
                // The next instance runs the block again with the frame still laid.
                if (!BranchTarget(at, word, &target)) return;
                Stack again = stack;
                again.push_back(VM_STACK_ENV_FRAME);
                Reach(target, again);
            }
            break;
        default:
            if (opcode >= VM_OP_MUL && opcode <= VM_OP_SGT) {
                if (!Take(at, stack, first, "right operand") || !Take(at, stack, second, "left operand"))
                    return;
                uint8_t result = ResultType(opcode, first, second);
                if (result == 0xFF) {
                    char place[16];
                    std::snprintf(place, sizeof place, "0x%08x", at);
                    m_Trace->refusedPairs.push_back(name + "." + TypeLetter(first) + "." +
                                                    TypeLetter(second) + " at " + place);
                    result = WiderType(first, second);
                }
                stack.push_back(result);
                break;
            }
            Fail(at, "instruction the generator never writes: " + name);
            return;
        }
        Reach(next, stack);
    }
};

} // namespace

bool VM_TraceStack(const uint8_t* code, int32_t size, VMStackTrace* trace)
{
    *trace = VMStackTrace();
    Tracer tracer(code, size, trace);
    return tracer.Run();
}

std::string VM_StackText(const std::vector<uint8_t>& items)
{
    std::string text;
    for (uint8_t item : items)
        text += TypeLetter(item);
    return text;
}
