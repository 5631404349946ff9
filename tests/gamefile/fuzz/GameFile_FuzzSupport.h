// Shared by the fuzz targets that load whole game files.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "gamefile/GameFile_View.h"

// Renames every "FUNC" chunk of the copy to "HELP" so that the main pass skips it, and returns their
// places. An unknown function name ends the program by design, which would stop the fuzzer, so the
// targets link function chunks themselves, and only when every name resolves.
inline std::vector<GameFileChunk> TakeFunctionChunks(GameFile& file, std::vector<uint8_t>& bytes)
{
    std::vector<GameFileChunk> taken;
    GameFileChunkWalk walk(file);
    if (!walk.Start()) return taken;
    GameFileChunk chunk;
    while (walk.Next(chunk)) {
        if (std::memcmp(chunk.tag, "FUNC", 4) != 0) continue;
        taken.push_back(chunk);
        std::memcpy(&bytes[chunk.body - 8], "HELP", 4);
    }
    return taken;
}
