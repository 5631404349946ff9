// Pixels drawn on the OpenGL device and read back: textures one to one, render states, render
// targets, blend factors, texture formats, script vertex formats, and where points, lines and
// outlines land.
#include <epoxy/gl.h>

#include <tuple>

#include "GLDeviceFixture.h"
#include "graphics/Graphics_Draw.h"

using namespace gltest;
using std::make_tuple;

namespace {

class Pixels : public DeviceTest {};

// One vertex of the untextured layout.
void Triangle(ColouredVertex a, ColouredVertex b, ColouredVertex c)
{
    auto* v = static_cast<ColouredVertex*>(Graphics::AllocVerts(4, nullptr, 16, 3));
    v[0] = a, v[1] = b, v[2] = c;
    Graphics::Flush();
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

TEST_F(Pixels, OneFrameOfStatesTexturesAndFormats)
{
    // A 4 x 4 texture drawn one to one with filtering on: any half-pixel error would mix texels.
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i) texels[i] = 0xFF000000u | (i * 16u) << 16 | (255u - i * 16u) << 8 | (i * 7u + 3u);
    DeviceTextureInfo info;
    DeviceTexture* texture = GR_Texture_CreateFromPixels(texels.data(), 4, 4, &info);
    ASSERT_NE(nullptr, texture);
    // A "RAW " block of kind 1: one 16-bit pixel stored with its nibbles reversed (alpha F, red 8,
    // green 4, blue 2 once turned round).
    std::vector<uint8_t> raw = Words({0x20574152u, 1, 1, 1});
    raw.insert(raw.end(), {0x8F, 0x24});
    DeviceTexture* sixteen = GR_Texture_CreateFromData(raw.data(), int32_t(raw.size()), nullptr, 0);
    ASSERT_NE(nullptr, sixteen);
    // A DDS file of one DXT1 block: colour 0 pure red, every texel index 0.
    std::vector<uint8_t> dds = Words({0x20534444u, 124, 0x1007, 4, 4});
    dds.resize(76, 0);
    for (uint8_t b : Words({32, 0x4, 0x31545844u})) dds.push_back(b);
    dds.resize(128, 0);
    dds.insert(dds.end(), {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0});
    DeviceTexture* compressed = GR_Texture_CreateFromData(dds.data(), int32_t(dds.size()), &info, 0);
    ASSERT_NE(nullptr, compressed);
    EXPECT_EQ(make_tuple(4, int32_t(0x31545844u)), make_tuple(info.imageFormat, info.formatCode)); // DDS, DXT1

    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    GR_Texture_SetInterpolation(true);
    DrawTexture(texture, 100, 50, 104, 54, 0, 0, 4.0f / 64, 4.0f / 64);
    Graphics::Flush();
    std::vector<Pixel> got = ReadScreen(100, 50, 4, 4);
    ASSERT_EQ(16u, got.size());
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(texels[i], Argb(got[i])) << "texel " << i;

    GR_Texture_SetInterpolation(false);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    // The 16-bit pixel and the DXT block.
    DrawTexture(sixteen, 210, 0, 211, 1, 0, 0, 1.0f / 64, 1.0f / 64);
    DrawTexture(compressed, 212, 0, 216, 4, 0, 0, 1, 1);
    // The alpha test refuses alpha 100 against a reference of 100 (the function stays "greater").
    GR_Draw_SetAlphaTest(true);
    GR_Draw_SetAlphaTestRef(100);
    FillRect(300, 0, 304, 4, 0x64FFFFFFu);
    FillRect(304, 0, 308, 4, 0x65FFFFFFu);
    Graphics::Flush();
    GR_Draw_SetAlphaTest(false);

    // Clockwise on screen (right, then down-left), then counter-clockwise, under each cull mode.
    const std::pair<int32_t, float> culls[] = {{2, 100}, {1, 140}, {0, 180}}; // counter-clockwise, clockwise, none
    for (auto [mode, y] : culls) {
        GR_RenderStateCache_Set(RS_CULL_MODE, uint32_t(mode));
        Triangle({10, y, 0, WHITE}, {30, y, 0, WHITE}, {10, y + 20, 0, WHITE});
        Triangle({50, y, 0, WHITE}, {50, y + 20, 0, WHITE}, {70, y, 0, WHITE});
    }
    GR_3D_SetCulling(false);
    // Flat shading takes the first vertex; Gouraud shading blends.
    GR_3D_SetShading(false);
    Triangle({400, 0, 0, RED}, {464, 0, 0, GREEN}, {400, 64, 0, BLUE});
    GR_3D_SetShading(true);
    Triangle({500, 0, 0, RED}, {564, 0, 0, GREEN}, {500, 64, 0, BLUE});

    ExpectProbes({{99, 50, BLACK},   {104, 53, BLACK},     {100, 54, BLACK},       // around the texture
                  {210, 0, 0xFF884422u}, {212, 0, RED}, {215, 3, RED},
                  {301, 1, BLACK},   {305, 1, 0x65FFFFFFu}, // alpha test
                  {13, 103, WHITE},  {53, 103, BLACK},      {13, 143, BLACK},      {53, 143, WHITE},
                  {13, 183, WHITE},  {53, 183, WHITE},
                  {402, 2, RED},     {458, 2, RED},         {402, 58, RED}}); // flat
    Pixel nearSecond = ScreenPixel(558, 2); // Gouraud: mostly the second vertex's green
    EXPECT_TRUE(nearSecond.g > 200 && nearSecond.r < 40) << int(nearSecond.g) << ", " << int(nearSecond.r);

    // A clear with a viewport leaves the pixels outside untouched (clears take red in the low byte).
    GR_D3D_Clear(RED, 1.0f, 0, 1);
    GR_SetViewport(10, 20, 30, 40);
    GR_D3D_Clear(BLUE, 1.0f, 0, 1);
    ExpectProbes({{10, 20, RED}, {39, 59, RED}, {9, 20, BLUE}, {40, 20, BLUE}, {10, 19, BLUE}, {39, 60, BLUE}});
    for (DeviceTexture* t : {texture, sixteen, compressed}) GR_Texture_Free(t);
}

TEST_F(Pixels, RenderToTextureThenSampleAndReadBack)
{
    DeviceTexture* target = GR_Texture_Create(16, 16, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, target);
    EXPECT_EQ(16, DeviceTexture_Width(target)); // a render target keeps its size
    ASSERT_TRUE(GR_StartFrame());
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, target));
    GR_SetViewProjection(0, 0, 16, 16, 0);
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    FillRect(0, 0, 16, 8, RED);          // red top half
    FillRect(0, 8, 16, 16, 0x8000FF00u); // half-transparent green over black
    ASSERT_TRUE(GR_Surface_PopTarget());

    uint8_t* block = GR_Surface_ReadPixels(target, 0, 0, 16, 16);
    ASSERT_NE(nullptr, block);
    auto* pixels = reinterpret_cast<const Pixel*>(block);
    EXPECT_EQ(make_tuple(RED, RED), make_tuple(Argb(pixels[0]), Argb(pixels[7 * 16 + 15])));
    // Source-alpha blending writes green x 0.5 and alpha 0.5 x 0.5 + 1 x 0.5 over opaque black.
    EXPECT_EQ(0, pixels[8 * 16].r);
    EXPECT_NEAR(0x80, pixels[8 * 16].g, 1);
    EXPECT_NEAR(0xC0, pixels[8 * 16].a, 1);
    MemoryManager::Free(block);

    GR_SetViewProjection(0, 0, 640, 480, 0);
    GR_Texture_SetInterpolation(false);
    GR_D3D_Clear(WHITE, 1.0f, 0, 1);
    GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
    DrawTexture(target, 200, 100, 216, 116, 0, 0, 1, 1);
    Graphics::Flush();
    ExpectProbes({{200, 100, RED}, {215, 107, RED}, {216, 100, WHITE}});
    Pixel lower = ScreenPixel(207, 108);
    EXPECT_TRUE(lower.r == 0 && std::abs(lower.g - 0x80) <= 1) << int(lower.r) << ", " << int(lower.g);
    GR_Texture_Free(target);
}

