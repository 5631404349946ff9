// The dialog group of the Interaction family, headless: each dialog takes the next scripted answer.
// Asynchronous requests are finished the way the frame's asynchronous stage finishes them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_Console.h"
#include "code/Code_Function.h"
#include "datastructure/DataStructure_Map.h"
#include "platform/Platform_MemoryManager.h"
#include "dialog/Dialog_Backend.h"
#include "platform/Platform_DisplayName.h"
#include "platform/Platform_TestSwitches.h"
#include "run/Run_Globals.h"
#include "run/Run_Highscore.h"
#include "support/Support_SaveArea.h"

using testsupport::CallBuiltin;
using testsupport::TestArg;

namespace {

// What the dialog event's map held.
struct DialogEvent {
    int32_t id;
    std::string result, username, password;
    double value, status;
};

class InteractionDialogs : public testing::Test {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        m_Answers = std::filesystem::path(testing::TempDir()) / ("dialog_answers_" + std::to_string(getpid()));
        setenv("KELVARO_HEADLESS", "1", 1);
        Answers({});
        Platform_SetDisplayName("Game");
    }
    void TearDown() override
    {
        Dialog_SetBackend(nullptr);
        unsetenv("KELVARO_ANSWERS");
        unsetenv("KELVARO_HEADLESS");
        TestSwitches_Reload();
        std::filesystem::remove(m_Answers);
        Score_SetNoName("<nobody>");
        Platform_SetDisplayName("");
    }

    void Answers(const std::vector<std::string>& lines)
    {
        std::ofstream out(m_Answers);
        for (const std::string& line : lines) out << line << "\n";
        out.close();
        setenv("KELVARO_ANSWERS", m_Answers.c_str(), 1);
        TestSwitches_Reload();
    }

    static std::string MapText(int32_t map, const char* key)
    {
        return CallBuiltin("ds_map_find_value", {map, key}).text;
    }
    static double MapReal(int32_t map, const char* key) { return CallBuiltin("ds_map_find_value", {map, key}).real; }

    // One pass of the asynchronous stage over the finished requests.
    static std::vector<DialogEvent> FinishRound()
    {
        std::vector<DialogEvent> events;
        HTTP_REQ_CONTEXT** link = &g_pHttpRequests;
        while (*link != nullptr) {
            HTTP_REQ_CONTEXT* request = *link;
            if (request->m_State != HTTP_STATE_FINISHED) {
                link = &request->m_pNext;
                continue;
            }
            *link = request->m_pNext;
            int32_t map = -1;
            EXPECT_EQ(DIALOG_EVENT, request->m_pCompletion(request, request->m_pUser, &map));
            events.push_back({static_cast<int32_t>(MapReal(map, "id")), MapText(map, "result"),
                              MapText(map, "username"), MapText(map, "password"), MapReal(map, "value"),
                              MapReal(map, "status")});
            CDS_Map_Destroy(map);
            delete request;
        }
        return events;
    }

    static std::vector<DialogEvent> FinishAll()
    {
        std::vector<DialogEvent> all;
        for (int32_t round = 0; round < 10 && g_pHttpRequests != nullptr; ++round)
            for (const DialogEvent& event : FinishRound()) all.push_back(event);
        return all;
    }

    std::filesystem::path m_Answers;
};

// The family's names and counts, in registration order.
TEST_F(InteractionDialogs, NamesAndCounts)
{
    const std::pair<const char*, int32_t> rows[] = {
        {"show_message", 1}, {"show_message_async", 1}, {"show_message_ext", 4}, {"show_question", 1},
        {"show_question_async", 1}, {"get_string", 2}, {"get_string_async", 2}, {"get_integer", 2},
        {"get_integer_async", 2}, {"get_login_async", 2}, {"show_error", 2}, {"show_info", 0}, {"load_info", 1},
        {"show_menu", 2}, {"show_menu_pos", 4}, {"get_color", 1}, {"get_directory", 1}, {"get_directory_alt", 2},
        {"message_background", 1}, {"message_button", 1}, {"message_text_font", 4}, {"message_button_font", 4},
        {"message_input_font", 4}, {"message_alpha", 1}, {"message_mouse_color", 1}, {"message_input_color", 1},
        {"message_position", 2}, {"message_size", 2}, {"message_caption", 2}, {"get_open_filename", 2},
        {"get_open_filename_ext", 4}, {"get_save_filename", 2}, {"get_save_filename_ext", 4},
        {"splash_set_caption", 1}, {"splash_set_fullscreen", 1}, {"splash_set_size", 2}, {"splash_set_adapt", 1},
        {"splash_set_border", 1}, {"splash_set_top", 1}, {"splash_set_color", 1}, {"splash_set_main", 1},
        {"splash_set_scale", 1}, {"splash_set_cursor", 1}, {"splash_set_interrupt", 1}, {"splash_set_stop_key", 1},
        {"splash_set_stop_mouse", 1}, {"splash_show_video", 2}, {"splash_show_image", 2}, {"splash_show_text", 2},
        {"show_image", 3}, {"show_video", 3}, {"show_text", 4}, {"highscore_show", 1}, {"highscore_show_ext", 7},
        {"highscore_set_background", 1}, {"highscore_set_border", 1}, {"highscore_set_colors", 3},
        {"highscore_set_font", 3}, {"highscore_set_strings", 3}, {"highscore_clear", 0}, {"highscore_add", 2},
        {"highscore_add_current", 0}, {"highscore_value", 1}, {"highscore_name", 1}, {"draw_highscore", 4},
    };
    ASSERT_EQ(65u, std::size(rows));
    int32_t previous = -1;
    for (const auto& [name, count] : rows) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(name, &id)) << name;
        EXPECT_EQ(count, Function_Get(id)->argCount) << name;
        EXPECT_GT(id, previous) << name << " is registered in table order";
        previous = id;
    }
}

