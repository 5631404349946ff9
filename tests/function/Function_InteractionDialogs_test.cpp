// The dialog group of the Interaction family, headless: each dialog takes the next scripted answer.
// Asynchronous requests are finished the way the frame's asynchronous stage finishes them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Function_TestCases.h"
#include "../TestSupport_Console.h"
#include "../TestSupport_Requests.h"
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

    // The dialog events of the finished requests, each checked to be one: "id result value status"
    // and, for a login, " username password".
    static std::vector<std::string> Finished(bool all = true)
    {
        std::vector<std::string> events;
        for (auto& f : all ? testsupport::FinishAll() : testsupport::FinishReady()) {
            EXPECT_EQ(DIALOG_EVENT, f.subtype);
            std::string login = f.map.count("username") ? " " + f.map["username"] + " " + f.map["password"] : "";
            events.push_back(f.map["id"] + " " + f.map["result"] + " " + f.map["value"] + " " + f.map["status"] + login);
        }
        return events;
    }

    std::filesystem::path m_Answers;
};

TEST_F(InteractionDialogs, NamesAndCounts)
{
    functiontest::ExpectRegisteredRun(
        "show_message:1 show_message_async:1 show_message_ext:4 show_question:1 ~ highscore_* name:1 * "
        "draw_highscore:4");
}

TEST_F(InteractionDialogs, ModalDialogsAndMessages)
{
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        std::vector<std::string> answers;
        TestArg expected;
        const char* logged; // a line the log holds ("" none)
    } cases[] = {
        {"show_message", {2.5}, {}, 1, "Game: 2.50\n"}, {"show_message", {1e10}, {}, 1, "Game: 10000000000\n"},
        {"show_message", {"two#lines"}, {}, 1, "Game: two\rlines\n"},
        {"show_message", {"one\\#line"}, {}, 1, "Game: one#line\n"},
        {"show_message_ext", {"a", "b", "c", "d"}, {}, 1, "show_message_ext(str,but1,but2,but3) not impleneted\n"},
        {"get_integer", {"n", 5}, {}, 5, "Dialog answer: Cancel\n"}, {"get_integer", {"n", 5}, {"7.5"}, 7.5, "[5]"},
        {"get_integer", {"n", ""}, {"9"}, 0, ""}, {"get_string", {"name", 2.5}, {"<ok>"}, "2.50", "[2.50]"},
        {"get_string", {"name", "Ann"}, {"<cancel>"}, "", ""},
        {"show_question", {"Quit?"}, {"yes"}, 1, "Dialog question (modal)"}, {"show_question", {"Quit?"}, {"no"}, 0, ""},
        {"message_size", {1, 2}, {}, 0, "message_size(w,h)not impleneted\n"},
        {"message_caption", {1, "c"}, {}, 0, "message_caption(show,str) not impleneted\n"},
        {"get_directory", {"d"}, {}, "", "get_directory(dname) not implemented.\n"},
        {"show_menu", {"a|b", 0}, {}, 0, "show_menu(str,default) not implemented.\n"},
        {"load_info", {"f"}, {}, 0, "load_info(str) not supported\n"}, {"get_open_filename", {3, ""}, {"/never"}, "", ""},
        {"get_save_filename", {"Text files|*.txt|All|*.*", "out"}, {"<cancel>"}, "", "pDefExt = txt\n"},
    };
    for (const Case& c : cases) {
        Answers(c.answers);
        testsupport::ConsoleCapture console;
        functiontest::ExpectCases({{c.name, c.args, c.expected}});
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
    g_Score = 10;
    // A real name is no name.
    functiontest::ExpectCases({
        {"highscore_set_strings", {"Best", "-", "bye"}, 0}, {"highscore_clear", {}, 0}, {"highscore_name", {7}, "-"},
        {"highscore_add_current", {}, 0}, {"highscore_name", {1}, "DEFAULT"}, {"highscore_add", {"Zed", 40.5}, 0},
        {"highscore_value", {1}, 40}, {"highscore_value", {11}, 0}, {"highscore_add", {3, 50}, 0}, {"highscore_name", {1}, ""},
    });
}

TEST_F(InteractionDialogs, AsyncRequestsOpenOneAtATimeAnswerInOrderAndCut)
{
    // The message takes no answer line; the rest take one each.
    Answers({"first", "<cancel>", "third", "yes", "bob\tsecret", "<cancel>", "<ok>", "42.5"});
    testsupport::ConsoleCapture console;
    std::vector<int32_t> ids;
    for (auto [name, args] : std::vector<std::pair<const char*, std::vector<TestArg>>>{
             {"get_string_async", {"p", "d"}}, {"get_integer_async", {"p", 4}}, {"get_string_async", {"p", "d"}},
             {"show_message_async", {"hi"}}, {"show_question_async", {"ok?"}}, {"get_login_async", {"u", "p"}},
             {"get_login_async", {"u", "p"}}, {"get_string_async", {"p", std::string(3000, 'x').c_str()}},
             {"get_integer_async", {"p", 1}}})
        ids.push_back(static_cast<int32_t>(CallBuiltin(name, args).real));
    EXPECT_EQ(0, CallBuiltin("get_login_async", {"u", 3}).real) << "two strings or nothing";
    EXPECT_EQ(0, CallBuiltin("get_string_async", {"p", ""}).real) << "no default text: no dialog";
    size_t opened = 0;
    for (size_t at = 0; (at = console.console.text.find("Dialog input (async)", at)) != std::string::npos; ++at) ++opened;
    EXPECT_EQ(1u, opened) << "one dialog open at a time";
    EXPECT_EQ(9, Dialog_QueuedCount());
    // The dialog shows the default cut to 2049 characters; OK keeps the first 1024 of them.
    std::vector<std::string> events = Finished();
    std::string kept(1024, 'x');
    // The message and the logins carry no value; the second request and the second login were cancelled.
    const std::vector<std::string> expected = {"first 0 1", " 0 0",   "third 0 1",     "  1",          "1 1 1",
                                               "  1 bob secret", "  0  ", kept + " 0 1", "42.5 42.50 1"};
    ASSERT_EQ(expected.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) EXPECT_EQ(std::to_string(ids[i]) + " " + expected[i], events[i]) << i;
    EXPECT_NE(std::string::npos, console.console.text.find("[" + std::string(2049, 'x') + "]"));
    EXPECT_EQ(0, Dialog_QueuedCount());
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
    EXPECT_TRUE(Finished(false).empty()) << "the modal dialog completed no request";
    Dialog_Answer(id, DIALOG_INPUT, {true, "async", ""});
    DialogRequest_Complete(id + 100, 1, "nobody's");
    EXPECT_EQ(std::vector<std::string>{std::to_string(id) + " async 0 1"}, Finished(false));
}

} // namespace
