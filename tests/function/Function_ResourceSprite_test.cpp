// The sprite built-ins and the sprite drawing built-ins, called by script name.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../TestSupport_Builtins.h"
#include "../sprite/SpriteTestSupport.h"
#include "../gamefile/GameFileTestSupport.h"
#include "function/Function_Registry.h"
#include "gamebuild/GameBuild_Textures.h"
#include "gamefile/GameFile_Options.h"
#include "sprite/Sprite_Table.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

int32_t Registered(const char* name)
{
    for (int32_t i = 0; i < g_FunctionCount; ++i)
        if (std::string(g_FunctionTable[i].name) == name) return g_FunctionTable[i].argCount;
    return FUNCTION_NOT_REGISTERED;
}

constexpr int32_t NONE = FUNCTION_NOT_REGISTERED;

TEST(SpriteBuiltinRows, NamesAndCountsUnderBothHeaders)
{
    struct Row {
        const char* name;
        int32_t current, older;
    } rows[] = {
        {"sprite_name", 1, 1}, {"sprite_exists", 1, 1}, {"sprite_get_name", 1, 1}, {"sprite_get_number", 1, 1},
        {"sprite_get_width", 1, 1}, {"sprite_get_height", 1, 1}, {"sprite_get_transparent", 1, 1},
        {"sprite_get_smooth", 1, 1}, {"sprite_get_preload", 1, 1}, {"sprite_get_xoffset", 1, 1},
        {"sprite_get_yoffset", 1, 1}, {"sprite_get_bbox_mode", 1, 1}, {"sprite_get_bbox_left", 1, 1},
        {"sprite_get_bbox_right", 1, 1}, {"sprite_get_bbox_top", 1, 1}, {"sprite_get_bbox_bottom", 1, 1},
        {"sprite_get_precise", 1, 1}, {"sprite_collision_mask", 9, 9}, {"sprite_set_cache_size", 2, 2},
        {"sprite_set_cache_size_ext", 3, 3}, {"font_set_cache_size", 2, 2}, {"sprite_get_tpe", 2, 2},
        {"sprite_set_offset", 3, 3}, {"sprite_set_bbox_mode", 2, 2}, {"sprite_set_bbox", 5, 5},
        {"sprite_set_precise", 2, 2}, {"sprite_set_alpha_from_sprite", 2, 2}, {"sprite_add", 6, 8},
        {"sprite_create_from_screen", 8, 10}, {"sprite_add_from_screen", 7, 5},
        {"sprite_create_from_surface", 9, 11}, {"sprite_add_from_surface", 8, 6}, {"sprite_replace", 7, 9},
        {"sprite_add_alpha", NONE, 6}, {"sprite_replace_alpha", NONE, 7}, {"sprite_add_sprite", 1, NONE},
        {"sprite_replace_sprite", 2, NONE}, {"sprite_save_strip", 2, NONE}, {"sprite_delete", 1, 1},
        {"sprite_duplicate", 1, 1}, {"sprite_assign", 2, 2}, {"sprite_merge", 2, 2}, {"sprite_save", 3, 3},
        {"sprite_get_texture", 2, 2}, {"draw_self", 0, 0}, {"draw_sprite", 4, 4}, {"draw_sprite_ext", 9, 9},
        {"draw_sprite_pos", 11, 11}, {"draw_sprite_stretched", 6, 6}, {"draw_sprite_stretched_ext", 8, 8},
        {"draw_sprite_part", 8, 8}, {"draw_sprite_part_ext", 12, 12}, {"draw_sprite_general", 16, 16},
        {"draw_sprite_tiled", 4, 4}, {"draw_sprite_tiled_ext", 8, 8},
    };
    testsupport::RegisterBuiltins();
    for (const char* tag : {"GEN8", "GEN7", "GENL"}) {
        Function_FreeTable();
        Function_SetHeaderTag(tag);
        RegisterAllFunctionFamilies();
        bool older = std::string(tag) != "GEN8";
        for (const Row& row : rows) EXPECT_EQ(older ? row.older : row.current, Registered(row.name)) << tag << " " << row.name;
    }
    Function_FreeTable();
    Function_SetHeaderTag("GEN8");
}

class SpriteBuiltins : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sprite_Reset();
        g_GameOptions.showErrors = false;
        // Sprite 0 as read from the game file: two frames, one mask.
        spritetest::MakeMaskSprite(*Sprite_Get(Sprite_AddEmpty()), 2, {{"#.", ".#"}}, 1, 0);
    }
    void TearDown() override { Sprite_Reset(); }
};

TEST_F(SpriteBuiltins, GettersAnswerMinusOneForMissingSprites)
{
    EXPECT_EQ(-1, CallReal("sprite_get_width", {-1}));
    EXPECT_EQ(-1, CallReal("sprite_get_bbox_right", {3}));
    EXPECT_EQ("<undefined>", CallText("sprite_get_name", {-1}));
    EXPECT_EQ("__newsprite0", CallText("sprite_name", {0.4}));
    EXPECT_EQ(1, CallReal("sprite_exists", {0}));
    EXPECT_EQ(0, CallReal("sprite_exists", {1}));
    EXPECT_EQ(2, CallReal("sprite_get_number", {0}));
    EXPECT_EQ(1, CallReal("sprite_get_xoffset", {0}));
    EXPECT_EQ(0, CallReal("sprite_get_tpe", {0, 0}));
    EXPECT_EQ(-1, CallReal("sprite_add_sprite", {"x"}));
}

