#include "code/Code_Generator.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "base/Base_Console.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Error.h"
#include "code/Code_Lexer.h"
#include "code/Code_Tree.h"
#include "code/Code_Value.h"
#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_Global.h"

VMGeneratedCode::VMGeneratedCode(int32_t capacity) : VMWriteBuffer(capacity)
{
    m_pStrings = &m_Table;
}

VMGeneratedCode::~VMGeneratedCode()
{
    for (char* text : m_Texts)
        MemoryManager::Free(text);
}

uint32_t VMGeneratedCode::AddString(const char* text)
{
    if (text == nullptr) text = "";
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(copy, text, length + 1);
    m_Texts.push_back(copy);
    m_Table.texts = m_Texts.data();
    m_Table.count = static_cast<uint32_t>(m_Texts.size());
    return m_Table.count - 1;
}

// A variable node's owner becomes the access's instance unchanged.
static_assert(SCOPE_UNNAMED == VM_INSTANCE_UNNAMED && SCOPE_LOCAL == VM_INSTANCE_LOCAL);

namespace {

// The type stack starts with room for 1024 types and grows past them: nested calls keep up to 16
// values each pending, and the parser already bounds how deeply code nests.
constexpr size_t TYPE_STACK_START = 1024;
// What popping an empty type stack yields.
constexpr uint8_t TYPE_EMPTY = VM_TYPE_IMMEDIATE;
// A branch carries its distance in 24 signed bits.
constexpr int32_t BRANCH_DISTANCE_MAX = (1 << 23) - 1;
constexpr int32_t BRANCH_DISTANCE_MIN = -(1 << 23);

// What a binary operator does to each operand before the operation.
enum class OperandRule : uint8_t {
    Compare,    // nothing
    Arithmetic, // a bool becomes an int
    Logical,    // both become bools
    Bitwise,    // both become ints
};

struct BinaryForm {
    int32_t token;
    uint8_t opcode;
    OperandRule rule;
};

const BinaryForm BINARY_FORMS[] = {
    {TOKEN_EQUAL, VM_OP_SEQ, OperandRule::Compare},
    {TOKEN_ASSIGN, VM_OP_SEQ, OperandRule::Compare}, // '=' inside an expression compares
    {TOKEN_NOT_EQUAL, VM_OP_SNE, OperandRule::Compare},
    {TOKEN_LESS, VM_OP_SLT, OperandRule::Compare},
    {TOKEN_LESS_EQUAL, VM_OP_SLE, OperandRule::Compare},
    {TOKEN_GREATER, VM_OP_SGT, OperandRule::Compare},
    {TOKEN_GREATER_EQUAL, VM_OP_SGE, OperandRule::Compare},
    {TOKEN_PLUS, VM_OP_ADD, OperandRule::Arithmetic},
    {TOKEN_MINUS, VM_OP_SUB, OperandRule::Arithmetic},
    {TOKEN_TIMES, VM_OP_MUL, OperandRule::Arithmetic},
    {TOKEN_DIVIDE, VM_OP_DIV, OperandRule::Arithmetic},
    {TOKEN_DIV, VM_OP_REM, OperandRule::Arithmetic},
    {TOKEN_MOD, VM_OP_MOD, OperandRule::Arithmetic},
    {TOKEN_AND, VM_OP_AND, OperandRule::Logical},
    {TOKEN_OR, VM_OP_OR, OperandRule::Logical},
    {TOKEN_XOR, VM_OP_XOR, OperandRule::Logical},
    {TOKEN_BIT_AND, VM_OP_AND, OperandRule::Bitwise},
    {TOKEN_BIT_OR, VM_OP_OR, OperandRule::Bitwise},
    {TOKEN_BIT_XOR, VM_OP_XOR, OperandRule::Bitwise},
    {TOKEN_SHIFT_LEFT, VM_OP_SHL, OperandRule::Bitwise},
    {TOKEN_SHIFT_RIGHT, VM_OP_SHR, OperandRule::Bitwise},
};

const BinaryForm* FindBinary(int32_t token)
{
    for (const BinaryForm& form : BINARY_FORMS)
        if (form.token == token) return &form;
    return nullptr;
}

// The operation of a compound assignment, or 0 for a plain one.
uint8_t CompoundOpcode(int32_t token)
{
    switch (token) {
    case TOKEN_ASSIGN_PLUS:
        return VM_OP_ADD;
    case TOKEN_ASSIGN_MINUS:
        return VM_OP_SUB;
    case TOKEN_ASSIGN_TIMES:
        return VM_OP_MUL;
    case TOKEN_ASSIGN_DIVIDE:
        return VM_OP_DIV;
    case TOKEN_ASSIGN_OR:
        return VM_OP_OR;
    case TOKEN_ASSIGN_AND:
        return VM_OP_AND;
    case TOKEN_ASSIGN_XOR:
        return VM_OP_XOR;
    default:
        return 0;
    }
}

bool IsBitwiseCompound(uint8_t opcode)
{
    return opcode == VM_OP_OR || opcode == VM_OP_AND || opcode == VM_OP_XOR;
}

// The width that decides an operation's result type: the wider operand wins.
int32_t TypeWidth(uint8_t type)
{
    switch (type) {
    case VM_TYPE_VARIABLE:
        return 16;
    case VM_TYPE_DOUBLE:
    case VM_TYPE_LONG:
        return 8;
    default:
        return 4;
    }
}

bool IsCase(const CodeNode& node)
{
    return node.kind == NODE_CASE || node.kind == NODE_CONSTANT_CASE;
}
bool IsClause(const CodeNode& node)
{
    return IsCase(node) || node.kind == NODE_DEFAULT;
}

// A real that a 64-bit integer holds exactly; NaN and values beyond the int64 range are not.
bool IsIntegral(double real, int64_t* whole)
{
    if (!(real >= -9223372036854775808.0 && real < 9223372036854775808.0)) return false;
    int64_t truncated = static_cast<int64_t>(real);
    if (static_cast<double>(truncated) != real) return false;
    *whole = truncated;
    return true;
}

// The constant-instance form keeps the instance in bits 0-15, which the interpreter reads as a
// signed number (plus 100000 for an instance id). An instance that does not survive that trip is
// taken from the stack instead, so it never addresses another target.
bool FixedInstanceField(int32_t instance, uint32_t* low16, uint32_t* flags)
{
    int32_t field = instance;
    *flags = VM_VAR_INSTANCE_IN_WORD;
    if (instance >= VM_INSTANCE_ID_BASE) {
        field = instance - VM_INSTANCE_ID_BASE;
        *flags |= VM_VAR_INSTANCE_OFFSET;
    }
    if (field < INT16_MIN || field > INT16_MAX) return false;
    *low16 = static_cast<uint32_t>(field) & 0xFFFF;
    return true;
}

struct Label {
    Label(const char* labelName, size_t switches) : name(labelName), switchDepth(switches) {}

