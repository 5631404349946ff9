#include "gamebuild/GameBuild_Game.h"

#include <set>

#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {
namespace {

std::vector<std::string> UsualOrder(const GameDesc& game)
{
    std::vector<std::string> order = {game.header.tag};
    if (game.hasOptions) order.push_back("OPTN");
    if (!game.extensions.empty()) order.push_back("EXTN");
    for (const RawChunkDesc& chunk : game.rawChunks) order.push_back(chunk.tag);
    if (!game.sprites.empty()) order.push_back("SPRT");
    if (!game.sounds.empty()) order.insert(order.end(), {"SOND", "AUDO"});
    if (!game.backgrounds.empty()) order.push_back("BGND");
    if (!game.fonts.empty()) order.push_back("FONT");
    if (!game.textures.Empty()) order.insert(order.end(), {"TPAG", "TXTR"});
    if (!game.paths.empty()) order.push_back("PATH");
    if (!game.scripts.empty()) order.push_back("SCPT");
    if (!game.shaders.empty()) order.push_back("SHDR");
    if (!game.timeLines.empty()) order.push_back("TMLN");
    if (!game.objects.empty()) order.push_back("OBJT");
    if (!game.rooms.empty()) order.push_back("ROOM");
    if (game.compiledCode) order.insert(order.end(), {"CODE", "VARI", "FUNC"});
    order.push_back("STRG");
    return order;
}

// What the sprites and backgrounds chunks leave to fill in once the page records are placed.
struct SpritePages {
    std::vector<std::vector<int32_t>> framePictures;
    std::vector<int32_t> backgroundPictures;
    std::vector<int32_t> fontPictures;
    std::vector<std::pair<uint32_t, int32_t>> frameWords;
    uint32_t pageRecords = 0;
    bool pagesWritten = false;
};

// A chunk the description itself holds (not a raw one); false when it holds none of the tag.
bool WriteDescribedChunk(ImageWriter& image, const GameDesc& game, GameCode& code, SpritePages& sprites,
                         const std::string& tag, std::set<std::string>& done)
{
    if (done.count(tag) != 0) return false;
    done.insert(tag);
    if (tag == "SCPT" && !game.scripts.empty()) WriteScriptsChunk(image, game, code);
    else if (tag == "PATH" && !game.paths.empty()) WritePathsChunk(image, game);
    else if (tag == "SHDR" && !game.shaders.empty()) WriteShadersChunk(image, game);
    else if (tag == "TMLN" && !game.timeLines.empty()) WriteTimeLinesChunk(image, game, code);
    else if (tag == "OBJT" && !game.objects.empty()) WriteObjectsChunk(image, game, code);
    else if (tag == "ROOM" && !game.rooms.empty()) WriteRoomsChunk(image, game, code);
    else if (tag == "CODE" && game.compiledCode) WriteCodeChunk(image, code);
    else if (tag == "VARI" && game.compiledCode) WriteVariablesChunk(image, code, game);
    else if (tag == "FUNC" && game.compiledCode) WriteFunctionsChunk(image, code, game);
    else if (tag == "SPRT" && !game.sprites.empty())
        WriteSpritesChunk(image, game, sprites.framePictures, sprites.frameWords);
    else if (tag == "BGND" && !game.backgrounds.empty())
        WriteBackgroundsChunk(image, game, sprites.backgroundPictures, sprites.frameWords);
    else if (tag == "FONT" && !game.fonts.empty())
        WriteFontsChunk(image, game, sprites.fontPictures, sprites.frameWords);
    else if (tag == "TPAG" && !game.textures.Empty()) {
        sprites.pageRecords = WriteTexturePagesChunk(image, game.textures);
        sprites.pagesWritten = true;
    }
    else if (tag == "EXTN" && !game.extensions.empty()) WriteExtensionsChunk(image, game);
    else if (tag == "SOND" && !game.sounds.empty()) WriteSoundsChunk(image, game);
    else if (tag == "AUDO" && !game.sounds.empty()) WriteAudioChunk(image, game);
    else if (tag == "TXTR" && !game.textures.Empty()) WriteTexturesChunk(image, game.textures);
    else {
        done.erase(tag);
        return false;
    }
    return true;
}

void CheckCodeForms(const GameDesc& game, ImageWriter& image)
{
    if (game.compiledCode) return;
    for (size_t i = 0; i < game.scripts.size(); ++i)
        if (game.scripts[i].code.isAssembly) image.Error("scripts[" + std::to_string(i) + "]: assembly needs a game of compiled code");
    for (size_t i = 0; i < game.objects.size(); ++i)
        for (size_t k = 0; k < game.objects[i].events.size(); ++k)
            if (game.objects[i].events[k].code.isAssembly)
                image.Error("objects[" + std::to_string(i) + "].events[" + std::to_string(k) + "]: assembly needs a game of compiled code");
    for (size_t i = 0; i < game.timeLines.size(); ++i)
        for (size_t k = 0; k < game.timeLines[i].moments.size(); ++k)
            if (game.timeLines[i].moments[k].code.isAssembly)
                image.Error("timelines[" + std::to_string(i) + "].moments[" + std::to_string(k) + "]: assembly needs a game of compiled code");
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

bool BuildGame(const GameDesc& description, std::vector<uint8_t>& out, std::string& errors)
{
    GameDesc game = description;
    AssignRoomIds(game);
    SpritePages sprites;
    sprites.framePictures = AddSpritePictures(game);
    sprites.backgroundPictures = AddBackgroundPictures(game);
    sprites.fontPictures = AddFontPictures(game);
    ImageWriter image;
    for (const std::string& text : game.extraStrings) image.StringIndex(text);
    CheckCodeForms(game, image);
    CheckRooms(game, image);
    GameCode code;
    if (game.compiledCode) CompileGameCode(game, image, code);
    std::vector<bool> written(game.rawChunks.size(), false);
    std::set<std::string> described;
    bool headerDone = false, optionsDone = false;
    for (const std::string& tag : game.chunkOrder.empty() ? UsualOrder(game) : game.chunkOrder) {
        // Raw chunks come first, so that a test can put a chunk of any tag anywhere.
        if (WriteNextRaw(image, game, tag, written)) continue;
        if (WriteDescribedChunk(image, game, code, sprites, tag, described)) continue;
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
    if (!sprites.frameWords.empty() && !sprites.pagesWritten)
        image.Error("sprites, backgrounds and fonts: their pictures need the texture-page chunk TPAG");
    else PatchSpriteFrames(image, sprites.frameWords, sprites.pageRecords);
    return image.Finish(out, errors);
}

} // namespace gamebuild
