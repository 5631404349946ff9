#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../TestSupport_SaveArea.h"
#include "Graphics_TestImages.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Image.h"
#include "support/Support_SaveArea.h"

using namespace testimages;

namespace {

std::string SaveAreaPath(const std::string& name)
{
    char path[2048];
    LoadSave_SaveAreaPath(path, sizeof path, name.c_str());
    return path;
}

struct ReadBack {
    bool ok = false;
    int32_t width = 0;
    int32_t height = 0;
    Bytes bgra;
};

ReadBack ReadPngFile(const std::string& path)
{
    Bytes file = ReadFileBytes(path);
    ReadBack r;
    uint8_t* block = GR_Image_LoadPNG(file.data(), static_cast<int32_t>(file.size()), &r.width, &r.height, false);
    r.ok = block != nullptr;
    if (block != nullptr) r.bgra.assign(block, block + size_t(r.width) * r.height * 4);
    GR_Image_FreePNG();
    return r;
}

Bytes SwapRedBlue(Bytes pixels)
{
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
    return pixels;
}

TEST(ImageSave, PngIsWrittenAsTheBytesLieAndReadsBackEqual)
{
    testsupport::ScopedSaveArea area("pngiswrittenasthebyteslieandreadsbackequal");
    const std::string name = "graphics_image_save_roundtrip.png";
    Bytes rgba;
    for (int i = 0; i < 3 * 2 * 4; ++i) rgba.push_back(static_cast<uint8_t>(i * 11 + 3));
    LogCapture log;
    ASSERT_TRUE(write_png_file(name.c_str(), rgba.data(), 3, 2));
    EXPECT_EQ(log.text, "");
    ReadBack back = ReadPngFile(SaveAreaPath(name));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    // The decoder gives blue, green, red, alpha: the file holds red, green, blue, alpha.
    EXPECT_EQ(SwapRedBlue(back.bgra), rgba);
    EXPECT_EQ(Bytes(back.bgra.begin(), back.bgra.begin() + 12), SwapRedBlue(Bytes(rgba.begin(), rgba.begin() + 12)));

    Bytes big;
    for (int i = 0; i < 97 * 61 * 4; ++i) big.push_back(static_cast<uint8_t>((i * 2654435761u) >> 13));
    ASSERT_TRUE(write_png_file(name.c_str(), big.data(), 97, 61));
    EXPECT_EQ(SwapRedBlue(ReadPngFile(SaveAreaPath(name)).bgra), big);
    std::remove(SaveAreaPath(name).c_str());
}

TEST(ImageSave, UnopenableFileFailsQuietly)
{
    Bytes rgba(16, 0);
    LogCapture log;
    EXPECT_FALSE(write_png_file("graphics_no_such_folder/sub/picture.png", rgba.data(), 2, 2));
    EXPECT_FALSE(write_png_file(nullptr, rgba.data(), 2, 2));
    EXPECT_EQ(log.text, "");
}

TEST(ImageSave, ImpossibleSizeFailsInTheHeaderPhase)
{
    testsupport::ScopedSaveArea area("impossiblesizefailsintheheaderphase");
    const std::string name = "graphics_image_save_bad_size.png";
    Bytes rgba(16, 0);
    for (auto size : {std::pair<int32_t, int32_t>{0, 2}, {2, -1}, {100000, 100000}}) {
        LogCapture log;
        EXPECT_FALSE(write_png_file(name.c_str(), rgba.data(), size.first, size.second));
        EXPECT_EQ(log.text, "[write_png_file] Error during writing header\n");
    }
    std::remove(SaveAreaPath(name).c_str());
}

TEST(ImageSave, BitmapWriterKeepsItsColoursAndReportsAFailedOpen)
{
    CBitmap32 bitmap;
    bitmap.ConstructGradient(5, 3, 0x0000FF, 0xFF8000, 0);
    bitmap.SetAlpha(0x80);
    const std::string path = "graphics_image_save_bitmap.png";
    ASSERT_TRUE(bitmap.WritePNG(path.c_str()));
    ReadBack back = ReadPngFile(path);
    ASSERT_TRUE(back.ok);
    uint32_t byteSize = 0;
    uint32_t* pixels = nullptr;
    bitmap.GetPixelBuffer(&byteSize, &pixels);
    const auto* bytes = reinterpret_cast<const uint8_t*>(pixels);
    EXPECT_EQ(back.bgra, Bytes(bytes, bytes + byteSize));
    std::remove(path.c_str());

    LogCapture log;
    EXPECT_FALSE(bitmap.WritePNG("graphics_no_such_folder/x.png"));
    EXPECT_EQ(log.text, "[write_png_file] File graphics_no_such_folder/x.png could not be opened for writing\n");
}

uint32_t Le32(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(ImageSave, InMemoryBmpHeaderAndPaddedRows)
{
    const uint32_t pixels[3] = {0xAA112233u, 0xBB445566u, 0xCC778899u};
    int32_t size = 0;
    uint8_t* block = GR_Image_MakeBMP(pixels, 3, 1, &size, 4);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(size, 54 + 12);
    Bytes bmp = TakeBlock(block, size_t(size));
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), 66u);
    EXPECT_EQ(Le32(bmp, 6), 0u);
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), 3u);
    EXPECT_EQ(Le32(bmp, 22), 1u);
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    EXPECT_EQ(Le32(bmp, 30), 0u);
    EXPECT_EQ(Le32(bmp, 34), 12u);
    for (size_t at = 38; at < 54; ++at) EXPECT_EQ(bmp[at], 0) << at;
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()),
              (Bytes{0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0}));
}

TEST(ImageSave, InMemoryBmpPutsTheBottomRowFirstAndStepsThroughPackedPixels)
{
    // Two rows of two packed three-byte pixels.
    const uint8_t packed[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    int32_t size = 0;
    uint8_t* block = GR_Image_MakeBMP(packed, 2, 2, &size, 3);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(size, 54 + 2 * 8);
    Bytes bmp = TakeBlock(block, size_t(size));
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), (Bytes{7, 8, 9, 10, 11, 12, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}));

    EXPECT_EQ(GR_Image_MakeBMP(packed, 2, 2, &size, 2), nullptr);
    EXPECT_EQ(GR_Image_MakeBMP(packed, 0, 2, &size, 4), nullptr);
    EXPECT_EQ(GR_Image_MakeBMP(nullptr, 2, 2, &size, 4), nullptr);
}

} // namespace
