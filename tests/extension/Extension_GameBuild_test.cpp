// The builder's "extensions": manifests into extension chunks the run-time reads back.
#include <gtest/gtest.h>

#include "../gamefile/GameFileTestSupport.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamebuild/GameBuild_Manifest.h"
#include "gamefile/GameFile_Loader.h"

TEST(ExtensionGameBuild, PackagesOfAManifestLoadBack)
{
    const char* manifest = R"({"extensions": [null, {"name": "Pkg", "folder": "Dir", "files": [
        {"name": "lib.dll", "kind": 1, "init": "f_init", "final": "f_final", "functions": [
          {"name": "f_add", "external": "add", "id": 4, "convention": "stdcall", "arguments": ["real", "string"],
           "returns": "string"},
          {"name": "f_init", "id": 5, "convention": 12}]}]}]})";
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(manifest, ".", game, errors)) << errors;
    GameFile file;
    LoadInto(file, BuildBytes(game));
    ASSERT_TRUE(LoadGameChunks(file));
    ASSERT_EQ(2, Extension_PackageCount());
    EXPECT_EQ(nullptr, Extension_GetPackage(0));
    const CExtensionPackage* package = Extension_GetPackage(1);
    ASSERT_NE(nullptr, package);
    EXPECT_EQ("Dir", package->folderName);
    const CExtensionFile* lib = package->files.at(0);
    EXPECT_EQ("lib.dll", lib->fileName);
    EXPECT_EQ("f_init", lib->initName);
    EXPECT_EQ("f_final", lib->finalName);
    const CExtensionFunction* add = lib->functions.at(0);
    EXPECT_EQ("add", add->externalName);
    EXPECT_EQ(11, add->kind);
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->returnType);
    EXPECT_EQ(EXTENSION_TYPE_REAL, add->GetArgType(0));
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->GetArgType(1));
    EXPECT_EQ(4, Extension_FindFunction("f_add"));
    EXPECT_EQ(0, Extension_GetFunctionArgCount(5));
    EXPECT_EQ("f_init", lib->functions.at(1)->externalName) << "the external name defaults to the name";
    Extension_Clear();
}

TEST(ExtensionGameBuild, ManifestMistakesNameTheirPlace)
{
    const char* manifest = R"({"extensions": [{"files": [{"kind": "one", "functions": [
        {"returns": "text", "arguments": ["real", 2, "int"], "id": 1.5, "extra": 0}]}], "size": 1}, 3]})";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(manifest, ".", game, errors));
    for (const char* expected :
         {"extensions[0].files[0].kind: expected a whole number", "extensions[0].files[0].functions[0].returns: unknown name",
          "extensions[0].files[0].functions[0].arguments[2]: unknown name", "functions[0].id: expected a whole number",
          "functions[0].extra: unknown key", "extensions[0].size: unknown key", "extensions[1]: expected an object"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;
}