struct ModalCase {
    const char* name;
    std::vector<TestArg> args;
    std::vector<std::string> answers;
    TestArg expected;
    const char* logged; // a line the log holds ("" none)
};

TEST_F(InteractionDialogs, ModalDialogsAndMessages)
{
    const ModalCase cases[] = {
        {"show_message", {3}, {}, 1, "Game: 3\n"},
        {"show_message", {2.5}, {}, 1, "Game: 2.50\n"},
        {"show_message", {1e10}, {}, 1, "Game: 10000000000\n"},
        {"show_message", {"two#lines"}, {}, 1, "Game: two\rlines\n"},
        {"show_message", {"one\\#line"}, {}, 1, "Game: one#line\n"},
        {"show_message_ext", {"a", "b", "c", "d"}, {}, 1, "show_message_ext(str,but1,but2,but3) not impleneted\n"},
        {"get_integer", {"n", 5}, {}, 5, "Dialog answer: Cancel\n"},
        {"get_integer", {"n", 5}, {"7.5"}, 7.5, "[5]"},
        {"get_integer", {"n", 5}, {"<cancel>"}, 5, ""},
        {"get_integer", {"n", ""}, {"9"}, 0, ""},
        {"get_string", {"name", "Ann"}, {"Bob"}, "Bob", "[Ann]"},
        {"get_string", {"name", 2.5}, {"<ok>"}, "2.50", "[2.50]"},
        {"get_string", {"name", "Ann"}, {"<cancel>"}, "", ""},
        {"get_string", {"name", ""}, {"x"}, "", ""},
        {"show_question", {"Quit?"}, {"yes"}, 1, "Dialog question (modal)"},
        {"show_question", {"Quit?"}, {"no"}, 0, ""},
        {"show_question", {"Quit?"}, {}, 0, ""},
        {"message_size", {1, 2}, {}, 0, "message_size(w,h)not impleneted\n"},
        {"message_caption", {1, "c"}, {}, 0, "message_caption(show,str) not impleneted\n"},
        {"get_directory", {"d"}, {}, "", "get_directory(dname) not implemented.\n"},
        {"show_menu", {"a|b", 0}, {}, 0, "show_menu(str,default) not implemented.\n"},
        {"load_info", {"f"}, {}, 0, "load_info(str) not supported\n"},
        {"get_open_filename", {3, ""}, {"/never"}, "", ""},
        {"get_save_filename", {"Text files|*.txt|All|*.*", "out"}, {"<cancel>"}, "", "pDefExt = txt\n"},
    };
    for (const ModalCase& c : cases) {
        Answers(c.answers);
        testsupport::ConsoleCapture console;
        testsupport::BuiltinResult got = CallBuiltin(c.name, c.args);
        if (c.expected.isText) EXPECT_EQ(c.expected.text, got.text) << c.name;
        else EXPECT_EQ(c.expected.real, got.real) << c.name;
        EXPECT_NE(std::string::npos, console.console.text.find(c.logged)) << c.name << "\n" << console.console.text;
    }
}

TEST_F(InteractionDialogs, ChosenFilesBecomeReadable)
{
    std::filesystem::path outside = std::filesystem::path(testing::TempDir()) / "dialog_outside" / "picked.txt";
    std::filesystem::create_directories(outside.parent_path());
    std::ofstream(outside) << "hello";
    EXPECT_EQ(nullptr, LoadSave_ReadBundleFile(outside.c_str(), nullptr)) << "not allowed before it was picked";
    Answers({outside.string()});
    EXPECT_EQ(outside.string(), CallBuiltin("get_open_filename", {"Text|*.txt", ""}).text);
    int32_t size = 0;
    uint8_t* bytes = LoadSave_ReadBundleFile(outside.c_str(), &size);
    EXPECT_NE(nullptr, bytes);
    EXPECT_EQ(5, size);
    MemoryManager::Free(bytes);
    LoadSave_ClearAllowed();
    std::filesystem::remove_all(outside.parent_path());
}

