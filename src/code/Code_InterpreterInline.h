// What the interpreter's parts share, included by Code_Interpreter.cpp alone: the frame a script call
// lays on the stack, the state they keep between runs, the fast paths of the hot instructions
// (arithmetic, comparisons, conversions, the pushes and pops of plain variables, elements and
// built-in fields), the variable sites of the translated form, and where a register sequence leaves
// the words. Everything here has internal linkage, as the whole interpreter does (see
// Code_Interpreter.cpp), and what a loop runs per instruction is inline.
#pragma once

namespace {

// A script frame as call lays it on the stack, from its lowest byte: the caller's state, room for
// the 16 global argument slots, then the callee's arguments where the caller pushed them (argument 0
// first). The arguments stay there while the callee runs, unless code outside the loop needs them
// in the global slots: then the slots' former contents wait in the room until the callee returns
// (only the slots up to the last one holding anything but real 0; the rest come back as real 0),
// and so does argument_count's former value. Only what the return needs is stored. The callee's
// local slots lie below the frame, its empty stack a guard below them.
struct VMFrameHeader {
    int32_t returnPc;
    uint32_t envCount;
    CInstance* self;
    CInstance* other;
    const CCode* callerScript; // null for the run's own code
    CVariableList* levelLocals; // the level's own list of locals without a slot, when it has one
    // The translated caller's entry after the call; null: the caller goes on at returnPc. Read by
    // the translated loop alone, in which every translation it can name stays as it is.
    const VMTranslatedInsn* returnEntry;
    uint32_t callerFrameOffset; // from this frame up to the caller's: the region moves as a whole
    uint32_t savedSlots;        // ARGUMENTS_IN_FRAME while the arguments stay in the frame
    uint32_t argumentCount;     // as the call gave it
    uint32_t keptArguments;     // of them, the ones the frame keeps (at most 16)
    int32_t callerArgCount;     // argument_count before the arguments moved into the global slots
    uint32_t callerLocalCount;  // the caller's local slots, below its own frame
};
constexpr uint32_t FRAME_HEADER_SIZE = sizeof(VMFrameHeader);
constexpr uint32_t ARGUMENTS_IN_FRAME = 0xFFFFFFFFu;
// From the frame's start to its arguments.
constexpr uint32_t FRAME_SIZE = FRAME_HEADER_SIZE + 16 * SCRIPT_ARGUMENT_COUNT;
// A call lays the frame, the callee's slots (aligned) and the guard below the caller's stack
// pointer before asking for room: they fit in the headroom that is kept below every stack.
static_assert(FRAME_SIZE + 8 + VM_LOCAL_SLOT_LIMIT * sizeof(VariableNode) + VM_STACK_GUARD < VM_STACK_HEADROOM);

constexpr int32_t BRANCH_PUMP_MASK = 4095;
// A region that grew beyond this is given back when its run ends.
constexpr uint32_t REGION_KEEP_LIMIT = 16 * VM_STACK_INITIAL;

struct VMRegion {
    uint8_t* base;
    uint32_t size;
};

// By run depth: the stack region and the with table of each nested run, kept for the next run. The
// local variable lists not in use, emptied, for the next level that declares one. They live as
// long as the program, so the tables are never destroyed.
std::vector<VMRegion>& g_Regions = *new std::vector<VMRegion>();
std::vector<std::vector<VMWithEnv>*>& g_EnvTables = *new std::vector<std::vector<VMWithEnv>*>();
std::vector<CVariableList*>& g_SpareLocals = *new std::vector<CVariableList*>();
int32_t g_RunDepth = 0;

uint32_t g_BranchCounter = 0;
uint32_t g_StackHighWater = 0;
int32_t g_LastRunStackBytes = 0;

// The list that a plain access by a constant instance reaches without the general path, or null.
// Self variables are the most common in object code: their list is looked up once per stretch of
// instructions that runs without leaving the loop.
[[gnu::noinline]] CVariableList* SelfListAgain(VMRunState& run)
{
    if (run.self == nullptr) return nullptr;
    run.selfList = run.instances->Variables(run.self);
    run.selfListOf = run.self;
    return run.selfList;
}

[[gnu::always_inline]] inline CVariableList* SelfList(VMRunState& run)
{
    return run.self != nullptr && run.selfListOf == run.self ? run.selfList : SelfListAgain(run);
}

// SelfList for the sites of a run of the steps, which find self's list once: where the instances
// hold their lists themselves, it is read there, without the call (a walk's runs each have another
// self).
[[gnu::always_inline]] inline CVariableList* StepsSelfList(VMRunState& run)
{
    CInstance* self = run.self;
    const int32_t place = run.instances->listPlace;
    if (self == nullptr || place < 0) return SelfList(run);
    CVariableList* list;
    std::memcpy(&list, reinterpret_cast<const uint8_t*>(self) + place, sizeof list);
    return list;
}

[[gnu::noinline]] CVariableList* OtherListAgain(VMRunState& run)
{
    run.otherList = run.other != nullptr ? run.instances->Variables(run.other) : nullptr;
    run.otherListOf = run.other;
    run.otherListGeneration = g_VariableGeneration;
    return run.otherList;
}

// Other's list, found once for as long as other and the variables' generation stay: a with block
// over many instances reads the same other in each.
[[gnu::always_inline]] inline CVariableList* OtherList(VMRunState& run)
{
    return run.otherListOf == run.other && run.otherListGeneration == g_VariableGeneration ? run.otherList
                                                                                          : OtherListAgain(run);
}

// Locals are in slots instead (DirectNode).
inline CVariableList* DirectList(VMRunState& run, int32_t instance, int32_t id)
{
    if (id < VARIABLE_LIST_BASE) return nullptr;
    switch (instance) {
    case VM_INSTANCE_UNNAMED:
        if (Variable_IsGlobalVar(id)) return Variable_GlobalList();
        [[fallthrough]];
    case VM_INSTANCE_SELF:
        return SelfList(run);
    case VM_INSTANCE_OTHER:
        return OtherList(run);
    case VM_INSTANCE_GLOBAL:
        return Variable_GlobalList();
    default:
        return nullptr;
    }
}

// The instance a built-in variable of self, other or no named instance belongs to; null for any
// other instance.
[[gnu::always_inline]] inline CInstance* BuiltInTarget(const VMRunState& run, int32_t instance)
{
    switch (instance) {
    case VM_INSTANCE_SELF:
    case VM_INSTANCE_UNNAMED: return run.self;
    case VM_INSTANCE_OTHER: return run.other;
    default: return nullptr;
    }
}

// The plain numbers of the fast paths: double, int32 and a variable holding a real.
[[gnu::always_inline]] inline bool FastReal(const uint8_t* at, uint32_t type, double* out)
{
    switch (type) {
    case VM_TYPE_DOUBLE: *out = VM_Load<double>(at); return true;
    case VM_TYPE_INT: *out = VM_Load<int32_t>(at); return true;
    case VM_TYPE_VARIABLE: {
        uint32_t kind = VM_Load<uint32_t>(at);
        if ((kind & VALUE_KIND_MASK) != VALUE_REAL) return false;
        *out = VM_Load<double>(at + 8);
        return true;
    }
    default: return false;
    }
}

// The int32 forms of the arithmetic fast path; false when the generic routine must report.
[[gnu::always_inline]] inline bool IntArithmetic(uint8_t opcode, int32_t left, int32_t right, int32_t* out)
{
    uint32_t l = static_cast<uint32_t>(left);
    uint32_t r = static_cast<uint32_t>(right);
    switch (opcode) {
    case VM_OP_ADD: *out = static_cast<int32_t>(l + r); return true;
    case VM_OP_SUB: *out = static_cast<int32_t>(l - r); return true;
    case VM_OP_MUL: *out = static_cast<int32_t>(l * r); return true;
    case VM_OP_DIV:
    case VM_OP_REM:
        if (right == 0) return false;
        *out = Numbers_DivInt32(left, right);
        return true;
    case VM_OP_MOD:
        if (right == 0) return false;
        *out = Numbers_RemInt32(left, right);
        return true;
    default: return false;
    }
}

// fmod of whole numbers is their integer remainder (with the dividend's sign, -0 included), which
// costs far less than the library's general division.
[[gnu::always_inline]] inline double Remainder(double left, double right)
{
    constexpr double EXACT = 9007199254740992.0; // 2^53
    if (left > -2147483648.0 && left < 2147483648.0 && right > -2147483648.0 && right < 2147483648.0) {
        int32_t l = static_cast<int32_t>(left);
        int32_t r = static_cast<int32_t>(right);
        if (static_cast<double>(l) == left && static_cast<double>(r) == right && r != 0) {
            double remainder = static_cast<double>(l % r);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    } else if (std::fabs(left) < EXACT && std::fabs(right) < EXACT) {
        int64_t l = static_cast<int64_t>(left);
        int64_t r = static_cast<int64_t>(right);
        if (static_cast<double>(l) == left && static_cast<double>(r) == right && r != 0) {
            double remainder = static_cast<double>(l % r);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    }
    return std::fmod(left, right);
}

// Truncation toward zero; NaN and everything outside int32 give INT_MIN, as in the numbers module,
// which is what the processor's conversion answers for them.
[[gnu::always_inline]] inline int32_t TruncToInt32(double value)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(value));
#else
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return Numbers_TruncToInt32(value);
#endif
}

// The same for a divisor known to be a whole int32 other than 0 (an int32 item or constant): only
// the dividend's form needs testing. A dividend past int32 (a sum of squares) takes the 64-bit
// remainder here, without Remainder's tests of the divisor and of the int32 range again. The
// conversion itself tells int32 apart: it answers int32's least for NaN and for anything outside,
// which goes the 64-bit way (as that least does: its remainder by -1 the processor refuses).
[[gnu::always_inline]] inline double RemainderByWhole(double left, int32_t right)
{
    constexpr double EXACT = 9007199254740992.0; // 2^53
    int32_t whole = TruncToInt32(left);
    if (whole != INT32_MIN) {
        if (static_cast<double>(whole) == left) {
            double remainder = static_cast<double>(whole % right);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    } else if (std::fabs(left) < EXACT) {
        int64_t l = static_cast<int64_t>(left);
        if (static_cast<double>(l) == left) {
            double remainder = static_cast<double>(l % right);
            return remainder == 0 ? std::copysign(0.0, left) : remainder;
        }
    }
    return std::fmod(left, right);
}

[[gnu::always_inline]] inline bool RealArithmetic(uint8_t opcode, uint32_t rightType, double left, double right,
                                                  double* out)
{
    switch (opcode) {
    case VM_OP_ADD: *out = left + right; return true;
    case VM_OP_SUB: *out = left - right; return true;
    case VM_OP_MUL: *out = left * right; return true;
    case VM_OP_DIV:
        if (std::fabs(right) < VM_DIVISOR_EPSILON) return false;
        *out = left / right;
        return true;
    case VM_OP_MOD:
        if (std::fabs(right) < VM_DIVISOR_EPSILON) return false;
        *out = rightType == VM_TYPE_INT ? RemainderByWhole(left, static_cast<int32_t>(right)) : Remainder(left, right);
        return true;
    case VM_OP_REM: {
        int32_t divisor = rightType == VM_TYPE_INT ? static_cast<int32_t>(right) : Numbers_TruncToInt32(right);
        if (divisor == 0) return false;
        *out = Numbers_DivInt32(Numbers_TruncToInt32(left), divisor);
        return true;
    }
    default: return false;
    }
}

// The stack size of a type the fast paths take, known when the handler is compiled.
constexpr uint32_t FastSize(uint32_t type) { return type == VM_TYPE_INT ? 4 : type == VM_TYPE_DOUBLE ? 8 : 16; }

// The arithmetic fast path for one opcode and pair of types; each pair gets its own handler, so
// that nothing is decided per instruction but whether the values are plain numbers. Answers the
// new stack pointer, or null when the general routine must run (and report).
template <uint8_t OP, uint32_t RIGHT, uint32_t LEFT>
inline uint8_t* FastArithmetic(uint8_t* sp)
{
    if constexpr (RIGHT == VM_TYPE_INT && LEFT == VM_TYPE_INT) {
        int32_t value;
        if (!IntArithmetic(OP, VM_Load<int32_t>(sp + 4), VM_Load<int32_t>(sp), &value)) return nullptr;
        sp += 4;
        VM_Store(sp, value);
        return sp;
    } else {
        double left, right, value;
        if (!FastReal(sp, RIGHT, &right) || !FastReal(sp + FastSize(RIGHT), LEFT, &left) ||
            !RealArithmetic(OP, RIGHT, left, right, &value))
            return nullptr;
        sp += FastSize(RIGHT) + FastSize(LEFT);
        if constexpr (RIGHT == VM_TYPE_VARIABLE || LEFT == VM_TYPE_VARIABLE) {
            sp -= 16;
            VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
        } else {
            sp -= 8;
            VM_Store(sp, value);
        }
        return sp;
    }
}

template <uint8_t OP, uint32_t RIGHT, uint32_t LEFT>
inline uint8_t* FastCompare(uint8_t* sp)
{
    double difference;
    if constexpr (RIGHT == VM_TYPE_INT && LEFT == VM_TYPE_INT) {
        // The difference wraps as a 32-bit integer.
        difference = static_cast<int32_t>(static_cast<uint32_t>(VM_Load<int32_t>(sp + 4)) -
                                          static_cast<uint32_t>(VM_Load<int32_t>(sp)));
    } else {
        double left, right;
        if (!FastReal(sp, RIGHT, &right) || !FastReal(sp + FastSize(RIGHT), LEFT, &left)) return nullptr;
        difference = left - right;
    }
    sp += FastSize(RIGHT) + FastSize(LEFT) - 4;
    VM_Store<int32_t>(sp, VM_TestDifference(OP, difference, Code_CompareEpsilon) ? 1 : 0);
    return sp;
}

// The arithmetic fast path for any word (types read from it); null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* ArithmeticOfWord(uint8_t* sp, uint32_t word)
{
    uint8_t opcode = VM_WordOpcode(word);
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    if (rightType == VM_TYPE_INT && leftType == VM_TYPE_INT) {
        int32_t value;
        if (!IntArithmetic(opcode, VM_Load<int32_t>(sp + 4), VM_Load<int32_t>(sp), &value)) return nullptr;
        sp += 4;
        VM_Store(sp, value);
        return sp;
    }
    double left, right, value;
    uint32_t rightSize = VM_StackSize(rightType);
    if (!FastReal(sp, rightType, &right) || !FastReal(sp + rightSize, leftType, &left) ||
        !RealArithmetic(opcode, rightType, left, right, &value))
        return nullptr;
    sp += rightSize + VM_StackSize(leftType);
    if (rightType == VM_TYPE_VARIABLE || leftType == VM_TYPE_VARIABLE) {
        sp -= 16;
        VM_Store(sp, ScriptValue{VALUE_REAL, 0, value});
    } else {
        sp -= 8;
        VM_Store(sp, value);
    }
    return sp;
}

// The comparison fast path for any word; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* CompareOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t rightType = VM_WordFirstType(word);
    uint32_t leftType = VM_WordSecondType(word);
    double left, right, difference;
    uint32_t rightSize = VM_StackSize(rightType);
    if (rightType == VM_TYPE_INT && leftType == VM_TYPE_INT) {
        // The difference wraps as a 32-bit integer.
        difference = static_cast<int32_t>(static_cast<uint32_t>(VM_Load<int32_t>(sp + 4)) -
                                          static_cast<uint32_t>(VM_Load<int32_t>(sp)));
    } else if (FastReal(sp, rightType, &right) && FastReal(sp + rightSize, leftType, &left)) {
        difference = left - right;
    } else {
        return nullptr;
    }
    sp += rightSize + VM_StackSize(leftType) - 4;
    VM_Store<int32_t>(sp, VM_TestDifference(VM_WordOpcode(word), difference, Code_CompareEpsilon) ? 1 : 0);
    return sp;
}

// A number as a pushed item of `type`: an int32 or bool item holds the value exactly.
[[gnu::always_inline]] inline uint8_t* PutNumber(uint8_t* sp, uint8_t type, double value)
{
    switch (type) {
    case VM_TYPE_INT:
    case VM_TYPE_BOOL: sp -= 4; VM_Store<int32_t>(sp, static_cast<int32_t>(value)); return sp;
    case VM_TYPE_DOUBLE: sp -= 8; VM_Store(sp, value); return sp;
    default: sp -= 16; VM_Store(sp, ScriptValue{VALUE_REAL, 0, value}); return sp;
    }
}

// Whether a number of the item type converts to true.
[[gnu::always_inline]] inline bool NumberTruth(uint32_t sourceType, double value)
{
    return sourceType == VM_TYPE_INT ? value != 0 : value > 0.5;
}

// The conversion fast path between plain numbers; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* ConvOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t source = VM_WordFirstType(word);
    uint32_t target = VM_WordSecondType(word);
    double value;
    bool fastTarget = target == VM_TYPE_DOUBLE || target == VM_TYPE_INT || target == VM_TYPE_BOOL ||
                      target == VM_TYPE_VARIABLE;
    if (source == target || !fastTarget || !FastReal(sp, source, &value)) return nullptr;
    if (target == VM_TYPE_INT && source != VM_TYPE_INT) value = TruncToInt32(value);
    if (target == VM_TYPE_BOOL) value = NumberTruth(source, value) ? 1 : 0;
    return PutNumber(sp + VM_StackSize(source), static_cast<uint8_t>(target), value);
}