TEST_F(Pixels, BlendFactorsApplyToColourAndAlpha)
{
    // Source (red 200, green 100, blue 50, alpha 128) over destination (40, 80, 160, 192); expected
    // channels worked out by hand from each factor's definition.
    struct Case {
        uint32_t source, destination;
        int r, g, b, a;
    };
    const Case cases[] = {
        {2, 1, 200, 100, 50, 128}, // one, zero
        {1, 2, 40, 80, 160, 192},  // zero, one
        {5, 6, 120, 90, 105, 160}, // source alpha, its inverse
        {12, 1, 120, 90, 105, 160}, // both source alpha decides the destination factor too
        {13, 1, 120, 90, 105, 160}, // both inverse source alpha
        {9, 1, 31, 31, 31, 96},    // destination colour
        {1, 3, 31, 31, 31, 96},    // source colour
        {4, 1, 43, 61, 40, 64},    // inverse source colour
        {1, 10, 34, 55, 60, 47},   // inverse destination colour
        {7, 1, 151, 75, 38, 96},   // destination alpha
        {1, 8, 10, 20, 40, 47},    // inverse destination alpha
        {11, 1, 49, 25, 12, 128},  // saturated source alpha: min(0.5, 1 - 0.75) for colour, 1 for alpha
        {40, 1, 0, 0, 0, 0},       // outside 2..17 the system sends zero
    };
    ASSERT_TRUE(GR_StartFrame());
    for (const Case& c : cases) {
        GR_RenderStateCache_Set(RS_ALPHA_BLEND, 0);
        FillRect(0, 0, 8, 8, 0xC02850A0u);
        Graphics::Flush();
        GR_RenderStateCache_Set(RS_ALPHA_BLEND, 1);
        GR_Draw_SetBlendModeExt(c.source, c.destination);
        FillRect(0, 0, 8, 8, 0x80C86432u);
        Graphics::Flush();
        Pixel p = ScreenPixel(4, 4);
        const int got[4] = {p.r, p.g, p.b, p.a}, want[4] = {c.r, c.g, c.b, c.a};
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(want[i], got[i], 1.01) << c.source << ", " << c.destination << " channel " << i;
    }
}

