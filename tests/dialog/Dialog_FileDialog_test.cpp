// The file dialogs: how a filter reads, and the arguments the desktop's chooser is started with (a
// fake zenity on PATH records them and answers). The text dialogs of the desktop back end run the
// same fake: an asynchronous one leaves the frames going until it answers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "dialog/Dialog_Backend.h"
#include "dialog/Dialog_FileDialog.h"

namespace {

using Texts = std::vector<std::string>;

TEST(FileDialog, FiltersAndDefaultExtensions)
{
    for (auto [filter, pairs, extension] :
         {std::tuple{"Text files|*.txt|All|*.*", 2u, "txt"}, {"Pictures|*.png;*.jpg", 1u, "png"},
          {"Anything|*", 1u, ""}, {"", 0u, ""}, {"no patterns", 0u, ""}, {"Empty|", 0u, ""}}) {
        EXPECT_EQ(pairs, Dialog_ParseFilter(filter).size()) << filter;
        EXPECT_EQ(extension, Dialog_DefaultExtension(filter)) << filter;
    }
    EXPECT_EQ((Texts{"*.png", "*.jpg"}), Dialog_ParseFilter("Pictures|*.png;*.jpg")[0].patterns);
}

class FakeChooser : public testing::Test {
  protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_Folder);
        std::ofstream(m_Folder / "zenity")
            << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" << m_Log << "'; done\necho --- >> '" << m_Log
            << "'\ncase \"$1\" in --entry) sleep 0.2; echo 'typed text';; --password) echo 'bob|pw';;"
            << " *) echo /picked/name;; esac\n";
        std::filesystem::permissions(m_Folder / "zenity", std::filesystem::perms::owner_all);
        setenv("PATH", (m_Folder.string() + ":" + m_OldPath).c_str(), 1);
        // Without a display the text dialogs fall back to the chooser program too.
        for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    }
    void TearDown() override
    {
        setenv("PATH", m_OldPath.c_str(), 1);
        std::filesystem::remove_all(m_Folder);
    }
    Texts Recorded()
    {
        Texts lines;
        std::ifstream in(m_Log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::filesystem::path m_Folder = testing::TempDir() + "fake_zenity_" + std::to_string(getpid());
    std::string m_Log = (m_Folder / "arguments.txt").string();
    std::string m_OldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
};

TEST_F(FakeChooser, OpenAndSaveDialogsPassTheirSettings)
{
    std::string path;
    ASSERT_TRUE(Dialog_RunDesktopFileDialog({false, "Levels|*.lvl;*.dat", "start.lvl", "/games", "Pick a level"},
                                            path));
    EXPECT_EQ("/picked/name", path);
    ASSERT_TRUE(Dialog_RunDesktopFileDialog({true, "Text|*.txt", "notes", "", ""}, path));
    EXPECT_EQ("/picked/name.txt", path) << "the default extension is appended";
    EXPECT_EQ((Texts{"--file-selection", "--title=Pick a level", "--filename=/games/start.lvl",
                     "--file-filter=Levels | *.lvl *.dat", "---", "--file-selection", "--save", "--confirm-overwrite",
                     "--filename=notes", "--file-filter=Text | *.txt", "---"}),
              Recorded());
}

TEST_F(FakeChooser, DesktopTextDialogsModalAndAsynchronous)
{
    Dialog_SetBackend(&Dialog_DesktopBackend());
    std::string typed;
    EXPECT_TRUE(InputQuery("Game", "Name?", "anon", typed));
    EXPECT_EQ("typed text", typed);
    // The request of an id, polled as frames would until it is answered; the polls it took.
    auto request = [](int32_t id) {
        HTTP_REQ_CONTEXT* r = g_pHttpRequests;
        while (r != nullptr && r->m_Id != id) r = r->m_pNext;
        return r;
    };
    auto poll = [&](int32_t id) {
        int32_t polls = 0;
        for (; polls < 500 && request(id)->m_State != HTTP_STATE_FINISHED; ++polls) Dialog_Poll(), usleep(10000);
        return polls;
    };
    auto forget = [&](int32_t id) {
        HTTP_REQ_CONTEXT* r = request(id);
        HTTP_Unlink(r);
        delete r;
    };
    int32_t id = GetStringAsync("Game", "Name?", "anon");
    ASSERT_NE(nullptr, request(id));
    EXPECT_NE(HTTP_STATE_FINISHED, request(id)->m_State) << "the call does not wait for the answer";
    EXPECT_GT(poll(id), 1) << "frames run on while the dialog is open";
    EXPECT_STREQ("typed text", reinterpret_cast<const char*>(request(id)->m_pData));
    EXPECT_EQ(1, request(id)->m_HttpStatus);
    forget(id);
    Texts recorded = Recorded();
    recorded.resize(5);
    EXPECT_EQ((Texts{"--entry", "--title=Game", "--text=Name?", "--entry-text=anon", "---"}), recorded);
    id = GetLoginAsync("user", "pass");
    poll(id);
    // The name and the password, each ended by a zero.
    EXPECT_EQ(std::string("bob\0pw", 6), std::string(reinterpret_cast<const char*>(request(id)->m_pData), 6));
    EXPECT_EQ(3, request(id)->m_DataLength);
    forget(id);
    // With neither program on PATH the dialog is cancelled at once.
    setenv("PATH", "/nonexistent", 1);
    id = GetStringAsync("Game", "Name?", "anon");
    EXPECT_EQ(std::make_tuple(HTTP_STATE_FINISHED, 0),
              std::make_tuple(request(id)->m_State, request(id)->m_HttpStatus));
    forget(id);
    Dialog_SetBackend(nullptr);
    EXPECT_EQ(0, Dialog_QueuedCount());
}

} // namespace
