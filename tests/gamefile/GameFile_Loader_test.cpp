#include "gamefile/GameFile_Loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "app/App_Startup.h"
#include "gamefile/GameFile_DebugInfo.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_OpenDialog.h"
#include "gamefile/GameFile_Strings.h"
#include "platform/Platform_TestSwitches.h"

namespace {

gamebuild::GameDesc SmallGame()
{
    gamebuild::GameDesc game;
    game.header.version = 13;
    game.header.roomOrder = {0, 1};
    game.options.words[22] = 1; // freeze while inactive: shows that the options chunk was read
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
    bool Load(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        LoadGameCode(m_File);
        return LoadGameChunks(m_File);
    }
    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace

TEST_F(LoaderTest, ASoundFileLoadsEveryChunkWithItsLogLines)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    EXPECT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("Get Header Information\nInitKVSFunctions\n"));
    EXPECT_TRUE(m_Log.Has("ID_STRG\n"));
    EXPECT_TRUE(m_Log.Has("initialise everything!\n"));
    size_t header = FindChunk(bytes, "GEN8");
    EXPECT_TRUE(m_Log.Has("Process Chunk: GEN8   " + std::to_string(ReadWord(bytes, header + 4)) + "\n"));
    EXPECT_TRUE(m_Log.Has("Process Chunk: OPTN   "));
    EXPECT_TRUE(m_Log.Has("Process Chunk: STRG   "));
    EXPECT_TRUE(g_GameHeader.present);
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
    EXPECT_FALSE(m_Log.Has("unknown Chunk"));
    EXPECT_FALSE(m_Log.Has("Malformed"));
}

TEST_F(LoaderTest, ChunksOfAreasNotLoadedYetAreLoggedOnceEachWhenTheyHoldAnything)
{
    // A count table of n entries of offset 0: the slots count even though no resource is there.
    auto table = [](uint32_t n) {
        std::vector<uint8_t> bytes(4 + 4 * n, 0);
        bytes[0] = static_cast<uint8_t>(n);
        return bytes;
    };
    gamebuild::GameDesc game = SmallGame();
    // Chunks whose areas are not written yet.
    game.rawChunks = {{"SHDR", table(3)}, {"BGND", table(0)}, {"TMLN", {}}};
    EXPECT_TRUE(Load(BuildBytes(game))) << m_Log.Text();
    const struct {
        const char* line;
        size_t count;
    } expected[] = {
        {"Chunk SHDR skipped: 3 shaders not loaded yet\n", 1},
        {"Chunk BGND skipped", 0}, // an empty table skips nothing
        {"Chunk TMLN skipped", 0}, // nor does an empty chunk
        {"skipped", 1},
    };
    for (const auto& e : expected) EXPECT_EQ(e.count, m_Log.Count(e.line)) << e.line << m_Log.Text();
}

TEST_F(LoaderTest, UnknownChunksAreLoggedTheOthersStillLoadAndThePassFails)
{
    gamebuild::GameDesc game = SmallGame();
    game.rawChunks = {{"ABCD", {1, 2, 3, 4}}, {"WXYZ", {5}}};
    game.chunkOrder = {"GEN8", "ABCD", "WXYZ", "OPTN", "STRG"};
    EXPECT_FALSE(Load(BuildBytes(game)));
    EXPECT_TRUE(m_Log.Has("unknown Chunk ABCD:1145258561\n"));
    EXPECT_TRUE(m_Log.Has("unknown Chunk WXYZ:1515804759\n"));
    // The options after the unknown chunks were still read.
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
    EXPECT_EQ((std::vector<int32_t>{0, 1}), g_GameHeader.roomOrder);
}

TEST_F(LoaderTest, AnEmptyChunkIsSkippedSilentlyWhateverItsTag)
{
    gamebuild::GameDesc game = SmallGame();
    game.rawChunks = {{"QQQQ", {}}, {"SPRT", {}}};
    game.chunkOrder = {"GEN8", "QQQQ", "SPRT", "OPTN", "STRG"};
    EXPECT_TRUE(Load(BuildBytes(game))) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("Process Chunk: QQQQ   0\n"));
    EXPECT_FALSE(m_Log.Has("unknown Chunk"));
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
}

