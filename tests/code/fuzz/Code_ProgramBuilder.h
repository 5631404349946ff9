// Programs for the interpreter's fuzz targets, built from the input: each byte picks an instruction
// that the stack as built so far can take (values of every type, variables of every instance kind,
// every computation and conversion, with blocks, forward branches, calls, arrays, rotations), so the
// code is well formed as compiled game code is, while the values, indices, instance targets and the
// errors they raise are the input's. With counting loops on, the builder also writes bounded loops
// over a local or self counter, the variable-and-integer sequences that the translated form joins
// and statements over numbers that it computes in registers, and sets locals enough to pass a
// level's slots. Every program ends by reporting its level's locals (and the self and global
// variables) as an error report lists them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "../../TestSupport_Console.h"
#include "../Code_ArgumentRows.h"
#include "../Code_FieldRows.h"
#include "../Code_FakeWorld.h"
#include "base/Base_Console.h"
#include "code/Code_Assembler.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_ErrorSources.h"
#include "code/Code_Function.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "datastructure/DataStructure_List.h"
#include "function/Function_ListLeaves.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

namespace programfuzz {

struct SilentConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

void SumRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    for (int32_t i = 0; i < argc; ++i) result->real += args[i].real;
}

// The arguments weighed by their places (1, 2, 4...): arguments handed in another order answer otherwise.
void MixRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    for (int32_t i = 0; i < argc; ++i) result->real += args[i].real * static_cast<double>(1 << i);
}

void FirstArgumentRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Value_Copy(result, &g_ScriptArguments[0]);
}

// The calling level's locals, then self's and the global variables, on the script console.
void ReportRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { VM_ReportVariables(ScriptConsole); }

// Self's variables set again in the opposite order, so that each lies at another place of its list
// and the variables' generation moves; answers argument 0 less argument 1.
void ReorderRoutine(ScriptValue* result, CInstance* self, CInstance*, int32_t argc, ScriptValue* args)
{
    result->real = (argc > 0 ? args[0].real : 0) - (argc > 1 ? args[1].real : 0);
    if (self == nullptr) return;
    CVariableList& list = vmtest::AsFake(self)->variables;
    std::vector<std::pair<int32_t, ScriptValue>> kept;
    for (int32_t bucket = 0; bucket < VARIABLE_BUCKETS; ++bucket)
        for (const VariableNode* node = list.Bucket(bucket); node != nullptr; node = node->next) {
            ScriptValue copy = {VALUE_REAL, 0, 0.0};
            Value_Copy(&copy, &node->value);
            kept.emplace_back(node->id, copy);
        }
    list.Clear();
    for (auto pair = kept.rbegin(); pair != kept.rend(); ++pair) {
        list.SetVar(pair->first, -1, &pair->second);
        Value_Free(&pair->second);
    }
}

// Rows with a leaf form, which the translated form calls from its registers: fz_leaf1(a) answers
// 2a + 1, fz_leaf2(a, b) a * b plus self's id (0 without self), fz_leaf3(a, b, c) a - 2b + 3c.
// Each routine gives the answer its leaf gives; the leaves decline a negative last argument.
double Leaf1Answer(CInstance*, const double* reals) { return 2 * reals[0] + 1; }
double Leaf2Answer(CInstance* self, const double* reals)
{
    return reals[0] * reals[1] + (self != nullptr ? vmtest::AsFake(self)->id : 0);
}
double Leaf3Answer(CInstance*, const double* reals) { return reals[0] - 2 * reals[1] + 3 * reals[2]; }

// fz_list_read(l, p) and fz_list_replace(l, p, v): the list's read and replace with their own leaves
// (made in place by the steps), on the fuzz list (FuzzList): -7 where a leaf declines (a text element,
// no such list).
void ListReadRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double reals[2];
    for (int32_t i = 0; i < 2; ++i) reals[i] = Value_GetKind(&args[i]) == VALUE_REAL ? args[i].real : 0.0;
    if (!DS_ListReadReal(reals[0], reals[1], &result->real)) result->real = -7;
}

void ListReplaceRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double reals[3];
    for (int32_t i = 0; i < 3; ++i) reals[i] = Value_GetKind(&args[i]) == VALUE_REAL ? args[i].real : 0.0;
    result->real = DS_ListReplaceReal(reals[0], reals[1], reals[2]) ? 0 : -7;
}

// The list the list rows reach at handle 0 (the first list made), filled anew for every run: reals
// with a text among them.
void FillFuzzList()
{
    if (g_DSLists.Get(0) == nullptr) DS_NewList();
    CDS_List* list = g_DSLists.Get(0);
    if (list == nullptr) return;
    list->Clear();
    ScriptValue value = {VALUE_REAL, 0, 0.0};
    for (double real : {1.5, 2.0, -3.0}) {
        value.real = real;
        list->Add(&value);
    }
    Value_SetText(&value, "t");
    list->Add(&value);
    Value_Free(&value);
}

// fz_text(v): v's text between brackets, as its text form writes it; the form declines a negative
// real, which the routine answers alike.
void AppendBracketed(ValueTextBuffer* text, const ScriptValue* value)
{
    ValueText_Append(text, "[", 1);
    Value_ToString(text, value);
    ValueText_Append(text, "]", 1);
}

bool AppendTextForm(const ScriptValue* value, ValueTextBuffer* text)
{
    if (Value_GetKind(value) == VALUE_REAL && value->real < 0) return false;
    AppendBracketed(text, value);
    return true;
}

void TextRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ValueTextBuffer text = {nullptr, nullptr, 0};
    AppendBracketed(&text, &args[0]);
    Value_SetText(result, text.start);
    MemoryManager::Free(text.start);
}

// fz_len(v): the bytes of v's text, -1 for anything else; its measure form declines texts longer than
// six bytes, which the routine answers alike.
void LengthRoutine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* text = Value_GetText(&args[0]);
    result->real = Value_GetKind(&args[0]) != VALUE_STRING ? -1 : text != nullptr ? static_cast<double>(std::strlen(text)) : 0;
}

bool MeasureLengthForm(const ScriptValue* value, double* result)
{
    const char* text = Value_GetText(value);
    size_t length = text != nullptr ? std::strlen(text) : 0;
    if (Value_GetKind(value) != VALUE_STRING || length > 6) return false;
    *result = static_cast<double>(length);
    return true;
}

const BuiltinTextForms TEXT_FORMS = {AppendTextForm, nullptr, false};
const BuiltinTextForms LENGTH_FORMS = {nullptr, MeasureLengthForm, false};

template <int32_t N, double (*Answer)(CInstance*, const double*)>
void LeafRowRoutine(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    double reals[N];
    for (int32_t i = 0; i < N; ++i) reals[i] = Value_GetKind(&args[i]) == VALUE_REAL ? args[i].real : 0.0;
    result->real = Answer(self, reals);
}

template <int32_t N, double (*Answer)(CInstance*, const double*)>
bool LeafRowLeaf(CInstance* self, CInstance*, const double* top, double* result)
{
    double reals[N];
    for (int32_t i = 0; i < N; ++i) reals[i] = Leaf_Argument(top, i);
    if (reals[N - 1] < 0) return false;
    *result = Answer(self, reals);
    return true;
}

// Builds assembly from the input. Stack letters: d f i l b s as in the code, and for variables r
// (holds a real), g (holds a text) or v (not known).
class Builder {
public:
    // `report`: the program ends by reporting its level's variables; without it, a program of register
    // sequences may end within one.
    Builder(const uint8_t* data, size_t size, bool loops = false, bool report = true)
        : m_Data(data), m_Size(size), m_Loops(loops), m_Report(report)
    {
    }

