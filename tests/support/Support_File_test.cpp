#include "support/Support_File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform_MemoryManager.h"
#include "support/Support_Timing.h"

namespace fs = std::filesystem;

namespace {

fs::path Fresh(const std::string& name)
{
    fs::path folder = fs::path(testing::TempDir()) / ("support_file_" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string Take(char* text)
{
    std::string copy = text != nullptr ? text : "<null>";
    MemoryManager::Free(text);
    return copy;
}

void Touch(const fs::path& path, const std::string& text = "x")
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(Folders, CreateTestAndDeleteTrees)
{
    fs::path root = Fresh("folders");
    std::string deep = (root / "a" / "b" / "c").string() + "/";
    EXPECT_TRUE(Directory_Create(deep.c_str()));
    EXPECT_TRUE(Directory_Exists(deep.c_str()));
    EXPECT_TRUE(Directory_Create(deep.c_str()));
    EXPECT_FALSE(Directory_Create(""));
    Touch(root / "file");
    EXPECT_FALSE(Directory_Create((root / "file" / "sub").c_str()));
    EXPECT_FALSE(fs::exists(root / "file" / "sub"));
    EXPECT_TRUE(File_Exists((root / "file").c_str()));
    EXPECT_FALSE(File_Exists(deep.c_str()));
    EXPECT_FALSE(Directory_Exists((root / "file").c_str()));
    EXPECT_FALSE(File_Exists("/dev/null"));

    File_CreatePathFolders((root / "x" / "y" / "z.txt").c_str());
    EXPECT_TRUE(fs::is_directory(root / "x" / "y"));

    // A read-only file, a read-only folder's content and an entry named first are all deleted.
    Touch(root / "a" / "!first");
    Touch(root / "a" / "b" / "locked");
    chmod((root / "a" / "b" / "locked").c_str(), 0444);
    EXPECT_TRUE(File_DeleteTree((root / "a").c_str()));
    EXPECT_FALSE(fs::exists(root / "a"));
    EXPECT_FALSE(File_DeleteTree((root / "missing").c_str()));
    fs::remove_all(root);
}

TEST(TempFolder, MadeUnderTmpdirAndDeletedWithItsContents)
{
    fs::path base = Fresh("temp");
    const char* old = std::getenv("TMPDIR");
    std::string saved = old != nullptr ? old : "";
    setenv("TMPDIR", base.c_str(), 1);
    ASSERT_TRUE(File_InitTempDirectory());
    std::string folder = Take(File_GetTempDirectory());
    EXPECT_EQ(folder.rfind(base.string() + "/kv_ttt_", 0), 0u) << folder;
    EXPECT_TRUE(fs::is_directory(folder));
    Touch(fs::path(folder) / "scratch");
    File_DeleteTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    if (old != nullptr) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
    fs::remove_all(base);
}

TEST(Patterns, WildcardsIgnoreCase)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Save1.TXT", "*.txt", true}, {"readme", "*.*", true},    {"a.b.c", "*.c", true},
        {"abc", "a?c", true},         {"ac", "a?c", false},       {"abc", "*", true},
        {"", "*", true},              {"abc", "", false},         {"data", "data.*", true},
        {"data.x", "dat?.*", true},   {"abcd", "a*b*c", false},   {"aaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
    };
    for (const Case& c : cases) EXPECT_EQ(File_MatchPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

namespace {

int64_t g_FakeNow = 0;
int32_t g_PlatformSleeps = 0;
int64_t g_SleptMilliseconds = 0;
int64_t FakeNow() { return g_FakeNow += 100; } // every reading moves the clock 100 microseconds
void FakeSleep(int64_t milliseconds)
{
    ++g_PlatformSleeps;
    g_SleptMilliseconds += milliseconds;
    g_FakeNow += milliseconds * 1000;
}
const TimingClock FAKE_CLOCK = {FakeNow, FakeSleep};

} // namespace

TEST(Timing, ShortWaitsSpinAndLongOnesAreCapped)
{
    Timing_SetClock(&FAKE_CLOCK);
    struct Case {
        int64_t wait;
        int32_t sleeps;
        int64_t slept;
    };
    const Case cases[] = {{1500, 0, 0}, {0, 0, 0}, {-3, 0, 0}, {2000, 1, 1}, {10000000, 1, 2999}};
    for (const Case& c : cases) {
        g_PlatformSleeps = 0;
        g_SleptMilliseconds = 0;
        Timing_Init();
        int64_t before = Timing_Time();
        Timing_Sleep(c.wait);
        EXPECT_EQ(g_PlatformSleeps, c.sleeps) << c.wait;
        EXPECT_EQ(g_SleptMilliseconds, c.slept) << c.wait;
        if (c.wait > 0) {
            EXPECT_GE(Timing_Time() - before, std::min<int64_t>(c.wait, 3000000)) << c.wait;
        }
    }
    Timing_SetClock(nullptr);
}