DeviceRoomView g_Room;
void ReadRoom(DeviceRoomView* view) { *view = g_Room; }

// Points, lines and outlines at whole coordinates light the pixels they name: the drawing offset
// set with the projection undoes its half-pixel shift, and once a view scales the room there is
// none to undo.
TEST_F(Pixels, PointsLinesAndOutlinesLandOnTheirPixels)
{
    struct Case {
        const char* what;
        DeviceRoomView room;
        int32_t scale;
        bool windowPass; // the overlay's pass in between, which sets a projection of its own
    } cases[] = {
        {"no room", {}, 1, false},
        {"a view at the port's size", {true, 640, 480, true, 640, 480, 640, 480}, 1, false},
        {"after the window-space pass", {}, 1, true},
        {"a view shown twice as large", {true, 640, 480, true, 320, 240, 640, 480}, 2, false},
    };
    GR_D3D_SetRoomReader(ReadRoom);
    GR_Draw_SetAlpha(1.0);
    for (const Case& c : cases) {
        g_Room = c.room;
        ASSERT_TRUE(GR_StartFrame());
        GR_D3D_Clear(BLACK, 1.0f, 0, 1);
        GR_SetViewProjection(0, 0, 640 / c.scale, 480 / c.scale, 0);
        if (c.windowPass) {
            GR_D3D_PushWindowOrtho();
            GR_D3D_PopWindowOrtho();
        }
        GR_Draw_Set_Colour(0xFFFFFF);
        GR_Draw_Point(50, 50);
        GR_Draw_Line(20, 100, 60, 100);
        GR_Draw_Rectangle(150, 150, 170, 170, 1);
        Graphics::Flush();
        const int32_t s = c.scale;
        ExpectProbes({{50 * s, 50 * s, WHITE}, {50 * s - 1, 50 * s - 1, BLACK}, {40 * s, 100 * s, WHITE},
                      {40 * s, 100 * s - 1, BLACK}, {40 * s, 100 * s + 1, BLACK}, {150 * s, 160 * s, WHITE},
                      {150 * s - 1, 160 * s, BLACK}, {160 * s, 150 * s, WHITE}, {160 * s, 150 * s - 1, BLACK}},
                     c.what);
        ASSERT_TRUE(GR_EndFrame(false));
    }
    GR_D3D_SetRoomReader(nullptr);
}