    const char* name; // tells labels apart when reading the generator
    int32_t position = 0;
    bool defined = false;
    std::vector<int32_t> sites; // branch words waiting for the position
    int32_t uses = 0;           // breaks that jump here
    size_t switchDepth;         // switch values lying on the stack where the label leads
};

// Where a variable access finds its instance and index: the word's low 16 bits and the operand.
struct Access {
    uint32_t low16;
    uint32_t operand;
};

class Generator {
  public:
    Generator() : m_Code(new VMGeneratedCode(16)), m_Companion(new VMWriteBuffer(16))
    {
        m_Types.reserve(TYPE_STACK_START);
    }
    ~Generator()
    {
        delete m_Code;
        delete m_Companion;
    }
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    void Program(const CodeNode& root) { Statement(root); }

    void ExpressionResult(const CodeNode& root)
    {
        Expression(root);
        Convert(VM_TYPE_VARIABLE);
    }

    // Hands both buffers over; code whose branches could not reach their targets is dropped whole.
    bool Finish(VMWriteBuffer** words, VMWriteBuffer** companion)
    {
        bool complete = !m_TooFar;
        if (!complete) {
            delete m_Code;
            m_Code = new VMGeneratedCode(16);
        }
        m_Code->Finish();
        m_Companion->Finish();
        *words = m_Code;
        *companion = m_Companion;
        m_Code = nullptr;
        m_Companion = nullptr;
        return complete;
    }

