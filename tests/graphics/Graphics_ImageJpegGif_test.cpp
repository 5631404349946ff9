#include <gtest/gtest.h>

#include <cstdlib>

#include "Graphics_TestImages.h"
#include "graphics/Graphics_Image.h"
#include "platform/Platform_MemoryManager.h"

using namespace testimages;

namespace {

struct Picture {
    bool ok = false;
    int32_t width = -7;
    int32_t height = -7;
    Bytes pixels;
};

template <typename Decoder>
Picture Decode(Decoder decoder, const Bytes& file)
{
    Picture p;
    uint8_t* block = decoder(file.data(), static_cast<int32_t>(file.size()), &p.width, &p.height);
    p.ok = block != nullptr;
    if (block != nullptr) p.pixels = TakeBlock(block, size_t(p.width) * p.height * 4);
    return p;
}

Picture Jpeg(const Bytes& file) { return Decode(JPEG_Decode, file); }
Picture Gif(const Bytes& file) { return Decode(GIF_Decode, file); }

uint32_t PixelAt(const Picture& p, int32_t x, int32_t y)
{
    size_t at = (size_t(y) * p.width + x) * 4;
    return uint32_t(p.pixels[at]) | uint32_t(p.pixels[at + 1]) << 8 | uint32_t(p.pixels[at + 2]) << 16 |
           uint32_t(p.pixels[at + 3]) << 24;
}

// JPEG is lossy: a channel within a few steps of what was written.
void ExpectNear(uint32_t pixel, uint32_t expected, int tolerance = 6)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (pixel >> shift) & 0xFF;
        int b = (expected >> shift) & 0xFF;
        EXPECT_LE(std::abs(a - b), tolerance) << std::hex << pixel << " vs " << expected;
    }
}

Bytes SolidRgb(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b)
{
    Bytes samples;
    for (int32_t i = 0; i < width * height; ++i) samples.insert(samples.end(), {r, g, b});
    return samples;
}

TEST(ImageJpeg, ColourPictureIsOpaqueBlueGreenRed)
{
    Bytes samples;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            bool left = x < 8;
            samples.insert(samples.end(), {uint8_t(left ? 200 : 20), uint8_t(left ? 40 : 180), uint8_t(90)});
        }
    }
    for (bool progressive : {false, true}) {
        Picture p = Jpeg(MakeJpeg(24, 16, 3, samples, 95, progressive));
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.width, 24);
        EXPECT_EQ(p.height, 16);
        ExpectNear(PixelAt(p, 2, 3), 0xFFC8285Au);
        ExpectNear(PixelAt(p, 20, 12), 0xFF14B45Au);
    }
}

TEST(ImageJpeg, GreyPictureKeepsItsGreyLevels)
{
    Bytes samples;
    for (int i = 0; i < 16 * 8; ++i) samples.push_back(i < 64 ? 30 : 220);
    Picture p = Jpeg(MakeJpeg(16, 8, 1, samples));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 16);
    ExpectNear(PixelAt(p, 1, 1), 0xFF1E1E1Eu);
    ExpectNear(PixelAt(p, 14, 6), 0xFFDCDCDCu);
}

TEST(ImageJpeg, CorruptPicturesFailWithoutEndingTheProcess)
{
    Bytes good = MakeJpeg(32, 32, 3, SolidRgb(32, 32, 10, 20, 30));
    std::vector<Bytes> broken;
    broken.push_back(Bytes{0xFF, 0xD8, 0xFF, 0xD9});                          // no frame at all
    broken.push_back(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'}); // no start marker
    Bytes badTables = good;
    for (size_t i = 20; i < 120 && i < badTables.size(); ++i) badTables[i] = 0xFF; // tables destroyed
    broken.push_back(badTables);
    Bytes badFrame = good;
    // The frame header's component count set to a value the decoder refuses.
    for (size_t i = 2; i + 9 < badFrame.size(); ++i) {
        if (badFrame[i] == 0xFF && badFrame[i + 1] == 0xC0) {
            badFrame[i + 9] = 0;
            break;
        }
    }
    broken.push_back(badFrame);
    for (const Bytes& data : broken) {
        Picture p = Jpeg(data);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.width, -7);
    }
    EXPECT_FALSE(JPEG_Decode(nullptr, 10, nullptr, nullptr));
    int32_t w = 0, h = 0;
    EXPECT_EQ(JPEG_Decode(good.data(), 0, &w, &h), nullptr);
}

