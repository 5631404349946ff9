#include "platform/Platform_EmbeddedImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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

    // The alpha byte of pixel (x, y) of a 64 x 64 shape.
    static int Alpha(int32_t image, int32_t x, int32_t y)
    {
        return EmbeddedImage_Data(image)[EMBEDDED_DDS_HEADER_SIZE + y * EMBEDDED_SHAPE_SIZE + x];
    }
    // The largest alpha on a circle of radius r (in pixels) around the centre.
    static int MaxOnCircle(int32_t image, float r)
    {
        int best = 0;
        for (int step = 0; step < 360; ++step) {
            float angle = step * 3.14159265f / 180.0f;
            int x = static_cast<int>(32.0f + r * std::cos(angle));
            int y = static_cast<int>(32.0f + r * std::sin(angle));
            if (x >= 0 && x < 64 && y >= 0 && y < 64) best = std::max(best, Alpha(image, x, y));
        }
        return best;
    }
};

enum Shape { PIXEL = 1, DISK, SQUARE, LINE, STAR, CIRCLE, RING, SPHERE, FLARE, SPARK, EXPLOSION, CLOUD, SMOKE, SNOW };

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
        uint32_t size = overlay ? 128 : 64;
        EXPECT_EQ(0, std::memcmp(dds, "DDS ", 4));
        EXPECT_EQ(size, Word(dds + 16)); // width
        EXPECT_EQ(overlay ? 0x20001u : 0x2u, Word(dds + 80)); // luminance + alpha, or alpha only
        EXPECT_EQ(size * (overlay ? 2 : 1), Word(dds + 20));  // pitch
        EXPECT_EQ(static_cast<int32_t>(128 + size * size * (overlay ? 2 : 1)), EmbeddedImage_Size(i));
    }
}

TEST_F(EmbeddedImageTest, ParticleShapesLookLikeTheirNames)
{
    // Every shape but the square fades out before the corners.
    for (int32_t shape = PIXEL; shape <= SNOW; ++shape) {
        if (shape == SQUARE) continue;
        for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}})
            EXPECT_EQ(0, Alpha(shape, x, y)) << "shape " << shape;
    }
    const struct {
        int32_t shape, x, y, alpha;
    } points[] = {
        {DISK, 32, 8, 255}, {SQUARE, 6, 6, 255}, {PIXEL, 32, 40, 0}, {LINE, 32, 20, 0}, {CIRCLE, 32, 32, 0},
        // The star points up: the top tip is set, the point below the centre is not.
        {STAR, 32, 8, 255}, {STAR, 32, 58, 0},
        // The snowflake's arm runs out to the right; between arms near the rim is empty.
        {SNOW, 55, 32, 255}, {SNOW, 32 + 26, 32 + 15, 0},
    };
    for (const auto& p : points) EXPECT_EQ(p.alpha, Alpha(p.shape, p.x, p.y)) << p.shape << " " << p.x << "," << p.y;
    // The circle is a thin line, the ring a soft band; the noisy shapes are neither empty nor solid.
    EXPECT_EQ(255, MaxOnCircle(CIRCLE, 26.9f));
    EXPECT_GT(MaxOnCircle(RING, 20.0f), 240);
    int32_t partial = 0;
    for (int32_t at = 0; at < 64 * 64; ++at) partial += Alpha(SMOKE, at % 64, at / 64) % 255 != 0;
    EXPECT_GT(partial, 400);
}

TEST_F(EmbeddedImageTest, TheEmblemIsAPaddedPngThatDecodes)
{
    const uint8_t* png = EmbeddedImage_Data(EMBEDDED_IMAGE_EMBLEM);
    int32_t size = EmbeddedImage_Size(EMBEDDED_IMAGE_EMBLEM);
    EXPECT_EQ(0, std::memcmp(png, "\x89PNG\r\n\x1A\n", 8));
    std::string bytes(reinterpret_cast<const char*>(png), static_cast<size_t>(size));
    EXPECT_NE(std::string::npos, bytes.find("kvPd"));

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
    auto luminance = [&](int32_t x, int32_t y) { return dds[128 + (y * 128 + x) * 2]; };
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
        // Nothing of the glyph lies in the columns just beside its box.
        for (int32_t y = top; y < top + glyph.height; ++y) {
            EXPECT_EQ(0, coverage(left - 1, y)) << code;
            EXPECT_EQ(0, coverage(left + glyph.width, y)) << code;
        }
        EXPECT_EQ(255, luminance(left, top));
    }
    OverlayGlyph space{};
    ASSERT_TRUE(EmbeddedImage_OverlayGlyph(' ', &space));
    EXPECT_EQ(std::pair(0, 4), std::pair(int(space.width), int(space.advance)));
    EXPECT_FALSE(EmbeddedImage_OverlayGlyph(31, &space));
    EXPECT_FALSE(EmbeddedImage_OverlayGlyph(137, &space));
}
