// The texture table, page entries and textures drawn as quads, and script vertex formats, on the
// recording device: the edges of each drawing rule (sprites and backgrounds drawn whole are probed by
// their end-to-end games).
#include <cmath>
#include <tuple>

#include "Graphics_DrawCapture.h"
#include "Graphics_TestImages.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_Bitmap32.h"
#include "graphics/Graphics_TextureDraw.h"
#include "graphics/Graphics_VertexFormat.h"

using capture::Drawn;
using capture::Draws;
using std::make_tuple;

namespace {

constexpr float TEXEL = 1.0f / 64.0f; // the textures here live on 64 x 64 device textures

auto XYUV(const TexturedVertex& v) { return make_tuple(v.x, v.y, v.u, v.v); }

class TextureDraw : public capture::DrawTest {
  protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        m_Texture = Texture_CreateEmpty(32, 32, false);
        ASSERT_GE(m_Texture, 0);
    }
    // A frame of 20 x 20 whose non-empty 10 x 8 part lies at (4, 6) in it and at (8, 16) on the page.
    TPageEntry Entry() const { return TPageEntry{8, 16, 10, 8, 4, 6, 10, 8, 20, 20, int16_t(m_Texture)}; }
    // Expects one draw whose top-left and bottom-right corners lie at (x0, y0) and (x1, y1) with
    // texture coordinates from texel (s0, t0) to (s1, t1).
    static void ExpectQuad(float x0, float y0, float s0, float t0, float x1, float y1, float s1, float t1)
    {
        std::vector<Drawn> d = Draws();
        ASSERT_EQ(1u, d.size());
        EXPECT_EQ(make_tuple(x0, y0, s0 * TEXEL, t0 * TEXEL), XYUV(d[0].v[0]));
        EXPECT_EQ(make_tuple(x1, y1, s1 * TEXEL, t1 * TEXEL), XYUV(d[0].v[2]));
    }
    static const std::vector<uint8_t>& DeviceBytes(int32_t index)
    {
        return static_cast<fake::Texture*>(Texture_GetHandle(index)->texture)->bytes;
    }
    int32_t m_Texture = -1;
};

TEST_F(TextureDraw, TexturePartsAndEmptyTextures)
{
    ASSERT_TRUE(GR_Texture_DrawPart(m_Texture, 4, 8, 16, 8, 50, 60, 2, 1, 0, 0xFFFFFF, 1));
    ExpectQuad(50, 60, 4, 8, 82, 68, 20, 16);
    ASSERT_TRUE(GR_Texture_DrawStretched(m_Texture, 0, 0, 100, 10, 0xFFFFFF, 1));
    EXPECT_EQ(make_tuple(100.0f, 10.0f, 0.5f, 0.5f), XYUV(Draws()[0].v[2])); // 32 of 64 texels
    // A texture of no picture is drawn as an eight-pixel square.
    int32_t index = Texture_Wrap(GR_Texture_Create(16, 16, 1, false, TEXTURE_FORMAT_A8R8G8B8), 0, 0);
    ASSERT_TRUE(GR_Texture_DrawExt(index, 0, 0, 10, 10, 1, 1, 0, 0xFFFFFF, 1));
    std::vector<Drawn> d = Draws();
    ASSERT_EQ(4u, d[0].v.size());
    EXPECT_EQ(make_tuple(18.0f, 18.0f, 1.0f, 1.0f), XYUV(d[0].v[2]));
}

