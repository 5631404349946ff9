// The shader chunk, the uniform table and writes, the matrices by kind, and compile failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "../TestSupport_ChunkFuzz.h"
#include "../TestSupport_Console.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Shader.h"
#include "run/Run_Event.h"
#include "run/Run_Globals.h"

namespace {

// A chunk body at file offset 16 (as ChunkFuzzFile places it): words, then texts.
struct Body {
    std::vector<uint8_t> bytes;
    uint32_t Here() const { return 16 + uint32_t(bytes.size()); }
    uint32_t Word(uint32_t value) { return Put(&value, 4); }
    void Patch(uint32_t at, uint32_t value) { std::memcpy(&bytes[at - 16], &value, 4); }
    uint32_t Text(const char* text) { return Put(text, std::strlen(text) + 1); }
    uint32_t Put(const void* data, size_t size)
    {
        uint32_t at = Here();
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        return at;
    }
};

// Two shaders around an empty slot; each entry's words are patched once the texts are placed.
Body GoodChunk()
{
    Body body;
    body.Word(3);
    uint32_t slots[3] = {body.Word(0), body.Word(0), body.Word(0)};
    for (uint32_t s : {0u, 2u}) {
        uint32_t entry = body.Here();
        body.Patch(slots[s], entry);
        for (int w = 0; w < 10; ++w) body.Word(0);
        body.Patch(entry, body.Text(s == 0 ? "sh_a" : "sh_b"));
        body.Patch(entry + 4, 2 + s);
        body.Patch(entry + 8 + 4 * 4, body.Text("vertex text"));
        body.Patch(entry + 8 + 5 * 4, body.Text("fragment text"));
    }
    return body;
}

bool g_Translated = false;
bool RecordTranslation(const char* vertex, const char* fragment, ShaderTranslation& out)
{
    g_Translated = std::strcmp(vertex, "vertex text") == 0 && std::strcmp(fragment, "fragment text") == 0;
    out = ShaderTranslation();
    return true;
}

TEST(ShaderChunk, ReadsEntriesAndRefusesMalformedOnes)
{
    GameFile file;
    Body good = GoodChunk();
    ASSERT_TRUE(testsupport::ChunkFuzzFile(file, "SHDR", good.bytes.data(), good.bytes.size()));
    std::vector<ShaderChunkSlot> slots;
    ASSERT_TRUE(ShaderChunk_Read(file, 16, uint32_t(good.bytes.size()), slots));
    ASSERT_EQ(3u, slots.size());
    EXPECT_TRUE(slots[1].empty);
    EXPECT_EQ(4, slots[2].entry.kind);
    EXPECT_EQ(nullptr, slots[2].entry.sources[0]);
    EXPECT_STREQ("fragment text", slots[2].entry.sources[5]);
    Shader_SetTranslator(RecordTranslation);
    EXPECT_TRUE(Shader_Load(file, 16, uint32_t(good.bytes.size())));
    EXPECT_TRUE(g_Translated);
    EXPECT_EQ(2, Shader_Count());
    EXPECT_EQ("sh_b", Shader_Get(1)->name);
    Shader_FreeAll();

    // Each refusal's line names the entry, where it lies, and what lies outside the file.
    const uint32_t end = 16 + uint32_t(good.bytes.size());
    auto n = [](uint64_t number) { return std::to_string(number); };
    const std::string file_ = " the file (" + n(end) + " bytes)";
    struct Case {
        const char* what;
        uint32_t word; // body offset of the word to change
        uint32_t value;
        bool cutTerminator;
        std::string line;
    } cases[] = {
        {"entry past the end", 4, end, false,
         "SHDR: the count table at file offset 16: entry 0 (its pointer at file offset 20) points to file "
         "offset " +
             n(end) + ", outside" + file_},
        {"entry running over the end", 4, end - 20, false,
         "SHDR: shader 0 at file offset " + n(end - 20) + ": its record at file offset " + n(end - 20) +
             " (40 bytes) runs past the end of" + file_},
        {"name past the end", 16, end + 100, false,
         "SHDR: shader 0 at file offset 32: its name at file offset " + n(end + 100) + " lies outside" +
             file_},
        {"huge count", 0, 0xFFFFFFFFu, false,
         "SHDR: the count table at file offset 16: the pointer list of its 4294967295 entries at file offset "
         "20 "
         "(17179869180 bytes) runs past the end of the file (" +
             n(end) + " bytes)"},
        {"last text without its terminator", 0, 3, true,
         "SHDR: shader 2 at file offset *: its source 5 at file offset * has no terminator before the end of "
         "the "
         "file (" +
             n(end - 1) + " bytes)"},
    };
    for (const Case& c : cases) {
        Body body = GoodChunk();
        body.Patch(16 + c.word, c.value);
        if (c.cutTerminator) body.bytes.pop_back();
        ASSERT_TRUE(testsupport::ChunkFuzzFile(file, "SHDR", body.bytes.data(), body.bytes.size()));
        testsupport::ConsoleCapture log;
        EXPECT_FALSE(ShaderChunk_Read(file, 16, uint32_t(body.bytes.size()), slots)) << c.what;
        EXPECT_FALSE(Shader_Load(file, 16, uint32_t(body.bytes.size()))) << c.what;
        EXPECT_EQ(0, Shader_Count()) << c.what;
        EXPECT_TRUE(testsupport::HasLine(log.console.text, c.line)) << c.line << "\n" << log.console.text;
    }
    Shader_SetTranslator(nullptr);
}

const char* const VERTEX = R"(
float4x4 kv_Matrices[5];
float4 spare;
float4 main(float4 pos : POSITION) : POSITION { return mul(kv_Matrices[4], pos) + spare; }
)";
const char* const FRAGMENT = R"(
sampler2D kv_BaseTexture : register(s0);
sampler2D other : register(s3);
float4 tint; float4 _tint; int4 counts; float one; float after;
float4 main(float2 uv : TEXCOORD0) : COLOR0 {
    return tex2D(kv_BaseTexture, uv) * tint * _tint * tex2D(other, uv) + counts.x * one * after;
}
)";

