// The background built-ins, the background drawing built-ins and the tile built-ins, called by
// script name.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Function_TestCases.h"
#include "Function_GameTestSupport.h"
#include "background/Background_Table.h"
#include "function/Function_Registry.h"
#include "gamebuild/GameBuild_Textures.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

using functiontest::ExpectCases;

// The drawing and tile rows' places are checked with the Graphic family's run.
TEST(BackgroundBuiltinRows, NamesAndCountsUnderBothHeaders)
{
    functiontest::ExpectCountsUnderHeaders(
        "background_* name:1 exists:1 get_name:1 get_width:1 ~ create_color:3/4 replace:4/5 "
        "create_from_screen:6/7 ~ tile_* layer_shift:3 layer_depth:2");
}

class BackgroundBuiltins : public ::testing::Test {
protected:
    void SetUp() override
    {
        Background_Reset();
        g_GameOptions.showErrors = false;
        // Slot 0 emptied; background 1 as read from the game file, 8 x 4, without an entry.
        Background_AddEmpty();
        Background_Data(Background_AddEmpty())->SetFromFile(0, 8, 4, true, false, true);
        Background_Delete(0);
    }
    void TearDown() override { Background_Reset(); }
};

TEST_F(BackgroundBuiltins, MisuseIsReportedWithItsMessageAndDefaultResult)
{
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* message;
        double result;
    } cases[] = {
        {"draw_background", {1.5, 0, 0}, "Trying to draw non-existing background.", 0}, // half to even: 2
        {"background_get_texture", {5}, "Trying to get texture from non-existing background.", 0},
        {"background_replace", {0, "a.png", 0, 0}, "Trying to replace non-existing background.", 0},
        {"background_delete", {0}, "Trying to delete non-existing background.", 0},
        {"background_duplicate", {-1}, "Trying to duplicate non-existing background.", 0},
        {"background_assign", {1, 0}, "Error assigning a background.", 0},
        {"background_save", {0, "a.png"}, "Trying to save non-existing background bitmap.", 0},
        {"background_save", {1, ""}, "Trying to save background bitmap to empty image file name.", 0},
        {"tile_add", {0, 0, 0, 4, 4, 0, 0, 0}, "Background does not exist.", -1},
    };
    for (const Case& c : cases) {
        testsupport::LogCapture errors(ScriptConsole);
        EXPECT_EQ(c.result, CallBuiltin(c.name, c.args).real) << c.name;
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
    }
    // Background 1 (rounded from 0.9) draws; without a current room no tile can be added; all silently.
    testsupport::LogCapture errors(ScriptConsole);
    ASSERT_EQ(nullptr, Run_CurrentRoom());
    ExpectCases({{"draw_background", {0.9, 0, 0}, 0}, {"tile_add", {1, 0, 0, 4, 4, 0, 0, 0}, -1},
                 {"background_get_width", {0}, -1}, {"background_get_name", {0}, "<undefined>"},
                 {"background_name", {1}, "__newbackground1"}, {"background_exists", {0}, 0},
                 {"background_add_background", {"x"}, -1}});
    EXPECT_EQ("", errors.Text());
}

TEST_F(BackgroundBuiltins, ReplacingTakesItsFlagsAtHalf)
{
    const char* name = "background_builtin_test.png";
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 2, 2, std::vector<uint32_t>(4, ~0u)});
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    EXPECT_EQ(1, CallReal("background_replace", {1, name, 0.5, 0.4}));
    std::remove(name);
    ExpectCases({{"background_get_transparent", {1}, 1}, {"background_get_smooth", {1}, 0},
                 {"background_get_width", {1}, 2}});
}

// Tiles of a played room: background 0 exists, background 1 is a hole.
class TileBuiltins : public gametest::GameFamilyTest {
protected:
    void SetUp() override
    {
        GameFamilyTest::SetUp();
        gamebuild::GameDesc game = gametest::OneRoomGame({}, {});
        game.backgrounds.resize(2);
        game.backgrounds[0].name = "bg_tiles";
        game.backgrounds[1].present = false;
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        g_GameOptions.showErrors = false;
    }
    void TearDown() override
    {
        GameFamilyTest::TearDown();
        Background_Reset();
    }
    static double Tile(const char* getter, double id) { return gametest::Call(getter, {id}); }
};

TEST_F(TileBuiltins, AddedTilesReadBackTheirFieldsAndDefaultsMissingOnesAreReported)
{
    EXPECT_EQ(-1, gametest::Call("tile_add", {1, 0, 0, 4, 4, 0, 0, 0}));
    EXPECT_EQ(0, Run_CurrentRoom()->m_TileCount);
    double id = gametest::Call("tile_add", {0, 1.5, 2, 3, 4, 10.25, 20, -5});
    ASSERT_GT(id, 0);
    ExpectCases({{"tile_get_left", {id}, 2}, {"tile_get_top", {id}, 2}, {"tile_get_height", {id}, 4},
                 {"tile_get_x", {id}, 10.25}, {"tile_get_y", {id}, 20}, {"tile_get_depth", {id}, -5},
                 {"tile_get_xscale", {id}, 1}, {"tile_get_alpha", {id}, 1}, {"tile_get_blend", {id}, 16777215},
                 {"tile_set_background", {id, 999}, 0}, {"tile_set_region", {id, 1, 1, 2.5, 2}, 0},
                 {"tile_set_scale", {id, 2, 0.5}, 0}, {"tile_set_blend", {id, 255}, 0}, {"tile_set_visible", {id, 0.5}, 0},
                 {"tile_get_background", {id}, 999}, {"tile_get_width", {id}, 2}, {"tile_get_yscale", {id}, 0.5},
                 {"tile_get_visible", {id}, 1}});
    testsupport::LogCapture errors(ScriptConsole);
    EXPECT_EQ(0, gametest::Call("tile_exists", {id + 1}));
    EXPECT_EQ("", errors.Text());
    EXPECT_EQ(0, gametest::Call("tile_get_x", {id + 1}));
    EXPECT_NE(std::string::npos, errors.Text().find("Tile does not exist."));
    gametest::Call("tile_delete", {id});
    EXPECT_EQ(0, gametest::Call("tile_exists", {id}));
}

TEST_F(TileBuiltins, PointsAreRoundedDepthsAreNot)
{
    double back = gametest::Call("tile_add", {0, 0, 0, 4, 4, 10, 10, 5});
    double front = gametest::Call("tile_add", {0, 0, 0, 4, 4, 10, 10, -5});
    ExpectCases({{"tile_find", {13.5, 10, 0}, -1}, // 14: past the right edge
                 {"tile_find", {12.5, 10, 0}, back}, {"tile_find", {12.5, 10, 1}, front},
                 {"tile_layer_find", {-5, 10, 13.5}, front}, {"tile_layer_depth", {-5, 7}, 0},
                 {"tile_layer_delete_at", {7, 11, 11}, 0}, {"tile_exists", {front}, 0}, {"tile_exists", {back}, 1}});
}

} // namespace
