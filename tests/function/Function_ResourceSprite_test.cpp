// The sprite built-ins and the sprite drawing built-ins, called by script name.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "Function_TestCases.h"
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

using functiontest::ExpectCases;

TEST(SpriteBuiltinRows, NamesAndCountsUnderBothHeaders)
{
    functiontest::ExpectCountsUnderHeaders(
        "sprite_* name:1 exists:1 get_name:1 get_number:1 ~ add:6/8 create_from_screen:8/10 "
        "add_from_screen:7/5 ~ draw_sprite_* tiled:4 tiled_ext:8");
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

TEST_F(SpriteBuiltins, GettersAnswerMinusOneForMissingSpritesAndMisuseIsReported)
{
    ExpectCases({{"sprite_get_width", {-1}, -1}, {"sprite_get_bbox_right", {3}, -1}, {"sprite_get_name", {-1}, "<undefined>"},
                 {"sprite_name", {0.4}, "__newsprite0"}, {"sprite_exists", {0}, 1}, {"sprite_exists", {1}, 0},
                 {"sprite_get_number", {0}, 2}, {"sprite_get_xoffset", {0}, 1}, {"sprite_get_tpe", {0, 0}, 0},
                 {"sprite_add_sprite", {"x"}, -1}});
    const char* draw = "Trying to draw non-existing sprite.";
    const char* noName = "Trying to save sprite bitmap to empty image file name.";
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
        {"sprite_save", {0, 0, ""}, noName}, {"sprite_save_strip", {0, 7}, noName},
        {"sprite_delete", {5}, "Trying to delete non-existing sprite."},
        {"sprite_duplicate", {-1}, "Trying to duplicate non-existing sprite."},
        {"sprite_assign", {0, 5}, "Error assigning a sprite."}, {"draw_sprite", {5, 0, 0, 0}, draw},
        {"draw_sprite_ext", {-1, 0, 0, 0, 1, 1, 0, 0, 1}, draw}, {"draw_self", {}, draw},
        {"sprite_get_texture", {5, 0}, "Trying to get texture from non-existing sprite."},
    };
    CInstance self(0, 0, 100001, -1, false);
    for (const Case& c : cases) {
        testsupport::LogCapture errors(ScriptConsole);
        EXPECT_EQ(0, CallBuiltin(c.name, c.args, &self).real) << c.name;
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
    }
}

TEST_F(SpriteBuiltins, ChangesOfFlagsBoxAndMasks)
{
    // Flags of sprite_set_precise are true at 0.5; the box changes only in manual mode; a game-file
    // sprite gets no masks by shape, yet becomes precise.
    ExpectCases({{"sprite_duplicate", {0}, 1}, {"sprite_set_precise", {1, 0.4}, 0}, {"sprite_get_precise", {1}, 0},
                 {"sprite_set_precise", {1, 0.5}, 0}, {"sprite_get_precise", {1}, 1}, {"sprite_set_offset", {0, 3, 4}, 0},
                 {"sprite_get_yoffset", {0}, 4}, {"sprite_set_bbox", {0, 0, 0, 1, 1}, 0}, {"sprite_get_bbox_top", {0}, 0},
                 {"sprite_set_bbox_mode", {0, 2}, 0}, {"sprite_set_bbox", {0, 0, 1, 1, 1}, 0},
                 {"sprite_get_bbox_top", {0}, 1}, {"sprite_set_precise", {0, 0}, 0},
                 {"sprite_collision_mask", {0, 1, 1, 0, 0, 0, 0, 1, 0}, 0}, {"sprite_get_precise", {0}, 1}});
    EXPECT_EQ(0, Sprite_Get(0)->GetMaskCount());
}

