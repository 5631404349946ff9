#include "base/Base_Ini.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

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

// Each test works in a folder of its own: ctest runs tests side by side.
// Files of these tests lie in a save area of their own, where the INI file maps to itself.
class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_SaveArea = std::make_unique<testsupport::ScopedSaveArea>("ini_" + name);
        m_Folder = m_SaveArea->Folder() + "ini";
        std::filesystem::create_directories(m_Folder);
    }
    void TearDown() override { m_SaveArea.reset(); }
    std::string Path(const std::string& file) const { return m_Folder + "/" + file; }
    std::unique_ptr<testsupport::ScopedSaveArea> m_SaveArea;
    std::string m_Folder;
};

} // namespace

TEST(IniParse, CommentsEndPlainValuesAndQuotesEndQuotedOnes)
{
    IniFile ini;
    ini.Parse("[a]\nx = 1 ; note\ny= \"two words\" trailing\nz='semi;colon # hash'\nw = tab\t \t# c\n");
    EXPECT_EQ("1", Value(ini, "a", "x"));
    EXPECT_EQ("two words", Value(ini, "a", "y"));
    EXPECT_EQ("semi;colon # hash", Value(ini, "a", "z"));
    EXPECT_EQ("tab", Value(ini, "a", "w"));
}

TEST(IniParse, AValueOnALaterLineDropsTheKey)
{
    IniFile ini;
    ini.Parse("[s]\nk=\nm=2\nc=   ; only a comment\nn=3\nlast=");
    EXPECT_EQ("<absent>", Value(ini, "s", "k"));
    EXPECT_EQ("2", Value(ini, "s", "m"));
    EXPECT_EQ("<absent>", Value(ini, "s", "c"));
    EXPECT_EQ("3", Value(ini, "s", "n"));
    // At the very end no line break follows: the key stays, empty.
    EXPECT_EQ("", Value(ini, "s", "last"));
}

TEST(IniParse, KeysBeforeTheFirstSectionAreIgnored)
{
    IniFile ini;
    ini.Parse("; [commented out]\nearly=1\n[first]\nlate=2\n");
    EXPECT_FALSE(ini.SectionExists("commented out"));
    EXPECT_EQ(nullptr, ini.GetKey("first", "early"));
    EXPECT_EQ("2", Value(ini, "first", "late"));
    EXPECT_EQ("[first]\r\nlate=2\r\n", TextOf(ini));
}

TEST(IniParse, CrLfTextByteOrderMarkAndBlanksAroundNames)
{
    IniFile ini;
    ini.Parse("\xEF\xBB\xBF[Window]\r\n  width  =  640\r\n\theight=480\r\n");
    EXPECT_EQ("640", Value(ini, "Window", "width"));
    EXPECT_EQ("480", Value(ini, "Window", "height"));
    EXPECT_EQ(640, ini.ReadInt("Window", "width", -1));
}

TEST(IniParse, NamesAreCaseSensitiveAndTheLaterDuplicateWins)
{
    IniFile ini;
    ini.Parse("[S]\nk=upper\n[s]\nk=lower\nk=again\n");
    EXPECT_EQ("upper", Value(ini, "S", "k"));
    // Later keys stand in front of earlier ones.
    EXPECT_EQ("again", Value(ini, "s", "k"));
    EXPECT_EQ("<absent>", Value(ini, "s", "K"));
}

TEST(IniParse, ALineWithoutEqualsRunsIntoTheNextOne)
{
    IniFile ini;
    ini.Parse("[s]\nstray\nkey=1\n");
    EXPECT_EQ("1", Value(ini, "s", "stray\nkey"));
    EXPECT_EQ(nullptr, ini.GetKey("s", "key"));
}