// A page entry drawn scaled and turned lands where each corner (px, py) of its box, turned about the
// drawing point, lands by (x + c px + s py, y - s px + c py) in doubles, narrowed once: the same
// bits whatever order the corners are worked out in. Below a thousandth of a radian it is not turned.
TEST_F(TextureDraw, TurnedAndScaledEntriesLandOnTheBitsOfEachCorner)
{
    struct Case {
        float xOrigin, yOrigin, x, y, xScale, yScale;
        double angle;
    };
    const Case cases[] = {
        {0, 0, 100, 50, 1, 1, 0.0},
        {8, 8, 100.3f, 50.7f, 0.75f, 0.75f, 0.0009},
        {8, 8, 100.3f, 50.7f, 0.75f, 0.75f, 0.001},
        {7.5f, 3.25f, 320, 240, 1, 1, std::acos(0.0)},
        {10, 10, 17.1f, 401.9f, 0.5f, 1.25f, 33.3 * 3.1415927410125732 / 180.0},
        {0, 20, -40.25f, 8, -2, 3.5f, -2.97},
        {4, 6, 123456.7f, -98765.4f, 1, -1, 10.0},
    };
    TPageEntry entry = Entry();
    for (const Case& c : cases) {
        ASSERT_TRUE(GR_TPage_DrawExt(&entry, c.xOrigin, c.yOrigin, c.x, c.y, c.xScale, c.yScale, c.angle, 0xFFFFFF, 1));
        std::vector<Drawn> d = Draws();
        ASSERT_EQ(1u, d.size());
        ASSERT_EQ(6u, d[0].v.size());
        double left = (double(entry.xOffset) - c.xOrigin) * c.xScale, top = (double(entry.yOffset) - c.yOrigin) * c.yScale;
        double right = left + double(entry.cropWidth) * c.xScale, bottom = top + double(entry.cropHeight) * c.yScale;
        bool turned = std::fabs(c.angle) >= 0.001;
        double s = turned ? std::sin(c.angle) : 0.0, k = turned ? std::cos(c.angle) : 1.0;
        const double px[4] = {left, right, right, left}, py[4] = {top, top, bottom, bottom};
        const int corner[6] = {0, 1, 2, 2, 3, 0}; // the list's two triangles
        for (int i = 0; i < 6; ++i) {
            int n = corner[i];
            float x = float(turned ? double(c.x) + k * px[n] + s * py[n] : double(c.x) + px[n]);
            float y = float(turned ? double(c.y) - s * px[n] + k * py[n] : double(c.y) + py[n]);
            EXPECT_EQ(make_tuple(x, y), make_tuple(d[0].v[i].x, d[0].v[i].y)) << "angle " << c.angle << ", vertex " << i;
        }
    }
}

// ---- the texture table ----

TEST_F(TextureDraw, UsedSizeIsThePictureOverTheDeviceTextureAndFilesFillTheirTexture)
{
    std::vector<uint32_t> pixels(100 * 33, 0xFF00FF00u);
    int32_t raw = Texture_CreateFromPixels(100, 33, reinterpret_cast<const uint8_t*>(pixels.data()), 100 * 33 * 4);
    ASSERT_GE(raw, 0);
    EXPECT_EQ(make_tuple(0.78125f, 33.0f / 64.0f), make_tuple(Texture_GetUsedWidth(raw), Texture_GetUsedHeight(raw)));
    EXPECT_EQ(make_tuple(1.0f, 1.0f), make_tuple(Texture_GetUsedWidth(-1), Texture_GetUsedHeight(77)));
    // Image file data is stretched over the whole texture, also when given as pixels whose size is
    // not width x height x 4.
    testimages::Bytes png = testimages::MakeRgbaPng(100, 20, testimages::Bytes(size_t(100) * 20 * 4, 0xFF));
    int32_t file = Texture_CreateFromPixels(7, 7, png.data(), int32_t(png.size()));
    ASSERT_GE(file, 0);
    EXPECT_EQ(make_tuple(7, 1.0f / 100.0f), make_tuple(Texture_Get(file)->width, Texture_Get(file)->reciprocalWidth));
    int32_t blob = Texture_CreateFromBlob(png.data(), int32_t(png.size()), 0, 0);
    ASSERT_GE(blob, 0);
    EXPECT_EQ(make_tuple(100, 1.0f), make_tuple(Texture_Get(blob)->width, Texture_GetUsedWidth(blob)));
    const uint8_t junk[] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    int32_t count = Texture_Count();
    EXPECT_EQ(-1, Texture_CreateFromBlob(junk, int32_t(sizeof junk), 0, 0));
    EXPECT_EQ(-1, Texture_CreateFromBlob(png.data(), 0, 0, 0));
    EXPECT_EQ(count, Texture_Count()); // no slot taken by a failure
}

