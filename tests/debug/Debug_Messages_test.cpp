// The debugger's messages byte for byte: the typed writers, the status and evaluation replies, the
// reader of evaluation requests (lengths from the network included) and the game-data dump.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Object.h"
#include "debug/Debug_Messages.h"
#include "debug/Debug_Remote.h"
#include "object/Object_Table.h"
#include "run/Run_Globals.h"
#include "script/Script_Table.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& bytes, uint32_t word)
{
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

constexpr uint32_t TRUE_SIZE = 0xFFFFFFFF;

// An evaluation request whose length word is `length`, by default its size.
Bytes Request(const std::vector<std::pair<int32_t, std::string>>& entries, uint32_t count, uint32_t length = TRUE_SIZE)
{
    Bytes bytes;
    for (uint32_t word : {DEBUG_MESSAGE_MAGIC, DEBUG_MESSAGE_SIZE, uint32_t(DEBUGGER_EVALUATE), 0u, count})
        PutWord(bytes, word);
    for (const auto& [id, text] : entries) {
        PutWord(bytes, static_cast<uint32_t>(id));
        PutWord(bytes, static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    uint32_t whole = length != TRUE_SIZE ? length : static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) bytes[12 + i] = static_cast<uint8_t>(whole >> (8 * i));
    return bytes;
}

std::string Text(const char* text) { return std::string(text, std::strlen(text) + 1); }

class DebugMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Slot = Buffer_Create(64, eBuffer_Grow, 1);
        m_Buffer = Buffer_Get(m_Slot);
    }
    void TearDown() override
    {
        Buffer_Delete(m_Slot);
        Debugger_FreeEvaluationInstance();
        g_Paused = 0;
    }
    Bytes Written() const { return Bytes(m_Buffer->m_pData, m_Buffer->m_pData + m_Buffer->m_Position); }

    int32_t m_Slot = -1;
    IBuffer* m_Buffer = nullptr;
};

