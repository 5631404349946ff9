// Writing a benchmark's game with the builder's writers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "gamebuild/GameBuild_Game.h"

namespace bench {

// Builds the game and writes it to `path`; false (with the builder's errors on stderr) otherwise.
inline bool WriteGame(const gamebuild::GameDesc& game, const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string errors;
    if (!gamebuild::BuildGame(game, bytes, errors)) {
        std::fprintf(stderr, "%s", errors.c_str());
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr) std::fclose(file);
    return written;
}

} // namespace bench