CShader* Compiled(const char* vertex, const char* fragment, int32_t kind = 0)
{
    const char* sources[8] = {nullptr, nullptr, nullptr, nullptr, vertex, fragment, nullptr, nullptr};
    CShader* shader = Shader_Create("sh_test", kind, sources);
    Shader_Compile(shader);
    return shader;
}

// The first `count` values a uniform holds in its block.
template <typename T = float> std::vector<T> Values(const CShader* shader, const char* name, int count)
{
    const ShaderUniform& u = shader->program->uniforms[size_t(Shader_GetUniform(shader, name))];
    std::vector<T> out(static_cast<size_t>(count));
    std::memcpy(out.data(), shader->program->constants[u.vertex ? 0 : 1].data() + u.offset, size_t(count) * 4);
    return out;
}

TEST(ShaderUniforms, UniformTableLookupsAndWrites)
{
    CShader* shader = Compiled(VERTEX, FRAGMENT);
    ASSERT_NE(nullptr, shader->program);
    const std::vector<ShaderUniform>& table = shader->program->uniforms;
    ASSERT_GE(table.size(), 2u);
    EXPECT_EQ("kv_Matrices", table[0].name); // vertex constants first
    EXPECT_EQ(0, shader->matricesUniform);
    EXPECT_EQ(0, shader->baseTextureRegister);
    EXPECT_EQ(3, Shader_GetSamplerIndex(shader, "other"));
    EXPECT_EQ("_tint", table[size_t(Shader_GetUniform(shader, "tint"))].name); // the underscore wins
    EXPECT_EQ(-1, Shader_GetUniform(shader, "missing"));

    int32_t tint = Shader_GetUniform(shader, "tint");
    EXPECT_FALSE(Shader_SetUniformF(tint, 1, 1, 2, 3, 4)) << "no current shader";
    Shader_SetPending(shader);
    Shader_ApplyCurrent();
    EXPECT_EQ(shader, Shader_Current());
    ASSERT_TRUE(Shader_SetUniformF(tint, 4, 5, 6, 7, 8));
    ASSERT_TRUE(Shader_SetUniformF(tint, 1, 1, 2, 3, 4));
    EXPECT_EQ((std::vector<float>{1, 0, 0, 0}), Values(shader, "_tint", 4));
    // An int4 written with reals takes integers; a float written with four values takes one.
    ASSERT_TRUE(Shader_SetUniformF(Shader_GetUniform(shader, "counts"), 3, 2.75f, -1.5f, 7, 9));
    EXPECT_EQ((std::vector<int32_t>{2, -1, 7, 0}), Values<int32_t>(shader, "counts", 4));
    ASSERT_TRUE(Shader_SetUniformI(Shader_GetUniform(shader, "one"), 4, 3, 4, 5, 6));
    EXPECT_EQ((std::vector<float>{3, 0}), Values(shader, "one", 2)) << "cut to the member";
    EXPECT_FALSE(Shader_SetUniformF(int32_t(table.size()), 1, 1, 0, 0, 0));
    Shader_FreeAll();
}

