// The debugger's side of the interpreter: code addresses, the breakpoint table and its words in the
// code, breakpoints and break requests that run the instruction in place, stepping, and the debug
// block.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Code_InterpreterSupport.h"
#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Emitter.h"
#include "variable/Variable_BuiltIn.h"

using namespace vmtest;

namespace {

// A buffer of the typed writes the debug block uses, each at the buffer's position.
class RecordingBuffer : public IBuffer {
public:
    RecordingBuffer() { m_OwnsMemory = 0; }
    int32_t Write(int32_t type, const ScriptValue* value) override
    {
        uint8_t bytes[8];
        std::vector<uint8_t> text;
        size_t length = 0;
        switch (type) {
        case eBuffer_U32: {
            uint32_t number = static_cast<uint32_t>(static_cast<int64_t>(value->real));
            std::memcpy(bytes, &number, 4);
            length = 4;
            break;
        }
        case eBuffer_F32: {
            float number = static_cast<float>(value->real);
            std::memcpy(bytes, &number, 4);
            length = 4;
            break;
        }
        case eBuffer_F64:
            std::memcpy(bytes, &value->real, 8);
            length = 8;
            break;
        case eBuffer_String: {
            const char* chars = Value_GetText(value);
            if (chars == nullptr) chars = "";
            text.assign(chars, chars + std::strlen(chars) + 1);
            break;
        }
        default: return -1;
        }
        const uint8_t* from = text.empty() ? bytes : text.data();
        if (!text.empty()) length = text.size();
        size_t end = static_cast<size_t>(m_Position) + length;
        if (end > m_Bytes.size()) m_Bytes.resize(end);
        std::memcpy(m_Bytes.data() + m_Position, from, length);
        m_Position = static_cast<int32_t>(end);
        return 0;
    }
    int32_t Read(int32_t, ScriptValue* value) override
    {
        Value_SetReal(value, -3);
        return 0;
    }

    // Reading back, from the start.
    uint32_t U32()
    {
        uint32_t number = 0;
        std::memcpy(&number, m_Bytes.data() + m_Read, 4);
        m_Read += 4;
        return number;
    }
    float F32()
    {
        float number = 0;
        std::memcpy(&number, m_Bytes.data() + m_Read, 4);
        m_Read += 4;
        return number;
    }
    double F64()
    {
        double number = 0;
        std::memcpy(&number, m_Bytes.data() + m_Read, 8);
        m_Read += 8;
        return number;
    }
    std::string SizedString()
    {
        uint32_t length = U32();
        std::string text(reinterpret_cast<const char*>(m_Bytes.data() + m_Read), length - 1);
        m_Read += length;
        return text;
    }
    size_t Size() const { return m_Bytes.size(); }
    size_t ReadAt() const { return m_Read; }

private:
    std::vector<uint8_t> m_Bytes;
    size_t m_Read = 0;
};

RecordingBuffer* g_Block = nullptr;
bool g_SeenStep = false;
bool g_SeenBreak = false;

void BlockRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { VM_DebugWriteInstance(g_Block); }

void ProbeRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    g_SeenStep = VM_StepRequested();
    g_SeenBreak = VM_BreakRequested();
}

bool IdGetter(CInstance* instance, int32_t, ScriptValue* out)
{
    out->real = instance != nullptr ? AsFake(instance)->id : 0;
    return true;
}

bool ObjectGetter(CInstance* instance, int32_t, ScriptValue* out)
{
    out->real = instance != nullptr ? AsFake(instance)->object : 0;
    return true;
}

bool XGetter(CInstance*, int32_t, ScriptValue* out)
{
    out->real = 12.5;
    return true;
}

