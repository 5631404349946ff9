#include "app/App_AtFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Each test works in a folder of its own, made the current folder for the test's duration.
class AtFilesTest : public testing::Test {
  protected:
    void SetUp() override
    {
        m_Previous = fs::current_path();
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        m_Root = fs::temp_directory_path() /
                 ("kelvaro-at-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(m_Root);
        fs::create_directories(m_Root / "work");
        fs::current_path(m_Root / "work");
    }
    void TearDown() override
    {
        fs::current_path(m_Previous);
        std::error_code error;
        fs::permissions(m_Root, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(m_Root, error);
    }

    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path m_Previous;
    fs::path m_Root;
};

} // namespace

TEST_F(AtFilesTest, NamesSpellTheirFoldersWhichAreMade)
{
    Write("levels@one@map.dat", "map");
    Write("a@b.txt", "ab");
    Write("plain.txt", "plain");
    MoveAtFiles();
    EXPECT_EQ("map", Read("levels/one/map.dat"));
    EXPECT_EQ("ab", Read("a/b.txt"));
    EXPECT_FALSE(fs::exists("levels@one@map.dat"));
    EXPECT_FALSE(fs::exists("a@b.txt"));
    EXPECT_TRUE(fs::exists("plain.txt"));
}

TEST_F(AtFilesTest, MovesIntoAnExistingFolder)
{
    fs::create_directory("saves");
    Write("saves@slot1", "1");
    MoveAtFiles();
    EXPECT_EQ("1", Read("saves/slot1"));
}

TEST_F(AtFilesTest, HiddenReadOnlyFoldersAndLinksStay)
{
    Write(".hidden@x", "h");
    Write("locked@x", "r");
    fs::permissions("locked@x", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directory("dir@x");
    Write("target.txt", "t");
    fs::create_symlink("target.txt", "link@x");
    MoveAtFiles();
    EXPECT_TRUE(fs::exists(".hidden@x"));
    EXPECT_TRUE(fs::exists("locked@x"));
    EXPECT_TRUE(fs::is_directory("dir@x"));
    EXPECT_TRUE(fs::is_symlink("link@x"));
    EXPECT_FALSE(fs::exists(".hidden"));
    EXPECT_FALSE(fs::exists("locked"));
    EXPECT_FALSE(fs::exists("link"));
}

TEST_F(AtFilesTest, TargetsOutsideTheCurrentFolderAreRefused)
{
    // ".." climbs out, an empty first part names the root, "." and empty parts are no folders.
    for (const char* name : {"..@escaped.txt", "..@..@deep.txt", "sub@..@..@up.txt", "@tmp@rooted.txt",
                             "a@@b.txt", "trailing@", ".@dot.txt"}) {
        Write(name, "x");
        EXPECT_FALSE(MoveAtFile(name)) << name;
        EXPECT_TRUE(fs::exists(name)) << name;
    }
    MoveAtFiles();
    EXPECT_FALSE(fs::exists(m_Root / "escaped.txt"));
    EXPECT_FALSE(fs::exists(m_Root / "up.txt"));
    EXPECT_FALSE(fs::exists("sub"));
    EXPECT_FALSE(fs::exists("a"));
}

TEST_F(AtFilesTest, LinkedFolderIsNotFollowed)
{
    fs::create_directory(m_Root / "outside");
    fs::create_directory_symlink(m_Root / "outside", "out");
    Write("out@file.txt", "x");
    MoveAtFiles();
    EXPECT_TRUE(fs::exists("out@file.txt"));
    EXPECT_FALSE(fs::exists(m_Root / "outside" / "file.txt"));
}

TEST_F(AtFilesTest, ExistingTargetIsNotReplaced)
{
    fs::create_directory("d");
    Write("d/f.txt", "old");
    Write("d@f.txt", "new");
    MoveAtFiles();
    EXPECT_EQ("old", Read("d/f.txt"));
    EXPECT_EQ("new", Read("d@f.txt"));
}

TEST_F(AtFilesTest, NameWithoutAtIsLeftAlone)
{
    Write("name.txt", "x");
    EXPECT_FALSE(MoveAtFile("name.txt"));
    EXPECT_FALSE(MoveAtFile(nullptr));
    EXPECT_TRUE(fs::exists("name.txt"));
}
