// The font family and the Graphic family's text group, called by script name.
#include <gtest/gtest.h>

#include <string>

#include "Function_TestCases.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Table.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Text.h"
#include "sprite/Sprite_Table.h"

using testsupport::CallBuiltin;
using testsupport::CallReal;

namespace {

// The text group's rows are checked with the Graphic family's run.
TEST(FontBuiltinRows, NamesAndCountsInRegistrationOrder)
{
    functiontest::ExpectRegisteredRun(
        "font_* exists:1 get_name:1 name:1 get_fontname:1 ~ replace_sprite_ext:5 delete:1");
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
    functiontest::ExpectCases({{"font_add", {"Serif", 9.5, 0.5, 0.4, 32, 127}, 0}, {"font_get_size", {0.4}, 10},
                               {"font_get_bold", {0}, 1}, {"font_get_italic", {0}, 0},
                               {"font_add_sprite_ext", {0, "ABCDEFG", 0, 0}, 1},
                               {"font_replace_sprite", {1, 0, 65, 1, 0}, 1}, {"font_delete", {1}, 1}});
    const char* replace = "Trying to replace non-existing font.";
    const char* sprite = "Trying to create font from non-existing sprite.";
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        const char *message, *absent;
    } cases[] = {
        {"font_add_sprite", {5, 32, 0, 0}, sprite, nullptr}, {"font_add_sprite_ext", {5, "a", 0, 0}, sprite, nullptr},
        {"font_replace", {3, "x", 1, 0, 0, 32, 127}, replace, nullptr},
        {"font_replace_sprite", {3, 5, 32, 0, 0}, replace, "from non-existing sprite"},
        {"font_replace_sprite_ext", {0, 5, "a", 0, 0}, "Trying to replace font from non-existing sprite.", nullptr},
        {"font_delete", {1}, "Trying to delete non-existing font.", nullptr},
    };
    for (const Case& c : cases) {
        testsupport::LogCapture errors(ScriptConsole);
        EXPECT_EQ(0, CallReal(c.name, c.args)) << c.name;
        EXPECT_NE(std::string::npos, errors.Text().find(c.message)) << c.name << ": " << errors.Text();
        EXPECT_TRUE(c.absent == nullptr || errors.Text().find(c.absent) == std::string::npos) << c.name;
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
    for (size_t i = 0; a.size() == b.size() && i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].u != b[i].u || a[i].v != b[i].v) return false;
    return a.size() == b.size();
}

TEST_F(TextBuiltins, RealsDrawAsWholeNumbersOrWithTwoDecimals)
{
    struct Case {
        double real;
        const char* text;
    } cases[] = {{7, "7"}, {-0.5, "-0.50"}, {2.999, "3.00"}, {1.0 / 3, "0.33"}, {1e10, "10000000000.00"},
                 {-2147483648.0, "-2147483648"}, {16777217, "16777216"}};
    for (const Case& c : cases) {
        std::vector<TexturedVertex> real = Drawn(c.real);
        EXPECT_EQ(6 * std::string(c.text).size(), real.size()) << c.text;
        EXPECT_TRUE(SameVertices(Drawn(c.text), real)) << c.text;
    }
    // Measuring takes no number: a real measures as no text.
    functiontest::ExpectCases({{"string_width", {12345}, 1}, {"string_height", {12345}, 1}, {"string_height", {"a"}, 10},
                               {"string_height_ext", {"a#b", 20.4, -1}, 30}});
}

} // namespace
