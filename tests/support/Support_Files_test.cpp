// Files and folders: save-area and bundle names, whole files and memory files, folder trees,
// whole-file replacement.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_DiskFull.h"
#include "../TestSupport_SaveArea.h"
#include "app/App_CommandLine.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_File.h"
#include "support/Support_FileReplace.h"
#include "support/Support_MemoryFile.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Save(const char* name, int32_t capacity = 2048)
{
    std::vector<char> path(static_cast<size_t>(capacity), 'x');
    LoadSave_SaveAreaPath(path.data(), capacity, name);
    return path.data();
}

std::string Bundle(const char* name)
{
    char path[2048];
    LoadSave_BundlePath(path, sizeof path, name);
    return path;
}

// A game folder "game" with data.txt beside its game file, and a save area, under one home; the
// game runs from its own folder.
TEST(Mapping, NamesFromTheGameFolder)
{
    testsupport::ScopedSaveArea area("mapping");
    fs::path game = area.Root() / "game", here = fs::current_path();
    std::string bundle = game.string() + "/";
    WriteBytes(game / "data.txt", "bundle");
    fs::current_path(game);
    App_SetGameFileName((game / "data.win").c_str());
    App_ResetPaths();
    Variable_ResetWorkingDirectory();
    Variable_InitWorkingDirectory((game / "data.win").c_str());
    std::string outside = (area.Root() / "elsewhere" / "x.txt").string(), inside = area.Path("inside.sav");
    std::string tooLong(5000, 'n');
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"saves\\slot1.sav", area.Path("saves/slot1.sav"), bundle + "saves/slot1.sav"},
        {"./a/../b.txt", area.Path("b.txt"), bundle + "b.txt"},
        {"../../../../../../../../x", "", ""},
        {outside.c_str(), "", ""},
        {"Data.TXT", area.Path("Data.TXT"), bundle + "data.txt"},
        {inside.c_str(), inside, ""},
        {"", "", ""},
        {tooLong.c_str(), "", ""}};
    for (const auto& [name, save, bundled] : cases) {
        EXPECT_EQ(Save(name), save) << name;
        EXPECT_EQ(Bundle(name), bundled) << name;
    }
    // A path one byte too long for the buffer is refused without writing past it.
    std::string fits = Save("data.txt");
    EXPECT_EQ(Save("data.txt", static_cast<int32_t>(fits.size()) + 1), fits);
    EXPECT_EQ(Save("data.txt", static_cast<int32_t>(fits.size())), "");

    // Picked in a dialog: allowed from then on, whatever the letter case.
    LoadSave_AllowWrite(outside.c_str());
    std::string shouted = outside;
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Save(shouted.c_str()), shouted);
    EXPECT_EQ(Bundle(outside.c_str()), "");
    LoadSave_AllowRead(outside.c_str());
    EXPECT_EQ(Bundle(outside.c_str()), outside);

    // Whole files: a missing one, a folder; text reads skip a byte-order mark.
    WriteBytes(area.Path("bom.txt"), "\xEF\xBB\xBF");
    fs::create_directories(area.Path("folder"));
    int32_t size = -1;
    EXPECT_EQ(LoadSave_ReadSaveAreaFile("missing.bin", &size), nullptr);
    EXPECT_EQ((std::vector<bool>{true, false, false}),
              (std::vector<bool>{LoadSave_FileExistsBundle("data.txt"), LoadSave_FileExistsSaveArea("data.txt"),
                                 LoadSave_FileExistsSaveArea("folder")}));
    MemoryFile* bom = MemoryFile_Open("bom.txt", "rt");
    MemoryFile* binary = MemoryFile_Open("bom.txt", "rb");
    ASSERT_TRUE(bom != nullptr && binary != nullptr);
    EXPECT_EQ((std::vector<int32_t>{3, 0}), (std::vector<int32_t>{MemoryFile_Tell(bom), MemoryFile_Tell(binary)}));
    MemoryFile_Free(bom);
    MemoryFile_Free(binary);

    fs::current_path(here);
    LoadSave_ClearAllowed();
    Variable_ResetWorkingDirectory();
    App_ClearGameFileName();
}