    std::string Build()
    {
        while (m_At < m_Size && m_Ops < 160) Step(0);
        while (!m_Stack.empty()) Pop();
        if (m_Loops) ManyLocals();
        if (m_Report) Emit("call.i fz_report 0\npopz.v");
        if (Byte() & 1) Emit("push.d 1.5\nconv.d.v");
        return m_Source;
    }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_At = 0;
    int32_t m_Ops = 0;
    int32_t m_Labels = 0;
    int32_t m_Concatenations = 0;
    int32_t m_Depth = 0;
    bool m_Loops;
    bool m_Report;
    int32_t m_Counters = 0;
    std::vector<std::string> m_Active; // the counters of the loops being built, innermost last
    std::string m_Source;
    std::string m_Stack;

    uint8_t Byte() { return m_At < m_Size ? m_Data[m_At++] : 0; }
    void Emit(const std::string& line) { m_Source += line + "\n"; }
    char Top(size_t n = 0) const { return m_Stack[m_Stack.size() - 1 - n]; }
    static bool IsVariable(char c) { return c == 'r' || c == 'g' || c == 'v'; }
    static bool IsNumber(char c) { return c == 'd' || c == 'i' || c == 'r'; }
    static char Letter(char c) { return IsVariable(c) ? 'v' : c; }
    std::string Label() { return "L" + std::to_string(m_Labels++); }

    void Pop()
    {
        Emit(std::string("popz.") + Letter(m_Stack.back()));
        m_Stack.pop_back();
    }

    std::string Variable()
    {
        static const char* const owners[] = {"self", "other", "global", "local", "noone", "unnamed", "all",
                                             "1",    "2",     "100001", "100009"};
        static const char* const names[] = {"fz_a", "fz_b", "fz_c"};
        uint8_t pick = Byte();
        return std::string(owners[pick % 11]) + "." + names[(pick / 11) % 3];
    }

    // A local of the same names, or any variable: statements whose every variable is a local run
    // through handlers of their own.
    std::string Variable(bool local) { return local ? "local.fz_" + std::string(1, static_cast<char>('a' + Byte() % 3)) : Variable(); }

    void PushConstant()
    {
        uint8_t kind = Byte();
        int32_t value = static_cast<int8_t>(Byte());
        switch (kind % 8) {
        case 0: Emit("push.d " + std::to_string(value / 4.0)); m_Stack += 'd'; break;
        case 1: Emit("push.i " + std::to_string(value * 1000)); m_Stack += 'i'; break;
        case 2: Emit("push.e " + std::to_string(value)); m_Stack += 'i'; break;
        case 3: Emit("push.l " + std::to_string(static_cast<int64_t>(value) << 33)); m_Stack += 'l'; break;
        case 4: Emit(std::string("push.b ") + (value & 1 ? "true" : "false")); m_Stack += 'b'; break;
        case 5: Emit("push.f " + std::to_string(value / 8.0)); m_Stack += 'f'; break;
        case 6: Emit("push.s \"" + std::string(static_cast<size_t>(value & 7), 'a' + (value & 15)) + "\""); m_Stack += 's'; break;
        default: Emit("push.s #" + std::to_string(value & 3)); m_Stack += 's'; break; // #1 and up have no text
        }
    }

    void Convert()
    {
        static const char targets[] = {'d', 'f', 'i', 'l', 'b', 's', 'v'};
        char from = Top();
        char to = targets[Byte() % 7];
        Emit(std::string("conv.") + Letter(from) + "." + to);
        m_Stack.back() = to != 'v' ? to : (from == 's' ? 'g' : 'r');
    }

    // Two operands of known numbers; the result by the instruction set's rules.
    void Arithmetic()
    {
        static const char* const ops[] = {"add", "sub", "mul", "div", "rem", "mod", "and", "or", "xor", "shl", "shr"};
        char right = Top();
        char left = Top(1);
        const char* op = ops[Byte() % 11];
        Emit(std::string(op) + "." + Letter(right) + "." + Letter(left));
        m_Stack.pop_back();
        m_Stack.back() = IsVariable(left) || IsVariable(right) ? 'r' : (left == 'i' && right == 'i' ? 'i' : 'd');
    }

    // Two texts joined, string items and variables holding texts in any pairing: the join grows the
    // left text in its block or moves it to a larger one.
    void Concatenate()
    {
        char right = Top();
        char left = Top(1);
        Emit(std::string("add.") + Letter(right) + "." + Letter(left));
        m_Stack.pop_back();
        m_Stack.back() = IsVariable(left) || IsVariable(right) ? 'g' : 's';
        ++m_Concatenations;
    }

    static bool IsText(char c) { return c == 's' || c == 'g'; }

    // Texts joined whole, as the translated form joins a statement such as `s = string(x) + ":" + t`:
    // constants (one with no text), variables handed to fz_text (whose text form declines a
    // negative real), argumentN and a number field among them, and variables that may hold no text;
    // joined as they come or nested to the right, then stored into a variable or left.
    void TextJoin()
    {
        int32_t pieces = 2 + Byte() % 3;
        bool local = Byte() % 3 == 0;
        size_t open = 0;
        for (int32_t i = 0; i < pieces; ++i) {
            uint8_t pick = Byte();
            switch (pick % 5) {
            case 0: Emit("push.s \"" + std::string(1 + pick / 5 % 4, ':') + "\""); m_Stack += 's'; break;
            case 1: Emit("push.s #" + std::to_string(pick / 5 % 2)); m_Stack += 's'; break;
            case 2: Emit("push.v " + Variable(local)); m_Stack += 'v'; break;
            default: {
                static const char* const fields[] = {"self.fz_bx", "self.argument0", "other.fz_bx"};
                Emit("push.v " + (pick & 32 ? std::string(fields[pick / 64 % 3]) : IndexVariable(local)));
                Emit("call.i fz_text 1");
                m_Stack += 'g';
                break;
            }
            }
            if (++open >= 2 && (Byte() & 3) != 0) {
                Concatenate();
                --open;
            }
        }
        for (; open > 1; --open) Concatenate();
        if ((Byte() & 1) == 0) return;
        std::string stored = Variable(local);
        Emit(std::string("pop.v.") + Letter(Top()) + " " + stored);
        m_Stack.pop_back();
        if ((Byte() & 1) == 0) return;
        // The text measured as the register steps measure a variable's (fz_len), the answer combined.
        Emit("push.v " + stored + "\ncall.i fz_len 1\npush.e " + std::to_string(Byte() % 9) + "\nadd.i.v\npop.v.v " +
             Variable(local));
    }

    void Compare()
    {
        static const char* const ops[] = {"slt", "sle", "seq", "sne", "sge", "sgt"};
        Emit(std::string(ops[Byte() % 6]) + "." + Letter(Top()) + "." + Letter(Top(1)));
        m_Stack.pop_back();
        m_Stack.back() = 'b';
    }

    void Duplicate()
    {
        char top = Top();
        uint32_t extra = Byte() % 3;
        bool plain = !IsVariable(top) && top != 's';
        // A block copy takes items of one type only.
        for (uint32_t n = 1; plain && n <= extra; ++n)
            if (n >= m_Stack.size() || Top(n) != top) extra = n - 1;
        Emit(std::string("dup.") + Letter(top) + " " + std::to_string(extra));
        if (plain) {
            std::string block = m_Stack.substr(m_Stack.size() - extra - 1);
            m_Stack += block;
        } else {
            m_Stack += std::string(extra + 1, top);
        }
    }

