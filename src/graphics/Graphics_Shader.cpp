// The shader table and the selection of a shader. A compile translates the HLSL pair (the device
// runs GLSL) and, with a device, links its program; the uniform table comes from the translation.
#include "graphics/Graphics_Shader.h"

#include <cmath>
#include <cstring>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Batch.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_DeviceStates.h"
#include "run/Run_Event.h"

const char* g_CurrentShaderName = nullptr;
uint8_t g_CurrentShaderIsFragment = 0;

namespace {

// The error header names the shader while its compile reports (Code_Error.cpp reads event -1 so).
constexpr int32_t SHADER_COMPILE_EVENT = -1;

std::vector<CShader*> g_Shaders;
CShader* g_CurrentShader = nullptr;
CShader* g_PendingShader = nullptr;
bool g_ShaderDirty = false;
ShaderTranslator g_Translator = ShaderTranslate;

void FreeProgram(ShaderProgram* program)
{
    if (program == nullptr) return;
    if (program->device != nullptr) program->device->Release();
    delete program;
}

// The program of a translation, linked on the device when there is one; `refused` gets the stage
// and the driver's message when the driver refuses the translated sources.
ShaderProgram* MakeProgram(const ShaderTranslation& translation, D3DShaderError& refused)
{
    auto* program = new ShaderProgram();
    program->constants[0].assign(translation.blockSize[0], 0);
    program->constants[1].assign(translation.blockSize[1], 0);
    std::vector<D3DShaderSampler> samplers;
    for (const ShaderConstantInfo& info : translation.constants) {
        ShaderUniform uniform;
        uniform.name = info.name;
        uniform.handle = int32_t(program->uniforms.size());
        uniform.vertex = info.vertex;
        uniform.sampler = info.sampler;
        uniform.offset = info.sampler ? 0 : info.offset;
        uniform.registerIndex = info.sampler ? info.offset : info.offset / 16;
        uniform.registerCount = info.sampler ? 1 : (info.size + 15) / 16;
        uniform.valueClass = info.columns;
        uniform.valueType = info.valueKind;
        uniform.size = info.size;
        uniform.products = info.products;
        program->uniforms.push_back(uniform);
    }
    for (const ShaderUniform& uniform : program->uniforms)
        if (uniform.sampler) samplers.push_back({uniform.name.c_str(), uniform.registerIndex});
    if (D3DDevice* device = GR_D3D_Device())
        device->CreateShaderProgram(translation.vertexSource.c_str(), translation.fragmentSource.c_str(),
                                    samplers.data(), int32_t(samplers.size()), &program->device, &refused);
    return program;
}

// The failing shader's name as the error header reads it: a copy, so that freeing or recompiling
// the shader never leaves the header pointing at freed text.
std::string g_FailedShaderName;

// A failed compile of either stage is fatal and names the shader and the stage. The shader event
// lasts only for this report; a later error is reported for the event that raises it. The
// compiler's log quotes the offending bytes of the game's source, so it is shown printable.
void ReportCompileError(const CShader* shader, int32_t stage, const char* compilerLog)
{
    bool fragment = stage == 1;
    std::string log = Text_PrintableLines(compilerLog);
    MainConsole->Output(fragment ? "Error in fragment shader \"%s\"\n\n %s\n" : "Error in vertex shader \"%s\":\n\n %s\n",
                        Text_Printable(shader->name).c_str(), log.c_str());
    g_FailedShaderName = shader->name;
    g_CurrentShaderName = g_FailedShaderName.c_str();
    g_CurrentShaderIsFragment = fragment ? 1 : 0;
    int32_t eventType = g_CurrentEventType;
    g_CurrentEventType = SHADER_COMPILE_EVENT;
    Error_Show_Action(log.c_str(), true);
    g_CurrentEventType = eventType;
}

int32_t FindByName(const CShader* shader, const std::string& name)
{
    const std::vector<ShaderUniform>& uniforms = shader->program->uniforms;
    for (size_t i = 0; i < uniforms.size(); ++i)
        if (uniforms[i].name == name) return int32_t(i);
    return -1;
}

int32_t FindUniform(const CShader* shader, const char* name)
{
    if (shader == nullptr || shader->program == nullptr || name == nullptr) return -1;
    int32_t found = FindByName(shader, std::string("_") + name);
    return found >= 0 ? found : FindByName(shader, name);
}

// The built-in uniforms' own prefix; the shaders' authoring tools may write another.
constexpr const char* BUILT_IN_PREFIX = "kv_";

bool IsLowerLetter(char c)
{
    return c >= 'a' && c <= 'z';
}

// "xy_" + rest, with two lowercase letters for x and y, after an underscore when asked.
bool HasLetterPrefix(const std::string& name, bool underscore, const char* rest)
{
    size_t at = underscore ? 1 : 0;
    return name.size() > at + 3 && (!underscore || name[0] == '_') && IsLowerLetter(name[at]) &&
           IsLowerLetter(name[at + 1]) && name[at + 2] == '_' &&
           name.compare(at + 3, std::string::npos, rest) == 0;
}

// A built-in uniform ("kv_Matrices", "kv_BaseTexture") as any uniform is found, else under another
// prefix of two lowercase letters, as the tools' headers declare it: with the leading underscore
// first, then without.
int32_t FindBuiltIn(const CShader* shader, const char* name)
{
    int32_t found = FindUniform(shader, name);
    if (found >= 0 || shader == nullptr || shader->program == nullptr) return found;
    const char* rest = name + std::strlen(BUILT_IN_PREFIX);
    const std::vector<ShaderUniform>& uniforms = shader->program->uniforms;
    for (bool underscore : {true, false})
        for (size_t i = 0; i < uniforms.size(); ++i)
            if (HasLetterPrefix(uniforms[i].name, underscore, rest)) return int32_t(i);
    return -1;
}

// Kinds 1 and 2 take the matrices transposed, as code that multiplies the vector first (mul(v, M))
// under the default column packing needs them. The tools' own bodies for those kinds multiply the
// matrix first (mul(M, v)); code whose every product with the matrices is of that kind takes them as
// they are, as every other kind does.
bool TransposesMatrices(const CShader* shader)
{
    if (shader->kind != 1 && shader->kind != 2) return false;
    if (shader->matricesUniform < 0) return true;
    return shader->program->uniforms[size_t(shader->matricesUniform)].products != SHADER_PRODUCT_ROWS;
}

// A value as the uniform's element type; reals beyond the int range become INT_MIN, as the
// integer conversions of the built-ins do.
void PutValue(uint8_t* at, int32_t type, double value)
{
    if (type == SHADER_VALUE_FLOAT) {
        float f = float(value);
        std::memcpy(at, &f, 4);
        return;
    }
    int32_t i = 0;
    if (type == SHADER_VALUE_BOOL) i = value != 0.0 ? 1 : 0;
    else if (std::isnan(value) || value >= 2147483648.0 || value < -2147483648.0) i = INT32_MIN;
    else i = int32_t(value);
    std::memcpy(at, &i, 4);
}

// Writes values as vectors of four from the uniform's first register, as Direct3D's constant
// registers take them; what lies beyond the member is dropped.
bool WriteValues(int32_t index, const double* values, size_t count)
{
    CShader* shader = g_CurrentShader;
    if (shader == nullptr || shader->program == nullptr) return false;
    ShaderProgram& program = *shader->program;
    if (index < 0 || size_t(index) >= program.uniforms.size()) return false;
    const ShaderUniform& uniform = program.uniforms[size_t(index)];
    if (uniform.sampler) return false;
    std::vector<uint8_t>& block = program.constants[uniform.vertex ? 0 : 1];
    for (size_t i = 0; i < count; ++i) {
        size_t within = (i / 4) * 16 + (i % 4) * 4;
        size_t at = size_t(uniform.offset) + within;
        if (within + 4 > size_t(uniform.size) || at + 4 > block.size()) break;
        PutValue(block.data() + at, uniform.valueType, values[i]);
    }
    if (D3DDevice* device = GR_D3D_Device())
        device->SetShaderConstants(uniform.vertex ? 0 : 1, block.data(), uint32_t(block.size()));
    return true;
}

// A matrix in the layout the shader takes the built-in ones in.
void MatrixValues(const CShader* shader, const D3DMatrix& matrix, double* out)
{
    bool transpose = shader->transposeMatrices;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r * 4 + c] = transpose ? matrix.m[c * 4 + r] : matrix.m[r * 4 + c];
}

} // namespace

