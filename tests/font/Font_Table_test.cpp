// The font chunk read through the game file, refused when malformed, and the table's run-time
// changes: additions, holes, replacements and sprite fonts mapped through the character table.
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Table.h"
#include "graphics/Graphics_Text.h"
#include "sprite/Sprite_Table.h"

namespace {

gamebuild::FontDesc CellFont()
{
    gamebuild::FontDesc f;
    f.name = "fnt_cells";
    f.fontName = "Cells Sans";
    f.size = 14;
    f.bold = true;
    f.first = 65;
    f.last = 90;
    f.charset = 2;
    f.antialias = 1;
    f.xscale = 2.0f;
    f.hasPicture = true;
    f.picture = gamebuild::PictureDesc{"cells", 12, 7, std::vector<uint32_t>(84, 0xFFFFFFFFu)};
    f.glyphs = {{65, 0, 0, 4, 6, 6, 1}, {66, 5, 1, 2, 5, -3, -2}, {68, 8, 0, 4, 7, 5, 0}};
    return f;
}

gamebuild::GameDesc FontGame()
{
    gamebuild::GameDesc game;
    gamebuild::FontDesc plain;
    plain.name = "fnt_plain";
    plain.hasFontName = false;
    gamebuild::FontDesc missing;
    missing.present = false;
    game.fonts = {CellFont(), missing, plain};
    // A frame cropped to its opaque columns 1 and 2, and a whole one.
    gamebuild::SpriteDesc letters;
    letters.name = "spr_letters";
    letters.frames = {gamebuild::PictureDesc{"a", 4, 2, {0, 0xFF000000u, 0xFF000000u, 0, 0, 0xFF000000u, 0xFF000000u, 0}},
                      gamebuild::PictureDesc{"b", 4, 2, std::vector<uint32_t>(8, 0xFF000000u)}};
    game.sprites = {letters};
    game.fontCharacters.assign(256, 0);
    for (int32_t i = 0; i < 256; ++i) game.fontCharacters[size_t(i)] = i;
    game.fontCharacters[65] = 'a', game.fontCharacters[66] = 'b', game.fontCharacters[67] = 'c';
    game.textures.pageSize = 64;
    return game;
}

class FontTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font_Clear();
        Sprite_Reset();
        m_Bytes = BuildBytes(FontGame());
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
    int32_t ThreeFrames()
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
    EXPECT_EQ((std::vector<int32_t>{65, 2, 1, 3}),
              (std::vector<int32_t>{f->GetFirst(), f->GetCharset(), f->GetAntialias(), Font_Data(2)->GetAntialias()}));
    EXPECT_FLOAT_EQ(2.0f, f->GetXScale());
    EXPECT_EQ((std::vector<int32_t>{12, 7, 7}),
              (std::vector<int32_t>{f->GetTextureWidth(), f->GetTextureHeight(), f->LineHeight()}));
    // The second glyph lies 14 bytes after the first: fields read one by one, signs kept.
    const FontGlyph* b = f->FindGlyph('B');
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(5, b->x);
    EXPECT_EQ(1, b->y);
    EXPECT_EQ(-3, b->shift);
    EXPECT_EQ(-2, b->offset);
    EXPECT_EQ(nullptr, f->FindGlyph('C'));
    ASSERT_NE(nullptr, f->GetEntry());
    EXPECT_EQ(12, f->GetEntry()->width); // whole: fonts are never cropped
}