// Kinds 1 and 2 take the matrices transposed unless every product of the code with them is matrix
// first under the default packing (or vector first under row_major), which takes them as they are,
// as the other kinds always do. The world matrix written alone follows the same layout.
TEST(ShaderUniforms, MatricesTakeTheLayoutTheCodeMultipliesThemIn)
{
    for (int32_t m = 0; m < MATRIX_COUNT; ++m)
        for (int k = 0; k < 16; ++k) g_D3DMatrices[m].m[k] = float(m * 100 + k);
    struct Form {
        const char* what;
        const char* vertex;
        bool transposedForKindsOneAndTwo;
    } forms[] = {
        {"matrix first", VERTEX, false},
        {"vector first", "float4x4 kv_Matrices[5];\n"
                         "float4 main(float4 p : POSITION) : POSITION { return mul(p, kv_Matrices[4]); }", true},
        {"row_major, vector first", "row_major float4x4 _zq_Matrices[5];\n"
                                    "float4 main(float4 p : POSITION) : POSITION { return mul(p, _zq_Matrices[4]); }", false},
        {"row_major, matrix first", "row_major float4x4 _zq_Matrices[5];\n"
                                    "float4 main(float4 p : POSITION) : POSITION { return mul(_zq_Matrices[4], p); }", true},
        {"a row_major block, matrix first", "#pragma pack_matrix(row_major)\nfloat4x4 ab_Matrices[5];\n"
                                            "float4 main(float4 p : POSITION) : POSITION { return mul(ab_Matrices[4], p); }", true},
        {"both orders", "float4x4 _ab_Matrices[5];\n"
                        "float4 main(float4 p : POSITION) : POSITION { return mul(_ab_Matrices[4], p) + mul(p, _ab_Matrices[2]); }",
         true},
        {"matrix first, through an element and a computed index",
         "float4x4 kv_Matrices[5]; int which;\n"
         "float4 main(float4 p : POSITION) : POSITION { return mul(kv_Matrices[which], p) + kv_Matrices[2][1]; }", false},
        {"no product, elements read", "float4x4 kv_Matrices[5];\n"
                                      "float4 main(float4 p : POSITION) : POSITION { return p * kv_Matrices[4][0]; }", true},
        {"a product of a copy only", "float4x4 kv_Matrices[5];\n"
                                     "float4 main(float4 p : POSITION) : POSITION { float4x4 m = kv_Matrices[4]; return mul(m, p); }",
         true},
    };
    for (const Form& form : forms)
        for (int32_t kind : {0, 1, 2, 3}) {
            CShader* shader = Compiled(form.vertex, FRAGMENT, kind);
            ASSERT_NE(nullptr, shader->program) << form.what << "\n" << g_ErrorLast;
            ASSERT_GE(shader->matricesUniform, 0) << form.what;
            const std::string name = shader->program->uniforms[size_t(shader->matricesUniform)].name;
            bool transposed = (kind == 1 || kind == 2) && form.transposedForKindsOneAndTwo;
            Shader_SetPending(shader);
            Shader_ApplyCurrent();
            std::vector<float> applied = Values(shader, name.c_str(), 80);
            ASSERT_TRUE(Shader_WriteWorldMatrix());
            std::vector<float> world = Values(shader, name.c_str(), 16);
            for (int r = 0; r < 4; ++r)
                for (int col = 0; col < 4; ++col) {
                    int at = transposed ? col * 4 + r : r * 4 + col;
                    for (int m = 0; m < MATRIX_COUNT; ++m)
                        EXPECT_EQ(float(m * 100 + at), applied[size_t(m * 16 + r * 4 + col)])
                            << form.what << ", kind " << kind << ", matrix " << m;
                    EXPECT_EQ(float(MATRIX_WORLD * 100 + at), world[size_t(r * 4 + col)]) << form.what << ", kind " << kind;
                }
            Shader_FreeAll();
        }
}

