// The debugger's side of the interpreter: code addresses, the breakpoint table and its words in the
// code, breakpoints and break requests that run the instruction in place, stepping, and the debug
// block.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Code_InterpreterSupport.h"
#include "Code_TestBuffer.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Emitter.h"
#include "code/Code_Object.h"

using namespace vmtest;

namespace {

TestBuffer* g_Block = nullptr;
bool g_SeenStep = false;
bool g_SeenBreak = false;

void BlockRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) { VM_DebugWriteInstance(g_Block); }
void ProbeRoutine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    g_SeenStep = VM_StepRequested();
    g_SeenBreak = VM_BreakRequested();
}
bool IdGetter(CInstance* instance, int32_t, ScriptValue* out) { return (out->real = instance ? AsFake(instance)->id : 0), true; }
bool ObjectGetter(CInstance* instance, int32_t, ScriptValue* out) { return (out->real = instance ? AsFake(instance)->object : 0), true; }
bool XGetter(CInstance*, int32_t, ScriptValue* out) { return (out->real = 12.5), true; }

// Reads back what the debug block wrote, from the start.
struct BlockReader {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
    template <typename T> T Next()
    {
        T number{};
        std::memcpy(&number, bytes.data() + at, sizeof number);
        at += sizeof number;
        return number;
    }
    std::string SizedString()
    {
        uint32_t length = Next<uint32_t>();
        std::string text(reinterpret_cast<const char*>(bytes.data() + at), length - 1);
        at += length;
        return text;
    }
};

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
    RunOutcome RunEntry(int32_t entry)
    {
        const CodeEntry* code = Code_GetEntry(entry);
        VMBuffer view(const_cast<uint8_t*>(code->words), code->length);
        return RunQuietly(&view, nullptr, nullptr);
    }
    int32_t FilledSlots() const
    {
        int32_t filled = 0;
        for (const VMBreakpoint& slot : g_VMBreakpoints) filled += slot.address != VM_NO_ADDRESS;
        return filled;
    }

    std::vector<std::unique_ptr<VMAssembly>> m_Entries;
};

constexpr uint32_t BASE = VM_CODE_ADDRESS_BASE;

TEST_F(BreakpointTest, EntriesHaveTheirOwnAddressesAndOnlyInstructionWordsTakeBreakpoints)
{
    int32_t first = AddEntry("push.d 1\npopz.d\n"); // 16 bytes
    int32_t second = AddEntry("push.e 1\npopz.i\n");
    EXPECT_EQ(VM_CodeEntryAddress(first), BASE);
    EXPECT_EQ(VM_CodeEntryAddress(second), BASE + 16);
    EXPECT_EQ(VM_CodeWordsAddress(Code_GetEntry(second)->words), BASE + 16);
    // The operand of push.d, inside a word, before the code and elsewhere are refused.
    for (uint32_t address : {BASE + 4, BASE + 2, BASE - 4, 0x00401000u}) EXPECT_EQ(VM_AddBreakpoint(address), VM_BREAKPOINT_FULL);
    EXPECT_EQ(FilledSlots(), 0);
    EXPECT_EQ(VM_AddBreakpoint(BASE + 12), 0);
    EXPECT_EQ(VM_AddBreakpoint(BASE + 12), 0); // the same address twice is kept once
    EXPECT_EQ(FilledSlots(), 1);
    VM_ClearBreakpoints();
    // The table holds 255; a removed slot is the next one filled.
    std::string words;
    for (int32_t i = 0; i < 150; ++i) words += "push.e 1\npopz.i\n";
    AddEntry(words);
    uint32_t table = BASE + 32;
    for (uint32_t i = 0; i < 255; ++i) ASSERT_EQ(VM_AddBreakpoint(table + 4 * i), static_cast<int32_t>(i));
    EXPECT_EQ(VM_AddBreakpoint(table + 4 * 255), VM_BREAKPOINT_FULL);
    EXPECT_EQ(VM_RemoveBreakpoint(table + 4 * 7), 7);
    EXPECT_EQ(VM_RemoveBreakpoint(table + 4 * 7), VM_BREAKPOINT_FULL);
    EXPECT_EQ(VM_AddBreakpoint(table + 4 * 255), 7);
}

