#include "platform/Platform_EmbeddedImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Crc.h"
#include "platform/Platform_EmbeddedDrawing.h"

namespace {

uint32_t Word(const uint8_t* at)
{
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

class EmbeddedImageTest : public testing::Test {
protected:
    void SetUp() override { EmbeddedImage_SetTable(EmbeddedImage_BuiltInTable()); }
    void TearDown() override { EmbeddedImage_SetTable(nullptr); }
};

} // namespace

TEST_F(EmbeddedImageTest, TheTableHoldsSeventeenImagesOfTheGivenSizesAndNothingOutside)
{
    const uint8_t* table = EmbeddedImage_BuiltInTable();
    EXPECT_EQ(17u, Word(table));
    EXPECT_EQ(42210, EmbeddedImage_Size(16));
    EXPECT_EQ(table + Word(table + 8 + 8 * 16), EmbeddedImage_Data(16));
    EXPECT_EQ(table, EmbeddedImage_BuiltInTable()) << "drawn once";
    for (int32_t index : {17, -1}) {
        EXPECT_EQ(nullptr, EmbeddedImage_Data(index));
        EXPECT_EQ(0, EmbeddedImage_Size(index));
    }
    EmbeddedImage_SetTable(nullptr);
    EXPECT_EQ(nullptr, EmbeddedImage_Data(1));
}

TEST_F(EmbeddedImageTest, TexturesAreUncompressedDdsFiles)
{
    for (int32_t i = 0; i <= EMBEDDED_IMAGE_OVERLAY_FONT; ++i) {
        const uint8_t* dds = EmbeddedImage_Data(i);
        bool overlay = i == EMBEDDED_IMAGE_OVERLAY_FONT;
        uint32_t pitch = overlay ? 128 * 2 : 64;
        EXPECT_EQ(0, std::memcmp(dds, "DDS ", 4));
        EXPECT_EQ(overlay ? 0x20001u : 0x2u, Word(dds + 80)); // luminance + alpha, or alpha only
        EXPECT_EQ(pitch, Word(dds + 20));
        EXPECT_EQ(static_cast<int32_t>(128 + pitch * pitch / (overlay ? 2 : 1)), EmbeddedImage_Size(i));
    }
}

TEST_F(EmbeddedImageTest, TheEmblemIsAPaddedPngThatDecodes)
{
    const uint8_t* png = EmbeddedImage_Data(EMBEDDED_IMAGE_EMBLEM);
    int32_t size = EmbeddedImage_Size(EMBEDDED_IMAGE_EMBLEM);
    EXPECT_EQ(0, std::memcmp(png, "\x89PNG\r\n\x1A\n", 8));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png, static_cast<size_t>(size)));
    EXPECT_EQ(128u, image.width);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    EXPECT_EQ(0, pixels[3]);                         // a transparent corner
    EXPECT_EQ(255, pixels[(64 * 128 + 44) * 4 + 0]); // the letter's white stem
}

TEST_F(EmbeddedImageTest, OverlayGlyphsMatchTheFontTexture)
{
    const uint8_t* dds = EmbeddedImage_Data(EMBEDDED_IMAGE_OVERLAY_FONT);
    auto coverage = [&](int32_t x, int32_t y) { return dds[128 + (y * 128 + x) * 2 + 1]; };
    for (int32_t code = 33; code <= 136; ++code) {
        OverlayGlyph glyph{};
        ASSERT_TRUE(EmbeddedImage_OverlayGlyph(code, &glyph));
        int32_t left = glyph.u / 2, top = glyph.v; // a 128-pixel texture: u counts half pixels
        ASSERT_GT(glyph.width, 0) << code;
        EXPECT_EQ(glyph.width + 1, glyph.advance);
        int32_t inside = 0;
        for (int32_t y = top; y < top + glyph.height; ++y)
            for (int32_t x = left; x < left + glyph.width; ++x) inside += coverage(x, y) == 255;
        EXPECT_GT(inside, 0) << code;
        EXPECT_EQ(0, coverage(left - 1, top)) << code; // the box holds the whole glyph
    }
    OverlayGlyph space{};
    ASSERT_TRUE(EmbeddedImage_OverlayGlyph(' ', &space));
    EXPECT_EQ(std::pair(0, 4), std::pair(int(space.width), int(space.advance)));
    EXPECT_FALSE(EmbeddedImage_OverlayGlyph(31, &space));
    EXPECT_FALSE(EmbeddedImage_OverlayGlyph(137, &space));
}

