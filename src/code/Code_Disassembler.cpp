#include "code/Code_Disassembler.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "base/Base_Utf8.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Emitter.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Function.h"
#include "variable/Variable_Names.h"

namespace {

constexpr size_t NAME_COLUMN = 36;
constexpr size_t OPERAND_COLUMN = 46;
constexpr size_t SOURCE_LINE_AREA = 256;

void PadTo(std::string& line, size_t column)
{
    if (line.size() < column) line.append(column - line.size(), ' ');
}

std::string Printed(const char* format, ...) KELVARO_PRINTF(1, 2);
std::string Printed(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Bytes of the UTF-8 character starting here (1 for a stray continuation byte or the terminator).
int32_t SequenceLength(const char* at)
{
    auto lead = static_cast<unsigned char>(*at);
    int32_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    for (int32_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) return i;
    return length;
}

uint64_t ReadWide(const uint8_t* at)
{
    uint64_t bits;
    std::memcpy(&bits, at, sizeof bits);
    return bits;
}

std::string CallTarget(int32_t id)
{
    if (id < VM_CALL_SCRIPT_BASE) {
        if (const FunctionEntry* row = Function_Get(id)) return row->name;
    }
    return Printed("%d", id);
}

std::string StringOperand(const VMBuffer* code, uint32_t index)
{
    const char* text = code->m_pStrings != nullptr ? code->m_pStrings->Get(index) : nullptr;
    if (text == nullptr) return Printed("<no string %u>", index);
    return std::string("\"") + text + "\"";
}

std::string Operand(const VMBuffer* code, uint32_t word, const uint8_t* at)
{
    uint8_t opcode = VM_WordOpcode(word);
    switch (VM_WordFirstType(word)) {
    case VM_TYPE_DOUBLE: {
        double value;
        std::memcpy(&value, at, sizeof value);
        return Numbers_Format("%f", value);
    }
    case VM_TYPE_FLOAT: {
        float value;
        std::memcpy(&value, at, sizeof value);
        return Numbers_Format("%f", static_cast<double>(value));
    }
    case VM_TYPE_INT: {
        int32_t value = static_cast<int32_t>(VM_ReadWord(at, 0));
        return opcode == VM_OP_CALL ? CallTarget(value) : Printed("%d", value);
    }
    case VM_TYPE_LONG:
        return Printed("%" PRId64, static_cast<int64_t>(ReadWide(at)));
    case VM_TYPE_BOOL:
        return (VM_ReadWord(at, 0) & 0xFF) != 0 ? "true" : "false";
    case VM_TYPE_VARIABLE:
        return Printed("$%s$", Code_Variable_Find_Name(static_cast<int32_t>(VM_ReadWord(at, 0) & VM_VAR_ID_MASK)));
    case VM_TYPE_STRING:
        return StringOperand(code, VM_ReadWord(at, 0));
    case VM_TYPE_IMMEDIATE:
        return Printed("%d", VM_WordShort(word));
    default:
        return "";
    }
}

} // namespace

const char* VM_OpcodeName(uint8_t opcode)
{
    switch (opcode) {
    case VM_OP_CONV: return "conv";
    case VM_OP_MUL: return "mul";
    case VM_OP_DIV: return "div";
    case VM_OP_REM: return "rem";
    case VM_OP_MOD: return "mod";
    case VM_OP_ADD: return "add";
    case VM_OP_SUB: return "sub";
    case VM_OP_AND: return "and";
    case VM_OP_OR: return "or";
    case VM_OP_XOR: return "xor";
    case VM_OP_NEG: return "neg";
    case VM_OP_NOT: return "not";
    case VM_OP_SHL: return "shl";
    case VM_OP_SHR: return "shr";
    case VM_OP_SLT: return "slt";
    case VM_OP_SLE: return "sle";
    case VM_OP_SEQ: return "seq";
    case VM_OP_SNE: return "sne";
    case VM_OP_SGE: return "sge";
    case VM_OP_SGT: return "sgt";
    case VM_OP_POP: return "pop";
    case VM_OP_DUP: return "dup";
    case VM_OP_RET: return "ret";
    case VM_OP_EXIT: return "exit";
    case VM_OP_POPZ: return "popz";
    case VM_OP_B: return "b";
    case VM_OP_BT: return "bt";
    case VM_OP_BF: return "bf";
    case VM_OP_PUSHENV: return "pushenv";
    case VM_OP_POPENV: return "popenv";
    case VM_OP_PUSH: return "push";
    case VM_OP_CALL: return "call";
    case VM_OP_BREAK: return "break";
    default: return "unknown";
    }
}

const char* VM_TypeSuffix(uint32_t type)
{
    switch (type & 0xF) {
    case VM_TYPE_DOUBLE: return ".d";
    case VM_TYPE_FLOAT: return ".f";
    case VM_TYPE_INT: return ".i";
    case VM_TYPE_LONG: return ".l";
    case VM_TYPE_BOOL: return ".b";
    case VM_TYPE_VARIABLE: return ".v";
    case VM_TYPE_STRING: return ".s";
    case VM_TYPE_IMMEDIATE: return ".e";
    default: return "";
    }
}

int32_t VM_DisassembleOne(const VMBuffer* code, int32_t offset, tagIConsole* console)
{
    if (code == nullptr || offset < 0 || offset >= code->m_Size) return code != nullptr ? code->m_Size : 0;
    // A word cut off by the end is shown as the bytes there are.
    int32_t available = code->m_Size - offset;
    uint32_t word = 0;
    std::memcpy(&word, code->m_pWords + offset, static_cast<size_t>(available < 4 ? available : 4));
    uint8_t opcode = VM_WordOpcode(word);
    bool hasOperand = (opcode & VM_OPCODE_OPERAND_BIT) != 0;
    int32_t next = offset + 4 + (hasOperand ? VM_DataTypeSize(VM_WordFirstType(word)) : 0);
    bool complete = next <= code->m_Size;
    int32_t shownEnd = complete ? next : code->m_Size;

    std::string line = Printed("%08x : ", static_cast<uint32_t>(offset));
    for (int32_t at = offset; at < shownEnd; ++at) line += Printed("%02x", code->m_pWords[at]);
    PadTo(line, NAME_COLUMN);

    line += VM_OpcodeName(opcode);
    if ((opcode & 0xA0) == 0x80) {
        line += VM_TypeSuffix(VM_WordFirstType(word));
    } else if ((opcode & 0xA0) == 0) {
        line += VM_TypeSuffix(VM_WordFirstType(word));
        line += VM_TypeSuffix(VM_WordSecondType(word));
    }
    PadTo(line, OPERAND_COLUMN);

    if (!hasOperand && (opcode & 0x20) != 0) {
        int64_t target = static_cast<int64_t>(offset) + static_cast<int64_t>(VM_WordBranchDistance(word)) * 4;
        line += Printed("0x%08x", static_cast<uint32_t>(target));
    } else if (hasOperand && complete) {
        line += Operand(code, word, code->m_pWords + offset + 4);
    }
    console->Output("%s\n", line.c_str());
    return shownEnd;
}

void VM_Disassemble(const VMBuffer* code, tagIConsole* console)
{
    if (code == nullptr) return;
    for (int32_t offset = 0; offset < code->m_Size;) offset = VM_DisassembleOne(code, offset, console);
}

VMDebugEntry VM_DebugInfo_FindLine(const VMBuffer* table, int32_t offset)
{
    VMDebugEntry found;
    if (table == nullptr || table->m_pWords == nullptr || table->m_Size < 8) return found;
    // Entries rise by code offset: find the last one at or before the offset.
    int32_t low = 0;
    int32_t high = table->m_Size / 8;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (static_cast<int32_t>(table->WordAt(middle * 8)) <= offset)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0) return found;
    found.found = true;
    found.codeOffset = static_cast<int32_t>(table->WordAt((low - 1) * 8));
    found.sourcePosition = static_cast<int32_t>(table->WordAt((low - 1) * 8 + 4));
    return found;
}

