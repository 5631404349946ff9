#include "platform/Platform_TestSwitches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

class TestSwitchesTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"KELVARO_HEADLESS", "KELVARO_MAX_FRAMES", "KELVARO_NO_WAIT", "KELVARO_TRACE",
                                  "KELVARO_CAPTURE", "KELVARO_ANSWERS", "SDL_VIDEODRIVER", "ALSOFT_DRIVERS"})
            unsetenv(name);
    }
    void TearDown() override
    {
        SetUp();
        TestSwitches_Reload();
    }
};

} // namespace

TEST_F(TestSwitchesTest, DefaultsWhenNothingIsSet)
{
    TestSwitches_Reload();
    const TestSwitches& s = TestSwitches_Get();
    EXPECT_FALSE(s.headless);
    EXPECT_EQ(-1, s.maxFrames);
    EXPECT_FALSE(s.noWait);
    EXPECT_TRUE(s.traceFile.empty());
    EXPECT_EQ(-1, s.captureFrame);
    EXPECT_EQ(nullptr, std::getenv("SDL_VIDEODRIVER"));
}

TEST_F(TestSwitchesTest, ValuesAreRead)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    setenv("KELVARO_MAX_FRAMES", "120", 1);
    setenv("KELVARO_NO_WAIT", "1", 1);
    setenv("KELVARO_TRACE", "/tmp/trace.txt", 1);
    setenv("KELVARO_CAPTURE", "30:/tmp/shot.png", 1);
    TestSwitches_Reload();
    const TestSwitches& s = TestSwitches_Get();
    EXPECT_TRUE(s.headless);
    EXPECT_EQ(120, s.maxFrames);
    EXPECT_TRUE(s.noWait);
    EXPECT_EQ("/tmp/trace.txt", s.traceFile);
    EXPECT_EQ(30, s.captureFrame);
    EXPECT_EQ("/tmp/shot.png", s.captureFile);
}

TEST_F(TestSwitchesTest, HeadlessPicksOffscreenVideoAndNullAudioUnlessSet)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    TestSwitches_Reload();
    EXPECT_STREQ("offscreen", std::getenv("SDL_VIDEODRIVER"));
    EXPECT_STREQ("wave", std::getenv("ALSOFT_DRIVERS"));
}

TEST_F(TestSwitchesTest, MalformedValuesLeaveSwitchesOff)
{
    setenv("KELVARO_HEADLESS", "0", 1);
    setenv("KELVARO_MAX_FRAMES", "lots", 1);
    setenv("KELVARO_CAPTURE", "x:/tmp/a.png", 1);
    TestSwitches_Reload();
    EXPECT_FALSE(TestSwitches_Get().headless);
    EXPECT_EQ(-1, TestSwitches_Get().maxFrames);
    EXPECT_EQ(-1, TestSwitches_Get().captureFrame);
    setenv("KELVARO_CAPTURE", "12:", 1);
    TestSwitches_Reload();
    EXPECT_EQ(-1, TestSwitches_Get().captureFrame);
}

TEST_F(TestSwitchesTest, AnswersComeOneLineAtATime)
{
    std::string path = testing::TempDir() + "answers.txt";
    std::ofstream(path) << "yes\r\nJane\n";
    setenv("KELVARO_ANSWERS", path.c_str(), 1);
    TestSwitches_Reload();
    std::string answer;
    ASSERT_TRUE(TestSwitches_NextAnswer(answer));
    EXPECT_EQ("yes", answer);
    ASSERT_TRUE(TestSwitches_NextAnswer(answer));
    EXPECT_EQ("Jane", answer);
    EXPECT_FALSE(TestSwitches_NextAnswer(answer));
}
