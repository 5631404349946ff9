// The sprite chunk written out word by word from its layout, its fields, malformed records refused
// with their log lines, the table's run-time changes, and sprites loaded from addresses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "../TestSupport_HttpServer.h"
#include "../TestSupport_Requests.h"
#include "../gamefile/GameFileTestSupport.h"
#include "gamebuild/GameBuild_Textures.h"
#include "platform/Platform_ScriptHeap.h"
#include "sprite/Sprite_Table.h"

namespace {

// Three slots, the middle one empty, the others sharing one record: a 10 x 2 sprite with its box
// fields in their file order (left, right, bottom, top), one frame and one mask whose rows take
// two bytes each; then its name.
const uint32_t RECORD = 16, NAME = RECORD + 72;
std::vector<uint8_t> HandWrittenChunk()
{
    std::vector<uint8_t> bytes =
        Words({3, RECORD, 0, RECORD, NAME, 10, 2, 8, 9, 1, 0, 1, 0, 1, 2, 1, 3, 4, 1, RECORD, 1});
    for (uint8_t maskByte : {0x00, 0xC0, 0x80, 0x7F}) bytes.push_back(maskByte);
    for (char c : std::string("spr_hand")) bytes.push_back(uint8_t(c));
    bytes.push_back(0);
    return bytes;
}

class SpriteTable : public ::testing::Test {
protected:
    void SetUp() override { Sprite_Reset(); }
    void TearDown() override { Sprite_Reset(); }
    bool LoadSprites(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        return Sprite_Load(m_File, 0, RECORD);
    }
    GameFile m_File;
};

TEST_F(SpriteTable, HandWrittenRecordsAreReadFieldByField)
{
    ASSERT_TRUE(LoadSprites(HandWrittenChunk()));
    ASSERT_EQ(3, Sprite_Count());
    EXPECT_EQ((std::vector<std::string>{"0", "<undefined>", "spr_hand"}),
              (std::vector<std::string>{std::to_string(Sprite_Exists(1)), Sprite_GetName(1), Sprite_GetName(2)}));
    EXPECT_EQ(0, Sprite_Find("spr_hand"));
    const CSprite* s = Sprite_Get(0);
    EXPECT_EQ((std::vector<int32_t>{10, 2, 8, 9, 1, 0, 1, 0, 1, 2, 1, 3, 4, 1, 1}),
              (std::vector<int32_t>{s->GetWidth(), s->GetHeight(), s->GetBBoxLeft(), s->GetBBoxRight(), s->GetBBoxBottom(),
                                    s->GetBBoxTop(), s->GetTransparent(), s->GetSmooth(), s->GetPreload(), s->GetBBoxMode(),
                                    s->GetPrecise(), s->GetXOrigin(), s->GetYOrigin(), s->GetFrameCount(), s->GetMaskCount()}));
    // Row 0: pixels 8 and 9 (the second byte's top bits); row 1: pixel 0 and, from 0x7F, only pixel 9.
    std::vector<int> mask(s->GetMask(0), s->GetMask(0) + 20), expected(20, 0);
    expected[8] = expected[9] = expected[10] = expected[19] = 1;
    EXPECT_EQ(expected, mask);
}

TEST_F(SpriteTable, MalformedRecordsAreRefusedWithALogLine)
{
    const std::vector<uint8_t> good = HandWrittenChunk();
    uint32_t size = uint32_t(good.size());
    // Each line names the sprite, where its record lies, and what lies outside the file.
    const EntryRefusal sprite("SPRT", "sprite 0", RECORD, size), cut("SPRT", "sprite 0", size - 8, size);
    struct { uint32_t at, value; std::string line; } cases[] = {
        {RECORD, size + 100, sprite.Outside("its name", size + 100)},
        {RECORD + 56, 0x7FFFFFFF, sprite.Past("its list of 2147483647 frames", RECORD + 60, 8589934592)},
        {RECORD + 60, size - 4, sprite.Past("its frame 0", size - 4, 22)},
        {RECORD + 64, 0x10000000, sprite.Past("its masks", RECORD + 68, 1073741824)},
        // width x height overflows
        {RECORD + 4, 0x40000000, sprite.Line("its masks (1 of 1073741824 x 2 pixels) are of an impossible size")},
        {4, size - 8, cut.Past("its record", size - 8, 60)},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        CapturedLog log;
        EXPECT_FALSE(LoadSprites(bytes)) << c.line;
        EXPECT_TRUE(testsupport::HasLine(log.Text(), c.line)) << c.line << "\n" << log.Text();
        Sprite_Reset();
    }
}

// A box reaching past the 10 x 2 image is kept to it, each edge on the image's pixels: collision tests
// walk the box, and an edge word of 0x80000000 made one test walk two billion columns.
TEST_F(SpriteTable, BoxesAreKeptToTheirImage)
{
    struct Box {
        int32_t left, right, bottom, top;
        bool operator==(const Box&) const = default;
    };
    const std::pair<Box, Box> boxes[] = {
        {{8, 9, 1, 0}, {8, 9, 1, 0}},                   // within the image: as given
        {{0, INT32_MIN, 1, 0}, {0, 0, 1, 0}},           // the right edge word 0x80000000
        {{-5, INT32_MAX, 1000, -1000}, {0, 9, 1, 0}},   // every edge past the image
        {{12, 15, 7, 4}, {9, 9, 1, 1}},                 // wholly beside it
        {{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}, {0, 0, 0, 0}},
    };
    for (const auto& [file, kept] : boxes) {
        std::vector<uint8_t> bytes = HandWrittenChunk();
        const int32_t words[] = {file.left, file.right, file.bottom, file.top};
        for (uint32_t i = 0; i < 4; ++i) WriteWord(bytes, RECORD + 12 + i * 4, uint32_t(words[i]));
        ASSERT_TRUE(LoadSprites(bytes));
        const CSprite* s = Sprite_Get(0);
        Box loaded{s->GetBBoxLeft(), s->GetBBoxRight(), s->GetBBoxBottom(), s->GetBBoxTop()};
        EXPECT_TRUE(loaded == kept) << "file box " << file.left << " " << file.right << " " << file.bottom << " "
                                    << file.top << ": kept " << loaded.left << " " << loaded.right << " "
                                    << loaded.bottom << " " << loaded.top;
        Sprite_Reset();
    }
}

TEST_F(SpriteTable, RunTimeChangesAppendAndEmptySlots)
{
    ASSERT_TRUE(LoadSprites(HandWrittenChunk()));
    EXPECT_TRUE(Sprite_Delete(2));
    EXPECT_EQ(3, Sprite_AddEmpty());
    EXPECT_STREQ("__newsprite3", Sprite_GetName(3));
    // A scheme in capitals is a file name; a missing file takes its slot back.
    EXPECT_EQ(-1, Sprite_Add("HTTP://example.invalid/a.png", 1, false, false, false, false, 0, 0));
    EXPECT_EQ(4, Sprite_Count());
    // Onto itself nothing changes; an empty slot gets a sprite, without masks.
    EXPECT_EQ((std::vector<bool>{true, true, false}), (std::vector<bool>{Sprite_Assign(0, 0), Sprite_Assign(2, 0), Sprite_Assign(0, 1)}));
    EXPECT_EQ(std::make_pair(1, 0), std::make_pair(Sprite_Get(0)->GetMaskCount(), Sprite_Get(2)->GetMaskCount()));
    EXPECT_EQ(4, Sprite_Duplicate(0));

    // A file that is no picture takes its slot back (files that are pictures load through the
    // built-ins' tests).
    const char* name = "sprite_table_test_bad.png";
    std::ofstream(name, std::ios::binary) << "not a picture";
    EXPECT_EQ(-1, Sprite_Add(name, 1, false, false, false, false, 0, 0));
    EXPECT_EQ(5, Sprite_Count());
    std::remove(name);
}

// Sprites added from an address on a loopback server: the decoder the extension picks, failed
// requests leaving the sprite empty, and the image-loaded event's map.
class SpriteUrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptHeap_Init();
        Sprite_Reset();
        std::vector<uint8_t> png = gamebuild::EncodePng({"", 4, 2, std::vector<uint32_t>(8, 0xFF808080u)});
        m_Png.assign(png.begin(), png.end());
        std::ifstream in(KELVARO_SOURCE_DIR "/tests/graphics/fuzz/ImageDecode_corpus/jpeg_colour.jpg", std::ios::binary);
        m_Jpeg.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void TearDown() override { Sprite_Reset(); }
    std::string m_Png, m_Jpeg;
    testsupport::TestHttpServer m_Server;
};

