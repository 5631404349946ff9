#include "Graphics_FakeDevice.h"
#include "Graphics_TestImages.h"

using namespace fake;

namespace {

std::vector<uint8_t> RawBlock(uint32_t width, uint32_t height, uint32_t kind,
                              const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> block;
    for (uint32_t word : {0x20574152u, width, height, kind})
        for (int i = 0; i < 4; ++i)
            block.push_back(uint8_t(word >> (8 * i)));
    block.insert(block.end(), pixels.begin(), pixels.end());
    return block;
}

const std::vector<uint8_t>& Bytes(DeviceTexture* t)
{
    return static_cast<fake::Texture*>(t->texture)->bytes;
}

class Textures : public DeviceTest {};

TEST_F(Textures, OrdinaryTexturesAreRoundedToPowersOfTwo)
{
    EXPECT_EQ(128, Texture_RoundSide(100));
    EXPECT_EQ(64, Texture_RoundSide(33));
    EXPECT_EQ(64, Texture_RoundSide(1));
    EXPECT_EQ(4096, Texture_RoundSide(5000));
    DeviceTexture* t = GR_Texture_Create(100, 33, 1, false, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(128, DeviceTexture_Width(t));
    EXPECT_EQ(64, DeviceTexture_Height(t));
    EXPECT_EQ(1, DeviceTexture_Levels(t));
    EXPECT_EQ(t, g_DeviceTextures); // new ones go to the head of the list
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(t->systemPixels) & 15u);
    EXPECT_EQ((std::vector<int32_t>{128, 64, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0}),
              Recorded().textures.back());
    GR_Texture_Free(t);
    EXPECT_EQ(g_D3D.screenTexture, g_DeviceTextures);

    DeviceTexture* target = GR_Texture_Create(100, 33, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, target);
    EXPECT_EQ(100, DeviceTexture_Width(target));
    EXPECT_NE(nullptr, target->depthStencil);
    EXPECT_EQ((std::vector<int32_t>{100, 33, 0}), Recorded().renderTargets.back());
    GR_Texture_Free(target);
    EXPECT_EQ(nullptr, GR_Texture_Create(8193, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8));
    EXPECT_EQ(nullptr, GR_Texture_Create(0, 16, 1, false, TEXTURE_FORMAT_A8R8G8B8));
}

TEST_F(Textures, RawBlocksBecomeTexturesWithTheirChannelsReordered)
{
    std::vector<uint8_t> pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<uint8_t> block = RawBlock(2, 1, 0, pixels);
    const std::vector<uint8_t> original = block;
    DeviceTextureInfo info;
    DeviceTexture* t = GR_Texture_CreateFromData(block.data(), int32_t(block.size()), &info, 0);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(original, block); // the game file is never written
    EXPECT_EQ(TEXTURE_FORMAT_A8R8G8B8, t->formatCode);
    const std::vector<uint8_t>& got = Bytes(t);
    EXPECT_EQ((std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}),
              std::vector<uint8_t>(got.begin(), got.begin() + 8));
    EXPECT_EQ(64, info.width);
    EXPECT_EQ(0, info.levels);
    EXPECT_EQ(-1, info.resourceType);
    EXPECT_EQ(6, info.imageFormat);
    GR_Texture_Free(t);

    // Kind 1: 16-bit pixels with their nibbles in reverse order.
    std::vector<uint8_t> sixteen = RawBlock(1, 1, 1, {0x21, 0x43});
    t = GR_Texture_CreateFromData(sixteen.data(), int32_t(sixteen.size()), &info, 0);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(TEXTURE_FORMAT_A4R4G4B4, t->formatCode);
    EXPECT_EQ(D3DFMT_A4R4G4B4, Recorded().textures.back()[2]);
    EXPECT_EQ(0x34, Bytes(t)[0]);
    EXPECT_EQ(0x12, Bytes(t)[1]);
    GR_Texture_Free(t);
}