TEST_F(InteractionDialogs, HighscoreBuiltins)
{
    CallBuiltin("highscore_set_strings", {"Best", "-", "bye"});
    CallBuiltin("highscore_clear", {});
    EXPECT_EQ("-", CallBuiltin("highscore_name", {7}).text);
    g_Score = 10;
    CallBuiltin("highscore_add_current", {});
    EXPECT_EQ("DEFAULT", CallBuiltin("highscore_name", {1}).text);
    CallBuiltin("highscore_add", {"Zed", 40.5});
    EXPECT_EQ(40, CallBuiltin("highscore_value", {1}).real);
    EXPECT_EQ(10, CallBuiltin("highscore_value", {2}).real);
    EXPECT_EQ("", CallBuiltin("highscore_name", {0}).text);
    EXPECT_EQ(0, CallBuiltin("highscore_value", {11}).real);
    CallBuiltin("highscore_add", {3, 50});
    EXPECT_EQ("", CallBuiltin("highscore_name", {1}).text) << "a real name is no name";
}

TEST_F(InteractionDialogs, AsyncRequestsOpenOneAtATimeAndAnswerInOrder)
{
    Answers({"first", "<cancel>", "third"});
    testsupport::ConsoleCapture console;
    int32_t a = static_cast<int32_t>(CallBuiltin("get_string_async", {"p", "d"}).real);
    int32_t b = static_cast<int32_t>(CallBuiltin("get_integer_async", {"p", 4}).real);
    int32_t c = static_cast<int32_t>(CallBuiltin("get_string_async", {"p", "d"}).real);
    size_t opened = 0;
    for (size_t at = 0; (at = console.console.text.find("Dialog input (async)", at)) != std::string::npos; ++at)
        ++opened;
    EXPECT_EQ(1u, opened) << "one dialog open at a time";
    EXPECT_EQ(3, Dialog_QueuedCount());
    std::vector<DialogEvent> events = FinishAll();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ((std::vector<int32_t>{a, b, c}), (std::vector<int32_t>{events[0].id, events[1].id, events[2].id}));
    EXPECT_EQ("first", events[0].result);
    EXPECT_EQ(1, events[0].status);
    EXPECT_EQ("", events[1].result) << "cancelled";
    EXPECT_EQ(0, events[1].value);
    EXPECT_EQ(0, events[1].status);
    EXPECT_EQ("third", events[2].result);
    EXPECT_EQ(0, Dialog_QueuedCount());
}

TEST_F(InteractionDialogs, AsyncKindsAndCuts)
{
    // The message takes no answer line; the rest take one each.
    Answers({"yes", "bob\tsecret", "<cancel>", "<ok>", "42.5"});
    testsupport::ConsoleCapture console;
    CallBuiltin("show_message_async", {"hi"});
    CallBuiltin("show_question_async", {"ok?"});
    CallBuiltin("get_login_async", {"u", "p"});
    CallBuiltin("get_login_async", {"u", "p"});
    CallBuiltin("get_string_async", {"p", std::string(3000, 'x').c_str()});
    CallBuiltin("get_integer_async", {"p", 1});
    EXPECT_EQ(0, CallBuiltin("get_login_async", {"u", 3}).real) << "two strings or nothing";
    EXPECT_EQ(0, CallBuiltin("get_string_async", {"p", ""}).real) << "no default text: no dialog";
    std::vector<DialogEvent> e = FinishAll();
    ASSERT_EQ(6u, e.size());
    EXPECT_EQ(1, e[0].status);
    EXPECT_EQ("1", e[1].result);
    EXPECT_EQ(1, e[1].value);
    EXPECT_EQ("bob", e[2].username);
    EXPECT_EQ("secret", e[2].password);
    EXPECT_EQ(1, e[2].status);
    EXPECT_EQ("", e[3].username);
    EXPECT_EQ("", e[3].password);
    EXPECT_EQ(0, e[3].status);
    // The dialog shows the default cut to 2049 characters; OK keeps the first 1024 of them.
    EXPECT_NE(std::string::npos, console.console.text.find("[" + std::string(2049, 'x') + "]"));
    EXPECT_EQ(std::string(1024, 'x'), e[4].result);
    EXPECT_EQ(42.5, e[5].value);
}

// Holds asynchronous dialogs open until the test answers them; modal ones answer "modal".
class HeldDialogs : public DialogBackend {
  public:
    DialogAnswer RunModal(const DialogView&) override { return {true, "modal", ""}; }
    void OpenAsync(int32_t id, const DialogView& view) override { open.push_back({id, view.kind}); }
    std::vector<std::pair<int32_t, DialogKind>> open;
};

TEST_F(InteractionDialogs, AModalDialogUnderAnAsyncOneKeepsItsOwnAnswer)
{
    HeldDialogs held;
    Dialog_SetBackend(&held);
    int32_t id = static_cast<int32_t>(CallBuiltin("get_string_async", {"p", "d"}).real);
    ASSERT_EQ(1u, held.open.size());
    EXPECT_EQ("modal", CallBuiltin("get_string", {"q", "e"}).text);
    EXPECT_TRUE(FinishRound().empty()) << "the modal dialog completed no request";
    Dialog_Answer(id, DIALOG_INPUT, {true, "async", ""});
    DialogRequest_Complete(id + 100, 1, "nobody's");
    std::vector<DialogEvent> events = FinishRound();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("async", events[0].result);
}

} // namespace
