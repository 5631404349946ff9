// The scripts chunk: a count table of records, each the script's name and then, for a game of
// compiled code, its code entry, or else the offset of its source text.
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {

void WriteScriptsChunk(ImageWriter& image, const GameDesc& game, const GameCode& code)
{
    image.BeginChunk("SCPT");
    image.U32(static_cast<uint32_t>(game.scripts.size()));
    uint32_t table = image.Position();
    image.Zeros(4 * static_cast<uint32_t>(game.scripts.size()));
    for (size_t i = 0; i < game.scripts.size(); ++i) {
        const ScriptDesc& script = game.scripts[i];
        if (!script.present) continue;
        image.PatchU32(table + 4 * static_cast<uint32_t>(i), image.Position());
        image.StringRef(script.name);
        if (game.compiledCode) image.I32(i < code.scriptEntry.size() ? code.scriptEntry[i] : -1);
        else image.StringRef(script.code.source);
    }
    image.EndChunk();
}

} // namespace gamebuild
