// The shader chunk reader over arbitrary bytes: nothing may be read outside the file, whatever the
// count, entry offsets and text offsets say. Compiling goes to a recorder that touches every text
// handed to it, so the reader is what is fuzzed, not the HLSL compiler.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../../TestSupport_ChunkFuzz.h"
#include "graphics/Graphics_Shader.h"

namespace {

bool TouchTexts(const char* vertex, const char* fragment, ShaderTranslation& out)
{
    volatile size_t total = std::strlen(vertex) + std::strlen(fragment);
    (void)total;
    out = ShaderTranslation();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameFile file;
    if (!testsupport::ChunkFuzzFile(file, "SHDR", data, size)) return 0;
    Shader_SetTranslator(TouchTexts);
    Shader_Load(file, 16, static_cast<uint32_t>(size));
    for (int32_t i = 0; i < Shader_Count(); ++i) {
        const CShader* shader = Shader_Get(i);
        for (const ShaderSourceText& source : shader->sources) {
            volatile size_t length = source.text.size();
            (void)length;
        }
    }
    Shader_FreeAll();
    return 0;
}
