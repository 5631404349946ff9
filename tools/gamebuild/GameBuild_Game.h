// A described game: what the builder turns into a game file. The manifest (GameBuild_Manifest.h)
// fills it; tests may fill it directly. Defaults give a small valid game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gamebuild {

struct HeaderDesc {
    std::string tag = "GEN8";     // "GEN8", or the older "GEN7" and "GENL"
    int32_t version = 13;         // the byte at offset 1
    uint8_t debugByte = 1;        // 0: built for debugging
    std::string name = "Game";
    std::string configName = "Default";
    bool hasSaveFolder = true;
    std::string saveFolder = "Game";
    uint32_t lastInstanceId = 100000;
    uint32_t lastTileId = 10000000;
    uint32_t gameId = 0;
    uint64_t keptWords[2] = {0, 0};
    int32_t windowWidth = 640;    // version 8 on
    int32_t windowHeight = 480;
    uint32_t infoFlags = 0;
    bool hasDisplayName = true;   // version 10 on
    std::string displayName = "Game";
    uint64_t kept104 = 0;         // version 11 on
    uint64_t optionBits = 0;      // version 12 on
    uint32_t steamAppId = 0;      // version 13 on
    std::vector<int32_t> roomOrder;
};

constexpr int32_t OPTION_WORDS = 35; // words 0 to 34; word 35 counts the constants

struct ConstantDesc {
    std::string name;
    std::string value;
    bool hasName = true;   // false: offset 0
    bool hasValue = true;
};

struct OptionsDesc {
    // The words as the run-time's reset leaves them, so an untouched description changes nothing.
    uint32_t words[OPTION_WORDS] = {0, 0, 0, 0, 1, 100, 0, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 1, 1, 1,
                                    1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 255, 1, 0, 0, 0, 0, 0};
    std::vector<ConstantDesc> constants;
};

// A chunk given as bytes (any tag): for chunks the builder has no writer for, and for tests.
struct RawChunkDesc {
    std::string tag;
    std::vector<uint8_t> body;
};

struct GameDesc {
    HeaderDesc header;
    bool hasOptions = true;
    OptionsDesc options;
    std::vector<std::string> extraStrings; // strings for the string table beyond those referred to
    std::vector<RawChunkDesc> rawChunks;
    // The order of the chunks by tag; empty gives the usual order (header, options, raw chunks,
    // strings last). A tag named here that the game does not hold is an error.
    std::vector<std::string> chunkOrder;
};

// The game file of a description. False, with the problems in `errors`, when it cannot be built.
bool BuildGame(const GameDesc& game, std::vector<uint8_t>& out, std::string& errors);

} // namespace gamebuild
