// The sprite chunk as the builder writes it, malformed records, the table's run-time changes, and the
// builder's manifest section.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../gamefile/GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamebuild/GameBuild_Textures.h"
#include "sprite/Sprite_Table.h"

namespace {

// Sprite 0: 10 x 2, only its last two columns opaque, origin (1, 2); slot 1 empty; sprite 2: four
// frames, one mask, a manual box, the same name as sprite 0.
const char* const SPRITES = R"({"textures": {"pageSize": 64}, "sprites": [
    {"name": "spr_same", "xorigin": 1, "yorigin": 2, "frames": [{"width": 10, "height": 2, "fill": 0}]}, null,
    {"name": "spr_same", "masks": "one", "bboxMode": 2, "bbox": {"left": 1, "top": 2, "right": 3, "bottom": 4},
     "frames": [{"width": 3, "height": 3, "fill": "0xFFFFFFFF"}, {"width": 3, "height": 3, "fill": "0xFFFFFFFF"},
                {"width": 3, "height": 3, "fill": "0xFFFFFFFF"}, {"width": 3, "height": 3, "fill": "0xFFFFFFFF"}]}]})";

class SpriteTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sprite_Reset();
        gamebuild::GameDesc game;
        std::string errors;
        ASSERT_TRUE(gamebuild::ReadManifest(SPRITES, ".", game, errors)) << errors;
        auto& pixels = game.sprites[0].frames[0].pixels;
        for (size_t y = 0; y < 2; ++y) pixels[y * 10 + 8] = pixels[y * 10 + 9] = 0xFF00FF00u;
        m_Bytes = BuildBytes(game);
    }
    void TearDown() override { Sprite_Reset(); }
    bool LoadSprites(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        size_t chunk = FindChunk(bytes, "SPRT");
        return Sprite_Load(m_File, uint32_t(chunk + 8), ReadWord(bytes, chunk + 4));
    }
    std::vector<uint8_t> m_Bytes;
    GameFile m_File;
};

TEST_F(SpriteTable, ChunkGivesSlotsNamesFieldsAndMasks)
{
    ASSERT_TRUE(LoadBothPasses(m_File, m_Bytes));
    ASSERT_EQ(3, Sprite_Count());
    EXPECT_FALSE(Sprite_Exists(1));
    EXPECT_STREQ("<undefined>", Sprite_GetName(1));
    EXPECT_STREQ("<undefined>", Sprite_GetName(3));
    EXPECT_EQ(0, Sprite_Find("spr_same"));
    EXPECT_EQ(-1, Sprite_Find("SPR_SAME"));
    const CSprite* edge = Sprite_Get(0);
    EXPECT_EQ((std::vector<int32_t>{10, 8, 1, 1}),
              (std::vector<int32_t>{edge->GetWidth(), edge->GetBBoxLeft(), edge->GetXOrigin(), edge->GetMaskCount()}));
    // Ten pixels a row take two bytes; pixels 8 and 9 are the second byte's top bits.
    EXPECT_EQ((std::vector<int>{0, 1, 1}), (std::vector<int>{edge->GetMask(0)[7], edge->GetMask(0)[9], edge->GetMask(0)[18]}));
    // The frame was read before the page records and is found through them now.
    ASSERT_NE(nullptr, edge->GetEntry(0));
    EXPECT_EQ(10, edge->GetEntry(0)->frameWidth);
    const CSprite* four = Sprite_Get(2);
    EXPECT_EQ((std::vector<int32_t>{4, 1, 1, 2, 3, 4}),
              (std::vector<int32_t>{four->GetFrameCount(), four->GetMaskCount(), four->GetBBoxLeft(), four->GetBBoxTop(),
                                    four->GetBBoxRight(), four->GetBBoxBottom()}));
}