TEST(IniParse, MalformedTextsKeepWhatIsSound)
{
    struct Case {
        std::string text;
        std::string written;
    };
    const Case cases[] = {
        {"", ""},
        {"no sections at all\nk=v\n", ""},
        {"[unterminated\nk=v\n", ""},
        {"[a]\nk=v\n[broken\nx=1", "[a]\r\nk=v\r\n"},
        {"[a]\nk=\"open quote\nnext=1\n", "[a]\r\nnext=1\r\nk=open quote\r\n"},
        {"[a]\n=\n", "[a]\r\n"},
        {"[a]\n=x\n", "[a]\r\n=x\r\n"},
        {"[]\nk=v", "[]\r\nk=v\r\n"},
        {"[a]\nk=v\n[", "[a]\r\nk=v\r\n"},
        {"[a]\n;", "[a]\r\n"},
        {"\xEF\xBB", ""},
        {"\xEF\xBB\xBF", ""},
        // A plain value runs to the line's end, brackets and all.
        {"[a]k=1[b]j=2", "[a]\r\nk=1[b]j=2\r\n"},
    };
    for (const Case& c : cases) {
        IniFile ini;
        ini.Parse(c.text.c_str());
        EXPECT_EQ(c.written, TextOf(ini)) << "text: " << c.text;
    }
}

TEST(IniParse, BytesWithZerosAreReadWithinTheirLength)
{
    const char bytes[] = {'[', 'a', ']', '\n', 'k', '=', 'v', '\0', 'w', '\n', 'j', '=', '2'};
    IniFile ini;
    ini.ParseBytes(bytes, sizeof bytes);
    EXPECT_EQ("v", Value(ini, "a", "k"));
    EXPECT_EQ("2", Value(ini, "a", "j"));
}

TEST(IniRead, NumbersAreDecimalAndLocaleFree)
{
    IniFile ini;
    ini.Parse("[n]\ni=12abc\nhex=0x10\nneg= -7\nreal=-3.5e2\nhalf=.5\nword=abc\n");
    EXPECT_EQ(12, ini.ReadInt("n", "i", -1));
    EXPECT_EQ(0, ini.ReadInt("n", "hex", -1));
    EXPECT_EQ(-7, ini.ReadInt("n", "neg", 0));
    EXPECT_FLOAT_EQ(-350.0f, ini.ReadReal("n", "real", 1.0f));
    EXPECT_FLOAT_EQ(0.5f, ini.ReadReal("n", "half", 1.0f));
    EXPECT_FLOAT_EQ(0.0f, ini.ReadReal("n", "hex", 1.0f));
    EXPECT_EQ(0, ini.ReadInt("n", "word", 5));
    EXPECT_EQ(5, ini.ReadInt("n", "missing", 5));
    EXPECT_FLOAT_EQ(2.5f, ini.ReadReal("none", "real", 2.5f));
    const char* fallback = "fallback";
    EXPECT_EQ(fallback, ini.ReadString("n", "missing", fallback));
}

TEST(IniWrite, TheTextListsSectionsAndKeysInReverseOrder)
{
    IniFile ini;
    ini.Parse("[a]\nx=1\ny=2\n[b]\nz=3\n");
    std::string text = TextOf(ini);
    EXPECT_EQ("[b]\r\nz=3\r\n[a]\r\ny=2\r\nx=1\r\n", text);
    EXPECT_EQ(static_cast<int32_t>(text.size()), ini.TextSize());
    // Written back and read again, the order turns round once more.
    IniFile again;
    again.Parse(text.c_str());
    EXPECT_EQ("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n", TextOf(again));
}

TEST(IniWrite, WriteStringAddsInFrontAndReplacesInPlace)
{
    IniFile ini;
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_TRUE(ini.WriteString("s", "first", "1"));
    EXPECT_TRUE(ini.WriteString("s", "second", "2"));
    EXPECT_TRUE(ini.WriteString("t", "k", "v"));
    EXPECT_TRUE(ini.WriteString("s", "first", "one"));
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_EQ("[t]\r\nk=v\r\n[s]\r\nsecond=2\r\nfirst=one\r\n", TextOf(ini));
    EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(ini.WriteString("s", nullptr, "v"));
    EXPECT_TRUE(ini.WriteString("s", "empty", nullptr));
    EXPECT_EQ("", Value(ini, "s", "empty"));
}

TEST(IniWrite, DeletingReportsWhetherAnythingWasThere)
{
    IniFile ini;
    ini.Parse("[a]\nx=1\ny=2\n[b]\nz=3\n");
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_FALSE(ini.DeleteKey("a", "missing"));
    EXPECT_FALSE(ini.DeleteSection("missing"));
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_TRUE(ini.DeleteKey("a", "y"));
    EXPECT_TRUE(ini.IsDirty());
    EXPECT_TRUE(ini.DeleteSection("b"));
    EXPECT_FALSE(ini.SectionExists("b"));
    EXPECT_EQ("[a]\r\nx=1\r\n", TextOf(ini));
}

