// The highscore table: where an entry lands, and "hiscore.dat" written and read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../TestSupport_SaveArea.h"
#include "run/Run_Highscore.h"

namespace {

std::string Name(int32_t place)
{
    const char* name = Score_GetName(place);
    return name != nullptr ? name : "(none)";
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string U32(uint32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); }

TEST(Highscore, FileIsWrittenWhenChangedAndReadBack)
{
    testsupport::ScopedSaveArea area("highscore_file");
    std::string path = area.Path("hiscore.dat");
    Score_Clear();
    EXPECT_FALSE(Score_Load()) << "no file yet";
    Score_Save();
    EXPECT_FALSE(std::filesystem::exists(path)) << "an unchanged table is not written";
    Score_Add("Alice", 100);
    Score_Save();
    std::string bytes = FileBytes(path);
    ASSERT_EQ(165u, bytes.size());
    EXPECT_EQ("HISC" + U32(165) + U32(5) + "Alice" + U32(100) + U32(8) + "<nobody>", bytes.substr(0, 33));
    // A name too long for the file is cut rather than ending the reading of the places after it.
    Score_Add(std::string(300, 'n').c_str(), 200);
    Score_Save();
    Score_Clear();
    ASSERT_TRUE(Score_Load());
    EXPECT_EQ(std::string(256, 'n'), Name(1));
    EXPECT_EQ("Alice", Name(2));
    EXPECT_EQ("<nobody>", Name(3));
}

// The first place's length and value words as written, after one entry added to a table of empty names.
TEST(Highscore, AnEmptyNameKeepsItsValueAndOnlyNoNameIsWrittenAsZero)
{
    struct Case {
        const char* name; // null: no name
        int32_t value;
        std::string entry;
    } cases[] = {
        {"", 70, U32(0) + U32(70)},
        {nullptr, 60, U32(0) + U32(0)},
        {"Bo", 5, U32(2) + "Bo" + U32(5)},
    };
    for (const Case& c : cases) {
        Score_SetNoName(nullptr);
        Score_Clear(); // ten places of "" and 0
        Score_SetNoName("<nobody>");
        Score_Add(c.name, c.value);
        std::string bytes = Score_Encode();
        EXPECT_EQ(c.entry, bytes.substr(8, c.entry.size())) << (c.name ? c.name : "(none)");
        // Read back and written again, the place keeps its name (or none) and its score.
        ASSERT_TRUE(Score_Decode(reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size())));
        EXPECT_EQ(c.name ? c.name : "(none)", Name(1));
        EXPECT_EQ(bytes, Score_Encode()) << (c.name ? c.name : "(none)");
    }
}

struct LoadCase {
    const char* what;
    std::string bytes;
    std::string first; // place 1 afterwards
    std::string second;
};

TEST(Highscore, MalformedFilesChangeOnlyWhatTheyHoldValidly)
{
    testsupport::ScopedSaveArea area("highscore_bad");
    std::string two = U32(3) + "Ann" + U32(7) + U32(0) + U32(0);
    std::string body = two + U32(300) + std::string(300, 'x');
    const LoadCase cases[] = {
        {"foreign magic", "HISX" + U32(8), "<nobody>", "<nobody>"},
        {"length beyond the file", "HISC" + U32(999) + two, "<nobody>", "<nobody>"},
        {"name over 256 ends the reading", "HISC" + U32(8) + body, "Ann", "(none)"},
        {"cut inside a name", "HISC" + U32(8) + U32(3) + "An", "<nobody>", "<nobody>"},
    };
    for (const LoadCase& c : cases) {
        Score_Clear();
        WriteFile(area.Path("hiscore.dat"), c.bytes);
        Score_Load();
        EXPECT_EQ(c.first, Name(1)) << c.what;
        EXPECT_EQ(c.second, Name(2)) << c.what;
    }
}

} // namespace
