#include "Graphics_FakeDevice.h"
#include "graphics/Graphics_VertexFormat.h"

using namespace fake;

namespace {

class Batch : public DeviceTest {
  protected:
    DeviceTexture* MakeTexture()
    {
        DeviceTexture* t = GR_Texture_Create(8, 8, 1, false, TEXTURE_FORMAT_A8R8G8B8);
        m_Textures.push_back(t);
        return t;
    }
    void TearDown() override
    {
        for (DeviceTexture* t : m_Textures)
            GR_Texture_Free(t);
        DeviceTest::TearDown();
    }
    std::vector<DeviceTexture*> m_Textures;
};

TEST_F(Batch, ListsWithTheSameTextureAndLayoutAreOneDraw)
{
    DeviceTexture* t = MakeTexture();
    auto* first = static_cast<uint8_t*>(Graphics::AllocVerts(D3DPT_TRIANGLELIST, t, 24, 6));
    auto* second = static_cast<uint8_t*>(Graphics::AllocVerts(D3DPT_TRIANGLELIST, t, 24, 6));
    EXPECT_EQ(first + 6 * 24, second);
    Graphics::Flush();
    ASSERT_EQ(1u, Recorded().draws.size());
    const Draw& d = Recorded().draws[0];
    EXPECT_EQ(D3DPT_TRIANGLELIST, d.type);
    EXPECT_EQ(4u, d.primitives);
    EXPECT_EQ(0x142u, d.fvf);
    EXPECT_EQ(24u, d.stride);
    EXPECT_EQ(t->texture, d.texture);
    EXPECT_EQ(1, g_BatchStatistics.drawCalls);
}

TEST_F(Batch, AnotherTextureTypeOrSizeStartsANewDraw)
{
    DeviceTexture* a = MakeTexture();
    DeviceTexture* b = MakeTexture();
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, a, 24, 3);
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, b, 24, 3);
    Graphics::AllocVerts(D3DPT_LINELIST, b, 24, 4);
    Graphics::AllocVerts(D3DPT_LINELIST, b, 16, 4);
    Graphics::AllocVerts(D3DPT_POINTLIST, nullptr, 36, 5);
    Graphics::Flush();
    ASSERT_EQ(5u, Recorded().draws.size());
    EXPECT_EQ(a->texture, Recorded().draws[0].texture);
    EXPECT_EQ(b->texture, Recorded().draws[1].texture);
    EXPECT_EQ(2u, Recorded().draws[2].primitives);
    EXPECT_EQ(0x42u, Recorded().draws[3].fvf);
    EXPECT_EQ(16u, Recorded().draws[3].stride);
    EXPECT_EQ(0x152u, Recorded().draws[4].fvf);
    EXPECT_EQ(5u, Recorded().draws[4].primitives);
    EXPECT_EQ(nullptr, Recorded().draws[4].texture);
}

TEST_F(Batch, StripsAndFansAlwaysStartANewBatch)
{
    DeviceTexture* t = MakeTexture();
    for (int32_t type : {D3DPT_LINESTRIP, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN}) {
        Recorded().draws.clear();
        Graphics::AllocVerts(type, t, 24, 5);
        Graphics::AllocVerts(type, t, 24, 5);
        Graphics::Flush();
        ASSERT_EQ(2u, Recorded().draws.size()) << "type " << type;
        uint32_t expected = type == D3DPT_LINESTRIP ? 4u : 3u;
        EXPECT_EQ(expected, Recorded().draws[1].primitives);
        // The second batch starts where the first ended in the same buffer.
        EXPECT_EQ(Recorded().draws[0].streamOffset + 5 * 24, Recorded().draws[1].streamOffset);
    }
}

TEST_F(Batch, BufferSizesFollowTheRequest)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 10);
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 20000);
    Graphics::Flush();
    ASSERT_EQ(2u, Recorded().bufferLengths.size());
    EXPECT_EQ(16384u * 24u, Recorded().bufferLengths[0]);
    EXPECT_EQ(20000u * 24u, Recorded().bufferLengths[1]);
    EXPECT_NE(0u, Recorded().bufferUsages[0] & D3DUSAGE_DYNAMIC);
    EXPECT_EQ(2u, Recorded().draws.size());
}

class StaticBuffers : public Batch {
    void Configure(Config& c) override { c.failDynamicBuffers = true; }
};

TEST_F(StaticBuffers, BufferFallsBackToAWriteOnlyOne)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
    Graphics::Flush();
    ASSERT_EQ(1u, Recorded().bufferUsages.size());
    EXPECT_EQ(uint32_t(D3DUSAGE_WRITEONLY), Recorded().bufferUsages[0]);
    ASSERT_NE(nullptr, g_VertexBuffers);
    EXPECT_EQ(0u, g_VertexBuffers->flags & VERTEX_BUFFER_DYNAMIC);
}

