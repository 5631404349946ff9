// The font chunk read through the game file, refused when malformed, and the table's run-time
// changes: additions, holes, replacements and sprite fonts mapped through the character table.
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Table.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "graphics/Graphics_Text.h"
#include "sprite/Sprite_Table.h"

namespace {

// Font 0 with a picture and three glyphs, slot 1 empty, font 2 without a system font name; a sprite
// whose first frame is cropped to its opaque columns 1 and 2; a character table mapping A, B, C to a, b, c.
const char* const FONTS = R"({"textures": {"pageSize": 64}, "fonts": [
    {"name": "fnt_cells", "fontName": "Cells Sans", "size": 14, "bold": 1, "first": 65, "last": 90, "charset": 2,
     "antialias": 1, "xscale": 2.0, "picture": {"width": 12, "height": 7, "fill": "0xFFFFFFFF"}, "glyphs": [
       {"char": "A", "x": 0, "y": 0, "w": 4, "h": 6, "shift": 6, "offset": 1},
       {"char": "B", "x": 5, "y": 1, "w": 2, "h": 5, "shift": -3, "offset": -2},
       {"char": "D", "x": 8, "y": 0, "w": 4, "h": 7, "shift": 5, "offset": 0}]},
    null, {"name": "fnt_plain", "fontName": null}],
  "sprites": [{"name": "spr_letters", "frames": [{"width": 4, "height": 2, "fill": 0}, {"width": 4, "height": 2, "fill": "0xFF000000"}]}]})";

class FontTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font_Clear();
        Sprite_Reset();
        gamebuild::GameDesc game;
        std::string errors;
        ASSERT_TRUE(gamebuild::ReadManifest(FONTS, ".", game, errors)) << errors;
        for (size_t at : {1, 2, 5, 6}) game.sprites[0].frames[0].pixels[at] = 0xFF000000u;
        for (int32_t i = 0; i < 256; ++i) game.fontCharacters.push_back(i >= 65 && i <= 67 ? i + 32 : i);
        m_Bytes = BuildBytes(game);
    }
    void TearDown() override
    {
        Font_Clear();
        Sprite_Reset();
    }
    bool LoadFonts(const std::vector<uint8_t>& bytes, uint32_t cut = 0)
    {
        LoadInto(m_File, bytes);
        size_t chunk = FindChunk(bytes, "FONT");
        return Font_Load(m_File, uint32_t(chunk + 8), ReadWord(bytes, chunk + 4) - cut);
    }
    // A sprite of three frames 3 x 2, the middle column of the second one clear.
    static int32_t ThreeFrames()
    {
        int32_t index = Sprite_AddEmpty();
        spritetest::MakePictureSprite(*Sprite_Get(index), {"######.##", "######.##"}, 3);
        return index;
    }
    static std::u16string Codes(const CFontKV& font)
    {
        std::u16string codes;
        for (int32_t i = 0; i < font.GetGlyphCount(); ++i) codes += char16_t(font.GetGlyph(i).code);
        return codes;
    }
    std::vector<uint8_t> m_Bytes;
    GameFile m_File;
};

TEST_F(FontTable, ChunkGivesFieldsGlyphsAndNames)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    ASSERT_EQ(3, Font_Count());
    EXPECT_FALSE(Font_Exists(1));
    EXPECT_STREQ("<undefined>", Font_Name(1));
    EXPECT_EQ(2, Font_Find("fnt_plain"));
    const CFontKV* f = Font_Data(0);
    EXPECT_EQ(nullptr, Font_Data(2)->GetFontname());
    // The packed word: first character, character set, antialiasing plus 1 (none given: 3).
    EXPECT_EQ((std::vector<int32_t>{65, 2, 1, 3, 12, 7, 7}),
              (std::vector<int32_t>{f->GetFirst(), f->GetCharset(), f->GetAntialias(), Font_Data(2)->GetAntialias(),
                                    f->GetTextureWidth(), f->GetTextureHeight(), f->LineHeight()}));
    EXPECT_FLOAT_EQ(2.0f, f->GetXScale());
    // The second glyph lies 14 bytes after the first: fields read one by one, signs kept.
    const FontGlyph* b = f->FindGlyph('B');
    ASSERT_NE(nullptr, b);
    EXPECT_EQ((std::vector<int32_t>{5, 1, -3, -2}), (std::vector<int32_t>{b->x, b->y, b->shift, b->offset}));
    EXPECT_EQ(nullptr, f->FindGlyph('C'));
    ASSERT_NE(nullptr, f->GetEntry());
    EXPECT_EQ(12, f->GetEntry()->width); // whole: fonts are never cropped
}