  private:
    VMGeneratedCode* m_Code;
    VMWriteBuffer* m_Companion;
    std::vector<uint8_t> m_Types;
    Label* m_Break = nullptr;
    Label* m_Continue = nullptr;
    // The types of the switch values lying on the interpreter's stack, innermost last.
    std::vector<uint8_t> m_Switches;
    std::unordered_map<std::string, uint32_t> m_StringIndex;
    bool m_TooFar = false;

    // --- the type stack ---

    void PushType(uint8_t type) { m_Types.push_back(type); }

    uint8_t PopType()
    {
        if (m_Types.empty()) return TYPE_EMPTY;
        uint8_t type = m_Types.back();
        m_Types.pop_back();
        return type;
    }

    uint8_t TopType() const { return m_Types.empty() ? TYPE_EMPTY : m_Types.back(); }

    // --- words ---

    void Emit(uint8_t opcode, uint8_t firstType, uint8_t secondType = 0, uint32_t low16 = 0)
    {
        m_Code->Write(VM_MakeWord(opcode, firstType, secondType, low16));
    }

    void Convert(uint8_t target)
    {
        uint8_t source = PopType();
        if (source != target) Emit(VM_OP_CONV, source, target);
        PushType(target);
    }

    // Pops both operands' types, writes the operation (right type first) and pushes its result.
    void Operate(uint8_t opcode, bool comparison)
    {
        uint8_t right = PopType();
        uint8_t left = PopType();
        Emit(opcode, right, left);
        // A number times a text is the text repeated, a string item: the wider-type rule would
        // take the int32 on the left and store the text's reference as a number.
        bool repeats = opcode == VM_OP_MUL && right == VM_TYPE_STRING && (left == VM_TYPE_INT || left == VM_TYPE_DOUBLE);
        PushType(comparison                           ? static_cast<uint8_t>(VM_TYPE_BOOL)
                 : repeats                            ? static_cast<uint8_t>(VM_TYPE_STRING)
                 : TypeWidth(right) > TypeWidth(left) ? right
                                                      : left);
    }

    void PushInt32(int32_t value)
    {
        Emit(VM_OP_PUSH, VM_TYPE_INT);
        m_Code->Write(static_cast<uint32_t>(value));
        PushType(VM_TYPE_INT);
    }

    void PushReal(double real)
    {
        int64_t whole = 0;
        if (!IsIntegral(real, &whole)) {
            Emit(VM_OP_PUSH, VM_TYPE_DOUBLE);
            m_Code->WriteDouble(real);
            PushType(VM_TYPE_DOUBLE);
        } else if (whole >= INT16_MIN && whole <= INT16_MAX) {
            Emit(VM_OP_PUSH, VM_TYPE_IMMEDIATE, 0, static_cast<uint32_t>(whole) & 0xFFFF);
            PushType(VM_TYPE_INT);
        } else if (whole >= INT32_MIN && whole <= INT32_MAX) {
            PushInt32(static_cast<int32_t>(whole));
        } else {
            Emit(VM_OP_PUSH, VM_TYPE_LONG);
            m_Code->WriteInt64(whole);
            PushType(VM_TYPE_LONG);
        }
    }

    void PushString(const char* text)
    {
        std::string key = text != nullptr ? text : "";
        auto found = m_StringIndex.find(key);
        uint32_t index = 0;
        if (found != m_StringIndex.end()) {
            index = found->second;
        } else {
            index = m_Code->AddString(key.c_str());
            m_StringIndex.emplace(std::move(key), index);
        }
        Emit(VM_OP_PUSH, VM_TYPE_STRING);
        m_Code->Write(index);
        PushType(VM_TYPE_STRING);
    }

    // --- labels ---

    void WriteBranch(uint8_t opcode, int32_t distance)
    {
        if (distance < BRANCH_DISTANCE_MIN || distance > BRANCH_DISTANCE_MAX) m_TooFar = true;
        m_Code->Write(VM_MakeBranchWord(opcode, distance));
    }

    void Branch(uint8_t opcode, Label& label)
    {
        int32_t at = m_Code->Position();
        if (label.defined) {
            WriteBranch(opcode, (label.position - at) / 4);
            return;
        }
        label.sites.push_back(at);
        WriteBranch(opcode, 0);
    }