TEST_F(Batch, BuffersRestThreeFramesAfterTheirLastUse)
{
    int64_t firstFrame = g_BatchFrameCounter;
    std::vector<size_t> created;
    for (int frame = 0; frame < 6; ++frame) {
        Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
        Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3); // the same batch
        Graphics::Flush();
        Graphics::AllocVerts(D3DPT_TRIANGLESTRIP, nullptr, 24, 3); // a new batch in the same buffer
        Graphics::Flush();
        created.push_back(Recorded().bufferLengths.size());
        Graphics::EndFrame();
    }
    // Frames 0 to 3 each need a buffer of their own; frame 4 takes frame 0's again, frame 5 frame 1's.
    EXPECT_EQ((std::vector<size_t>{1, 2, 3, 4, 4, 4}), created);
    EXPECT_EQ(12u, Recorded().draws.size());
    std::vector<int64_t> stamps;
    for (VertexBufferRecord* r = g_VertexBuffers; r != nullptr; r = r->next) {
        stamps.push_back(r->frameStamp - firstFrame);
        EXPECT_EQ(0, r->used);
    }
    EXPECT_EQ((std::vector<int64_t>{4, 5, 2, 3}), stamps);
}

TEST_F(Batch, FirstLockOfAFrameDiscards)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 24, 3);
    Graphics::Flush();
    Graphics::AllocVerts(D3DPT_TRIANGLESTRIP, nullptr, 24, 3);
    Graphics::Flush();
    auto* buffer = static_cast<Buffer*>(g_VertexBuffers->buffer);
    ASSERT_EQ(2u, buffer->lockFlags.size());
    EXPECT_EQ(uint32_t(D3DLOCK_DISCARD), buffer->lockFlags[0]);
    EXPECT_EQ(0u, buffer->lockFlags[1]);
}

TEST_F(Batch, ReturnedVerticesAreNotDrawn)
{
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, 16, 12);
    Graphics::ReturnVerts(6);
    Graphics::Flush();
    ASSERT_EQ(1u, Recorded().draws.size());
    EXPECT_EQ(2u, Recorded().draws[0].primitives);
    // A batch too small for one primitive draws nothing.
    Graphics::AllocVerts(D3DPT_TRIANGLESTRIP, nullptr, 16, 2);
    Graphics::Flush();
    EXPECT_EQ(1u, Recorded().draws.size());
}

TEST_F(Batch, VertexFormatHandleAlwaysStartsANewBatchWithItsDeclaration)
{
    VertexFormat_FreeAll();
    auto* format = new VertexFormat();
    VertexFormat_AddElement(format, 3, 1, 1);
    VertexFormat_AddElement(format, 5, 2, 2);
    int32_t handle = VertexFormat_Add(format);
    VertexFormat_CreateDeclaration(format);
    ASSERT_NE(nullptr, format->declaration);
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, handle, 3);
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, nullptr, handle, 3);
    Graphics::Flush();
    ASSERT_EQ(2u, Recorded().draws.size());
    EXPECT_EQ(0u, Recorded().draws[0].fvf);
    EXPECT_EQ(format->declaration, Recorded().draws[0].declaration);
    EXPECT_EQ(16u, Recorded().draws[0].stride);
    EXPECT_EQ(uint32_t(16384 * 16), Recorded().bufferLengths.back());
    VertexFormat_FreeAll();
}

TEST_F(Batch, TextureSwitchesAreCounted)
{
    DeviceTexture* a = MakeTexture();
    DeviceTexture* b = MakeTexture();
    g_BatchStatistics = BatchStatistics{};
    for (DeviceTexture* t : {a, a, b, a}) {
        Graphics::AllocVerts(D3DPT_TRIANGLESTRIP, t, 24, 3);
        Graphics::Flush();
    }
    EXPECT_EQ(3, g_BatchStatistics.textureSwitches);
    EXPECT_EQ(4, g_BatchStatistics.drawCalls);
    EXPECT_EQ(4, g_BatchStatistics.trianglesThisFrame);
    Graphics::EndFrame();
    EXPECT_EQ(0, g_BatchStatistics.trianglesThisFrame);
}

TEST_F(Batch, FreedTextureLeavesTheOpenBatchWithoutTexture)
{
    DeviceTexture* t = GR_Texture_Create(8, 8, 1, false, TEXTURE_FORMAT_A8R8G8B8);
    Graphics::AllocVerts(D3DPT_TRIANGLELIST, t, 24, 3);
    GR_Texture_Free(t);
    Graphics::Flush();
    ASSERT_EQ(1u, Recorded().draws.size());
    EXPECT_EQ(nullptr, Recorded().draws[0].texture);
}

} // namespace
