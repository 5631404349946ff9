#include "code/Code_Checker.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Bytecode.h"
#include "code/Code_CheckerStack.h"

namespace {

struct Walk {
    const uint8_t* code;
    uint32_t size;
    uint32_t stringCount;
    std::vector<uint8_t> seen; // one flag per word
    std::vector<uint32_t> starts;
    VMCheckResult* result;

    bool Fail(VMCheckFault fault, uint32_t offset, int64_t detail)
    {
        result->fault = fault;
        result->offset = offset;
        result->detail = detail;
        return false;
    }

    // One instruction at `at`; `next` receives the offset after it.
    bool CheckOne(uint32_t at, uint32_t& next)
    {
        if (size - at < 4) return Fail(VMCheckFault::WordPastEnd, at, 0);
        uint32_t word = VM_ReadWord(code, at);
        uint32_t operandSize = static_cast<uint32_t>(VM_InstructionSize(word)) - 4;
        if (size - at - 4 < operandSize) return Fail(VMCheckFault::OperandPastEnd, at, 0);
        uint8_t opcode = VM_WordOpcode(word);

        // Only push reads a string operand as a text; other instructions with that type fail or
        // do nothing at run time.
        if (opcode == VM_OP_PUSH && VM_WordFirstType(word) == VM_TYPE_STRING) {
            uint32_t index = VM_ReadWord(code, at + 4);
            if (index >= stringCount) return Fail(VMCheckFault::StringOutside, at, index);
        }
        if (VM_IsBranchOpcode(opcode) && !VM_IsPopEnvBreak(word)) {
            int64_t target = static_cast<int64_t>(at) + static_cast<int64_t>(VM_WordBranchDistance(word)) * 4;
            if (target < 0 || target > static_cast<int64_t>(size)) return Fail(VMCheckFault::BranchOutside, at, target);
            if (target < static_cast<int64_t>(size)) starts.push_back(static_cast<uint32_t>(target));
        }
        next = at + 4 + operandSize;
        return true;
    }

    // The straight run from `from` until the end or an instruction already checked.
    bool CheckRun(uint32_t from)
    {
        uint32_t at = from;
        while (at < size && !seen[at / 4]) {
            seen[at / 4] = 1;
            uint32_t next = 0;
            if (!CheckOne(at, next)) return false;
            at = next;
        }
        return true;
    }
};

const char* ItemKindName(int64_t kind)
{
    switch (kind) {
    case VM_TYPE_VARIABLE: return "variable";
    case VM_TYPE_STRING: return "string";
    default: return "with frame";
    }
}

} // namespace

bool VM_CheckCode(const uint8_t* code, int32_t size, uint32_t stringCount, VMCheckResult* result)
{
    VMCheckResult local;
    if (result == nullptr) result = &local;
    *result = VMCheckResult();
    if (size < 0) {
        result->fault = VMCheckFault::NegativeSize;
        result->detail = size;
        return false;
    }
    Walk walk{code, static_cast<uint32_t>(size), stringCount, {}, {}, result};
    walk.seen.assign(static_cast<size_t>(size) / 4 + 1, 0);
    walk.starts.push_back(0);
    while (!walk.starts.empty()) {
        uint32_t from = walk.starts.back();
        walk.starts.pop_back();
        if (!walk.CheckRun(from)) return false;
    }
    return VM_CheckStackKinds(code, static_cast<uint32_t>(size), result);
}

std::string VM_CheckFaultText(const VMCheckResult& result, int32_t size, uint32_t stringCount)
{
    char text[256];
    switch (result.fault) {
    case VMCheckFault::None:
        return "no fault";
    case VMCheckFault::NegativeSize:
        std::snprintf(text, sizeof text, "code size %d is negative", size);
        break;
    case VMCheckFault::WordPastEnd:
        std::snprintf(text, sizeof text, "instruction word at 0x%08x runs past the end of the code (%d bytes)",
                      result.offset, size);
        break;
    case VMCheckFault::OperandPastEnd:
        std::snprintf(text, sizeof text, "operand of the instruction at 0x%08x runs past the end of the code (%d bytes)",
                      result.offset, size);
        break;
    case VMCheckFault::BranchOutside:
        std::snprintf(text, sizeof text, "branch at 0x%08x leads to %" PRId64 ", outside the code (0 to %d)",
                      result.offset, result.detail, size);
        break;
    case VMCheckFault::StringOutside:
        std::snprintf(text, sizeof text, "string operand at 0x%08x names string %" PRId64 " of %u",
                      result.offset, result.detail, stringCount);
        break;
    case VMCheckFault::ForgedItem:
        if (result.offset == static_cast<uint32_t>(size))
            std::snprintf(text, sizeof text, "the code ends at 0x%08x with items on the stack that are no %s",
                          result.offset, ItemKindName(result.detail));
        else
            std::snprintf(text, sizeof text, "instruction at 0x%08x takes a %s from stack items that are none",
                          result.offset, ItemKindName(result.detail));
        break;
    case VMCheckFault::StacksDiffer:
        std::snprintf(text, sizeof text,
                      "instruction at 0x%08x is reached with different stacks (the second time from 0x%08x)",
                      result.offset, static_cast<uint32_t>(result.detail));
        break;
    case VMCheckFault::Underflow:
        std::snprintf(text, sizeof text,
                      "instruction at 0x%08x takes %" PRId64 " bytes from a stack that holds fewer",
                      result.offset, result.detail);
        break;
    case VMCheckFault::StackTooLarge:
        std::snprintf(text, sizeof text, "the stack at 0x%08x grows beyond what the check follows",
                      result.offset);
        break;
    }
    return text;
}

bool Code_CheckEntry(int32_t index, const char* name, const uint8_t* code, int32_t size, uint32_t stringCount)
{
    VMCheckResult result;
    if (VM_CheckCode(code, size, stringCount, &result)) return true;
    MainConsole->Output("Refused code entry %d (%s): %s\n", index, Text_Printable(name).c_str(),
                        VM_CheckFaultText(result, size, stringCount).c_str());
    return false;
}