// and, or and xor of two bools (a bool's truth is its lowest byte, as the general routine reads
// it) or two int32 items; null when the general routine must run.
[[gnu::always_inline]] inline uint8_t* BitwiseOfWord(uint8_t* sp, uint32_t word)
{
    uint32_t types = VM_WordTypes(word);
    uint8_t opcode = VM_WordOpcode(word);
    if (opcode != VM_OP_AND && opcode != VM_OP_OR && opcode != VM_OP_XOR) return nullptr;
    int32_t left, right;
    if (types == VM_TypePair(VM_TYPE_BOOL, VM_TYPE_BOOL)) {
        left = sp[4] != 0 ? 1 : 0;
        right = sp[0] != 0 ? 1 : 0;
    } else if (types == VM_TypePair(VM_TYPE_INT, VM_TYPE_INT)) {
        left = VM_Load<int32_t>(sp + 4);
        right = VM_Load<int32_t>(sp);
    } else {
        return nullptr;
    }
    int32_t value = opcode == VM_OP_AND ? left & right : opcode == VM_OP_OR ? left | right : left ^ right;
    sp += 4;
    VM_Store(sp, value);
    return sp;
}

// neg and not of a double, an int32 or a variable holding a real, in place; null otherwise.
[[gnu::always_inline]] inline uint8_t* NegNotOfWord(uint8_t* sp, uint32_t word)
{
    bool negate = VM_WordOpcode(word) == VM_OP_NEG;
    switch (VM_WordFirstType(word)) {
    case VM_TYPE_INT: {
        uint32_t i = VM_Load<uint32_t>(sp);
        VM_Store(sp, negate ? 0u - i : ~i);
        return sp;
    }
    case VM_TYPE_DOUBLE:
    case VM_TYPE_VARIABLE: {
        uint8_t* at = VM_WordFirstType(word) == VM_TYPE_DOUBLE ? sp : sp + 8;
        if (at != sp && (VM_Load<uint32_t>(sp) & VALUE_KIND_MASK) != VALUE_REAL) return nullptr;
        double d = VM_Load<double>(at);
        VM_Store(at, negate ? -d : static_cast<double>(~Numbers_TruncToInt64(d)));
        return sp;
    }
    default: return nullptr;
    }
}

