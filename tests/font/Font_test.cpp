// The font chunk written out byte by byte from its layout and read through the game file, refused
// when malformed, and the table's run-time changes: additions, holes, replacements and sprite fonts
// mapped through the character table. Then one line of a font drawn into the batch of the recording
// device: glyph quads, texture coordinates, colours and their alpha bytes, the transformed and
// corner-colour forms, and sprite fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "../sprite/SpriteTestSupport.h"
#include "font/Font_Table.h"
#include "graphics/Graphics_Text.h"
#include "room/Room_Draw.h"
#include "sprite/Sprite_Table.h"

namespace {

// Two slots, the second empty, then the character table mapping A, B, C to a, b, c; the record
// (size 14, bold, first 65 with character set 2 and antialiasing 1 packed, last 90, x scale 2, y
// scale 1), a page entry of 12 x 7, glyphs A and B of 14 bytes each (the second unaligned), names.
const uint32_t BODY = 4 + 2 * 4 + 512, RECORD = BODY, ENTRY = RECORD + 52, GLYPHS = ENTRY + 24, NAMES = GLYPHS + 28;
std::vector<uint8_t> HandWrittenChunk()
{
    std::vector<uint8_t> bytes = Words({2, RECORD, 0});
    auto halves = [&bytes](std::initializer_list<int> values) {
        for (int value : values) {
            bytes.push_back(uint8_t(value));
            bytes.push_back(uint8_t(value >> 8));
        }
    };
    for (int code = 0; code < 256; ++code) halves({code >= 65 && code <= 67 ? code + 32 : code});
    for (uint8_t byte : Words({NAMES, NAMES + 9, 14, 1, 0, 65 | 2 << 16 | 2 << 24, 90, ENTRY, 0x40000000, 0x3F800000, 2,
                               GLYPHS, GLYPHS + 14, 0, 12 | 7 << 16, 0, 0, 0, 0}))
        bytes.push_back(byte);
    halves({'A', 0, 0, 4, 6, 6, 1, 'B', 5, 1, 2, 5, -3, -2});
    for (char c : std::string("fnt_hand\0Cells Sans\0", 20)) bytes.push_back(uint8_t(c));
    return bytes;
}

class FontTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Font_Clear();
        Sprite_Reset();
    }
    void TearDown() override { SetUp(); }
    bool LoadFonts(const std::vector<uint8_t>& bytes, uint32_t length = BODY)
    {
        LoadInto(m_File, bytes);
        return Font_Load(m_File, 0, length);
    }
    static std::u16string Codes(const CFontKV& font)
    {
        std::u16string codes;
        for (int32_t i = 0; i < font.GetGlyphCount(); ++i) codes += char16_t(font.GetGlyph(i).code);
        return codes;
    }
    GameFile m_File;
};

TEST_F(FontTable, HandWrittenRecordsAreReadFieldByField)
{
    ASSERT_TRUE(LoadFonts(HandWrittenChunk()));
    const CFontKV* f = Font_Data(0);
    EXPECT_EQ((std::vector<std::string>{"2", "0", "<undefined>", "fnt_hand", "Cells Sans"}),
              (std::vector<std::string>{std::to_string(Font_Count()), std::to_string(Font_Exists(1)), Font_Name(1),
                                        Font_Name(0), f->GetFontname()}));
    EXPECT_EQ((std::vector<int32_t>{14, 1, 0, 65, 2, 1, 90, 12, 7, 2}),
              (std::vector<int32_t>{f->GetSize(), f->GetBold(), f->GetItalic(), f->GetFirst(), f->GetCharset(), f->GetAntialias(),
                                    f->GetLast(), f->GetTextureWidth(), f->GetTextureHeight(), f->GetGlyphCount()}));
    EXPECT_EQ(std::make_pair(2.0f, 1.0f), std::make_pair(f->GetXScale(), f->GetYScale()));
    // The second glyph lies 14 bytes after the first: fields read one by one, signs kept.
    const FontGlyph b = *f->FindGlyph('B');
    EXPECT_EQ((std::vector<int32_t>{5, 1, 2, 5, -3, -2}), (std::vector<int32_t>{b.x, b.y, b.w, b.h, b.shift, b.offset}));
}

TEST_F(FontTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    const std::vector<uint8_t> good = HandWrittenChunk();
    uint32_t size = uint32_t(good.size());
    // Each line names the font, where its record lies, and what lies outside the file.
    const EntryRefusal font("FONT", "font 0", RECORD, size), cut("FONT", "font 0", size - 20, size);
    struct { uint32_t at, value; std::string line; } cases[] = {
        {RECORD, size + 100, font.Outside("its name", size + 100)},
        {RECORD + 4, size, font.Outside("its system font name", size)},
        {RECORD + 28, size - 10, font.Past("its texture-page entry", size - 10, 22)},
        {RECORD + 40, 0x40000000, font.Past("its list of 1073741824 glyphs", RECORD + 44, 4294967296)},
        {RECORD + 48, size - 13, font.Past("its glyph 1", size - 13, 14)},
        {RECORD + 44, 0, font.Line("its glyph 0 is missing (file offset 0)")},
        {4, size - 20, cut.Past("its record", size - 20, 44)},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadFonts(bytes)) << c.line;
        EXPECT_TRUE(testsupport::HasLine(log.Text(), c.line)) << c.line << "\n" << log.Text();
        EXPECT_EQ(0, Font_Count()) << c.line;
    }
}

