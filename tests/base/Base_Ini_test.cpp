#include "base/Base_Ini.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../TestSupport_Console.h"
#include "../TestSupport_DiskFull.h"
#include "../TestSupport_SaveArea.h"
#include "platform/Platform_MemoryManager.h"

namespace {

std::string TextOf(IniFile& ini)
{
    char* text = ini.GetText();
    std::string result(text);
    MemoryManager::Free(text);
    return result;
}

std::string Value(const IniFile& ini, const char* section, const char* key)
{
    const char* value = ini.ReadString(section, key, nullptr);
    return value != nullptr ? value : "<absent>";
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Files of these tests lie in a save area of their own (ctest runs tests side by side), where the
// INI file maps to itself.
class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_SaveArea = std::make_unique<testsupport::ScopedSaveArea>("ini_" + name);
        m_Folder = m_SaveArea->Folder() + "ini";
        std::filesystem::create_directories(m_Folder);
    }
    std::string Path(const std::string& file) const { return m_Folder + "/" + file; }
    std::unique_ptr<testsupport::ScopedSaveArea> m_SaveArea;
    std::string m_Folder;
};

} // namespace

TEST(IniParse, ValuesAndTheTextWrittenBack)
{
    struct Case {
        std::string text;
        std::vector<std::array<const char*, 3>> reads; // section, key, value
        const char* written;                           // nullptr: not checked
    };
    const Case cases[] = {
        // Comments end plain values; quotes end quoted ones.
        {"[a]\nx = 1 ; note\ny= \"two words\" trailing\nz='semi;colon # hash'\nw = tab\t \t# c\n",
         {{"a", "x", "1"}, {"a", "y", "two words"}, {"a", "z", "semi;colon # hash"}, {"a", "w", "tab"}},
         nullptr},
        // A value on a later line drops the key; at the very end no line break follows, so the key
        // stays, empty.
        {"[s]\nk=\nm=2\nc=   ; only a comment\nn=3\nlast=",
         {{"s", "k", "<absent>"}, {"s", "m", "2"}, {"s", "c", "<absent>"}, {"s", "n", "3"}, {"s", "last", ""}},
         nullptr},
        // Keys before the first section are ignored.
        {"; [commented out]\nearly=1\n[first]\nlate=2\n", {{"first", "early", "<absent>"}, {"first", "late", "2"}},
         "[first]\r\nlate=2\r\n"},
        // CR LF, a byte order mark and blanks around the names; names are case-sensitive.
        {"\xEF\xBB\xBF[Window]\r\n  width  =  640\r\n[window]\nwidth=1\n", {{"Window", "width", "640"}}, nullptr},
        // A line without '=' runs into the next one.
        {"[s]\nstray\nkey=1\n", {{"s", "stray\nkey", "1"}, {"s", "key", "<absent>"}}, nullptr},
        // Malformed texts keep what is sound.
        {"[a]\nk=v\n[broken\nx=1", {}, "[a]\r\nk=v\r\n"},
        {"[a]\nk=\"open quote\nnext=1\n", {}, "[a]\r\nnext=1\r\nk=open quote\r\n"},
        // A plain value runs to the line's end, brackets and all.
        {"[a]k=1[b]j=2", {}, "[a]\r\nk=1[b]j=2\r\n"},
        // Sections and keys are written in reverse order.
        {"[a]\nx=1\ny=2\n[b]\nz=3\n", {}, "[b]\r\nz=3\r\n[a]\r\ny=2\r\nx=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: " + c.text);
        IniFile ini;
        ini.Parse(c.text.c_str());
        for (const auto& read : c.reads) EXPECT_EQ(read[2], Value(ini, read[0], read[1])) << read[1];
        if (c.written == nullptr) continue;
        EXPECT_EQ(c.written, TextOf(ini));
        EXPECT_EQ(static_cast<int32_t>(std::strlen(c.written)), ini.TextSize());
    }
}

TEST(IniRead, NumbersAreDecimalAndBytesAreReadWithinTheirLength)
{
    const char bytes[] = "[n]\ni=12abc\nhex=0x10\nneg= -7\nreal=-3.5e2\nword=abc\0w\nj=2";
    IniFile ini;
    ini.ParseBytes(bytes, sizeof bytes - 1);
    EXPECT_EQ("2", Value(ini, "n", "j"));
    for (auto [key, value] : {std::pair{"i", 12}, {"hex", 0}, {"neg", -7}, {"missing", 5}})
        EXPECT_EQ(value, ini.ReadInt("n", key, 5)) << key;
    for (auto [key, value] : {std::pair{"real", -350.0f}, {"hex", 0.0f}, {"missing", 1.0f}})
        EXPECT_FLOAT_EQ(value, ini.ReadReal("n", key, 1.0f)) << key;
}

