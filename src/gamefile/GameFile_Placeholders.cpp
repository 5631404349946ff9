// Routines of other areas that the game-file loader calls, standing in until those areas read
// their chunks: a reset of a table that is still empty, a reader that skips its chunk. A skipped
// chunk that holds anything is logged once, by tag, so a game that needs sprites or sounds is never
// played without them unnoticed. Each entry goes when its area defines the real routine.
#include "base/Base_Console.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"

namespace {

// The main pass has checked the chunk's count table; an empty table skips nothing.
bool SkipChunk(GameFile& file, uint32_t body, uint32_t length, const char* tag, const char* what)
{
    GameFileCountTable table;
    if (GameFile_ReadCountTable(file, body, length, table) && table.count > 0)
        MainConsole->Output("Chunk %s skipped: %u %s not loaded yet\n", tag, table.count, what);
    return true;
}

} // namespace

// Chunk readers that stand in until their areas read the chunk.

bool Shader_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "SHDR", "shaders");
}
