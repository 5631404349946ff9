// The background chunk written out word by word from its layout, malformed records, the table's
// run-time changes, and pictures made while the game runs, read from the quads they queue on the
// recording device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <tuple>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "background/Background_Table.h"
#include "gamebuild/GameBuild_Textures.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_RenderState.h"
#include "graphics/Graphics_TextureDraw.h"

namespace {

void WritePng(const std::string& path, int32_t width, int32_t height)
{
    std::vector<uint8_t> png = gamebuild::EncodePng({"", width, height, std::vector<uint32_t>(size_t(width * height), ~0u)});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

uint32_t Pixel(const CBackground& b, size_t at)
{
    uint32_t* pixels = nullptr;
    b.GetBitmap()->GetPixelBuffer(nullptr, &pixels);
    return pixels[at];
}

// Three slots, the middle one empty: a record with its flags and a page entry cropped to 1 x 1 of
// a 6 x 4 frame, and a record without an entry; then the names. The entry's eleven 16-bit fields
// go two to a word: x and y, the size, the crop offset, the crop size, the frame size, the texture.
const uint32_t RECORD = 16, ENTRY = RECORD + 40, NAME = ENTRY + 24;
std::vector<uint8_t> HandWrittenChunk()
{
    std::vector<uint8_t> bytes = Words({3, RECORD, 0, RECORD + 20, NAME, 1, 0, 1, ENTRY, NAME + 8, 0, 1, 0, 0,
                                        0, 1 | 1 << 16, 2 | 3 << 16, 1 | 1 << 16, 6 | 4 << 16, 0});
    for (char c : std::string("bg_hand\0bg_bare\0", 16)) bytes.push_back(uint8_t(c));
    return bytes;
}

class BackgroundTable : public ::testing::Test {
protected:
    void SetUp() override { Background_Reset(); }
    void TearDown() override { Background_Reset(); }
    bool LoadBackgrounds(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        return Background_Load(m_File, 0, RECORD);
    }
    GameFile m_File;
};

TEST_F(BackgroundTable, HandWrittenRecordsGiveSlotsNamesWholeSizesAndFlags)
{
    ASSERT_TRUE(LoadBackgrounds(HandWrittenChunk()));
    EXPECT_EQ((std::vector<std::string>{"3", "0", "<undefined>", "bg_hand", "bg_bare"}),
              (std::vector<std::string>{std::to_string(Background_Count()), std::to_string(Background_Exists(1)),
                                        Background_Name(1), Background_Name(0), Background_Name(2)}));
    // The size is the entry's whole frame, not its cropped part; no entry, no size.
    const CBackground *hand = Background_Data(0), *bare = Background_Data(2);
    EXPECT_EQ((std::vector<int32_t>{6, 4, 1, 0, 1, 0, 0, 0, 1, 0}),
              (std::vector<int32_t>{hand->GetWidth(), hand->GetHeight(), hand->GetTransparent(), hand->GetSmooth(),
                                    hand->GetPreload(), bare->GetWidth(), bare->GetHeight(), bare->GetTransparent(),
                                    bare->GetSmooth(), bare->GetPreload()}));
}

TEST_F(BackgroundTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    std::vector<uint8_t> good = HandWrittenChunk();
    good.insert(good.end(), {'a', 'b', 'c'}); // a name that runs to the end of the file
    uint32_t size = uint32_t(good.size());
    // Each line names the background, where its record lies, and what lies outside the file.
    const EntryRefusal background("BGND", "background 0", RECORD, size), cut("BGND", "background 0", size - 8, size);
    struct { uint32_t at, value; std::string line; } cases[] = {
        {RECORD, size - 3, background.Unterminated("its name", size - 3)},
        {RECORD + 16, size - 4, background.Past("its page entry", size - 4, 22)},
        {RECORD + 16, size, background.Outside("its page entry", size)},
        {4, size - 8, cut.Past("its record", size - 8, 20)},
        {0, 0x40000000u, "BGND: the count table at file offset 0: the pointer list of its 1073741824 entries at file "
                         "offset 4 (4294967296 bytes) runs past the end of its chunk (* bytes at file offset 0)"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadBackgrounds(bytes)) << c.line;
        EXPECT_TRUE(testsupport::HasLine(log.Text(), c.line)) << c.line << "\n" << log.Text();
        Background_Reset();
    }
}

TEST_F(BackgroundTable, RunTimeChangesAppendEmptyAndCopySlots)
{
    ASSERT_TRUE(LoadBackgrounds(HandWrittenChunk()));
    EXPECT_EQ(3, Background_AddEmpty());
    // A missing file takes its slot back.
    EXPECT_EQ(std::make_pair(-1, 4), (std::pair{Background_Add("background_test_missing.png", false, false, false), Background_Count()}));
    // Onto itself nothing is cleared; an empty slot gets a copy of the file's background.
    EXPECT_EQ((std::vector<bool>{true, true, false}),
              (std::vector<bool>{Background_Assign(0, 0), Background_Assign(1, 0), Background_Assign(9, 0)}));
    EXPECT_EQ(std::make_pair(6, 6), std::make_pair(Background_Data(0)->GetWidth(), Background_Data(1)->GetWidth()));
    EXPECT_TRUE(Background_Delete(2));
    EXPECT_EQ(std::make_pair(4, 6), (std::pair{Background_Duplicate(0), Background_Data(4)->GetWidth()}));
}

TEST_F(BackgroundTable, FilesComeFromTheSaveAreaFirstAndOnesThatDoNotDecodeTakeNoSlot)
{
    testsupport::ScopedSaveArea area("background_table");
    const char* name = "background_table_test.png";
    WritePng(area.Path(name), 3, 2);
    WritePng(name, 5, 5);
    ASSERT_EQ(0, Background_Add(name, false, true, false));
    EXPECT_EQ(3, Background_Data(0)->GetBitmap()->GetWidth());
    std::remove(area.Path(name).c_str());
    EXPECT_TRUE(Background_ReplaceAlpha(0, name, true));
    EXPECT_EQ(std::make_pair(5, 1), std::make_pair(Background_Data(0)->GetWidth(), int32_t(Background_Data(0)->GetTransparent())));
    std::ofstream(name, std::ios::binary) << "not a png";
    EXPECT_EQ(std::make_pair(-1, 1), (std::pair{Background_AddAlpha(name, false), Background_Count()}));
    EXPECT_FALSE(Background_Replace(0, name, false, false, false)); // leaves the background as it was
    EXPECT_EQ(5, Background_Data(0)->GetWidth());
    std::remove(name);
}

using BackgroundDraw = capture::DrawTest;

TEST_F(BackgroundDraw, AColourOfNoSizeDrawsOnePixelAndAlphaNeedsTwoPictures)
{
    CBackground colour, other;
    colour.CreateColour(0, 0, 0x0000FF, true);
    ASSERT_EQ(std::make_pair(0, 1), std::make_pair(colour.GetWidth(), colour.GetBitmap()->GetWidth()));
    EXPECT_EQ(0xFFFF0000u, Pixel(colour, 0)); // red, opaque
    colour.Draw(10, 20);
    std::vector<capture::Drawn> d = capture::Draws();
    EXPECT_TRUE(d.size() == 1 && d[0].v[1].x == 11.0f); // one pixel wide
    colour.DrawStretched(0, 0, 8, 8, 0xFFFFFF, 1); // by the stored size, which is 0: nothing
    EXPECT_EQ(0u, capture::Draws().size());

    other.SetFromFile(0, 4, 4, false, false, false);
    colour.CreateColour(2, 1, 0xFFFFFF, false);
    testsupport::ConsoleCapture log;
    colour.SetAlphaFromBackground(&other);
    EXPECT_EQ("Both bitmaps need to be duplicated first\n", log.console.text);
    EXPECT_EQ(0xFFFFFFFFu, Pixel(colour, 0));
    other.CreateGradient(2, 1, 0x000000, 0xFFFFFF, 0, false);
    colour.SetAlphaFromBackground(&other);
    // Alpha becomes the source's grey level: none over black, the grey's over the lighter pixel.
    EXPECT_EQ(0x00FFFFFFu, Pixel(colour, 0));
    EXPECT_EQ((Pixel(other, 1) & 0xFFu) << 24 | 0xFFFFFFu, Pixel(colour, 1));
    colour.Clear();
    other.Clear();
}

} // namespace

namespace {

// The left edges of the quads a tiled draw queued: each quad is a run of vertices whose least x is
// its left edge.
std::vector<float> QuadLefts(size_t perQuad)
{
    std::vector<float> lefts;
    for (const capture::Drawn& d : capture::Draws())
        for (size_t i = 0; i + perQuad <= d.v.size(); i += perQuad) {
            float left = d.v[i].x;
            for (size_t k = 1; k < perQuad; ++k) left = std::min(left, d.v[i + k].x);
            lefts.push_back(left);
        }
    return lefts;
}

} // namespace

// A tiled layer over rooms of any width, the whole room shown in a 640 x 480 viewport: where the
// 16-pixel tiles outnumber the pixels, only columns that hold a pixel centre (whole or half) are
// queued, so what a frame queues stays flat in the room's width; every column that holds a centre is
// still there, in order. Without the plain view transforms nothing is left out.
TEST_F(BackgroundDraw, TiledLayersQueueOnlyTheTilesThatReachAPixel)
{
    CBackground tile;
    tile.CreateColour(16, 480, 0xFFFFFF, true);
    tile.DrawTiled(0, 0, 1, 1, false, false, 0, 0, 16, 480, 0xFFFFFF, 1);
    size_t perQuad = capture::Draws().at(0).v.size();
    const std::tuple<int32_t, bool, size_t> rooms[] = { // width, plain transforms, most columns queued
        {1 << 10, true, 64}, {1 << 16, true, 7000}, {1 << 20, true, 7000}, {1 << 24, true, 7000},
        {1 << 28, true, 7000}, {1 << 16, false, 4096}};
    for (const auto& [width, plain, most] : rooms) {
        GR_SetViewport(0, 0, 640, 480);
        GR_SetViewProjection(0, 0, width, 480, 0.0);
        if (!plain) GR_SetViewProjection(0, 0, width, 480, 30.0); // a turned view
        TilePixels pixels;
        GR_ViewTilePixels(&pixels);
        fake::Recorded().draws.clear();
        tile.DrawTiled(0, 0, 1, 1, true, true, 0, 0, float(width), 480, 0xFFFFFF, 1, &pixels);
        std::vector<float> lefts = QuadLefts(perQuad);
        EXPECT_TRUE(plain ? lefts.size() <= most : lefts.size() == most) << width << ": " << lefts.size();
        // Each pixel centre's column is among them, in order (where single precision holds the edges).
        if (width > (1 << 20) || !plain) continue;
        EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end())) << width;
        double pitch = double(width) / 640.0;
        for (int32_t half = 0; half < 1280; ++half) {
            float column = float(std::floor(half * pitch / 2.0 / 16.0) * 16.0);
            EXPECT_TRUE(std::binary_search(lefts.begin(), lefts.end(), column)) << width << " at " << half;
        }
    }
}
