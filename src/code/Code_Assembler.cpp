#include "code/Code_Assembler.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "base/Base_Numbers.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Disassembler.h"
#include "code/Code_Function.h"
#include "variable/Variable_Names.h"

namespace {

struct Site {
    int32_t position;
    std::string label;
    int32_t line;
};

class Assembler {
public:
    explicit Assembler(VMAssembly& out) : m_Out(out), m_Code(new VMWriteBuffer(64)) {}

    bool Run(const char* source);

private:
    VMAssembly& m_Out;
    std::unique_ptr<VMWriteBuffer> m_Code;
    std::map<std::string, int32_t> m_Labels;
    std::vector<Site> m_Sites;
    std::map<std::string, uint32_t> m_StringIndex;
    int32_t m_Line = 0;

    bool Fail(const std::string& what)
    {
        m_Out.error = "line " + std::to_string(m_Line) + ": " + what;
        return false;
    }

    bool Line(std::string text);
    bool Instruction(const std::string& mnemonic, const std::vector<std::string>& operands);
    bool Push(uint8_t type, const std::vector<std::string>& operands);
    bool Pop(uint8_t form, uint8_t valueType, const std::vector<std::string>& operands);
    bool Branch(uint8_t opcode, const std::vector<std::string>& operands);
    bool Call(uint8_t type, const std::vector<std::string>& operands);
    bool Variable(const std::string& reference, uint32_t& low16, uint32_t& operand);
    bool Number(const std::string& text, int64_t& value);
    bool Real(const std::string& text, double& value);
    uint32_t StringIndex(const std::string& text);
    bool Finish();
};

bool IsLabelStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

bool IsWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Splits an operand field into words; a double-quoted string (with \" \\ \n escapes) is one word,
// kept with its quotes.
bool SplitOperands(const std::string& text, std::vector<std::string>& words, std::string& error)
{
    size_t at = 0;
    while (at < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        std::string word;
        if (text[at] == '"') {
            word += '"';
            ++at;
            while (at < text.size() && text[at] != '"') {
                if (text[at] == '\\' && at + 1 < text.size()) {
                    ++at;
                    word += text[at] == 'n' ? '\n' : text[at];
                } else {
                    word += text[at];
                }
                ++at;
            }
            if (at >= text.size()) {
                error = "unterminated string";
                return false;
            }
            word += '"';
            ++at;
        } else {
            while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) word += text[at++];
        }
        words.push_back(word);
    }
    return true;
}

// The comment starts at the first ';' outside a string.
std::string WithoutComment(const std::string& text)
{
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' && (i == 0 || text[i - 1] != '\\')) quoted = !quoted;
        if (text[i] == ';' && !quoted) return text.substr(0, i);
    }
    return text;
}

int32_t TypeCode(const std::string& letter)
{
    static const char* const letters = "dfilbvs";
    if (letter.size() != 1) return -1;
    if (letter[0] == 'e') return VM_TYPE_IMMEDIATE;
    const char* found = std::strchr(letters, letter[0]);
    return found != nullptr && letter[0] != '\0' ? static_cast<int32_t>(found - letters) : -1;
}

int32_t OpcodeFor(const std::string& name)
{
    for (int32_t opcode = 0; opcode < 256; ++opcode)
        if (name == VM_OpcodeName(static_cast<uint8_t>(opcode)) && name != "unknown") return opcode;
    return -1;
}

bool Assembler::Number(const std::string& text, int64_t& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = static_cast<int64_t>(std::strtoll(text.c_str(), &end, 0));
    return end != nullptr && *end == '\0' && errno == 0;
}

