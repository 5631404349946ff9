// The image decoders (PNG, JPEG, GIF) on files made by the image libraries, their refusals of broken
// files, and the PNG and BMP writers.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <tuple>

#include "../TestSupport_SaveArea.h"
#include "Graphics_TestImages.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_Image.h"
#include "support/Support_SaveArea.h"

using namespace testimages;
using std::make_tuple;

namespace {

struct Picture {
    bool ok = false;
    int32_t width = -7, height = -7;
    Bytes pixels; // blue, green, red, alpha
};

Picture LoadPng(const Bytes& file, bool half = false)
{
    Picture p;
    uint8_t* block = GR_Image_LoadPNG(file.data(), int32_t(file.size()), &p.width, &p.height, half);
    p.ok = block != nullptr;
    if (block != nullptr) p.pixels.assign(block, block + size_t(p.width) * p.height * 4);
    GR_Image_FreePNG();
    return p;
}

template <typename Decoder> Picture Decode(Decoder decoder, const Bytes& file)
{
    Picture p;
    uint8_t* block = decoder(file.data(), int32_t(file.size()), &p.width, &p.height);
    p.ok = block != nullptr;
    if (block != nullptr) p.pixels = TakeBlock(block, size_t(p.width) * p.height * 4);
    return p;
}
Picture Jpeg(const Bytes& file) { return Decode(JPEG_Decode, file); }
Picture Gif(const Bytes& file) { return Decode(GIF_Decode, file); }

Bytes Bgra(std::initializer_list<uint32_t> words)
{
    Bytes out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

// Rewrites the IHDR size of a PNG and its CRC, so that only the size is wrong.
void SetHeaderSize(Bytes& png, uint32_t width, uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = uint8_t(width >> (24 - 8 * i));
        png[20 + i] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = uint32_t(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
}

TEST(ImagePng, BrokenFilesFailWithTheirMessageBeforeAnyBlockIsMade)
{
    Bytes good = MakeRgbaPng(4, 4, Bytes(64, 0x77));
    Bytes badCrc = good, zeroWidth = good, square = good, long1 = good, huge = good;
    badCrc[30] ^= 0x01;
    SetHeaderSize(zeroWidth, 0, 4);
    SetHeaderSize(square, 16000, 16000);
    SetHeaderSize(long1, 100000, 1);
    SetHeaderSize(huge, 0x7FFFFFFF, 0x7FFFFFFF);
    const std::string notPng = "Not a PNG\n", error = "ReadPNG :: a PNG error occured\n";
    const std::pair<Bytes, std::string> cases[] = {
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, notPng}, {{0x89, 'P', 'N', 'G', 13, 10, 26}, notPng},
        {{}, notPng}, {Bytes(good.begin(), good.begin() + 40), error}, // cut inside the image data
        {badCrc, error}, {zeroWidth, error}, {square, error}, {long1, error}, {huge, error}};
    for (const auto& [data, message] : cases) {
        LogCapture log;
        uint32_t blocks = MemoryManager::BlockCount();
        uint32_t bytes = MemoryManager::TotalBytes(0);
        int32_t width = 5, height = 5;
        EXPECT_EQ(nullptr, GR_Image_LoadPNG(data.data(), int32_t(data.size()), &width, &height, false));
        EXPECT_EQ(make_tuple(-1, -1, message), make_tuple(width, height, log.Text())) << data.size();
        // Failures release what they made, and sizes are checked before anything is sized from them.
        EXPECT_EQ(make_tuple(blocks, bytes), make_tuple(MemoryManager::BlockCount(), MemoryManager::TotalBytes(0)))
            << data.size();
    }
}

Bytes SolidRgb(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b)
{
    Bytes samples;
    for (int32_t i = 0; i < width * height; ++i) samples.insert(samples.end(), {r, g, b});
    return samples;
}

// The offset of the first marker `second` after 0xFF, or 0.
size_t Marker(const Bytes& file, uint8_t second)
{
    for (size_t i = 2; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == second) return i;
    return 0;
}

TEST(ImageJpeg, CorruptOrOversizedPicturesFailWithoutEndingTheProcess)
{
    Bytes good = MakeJpeg(32, 32, 3, SolidRgb(32, 32, 10, 20, 30));
    Bytes badTables = good, badFrame = good, oversized = MakeJpeg(8, 8, 3, SolidRgb(8, 8, 1, 2, 3));
    for (size_t i = 20; i < 120 && i < badTables.size(); ++i) badTables[i] = 0xFF; // tables destroyed
    badFrame[Marker(badFrame, 0xC0) + 9] = 0; // a component count the decoder refuses
    size_t frame = Marker(oversized, 0xC0);
    for (size_t i = 5; i < 9; ++i) oversized[frame + i] = i % 2 ? 0xEA : 0x60; // 60000 x 60000
    uint32_t blocks = MemoryManager::BlockCount();
    for (const Bytes& data : {Bytes{0xFF, 0xD8, 0xFF, 0xD9}, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'},
                              badTables, badFrame, oversized}) {
        Picture p = Jpeg(data);
        EXPECT_EQ(make_tuple(false, -7), make_tuple(p.ok, p.width));
    }
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
    EXPECT_FALSE(JPEG_Decode(nullptr, 10, nullptr, nullptr));
    int32_t w = 0, h = 0;
    EXPECT_EQ(JPEG_Decode(good.data(), 0, &w, &h), nullptr);
}


GifDescription FourColourGif(int32_t width, int32_t height)
{
    GifDescription desc{.screenWidth = width, .screenHeight = height, .width = width, .height = height,
                        .globalMap = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)}};
    for (int32_t i = 0; i < width * height; ++i) desc.indices.push_back(uint8_t(i % 4));
    return desc;
}

