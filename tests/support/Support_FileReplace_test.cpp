#include "support/Support_FileReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../TestSupport_DiskFull.h"
#include "../TestSupport_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

using namespace std::string_literals;

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class FileReplaceTest : public testing::Test {
  protected:
    // Inside the save area, where the save-area writer maps a name to itself.
    void SetUp() override
    {
        m_Folder = m_Area.Path("replace");
        std::filesystem::create_directories(m_Folder);
    }
    testsupport::ScopedSaveArea m_Area{std::string("replace_") +
                                       testing::UnitTest::GetInstance()->current_test_info()->name()};
    std::string m_Folder;
};

using Writer = bool (*)(const char* path, const void* data, int32_t size);

struct WriterCase {
    const char* name;
    Writer write;
};

const WriterCase WRITERS[] = {
    {"File_ReplaceWhole", File_ReplaceWhole},
    {"LoadSave_WriteSaveAreaFile", LoadSave_WriteSaveAreaFile},
};

} // namespace

TEST_F(FileReplaceTest, AFullDiskAnswersFalseAndLeavesTheOldFileByteIdentical)
{
    const std::string old = "old contents\r\n\x1A\x00 kept"s;
    const std::string big(256 * 1024, 'n');
    for (const WriterCase& writer : WRITERS) {
        SCOPED_TRACE(writer.name);
        std::string path = m_Folder + "/target.dat";
        std::ofstream(path, std::ios::binary) << old;
        bool written = true;
        {
            testsupport::FileSizeLimit limit(8192);
            written = writer.write(path.c_str(), big.data(), static_cast<int32_t>(big.size()));
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(old, ReadBytes(path));
        EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(m_Folder), {}));
    }
}

TEST_F(FileReplaceTest, WritesReplaceTheFileWhole)
{
    struct Case {
        const char* old; // null: no file yet
        std::string data;
    };
    const Case cases[] = {
        {nullptr, "fresh"},
        {"a much longer old text than the new one", "short"},
        {"something", ""},
        {nullptr, std::string(100000, 'z')},
    };
    for (const WriterCase& writer : WRITERS) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(writer.name) + " " + c.data.substr(0, 8));
            std::string path = m_Folder + "/file.bin";
            std::filesystem::remove(path);
            if (c.old != nullptr) std::ofstream(path, std::ios::binary) << c.old;
            EXPECT_TRUE(writer.write(path.c_str(), c.data.data(), static_cast<int32_t>(c.data.size())));
            EXPECT_EQ(c.data, ReadBytes(path));
        }
    }
}

TEST_F(FileReplaceTest, UnwritablePlacesAnswerFalse)
{
    EXPECT_FALSE(File_ReplaceWhole((m_Folder + "/missing/folder/file").c_str(), "x", 1));
    EXPECT_FALSE(File_ReplaceWhole(m_Folder.c_str(), "x", 1)); // a folder cannot be replaced by a file
    EXPECT_FALSE(File_ReplaceWhole("", "x", 1));
    EXPECT_FALSE(File_ReplaceWhole(nullptr, "x", 1));
    EXPECT_FALSE(File_ReplaceWhole((m_Folder + "/negative").c_str(), "x", -1));
    // The save-area writer makes the missing folders first.
    EXPECT_TRUE(LoadSave_WriteSaveAreaFile((m_Folder + "/made/here/file").c_str(), "x", 1));
    EXPECT_EQ("x", ReadBytes(m_Folder + "/made/here/file"));
}