namespace {

// The emblem's RGBA pixels, decoded from its PNG; empty when it does not decode.
std::vector<uint8_t> EmblemPixels(const uint8_t* png, int32_t size)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png, static_cast<size_t>(size))) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    return pixels;
}

// The CRC of an image's pixels: a texture's whole file (header and every pixel), the emblem's
// decoded pixels (its compressed bytes may vary with the library that packs them).
uint32_t PixelCrc(int32_t index)
{
    const uint8_t* data = EmbeddedImage_Data(index);
    int32_t size = EmbeddedImage_Size(index);
    if (index != EMBEDDED_IMAGE_EMBLEM) return Crc32::Buffer(data, size);
    std::vector<uint8_t> pixels = EmblemPixels(data, size);
    return Crc32::Buffer(pixels.data(), int64_t(pixels.size()));
}

// Taken from the pictures as every start drew them before they were drawn on demand: any change to
// a pixel of a particle shape, the overlay font or the emblem shows here.
const uint32_t PIXEL_CRCS[EMBEDDED_IMAGE_COUNT] = {
    0xFF56E88Eu, // white
    0x9837EBFCu, 0x89FEDD89u, 0xA1EE8E0Du, 0x636B1D04u, 0x7672C601u, 0x8DBD6630u, 0xD8DB0211u, // pixel .. ring
    0xFF741ABAu, 0x14DD8A12u, 0xDDAC490Eu, 0x58387719u, 0xCF4634B9u, 0x9E7B4030u, 0xE1C9E10Du, // sphere .. snow
    0x9E5013FBu, // overlay font
    0x6FF5A590u, // emblem
};

} // namespace

TEST_F(EmbeddedImageTest, EveryPixelOfEveryImageIsAsBeforeDrawnOnDemandOrAsATable)
{
    for (bool onDemand : {true, false}) {
        if (onDemand) EmbeddedImage_UseBuiltIn();
        else EmbeddedImage_SetTable(EmbeddedImage_BuiltInTable());
        for (int32_t index = 0; index < EMBEDDED_IMAGE_COUNT; ++index) {
            EXPECT_EQ(PIXEL_CRCS[index], PixelCrc(index)) << "image " << index << (onDemand ? " on demand" : "");
            if (onDemand) {
                EXPECT_EQ(EmbeddedImage_Data(index), EmbeddedImage_Data(index)) << "drawn once: " << index;
            }
        }
        for (int32_t index : {EMBEDDED_IMAGE_COUNT, -1}) {
            EXPECT_EQ(nullptr, EmbeddedImage_Data(index)) << index;
            EXPECT_EQ(0, EmbeddedImage_Size(index)) << index;
        }
    }
}

// The shapes the program keeps were drawn by the build with the drawing code the program has: each
// is what that code draws now, and nothing is drawn for an index out of range.
TEST(EmbeddedDrawing, TheShapesKeptAreTheShapesTheDrawingCodeDraws)
{
    EmbeddedImage_UseBuiltIn();
    for (int32_t index = EMBEDDED_IMAGE_FIRST_SHAPE; index < EMBEDDED_IMAGE_FIRST_SHAPE + EMBEDDED_IMAGE_SHAPE_COUNT;
         ++index) {
        std::vector<uint8_t> drawn = EmbeddedImage_Draw(index);
        ASSERT_EQ(size_t(EMBEDDED_SHAPE_BYTES), drawn.size()) << index;
        EXPECT_EQ(drawn, std::vector<uint8_t>(EmbeddedImage_Data(index), EmbeddedImage_Data(index) + drawn.size()))
            << index;
    }
    EXPECT_TRUE(EmbeddedImage_Draw(EMBEDDED_IMAGE_COUNT).empty());
    EXPECT_TRUE(EmbeddedImage_Draw(-1).empty());
    EmbeddedImage_SetTable(nullptr);
}
