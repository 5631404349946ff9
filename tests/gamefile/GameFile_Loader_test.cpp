#include "gamefile/GameFile_Loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "app/App_Paths.h"
#include "app/App_Startup.h"
#include "gamefile/GameFile_DebugInfo.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_OpenDialog.h"
#include "gamefile/GameFile_Strings.h"
#include "platform/Platform_TestSwitches.h"
#include "variable/Variable_BuiltIn.h"

namespace {

using Bytes = std::vector<uint8_t>;

gamebuild::GameDesc SmallGame(std::vector<gamebuild::RawChunkDesc> raw = {}, std::vector<std::string> order = {})
{
    gamebuild::GameDesc game;
    game.header.version = 13;
    game.header.roomOrder = {0, 1};
    game.options.words[22] = 1; // freeze while inactive: shows that the options chunk was read
    game.rawChunks = raw;
    game.chunkOrder = order;
    return game;
}

class LoaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        g_PrePassFailed = false;
    }
    bool Load(const Bytes& bytes)
    {
        LoadInto(m_File, bytes);
        LoadGameCode(m_File);
        return LoadGameChunks(m_File);
    }
    GameFile m_File;
    CapturedLog m_Log;
};

// A count table of n entries of offset 0: the slots count even though no resource is there.
Bytes Table(uint32_t n)
{
    Bytes bytes(4 + 4 * n, 0);
    bytes[0] = static_cast<uint8_t>(n);
    return bytes;
}

} // namespace

