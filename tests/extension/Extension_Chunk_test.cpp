// The extension chunk: what it loads, and malformed chunks refused whatever their offsets, counts,
// strings and ids say.
#include <gtest/gtest.h>

#include "../TestSupport_Console.h"
#include "ExtensionTestSupport.h"
#include "extension/Extension_Class.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"

using extensiontest::ChunkBuilder;
using extensiontest::FileBytes;
using extensiontest::FunctionBytes;
using extensiontest::PackageBytes;

namespace {

std::vector<PackageBytes> OnePackage()
{
    FileBytes file{"lib\\ext.dll", 1, "ext_init", "ext_final", {}};
    file.functions = {{"ext_add", 3, 12, 2, "add", {2, 2}},
                      {"ext_many", 7, 11, 1, "many", std::vector<int32_t>(17, 1)}};
    return {PackageBytes{"Folder", "Pkg", {file}}};
}

bool LoadChunk(const std::vector<uint8_t>& bytes, GameFile& file)
{
    file.CopyFrom(bytes.data(), bytes.size());
    return Extension_LoadChunk(file, extensiontest::EXTN_BODY, file.Size() - extensiontest::EXTN_BODY);
}

class ExtensionChunk : public testing::Test {
protected:
    void TearDown() override { Extension_Clear(); }
    GameFile m_File;
};

TEST_F(ExtensionChunk, ReadsPackagesFilesAndFunctions)
{
    ChunkBuilder builder;
    std::vector<PackageBytes> packages = OnePackage();
    packages.insert(packages.begin(), PackageBytes{"Second", "Other", {FileBytes{}}});
    std::vector<uint8_t> bytes = builder.Build(packages);
    // An absent package keeps its slot.
    ChunkBuilder::Put(bytes, extensiontest::EXTN_BODY + 4, 0);
    ASSERT_TRUE(LoadChunk(bytes, m_File));
    ASSERT_EQ(2, Extension_PackageCount());
    EXPECT_EQ(nullptr, Extension_GetPackage(0));
    const CExtensionPackage* package = Extension_GetPackage(1);
    ASSERT_NE(nullptr, package);
    EXPECT_EQ("Folder", package->folderName);
    EXPECT_EQ("Pkg", package->name);
    ASSERT_EQ(1u, package->files.size());
    const CExtensionFile* file = package->files[0];
    EXPECT_EQ("lib\\ext.dll", file->fileName);
    EXPECT_EQ("ext_init", file->initName);
    EXPECT_EQ("ext_final", file->finalName);
    ASSERT_EQ(2u, file->functions.size());
    const CExtensionFunction* many = file->functions[1];
    EXPECT_EQ("many", many->externalName);
    EXPECT_EQ(17, many->argCount);
    // The 17th type has no slot: it reads as real, as any slot beyond reads.
    EXPECT_EQ(EXTENSION_TYPE_STRING, many->GetArgType(15));
    EXPECT_EQ(EXTENSION_TYPE_REAL, many->GetArgType(16));

    EXPECT_EQ(3, Extension_FindFunction("ext_add"));
    EXPECT_EQ(-1, Extension_FindFunction("add")) << "scripts call the name, not the export";
    EXPECT_EQ(-1, Extension_FindFunction(nullptr));
    EXPECT_EQ(2, Extension_GetFunctionArgCount(3));
    EXPECT_EQ(-100, Extension_GetFunctionArgCount(-100));
    EXPECT_EQ(-100, Extension_GetFunctionArgCount(4));
    EXPECT_EQ(nullptr, Extension_GetFunctionName(4));
    char* name = Extension_GetFunctionName(7);
    EXPECT_STREQ("ext_many", name);
    MemoryManager::Free(name);
}

TEST_F(ExtensionChunk, MalformedChunksAreRefused)
{
    ChunkBuilder builder;
    std::vector<uint8_t> good = builder.Build(OnePackage());
    uint32_t size = static_cast<uint32_t>(good.size());
    uint32_t package = builder.At("package0"), file = builder.At("file0.0"), function = builder.At("function0.0.0");
    const struct {
        const char* what;
        uint32_t at;
        uint32_t value;
    } cases[] = {
        {"package count beyond the chunk", extensiontest::EXTN_BODY, 1000},
        {"package offset past the end", extensiontest::EXTN_BODY + 4, size + 4},
        {"package record cut by the end", extensiontest::EXTN_BODY + 4, size - 8},
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
        ChunkBuilder::Put(bytes, c.at, c.value);
        if (c.at == package + 4) bytes.back() = 'x'; // the last text loses its terminator
        testsupport::ConsoleCapture log;
        EXPECT_FALSE(LoadChunk(bytes, m_File)) << c.what;
        EXPECT_NE(std::string::npos, log.console.text.find("EXTN: ")) << c.what << ": " << log.console.text;
    }
    // The largest id is fine, and so is an empty chunk table.
    ChunkBuilder::Put(good, function + 4, 1u << 20);
    EXPECT_TRUE(LoadChunk(good, m_File));
    EXPECT_TRUE(LoadChunk(ChunkBuilder().Build({}), m_File));
    EXPECT_EQ(0, Extension_PackageCount());
}

// Records may share tables: packages that all point at one file table of many entries would make
// far more objects than the file holds records. The chunk is refused instead.
TEST_F(ExtensionChunk, SharedRecordsCannotMultiplyTheObjects)
{
    std::vector<PackageBytes> packages(4000, PackageBytes{"F", "P", {}});
    packages[0].files.resize(2000);
    ChunkBuilder builder;
    std::vector<uint8_t> bytes = builder.Build(packages);
    for (uint32_t p = 1; p < 4000; ++p)
        ChunkBuilder::Put(bytes, extensiontest::EXTN_BODY + 4 + 4 * p, builder.At("package0"));
    testsupport::ConsoleCapture log;
    EXPECT_FALSE(LoadChunk(bytes, m_File));
    EXPECT_NE(std::string::npos, log.console.text.find("more files than the file can hold"));
}

// Through the loader's main pass, a malformed extension chunk fails the load like any chunk.
TEST_F(ExtensionChunk, TheLoaderNamesTheMalformedChunk)
{
    ChunkBuilder builder;
    std::vector<uint8_t> bytes = builder.Build(OnePackage());
    ChunkBuilder::Put(bytes, builder.At("function0.0.0") + 4, 0x80000000);
    m_File.CopyFrom(bytes.data(), bytes.size());
    testsupport::ConsoleCapture log;
    EXPECT_FALSE(LoadGameChunks(m_File));
    EXPECT_NE(std::string::npos, log.console.text.find("Malformed Chunk EXTN")) << log.console.text;
}

} // namespace
