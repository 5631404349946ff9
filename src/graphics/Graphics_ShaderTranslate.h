// Game shaders are Direct3D 9 HLSL (vertex "vs_2_a", fragment "ps_2_b"); the device runs GLSL 330.
// The translator takes a vertex and fragment pair through glslang's HLSL front end to SPIR-V and
// through SPIRV-Cross to GLSL, and reflects each stage's constants into one uniform list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Element kinds of a constant, for converting written values.
enum : int32_t { SHADER_VALUE_FLOAT = 0, SHADER_VALUE_INT = 1, SHADER_VALUE_UINT = 2, SHADER_VALUE_BOOL = 3 };

// The names of the stages' constant blocks in the GLSL the translator writes; the device binds
// them to uniform-buffer points 0 (vertex) and 1 (fragment).
constexpr const char* SHADER_VERTEX_BLOCK = "kv_VertexConstants";
constexpr const char* SHADER_FRAGMENT_BLOCK = "kv_FragmentConstants";

// How the code multiplies a matrix constant with a vector, as a mask. ROWS: the vector times the
// matrix whose rows fill the constant's registers in order (the way the device keeps its own
// matrices); COLUMNS: the same with its columns in the registers. Under the default column packing
// mul(M, v) is ROWS and mul(v, M) is COLUMNS; row_major turns both.
enum : int32_t { SHADER_PRODUCT_ROWS = 1, SHADER_PRODUCT_COLUMNS = 2 };

// One constant: a member of a stage's block (offset and size in bytes within the block, std140) or
// a sampler (offset: its texture unit, size 0).
struct ShaderConstantInfo {
    std::string name;
    bool vertex = true;
    bool sampler = false;
    int32_t offset = 0;
    int32_t size = 0;
    int32_t valueKind = SHADER_VALUE_FLOAT;
    int32_t columns = 1; // 1 for a vector or scalar
    int32_t rows = 1;    // the vector size
    int32_t products = 0; // SHADER_PRODUCT_* of the code's products of the matrix and a vector
};

struct ShaderTranslation {
    std::string vertexSource;   // GLSL 330
    std::string fragmentSource; // GLSL 330
    std::vector<ShaderConstantInfo> constants; // vertex block, vertex samplers, fragment block, fragment samplers
    uint32_t blockSize[2] = {0, 0};            // bytes of the vertex and fragment blocks
    int32_t failedStage = -1;                  // 0 vertex, 1 fragment, -1 none
    std::string log;                           // the front end's messages of the failed stage
};

// Translates a pair; false with failedStage and log set when glslang reports an error (warnings
// alone do not fail) or the later steps cannot express the program.
bool ShaderTranslate(const char* vertexHlsl, const char* fragmentHlsl, ShaderTranslation& out);

// The library's process set-up and tear-down, once per run.
void ShaderTranslate_Init();
void ShaderTranslate_Shutdown();
