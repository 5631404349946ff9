// The shader chunk: a count table of ten-word records (name, kind, eight source texts). Texts go to
// the string pool, so each offset names NUL-terminated characters; a missing source is offset 0.
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {

void WriteShadersChunk(ImageWriter& image, const GameDesc& game)
{
    image.BeginChunk("SHDR");
    image.U32(static_cast<uint32_t>(game.shaders.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(game.shaders.size()));
    for (size_t i = 0; i < game.shaders.size(); ++i) {
        const ShaderDesc& shader = game.shaders[i];
        if (!shader.present) continue;
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        image.StringRef(shader.name);
        image.I32(shader.kind);
        for (size_t k = 0; k < shader.sources.size(); ++k) {
            if (shader.hasSource[k]) image.StringRef(shader.sources[k]);
            else image.U32(0);
        }
    }
    image.EndChunk();
}

} // namespace gamebuild