// dup of one 4-byte integer or bool, and popz of a 4-byte item: the loops do these themselves.
inline bool DupsFour(uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    return (word & 0xFFFF) == 0 && (type == VM_TYPE_INT || type == VM_TYPE_BOOL);
}

inline bool PopsFour(uint32_t word)
{
    uint32_t type = VM_WordFirstType(word);
    return type == VM_TYPE_INT || type == VM_TYPE_BOOL || type == VM_TYPE_FLOAT;
}

// The pairs of types and the opcodes that get handlers of their own.
#define VM_FAST_TYPES(X, KIND, OP)                                                                                   \
    X(KIND, OP, INT, INT)                                                                                            \
    X(KIND, OP, INT, DOUBLE)                                                                                         \
    X(KIND, OP, INT, VARIABLE)                                                                                       \
    X(KIND, OP, DOUBLE, INT)                                                                                         \
    X(KIND, OP, DOUBLE, DOUBLE)                                                                                      \
    X(KIND, OP, DOUBLE, VARIABLE)                                                                                    \
    X(KIND, OP, VARIABLE, INT)                                                                                       \
    X(KIND, OP, VARIABLE, DOUBLE)                                                                                    \
    X(KIND, OP, VARIABLE, VARIABLE)

#define VM_FAST_OPCODES(X)                                                                                           \
    VM_FAST_TYPES(X, Arithmetic, ADD)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, SUB)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, MUL)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, DIV)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, REM)                                                                                \
    VM_FAST_TYPES(X, Arithmetic, MOD)                                                                                \
    VM_FAST_TYPES(X, Compare, SLT)                                                                                   \
    VM_FAST_TYPES(X, Compare, SLE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SEQ)                                                                                   \
    VM_FAST_TYPES(X, Compare, SNE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SGE)                                                                                   \
    VM_FAST_TYPES(X, Compare, SGT)