TEST_F(FontTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    uint32_t record = ChunkRecord(m_Bytes, "FONT", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct { uint32_t at, value; const char* line; } cases[] = {
        {record, size + 100, "FONT: font 0 has a name outside the file"},
        {record + 4, size, "FONT: font 0 has a system font name outside the file"},
        {record + 28, size - 10, "FONT: font 0 has a texture-page entry outside the file"},
        {record + 40, 0x40000000, "FONT: font 0 has more glyphs than the file holds"},
        {record + 40, 0xFFFFFFFF, "FONT: font 0 has more glyphs than the file holds"},
        {record + 48, size - 13, "FONT: font 0 has a glyph outside the file"},
        {record + 44, 0, "FONT: font 0 has a glyph outside the file"},
        {uint32_t(FindChunk(m_Bytes, "FONT")) + 12, size - 20, "FONT: font 0 runs past the end of the file"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadFonts(bytes)) << c.line;
        EXPECT_TRUE(log.Has(c.line)) << c.line << "\n" << log.Text();
        EXPECT_EQ(0, Font_Count()) << c.line;
    }
    EXPECT_TRUE(LoadFonts(m_Bytes));
}

TEST_F(FontTable, AdditionsGrowByFiveAndDeletionsLeaveHoles)
{
    ASSERT_TRUE(LoadFonts(m_Bytes));
    ASSERT_TRUE(Font_Delete(2)); // a deleted last slot still counts
    EXPECT_EQ(3, Font_Capacity());
    EXPECT_EQ(3, Font_Add("Arial", 10, true, false, -4, 300));
    EXPECT_STREQ("__newfont3", Font_Name(3));
    EXPECT_EQ(8, Font_Capacity());
    const CFontKV* added = Font_Data(3);
    EXPECT_EQ((std::vector<int32_t>{0, 255, 0, 0, 0}), (std::vector<int32_t>{added->GetFirst(), added->GetLast(),
                                                       added->GetGlyphCount(), added->TextWidth(u"abc"), added->GlyphAdvance('a')}));
    EXPECT_TRUE(Font_Delete(0));
    EXPECT_FALSE(Font_Delete(0));
    EXPECT_EQ(-1, Font_Find("fnt_cells"));
    GR_Text_SetFont(0); // the text layer then draws index 0 with its default font
    EXPECT_STREQ("debug", GR_Text_Font()->GetFontname());
    GR_Text_FreeDefaultFont();
    // A hole in range is filled and keeps no name; beyond the count nothing is replaced.
    EXPECT_TRUE(Font_Replace(1, "Serif", 8, false, true, 32, 127));
    EXPECT_EQ(nullptr, Font_Name(1));
    EXPECT_TRUE(Font_Data(1)->GetItalic());
    EXPECT_FALSE(Font_Replace(4, "Serif", 8, false, true, 32, 127));
    EXPECT_FALSE(Font_ReplaceSprite(-1, 0, 32, false, 0));
}

TEST_F(FontTable, SpriteFramesTakeTheirCharactersThroughTheTable)
{
    int32_t sprite = ThreeFrames();
    // Sorted, the added space first; past entry 255 the code itself; a body too short for the table
    // (records where they were, no room for it) leaves the codes as they are.
    struct { uint32_t cut; int32_t first; std::u16string codes; } cases[] = {
        {0, 65, u" abc"}, {0, 254, u" \u00FE\u00FF\u0100"}, {20, 65, u" ABC"}};
    for (const auto& c : cases) {
        uint32_t length = ReadWord(m_Bytes, FindChunk(m_Bytes, "FONT") + 4);
        ASSERT_TRUE(LoadFonts(m_Bytes, c.cut ? length - c.cut : 0)) << c.first;
        EXPECT_EQ(c.codes, Codes(*Font_Data(Font_AddSprite(sprite, c.first, false, 1)))) << c.first << " " << c.cut;
    }
    ASSERT_TRUE(Font_ReplaceSprite(0, sprite, 65, false, 1));
    EXPECT_EQ(u" ABC", Codes(*Font_Data(0)));
    EXPECT_STREQ("fnt_cells", Font_Name(0));
}

TEST_F(FontTable, SpriteFontsMeasureByFrameBoundsAndGainASpace)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    int32_t sprite = ThreeFrames();
    struct { int32_t sprite; const char* map; bool proportional; int32_t separation; std::u16string codes;
             std::vector<int32_t> shifts, offsets; int32_t last; } cases[] = { // shifts and offsets in code order
        {sprite, "ABCDEFG", false, 1, u" ABC", {4, 4, 4, 4}, {0, 0, 0, 0}, 36}, // cut to three frames; the
        {0, "ba", true, 1, u" ab", {5, 5, 3}, {0, 0, -1}, 35},                  // space takes the widest advance
        {0, "ba", false, 1, u" ab", {5, 5, 5}, {0, 0, 0}, 35}, // the file's frame 0: columns 1 to 3 of its crop
        {sprite, "Q Z", false, -1, u" QZ", {2, 2, 2}, {0, 0, 0}, 35},
    };
    for (const auto& c : cases) {
        const CFontKV& f = *Font_Data(Font_AddSpriteExt(c.sprite, c.map, c.proportional, c.separation));
        ASSERT_EQ(c.codes, Codes(f)) << c.map;
        std::vector<int32_t> shifts, offsets;
        for (int32_t i = 0; i < f.GetGlyphCount(); ++i) shifts.push_back(f.GetGlyph(i).shift), offsets.push_back(f.GetGlyph(i).offset);
        EXPECT_EQ(c.shifts, shifts) << c.map;
        EXPECT_EQ(c.offsets, offsets) << c.map;
        EXPECT_EQ((std::vector<int32_t>{32, c.last, 2}), (std::vector<int32_t>{f.GetFirst(), f.GetLast(), f.LineHeight()})) << c.map;
    }
    Font_AddSpriteExt(99, "AB", false, 0);
    EXPECT_EQ(0, Font_Data(Font_Count() - 1)->GetGlyphCount());
}

} // namespace
