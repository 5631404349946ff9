#include "app/App_Prepare.h"

#include <gtest/gtest.h>

#include "gamefile/GameFile_Options.h"

namespace {

int g_Questions = 0;
bool g_Answer = true;

bool Ask()
{
    ++g_Questions;
    return g_Answer;
}

GameOptions Options(bool setMode, int32_t depth, int32_t resolution, int32_t frequency)
{
    GameOptions options;
    options.setDisplayMode = setMode;
    options.colourDepthCode = depth;
    options.resolutionCode = resolution;
    options.frequencyCode = frequency;
    return options;
}

class DisplayTest : public testing::Test {
  protected:
    void SetUp() override
    {
        g_Questions = 0;
        g_Answer = true;
    }
};

} // namespace

TEST_F(DisplayTest, OptionCodesTranslate)
{
    struct Row {
        int32_t depthCode, resolutionCode, frequencyCode;
        int32_t depth, width, height, frequency;
    };
    const Row rows[] = {
        {1, 1, 1, 16, 320, 240, 60},   {2, 2, 2, 32, 640, 480, 70},    {0, 3, 3, -1, 800, 600, 85},
        {3, 4, 4, -1, 1024, 768, 100}, {2, 5, 5, 32, 1280, 1024, 120}, {2, 6, 6, 32, 1600, 1200, -1},
        {-1, 7, 0, -1, -1, -1, -1},
    };
    for (const Row& row : rows) {
        DisplayModeRequest mode = InitGraphics_TranslateOptions(
            Options(true, row.depthCode, row.resolutionCode, row.frequencyCode));
        EXPECT_EQ(row.depth, mode.depth) << row.depthCode;
        EXPECT_EQ(row.width, mode.width) << row.resolutionCode;
        EXPECT_EQ(row.height, mode.height) << row.resolutionCode;
        EXPECT_EQ(row.frequency, mode.frequency) << row.frequencyCode;
    }
    DisplayModeRequest off = InitGraphics_TranslateOptions(Options(false, 2, 2, 2));
    EXPECT_EQ(-1, off.width);
    EXPECT_EQ(-1, off.depth);
}

TEST_F(DisplayTest, ModeOffOnAValidDisplayChangesNothing)
{
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Keep, InitGraphics_DecideDisplay(Options(false, 0, 0, 0), 32, Ask, change));
    EXPECT_EQ(DisplayDecision::Keep, InitGraphics_DecideDisplay(Options(false, 0, 0, 0), 16, Ask, change));
    EXPECT_EQ(0, g_Questions);
}

TEST_F(DisplayTest, ModeOnWithoutDepthOnA32BitDisplayChangesSizeAndFrequencyOnly)
{
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Change, InitGraphics_DecideDisplay(Options(true, 0, 2, 1), 32, Ask, change));
    EXPECT_EQ(0, g_Questions);
    EXPECT_EQ(640, change.width);
    EXPECT_EQ(480, change.height);
    EXPECT_EQ(60, change.frequency);
    EXPECT_EQ(-1, change.depth);
}

TEST_F(DisplayTest, ModeOnWithDepthNeverAsks)
{
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Change, InitGraphics_DecideDisplay(Options(true, 1, 3, 0), 8, Ask, change));
    EXPECT_EQ(0, g_Questions);
    EXPECT_EQ(16, change.depth);
    EXPECT_EQ(800, change.width);
}

TEST_F(DisplayTest, ModeOffOnAnEightBitDisplayAsksAndYesSwitchesTo16Bits)
{
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Change, InitGraphics_DecideDisplay(Options(false, 2, 2, 2), 8, Ask, change));
    EXPECT_EQ(1, g_Questions);
    EXPECT_EQ(16, change.depth);
    EXPECT_EQ(-1, change.width);
    EXPECT_EQ(-1, change.height);
    EXPECT_EQ(-1, change.frequency);
}

TEST_F(DisplayTest, NoToTheQuestionEndsStartUp)
{
    g_Answer = false;
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Refused, InitGraphics_DecideDisplay(Options(true, 0, 4, 0), 24, Ask, change));
    EXPECT_EQ(1, g_Questions);
}

TEST_F(DisplayTest, ModeOnWithoutDepthOnAnUnknownDisplayAsksAndKeepsTheSize)
{
    DisplayModeRequest change;
    EXPECT_EQ(DisplayDecision::Change, InitGraphics_DecideDisplay(Options(true, 0, 4, 5), -1, Ask, change));
    EXPECT_EQ(1, g_Questions);
    EXPECT_EQ(1024, change.width);
    EXPECT_EQ(120, change.frequency);
    EXPECT_EQ(16, change.depth);
}