bool Shader_Load(GameFile& file, uint32_t body, uint32_t length)
{
    Shader_FreeAll();
    std::vector<ShaderChunkSlot> slots;
    if (!ShaderChunk_Read(file, body, length, slots)) return false;
    for (const ShaderChunkSlot& slot : slots) {
        if (slot.empty) continue;
        CShader* shader = Shader_Create(slot.entry.name, slot.entry.kind, slot.entry.sources);
        Shader_Compile(shader);
    }
    return true;
}

CShader* Shader_Create(const char* name, int32_t kind, const char* const sources[8])
{
    auto* shader = new CShader();
    shader->index = int32_t(g_Shaders.size());
    shader->name = name != nullptr ? name : "";
    shader->kind = kind;
    for (int i = 0; i < 8; ++i) {
        shader->sources[i].present = sources[i] != nullptr;
        if (sources[i] != nullptr) shader->sources[i].text = sources[i];
    }
    g_Shaders.push_back(shader);
    return shader;
}

bool Shader_Compile(CShader* shader)
{
    if (shader == nullptr) return false;
    FreeProgram(shader->program);
    shader->program = nullptr;
    ShaderTranslation translation;
    if (!g_Translator(shader->sources[4].text.c_str(), shader->sources[5].text.c_str(), translation)) {
        ReportCompileError(shader, translation.failedStage, translation.log.c_str());
        return false;
    }
    // The driver compiles the translated text again; its refusal is the shader's failed compile.
    D3DShaderError refused;
    ShaderProgram* program = MakeProgram(translation, refused);
    if (refused.stage >= 0) {
        FreeProgram(program);
        ReportCompileError(shader, refused.stage, refused.message);
        return false;
    }
    shader->program = program;
    int32_t baseTexture = FindBuiltIn(shader, "kv_BaseTexture");
    shader->baseTextureRegister =
        baseTexture >= 0 ? program->uniforms[size_t(baseTexture)].registerIndex : -1;
    shader->matricesUniform = FindBuiltIn(shader, "kv_Matrices");
    shader->transposeMatrices = TransposesMatrices(shader);
    return true;
}

