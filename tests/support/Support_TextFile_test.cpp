#include "support/Support_TextFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

TEST(TextFile, ReadsAsTheOldTextModeDid)
{
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},   {"a\rb\r", "a\rb\r"},       {"x\r\r\ny", "x\r\ny"},
        {"ab\x1A\r\ncd", "ab"},     {"\x1A", ""},               {"", ""},
        {"end\r", "end\r"},         {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(TextFile_FromBytes(c.bytes.data(), c.bytes.size()), c.text);

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("kv_textfile_" + std::to_string(getpid()));
    std::string big(100000, 'x');
    big += "\r\nend";
    std::ofstream(file, std::ios::binary) << big;
    std::string text;
    EXPECT_TRUE(TextFile_IsPlainFile(file.c_str()));
    ASSERT_TRUE(TextFile_ReadWhole(file.c_str(), &text));
    EXPECT_EQ(text, std::string(100000, 'x') + "\nend");
    std::filesystem::remove(file);
    EXPECT_FALSE(TextFile_ReadWhole(file.c_str(), &text));
    for (const char* path : {file.c_str(), "/tmp", "/dev/null", ""}) EXPECT_FALSE(TextFile_IsPlainFile(path)) << path;
}