TEST_F(SpriteTable, MalformedRecordsAreRefusedWithALogLine)
{
    uint32_t record = ChunkRecord(m_Bytes, "SPRT", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct { uint32_t at, value; const char* line; } cases[] = {
        {record, size + 100, "SPRT: sprite 0 has a name outside the file"},
        {record + 56, 0x7FFFFFFF, "SPRT: sprite 0 has more frames than the file holds"},
        {record + 56, 0xFFFFFFFF, "SPRT: sprite 0 has more frames than the file holds"},
        {record + 60, size - 4, "SPRT: sprite 0 has a frame outside the file"},
        {record + 64, 0x10000000, "SPRT: sprite 0 has more masks than the file holds"},
        {record + 64, 0x80000000, "SPRT: sprite 0 has masks of an impossible size"},
        {record + 4, 0x40000000, "SPRT: sprite 0 has masks of an impossible size"}, // width x height overflows
        {uint32_t(FindChunk(m_Bytes, "SPRT")) + 12, size - 8, "SPRT: sprite 0 runs past the end of the file"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadSprites(bytes)) << c.line;
        EXPECT_TRUE(log.Has(c.line)) << c.line << "\n" << log.Text();
        Sprite_Reset();
    }
    EXPECT_TRUE(LoadSprites(m_Bytes));
}

TEST_F(SpriteTable, RunTimeChangesAppendAndEmptySlotsAndFilesLoadAsStrips)
{
    ASSERT_TRUE(LoadSprites(m_Bytes));
    EXPECT_TRUE(Sprite_Delete(2));
    EXPECT_FALSE(Sprite_Delete(2));
    EXPECT_EQ(3, Sprite_AddEmpty());
    EXPECT_STREQ("__newsprite3", Sprite_GetName(3));
    // A scheme in capitals is a file name; a missing file takes its slot back.
    EXPECT_EQ(-1, Sprite_Add("HTTP://example.invalid/a.png", 1, false, false, false, false, 0, 0));
    EXPECT_EQ(-1, Sprite_Add(nullptr, 1, false, false, false, false, 0, 0));
    EXPECT_EQ(4, Sprite_Count());
    EXPECT_TRUE(Sprite_Assign(0, 0)); // onto itself: nothing changes
    EXPECT_EQ(1, Sprite_Get(0)->GetMaskCount());
    EXPECT_TRUE(Sprite_Assign(2, 0)); // an empty slot gets a sprite, without masks
    EXPECT_EQ(10, Sprite_Get(2)->GetWidth());
    EXPECT_EQ(0, Sprite_Get(2)->GetMaskCount());
    EXPECT_FALSE(Sprite_Assign(0, 1));
    EXPECT_FALSE(Sprite_Assign(9, 0));
    EXPECT_EQ(4, Sprite_Duplicate(0));
    EXPECT_STREQ("__newsprite4", Sprite_GetName(4));
    EXPECT_EQ(-1, Sprite_Duplicate(1));

    Sprite_Reset();
    const char* name = "sprite_table_test_strip.png";
    std::vector<uint8_t> png = gamebuild::EncodePng({"", 6, 2, std::vector<uint32_t>(12, 0xFF0000FFu)});
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    ASSERT_EQ(0, Sprite_Add(name, 3, false, false, false, false, 1, 1));
    EXPECT_EQ(3, Sprite_Get(0)->GetFrameCount());
    EXPECT_EQ(2, Sprite_Get(0)->GetWidth());
    EXPECT_TRUE(Sprite_Replace(0, name, 2, false, false, false, false, 0, 0));
    EXPECT_EQ(3, Sprite_Get(0)->GetWidth());
    EXPECT_FALSE(Sprite_Replace(5, name, 2, false, false, false, false, 0, 0));
    std::ofstream(name, std::ios::binary) << "not a picture";
    EXPECT_EQ(-1, Sprite_Add(name, 1, false, false, false, false, 0, 0));
    EXPECT_EQ(1, Sprite_Count());
    std::remove(name);
}

TEST(SpriteManifest, MistakesAreReported)
{
    const char* bad = R"({"sprites": [{"masks": "all", "bbox": {"middle": 1}, "smooth": 2, "colour": 1,
        "frames": [{"width": 2, "height": 2, "fill": 0}, {"width": 3, "height": 2, "fill": 0}]}]})";
    gamebuild::GameDesc broken;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(bad, ".", broken, errors));
    for (const char* expected : {"sprites[0].masks: expected \"frame\", \"one\" or \"none\"\n",
                                 "sprites[0].bbox.middle: unknown key\n", "sprites[0].smooth: out of range\n",
                                 "sprites[0].colour: unknown key or wrong type\n"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\n" << errors;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(gamebuild::BuildGame(broken, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("sprites[0].frames[1]: every frame has the first frame's size"));
}

} // namespace