// The dispatch index of a word: its opcode and both types.
constexpr uint32_t WideIndex(uint32_t opcode, uint32_t first, uint32_t second)
{
    return opcode << 8 | second << 4 | first;
}

// Operand sizes in the code by type; only push, pop, call, break and unknown opcodes with bit 6 set
// carry one.
constexpr uint8_t OPERAND_SIZES[16] = {8, 4, 4, 8, 4, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The node of a variable in a list, found without leaving this file.
inline VariableNode* FindNode(const CVariableList* list, int32_t id)
{
    for (VariableNode* node = list->Bucket(Variable_Bucket(id)); node != nullptr; node = node->next)
        if (node->id == id) return node;
    return nullptr;
}

// The element of an array value for reading, as Value_GetElementPointer finds it, without leaving
// this file; null outside the array.
[[gnu::always_inline]] inline const ScriptValue* ElementToRead(const ScriptValue* value, int32_t index)
{
    // A negative index is outside: the split below is made without a sign.
    if (Value_GetKind(value) != VALUE_ARRAY || index < 0) return nullptr;
    const ValueArray* array = ScriptHeap_Get<ValueArray>(value->ref);
    if (array == nullptr) return nullptr;
    uint32_t row = static_cast<uint32_t>(index) / ARRAY_ROW_SPAN;
    int32_t column = static_cast<int32_t>(static_cast<uint32_t>(index) - row * ARRAY_ROW_SPAN);
    if (row >= static_cast<uint32_t>(array->rowCount) || column >= array->rows[row].length) return nullptr;
    return &array->rows[row].elements[column];
}

// The real of an element of an array value, as ElementToRead finds it; false outside the array or for
// an element that is no plain real. A reference that is not 0 is an array's, and an element found is
// never null: the steps test each thing once.
[[gnu::always_inline]] inline bool ElementReal(const ScriptValue* value, int32_t index, double* real)
{
    if (Value_GetKind(value) != VALUE_ARRAY || index < 0 || value->ref == 0) return false;
    const ValueArray* array = ScriptHeap_Get<ValueArray>(value->ref);
    // Most arrays the steps read have one row, whose elements need no division to find.
    uint32_t row = 0;
    int32_t column = index;
    if (index >= ARRAY_ROW_SPAN) [[unlikely]] {
        row = static_cast<uint32_t>(index) / ARRAY_ROW_SPAN;
        column = static_cast<int32_t>(static_cast<uint32_t>(index) - row * ARRAY_ROW_SPAN);
    }
    if (row >= static_cast<uint32_t>(array->rowCount) || column >= array->rows[row].length) return false;
    const ScriptValue& element = array->rows[row].elements[column];
    if (element.kind != VALUE_REAL) return false;
    *real = element.real;
    return true;
}

// The element of an array that only this value refers to, ready to be overwritten, when the write
// needs nothing else: the row exists and the column lies within it or within its spare room (so
// lengthening the row is all that growing it would do). Null otherwise.
inline ScriptValue* ElementToOverwrite(ScriptValue* value, int32_t index)
{
    if (Value_GetKind(value) != VALUE_ARRAY || index < 0) return nullptr;
    ValueArray* array = ScriptHeap_Get<ValueArray>(value->ref);
    if (array == nullptr || array->refCount != 1) return nullptr;
    uint32_t row = static_cast<uint32_t>(index) / ARRAY_ROW_SPAN; // the index is not negative
    int32_t column = static_cast<int32_t>(static_cast<uint32_t>(index) - row * ARRAY_ROW_SPAN);
    if (row >= static_cast<uint32_t>(array->rowCount)) return nullptr;
    ValueArrayRow& target = array->rows[row];
    if (column >= target.length) {
        if (column >= target.capacity) return nullptr;
        Array_Lengthen(&target, column + 1);
    }
    return &target.elements[column];
}

inline ScriptValue* ElementToWrite(ScriptValue* value, int32_t index)
{
    if (ScriptValue* element = ElementToOverwrite(value, index)) return element;
    return Value_GetElementForWrite(value, index);
}

// The argument slot (0 to 15) that a built-in variable reads, or -1. The rows of argument0 to
// argument15 are looked up again whenever a row is registered or the table is cleared.
struct ArgumentRows {
    uint32_t generation = ~0u; // never the table's first
    int8_t slotOf[BUILTIN_VARIABLE_ROWS] = {};
};
ArgumentRows g_ArgumentRows;

[[gnu::noinline]] void RefreshArgumentRows()
{
    ArgumentRows& rows = g_ArgumentRows;
    std::memset(rows.slotOf, -1, sizeof rows.slotOf);
    for (int32_t n = 0; n < SCRIPT_ARGUMENT_COUNT; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "argument%d", static_cast<int>(n));
        int32_t row = Variable_BuiltIn_Find(name);
        if (row >= 0 && row < BUILTIN_VARIABLE_ROWS) rows.slotOf[row] = static_cast<int8_t>(n);
    }
    rows.generation = g_BuiltinVariableGeneration;
}