// The game file as given: its working directory, and where the loader's mapping of that same name
// puts it ("." for the current folder). A file in the root has the root as its folder.
TEST(Mapping, TheGameFileMapsToItselfWhereverItLies)
{
    const std::string here = fs::current_path().string();
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/game.win", "/", "/game.win"},
        {"//game.win", "/", "/game.win"},
        {"/nothere.win", "/", "/nothere.win"},
        {"\\game.win", "\\", "/game.win"},
        {"/srv/games/game.win", "/srv/games", "/srv/games/game.win"},
        {"a/b.win", "a", here + "/a/b.win"},
        {"./game.win", ".", here + "/game.win"},
        {"game.win", "", here + "/game.win"}};
    for (const auto& [given, folder, mapped] : cases) {
        App_SetGameFileName(given);
        App_ResetPaths();
        Variable_ResetWorkingDirectory();
        Variable_InitWorkingDirectory(given);
        EXPECT_STREQ(folder, Variable_WorkingDirectory()) << given;
        EXPECT_EQ(mapped, Bundle(given)) << given;
    }
    Variable_ResetWorkingDirectory();
    App_ClearGameFileName();
    App_ResetPaths();
}

TEST(MemoryFile, ReadsStayInsideTheData)
{
    const uint8_t bytes[] = {'a', 0xFF, '\r', '\n', 'z'};
    MemoryFile* file = MemoryFile_FromBytes(bytes, 5, false);
    EXPECT_EQ(MemoryFile_GetChar(file), 'a');
    EXPECT_EQ(MemoryFile_GetChar(file), 0xFF); // a byte, not the end
    EXPECT_TRUE(MemoryFile_Eoln(file));
    MemoryFile_Seek(file, 1, 2);
    EXPECT_EQ(MemoryFile_GetChar(file), 'z');
    EXPECT_EQ(MemoryFile_GetChar(file), -1);
    EXPECT_EQ(MemoryFile_Tell(file), 6); // the end still moves on
    // Below the start reads as past the end.
    uint8_t out[8] = {};
    MemoryFile_Seek(file, -5, 0);
    EXPECT_TRUE(MemoryFile_Eof(file));
    EXPECT_EQ(MemoryFile_GetChar(file), -1);
    EXPECT_EQ(MemoryFile_Read(out, 1, 8, file), 0);
    MemoryFile_Seek(file, 2, 0);
    EXPECT_EQ(MemoryFile_Read(out, 2, 4, file), 3);
    EXPECT_EQ(std::memcmp(out, "\r\nz", 3), 0);
    MemoryFile_Seek(file, INT32_MAX, 0);
    MemoryFile_Seek(file, INT32_MAX, 1);
    EXPECT_EQ(MemoryFile_Tell(file), INT32_MAX);
    MemoryFile_Free(file);

    // A number ends with the data, even inside its exponent.
    MemoryFile* number = MemoryFile_FromBytes(reinterpret_cast<const uint8_t*>("\r\n-2.5e"), 7, false);
    double read = -1;
    MemoryFile_ReadReal(number, &read);
    EXPECT_EQ(read, -2.5);
    EXPECT_EQ(MemoryFile_Tell(number), 6);
    MemoryFile_Free(number);
}