TEST_F(SpriteUrl, TheExtensionPicksTheDecoderAndFailuresLeaveTheSpriteEmpty)
{
    // The extension picks the decoder (a PNG named .gif falls back to PNG); a 404 and an empty
    // body leave the sprite empty.
    struct { const char* path; testsupport::HttpReply reply; bool loaded; const char* httpStatus, *status; } cases[] = {
        {"/photo.JPG", {200, m_Jpeg}, true, "200", "0"}, {"/photo.png", {200, m_Jpeg}, false, "200", "0"},
        {"/anim.gif", {200, m_Png}, true, "200", "0"},   {"/gone.png", {404, m_Png}, false, "404", "0"},
        {"/empty.png", {200, ""}, false, "200", "-1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        m_Server.Route(c.path, c.reply);
        std::string url = m_Server.Url(c.path);
        int32_t index = Sprite_Add(url.c_str(), 2, true, false, false, false, 1, 0);
        ASSERT_GE(index, 0);
        EXPECT_EQ(0, Sprite_Get(index)->GetFrameCount()) << "the sprite is empty until the data arrives";
        auto done = testsupport::FinishAll();
        ASSERT_EQ(1u, done.size());
        EXPECT_EQ(60, done[0].subtype);
        auto& map = done[0].map;
        EXPECT_EQ((std::vector<std::string>{url, std::to_string(index), c.httpStatus, c.status}),
                  (std::vector<std::string>{map["filename"], map["id"], map["http_status"], map["status"]}));
        EXPECT_EQ(c.loaded ? 2 : 0, Sprite_Get(index)->GetFrameCount());
        EXPECT_EQ(c.loaded ? 1 : 0, Sprite_Get(index)->GetXOrigin());
        EXPECT_STREQ(Sprite_GetName(index), Sprite_Get(index)->GetName()) << "the slot's name, loaded or not";
    }
    // The slot emptied while the request ran: the event still comes, nothing is decoded.
    m_Server.Route("/late.png", {200, m_Png, true, 30});
    std::string url = m_Server.Url("/late.png");
    int32_t index = Sprite_Add(url.c_str(), 1, true, false, false, false, 0, 0);
    ASSERT_TRUE(Sprite_Delete(index));
    auto done = testsupport::FinishAll();
    ASSERT_EQ(1u, done.size());
    EXPECT_EQ("200", done[0].map["http_status"]);
    EXPECT_EQ(nullptr, Sprite_Get(index));
}

} // namespace