TEST_F(FontTable, AdditionsGrowByFiveAndDeletionsLeaveHoles)
{
    ASSERT_TRUE(LoadFonts(HandWrittenChunk()));
    EXPECT_EQ(2, Font_Capacity());
    EXPECT_EQ(2, Font_Add("Arial", 10, true, false, -4, 300));
    EXPECT_EQ(std::make_pair(std::string("__newfont2"), 7), std::make_pair(std::string(Font_Name(2)), Font_Capacity()));
    const CFontKV* added = Font_Data(2);
    EXPECT_EQ((std::vector<int32_t>{0, 255, 0, 0, 0}), (std::vector<int32_t>{added->GetFirst(), added->GetLast(),
                                                       added->GetGlyphCount(), added->TextWidth(u"abc"), added->GlyphAdvance('a')}));
    EXPECT_EQ((std::vector<int32_t>{1, 0, -1}), (std::vector<int32_t>{Font_Delete(0), Font_Delete(0), Font_Find("fnt_hand")}));
    GR_Text_SetFont(0); // the text layer then draws index 0 with its default font
    EXPECT_STREQ("debug", GR_Text_Font()->GetFontname());
    GR_Text_FreeDefaultFont();
    // A hole in range is filled and keeps no name; beyond the count nothing is replaced.
    EXPECT_TRUE(Font_Replace(1, "Serif", 8, false, true, 32, 127));
    EXPECT_TRUE(Font_Name(1) == nullptr && Font_Data(1)->GetItalic());
    EXPECT_FALSE(Font_Replace(4, "Serif", 8, false, true, 32, 127) || Font_ReplaceSprite(-1, 0, 32, false, 0));
}

TEST_F(FontTable, SpriteFramesTakeTheirCharactersThroughTheTable)
{
    int32_t sprite = Sprite_AddEmpty(); // three frames 3 x 2, the middle column of the second one clear
    spritetest::MakePictureSprite(*Sprite_Get(sprite), {"######.##", "######.##"}, 3);
    // Sorted, the added space first; past entry 255 the code itself; a body too short for the table
    // (records where they were, no room for it) leaves the codes as they are.
    struct { uint32_t length; int32_t first; std::u16string codes; } cases[] = {
        {BODY, 65, u" abc"}, {BODY, 254, u" \u00FE\u00FF\u0100"}, {BODY - 20, 65, u" ABC"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadFonts(HandWrittenChunk(), c.length)) << c.first;
        EXPECT_EQ(c.codes, Codes(*Font_Data(Font_AddSprite(sprite, c.first, false, 1)))) << c.first << " " << c.length;
    }
    ASSERT_TRUE(Font_ReplaceSprite(0, sprite, 65, false, 1)); // the codes themselves; the name kept
    EXPECT_EQ(std::make_pair(std::u16string(u" ABC"), std::string("fnt_hand")), std::make_pair(Codes(*Font_Data(0)), std::string(Font_Name(0))));
    // A map over frames: cut to three, the space added; a sprite that is not there gives no glyphs.
    EXPECT_EQ(u" ABC", Codes(*Font_Data(Font_AddSpriteExt(sprite, "ABCDEFG", false, 1))));
    EXPECT_EQ(0, Font_Data(Font_AddSpriteExt(99, "AB", false, 0))->GetGlyphCount());
}

using capture::Drawn;
using capture::Draws;

constexpr uint32_t RED = 0x0000FF, BLUE = 0xFF0000;

// 'A' (cell 10, 20, 4 x 6) and 'B' (16, 20, 2 x 6) over a texture of 256 x 128: the default font's
// form of construction, which gives the font an entry over the whole texture.
class FontDraw : public capture::DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        g_RoomDrawRect = RoomDrawRect{0, 0, 640, 480}; // sprite fonts are culled against it
        const uint8_t table[] = {10, 20, 4, 6, 16, 20, 2, 6};
        m_Font = new CFontKV(table, 'A', 'B', Texture_CreateEmpty(256, 128, false));
    }
    void TearDown() override
    {
        delete m_Font;
        Sprite_Reset();
        DrawTest::TearDown();
    }
    CFontKV* m_Font = nullptr;
};

