// The load-time bytecode check over arbitrary code. Input: a u16 string count, then the code bytes.
// Accepted code is walked along every path the interpreter can take, reading from a buffer of the
// code's exact size, so a read past the end (or a branch out of it) that the check let through is
// caught. The walk of the stack's item kinds runs over every input the structural walk accepts, so
// its node, depth and work budgets are exercised on arbitrary code too. Every input is also
// disassembled, which must stay inside the buffer whatever it holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Checker.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Emitter.h"

namespace {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void WalkEveryPath(const uint8_t* code, uint32_t size, uint32_t stringCount)
{
    std::vector<uint8_t> seen(size / 4 + 1, 0);
    std::vector<uint32_t> pending{0};
    while (!pending.empty()) {
        uint32_t pc = pending.back();
        pending.pop_back();
        while (pc < size && !seen[pc / 4]) {
            seen[pc / 4] = 1;
            if (pc % 4 != 0 || size - pc < 4) __builtin_trap();
            uint32_t word = VM_ReadWord(code, pc);
            uint32_t next = pc + 4;
            if (VM_WordHasOperand(word)) {
                uint32_t operand = static_cast<uint32_t>(VM_DataTypeSize(VM_WordFirstType(word)));
                if (size - next < operand) __builtin_trap();
                if (VM_WordOpcode(word) == VM_OP_PUSH && VM_WordFirstType(word) == VM_TYPE_STRING &&
                    VM_ReadWord(code, next) >= stringCount)
                    __builtin_trap();
                next += operand;
            }
            if (VM_IsBranchOpcode(VM_WordOpcode(word)) && !VM_IsPopEnvBreak(word)) {
                int64_t target = static_cast<int64_t>(pc) + static_cast<int64_t>(VM_WordBranchDistance(word)) * 4;
                if (target < 0 || target > static_cast<int64_t>(size)) __builtin_trap();
                pending.push_back(static_cast<uint32_t>(target));
            }
            pc = next;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > (1u << 20)) return 0;
    uint32_t stringCount = static_cast<uint32_t>(data[0] | (data[1] << 8));
    uint32_t codeSize = static_cast<uint32_t>(size - 2);
    auto* code = static_cast<uint8_t*>(std::malloc(codeSize > 0 ? codeSize : 1));
    if (codeSize > 0) std::memcpy(code, data + 2, codeSize);

    if (VM_CheckCode(code, static_cast<int32_t>(codeSize), stringCount, nullptr))
        WalkEveryPath(code, codeSize, stringCount);

    VMBuffer view(code, static_cast<int32_t>(codeSize));
    SilentConsole console;
    VM_Disassemble(&view, &console);

    std::free(code);
    return 0;
}