TEST(IniWrite, WritingAddsInFrontReplacesInPlaceAndDeletingReportsWhatWasThere)
{
    IniFile ini;
    EXPECT_TRUE(ini.WriteString("s", "first", "1"));
    EXPECT_TRUE(ini.WriteString("s", "second", "2"));
    EXPECT_TRUE(ini.WriteString("t", "k", "v"));
    EXPECT_TRUE(ini.WriteString("s", "first", "one"));
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_EQ("[t]\r\nk=v\r\n[s]\r\nsecond=2\r\nfirst=one\r\n", TextOf(ini));
    EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
    EXPECT_TRUE(ini.WriteString("s", "empty", nullptr));
    EXPECT_EQ("", Value(ini, "s", "empty"));

    IniFile parsed;
    parsed.Parse("[a]\nx=1\ny=2\n[b]\nz=3\n");
    EXPECT_FALSE(parsed.DeleteKey("a", "missing") || parsed.DeleteSection("missing") || parsed.IsDirty());
    EXPECT_TRUE(parsed.DeleteKey("a", "y"));
    EXPECT_TRUE(parsed.DeleteSection("b"));
    EXPECT_EQ("[a]\r\nx=1\r\n", TextOf(parsed));
}

TEST_F(IniFileTest, AnUnchangedFileIsNotWrittenBack)
{
    std::string path = Path("settings.ini");
    WriteFileBytes(path, "[game]\r\nname=\"Ann\"\r\n");
    IniFile unchanged;
    unchanged.Open(path.c_str(), false);
    EXPECT_EQ("Ann", Value(unchanged, "game", "name"));
    std::filesystem::remove(path);
    MemoryManager::Free(unchanged.GetText());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, AFullDiskKeepsTheOldFileWholeAndTheChangesMarked)
{
    std::string path = Path("full.ini");
    const std::string old = "[game]\r\nlevel=3\r\n";
    WriteFileBytes(path, old);
    IniFile ini;
    ini.Open(path.c_str(), false);
    ini.WriteString("game", "notes", std::string(64 * 1024, 'x').c_str());
    testsupport::LogCapture log;
    {
        testsupport::FileSizeLimit limit(4096);
        EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
    }
    EXPECT_EQ(old, ReadFileBytes(path));
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_NE(std::string::npos, log.Text().find("Failed to write INI file " + path + "\n"));
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    // With room again the next flush writes the changes.
    MemoryManager::Free(ini.GetText());
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_EQ(static_cast<size_t>(ini.TextSize()), ReadFileBytes(path).size());
}

TEST_F(IniFileTest, AMissingFileOpensEmptyAndTheFlushCommandWritesItIntoNewFolders)
{
    std::string path = Path("new/deeper/flush.ini");
    IniFile ini;
    ini.Open(path.c_str(), false);
    EXPECT_EQ(nullptr, ini.FirstSection());
    ini.WriteString("a", "k", "v");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
    EXPECT_EQ("[a]\r\nk=v\r\n", ReadFileBytes(path));
    EXPECT_FALSE(ini.SectionExists("SYSTEM_COMMAND"));
    // Another value stores nothing and writes nothing.
    std::filesystem::remove(path);
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "LATER"));
    EXPECT_FALSE(ini.SectionExists("SYSTEM_COMMAND") || std::filesystem::exists(path));
}

TEST_F(IniFileTest, TheLogFlagLogsTheFileTextAndReadFileGivesTheBytes)
{
    std::string path = Path("logged.ini");
    WriteFileBytes(path, "[a]\nk=v\n");
    IniFile ini;
    testing::internal::CaptureStdout();
    ini.Open(path.c_str(), true);
    EXPECT_EQ(path + " file contents: [a]\nk=v\n\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ("v", Value(ini, "a", "k"));

    WriteFileBytes(path, std::string("a\r\n\x1A" "b", 5));
    int32_t length = -1;
    char* text = Ini_ReadFile(path.c_str(), &length);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(5, length);
    EXPECT_EQ(std::string("a\r\n\x1A" "b", 6), std::string(text, 6)); // and a terminator
    MemoryManager::Free(text);
    EXPECT_EQ(nullptr, Ini_ReadFile(Path("absent.ini").c_str(), &length));
    EXPECT_EQ(0, length);
}