// A page's flag is kept on its record and leaves every texel's alpha as the picture holds it; only
// a format code that asks for DXT1 cuts alpha to 0 or 255. Records made otherwise in the freed slot
// carry no flag.
TEST_F(TextureDraw, PageBlobsKeepTheirAlphaWhateverTheFlag)
{
    const testimages::Bytes alphas = {0x00, 0x01, 0x20, 0x40, 0x7F, 0x80, 0xC0, 0xFF}; // a side of 8: not stretched
    testimages::Bytes rgba;
    for (uint8_t a : alphas) rgba.insert(rgba.end(), {0xFF, 0xFF, 0xFF, a});
    testimages::Bytes png = testimages::MakeRgbaPng(int32_t(alphas.size()), 1, rgba);
    struct Case {
        int32_t formatCode, flag;
        testimages::Bytes expected;
    } cases[] = {{TEXTURE_FORMAT_UNKNOWN, 1, alphas},
                 {TEXTURE_FORMAT_UNKNOWN, 0, alphas},
                 {TEXTURE_FORMAT_DXT1, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF}}};
    for (const Case& c : cases) {
        int32_t index = Texture_CreateFromBlob(png.data(), int32_t(png.size()), c.formatCode, c.flag);
        ASSERT_GE(index, 0);
        EXPECT_EQ(c.flag, Texture_Get(index)->pageFlag) << c.formatCode;
        const std::vector<uint8_t>& bytes = DeviceBytes(index);
        testimages::Bytes got;
        for (size_t i = 0; i < alphas.size(); ++i) got.push_back(bytes[i * 4 + 3]);
        EXPECT_EQ(c.expected, got) << "format " << c.formatCode << ", flag " << c.flag;
        Texture_Free(index);
        int32_t other = Texture_CreateEmpty(4, 4, false);
        EXPECT_EQ(make_tuple(index, uint8_t(0)), make_tuple(other, Texture_Get(other)->pageFlag));
        Texture_Free(other);
    }
}

TEST_F(TextureDraw, AlphaMapsAndBitmapsKeepTheirPixels)
{
    const uint8_t map[4] = {0, 0x40, 0x80, 0xFF};
    int32_t index = Texture_CreateFromAlphaMap(2, 2, map); // white pixels with that alpha
    ASSERT_GE(index, 0);
    const std::vector<uint8_t>& bytes = DeviceBytes(index);
    const size_t pitch = size_t(DeviceTexture_Width(Texture_GetHandle(index))) * 4;
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}),
              std::vector<uint8_t>(&bytes[pitch], &bytes[pitch + 8]));
    EXPECT_EQ(-1, Texture_CreateFromAlphaMap(0, 2, map));
    CBitmap32 bitmap;
    bitmap.ConstructFilled(3, 2, 0x0000FF); // red, opaque
    index = Texture_CreateFromBitmap(&bitmap);
    ASSERT_GE(index, 0);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0xFF, 0xFF}), std::vector<uint8_t>(&DeviceBytes(index)[8], &DeviceBytes(index)[12]));
    CBitmap32 invalid;
    EXPECT_EQ(-1, Texture_CreateFromBitmap(&invalid));
    int32_t before = g_BatchStatistics.textureSwitches;
    Texture_SetStage(index); // the stage takes the texture, or none
    Texture_SetStage(-1);
    EXPECT_EQ(before + 2, g_BatchStatistics.textureSwitches);
}

// ---- script vertex formats ----

