// The sprite chunk as the builder writes it, malformed records, and the table's run-time changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../gamefile/GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamebuild/GameBuild_Textures.h"
#include "sprite/Sprite_Table.h"

namespace {

gamebuild::PictureDesc Filled(int32_t w, int32_t h, uint32_t pixel)
{
    return gamebuild::PictureDesc{"", w, h, std::vector<uint32_t>(size_t(w) * size_t(h), pixel)};
}

// Sprite 0: 10 x 2, only its last two columns opaque, masks per frame, origin (1, 2); slot 1 empty;
// sprite 2: four frames, one mask, a manual box, the same name as sprite 0.
gamebuild::GameDesc SpriteGame()
{
    gamebuild::GameDesc game;
    gamebuild::SpriteDesc edge;
    edge.name = "spr_same";
    gamebuild::PictureDesc picture = Filled(10, 2, 0);
    for (int32_t y = 0; y < 2; ++y) picture.pixels[size_t(y) * 10 + 8] = picture.pixels[size_t(y) * 10 + 9] = 0xFF00FF00u;
    edge.frames = {picture};
    edge.xorigin = 1;
    edge.yorigin = 2;
    gamebuild::SpriteDesc missing;
    missing.present = false;
    gamebuild::SpriteDesc four;
    four.name = "spr_same";
    four.frames.assign(4, Filled(3, 3, 0xFFFFFFFFu));
    four.masks = gamebuild::SpriteMasks::One;
    four.bboxMode = 2;
    four.bbox[0] = 1, four.bbox[1] = 2, four.bbox[2] = 3, four.bbox[3] = 4;
    game.sprites = {edge, missing, four};
    game.textures.pageSize = 64;
    return game;
}

class SpriteTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        Sprite_Reset();
        m_Bytes = BuildBytes(SpriteGame());
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
    EXPECT_TRUE(Sprite_Exists(0));
    EXPECT_FALSE(Sprite_Exists(1));
    EXPECT_STREQ("<undefined>", Sprite_GetName(1));
    EXPECT_STREQ("<undefined>", Sprite_GetName(3));
    EXPECT_EQ(0, Sprite_Find("spr_same"));
    EXPECT_EQ(-1, Sprite_Find("SPR_SAME"));
    const CSprite* edge = Sprite_Get(0);
    EXPECT_EQ(10, edge->GetWidth());
    EXPECT_EQ(8, edge->GetBBoxLeft());
    EXPECT_EQ(1, edge->GetXOrigin());
    ASSERT_EQ(1, edge->GetMaskCount());
    // Ten pixels a row take two bytes; pixels 8 and 9 are the second byte's top bits.
    EXPECT_EQ(1, edge->GetMask(0)[9]);
    EXPECT_EQ(1, edge->GetMask(0)[18]);
    EXPECT_EQ(0, edge->GetMask(0)[7]);
    // The frame was read before the page records and is found through them now.
    TPageEntry* entry = edge->GetEntry(0);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(10, entry->frameWidth);
    const CSprite* four = Sprite_Get(2);
    EXPECT_EQ(4, four->GetFrameCount());
    EXPECT_EQ(1, four->GetMaskCount());
    EXPECT_EQ(1, four->GetBBoxLeft());
    EXPECT_EQ(2, four->GetBBoxTop());
    EXPECT_EQ(3, four->GetBBoxRight());
    EXPECT_EQ(4, four->GetBBoxBottom());
}

