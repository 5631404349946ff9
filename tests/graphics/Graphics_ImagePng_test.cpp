#include <gtest/gtest.h>

#include <zlib.h>

#include "graphics/Graphics_Image.h"
#include "Graphics_TestImages.h"
#include "platform/Platform_MemoryManager.h"

using namespace testimages;

namespace {

struct Decoded {
    uint8_t* block = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    Bytes pixels;
};

Decoded LoadPng(const Bytes& file, bool half = false)
{
    Decoded d;
    d.block = GR_Image_LoadPNG(file.data(), static_cast<int32_t>(file.size()), &d.width, &d.height, half);
    if (d.block != nullptr) d.pixels.assign(d.block, d.block + size_t(d.width) * d.height * 4);
    GR_Image_FreePNG();
    return d;
}

Bytes Bgra(std::initializer_list<uint32_t> words)
{
    Bytes out;
    for (uint32_t w : words) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    }
    return out;
}

// Rewrites the IHDR size of a PNG and its CRC, so that only the size is wrong.
void SetHeaderSize(Bytes& png, uint32_t width, uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

class TextureScale {
public:
    explicit TextureScale(int32_t scale) : m_Saved(g_TextureScale) { g_TextureScale = scale; }
    ~TextureScale() { g_TextureScale = m_Saved; }

private:
    int32_t m_Saved;
};

TEST(ImagePng, RgbaBecomesBlueGreenRedAlpha)
{
    Bytes rgba = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Decoded d = LoadPng(MakeRgbaPng(3, 2, rgba));
    ASSERT_NE(d.block, nullptr);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        EXPECT_EQ(d.pixels[i], rgba[i + 2]);
        EXPECT_EQ(d.pixels[i + 1], rgba[i + 1]);
        EXPECT_EQ(d.pixels[i + 2], rgba[i]);
        EXPECT_EQ(d.pixels[i + 3], rgba[i + 3]);
    }
}

TEST(ImagePng, PaletteKeepsItsTransparencyOrIsOpaque)
{
    PngDescription desc;
    desc.width = 4;
    desc.colourType = PNG_COLOR_TYPE_PALETTE;
    desc.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};
    desc.rows = {0, 1, 2, 3};
    desc.paletteAlpha = {0, 128};
    Decoded withAlpha = LoadPng(MakePng(desc));
    EXPECT_EQ(withAlpha.pixels, Bgra({0x00FF0000u, 0x8000FF00u, 0xFF0000FFu, 0xFF090807u}));

    desc.paletteAlpha.clear();
    Decoded opaque = LoadPng(MakePng(desc));
    EXPECT_EQ(opaque.pixels, Bgra({0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF090807u}));

    // Indices packed two bits a pixel.
    desc.bitDepth = 2;
    desc.rows = {0x1B}; // 0, 1, 2, 3
    Decoded packed = LoadPng(MakePng(desc));
    EXPECT_EQ(packed.pixels, opaque.pixels);
}

