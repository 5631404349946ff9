// The load-time check of bytecode that comes from a game file. It refuses what would make the
// interpreter read or jump outside the code or the string table, and what would make it take a
// string or a variable from stack bytes that are none (a reference forged by the file); everything
// else (unknown opcodes, malformed pop forms, missing scripts) keeps its run-time behaviour.
#pragma once

#include <cstdint>
#include <string>

enum class VMCheckFault : uint8_t {
    None,
    NegativeSize,    // a code size below 0
    WordPastEnd,     // an instruction word that does not fit before the end
    OperandPastEnd,  // an operand running past the end
    BranchOutside,   // a branch target before 0 or beyond the code size
    StringOutside,   // a string operand at or beyond the string table's count
    ForgedItem,      // a string, variable or with frame taken from items of other kinds
    StacksDiffer,    // two paths reach one instruction with different stacks
    Underflow,       // an instruction takes more than the entry's own stack holds
    StackTooLarge,   // the stack grows beyond what the check follows
};

// What a ForgedItem fault's detail names: the kind of item the instruction takes.
constexpr int64_t VM_CHECK_ITEM_WITH_FRAME = 0xE0;

struct VMCheckResult {
    VMCheckFault fault = VMCheckFault::None;
    uint32_t offset = 0; // the offending instruction
    int64_t detail = 0;  // the branch target, the string index, or the kind of item taken
};

// Walks every instruction the interpreter can reach: the straight run from offset 0 and from every
// branch target (so a jump into an operand is followed too). The code size is a valid target. Then
// follows the kinds of the stack's items along the same paths (Code_CheckerStack.h).
bool VM_CheckCode(const uint8_t* code, int32_t size, uint32_t stringCount, VMCheckResult* result);

// What was wrong, as one line without the entry's name.
std::string VM_CheckFaultText(const VMCheckResult& result, int32_t size, uint32_t stringCount);

// Checks one code entry of the game file and logs why it is refused, naming the entry.
bool Code_CheckEntry(int32_t index, const char* name, const uint8_t* code, int32_t size, uint32_t stringCount);