// Constants as a translation would give them, for the look-ups of the built-in uniforms.
std::vector<ShaderConstantInfo> g_Constants;
bool GiveConstants(const char*, const char*, ShaderTranslation& out)
{
    out = ShaderTranslation();
    out.constants = g_Constants;
    return true;
}

// The matrices and the base texture under the own prefix (with or without the underscore, as any
// uniform), else under another two lowercase letters, the underscore form first; never a longer
// name that only ends the same way. Other uniforms are not looked up under another prefix.
TEST(ShaderUniforms, BuiltInsAreFoundUnderAnotherPrefix)
{
    // Names; a name in the list is a sampler at its index + 1 when it ends in "Texture".
    struct Case {
        const char* what;
        std::vector<const char*> names;
        int32_t matrices, baseTexture; // index in the names; the base texture as its sampler
        int32_t scriptMatrices = -1;   // what shader_get_uniform finds for "kv_Matrices"
    } cases[] = {
        {"the own names", {"kv_Matrices", "kv_BaseTexture"}, 0, 1, 0},
        {"the own names after an underscore", {"tint", "_kv_BaseTexture", "_kv_Matrices"}, 2, 1, 2},
        {"another prefix after an underscore", {"_zq_BaseTexture", "tint", "_zq_Matrices"}, 2, 0},
        {"another prefix alone", {"ab_Matrices", "ab_BaseTexture"}, 0, 1},
        {"the own names win", {"_zq_Matrices", "_zq_BaseTexture", "kv_Matrices", "kv_BaseTexture"}, 2, 3, 2},
        {"the own names win without their underscore",
         {"_zq_Matrices", "_zq_BaseTexture", "kv_BaseTexture", "kv_Matrices"}, 3, 2, 3},
        {"the underscore form wins among others", {"ab_Matrices", "ab_BaseTexture", "_zq_Matrices", "_zq_BaseTexture"}, 2, 3},
        {"the first of two others", {"_zq_Matrices", "_ab_Matrices"}, 0, -1},
        {"longer names that end the same way",
         {"abc_Matrices", "_abc_Matrices", "x_zq_Matrices", "__zq_Matrices", "my_zq_BaseTexture", "zq_Matrices2"}, -1, -1},
        {"not two lowercase letters", {"ZQ_Matrices", "_z1_Matrices", "z_Matrices", "_Zq_BaseTexture", "zq-BaseTexture"}, -1, -1},
        {"only the name after the prefix", {"_zq_matrices", "zq_Matrix", "zq_", "_zq_", "_", ""}, -1, -1},
    };
    Shader_SetTranslator(GiveConstants);
    const char* sources[8] = {};
    for (const Case& c : cases) {
        g_Constants.clear();
        for (size_t i = 0; i < c.names.size(); ++i) {
            ShaderConstantInfo info;
            info.name = c.names[i];
            info.sampler = info.name.ends_with("Texture");
            info.vertex = !info.sampler;
            info.offset = info.sampler ? int32_t(i) + 1 : 0;
            info.size = info.sampler ? 0 : 320;
            g_Constants.push_back(info);
        }
        CShader* shader = Shader_Create("sh_names", 1, sources);
        ASSERT_TRUE(Shader_Compile(shader)) << c.what;
        EXPECT_EQ(c.matrices, shader->matricesUniform) << c.what;
        EXPECT_EQ(c.baseTexture >= 0 ? c.baseTexture + 1 : -1, shader->baseTextureRegister) << c.what;
        EXPECT_EQ(c.scriptMatrices, Shader_GetUniform(shader, "kv_Matrices")) << c.what;
        Shader_FreeAll();
    }
    Shader_SetTranslator(nullptr);
}

