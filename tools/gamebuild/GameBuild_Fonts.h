// The manifest's "fonts" array and "fontCharacters" (GameBuild_Fonts.cpp also writes the fonts chunk).
#pragma once

#include <string>
#include <vector>

#include "gamebuild/GameBuild_Game.h"

namespace gamebuild {

void ReadFontsManifest(json_object* value, const std::string& folder, std::vector<FontDesc>& fonts,
                       const ManifestFail& fail);
void ReadFontCharactersManifest(json_object* value, std::vector<int32_t>& codes, const ManifestFail& fail);

} // namespace gamebuild
