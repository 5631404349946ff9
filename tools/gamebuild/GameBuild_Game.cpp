#include "gamebuild/GameBuild_Game.h"

#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

std::vector<std::string> UsualOrder(const GameDesc& game)
{
    std::vector<std::string> order = {game.header.tag};
    if (game.hasOptions) order.push_back("OPTN");
    for (const RawChunkDesc& chunk : game.rawChunks) order.push_back(chunk.tag);
    order.push_back("STRG");
    return order;
}

// Writes the next raw chunk with the tag that has not been written yet; false when there is none.
bool WriteNextRaw(ImageWriter& image, const GameDesc& game, const std::string& tag, std::vector<bool>& written)
{
    for (size_t i = 0; i < game.rawChunks.size(); ++i) {
        if (written[i] || game.rawChunks[i].tag != tag) continue;
        WriteRawChunk(image, game.rawChunks[i]);
        written[i] = true;
        return true;
    }
    return false;
}

} // namespace

bool BuildGame(const GameDesc& game, std::vector<uint8_t>& out, std::string& errors)
{
    ImageWriter image;
    for (const std::string& text : game.extraStrings) image.StringIndex(text);
    std::vector<bool> written(game.rawChunks.size(), false);
    bool headerDone = false, optionsDone = false;
    for (const std::string& tag : game.chunkOrder.empty() ? UsualOrder(game) : game.chunkOrder) {
        // Raw chunks come first, so that a test can put a chunk of any tag anywhere.
        if (WriteNextRaw(image, game, tag, written)) continue;
        if (tag == game.header.tag && !headerDone) {
            WriteHeaderChunk(image, game.header);
            headerDone = true;
        } else if (tag == "OPTN" && game.hasOptions && !optionsDone) {
            WriteOptionsChunk(image, game.options);
            optionsDone = true;
        } else if (tag == "STRG") {
            WriteStringsChunk(image);
        } else {
            image.Error("the chunk order names " + tag + ", which the game does not hold (or holds fewer times)");
        }
    }
    return image.Finish(out, errors);
}

} // namespace gamebuild