    // A conditional branch or pushenv: it takes the value on top.
    void BranchTaking(uint8_t opcode, Label& label)
    {
        PopType();
        Branch(opcode, label);
    }

    void Define(Label& label)
    {
        label.position = m_Code->Position();
        label.defined = true;
        for (int32_t site : label.sites) {
            uint32_t word = m_Code->WordAtPosition(site);
            int32_t distance = (label.position - site) / 4;
            if (distance > BRANCH_DISTANCE_MAX) m_TooFar = true;
            m_Code->PatchWord(site, VM_MakeBranchWord(VM_WordOpcode(word), distance));
        }
        label.sites.clear();
    }

    // A break or continue: the switch values between here and the target are discarded first, so
    // that the target finds the stack as its construct left it.
    void Leave(Label& target)
    {
        for (size_t depth = m_Switches.size(); depth > target.switchDepth; --depth)
            Emit(VM_OP_POPZ, m_Switches[depth - 1]);
        Branch(VM_OP_B, target);
    }

    struct Targets {
        Label* breakLabel;
        Label* continueLabel;
    };

    Targets Enter(Label* breakLabel, Label* continueLabel)
    {
        Targets saved{m_Break, m_Continue};
        m_Break = breakLabel;
        m_Continue = continueLabel;
        return saved;
    }

    void Restore(const Targets& saved)
    {
        m_Break = saved.breakLabel;
        m_Continue = saved.continueLabel;
    }

    Label NewLabel(const char* name) const { return Label(name, m_Switches.size()); }

    // --- expressions ---

    void Expression(const CodeNode& node)
    {
        switch (node.kind) {
        case NODE_CONSTANT:
            Constant(node.value);
            break;
        case NODE_CALL:
            Call(node);
            break;
        case NODE_VARIABLE:
        case NODE_FIXED_VARIABLE:
            ReadVariable(node);
            break;
        case NODE_UNARY:
            Unary(node);
            break;
        case NODE_BINARY:
            Binary(node);
            break;
        default:
            break;
        }
    }

    void Constant(const ScriptValue& value)
    {
        switch (Value_GetKind(&value)) {
        case VALUE_REAL:
            PushReal(value.real);
            break;
        case VALUE_STRING:
            PushString(Value_GetText(&value));
            break;
        default:
            break; // nothing else is ever a literal
        }
    }

    void Call(const CodeNode& node)
    {
        for (int32_t i = node.childCount - 1; i >= 0; --i) {
            Expression(node.children[i]);
            Convert(VM_TYPE_VARIABLE);
        }
        Emit(VM_OP_CALL, VM_TYPE_INT, 0, static_cast<uint32_t>(node.childCount));
        m_Code->Write(static_cast<uint32_t>(node.id));
        for (int32_t i = 0; i < node.childCount; ++i)
            PopType();
        PushType(VM_TYPE_VARIABLE);
    }

    // Pushes what the access takes from the stack: the instance, then the index (row * 32000 +
    // column for two).
    Access PrepareAccess(const CodeNode& node)
    {
        uint32_t operand = static_cast<uint32_t>(node.id) & VM_VAR_ID_MASK;
        if (node.kind == NODE_FIXED_VARIABLE) {
            uint32_t low16 = 0;
            uint32_t flags = 0;
            if (FixedInstanceField(node.scope, &low16, &flags))
                return {low16, operand | VM_VAR_NO_INDEX | flags};
            PushReal(node.scope);
            PopType();
            return {0, operand | VM_VAR_NO_INDEX};
        }
        if (node.childCount < 1) return {0, operand | VM_VAR_NO_INDEX};
        Expression(node.children[0]);
        Convert(VM_TYPE_INT);
        bool indexed = node.childCount > 1;
        if (indexed) {
            Expression(node.children[1]);
            Convert(VM_TYPE_INT);
            if (node.childCount > 2) {
                PushInt32(ARRAY_ROW_SPAN);
                Operate(VM_OP_MUL, false);
                Expression(node.children[2]);
                Convert(VM_TYPE_INT);
                Operate(VM_OP_ADD, false);
            }
            PopType();
        }
        PopType();
        return {0, indexed ? operand : operand | VM_VAR_NO_INDEX};
    }