TEST(ImageGif, BrokenFilesFail)
{
    GifDescription desc = FourColourGif(8, 8);
    desc.extraImages = 2;
    Bytes good = MakeGif(desc);
    ASSERT_TRUE(Gif(good).ok);
    EXPECT_FALSE(Gif(Bytes(good.begin(), good.end() - 8)).ok);    // cut in the later images
    EXPECT_FALSE(Gif(Bytes(good.begin(), good.begin() + 20)).ok); // cut in the first
    EXPECT_FALSE(Gif(Bytes{'G', 'I', 'F', '8', '9', 'a', 1}).ok); // no screen
    EXPECT_FALSE(Gif(Bytes{'P', 'N', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}).ok);
    // A screen with no image at all has no picture.
    EXPECT_FALSE(Gif(Bytes{'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255, ';'}).ok);
    // Sizes from the file are checked before anything is sized from them.
    Bytes wide = MakeGif(FourColourGif(2, 2));
    std::fill(wide.begin() + 6, wide.begin() + 10, 0xFF);
    uint32_t blocks = MemoryManager::BlockCount();
    EXPECT_FALSE(Gif(wide).ok);
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
}

// ---- writers ----

std::string SaveAreaPath(const std::string& name)
{
    char path[2048];
    LoadSave_SaveAreaPath(path, sizeof path, name.c_str());
    return path;
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
    for (uint32_t i = 0; i < 97 * 61 * 4; ++i) rgba.push_back(uint8_t((i * 2654435761u) >> 13));
    ASSERT_TRUE(write_png_file(name.c_str(), rgba.data(), 97, 61));
    Picture back = LoadPng(ReadFileBytes(SaveAreaPath(name)));
    EXPECT_EQ(make_tuple(97, 61), make_tuple(back.width, back.height));
    // The decoder gives blue, green, red, alpha: the file holds red, green, blue, alpha.
    EXPECT_EQ(SwapRedBlue(back.pixels), rgba);
    // Missing folders of the save area are made; a file that cannot be opened (a folder in its
    // place) and a name outside the save area fail quietly; an impossible size fails in the header
    // phase.
    LogCapture log;
    EXPECT_TRUE(write_png_file("graphics_no_such_folder/sub/picture.png", rgba.data(), 2, 2));
    EXPECT_EQ(2, LoadPng(ReadFileBytes(SaveAreaPath("graphics_no_such_folder/sub/picture.png"))).width);
    EXPECT_FALSE(write_png_file("graphics_no_such_folder", rgba.data(), 2, 2));
    EXPECT_FALSE(write_png_file("/graphics_outside_the_save_area/picture.png", rgba.data(), 2, 2));
    EXPECT_FALSE(std::filesystem::exists("/graphics_outside_the_save_area"));
    EXPECT_FALSE(write_png_file(nullptr, rgba.data(), 2, 2));
    EXPECT_EQ(log.Text(), "");
    EXPECT_FALSE(write_png_file(name.c_str(), rgba.data(), 100000, 100000));
    EXPECT_EQ(log.Text(), "[write_png_file] Error during writing header\n");
}

TEST(ImageSave, BitmapWriterKeepsItsColoursAndReportsAFailedOpen)
{
    CBitmap32 bitmap;
    bitmap.ConstructGradient(5, 3, 0x0000FF, 0xFF8000, 0);
    bitmap.SetAlpha(0x80);
    const std::string path = "graphics_image_save_bitmap.png";
    ASSERT_TRUE(bitmap.WritePNG(path.c_str()));
    Picture back = LoadPng(ReadFileBytes(path));
    uint32_t byteSize = 0;
    uint32_t* pixels = nullptr;
    bitmap.GetPixelBuffer(&byteSize, &pixels);
    const auto* bytes = reinterpret_cast<const uint8_t*>(pixels);
    EXPECT_EQ(back.pixels, Bytes(bytes, bytes + byteSize));
    std::remove(path.c_str());
    LogCapture log;
    EXPECT_FALSE(bitmap.WritePNG("graphics_no_such_folder/x.png"));
    EXPECT_EQ(log.Text(), "[write_png_file] File graphics_no_such_folder/x.png could not be opened for writing\n");
}

TEST(ImageSave, InMemoryBmpHasItsHeaderAndPaddedRowsBottomFirst)
{
    const uint32_t pixels[3] = {0xAA112233u, 0xBB445566u, 0xCC778899u};
    int32_t size = 0;
    uint8_t* block = GR_Image_MakeBMP(pixels, 3, 1, &size, 4);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(size, 54 + 12);
    Bytes bmp = TakeBlock(block, size_t(size));
    // "BM", file size, reserved, pixel offset; header size, width, height, planes and bits, no
    // compression, the pixel bytes, then zeros.
    Bytes header = {'B', 'M'};
    for (uint32_t w : {66u, 0u, 54u, 40u, 3u, 1u, 1u | 24u << 16, 0u, 12u, 0u, 0u, 0u, 0u}) {
        Bytes word = Bgra({w});
        header.insert(header.end(), word.begin(), word.end());
    }
    EXPECT_EQ(header, Bytes(bmp.begin(), bmp.begin() + 54));
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), (Bytes{0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77, 0, 0, 0}));

    // Two rows of two packed three-byte pixels.
    const uint8_t packed[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    block = GR_Image_MakeBMP(packed, 2, 2, &size, 3);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(size, 54 + 2 * 8);
    bmp = TakeBlock(block, size_t(size));
    EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), (Bytes{7, 8, 9, 10, 11, 12, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(GR_Image_MakeBMP(packed, 2, 2, &size, 2), nullptr);
    EXPECT_EQ(GR_Image_MakeBMP(packed, 0, 2, &size, 4), nullptr);
}

} // namespace