TEST(ImagePng, GreyAndSixteenBitPicturesBecomeFourBytesAPixel)
{
    PngDescription grey;
    grey.width = 3;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.rows = {0, 100, 255};
    EXPECT_EQ(LoadPng(MakePng(grey)).pixels, Bgra({0xFF000000u, 0xFF646464u, 0xFFFFFFFFu}));

    PngDescription bits = grey;
    bits.bitDepth = 1;
    bits.rows = {0x40}; // 0, 1, 0
    EXPECT_EQ(LoadPng(MakePng(bits)).pixels, Bgra({0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}));

    PngDescription greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.rows = {50, 7, 200, 255};
    EXPECT_EQ(LoadPng(MakePng(greyAlpha)).pixels, Bgra({0x07323232u, 0xFFC8C8C8u}));

    PngDescription deep;
    deep.width = 2;
    deep.colourType = PNG_COLOR_TYPE_RGB;
    deep.bitDepth = 16;
    deep.rows = {0x00, 0x12, 0x00, 0x34, 0x00, 0x56, 0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00};
    EXPECT_EQ(LoadPng(MakePng(deep)).pixels, Bgra({0xFF123456u, 0xFFFF8000u}));

    PngDescription deepGreyKey;
    deepGreyKey.width = 2;
    deepGreyKey.colourType = PNG_COLOR_TYPE_GRAY;
    deepGreyKey.bitDepth = 16;
    deepGreyKey.rows = {0x00, 0x40, 0x00, 0x80};
    deepGreyKey.colourKey = true;
    deepGreyKey.key.gray = 0x4000;
    EXPECT_EQ(LoadPng(MakePng(deepGreyKey)).pixels, Bgra({0x00404040u, 0xFF808080u}));

    PngDescription rgbKey;
    rgbKey.width = 2;
    rgbKey.colourType = PNG_COLOR_TYPE_RGB;
    rgbKey.rows = {1, 2, 3, 4, 5, 6};
    rgbKey.colourKey = true;
    rgbKey.key.red = 4;
    rgbKey.key.green = 5;
    rgbKey.key.blue = 6;
    EXPECT_EQ(LoadPng(MakePng(rgbKey)).pixels, Bgra({0xFF010203u, 0x00040506u}));
}

TEST(ImagePng, InterlacedPicturesDecodeAlike)
{
    PngDescription desc;
    desc.width = 9;
    desc.height = 11;
    for (int i = 0; i < 9 * 11 * 4; ++i) desc.rows.push_back(static_cast<uint8_t>(i * 37 + 11));
    Decoded plain = LoadPng(MakePng(desc));
    desc.interlaced = true;
    Decoded interlaced = LoadPng(MakePng(desc));
    ASSERT_NE(interlaced.block, nullptr);
    EXPECT_EQ(plain.pixels, interlaced.pixels);
}

TEST(ImagePng, HalfSizeAveragesSquaresWhenTheScaleAsks)
{
    Bytes rgba;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            rgba.insert(rgba.end(), {uint8_t(x * 4), uint8_t(y * 8), uint8_t((x * y) & 0xFF), uint8_t(255 - x)});
        }
    }
    Bytes file = MakeRgbaPng(64, 32, rgba);
    Decoded whole = LoadPng(file);
    {
        TextureScale scale(2);
        Decoded half = LoadPng(file, true);
        ASSERT_EQ(half.width, 32);
        ASSERT_EQ(half.height, 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 32; ++x) {
                for (int c = 0; c < 4; ++c) {
                    auto at = [&](int sx, int sy) { return whole.pixels[(size_t(sy) * 64 + sx) * 4 + c]; };
                    int sum = at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1);
                    ASSERT_EQ(half.pixels[(size_t(y) * 32 + x) * 4 + c], sum >> 2) << x << "," << y << " " << c;
                }
            }
        }
        // Without the half flag the scale does not matter.
        EXPECT_EQ(LoadPng(file, false).width, 64);
    }
    TextureScale one(1);
    Decoded unscaled = LoadPng(file, true);
    EXPECT_EQ(unscaled.width, 64);
    EXPECT_EQ(unscaled.pixels, whole.pixels);
}

