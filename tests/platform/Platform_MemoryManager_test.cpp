#include "platform/Platform_MemoryManager.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "datastructure/DataStructure_Tables.h"
#include "platform/Platform_FatalEnd.h"
#include "platform/Platform_TestSwitches.h"

#if defined(KELVARO_ASAN)
#define TEST_NO_ASAN __attribute__((no_sanitize("address")))
#else
#define TEST_NO_ASAN
#endif

namespace {

// The header is poisoned in the sanitizer build; the test reads it the way the manager does.
TEST_NO_ASAN uint32_t HeaderWord(const void* block, int index)
{
    uint32_t word;
    std::memcpy(&word, static_cast<const unsigned char*>(block) - 16 + 4 * index, sizeof word);
    return word;
}

// The three bands' byte totals and the block count.
using Totals = std::vector<uint32_t>;
Totals Now()
{
    return {MemoryManager::TotalBytes(0), MemoryManager::TotalBytes(1), MemoryManager::TotalBytes(2),
            MemoryManager::BlockCount()};
}
Totals Moved(const Totals& before, int64_t bytes, int64_t blocks)
{
    return {static_cast<uint32_t>(before[0] + bytes), static_cast<uint32_t>(before[1] + bytes),
            static_cast<uint32_t>(before[2] + bytes), static_cast<uint32_t>(before[3] + blocks)};
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(MemoryManager, HeaderTotalsSizesAndZeroRequests)
{
    Totals before = Now();
    EXPECT_EQ(nullptr, MEM_ALLOC(0, true));
    EXPECT_EQ(nullptr, MemoryManager::AllocAligned(0, 64, __FILE__, __LINE__, false));

    void* block = MEM_ALLOC(100, false);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ((Totals{100, 0xDEADC0DEu, 0xBAADB00Bu, 0}),
              (Totals{HeaderWord(block, 0), HeaderWord(block, 1), HeaderWord(block, 2), HeaderWord(block, 3)}));
    EXPECT_EQ(Moved(before, 100, 1), Now());
    EXPECT_EQ(block, MEM_REALLOC(block, 100)); // the same size keeps the block
    EXPECT_EQ(nullptr, MEM_REALLOC(block, 0)); // size 0 frees
    EXPECT_EQ(Moved(before, 0, 0), Now());

    // A block from the runtime heap goes back there.
    void* foreign = std::malloc(48);
    EXPECT_EQ(0u, MemoryManager::GetSize(foreign));
    MemoryManager::Free(foreign); // the sanitizer build reports a leak or a bad free if this is wrong
    EXPECT_EQ(Moved(before, 0, 0), Now());
}

TEST(MemoryManager, ReAllocKeepsBytesAndZeroFillsTheTail)
{
    // A block of the grown size freed with other bytes in it first: the grown block may be that one.
    auto* dirty = static_cast<unsigned char*>(MEM_ALLOC(20, false));
    std::memset(dirty, 0xFF, 20);
    MemoryManager::Free(dirty);
    auto* block = static_cast<unsigned char*>(MEM_ALLOC(10, false));
    for (int i = 0; i < 10; ++i) block[i] = static_cast<unsigned char>(0xA0 + i);
    Totals before = Now();
    auto* grown = static_cast<unsigned char*>(MEM_REALLOC(block, 20));
    EXPECT_EQ(Moved(before, 10, 0), Now());
    for (int i = 0; i < 20; ++i) EXPECT_EQ(i < 10 ? 0xA0 + i : 0, grown[i]) << i;
    MemoryManager::Free(grown);

    // Null allocates cleared.
    auto* fresh = static_cast<unsigned char*>(MEM_REALLOC(nullptr, 64));
    EXPECT_EQ(std::string(64, '\0'), std::string(reinterpret_cast<char*>(fresh), 64));
    MemoryManager::Free(fresh);
}

// A block takes another size in place only within the room of its allocation step; the contents
// stay, the header and the totals follow, and anything but a plain block is refused untouched.
TEST(MemoryManager, ResizeInPlaceWithinTheStepOnly)
{
    const struct {
        size_t size, to;
        bool fits;
    } cases[] = {{5, 16, true}, {16, 3, true}, {17, 32, true}, {10, 17, false}, {33, 33, true}, {200, 208, true},
                 {300, 400, false}, {8, 0, false}};
    for (const auto& c : cases) {
        auto* block = static_cast<unsigned char*>(MEM_ALLOC(c.size, false));
        std::memset(block, 0x5A, c.size);
        Totals before = Now();
        EXPECT_EQ(c.fits, MemoryManager::Resize(block, c.to)) << c.size << " to " << c.to;
        size_t now = c.fits ? c.to : c.size;
        EXPECT_EQ(now, HeaderWord(block, 0)) << c.size << " to " << c.to;
        EXPECT_EQ(Moved(before, static_cast<int64_t>(now) - static_cast<int64_t>(c.size), 0), Now());
        for (size_t i = 0; i < std::min(now, c.size); ++i) ASSERT_EQ(0x5A, block[i]) << i;
        std::memset(block, 0x11, now); // the whole new size is the block's (the sanitizer build checks)
        MemoryManager::Free(block);
    }
    void* foreign = std::malloc(16);
    EXPECT_FALSE(MemoryManager::Resize(foreign, 8));
    std::free(foreign);
    EXPECT_FALSE(MemoryManager::Resize(nullptr, 8));
}

TEST(MemoryManager, AlignedBlocksAndTheirMarker)
{
    bool sawMoved = false;
    for (int attempt = 0; attempt < 64; ++attempt) {
        Totals before = Now();
        auto* block = static_cast<unsigned char*>(
            MemoryManager::AllocAligned(100, 64, __FILE__, __LINE__, true));
        ASSERT_EQ(0u, reinterpret_cast<uintptr_t>(block) % 64);
        EXPECT_EQ(Moved(before, 100 + 64 - 1, 1), Now());
        for (int i = 0; i < 100; ++i) block[i] = 7; // the whole area is usable
        uint32_t marker;
        std::memcpy(&marker, block - 4, sizeof marker);
        if (HeaderWord(block, 1) == 0xDEADC0DEu && HeaderWord(block, 2) == 0xBAADB00Bu) {
            // Not moved: an ordinary block that Free releases.
            MemoryManager::Free(block);
            EXPECT_EQ(Moved(before, 0, 0), Now());
            continue;
        }
        sawMoved = true;
        EXPECT_NE(0u, marker & 0x80000000u);
        uint32_t offset = marker & 0x7FFFFFFFu;
        ASSERT_LT(offset, 64u);
        EXPECT_EQ(100u + 63u, HeaderWord(block - offset, 0));
        MemoryManager::Free(block); // left alone, totals and all
        EXPECT_EQ(Moved(before, 100 + 64 - 1, 1), Now());
    }
    EXPECT_TRUE(sawMoved);
}

TEST(MemoryManager, DumpUsagePrintsTheTotal)
{
    testing::internal::CaptureStdout();
    MemoryManager::DumpUsage();
    std::string line = testing::internal::GetCapturedStdout();
    uint32_t total = MemoryManager::TotalBytes(0);
    char expected[80];
    std::snprintf(expected, sizeof expected, "Total memory used = %d(0x%08x) bytes\n",
                  static_cast<int32_t>(total), total);
    EXPECT_EQ(expected, line);
}

class MemoryManagerDeath : public testing::TestWithParam<size_t> {};

// One request the heap cannot serve: headless, the message goes to the log and the process ends
// with -1.
TEST_P(MemoryManagerDeath, OutOfMemoryIsLoggedThenFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string log = testing::TempDir() + "oom_" + std::to_string(GetParam()) + ".log";
    std::remove(log.c_str());
    size_t request = GetParam();
    EXPECT_EXIT(
        {
            Platform_MarkProgramStarted();
            setenv("KELVARO_HEADLESS", "1", 1);
            TestSwitches_Reload();
            Console_SetLogFile(CONSOLE_MAIN, log.c_str());
            // A freed empty block first: a request whose rounding wraps must not be served by it.
            MemoryManager::Free(MemoryManager::AllocBasic(0));
            MEM_ALLOC(request, false);
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EQ("Fatal Memory Error: Out of Memory!\n", ReadFile(log));
}

INSTANTIATE_TEST_SUITE_P(Requests, MemoryManagerDeath,
                         testing::Values(size_t(0xFFFFFF00u), size_t(1) << 33, SIZE_MAX - 3));

#if !defined(KELVARO_ASAN)
// Where a test keeps a block, so that the compiler cannot leave its allocation out.
char* volatile g_Kept = nullptr;

// Allows the process 64 MB of address space beyond what it has mapped already.
void LimitAddressSpace()
{
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    statm >> pages;
    rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t(64) << 20);
    rlimit bounds = {limit, limit};
    setrlimit(RLIMIT_AS, &bounds);
}

// Allocations through operator new and the standard containers that the address space cannot hold
// end as the memory manager's do: the message in the log and exit code -1, never an abort.
TEST(MemoryManagerDeath, FailedOperatorNewIsLoggedThenFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* name;
        std::function<void()> allocate;
    } cases[] = {
        {"vector", [] { std::vector<double> values(size_t(1) << 28, 1.0); }},
        {"array_new", [] { g_Kept = new char[size_t(1) << 30]; }},
        {"aligned_new", [] { g_Kept = new (std::align_val_t(64)) char[size_t(1) << 30]; }},
        {"string", [] { std::string text(size_t(1) << 30, 'x'); }},
        {"grid", [] { DS_NewGrid(10000, 10000); }},
    };
    for (const auto& row : cases) {
        std::string log = testing::TempDir() + "oom_new_" + row.name + ".log";
        std::remove(log.c_str());
        EXPECT_EXIT(
            {
                Platform_MarkProgramStarted();
                setenv("KELVARO_HEADLESS", "1", 1);
                TestSwitches_Reload();
                Console_SetLogFile(CONSOLE_MAIN, log.c_str());
                LimitAddressSpace();
                row.allocate();
            },
            testing::ExitedWithCode(255), "")
            << row.name;
        EXPECT_EQ("Fatal Memory Error: Out of Memory!\n", ReadFile(log)) << row.name;
    }
}
#endif

#if !defined(KELVARO_ASAN)
// A small block freed is handed out again for the next request of its 16-byte step, with a header
// and totals of the new request and every byte of the new size usable; a second free of it is
// reported and does not let two later requests share it.
TEST(MemoryManager, FreedSmallBlocksServeTheNextRequestOfTheirStep)
{
    const struct {
        size_t first, second;
    } cases[] = {{1, 16}, {16, 1}, {17, 32}, {100, 112}, {256, 241}};
    for (const auto& c : cases) {
        void* block = MEM_ALLOC(c.first, false);
        Totals before = Now();
        MemoryManager::Free(block);
        EXPECT_EQ(Moved(before, -static_cast<int64_t>(c.first), -1), Now()) << c.first;
        auto* again = static_cast<unsigned char*>(MEM_ALLOC(c.second, true));
        EXPECT_EQ(block, again) << c.first << " then " << c.second;
        EXPECT_EQ(std::string(c.second, '\0'), std::string(reinterpret_cast<char*>(again), c.second)) << c.second;
        EXPECT_EQ((Totals{static_cast<uint32_t>(c.second), 0xDEADC0DEu, 0xBAADB00Bu}),
                  (Totals{HeaderWord(again, 0), HeaderWord(again, 1), HeaderWord(again, 2)}));
        EXPECT_EQ(Moved(before, static_cast<int64_t>(c.second) - static_cast<int64_t>(c.first), 0), Now());
        std::memset(again, 0xEE, c.second);
        MemoryManager::Free(again);
    }

    void* twice = MEM_ALLOC(40, false);
    MemoryManager::Free(twice);
    testing::internal::CaptureStdout();
    MemoryManager::Free(twice);
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("is not a block"));
    void* first = MEM_ALLOC(40, false);
    void* second = MEM_ALLOC(40, false);
    EXPECT_NE(first, second);
    MemoryManager::Free(first);
    MemoryManager::Free(second);
}
#endif

#if !defined(KELVARO_ASAN)
// Records (an instance's) are kept by the hundred, as a room destroys its instances at the frame's
// end and makes as many the next: each freed one is counted out at once and serves a later request
// of its size, newest first, with a header of the new request; one of another size is not taken, a
// record freed twice is reported, and past the bound on kept bytes records go back.
TEST(MemoryManager, FreedRecordsServeTheNextOfTheirSize)
{
    // The first row fills the bound (2 MiB): only the first 20 freed are kept.
    const struct {
        size_t size, count, kept;
    } cases[] = {{100000, 40, 20}, {416, 2000, 2000}, {300, 1500, 1500}};
    for (const auto& c : cases) {
        std::vector<void*> blocks;
        for (size_t i = 0; i < c.count; ++i) blocks.push_back(MemoryManager::AllocRecord(c.size));
        Totals before = Now();
        for (void* block : blocks) MemoryManager::FreeRecord(block);
        EXPECT_EQ(Moved(before, -static_cast<int64_t>(c.size * c.count), -static_cast<int64_t>(c.count)), Now());
        void* other = MemoryManager::AllocRecord(c.size + 16);
        EXPECT_NE(blocks[c.kept - 1], other) << c.size << ": another size";
        for (size_t i = 0; i < c.kept; ++i) {
            auto* again = static_cast<unsigned char*>(MemoryManager::AllocRecord(c.size));
            EXPECT_EQ(blocks[c.kept - 1 - i], again) << c.size << " #" << i;
            EXPECT_EQ(static_cast<uint32_t>(c.size), HeaderWord(again, 0)) << c.size;
        }
        MemoryManager::Free(other);
        // The kept ones are in use again: free them all for the next row.
        for (size_t i = 0; i < c.kept; ++i) MemoryManager::Free(blocks[i]);
    }
    void* twice = MemoryManager::AllocRecord(416);
    MemoryManager::FreeRecord(twice);
    testing::internal::CaptureStdout();
    MemoryManager::FreeRecord(twice);
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("is not a block"));
    void* first = MemoryManager::AllocRecord(416);
    void* second = MemoryManager::AllocRecord(416);
    EXPECT_NE(first, second);
    MemoryManager::FreeRecord(first);
    MemoryManager::FreeRecord(second);
}
#endif

#if defined(KELVARO_ASAN)
TEST(MemoryManagerSanitizer, WritePastTheEndAndUseAfterFreeAreReported)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto* block = static_cast<volatile unsigned char*>(MEM_ALLOC(13, false));
            block[13] = 1;
        },
        "AddressSanitizer");
    EXPECT_DEATH(
        {
            auto* block = static_cast<volatile unsigned char*>(MEM_ALLOC(32, true));
            MemoryManager::Free(const_cast<unsigned char*>(block));
            std::printf("%d\n", block[3]);
        },
        "AddressSanitizer");
}
#endif