TEST_F(BreakpointTest, TextCodeHasARangeUntilItIsDeleted)
{
    AddEntry("push.d 1\npopz.d\n");
    auto first = std::make_unique<CCode>("vmtest_t = 1.5;", false);
    auto second = std::make_unique<CCode>("vmtest_u = 2;", false);
    ASSERT_TRUE(first->Compile("first"));
    ASSERT_TRUE(second->Compile("second"));
    uint32_t a = VM_CodeAddress(first.get()), b = VM_CodeAddress(second.get());
    EXPECT_EQ(a, VM_TEXT_CODE_ADDRESS_BASE);
    EXPECT_EQ(b, a + static_cast<uint32_t>((first->m_pCode->m_Size + 3) & ~3));
    EXPECT_EQ(VM_CodeWordsAddress(second->m_pCode->m_pWords), b);
    EXPECT_EQ(VM_TextCodeFrom(a + 1), second.get());
    // The push.d operand is no instruction; the word after it is, and takes the break word.
    EXPECT_EQ(VM_AddBreakpoint(a + 4), VM_BREAKPOINT_FULL);
    ASSERT_EQ(VM_AddBreakpoint(a + 12), 0);
    ASSERT_EQ(VM_AddBreakpoint(b), 1);
    VM_InsertBreakpoints();
    EXPECT_EQ(VM_ReadWord(first->m_pCode->m_pWords, 12), VM_BREAKPOINT_WORD);
    VM_RestoreBreakpoints();
    // Deleting the code frees its slots and its range, which the next code reuses.
    first.reset();
    EXPECT_EQ(FilledSlots(), 1);
    EXPECT_EQ(VM_AddBreakpoint(a + 12), VM_BREAKPOINT_FULL);
    auto third = std::make_unique<CCode>("vmtest_t = 3;", false);
    ASSERT_TRUE(third->Compile("third"));
    EXPECT_EQ(VM_CodeAddress(third.get()), a);
}

// Freed ranges join their free neighbours and are taken again, the smallest that holds the code
// first; the rest of the space follows the highest range still in use.
TEST_F(BreakpointTest, TextCodeRangesAreReusedAndJoined)
{
    const char* one = "vmtest_t = 1.5;";
    const char* two = "vmtest_t = 1.5; vmtest_u = 2.5;";
    uint32_t length = 0, longer = 0;
    {
        CCode first(one, false), second(two, false);
        ASSERT_TRUE(first.Compile("probe") && second.Compile("probe"));
        length = (static_cast<uint32_t>(first.m_pCode->m_Size) + 3u) & ~3u;
        longer = (static_cast<uint32_t>(second.m_pCode->m_Size) + 3u) & ~3u;
    }
    ASSERT_GT(longer, length);
    ASSERT_LE(longer, 2 * length);
    std::map<char, std::unique_ptr<CCode>> codes;
    // Offsets in the text space in steps of `length`; P is the longer code.
    const struct {
        const char* step; // "+x" makes x, "-x" deletes it
        uint32_t expected;
    } steps[] = {
        {"+a", 0}, {"+b", 1}, {"+c", 2}, {"+d", 3}, // the probes' ranges were given back
        {"-b", 0}, {"+e", 1},                       // a freed range is taken again
        {"-e", 0}, {"-a", 0}, {"+P", 0},            // two freed neighbours joined hold the longer code
        {"+f", 4}, {"-d", 0}, {"+g", 3},            // the rest of the joined range is too short
        {"-c", 0}, {"-g", 0}, {"-f", 0}, {"-P", 0}, {"+h", 0}, // all given back: from the start again
    };
    for (const auto& [step, expected] : steps) {
        SCOPED_TRACE(step);
        if (step[0] == '-') {
            codes.erase(step[1]);
            continue;
        }
        auto& code = codes[step[1]] = std::make_unique<CCode>(step[1] == 'P' ? two : one, false);
        ASSERT_TRUE(code->Compile("text"));
        EXPECT_EQ(VM_CodeAddress(code.get()), VM_TEXT_CODE_ADDRESS_BASE + expected * length);
    }
}