TEST_F(SpriteBuiltins, MisuseIsReportedWithItsMessage)
{
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* message;
    } cases[] = {
        {"sprite_collision_mask", {5, 0, 0, 0, 0, 0, 0, 0, 0}, "Trying to set the collision mask of non-existing sprite."},
        {"sprite_add_from_screen", {5, 0, 0, 1, 1, 0, 0}, "Trying to add to non-existing sprite."},
        {"sprite_replace", {5, "a.png", 1, 0, 0, 0, 0}, "Trying to replace non-existing sprite."},
        {"sprite_merge", {5, 0}, "Trying to merge to non-existing sprite."},
        {"sprite_merge", {0, 5}, "Trying to merge from non-existing sprite."},
        {"sprite_merge", {0, 0}, "sprite_merge() requires the destination sprite to have been duplicated"},
        {"sprite_save", {5, 0, "a.png"}, "Trying to save non-existing sprite bitmap."},
        {"sprite_save", {0, 0, ""}, "Trying to save sprite bitmap to empty image file name."},
        {"sprite_save_strip", {0, 7}, "Trying to save sprite bitmap to empty image file name."},
        {"sprite_delete", {5}, "Trying to delete non-existing sprite."},
        {"sprite_duplicate", {-1}, "Trying to duplicate non-existing sprite."},
        {"sprite_assign", {0, 5}, "Error assigning a sprite."},
        {"draw_sprite", {5, 0, 0, 0}, "Trying to draw non-existing sprite."},
        {"draw_sprite_ext", {-1, 0, 0, 0, 1, 1, 0, 0, 1}, "Trying to draw non-existing sprite."},
        {"draw_self", {}, "Trying to draw non-existing sprite."},
        {"sprite_get_texture", {5, 0}, "Trying to get texture from non-existing sprite."},
    };
    CInstance self(0, 0, 100001, -1, false);
    for (const Case& c : cases) {
        testsupport::LogCapture errors(ScriptConsole);
        testsupport::BuiltinResult result = CallBuiltin(c.name, c.args, &self);
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
        EXPECT_EQ(0, result.real) << c.name;
    }
}

TEST_F(SpriteBuiltins, ChangesOfFlagsBoxAndMasks)
{
    EXPECT_EQ(1, CallReal("sprite_duplicate", {0}));
    CallReal("sprite_set_precise", {1, 0.4});
    EXPECT_EQ(0, CallReal("sprite_get_precise", {1}));
    CallReal("sprite_set_precise", {1, 0.5}); // flags of this routine are true at 0.5
    EXPECT_EQ(1, CallReal("sprite_get_precise", {1}));
    CallReal("sprite_set_offset", {0, 3, 4});
    EXPECT_EQ(4, CallReal("sprite_get_yoffset", {0}));
    CallReal("sprite_set_bbox", {0, 0, 0, 1, 1}); // not manual: unchanged
    EXPECT_EQ(0, CallReal("sprite_get_bbox_top", {0}));
    CallReal("sprite_set_bbox_mode", {0, 2});
    CallReal("sprite_set_bbox", {0, 0, 1, 1, 1});
    EXPECT_EQ(1, CallReal("sprite_get_bbox_top", {0}));
    // A game-file sprite gets no masks by shape, yet becomes precise.
    CallReal("sprite_set_precise", {0, 0});
    CallReal("sprite_collision_mask", {0, 1, 1, 0, 0, 0, 0, 1, 0});
    EXPECT_EQ(1, CallReal("sprite_get_precise", {0}));
    EXPECT_EQ(0, Sprite_Get(0)->GetMaskCount());
}

TEST_F(SpriteBuiltins, SavingAGameFileSpriteLogsItsFailure)
{
    CapturedLog log;
    CallReal("sprite_save", {0, 0, "sprite_builtin_test.png"});
    EXPECT_TRUE(log.Has("sprite_save() failed - no bitmap data available\n"));
    FILE* file = std::fopen("sprite_builtin_test.png", "rb");
    EXPECT_EQ(nullptr, file);
    if (file != nullptr) std::fclose(file);
}

TEST_F(SpriteBuiltins, TextureOfANegativeSubImageIsTheSelfInstancesFrame)
{
    int32_t own = Sprite_AddEmpty();
    spritetest::MakePictureSprite(*Sprite_Get(own), {"#.#.#."}, 3);
    CInstance self(0, 0, 100001, -1, false);
    self.i_imageindex = 2.7f;
    double viaSelf = CallBuiltin("sprite_get_texture", {own, -1}, &self).real;
    EXPECT_EQ(CallBuiltin("sprite_get_texture", {own, 2.9}, &self).real, viaSelf);
    EXPECT_NE(CallBuiltin("sprite_get_texture", {own, 1}, &self).real, viaSelf);
    EXPECT_EQ(-1, CallReal("sprite_get_texture", {Sprite_AddEmpty(), 0})); // no frames
}

TEST_F(SpriteBuiltins, ArgumentConversions)
{
    // A smooth flag of 0.5 is off for sprite_add; the sprite index of draw_sprite is truncated.
    const char* name = "sprite_builtin_test_add.png";
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 2, 2, std::vector<uint32_t>(4, ~0u)});
    FILE* file = std::fopen(name, "wb");
    ASSERT_NE(nullptr, file);
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
    double added = CallReal("sprite_add", {name, 1, 1, 0.5, 0, 0});
    std::remove(name);
    ASSERT_EQ(1, added);
    EXPECT_EQ(0, CallReal("sprite_get_smooth", {added}));
    EXPECT_EQ(1, CallReal("sprite_get_transparent", {added}));
    testsupport::LogCapture errors(ScriptConsole);
    CallReal("draw_sprite", {1.9, 0, 0, 0});
    EXPECT_EQ("", errors.Text());
    CallReal("draw_sprite", {2.5, 0, 0, 0});
    EXPECT_NE(std::string::npos, errors.Text().find("Trying to draw non-existing sprite."));
}

} // namespace