TEST_F(LoaderTest, ChunksTheWalkCannotUseAreLoggedAndTheLaterOnesStillLoad)
{
    const std::vector<std::string> ORDER = {"GEN8", "X", "OPTN", "STRG"};
    auto with = [&](const char* tag, Bytes body) {
        std::vector<std::string> order = ORDER;
        order[1] = tag;
        return BuildBytes(SmallGame({{tag, body}}, order));
    };
    const struct {
        const char* name;
        Bytes bytes;
        bool loaded;
        std::vector<std::string> lines; // each logged once
        std::vector<std::string> failures = {}; // the beginnings of the lines kept as the load's failure
    } cases[] = {
        // Every area reads its chunk now: empty slots and empty chunks load without a word.
        {"empty slots",
         BuildBytes(SmallGame({{"SHDR", Table(3)}, {"BGND", Table(0)}, {"TMLN", {}}})),
         true,
         {}},
        {"unknown",
         BuildBytes(
             SmallGame({{"ABCD", {1, 2, 3, 4}}, {"WXYZ", {5}}}, {"GEN8", "ABCD", "WXYZ", "OPTN", "STRG"})),
         false,
         {"unknown Chunk ABCD:1145258561\n", "unknown Chunk WXYZ:1515804759\n"}},
        // An empty chunk is skipped silently whatever its tag.
        {"empty",
         BuildBytes(SmallGame({{"QQQQ", {}}, {"SPRT", {}}}, {"GEN8", "QQQQ", "SPRT", "OPTN", "STRG"})),
         true,
         {"Process Chunk: QQQQ   0\n"}},
        // Count tables must fit their chunk and point into the file.
        {"count larger than the body",
         with("SPRT", Words({1000, 8})),
         false,
         {"Malformed Chunk SPRT"},
         {"SPRT: the count table at file offset ", "Malformed Chunk SPRT (file offset "}},
        // A reader's own reason is kept with the chunk's line; the first pass's chunks likewise.
        {"a reader's reason",
         with("SCPT", Words({1, 8})),
         false,
         {"SCPT: script 0 at file offset 8: its name at file offset 944653639 lies outside the file"},
         {"SCPT: script 0 at file offset 8: its name at file offset 944653639 lies outside the file",
          "Malformed Chunk SCPT"}},
        {"a first-pass reader's reason",
         with("VARI", Words({1, 2, 3})),
         false,
         {"Malformed Chunk VARI"},
         {"VARI: entry 0 at file offset ", "Malformed Chunk VARI"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GameHeader_Clear();
        g_GameOptions = GameOptions();
        m_Log.Clear();
        EXPECT_EQ(c.loaded, Load(c.bytes)) << m_Log.Text();
        for (const std::string& line : c.lines) EXPECT_EQ(1u, m_Log.Count(line)) << line << m_Log.Text();
        std::vector<std::string> kept;
        std::istringstream failures(GameFile_LoadFailures());
        for (std::string line; std::getline(failures, line);) kept.push_back(line);
        ASSERT_EQ(c.failures.size(), kept.size()) << GameFile_LoadFailures();
        for (size_t i = 0; i < kept.size(); ++i) EXPECT_TRUE(kept[i].starts_with(c.failures[i])) << kept[i];
        EXPECT_EQ(0u, m_Log.Count("skipped"));
        EXPECT_EQ(c.name == std::string("unknown") ? 2u : 0u, m_Log.Count("unknown Chunk"));
        EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
        EXPECT_EQ((std::vector<int32_t>{0, 1}), g_GameHeader.roomOrder);
    }
}

TEST_F(LoaderTest, TheContainerAndChunksThatRunPastTheEnd)
{
    // No game file: a wrong length word, 8 bytes or fewer, no header chunk. Neither pass reads a
    // chunk, and the main pass fails with the reason.
    Bytes wrongLength = BuildBytes(SmallGame());
    WriteWord(wrongLength, 4, ReadWord(wrongLength, 4) + 1);
    Bytes cut = BuildBytes(SmallGame());
    cut.resize(FindChunk(cut, "OPTN"));
    const std::string cutSize = std::to_string(cut.size());
    Bytes headless = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'S', 'T', 'R', 'G', 4, 0, 0, 0, 0, 0, 0, 0, 'G', 'E', 'N', '8', 0, 0, 0, 0};
    WriteWord(headless, 4, static_cast<uint32_t>(headless.size() - 8));
    const std::pair<Bytes, std::string> refused[] = {
        {{}, "it is empty"},
        {{'F', 'O', 'R'}, "it holds only 3 bytes"},
        {{'F', 'O', 'R', 'M', 0, 0, 0, 0}, "it holds only 8 bytes"},
        {{'F', 'O', 'R', 'M', 2, 0, 0, 0, 0}, "its length word gives 10 bytes, the file holds 9"},
        // Not beginning with the container's tag comes first; either byte order is the tag.
        {{'a', 'b', 'c', 'd', 0x10, 0x27, 0, 0, 0},
         "it does not begin with \"FORM\" as game files do (its length word gives 10,008 bytes, the file holds 9)"},
        {{'M', 'R', 'O', 'F', 2, 0, 0, 0, 0}, "its length word gives 10 bytes, the file holds 9"},
        {{'h', 'i'}, "it does not begin with \"FORM\" as game files do (it holds only 2 bytes)"},
        {wrongLength, "its length word gives *"},
        {cut, "its length word gives *the file holds " + cutSize},
        // A header chunk of length 0 is skipped like any empty chunk: no header was read.
        {headless, "it holds no header chunk"}};
    for (const auto& [bytes, reason] : refused) {
        SCOPED_TRACE(reason);
        m_Log.Clear();
        GameHeader_Clear();
        LoadInto(m_File, bytes);
        std::string given = GameFile_Refusal(m_File);
        size_t star = reason.find('*');
        if (star == std::string::npos) EXPECT_EQ(reason, given);
        else EXPECT_TRUE(given.starts_with(reason.substr(0, star)) && given.ends_with(reason.substr(star + 1))) << given;
        EXPECT_FALSE(Load(bytes));
        EXPECT_TRUE(m_Log.Has("The game file was refused: " + given + "\n"));
        EXPECT_FALSE(m_Log.Has("Process Chunk"));
        EXPECT_FALSE(g_GameHeader.present);
    }
    LoadInto(m_File, BuildBytes(SmallGame()));
    EXPECT_EQ("", GameFile_Refusal(m_File));
    // The tag alone refuses no file that is otherwise whole.
    Bytes retagged = BuildBytes(SmallGame());
    std::copy_n("ABCD", 4, retagged.begin());
    LoadInto(m_File, retagged);
    EXPECT_EQ("", GameFile_Refusal(m_File));
    GameFile none;
    EXPECT_FALSE(LoadGameChunks(none));
    EXPECT_TRUE(m_Log.Has("No game file was read\n"));

    // A chunk that runs past the end stops the walk and fails; the header before it was read.
    Bytes bytes = BuildBytes(SmallGame());
    WriteWord(bytes, FindChunk(bytes, "OPTN") + 4, 0x7FFFFFF0u);
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("Chunk OPTN runs past the end of the file (length 2147483632)\n"));
    EXPECT_TRUE(g_GameHeader.present);
    EXPECT_FALSE(g_GameOptions.freezeWhenInactive);
    // Trailing bytes too few for a chunk header are a broken chunk.
    bytes = BuildBytes(SmallGame());
    bytes.insert(bytes.end(), {'T', 'A', 'I', 'L', 1});
    WriteWord(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("Chunk TAIL runs past the end of the file"));

    // A tag that is not printable is shown by its bytes, whether the chunk runs past the end or is
    // of an unknown kind.
    const std::tuple<Bytes, std::string, std::string> unprintable[] = {
        {{0, 0x1B, 'M', 0xFF, 0, 0x10, 0, 0},
         "Chunk [00 1B 4D FF] runs past the end of the file (length 4096)\n",
         ""},
        {{1, '\n', 'A', 'B', 4, 0, 0, 0, 1, 2, 3, 4},
         "unknown Chunk [01 0A 41 42]:1111558657\n",
         "[01 0A 41 42]"}};
    for (const auto& [chunk, line, unknown] : unprintable) {
        bytes = BuildBytes(SmallGame());
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        WriteWord(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
        EXPECT_FALSE(Load(bytes));
        EXPECT_TRUE(m_Log.Has(line)) << line << m_Log.Text();
        EXPECT_EQ(unknown, GameFile_UnknownChunk(m_File));
    }
}

TEST_F(LoaderTest, TheStringTableResolvesIndicesAndRefusesStringsPastItsChunk)
{
    gamebuild::GameDesc game = SmallGame();
    game.extraStrings = {"alpha", "", "gamma"};
    ASSERT_TRUE(Load(BuildBytes(game)));
    EXPECT_STREQ("", StringTable_Get(m_File, 1));
    EXPECT_STREQ("gamma", StringTable_Get(m_File, 2));
    EXPECT_EQ(nullptr, StringTable_Get(m_File, -1));
    EXPECT_EQ(nullptr, StringTable_Get(m_File, StringTable_Count()));

    // A record whose length says more than the chunk holds.
    Bytes bytes = BuildBytes(game);
    uint32_t record = ReadWord(bytes, FindChunk(bytes, "STRG") + 12);
    WriteWord(bytes, record, 0x10000);
    EXPECT_FALSE(Load(bytes));
    const std::string at = std::to_string(record);
    EXPECT_TRUE(testsupport::HasLine(
        m_Log.Text(), "STRG: string 0 at file offset " + at + ": its text at file offset " +
                          std::to_string(record + 4) + " (65537 bytes) runs past the end of *"))
        << m_Log.Text();

    // The last string of the table is the last thing in the file: without its terminator the
    // string table and the game are refused.
    bytes = BuildBytes(SmallGame());
    bytes.back() = '!';
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(testsupport::HasLine(m_Log.Text(),
                                     "STRG: string * at file offset *: its text at file offset * has no "
                                     "terminator after its * bytes"));
    EXPECT_TRUE(m_Log.Has("The game file was refused while its code was read\n"));
    EXPECT_EQ(0, StringTable_Count());
}

TEST_F(LoaderTest, ThePrePassNamesItsStepsAndKeepsTheCodeChunks)
{
    g_CompiledCode = false;
    Bytes bytes = BuildBytes(SmallGame({{"CODE", Words({0})}, {"VARI", Words({0, 0, 0, 0, 0, 0})}}));
    EXPECT_TRUE(Load(bytes)) << m_Log.Text();
    for (std::string line : {"Get Header Information\nInitKVSFunctions\n", "ID_STRG\n", "initialise everything!\n",
                             "Code_Load()\nVARI_Load()\n", "Process Chunk: OPTN   "})
        EXPECT_TRUE(m_Log.Has(line)) << line;
    EXPECT_TRUE(g_CompiledCode);
    EXPECT_EQ(6u, g_VariableChunkWords);
    // A code chunk whose count table runs past it is refused by the pre-pass.
    m_Log.Clear();
    EXPECT_FALSE(Load(BuildBytes(SmallGame({{"CODE", Words({3, 8})}}))));
    EXPECT_TRUE(m_Log.Has("Malformed Chunk CODE"));
}

TEST(GameFilePaths, OptionsIniAndDebugFileFollowTheGameFilesName)
{
    // The last "/" wins over a later "\"; the last "." anywhere in the path, even in a folder's name.
    for (auto [game, ini] : {std::pair{"C:\\games/x\\data.win", "C:\\games/options.ini"},
                             {"C:\\games\\x\\data.win", "C:\\games\\x/options.ini"}, {"data.win", ""}})
        EXPECT_EQ(ini, GameFile_OptionsIniPath(game)) << game;
    for (auto [game, debug] : {std::pair{"C:\\my.games\\data", "C:\\my.qzdebug"}, {"/srv/game/data", ""}})
        EXPECT_EQ(debug, GameFile_DebugInfoPath(game)) << game;
}

namespace {

class KirranLoadGameTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_Folder = std::filesystem::path(testing::TempDir()) / ("gamefile_kirran_" + name);
        std::filesystem::remove_all(m_Folder);
        std::filesystem::create_directories(m_Folder);
        m_GamePath = (m_Folder / "data.win").string();
        g_DebugMode = 0;
        g_DebugOverlayFlags = 0;
        g_TraceFlag = 1;
        g_IniOptions = IniOptions();
        // The working and game folders are fixed by the first game file a process loads; each test loads its own.
        Variable_ResetWorkingDirectory();
        App_ResetPaths();
    }
    void TearDown() override
    {
        std::filesystem::remove_all(m_Folder);
        Variable_ResetWorkingDirectory();
        App_ResetPaths();
        g_DebugMode = 0;
        g_DebugOverlayFlags = 0;
        g_TraceFlag = 0;
        g_GameFile.Release();
    }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream out(m_Folder / name, std::ios::binary);
        out << text;
    }
    void WriteGame(const std::vector<uint8_t>& bytes)
    {
        Write("data.win", std::string(bytes.begin(), bytes.end()));
    }
    std::filesystem::path m_Folder;
    std::string m_GamePath;
    CapturedLog m_Log;
};

} // namespace

