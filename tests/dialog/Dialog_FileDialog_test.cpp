// The file dialogs: how a filter reads, and the arguments the desktop's chooser is started with (a
// fake zenity on PATH records them and answers with a path).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "dialog/Dialog_FileDialog.h"

namespace {

TEST(FileDialog, FiltersAndDefaultExtensions)
{
    struct Case {
        const char* filter;
        size_t pairs;
        const char* extension;
    };
    const Case cases[] = {
        {"Text files|*.txt|All|*.*", 2, "txt"},
        {"Pictures|*.png;*.jpg", 1, "png"},
        {"Anything|*", 1, ""},
        {"", 0, ""},
        {"no patterns", 0, ""},
        {"Empty|", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.pairs, Dialog_ParseFilter(c.filter).size()) << c.filter;
        EXPECT_EQ(c.extension, Dialog_DefaultExtension(c.filter)) << c.filter;
    }
    std::vector<FileFilter> two = Dialog_ParseFilter("Pictures|*.png;*.jpg");
    EXPECT_EQ((std::vector<std::string>{"*.png", "*.jpg"}), two[0].patterns);
}

class FakeChooser : public testing::Test {
  protected:
    void SetUp() override
    {
        m_Folder = std::filesystem::path(testing::TempDir()) / ("fake_zenity_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_Folder);
        m_Log = m_Folder / "arguments.txt";
        std::ofstream script(m_Folder / "zenity");
        script << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" << m_Log.string() << "'; done\n"
               << "echo --- >> '" << m_Log.string() << "'\necho /picked/name\n";
        script.close();
        std::filesystem::permissions(m_Folder / "zenity", std::filesystem::perms::owner_all);
        m_OldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        setenv("PATH", (m_Folder.string() + ":" + m_OldPath).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", m_OldPath.c_str(), 1);
        std::filesystem::remove_all(m_Folder);
    }
    std::vector<std::string> Recorded()
    {
        std::vector<std::string> lines;
        std::ifstream in(m_Log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::filesystem::path m_Folder, m_Log;
    std::string m_OldPath;
};

TEST_F(FakeChooser, OpenAndSaveDialogsPassTheirSettings)
{
    FileDialogSpec open;
    open.filter = "Levels|*.lvl;*.dat";
    open.defaultName = "start.lvl";
    open.folder = "/games";
    open.title = "Pick a level";
    std::string path;
    ASSERT_TRUE(Dialog_RunDesktopFileDialog(open, path));
    EXPECT_EQ("/picked/name", path);
    FileDialogSpec save;
    save.save = true;
    save.filter = "Text|*.txt";
    save.defaultName = "notes";
    ASSERT_TRUE(Dialog_RunDesktopFileDialog(save, path));
    EXPECT_EQ("/picked/name.txt", path) << "the default extension is appended";
    EXPECT_EQ((std::vector<std::string>{"--file-selection", "--title=Pick a level", "--filename=/games/start.lvl",
                                        "--file-filter=Levels | *.lvl *.dat", "---", "--file-selection", "--save",
                                        "--confirm-overwrite", "--filename=notes", "--file-filter=Text | *.txt",
                                        "---"}),
              Recorded());
}

} // namespace