inline int32_t ArgumentSlotOf(int32_t id)
{
    if (g_ArgumentRows.generation != g_BuiltinVariableGeneration) RefreshArgumentRows();
    return static_cast<uint32_t>(id) < BUILTIN_VARIABLE_ROWS ? g_ArgumentRows.slotOf[id] : -1;
}

// The current level's argument `slot` (0 to 15), from its frame or from the global slots.
inline ScriptValue CurrentArgument(const VMRunState& run, int32_t slot)
{
    if (static_cast<uint32_t>(slot) >= run.argumentSlots) return ScriptValue{VALUE_REAL, 0, 0.0};
    return VM_Load<ScriptValue>(run.arguments + 16 * slot);
}

// The value of argumentN (the built-in variable `id`) when it is one and holds a real.
inline bool RealArgument(const VMRunState& run, int32_t id, ScriptValue* out)
{
    int32_t slot = ArgumentSlotOf(id);
    if (slot < 0) return false;
    *out = CurrentArgument(run, slot);
    return Value_GetKind(out) == VALUE_REAL;
}

// The value of argumentN that the entry pushes when it is one and holds a real. The entry's slot
// (-1: no argument) is found when the translation is bound: rows registered since make every
// translation stale. A slot the level lacks and a site that is no argument (-1, the largest as
// unsigned) both fail the one test of the common case.
[[gnu::always_inline]] inline bool SiteArgument(const VMRunState& run, VMTranslatedInsn* insn, ScriptValue* out)
{
    uint32_t slot = static_cast<uint32_t>(insn->argumentSlot);
    if (slot >= run.argumentSlots) [[unlikely]] {
        if (static_cast<int32_t>(slot) < 0) return false;
        *out = ScriptValue{VALUE_REAL, 0, 0.0};
        return true;
    }
    *out = VM_Load<ScriptValue>(run.arguments + 16 * slot);
    return Value_GetKind(out) == VALUE_REAL;
}

// How the fast paths find a variable's node in a list, and a local's slot: the word loop walks the
// bucket or the level's slot table each time.
struct WalkBucket {
    CVariableList* List(VMRunState& run, int32_t instance, int32_t id) const { return DirectList(run, instance, id); }
    VariableNode* operator()(const CVariableList* list, int32_t id) const { return FindNode(list, id); }
    // A level has a slot for every id of its code's table.
    VariableNode* Local(const VMRunState& run, VariableNode* locals, int32_t id) const
    {
        int32_t slot = VM_LocalSlotOf(run.code->m_LocalSlots, id);
        return slot >= 0 ? VM_SetSlot(locals + slot) : nullptr;
    }
};

// The node that a plain access by instance reaches without the general path: a set local's slot
// (`locals` the loop's copy of the level's slots), or a node of a list DirectList reaches; null
// otherwise.
template <typename Find>
[[gnu::always_inline]] inline VariableNode* DirectNode(VMRunState& run, VariableNode* locals, int32_t instance, int32_t id,
                                                      const Find& find)
{
    if (instance == VM_INSTANCE_LOCAL) return find.Local(run, locals, id);
    CVariableList* list = find.List(run, instance, id);
    return list != nullptr ? find(list, id) : nullptr;
}

// The element that a push of variable `id` with the index on top of the stack and the instance
// beneath it reads, when it is a real in a list this file reaches; null otherwise.
template <typename Find = WalkBucket>
[[gnu::always_inline]] inline const ScriptValue* RealElement(VMRunState& run, VariableNode* locals, const uint8_t* sp, int32_t id,
                                      Find find = Find())
{
    int32_t index = VM_Load<int32_t>(sp);
    VariableNode* node = DirectNode(run, locals, VM_Load<int32_t>(sp + 4), id, find);
    const ScriptValue* element = node != nullptr ? ElementToRead(&node->value, index) : nullptr;
    return element != nullptr && Value_GetKind(element) == VALUE_REAL ? element : nullptr;
}

// The typed getter of a built-in variable that is a plain number field, else null.
inline BuiltinRealGetter RealGetterOf(int32_t id)
{
    return id >= 0 && id < g_BuiltinVariableCount ? g_BuiltinVariables[id].getReal : nullptr;
}

// The typed setter of a built-in variable that is a settable number field, else null.
inline BuiltinRealSetter RealSetterOf(int32_t id)
{
    if (id < 0 || id >= g_BuiltinVariableCount || g_BuiltinVariables[id].canSet == 0) return nullptr;
    return g_BuiltinVariables[id].setReal;
}

// A built-in variable of self or other read straight through its getter; false when the general
// path must read (and report) it.
inline bool ReadBuiltIn(VMRunState& run, int32_t instance, int32_t id, ScriptValue* out)
{
    if (id >= g_BuiltinVariableCount) return false;
    // A number field is read as it is, with no value filled in between.
    if (BuiltinRealGetter getReal = RealGetterOf(id)) {
        CInstance* target = BuiltInTarget(run, instance);
        if (target == nullptr) return false;
        *out = ScriptValue{VALUE_REAL, 0, getReal(target)};
        return true;
    }
    BuiltinGetter getter = g_BuiltinVariables[id].getter;
    if (getter == nullptr) return false;
    VM_SettleArguments(run);
    CInstance* target = instance == VM_INSTANCE_OTHER ? run.other : run.self;
    return getter(target, -1, out);
}

// The most bytes a sequence that FusePush takes over would push at once (the variable, then the
// constant): it runs whole only where those pushes would not reach below the stack's low water.
constexpr uintptr_t FUSED_DEPTH = 16 + 4;

// The value a popped item of the type stands for: a whole value, or a real made of a double or an int32.
template <uint32_t VALUE_TYPE> [[gnu::always_inline]] inline ScriptValue PoppedValue(const uint8_t* at)
{
    if constexpr (VALUE_TYPE == VM_TYPE_VARIABLE)
        return VM_Load<ScriptValue>(at);
    else if constexpr (VALUE_TYPE == VM_TYPE_DOUBLE)
        return ScriptValue{VALUE_REAL, 0, VM_Load<double>(at)};
    else
        return ScriptValue{VALUE_REAL, 0, static_cast<double>(VM_Load<int32_t>(at))};
}

// A real popped into a settable number field of self or other, straight through its typed setter;
// null when the general routine must store (or report) it.
[[gnu::always_inline]] inline uint8_t* StoreBuiltIn(VMRunState& run, uint8_t* sp, int32_t instance, int32_t id,
                                                    const ScriptValue& value, uint32_t valueSize)
{
    if (id >= g_BuiltinVariableCount || Value_GetKind(&value) != VALUE_REAL) return nullptr;
    const BuiltinVariableEntry& row = g_BuiltinVariables[id];
    CInstance* target = BuiltInTarget(run, instance);
    if (row.setReal == nullptr || row.canSet == 0 || target == nullptr) return nullptr;
    row.setReal(target, value.real);
    return sp + valueSize;
}