TEST_F(SpriteTable, MalformedRecordsAreRefusedWithALogLine)
{
    uint32_t record = ChunkRecord(m_Bytes, "SPRT", 0);
    uint32_t size = uint32_t(m_Bytes.size());
    struct Case {
        const char* what;
        uint32_t at;
        uint32_t value;
        const char* line;
    } cases[] = {
        {"name past the file", record, size + 100, "SPRT: sprite 0 has a name outside the file"},
        {"huge frame count", record + 56, 0x7FFFFFFF, "SPRT: sprite 0 has more frames than the file holds"},
        {"negative frame count", record + 56, 0xFFFFFFFF, "SPRT: sprite 0 has more frames than the file holds"},
        {"frame past the file", record + 60, size - 4, "SPRT: sprite 0 has a frame outside the file"},
        {"huge mask count", record + 64, 0x10000000, "SPRT: sprite 0 has more masks than the file holds"},
        {"negative mask count", record + 64, 0x80000000, "SPRT: sprite 0 has masks of an impossible size"},
        {"width x height overflowing", record + 4, 0x40000000, "SPRT: sprite 0 has masks of an impossible size"},
        {"record past the file", 0, 0, "SPRT: sprite 0 runs past the end of the file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = m_Bytes;
        if (c.at != 0) WriteWord(bytes, c.at, c.value);
        else WriteWord(bytes, FindChunk(bytes, "SPRT") + 12, size - 8); // a record of 8 bytes
        CapturedLog log;
        EXPECT_FALSE(LoadSprites(bytes)) << c.what;
        EXPECT_TRUE(log.Has(c.line)) << c.what << "\n" << log.Text();
        Sprite_Reset();
    }
    EXPECT_TRUE(LoadSprites(m_Bytes));
}

TEST_F(SpriteTable, RunTimeChangesAppendAndEmptySlots)
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
    // Onto itself: nothing changes.
    EXPECT_TRUE(Sprite_Assign(0, 0));
    EXPECT_EQ(10, Sprite_Get(0)->GetWidth());
    EXPECT_EQ(1, Sprite_Get(0)->GetMaskCount());
    EXPECT_TRUE(Sprite_Assign(2, 0)); // an empty slot gets a sprite
    EXPECT_EQ(10, Sprite_Get(2)->GetWidth());
    EXPECT_EQ(0, Sprite_Get(2)->GetMaskCount()); // masks are never copied
    EXPECT_FALSE(Sprite_Assign(0, 1));
    EXPECT_FALSE(Sprite_Assign(9, 0));
    int32_t copy = Sprite_Duplicate(0);
    EXPECT_EQ(4, copy);
    EXPECT_STREQ("__newsprite4", Sprite_GetName(copy));
    EXPECT_EQ(-1, Sprite_Duplicate(1));
}

TEST_F(SpriteTable, FilesLoadAsStripsFromTheGameFolder)
{
    const char* name = "sprite_table_test_strip.png";
    gamebuild::PictureDesc strip = Filled(6, 2, 0xFF0000FFu);
    std::vector<uint8_t> png = gamebuild::EncodePng(strip);
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    int32_t index = Sprite_Add(name, 3, false, false, false, false, 1, 1);
    ASSERT_EQ(0, index);
    EXPECT_EQ(3, Sprite_Get(index)->GetFrameCount());
    EXPECT_EQ(2, Sprite_Get(index)->GetWidth());
    EXPECT_STREQ("__newsprite0", Sprite_Get(index)->GetName());
    EXPECT_TRUE(Sprite_Replace(index, name, 2, false, false, false, false, 0, 0));
    EXPECT_EQ(3, Sprite_Get(index)->GetWidth());
    EXPECT_FALSE(Sprite_Replace(5, name, 2, false, false, false, false, 0, 0));
    std::ofstream(name, std::ios::binary) << "not a picture";
    EXPECT_EQ(-1, Sprite_Add(name, 1, false, false, false, false, 0, 0));
    EXPECT_EQ(1, Sprite_Count());
    std::remove(name);
}

} // namespace

namespace {

TEST(SpriteManifest, SpritesAreReadAndTheirMistakesReported)
{
    const char* good = R"({"sprites": [null, {"name": "spr_a", "frames": [{"width": 2, "height": 3, "fill": "0xFF000000"}],
        "xorigin": 1, "bboxMode": 2, "bbox": {"left": 0, "top": 1, "right": 1, "bottom": 2}, "precise": false,
        "masks": "one"}]})";
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(good, ".", game, errors)) << errors;
    ASSERT_EQ(2u, game.sprites.size());
    EXPECT_FALSE(game.sprites[0].present);
    const gamebuild::SpriteDesc& a = game.sprites[1];
    EXPECT_EQ("spr_a", a.name);
    EXPECT_EQ(3, a.frames[0].height);
    EXPECT_EQ(1, a.xorigin);
    EXPECT_EQ(2, a.bbox[3]);
    EXPECT_FALSE(a.precise);
    EXPECT_EQ(gamebuild::SpriteMasks::One, a.masks);
    const char* bad = R"({"sprites": [{"masks": "all", "bbox": {"middle": 1}, "smooth": 2, "colour": 1,
        "frames": [{"width": 2, "height": 2, "fill": 0}, {"width": 3, "height": 2, "fill": 0}]}]})";
    gamebuild::GameDesc broken;
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