TEST_F(SpriteBuiltins, SavingTexturesAndArgumentConversions)
{
    CapturedLog log;
    CallReal("sprite_save", {0, 0, "sprite_builtin_test.png"});
    EXPECT_TRUE(log.Has("sprite_save() failed - no bitmap data available\n"));
    EXPECT_FALSE(std::ifstream("sprite_builtin_test.png").good());
    // A negative sub-image is the self instance's frame.
    int32_t own = Sprite_AddEmpty();
    spritetest::MakePictureSprite(*Sprite_Get(own), {"#.#.#."}, 3);
    CInstance self(0, 0, 100001, -1, false);
    self.i_imageindex = 2.7f;
    double viaSelf = CallBuiltin("sprite_get_texture", {own, -1}, &self).real;
    EXPECT_EQ(CallBuiltin("sprite_get_texture", {own, 2.9}, &self).real, viaSelf);
    EXPECT_NE(CallBuiltin("sprite_get_texture", {own, 1}, &self).real, viaSelf);
    EXPECT_EQ(-1, CallReal("sprite_get_texture", {Sprite_AddEmpty(), 0})); // no frames
    // A smooth flag of 0.5 is off for sprite_add; the sprite index of draw_sprite is truncated.
    const char* name = "sprite_builtin_test_add.png";
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 2, 2, std::vector<uint32_t>(4, ~0u)});
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    double added = CallReal("sprite_add", {name, 1, 1, 0.5, 0, 0});
    std::remove(name);
    ASSERT_EQ(3, added);
    ExpectCases({{"sprite_get_smooth", {added}, 0}, {"sprite_get_transparent", {added}, 1}});
    testsupport::LogCapture errors(ScriptConsole);
    CallReal("draw_sprite", {3.9, 0, 0, 0});
    EXPECT_EQ("", errors.Text());
    CallReal("draw_sprite", {4.5, 0, 0, 0});
    EXPECT_NE(std::string::npos, errors.Text().find("Trying to draw non-existing sprite."));
}

TEST_F(SpriteBuiltins, ShapeChangesReachTheBoxesOfImageAndMaskUsers)
{
    // An instance whose box was computed against a small sprite, used as its image or its mask, sees
    // the sprite's new shape after each change: its box equals one computed afresh.
    const char* name = "sprite_builtin_test_box.png";
    std::vector<uint8_t> png = gamebuild::EncodePng(gamebuild::PictureDesc{"", 8, 6, std::vector<uint32_t>(48, ~0u)});
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    struct Change {
        const char* name;
        std::vector<testsupport::TestArg> args; // the changed sprite is the first argument
    } changes[] = {
        {"sprite_assign", {-1, -2}}, {"sprite_replace", {-1, name, 1, 0, 0, 0, 0}}, {"sprite_set_offset", {-1, 3, 2}},
        {"sprite_delete", {-1}},
    };
    for (const Change& change : changes)
        for (bool asMask : {false, true}) {
            int32_t own = Sprite_AddEmpty();
            spritetest::MakeMaskSprite(*Sprite_Get(own), 1, {{"##", "##"}});
            int32_t wide = int32_t(CallReal("sprite_add", {name, 1, 0, 0, 0, 0}));
            CInstance user(10, 20, 100001, -1, false);
            if (asMask) user.SetMaskIndex(own); else user.SetSpriteIndex(own);
            InstanceBox before = user.GetBoundingBox();
            std::vector<testsupport::TestArg> args = change.args;
            args[0] = own;
            if (args.size() == 2 && std::string(change.name) == "sprite_assign") args[1] = wide;
            CallReal(change.name, args);
            CInstance fresh(10, 20, 100002, -1, false);
            if (asMask) fresh.SetMaskIndex(own); else fresh.SetSpriteIndex(own);
            InstanceBox expected = fresh.GetBoundingBox(), after = user.GetBoundingBox();
            std::string what = std::string(change.name) + (asMask ? " as mask" : " as image");
            EXPECT_FALSE(before.left == expected.left && before.right == expected.right && before.top == expected.top &&
                         before.bottom == expected.bottom)
                << what << ": the change must move the box";
            EXPECT_EQ(expected.left, after.left) << what;
            EXPECT_EQ(expected.right, after.right) << what;
            EXPECT_EQ(expected.top, after.top) << what;
            EXPECT_EQ(expected.bottom, after.bottom) << what;
        }
    std::remove(name);
}

} // namespace
