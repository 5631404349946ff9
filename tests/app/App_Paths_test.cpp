#include "app/App_Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/App_CommandLine.h"
#include "gamefile/GameFile_Header.h"

TEST(PathsTest, GameFolderIsCutAtTheLastSlashElseTheLastBackslashAndKeptOnceWorkedOut)
{
    // The last "/" wins over a later backslash.
    for (auto [name, folder] : {std::pair{"/games/x/data.win", "/games/x/"}, {"C:\\games/x\\data.win", "C:\\games/"},
                                {"games\\data.win", "games/"}, {"data.win", "./"}}) {
        App_SetGameFileName(name);
        App_ResetPaths();
        EXPECT_STREQ(folder, GetGameFileDirectory()) << name;
    }
    App_SetGameFileName("/two/data.win");
    EXPECT_STREQ("./", GetGameFileDirectory());
    std::string program = GetProgramDirectory();
    EXPECT_EQ(0u, program.find('/')) << program;
    EXPECT_NE(std::string::npos, program.find("app_tests")) << program;
    App_ClearGameFileName();
    App_ResetPaths();
}

TEST(PathsTest, SaveFolderIsUnderTheDataHomeOrTheConfigHomeWhenRoamingAndCannotLeaveIt)
{
    const char* names[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* value = std::getenv(names[i])) saved[i] = value;
    g_GameHeader.present = true;
    g_GameHeader.saveFolder = "MyGame";
    // The three variables ("" for unset), roaming, the save folder (null for none).
    const std::tuple<const char*, const char*, const char*, bool, const char*> cases[] = {
        {"/data", "/config", "", false, "/data/MyGame/"}, {"/data", "/config", "", true, "/config/MyGame/"},
        {"/data", "", "/home/player", true, "/home/player/.config/MyGame/"},
        {"", "", "/h", false, "/h/.local/share/MyGame/"}, {"", "", "", false, nullptr}};
    for (const auto& [data, config, home, roaming, folder] : cases) {
        const char* values[] = {data, config, home};
        for (int i = 0; i < 3; ++i) *values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        g_GameHeader.infoFlags = roaming ? uint32_t(HEADER_FLAG_ROAMING_SAVE) : 0u;
        App_ResetPaths();
        EXPECT_STREQ(folder, GetSaveDirectory()) << data << " " << config << " " << home << " " << roaming;
    }
    // Without a home nothing is kept, so a home set later counts.
    setenv("HOME", "/h", 1);
    EXPECT_STREQ("/h/.local/share/MyGame/", GetSaveDirectory());
    for (auto [name, component] : {std::pair{"Game", "Game"}, {"../../etc", ".._.._etc"}, {"..", "_"}, {".", "_"},
                                   {"a/b\\c", "a_b_c"}})
        EXPECT_EQ(component, App_SaveFolderComponent(name)) << name;
    EXPECT_EQ("", App_SaveFolderComponent(nullptr));
    setenv("XDG_DATA_HOME", "/data", 1);
    g_GameHeader.saveFolder = "../../../tmp";
    App_ResetPaths();
    EXPECT_STREQ("/data/.._.._.._tmp/", GetSaveDirectory());
    for (int i = 0; i < 3; ++i) saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
    GameHeader_Clear();
    App_ResetPaths();
}

TEST(PathsTest, AGameWithoutASaveFolderNameGetsOneOfItsOwnAndNoHeaderNone)
{
    std::optional<std::string> saved;
    if (const char* value = std::getenv("XDG_DATA_HOME")) saved = value;
    setenv("XDG_DATA_HOME", "/data", 1);
    // Header read, its save-folder name, the game file; the save folder (null for none).
    const std::tuple<bool, const char*, const char*, const char*> cases[] = {
        {true, "MyGame", "/games/space.win", "/data/MyGame/"},
        {true, "", "/games/space.win", "/data/space/"},
        {true, "", "/games/ship/data.win", "/data/ship/"},
        {true, "", "C:\\games\\ship\\data.win", "/data/ship/"},
        {true, "", "data.win", "/data/data/"},
        {true, "", "/games/archive.tar.win", "/data/archive.tar/"},
        {true, "", "/games/.win", "/data/.win/"},
        {true, "", "/games/..", "/data/_/"},
        {true, "", "/", "/data/game/"},
        // A data.win in the root has no folder name to take: its own name stays.
        {true, "", "/data.win", "/data/data/"},
        {true, "", "//data.win", "/data/data/"},
        {false, "MyGame", "/games/space.win", nullptr},
        {false, "", "/games/space.win", nullptr}};
    for (const auto& [present, name, file, folder] : cases) {
        g_GameHeader.present = present;
        g_GameHeader.saveFolder = name;
        App_SetGameFileName(file);
        App_ResetPaths();
        EXPECT_STREQ(folder, GetSaveDirectory()) << present << " " << name << " " << file;
    }
    saved ? setenv("XDG_DATA_HOME", saved->c_str(), 1) : unsetenv("XDG_DATA_HOME");
    App_ClearGameFileName();
    GameHeader_Clear();
    App_ResetPaths();
}
