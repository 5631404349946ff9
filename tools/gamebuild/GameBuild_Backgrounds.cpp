// The backgrounds chunk ("BGND"): one record per background, naming its picture's texture-page
// record, which is known only once "TPAG" is written.
#include "gamebuild/GameBuild_Chunks.h"

namespace gamebuild {

std::vector<int32_t> AddBackgroundPictures(GameDesc& game)
{
    std::vector<int32_t> pictures;
    for (const BackgroundDesc& background : game.backgrounds) {
        if (!background.present || !background.hasPicture) {
            pictures.push_back(-1);
            continue;
        }
        pictures.push_back(int32_t(game.textures.pictures.size()));
        game.textures.pictures.push_back(background.picture);
    }
    return pictures;
}

void WriteBackgroundsChunk(ImageWriter& image, const GameDesc& game, const std::vector<int32_t>& pictures,
                           std::vector<std::pair<uint32_t, int32_t>>& pageWords)
{
    image.BeginChunk("BGND");
    image.U32(uint32_t(game.backgrounds.size()));
    std::vector<uint32_t> tableWords;
    for (size_t i = 0; i < game.backgrounds.size(); ++i) {
        tableWords.push_back(image.Position());
        image.U32(0);
    }
    for (size_t i = 0; i < game.backgrounds.size(); ++i) {
        const BackgroundDesc& b = game.backgrounds[i];
        if (!b.present) continue;
        image.PatchU32(tableWords[i], image.Position());
        image.StringRef(b.name);
        for (bool flag : {b.transparent, b.smooth, b.preload})
            image.U32(flag ? 1 : 0);
        if (pictures[i] >= 0) pageWords.emplace_back(image.Position(), pictures[i]);
        image.U32(0);
    }
    image.EndChunk();
}

} // namespace gamebuild
