// Game shaders: the records of the shader chunk, their compiled programs and uniform tables, the
// pending and current shader, and writes to the current shader's constants.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Graphics_ShaderTranslate.h"

class D3DShaderProgram;
class GameFile;

// One constant of a compiled program. For a block member the register is its constant register
// (its byte offset in the stage's block over 16) and the count its size in registers; for a sampler
// the register is its texture stage and the count 1.
struct ShaderUniform {
    std::string name;
    int32_t handle = 0; // its index in the table
    bool vertex = true; // vertex constants, else fragment constants
    int32_t registerIndex = 0;
    int32_t registerCount = 0;
    int32_t offset = 0; // bytes into the stage's block, where writes go
    int32_t valueClass = 0; // columns: 1 a vector or scalar, more a matrix
    int32_t valueType = SHADER_VALUE_FLOAT;
    int32_t size = 0; // bytes (0 for a sampler)
    bool sampler = false;
    int32_t products = 0; // SHADER_PRODUCT_* of the code's products of the matrix and a vector
};

struct ShaderProgram {
    D3DShaderProgram* device = nullptr; // none without a device
    std::vector<ShaderUniform> uniforms; // vertex constants first
    std::vector<uint8_t> constants[2];   // the vertex and fragment blocks as last written
};

struct ShaderSourceText {
    bool present = false;
    std::string text;
};

struct CShader {
    int32_t index = -1;
    std::string name;
    int32_t kind = 0;
    ShaderSourceText sources[8];
    ShaderProgram* program = nullptr; // null until compiled, or when the compile failed
    int32_t baseTextureRegister = -1;
    int32_t matricesUniform = -1;
    bool transposeMatrices = false; // the built-in matrices go to the shader transposed
};

// The chunk entry as read from the file: a name, a kind, eight sources (null offset: none).
struct ShaderChunkEntry {
    const char* name = nullptr;
    int32_t kind = 0;
    const char* sources[8] = {};
};

// Reads every entry of the chunk (a null slot stays present as an entry without a name and with
// `empty` set). False when the table, an entry or a text lies outside the file or has no terminator.
struct ShaderChunkSlot {
    bool empty = true;
    ShaderChunkEntry entry;
};
bool ShaderChunk_Read(const GameFile& file, uint32_t body, uint32_t length, std::vector<ShaderChunkSlot>& out);

bool Shader_Load(GameFile& file, uint32_t body, uint32_t length);
CShader* Shader_Create(const char* name, int32_t kind, const char* const sources[8]);
// False, with no program, when the translator or the device's driver refuses either stage; the
// failure is a fatal error naming the shader and the stage.
bool Shader_Compile(CShader* shader);
bool Shader_Exists(int32_t index);
CShader* Shader_Get(int32_t index);
int32_t Shader_Count();
// Frees every shader and forgets the pending and current one.
void Shader_FreeAll();

void Shader_SetPending(CShader* shader);
void Shader_ApplyCurrent();
CShader* Shader_Current();
CShader* Shader_Pending();
bool Shader_IsDirty();

// Index in the uniform table of "_" + name, else of name; -1 without a program or a match.
int32_t Shader_GetUniform(const CShader* shader, const char* name);
// The register of the entry the same search finds; -1 when none.
int32_t Shader_GetSamplerIndex(const CShader* shader, const char* name);

// Writes to the current shader's constants; false (nothing written) without a current compiled
// shader or for an index outside its table. Values beyond the uniform's size are dropped, and each
// is converted to the uniform's element type.
bool Shader_SetUniformI(int32_t index, int32_t count, int32_t a, int32_t b, int32_t c, int32_t d);
bool Shader_SetUniformF(int32_t index, int32_t count, float a, float b, float c, float d);
bool Shader_SetUniformData(int32_t index, const float* data);
bool Shader_SetUniformMatrices(int32_t index, int32_t matrixCount, const float* data);
// The five built-in matrices at the current shader's matrices uniform, in the layout its code
// multiplies them in; on selecting a shader and whenever a transform changes while it is current, so
// that a shader chosen before the target or the view changes draws with the ones in force. False,
// with nothing written, without a current compiled shader or matrices uniform.
bool Shader_WriteMatrices();
// The world matrix as one matrix at the current shader's matrices uniform, laid out as the
// built-in matrices are; false, with nothing written, without a current compiled shader.
bool Shader_WriteWorldMatrix();

// The translator the compile uses: the real one unless a test or fuzz target records instead
// (null restores it).
using ShaderTranslator = bool (*)(const char* vertexHlsl, const char* fragmentHlsl, ShaderTranslation& out);
void Shader_SetTranslator(ShaderTranslator translator);

// The shader being compiled, for the error header; stage 1 fragment, 0 vertex.
extern const char* g_CurrentShaderName;
extern uint8_t g_CurrentShaderIsFragment;