bool Assembler::Real(const std::string& text, double& value)
{
    const char* end = nullptr;
    value = Numbers_ParseReal(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

uint32_t Assembler::StringIndex(const std::string& text)
{
    auto found = m_StringIndex.find(text);
    if (found != m_StringIndex.end()) return found->second;
    uint32_t index = static_cast<uint32_t>(m_Out.texts.size());
    m_Out.texts.push_back(std::make_unique<std::string>(text));
    m_StringIndex[text] = index;
    return index;
}

bool Assembler::Run(const char* source)
{
    const char* at = source != nullptr ? source : "";
    while (*at != '\0') {
        const char* end = std::strchr(at, '\n');
        size_t length = end != nullptr ? static_cast<size_t>(end - at) : std::strlen(at);
        ++m_Line;
        if (!Line(std::string(at, length))) return false;
        at += length;
        if (*at == '\n') ++at;
    }
    return Finish();
}

bool Assembler::Line(std::string text)
{
    text = WithoutComment(text);
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return true;
    text = text.substr(first);

    // A label: a name and ':' before anything else on the line.
    size_t nameEnd = 0;
    while (nameEnd < text.size() && IsWordCharacter(text[nameEnd])) ++nameEnd;
    if (nameEnd > 0 && IsLabelStart(text[0]) && nameEnd < text.size() && text[nameEnd] == ':') {
        std::string label = text.substr(0, nameEnd);
        if (m_Labels.count(label) != 0) return Fail("label '" + label + "' defined twice");
        m_Labels[label] = m_Code->Position();
        return Line(text.substr(nameEnd + 1));
    }

    size_t mnemonicEnd = text.find_first_of(" \t");
    std::string mnemonic = text.substr(0, mnemonicEnd);
    std::vector<std::string> operands;
    std::string error;
    if (mnemonicEnd != std::string::npos && !SplitOperands(text.substr(mnemonicEnd), operands, error)) return Fail(error);
    return Instruction(mnemonic, operands);
}

bool Assembler::Instruction(const std::string& mnemonic, const std::vector<std::string>& operands)
{
    if (mnemonic == ".word") {
        for (const std::string& operand : operands) {
            int64_t value = 0;
            if (!Number(operand, value)) return Fail("not a number: " + operand);
            m_Code->Write(static_cast<uint32_t>(value));
        }
        return true;
    }

    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dot = mnemonic.find('.'); ; dot = mnemonic.find('.', start)) {
        parts.push_back(mnemonic.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    int32_t opcode = OpcodeFor(parts[0]);
    if (opcode < 0) return Fail("unknown instruction '" + parts[0] + "'");
    if (parts.size() > 3) return Fail("too many types in '" + mnemonic + "'");
    uint8_t types[2] = {0, 0};
    for (size_t i = 1; i < parts.size(); ++i) {
        int32_t type = TypeCode(parts[i]);
        if (type < 0) return Fail("unknown type '" + parts[i] + "'");
        types[i - 1] = static_cast<uint8_t>(type);
    }
    auto op = static_cast<uint8_t>(opcode);

    if (VM_IsBranchOpcode(op)) return Branch(op, operands);
    switch (op) {
    case VM_OP_PUSH:
        return Push(types[0], operands);
    case VM_OP_POP:
        return Pop(types[0], types[1], operands);
    case VM_OP_CALL:
        return Call(types[0], operands);
    case VM_OP_DUP:
    case VM_OP_BREAK: {
        int64_t low = 0;
        if (operands.size() > 1 || (operands.size() == 1 && !Number(operands[0], low)))
            return Fail("expected one number after '" + mnemonic + "'");
        uint8_t type = op == VM_OP_BREAK && parts.size() == 1 ? static_cast<uint8_t>(VM_TYPE_IMMEDIATE) : types[0];
        m_Code->Write(VM_MakeWord(op, type, 0, static_cast<uint32_t>(low)));
        return true;
    }
    default:
        if (!operands.empty()) return Fail("'" + mnemonic + "' takes no operand");
        m_Code->Write(VM_MakeWord(op, types[0], types[1]));
        return true;
    }
}

bool Assembler::Push(uint8_t type, const std::vector<std::string>& operands)
{
    if (operands.size() != 1) return Fail("push takes one operand");
    const std::string& operand = operands[0];
    int64_t number = 0;
    double real = 0;
    switch (type) {
    case VM_TYPE_IMMEDIATE:
        if (!Number(operand, number) || number < -32768 || number > 65535) return Fail("not a 16-bit number: " + operand);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type, 0, static_cast<uint32_t>(number)));
        return true;
    case VM_TYPE_INT:
        if (!Number(operand, number)) return Fail("not a number: " + operand);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->Write(static_cast<uint32_t>(number));
        return true;
    case VM_TYPE_LONG:
        if (!Number(operand, number)) return Fail("not a number: " + operand);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->WriteInt64(number);
        return true;
    case VM_TYPE_DOUBLE:
        if (!Real(operand, real)) return Fail("not a number: " + operand);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->WriteDouble(real);
        return true;
    case VM_TYPE_FLOAT: {
        if (!Real(operand, real)) return Fail("not a number: " + operand);
        float single = static_cast<float>(real);
        uint32_t bits;
        std::memcpy(&bits, &single, sizeof bits);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->Write(bits);
        return true;
    }
    case VM_TYPE_BOOL:
        if (operand == "true") number = 1;
        else if (operand != "false" && !Number(operand, number)) return Fail("not a bool: " + operand);
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->Write(static_cast<uint32_t>(number));
        return true;
    case VM_TYPE_STRING:
        if (operand.size() >= 2 && operand.front() == '"') {
            number = StringIndex(operand.substr(1, operand.size() - 2));
        } else if (operand.size() < 2 || operand[0] != '#' || !Number(operand.substr(1), number)) {
            return Fail("expected a quoted string or #index: " + operand);
        }
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type));
        m_Code->Write(static_cast<uint32_t>(number));
        return true;
    case VM_TYPE_VARIABLE: {
        uint32_t low16 = 0;
        uint32_t variable = 0;
        if (!Variable(operand, low16, variable)) return false;
        m_Code->Write(VM_MakeWord(VM_OP_PUSH, type, 0, low16));
        m_Code->Write(variable);
        return true;
    }
    default:
        return Fail("push has no form for this type");
    }
}

