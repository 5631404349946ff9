#include <cstring>

#include "Graphics_FakeDevice.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_VertexFormat.h"

using namespace fake;

namespace {

BuiltinRoutine Routine(const char* name)
{
    int32_t id = -1;
    if (!Code_Function_Find(name, &id)) return nullptr;
    return Function_Get(id)->routine;
}

class VertexFormats : public DeviceTest {
  protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        VertexFormat_FreeAll();
        static bool registered = false;
        if (!registered) VertexFormat_RegisterFunctions();
        registered = true;
        g_ErrorLast.clear();
        g_ErrorQuitting = false;
        g_GameOptions.showErrors = false;
    }
    void TearDown() override
    {
        VertexFormat_FreeAll();
        g_GameOptions.showErrors = true;
        DeviceTest::TearDown();
    }

    // Calls a built-in by name; the result's real, and the message it reported ("" for none).
    double Call(const char* name, std::vector<ScriptValue> args = {})
    {
        g_ErrorLast.clear();
        ScriptValue result{VALUE_REAL, 0, 0.0};
        BuiltinRoutine routine = Routine(name);
        EXPECT_NE(nullptr, routine) << name;
        if (routine == nullptr) return 0.0;
        routine(&result, nullptr, nullptr, int32_t(args.size()), args.data());
        double real = result.real;
        Value_Free(&result);
        return real;
    }
    bool Reported(const std::string& message) const { return g_ErrorLast.find(message) != std::string::npos; }

    static ScriptValue Real(double v) { return ScriptValue{VALUE_REAL, 0, v}; }
};

TEST_F(VertexFormats, ElementsLieOneAfterAnotherAndTheHandleCarriesBit24)
{
    Call("vertex_format_begin");
    Call("vertex_format_add_position_3d");
    Call("vertex_format_add_colour");
    Call("vertex_format_add_textcoord");
    Call("vertex_format_add_textcoord");
    double handle = Call("vertex_format_end");
    EXPECT_EQ(16777216.0, handle);
    VertexFormat* format = VertexFormat_Get(int32_t(handle));
    ASSERT_NE(nullptr, format);
    ASSERT_EQ(4, format->elementCount);
    EXPECT_EQ(0, format->elements[0].offset);
    EXPECT_EQ(12, format->elements[1].offset);
    EXPECT_EQ(16, format->elements[2].offset);
    EXPECT_EQ(24, format->elements[3].offset);
    EXPECT_EQ(32, format->stride);
    EXPECT_EQ(0xFu, format->usageMask);
    EXPECT_EQ(8u, format->elements[3].bit);
    EXPECT_EQ(32, Batch_LayoutStride(int32_t(handle)));
    // The declaration numbers elements of one usage from 0.
    ASSERT_EQ(1u, Recorded().declarations.size());
    const std::vector<D3DVertexElement>& d = Recorded().declarations[0];
    ASSERT_EQ(4u, d.size());
    EXPECT_EQ(D3DDECLTYPE_FLOAT3, d[0].type);
    EXPECT_EQ(D3DDECLUSAGE_POSITION, d[0].usage);
    EXPECT_EQ(D3DDECLTYPE_D3DCOLOR, d[1].type);
    EXPECT_EQ(D3DDECLUSAGE_COLOR, d[1].usage);
    EXPECT_EQ(D3DDECLUSAGE_TEXCOORD, d[2].usage);
    EXPECT_EQ(0, d[2].usageIndex);
    EXPECT_EQ(1, d[3].usageIndex);
    EXPECT_EQ(24, d[3].offset);
    EXPECT_EQ(nullptr, VertexFormat_Get(int32_t(handle) + 1));
    EXPECT_EQ(nullptr, VertexFormat_Get(int32_t(0x81000000u)));
    EXPECT_EQ(nullptr, VertexFormat_Get(-1));
}

TEST_F(VertexFormats, BuilderMessages)
{
    EXPECT_EQ(-1.0, Call("vertex_format_end"));
    EXPECT_TRUE(Reported("vertex_format_end(): Can't end format, you haven't started one yet."));
    Call("vertex_format_add_normal");
    EXPECT_TRUE(Reported("vertex_format_add_normal(): haven't started a new format."));
    Call("vertex_format_begin");
    EXPECT_EQ("", g_ErrorLast);
    Call("vertex_format_begin");
    EXPECT_TRUE(Reported("vertex_format_begin(): Can't start a new format, still creating another one."));
    Call("vertex_format_add_colour", {Real(1)});
    EXPECT_TRUE(Reported("vertex_format_add_colour(): Illegal argument count"));
    for (int i = 0; i < 32; ++i)
        Call("vertex_format_add_custom", {Real(1), Real(12)});
    EXPECT_EQ("", g_ErrorLast);
    Call("vertex_format_add_position");
    EXPECT_TRUE(Reported("vertex_format_add_position(): Too many elements"));
    double handle = Call("vertex_format_end");
    VertexFormat* format = VertexFormat_Get(int32_t(handle));
    ASSERT_NE(nullptr, format);
    EXPECT_EQ(32, format->elementCount);
    EXPECT_EQ(0x80000000u, format->elements[31].bit);
    EXPECT_EQ(128, format->stride);
}

TEST_F(VertexFormats, CustomElementsAreChecked)
{
    Call("vertex_format_begin");
    Call("vertex_format_add_custom", {Real(7), Real(1)});
    EXPECT_TRUE(Reported("vertex_format_add_custom(): illegal types"));
    Call("vertex_format_add_custom", {Real(6), Real(15)});
    EXPECT_TRUE(Reported("vertex_format_add_custom(): illegal usage"));
    Call("vertex_format_add_custom", {Real(6)});
    EXPECT_TRUE(Reported("vertex_format_add_custom(): Illegal argument count"));
    // A string is reported, then read as the number it holds (none: 0, an illegal type).
    ScriptValue text{VALUE_REAL, 0, 0.0};
    Value_SetText(&text, "x");
    std::string log;
    {
        LogCapture capture(ScriptConsole);
        Call("vertex_format_add_custom", {text, Real(2)});
        log = capture.Text();
    }
    size_t formats = log.find("vertex_format_add_custom(): incorrect formats.");
    ASSERT_NE(std::string::npos, formats) << log;
    EXPECT_NE(std::string::npos, log.find("vertex_format_add_custom(): illegal types", formats));
    Value_Free(&text);
    Call("vertex_format_add_custom", {Real(6), Real(14)});
    double handle = Call("vertex_format_end");
    VertexFormat* format = VertexFormat_Get(int32_t(handle));
    ASSERT_NE(nullptr, format);
    ASSERT_EQ(1, format->elementCount); // only the last call added an element
    EXPECT_EQ(6, format->elements[0].type);
    EXPECT_EQ(4, format->stride);
    EXPECT_EQ(D3DDECLTYPE_UBYTE4, Recorded().declarations.back()[0].type);
    EXPECT_EQ(D3DDECLUSAGE_SAMPLE, Recorded().declarations.back()[0].usage);
}

TEST(VertexFormatSizes, ByTypeCode)
{
    const int32_t sizes[] = {0, 4, 8, 12, 16, 4, 4, 0};
    for (int32_t type = 0; type < 8; ++type)
        EXPECT_EQ(sizes[type], VertexFormat_TypeSize(type)) << type;
    EXPECT_EQ(0, VertexFormat_TypeSize(-1));
}

} // namespace