TEST(IniWrite, ClearFreesEveryBlock)
{
    uint32_t before = MemoryManager::BlockCount();
    {
        IniFile ini;
        ini.Parse("[a]\nx=1\n[b]\ny=2\n");
        ini.WriteString("c", "z", "3");
        ini.DeleteKey("a", "x");
        ini.Clear();
        EXPECT_EQ(nullptr, ini.FirstSection());
        EXPECT_EQ(before, MemoryManager::BlockCount());
        ini.Parse("[again]\nk=v\n");
    }
    // The destructor clears what is left.
    EXPECT_EQ(before, MemoryManager::BlockCount());
}

TEST_F(IniFileTest, OpenReadsTheFileAndAChangeWritesItBackWithCrLf)
{
    std::string path = Path("settings.ini");
    WriteFileBytes(path, "[game]\r\nlevel=3\r\nname=\"Ann\"\r\n");
    IniFile ini;
    ini.Open(path.c_str(), false);
    EXPECT_EQ(3, ini.ReadInt("game", "level", 0));
    EXPECT_EQ("Ann", Value(ini, "game", "name"));
    ini.WriteString("game", "level", "4");
    MemoryManager::Free(ini.GetText());
    EXPECT_FALSE(ini.IsDirty());
    EXPECT_EQ("[game]\r\nname=Ann\r\nlevel=4\r\n", ReadFileBytes(path));
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

TEST_F(IniFileTest, AnUnchangedObjectWritesNothing)
{
    std::string path = Path("kept.ini");
    WriteFileBytes(path, "[a]\nx=1\n");
    IniFile ini;
    ini.Open(path.c_str(), false);
    std::filesystem::remove(path);
    MemoryManager::Free(ini.GetText());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, FlushCommandWritesTheFileAndStoresNothing)
{
    std::string path = Path("flush.ini");
    IniFile ini;
    ini.Open(path.c_str(), false);
    EXPECT_EQ(nullptr, ini.FirstSection());
    ini.WriteString("a", "k", "v");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
    EXPECT_EQ("[a]\r\nk=v\r\n", ReadFileBytes(path));
    EXPECT_FALSE(ini.SectionExists("SYSTEM_COMMAND"));
    // Another command, or another value, stores nothing and writes nothing.
    std::filesystem::remove(path);
    EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "LATER"));
    EXPECT_FALSE(ini.SectionExists("SYSTEM_COMMAND"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, AMissingFileOpensEmptyAndIsWrittenIntoNewFolders)
{
    std::string path = Path("new/deeper/fresh.ini");
    IniFile ini;
    ini.Open(path.c_str(), false);
    EXPECT_EQ(0, ini.TextSize());
    ini.WriteString("s", "k", "v");
    MemoryManager::Free(ini.GetText());
    EXPECT_EQ("[s]\r\nk=v\r\n", ReadFileBytes(path));
}

TEST_F(IniFileTest, TheLogFlagLogsTheFileText)
{
    std::string path = Path("logged.ini");
    WriteFileBytes(path, "[a]\nk=v\n");
    IniFile ini;
    testing::internal::CaptureStdout();
    ini.Open(path.c_str(), true);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(path + " file contents: [a]\nk=v\n\n", log);
    EXPECT_EQ("v", Value(ini, "a", "k"));
}

TEST_F(IniFileTest, ReadFileGivesTheBytesAndTheirCount)
{
    std::string path = Path("raw.ini");
    WriteFileBytes(path, std::string("a\r\n\x1A" "b", 5));
    int32_t length = -1;
    char* text = Ini_ReadFile(path.c_str(), &length);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(5, length);
    EXPECT_EQ(std::string("a\r\n\x1A" "b", 5), std::string(text, 5));
    EXPECT_EQ('\0', text[5]);
    MemoryManager::Free(text);
    EXPECT_EQ(nullptr, Ini_ReadFile(Path("absent.ini").c_str(), &length));
    EXPECT_EQ(0, length);
    EXPECT_EQ(nullptr, Ini_ReadFile(nullptr, &length));
}