bool Assembler::Pop(uint8_t form, uint8_t valueType, const std::vector<std::string>& operands)
{
    if (operands.size() != 1) return Fail("pop takes one operand");
    if (form == VM_TYPE_IMMEDIATE) {
        int64_t low = 0;
        if (!Number(operands[0], low)) return Fail("not a number: " + operands[0]);
        m_Code->Write(VM_MakeWord(VM_OP_POP, form, valueType, static_cast<uint32_t>(low)));
        return true;
    }
    if (VM_DataTypeSize(form) != 4) return Fail("pop needs a destination form with a 4-byte operand");
    uint32_t low16 = 0;
    uint32_t variable = 0;
    if (!Variable(operands[0], low16, variable)) return false;
    m_Code->Write(VM_MakeWord(VM_OP_POP, form, valueType, low16));
    m_Code->Write(variable);
    return true;
}

bool Assembler::Branch(uint8_t opcode, const std::vector<std::string>& operands)
{
    if (operands.size() != 1) return Fail("a branch takes one target");
    const std::string& target = operands[0];
    if (opcode == VM_OP_POPENV && target == "break") {
        m_Code->Write(VM_WORD_POPENV_BREAK);
        return true;
    }
    int64_t distance = 0;
    if (!target.empty() && IsLabelStart(target[0])) {
        m_Sites.push_back(Site{m_Code->Position(), target, m_Line});
    } else if (!Number(target, distance)) {
        return Fail("expected a label or a distance in words: " + target);
    }
    m_Code->Write(VM_MakeBranchWord(opcode, static_cast<int32_t>(distance)));
    return true;
}

