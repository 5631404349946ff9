// The background chunk as the builder writes it, malformed records, and the table's run-time
// changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../TestSupport_SaveArea.h"
#include "../gamefile/GameFileTestSupport.h"
#include "background/Background_Table.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamebuild/GameBuild_Textures.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_TexturePage.h"

namespace {

// Background 0: 6 x 4 and wholly clear, so its entry is cropped to one pixel; slot 1 empty;
// background 2: no picture, the same name as background 0.
gamebuild::GameDesc BackgroundGame()
{
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_TRUE(gamebuild::ReadManifest(R"({"textures": {"pageSize": 64}, "backgrounds": [
        {"name": "bg_same", "picture": {"width": 6, "height": 4, "fill": 0}}, null,
        {"name": "bg_same", "transparent": 1, "smooth": true, "preload": 0}]})", ".", game, errors)) << errors;
    return game;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> Png(int32_t width, int32_t height)
{
    return gamebuild::EncodePng(gamebuild::PictureDesc{"", width, height, std::vector<uint32_t>(size_t(width * height), ~0u)});
}

class BackgroundTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Background_Reset();
        m_Bytes = BuildBytes(BackgroundGame());
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
    // The size is the entry's whole frame, not its cropped part.
    EXPECT_EQ(6, cropped->GetWidth());
    EXPECT_EQ(4, cropped->GetHeight());
    TPageEntry* entry = cropped->GetEntry();
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(1, entry->width);
    EXPECT_EQ(TPage_Handle(entry), cropped->GetTexture());
    EXPECT_GE(cropped->GetTexture(), TPAGE_HANDLE_BASE);
    const CBackground* bare = Background_Data(2);
    EXPECT_EQ(0, bare->GetWidth());
    EXPECT_EQ(0, bare->GetHeight());
    EXPECT_EQ(nullptr, bare->GetEntry());
    EXPECT_EQ(-1, bare->GetTexture());
    EXPECT_EQ(1, bare->GetTransparent());
    EXPECT_EQ(1, bare->GetSmooth());
    EXPECT_EQ(0, bare->GetPreload());
}

TEST_F(BackgroundTable, MalformedRecordsAreRefusedWithALogLineNamingTheChunk)
{
    uint32_t record = ChunkRecord(m_Bytes, "BGND", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct Case { const char* what; uint32_t at; uint32_t value; const char* line; } cases[] = {
        {"name past the file", record, size + 100, "BGND: background 0 has a name outside the file"},
        {"name without its terminator", record, size, "BGND: background 0 has a name outside the file"},
        {"entry past the file", record + 16, size - 4, "BGND: background 0 has a page entry outside the file"},
        {"record past the file", 0, 0, "BGND: background 0 runs past the end of the file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        bytes.insert(bytes.end(), {'a', 'b', 'c'}); // a name that runs to the end of the file
        if (c.at != 0) WriteWord(bytes, c.at, c.value);
        else WriteWord(bytes, FindChunk(bytes, "BGND") + 12, size - 8); // a record of 11 bytes
        CapturedLog log;
        EXPECT_FALSE(LoadBackgrounds(bytes)) << c.what;
        EXPECT_TRUE(log.Has(c.line)) << c.what << "\n" << log.Text();
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
    // Onto itself: nothing is cleared.
    EXPECT_TRUE(Background_Assign(0, 0));
    EXPECT_EQ(6, Background_Data(0)->GetWidth());
    EXPECT_EQ(handle, Background_Data(0)->GetTexture());
    // An empty slot gets a background sharing the file's entry.
    EXPECT_TRUE(Background_Assign(1, 0));
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
    WriteFile(area.Path(name), Png(3, 2));
    WriteFile(name, Png(5, 5));
    ASSERT_EQ(0, Background_Add(name, false, true, false));
    EXPECT_EQ(3, Background_Data(0)->GetWidth());
    EXPECT_EQ(1, Background_Data(0)->GetSmooth());
    EXPECT_EQ(0, Background_Data(0)->GetTransparent());
    ASSERT_NE(nullptr, Background_Data(0)->GetBitmap());
    EXPECT_EQ(2, Background_Data(0)->GetBitmap()->GetHeight());
    std::remove(area.Path(name).c_str());
    EXPECT_TRUE(Background_ReplaceAlpha(0, name, true));
    EXPECT_EQ(5, Background_Data(0)->GetWidth());
    EXPECT_EQ(1, Background_Data(0)->GetTransparent());
    EXPECT_EQ(1, Background_Data(0)->GetPreload());
    WriteFile(name, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    EXPECT_EQ(-1, Background_Add(name, false, false, false));
    EXPECT_EQ(-1, Background_AddAlpha(name, false));
    EXPECT_EQ(1, Background_Count());
    // A replacement that does not decode leaves the background as it was.
    EXPECT_FALSE(Background_Replace(0, name, false, false, false));
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

} // namespace
