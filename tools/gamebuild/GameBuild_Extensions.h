// The manifest's "extensions" and the names its functions give the compiler (GameBuild_Extensions.cpp
// also writes the extension chunk).
#pragma once

#include <string>
#include <vector>

#include "gamebuild/GameBuild_Game.h"

namespace gamebuild {

void ReadExtensionsManifest(json_object* value, std::vector<ExtensionPackageDesc>& packages, const ManifestFail& fail);

// The id of the first function of the name (packages, files, functions in order), or -1; the
// argument count of the first function with the id, or -100; its name, or "".
int32_t ExtensionFunctionId(const std::vector<ExtensionPackageDesc>& packages, const char* name);
int32_t ExtensionFunctionArgCount(const std::vector<ExtensionPackageDesc>& packages, int32_t id);
std::string ExtensionFunctionName(const std::vector<ExtensionPackageDesc>& packages, int32_t id);

} // namespace gamebuild
