// The game builder's texture pages: packing, the two chunks and the manifest's "textures" key.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamebuild/GameBuild_Textures.h"

using namespace gamebuild;
using std::make_tuple;

namespace {

PictureDesc Solid(int32_t w, int32_t h, uint32_t argb)
{
    return PictureDesc{"solid", w, h, std::vector<uint32_t>(size_t(w) * size_t(h), argb)};
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// The body offset of the first chunk with the tag, or 0.
size_t ChunkBody(const std::vector<uint8_t>& b, const char* tag)
{
    for (size_t at = 8; at + 8 <= b.size(); at += 8 + Word(b, at + 4))
        if (std::memcmp(&b[at], tag, 4) == 0) return at + 8;
    return 0;
}

TEST(TexturePacking, PicturesAreCroppedAndPlacedTallestFirstAndFullPagesStartNewOnes)
{
    TexturesDesc t;
    t.pageSize = 64;
    PictureDesc framed = Solid(10, 10, 0);
    for (int32_t y = 3; y < 7; ++y)
        for (int32_t x = 2; x < 5; ++x) framed.pixels[size_t(y * 10 + x)] = 0xFF000000u | uint32_t(x * 16 + y);
    t.pictures = {framed, Solid(5, 20, 0xFF112233u), Solid(4, 4, 0)};
    ImageWriter image;
    TextureLayout layout = PackTextures(t, image);
    ASSERT_EQ(3u, layout.entries.size());
    ASSERT_EQ(1u, layout.pages.size());
    EXPECT_EQ(make_tuple(0, 0), make_tuple(layout.entries[1].x, layout.entries[1].y)); // the tallest goes first
    const PageEntryDesc& e = layout.entries[0];
    // After the tall one and a pixel of padding, cropped to its 3 x 4 of ink.
    EXPECT_EQ(make_tuple(6, 2, 3, 3, 4, 3, 10, 0),
              make_tuple(e.x, e.xOffset, e.yOffset, e.cropWidth, e.cropHeight, e.width, e.frameWidth, e.texture));
    // The ink's first and last pixels land at the entry's corners.
    EXPECT_EQ(make_tuple(0xFF000023u, 0xFF000046u),
              make_tuple(layout.pages[0][size_t(e.y * 64 + e.x)], layout.pages[0][size_t((e.y + 3) * 64 + e.x + 2)]));
    // A wholly clear picture keeps one pixel.
    EXPECT_EQ(make_tuple(1, 4), make_tuple(layout.entries[2].cropWidth, layout.entries[2].frameHeight));
    t.crop = false;
    layout = PackTextures(t, image);
    EXPECT_EQ(make_tuple(0, 10), make_tuple(layout.entries[0].xOffset, layout.entries[0].cropWidth));

    t.pictures = {Solid(40, 40, 0xFFFFFFFFu), Solid(40, 40, 0xFFFFFFFFu), Solid(20, 20, 0xFFFFFFFFu)};
    ImageWriter second;
    layout = PackTextures(t, second);
    ASSERT_EQ(2u, layout.pages.size());
    // Pages fill forwards: the third beside the second.
    EXPECT_EQ(make_tuple(0, 1, 41, 1), make_tuple(layout.entries[0].texture, layout.entries[1].texture,
                                                  layout.entries[2].x, layout.entries[2].texture));
    std::vector<uint8_t> out;
    std::string errors;
    // Oversized pictures and page sizes that are no power of two fail.
    for (auto [width, pageSize, message] : {make_tuple(65, 64, "textures.pictures[0]: larger than a page"),
                                            make_tuple(2, 100, "textures.pageSize")}) {
        GameDesc game;
        game.textures.pageSize = pageSize;
        game.textures.pictures = {Solid(width, 2, 0xFFFFFFFFu)};
        EXPECT_FALSE(BuildGame(game, out, errors));
        EXPECT_NE(std::string::npos, errors.find(message)) << errors;
    }
}

TEST(TexturePacking, ChunksHoldTheRecordsAndOnePngPerPage)
{
    GameDesc game;
    game.textures.pageSize = 64;
    game.textures.flags = 1;
    game.textures.pictures = {Solid(3, 2, 0xFF00FF00u)};
    game.textures.extraEntries.push_back(PageEntryDesc{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1});
    std::vector<uint8_t> bytes;
    std::string errors;
    ASSERT_TRUE(BuildGame(game, bytes, errors)) << errors;
    size_t pages = ChunkBody(bytes, "TPAG");
    size_t textures = ChunkBody(bytes, "TXTR");
    ASSERT_NE(0u, pages);
    ASSERT_LT(pages, textures); // the loader wants the records first
    size_t extra = Word(bytes, pages + 8);
    // Two records, the second 22 bytes after the first; texture -1 as written.
    EXPECT_EQ(make_tuple(2u, Word(bytes, pages + 4) + 22, 0xFFFFu, 7u),
              make_tuple(Word(bytes, pages), uint32_t(extra), Word(bytes, extra + 20) & 0xFFFFu,
                         Word(bytes, extra + 12) & 0xFFFFu));
    EXPECT_EQ(1u, Word(bytes, textures));
    size_t entry = Word(bytes, textures + 4);
    EXPECT_EQ(1u, Word(bytes, entry));
    size_t blob = Word(bytes, entry + 4);
    size_t end = textures + Word(bytes, textures - 4);
    std::vector<uint8_t> png(bytes.begin() + std::ptrdiff_t(blob), bytes.begin() + std::ptrdiff_t(end));
    PictureDesc page;
    ASSERT_TRUE(DecodePng(png, page));
    EXPECT_EQ(make_tuple(64, 0xFF00FF00u, 0u), make_tuple(page.width, page.pixels[0], page.pixels[3]));
    EXPECT_FALSE(DecodePng(std::vector<uint8_t>(png.begin(), png.begin() + 20), page));
}

class TextureManifest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_Folder = std::filesystem::path(KELVARO_BINARY_DIR) / "gldraw-manifest" /
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(m_Folder);
        std::vector<uint8_t> png = EncodePng(Solid(2, 3, 0xFF0000FFu));
        std::ofstream(m_Folder / "blue.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }
    void TearDown() override { std::filesystem::remove_all(m_Folder); }
    bool Read(const std::string& textures, GameDesc& game, std::string& errors)
    {
        return ReadManifest("{\"textures\": " + textures + "}", m_Folder.string(), game, errors);
    }
    std::filesystem::path m_Folder;
};

TEST_F(TextureManifest, PicturesComeFromFilesOrFillsAndProblemsAreNamedByTheirPlace)
{
    GameDesc game;
    std::string errors;
    ASSERT_TRUE(Read(R"({"pageSize": 128, "flags": 1, "crop": false, "padding": 0,
        "pictures": [{"name": "b", "file": "blue.png"}, {"width": 4, "height": 1, "fill": "0x80FFFFFF"}],
        "entries": [{"x": 1, "texture": 9}]})",
                     game, errors))
        << errors;
    const TexturesDesc& t = game.textures;
    EXPECT_EQ(make_tuple(128, 1u, false, 0), make_tuple(t.pageSize, t.flags, t.crop, t.padding));
    ASSERT_EQ(2u, t.pictures.size());
    EXPECT_EQ(make_tuple(std::string("b"), 3, 0xFF0000FFu, 0x80FFFFFFu),
              make_tuple(t.pictures[0].name, t.pictures[0].height, t.pictures[0].pixels[5], t.pictures[1].pixels[3]));
    ASSERT_EQ(1u, t.extraEntries.size());
    EXPECT_EQ(9, t.extraEntries[0].texture);

    EXPECT_FALSE(Read(R"({"pageSize": 48, "pictures": [{"file": "none.png"}, {"file": "blue.png", "fill": 1},
        {"width": 0, "height": 1, "fill": 0}, 7], "entries": [{"x": 40000}], "colour": 1})",
                      game, errors));
    for (const char* place : {"textures.pageSize", "textures.pictures[0].file: cannot read none.png",
                              "textures.pictures[1]: give either", "textures.pictures[2]: a filled picture",
                              "textures.pictures[3]: expected an object", "textures.entries[0].x",
                              "textures.colour: unknown key"})
        EXPECT_NE(std::string::npos, errors.find(place)) << place << "\n" << errors;
    EXPECT_FALSE(Read("[]", game, errors));
    EXPECT_NE(std::string::npos, errors.find("textures: expected an object"));
}

} // namespace
