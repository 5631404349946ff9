// Shape particles drawn into the batch of the recording device: each particle's two triangles, the
// corners turned by its angle about its whole position, the texture corners, and the vertex colour
// of its colour and alpha, for runs of particles that share them and runs that do not.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../graphics/Graphics_DrawCapture.h"
#include "base/Base_Random.h"
#include "particle/Particle_System.h"
#include "platform/Platform_EmbeddedImages.h"

namespace {

class ParticleDraw : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        Particle_Init();
        Random_Seed(1);
        EmbeddedImage_UseBuiltIn();
        system = ParticleSystem_Create();
    }
    void TearDown() override
    {
        Particle_Shutdown();
        EmbeddedImage_SetTable(nullptr);
        DrawTest::TearDown();
    }
    int32_t system = -1;
};

struct Shape {
    float x, y, angle, size, xScale, yScale;
    int32_t colour;
    float alpha;
};

// The corners a particle's quad is expected at, anticlockwise from the top left, then its triangles.
std::vector<TexturedVertex> ExpectedQuad(const Shape& s, float systemX, float systemY)
{
    float cx = std::trunc(s.x + systemX), cy = std::trunc(s.y + systemY);
    float rx = 32.0f * s.xScale * s.size, ry = 32.0f * s.yScale * s.size;
    bool turned = std::fabs(s.angle) >= 0.01f;
    float radians = s.angle * PARTICLE_PI / 180.0f;
    float sine = turned ? std::sin(radians) : 0.0f, cosine = turned ? std::cos(radians) : 1.0f;
    const float px[4] = {-rx, rx, rx, -rx}, py[4] = {-ry, -ry, ry, ry};
    const float u[4] = {0, 1, 1, 0}, v[4] = {0, 0, 1, 1};
    uint32_t colour = GR_MakeVertexColour(uint32_t(s.colour), s.alpha);
    std::vector<TexturedVertex> quad;
    for (int32_t corner : {0, 1, 2, 2, 3, 0}) {
        float x = cx + cosine * px[corner] + sine * py[corner];
        float y = cy - sine * px[corner] + cosine * py[corner];
        quad.push_back({x, y, 0.0f, colour, u[corner], v[corner]});
    }
    return quad;
}

TEST_F(ParticleDraw, QuadsTurnedAboutTheirWholePositionWithTheirColours)
{
    const float systemX = 5.5f, systemY = -2.25f;
    const Shape shapes[] = {
        {10.7f, 20.2f, 0.0f, 0.5f, 1.0f, 1.0f, 0x0000FF, 1.0f},   // upright
        {-3.5f, 7.9f, 0.005f, 1.0f, 2.0f, 0.5f, 0x0000FF, 1.0f},  // too little to turn
        {50.0f, 60.0f, 45.0f, 0.25f, 1.0f, 1.0f, 0x0000FF, 0.5f}, // the same colour, less alpha
        {50.0f, 60.0f, -30.0f, 0.25f, 1.0f, 3.0f, 0x0000FF, 0.5f},
        {100.2f, 0.4f, 370.0f, 0.1f, 1.0f, 1.0f, 0x00FF00, 0.5f}, // the same alpha, another colour
        {0.3f, -0.6f, 90.0f, 0.0f, 1.0f, 1.0f, 0x00FF00, 0.25f},  // no size
    };
    ParticleSystem_SetPosition(system, systemX, systemY);
    std::vector<TexturedVertex> expected;
    for (const Shape& s : shapes) {
        int32_t type = ParticleType_Create();
        ParticleType_SetShape(type, PT_SHAPE_SQUARE);
        ParticleType_SetOrientation(type, s.angle, s.angle, 0, 0, false);
        ParticleType_SetSize(type, s.size, s.size, 0, 0);
        ParticleType_SetScale(type, s.xScale, s.yScale);
        ParticleType_SetColor1(type, s.colour);
        ParticleType_SetAlpha1(type, s.alpha);
        ParticleSystem_CreateParticles(system, s.x, s.y, type, 1);
        std::vector<TexturedVertex> quad = ExpectedQuad(s, systemX, systemY);
        expected.insert(expected.end(), quad.begin(), quad.end());
    }
    ParticleSystem_Draw(system);
    std::vector<capture::Drawn> draws = capture::Draws();
    ASSERT_EQ(1u, draws.size());
    ASSERT_EQ(expected.size(), draws[0].v.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const TexturedVertex &want = expected[i], &got = draws[0].v[i];
        EXPECT_EQ((std::vector<float>{want.x, want.y, want.z, want.u, want.v}),
                  (std::vector<float>{got.x, got.y, got.z, got.u, got.v}))
            << "particle " << i / 6 << " vertex " << i % 6;
        EXPECT_EQ(want.colour, got.colour) << "particle " << i / 6 << " vertex " << i % 6;
    }
}