TEST(ImagePng, HalfSizeKeepsPicturesWithASideOfOne)
{
    TextureScale scale(2);
    Bytes rgba(1 * 7 * 4, 0x55);
    Decoded thin = LoadPng(MakeRgbaPng(1, 7, rgba), true);
    ASSERT_NE(thin.block, nullptr);
    EXPECT_EQ(thin.width, 1);
    EXPECT_EQ(thin.height, 7);

    // An odd size halves downwards; the block matches the sizes reported.
    Bytes odd(3 * 3 * 4);
    for (size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<uint8_t>(i * 5);
    Decoded oddWhole = LoadPng(MakeRgbaPng(3, 3, odd));
    Decoded oddHalf = LoadPng(MakeRgbaPng(3, 3, odd), true);
    ASSERT_EQ(oddHalf.width, 1);
    ASSERT_EQ(oddHalf.height, 1);
    for (int c = 0; c < 4; ++c) {
        const Bytes& p = oddWhole.pixels;
        EXPECT_EQ(oddHalf.pixels[c], (p[c] + p[4 + c] + p[12 + c] + p[16 + c]) >> 2);
    }
}

TEST(ImagePng, DataThatIsNoPngFails)
{
    for (const Bytes& data : {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, Bytes{0x89, 'P', 'N', 'G', 13, 10, 26}, Bytes{}}) {
        LogCapture log;
        Decoded d{};
        d.width = d.height = 5;
        d.block = GR_Image_LoadPNG(data.data(), static_cast<int32_t>(data.size()), &d.width, &d.height, false);
        EXPECT_EQ(d.block, nullptr);
        EXPECT_EQ(d.width, -1);
        EXPECT_EQ(d.height, -1);
        EXPECT_EQ(log.text, "Not a PNG\n");
    }
}

TEST(ImagePng, BrokenPngFailsWithTheDecoderMessage)
{
    Bytes good = MakeRgbaPng(4, 4, Bytes(64, 0x77));
    std::vector<Bytes> broken;
    broken.push_back(Bytes(good.begin(), good.begin() + 40)); // cut inside the image data
    Bytes badCrc = good;
    badCrc[30] ^= 0x01;
    broken.push_back(badCrc);
    Bytes zeroWidth = good;
    SetHeaderSize(zeroWidth, 0, 4);
    broken.push_back(zeroWidth);
    for (const Bytes& data : broken) {
        LogCapture log;
        int32_t width = 0, height = 0;
        EXPECT_EQ(GR_Image_LoadPNG(data.data(), static_cast<int32_t>(data.size()), &width, &height, false), nullptr);
        EXPECT_EQ(width, -1);
        EXPECT_EQ(height, -1);
        EXPECT_EQ(log.text, "ReadPNG :: a PNG error occured\n");
    }
}

TEST(ImagePng, SizesAreCheckedBeforeAnyBlockIsMade)
{
    Bytes png = MakeRgbaPng(2, 2, Bytes(16, 1));
    uint32_t blocks = MemoryManager::BlockCount();
    uint32_t bytes = MemoryManager::TotalBytes(0);
    for (auto size : {std::pair<uint32_t, uint32_t>{16000, 16000}, {100000, 1}, {0x7FFFFFFF, 0x7FFFFFFF}}) {
        Bytes huge = png;
        SetHeaderSize(huge, size.first, size.second);
        LogCapture log;
        int32_t width = 0, height = 0;
        EXPECT_EQ(GR_Image_LoadPNG(huge.data(), static_cast<int32_t>(huge.size()), &width, &height, false), nullptr);
        EXPECT_EQ(log.text, "ReadPNG :: a PNG error occured\n");
        EXPECT_EQ(MemoryManager::BlockCount(), blocks);
        EXPECT_EQ(MemoryManager::TotalBytes(0), bytes);
    }
}

TEST(ImagePng, EachLoadDecodesItsOwnDataAndFreeReleasesIt)
{
    uint32_t blocks = MemoryManager::BlockCount();
    Bytes red = MakeRgbaPng(1, 1, {255, 0, 0, 255});
    Bytes blue = MakeRgbaPng(2, 1, {0, 0, 255, 255, 0, 0, 255, 255});
    int32_t width = 0, height = 0;
    uint8_t* first = GR_Image_LoadPNG(red.data(), static_cast<int32_t>(red.size()), &width, &height, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first[2], 255);
    uint8_t* second = GR_Image_LoadPNG(blue.data(), static_cast<int32_t>(blue.size()), &width, &height, false);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(second[0], 255);
    EXPECT_EQ(second[2], 0);
    GR_Image_FreePNG();
    EXPECT_EQ(MemoryManager::BlockCount(), blocks);
    GR_Image_FreePNG();
}

} // namespace
