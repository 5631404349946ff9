// The manifest's "sprites" array (GameBuild_Sprites.cpp also writes the sprites chunk).
#pragma once

#include <string>
#include <vector>

#include "gamebuild/GameBuild_Game.h"

namespace gamebuild {

void ReadSpritesManifest(json_object* value, const std::string& folder, std::vector<SpriteDesc>& sprites,
                         const ManifestFail& fail);

} // namespace gamebuild