    void Call(size_t floor)
    {
        uint32_t count = 0;
        while (count < 3 && m_Stack.size() > floor + count && IsVariable(Top(count))) ++count;
        uint8_t pick = Byte();
        // Where the stack holds too few variables for the call picked: a call on computed reals.
        if (pick & 1) {
            Emit("call.i fz_sum " + std::to_string(count));
        } else if (pick & 2) {
            if (count < 2) return RegisterCall(floor);
            count = 2;
            Emit("call.i 100001 2"); // the recursive walk of Setup's second script
        } else if (pick & 4) {
            Emit("call.i 100002 " + std::to_string(count)); // exits or runs off its end
        } else if (pick & 8) {
            if (count < 2) return RegisterCall(floor);
            count = 2;
            Emit("call.i 100003 2"); // Setup's fourth script: argument-headed sequences and returns
        } else if (pick & 16) {
            // A row of two arguments called with what the stack has: missing ones are real 0.
            Emit(std::string(pick & 32 ? "call.i fz_reorder " : "call.i fz_pair ") + std::to_string(count));
        } else {
            if (count == 0) return RegisterCall(floor);
            count = 1;
            Emit("call.i 100000 1"); // the script: argument 0 twice
        }
        m_Stack.resize(m_Stack.size() - count);
        m_Stack += 'v';
    }

    // A built-in called on one to three reals computed just before (a variable or a number field
    // combined with an integer), as the translated form calls it from its registers: a row
    // with a leaf form (which it may decline), a row without, one that rewrites self's variables, or
    // one called with fewer arguments than its count; the answer left, combined with an integer or
    // tested and branched on.
    void RegisterCall(size_t floor)
    {
        static const char* const rows[] = {"fz_leaf1", "fz_leaf2", "fz_leaf3", "fz_sum", "fz_pair", "fz_reorder"};
        static const char* const ops[] = {"add", "sub", "mul", "div", "mod", "rem"};
        uint8_t pick = Byte();
        uint32_t count = 1 + pick % 3;
        const char* row = rows[(pick / 3) % 6];
        if (pick & 0x80) row = rows[count - 1]; // most calls: the leaf row of that count
        if ((pick & 0xC0) == 0x40) {
            // A routine of many arguments (a sprite drawn scaled and turned hands nine), up to more
            // than the registers hold with the items beneath.
            count = 7 + Byte() % 10;
            row = "fz_sum";
        }
        // Now and then none at all, as `instance_destroy()` is called from a step.
        if ((pick & 0xF0) == 0x30 && pick % 3 == 0) {
            count = 0;
            row = "fz_sum";
        }
        // Of those, the list's read and replace rows, whose leaves the steps make in place.
        if ((pick & 0xC8) == 0xC8 && count >= 2) row = count == 2 ? "fz_list_read" : "fz_list_replace";
        bool local = Byte() % 3 == 0;
        for (uint32_t i = 0; i < count; ++i) {
            // A leaf row's last two arguments, in a quarter of its calls, are variables handed as they
            // are: `ds_list_find_value(lst, j)`.
            bool loaded = (pick & 0xC0) == 0xC0 && i + 2 >= count;
            uint8_t source = Byte() % 4; // half of them number fields, which always hold a real
            if (loaded) source = 2;
            Emit("push.v " + (source == 0 ? std::string("self.fz_bf") : source == 1 ? std::string("other.fz_bx") : IndexVariable(local)));
            if (loaded) continue;
            Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
            Emit(std::string(ops[Byte() % 6]) + ".i.v");
        }
        Emit("call.i " + std::string(row) + " " + std::to_string(count));
        m_Stack += 'v';
        switch (Byte() % 3) {
        case 0: return; // left for what follows
        case 1:
            Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
            Emit(std::string(ops[Byte() % 6]) + ".i.v");
            m_Stack.back() = 'r';
            return;
        default:
            Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
            Emit(Byte() & 1 ? "slt.i.v" : "sgt.i.v");
            m_Stack.back() = 'b';
            if (m_Depth < 4) Branch(floor);
            return;
        }
    }

    // A block of instructions above `floor` that leaves the stack as it found it.
    void Block(size_t floor)
    {
        size_t mark = m_Stack.size();
        std::string saved = m_Stack;
        int32_t count = Byte() % 5;
        for (int32_t i = 0; i < count && m_At < m_Size; ++i) Step(mark);
        while (m_Stack.size() > mark) Pop();
        (void)floor;
    }

    // A with block; with counting loops on, half of the bodies are statements over numbers that the
    // translated form runs whole in its registers from instance to instance.
    void With(size_t floor)
    {
        static const char* const targets[] = {"-1", "-2", "-3", "-4", "-6", "1", "2", "3", "100001", "100003", "-7", "-5"};
        std::string start = Label(), done = Label(), leave = Label(), over = Label();
        uint8_t pick = Byte();
        Emit(std::string("push.i ") + targets[pick % 12]);
        Emit("pushenv " + done);
        Emit(start + ":");
        ++m_Depth;
        if (m_Loops && (pick & 0x80))
            BodyOverSelfAndOther();
        else
            Block(floor);
        bool breaks = Byte() & 1;
        if (breaks) Emit("b " + leave);
        --m_Depth;
        Emit(done + ":");
        Emit("popenv " + start);
        if (breaks) {
            Emit("b " + over);
            Emit(leave + ":");
            Emit("popenv break");
            Emit(over + ":");
        }
    }

    // A with body of one to three statements over self's (or no named instance's) variables and
    // other's, the caller's: `v = (v + other.k) mod n`, `other.total += v`, `other.k = v * 2`,
    // `v = other.k + 1`, or `v = fz_reorder(v, 1)`, a call that sets self's variables again.
    void BodyOverSelfAndOther()
    {
        static const char* const names[] = {"fz_a", "fz_b", "fz_c"};
        int32_t count = 1 + Byte() % 3;
        for (int32_t i = 0; i < count; ++i) {
            uint8_t pick = Byte();
            std::string mine = std::string(pick & 8 ? "unnamed." : "self.") + names[(pick >> 4) % 3];
            std::string theirs = std::string("other.") + names[(pick >> 6) % 3];
            switch (pick % 5) {
            case 0:
                Emit("push.v " + mine + "\npush.v " + theirs + "\nadd.v.v\npush.e " + std::to_string(1 + Byte() % 9) +
                     "\nmod.i.v\npop.v.v " + mine);
                break;
            case 1: Emit("push.v " + theirs + "\npush.v " + mine + "\nadd.v.v\npop.v.v " + theirs); break;
            case 2: Emit("push.v " + mine + "\npush.e 2\nmul.i.v\npop.v.v " + theirs); break;
            case 3: Emit("push.v " + theirs + "\npush.e 1\nadd.i.v\npop.v.v " + mine); break;
            default: Emit("push.e 1\nconv.i.v\npush.v " + mine + "\ncall.i fz_reorder 2\npop.v.v " + mine); break;
            }
        }
    }

    void Branch(size_t floor)
    {
        std::string after = Label();
        Emit(std::string(Byte() & 1 ? "bt " : "bf ") + after);
        m_Stack.pop_back();
        ++m_Depth;
        Block(floor);
        --m_Depth;
        Emit(after + ":");
    }