std::string ReadBytes(const fs::path& path)
{
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace

TEST(Folders, FilesAreNotFoldersAndTreesAreDeletedWhole)
{
    testsupport::ScopedSaveArea area("folders");
    fs::path root = area.Root();
    WriteBytes(root / "file", "x");
    EXPECT_EQ((std::vector<bool>{false, false, false, false}),
              (std::vector<bool>{Directory_Create((root / "file" / "sub").c_str()), File_Exists(root.c_str()),
                                 Directory_Exists((root / "file").c_str()), File_Exists("/dev/null")}));
    // A read-only file and an entry sorting before "." and ".." go with their folder.
    WriteBytes(root / "a" / "!first", "x");
    WriteBytes(root / "a" / "b" / "locked", "x");
    chmod((root / "a" / "b" / "locked").c_str(), 0444);
    EXPECT_TRUE(File_DeleteTree((root / "a").c_str()));
    EXPECT_FALSE(fs::exists(root / "a"));
    EXPECT_FALSE(File_DeleteTree((root / "missing").c_str()));

}

TEST(Patterns, WildcardsIgnoreCaseAndNeverBacktrackForEver)
{
    EXPECT_EQ((std::vector<bool>{true, true, false, false}),
              (std::vector<bool>{File_MatchPattern("Save1.TXT", "*.txt"), File_MatchPattern("data", "data.*"),
                                 File_MatchPattern("abcd", "a*b*c"), File_MatchPattern("aaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c")}));
}

// Both writers replace a file whole; on a full disk they answer false and leave the old file
// byte-identical, with no temporary file left beside it.
TEST(FileReplace, WritesReplaceTheFileWholeOrNotAtAll)
{
    testsupport::ScopedSaveArea area("replace"); // where the save-area writer maps a name to itself
    const std::string folder = area.Path("replace"), path = folder + "/file.bin";
    fs::create_directories(folder);
    using Writer = bool (*)(const char* path, const void* data, int32_t size);
    const Writer writers[] = {File_ReplaceWhole, LoadSave_WriteSaveAreaFile};
    const std::tuple<std::string, std::string, rlim_t> cases[] = { // old text ("": none), new text, size limit
        {"", "fresh", 0},
        {"a much longer old text than the new one", "short", 0},
        {"old contents\r\n\x1A\x00 kept"s, std::string(256 * 1024, 'n'), 8192}};
    for (Writer write : writers) {
        for (const auto& [old, data, limit] : cases) {
            fs::remove(path);
            if (!old.empty()) WriteBytes(path, old);
            bool written = false;
            {
                std::optional<testsupport::FileSizeLimit> full;
                if (limit != 0) full.emplace(limit);
                written = write(path.c_str(), data.data(), static_cast<int32_t>(data.size()));
            }
            EXPECT_EQ(limit == 0, written) << old;
            EXPECT_EQ(limit == 0 ? data : old, ReadBytes(path));
            EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), {}));
        }
    }
    // A missing folder, a folder in the way, no name, a negative size.
    const std::pair<std::string, int32_t> refused[] = {
        {folder + "/missing/folder/file", 1}, {folder, 1}, {"", 1}, {folder + "/negative", -1}};
    for (const auto& [name, size] : refused) EXPECT_FALSE(File_ReplaceWhole(name.c_str(), "x", size)) << name;
    // The save-area writer makes the missing folders first.
    EXPECT_TRUE(LoadSave_WriteSaveAreaFile((folder + "/made/here/file").c_str(), "x", 1));
    EXPECT_EQ("x", ReadBytes(folder + "/made/here/file"));
}

// Every writer's path: the folders of a name inside the save area are made, even the save folder
// itself on a first run; a name mapped outside it is refused and makes nothing.
TEST(FileReplace, TheWritePathMakesFoldersOnlyInsideTheSaveArea)
{
    testsupport::ScopedSaveArea area("writepath");
    fs::remove_all(area.Folder());
    const std::string outside = (area.Root() / "outside").string();
    const std::tuple<std::string, std::string, bool> cases[] = { // name, folder made or not, allowed
        {"shots/one.png", area.Path("shots"), true},
        {area.Path("deep/er/two.png"), area.Path("deep/er"), true},
        {outside + "/three.png", outside, false},
        {"", outside, false}};
    for (const auto& [name, folder, allowed] : cases) {
        char path[512] = "stale";
        EXPECT_EQ(allowed, LoadSave_SaveAreaWritePath(path, sizeof path, name.c_str())) << name;
        EXPECT_EQ(allowed, fs::is_directory(folder)) << name;
        if (!allowed) {
            EXPECT_STREQ("", path) << name;
        }
    }
}

TEST(WriteFile, TrueOnlyWhenEveryByteIsWritten)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(_WriteFile("/no/such/folder/file.bin", "abc", 3));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "_WriteFile: No such file or directory\n");
    // A device that is always full takes nothing.
    std::vector<char> big(1 << 16, 'x');
    EXPECT_FALSE(_WriteFile("/dev/full", big.data(), static_cast<int32_t>(big.size())));
}