TEST(ImageJpeg, TruncatedPictureDecodesWhatIsThere)
{
    Bytes samples = SolidRgb(64, 64, 250, 250, 250);
    for (size_t i = 64 * 3 * 32; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7919 % 251);
    Bytes good = MakeJpeg(64, 64, 3, samples);
    // Cut halfway through the scan: the top rows are there, the rest is missing.
    size_t scan = 0;
    for (size_t i = 2; i + 1 < good.size(); ++i) {
        if (good[i] == 0xFF && good[i + 1] == 0xDA) scan = i;
    }
    ASSERT_GT(scan, 0u);
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(scan + (good.size() - scan) / 2));
    Picture p = Jpeg(cut);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 64);
    EXPECT_EQ(p.height, 64);
    ExpectNear(PixelAt(p, 0, 0), 0xFFFAFAFAu);
}

TEST(ImageJpeg, OversizedHeaderIsRefusedBeforeDecoding)
{
    Bytes file = MakeJpeg(8, 8, 3, SolidRgb(8, 8, 1, 2, 3));
    for (size_t i = 2; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = 0xEA; // height 60000
            file[i + 6] = 0x60;
            file[i + 7] = 0xEA; // width 60000
            file[i + 8] = 0x60;
            break;
        }
    }
    uint32_t blocks = MemoryManager::BlockCount();
    EXPECT_FALSE(Jpeg(file).ok);
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
}

GifDescription FourColourGif(int32_t width, int32_t height)
{
    GifDescription desc;
    desc.screenWidth = width;
    desc.screenHeight = height;
    desc.width = width;
    desc.height = height;
    desc.globalMap = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
    for (int32_t i = 0; i < width * height; ++i) desc.indices.push_back(static_cast<uint8_t>(i % 4));
    return desc;
}

TEST(ImageGif, ColoursComeFromTheColourMap)
{
    Picture p = Gif(MakeGif(FourColourGif(4, 2)));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 4);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(PixelAt(p, 0, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(p, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(p, 2, 0), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(p, 3, 1), 0xFF0000FFu);
}

TEST(ImageGif, TransparentIndexHasNoAlpha)
{
    GifDescription desc = FourColourGif(4, 4);
    desc.globalMap.resize(8, Rgb(1, 2, 3));
    desc.indices = {5, 1, 5, 2, 3, 5, 0, 5, 5, 5, 5, 5, 1, 1, 1, 1};
    desc.transparent = 5;
    Picture p = Gif(MakeGif(desc));
    ASSERT_TRUE(p.ok);
    for (int i = 0; i < 16; ++i) {
        uint32_t pixel = PixelAt(p, i % 4, i / 4);
        if (desc.indices[i] == 5) {
            EXPECT_EQ(pixel, 0x00010203u) << i;
        } else {
            EXPECT_EQ(pixel >> 24, 0xFFu) << i;
        }
    }
}

TEST(ImageGif, InterlacedRowsLandInPlace)
{
    GifDescription desc = FourColourGif(3, 10);
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 3; ++x) desc.indices[y * 3 + x] = static_cast<uint8_t>(y % 4);
    }
    desc.interlaced = true;
    Picture p = Gif(MakeGif(desc));
    ASSERT_TRUE(p.ok);
    const uint32_t colours[4] = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(PixelAt(p, 1, y), colours[y % 4]) << y;
}