bool Assembler::Call(uint8_t type, const std::vector<std::string>& operands)
{
    if (operands.size() != 2) return Fail("call takes a callable and an argument count");
    int64_t id = 0;
    int64_t count = 0;
    if (!Number(operands[0], id)) {
        int32_t found = -1;
        if (!Code_Function_Find(operands[0].c_str(), &found)) return Fail("unknown function '" + operands[0] + "'");
        id = found;
    }
    if (!Number(operands[1], count)) return Fail("not an argument count: " + operands[1]);
    m_Code->Write(VM_MakeWord(VM_OP_CALL, type, 0, static_cast<uint32_t>(count)));
    m_Code->Write(static_cast<uint32_t>(id));
    return true;
}

bool Assembler::Variable(const std::string& reference, uint32_t& low16, uint32_t& operand)
{
    std::string text = reference;
    operand = VM_VAR_NO_INDEX;
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "[]") == 0) {
        operand = 0;
        text.resize(text.size() - 2);
    }
    std::string instance = "unnamed";
    size_t dot = text.find('.');
    if (dot != std::string::npos) {
        instance = text.substr(0, dot);
        text = text.substr(dot + 1);
    }

    static const std::map<std::string, int32_t> named = {
        {"self", VM_INSTANCE_SELF},     {"other", VM_INSTANCE_OTHER},   {"all", VM_INSTANCE_ALL},
        {"noone", VM_INSTANCE_NOONE},   {"global", VM_INSTANCE_GLOBAL}, {"unnamed", VM_INSTANCE_UNNAMED},
        {"local", VM_INSTANCE_LOCAL},
    };
    low16 = 0;
    if (instance != "stack") {
        int64_t number = 0;
        auto found = named.find(instance);
        if (found != named.end()) {
            number = found->second;
        } else if (!Number(instance, number)) {
            return Fail("unknown instance '" + instance + "'");
        }
        if (number >= VM_INSTANCE_ID_BASE) {
            number -= VM_INSTANCE_ID_BASE;
            operand |= VM_VAR_INSTANCE_OFFSET;
        }
        if (number < -32768 || number > 65535) return Fail("instance does not fit 16 bits: " + instance);
        low16 = static_cast<uint32_t>(number) & 0xFFFF;
        operand |= VM_VAR_INSTANCE_IN_WORD;
    }

    int64_t id = 0;
    if (!text.empty() && text[0] == '$') {
        if (!Number(text.substr(1), id)) return Fail("not a variable identifier: " + text);
    } else if (!text.empty() && IsLabelStart(text[0])) {
        id = Code_Variable_Find(text.c_str());
    } else {
        return Fail("not a variable: " + reference);
    }
    operand |= static_cast<uint32_t>(id) & VM_VAR_ID_MASK;
    return true;
}

bool Assembler::Finish()
{
    for (const Site& site : m_Sites) {
        auto found = m_Labels.find(site.label);
        if (found == m_Labels.end()) {
            m_Line = site.line;
            return Fail("unknown label '" + site.label + "'");
        }
        uint32_t word = m_Code->WordAtPosition(site.position);
        int32_t distance = (found->second - site.position) / 4;
        m_Code->PatchWord(site.position, VM_MakeBranchWord(VM_WordOpcode(word), distance));
    }
    m_Code->Finish();
    for (const auto& text : m_Out.texts) m_Out.textPointers.push_back(text->c_str());
    m_Out.strings.texts = m_Out.textPointers.data();
    m_Out.strings.count = static_cast<uint32_t>(m_Out.textPointers.size());
    m_Code->m_pStrings = &m_Out.strings;
    m_Out.code = std::move(m_Code);
    return true;
}

} // namespace

bool VM_Assemble(const char* source, VMAssembly& out)
{
    out.code.reset();
    out.texts.clear();
    out.textPointers.clear();
    out.strings = VMStringTable();
    out.error.clear();
    Assembler assembler(out);
    return assembler.Run(source);
}