// A place takes `value` over, as a store of a copy and a free of the popped item would.
[[gnu::always_inline]] inline void TakeOver(ScriptValue* place, const ScriptValue& value)
{
    if (Value_GetKind(place) != VALUE_REAL) Value_Free(place);
    *place = value;
}

// A variable's pop of a value of the type into a plain form (a constant instance without an index,
// or an element with both on the stack) of a list this file reaches; false when the general
// routine must store (or report). `limit` is the highest stack pointer the level allows. Answers
// the new stack pointer, or null.
// Inline: a call costs the loop its registers, more than the body's size.
template <uint32_t VALUE_TYPE, typename Find = WalkBucket>
[[gnu::always_inline]] inline uint8_t* FastPop(VMRunState& run, VariableNode* locals, uint8_t* sp, uint32_t word, uint32_t variable,
                        uintptr_t limit, Find find = Find())
{
    constexpr uint32_t valueSize = FastSize(VALUE_TYPE);
    uint32_t form = variable & (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX | VM_VAR_INSTANCE_OFFSET);
    if (form != 0 && form != (VM_VAR_INSTANCE_IN_WORD | VM_VAR_NO_INDEX)) return nullptr;
    uint32_t targetSize = form == 0 ? 8 : 0;
    if (reinterpret_cast<uintptr_t>(sp) + targetSize + valueSize > limit) return nullptr;
    ScriptValue value = PoppedValue<VALUE_TYPE>(sp + targetSize);
    int32_t id = static_cast<int32_t>(variable & VM_VAR_ID_MASK);
    int32_t index = form == 0 ? VM_Load<int32_t>(sp) : -1;
    int32_t instance = form == 0 ? VM_Load<int32_t>(sp + 4) : VM_WordShort(word);
    if (id < VARIABLE_LIST_BASE) return form != 0 ? StoreBuiltIn(run, sp, instance, id, value, valueSize) : nullptr;
    VariableNode* node = form != 0 || index >= 0 ? DirectNode(run, locals, instance, id, find) : nullptr;
    if (node == nullptr) return nullptr;
    // The place takes the popped value over, as a store of a copy and a free would; an element is
    // made, unshared or grown as any store into it.
    ScriptValue* place = form == 0 ? ElementToWrite(&node->value, index) : &node->value;
    if (place == nullptr) return nullptr;
    TakeOver(place, value);
    return sp + targetSize + valueSize;
}

// The translated form's variable sites. The list a plain variable access reaches, as DirectList
// finds it, with an unnamed variable's globalvar test remembered at the site until the variables'
// generation moves. Self, the common one, is tested first; locals are in slots.
// Whether the site's variable is a globalvar, remembered until the generation moves.
inline bool SiteIsGlobalVar(VMTranslatedInsn* insn)
{
    VMSiteCache& cache = insn->cache;
    if (cache.globalGeneration != g_VariableGeneration) {
        cache.global = Variable_IsGlobalVar(insn->id);
        cache.globalGeneration = g_VariableGeneration;
    }
    return cache.global;
}

[[gnu::noinline]] CVariableList* OtherSiteList(VMRunState& run, VMTranslatedInsn* insn)
{
    switch (insn->instance) {
    case VM_INSTANCE_UNNAMED: return SiteIsGlobalVar(insn) ? Variable_GlobalList() : SelfList(run);
    case VM_INSTANCE_OTHER: return OtherList(run);
    default: return Variable_GlobalList(); // the translation gives sites no other instance
    }
}

// A site of self, or of no named instance while it knows it is no globalvar.
[[gnu::always_inline]] inline bool IsSelfSite(const VMTranslatedInsn* insn)
{
    const VMSiteCache& cache = insn->cache;
    return insn->instance == VM_INSTANCE_SELF ||
           (insn->instance == VM_INSTANCE_UNNAMED && !cache.global && cache.globalGeneration == g_VariableGeneration);
}

// The site's node in the list: the one it found last while the list and the generation are the
// same, since no node leaves a list without the generation moving. `generation` is the loop's copy,
// taken again after anything outside the loop ran (nothing inside it releases nodes). `self`: the
// instance whose own list it is, for a self site.
[[gnu::always_inline]] inline VariableNode* SiteNode(VMTranslatedInsn* insn, const CVariableList* list,
                                                     uint64_t generation, const CInstance* self = nullptr)
{
    VMSiteCache& cache = insn->cache;
    if (cache.list == list && cache.generation == generation) return cache.node;
    // Another list of the same layout (the next instance of an object) mostly holds the variable
    // where the last one did: every list holds its own nodes at the same places.
    VariableNode* node = cache.inlineOffset != 0 ? list->AtInlineOffset(cache.inlineOffset, insn->id) : nullptr;
    if (node == nullptr) node = FindNode(list, insn->id);
    if (node != nullptr) {
        cache.list = list;
        cache.generation = generation;
        cache.node = node;
        cache.self = self;
        cache.inlineOffset = list->InlineOffsetOf(node);
    }
    return node;
}

// A local site's slot among the level's slots.
[[gnu::always_inline]] inline VariableNode* SiteSlot(VariableNode* locals, const VMTranslatedInsn* insn)
{
    return reinterpret_cast<VariableNode*>(reinterpret_cast<uint8_t*>(locals) + insn->localOffset);
}

// A global site's node while the generation it was found under stands: the global list is only
// ever replaced with the generation moving, so the list it was found in is still the global list.
// Null when the site must find it.
[[gnu::always_inline]] inline VariableNode* GlobalSiteNode(const VMTranslatedInsn* insn, uint64_t generation)
{
    const VMSiteCache& cache = insn->cache;
    return insn->instance == VM_INSTANCE_GLOBAL && cache.generation == generation && cache.list != nullptr ? cache.node
                                                                                                          : nullptr;
}