    void ReadVariable(const CodeNode& node)
    {
        Access access = PrepareAccess(node);
        Emit(VM_OP_PUSH, VM_TYPE_VARIABLE, 0, access.low16);
        m_Code->Write(access.operand);
        PushType(VM_TYPE_VARIABLE);
    }

    // The value to store lies on the stack already (its type popped by the caller).
    void Store(const CodeNode& target, uint8_t valueType)
    {
        Access access = PrepareAccess(target);
        Emit(VM_OP_POP, VM_TYPE_VARIABLE, valueType, access.low16);
        m_Code->Write(access.operand);
    }

    void Unary(const CodeNode& node)
    {
        if (node.childCount < 1) return;
        Expression(node.children[0]);
        uint8_t type = TopType();
        switch (node.id) {
        case TOKEN_NOT:
            if (type == VM_TYPE_DOUBLE || type == VM_TYPE_FLOAT || type == VM_TYPE_INT ||
                type == VM_TYPE_LONG || type == VM_TYPE_VARIABLE)
                Convert(VM_TYPE_BOOL);
            Emit(VM_OP_NOT, TopType());
            break;
        case TOKEN_MINUS:
            // A negated bool would stay a bool (and true); as an int it is -1, as in the tree walker.
            if (type == VM_TYPE_BOOL) Convert(VM_TYPE_INT);
            Emit(VM_OP_NEG, TopType());
            break;
        case TOKEN_BIT_NOT:
            // not of a bool is the logical not; the bits of true as an int invert to -2.
            if (type == VM_TYPE_DOUBLE || type == VM_TYPE_FLOAT || type == VM_TYPE_VARIABLE ||
                type == VM_TYPE_BOOL)
                Convert(VM_TYPE_INT);
            Emit(VM_OP_NOT, TopType());
            break;
        default:
            break; // a unary plus leaves its operand as it is
        }
    }

    // An int64 reaches no operation that refuses it: the interpreter takes int64 operands only in
    // a few pairings, and a double holds every integral literal exactly.
    void WidenLong()
    {
        if (TopType() == VM_TYPE_LONG) Convert(VM_TYPE_DOUBLE);
    }

    void ApplyOperandRule(OperandRule rule)
    {
        switch (rule) {
        case OperandRule::Compare:
            WidenLong();
            break;
        case OperandRule::Arithmetic:
            if (TopType() == VM_TYPE_BOOL) Convert(VM_TYPE_INT);
            WidenLong();
            break;
        case OperandRule::Logical:
            Convert(VM_TYPE_BOOL);
            break;
        case OperandRule::Bitwise:
            Convert(VM_TYPE_INT);
            break;
        }
    }

    // Whether the expression leaves a string item: a text constant, or texts joined.
    static bool YieldsText(const CodeNode& node)
    {
        if (node.kind == NODE_CONSTANT) return Value_GetKind(&node.value) == VALUE_STRING;
        return node.kind == NODE_BINARY && node.id == TOKEN_PLUS && node.childCount >= 2 && YieldsText(node.children[0]) &&
               YieldsText(node.children[1]);
    }

    void Binary(const CodeNode& node)
    {
        const BinaryForm* form = FindBinary(node.id);
        if (form == nullptr || node.childCount < 2) return;
        Expression(node.children[0]);
        // A truth value times a text stays a bool, a pair the multiplication refuses: made an
        // int32 it would repeat the text instead.
        bool boolTimesText = form->opcode == VM_OP_MUL && TopType() == VM_TYPE_BOOL && YieldsText(node.children[1]);
        if (!boolTimesText) ApplyOperandRule(form->rule);
        Expression(node.children[1]);
        ApplyOperandRule(form->rule);
        // Two ints would divide to a truncated int; '/' divides reals, as folding and the tree
        // walker do.
        if (form->opcode == VM_OP_DIV && TopType() == VM_TYPE_INT && m_Types.size() >= 2 &&
            m_Types[m_Types.size() - 2] == VM_TYPE_INT)
            Convert(VM_TYPE_DOUBLE);
        Operate(form->opcode, form->rule == OperandRule::Compare);
    }

    void Condition(const CodeNode& node)
    {
        Expression(node);
        Convert(VM_TYPE_BOOL);
    }

    // --- statements ---