TEST(ShaderUniforms, CompileFailuresAreFatalAndLeaveNoProgram)
{
    struct Case {
        const char* vertex;
        const char* fragment;
        const char* log; // the start of the log line
        const char* header;
    } cases[] = {
        {"float4 main( : POSITION {", FRAGMENT, "Error in vertex shader \"sh_test\":\n\n ",
         "FATAL ERROR in Vertex Shader compilation\n\nShaderName: sh_test"},
        {VERTEX, "float4 main() : COLOR0 { return undefined; }", "Error in fragment shader \"sh_test\"\n\n ",
         "FATAL ERROR in Fragment Shader compilation\n\nShaderName: sh_test"},
        {"", "", "Error in vertex shader", "Vertex Shader"},
        {"\x01\xff}}}}", VERTEX, "Error in vertex shader", "Vertex Shader"},
        {"sampler s = sampler_state { Texture = <t>; };", FRAGMENT, "Error in vertex shader", "Vertex Shader"},
        // The compiler's log quotes the source's bytes: shown printable in the log and the report.
        {"\x1B]0;pwned\x07\nfloat4 main() : POSITION { return 0; }", FRAGMENT, "Error in vertex shader", "[1B]"},
    };
    auto printable = [](const std::string& text) {
        return std::none_of(text.begin(), text.end(),
                            [](char c) { return (uint8_t(c) < 0x20 && c != '\n' && c != '\t') || c == 0x7F; });
    };
    for (const Case& c : cases) {
        testsupport::ConsoleCapture log;
        g_ErrorQuitting = false;
        g_ErrorLast.clear();
        CShader* shader = Compiled(c.vertex, c.fragment);
        EXPECT_EQ(nullptr, shader->program) << c.log;
        EXPECT_NE(std::string::npos, log.console.text.find(c.log)) << log.console.text;
        EXPECT_NE(std::string::npos, g_ErrorLast.find(c.header)) << g_ErrorLast;
        EXPECT_TRUE(printable(log.console.text) && printable(g_ErrorLast)) << log.console.text;
        EXPECT_TRUE(g_ErrorQuitting) << "fatal";
        // A shader whose compile failed draws as no shader.
        Shader_SetPending(shader);
        Shader_ApplyCurrent();
        EXPECT_EQ(0, g_BatchTextureStage);
        EXPECT_FALSE(Shader_WriteWorldMatrix());
        Shader_FreeAll();
    }
    g_ErrorQuitting = false;
    g_RunRequest = 0;
}

// A failed compile's report ends with it: the shaders freed afterwards, a later error is reported
// for its own event and never reads the freed shader's name.
TEST(ShaderUniforms, ErrorsAfterAFailedCompileAndFreeAreTheirOwn)
{
    g_CurrentEventType = 3;
    g_ErrorQuitting = false;
    CShader* shader = Compiled("float4 main( : POSITION {", FRAGMENT);
    EXPECT_EQ(nullptr, shader->program);
    EXPECT_EQ(3, g_CurrentEventType) << "the interrupted event comes back";
    Shader_FreeAll();
    g_ErrorQuitting = false;
    g_ErrorLast.clear();
    Error_Show_Action("later", false);
    EXPECT_EQ(std::string::npos, g_ErrorLast.find("Shader compilation")) << g_ErrorLast;
    EXPECT_NE(std::string::npos, g_ErrorLast.find("later")) << g_ErrorLast;
    // Should a report still take the shader header, it names the shader from a text of its own.
    g_CurrentEventType = -1;
    g_ErrorLast.clear();
    Error_Show_Action("again", false);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("ShaderName: sh_test")) << g_ErrorLast;
    g_CurrentEventType = 0;
    g_ErrorQuitting = false;
    g_RunRequest = 0;
}