TEST_F(FontTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    uint32_t record = ChunkRecord(m_Bytes, "FONT", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct Case {
        const char* what;
        uint32_t at, value;
        const char* line;
    } cases[] = {
        {"name past the file", record, size + 100, "FONT: font 0 has a name outside the file"},
        {"system font name past the file", record + 4, size, "FONT: font 0 has a system font name outside the file"},
        {"page entry past the file", record + 28, size - 10, "FONT: font 0 has a texture-page entry outside the file"},
        {"huge glyph count", record + 40, 0x40000000, "FONT: font 0 has more glyphs than the file holds"},
        {"negative glyph count", record + 40, 0xFFFFFFFF, "FONT: font 0 has more glyphs than the file holds"},
        {"glyph past the file", record + 48, size - 13, "FONT: font 0 has a glyph outside the file"},
        {"glyph at offset 0", record + 44, 0, "FONT: font 0 has a glyph outside the file"},
        {"record past the file", uint32_t(FindChunk(m_Bytes, "FONT")) + 12, size - 20, "FONT: font 0 runs past the end of the file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadFonts(bytes)) << c.what;
        EXPECT_TRUE(log.Has(c.line)) << c.what << "\n" << log.Text();
        EXPECT_EQ(0, Font_Count()) << c.what;
    }
    EXPECT_TRUE(LoadFonts(m_Bytes));
}

TEST_F(FontTable, AdditionsGrowByFiveAndDeletionsLeaveHoles)
{
    gamebuild::GameDesc two = FontGame();
    two.fonts.pop_back();
    ASSERT_TRUE(LoadFonts(BuildBytes(two)));
    EXPECT_EQ(2, Font_Capacity());
    EXPECT_EQ(2, Font_Add("Arial", 10, true, false, -4, 300));
    EXPECT_STREQ("__newfont2", Font_Name(2));
    EXPECT_EQ(7, Font_Capacity());
    const CFontKV* added = Font_Data(2);
    EXPECT_EQ(0, added->GetFirst());
    EXPECT_EQ(255, added->GetLast());
    EXPECT_EQ(0, added->GetGlyphCount());
    EXPECT_EQ(0, added->TextWidth(u"abc"));
    EXPECT_EQ(0, added->GlyphAdvance('a'));

    EXPECT_TRUE(Font_Delete(0));
    EXPECT_FALSE(Font_Delete(0));
    EXPECT_FALSE(Font_Exists(0));
    EXPECT_EQ(-1, Font_Find("fnt_cells"));
    // The text layer then draws index 0 with its default font.
    GR_Text_SetFont(0);
    EXPECT_STREQ("debug", GR_Text_Font()->GetFontname());
    GR_Text_FreeDefaultFont();
    EXPECT_EQ(3, Font_Add("Arial", 10, false, false, 32, 127));
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
    struct Case {
        const char* what;
        bool shortBody;
        int32_t first;
        std::u16string codes; // sorted, the added space first
    } cases[] = {
        {"through the table", false, 65, u" abc"},
        {"past entry 255 the code itself", false, 254, u" \u00FE\u00FF\u0100"},
        {"a body too short for the table", true, 65, u" ABC"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        uint32_t chunk = uint32_t(FindChunk(bytes, "FONT"));
        uint32_t length = ReadWord(bytes, chunk + 4);
        // Cutting the length leaves the records where they are but no room for the table.
        uint32_t cut = c.shortBody ? length - 20 : 0;
        ASSERT_TRUE(LoadFonts(bytes, cut)) << c.what;
        int32_t font = Font_AddSprite(sprite, c.first, false, 1);
        EXPECT_EQ(c.codes, Codes(*Font_Data(font))) << c.what;
    }
    ASSERT_TRUE(Font_ReplaceSprite(0, sprite, 65, false, 1));
    EXPECT_EQ(u" ABC", Codes(*Font_Data(0)));
    EXPECT_STREQ("fnt_cells", Font_Name(0));
}

TEST_F(FontTable, SpriteFontsMeasureByFrameBoundsAndGainASpace)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    int32_t sprite = ThreeFrames();
    struct Case {
        int32_t sprite;
        const char* map;
        bool proportional;
        int32_t separation;
        std::u16string codes;
        std::vector<int32_t> shifts, offsets; // in code order
        int32_t first, last, height;
    } cases[] = {
        // Cut to three frames; the added space takes the widest advance.
        {sprite, "ABCDEFG", false, 1, u" ABC", {4, 4, 4, 4}, {0, 0, 0, 0}, 32, 36, 2},
        // The file's frame 0 lies at columns 1 to 3 of its page entry's crop.
        {0, "ba", true, 1, u" ab", {5, 5, 3}, {0, 0, -1}, 32, 35, 2},
        {0, "ba", false, 1, u" ab", {5, 5, 5}, {0, 0, 0}, 32, 35, 2},
        {sprite, "Q Z", false, -1, u" QZ", {2, 2, 2}, {0, 0, 0}, 32, 35, 2},
    };
    for (const Case& c : cases) {
        int32_t font = Font_AddSpriteExt(c.sprite, c.map, c.proportional, c.separation);
        const CFontKV& f = *Font_Data(font);
        ASSERT_EQ(c.codes, Codes(f)) << c.map;
        for (int32_t i = 0; i < f.GetGlyphCount(); ++i) {
            EXPECT_EQ(c.shifts[size_t(i)], f.GetGlyph(i).shift) << c.map << " glyph " << i;
            EXPECT_EQ(c.offsets[size_t(i)], f.GetGlyph(i).offset) << c.map << " glyph " << i;
        }
        EXPECT_EQ(c.first, f.GetFirst()) << c.map;
        EXPECT_EQ(c.last, f.GetLast()) << c.map;
        EXPECT_EQ(c.height, f.LineHeight());
    }
    Font_AddSpriteExt(99, "AB", false, 0);
    EXPECT_EQ(0, Font_Data(Font_Count() - 1)->GetGlyphCount());
}

} // namespace