    // A switch on the item on top as the compiler chains one: each case tests the value duplicated,
    // a case's block ends in a break, the default's falls through to the end, where every break
    // leads and the value is dropped.
    void Switch(size_t floor)
    {
        std::string type(1, Letter(Top()));
        std::vector<std::string> cases(1 + Byte() % 3);
        std::string other = Label(), end = Label();
        for (std::string& label : cases) {
            label = Label();
            Emit("dup." + type);
            Emit("push.e " + std::to_string(Byte() % 4));
            Emit("seq.i." + type);
            Emit("bt " + label);
        }
        Emit("b " + other);
        ++m_Depth;
        for (const std::string& label : cases) {
            Emit(label + ":");
            Block(floor);
            Emit("b " + end);
        }
        Emit(other + ":");
        Block(floor);
        --m_Depth;
        Emit(end + ":");
        Pop();
    }

    // An element's instance item: a local array (always, for `local`), or no named instance's, global's
    // or self's.
    int32_t ElementInstance(bool local)
    {
        static const int32_t instances[] = {-7, -6, -5, -1};
        return local ? -7 : instances[Byte() % 4];
    }

    void Array(size_t floor)
    {
        int32_t instance = ElementInstance(false);
        int32_t index = static_cast<int32_t>(Byte()) * 280 - 2;
        Emit("push.e " + std::to_string(instance));
        Emit("push.i " + std::to_string(index));
        if (m_Stack.size() > floor && (Byte() & 1)) {
            Emit(std::string("pop.v.") + Letter(Top()) + " stack.fz_arr[]");
            m_Stack.pop_back();
        } else {
            Emit("push.v stack.fz_arr[]");
            m_Stack += 'v';
        }
    }

    void Rotate()
    {
        // The top item goes under a 4-byte item.
        char top = Top();
        Emit(std::string("pop.e.") + Letter(top) + " 0x0001");
        std::swap(m_Stack[m_Stack.size() - 1], m_Stack[m_Stack.size() - 2]);
    }

    // A counting loop of up to four rounds over a local or self counter of its own, which nothing
    // else writes: the test, the step and the jump back are the sequences the translated form joins.
    void Loop(size_t floor)
    {
        std::string counter = (Byte() % 4 == 0 ? "self.fz_n" : "local.fz_n") + std::to_string(m_Counters++);
        std::string top = Label(), done = Label();
        Emit("push.e 0");
        Emit("pop.v.i " + counter);
        Emit(top + ":");
        Emit("push.v " + counter);
        Emit("push.e " + std::to_string(Byte() % 5));
        // Left while less, or while not greater or equal: the translated form runs them apart.
        bool less = Byte() & 1;
        Emit(less ? "slt.i.v" : "sge.i.v");
        Emit((less ? "bf " : "bt ") + done);
        ++m_Depth;
        m_Active.push_back(counter);
        Block(floor);
        m_Active.pop_back();
        --m_Depth;
        Emit("push.v " + counter);
        Emit("push.e 1");
        Emit("add.i.v");
        Emit("pop.v.v " + counter);
        Emit("b " + top);
        Emit(done + ":");
    }

    // Up to 15 more locals, by the input's length (no byte is spent): with the others, more than a
    // level's slots hold; the last few read back, texts and arrays among them.
    void ManyLocals()
    {
        int32_t count = static_cast<int32_t>(m_Size % 16);
        for (int32_t i = 0; i < count; ++i) {
            std::string name = "fz_p" + std::to_string(i);
            if (i % 5 == 3)
                Emit("push.s \"p\"\nconv.s.v\npop.v.v local." + name);
            else if (i % 5 == 4)
                Emit("push.e " + std::to_string(i) + "\nconv.i.v\npush.e -7\npush.e " + std::to_string(i) +
                     "\npop.v.v stack." + name + "[]");
            else
                Emit("push.e " + std::to_string(i) + "\npop.v.i local." + name);
        }
        for (int32_t i = count > 3 ? count - 3 : 0; i < count; ++i)
            Emit("push.v local.fz_p" + std::to_string(i) + "\npopz.v");
    }

    // A variable of any kind combined with an integer (0 included), the result stored back into it,
    // left on the stack or branched on; a stored one may then be tested against an integer and
    // branched on, as `life -= 1; if (life <= 0)` is.
    void Joined(size_t floor)
    {
        static const char* const ops[] = {"add", "sub", "mul", "div", "mod", "rem", "slt", "sle", "seq", "sne", "sge", "sgt"};
        std::string variable = Variable();
        uint8_t pick = Byte();
        int32_t constant = static_cast<int8_t>(Byte()) % 5;
        bool compare = pick % 12 >= 6;
        Emit("push.v " + variable);
        Emit(pick & 0x80 ? "push.i " + std::to_string(constant) : "push.e " + std::to_string(constant));
        Emit(std::string(ops[pick % 12]) + ".i.v");
        if (compare) {
            m_Stack += 'b';
            if (m_Depth < 4 && (pick & 0x40)) Branch(floor);
        } else if (pick & 0x40) {
            Emit("pop.v.v " + variable);
            if ((pick & 0x20) && m_Depth < 4) {
                uint8_t test = Byte();
                Emit("push.v " + variable + "\npush.e " + std::to_string(static_cast<int8_t>(test) % 3));
                Emit(std::string(ops[6 + test % 6]) + ".i.v");
                m_Stack += 'b';
                Branch(floor);
            }
        } else {
            m_Stack += 'r';
        }
    }

    // An index held by a variable: the innermost loop's counter or any variable (a local one when
    // `local`).
    std::string IndexVariable(bool local = false)
    {
        bool counter = !m_Active.empty() && (Byte() & 1) && (!local || m_Active.back().rfind("local.", 0) == 0);
        return counter ? m_Active.back() : Variable(local);
    }

    // An element at a variable's index, read, or written with a variable item from the stack: the
    // loops over arrays that the translated form joins. `local`: a local array at a local's index.
    void ElementAtVariable(size_t floor, bool local = false)
    {
        int32_t instance = ElementInstance(local);
        Emit("push.e " + std::to_string(instance));
        Emit("push.v " + IndexVariable(local));
        Emit("conv.v.i");
        if (m_Stack.size() > floor && IsVariable(Top()) && (Byte() & 1)) {
            Emit("pop.v.v stack.fz_arr[]");
            m_Stack.pop_back();
        } else {
            Emit("push.v stack.fz_arr[]");
            m_Stack += 'v';
        }
    }