bool Shader_Exists(int32_t index)
{
    return index >= 0 && size_t(index) < g_Shaders.size() && g_Shaders[size_t(index)] != nullptr;
}

CShader* Shader_Get(int32_t index)
{
    return Shader_Exists(index) ? g_Shaders[size_t(index)] : nullptr;
}

int32_t Shader_Count()
{
    return int32_t(g_Shaders.size());
}

void Shader_FreeAll()
{
    if (D3DDevice* device = GR_D3D_Device()) device->SetShaderProgram(nullptr);
    for (CShader* shader : g_Shaders) {
        if (shader == nullptr) continue;
        FreeProgram(shader->program);
        delete shader;
    }
    g_Shaders.clear();
    g_CurrentShader = nullptr;
    g_PendingShader = nullptr;
    g_ShaderDirty = false;
    g_BatchTextureStage = 0;
}

void Shader_SetPending(CShader* shader)
{
    if (shader == g_PendingShader) return;
    g_PendingShader = shader;
    g_ShaderDirty = shader != g_CurrentShader;
}

void Shader_ApplyCurrent()
{
    Graphics::Flush();
    g_CurrentShader = g_PendingShader;
    g_ShaderDirty = false;
    CShader* shader = g_CurrentShader;
    // A shader whose compile failed draws as no shader.
    ShaderProgram* program = shader != nullptr ? shader->program : nullptr;
    if (D3DDevice* device = GR_D3D_Device()) {
        device->SetShaderProgram(program != nullptr ? program->device : nullptr);
        if (program != nullptr) {
            device->SetShaderConstants(0, program->constants[0].data(), uint32_t(program->constants[0].size()));
            device->SetShaderConstants(1, program->constants[1].data(), uint32_t(program->constants[1].size()));
        }
    }
    if (program == nullptr) {
        g_BatchTextureStage = 0;
        return;
    }
    Shader_WriteMatrices();
    // A shader without the base-texture sampler still draws the batch texture at stage 0.
    g_BatchTextureStage = shader->baseTextureRegister >= 0 ? shader->baseTextureRegister : 0;
}