// Constants land in the registers the shaders' target gives them: bound ones at their register,
// the others at the lowest free run in declaration order around them; a matrix takes a register per
// column (per row when row-major), an array that times its elements; samplers keep their stage.
TEST(ShaderRegisters, DeclarationsGetTheTargetsRegisters)
{
    struct Expected {
        const char* name;
        int32_t first, count;
    };
    struct Case {
        bool vertex;
        const char* declarations;
        const char* use; // a float4 expression using every constant
        std::vector<Expected> registers;
    } cases[] = {
        {true, "bool a; float b; float4 c[3]; float4x4 m; int i;", "(a ? c[1] : c[2]) * b + m[0] + i",
         {{"a", 0, 1}, {"b", 1, 1}, {"c", 2, 3}, {"m", 5, 4}, {"i", 9, 1}}},
        {true, "bool lit; float start; float4 dirs[8]; float4x4 mats[5] : register(c4); float4 adjust;",
         "mul(mats[4], dirs[7]) * start + adjust * (lit ? 1 : 0)",
         {{"lit", 0, 1}, {"start", 1, 1}, {"dirs", 24, 8}, {"mats", 4, 20}, {"adjust", 2, 1}}},
        {true, "float4x4 mats[5] : register(c4); bool lit; float4 adjust;", "mats[2][1] * (lit ? 1 : 0) + adjust",
         {{"mats", 4, 20}, {"lit", 0, 1}, {"adjust", 1, 1}}},
        {true, "float4x3 cm; row_major float4x3 rm; float3x3 sq; row_major float2x4 wide[2];",
         "mul(cm, sq[0]) + mul(rm, sq[1]) + wide[1][0]",
         {{"cm", 0, 3}, {"rm", 3, 4}, {"sq", 7, 3}, {"wide", 10, 4}}},
        {false, "float4 v[8]; float4 w : register(c3); float s;", "v[7] * s + w",
         {{"v", 4, 8}, {"w", 3, 1}, {"s", 0, 1}}},
        {false, "sampler2D tex : register(s1); float4 t; float4 u : register(c0); float2 k[2];",
         "tex2D(tex, k[1]) * t + u", {{"tex", 1, 1}, {"t", 1, 1}, {"u", 0, 1}, {"k", 2, 2}}},
        {false, "float4 a : register(c1); float4 b : register(c0); float4 far : register(c300); float4 c;",
         "a + b + far + c", {{"a", 1, 1}, {"b", 0, 1}, {"far", 300, 1}, {"c", 2, 1}}},
        // Beyond any target's registers the front end's own packing stands, and the driver judges.
        {true, "float4 huge : register(c5000); float4 other;", "huge + other", {{"huge", 5000, 1}}},
        {true, "float4 x : register(c1); float4 big[5000];", "x + big[4999]", {{"x", 1, 1}}},
        // Two constants bound to one register keep it: the driver refuses them.
        {false, "float4 x : register(c2); float4 y : register(c2);", "x + y", {{"x", 2, 1}, {"y", 2, 1}}},
    };
    for (const Case& c : cases) {
        std::string vertex = VERTEX, fragment = FRAGMENT;
        (c.vertex ? vertex : fragment) =
            std::string(c.declarations) +
            (c.vertex ? "\nfloat4 main(float4 p : POSITION) : POSITION { return p * (" : "\nfloat4 main(float2 uv : TEXCOORD0) : COLOR0 { return (") +
            c.use + "); }\n";
        CShader* shader = Compiled(vertex.c_str(), fragment.c_str());
        ASSERT_NE(nullptr, shader->program) << c.declarations << "\n" << g_ErrorLast;
        for (const Expected& e : c.registers) {
            int32_t index = Shader_GetUniform(shader, e.name);
            ASSERT_GE(index, 0) << e.name;
            const ShaderUniform& u = shader->program->uniforms[size_t(index)];
            EXPECT_EQ(c.vertex, u.vertex) << e.name;
            EXPECT_EQ(e.first, u.registerIndex) << c.declarations << ": " << e.name;
            EXPECT_EQ(e.count, u.registerCount) << c.declarations << ": " << e.name;
            if (!u.sampler) {
                EXPECT_EQ(u.registerIndex * 16, u.offset) << e.name;
            }
        }
        // A write reaches the first named constant's register in its block.
        const ShaderUniform& first = shader->program->uniforms[size_t(Shader_GetUniform(shader, c.registers[0].name))];
        if (!first.sampler && first.valueType == SHADER_VALUE_FLOAT) {
            Shader_SetPending(shader);
            Shader_ApplyCurrent();
            ASSERT_TRUE(Shader_SetUniformF(first.handle, 1, 2.5f, 0, 0, 0));
            float got = 0;
            std::memcpy(&got, shader->program->constants[c.vertex ? 0 : 1].data() + first.registerIndex * 16, 4);
            EXPECT_EQ(2.5f, got) << c.declarations;
        }
        Shader_FreeAll();
    }
}

