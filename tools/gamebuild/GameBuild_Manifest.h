// The manifest: a JSON description of a game (README.md gives its format).
#pragma once

#include <string>

#include "gamebuild/GameBuild_Game.h"

namespace gamebuild {

// Reads a manifest's text into `game`; `folder` is where the files it names lie. False, with every
// problem found in `errors` (one per line, each naming its place in the manifest), when the text is
// not a valid manifest.
bool ReadManifest(const std::string& text, const std::string& folder, GameDesc& game, std::string& errors);

// Reads the file; a folder stands for the "game.json" inside it.
bool ReadManifestFile(const std::string& path, GameDesc& game, std::string& errors);

} // namespace gamebuild
