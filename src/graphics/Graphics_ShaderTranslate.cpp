// HLSL to GLSL 330: glslang's HLSL front end (Direct3D 9 forms) to SPIR-V, then SPIRV-Cross to GLSL,
// with the changes the device needs: varyings named by semantic (GLSL 330 links them by name),
// vertex inputs at the device's attribute locations, the constant blocks renamed, and the fix-ups
// and alpha test the generated programs also carry.
#include "graphics/Graphics_ShaderTranslate.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross/spirv_cross_c.h>

#include <cctype>
#include <memory>

#include "graphics/Graphics_DeviceApi.h"

namespace {

constexpr EShMessages HLSL_MESSAGES = EShMessages(EShMsgSpvRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);

// Direct3D semantics as declaration usages, for the vertex inputs' locations.
struct SemanticUsage {
    const char* name;
    uint8_t usage;
};
const SemanticUsage SEMANTIC_USAGES[] = {
    {"POSITION", D3DDECLUSAGE_POSITION}, {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT},
    {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES}, {"NORMAL", D3DDECLUSAGE_NORMAL},
    {"PSIZE", D3DDECLUSAGE_PSIZE}, {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},
    {"TANGENT", D3DDECLUSAGE_TANGENT}, {"BINORMAL", D3DDECLUSAGE_BINORMAL},
    {"TESSFACTOR", D3DDECLUSAGE_TESSFACTOR}, {"POSITIONT", D3DDECLUSAGE_POSITIONT},
    {"COLOR", D3DDECLUSAGE_COLOR}, {"FOG", D3DDECLUSAGE_FOG},
    {"DEPTH", D3DDECLUSAGE_DEPTH}, {"SAMPLE", D3DDECLUSAGE_SAMPLE},
};

// A semantic upper-cased, with index 0 written out when it has none ("texcoord" is "TEXCOORD0").
std::string SemanticName(const char* semantic)
{
    std::string name;
    for (const char* c = semantic; *c != 0; ++c) name += char(std::toupper(static_cast<unsigned char>(*c)));
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.back())) == 0) name += '0';
    return name;
}

// Splits "TEXCOORD3" into its base and index.
void SplitSemantic(const std::string& name, std::string& base, int32_t& index)
{
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0) --digits;
    base = name.substr(0, digits);
    index = 0;
    for (size_t i = digits; i < name.size() && index < 1000; ++i) index = index * 10 + (name[i] - '0');
}

int32_t InputLocation(const std::string& semantic)
{
    std::string base;
    int32_t index = 0;
    SplitSemantic(semantic, base, index);
    for (const SemanticUsage& entry : SEMANTIC_USAGES)
        if (base == entry.name && index < 256) return D3D_AttributeLocation(entry.usage, uint8_t(index));
    return -1;
}

// glslang to SPIR-V for one stage; false with the info log on errors.
bool CompileStage(EShLanguage stage, const char* source, std::vector<uint32_t>& spirv, std::string& log)
{
    glslang::TShader shader(stage);
    shader.setStrings(&source, 1);
    shader.setEntryPoint("main");
    shader.setSourceEntryPoint("main");
    shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientOpenGL, 100);
    shader.setEnvClient(glslang::EShClientOpenGL, glslang::EShTargetOpenGL_450);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    shader.setEnvTargetHlslFunctionality1();
    shader.setHlslIoMapping(true);
    shader.setAutoMapLocations(true);
    shader.setAutoMapBindings(true);
    if (!shader.parse(GetDefaultResources(), 100, false, HLSL_MESSAGES)) {
        log = shader.getInfoLog();
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(HLSL_MESSAGES) || !program.mapIO()) {
        log = program.getInfoLog();
        return false;
    }
    glslang::TIntermediate* intermediate = program.getIntermediate(stage);
    if (intermediate == nullptr) {
        log = "no code";
        return false;
    }
    glslang::GlslangToSpv(*intermediate, spirv);
    return !spirv.empty();
}

struct ContextDeleter {
    void operator()(spvc_context_s* context) const { spvc_context_destroy(context); }
};
using SpvcContext = std::unique_ptr<spvc_context_s, ContextDeleter>;

int32_t ValueKind(spvc_basetype type)
{
    switch (type) {
    case SPVC_BASETYPE_INT32:
        return SHADER_VALUE_INT;
    case SPVC_BASETYPE_UINT32:
        return SHADER_VALUE_UINT;
    case SPVC_BASETYPE_BOOLEAN:
        return SHADER_VALUE_BOOL;
    default:
        return SHADER_VALUE_FLOAT;
    }
}

const spvc_reflected_resource* Resources(spvc_resources resources, spvc_resource_type type, size_t& count)
{
    const spvc_reflected_resource* list = nullptr;
    count = 0;
    if (spvc_resources_get_resource_list_for_type(resources, type, &list, &count) != SPVC_SUCCESS) count = 0;
    return list;
}