class BreakpointTest : public InterpreterTest {
protected:
    void SetUp() override
    {
        InterpreterTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("vmtest_block", &id)) {
            Function_Add("vmtest_block", BlockRoutine, 0);
            Function_Add("vmtest_probe", ProbeRoutine, 0);
        }
        Code_ClearEntries();
        Code_SetGameStrings(nullptr, 0);
        VM_Init();
        VM_CancelRequests();
    }
    void TearDown() override
    {
        VM_ClearBreakpoints();
        VM_CancelRequests();
        Code_ClearEntries();
        InterpreterTest::TearDown();
    }

    // Adds a code entry of the assembled source; answers its index.
    int32_t AddEntry(const std::string& source)
    {
        m_Entries.push_back(std::make_unique<VMAssembly>());
        VMAssembly& assembly = *m_Entries.back();
        EXPECT_TRUE(VM_Assemble(source.c_str(), assembly)) << assembly.error;
        EXPECT_TRUE(Code_AddEntry("entry", assembly.Bytes(), assembly.Size()));
        return Code_EntryCount() - 1;
    }
    uint32_t WordOf(int32_t entry, int32_t offset) const { return VM_ReadWord(Code_GetEntry(entry)->words, offset); }
    RunOutcome RunEntry(int32_t entry, const VMBuffer* debugInfo = nullptr, const char* text = "")
    {
        const CodeEntry* code = Code_GetEntry(entry);
        VMBuffer view(const_cast<uint8_t*>(code->words), code->length);
        return RunQuietly(&view, nullptr, nullptr, true, debugInfo, text);
    }
    int32_t FilledSlots() const
    {
        int32_t filled = 0;
        for (const VMBreakpoint& slot : g_VMBreakpoints) filled += slot.address != VM_NO_ADDRESS;
        return filled;
    }

    std::vector<std::unique_ptr<VMAssembly>> m_Entries;
};

// n instructions of one word each, then a result.
std::string Words(int32_t count)
{
    std::string source;
    for (int32_t i = 0; i < count / 2; ++i) source += "push.e 1\npopz.i\n";
    return source;
}

} // namespace

TEST_F(BreakpointTest, EachCodeEntryHasItsOwnAddresses)
{
    int32_t first = AddEntry("push.d 1\npopz.d\n"); // 16 bytes
    int32_t second = AddEntry("push.e 1\npopz.i\n");
    EXPECT_EQ(VM_CodeEntryAddress(first), VM_CODE_ADDRESS_BASE);
    EXPECT_EQ(VM_CodeEntryAddress(second), VM_CODE_ADDRESS_BASE + 16);
    EXPECT_EQ(VM_CodeEntryAddress(2), 0u);
    EXPECT_EQ(VM_CodeWordsAddress(Code_GetEntry(second)->words), VM_CODE_ADDRESS_BASE + 16);
    uint8_t elsewhere[8] = {};
    EXPECT_EQ(VM_CodeWordsAddress(elsewhere), 0u);
}

TEST_F(BreakpointTest, OnlyInstructionWordsOfLoadedCodeTakeBreakpoints)
{
    AddEntry("push.d 1\npopz.d\n");
    uint32_t base = VM_CODE_ADDRESS_BASE;
    EXPECT_EQ(VM_AddBreakpoint(base + 4), VM_BREAKPOINT_FULL);  // the operand of push.d
    EXPECT_EQ(VM_AddBreakpoint(base + 2), VM_BREAKPOINT_FULL);  // inside a word
    EXPECT_EQ(VM_AddBreakpoint(base + 16), VM_BREAKPOINT_FULL); // past the end
    EXPECT_EQ(VM_AddBreakpoint(base - 4), VM_BREAKPOINT_FULL);
    EXPECT_EQ(VM_AddBreakpoint(0x00401000u), VM_BREAKPOINT_FULL);
    EXPECT_EQ(FilledSlots(), 0);
    EXPECT_EQ(VM_AddBreakpoint(base + 12), 0);
    // The same address twice is kept once.
    EXPECT_EQ(VM_AddBreakpoint(base + 12), 0);
    EXPECT_EQ(FilledSlots(), 1);
    EXPECT_EQ(g_VMBreakpoints[0].savedWord, WordOf(0, 12));
}

TEST_F(BreakpointTest, TheTableHolds255)
{
    AddEntry(Words(300));
    for (uint32_t i = 0; i < 255; ++i) ASSERT_EQ(VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 4 * i), static_cast<int32_t>(i));
    EXPECT_EQ(VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 4 * 255), VM_BREAKPOINT_FULL);
    EXPECT_EQ(FilledSlots(), 255);
    EXPECT_EQ(VM_RemoveBreakpoint(VM_CODE_ADDRESS_BASE + 4 * 7), 7);
    EXPECT_EQ(VM_RemoveBreakpoint(VM_CODE_ADDRESS_BASE + 4 * 7), VM_BREAKPOINT_FULL);
    EXPECT_EQ(VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 4 * 255), 7);
    VM_ClearBreakpoints();
    EXPECT_EQ(FilledSlots(), 0);
}