TEST_F(LoaderTest, AContainerWithAWrongLengthWordOrOf8BytesReadsNoChunkAndSucceeds)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    WriteWord(bytes, 4, ReadWord(bytes, 4) + 1);
    EXPECT_TRUE(Load(bytes));
    EXPECT_FALSE(m_Log.Has("Process Chunk"));
    EXPECT_FALSE(m_Log.Has("Get Header Information"));
    EXPECT_FALSE(g_GameHeader.present);
    EXPECT_FALSE(g_GameOptions.freezeWhenInactive);

    EXPECT_TRUE(Load({'F', 'O', 'R', 'M', 0, 0, 0, 0}));
    EXPECT_TRUE(Load({'F', 'O', 'R', 'M'}));
    EXPECT_TRUE(Load({}));
    EXPECT_FALSE(m_Log.Has("Process Chunk"));
}

TEST_F(LoaderTest, NoFileReadMeansNoGame)
{
    GameFile none;
    EXPECT_FALSE(LoadGameChunks(none));
    EXPECT_TRUE(m_Log.Has("No game file was read\n"));
}

TEST_F(LoaderTest, AChunkThatRunsPastTheEndStopsTheWalkAndFails)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    size_t options = FindChunk(bytes, "OPTN");
    WriteWord(bytes, options + 4, 0x7FFFFFF0u);
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("Chunk OPTN runs past the end of the file (length 2147483632)\n"));
    EXPECT_TRUE(g_GameHeader.present); // the header before it was read
    EXPECT_FALSE(g_GameOptions.freezeWhenInactive);
}

TEST_F(LoaderTest, TrailingBytesTooFewForAChunkHeaderAreABrokenChunk)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    bytes.insert(bytes.end(), {'T', 'A', 'I', 'L', 1});
    WriteWord(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("Chunk TAIL runs past the end of the file"));
}

TEST_F(LoaderTest, CountTablesMustFitTheirChunkAndPointIntoTheFile)
{
    struct Case {
        const char* tag;
        std::vector<uint8_t> body;
    };
    const Case cases[] = {
        {"SPRT", Words({1000, 8})},            // a count larger than the body
        {"BGND", {1, 0}},                       // no whole count
        {"ROOM", Words({2, 8, 0x7FFFFFFF})},    // an entry past the end of the file
        {"TPAG", Words({1, 8})},                // an entry whose 22 bytes run past the end
        {"DAFL", Words({0xFFFFFFFFu})},         // a count that overflows when multiplied
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        gamebuild::GameDesc game = SmallGame();
        game.rawChunks = {{c.tag, c.body}};
        game.chunkOrder = {"GEN8", c.tag, "OPTN", "STRG"};
        std::vector<uint8_t> bytes = BuildBytes(game);
        if (std::string(c.tag) == "TPAG") {
            // Point the entry at the last 10 bytes of the file.
            WriteWord(bytes, FindChunk(bytes, "TPAG") + 12, static_cast<uint32_t>(bytes.size() - 10));
        }
        m_Log.Clear();
        EXPECT_FALSE(Load(bytes));
        EXPECT_TRUE(m_Log.Has(std::string("Malformed Chunk ") + c.tag)) << m_Log.Text();
        EXPECT_TRUE(g_GameOptions.freezeWhenInactive); // later chunks still loaded
    }
}

TEST_F(LoaderTest, TexturePagesAreKeptWhenTheirEntriesFit)
{
    gamebuild::GameDesc game = SmallGame();
    std::vector<uint8_t> page = Words({1, 0});
    page.resize(page.size() + TEXTURE_PAGE_ENTRY_SIZE, 0);
    game.rawChunks = {{"TPAG", page}};
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t chunk = FindChunk(bytes, "TPAG");
    WriteWord(bytes, chunk + 12, static_cast<uint32_t>(chunk + 16));
    EXPECT_TRUE(Load(bytes)) << m_Log.Text();
    EXPECT_EQ(chunk + 8, g_TexturePageChunk.body);
    EXPECT_EQ(page.size(), g_TexturePageChunk.length);
}

TEST_F(LoaderTest, AStringWithoutTerminatorRefusesTheStringTableAndTheGame)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    // The last string of the table is the last thing in the file: drop its terminator's meaning.
    bytes.back() = '!';
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("runs past the chunk or has no terminator"));
    EXPECT_TRUE(m_Log.Has("Malformed Chunk STRG"));
    EXPECT_TRUE(m_Log.Has("The game file was refused while its code was read\n"));
    EXPECT_EQ(0, StringTable_Count());
}

