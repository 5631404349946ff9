#include <cmath>

#include "Graphics_DrawCapture.h"
#include "Graphics_TestImages.h"
#include "graphics/Graphics_Bitmap32.h"

using capture::DrawTest;

namespace {

class TextureTable : public DrawTest {
  protected:
    static int32_t MakeEmpty(int32_t w = 8, int32_t h = 8) { return Texture_CreateEmpty(w, h, false); }
    static bool Listed(const DeviceTexture* texture)
    {
        for (DeviceTexture* t = g_DeviceTextures; t != nullptr; t = t->next)
            if (t == texture) return true;
        return false;
    }
    static const std::vector<uint8_t>& DeviceBytes(int32_t index)
    {
        return static_cast<fake::Texture*>(Texture_GetHandle(index)->texture)->bytes;
    }
};

TEST_F(TextureTable, FreedSlotsAreTakenAgainAndInvalidIndicesIgnored)
{
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(i, MakeEmpty());
    DeviceTexture* third = Texture_GetHandle(3);
    Texture_Free(3);
    EXPECT_FALSE(Listed(third));
    EXPECT_FALSE(Texture_Exists(3));
    EXPECT_EQ(nullptr, Texture_GetHandle(3));
    EXPECT_EQ(5, Texture_Count()); // the record stays
    Texture_Free(3);               // freeing a free slot, or one beyond the table, does nothing
    Texture_Free(-1);
    Texture_Free(99);
    EXPECT_EQ(3, MakeEmpty());
    EXPECT_NE(nullptr, Texture_GetHandle(3));
    EXPECT_EQ(5, MakeEmpty());

    DeviceTexture* first = Texture_GetHandle(0);
    Texture_FreeAll();
    EXPECT_EQ(0, Texture_Count());
    EXPECT_FALSE(Listed(first));
}

TEST_F(TextureTable, ResettingForgetsRecordsButLeavesDeviceTextures)
{
    int32_t index = MakeEmpty();
    DeviceTexture* device = Texture_GetHandle(index);
    Texture_ResetTable();
    EXPECT_FALSE(Texture_Exists(index));
    EXPECT_TRUE(Listed(device)); // a new device is made only when the old one and its textures went away
    GR_Texture_Free(device);
}

TEST_F(TextureTable, UsedSizeIsThePictureOverTheDeviceTexture)
{
    std::vector<uint32_t> pixels(100 * 33, 0xFF00FF00u);
    int32_t raw =
        Texture_CreateFromPixels(100, 33, reinterpret_cast<const uint8_t*>(pixels.data()), 100 * 33 * 4);
    ASSERT_GE(raw, 0);
    EXPECT_FLOAT_EQ(0.78125f, Texture_GetUsedWidth(raw));
    EXPECT_FLOAT_EQ(33.0f / 64.0f, Texture_GetUsedHeight(raw));
    EXPECT_EQ(1.0f, Texture_GetUsedWidth(-1));
    EXPECT_EQ(1.0f, Texture_GetUsedHeight(77));

    int32_t empty = MakeEmpty(100, 20);
    EXPECT_FLOAT_EQ(0.78125f, Texture_GetUsedWidth(empty));
    EXPECT_EQ(100, Texture_Get(empty)->width);
}

TEST_F(TextureTable, ImageFileDataIsStretchedOverTheWholeTexture)
{
    testimages::Bytes rgba(size_t(100) * 20 * 4, 0xFF);
    testimages::Bytes png = testimages::MakeRgbaPng(100, 20, rgba);
    int32_t blob = Texture_CreateFromBlob(png.data(), int32_t(png.size()), 0);
    ASSERT_GE(blob, 0);
    EXPECT_EQ(100, Texture_Get(blob)->width);
    EXPECT_FLOAT_EQ(1.0f / 100.0f, Texture_Get(blob)->reciprocalWidth);
    EXPECT_FLOAT_EQ(1.0f, Texture_GetUsedWidth(blob));

    // Pixels given with a size that is not width x height x 4 are file data too.
    int32_t file = Texture_CreateFromPixels(7, 7, png.data(), int32_t(png.size()));
    ASSERT_GE(file, 0);
    EXPECT_EQ(7, Texture_Get(file)->width);
    EXPECT_FLOAT_EQ(1.0f / 100.0f, Texture_Get(file)->reciprocalWidth);

    const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    int32_t count = Texture_Count();
    EXPECT_EQ(-1, Texture_CreateFromBlob(junk, int32_t(sizeof junk), 0));
    EXPECT_EQ(-1, Texture_CreateFromBlob(png.data(), 0, 0));
    EXPECT_EQ(count, Texture_Count()); // no slot taken by a failure
}

TEST_F(TextureTable, AlphaMapsBecomeWhitePixelsWithThatAlpha)
{
    const uint8_t map[4] = {0, 0x40, 0x80, 0xFF};
    int32_t index = Texture_CreateFromAlphaMap(2, 2, map);
    ASSERT_GE(index, 0);
    const std::vector<uint8_t>& bytes = DeviceBytes(index);
    int32_t pitch = DeviceTexture_Width(Texture_GetHandle(index)) * 4;
    const uint8_t expect[2][8] = {{0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x40},
                                  {0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}};
    EXPECT_EQ(0, std::memcmp(bytes.data(), expect[0], 8));
    EXPECT_EQ(0, std::memcmp(bytes.data() + pitch, expect[1], 8));
    EXPECT_EQ(-1, Texture_CreateFromAlphaMap(0, 2, map));
}

TEST_F(TextureTable, BitmapsKeepTheirPixels)
{
    CBitmap32 bitmap;
    bitmap.ConstructFilled(3, 2, 0x0000FF); // red, opaque
    int32_t index = Texture_CreateFromBitmap(&bitmap);
    ASSERT_GE(index, 0);
    EXPECT_EQ(3, Texture_Get(index)->width);
    const uint8_t red[4] = {0x00, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(DeviceBytes(index).data() + 8, red, 4));
    CBitmap32 invalid;
    EXPECT_EQ(-1, Texture_CreateFromBitmap(&invalid));
}

TEST_F(TextureTable, VertexColoursSwapRedAndBlueAndCutTheAlpha)
{
    EXPECT_EQ(0x7FFF0000u, GR_MakeVertexColour(0x0000FF, 0.5));
    EXPECT_EQ(0xFE0000FFu, GR_MakeVertexColour(0xFF0000, 0.999));
    EXPECT_EQ(0xFF123456u, GR_MakeVertexColour(0x563412, 1.0));
    EXPECT_EQ(0xFF00FF00u, GR_MakeVertexColour(0x00FF00, 7.0));
    EXPECT_EQ(0x0000FF00u, GR_MakeVertexColour(0x00FF00, -0.5));
    EXPECT_EQ(0x0000FF00u, GR_MakeVertexColour(0x00FF00, std::nan("")));
}

TEST_F(TextureTable, StageTakesTheTextureOrNone)
{
    int32_t index = MakeEmpty();
    int32_t before = g_BatchStatistics.textureSwitches;
    Texture_SetStage(index);
    Texture_SetStage(-1);
    EXPECT_EQ(before + 2, g_BatchStatistics.textureSwitches);
}

} // namespace