TEST_F(BreakpointTest, InsertAndRestorePatchTheCodeWords)
{
    // The operand of push.d 2 read as a word would be an instruction with an operand of its own.
    int32_t entry = AddEntry("push.d 2\npopz.d\npush.e 2\npopz.i\n");
    uint32_t original = WordOf(entry, 0);
    VM_AddBreakpoint(VM_CODE_ADDRESS_BASE);
    VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 16);
    VM_InsertBreakpoints();
    EXPECT_EQ(WordOf(entry, 0), VM_BREAKPOINT_WORD);
    EXPECT_EQ(WordOf(entry, 16), VM_BREAKPOINT_WORD);
    EXPECT_EQ(WordOf(entry, 12), VM_MakeWord(VM_OP_POPZ, VM_TYPE_DOUBLE));
    // Instructions are counted through a breakpoint by the word it stands in for.
    EXPECT_EQ(VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 12), 2);
    VM_RestoreBreakpoints();
    EXPECT_EQ(WordOf(entry, 0), original);
    EXPECT_EQ(WordOf(entry, 16), VM_MakeWord(VM_OP_PUSH, VM_TYPE_IMMEDIATE, 0, 2));
}

TEST_F(BreakpointTest, ABreakpointOnAPushRunsThePushOnceAndStaysInPlace)
{
    int32_t entry = AddEntry("push.d 2.5\nconv.d.v\n");
    uint32_t original = WordOf(entry, 0);
    VM_AddBreakpoint(VM_CODE_ADDRESS_BASE);
    VM_InsertBreakpoints();
    RunOutcome outcome = RunEntry(entry);
    EXPECT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.Real(), 2.5);
    EXPECT_EQ(outcome.leftOnStack, 0);
    EXPECT_EQ(WordOf(entry, 0), VM_BREAKPOINT_WORD);
    VM_RestoreBreakpoints();
    EXPECT_EQ(WordOf(entry, 0), original);
}

TEST_F(BreakpointTest, ABreakpointInALoopRunsItsInstructionEveryRound)
{
    int32_t entry = AddEntry("push.e 0\nconv.i.v\npop.v.v global.vmtest_i\n"
                             "top:\npush.v global.vmtest_i\npush.e 1\nadd.i.v\npop.v.v global.vmtest_i\n"
                             "push.v global.vmtest_i\npush.e 10\nslt.i.v\nbt top\npush.v global.vmtest_i\n");
    // Breakpoints on the add (inside the loop) and on the final push.
    VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 28);
    VM_AddBreakpoint(VM_CODE_ADDRESS_BASE + 60);
    VM_InsertBreakpoints();
    RunOutcome outcome = RunEntry(entry);
    EXPECT_FALSE(outcome.failed) << outcome.error;
    EXPECT_EQ(outcome.Real(), 10);
    EXPECT_EQ(WordOf(entry, 28), VM_BREAKPOINT_WORD);
    EXPECT_EQ(WordOf(entry, 60), VM_BREAKPOINT_WORD);
}

TEST_F(BreakpointTest, ABreakRequestRunsTheNextInstructionInPlace)
{
    VM_RequestBreak();
    EXPECT_TRUE(VM_BreakRequested());
    EXPECT_EQ(RunProgram("push.e 4\nconv.i.v").Real(), 4);
    EXPECT_FALSE(VM_BreakRequested());
    // A break word written in the code itself runs as nothing instead of finding itself forever.
    EXPECT_EQ(RunProgram("break.e 0\npush.e 5\nconv.i.v").Real(), 5);
}

