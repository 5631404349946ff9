// The background built-ins, the background drawing built-ins and the tile built-ins, called by
// script name.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../TestSupport_Builtins.h"
#include "Function_GameTestSupport.h"
#include "background/Background_Table.h"
#include "function/Function_Registry.h"
#include "gamebuild/GameBuild_Textures.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

int32_t RowIndex(const char* name)
{
    for (int32_t i = 0; i < g_FunctionCount; ++i)
        if (std::string(g_FunctionTable[i].name) == name) return i;
    return -1;
}

int32_t Registered(const char* name)
{
    int32_t row = RowIndex(name);
    return row >= 0 ? g_FunctionTable[row].argCount : FUNCTION_NOT_REGISTERED;
}

constexpr int32_t NONE = FUNCTION_NOT_REGISTERED;

TEST(BackgroundBuiltinRows, NamesAndCountsUnderBothHeadersInTheirGroupsPlaces)
{
    struct Row {
        const char* name;
        int32_t current, older;
    } rows[] = {
        {"background_name", 1, 1}, {"background_exists", 1, 1}, {"background_get_name", 1, 1},
        {"background_get_width", 1, 1}, {"background_get_height", 1, 1}, {"background_get_transparent", 1, 1},
        {"background_get_smooth", 1, 1}, {"background_get_preload", 1, 1},
        {"background_set_alpha_from_background", 2, 2}, {"background_create_color", 3, 4},
        {"background_replace", 4, 5}, {"background_create_from_screen", 6, 7},
        {"background_create_from_surface", 7, 8}, {"background_create_gradient", 5, 6}, {"background_add", 3, 4},
        {"background_add_alpha", NONE, 2}, {"background_replace_alpha", NONE, 3},
        {"background_add_background", 1, NONE}, {"background_replace_background", 2, NONE},
        {"background_delete", 1, 1}, {"background_duplicate", 1, 1}, {"background_assign", 2, 2},
        {"background_save", 2, 2}, {"background_get_texture", 1, 1}, {"draw_background", 3, 3},
        {"draw_background_ext", 8, 8}, {"draw_background_stretched", 5, 5}, {"draw_background_stretched_ext", 7, 7},
        {"draw_background_part", 7, 7}, {"draw_background_part_ext", 11, 11}, {"draw_background_general", 15, 15},
        {"draw_background_tiled", 3, 3}, {"draw_background_tiled_ext", 7, 7}, {"tile_set_region", 5, 5},
        {"tile_add", 8, 8}, {"tile_layer_shift", 3, 3}, {"tile_layer_depth", 2, 2},
    };
    testsupport::RegisterBuiltins();
    for (const char* tag : {"GEN8", "GEN7", "GENL"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        RegisterAllFunctionFamilies();
        bool older = std::string(tag) != "GEN8";
        for (const Row& row : rows)
            EXPECT_EQ(older ? row.older : row.current, Registered(row.name)) << tag << " " << row.name;
    }
    // The 33 tile names follow the background drawing, which follows the sprite drawing.
    EXPECT_EQ(RowIndex("draw_sprite_tiled_ext") + 1, RowIndex("draw_background"));
    EXPECT_EQ(RowIndex("draw_background_tiled_ext") + 1, RowIndex("tile_get_x"));
    EXPECT_EQ(RowIndex("tile_get_x") + 32, RowIndex("tile_layer_depth"));
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
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
        {"draw_background", {0.4, 0, 0}, "Trying to draw non-existing background.", 0},
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
        testsupport::BuiltinResult result = CallBuiltin(c.name, c.args);
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
        EXPECT_EQ(c.result, result.real) << c.name;
    }
    testsupport::LogCapture errors(ScriptConsole);
    CallReal("draw_background", {0.9, 0, 0}); // rounded: background 1
    EXPECT_EQ("", errors.Text());
    // Without a current room no tile can be added, silently.
    ASSERT_EQ(nullptr, Run_CurrentRoom());
    EXPECT_EQ(-1, CallReal("tile_add", {1, 0, 0, 4, 4, 0, 0, 0}));
    EXPECT_EQ(0, CallReal("tile_exists", {10000001}));
    EXPECT_EQ("", errors.Text());
}

