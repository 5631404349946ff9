// The achievement queue: its cache file byte for byte, loads of whole and cut files, the size limit,
// and the post state machine driven the way a platform that answers would drive it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../TestSupport_SaveArea.h"
#include "function/Function_Wexo.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Kind 1 "a" 5, then kind 2 "bb" 1.5.
const Bytes TWO_RECORDS = {0x01, 0, 0, 0, 'a', 0, 0x05, 0, 0, 0, 0x02, 0, 0, 0, 'b', 'b', 0, 0, 0, 0xC0, 0x3F};

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class AchievementQueue : public testing::Test {
  protected:
    void SetUp() override
    {
        m_Area = std::make_unique<testsupport::ScopedSaveArea>("achievements");
        AchievementQueue_Clear();
        AchievementQueue_SetEnabled(true);
    }
    void TearDown() override { AchievementQueue_Clear(); }

    void Add(uint32_t kind, const char* name, uint32_t value) { AchievementQueue_Add(kind, name, &value); }
    Bytes Cache() const
    {
        std::ifstream in(m_Area->Path("playerachievementcache.dat"), std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    void WriteCache(const Bytes& bytes) const
    {
        std::ofstream(m_Area->Path("playerachievementcache.dat"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (AchievementRecord* r = AchievementQueue_Head(); r != nullptr; r = r->next) names.push_back(r->name);
        return names;
    }
    void Steps(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) AchievementQueue_Step();
    }
    std::unique_ptr<testsupport::ScopedSaveArea> m_Area;
};

TEST_F(AchievementQueue, TheCacheHoldsEachRecordAsKindNameAndValue)
{
    AchievementQueue_Save();
    EXPECT_TRUE(std::filesystem::exists(m_Area->Path("playerachievementcache.dat")));
    EXPECT_TRUE(Cache().empty()) << "an empty queue is a file of length 0";
    Add(1, "a", 5);
    Add(2, "bb", Bits(1.5f));
    EXPECT_EQ(TWO_RECORDS, Cache());

    // A load into a queue that holds records changes nothing.
    WriteCache({7, 0, 0, 0, 'z', 0, 1, 0, 0, 0});
    EXPECT_FALSE(AchievementQueue_Load());
    EXPECT_EQ((std::vector<std::string>{"a", "bb"}), Names());
}

TEST_F(AchievementQueue, EveryCutOfTheCacheLoadsTheWholeRecordsBeforeIt)
{
    Bytes cache = TWO_RECORDS;
    cache.insert(cache.end(), {0x04, 0, 0, 0, 'c', 'c', 'c', 0, 0xFF, 0xFF, 0xFF, 0xFF});
    const size_t ends[] = {10, 21, 33};
    for (size_t cut = 0; cut <= cache.size(); ++cut) {
        AchievementQueue_Clear();
        WriteCache(Bytes(cache.begin(), cache.begin() + std::ptrdiff_t(cut)));
        AchievementQueue_Load();
        size_t whole = 0;
        for (size_t end : ends) whole += end <= cut ? 1 : 0;
        ASSERT_EQ(int32_t(whole), AchievementQueue_Count()) << "cut at " << cut;
        size_t kept = whole == 0 ? 0 : ends[whole - 1];
        // The file is rewritten once, holding exactly the records kept; nothing loaded leaves it alone.
        Bytes expected(cache.begin(), cache.begin() + std::ptrdiff_t(whole == 0 ? cut : kept));
        EXPECT_EQ(expected, Cache()) << "cut at " << cut;
    }
    EXPECT_EQ(0xFFFFFFFFu, AchievementQueue_Head()->next->next->value);
}

TEST_F(AchievementQueue, HoldsAtMost2049Records)
{
    for (int32_t i = 0; i < 2050; ++i) Add(1, "n", uint32_t(i));
    EXPECT_EQ(2049, AchievementQueue_Count());
    EXPECT_EQ(2049u * 10, Cache().size());
    Bytes cache = Cache();
    cache.insert(cache.end(), {1, 0, 0, 0, 'x', 0, 0, 0, 0, 0});
    AchievementQueue_Clear();
    WriteCache(cache);
    AchievementQueue_Load();
    EXPECT_EQ(2049, AchievementQueue_Count()) << "a load obeys the same limit";
}

TEST_F(AchievementQueue, APlatformsAnswersMoveTheQueueOn)
{
    Add(1, "first", 10);
    Add(2, "second", Bits(2.5f));
    Add(7, "unknown", 0);
    // Each row: what the platform answers before the steps, how many steps, then the state, the record
    // handed to the platform ("" for none) and the queue's order.
    struct Row {
        int32_t answer;
        int32_t steps;
        int32_t state;
        const char* current;
        std::vector<std::string> order;
    } rows[] = {
        {-1, 1, ACHIEVEMENT_POSTED, "first", {"first", "second", "unknown"}},
        {-1, 5, ACHIEVEMENT_POSTED, "first", {"first", "second", "unknown"}}, // no answer: it waits
        {ACHIEVEMENT_FAILED, 1, ACHIEVEMENT_WAITING, "", {"second", "unknown", "first"}},
        {-1, 599, ACHIEVEMENT_WAITING, "", {"second", "unknown", "first"}},
        {-1, 1, ACHIEVEMENT_IDLE, "", {"second", "unknown", "first"}},
        {-1, 1, ACHIEVEMENT_POSTED, "second", {"second", "unknown", "first"}},
        {ACHIEVEMENT_SUCCEEDED, 1, ACHIEVEMENT_IDLE, "", {"unknown", "first"}},
        {-1, 1, ACHIEVEMENT_WAITING, "", {"first"}}, // a kind with no post is dropped unposted
        {-1, 600, ACHIEVEMENT_IDLE, "", {"first"}},
        // An answer with nothing posted removes and moves nothing.
        {ACHIEVEMENT_SUCCEEDED, 1, ACHIEVEMENT_IDLE, "", {"first"}},
        {ACHIEVEMENT_FAILED, 601, ACHIEVEMENT_IDLE, "", {"first"}},
        {-1, 1, ACHIEVEMENT_POSTED, "first", {"first"}},
        {ACHIEVEMENT_SUCCEEDED, 1, ACHIEVEMENT_IDLE, "", {}},
    };
    for (const Row& row : rows) {
        if (row.answer >= 0) AchievementQueue_SetState(row.answer);
        Steps(row.steps);
        std::string at = "after " + std::to_string(row.steps) + " steps to state " + std::to_string(row.state);
        EXPECT_EQ(row.state, AchievementQueue_State()) << at;
        AchievementRecord* current = AchievementQueue_Current();
        EXPECT_EQ(row.current, std::string(current != nullptr ? current->name : "")) << at;
        EXPECT_EQ(row.order, Names()) << at;
    }
    EXPECT_TRUE(Cache().empty());
}

TEST_F(AchievementQueue, WithoutAServiceTheQueueNeverMovesAndALoadedHeadIsPostedOnce)
{
    WriteCache(TWO_RECORDS);
    AchievementQueue_SetEnabled(false);
    AchievementQueue_Load();
    Steps(700);
    EXPECT_EQ(ACHIEVEMENT_IDLE, AchievementQueue_State());
    EXPECT_EQ(nullptr, AchievementQueue_Current());
    // This platform's services never answer: the head waits for good, and the cache keeps both.
    AchievementQueue_SetEnabled(true);
    Steps(700);
    EXPECT_EQ(ACHIEVEMENT_POSTED, AchievementQueue_State());
    EXPECT_EQ(AchievementQueue_Head(), AchievementQueue_Current());
    EXPECT_EQ(TWO_RECORDS, Cache());
}

} // namespace
