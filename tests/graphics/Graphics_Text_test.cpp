// The text layer: strings split into lines (hash signs, line ends, wrapping), measured and aligned,
// and the default font drawn from the overlay font's art.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Graphics_DrawCapture.h"
#include "font/Font_Class.h"
#include "graphics/Graphics_Text.h"

using capture::Draws;

namespace {

// Every character from space to 'z' two wide and five high.
CFontKV& NarrowFont()
{
    static CFontKV* font = [] {
        std::vector<uint8_t> table;
        for (int32_t c = ' '; c <= 'z'; ++c) table.insert(table.end(), {0, 0, 2, 5});
        return new CFontKV(table.data(), ' ', 'z', -1);
    }();
    return *font;
}

std::vector<std::u16string> Lines(const char* text, int32_t width)
{
    TextLineList lines;
    lines.Split(NarrowFont(), text, width);
    std::vector<std::u16string> out;
    for (size_t i = 0; i < lines.Count(); ++i) out.emplace_back(lines.Line(i));
    return out;
}

TEST(TextLines, HashSignsLineEndsAndWrapping)
{
    struct Case {
        const char* text;
        int32_t width;
        std::vector<std::u16string> lines;
    } cases[] = {
        {"A#B", -1, {u"A", u"B"}},
        {"A\\#B", -1, {u"A#B"}},
        {"A\r\nB", -1, {u"A", u"", u"B"}},
        {"A\r\nB", 100, {u"A", u"\nB"}},
        {"AB", 1, {}},
        {"AA LONGWORD B", 6, {u"AA", u"LONGWORD", u"B"}},
        {"  AB CD", 8, {u"  AB", u"CD"}},
        {"AB##C", 100, {u"AB", u"", u"C"}},
        {"AB CD", 4, {u"AB", u"CD"}},
        {nullptr, -1, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, Lines(c.text, c.width)) << (c.text != nullptr ? c.text : "null") << " at " << c.width;
}

class TextLayer : public capture::DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        GR_Text_SetFont(-1);
        GR_Text_SetHAlign(0);
        GR_Text_SetVAlign(0);
        GR_Draw_Set_Colour(0xFFFFFF);
    }
    void TearDown() override
    {
        GR_Text_SetHAlign(0);
        GR_Text_SetVAlign(0);
        GR_Text_FreeDefaultFont();
        DrawTest::TearDown();
    }
    // The left and top of the first glyph quad drawn.
    std::pair<float, float> FirstCorner(const char* text, int32_t halign, int32_t valign)
    {
        GR_Text_SetHAlign(halign);
        GR_Text_SetVAlign(valign);
        GR_Text_Draw(100, 100, text, -1, -1);
        std::vector<capture::Drawn> draws = Draws();
        if (draws.empty() || draws[0].v.empty()) return {0.0f, 0.0f};
        return {draws[0].v[0].x, draws[0].v[0].y};
    }
};

TEST_F(TextLayer, TheDefaultFontMeasuresByItsCellsAndAligns)
{
    // "I" is three columns of ink and a blank: 4 wide; every cell is 10 high.
    EXPECT_EQ(4, GR_Text_StringWidth("I", -1, -1));
    EXPECT_EQ(1, GR_Text_StringWidth(nullptr, -1, -1));
    EXPECT_EQ(10, GR_Text_StringHeight("a", -1, -1));
    EXPECT_EQ(50, GR_Text_StringHeight("a#b#c", 20, -1));
    EXPECT_EQ(1, GR_Text_StringHeight("", -1, -1));
    struct Case {
        int32_t halign, valign;
        float x, y;
    } cases[] = {
        {0, 0, 99.5f, 99.5f}, {5, 7, 99.5f, 99.5f}, {1, 0, 97.5f, 99.5f},
        {2, 0, 95.5f, 99.5f}, {0, 1, 99.5f, 89.5f}, {0, 2, 99.5f, 79.5f},
    };
    for (const Case& c : cases) {
        std::pair<float, float> corner = FirstCorner("I#I", c.halign, c.valign);
        EXPECT_FLOAT_EQ(c.x, corner.first) << c.halign << "," << c.valign;
        EXPECT_FLOAT_EQ(c.y, corner.second) << c.halign << "," << c.valign;
    }
}

TEST_F(TextLayer, AMissingFontFallsBackToTheDefaultOneAndItsArt)
{
    GR_Text_SetFont(12345);
    GR_Text_Draw(0, 0, "I", -1, -1);
    std::vector<capture::Drawn> draws = Draws();
    ASSERT_EQ(1u, draws.size());
    ASSERT_EQ(6u, draws[0].v.size());
    uint8_t table[4 * (DEFAULT_FONT_LAST - DEFAULT_FONT_FIRST + 1)];
    std::vector<uint8_t> coverage(size_t(DEFAULT_FONT_WIDTH) * DEFAULT_FONT_HEIGHT);
    GR_Text_DrawDefaultFont(table, coverage.data());
    // "I": ink at the cell's first three columns of its top row, the spacing column blank.
    const uint8_t* cell = &table[4 * ('I' - DEFAULT_FONT_FIRST)];
    const uint8_t* top = &coverage[size_t(cell[1]) * DEFAULT_FONT_WIDTH + cell[0]];
    EXPECT_EQ((std::vector<uint8_t>{255, 255, 255, 0}), std::vector<uint8_t>(top, top + 4));
    EXPECT_EQ(4, cell[2]);
    EXPECT_EQ(10, cell[3]);
    EXPECT_FLOAT_EQ((cell[0] - 0.5f) / DEFAULT_FONT_WIDTH, draws[0].v[0].u);
}

} // namespace