TEST_F(BackgroundBuiltins, GettersAnswerMinusOneForMissingBackgrounds)
{
    EXPECT_EQ(-1, CallReal("background_get_width", {0}));
    EXPECT_EQ("<undefined>", CallText("background_get_name", {0}));
    EXPECT_EQ("__newbackground1", CallText("background_name", {1}));
    EXPECT_EQ(8, CallReal("background_get_width", {1}));
    EXPECT_EQ(1, CallReal("background_get_transparent", {1}));
    EXPECT_EQ(0, CallReal("background_exists", {0}));
    EXPECT_EQ(-1, CallReal("background_add_background", {"x"}));
}

TEST_F(BackgroundBuiltins, ReplacingTakesItsFlagsAtHalf)
{
    const char* name = "background_builtin_test.png";
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 2, 2, std::vector<uint32_t>(4, ~0u)});
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    EXPECT_EQ(1, CallReal("background_replace", {1, name, 0.5, 0.4}));
    std::remove(name);
    EXPECT_EQ(1, CallReal("background_get_transparent", {1}));
    EXPECT_EQ(0, CallReal("background_get_smooth", {1}));
    EXPECT_EQ(2, CallReal("background_get_width", {1}));
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
    struct Field {
        const char* getter;
        double value;
    } fields[] = {
        {"tile_get_background", 0}, {"tile_get_left", 2}, {"tile_get_top", 2}, {"tile_get_width", 3},
        {"tile_get_height", 4}, {"tile_get_x", 10.25}, {"tile_get_y", 20}, {"tile_get_depth", -5},
        {"tile_get_xscale", 1}, {"tile_get_yscale", 1}, {"tile_get_blend", 16777215}, {"tile_get_alpha", 1},
        {"tile_get_visible", 1},
    };
    for (const Field& f : fields) EXPECT_EQ(f.value, Tile(f.getter, id)) << f.getter;
    gametest::Call("tile_set_background", {id, 999});
    gametest::Call("tile_set_region", {id, 1, 1, 2.5, 2});
    gametest::Call("tile_set_scale", {id, 2, 0.5});
    gametest::Call("tile_set_blend", {id, 255});
    gametest::Call("tile_set_visible", {id, 0.5});
    EXPECT_EQ(999, Tile("tile_get_background", id));
    EXPECT_EQ(2, Tile("tile_get_width", id));
    EXPECT_EQ(0.5, Tile("tile_get_yscale", id));
    EXPECT_EQ(255, Tile("tile_get_blend", id));
    EXPECT_EQ(1, Tile("tile_get_visible", id));
    testsupport::LogCapture errors(ScriptConsole);
    EXPECT_EQ(0, gametest::Call("tile_exists", {id + 1}));
    EXPECT_EQ("", errors.Text());
    EXPECT_EQ(0, Tile("tile_get_x", id + 1));
    EXPECT_NE(std::string::npos, errors.Text().find("Tile does not exist."));
    gametest::Call("tile_delete", {id});
    EXPECT_EQ(0, gametest::Call("tile_exists", {id}));
}

TEST_F(TileBuiltins, PointsAreRoundedDepthsAreNot)
{
    double back = gametest::Call("tile_add", {0, 0, 0, 4, 4, 10, 10, 5});
    double front = gametest::Call("tile_add", {0, 0, 0, 4, 4, 10, 10, -5});
    EXPECT_EQ(-1, gametest::Call("tile_find", {13.5, 10, 0})); // 14: past the right edge
    EXPECT_EQ(back, gametest::Call("tile_find", {12.5, 10, 0}));
    EXPECT_EQ(front, gametest::Call("tile_find", {12.5, 10, 1}));
    EXPECT_EQ(front, gametest::Call("tile_layer_find", {-5, 10, 13.5}));
    gametest::Call("tile_layer_depth", {-5, 7});
    gametest::Call("tile_layer_delete_at", {7, 11, 11});
    EXPECT_EQ(0, gametest::Call("tile_exists", {front}));
    EXPECT_EQ(1, gametest::Call("tile_exists", {back}));
}

} // namespace