    // Two variables' values (or a variable and an element) combined and stored: `s = s + a[i]`;
    // every variable a local in a third of them.
    void StoredArithmetic(size_t floor)
    {
        static const char* const ops[] = {"add", "sub", "mul", "div", "mod", "rem"};
        uint8_t pick = Byte();
        bool local = pick % 3 == 0;
        if ((pick & 0xC0) == 0xC0) return ConstantsStored(local);
        std::string first = Variable(local);
        Emit("push.v " + first);
        m_Stack += 'v';
        switch (Byte() % 4) {
        case 0: ElementAtVariable(m_Stack.size(), local); break;
        case 1:
            Emit("push.v " + IndexVariable(local));
            m_Stack += 'v';
            break;
        default: VariableWithIntegers(1 + Byte() % 2, local); break;
        }
        uint8_t op = Byte();
        Emit(std::string(ops[op % 6]) + ".v.v");
        // Half of them taken modulo an integer before the store: `x = (a + b) mod k`.
        if (op & 0x80) Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9) + "\nmod.i.v");
        // Half of them store into the variable pushed first, as `s = s + x` does.
        Emit("pop.v.v " + (Byte() & 1 ? first : Variable(local)));
        m_Stack.resize(m_Stack.size() - 2);
        (void)floor;
    }

    // A variable combined with one or two integers and stored into a variable: `n += 1`, `i = n mod 4`,
    // `j = (n + 1) mod 4` (the integers may be 0 or negative).
    void ConstantsStored(bool local)
    {
        uint8_t pick = Byte();
        Emit("push.v " + IndexVariable(local));
        Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
        Emit(pick & 1 ? "mod.i.v" : "add.i.v");
        if (pick & 2) Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9) + "\nmod.i.v");
        Emit("pop.v.v " + (pick & 4 ? IndexVariable(local) : Variable(local)));
    }

    // A variable combined with an integer stored into an element at a variable's index: `a[i] = i * 2`;
    // every variable a local in a third of them.
    void CombinedIntoElement()
    {
        bool local = Byte() % 3 == 0;
        VariableWithIntegers(1, local);
        int32_t instance = ElementInstance(local);
        Emit("push.e " + std::to_string(instance));
        Emit("push.v " + IndexVariable(local));
        Emit("conv.v.i");
        Emit("pop.v.v stack.fz_arr[]");
        m_Stack.pop_back();
    }

    // A built-in number field of an instance the fast paths reach or of one they leave to the
    // general routines, read (alone, or with another handed to a call: `place_meeting(x, y, ...)`),
    // stored, or combined with a variable and stored back (`x += vx`); or tested twice (`x < 0 || x > 624`),
    // or a plain variable tested so.
    void BuiltIn(size_t floor)
    {
        static const char* const owners[] = {"self", "other", "unnamed", "noone", "global", "100001", "100003"};
        static const char* const fields[] = {".fz_bro", ".fz_bf", ".fz_bx", ".fz_bg"}; // fz_bf, fz_bg: floats read in place
        std::string owner = owners[Byte() % 7];
        uint8_t pick = Byte();
        std::string field = owner + fields[pick % 4];
        size_t above = m_Stack.size() - floor;
        switch (Byte() % 4) {
        case 0: {
            // Alone, or with another field of the instance (and an integer before both) handed to a
            // routine that tells its arguments apart.
            bool handed = pick & 0x40, constant = handed && (pick & 0x20);
            if (constant) Emit("push.e " + std::to_string(pick % 7) + "\nconv.i.v");
            Emit("push.v " + field);
            m_Stack += 'v';
            if (!handed) return;
            Emit("push.v " + owner + fields[pick / 4 % 4]);
            Emit(constant ? "call.i fz_mix 3" : "call.i fz_mix 2");
            return;
        }
        case 3: {
            // A bounds test, `x < 0 || x > 624`: two comparisons of the field joined, branched on or left.
            static const char* const joins[] = {"and", "or", "xor"};
            std::string tested = pick & 0x80 ? Variable() : field;
            if (pick & 0x20) {
                // As a mover makes it: below one integer or above another.
                int32_t low = static_cast<int8_t>(Byte()) % 5, high = low + Byte() % 8;
                Emit("push.v " + tested + "\npush.e " + std::to_string(low) + "\nslt.i.v\npush.v " + tested + "\npush.e " +
                     std::to_string(high) + "\nsgt.i.v\nor.b.b");
                m_Stack += 'b';
                if (m_Depth < 4 && (Byte() & 1)) Branch(floor);
                return;
            }
            for (int32_t side = 0; side < 2; ++side) {
                Emit("push.v " + (side == 0 || (Byte() & 3) != 0 ? tested : Variable()));
                m_Stack += 'v';
                PushConstant();
                Compare();
            }
            Emit(std::string(joins[Byte() % 3]) + ".b.b");
            m_Stack.pop_back();
            if (m_Depth < 4 && (Byte() & 1)) Branch(floor);
            return;
        }
        case 1:
            if (above < 1) return PushConstant();
            if (pick & 0x10) {
                // An element of a built-in array, `alarm[n] = v`: of self, other or an instance by
                // its id (or none), an index within the array or past it.
                static const char* const instances[] = {"push.e -1", "push.e -2", "push.i 100001", "push.e -4"};
                Emit(std::string(instances[Byte() % 4]) + "\npush.e " + std::to_string(Byte() % 6 - 1));
                Emit(std::string("pop.v.") + Letter(Top()) + " stack.fz_ba[]");
                m_Stack.pop_back();
                return;
            }
            Emit(std::string("pop.v.") + Letter(Top()) + " " + field);
            m_Stack.pop_back();
            return;
        default:
            Emit("push.v " + field);
            Emit("push.v " + (Byte() & 1 ? Variable() : IndexVariable()));
            uint8_t op = Byte();
            Emit(std::string(op & 1 ? "add" : op & 0x80 ? "mul" : "sub") + ".v.v");
            Emit("pop.v.v " + field);
            return;
        }
    }

    // An element at a computed index, `a[i mod n]`, read, or written with a variable item from the
    // stack; n may be 0 or negative.
    void ElementAtComputedIndex(size_t floor)
    {
        bool local = Byte() % 3 == 0;
        int32_t instance = ElementInstance(local);
        bool store = m_Stack.size() > floor && IsVariable(Top()) && (Byte() & 1);
        Emit("push.e " + std::to_string(instance));
        Emit("push.v " + IndexVariable(local));
        Emit("push.i " + std::to_string(static_cast<int8_t>(Byte()) % 40));
        Emit("mod.i.v");
        Emit("conv.v.i");
        if (store) {
            Emit("pop.v.v stack.fz_arr[]");
            m_Stack.pop_back();
        } else {
            Emit("push.v stack.fz_arr[]");
            m_Stack += 'v';
        }
    }

    // A variable combined with one integer or two in a row: `i * 2`, `(i * 3) mod 7`.
    void VariableWithIntegers(int count, bool local = false)
    {
        static const char* const ops[] = {"add", "sub", "mul", "div", "mod", "rem"};
        Emit("push.v " + IndexVariable(local));
        for (int n = 0; n < count; ++n) {
            Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
            Emit(std::string(ops[Byte() % 6]) + ".i.v");
        }
        m_Stack += 'r';
    }

    // A statement over numbers as the translated form computes it in registers: a tree up to three
    // levels deep of variables (which may hold texts, arrays or nothing), integer and double
    // constants (0 included), arithmetic and convs; stored into a variable (and negated there), left
    // on the stack, or compared (or taken for its truth) and branched on.
    void RealExpression(size_t floor)
    {
        bool local = Byte() % 3 == 0;
        Operand(local, 1 + Byte() % 3);
        uint8_t how = Byte();
        if ((how & 0x60) == 0x60 && m_Depth < 4) return SwitchOn(local);
        if (how % 3 == 2 && (how & 0x80) && m_Depth < 4) {
            Emit(std::string("conv.") + Letter(Top()) + ".b");
            m_Stack.back() = 'b';
            return Branch(floor);
        }
        switch (how % 3) {
        case 0: {
            // Into a variable of a named instance, or into a plain one.
            if (how & 0x20) {
                InstanceVariable(true);
                return;
            }
            std::string stored = Variable(local);
            Emit(std::string("pop.v.") + Letter(Top()) + " " + stored);
            m_Stack.pop_back();
            // Then turned about, `v = -v`, as a mover turns at a wall.
            if (how & 0x40) Emit("push.v " + stored + "\nneg.v\npop.v.v " + stored);
            return;
        }
        case 1: return; // left for what follows
        default:
            Operand(local, Byte() % 2);
            Compare();
            if (m_Depth < 4) Branch(floor);
            return;
        }
    }

    // An if/else as the compiler lays it, its test a variable against an integer: the first arm two
    // variables combined and stored, the second a variable's `+= 1`, then where both meet another
    // variable's `+= v` (`if (d > 8) {...} else n += 1; s += d`): joined statements that the steps
    // of the branches reaching them run on into.
    void IfElseJoined(size_t floor)
    {
        bool local = Byte() % 3 == 0;
        std::string other = Label(), end = Label();
        Emit("push.v " + Variable(local));
        Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 9));
        uint8_t test = Byte();
        Emit(std::string(test & 1 ? "sgt.i.v\n" : "slt.i.v\n") + (test & 2 ? "bt " : "bf ") + other);
        StoredArithmetic(floor);
        Emit("b " + end + "\n" + other + ":");
        std::string counted = Variable(local);
        Emit("push.v " + counted + "\npush.e 1\nadd.i.v\npop.v.v " + counted + "\n" + end + ":");
        std::string sum = Variable(local);
        Emit("push.v " + sum);
        Emit("push.v " + Variable(local) + "\nadd.v.v\npop.v.v " + sum);
    }

    // A switch on the number on top as the compiler chains it: the value duplicated and compared with
    // one to four constants in turn (small integers, or halves as doubles; or whole numbers in a row
    // from the first case's, each one more), a branch to each case, one to the default; each case
    // stores a constant and jumps to the end, where the value is dropped.
    void SwitchOn(bool local)
    {
        char item = Letter(Top());
        uint8_t count = Byte();
        uint32_t cases = 1 + count % 3 + (count & 0x80 ? 1 : 0);
        const bool inRow = (count & 0x48) == 0x48;
        int32_t first = 0;
        std::string end = Label(), otherwise = Label(), labels[4];
        for (uint32_t n = 0; n < cases; ++n) {
            labels[n] = Label();
            int8_t pick = static_cast<int8_t>(Byte());
            if (n == 0) first = pick % 4;
            std::string label = inRow          ? "push.e " + std::to_string(first + static_cast<int32_t>(n)) + "\nseq.i."
                                : pick & 0x40 ? "push.d " + std::to_string(pick % 4) + ".5\nseq.d."
                                              : "push.e " + std::to_string(pick % 4) + "\nseq.i.";
            Emit(std::string("dup.") + item + "\n" + label + item + "\nbt " + labels[n]);
        }
        Emit("b " + otherwise);
        for (uint32_t n = 0; n < cases; ++n)
            Emit(labels[n] + ":\npush.e " + std::to_string(n) + "\npop.v.i " + Variable(local) + "\nb " + end);
        Emit(otherwise + ":\npush.e 9\npop.v.i " + Variable(local) + "\n" + end + ":");
        Pop();
    }

    // A variable of the instance an int32 item names, `target.x`: self or other by number, an object,
    // an instance by id (one marked for deletion, one that is not there), or the id a variable holds;
    // a variable of its list or a built-in number field (read in place or through its getter).
    // Answers the variable's name; `store`: popped into from the item beneath instead of read.
    std::string InstanceVariable(bool store = false)
    {
        static const char* const named[] = {"push.e -1", "push.e -2", "push.e 1", "push.e 2", "push.e -4",
                                            "push.i 100001", "push.i 100002", "push.i 100003", "push.i 100009"};
        static const char* const variables[] = {"fz_a", "fz_b", "fz_c", "fz_bf", "fz_bx", "fz_bro"};
        uint8_t pick = Byte();
        if (pick % 10 == 9)
            Emit("push.v " + IndexVariable() + "\nconv.v.i");
        else
            Emit(named[pick % 10 % 9]);
        std::string variable = "stack." + std::string(variables[(pick / 10) % 6]);
        if (store) {
            Emit(std::string("pop.v.") + Letter(Top()) + " " + variable);
            m_Stack.pop_back();
            return variable;
        }
        Emit("push.v " + variable);
        m_Stack += 'v';
        return variable;
    }

    // One operand of a RealExpression, `levels` deep at most, pushed.
    void Operand(bool local, int levels)
    {
        uint8_t pick = Byte();
        if (levels == 0 || pick % 4 == 0) {
            switch (pick / 4 % 4) {
            case 0:
                Emit("push.v " + (pick & 64 ? IndexVariable(local) : Variable(local)));
                m_Stack += 'v';
                return;
            case 3: InstanceVariable(); return;
            case 1: Emit("push.e " + std::to_string(static_cast<int8_t>(Byte()) % 5)); m_Stack += 'i'; return;
            default: Emit("push.d " + std::to_string(static_cast<int8_t>(Byte()) / 4.0)); m_Stack += 'd'; return;
            }
        }
        static const char* const ops[] = {"add", "sub", "mul", "div", "mod", "rem"};
        Operand(local, levels - 1);
        Operand(local, levels - 1);
        char right = Top(), left = Top(1);
        Emit(std::string(ops[pick / 4 % 6]) + "." + Letter(right) + "." + Letter(left));
        m_Stack.pop_back();
        m_Stack.back() = IsVariable(left) || IsVariable(right) ? 'r' : (left == 'i' && right == 'i' ? 'i' : 'd');
        if ((pick & 128) == 0) return;
        // The result converted, as assignments and indices convert them.
        static const char targets[] = {'i', 'd', 'v'};
        char from = Top(), to = targets[Byte() % 3];
        if (Letter(from) == to) return;
        Emit(std::string("conv.") + Letter(from) + "." + to);
        m_Stack.back() = to == 'v' ? 'r' : to;
    }

    void Step(size_t floor)
    {
        ++m_Ops;
        size_t above = m_Stack.size() - floor;
        uint8_t choice = Byte() % (m_Loops ? 24 : 16);
        switch (choice) {
        case 0:
        case 1: PushConstant(); return;
        case 2: Emit("push.v " + Variable()); m_Stack += 'v'; return;
        case 3:
            if (above < 1) return PushConstant();
            Emit(std::string("pop.v.") + Letter(Top()) + " " + Variable());
            m_Stack.pop_back();
            return;
        case 4:
            if (above < 1) return PushConstant();
            return Convert();
        case 5:
            if (above < 1) return PushConstant();
            Emit(std::string(Byte() & 1 ? "neg." : "not.") + Letter(Top()));
            return;
        case 6:
            if (above >= 2 && IsNumber(Top()) && IsNumber(Top(1))) return Arithmetic();
            if (above >= 2 && m_Concatenations < 10 && IsText(Top()) && IsText(Top(1)))
                return Concatenate();
            return PushConstant();
        case 7:
            if (above < 2) return PushConstant();
            return Compare();
        case 8:
            if (above < 1) return PushConstant();
            return Duplicate();
        case 9:
            if (above < 1) return PushConstant();
            return Pop();
        case 10: return Call(floor);
        case 11:
            if (m_Depth < 4) return With(floor);
            return;
        case 12:
            if (above >= 1 && Top() == 'b' && m_Depth < 4) return Branch(floor);
            if (above >= 1 && (IsNumber(Top()) || Top() == 'v') && m_Depth < 4) return Switch(floor);
            return;
        case 13: return Array(floor);
        case 14:
            if (above >= 2 && (Top(1) == 'i' || Top(1) == 'b' || Top(1) == 'f' || Top(1) == 's')) return Rotate();
            return;
        case 16:
            if (m_Depth < 3) return Loop(floor);
            return;
        case 17: return Joined(floor);
        case 18: return ElementAtVariable(floor);
        case 19: return StoredArithmetic(floor);
        case 20: return VariableWithIntegers(2);
        case 21: return CombinedIntoElement();
        case 22: return BuiltIn(floor);
        case 23: return ElementAtComputedIndex(floor);
        default:
            uint8_t pick = 0; // one byte picks a join of texts or an if/else (else a statement over numbers)
            if (above >= 1 && Top() == 'i')
                Emit("break.e 0xFFFF");
            else if (m_Loops && m_Concatenations < 10 && (pick = Byte()) % 4 == 0)
                TextJoin();
            else if (m_Loops && pick % 4 == 1 && m_Depth < 4)
                IfElseJoined(floor);
            else if (m_Loops)
                RealExpression(floor);
            return;
        }
    }
};