int32_t VM_DebugInfo_FindName(const VMDebugEntry& entry, const char* text)
{
    if (!entry.found) return -1;
    if (text == nullptr) return 0;
    int32_t last = static_cast<int32_t>(std::strlen(text)) - 1;
    int32_t position = entry.sourcePosition < last ? entry.sourcePosition : last;
    int32_t line = 0;
    // The count stops at the second character, as the line numbers of the debug tables expect.
    for (int32_t at = position; at >= 1; --at)
        if (text[at] == '\n') ++line;
    return line;
}

const char* VM_DebugInfo_SourceLine(const VMDebugEntry& entry, const char* text)
{
    static char area[SOURCE_LINE_AREA];
    if (!entry.found) return "<unknown source line>";
    if (text == nullptr) text = "";
    int32_t position = entry.sourcePosition;
    int32_t lastCharacter = UTF8_Length(text) - 1;
    if (position > lastCharacter) position = lastCharacter;

    const char* at = text;
    const char* lineStart = text;
    for (int32_t i = 0; i < position && *at != '\0'; ++i) {
        bool newline = *at == '\n';
        at += SequenceLength(at);
        if (newline) lineStart = at;
    }
    size_t length = 0;
    while (length < SOURCE_LINE_AREA - 1 && lineStart[length] != '\0' && lineStart[length] != '\r' &&
           lineStart[length] != '\n')
        ++length;
    std::memcpy(area, lineStart, length);
    area[length] = '\0';
    return area;
}
