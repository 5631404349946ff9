#include "app/App_AtFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

// Works in a folder of its own, made the current folder: each file holds its own name, and moves to
// the path given, or stays where that is "": hidden, read-only, a folder, a link, through a linked
// folder, onto an existing file, or outside the current folder (".." climbs out, an empty first part
// names the root, "." and empty parts are no folders).
TEST(AtFiles, NamesMoveIntoTheFoldersTheySpellUnlessTheyMayNot)
{
    const fs::path previous = fs::current_path();
    const fs::path root = fs::temp_directory_path() / ("kelvaro-at-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "work" / "saves");
    fs::current_path(root / "work");
    fs::create_directories(root / "outside");
    fs::create_directory_symlink(root / "outside", "out");
    fs::create_directories("d");
    std::ofstream("d/f.txt") << "old";
    fs::create_symlink("d/f.txt", "link@x");
    fs::create_directory("dir@x");
    const std::pair<const char*, const char*> files[] = {
        {"levels@one@map.dat", "levels/one/map.dat"}, {"a@b.txt", "a/b.txt"}, {"saves@slot1", "saves/slot1"},
        {"plain.txt", ""}, {".hidden@x", ""}, {"locked@x", ""}, {"out@f.txt", ""}, {"d@f.txt", ""},
        {"..@escaped.txt", ""}, {"..@..@deep.txt", ""}, {"sub@..@..@up.txt", ""}, {"@tmp@rooted.txt", ""},
        {"b@@c.txt", ""}, {"trailing@", ""}, {".@dot.txt", ""}};
    for (auto [name, target] : files) std::ofstream(name) << name;
    fs::permissions("locked@x", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    // The plain name and those naming places outside are refused one by one too.
    for (size_t i : {3, 8, 9, 10, 11, 12, 13, 14}) EXPECT_FALSE(MoveAtFile(files[i].first)) << files[i].first;
    EXPECT_FALSE(MoveAtFile(nullptr));
    MoveAtFiles();
    for (auto [name, target] : files) {
        std::ostringstream text;
        text << std::ifstream(*target ? target : name).rdbuf();
        EXPECT_EQ(name, text.str()) << name;
        EXPECT_EQ(!*target, fs::exists(name)) << name;
    }
    EXPECT_EQ(fs::file_size("d/f.txt"), 3u) << "the existing file was replaced";
    EXPECT_TRUE(fs::is_directory("dir@x"));
    EXPECT_TRUE(fs::is_symlink("link@x"));
    for (const fs::path& made : {fs::path(".hidden"), fs::path("locked"), fs::path("link"), fs::path("sub"),
                                 fs::path("b"), root / "outside/f.txt", root / "escaped.txt", root / "up.txt"})
        EXPECT_FALSE(fs::exists(made)) << made;
    fs::current_path(previous);
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root);
}