// The scripts that built programs call (100000 + index). The second calls itself with two
// arguments read where each level keeps them, down to six levels, with a local that must survive
// each call and built-ins at the bottom that report the level's locals and make the arguments
// settle, and argument_count read
// by each level after the call returns; the third leaves early
// through exit or runs off its end, by its argument count. The fourth is fib(argument0) (bounded
// to 6) with argument1 returned at the bottom and the two calls' results subtracted: argument tests,
// combinations and returns as the translated form joins them, of whatever values the input passes.
const char* const SCRIPT_SOURCES[] = {
    "call.i fz_first 0\npush.e 2\nmul.i.v\nret.v\n",
    ("push.v self.argument0\npop.v.v local.fz_l\n"
    "push.v self.argument0\npush.e 6\nsgt.i.v\nbt base\n"
    "push.v self.argument0\npush.e 1\nslt.i.v\nbt base\n"
    "push.v self.argument1\npush.v self.argument0\nadd.v.v\n"
    "push.v local.fz_l\npush.e 1\nsub.i.v\ncall.i 100001 2\n"
    "push.v local.fz_l\nadd.v.v\npush.v self.argument_count\nadd.v.v\nret.v\n"
    "base:\ncall.i fz_report 0\npopz.v\ncall.i fz_first 0\npush.v self.argument1\nadd.v.v\nret.v\n"),
    ("push.v self.argument0\npop.v.v global.fz_c\npush.v self.argument_count\npush.e 1\nsgt.i.v\nbf end\n"
    "push.e 4\nexit.i\nend:\n"),
    ("push.v self.argument0\npush.e 6\nsgt.i.v\nbt base\n"
    "push.v self.argument0\npush.e 2\nslt.i.v\nbf more\nbase:\npush.v self.argument1\nret.v\n"
    "more:\npush.v self.argument1\npush.v self.argument0\npush.e 1\nsub.i.v\ncall.i 100003 2\n"
    "push.v self.argument1\npush.v self.argument0\npush.e 2\nsub.i.v\ncall.i 100003 2\nsub.v.v\nret.v\n"),
};
constexpr int32_t SCRIPT_COUNT = 4;
constexpr size_t INSTANCE_COUNT = 4;