TEST_F(DebugMessages, WritersGiveTheWireForms)
{
    struct Case {
        const char* what;
        void (*write)(IBuffer*);
        Bytes expected;
    };
    static const uint8_t ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const Case cases[] = {
        {"negative word", [](IBuffer* b) { Debugger_WriteU32(b, -1); }, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"byte keeps its low bits", [](IBuffer* b) { Debugger_WriteU8(b, 0x1AB); }, {0xAB}},
        {"ten bytes padded to twelve", [](IBuffer* b) { Debugger_WriteBytesPadded(b, ten, 10); },
         {10, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 0}},
        {"four bytes unpadded", [](IBuffer* b) { Debugger_WriteBytesPadded(b, ten, 4); }, {4, 0, 0, 0, 1, 2, 3, 4}},
        {"sized string", [](IBuffer* b) { b->WriteSizedString("abc"); }, {4, 0, 0, 0, 0x61, 0x62, 0x63, 0}},
        {"header", [](IBuffer* b) { Debugger_WriteHeader(b, 2); },
         {0xDE, 0xC0, 0x11, 0xBE, 44, 0, 0, 0, 2, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        m_Buffer->Seek(0, 0);
        c.write(m_Buffer);
        EXPECT_EQ(Written(), c.expected) << c.what;
    }
}

TEST_F(DebugMessages, EvaluationRepliesCarryRealsStringsAndFailures)
{
    struct Case {
        const char* text;
        Bytes result; // kind byte and value
    };
    Bytes unable = {1, 19, 0, 0, 0};
    for (char c : std::string("Unable to evaluate")) unable.push_back(static_cast<uint8_t>(c));
    unable.push_back(0);
    const Case cases[] = {
        {"0.5", {0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
        {"1/4", {0, 0, 0, 0, 0, 0, 0, 0xD0, 0x3F}},
        {"\"abc\"", {1, 4, 0, 0, 0, 0x61, 0x62, 0x63, 0}},
        {"1 +", unable},
        {"\"a\" - debugtest_one", unable},
        {"debugtest_nothing_by_this_name()", unable},
    };
    for (const Case& c : cases) {
        Bytes request = Request({{7, Text(c.text)}}, 1);
        m_Buffer->Seek(0, 0);
        Debugger_WriteEvaluation(m_Buffer, request.data(), static_cast<uint32_t>(request.size()));
        Bytes reply = Written();
        Bytes expected = {0xDE, 0xC0, 0x11, 0xBE, 44, 0, 0, 0, 9, 0, 0, 0};
        PutWord(expected, static_cast<uint32_t>(24 + c.result.size()));
        PutWord(expected, 1);
        PutWord(expected, 7);
        expected.insert(expected.end(), c.result.begin(), c.result.end());
        EXPECT_EQ(reply, expected) << c.text;
    }
}

TEST(DebugRequestReader, LengthsFromTheNetworkAreBounded)
{
    struct Case {
        const char* what;
        Bytes request;
        std::vector<std::string> texts;
    };
    Bytes noZero = Request({{1, "12"}}, 1);
    Bytes cutText = Request({{1, Text("1")}, {2, Text("22")}}, 2);
    cutText.resize(cutText.size() - 1);
    Bytes hugeText = Request({{1, Text("1")}}, 1);
    hugeText[24] = 0xFF, hugeText[25] = 0xFF, hugeText[26] = 0xFF, hugeText[27] = 0x7F;
    const Case cases[] = {
        {"text without its zero", noZero, {"12"}},
        {"text ends at its first zero", Request({{1, std::string("ab\0cd", 5)}}, 1), {"ab"}},
        {"count above the entries", Request({{1, Text("1")}}, 1000000), {"1"}},
        {"L ends before the second entry", Request({{1, Text("1")}, {2, Text("2")}}, 2, 30), {"1"}},
        {"L of zero", Request({{1, Text("1")}}, 1, 0), {}},
        {"L past the received bytes", Request({{1, Text("1")}}, 1, 5000), {"1"}},
        {"text longer than the bytes left", hugeText, {}},
        {"last text cut short", cutText, {"1"}},
        {"L below the count word", Request({{1, Text("1")}}, 1, 17), {}},
        {"too short for a length word", Bytes{0xDE, 0xC0, 0x11, 0xBE}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        for (const DebugExpression& e : Debugger_ReadEvaluateRequest(c.request.data(), uint32_t(c.request.size())))
            texts.push_back(e.text);
        EXPECT_EQ(texts, c.texts) << c.what;
    }
}

// The dump of a game with one object that has no events, no scripts and no code.
TEST_F(DebugMessages, GameDataOfAnEmptyGameHasItsTagsAndZeroCounts)
{
    Object_ResetTable();
    Script_Reset();
    Code_ClearEntries();
    ASSERT_EQ(Object_Add(), 0);
    Debugger_WriteGameData(m_Buffer);
    Bytes dump = Written();
    Object_ResetTable();

    Bytes head = {0xDE, 0xC0, 0x11, 0xBE, 44, 0, 0, 0, 2, 0, 0, 0};
    PutWord(head, DEBUG_TAG_VERSION);
    PutWord(head, 1);
    PutWord(head, DEBUG_TAG_CODE);
    PutWord(head, 0);
    PutWord(head, DEBUG_TAG_OBJECTS);
    PutWord(head, 1);
    for (uint32_t word : {0u, 2u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0u, 0xFFFFFFFFu}) PutWord(head, word);
    PutWord(head, 13);
    for (char c : std::string("__newobject0")) head.push_back(static_cast<uint8_t>(c));
    head.push_back(0);
    for (int type = 0; type < DEBUG_EVENT_TYPES_SENT; ++type) PutWord(head, 0);
    PutWord(head, DEBUG_TAG_SCRIPTS);
    PutWord(head, 0);
    PutWord(head, DEBUG_TAG_NAMES);
    ASSERT_GE(dump.size(), head.size());
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(Bytes({0x5F, 0x52, 0x45, 0x56}), Bytes(dump.begin() + 12, dump.begin() + 16)) << "VER_ on the wire";
}

TEST_F(DebugMessages, PauseResumeAndStepSetTheSharedState)
{
    VM_CancelRequests();
    Debugger_BreakOrStep(false);
    Debugger_SetPaused(true);
    EXPECT_TRUE(VM_BreakRequested()) << "pausing keeps a pending break";
    EXPECT_EQ(g_Paused, 1);
    Debugger_BreakOrStep(true);
    EXPECT_TRUE(VM_StepRequested());
    EXPECT_EQ(g_Paused, 0) << "a step lets the game run on";
    Debugger_SetPaused(false);
    EXPECT_FALSE(VM_StepRequested());
    VM_CancelRequests();
    EXPECT_FALSE(Debugger_SetBreakpoint(VM_CODE_ADDRESS_BASE + 2, true)) << "no code lies there";
}

} // namespace