// A plain variable site's node when the site's memory is not of the run's self: found again in the
// list the site's instance reaches. Out of line: it is the rarer way, and the handlers that take the
// common one stay small.
[[gnu::noinline]] VariableNode* SiteNodeAgain(VMRunState& run, uint64_t generation, VMTranslatedInsn* insn)
{
    if (VariableNode* node = GlobalSiteNode(insn, generation)) return node;
    VMSiteCache& cache = insn->cache;
    const CInstance* self = run.self;
    if (IsSelfSite(insn)) {
        CVariableList* list = SelfList(run);
        if (list == nullptr) return nullptr;
        // Another instance of the same object: the variable is where the last one had it, and is
        // kept for this self (a loop goes on finding it by the test above).
        if (cache.inlineOffset != 0) [[likely]] {
            if (VariableNode* node = list->AtInlineOffset(cache.inlineOffset, insn->id)) {
                cache.list = list;
                cache.generation = generation;
                cache.node = node;
                cache.self = self;
                return node;
            }
        }
        // A node kept for self's list by a path that did not key it is keyed to self now.
        if (cache.list == list && cache.generation == generation) cache.self = self;
        return SiteNode(insn, list, generation, self);
    }
    // Other's list found once while other and the generation stay, as a with block's body reads its
    // caller's variables for each instance.
    CVariableList* list = insn->instance == VM_INSTANCE_OTHER ? OtherList(run) : OtherSiteList(run, insn);
    if (cache.list == list && cache.generation == generation) return cache.node;
    return list != nullptr ? SiteNode(insn, list, generation) : nullptr;
}

// The node of a plain variable's site (its list from the entry's instance), or null out of reach.
// A local's is its slot in the level's slots (`locals`), once set: the translation gives a plain
// local's site a slot (`localOffset`) or the general routine. A remembered node is never null and the
// variables' generation is never 0, so a hit needs neither the list nor the node tested (a site
// without a list never hits). LOCAL: the handler knows the site is a local, so its instance needs
// no test either.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* PlainSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                          VMTranslatedInsn* insn)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return VM_SetSlot(SiteSlot(locals, insn));
    VMSiteCache& cache = insn->cache;
    // The node a self site found in self's own list: still its while self and the generation (which
    // also moves when a globalvar is declared) are the same.
    const CInstance* self = run.self;
    if (cache.self == self && self != nullptr && cache.generation == generation) [[likely]] {
        if (cache.node == nullptr) __builtin_unreachable();
        return cache.node;
    }
    return SiteNodeAgain(run, generation, insn);
}

// PlainSiteNode out of line, for the steps' rarer ways: the steps' loop stays small.
[[gnu::noinline]] VariableNode* PlainSiteNodeApart(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                   VMTranslatedInsn* insn)
{
    // Other's list found once while other and the generation stay: a with block's body reads its
    // caller's variables for each instance.
    const VMSiteCache& cache = insn->cache;
    if (insn->instance == VM_INSTANCE_OTHER && cache.generation == generation && cache.list == OtherList(run)) {
        if (cache.node == nullptr) __builtin_unreachable();
        return cache.node;
    }
    if (VariableNode* node = GlobalSiteNode(insn, generation)) return node;
    return PlainSiteNode<false>(run, locals, generation, insn);
}

// The same for a plain variable's store: a local's slot the level has not set yet is set here, as
// the general routine would set it before storing, so that each level's first store of a local stays
// on the fast way too.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* StoreSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                          VMTranslatedInsn* insn)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]] {
        VariableNode* slot = SiteSlot(locals, insn);
        return slot->spare != 0 ? slot : VM_SetSlotFirst(run, slot, insn->id);
    }
    return PlainSiteNode(run, locals, generation, insn);
}

// The same for a site of a register sequence, which a walk over many instances runs once per
// instance: a self site keyed under this generation (still a self site) looks first where the
// last instance it found had the variable, in self's list as the steps found it once (`selfList`,
// null until then), and writes nothing on that way. The word handlers, which loops run, stay small.
// ADDS: a store's site, which adds the variable there, as real 0 for the store to write over, when
// self's list does not hold it yet and that is where adding it puts it (a new instance's create
// event), without looking for it the general way first.
template <bool LOCAL = false, bool ADDS = false>
[[gnu::always_inline]] inline VariableNode* SequenceSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                             VMTranslatedInsn* insn, CVariableList*& selfList)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return VM_SetSlot(SiteSlot(locals, insn));
    const VMSiteCache& cache = insn->cache;
    if (cache.generation == generation && cache.inlineOffset != 0 && cache.self != nullptr) [[likely]] {
        if (selfList == nullptr) selfList = StepsSelfList(run);
        if (selfList != nullptr) [[likely]] {
            if (VariableNode* node = selfList->AtInlineOffset(cache.inlineOffset, insn->id)) [[likely]]
                return node;
            if constexpr (ADDS) {
                if (VariableNode* node = selfList->AddAtInlineOffset(cache.inlineOffset, insn->id)) return node;
            }
        }
    }
    return PlainSiteNodeApart(run, locals, generation, insn);
}

// The same for a read that takes only a real: an unset local's slot holds no real, so the slot
// needs no test of being set.
template <bool LOCAL = false>
[[gnu::always_inline]] inline VariableNode* ReadSiteNode(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                         VMTranslatedInsn* insn)
{
    if (LOCAL || insn->instance == VM_INSTANCE_LOCAL) [[likely]]
        return SiteSlot(locals, insn);
    return PlainSiteNode<false>(run, locals, generation, insn);
}

// The same for the fast paths of an element's site, whose list comes from the stack.
struct SiteLookup {
    VMTranslatedInsn* insn;
    uint64_t generation;
    CVariableList* List(VMRunState& run, int32_t instance, int32_t id) const
    {
        if (instance != VM_INSTANCE_UNNAMED || id < VARIABLE_LIST_BASE) return DirectList(run, instance, id);
        return SiteIsGlobalVar(insn) ? Variable_GlobalList() : SelfList(run);
    }
    VariableNode* operator()(const CVariableList* list, int32_t) const { return SiteNode(insn, list, generation); }
    VariableNode* Local(const VMRunState&, VariableNode* locals, int32_t) const
    {
        return insn->localOffset >= 0 ? VM_SetSlot(SiteSlot(locals, insn)) : nullptr;
    }
};

// The real that a push of a plain variable leaves and the node holding it; false when it holds
// anything else or is out of reach.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VariableReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                VMTranslatedInsn* insn, double* real, VariableNode** node)
{
    VariableNode* found = ReadSiteNode<LOCAL>(run, locals, generation, insn);
    if (found == nullptr || Value_GetKind(&found->value) != VALUE_REAL) return false;
    *real = found->value.real;
    *node = found;
    return true;
}

// The same for the first word of a superinstruction, which may also be argumentN (its node null).
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool SiteReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                            VMTranslatedInsn* insn, double* real, VariableNode** node)
{
    if (!LOCAL && insn->firstKind == VMKind::PushArgument) {
        ScriptValue argument;
        if (!SiteArgument(run, insn, &argument)) return false;
        *real = argument.real;
        *node = nullptr;
        return true;
    }
    return VariableReal<LOCAL>(run, locals, generation, insn, real, node);
}