// What the fourth instance holds before a run, by two bits of the options: nothing; the programs'
// variables in the opposite order; four others first, so that the programs' go to the shared pool;
// one other, then the programs' in another order. Each lays the variables out otherwise than the
// first instance (of the same object), which sets them as the program reaches them.
void SeedVariables(CVariableList& list, uint8_t layout)
{
    static const char* const orders[][8] = {
        {nullptr},
        {"fz_c", "fz_b", "fz_a", nullptr},
        {"fz_s0", "fz_s1", "fz_s2", "fz_s3", "fz_a", "fz_b", "fz_c", nullptr},
        {"fz_s0", "fz_b", "fz_c", "fz_a", nullptr},
    };
    double real = 0.5;
    for (const char* const* name = orders[layout & 3]; *name != nullptr; ++name, real += 1) {
        ScriptValue value = {VALUE_REAL, 0, real};
        list.SetVar(Code_Variable_Add(*name), -1, &value);
    }
}

// What fz_nest runs: the program's runs, from inside a run of an outer program as a built-in of
// running code starts runs (an instance made in a step runs its create event).
inline std::function<void()>* g_NestedRuns = nullptr;

inline void NestRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (g_NestedRuns != nullptr) (*g_NestedRuns)();
}

struct Setup {
    // Four instances of objects 1, 2, 1 and 1, the third marked for deletion: the first and the fourth
    // are two of one object, whose variables a run may find where the other had them.
    vmtest::FakeWorld world;
    VMAssembly outer; // calls fz_nest
    VMAssembly scripts[SCRIPT_COUNT];
    std::unique_ptr<CCode> scriptCodes[SCRIPT_COUNT];

    Setup()
    {
        static SilentConsole silent;
        MainConsole = &silent;
        ScriptConsole = &silent;
        ScriptHeap_Init();
        Variable_Init();
        for (size_t i = 0; i < INSTANCE_COUNT; ++i)
            world.Add(100001 + static_cast<int32_t>(i), i == 1 ? 2 : 1)->marked = i == 2;
        Function_Add("fz_sum", SumRoutine, FUNCTION_ARGS_ANY);
        Function_Add("fz_first", FirstArgumentRoutine, 0);
        Function_Add("fz_report", ReportRoutine, 0);
        Function_Add("fz_pair", SumRoutine, 2);
        Function_Add("fz_reorder", ReorderRoutine, 2);
        Function_Add("fz_leaf1", LeafRowRoutine<1, Leaf1Answer>, 1, LeafRowLeaf<1, Leaf1Answer>);
        Function_Add("fz_leaf2", LeafRowRoutine<2, Leaf2Answer>, 2, LeafRowLeaf<2, Leaf2Answer>);
        Function_Add("fz_leaf3", LeafRowRoutine<3, Leaf3Answer>, 3, LeafRowLeaf<3, Leaf3Answer>);
        Function_Add("fz_list_read", ListReadRoutine, 2, Leaf_DsListFindValue);
        Function_Add("fz_list_replace", ListReplaceRoutine, 3, Leaf_DsListReplace);
        vmtest::RegisterArgumentVariables();
        vmtest::RegisterFieldRows("fz_bx", "fz_bro"); // built-in number fields
        vmtest::RegisterFloatFieldRow("fz_bf");
        vmtest::RegisterElementFieldRow("fz_ba");
        vmtest::RegisterFloatFieldRow<&vmtest::FakeInstance::second>("fz_bg");
        Function_Add("fz_mix", MixRoutine, FUNCTION_ARGS_ANY);
        Function_Add("fz_text", TextRoutine, 1, nullptr, &TEXT_FORMS);
        Function_Add("fz_len", LengthRoutine, 1, nullptr, &LENGTH_FORMS);
        Function_Add("fz_nest", NestRoutine, 0);
        if (!VM_Assemble("call.i fz_nest 0\npopz.v\n", outer)) __builtin_trap();
        for (int32_t i = 0; i < SCRIPT_COUNT; ++i) {
            if (!VM_Assemble(SCRIPT_SOURCES[i], scripts[i])) __builtin_trap();
            scriptCodes[i] = std::make_unique<CCode>("", false);
            scriptCodes[i]->m_pCode = scripts[i].code.release();
            scriptCodes[i]->m_Compiled = 1;
        }
        g_VMScripts = VMScriptAccess{[](int32_t index) { return index >= 0 && index < SCRIPT_COUNT; },
                                     [](int32_t index) {
                                         return index >= 0 && index < SCRIPT_COUNT ? s_Setup->scriptCodes[index].get()
                                                                                   : nullptr;
                                     },
                                     [](int32_t) { return "fz_script"; }};
    }
    static inline Setup* s_Setup = nullptr;
};