TEST(ImageGif, FirstImageSmallerThanTheScreenIsPlacedAtItsOffset)
{
    GifDescription desc = FourColourGif(2, 2);
    desc.screenWidth = 5;
    desc.screenHeight = 4;
    desc.left = 2;
    desc.top = 1;
    desc.indices = {1, 2, 3, 1};
    Picture p = Gif(MakeGif(desc));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 5);
    EXPECT_EQ(p.height, 4);
    EXPECT_EQ(PixelAt(p, 2, 1), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(p, 3, 1), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(p, 2, 2), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(p, 0, 0), 0u);
    EXPECT_EQ(PixelAt(p, 4, 3), 0u);

    // An image reaching past the screen is clipped to it.
    desc.left = 4;
    desc.top = 3;
    Picture clipped = Gif(MakeGif(desc));
    ASSERT_TRUE(clipped.ok);
    EXPECT_EQ(PixelAt(clipped, 4, 3), 0xFFFF0000u);
}

TEST(ImageGif, LocalColourMapAloneIsUsed)
{
    GifDescription desc = FourColourGif(2, 1);
    desc.localMap = {Rgb(9, 9, 9), Rgb(7, 8, 9)};
    desc.globalMap.clear();
    desc.indices = {1, 0};
    Picture p = Gif(MakeGif(desc));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(PixelAt(p, 0, 0), 0xFF070809u);
    EXPECT_EQ(PixelAt(p, 1, 0), 0xFF090909u);

    // Beside a global map, the image's own map holds its colours.
    desc.globalMap = {Rgb(100, 100, 100), Rgb(200, 200, 200)};
    Picture both = Gif(MakeGif(desc));
    EXPECT_EQ(PixelAt(both, 0, 0), 0xFF070809u);
}

TEST(ImageGif, PictureWithoutColourMapFails)
{
    Bytes file = MakeGif(FourColourGif(2, 2));
    // Drop the global map: clear its flag and cut its 12 bytes out.
    file[10] &= 0x7F;
    file.erase(file.begin() + 13, file.begin() + 13 + 12);
    EXPECT_FALSE(Gif(file).ok);
}

TEST(ImageGif, IndicesBeyondTheColourMapStayTransparent)
{
    GifDescription desc = FourColourGif(2, 1);
    desc.globalMap.assign(256, Rgb(50, 60, 70));
    desc.indices = {200, 1};
    Bytes file = MakeGif(desc);
    // Declare a map of 2 colours and cut the other 254 out; the pixel data still hold index 200.
    file[10] = static_cast<uint8_t>((file[10] & 0xF8) | 0);
    file.erase(file.begin() + 13 + 6, file.begin() + 13 + 768);
    Picture p = Gif(file);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(PixelAt(p, 0, 0), 0u);
    EXPECT_EQ(PixelAt(p, 1, 0), 0xFF323C46u);
}

TEST(ImageGif, BrokenFilesFail)
{
    GifDescription desc = FourColourGif(8, 8);
    desc.extraImages = 2;
    Bytes good = MakeGif(desc);
    ASSERT_TRUE(Gif(good).ok);
    EXPECT_FALSE(Gif(Bytes(good.begin(), good.end() - 8)).ok);        // cut in the later images
    EXPECT_FALSE(Gif(Bytes(good.begin(), good.begin() + 20)).ok);     // cut in the first
    EXPECT_FALSE(Gif(Bytes{'G', 'I', 'F', '8', '9', 'a', 1}).ok);      // no screen
    EXPECT_FALSE(Gif(Bytes{'P', 'N', 'G', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}).ok);

    // A screen with no image at all has no picture.
    Bytes empty = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255, ';'};
    EXPECT_FALSE(Gif(empty).ok);

    // Sizes from the file are checked before anything is sized from them.
    Bytes wide = MakeGif(FourColourGif(2, 2));
    wide[6] = 0xFF;
    wide[7] = 0xFF;
    wide[8] = 0xFF;
    wide[9] = 0xFF;
    uint32_t blocks = MemoryManager::BlockCount();
    EXPECT_FALSE(Gif(wide).ok);
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
}

} // namespace