// The stage's constants: the members of its one block (renamed), then its samplers.
void ReflectConstants(spvc_compiler compiler, spvc_resources resources, bool vertex, ShaderTranslation& out)
{
    size_t count = 0;
    const spvc_reflected_resource* blocks = Resources(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, count);
    for (size_t b = 0; b < count; ++b) {
        spvc_compiler_set_name(compiler, blocks[b].base_type_id, vertex ? SHADER_VERTEX_BLOCK : SHADER_FRAGMENT_BLOCK);
        spvc_type block = spvc_compiler_get_type_handle(compiler, blocks[b].base_type_id);
        size_t blockSize = 0;
        spvc_compiler_get_declared_struct_size(compiler, block, &blockSize);
        out.blockSize[vertex ? 0 : 1] = uint32_t(blockSize);
        for (unsigned m = 0; m < spvc_type_get_num_member_types(block); ++m) {
            spvc_type member = spvc_compiler_get_type_handle(compiler, spvc_type_get_member_type(block, m));
            ShaderConstantInfo info;
            const char* name = spvc_compiler_get_member_name(compiler, blocks[b].base_type_id, m);
            info.name = name != nullptr ? name : "";
            info.vertex = vertex;
            unsigned offset = 0;
            size_t size = 0;
            spvc_compiler_type_struct_member_offset(compiler, block, m, &offset);
            spvc_compiler_get_declared_struct_member_size(compiler, block, m, &size);
            info.offset = int32_t(offset);
            info.size = int32_t(size);
            info.valueKind = ValueKind(spvc_type_get_basetype(member));
            info.columns = int32_t(spvc_type_get_columns(member));
            info.rows = int32_t(spvc_type_get_vector_size(member));
            out.constants.push_back(info);
        }
        break; // Direct3D 9 code has one constant table per stage
    }
    const spvc_reflected_resource* samplers = Resources(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, count);
    for (size_t i = 0; i < count; ++i) {
        ShaderConstantInfo info;
        info.name = samplers[i].name != nullptr ? samplers[i].name : "";
        info.vertex = vertex;
        info.sampler = true;
        info.offset = int32_t(spvc_compiler_get_decoration(compiler, samplers[i].id, SpvDecorationBinding));
        out.constants.push_back(info);
    }
}

// Varyings by semantic; the vertex stage's inputs at the device's locations and its POSITION
// output as the built-in position.
void NameInterface(spvc_compiler compiler, spvc_resources resources, bool vertex)
{
    size_t count = 0;
    const spvc_reflected_resource* inputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT, count);
    for (size_t i = 0; i < count; ++i) {
        const char* semantic = spvc_compiler_get_decoration_string(compiler, inputs[i].id, SpvDecorationUserSemantic);
        if (semantic == nullptr || *semantic == 0) continue;
        std::string name = SemanticName(semantic);
        if (vertex) {
            int32_t location = InputLocation(name);
            if (location >= 0) spvc_compiler_set_decoration(compiler, inputs[i].id, SpvDecorationLocation, unsigned(location));
            spvc_compiler_set_name(compiler, inputs[i].id, ("in_" + name).c_str());
        } else {
            spvc_compiler_set_name(compiler, inputs[i].id, name.c_str());
        }
    }
    const spvc_reflected_resource* outputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, count);
    for (size_t i = 0; i < count; ++i) {
        const char* semantic = spvc_compiler_get_decoration_string(compiler, outputs[i].id, SpvDecorationUserSemantic);
        if (semantic == nullptr || *semantic == 0) continue;
        std::string name = SemanticName(semantic);
        if (!vertex) {
            spvc_compiler_set_name(compiler, outputs[i].id, ("out_" + name).c_str());
        } else if (name == "POSITION0" || name == "SV_POSITION0") {
            spvc_compiler_unset_decoration(compiler, outputs[i].id, SpvDecorationLocation);
            spvc_compiler_set_decoration(compiler, outputs[i].id, SpvDecorationBuiltIn, SpvBuiltInPosition);
        } else {
            spvc_compiler_set_name(compiler, outputs[i].id, name.c_str());
        }
    }
}

// The first fragment output's name, for the alpha test.
std::string FragmentOutput(spvc_compiler compiler, spvc_resources resources)
{
    size_t count = 0;
    const spvc_reflected_resource* outputs = Resources(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, count);
    if (count == 0) return std::string();
    const char* name = spvc_compiler_get_name(compiler, outputs[0].id);
    return name != nullptr ? name : "";
}