TEST_F(BreakpointTest, AStepBecomesABreakWhenTheLineChanges)
{
    // Line 0 is "a = 1", line 1 "b = 2"; the second line's code starts at offset 24.
    const char* text = "a = 1\nb = 2\n";
    Program program("call.i vmtest_probe 0\npopz.v\npush.e 1\npop.v.i global.vmtest_a\n"
                    "push.e 2\npop.v.i global.vmtest_b\n");
    VMWriteBuffer lines(16);
    uint32_t pairs[] = {0, 0, 24, 6};
    lines.WriteWords(4, pairs);
    lines.Finish();

    // Stepping from line 0: the probe on line 0 still sees the step; line 1 turns it into a break.
    VM_RequestStep(text, 0);
    RunOutcome outcome = RunQuietly(program.Code(), nullptr, nullptr, true, &lines, text);
    EXPECT_FALSE(outcome.failed);
    EXPECT_TRUE(g_SeenStep);
    EXPECT_FALSE(g_SeenBreak);
    EXPECT_FALSE(VM_StepRequested());
    EXPECT_FALSE(VM_BreakRequested()); // the break ran its instruction and was used up
    EXPECT_EQ(Global("vmtest_b"), 2);

    // Without a change of line the step stays requested.
    VMWriteBuffer oneLine(16);
    uint32_t onePair[] = {0, 0};
    oneLine.WriteWords(2, onePair);
    oneLine.Finish();
    VM_RequestStep(text, 0);
    RunQuietly(program.Code(), nullptr, nullptr, true, &oneLine, text);
    EXPECT_TRUE(VM_StepRequested());
    // Another code's text differs at once.
    VM_RequestStep("some other code", 0);
    RunQuietly(program.Code(), nullptr, nullptr, true, &oneLine, text);
    EXPECT_FALSE(g_SeenStep);
    EXPECT_FALSE(VM_StepRequested());
}

TEST_F(BreakpointTest, TheDebugBlock)
{
    RecordingBuffer idle;
    VM_DebugWriteInstance(&idle);
    EXPECT_EQ(idle.Size(), 4u);
    EXPECT_EQ(idle.U32(), 0xFFFFFFFFu);
    const char* place = "x";
    int32_t line = 7;
    EXPECT_FALSE(VM_CurrentSourcePlace(&place, &line));
    EXPECT_EQ(place, nullptr);
    EXPECT_EQ(line, -1);

    if (Variable_BuiltIn_Find("id") < 0) {
        Variable_BuiltIn_Add("id", IdGetter, nullptr, false);
        Variable_BuiltIn_Add("object_index", ObjectGetter, nullptr, false);
        Variable_BuiltIn_Add("x", XGetter, nullptr, false);
    }
    FakeWorld world;
    FakeInstance* self = world.Add(100007, 4);
    FakeInstance* other = world.Add(100008, 5);
    // The string operand indexes the game's string table.
    const char* strings[] = {"hi"};
    Code_SetGameStrings(strings, 1);
    int32_t entry = AddEntry("push.e 3\npop.v.i local.vmtest_loc\npush.s \"hi\"\npop.v.s global.vmtest_greeting\n"
                             "call.i vmtest_block 0\npopz.v\n");
    RecordingBuffer block;
    g_Block = &block;
    const CodeEntry* code = Code_GetEntry(entry);
    VMBuffer view(const_cast<uint8_t*>(code->words), code->length, Code_GameStrings());
    RunQuietly(&view, AsInstance(self), AsInstance(other));
    g_Block = nullptr;

    EXPECT_EQ(block.U32(), VM_CODE_ADDRESS_BASE);
    EXPECT_EQ(block.U32(), 36u); // after the call
    EXPECT_EQ(block.U32(), 100007u);
    EXPECT_EQ(block.U32(), 100008u);
    EXPECT_EQ(block.U32(), 1u); // locals
    EXPECT_EQ(block.U32(), static_cast<uint32_t>(Code_Variable_Find("vmtest_loc")));
    EXPECT_EQ(block.U32(), VALUE_REAL);
    EXPECT_EQ(block.F64(), 3);
    EXPECT_EQ(block.U32(), 1u); // globals
    EXPECT_EQ(block.U32(), static_cast<uint32_t>(Code_Variable_Find("vmtest_greeting")));
    EXPECT_EQ(block.U32(), VALUE_STRING);
    EXPECT_EQ(block.SizedString(), "hi");
    EXPECT_EQ(block.U32(), 100007u); // id
    EXPECT_EQ(block.U32(), 4u);      // object_index
    EXPECT_EQ(block.F32(), 12.5f);   // x
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(block.F32(), 0.0f); // the other motion values
    // sprite to path values, then no physics body.
    size_t state = 4 + 4 + 4 + 4 + 4 + 48 + 4 + 4 + 4 + 4 + 4 + 4;
    EXPECT_EQ(block.Size() - block.ReadAt(), state + 4);
}
