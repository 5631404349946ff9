// Writing a benchmark's game with the builder's writers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Game.h"

namespace bench {

// Builds the game and writes it to `path`; false (with the builder's errors on stderr) otherwise.
inline bool WriteGame(const gamebuild::GameDesc& game, const std::string& path)
{
    // As the builder tool does: the compiled form names the built-in variables and constants as the
    // run-time knows them (without, `noone` would compile as a variable).
    static bool prepared = false;
    if (!prepared) gamebuild::PrepareCompiler();
    prepared = true;
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

// The room of a scene benchmark: black, 60 steps a second, named room_bench.
inline gamebuild::RoomDesc BlackRoom(int32_t width, int32_t height)
{
    gamebuild::RoomDesc room;
    room.name = "room_bench";
    room.width = width;
    room.height = height;
    room.speed = 60;
    room.colour = 0;
    return room;
}

// A sprite of one frame filled with one colour, its box its only shape (no masks, not precise); the
// picture is named as the sprite without its "spr_".
inline gamebuild::SpriteDesc SolidSprite(const std::string& name, int32_t width, int32_t height,
                                         uint32_t pixel)
{
    gamebuild::SpriteDesc sprite;
    sprite.name = name;
    sprite.frames = {gamebuild::PictureDesc{name.substr(name.rfind('_') + 1), width, height,
                                            std::vector<uint32_t>(size_t(width) * size_t(height), pixel)}};
    sprite.precise = false;
    sprite.masks = gamebuild::SpriteMasks::None;
    return sprite;
}

} // namespace bench
