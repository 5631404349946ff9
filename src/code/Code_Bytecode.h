// The bytecode format shared by the game file's code chunk, the generator, the checker, the
// disassembler and the interpreter: 32-bit little-endian instruction words, each optionally
// followed by one operand whose size the word's first type gives.
#pragma once

#include <cstdint>
#include <cstring>

// Opcodes (bits 24-31 of a word). Any other opcode does nothing when executed.
enum VMOpcode : uint8_t {
    VM_OP_CONV = 0x03,
    VM_OP_MUL = 0x04,
    VM_OP_DIV = 0x05,
    VM_OP_REM = 0x06,
    VM_OP_MOD = 0x07,
    VM_OP_ADD = 0x08,
    VM_OP_SUB = 0x09,
    VM_OP_AND = 0x0A,
    VM_OP_OR = 0x0B,
    VM_OP_XOR = 0x0C,
    VM_OP_NEG = 0x0D,
    VM_OP_NOT = 0x0E,
    VM_OP_SHL = 0x0F,
    VM_OP_SHR = 0x10,
    VM_OP_SLT = 0x11,
    VM_OP_SLE = 0x12,
    VM_OP_SEQ = 0x13,
    VM_OP_SNE = 0x14,
    VM_OP_SGE = 0x15,
    VM_OP_SGT = 0x16,
    VM_OP_POP = 0x41,
    VM_OP_DUP = 0x82,
    VM_OP_RET = 0x9D,
    VM_OP_EXIT = 0x9E,
    VM_OP_POPZ = 0x9F,
    VM_OP_B = 0xB7,
    VM_OP_BT = 0xB8,
    VM_OP_BF = 0xB9,
    VM_OP_PUSHENV = 0xBB,
    VM_OP_POPENV = 0xBC,
    VM_OP_PUSH = 0xC0,
    VM_OP_CALL = 0xDA,
    VM_OP_BREAK = 0xFF,
};

// Data types (the two type nibbles). Codes 7 to 14 are unused and carry no operand.
enum VMType : uint8_t {
    VM_TYPE_DOUBLE = 0,
    VM_TYPE_FLOAT = 1,
    VM_TYPE_INT = 2,
    VM_TYPE_LONG = 3,
    VM_TYPE_BOOL = 4,
    VM_TYPE_VARIABLE = 5,
    VM_TYPE_STRING = 6,
    VM_TYPE_IMMEDIATE = 15,
};

// Bit 6 of the opcode (bit 30 of the word): one operand follows the word.
constexpr uint8_t VM_OPCODE_OPERAND_BIT = 0x40;
constexpr uint32_t VM_WORD_OPERAND_BIT = 0x40000000u;

// The word 0xBCF00000: the popenv that leaves a with block at once (bits 16-23 hold 0xF0).
constexpr uint32_t VM_POPENV_BREAK_FIELD = 0xF0;
constexpr uint32_t VM_WORD_POPENV_BREAK = 0xBCF00000u;

// The variable operand of push and pop with the variable type.
constexpr uint32_t VM_VAR_ID_MASK = 0x1FFFFFFFu;
constexpr uint32_t VM_VAR_INSTANCE_IN_WORD = 1u << 29; // instance in bits 0-15 of the word
constexpr uint32_t VM_VAR_INSTANCE_OFFSET = 1u << 30;  // add 100000 to that instance
constexpr uint32_t VM_VAR_NO_INDEX = 1u << 31;         // no array index on the stack

// Instance numbers of variable accesses and with blocks.
constexpr int32_t VM_INSTANCE_SELF = -1;
constexpr int32_t VM_INSTANCE_OTHER = -2;
constexpr int32_t VM_INSTANCE_ALL = -3;
constexpr int32_t VM_INSTANCE_NOONE = -4;
constexpr int32_t VM_INSTANCE_GLOBAL = -5;
constexpr int32_t VM_INSTANCE_UNNAMED = -6; // resolved at run time: global for globalvar, else self
constexpr int32_t VM_INSTANCE_LOCAL = -7;
constexpr int32_t VM_INSTANCE_ID_BASE = 100000;

