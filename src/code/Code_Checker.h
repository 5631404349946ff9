// The load-time check of bytecode that comes from a game file. It refuses only what would make the
// interpreter read or jump outside the code or the string table; everything else (unknown opcodes,
// malformed pop forms, missing scripts) keeps its run-time behaviour.
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
};

struct VMCheckResult {
    VMCheckFault fault = VMCheckFault::None;
    uint32_t offset = 0; // the offending instruction
    int64_t detail = 0;  // the branch target, or the string index
};

// Walks every instruction the interpreter can reach: the straight run from offset 0 and from every
// branch target (so a jump into an operand is followed too). The code size is a valid target.
bool VM_CheckCode(const uint8_t* code, int32_t size, uint32_t stringCount, VMCheckResult* result);

// What was wrong, as one line without the entry's name.
std::string VM_CheckFaultText(const VMCheckResult& result, int32_t size, uint32_t stringCount);

// Checks one code entry of the game file and logs why it is refused, naming the entry.
bool Code_CheckEntry(int32_t index, const char* name, const uint8_t* code, int32_t size, uint32_t stringCount);