// The alpha of every pixel of a drawn shape texture, whatever format it was made in: the device's
// bytes hold the alpha as their only byte or as the last of four.
std::vector<uint8_t> TextureAlpha(const void* deviceTexture)
{
    const auto* texture = static_cast<const fake::Texture*>(deviceTexture);
    size_t pixels = size_t(texture->width) * size_t(texture->height);
    size_t step = texture->bytes.size() / pixels;
    std::vector<uint8_t> alpha;
    for (size_t i = 0; i < pixels; ++i) alpha.push_back(texture->bytes[i * step + step - 1]);
    return alpha;
}

// At start-up every shape's texture is made, so the first draw of a shape makes none, and making them
// again makes none either.
TEST_F(ParticleDraw, ShapeTexturesAreMadeAtStartUpSoAFirstDrawMakesNone)
{
    size_t before = fake::Recorded().textures.size();
    Particle_CreateShapeTextures();
    EXPECT_EQ(before + PT_SHAPE_COUNT, fake::Recorded().textures.size());
    Particle_CreateShapeTextures();
    for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) {
        int32_t type = ParticleType_Create();
        ParticleType_SetShape(type, shape);
        ParticleSystem_CreateParticles(system, 10.0f * float(shape), 20.0f, type, 1);
    }
    ParticleSystem_Draw(system);
    EXPECT_EQ(before + PT_SHAPE_COUNT, fake::Recorded().textures.size());
    std::vector<capture::Drawn> draws = capture::Draws();
    ASSERT_EQ(size_t(PT_SHAPE_COUNT), draws.size());
    for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) {
        const uint8_t* dds = EmbeddedImage_Data(EMBEDDED_IMAGE_FIRST_SHAPE + shape) + EMBEDDED_DDS_HEADER_SIZE;
        EXPECT_EQ(std::vector<uint8_t>(dds, dds + EMBEDDED_SHAPE_SIZE * EMBEDDED_SHAPE_SIZE),
                  TextureAlpha(draws[size_t(shape)].texture))
            << "shape " << shape;
    }
}

TEST_F(ParticleDraw, ShapeTexturesAreMadeOnTheirFirstDrawFromTheShapesPixelsAndKept)
{
    for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) {
        int32_t type = ParticleType_Create();
        ParticleType_SetShape(type, shape);
        ParticleSystem_CreateParticles(system, 10.0f * float(shape), 20.0f, type, 1);
    }
    const char* const rounds[] = {"first", "again", "after the textures were freed"};
    std::vector<const void*> first(PT_SHAPE_COUNT);
    for (int32_t round = 0; round < 3; ++round) {
        if (round == 2) Particle_FreeShapeImages();
        ParticleSystem_Draw(system);
        std::vector<capture::Drawn> draws = capture::Draws();
        ASSERT_EQ(size_t(PT_SHAPE_COUNT), draws.size()) << rounds[round];
        for (int32_t shape = 0; shape < PT_SHAPE_COUNT; ++shape) {
            const void* texture = draws[size_t(shape)].texture; // oldest first
            ASSERT_NE(nullptr, texture) << rounds[round] << " shape " << shape;
            const uint8_t* dds = EmbeddedImage_Data(EMBEDDED_IMAGE_FIRST_SHAPE + shape) + EMBEDDED_DDS_HEADER_SIZE;
            EXPECT_EQ(std::vector<uint8_t>(dds, dds + EMBEDDED_SHAPE_SIZE * EMBEDDED_SHAPE_SIZE), TextureAlpha(texture))
                << rounds[round] << " shape " << shape;
            if (round == 0) first[size_t(shape)] = texture;
            if (round == 1) {
                EXPECT_EQ(first[size_t(shape)], texture) << "kept: shape " << shape;
            }
        }
    }
}

} // namespace