    void Statement(const CodeNode& node)
    {
        switch (node.kind) {
        case NODE_BLOCK:
            for (int32_t i = 0; i < node.childCount; ++i)
                Statement(node.children[i]);
            break;
        case NODE_CALL:
            Call(node);
            Emit(VM_OP_POPZ, PopType());
            break;
        case NODE_ASSIGN:
            Assign(node);
            break;
        case NODE_IF:
            If(node);
            break;
        case NODE_WHILE:
            While(node);
            break;
        case NODE_DO:
            DoUntil(node);
            break;
        case NODE_FOR:
            For(node);
            break;
        case NODE_REPEAT:
            Repeat(node);
            break;
        case NODE_WITH:
            With(node);
            break;
        case NODE_SWITCH:
            Switch(node);
            break;
        case NODE_BREAK:
            if (m_Break != nullptr) {
                ++m_Break->uses;
                Leave(*m_Break);
            }
            break;
        case NODE_CONTINUE:
            if (m_Continue != nullptr) Leave(*m_Continue);
            break;
        case NODE_EXIT:
            Emit(VM_OP_EXIT, VM_TYPE_INT);
            break;
        case NODE_RETURN:
            if (node.childCount < 1) break;
            Expression(node.children[0]);
            Convert(VM_TYPE_VARIABLE);
            Emit(VM_OP_RET, PopType());
            break;
        case NODE_GLOBALVAR:
            // The flag is what makes later reads of the name find the global variable.
            for (int32_t i = 0; i < node.childCount; ++i)
                Variable_DeclareGlobalVar(node.children[i].id);
            break;
        default:
            break; // var, empty statements and clauses outside a switch write nothing
        }
    }

    void Assign(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        const CodeNode& target = node.children[0];
        uint8_t opcode = CompoundOpcode(node.id);
        if (opcode == 0) {
            Expression(node.children[1]);
            Store(target, PopType());
            return;
        }
        // The target is read, then its instance and index are generated once more for the store.
        ReadVariable(target);
        PopType();
        Expression(node.children[1]);
        uint8_t type = TopType();
        if (IsBitwiseCompound(opcode)) {
            if (type != VM_TYPE_INT && type != VM_TYPE_LONG) Convert(VM_TYPE_INT);
        } else if (type == VM_TYPE_BOOL) {
            Convert(VM_TYPE_INT);
        }
        WidenLong();
        Emit(opcode, PopType(), VM_TYPE_VARIABLE);
        Store(target, VM_TYPE_VARIABLE);
    }

    void If(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        Label elseLabel = NewLabel("Else");
        Label end = NewLabel("End");
        Condition(node.children[0]);
        BranchTaking(VM_OP_BF, elseLabel);
        Statement(node.children[1]);
        if (node.childCount > 2) Branch(VM_OP_B, end);
        Define(elseLabel);
        if (node.childCount > 2) Statement(node.children[2]);
        Define(end);
    }

    void While(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        Label end = NewLabel("End");
        Label repeat = NewLabel("Repeat");
        Targets saved = Enter(&end, &repeat);
        Define(repeat);
        Condition(node.children[0]);
        BranchTaking(VM_OP_BF, end);
        Statement(node.children[1]);
        Branch(VM_OP_B, repeat);
        Define(end);
        Restore(saved);
    }

    // A continue tests the condition, as the tree-walking executor does.
    void DoUntil(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        Label end = NewLabel("End");
        Label start = NewLabel("Start");
        Label repeat = NewLabel("Repeat");
        Targets saved = Enter(&end, &repeat);
        Define(start);
        Statement(node.children[0]);
        Define(repeat);
        Condition(node.children[1]);
        BranchTaking(VM_OP_BF, start);
        Define(end);
        Restore(saved);
    }

    void For(const CodeNode& node)
    {
        if (node.childCount < 4) return;
        Statement(node.children[0]);
        Label end = NewLabel("End");
        Label repeat = NewLabel("Repeat");
        Label start = NewLabel("Start");
        Targets saved = Enter(&end, &repeat);
        Define(start);
        Condition(node.children[1]);
        BranchTaking(VM_OP_BF, end);
        Statement(node.children[3]);
        Define(repeat);
        Statement(node.children[2]);
        Branch(VM_OP_B, start);
        Define(end);
        Restore(saved);
    }

