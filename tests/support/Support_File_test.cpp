#include "support/Support_File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_DiskFull.h"
#include "../TestSupport_SaveArea.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_FileReplace.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"
#include "support/Support_Timing.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

fs::path Fresh(const std::string& name)
{
    fs::path folder = fs::path(testing::TempDir()) / ("support_file_" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void Touch(const fs::path& path, const std::string& text = "x") { std::ofstream(path, std::ios::binary) << text; }

std::string ReadBytes(const fs::path& path)
{
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace

TEST(Folders, CreateTestAndDeleteTrees)
{
    fs::path root = Fresh("folders");
    std::string deep = (root / "a" / "b" / "c").string() + "/";
    // Made, found, made again; then refused for an empty name and below a file.
    Touch(root / "file");
    EXPECT_EQ((std::vector<bool>{true, true, true, false, false}),
              (std::vector<bool>{Directory_Create(deep.c_str()), Directory_Exists(deep.c_str()),
                                 Directory_Create(deep.c_str()), Directory_Create(""),
                                 Directory_Create((root / "file" / "sub").c_str())}));
    EXPECT_FALSE(fs::exists(root / "file" / "sub"));
    // Files are neither folders nor devices.
    EXPECT_EQ((std::vector<bool>{true, false, false, false}),
              (std::vector<bool>{File_Exists((root / "file").c_str()), File_Exists(deep.c_str()),
                                 Directory_Exists((root / "file").c_str()), File_Exists("/dev/null")}));
    File_CreatePathFolders((root / "x" / "y" / "z.txt").c_str());
    EXPECT_TRUE(fs::is_directory(root / "x" / "y"));

    // A read-only file, a read-only folder's content and an entry named first are all deleted.
    Touch(root / "a" / "!first");
    Touch(root / "a" / "b" / "locked");
    chmod((root / "a" / "b" / "locked").c_str(), 0444);
    EXPECT_TRUE(File_DeleteTree((root / "a").c_str()));
    EXPECT_FALSE(fs::exists(root / "a"));
    EXPECT_FALSE(File_DeleteTree((root / "missing").c_str()));

    // The temporary folder is made under TMPDIR and deleted with its contents.
    const char* old = std::getenv("TMPDIR");
    std::string saved = old != nullptr ? old : "";
    setenv("TMPDIR", root.c_str(), 1);
    ASSERT_TRUE(File_InitTempDirectory());
    char* made = File_GetTempDirectory();
    std::string folder = made;
    MemoryManager::Free(made);
    EXPECT_EQ(folder.rfind(root.string() + "/kv_ttt_", 0), 0u) << folder;
    Touch(fs::path(folder) / "scratch");
    File_DeleteTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    if (old != nullptr) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
    fs::remove_all(root);
}

TEST(Patterns, WildcardsIgnoreCase)
{
    struct Case {
        const char *name, *pattern;
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
const TimingClock FAKE_CLOCK = {
    [] { return g_FakeNow += 100; }, // every reading moves the clock 100 microseconds
    [](int64_t milliseconds) {
        ++g_PlatformSleeps;
        g_SleptMilliseconds += milliseconds;
        g_FakeNow += milliseconds * 1000;
    }};

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

// Both writers replace a file whole; on a full disk they answer false and leave the old file
// byte-identical, with no temporary file left beside it.
TEST(FileReplace, WritesReplaceTheFileWholeOrNotAtAll)
{
    testsupport::ScopedSaveArea area("replace"); // where the save-area writer maps a name to itself
    const std::string folder = area.Path("replace"), path = folder + "/file.bin";
    fs::create_directories(folder);
    using Writer = bool (*)(const char* path, const void* data, int32_t size);
    const std::pair<const char*, Writer> writers[] = {{"File_ReplaceWhole", File_ReplaceWhole},
                                                       {"LoadSave_WriteSaveAreaFile", LoadSave_WriteSaveAreaFile}};
    struct Case {
        std::string old; // "": no file yet
        std::string data;
        rlim_t limit; // the largest file the process may write, 0 for no limit
    };
    const Case cases[] = {
        {"", "fresh", 0},
        {"a much longer old text than the new one", "short", 0},
        {"something", "", 0},
        {"", std::string(100000, 'z'), 0},
        {"old contents\r\n\x1A\x00 kept"s, std::string(256 * 1024, 'n'), 8192},
    };
    for (const auto& [name, write] : writers) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(name) + " " + c.data.substr(0, 8));
            fs::remove(path);
            if (!c.old.empty()) Touch(path, c.old);
            bool written = false;
            {
                std::optional<testsupport::FileSizeLimit> limit;
                if (c.limit != 0) limit.emplace(c.limit);
                written = write(path.c_str(), c.data.data(), static_cast<int32_t>(c.data.size()));
            }
            EXPECT_EQ(c.limit == 0, written);
            EXPECT_EQ(c.limit == 0 ? c.data : c.old, ReadBytes(path));
            EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), {}));
        }
    }
    EXPECT_FALSE(File_ReplaceWhole((folder + "/missing/folder/file").c_str(), "x", 1));
    EXPECT_FALSE(File_ReplaceWhole(folder.c_str(), "x", 1)); // a folder cannot be replaced by a file
    EXPECT_FALSE(File_ReplaceWhole("", "x", 1));
    EXPECT_FALSE(File_ReplaceWhole(nullptr, "x", 1));
    EXPECT_FALSE(File_ReplaceWhole((folder + "/negative").c_str(), "x", -1));
    // The save-area writer makes the missing folders first.
    EXPECT_TRUE(LoadSave_WriteSaveAreaFile((folder + "/made/here/file").c_str(), "x", 1));
    EXPECT_EQ("x", ReadBytes(folder + "/made/here/file"));
}

TEST(WriteFile, TrueOnlyWhenEveryByteIsWritten)
{
    fs::path path = fs::path(testing::TempDir()) / "support_write_file.bin";
    EXPECT_TRUE(_WriteFile(path.c_str(), "abc", 3));
    EXPECT_EQ(fs::file_size(path), 3u);
    fs::remove(path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(_WriteFile("/no/such/folder/file.bin", "abc", 3));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "_WriteFile: No such file or directory\n");
    // A device that is always full takes nothing.
    std::vector<char> big(1 << 16, 'x');
    EXPECT_FALSE(_WriteFile("/dev/full", big.data(), static_cast<int32_t>(big.size())));
}