TEST_F(LoaderTest, TheStringTableResolvesIndicesToTheCharacters)
{
    gamebuild::GameDesc game = SmallGame();
    game.extraStrings = {"alpha", "", "gamma"};
    ASSERT_TRUE(Load(BuildBytes(game)));
    ASSERT_GE(StringTable_Count(), 3);
    EXPECT_STREQ("alpha", StringTable_Get(m_File, 0));
    EXPECT_STREQ("", StringTable_Get(m_File, 1));
    EXPECT_STREQ("gamma", StringTable_Get(m_File, 2));
    EXPECT_EQ(nullptr, StringTable_Get(m_File, -1));
    EXPECT_EQ(nullptr, StringTable_Get(m_File, StringTable_Count()));

    // A record whose length says more than the chunk holds.
    std::vector<uint8_t> bytes = BuildBytes(game);
    size_t strings = FindChunk(bytes, "STRG");
    uint32_t record = ReadWord(bytes, strings + 12);
    WriteWord(bytes, record, 0x10000);
    EXPECT_FALSE(Load(bytes));
    EXPECT_TRUE(m_Log.Has("Strings: string 0 (record at file offset " + std::to_string(record) + ")"));
}

TEST_F(LoaderTest, ThePrePassNamesItsStepsAndKeepsTheCodeChunks)
{
    gamebuild::GameDesc game = SmallGame();
    game.rawChunks = {{"CODE", Words({0})}, {"VARI", Words({0, 0, 0, 0, 0, 0})}};
    g_CompiledCode = false;
    EXPECT_TRUE(Load(BuildBytes(game))) << m_Log.Text();
    EXPECT_TRUE(m_Log.Has("Code_Load()\n"));
    EXPECT_TRUE(m_Log.Has("VARI_Load()\n"));
    EXPECT_TRUE(g_CompiledCode);
    EXPECT_EQ(6u, g_VariableChunkWords);

    // A code chunk whose count table runs past it is refused by the pre-pass.
    game.rawChunks = {{"CODE", Words({3, 8})}};
    m_Log.Clear();
    EXPECT_FALSE(Load(BuildBytes(game)));
    EXPECT_TRUE(m_Log.Has("Malformed Chunk CODE"));
}

TEST(GameFilePaths, OptionsIniAndDebugFileFollowTheGameFilesName)
{
    // The last "/" wins over a later "\".
    EXPECT_EQ("C:\\games/options.ini", GameFile_OptionsIniPath("C:\\games/x\\data.win"));
    EXPECT_EQ("C:\\games\\x/options.ini", GameFile_OptionsIniPath("C:\\games\\x\\data.win"));
    EXPECT_EQ("/srv/game/options.ini", GameFile_OptionsIniPath("/srv/game/data.win"));
    EXPECT_EQ("", GameFile_OptionsIniPath("data.win"));
    // The last "." anywhere in the path, even in a folder's name.
    EXPECT_EQ("C:\\my.qzdebug", GameFile_DebugInfoPath("C:\\my.games\\data"));
    EXPECT_EQ("/srv/game/data.qzdebug", GameFile_DebugInfoPath("/srv/game/data.win"));
    EXPECT_EQ("", GameFile_DebugInfoPath("/srv/game/data"));
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
    }
    void TearDown() override
    {
        std::filesystem::remove_all(m_Folder);
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
    EXPECT_TRUE(m_Log.Has("KirranLoadGame: " + m_GamePath + "\n"));
    EXPECT_TRUE(m_Log.Has("KirranLoadGame() - " + m_GamePath + "\n"));
    EXPECT_TRUE(m_Log.Has("Checking if INIFile " + ini + " Exists\n"));
    EXPECT_FALSE(m_Log.Has("!!!!No INI File"));
    EXPECT_TRUE(m_Log.Has("Reading File " + m_GamePath + "\nLoaded File " + m_GamePath + "\nIFF wad found\n"));
    EXPECT_TRUE(g_GameFile.IsLoaded());
    EXPECT_EQ(g_GameFile.Size() + 128, g_GameFileMemoryFigure);
    ASSERT_NE(nullptr, g_pOptionsIni);
    EXPECT_EQ(ini, g_OptionsIniPath);

    // The keys took effect.
    EXPECT_FALSE(g_IniOptions.orientPortrait);
    EXPECT_TRUE(g_IniOptions.orientLandscape);
    EXPECT_TRUE(g_IniOptions.orientPortraitFlipped);
    EXPECT_EQ(1, g_DebugMode);
    EXPECT_EQ(2, g_DebugOverlayFlags);
    EXPECT_EQ(0, g_TraceFlag);

    LoadGameCode(g_GameFile);
    EXPECT_TRUE(LoadGameData());
    EXPECT_TRUE(m_Log.Has("LoadGameData()\n"));
    EXPECT_TRUE(g_GameOptions.freezeWhenInactive);
}