    // The counter stays on the stack for the whole loop; a continue ends the round and counts it.
    void Repeat(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        Label end = NewLabel("End");
        Label start = NewLabel("Start");
        Label repeat = NewLabel("Repeat");
        Expression(node.children[0]);
        Convert(VM_TYPE_INT);
        Emit(VM_OP_DUP, VM_TYPE_INT);
        PushType(VM_TYPE_INT);
        PushInt32(0);
        Operate(VM_OP_SLE, true);
        BranchTaking(VM_OP_BT, end);

        Targets saved = Enter(&end, &repeat);
        Define(start);
        Statement(node.children[1]);
        Define(repeat);
        PushInt32(1);
        Operate(VM_OP_SUB, false);
        Emit(VM_OP_DUP, VM_TYPE_INT);
        PushType(VM_TYPE_INT);
        Convert(VM_TYPE_BOOL);
        BranchTaking(VM_OP_BT, start);
        Define(end);
        Emit(VM_OP_POPZ, PopType());
        Restore(saved);
    }

    void With(const CodeNode& node)
    {
        if (node.childCount < 2) return;
        Label end = NewLabel("End");
        Label popEnv = NewLabel("PopEnv");
        Label start = NewLabel("Start");
        Expression(node.children[0]);
        Convert(VM_TYPE_INT);
        BranchTaking(VM_OP_PUSHENV, popEnv);

        Targets saved = Enter(&end, &popEnv);
        Define(start);
        Statement(node.children[1]);
        Define(popEnv);
        Branch(VM_OP_POPENV, start);
        if (end.uses == 0) {
            Define(end);
        } else {
            // A break leaves through the popenv form that drops the rest of the instances.
            Label cleanUp = NewLabel("CleanUpEnd");
            Branch(VM_OP_B, cleanUp);
            Define(end);
            m_Code->Write(VM_WORD_POPENV_BREAK);
            Define(cleanUp);
        }
        Restore(saved);
    }

    // The switch value stays on the stack while the cases are tested and the clauses run; a default
    // clause ends the tests wherever it stands.
    void Switch(const CodeNode& node)
    {
        if (node.childCount < 1) return;
        // The comparison takes no int64: the value and each label are widened as other operands are.
        Expression(node.children[0]);
        WidenLong();
        uint8_t type = PopType();
        m_Switches.push_back(type);
        Label end = NewLabel("End");
        Label* savedBreak = m_Break;
        m_Break = &end;

        std::vector<Label> clauses;
        for (int32_t i = 1; i < node.childCount; ++i) {
            const CodeNode& child = node.children[i];
            if (IsCase(child)) {
                clauses.push_back(NewLabel("Switch Clause"));
                Emit(VM_OP_DUP, type);
                if (child.childCount > 0) Expression(child.children[0]);
                WidenLong();
                Emit(VM_OP_SEQ, PopType(), type);
                Branch(VM_OP_BT, clauses.back());
            } else if (child.kind == NODE_DEFAULT) {
                clauses.push_back(NewLabel("Switch Default"));
                Branch(VM_OP_B, clauses.back());
            }
        }
        Branch(VM_OP_B, end);

        size_t defined = 0;
        size_t seen = 0;
        for (int32_t i = 1; i < node.childCount; ++i) {
            const CodeNode& child = node.children[i];
            if (IsClause(child)) {
                ++seen;
                continue;
            }
            for (; defined < seen; ++defined)
                Define(clauses[defined]);
            Statement(child);
        }
        for (; defined < clauses.size(); ++defined)
            Define(clauses[defined]);
        Define(end);
        Emit(VM_OP_POPZ, type);

        m_Break = savedBreak;
        m_Switches.pop_back();
    }
};

} // namespace

bool Code_Generate(CCode* code, const CodeNode* root, bool asExpression, VMWriteBuffer** words,
                   VMWriteBuffer** companion)
{
    Generator generator;
    if (root != nullptr) {
        if (asExpression)
            generator.ExpressionResult(*root);
        else
            generator.Program(*root);
    }
    if (!generator.Finish(words, companion)) {
        MainConsole->Output("Generated code too long for its branches; it runs nothing\n");
        Code_Report_Error(code, 0, "Code is too long.");
        return false;
    }
    return true;
}