CShader* Shader_Current()
{
    return g_CurrentShader;
}

CShader* Shader_Pending()
{
    return g_PendingShader;
}

bool Shader_IsDirty()
{
    return g_ShaderDirty;
}

int32_t Shader_GetUniform(const CShader* shader, const char* name)
{
    return FindUniform(shader, name);
}

int32_t Shader_GetSamplerIndex(const CShader* shader, const char* name)
{
    int32_t found = FindUniform(shader, name);
    return found >= 0 ? shader->program->uniforms[size_t(found)].registerIndex : -1;
}

bool Shader_SetUniformI(int32_t index, int32_t count, int32_t a, int32_t b, int32_t c, int32_t d)
{
    double values[4] = {double(a), count >= 2 ? double(b) : 0.0, count >= 3 ? double(c) : 0.0,
                        count >= 4 ? double(d) : 0.0};
    return WriteValues(index, values, 4);
}

bool Shader_SetUniformF(int32_t index, int32_t count, float a, float b, float c, float d)
{
    double values[4] = {double(a), count >= 2 ? double(b) : 0.0, count >= 3 ? double(c) : 0.0,
                        count >= 4 ? double(d) : 0.0};
    return WriteValues(index, values, 4);
}

bool Shader_SetUniformData(int32_t index, const float* data)
{
    CShader* shader = g_CurrentShader;
    if (shader == nullptr || shader->program == nullptr || index < 0 ||
        size_t(index) >= shader->program->uniforms.size() || data == nullptr)
        return false;
    size_t count = size_t(shader->program->uniforms[size_t(index)].registerCount) * 4;
    std::vector<double> values(data, data + count);
    return WriteValues(index, values.data(), count);
}

bool Shader_SetUniformMatrices(int32_t index, int32_t matrixCount, const float* data)
{
    if (matrixCount <= 0 || data == nullptr) return false;
    size_t count = size_t(matrixCount) * 16;
    std::vector<double> values(data, data + count);
    return WriteValues(index, values.data(), count);
}

bool Shader_WriteMatrices()
{
    CShader* shader = g_CurrentShader;
    if (shader == nullptr || shader->program == nullptr) return false;
    double values[MATRIX_COUNT * 16];
    for (int32_t m = 0; m < MATRIX_COUNT; ++m)
        MatrixValues(shader, g_D3DMatrices[m], values + m * 16);
    return WriteValues(shader->matricesUniform, values, MATRIX_COUNT * 16);
}

bool Shader_WriteWorldMatrix()
{
    CShader* shader = g_CurrentShader;
    if (shader == nullptr || shader->program == nullptr) return false;
    double values[16];
    MatrixValues(shader, g_D3DMatrices[MATRIX_WORLD], values);
    return WriteValues(shader->matricesUniform, values, 16);
}

void Shader_SetTranslator(ShaderTranslator translator)
{
    g_Translator = translator != nullptr ? translator : ShaderTranslate;
}