class VertexFormats : public fake::DeviceTest {
  protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        VertexFormat_FreeAll();
        static bool registered = false;
        if (!registered) VertexFormat_RegisterFunctions();
        registered = true;
        g_ErrorQuitting = false;
        g_GameOptions.showErrors = false;
    }
    void TearDown() override
    {
        VertexFormat_FreeAll();
        g_GameOptions.showErrors = true;
        DeviceTest::TearDown();
    }
    // Calls a built-in by name with no check of the argument count; the result's real.
    static double Call(const char* name, std::vector<ScriptValue> args = {})
    {
        g_ErrorLast.clear();
        ScriptValue result{VALUE_REAL, 0, 0.0};
        int32_t id = -1;
        EXPECT_TRUE(Code_Function_Find(name, &id)) << name;
        if (id < 0) return 0.0;
        Function_Get(id)->routine(&result, nullptr, nullptr, int32_t(args.size()), args.data());
        double real = result.real;
        Value_Free(&result);
        return real;
    }
    static ScriptValue Real(double v) { return ScriptValue{VALUE_REAL, 0, v}; }
    // Expects the message the last call reported ("" for none).
    static void ExpectReported(const std::string& message)
    {
        if (message.empty()) EXPECT_EQ("", g_ErrorLast);
        else EXPECT_NE(std::string::npos, g_ErrorLast.find(message)) << g_ErrorLast;
    }
};

TEST_F(VertexFormats, BuilderMessages)
{
    const std::pair<const char*, const char*> steps[] = {
        {"vertex_format_end", "vertex_format_end(): Can't end format, you haven't started one yet."},
        {"vertex_format_add_normal", "vertex_format_add_normal(): haven't started a new format."},
        {"vertex_format_begin", ""},
        {"vertex_format_begin", "vertex_format_begin(): Can't start a new format, still creating another one."}};
    for (auto [name, message] : steps) {
        double result = Call(name);
        ExpectReported(message);
        if (std::string(name) == "vertex_format_end") {
            EXPECT_EQ(-1.0, result);
        }
    }
    Call("vertex_format_add_colour", {Real(1)});
    ExpectReported("vertex_format_add_colour(): Illegal argument count");
    for (int i = 0; i < 32; ++i) Call("vertex_format_add_custom", {Real(1), Real(12)});
    ExpectReported("");
    Call("vertex_format_add_position");
    ExpectReported("vertex_format_add_position(): Too many elements");
    VertexFormat* format = VertexFormat_Get(int32_t(Call("vertex_format_end")));
    ASSERT_NE(nullptr, format);
    EXPECT_EQ(make_tuple(32, 0x80000000u, 128), make_tuple(format->elementCount, format->elements[31].bit, format->stride));
}

TEST_F(VertexFormats, CustomElementsAreChecked)
{
    Call("vertex_format_begin");
    const std::tuple<std::vector<ScriptValue>, const char*> cases[] = {
        {{Real(7), Real(1)}, "vertex_format_add_custom(): illegal types"},
        {{Real(6), Real(15)}, "vertex_format_add_custom(): illegal usage"},
        {{Real(6)}, "vertex_format_add_custom(): Illegal argument count"}};
    for (const auto& [args, message] : cases) {
        Call("vertex_format_add_custom", args);
        ExpectReported(message);
    }
    // A string is reported, then read as the number it holds (none: 0, an illegal type).
    ScriptValue text{VALUE_REAL, 0, 0.0};
    Value_SetText(&text, "x");
    std::string log;
    {
        fake::LogCapture capture(ScriptConsole);
        Call("vertex_format_add_custom", {text, Real(2)});
        log = capture.Text();
    }
    size_t formats = log.find("vertex_format_add_custom(): incorrect formats.");
    ASSERT_NE(std::string::npos, formats) << log;
    EXPECT_NE(std::string::npos, log.find("vertex_format_add_custom(): illegal types", formats));
    Value_Free(&text);
    Call("vertex_format_add_custom", {Real(6), Real(14)});
    VertexFormat* format = VertexFormat_Get(int32_t(Call("vertex_format_end")));
    ASSERT_NE(nullptr, format);
    // Only the last call added an element.
    EXPECT_EQ(make_tuple(1, 6, 4), make_tuple(format->elementCount, format->elements[0].type, format->stride));
    const D3DVertexElement& e = fake::Recorded().declarations.back()[0];
    EXPECT_EQ(make_tuple(D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_SAMPLE), make_tuple(e.type, e.usage));
}

} // namespace