// Constants the code never reads (after the entry point is known) take no register and are not in
// the uniform table; those it reads are placed as before, around each other only.
TEST(ShaderRegisters, UnreadConstantsTakeNoRegister)
{
    struct Case {
        bool vertex;
        const char* source; // declarations and a main returning a float4
        std::vector<std::pair<const char*, int32_t>> read; // name, first register
        std::vector<const char*> absent;
    } cases[] = {
        // The tools' header, its matrices bound over the body's registers.
        {true, "float4x4 head[5] : register(c0); bool lit; float4 body : register(c1); float4 arr[8] : register(c5);\n"
               "float4x4 mats[5] : register(c29); bool last : register(c50);\n"
               "float4 main(float4 p : POSITION) : POSITION { return mul(mats[4], p) * body + arr[7] * (last ? 1 : 0); }",
         {{"body", 1}, {"arr", 5}, {"mats", 29}, {"last", 50}}, {"head", "lit"}},
        {true, "float4 first; float4 second; float4 third;\n"
               "float4 main(float4 p : POSITION) : POSITION { return p * third; }",
         {{"third", 0}}, {"first", "second"}},
        // Read through a helper the entry point calls, but not by one it never calls.
        {false, "float4 called; float4 uncalled : register(c0);\n"
                "float4 helper() { return called; }\nfloat4 spare() { return uncalled; }\n"
                "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return helper(); }",
         {{"called", 0}}, {"uncalled"}},
        {false, "sampler2D head : register(s0); bool lit; sampler2D body : register(s0); float4 add : register(c3);\n"
                "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(body, uv) + add; }",
         {{"body", 0}, {"add", 3}}, {"head", "lit"}},
        {false, "float4 nothing; sampler2D none;\nfloat4 main(float2 uv : TEXCOORD0) : COLOR0 { return float4(uv, 0, 1); }",
         {}, {"nothing", "none"}},
    };
    for (const Case& c : cases) {
        std::string vertex = VERTEX, fragment = FRAGMENT;
        (c.vertex ? vertex : fragment) = c.source;
        CShader* shader = Compiled(vertex.c_str(), fragment.c_str());
        ASSERT_NE(nullptr, shader->program) << c.source << "\n" << g_ErrorLast;
        for (const auto& [name, first] : c.read) {
            int32_t index = Shader_GetUniform(shader, name);
            ASSERT_GE(index, 0) << c.source << ": " << name;
            EXPECT_EQ(first, shader->program->uniforms[size_t(index)].registerIndex) << c.source << ": " << name;
        }
        for (const char* name : c.absent) EXPECT_EQ(-1, Shader_GetUniform(shader, name)) << c.source << ": " << name;
        Shader_FreeAll();
    }
}

} // namespace
