// The audio layer's per-frame lines: a frame repeating the last frame's lines writes nothing, and the
// repeats are counted once when the lines change or the game ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "sound/Sound_AL.h"

namespace {

using Frames = std::vector<std::vector<std::string>>;

// Plays the frames' lines through the frame log, then ends the game; the log written.
std::string Logged(const Frames& frames)
{
    testsupport::ConsoleCapture capture;
    for (const std::vector<std::string>& lines : frames) {
        SoundLog_BeginFrame();
        for (const std::string& line : lines) Sound_Log("%s", line.c_str());
        SoundLog_EndFrame();
    }
    SoundLog_Flush();
    return capture.console.text;
}

} // namespace

TEST(SoundFrameLog, RepeatedFramesAreWrittenOnceThenOnceWithTheirCount)
{
    const std::string a = "AL Error : 0000a004(40964)", b = "Error setting listener position 40964";
    const std::vector<std::string> both = {a, b};
    const struct {
        const char* what;
        Frames frames;
        std::string log;
    } cases[] = {
        {"a frame alone", {both}, a + "\n" + b + "\n"},
        {"repeats up to the game's end", {both, both, both},
         a + "\n" + b + "\n" + a + " (the same in 2 more frames)\n" + b + " (the same in 2 more frames)\n"},
        {"one repeat, then the lines change", {{a}, {a}, {b}, {b}},
         a + "\n" + a + " (the same in 1 more frame)\n" + b + "\n" + b + " (the same in 1 more frame)\n"},
        {"a quiet frame between is a change", {{a}, {}, {a}}, a + "\n" + a + "\n"},
        {"quiet frames write nothing", {{}, {}, {}}, ""},
        {"the same lines in another order are others", {{a, b}, {b, a}}, a + "\n" + b + "\n" + b + "\n" + a + "\n"},
        {"a line within a frame may repeat", {{a, a}}, a + "\n" + a + "\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.log, Logged(c.frames)) << c.what;

    // Thousands of repeats, as a game without a sound device left running makes.
    Frames many(3601, {a});
    EXPECT_EQ(a + "\n" + a + " (the same in 3,600 more frames)\n", Logged(many));
    // Outside a frame a line is written at once.
    testsupport::ConsoleCapture capture;
    Sound_Log("ALUT Error : %s", "no device");
    EXPECT_EQ("ALUT Error : no device\n", capture.console.text);
}