TEST_F(FontDraw, CellsQuadsColoursAndSpriteFonts)
{
    EXPECT_EQ(std::make_pair(10, 6), std::make_pair(m_Font->TextWidth(u"AZB"), m_Font->LineHeight())); // Z measures as A
    m_Font->DrawText(100, 50, u"AZB", RED, 1.2f);
    std::vector<TexturedVertex> v = Draws().at(0).v;
    ASSERT_EQ(18u, v.size());
    EXPECT_EQ((std::vector<float>{99.5f, 49.5f, 9.5f / 256, 19.5f / 128, 104.5f, 56.5f, 14.5f / 256}),
              (std::vector<float>{v[0].x, v[0].y, v[0].u, v[0].v, v[2].x, v[2].y, v[2].u}));
    // Z leaves an empty quad and B follows A directly: Z did not move the pen.
    EXPECT_EQ((std::vector<float>{0, 0, 103.5f}), (std::vector<float>{v[6].x, v[11].u, v[12].x}));
    m_Font->DrawText(0, 0, u"A", RED, 0.999f);
    EXPECT_EQ(0xFEFF0000u, Draws()[0].v[0].colour);

    // A turned line packs its quads: Z takes no vertices (turned lines are probed end to end).
    m_Font->DrawTextTransformed(100, 50, u"AZB", 1, 1, 90, RED, 1);
    EXPECT_EQ(12u, Draws()[0].v.size());
    // A spans 0 to 4 of the line's 6: its right edge is two thirds of the way.
    m_Font->DrawTextColour(0, 0, u"AB", RED, BLUE, BLUE, RED, 1);
    v = Draws()[0].v;
    ASSERT_EQ(12u, v.size());
    EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u, 0xFF5500AAu, 0xFF5500AAu, 0xFF5500AAu, 0xFF0000FFu}),
              (std::vector<uint32_t>{v[0].colour, v[1].colour, v[2].colour, v[6].colour, v[7].colour}));

    // Sprite fonts draw frames and skip spaces and missing characters.
    int32_t sprite = Sprite_AddEmpty();
    spritetest::MakePictureSprite(*Sprite_Get(sprite), {"########"}, 2);
    CFontKV font;
    font.BuildFromSprite(sprite, "xy", false, 1);
    font.DrawText(10, 20, u"x y?x", 0xFFFFFF, 1);
    std::vector<float> lefts;
    for (const Drawn& d : Draws())
        for (size_t i = 0; i < d.Count(); i += d.Count() == 4 ? 4 : 6) lefts.push_back(d.v[i].x);
    ASSERT_EQ(3u, lefts.size());
    // Advances of 5: x, space, y, (? skipped), x.
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR((std::vector<float>{10, 20, 25})[i], lefts[i], 0.51f) << i;
    Sprite_Delete(sprite); // its frames gone, the font draws nothing
    font.DrawText(10, 20, u"x", 0xFFFFFF, 1);
    EXPECT_TRUE(Draws().empty());
}

// The vertices of every draw in order, each draw within one request's size.
std::vector<TexturedVertex> DrawnInRequests()
{
    std::vector<TexturedVertex> all;
    for (const Drawn& d : Draws()) {
        EXPECT_LE(d.v.size(), size_t(VERTEX_REQUEST_MAX));
        all.insert(all.end(), d.v.begin(), d.v.end());
    }
    return all;
}

// A line of more glyphs than one request holds goes to the batch in several requests, and draws the
// quads of its two halves drawn one after the other, upright and turned (where missing glyphs pack).
TEST_F(FontDraw, ALineLongerThanOneRequestDrawsAsItsPiecesWould)
{
    const size_t cut = VERTEX_REQUEST_MAX / 6 + 7;
    std::u16string line;
    for (size_t i = 0; i < cut + 60000; ++i) line += u"ABZ"[i % 3];
    std::u16string first = line.substr(0, cut), rest = line.substr(cut);
    double advance = 0;
    for (char16_t c : first)
        if (const FontGlyph* g = m_Font->FindGlyph(uint16_t(c))) advance += g->shift;
    for (float angle : {0.0f, 90.0f}) {
        m_Font->DrawTextTransformed(10, 20, line.c_str(), 1, 1, angle, RED, 1);
        std::vector<TexturedVertex> whole = DrawnInRequests();
        double a = angle * 3.14159265358979323846 / 180;
        m_Font->DrawTextTransformed(10, 20, first.c_str(), 1, 1, angle, RED, 1);
        m_Font->DrawTextTransformed(float(10 + std::cos(a) * advance), float(20 - std::sin(a) * advance), rest.c_str(), 1,
                                    1, angle, RED, 1);
        std::vector<TexturedVertex> pieces = DrawnInRequests();
        ASSERT_EQ(pieces.size(), whole.size()) << angle;
        ASSERT_GT(whole.size(), size_t(VERTEX_REQUEST_MAX)) << angle;
        size_t differing = 0;
        for (size_t i = 0; i < whole.size(); ++i) {
            const TexturedVertex &w = whole[i], &p = pieces[i];
            bool same = std::fabs(w.x - p.x) < 0.01f && std::fabs(w.y - p.y) < 0.01f && w.u == p.u && w.v == p.v &&
                        w.colour == p.colour;
            differing += same ? 0 : 1;
        }
        EXPECT_EQ(0u, differing) << angle;
    }
}

} // namespace
