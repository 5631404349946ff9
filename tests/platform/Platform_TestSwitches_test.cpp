#include "platform/Platform_TestSwitches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

namespace {

class TestSwitchesTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"KELVARO_HEADLESS", "KELVARO_MAX_FRAMES", "KELVARO_CAPTURE", "KELVARO_ANSWERS",
                                  "SDL_VIDEODRIVER", "ALSOFT_DRIVERS"})
            unsetenv(name);
    }
    void TearDown() override
    {
        SetUp();
        TestSwitches_Reload();
    }
};

} // namespace

// The end-to-end runs set every switch well formed; here the malformed ones.
TEST_F(TestSwitchesTest, MalformedValuesLeaveSwitchesOff)
{
    setenv("KELVARO_HEADLESS", "0", 1);
    setenv("KELVARO_MAX_FRAMES", "lots", 1);
    setenv("KELVARO_CAPTURE", "12:", 1);
    TestSwitches_Reload();
    const TestSwitches& s = TestSwitches_Get();
    EXPECT_EQ(std::tuple(false, -1, -1), std::tuple(s.headless, s.maxFrames, s.captureFrame));
    EXPECT_EQ(nullptr, std::getenv("SDL_VIDEODRIVER"));
}

TEST_F(TestSwitchesTest, HeadlessKeepsAnAudioDriverAlreadySet)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    TestSwitches_Reload();
    EXPECT_STREQ("offscreen", std::getenv("SDL_VIDEODRIVER"));
    EXPECT_STREQ("wave", std::getenv("ALSOFT_DRIVERS"));
}
