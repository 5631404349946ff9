// The extension chunk as the builder writes it, read back; malformed chunks refused whatever their
// offsets, counts, strings and ids say.
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "ExtensionTestSupport.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "platform/Platform_MemoryManager.h"

namespace {

const char* const PACKAGES = R"([null, {"name": "Pkg", "folder": "Dir", "files": [
    {"name": "lib\\ext.dll", "init": "ext_init", "final": "ext_final", "functions": [
      {"name": "ext_add", "external": "add", "id": 3, "convention": "stdcall", "arguments": ["real", "string"],
       "returns": "string"},
      {"name": "ext_many", "id": 7, "arguments": ["string", "string", "string", "string", "string", "string",
       "string", "string", "string", "string", "string", "string", "string", "string", "string", "string", "string"]}]}]}])";

class ExtensionChunk : public testing::Test {
protected:
    void TearDown() override { Extension_Clear(); }
    GameFile m_File;
};

TEST_F(ExtensionChunk, ReadsPackagesFilesAndFunctions)
{
    ASSERT_TRUE(extensiontest::LoadExtensions(m_File, extensiontest::BuildExtensions(PACKAGES)));
    ASSERT_EQ(2, Extension_PackageCount());
    EXPECT_EQ(nullptr, Extension_GetPackage(0));
    const CExtensionPackage* package = Extension_GetPackage(1);
    ASSERT_NE(nullptr, package);
    EXPECT_EQ("Dir", package->folderName);
    const CExtensionFile* file = package->files.at(0);
    EXPECT_EQ("lib\\ext.dll", file->fileName);
    EXPECT_EQ(EXTENSION_FILE_LIBRARY, file->kind);
    EXPECT_EQ("ext_init", file->initName);
    EXPECT_EQ("ext_final", file->finalName);
    const CExtensionFunction* add = file->functions.at(0);
    EXPECT_EQ("add", add->externalName);
    EXPECT_EQ(11, add->kind);
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->returnType);
    EXPECT_EQ(EXTENSION_TYPE_STRING, add->GetArgType(1));
    const CExtensionFunction* many = file->functions.at(1);
    EXPECT_EQ("ext_many", many->externalName) << "the builder's default: the name";
    EXPECT_EQ(17, many->argCount);
    // The 17th type has no slot: it reads as real, as any slot beyond does.
    EXPECT_EQ(EXTENSION_TYPE_STRING, many->GetArgType(15));
    EXPECT_EQ(EXTENSION_TYPE_REAL, many->GetArgType(16));

    EXPECT_EQ(3, Extension_FindFunction("ext_add"));
    EXPECT_EQ(-1, Extension_FindFunction("add")) << "scripts call the name, not the export";
    EXPECT_EQ(-1, Extension_FindFunction(nullptr));
    EXPECT_EQ(2, Extension_GetFunctionArgCount(3));
    EXPECT_EQ(-100, Extension_GetFunctionArgCount(-100));
    EXPECT_EQ(nullptr, Extension_GetFunctionName(4));
    char* name = Extension_GetFunctionName(7);
    EXPECT_STREQ("ext_many", name);
    MemoryManager::Free(name);
}

TEST_F(ExtensionChunk, MalformedChunksAreRefused)
{
    std::vector<uint8_t> good = extensiontest::BuildExtensions(PACKAGES);
    uint32_t size = static_cast<uint32_t>(good.size());
    uint32_t body = static_cast<uint32_t>(FindChunk(good, "EXTN")) + 8;
    uint32_t package = ReadWord(good, body + 8), file = ReadWord(good, package + 12), function = ReadWord(good, file + 20);
    const struct {
        const char* what;
        uint32_t at;
        uint32_t value;
    } cases[] = {
        {"package count beyond the chunk", body, 1000},
        {"package offset past the end", body + 8, size + 4},
        {"package record cut by the end", body + 8, size - 8},
        {"folder name past the end", package, size + 100},
        {"package name without a terminator", package + 4, size - 1},
        {"file count too large", package + 8, 0x40000000},
        {"file offset past the end", package + 12, 0xFFFFFFF0},
        {"function count past the end", file + 16, 1000},
        {"function offset past the end", file + 20, size},
        {"function name past the end", function, 0xFFFFFFFF},
        {"external name past the end", function + 16, size + 1},
        {"negative id", function + 4, 0xFFFFFFFF},
        {"id above 2^20", function + 4, (1u << 20) + 1},
        {"huge argument count", function + 20, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, c.at, c.value);
        if (c.at == package + 4) bytes.back() = 'x'; // the file's last text loses its terminator
        testsupport::ConsoleCapture log;
        EXPECT_FALSE(extensiontest::LoadExtensions(m_File, bytes)) << c.what;
        EXPECT_NE(std::string::npos, log.console.text.find("Malformed Chunk EXTN")) << c.what << ": " << log.console.text;
    }
    WriteWord(good, function + 4, 1u << 20);
    EXPECT_TRUE(extensiontest::LoadExtensions(m_File, good)) << "the largest id";
    EXPECT_TRUE(extensiontest::LoadExtensions(m_File, extensiontest::BuildExtensions("[]")));
    EXPECT_EQ(0, Extension_PackageCount());
}

// Packages may share a file table: 4000 packages naming one table of 2000 files would make far more
// objects than the file holds records. The chunk is refused instead.
TEST_F(ExtensionChunk, SharedRecordsCannotMultiplyTheObjects)
{
    std::string packages = "[{\"files\": [{}" ;
    for (int i = 1; i < 2000; ++i) packages += ", {}";
    packages += "]}";
    for (int i = 1; i < 4000; ++i) packages += ", {}";
    std::vector<uint8_t> bytes = extensiontest::BuildExtensions(packages + "]");
    uint32_t body = static_cast<uint32_t>(FindChunk(bytes, "EXTN")) + 8;
    for (uint32_t p = 1; p < 4000; ++p) WriteWord(bytes, body + 4 + 4 * p, ReadWord(bytes, body + 4));
    testsupport::ConsoleCapture log;
    EXPECT_FALSE(extensiontest::LoadExtensions(m_File, bytes));
    EXPECT_NE(std::string::npos, log.console.text.find("more files than the file can hold"));
}

TEST(ExtensionManifest, MistakesNameTheirPlace)
{
    const char* manifest = R"({"extensions": [{"files": [{"kind": "one", "functions": [
        {"returns": "text", "arguments": ["real", 2, "int"], "id": 1.5, "extra": 0}]}], "size": 1}, 3]})";
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(manifest, ".", game, errors));
    for (const char* expected :
         {"files[0].kind: expected a whole number", "functions[0].returns: unknown name", "arguments[2]: unknown name",
          "functions[0].id: expected a whole number", "functions[0].extra: unknown key", "extensions[0].size: unknown key",
          "extensions[1]: expected an object"})
        EXPECT_NE(std::string::npos, errors.find(expected)) << expected << "\nin:\n" << errors;
}

} // namespace
