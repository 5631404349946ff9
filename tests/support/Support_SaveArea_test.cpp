#include "support/Support_SaveArea.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../TestSupport_SaveArea.h"
#include "app/App_CommandLine.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_MemoryFile.h"
#include "variable/Variable_BuiltIn.h"

namespace fs = std::filesystem;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A game folder "game" with data.txt beside its game file, and a save area, under one home; the
// current folder is changed per case and put back afterwards.
class Mapping : public testing::Test {
protected:
    void SetUp() override
    {
        m_Area = std::make_unique<testsupport::ScopedSaveArea>("mapping");
        m_Game = m_Area->Root() / "game";
        WriteBytes(m_Game / "data.txt", "bundle");
        App_SetGameFileName((m_Game / "data.win").c_str());
        App_ResetPaths();
        Variable_ResetWorkingDirectory();
        Variable_InitWorkingDirectory((m_Game / "data.win").c_str());
        m_Here = fs::current_path();
    }
    void TearDown() override
    {
        fs::current_path(m_Here);
        LoadSave_ClearAllowed();
        Variable_ResetWorkingDirectory();
        App_ClearGameFileName();
        m_Area.reset();
    }
    static std::string Save(const char* name, int32_t capacity = 2048)
    {
        std::vector<char> path(static_cast<size_t>(capacity), 'x');
        LoadSave_SaveAreaPath(path.data(), capacity, name);
        return path.data();
    }
    static std::string Bundle(const char* name)
    {
        char path[2048];
        LoadSave_BundlePath(path, sizeof path, name);
        return path;
    }
    std::string GameFolder() const { return m_Game.string() + "/"; }
    std::unique_ptr<testsupport::ScopedSaveArea> m_Area;
    fs::path m_Game;
    fs::path m_Here;
};

} // namespace

TEST_F(Mapping, NamesFromTheGameFolder)
{
    // The save area lies under the "home" folder, as ~/.local/share lies under $HOME.
    for (const fs::path& start : {m_Area->Root(), fs::path("/"), m_Game}) {
        fs::current_path(start);
        EXPECT_EQ(Save("data.txt"), m_Area->Path("data.txt")) << start;
        EXPECT_EQ(Bundle("data.txt"), GameFolder() + "data.txt") << start;
    }
    std::string outside = (m_Area->Root() / "elsewhere" / "x.txt").string();
    std::string inside = m_Area->Path("inside.sav");
    struct Case {
        const char* name;
        std::string save, bundle;
    };
    const Case cases[] = {
        {"saves\\slot1.sav", m_Area->Path("saves/slot1.sav"), GameFolder() + "saves/slot1.sav"},
        {"./a/../b.txt", m_Area->Path("b.txt"), GameFolder() + "b.txt"},
        {"../../../../../../../../x", "", ""},
        {outside.c_str(), "", ""},
        {"", "", ""},
        {"Data.TXT", m_Area->Path("Data.TXT"), GameFolder() + "data.txt"},
        {inside.c_str(), inside, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Save(c.name), c.save) << c.name;
        EXPECT_EQ(Bundle(c.name), c.bundle) << c.name;
    }
    EXPECT_EQ(Save(nullptr), "");

    // Picked in a dialog: allowed from then on, whatever the letter case.
    LoadSave_AllowWrite(outside.c_str());
    std::string shouted = outside;
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Save(shouted.c_str()), shouted);
    EXPECT_EQ(Bundle(outside.c_str()), "");
    LoadSave_AllowRead(outside.c_str());
    EXPECT_EQ(Bundle(outside.c_str()), outside);
}

TEST_F(Mapping, APathThatDoesNotFitIsRefusedWithoutWritingPastTheBuffer)
{
    fs::current_path(m_Game);
    std::string fits = Save("data.txt");
    EXPECT_EQ(Save("data.txt", static_cast<int32_t>(fits.size()) + 1), fits);
    EXPECT_EQ(Save("data.txt", static_cast<int32_t>(fits.size())), "");
    EXPECT_EQ(Save(std::string(5000, 'n').c_str()), "");
}

TEST_F(Mapping, WholeFilesAndMemoryFiles)
{
    fs::current_path(m_Game);
    WriteBytes(m_Area->Path("empty.bin"), "");
    WriteBytes(m_Area->Path("bom.txt"), "\xEF\xBB\xBF");
    int32_t size = -1;
    uint8_t* empty = LoadSave_ReadSaveAreaFile("empty.bin", &size);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(size, 0);
    MemoryManager::Free(empty);
    EXPECT_EQ(LoadSave_ReadSaveAreaFile("missing.bin", &size), nullptr);
    EXPECT_TRUE(LoadSave_FileExistsBundle("data.txt"));
    EXPECT_FALSE(LoadSave_FileExistsSaveArea("data.txt"));
    // A folder is not a file that can be read.
    fs::create_directories(m_Area->Path("folder"));
    EXPECT_FALSE(LoadSave_FileExistsSaveArea("folder"));

    MemoryFile* bom = MemoryFile_Open("bom.txt", "rt");
    ASSERT_NE(bom, nullptr);
    EXPECT_EQ(MemoryFile_Tell(bom), 3);
    EXPECT_TRUE(MemoryFile_Eof(bom));
    MemoryFile_Free(bom);
    MemoryFile* binary = MemoryFile_Open("bom.txt", "rb");
    EXPECT_EQ(MemoryFile_Tell(binary), 0);
    MemoryFile_Free(binary);
    EXPECT_EQ(MemoryFile_Open("missing.txt", "rt"), nullptr);
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
    uint8_t out[8] = {};
    EXPECT_EQ(MemoryFile_Read(out, 1, 8, file), 0);
    // Below the start reads as past the end.
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
}

TEST(MemoryFile, NumbersEndWithTheData)
{
    struct Case {
        std::string data;
        double value;
        int32_t position;
    };
    const Case cases[] = {
        {"12", 12, 2}, {"  3.5e2x", 350, 7}, {"\r\n-0.25 7", -0.25, 7}, {"abc", 0, 0},
        {"   ", 0, 3}, {"1e", 1, 1},         {"--5", 0, 0},             {"", 0, 0},
    };
    for (const Case& c : cases) {
        MemoryFile* file = MemoryFile_FromBytes(reinterpret_cast<const uint8_t*>(c.data.data()),
                                                static_cast<int32_t>(c.data.size()), false);
        double value = -1;
        MemoryFile_ReadReal(file, &value);
        EXPECT_EQ(value, c.value) << c.data;
        EXPECT_EQ(MemoryFile_Tell(file), c.position) << c.data;
        MemoryFile_Free(file);
    }
}
