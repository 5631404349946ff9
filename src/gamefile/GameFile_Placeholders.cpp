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

// Stand in until the background table is loaded.
void Background_Reset() {}
// Stand in until the path table is loaded.
void Path_Reset() {}
// Stand in until the font table is loaded.
void Font_Clear() {}
// Stand in until the time-line table is loaded.
void TimeLine_Reset() {}

// Chunk readers that stand in until their areas read the chunk.

bool Background_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "BGND", "backgrounds");
}

bool Path_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "PATH", "paths");
}

bool Shader_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "SHDR", "shaders");
}

bool Font_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "FONT", "fonts");
}

bool TimeLine_Load(GameFile& file, uint32_t body, uint32_t length)
{
    return SkipChunk(file, body, length, "TMLN", "time lines");
}


// Stands in until the platform services exist; screen orientation has no meaning on this platform.
void Wexo_PlatformStepNop(bool, bool, bool, bool) {}