TEST_F(KirranLoadGameTest, AMissingOptionsIniIsOnlyLogged)
{
    WriteGame(BuildBytes(SmallGame()));
    App_SetGameFileName(m_GamePath.c_str());
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("!!!!No INI File " + (m_Folder / "options.ini").string() + "\n"));
    EXPECT_EQ(nullptr, g_pOptionsIni);
    EXPECT_EQ(1, g_TraceFlag); // untouched
    EXPECT_TRUE(g_GameFile.IsLoaded());
}

TEST_F(KirranLoadGameTest, AnUnreadableGameFileLeavesNothingForThePasses)
{
    App_SetGameFileName(m_GamePath.c_str()); // no file there
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("FAILED to load File " + m_GamePath + "\n"));
    EXPECT_FALSE(m_Log.Has("IFF wad found"));
    EXPECT_FALSE(g_GameFile.IsLoaded());
    LoadGameCode(g_GameFile);
    EXPECT_FALSE(LoadGameData());
}

TEST_F(KirranLoadGameTest, TheDebugFileBesideTheGameIsRead)
{
    WriteGame(BuildBytes(SmallGame()));
    // A debug container: one line table of two pairs and one source text.
    gamebuild::ImageWriter debug;
    debug.BeginChunk("DBGI");
    uint32_t table = debug.Position();
    debug.U32(1);
    debug.U32(table + 8);
    debug.U32(2);
    debug.U32(0);
    debug.U32(1);
    debug.U32(12);
    debug.U32(3);
    debug.EndChunk();
    debug.BeginChunk("SCPT");
    uint32_t sources = debug.Position();
    debug.U32(1);
    debug.U32(sources + 8);
    debug.U32(sources + 12);
    debug.Bytes({'x', '=', '1', 0});
    debug.EndChunk();
    std::vector<uint8_t> bytes;
    std::string errors;
    ASSERT_TRUE(debug.Finish(bytes, errors)) << errors;
    Write("data.qzdebug", std::string(bytes.begin(), bytes.end()));

    App_SetGameFileName(m_GamePath.c_str());
    KirranLoadGame();
    EXPECT_TRUE(m_Log.Has("Process Chunk: DBGI   "));
    EXPECT_STREQ("x=1", DebugInfo_Source(0));
    EXPECT_EQ(nullptr, DebugInfo_Source(1));
    ASSERT_EQ(2u, DebugInfo_LinePairCount(0));
    uint32_t first = 0, second = 0;
    EXPECT_TRUE(DebugInfo_LinePair(0, 1, first, second));
    EXPECT_EQ(12u, first);
    EXPECT_EQ(3u, second);
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

TEST_F(KirranLoadGameTest, AMalformedGameStopsStartUpWithFailedToLoadTheGame)
{
    std::vector<uint8_t> bytes = BuildBytes(SmallGame());
    size_t options = FindChunk(bytes, "OPTN") + 8;
    WriteWord(bytes, options + 140, 5); // five constants in a chunk that holds none
    WriteGame(bytes);
    App_SetGameFileName(m_GamePath.c_str());
    KirranLoadGame();
    LoadGameCode(g_GameFile);
    EXPECT_FALSE(LoadAndStartGame());
    EXPECT_TRUE(m_Log.Has("Malformed Chunk OPTN"));
    EXPECT_TRUE(m_Log.Has("Failed to load the game\n"));
    EXPECT_FALSE(m_Log.Has("PrepareGame()"));
}

TEST(GameFileDialog, AHeadlessRunWithoutAGameFileEndsWithExitCode1)
{
    setenv("KELVARO_HEADLESS", "1", 1);
    TestSwitches_Reload();
    {
        CapturedLog log;
        std::string path = "unchanged";
        EXPECT_FALSE(OpenGameFileDialog(path));
        EXPECT_EQ("unchanged", path);
        EXPECT_TRUE(log.Has("No game file was named and a headless run cannot ask for one: use -game FILE\n"));
    }
    App_SetGameFileName("");
    EXPECT_EXIT(KirranLoadGame(), testing::ExitedWithCode(1), "");
    unsetenv("KELVARO_HEADLESS");
    TestSwitches_Reload();
}
