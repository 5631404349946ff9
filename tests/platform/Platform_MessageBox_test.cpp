#include "platform/Platform_MessageBox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/Platform_DisplayName.h"
#include "platform/Platform_TestSwitches.h"

namespace {

// Headless runs, with the answers of a file unique to the test.
class MessageBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_Answers = testing::TempDir() + "answers_" + name + ".txt";
        setenv("KELVARO_HEADLESS", "1", 1);
        setenv("KELVARO_ANSWERS", m_Answers.c_str(), 1);
    }
    void TearDown() override
    {
        std::remove(m_Answers.c_str());
        unsetenv("KELVARO_HEADLESS");
        unsetenv("KELVARO_ANSWERS");
        TestSwitches_Reload();
        Platform_SetDisplayName(nullptr);
    }
    void Answers(const std::string& lines)
    {
        std::ofstream(m_Answers) << lines;
        TestSwitches_Reload();
    }
    std::string m_Answers;
};

} // namespace

TEST_F(MessageBoxTest, MessagesAreLoggedUnderTheDisplayNameOrTheirCaption)
{
    Answers("");
    Platform_SetDisplayName("My Game");
    testing::internal::CaptureStdout();
    ShowMessage("Hello, world");
    Platform_SetDisplayName(nullptr);
    ShowMessage("No caption");
    ShowMessage(nullptr);
    Platform_ShowMessage("Out of Memory!", "Fatal Memory Error");
    // A display name from the game file is shown printable; the game's own text stays as it is.
    Platform_SetDisplayName("Title\x1B]0;pwned\x07");
    ShowMessage("bell\x07");
    EXPECT_EQ("My Game: Hello, world\nNo caption\n\nFatal Memory Error: Out of Memory!\n"
              "Title[1B]]0;pwned[07]: bell\x07\n",
              testing::internal::GetCapturedStdout());
}

TEST_F(MessageBoxTest, QuestionsTakeScriptedAnswersThenTheDefault)
{
    Answers("No\n YES \nmaybe\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(Platform_AskYesNo("Switch?", "", true));
    EXPECT_TRUE(Platform_AskYesNo("Switch?", "", false));
    EXPECT_FALSE(Platform_AskYesNo("Switch?", "Q", false)); // not an answer: the default
    EXPECT_TRUE(Platform_AskYesNo("Switch?", "Q", true));   // none left: the default
    EXPECT_EQ("Switch? -> No\nSwitch? -> Yes\nQ: Switch? -> No\nQ: Switch? -> Yes\n",
              testing::internal::GetCapturedStdout());
    for (auto [word, answer] : {std::pair{"Y", 1}, {"TRUE", 1}, {"  yes\r", 1}, {"0", 0}, {"cancel", 0}, {"yess", -1}})
        EXPECT_EQ(answer, Platform_ParseYesNo(word)) << word;
    EXPECT_EQ(-1, Platform_ParseYesNo(nullptr));
}