// Triangles reaching past the viewport stop at its edge, whether the device widens the viewport for
// them (even sides) or not (odd sides), and a rectangle past the screen's edge keeps its last
// column. Each row: the viewport, then the colour just inside and just outside each of its edges.
TEST_F(Pixels, TrianglesPastTheViewportStopAtItsEdges)
{
    struct Row {
        int32_t x, y, w, h;
    };
    const Row rows[] = {{10, 20, 30, 40}, {11, 21, 31, 41}, {0, 0, 640, 480}, {600, 400, 40, 80}};
    ASSERT_TRUE(GR_StartFrame());
    for (const Row& r : rows) {
        GR_SetViewport(0, 0, 640, 480);
        GR_D3D_Clear(RED, 1.0f, 0, 1); // clears take red in the low byte: blue
        GR_SetViewport(r.x, r.y, r.w, r.h);
        GR_SetViewProjection(r.x, r.y, r.w, r.h, 0);
        FillRect(float(r.x - 7), float(r.y - 9), float(r.x + r.w + 5), float(r.y + r.h + 3), GREEN);
        Graphics::Flush();
        GR_SetViewport(0, 0, 640, 480);
        std::string what = std::to_string(r.w) + " x " + std::to_string(r.h) + " viewport";
        int32_t right = r.x + r.w - 1, bottom = r.y + r.h - 1;
        ExpectProbes({{r.x, r.y, GREEN}, {right, bottom, GREEN}, {r.x, bottom, GREEN}, {right, r.y, GREEN}}, what);
        std::vector<Probe> outside;
        for (Probe p : std::vector<Probe>{{r.x - 1, r.y, BLUE}, {r.x, r.y - 1, BLUE}, {right + 1, r.y, BLUE},
                                          {r.x, bottom + 1, BLUE}})
            if (p.x >= 0 && p.y >= 0 && p.x < 640 && p.y < 480) outside.push_back(p);
        ExpectProbes(outside, what);
    }
}

// A surface copied whole after drawing with a small viewport is copied whole: the copy does not
// keep the drawing's scissor.
TEST_F(Pixels, AWholeSurfaceCopyAfterASmallViewportCopiesEverything)
{
    DeviceTexture* source = GR_Texture_Create(32, 32, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    DeviceTexture* copy = GR_Texture_Create(32, 32, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_TRUE(source != nullptr && copy != nullptr);
    ASSERT_TRUE(GR_StartFrame());
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, source));
    GR_SetViewProjection(0, 0, 32, 32, 0);
    GR_D3D_Clear(BLACK, 1.0f, 0, 1);
    FillRect(0, 0, 32, 32, RED);
    Graphics::Flush(); // a viewport change does not end the batch
    GR_SetViewport(4, 4, 8, 8);
    GR_SetViewProjection(4, 4, 8, 8, 0);
    FillRect(0, 0, 32, 32, GREEN);
    Graphics::Flush();
    ASSERT_TRUE(GR_Surface_PopTarget());
    GR_Surface_CopyRegion(copy, 0, 0, source, 0, 0, 32, 32);
    uint8_t* block = GR_Surface_ReadPixels(copy, 0, 0, 32, 32);
    ASSERT_NE(nullptr, block);
    auto* pixels = reinterpret_cast<const Pixel*>(block);
    EXPECT_EQ(make_tuple(RED, GREEN, GREEN, RED, RED),
              make_tuple(Argb(pixels[3 * 32 + 3]), Argb(pixels[4 * 32 + 4]), Argb(pixels[11 * 32 + 11]),
                         Argb(pixels[12 * 32 + 12]), Argb(pixels[31 * 32 + 31])));
    MemoryManager::Free(block);
    GR_Texture_Free(source);
    GR_Texture_Free(copy);
}

// The order of a 32-bit target's stored bytes, as the driver reports it for the framebuffer bound
// for drawing: GL_BGRA when blue comes first.
GLint DrawTargetByteOrder()
{
    GLint draw = 0, read = 0, format = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(draw));
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glGetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &format);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    return format;
}

// The screen's target and a surface keep their pixels blue first, the order in which pictures are
// sent and read back, so that the driver can copy rather than convert them.
TEST_F(Pixels, TargetsStoreTheirBytesBlueFirst)
{
    DeviceTexture* surface = GR_Texture_Create(32, 32, 1, true, TEXTURE_FORMAT_A8R8G8B8);
    ASSERT_NE(nullptr, surface);
    ASSERT_TRUE(GR_StartFrame());
    GR_D3D_Clear(BLUE, 1.0f, 0, 1);
    EXPECT_EQ(GL_BGRA, DrawTargetByteOrder()) << "screen";
    ASSERT_TRUE(GR_Surface_PushTarget());
    ASSERT_TRUE(GR_Surface_SetTarget(0, surface));
    GR_D3D_Clear(RED, 1.0f, 0, 1);
    EXPECT_EQ(GL_BGRA, DrawTargetByteOrder()) << "surface";
    ASSERT_TRUE(GR_Surface_PopTarget());
    GR_Texture_Free(surface);
}

} // namespace