// What a run leaves that every way of running it must agree on: the result, the error, the stack
// bytes left, the branches taken, every variable of the instances and the global scope, and what
// went to the console.
struct Outcome {
    std::string text;
};


inline void Describe(const ScriptValue& result, uint32_t branches, Setup& setup, Outcome* outcome)
{
    testsupport::RecordingConsole dump;
    char line[256];
    const char* text = Value_GetKind(&result) == VALUE_STRING ? Value_GetText(&result) : nullptr;
    std::snprintf(line, sizeof line, "result kind %u real %a text %s\nerror %d %s\nstack %d branches %u\n",
                  static_cast<unsigned>(Value_GetKind(&result)), result.real, text != nullptr ? text : "(none)",
                  static_cast<int>(g_VMEvaluationFailed), g_VMEvaluationError.c_str(),
                  static_cast<int>(VM_LastRunStackBytes()), static_cast<unsigned>(branches));
    dump.text = line;
    for (size_t i = 0; i < INSTANCE_COUNT; ++i) {
        dump.Output("instance %zu fz_bx %a fz_bf %a fz_bg %a\n", i, vmtest::g_Fields[vmtest::AsInstance(setup.world.At(i))],
                    static_cast<double>(setup.world.At(i)->field), static_cast<double>(setup.world.At(i)->second));
        for (int32_t k = 0; k < vmtest::ELEMENT_FIELDS; ++k)
            dump.Output("fz_ba[%d] %a\n", k, vmtest::g_ElementFields[{vmtest::AsInstance(setup.world.At(i)), k}]);
        setup.world.At(i)->variables.DebugDump(&dump);
    }
    dump.Output("global\n");
    Variable_GlobalList()->DebugDump(&dump);
    outcome->text = dump.text;
}

// The instances a walk hands a prepared run, in turn.
struct WalkedInstances {
    static constexpr size_t COUNT = 4;
    CInstance* instances[COUNT];
    size_t next;

    static CInstance* Next(void* walk)
    {
        WalkedInstances& walked = *static_cast<WalkedInstances*>(walk);
        return walked.next < COUNT ? walked.instances[walked.next++] : nullptr;
    }
};

// Builds the program of the input (its first byte the options: breakpoints, a break request, the
// fourth instance's variables), runs it with self and other the first two instances and a result,
// then as a walk runs instances, each its own other and no result taken: the second, the first, the
// fourth (of the first's object) and the second again (the first run of a program makes its
// translated form); then clears everything it left. `prepared`: all
// through one prepared run, as a walk over many instances runs a handler, each from the state the one
// before left where it may. `nested`: the runs from inside a run of an outer program, the prepared
// run made outside it (at another depth). `report` as for the Builder.
inline void RunOnce(Setup& setup, const uint8_t* data, size_t size, bool loops, Outcome* outcome,
                    bool prepared = false, bool report = true, bool nested = false)
{
    uint8_t options = data[0];
    Builder builder(data + 1, size - 1, loops, report);
    std::string source = builder.Build();
    VMAssembly assembly;
    if (!VM_Assemble(source.c_str(), assembly)) __builtin_trap(); // the builder writes only good lines

    // The code as a loaded code entry, so that breakpoints can stand in it.
    Code_ClearEntries();
    Code_SetGameStrings(assembly.strings.texts, assembly.strings.count);
    VM_ClearBreakpoints();
    // Code with a string operand outside its table is refused as a code entry; it still runs.
    bool entry = Code_AddEntry("fuzz", assembly.Bytes(), assembly.Size());
    for (int32_t i = 0; entry && (options & 1) && i < assembly.Size(); i += 4 * (1 + (options >> 4)))
        VM_AddBreakpoint(VM_CodeEntryAddress(0) + static_cast<uint32_t>(i));
    VM_InsertBreakpoints();
    if (options & 2) VM_RequestBreak();

    Debug_EvaluatingExpression = 1;
    g_VMEvaluationFailed = 0;
    g_VMEvaluationError.clear();
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    uint32_t branches = VM_BranchCount();
    VMBuffer view(assembly.code->m_pWords, assembly.Size(), &assembly.strings);
    // Float fields that differ from each other and from instance to instance: a read of the wrong
    // one answers otherwise.
    SeedVariables(setup.world.At(3)->variables, static_cast<uint8_t>(options >> 2));
    FillFuzzList();
    for (size_t i = 0; i < INSTANCE_COUNT; ++i) {
        setup.world.At(i)->field = 0.5f + static_cast<float>(i);
        setup.world.At(i)->second = -1.25f * static_cast<float>(i + 1);
    }
    CInstance* first = vmtest::AsInstance(setup.world.At(0));
    CInstance* second = vmtest::AsInstance(setup.world.At(1));
    CInstance* fourth = vmtest::AsInstance(setup.world.At(3));
    WalkedInstances walk = {{second, first, fourth, second}, 0};
    VMPreparedRun* run = prepared ? VM_PrepareRun("fuzz", &view, nullptr, "") : nullptr;
    std::function<void()> runs = [&] {
        // After the walk, another code's run and the program's once more, as an instance's destroy
        // event runs between two create events: the prepared run starts from the state the walk kept.
        const VMBuffer* other = setup.scriptCodes[0]->m_pCode;
        if (prepared) {
            VM_ExecPrepared(run, first, second, &result);
            VM_ExecPreparedEach(run, WalkedInstances::Next, &walk);
            VM_Exec("other", fourth, fourth, other, nullptr, nullptr, "");
            VM_ExecPrepared(run, fourth, fourth, nullptr);
        } else {
            VM_Exec("fuzz", first, second, &view, &result, nullptr, "");
            for (CInstance* instance : walk.instances) VM_Exec("fuzz", instance, instance, &view, nullptr, nullptr, "");
            VM_Exec("other", fourth, fourth, other, nullptr, nullptr, "");
            VM_Exec("fuzz", fourth, fourth, &view, nullptr, nullptr, "");
        }
    };
    if (nested) {
        g_NestedRuns = &runs;
        VMBuffer outerView(setup.outer.code->m_pWords, setup.outer.Size(), &setup.outer.strings);
        VM_Exec("fuzz outer", first, second, &outerView, nullptr, nullptr, "");
        g_NestedRuns = nullptr;
    } else {
        runs();
    }
    if (run != nullptr) VM_FreePrepared(run);
    Debug_EvaluatingExpression = 0;
    if (outcome != nullptr) Describe(result, VM_BranchCount() - branches, setup, outcome);

    VM_RestoreBreakpoints();
    VM_ClearBreakpoints();
    VM_CancelRequests();
    Code_ClearEntries();
    Value_Free(&result);
    Code_FreeScriptArguments();
    setup.world.Clear();
    Variable_GlobalList()->Clear();
    vmtest::g_Fields.clear();
    vmtest::g_ElementFields.clear();
}

} // namespace programfuzz
