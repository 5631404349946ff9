// The file dialogs: how a filter reads, and the arguments the desktop's chooser is started with (a
// fake zenity on PATH records them and answers). The text dialogs of the desktop back end run the
// same fake: an asynchronous one leaves the frames going until it answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "dialog/Dialog_Backend.h"
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
               << "echo --- >> '" << m_Log.string() << "'\n"
               << "case \"$1\" in --entry) sleep 0.2; echo 'typed text';; --password) echo 'bob|pw';;"
               << " *) echo /picked/name;; esac\n";
        script.close();
        std::filesystem::permissions(m_Folder / "zenity", std::filesystem::perms::owner_all);
        m_OldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        setenv("PATH", (m_Folder.string() + ":" + m_OldPath).c_str(), 1);
        // Without a display the text dialogs fall back to the chooser program too.
        for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
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
    FileDialogRequest open;
    open.filter = "Levels|*.lvl;*.dat";
    open.defaultName = "start.lvl";
    open.folder = "/games";
    open.title = "Pick a level";
    std::string path;
    ASSERT_TRUE(Dialog_RunDesktopFileDialog(open, path));
    EXPECT_EQ("/picked/name", path);
    FileDialogRequest save;
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

// The request of that id in the request list.
HTTP_REQ_CONTEXT* Request(int32_t id)
{
    for (HTTP_REQ_CONTEXT* request = g_pHttpRequests; request != nullptr; request = request->m_pNext)
        if (request->m_Id == id) return request;
    return nullptr;
}

// Polls as frames would until the request is answered; the number of polls it took.
int32_t PollUntilAnswered(int32_t id)
{
    int32_t polls = 0;
    for (; polls < 500 && Request(id)->m_State != HTTP_STATE_FINISHED; ++polls) {
        Dialog_Poll();
        usleep(10000);
    }
    return polls;
}

void Forget(int32_t id)
{
    HTTP_REQ_CONTEXT* request = Request(id);
    HTTP_Unlink(request);
    delete request;
}

TEST_F(FakeChooser, DesktopTextDialogsModalAndAsynchronous)
{
    Dialog_SetBackend(&Dialog_DesktopBackend());
    std::string typed;
    EXPECT_TRUE(InputQuery("Game", "Name?", "anon", typed));
    EXPECT_EQ("typed text", typed);

    int32_t id = GetStringAsync("Game", "Name?", "anon");
    ASSERT_NE(nullptr, Request(id));
    EXPECT_NE(HTTP_STATE_FINISHED, Request(id)->m_State) << "the call does not wait for the answer";
    EXPECT_GT(PollUntilAnswered(id), 1) << "frames run on while the dialog is open";
    EXPECT_STREQ("typed text", reinterpret_cast<const char*>(Request(id)->m_pData));
    EXPECT_EQ(1, Request(id)->m_HttpStatus);
    Forget(id);

    id = GetLoginAsync("user", "pass");
    PollUntilAnswered(id);
    const char* data = reinterpret_cast<const char*>(Request(id)->m_pData);
    EXPECT_STREQ("bob", data);
    EXPECT_STREQ("pw", data + Request(id)->m_DataLength + 1);
    Forget(id);
    std::vector<std::string> recorded = Recorded();
    recorded.resize(5);
    EXPECT_EQ((std::vector<std::string>{"--entry", "--title=Game", "--text=Name?", "--entry-text=anon", "---"}),
              recorded);

    // With neither program on PATH the dialog is cancelled at once.
    setenv("PATH", "/nonexistent", 1);
    id = GetStringAsync("Game", "Name?", "anon");
    EXPECT_EQ(HTTP_STATE_FINISHED, Request(id)->m_State);
    EXPECT_EQ(0, Request(id)->m_HttpStatus);
    Forget(id);
    Dialog_SetBackend(nullptr);
    EXPECT_EQ(0, Dialog_QueuedCount());
}

} // namespace