TEST_F(Textures, MalformedRawBlocksAreRefused)
{
    std::vector<uint8_t> kind2 = RawBlock(1, 1, 2, {0, 0, 0, 0});
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(kind2.data(), int32_t(kind2.size()), nullptr, 0));
    std::vector<uint8_t> shortBlock = RawBlock(4, 4, 0, std::vector<uint8_t>(63, 0));
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(shortBlock.data(), int32_t(shortBlock.size()), nullptr, 0));
    std::vector<uint8_t> huge = RawBlock(0x7FFFFFFF, 0x7FFFFFFF, 0, {});
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(huge.data(), int32_t(huge.size()), nullptr, 0));
    std::vector<uint8_t> wide = RawBlock(4097, 1, 0, std::vector<uint8_t>(4097 * 4, 0));
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(wide.data(), int32_t(wide.size()), nullptr, 0));
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(kind2.data(), 10, nullptr, 0));
    const uint8_t garbage[] = {'n', 'o', 'p', 'e', 0, 1, 2};
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(garbage, int32_t(sizeof(garbage)), nullptr, 0));
    EXPECT_EQ(g_D3D.screenTexture, g_DeviceTextures);
}

TEST_F(Textures, UploadKeepsRowsAtTheRealWidthAndClipsLargerPictures)
{
    // 16-bit rows of 3 pixels land 64 pixels apart.
    std::vector<uint8_t> sixteen = RawBlock(3, 2, 1, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0});
    DeviceTexture* t = GR_Texture_CreateFromData(sixteen.data(), int32_t(sixteen.size()), nullptr, 0);
    ASSERT_NE(nullptr, t);
    const std::vector<uint8_t>& got = Bytes(t);
    EXPECT_EQ(0x10, got[1]);
    EXPECT_EQ(0x40, got[64 * 2 + 1]);
    EXPECT_EQ(0x60, got[64 * 2 + 5]);
    GR_Texture_Free(t);

    std::vector<uint32_t> wide(5000 * 2, 0xFF00FF00u);
    DeviceTextureInfo info;
    t = GR_Texture_CreateFromPixels(wide.data(), 5000, 2, &info);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(4096, info.width);
    EXPECT_EQ(4096u * 64u * 4u, Bytes(t).size());
    EXPECT_EQ(0x00, Bytes(t)[4096 * 4 * 2]); // the third row was never written
    EXPECT_EQ(0xFF, Bytes(t)[4096 * 4 + 4095 * 4 + 3]);
    GR_Texture_Free(t);
}

TEST_F(Textures, ImageFilesTakeThePowerOfTwoAboveTheirSize)
{
    std::vector<uint8_t> png = testimages::MakeRgbaPng(3, 5, std::vector<uint8_t>(3 * 5 * 4, 200));
    DeviceTextureInfo info;
    DeviceTexture* t = GR_Texture_CreateFromData(png.data(), int32_t(png.size()), &info, 0);
    ASSERT_NE(nullptr, t);
    EXPECT_EQ(4, DeviceTexture_Width(t));
    EXPECT_EQ(8, DeviceTexture_Height(t));
    EXPECT_EQ(3, info.width);
    EXPECT_EQ(5, info.height);
    EXPECT_EQ(3, info.resourceType);
    EXPECT_EQ(3, info.imageFormat); // PNG
    EXPECT_EQ(200, Bytes(t)[0]);
    GR_Texture_Free(t);
    std::vector<uint8_t> broken(png.begin(), png.begin() + 40);
    EXPECT_EQ(nullptr, GR_Texture_CreateFromData(broken.data(), int32_t(broken.size()), &info, 0));
}

TEST_F(Textures, StageResolvesNewerDrawingOnce)
{
    DeviceTexture* target = GR_Texture_Create(16, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_TRUE(GR_Surface_SetTarget(0, target));
    EXPECT_NE(0u, target->flags & DEVICE_TEXTURE_TARGET_NEWER);
    GR_Texture_SetStage(0, target);
    GR_Texture_SetStage(0, target);
    EXPECT_EQ(1u, Recorded().stretches.size());
    EXPECT_EQ(0u, target->flags & DEVICE_TEXTURE_TARGET_NEWER);
    GR_Texture_SetStage(0, nullptr);
    GR_Texture_Free(target);
}

} // namespace