TEST_F(KirranLoadGameTest, ReadsTheFileAndTheOptionsIniBesideIt)
{
    WriteGame(BuildBytes(SmallGame()));
    Write("options.ini", "[DEFAULT]\r\nOrientPortrait=0\r\nOrientLandscape=-1\r\nDebug=1\r\nTrace=0\r\n");
    App_SetGameFileName(m_GamePath.c_str());
    EXPECT_FALSE(KirranLoadGame());

    std::string ini = (m_Folder / "options.ini").string();
    EXPECT_TRUE(m_Log.Has("KirranLoadGame() - " + m_GamePath + "\n"));
    EXPECT_TRUE(m_Log.Has("Checking if INIFile " + ini + " Exists\n"));
    EXPECT_FALSE(m_Log.Has("!!!!No INI File"));
    EXPECT_TRUE(m_Log.Has("Reading File " + m_GamePath + "\nLoaded File " + m_GamePath + "\nIFF wad found\n"));
    EXPECT_EQ(g_GameFile.Size() + 128, g_GameFileMemoryFigure);
    ASSERT_NE(nullptr, g_pOptionsIni);
    EXPECT_EQ(ini, g_OptionsIniPath);
    EXPECT_EQ(std::tuple(false, 1, 0), std::tuple(g_IniOptions.orientPortrait, g_DebugMode, g_TraceFlag)) << "keys read";

    LoadGameCode(g_GameFile);
    EXPECT_TRUE(LoadGameData());
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
}

