#include "platform/Platform_TestSwitches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

TEST_F(TestSwitchesTest, ValuesAreReadAndMalformedOnesLeaveSwitchesOff)
{
    const struct {
        std::vector<std::pair<const char*, const char*>> environment;
        bool headless;
        int32_t maxFrames;
        bool noWait;
        const char* trace;
        int32_t captureFrame;
        const char* captureFile;
    } cases[] = {
        {{}, false, -1, false, "", -1, ""},
        {{{"KELVARO_HEADLESS", "1"}, {"KELVARO_MAX_FRAMES", "120"}, {"KELVARO_NO_WAIT", "1"},
          {"KELVARO_TRACE", "/tmp/trace.txt"}, {"KELVARO_CAPTURE", "30:/tmp/shot.png"}},
         true, 120, true, "/tmp/trace.txt", 30, "/tmp/shot.png"},
        {{{"KELVARO_HEADLESS", "0"}, {"KELVARO_MAX_FRAMES", "lots"}, {"KELVARO_CAPTURE", "12:"}},
         false, -1, false, "", -1, nullptr},
    };
    for (const auto& c : cases) {
        SetUp();
        for (auto [name, value] : c.environment) setenv(name, value, 1);
        TestSwitches_Reload();
        const TestSwitches& s = TestSwitches_Get();
        SCOPED_TRACE(c.environment.size());
        EXPECT_EQ(c.headless, s.headless);
        EXPECT_EQ(c.maxFrames, s.maxFrames);
        EXPECT_EQ(c.noWait, s.noWait);
        EXPECT_EQ(c.trace, s.traceFile);
        EXPECT_EQ(c.captureFrame, s.captureFrame);
        if (c.captureFile != nullptr) {
            EXPECT_EQ(c.captureFile, s.captureFile);
        }
        if (!c.headless) {
            EXPECT_EQ(nullptr, std::getenv("SDL_VIDEODRIVER"));
        }
    }
}

TEST_F(TestSwitchesTest, HeadlessPicksOffscreenVideoAndNullAudioUnlessSet)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    TestSwitches_Reload();
    EXPECT_STREQ("offscreen", std::getenv("SDL_VIDEODRIVER"));
    EXPECT_STREQ("wave", std::getenv("ALSOFT_DRIVERS"));
}

TEST_F(TestSwitchesTest, AnswersComeOneLineAtATime)
{
    std::string path = testing::TempDir() + "answers.txt";
    std::ofstream(path) << "yes\r\nJane\n";
    setenv("KELVARO_ANSWERS", path.c_str(), 1);
    TestSwitches_Reload();
    std::string answer;
    for (const char* expected : {"yes", "Jane"}) {
        ASSERT_TRUE(TestSwitches_NextAnswer(answer));
        EXPECT_EQ(expected, answer);
    }
    EXPECT_FALSE(TestSwitches_NextAnswer(answer));
}
