// gamebuild: a described game (a folder with its "game.json" manifest, or the manifest itself) to a
// game file.
//     gamebuild GAME -o OUTPUT
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "gamebuild/GameBuild_Chunks.h"
#include "gamebuild/GameBuild_Game.h"
#include "gamebuild/GameBuild_Manifest.h"

namespace {

// The run-time's registration logs what it does; the tool prints only problems.
struct QuietConsole : tagIConsole {
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

int Usage()
{
    std::fprintf(stderr, "usage: gamebuild GAME_FOLDER_OR_MANIFEST -o GAME_FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) output = argv[++i];
        else if (input.empty() && argv[i][0] != '-') input = argv[i];
        else return Usage();
    }
    if (input.empty() || output.empty()) return Usage();

    QuietConsole quiet;
    MainConsole = &quiet;
    ScriptConsole = &quiet;
    gamebuild::PrepareCompiler();

    gamebuild::GameDesc game;
    std::string errors;
    std::vector<uint8_t> bytes;
    if (!gamebuild::ReadManifestFile(input, game, errors) || !gamebuild::BuildGame(game, bytes, errors)) {
        std::fprintf(stderr, "gamebuild: %s:\n%s", input.c_str(), errors.c_str());
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "gamebuild: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
