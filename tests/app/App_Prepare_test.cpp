#include "app/App_Prepare.h"

#include <gtest/gtest.h>

#include <vector>

#include "gamefile/GameFile_Options.h"

namespace {

GameOptions Options(bool setMode, int32_t depth, int32_t resolution, int32_t frequency)
{
    GameOptions options;
    options.setDisplayMode = setMode;
    options.colourDepthCode = depth;
    options.resolutionCode = resolution;
    options.frequencyCode = frequency;
    return options;
}

int g_Asked = 0;
bool g_Answer = true;

} // namespace

TEST(DisplayTest, OptionCodesTranslate)
{
    // Depth, resolution and frequency codes, then the depth, width, height and frequency they ask for.
    const int32_t rows[][7] = {{1, 1, 1, 16, 320, 240, 60},     {2, 2, 2, 32, 640, 480, 70},
                               {0, 3, 3, -1, 800, 600, 85},     {3, 4, 4, -1, 1024, 768, 100},
                               {2, 5, 5, 32, 1280, 1024, 120},  {2, 6, 6, 32, 1600, 1200, -1},
                               {-1, 7, 0, -1, -1, -1, -1}};
    for (const auto& r : rows) {
        DisplayModeRequest mode = InitGraphics_TranslateOptions(Options(true, r[0], r[1], r[2]));
        EXPECT_EQ(std::vector(r + 3, r + 7), (std::vector{mode.depth, mode.width, mode.height, mode.frequency}))
            << r[0] << " " << r[1] << " " << r[2];
    }
    DisplayModeRequest off = InitGraphics_TranslateOptions(Options(false, 2, 2, 2));
    EXPECT_EQ(-1, off.width);
    EXPECT_EQ(-1, off.depth);
}

TEST(DisplayTest, DecisionsAndTheQuestionAsked)
{
    // The options (mode set, depth, resolution and frequency codes), the display's depth and the answer
    // to the question; the decision (0 keep, 1 change, 2 refused), whether it was asked, and the
    // change's depth, width, height and frequency. A mode set without a depth keeps a 32-bit display's
    // depth; an 8-bit or unknown display is asked to switch to 16 bits unless a depth is set.
    const int32_t cases[][12] = {
        {0, 0, 0, 0, 32, 1, 0, 0}, {0, 0, 0, 0, 16, 1, 0, 0}, {1, 0, 2, 1, 32, 1, 1, 0, -1, 640, 480, 60},
        {1, 1, 3, 0, 8, 1, 1, 0, 16, 800, 600, -1}, {0, 2, 2, 2, 8, 1, 1, 1, 16, -1, -1, -1},
        {1, 0, 4, 0, 24, 0, 2, 1}, {1, 0, 4, 5, -1, 1, 1, 1, 16, 1024, 768, 120}};
    for (const auto& c : cases) {
        g_Asked = 0, g_Answer = c[5];
        DisplayModeRequest change;
        DisplayDecision decision = InitGraphics_DecideDisplay(Options(c[0], c[1], c[2], c[3]), c[4],
                                                              [] { return ++g_Asked, g_Answer; }, change);
        EXPECT_EQ(c[6], int32_t(decision)) << &c - cases;
        EXPECT_EQ(c[7], g_Asked) << &c - cases;
        if (decision == DisplayDecision::Change) {
            EXPECT_EQ(std::vector(c + 8, c + 12),
                      (std::vector{change.depth, change.width, change.height, change.frequency}))
                << &c - cases;
        }
    }
}
