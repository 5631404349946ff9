// Game files holding extension packages, described as the builder's manifest "extensions" section.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../gamefile/GameFileTestSupport.h"
#include "gamebuild/GameBuild_Manifest.h"

namespace extensiontest {

inline std::vector<uint8_t> BuildExtensions(const std::string& packages)
{
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_TRUE(gamebuild::ReadManifest("{\"extensions\": " + packages + "}", ".", game, errors)) << errors;
    // The builder leaves an empty list out; a chunk of count 0 stands for it.
    if (game.extensions.empty()) game.rawChunks.push_back({"EXTN", {0, 0, 0, 0}});
    return BuildBytes(game);
}

// Both passes over a file whose only special chunk is "EXTN".
inline bool LoadExtensions(GameFile& file, const std::vector<uint8_t>& bytes)
{
    LoadInto(file, bytes);
    return LoadGameChunks(file);
}

} // namespace extensiontest
