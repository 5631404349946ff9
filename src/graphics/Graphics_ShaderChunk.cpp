// The shader chunk: a count table of entries, each ten words (name, kind, eight source texts), every
// text NUL-terminated inside the file. Read over the game-file view; nothing in the image changes.
#include <string>

#include "gamefile/GameFile_View.h"
#include "graphics/Graphics_Shader.h"

namespace {

constexpr uint32_t SHADER_ENTRY_BYTES = 40;

bool ReadEntry(const GameFileEntry& record, ShaderChunkEntry& entry)
{
    const GameFile& file = record.File();
    uint32_t at = record.At();
    uint32_t name = 0;
    if (!record.Holds("its record", at, SHADER_ENTRY_BYTES)) return false;
    file.U32(at, name);
    file.I32(at + 4, entry.kind);
    if (!record.String("its name", name, entry.name)) return false;
    for (uint32_t i = 0; i < 8; ++i) {
        uint32_t offset = 0;
        file.U32(at + 8 + 4 * i, offset);
        if (!record.String("its source " + std::to_string(i), offset, entry.sources[i])) return false;
    }
    return true;
}

} // namespace

bool ShaderChunk_Read(const GameFile& file, uint32_t body, uint32_t length, std::vector<ShaderChunkSlot>& out)
{
    out.clear();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "SHDR", body, length, table)) return false;
    out.resize(table.count);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        if (at == 0) continue;
        out[i].empty = false;
        if (!ReadEntry(GameFileEntry(file, "SHDR", "shader " + std::to_string(i), at), out[i].entry)) {
            out.clear();
            return false;
        }
    }
    return true;
}