TEST_F(BreakpointTest, InsertAndRestorePatchTheCodeWords)
{
    // The operand of push.d 2 read as a word would be an instruction with an operand of its own.
    int32_t entry = AddEntry("push.d 2\npopz.d\npush.e 2\npopz.i\n");
    uint32_t original = WordOf(entry, 0);
    VM_AddBreakpoint(BASE);
    VM_AddBreakpoint(BASE + 16);
    VM_InsertBreakpoints();
    EXPECT_EQ(WordOf(entry, 0), VM_BREAKPOINT_WORD);
    EXPECT_EQ(WordOf(entry, 16), VM_BREAKPOINT_WORD);
    EXPECT_EQ(WordOf(entry, 12), VM_MakeWord(VM_OP_POPZ, VM_TYPE_DOUBLE));
    // Instructions are counted through a breakpoint by the word it stands in for.
    EXPECT_EQ(VM_AddBreakpoint(BASE + 12), 2);
    VM_RestoreBreakpoints();
    EXPECT_EQ(WordOf(entry, 0), original);
    EXPECT_EQ(WordOf(entry, 16), VM_MakeWord(VM_OP_PUSH, VM_TYPE_IMMEDIATE, 0, 2));
}

TEST_F(BreakpointTest, BreakpointsAndBreakRequestsRunTheInstructionInPlace)
{
    // On a push: the push runs once and the breakpoint stays.
    int32_t push = AddEntry("push.d 2.5\nconv.d.v\n");
    uint32_t original = WordOf(push, 0);
    // In a loop: on the add (inside the loop) and on the final push, run every round.
    int32_t loop = AddEntry("push.e 0\nconv.i.v\npop.v.v global.vmtest_i\ntop:\npush.v global.vmtest_i\npush.e 1\n"
                            "add.i.v\npop.v.v global.vmtest_i\npush.v global.vmtest_i\npush.e 10\nslt.i.v\nbt top\n"
                            "push.v global.vmtest_i\n");
    uint32_t loopBase = VM_CodeEntryAddress(loop);
    for (uint32_t address : {BASE, loopBase + 28, loopBase + 60}) VM_AddBreakpoint(address);
    VM_InsertBreakpoints();
    RunOutcome once = RunEntry(push);
    EXPECT_FALSE(once.failed) << once.error;
    EXPECT_EQ(once.Real(), 2.5);
    EXPECT_EQ(WordOf(push, 0), VM_BREAKPOINT_WORD);
    RunOutcome rounds = RunEntry(loop);
    EXPECT_FALSE(rounds.failed) << rounds.error;
    EXPECT_EQ(rounds.Real(), 10);
    EXPECT_EQ(WordOf(loop, 28), VM_BREAKPOINT_WORD);
    VM_RestoreBreakpoints();
    EXPECT_EQ(WordOf(push, 0), original);

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
    Program program("call.i vmtest_probe 0\npopz.v\npush.e 1\npop.v.i global.vmtest_a\npush.e 2\npop.v.i global.vmtest_b\n");
    VMWriteBuffer lines(16), oneLine(16);
    uint32_t pairs[] = {0, 0, 24, 6};
    lines.WriteWords(4, pairs);
    lines.Finish();
    oneLine.WriteWords(2, pairs);
    oneLine.Finish();
    // Stepping from line 0: the probe on line 0 still sees the step; line 1 turns it into a break,
    // which runs its instruction and is used up.
    VM_RequestStep(text, 0);
    RunOutcome outcome = RunQuietly(program.Code(), nullptr, nullptr, true, &lines, text);
    EXPECT_FALSE(outcome.failed);
    EXPECT_TRUE(g_SeenStep);
    EXPECT_FALSE(g_SeenBreak);
    EXPECT_FALSE(VM_StepRequested());
    EXPECT_FALSE(VM_BreakRequested());
    EXPECT_EQ(Global("vmtest_b"), 2);
    // Without a change of line the step stays requested; another code's text differs at once.
    VM_RequestStep(text, 0);
    RunQuietly(program.Code(), nullptr, nullptr, true, &oneLine, text);
    EXPECT_TRUE(VM_StepRequested());
    VM_RequestStep("some other code", 0);
    RunQuietly(program.Code(), nullptr, nullptr, true, &oneLine, text);
    EXPECT_FALSE(g_SeenStep);
    EXPECT_FALSE(VM_StepRequested());
}

