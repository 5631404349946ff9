// The font family and the Graphic family's text group, called by script name.
#include <gtest/gtest.h>

#include <string>

#include "../TestSupport_Builtins.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Table.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Text.h"
#include "sprite/Sprite_Table.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;

namespace {

TEST(FontBuiltinRows, NamesAndCountsInRegistrationOrder)
{
    const std::pair<const char*, int32_t> rows[] = {
        {"font_exists", 1},          {"font_get_name", 1},       {"font_name", 1},
        {"font_get_fontname", 1},    {"font_get_size", 1},       {"font_get_bold", 1},
        {"font_get_italic", 1},      {"font_get_first", 1},      {"font_get_last", 1},
        {"font_add", 6},             {"font_add_sprite", 4},     {"font_add_sprite_ext", 4},
        {"font_replace", 7},         {"font_replace_sprite", 5}, {"font_replace_sprite_ext", 5},
        {"font_delete", 1},          {"draw_set_font", 1},       {"draw_set_halign", 1},
        {"draw_set_valign", 1},      {"string_width", 1},        {"string_height", 1},
        {"string_width_ext", 3},     {"string_height_ext", 3},   {"draw_text", 3},
        {"draw_text_ext", 5},        {"draw_text_transformed", 6}, {"draw_text_ext_transformed", 8},
        {"draw_text_color", 8},      {"draw_text_transformed_color", 11}, {"draw_text_ext_color", 10},
        {"draw_text_ext_transformed_color", 13},
    };
    testsupport::RegisterBuiltins();
    int32_t previous = -1;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        int32_t id = -1;
        ASSERT_TRUE(Code_Function_Find(rows[i].first, &id)) << rows[i].first;
        EXPECT_EQ(rows[i].second, Function_Get(id)->argCount) << rows[i].first;
        // Each group registers its names in order; the text group follows the font group's family.
        if (i != 0 && i != 16) {
            EXPECT_EQ(previous + 1, id) << rows[i].first;
        }
        previous = id;
    }
}

class FontBuiltins : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font_Clear();
        Sprite_Reset();
        g_GameOptions.showErrors = false;
        spritetest::MakePictureSprite(*Sprite_Get(Sprite_AddEmpty()), {"########"}, 4);
    }
    void TearDown() override
    {
        Font_Clear();
        Sprite_Reset();
    }
};

TEST_F(FontBuiltins, ArgumentsRoundAndFlagAndMisuseIsReported)
{
    // Size 9.5 rounds to the even 10; bold at 0.5 is set, italic at 0.4 is not.
    EXPECT_EQ(0, CallReal("font_add", {"Serif", 9.5, 0.5, 0.4, 32, 127}));
    EXPECT_EQ((std::vector<double>{10, 1, 0}), (std::vector<double>{CallReal("font_get_size", {0.4}),
                                                                     CallReal("font_get_bold", {0}),
                                                                     CallReal("font_get_italic", {0})}));
    EXPECT_EQ(1, CallReal("font_add_sprite_ext", {0, "ABCDEFG", 0, 0}));
    EXPECT_EQ(1, CallReal("font_replace_sprite", {1, 0, 65, 1, 0}));
    EXPECT_EQ(1, CallReal("font_delete", {1}));

    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char* message;
        const char* absent;
    } cases[] = {
        {"font_add_sprite", {5, 32, 0, 0}, "Trying to create font from non-existing sprite.", nullptr},
        {"font_add_sprite_ext", {5, "a", 0, 0}, "Trying to create font from non-existing sprite.", nullptr},
        {"font_replace", {3, "x", 1, 0, 0, 32, 127}, "Trying to replace non-existing font.", nullptr},
        {"font_replace_sprite", {3, 5, 32, 0, 0}, "Trying to replace non-existing font.", "from non-existing sprite"},
        {"font_replace_sprite_ext", {0, 5, "a", 0, 0}, "Trying to replace font from non-existing sprite.", nullptr},
        {"font_delete", {1}, "Trying to delete non-existing font.", nullptr},
    };
    for (const Case& c : cases) {
        testsupport::LogCapture errors(ScriptConsole);
        EXPECT_EQ(0, CallReal(c.name, c.args)) << c.name;
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
        if (c.absent != nullptr) {
            EXPECT_EQ(std::string::npos, errors.Text().find(c.absent)) << c.name;
        }
    }
}

class TextBuiltins : public capture::DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        Font_Clear();
        CallBuiltin("draw_set_font", {-1});
    }
    void TearDown() override
    {
        GR_Text_FreeDefaultFont();
        DrawTest::TearDown();
    }
    std::vector<TexturedVertex> Drawn(const testsupport::TestArg& value)
    {
        CallBuiltin("draw_text", {10, 20, value});
        std::vector<capture::Drawn> draws = capture::Draws();
        return draws.empty() ? std::vector<TexturedVertex>() : draws[0].v;
    }
};

bool SameVertices(const std::vector<TexturedVertex>& a, const std::vector<TexturedVertex>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].u != b[i].u || a[i].v != b[i].v) return false;
    return true;
}

TEST_F(TextBuiltins, RealsDrawAsWholeNumbersOrWithTwoDecimals)
{
    struct Case {
        double real;
        const char* text;
    } cases[] = {
        {7, "7"}, {-0.5, "-0.50"}, {2.999, "3.00"}, {1.0 / 3, "0.33"}, {1e10, "10000000000.00"},
        {-2147483648.0, "-2147483648"}, {16777217, "16777216"},
    };
    for (const Case& c : cases) {
        std::vector<TexturedVertex> real = Drawn(c.real);
        EXPECT_EQ(6 * std::string(c.text).size(), real.size()) << c.text;
        EXPECT_TRUE(SameVertices(Drawn(c.text), real)) << c.text;
    }
    // Measuring takes no number: a real measures as no text.
    EXPECT_EQ(1, CallReal("string_width", {12345}));
    EXPECT_EQ(1, CallReal("string_height", {12345}));
    EXPECT_EQ(10, CallReal("string_height", {"a"}));
    EXPECT_EQ(30, CallReal("string_height_ext", {"a#b", 20.4, -1}));
}

} // namespace
