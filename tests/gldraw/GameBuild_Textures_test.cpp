// The game builder's texture pages: packing and the manifest's "textures" key (the two chunks are read
// back by the drawing scene, which loads them into textures and probes their pixels).
#include <gtest/gtest.h>

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
        std::ofstream(m_Folder / "cut.png", std::ios::binary).write(reinterpret_cast<const char*>(png.data()), 20);
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
        {"width": 0, "height": 1, "fill": 0}, 7, {"file": "cut.png"}], "entries": [{"x": 40000}], "colour": 1})",
                      game, errors));
    for (const char* place : {"textures.pageSize", "textures.pictures[0].file: cannot read none.png",
                              "textures.pictures[1]: give either", "textures.pictures[2]: a filled picture",
                              "textures.pictures[3]: expected an object",
                              "textures.pictures[4].file: cut.png is not a PNG file", "textures.entries[0].x",
                              "textures.colour: unknown key"})
        EXPECT_NE(std::string::npos, errors.find(place)) << place << "\n" << errors;
    EXPECT_FALSE(Read("[]", game, errors));
    EXPECT_NE(std::string::npos, errors.find("textures: expected an object"));
}

} // namespace
