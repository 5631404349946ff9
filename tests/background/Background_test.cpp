// The background chunk as the builder writes it, malformed records, the table's run-time changes,
// and pictures made while the game runs, read from the quads they queue on the recording device.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "../gamefile/GameFileTestSupport.h"
#include "../graphics/Graphics_DrawCapture.h"
#include "background/Background_Table.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamebuild/GameBuild_Textures.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_TexturePage.h"

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

class BackgroundTable : public ::testing::Test {
protected:
    // Background 0: 6 x 4 and wholly clear, so its entry is cropped to one pixel; slot 1 empty;
    // background 2: no picture, the same name as background 0.
    void SetUp() override
    {
        Background_Reset();
        gamebuild::GameDesc game;
        std::string errors;
        ASSERT_TRUE(gamebuild::ReadManifest(R"({"textures": {"pageSize": 64}, "backgrounds": [
            {"name": "bg_same", "picture": {"width": 6, "height": 4, "fill": 0}}, null,
            {"name": "bg_same", "transparent": 1, "smooth": true, "preload": 0}]})", ".", game, errors)) << errors;
        m_Bytes = BuildBytes(game);
    }
    void TearDown() override { Background_Reset(); }
    bool LoadBackgrounds(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        size_t chunk = FindChunk(bytes, "BGND");
        return Background_Load(m_File, uint32_t(chunk + 8), ReadWord(bytes, chunk + 4));
    }
    std::vector<uint8_t> m_Bytes;
    GameFile m_File;
};

TEST_F(BackgroundTable, ChunkGivesSlotsNamesWholeSizesFlagsAndEntries)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    ASSERT_EQ(3, Background_Count());
    EXPECT_FALSE(Background_Exists(1));
    EXPECT_STREQ("<undefined>", Background_Name(1));
    EXPECT_STREQ("<undefined>", Background_Name(3));
    EXPECT_EQ(0, Background_Find("bg_same"));
    EXPECT_EQ(-1, Background_Find("BG_SAME"));
    const CBackground* cropped = Background_Data(0);
    TPageEntry* entry = cropped->GetEntry();
    ASSERT_NE(nullptr, entry);
    // The size is the entry's whole frame, not its cropped part.
    EXPECT_EQ((std::vector<int32_t>{6, 4, 1}), (std::vector<int32_t>{cropped->GetWidth(), cropped->GetHeight(), entry->width}));
    EXPECT_EQ(TPage_Handle(entry), cropped->GetTexture());
    EXPECT_GE(cropped->GetTexture(), TPAGE_HANDLE_BASE);
    const CBackground* bare = Background_Data(2);
    EXPECT_EQ(nullptr, bare->GetEntry());
    EXPECT_EQ((std::vector<int32_t>{0, 0, -1, 1, 1, 0}), (std::vector<int32_t>{bare->GetWidth(), bare->GetHeight(), bare->GetTexture(),
                                                          bare->GetTransparent(), bare->GetSmooth(), bare->GetPreload()}));
}

TEST_F(BackgroundTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    uint32_t record = ChunkRecord(m_Bytes, "BGND", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct { uint32_t at, value; const char* line; } cases[] = {
        {record, size + 100, "BGND: background 0 has a name outside the file"},
        {record, size, "BGND: background 0 has a name outside the file"}, // no terminator before the end
        {record + 16, size - 4, "BGND: background 0 has a page entry outside the file"},
        {uint32_t(FindChunk(m_Bytes, "BGND")) + 12, size - 8, "BGND: background 0 runs past the end of the file"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        bytes.insert(bytes.end(), {'a', 'b', 'c'}); // a name that runs to the end of the file
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadBackgrounds(bytes)) << c.line;
        EXPECT_TRUE(log.Has(c.line)) << c.line << "\n" << log.Text();
        Background_Reset();
    }
    EXPECT_TRUE(LoadBackgrounds(m_Bytes));
}

TEST_F(BackgroundTable, RunTimeChangesAppendEmptyAndCopySlots)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    int32_t handle = Background_Data(0)->GetTexture();
    EXPECT_EQ(3, Background_AddEmpty());
    EXPECT_EQ(-1, Background_Add(nullptr, false, false, false));
    EXPECT_EQ(-1, Background_Add("background_test_missing.png", false, false, false));
    EXPECT_EQ(4, Background_Count());
    EXPECT_TRUE(Background_Assign(0, 0)); // onto itself: nothing is cleared
    EXPECT_EQ(handle, Background_Data(0)->GetTexture());
    EXPECT_TRUE(Background_Assign(1, 0)); // an empty slot gets a background sharing the file's entry
    EXPECT_EQ(handle, Background_Data(1)->GetTexture());
    EXPECT_FALSE(Background_Assign(9, 0));
    EXPECT_TRUE(Background_Delete(2));
    EXPECT_FALSE(Background_Delete(2));
    EXPECT_EQ(-1, Background_Duplicate(2));
    EXPECT_EQ(4, Background_Duplicate(0));
    EXPECT_EQ(6, Background_Data(4)->GetWidth());
}