// A superinstruction's combination of a real with its integer, as the separate arithmetic word
// would make it; false when that word's general routine must run (and report).
// The commonest opcodes are tested one by one before the general choice, and `mod` by an integer
// other than 0 needs no test of the divisor.
[[gnu::always_inline]] inline bool CombineReal(uint8_t opcode, double left, int32_t constant, double* value)
{
    double right = static_cast<double>(constant);
    if (opcode == VM_OP_ADD) {
        *value = left + right;
        return true;
    }
    if (opcode == VM_OP_MUL) {
        *value = left * right;
        return true;
    }
    if (opcode == VM_OP_MOD && constant != 0) {
        *value = RemainderByWhole(left, constant);
        return true;
    }
    return RealArithmetic(opcode, VM_TYPE_INT, left, right, value);
}

inline bool CompareReal(uint8_t opcode, double left, int32_t constant)
{
    double difference = left - static_cast<double>(constant);
    return opcode == VM_OP_SLT ? difference < -Code_CompareEpsilon
                               : VM_TestDifference(opcode, difference, Code_CompareEpsilon);
}

// The buffer's translation when it is current and bound, without making one; null otherwise.
inline VMTranslation* CurrentTranslation(const VMBuffer* code, uint64_t epoch)
{
    VMTranslation* t = code->m_pTranslation;
    return t != nullptr && t->bound && t->epoch == epoch && t->words == code->m_pWords && t->size == code->m_Size ? t
                                                                                                              : nullptr;
}

// The reals that the joined pushes leave, as their handlers compute them; false where they run
// their first word alone instead. `insn` is the joined entry; LOCAL as for PlainSiteNode, for
// every site the joined push reaches.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VarConstReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                VMTranslatedInsn* insn, double* value)
{
    double left;
    VariableNode* node;
    return SiteReal<LOCAL>(run, locals, generation, insn, &left, &node) && CombineReal(insn->opcode, left, insn->constant, value);
}

// The second integer and its combination are the entry three words on (a ConstOp of its own).
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool VarConstOpReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                  VMTranslatedInsn* insn, double* value)
{
    const VMTranslatedInsn* second = insn + 3;
    return VarConstReal<LOCAL>(run, locals, generation, insn, value) &&
           CombineReal(second->opcode, *value, second->constant, value);
}

// The instance is the first word's integer; the index variable's and the element's sites are the
// second and fourth words' entries.
template <bool LOCAL = false>
[[gnu::always_inline]] inline const ScriptValue* ElementReadValue(VMRunState& run, VariableNode* locals,
                                                                  uint64_t generation, VMTranslatedInsn* insn)
{
    double real;
    VariableNode* indexNode;
    if (!VariableReal<LOCAL>(run, locals, generation, insn + 1, &real, &indexNode)) return nullptr;
    VMTranslatedInsn* element = insn + 3;
    VariableNode* node = DirectNode(run, locals, LOCAL ? VM_INSTANCE_LOCAL : insn->constant, element->id,
                                    SiteLookup{element, generation});
    const ScriptValue* value = node != nullptr ? ElementToRead(&node->value, TruncToInt32(real)) : nullptr;
    return value != nullptr && Value_GetKind(value) == VALUE_REAL ? value : nullptr;
}

// The real of the joined push that VariableCombine takes as its right operand, for each kind of
// push it joins (the handler is chosen by that kind when the translation is bound).
template <VMKind PUSHED, bool LOCAL>
[[gnu::always_inline]] inline bool PushedReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                              VMTranslatedInsn* insn, double* value)
{
    if constexpr (PUSHED == VMKind::PushVariable) {
        VariableNode* node;
        return VariableReal<LOCAL>(run, locals, generation, insn, value, &node);
    } else if constexpr (PUSHED == VMKind::VarConst) {
        return VarConstReal<LOCAL>(run, locals, generation, insn, value);
    } else if constexpr (PUSHED == VMKind::VarConstOp) {
        return VarConstOpReal<LOCAL>(run, locals, generation, insn, value);
    } else {
        static_assert(PUSHED == VMKind::ElementRead);
        const ScriptValue* element = ElementReadValue<LOCAL>(run, locals, generation, insn);
        if (element != nullptr) *value = element->real;
        return element != nullptr;
    }
}

// The element that an ElementStore entry `store` writes, when it exists already (or fits its row's
// spare room) and the index variable holds a real; null when the separate words must run (growing
// included). The index variable's and the array's sites are the second and fourth words' entries.
// The same once the index variable's real is known.
template <bool LOCAL = false>
[[gnu::always_inline]] inline ScriptValue* ElementToStoreAt(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                            VMTranslatedInsn* store, double real)
{
    VMTranslatedInsn* element = store + 3;
    int32_t index = TruncToInt32(real);
    VariableNode* node = index < 0 ? nullptr
                                   : DirectNode(run, locals, LOCAL ? VM_INSTANCE_LOCAL : store->constant, element->id,
                                                SiteLookup{element, generation});
    return node != nullptr ? ElementToOverwrite(&node->value, index) : nullptr;
}

template <bool LOCAL = false>
[[gnu::always_inline]] inline ScriptValue* ElementToStore(VMRunState& run, VariableNode* locals, uint64_t generation,
                                                          VMTranslatedInsn* store)
{
    double real;
    VariableNode* indexNode;
    if (!VariableReal<LOCAL>(run, locals, generation, store + 1, &real, &indexNode)) return nullptr;
    return ElementToStoreAt<LOCAL>(run, locals, generation, store, real);
}

// Arithmetic on two reals as the separate word makes it, the commonest, an addition, tested first.
[[gnu::always_inline]] inline bool CombineReals(uint8_t opcode, double left, double right, double* value)
{
    if (opcode == VM_OP_ADD) {
        *value = left + right;
        return true;
    }
    return RealArithmetic(opcode, VM_TYPE_VARIABLE, left, right, value);
}

// A real popped into the plain variable of the pop entry `pop`, as its fast path stores it; false
// when its list or node is out of reach.
template <bool LOCAL = false>
[[gnu::always_inline]] inline bool StoreReal(VMRunState& run, VariableNode* locals, uint64_t generation,
                                             VMTranslatedInsn* pop, double value)
{
    VariableNode* node = StoreSiteNode<LOCAL>(run, locals, generation, pop);
    if (node == nullptr) return false;
    TakeOver(&node->value, ScriptValue{VALUE_REAL, 0, value});
    return true;
}

// Where a register sequence leaves the words: the entry to go on at and the stack pointer, the live
// items put on the stack; `how` the way to go on there.
enum class RegisterExitHow : uint8_t {
    Words,     // its handler runs
    FirstWord, // a sequence's head before which nothing ran: its first word alone
    AfterCall, // the entry is a built-in's call, made: the run goes on as after a call out
};
struct RegisterExit {
    VMTranslatedInsn* next;
    uint8_t* sp;
    RegisterExitHow how = RegisterExitHow::Words;
};

} // namespace