TEST_F(KirranLoadGameTest, AMissingOptionsIniIsOnlyLoggedAndAMissingGameLeavesNothing)
{
    WriteGame(BuildBytes(SmallGame()));
    App_SetGameFileName(m_GamePath.c_str());
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("!!!!No INI File " + (m_Folder / "options.ini").string() + "\n"));
    EXPECT_EQ(nullptr, g_pOptionsIni);
    EXPECT_TRUE(g_GameFile.IsLoaded());

    std::filesystem::remove(m_GamePath);
    m_Log.Clear();
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("FAILED to load File " + m_GamePath + "\n"));
    EXPECT_FALSE(g_GameFile.IsLoaded());
    EXPECT_EQ("No such file or directory", GameFile_ReadError());
    LoadGameCode(g_GameFile);
    EXPECT_FALSE(LoadGameData());
    // A folder of the game's name is no file either, and says so.
    std::filesystem::create_directory(m_GamePath);
    KirranLoadGame();
    EXPECT_FALSE(g_GameFile.IsLoaded());
    EXPECT_EQ("Is a directory", GameFile_ReadError());
}

// A folder named as the game, also the one the run stands in, is refused under the name given: the
// mapping of file names would name the folder holding it.
TEST_F(KirranLoadGameTest, AFolderGivenAsTheGameKeepsItsName)
{
    const std::filesystem::path here = std::filesystem::current_path();
    // A folder in the root ("/tmp"), which the mapping of its own name made "/".
    const std::string folder = m_Folder.string(), top = "/" + std::next(m_Folder.begin())->string();
    // (the folder run from, the name given)
    const std::pair<std::string, std::string> cases[] = {
        {folder, folder}, {folder, "."}, {folder, folder + "/"}, {top, top}, {here.string(), folder}};
    for (const auto& [from, given] : cases) {
        std::filesystem::current_path(from);
        Variable_ResetWorkingDirectory();
        App_ResetPaths();
        App_SetGameFileName(given.c_str());
        m_Log.Clear();
        KirranLoadGame();
        EXPECT_EQ(given, App_GetGameFileName()) << from << ", " << given;
        EXPECT_TRUE(m_Log.Has("FAILED to load File " + given + "\n")) << from << ", " << given;
        EXPECT_EQ("Is a directory", GameFile_ReadError()) << from << ", " << given;
    }
    std::filesystem::current_path(here);
}