TEST_F(BreakpointTest, TheDebugBlock)
{
    TestBuffer idle;
    VM_DebugWriteInstance(&idle);
    EXPECT_EQ(idle.Bytes(), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    const char* place = "x";
    int32_t line = 7;
    EXPECT_FALSE(VM_CurrentSourcePlace(&place, &line));
    EXPECT_EQ(place, nullptr);
    EXPECT_EQ(line, -1);

    // Rows of these names that other tests of the process registered (an x without a getter) would
    // be found before these.
    Variable_BuiltIn_FreeNames();
    Variable_BuiltIn_Add("id", IdGetter, nullptr, false);
    Variable_BuiltIn_Add("object_index", ObjectGetter, nullptr, false);
    Variable_BuiltIn_Add("x", XGetter, nullptr, false);
    FakeWorld world;
    FakeInstance* self = world.Add(100007, 4);
    FakeInstance* other = world.Add(100008, 5);
    // The string operand indexes the game's string table.
    const char* strings[] = {"hi"};
    Code_SetGameStrings(strings, 1);
    int32_t entry = AddEntry("push.e 3\npop.v.i local.vmtest_loc\npush.s \"hi\"\npop.v.s global.vmtest_greeting\n"
                             "call.i vmtest_block 0\npopz.v\n");
    TestBuffer block;
    g_Block = &block;
    const CodeEntry* code = Code_GetEntry(entry);
    VMBuffer view(const_cast<uint8_t*>(code->words), code->length, Code_GameStrings());
    RunQuietly(&view, AsInstance(self), AsInstance(other));
    g_Block = nullptr;

    BlockReader read{block.Bytes()};
    // The code address, the position after the call, self and other, then the locals and globals.
    const uint32_t head[] = {BASE, 36, 100007, 100008, 1, static_cast<uint32_t>(Code_Variable_Find("vmtest_loc")), VALUE_REAL};
    for (uint32_t word : head) EXPECT_EQ(read.Next<uint32_t>(), word);
    EXPECT_EQ(read.Next<double>(), 3);
    for (uint32_t word : {1u, static_cast<uint32_t>(Code_Variable_Find("vmtest_greeting")), uint32_t{VALUE_STRING}})
        EXPECT_EQ(read.Next<uint32_t>(), word);
    EXPECT_EQ(read.SizedString(), "hi");
    EXPECT_EQ(read.Next<uint32_t>(), 100007u); // id
    EXPECT_EQ(read.Next<uint32_t>(), 4u);      // object_index
    EXPECT_EQ(read.Next<float>(), 12.5f);      // x
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(read.Next<float>(), 0.0f); // the other motion values
    // sprite to path values, then no physics body.
    EXPECT_EQ(block.Bytes().size() - read.at, 4u + 4 + 4 + 4 + 4 + 48 + 4 + 4 + 4 + 4 + 4 + 4 + 4);
}

} // namespace
