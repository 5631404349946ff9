// The instructions that compute: add to shr, neg and not, the six comparisons and conv, in every
// operand form the bytecode allows. The run loop handles the plain number forms itself and sends
// everything else here, so this file is the reference for all of them.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_InterpreterState.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

double Code_CompareEpsilon = 0.00001;

namespace {

constexpr uint32_t NO_TYPE = VM_TYPE_IMMEDIATE;

// An operand as computed with: its type (a variable counts as the double or string it holds) and
// its value. A string operand owns its text.
struct Operand {
    uint32_t type = NO_TYPE;
    double d = 0;
    float f = 0;
    int32_t i = 0;
    int64_t l = 0;
    uint32_t text = 0;
};

const char* TextOf(uint32_t ref) { return ScriptHeap_Get<char>(ref); }

void FreeOperand(Operand& operand)
{
    if (operand.type == VM_TYPE_STRING) VM_FreeText(operand.text);
    operand.text = 0;
}

uint32_t NewText(const char* bytes, size_t length)
{
    char* copy = static_cast<char*>(MEM_ALLOC(length + 1, false));
    if (length > 0) std::memcpy(copy, bytes, length);
    copy[length] = '\0';
    return ScriptHeap_Ref(copy);
}

uint32_t NewText(const std::string& text) { return NewText(text.data(), text.size()); }

// Reads the item at `at` of the word's type. A variable holding an array or anything but a real or a
// string is reported (DoMul words both the same way) and released.
bool ReadOperand(VMRunState& run, const uint8_t* at, uint32_t type, bool mulWording, Operand* out)
{
    out->type = type;
    switch (type) {
    case VM_TYPE_DOUBLE: out->d = VM_Load<double>(at); return true;
    case VM_TYPE_FLOAT: out->f = VM_Load<float>(at); return true;
    case VM_TYPE_INT: out->i = VM_Load<int32_t>(at); return true;
    case VM_TYPE_LONG: out->l = VM_Load<int64_t>(at); return true;
    case VM_TYPE_BOOL: out->i = at[0] != 0 ? 1 : 0; return true;
    case VM_TYPE_STRING: out->text = VM_Load<uint32_t>(at); return true;
    case VM_TYPE_VARIABLE: {
        ScriptValue value = VM_Load<ScriptValue>(at);
        switch (Value_GetKind(&value)) {
        case VALUE_REAL:
            out->type = VM_TYPE_DOUBLE;
            out->d = value.real;
            return true;
        case VALUE_STRING:
            out->type = VM_TYPE_STRING;
            out->text = value.ref;
            return true;
        case VALUE_ARRAY:
            Value_Free(&value);
            out->type = NO_TYPE;
            VM_Error(run, "%s", mulWording ? "Variable is malformed" : "illegal array use");
            return false;
        default:
            out->type = NO_TYPE;
            VM_Error(run, "%s", mulWording ? "Variable is malformed" : "Malformed variable");
            return false;
        }
    }
    default: out->type = NO_TYPE; return true;
    }
}

// Pops the right operand (on top, the first type) and the left one beneath it; `end` receives the
// address above both. False after a reported variable.
bool PopPair(VMRunState& run, uint32_t word, bool mulWording, Operand* left, Operand* right, uint8_t** end)
{
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    uint8_t* at = run.sp;
    uint32_t rightSize = VM_StackSize(rightType);
    *end = at + rightSize + VM_StackSize(leftType);
    if (!ReadOperand(run, at, rightType, mulWording, right)) return false;
    if (!ReadOperand(run, at + rightSize, leftType, mulWording, left)) {
        FreeOperand(*right);
        return false;
    }
    return true;
}

// Pushes the result where the operands ended: a variable when the word named one, else the item of
// the result's own type.
void PushResult(VMRunState& run, uint8_t* end, bool asVariable, const Operand& result)
{
    if (asVariable) {
        ScriptValue value = {VALUE_REAL, 0, 0.0};
        switch (result.type) {
        case VM_TYPE_STRING: value = ScriptValue{VALUE_STRING, result.text, 0.0}; break;
        case VM_TYPE_DOUBLE: value.real = result.d; break;
        case VM_TYPE_FLOAT: value.real = result.f; break;
        case VM_TYPE_INT:
        case VM_TYPE_BOOL: value.real = result.i; break;
        case VM_TYPE_LONG: value.real = static_cast<double>(result.l); break;
        default: break;
        }
        run.sp = end - 16;
        VM_Store(run.sp, value);
        return;
    }
    run.sp = end - VM_StackSize(result.type);
    switch (result.type) {
    case VM_TYPE_DOUBLE: VM_Store(run.sp, result.d); break;
    case VM_TYPE_FLOAT: VM_Store(run.sp, result.f); break;
    case VM_TYPE_INT:
    case VM_TYPE_BOOL: VM_Store(run.sp, result.i); break;
    case VM_TYPE_LONG: VM_Store(run.sp, result.l); break;
    case VM_TYPE_STRING: VM_Store(run.sp, result.text); break;
    default: break;
    }
}

Operand Real(double value)
{
    Operand out;
    out.type = VM_TYPE_DOUBLE;
    out.d = value;
    return out;
}

Operand Int(int32_t value, uint32_t type = VM_TYPE_INT)
{
    Operand out;
    out.type = type;
    out.i = value;
    return out;
}

// The pairs double and double, double and int32, int32 and double.
bool MixedReal(const Operand& left, const Operand& right)
{
    bool l = left.type == VM_TYPE_DOUBLE || left.type == VM_TYPE_INT;
    bool r = right.type == VM_TYPE_DOUBLE || right.type == VM_TYPE_INT;
    return l && r && !(left.type == VM_TYPE_INT && right.type == VM_TYPE_INT);
}

bool BothInt(const Operand& left, const Operand& right) { return left.type == VM_TYPE_INT && right.type == VM_TYPE_INT; }

double AsDouble(const Operand& operand)
{
    switch (operand.type) {
    case VM_TYPE_INT:
    case VM_TYPE_BOOL: return operand.i;
    case VM_TYPE_LONG: return static_cast<double>(operand.l);
    case VM_TYPE_FLOAT: return operand.f;
    default: return operand.d;
    }
}

struct ArithmeticWords {
    const char* pair;   // a pair the instruction does not take
    const char* string; // a string operand where none is taken (null: strings have their own pairs)
    const char* zero;   // division by zero
};

const ArithmeticWords* WordsFor(uint8_t opcode)
{
    static const ArithmeticWords add = {"DoAdd :: Execution Error", nullptr, nullptr};
    static const ArithmeticWords sub = {"DoSub:: Execution Error", "DoSub :: Execution Engine - Cannot operate on string type", nullptr};
    static const ArithmeticWords mul = {"DoMul :: Execution Error", nullptr, nullptr};
    static const ArithmeticWords div = {"DoDiv :: Execution Error", "DoDiv :: Execution Engine - Cannot operate on string type", "DoDiv :: Divide by zero"};
    static const ArithmeticWords rem = {"DoRem :: Execution Error", "DoRem :: Execution Engine - Cannot operate on string type", "DoRem :: Divide by zero"};
    static const ArithmeticWords mod = {"DoMod :: Execution Error", "DoMod :: Execution Engine - Cannot operate on string type", "DoMod :: Divide by zero"};
    static const ArithmeticWords andWords = {"DoAnd :: Execution Error", "DoAnd :: Execution Engine - Cannot operate on string type", nullptr};
    static const ArithmeticWords orWords = {"DoOr :: Execution Error", "DoOr :: Execution Engine - Cannot operate on string type", nullptr};
    static const ArithmeticWords xorWords = {"DoXor :: Execution Error", "DoXor :: Execution Engine - Cannot operate on string type", nullptr};
    static const ArithmeticWords shl = {"DoShl :: Execution Error", "DoShl :: Execution Engine - Cannot operate on string type", nullptr};
    static const ArithmeticWords shr = {"DoShr :: Execution Error", "DoShr :: Execution Engine - Cannot operate on string type", nullptr};
    switch (opcode) {
    case VM_OP_ADD: return &add;
    case VM_OP_SUB: return &sub;
    case VM_OP_MUL: return &mul;
    case VM_OP_DIV: return &div;
    case VM_OP_REM: return &rem;
    case VM_OP_MOD: return &mod;
    case VM_OP_AND: return &andWords;
    case VM_OP_OR: return &orWords;
    case VM_OP_XOR: return &xorWords;
    case VM_OP_SHL: return &shl;
    default: return &shr;
    }
}

// The outcome of one computation: a result, or the text of the error it is.
struct Outcome {
    Operand result;
    const char* error = nullptr;
};

Outcome Failed(const char* error)
{
    Outcome out;
    out.error = error;
    return out;
}

Outcome Computed(const Operand& result)
{
    Outcome out;
    out.result = result;
    return out;
}

Outcome Repeat(const Operand& count, const Operand& text)
{
    int64_t times = count.type == VM_TYPE_INT ? count.i : Numbers_TruncToInt64(count.d);
    const char* piece = TextOf(text.text);
    size_t length = piece != nullptr ? std::strlen(piece) : 0;
    std::string repeated;
    if (times > 0 && length > 0 && static_cast<uint64_t>(times) > VALUE_MAX_TEXT / length)
        return Failed(VALUE_TEXT_TOO_LONG);
    if (times > 0 && length > 0) {
        repeated.reserve(static_cast<size_t>(times) * length);
        for (int64_t i = 0; i < times; ++i) repeated.append(piece, length);
    }
    Operand out;
    out.type = VM_TYPE_STRING;
    out.text = NewText(repeated);
    return Computed(out);
}

int64_t Shift64(bool left, int64_t value, int64_t count)
{
    uint32_t bits = static_cast<uint32_t>(count) & 0xFF; // only the count's lowest byte
    if (bits >= 64) return left ? 0 : (value < 0 ? -1 : 0);
    return left ? static_cast<int64_t>(static_cast<uint64_t>(value) << bits) : value >> bits;
}

int32_t Shift32(bool left, int32_t value, int32_t count)
{
    uint32_t bits = static_cast<uint32_t>(count) & 31;
    return left ? static_cast<int32_t>(static_cast<uint32_t>(value) << bits) : value >> bits;
}

int64_t Bitwise64(uint8_t opcode, int64_t left, int64_t right)
{
    switch (opcode) {
    case VM_OP_AND: return left & right;
    case VM_OP_OR: return left | right;
    default: return left ^ right;
    }
}

Outcome Compute(uint8_t opcode, const Operand& left, const Operand& right)
{
    const ArithmeticWords* words = WordsFor(opcode);
    bool anyString = left.type == VM_TYPE_STRING || right.type == VM_TYPE_STRING;
    if (words->string != nullptr && anyString) return Failed(words->string);
    bool ints = BothInt(left, right);
    bool mixed = MixedReal(left, right);
    double l = AsDouble(left);
    double r = AsDouble(right);
    uint32_t lu = static_cast<uint32_t>(left.i);
    uint32_t ru = static_cast<uint32_t>(right.i);

    switch (opcode) {
    case VM_OP_ADD: // two strings are joined before this (JoinOnStack)
        if (ints) return Computed(Int(static_cast<int32_t>(lu + ru)));
        if (mixed || (left.type == VM_TYPE_DOUBLE && right.type == VM_TYPE_LONG) ||
            (left.type == VM_TYPE_LONG && right.type == VM_TYPE_DOUBLE))
            return Computed(Real(l + r));
        break;
    case VM_OP_SUB:
        if (ints) return Computed(Int(static_cast<int32_t>(lu - ru)));
        if (mixed) return Computed(Real(l - r));
        break;
    case VM_OP_MUL:
        if ((left.type == VM_TYPE_DOUBLE || left.type == VM_TYPE_INT) && right.type == VM_TYPE_STRING)
            return Repeat(left, right);
        if (ints) return Computed(Int(static_cast<int32_t>(lu * ru)));
        if (mixed) return Computed(Real(l * r));
        break;
    case VM_OP_DIV:
        if (ints) return right.i == 0 ? Failed(words->zero) : Computed(Int(Numbers_DivInt32(left.i, right.i)));
        if (mixed) return std::fabs(r) < VM_DIVISOR_EPSILON ? Failed(words->zero) : Computed(Real(l / r));
        break;
    case VM_OP_REM:
        if (ints) return right.i == 0 ? Failed(words->zero) : Computed(Int(Numbers_DivInt32(left.i, right.i)));
        if (mixed) {
            int32_t a = left.type == VM_TYPE_INT ? left.i : Numbers_TruncToInt32(l);
            int32_t b = right.type == VM_TYPE_INT ? right.i : Numbers_TruncToInt32(r);
            return b == 0 ? Failed(words->zero) : Computed(Real(Numbers_DivInt32(a, b)));
        }
        break;
    case VM_OP_MOD:
        if (ints) return right.i == 0 ? Failed(words->zero) : Computed(Int(Numbers_RemInt32(left.i, right.i)));
        if (mixed) return std::fabs(r) < VM_DIVISOR_EPSILON ? Failed(words->zero) : Computed(Real(std::fmod(l, r)));
        break;
    case VM_OP_AND:
    case VM_OP_OR:
    case VM_OP_XOR:
        if (ints) return Computed(Int(static_cast<int32_t>(Bitwise64(opcode, left.i, right.i))));
        if (left.type == VM_TYPE_BOOL && right.type == VM_TYPE_BOOL)
            return Computed(Int(static_cast<int32_t>(Bitwise64(opcode, left.i, right.i)), VM_TYPE_BOOL));
        if (mixed) {
            int64_t a = left.type == VM_TYPE_INT ? left.i : Numbers_TruncToInt64(l);
            int64_t b = right.type == VM_TYPE_INT ? right.i : Numbers_TruncToInt64(r);
            return Computed(Real(static_cast<double>(Bitwise64(opcode, a, b))));
        }
        break;
    case VM_OP_SHL:
    case VM_OP_SHR: {
        bool toLeft = opcode == VM_OP_SHL;
        if (ints) return Computed(Int(Shift32(toLeft, left.i, right.i)));
        if (left.type == VM_TYPE_INT && right.type == VM_TYPE_DOUBLE)
            return Computed(Real(Shift32(toLeft, left.i, Numbers_TruncToInt32(r))));
        if (left.type == VM_TYPE_DOUBLE && (right.type == VM_TYPE_DOUBLE || right.type == VM_TYPE_INT)) {
            int64_t count = right.type == VM_TYPE_INT ? right.i : Numbers_TruncToInt64(r);
            return Computed(Real(static_cast<double>(Shift64(toLeft, Numbers_TruncToInt64(l), count))));
        }
        break;
    }
    default: break;
    }
    return Failed(words->pair);
}

// -1, 0 or 1 by unsigned bytes; a missing text equals a missing or empty one and is greater than any
// other, whichever side it is on.
int32_t CompareTexts(const char* left, const char* right)
{
    bool leftMissing = left == nullptr;
    bool rightMissing = right == nullptr;
    if (leftMissing || rightMissing) {
        const char* present = leftMissing ? right : left;
        return (leftMissing && rightMissing) || present[0] == '\0' ? 0 : 1;
    }
    int result = std::strcmp(left, right);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

bool IsIntOrBool(uint32_t type) { return type == VM_TYPE_INT || type == VM_TYPE_BOOL; }

// The difference the comparison tests, or false for a pair that cannot be compared.
bool Difference(const Operand& left, const Operand& right, double* d)
{
    uint32_t lt = left.type;
    uint32_t rt = right.type;
    if ((lt == VM_TYPE_DOUBLE && (rt == VM_TYPE_DOUBLE || rt == VM_TYPE_INT || rt == VM_TYPE_LONG)) ||
        (lt == VM_TYPE_INT && rt == VM_TYPE_DOUBLE)) {
        *d = AsDouble(left) - AsDouble(right);
        return true;
    }
    if ((lt == VM_TYPE_DOUBLE && rt == VM_TYPE_BOOL) || (lt == VM_TYPE_BOOL && rt == VM_TYPE_DOUBLE)) {
        // Truncated to a whole number first, so 0.5 against true counts as equal.
        *d = std::trunc(AsDouble(left) - AsDouble(right));
        return true;
    }
    if (IsIntOrBool(lt) && IsIntOrBool(rt)) {
        *d = static_cast<int32_t>(static_cast<uint32_t>(left.i) - static_cast<uint32_t>(right.i));
        return true;
    }
    return false;
}

// What conv reads a source as: the item, with a variable read as its double or string.
std::string FormatNumber(const char* format, double value) { return Numbers_Format(format, value); }

std::string FormatInt(const char* format, int64_t value)
{
    char area[64];
    std::snprintf(area, sizeof area, format, static_cast<long long>(value));
    return area;
}

// The conversion of a read source (double, float, int32, int64, bool or string) to the target.
bool Convert(Operand& source, uint32_t target, Operand* out)
{
    out->type = target;
    const char* text = source.type == VM_TYPE_STRING ? TextOf(source.text) : nullptr;
    switch (target) {
    case VM_TYPE_DOUBLE:
    case VM_TYPE_VARIABLE:
        out->type = source.type == VM_TYPE_STRING && target == VM_TYPE_VARIABLE ? VM_TYPE_STRING : VM_TYPE_DOUBLE;
        if (out->type == VM_TYPE_STRING) {
            out->text = source.text; // the value takes the text over
            source.text = 0;
            return true;
        }
        out->d = source.type == VM_TYPE_STRING ? Numbers_ParseReal(text != nullptr ? text : "") : AsDouble(source);
        return true;
    case VM_TYPE_FLOAT:
        out->f = static_cast<float>(source.type == VM_TYPE_STRING ? Numbers_ParseReal(text != nullptr ? text : "")
                                                                  : AsDouble(source));
        return true;
    case VM_TYPE_INT:
        switch (source.type) {
        case VM_TYPE_DOUBLE: out->i = Numbers_TruncToInt32(source.d); break;
        case VM_TYPE_FLOAT: out->i = Numbers_TruncToInt32(source.f); break;
        case VM_TYPE_LONG: out->i = static_cast<int32_t>(static_cast<uint32_t>(source.l)); break;
        case VM_TYPE_STRING: out->i = Numbers_ParseInt(text != nullptr ? text : ""); break;
        default: out->i = source.i; break;
        }
        return true;
    case VM_TYPE_LONG:
        switch (source.type) {
        case VM_TYPE_DOUBLE: out->l = Numbers_TruncToInt64(source.d); break;
        case VM_TYPE_FLOAT: out->l = Numbers_TruncToInt64(source.f); break;
        case VM_TYPE_STRING: out->l = Numbers_ParseInt(text != nullptr ? text : ""); break;
        default: out->l = source.type == VM_TYPE_LONG ? source.l : source.i; break;
        }
        return true;
    case VM_TYPE_BOOL:
        switch (source.type) {
        case VM_TYPE_DOUBLE: out->i = source.d > 0.5; break;
        case VM_TYPE_FLOAT: out->i = source.f > 0.5f; break;
        case VM_TYPE_LONG: out->i = source.l != 0; break;
        case VM_TYPE_STRING: out->i = text != nullptr && std::strcmp(text, "true") == 0; break;
        default: out->i = source.i != 0; break;
        }
        return true;
    case VM_TYPE_STRING:
        switch (source.type) {
        case VM_TYPE_DOUBLE: out->text = NewText(FormatNumber("%g", source.d)); break;
        case VM_TYPE_FLOAT: out->text = NewText(FormatNumber("%g", source.f)); break;
        case VM_TYPE_INT: out->text = NewText(FormatInt("%lld", source.i)); break;
        case VM_TYPE_LONG: out->text = NewText(FormatInt("%lld", source.l)); break;
        case VM_TYPE_BOOL: out->text = NewText(std::string(source.i != 0 ? "true" : "false")); break;
        default: out->text = source.text; source.text = 0; break;
        }
        return true;
    default: return false;
    }
}

bool Convertible(uint32_t type) { return type <= VM_TYPE_STRING; }

// The text reference of a stack item that is a string: a string item, or a variable holding one.
inline bool StackText(const uint8_t* at, uint32_t type, uint32_t* ref)
{
    if (type == VM_TYPE_STRING) {
        *ref = VM_Load<uint32_t>(at);
        return true;
    }
    if (type != VM_TYPE_VARIABLE || (VM_Load<uint32_t>(at) & VALUE_KIND_MASK) != VALUE_STRING) return false;
    *ref = VM_Load<uint32_t>(at + 4);
    return true;
}

// add of two strings, or false for any other pair. The stack owns both texts, so the right one is
// appended to the left one in the left's own block where its room takes it: a chain of joins
// (a + ":" + b + ":" + c) then grows one text instead of copying every intermediate. Out of the
// arithmetic's way: its own frame is small.
[[gnu::noinline]] bool JoinOnStack(VMRunState& run, uint32_t word)
{
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    uint32_t rightSize = VM_StackSize(rightType);
    uint32_t leftRef = 0, rightRef = 0;
    if (!StackText(run.sp, rightType, &rightRef) || !StackText(run.sp + rightSize, leftType, &leftRef)) return false;
    uint8_t* end = run.sp + rightSize + VM_StackSize(leftType);
    char* head = ScriptHeap_Get<char>(leftRef);
    const char* tail = TextOf(rightRef);
    size_t headLength = head != nullptr ? std::strlen(head) : 0;
    size_t tailLength = tail != nullptr ? std::strlen(tail) : 0;
    if (headLength + tailLength > VALUE_MAX_TEXT) [[unlikely]] {
        VM_FreeText(leftRef);
        VM_FreeText(rightRef);
        VM_Error(run, "%s", VALUE_TEXT_TOO_LONG);
        return true;
    }
    size_t joinedSize = headLength + tailLength + 1;
    char* joined = head;
    if (head == nullptr || !MemoryManager::Resize(head, joinedSize)) {
        joined = static_cast<char*>(MemoryManager::AllocBasic(joinedSize));
        if (headLength > 0) std::memcpy(joined, head, headLength);
        MemoryManager::Free(head);
    }
    if (tailLength > 0) std::memcpy(joined + headLength, tail, tailLength);
    joined[headLength + tailLength] = '\0';
    MemoryManager::Free(const_cast<char*>(tail));
    uint32_t ref = ScriptHeap_Ref(joined);
    if (leftType == VM_TYPE_VARIABLE || rightType == VM_TYPE_VARIABLE) {
        run.sp = end - 16;
        VM_Store(run.sp, ScriptValue{VALUE_STRING, ref, 0.0});
    } else {
        run.sp = end - 4;
        VM_Store(run.sp, ref);
    }
    return true;
}

} // namespace

uint32_t VM_CopyText(const char* text) { return text != nullptr ? NewText(text, std::strlen(text)) : 0; }

void VM_FreeText(uint32_t ref) { MemoryManager::Free(ScriptHeap_Get<char>(ref)); }

void VM_DoArithmetic(VMRunState& run, uint32_t word)
{
    uint8_t opcode = VM_WordOpcode(word);
    if (opcode == VM_OP_ADD && JoinOnStack(run, word)) return;
    Operand left, right;
    uint8_t* end = nullptr;
    if (!PopPair(run, word, opcode == VM_OP_MUL, &left, &right, &end)) return;
    Outcome outcome = Compute(opcode, left, right);
    FreeOperand(left);
    FreeOperand(right);
    if (outcome.error != nullptr) {
        VM_Error(run, "%s", outcome.error);
        return;
    }
    bool asVariable = VM_WordFirstType(word) == VM_TYPE_VARIABLE || VM_WordSecondType(word) == VM_TYPE_VARIABLE;
    PushResult(run, end, asVariable, outcome.result);
}

void VM_DoCompare(VMRunState& run, uint32_t word)
{
    uint8_t opcode = VM_WordOpcode(word);
    Operand left, right;
    uint8_t* end = nullptr;
    if (!PopPair(run, word, false, &left, &right, &end)) return;
    bool result = false;
    bool valid = true;
    double d = 0;
    if (left.type == VM_TYPE_STRING && right.type == VM_TYPE_STRING) {
        // -1, 0 and 1 tested as differences, whatever the tolerance.
        result = VM_TestDifference(opcode, CompareTexts(TextOf(left.text), TextOf(right.text)), 0.5);
    } else if (Difference(left, right, &d)) {
        result = VM_TestDifference(opcode, d, Code_CompareEpsilon);
    } else {
        valid = false;
    }
    FreeOperand(left);
    FreeOperand(right);
    run.sp = end - 4;
    VM_Store<int32_t>(run.sp, result ? 1 : 0);
    if (!valid) VM_Error(run, "DoSet :: Invalid comparison type");
}

void VM_DoConv(VMRunState& run, uint32_t word)
{
    uint32_t sourceType = VM_WordFirstType(word);
    uint32_t target = VM_WordSecondType(word);
    if (sourceType == target || !Convertible(sourceType) || !Convertible(target)) {
        VM_Error(run, "DoConv :: Execution Error");
        return;
    }
    Operand source;
    uint8_t* end = run.sp + VM_StackSize(sourceType);
    if (!ReadOperand(run, run.sp, sourceType, false, &source)) return;
    Operand result;
    Convert(source, target, &result);
    FreeOperand(source);
    PushResult(run, end, target == VM_TYPE_VARIABLE, result);
}

void VM_DoNegNot(VMRunState& run, uint32_t word)
{
    bool negate = VM_WordOpcode(word) == VM_OP_NEG;
    const char* stringWords = negate ? "DoNeg :: Execution Engine - Cannot operate on string type"
                                     : "DoNot :: Execution Engine - Cannot operate on string type";
    uint8_t* at = run.sp;
    switch (VM_WordFirstType(word)) {
    case VM_TYPE_DOUBLE: {
        double d = VM_Load<double>(at);
        VM_Store(at, negate ? -d : static_cast<double>(~Numbers_TruncToInt64(d)));
        break;
    }
    case VM_TYPE_FLOAT: {
        float f = VM_Load<float>(at);
        VM_Store(at, negate ? -f : static_cast<float>(~Numbers_TruncToInt32(f)));
        break;
    }
    case VM_TYPE_INT: {
        uint32_t i = VM_Load<uint32_t>(at);
        VM_Store(at, negate ? 0u - i : ~i);
        break;
    }
    case VM_TYPE_LONG: {
        uint64_t l = VM_Load<uint64_t>(at);
        VM_Store(at, negate ? 0ull - l : ~l);
        break;
    }
    case VM_TYPE_BOOL:
        if (negate)
            VM_Store(at, 0u - VM_Load<uint32_t>(at));
        else
            at[0] = at[0] == 0 ? 1 : 0;
        break;
    case VM_TYPE_VARIABLE: {
        ScriptValue value = VM_Load<ScriptValue>(at);
        switch (Value_GetKind(&value)) {
        case VALUE_REAL:
            value.real = negate ? -value.real : static_cast<double>(~Numbers_TruncToInt64(value.real));
            VM_Store(at, value);
            break;
        case VALUE_STRING: VM_Error(run, "%s", stringWords); break;
        case VALUE_ARRAY: VM_Error(run, "illegal array use"); break;
        default: VM_Error(run, "Malformed variable"); break;
        }
        break;
    }
    case VM_TYPE_STRING: VM_Error(run, "%s", stringWords); break;
    default: break;
    }
}
