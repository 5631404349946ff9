#include "app/App_Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/App_CommandLine.h"
#include "gamefile/GameFile_Header.h"

namespace {

class PathsTest : public testing::Test {
  protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            m_Saved.push_back(
                {name, value != nullptr ? std::string(value) : std::string(), value != nullptr});
        }
        App_ResetPaths();
    }
    void TearDown() override
    {
        for (const Saved& saved : m_Saved) {
            if (saved.present)
                setenv(saved.name, saved.value.c_str(), 1);
            else
                unsetenv(saved.name);
        }
        GameHeader_Clear();
        App_ClearGameFileName();
        App_ResetPaths();
    }

    static std::string GameFolderOf(const char* name)
    {
        App_SetGameFileName(name);
        App_ResetPaths();
        return GetGameFileDirectory();
    }

    struct Saved {
        const char* name;
        std::string value;
        bool present;
    };
    std::vector<Saved> m_Saved;
};

} // namespace

TEST_F(PathsTest, GameFolderIsCutAtTheLastSlashElseTheLastBackslash)
{
    EXPECT_EQ("/games/x/", GameFolderOf("/games/x/data.win"));
    // The last "/" wins over a later backslash.
    EXPECT_EQ("C:\\games/", GameFolderOf("C:\\games/x\\data.win"));
    EXPECT_EQ("games/", GameFolderOf("games\\data.win"));
    EXPECT_EQ("./", GameFolderOf("data.win"));
}

TEST_F(PathsTest, GameFolderIsKeptOnceWorkedOut)
{
    App_SetGameFileName("/one/data.win");
    EXPECT_STREQ("/one/", GetGameFileDirectory());
    App_SetGameFileName("/two/data.win");
    EXPECT_STREQ("/one/", GetGameFileDirectory());
}

TEST_F(PathsTest, ProgramPathIsThisExecutable)
{
    std::string path = GetProgramDirectory();
    EXPECT_NE(std::string::npos, path.find("app_tests")) << path;
    EXPECT_EQ('/', path[0]);
}

TEST_F(PathsTest, SaveFolderIsUnderTheDataHomeOrTheConfigHomeWhenRoaming)
{
    g_GameHeader.present = true;
    g_GameHeader.saveFolder = "MyGame";
    setenv("XDG_DATA_HOME", "/data", 1);
    setenv("XDG_CONFIG_HOME", "/config", 1);
    EXPECT_STREQ("/data/MyGame/", GetSaveDirectory());

    App_ResetPaths();
    g_GameHeader.infoFlags = HEADER_FLAG_ROAMING_SAVE;
    EXPECT_STREQ("/config/MyGame/", GetSaveDirectory());

    App_ResetPaths();
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/player", 1);
    EXPECT_STREQ("/home/player/.config/MyGame/", GetSaveDirectory());
}

TEST_F(PathsTest, NoHomeGivesNoSaveFolderAndNothingIsKept)
{
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(nullptr, GetSaveDirectory());
    setenv("HOME", "/h", 1);
    g_GameHeader.saveFolder = "G";
    EXPECT_STREQ("/h/.local/share/G/", GetSaveDirectory());
}

TEST_F(PathsTest, SaveFolderNameCannotLeaveTheSaveArea)
{
    EXPECT_EQ("Game", App_SaveFolderComponent("Game"));
    EXPECT_EQ(".._.._etc", App_SaveFolderComponent("../../etc"));
    EXPECT_EQ("_", App_SaveFolderComponent(".."));
    EXPECT_EQ("_", App_SaveFolderComponent("."));
    EXPECT_EQ("a_b_c", App_SaveFolderComponent("a/b\\c"));
    EXPECT_EQ("", App_SaveFolderComponent(nullptr));

    setenv("XDG_DATA_HOME", "/data", 1);
    g_GameHeader.saveFolder = "../../../tmp";
    EXPECT_STREQ("/data/.._.._.._tmp/", GetSaveDirectory());
}