bool CrossCompile(const std::vector<uint32_t>& spirv, bool vertex, ShaderTranslation& out, std::string& glsl,
                  std::string& output)
{
    spvc_context raw = nullptr;
    if (spvc_context_create(&raw) != SPVC_SUCCESS) return false;
    SpvcContext context(raw);
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    spvc_resources resources = nullptr;
    spvc_compiler_options options = nullptr;
    if (spvc_context_parse_spirv(raw, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
        spvc_context_create_compiler(raw, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) !=
            SPVC_SUCCESS ||
        spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS ||
        spvc_compiler_create_compiler_options(compiler, &options) != SPVC_SUCCESS)
        return false;
    ReflectConstants(compiler, resources, vertex, out);
    NameInterface(compiler, resources, vertex);
    if (!vertex) output = FragmentOutput(compiler, resources);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, vertex ? SPVC_TRUE : SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION, vertex ? SPVC_TRUE : SPVC_FALSE);
    const char* source = nullptr;
    if (spvc_compiler_install_compiler_options(compiler, options) != SPVC_SUCCESS ||
        spvc_compiler_compile(compiler, &source) != SPVC_SUCCESS || source == nullptr)
        return false;
    glsl = source;
    return true;
}

// Inserts `text` after the leading preprocessor lines: the cross compiler follows `#version` with
// the `#extension` lines (and any guards around them) the program needs, and GLSL refuses an
// `#extension` after a declaration.
void AfterVersion(std::string& glsl, const char* text)
{
    size_t at = 0;
    while (at < glsl.size() && glsl[at] == '#') {
        size_t end = glsl.find('\n', at);
        at = end == std::string::npos ? glsl.size() : end + 1;
    }
    if (at == glsl.size() && !glsl.empty() && glsl.back() != '\n') {
        glsl += '\n';
        at = glsl.size();
    }
    glsl.insert(at, text);
}

// The pixel fix goes in before the flip the cross compiler ends the vertex program with.
bool AddVertexFixups(std::string& glsl)
{
    size_t flip = glsl.rfind("gl_Position.y = -gl_Position.y;");
    if (flip == std::string::npos) return false;
    glsl.insert(flip, "gl_Position.x += gl_Position.w * kv_PixelFix.x;\n    "
                      "gl_Position.y -= gl_Position.w * kv_PixelFix.y;\n    ");
    AfterVersion(glsl, "uniform vec2 kv_PixelFix;\n");
    return true;
}

// The alpha test closes main, the last function the cross compiler writes.
bool AddAlphaTest(std::string& glsl, const std::string& output)
{
    size_t close = glsl.rfind('}');
    if (close == std::string::npos || output.empty()) return false;
    glsl.insert(close, "    if (!kv_AlphaPasses(" + output + ".a)) discard;\n");
    AfterVersion(glsl, "uniform ivec2 kv_AlphaTest;\n"
                       "bool kv_AlphaPasses(float alpha) {\n"
                       "    int a = int(floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5));\n"
                       "    int r = kv_AlphaTest.y;\n"
                       "    switch (kv_AlphaTest.x) {\n"
                       "    case 1: return false;\n"
                       "    case 2: return a < r;\n"
                       "    case 3: return a == r;\n"
                       "    case 4: return a <= r;\n"
                       "    case 5: return a > r;\n"
                       "    case 6: return a != r;\n"
                       "    case 7: return a >= r;\n"
                       "    default: return true;\n"
                       "    }\n"
                       "}\n");
    return true;
}

bool Fail(ShaderTranslation& out, int32_t stage, const std::string& log)
{
    out.failedStage = stage;
    out.log = log;
    return false;
}

bool g_ProcessReady = false;

} // namespace

bool ShaderTranslate(const char* vertexHlsl, const char* fragmentHlsl, ShaderTranslation& out)
{
    out = ShaderTranslation();
    ShaderTranslate_Init();
    std::vector<uint32_t> vertexSpirv;
    std::vector<uint32_t> fragmentSpirv;
    std::string log;
    if (!CompileStage(EShLangVertex, vertexHlsl != nullptr ? vertexHlsl : "", vertexSpirv, log))
        return Fail(out, 0, log);
    if (!CompileStage(EShLangFragment, fragmentHlsl != nullptr ? fragmentHlsl : "", fragmentSpirv, log))
        return Fail(out, 1, log);
    std::string output;
    std::string unused;
    if (!CrossCompile(vertexSpirv, true, out, out.vertexSource, unused) || !AddVertexFixups(out.vertexSource))
        return Fail(out, 0, "the vertex program cannot be expressed in GLSL");
    if (!CrossCompile(fragmentSpirv, false, out, out.fragmentSource, output) ||
        !AddAlphaTest(out.fragmentSource, output))
        return Fail(out, 1, "the fragment program cannot be expressed in GLSL");
    return true;
}

void ShaderTranslate_Init()
{
    if (g_ProcessReady) return;
    g_ProcessReady = glslang::InitializeProcess();
}

void ShaderTranslate_Shutdown()
{
    if (!g_ProcessReady) return;
    glslang::FinalizeProcess();
    g_ProcessReady = false;
}