TEST_F(KirranLoadGameTest, TheDebugFileBesideTheGameIsRead)
{
    WriteGame(BuildBytes(SmallGame()));
    // A debug container: one line table of two pairs and one source text. Each chunk: a count, offsets, then the records (a table: pair count, pairs; a source: text).
    Bytes bytes = {'F', 'O', 'R', 'M'};
    for (uint32_t word : {0u, 0x49474244u /* DBGI */, 28u, 1u, 24u, 2u, 0u, 1u, 12u, 3u, 0x54504353u /* SCPT */,
                          16u, 1u, 60u, 64u})
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    bytes.insert(bytes.end(), {'x', '=', '1', 0});
    WriteWord(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
    Write("data.qzdebug", std::string(bytes.begin(), bytes.end()));

    App_SetGameFileName(m_GamePath.c_str());
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("Process Chunk: DBGI   "));
    EXPECT_STREQ("x=1", DebugInfo_Source(0));
    ASSERT_EQ(2u, DebugInfo_LinePairCount(0));
    uint32_t first = 0, second = 0;
    EXPECT_TRUE(DebugInfo_LinePair(0, 1, first, second));
    EXPECT_EQ(std::pair(12u, 3u), std::pair(first, second));
    EXPECT_FALSE(DebugInfo_LinePair(0, 2, first, second));

    // A line table whose pair count runs past the file is left out; the source table stays.
    WriteWord(bytes, 8 + 8 + 8, 0x10000000);
    Write("data.qzdebug", std::string(bytes.begin(), bytes.end()));
    m_Log.Clear();
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("Debug information: chunk DBGI is malformed and was skipped\n"));
    EXPECT_EQ(0u, DebugInfo_LinePairCount(0));
    EXPECT_STREQ("x=1", DebugInfo_Source(0));
}

TEST(GameFileDialog, AHeadlessRunWithoutAGameFileCannotAsk)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    CapturedLog log;
    std::string path = "unchanged";
    EXPECT_FALSE(OpenGameFileDialog(path));
    EXPECT_EQ("unchanged", path);
    EXPECT_TRUE(log.Has("No game file was named and a headless run cannot ask for one: use -game FILE\n"));
    unsetenv("KELVARO_HEADLESS");
    TestSwitches_Reload();
}