// Callable identifiers, the operand of call.
constexpr int32_t VM_CALL_SCRIPT_BASE = 100000;
constexpr int32_t VM_CALL_EXTENSION_BASE = 500000;

// A word as it lies in the code (little-endian; the host is too). Code need not be aligned.
inline uint32_t VM_ReadWord(const uint8_t* code, uint32_t offset)
{
    uint32_t word;
    std::memcpy(&word, code + offset, sizeof word);
    return word;
}

inline void VM_WriteWord(uint8_t* code, uint32_t offset, uint32_t word)
{
    std::memcpy(code + offset, &word, sizeof word);
}

inline uint8_t VM_WordOpcode(uint32_t word) { return static_cast<uint8_t>(word >> 24); }
inline uint8_t VM_WordFirstType(uint32_t word) { return static_cast<uint8_t>((word >> 16) & 0xF); }
inline uint8_t VM_WordSecondType(uint32_t word) { return static_cast<uint8_t>((word >> 20) & 0xF); }
// Both types at once, to test a word against a pair in one comparison.
inline uint8_t VM_WordTypes(uint32_t word) { return static_cast<uint8_t>((word >> 16) & 0xFF); }
constexpr uint8_t VM_TypePair(uint8_t first, uint8_t second) { return static_cast<uint8_t>(second << 4 | first); }
inline bool VM_WordHasOperand(uint32_t word) { return (word & VM_WORD_OPERAND_BIT) != 0; }

// Bits 0-15 read as a signed number (immediate pushes, constant instances).
inline int32_t VM_WordShort(uint32_t word) { return static_cast<int16_t>(word & 0xFFFF); }

// Bits 0-23 of a branch-form word read as a signed distance in words.
inline int32_t VM_WordBranchDistance(uint32_t word) { return static_cast<int32_t>(word << 8) >> 8; }

// Operand size in the code for a type (its low four bits): 8 for double and int64; 4 for float,
// int32, bool, variable and string; 0 otherwise.
int32_t VM_DataTypeSize(uint32_t type);

// b, bt, bf, pushenv and popenv carry a branch distance in bits 0-23.
bool VM_IsBranchOpcode(uint8_t opcode);

// The popenv form that leaves a with block; its bits 0-23 are no distance.
inline bool VM_IsPopEnvBreak(uint32_t word)
{
    return VM_WordOpcode(word) == VM_OP_POPENV && ((word >> 16) & 0xFF) == VM_POPENV_BREAK_FIELD;
}

// Size of the whole instruction starting with this word: the word plus its operand.
inline int32_t VM_InstructionSize(uint32_t word)
{
    return 4 + (VM_WordHasOperand(word) ? VM_DataTypeSize(VM_WordFirstType(word)) : 0);
}

// Word builders. The two-type form puts the first type in bits 16-19 and the second in 20-23.
inline uint32_t VM_MakeWord(uint8_t opcode, uint8_t firstType, uint8_t secondType = 0, uint32_t low16 = 0)
{
    return (static_cast<uint32_t>(opcode) << 24) | (static_cast<uint32_t>(secondType & 0xF) << 20) |
           (static_cast<uint32_t>(firstType & 0xF) << 16) | (low16 & 0xFFFF);
}

inline uint32_t VM_MakeBranchWord(uint8_t opcode, int32_t distanceInWords)
{
    return (static_cast<uint32_t>(opcode) << 24) | (static_cast<uint32_t>(distanceInWords) & 0xFFFFFF);
}

// Texts that a code buffer's string operands index (push with the string type holds an index).
// Game-file code indexes the game's string table; generated code a table of its own code object.
struct VMStringTable {
    const char* const* texts = nullptr;
    uint32_t count = 0;

    const char* Get(uint32_t index) const { return index < count ? texts[index] : nullptr; }
};
