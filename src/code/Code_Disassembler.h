// Two diagnostic services for bytecode: the disassembler, which prints instruction words as text to
// a console, and the source-line lookup, which maps a code offset to a line of the code's source
// text through the code object's debug table.
#pragma once

#include <cstdint>

class VMBuffer;
struct tagIConsole;

// The assembly vocabulary: "unknown" for an opcode without a name, "" for a type without a suffix.
const char* VM_OpcodeName(uint8_t opcode);
const char* VM_TypeSuffix(uint32_t type);

// Prints the instruction at `offset` as one line and returns the offset of the next one. An
// instruction cut off by the end of the buffer prints the bytes there are and returns the size.
int32_t VM_DisassembleOne(const VMBuffer* code, int32_t offset, tagIConsole* console);
// Every instruction of the buffer from offset 0.
void VM_Disassemble(const VMBuffer* code, tagIConsole* console);

// One entry of a debug table: a code offset and the source position it came from.
struct VMDebugEntry {
    bool found = false;
    int32_t codeOffset = 0;
    int32_t sourcePosition = 0;
};

// The last entry whose code offset is not greater than `offset`; not found without a table, with an
// empty one, or for an offset before the first entry.
VMDebugEntry VM_DebugInfo_FindLine(const VMBuffer* table, int32_t offset);
// The line number (the first line is 0) of the entry's source position; -1 without an entry.
int32_t VM_DebugInfo_FindName(const VMDebugEntry& entry, const char* text);
// The text of the source line holding the entry's position (at most 255 bytes, up to a "\r" or the
// end of the text), or "<unknown source line>" without an entry. Valid until the next call.
const char* VM_DebugInfo_SourceLine(const VMDebugEntry& entry, const char* text);