TEST_F(BackgroundTable, FilesComeFromTheSaveAreaFirstAndOnesThatDoNotDecodeTakeNoSlot)
{
    testsupport::ScopedSaveArea area("background_table");
    const char* name = "background_table_test.png";
    WritePng(area.Path(name), 3, 2);
    WritePng(name, 5, 5);
    ASSERT_EQ(0, Background_Add(name, false, true, false));
    ASSERT_NE(nullptr, Background_Data(0)->GetBitmap());
    EXPECT_EQ((std::vector<int32_t>{3, 2, 1, 0}), (std::vector<int32_t>{Background_Data(0)->GetWidth(), Background_Data(0)->GetBitmap()->GetHeight(),
                                                    Background_Data(0)->GetSmooth(), Background_Data(0)->GetTransparent()}));
    std::remove(area.Path(name).c_str());
    EXPECT_TRUE(Background_ReplaceAlpha(0, name, true));
    EXPECT_EQ((std::vector<int32_t>{5, 1, 1}), (std::vector<int32_t>{Background_Data(0)->GetWidth(), Background_Data(0)->GetTransparent(),
                                                 Background_Data(0)->GetPreload()}));
    std::ofstream(name, std::ios::binary) << "not a png";
    EXPECT_EQ(-1, Background_Add(name, false, false, false));
    EXPECT_EQ(-1, Background_AddAlpha(name, false));
    EXPECT_EQ(1, Background_Count());
    EXPECT_FALSE(Background_Replace(0, name, false, false, false)); // leaves the background as it was
    EXPECT_EQ(5, Background_Data(0)->GetWidth());
    std::remove(name);
}

TEST(BackgroundManifest, LayersAndTilesNameBackgroundsAndMistakesAreReported)
{
    const char* text = R"({"backgrounds": [{"name": "bg_a", "colour": 1}], "rooms": [{"backgrounds": [{"background": "bg_a"}],
        "tiles": [{"background": "bg_b"}]}]})";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(text, ".", game, errors));
    EXPECT_EQ(0, game.rooms[0].backgrounds[0].background);
    EXPECT_EQ("backgrounds[0].colour: unknown key\nrooms[0].tiles[0].background: no background is named bg_b\n", errors);
}

class BackgroundDraw : public capture::DrawTest {
protected:
    void TearDown() override
    {
        m_Background.Clear();
        m_Other.Clear();
        DrawTest::TearDown();
    }
    CBackground m_Background, m_Other;
};

TEST_F(BackgroundDraw, AColourOfNoSizeKeepsItsSizeYetDrawsOnePixel)
{
    m_Background.CreateColour(0, 0, 0x0000FF, true);
    EXPECT_EQ(0, m_Background.GetWidth());
    ASSERT_EQ(1, m_Background.GetBitmap()->GetWidth());
    EXPECT_EQ(0xFFFF0000u, Pixel(m_Background, 0)); // red, opaque
    EXPECT_TRUE(Texture_Exists(m_Background.GetTexture()));
    m_Background.Draw(10, 20);
    std::vector<capture::Drawn> d = capture::Draws();
    ASSERT_EQ(1u, d.size());
    EXPECT_FLOAT_EQ(11.0f, d[0].v[1].x);
    m_Background.DrawStretched(0, 0, 8, 8, 0xFFFFFF, 1); // by the stored size, which is 0: nothing
    EXPECT_EQ(0u, capture::Draws().size());
}

TEST_F(BackgroundDraw, AlphaFromAnotherBackgroundNeedsTwoPictures)
{
    m_Other.SetFromFile(0, 4, 4, false, false, false);
    m_Background.CreateColour(2, 1, 0xFFFFFF, false);
    testsupport::ConsoleCapture log;
    m_Background.SetAlphaFromBackground(&m_Other);
    EXPECT_EQ("Both bitmaps need to be duplicated first\n", log.console.text);
    EXPECT_EQ(0xFFFFFFFFu, Pixel(m_Background, 0));
    m_Other.CreateGradient(2, 1, 0x000000, 0xFFFFFF, 0, false);
    m_Background.SetAlphaFromBackground(&m_Other);
    // Alpha becomes the source's grey level: none over black, the grey's over the lighter pixel.
    EXPECT_EQ(0x00FFFFFFu, Pixel(m_Background, 0));
    uint32_t grey = Pixel(m_Other, 1) & 0xFFu;
    EXPECT_GT(grey, 0u);
    EXPECT_EQ(grey << 24 | 0xFFFFFFu, Pixel(m_Background, 1));
}

} // namespace
