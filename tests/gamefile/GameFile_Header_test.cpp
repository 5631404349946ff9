#include "gamefile/GameFile_Header.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "GameFileTestSupport.h"
#include "gamefile/GameFile_Loader.h"
#include "gamefile/GameFile_Services.h"
#include "platform/Platform_DisplayName.h"

namespace {

// A header with a distinct value in every field.
gamebuild::GameDesc Described(int32_t version, const std::string& tag = "GEN8")
{
    gamebuild::GameDesc game;
    gamebuild::HeaderDesc& h = game.header;
    h.tag = tag;
    h.version = version;
    h.debugByte = 0;
    h.name = "Tunnel Run";
    h.configName = "Release";
    h.saveFolder = "TunnelRun";
    h.lastInstanceId = 100123;
    h.lastTileId = 10000456;
    h.gameId = 0xCAFE01u;
    h.windowWidth = 800;
    h.windowHeight = 600;
    h.infoFlags = HEADER_FLAG_RESIZABLE | HEADER_FLAG_SHOW_CURSOR | HEADER_FLAG_STEAM;
    h.displayName = "Tunnel Run Deluxe";
    h.kept104 = 0x0102030405060708ull;
    h.optionBits = 0x8000000000000004ull;
    h.steamAppId = 480;
    h.roomOrder = {3, 1, 2};
    if (version <= 7) h.hasSaveFolder = false; // the room order's list lies where the name would
    return game;
}

class HeaderTest : public testing::Test {
protected:
    void SetUp() override { GameHeader_Clear(); }
    void Load(const std::vector<uint8_t>& bytes)
    {
        LoadInto(m_File, bytes);
        LoadGameCode(m_File);
        m_Loaded = LoadGameChunks(m_File);
    }
    GameFile m_File;
    bool m_Loaded = false;
    CapturedLog m_Log;
};

} // namespace

TEST_F(HeaderTest, EveryVersionReadsBackTheFieldsItHolds)
{
    for (int32_t version : {7, 10, 11, 12, 13}) {
        SCOPED_TRACE("header version " + std::to_string(version));
        GameHeader_Clear();
        Platform_SetDisplayName("before");
        gamebuild::GameDesc game = Described(version);
        Load(BuildBytes(game));
        ASSERT_TRUE(m_Loaded) << m_Log.Text();
        const GameHeader& h = g_GameHeader;
        EXPECT_EQ(std::tuple(version, 0, std::string("Tunnel Run"), std::string("Release"), 0xCAFE01u, 100123u, 10000456u),
                  std::tuple(h.version, h.debugByte, std::string(h.name), std::string(h.configName), h.gameId,
                             h.lastInstanceId, h.lastTileId));
        EXPECT_EQ(std::tuple(100123, 10000456, 800), std::tuple(g_InstanceIdCounter, g_TileIdCounter, g_FormatVersion));
        EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), h.roomOrder);
        // Before version 8 no save folder, window size or flags: a default room's size.
        bool eight = version >= 8;
        EXPECT_EQ(std::tuple(eight ? "TunnelRun" : "", eight ? 800 : 640, eight ? 600 : 480,
                             eight ? HEADER_FLAG_RESIZABLE | HEADER_FLAG_SHOW_CURSOR | HEADER_FLAG_STEAM : 0u, eight),
                  std::tuple(h.saveFolder, h.windowWidth, h.windowHeight, h.infoFlags, h.steamFlag));
        EXPECT_STREQ(version >= 10 ? "Tunnel Run Deluxe" : "before", Platform_GetDisplayName()) << "the box caption";
        EXPECT_EQ(version >= 11 ? 0x0102030405060708ull : 0ull, h.kept104);
        EXPECT_EQ(version >= 12 ? 0x8000000000000004ull : ~0ull, GameHeader_OptionFlags());
        EXPECT_EQ(version >= 13 ? 480u : 0u, h.steamAppId);
    }
}

// The fields whose place depends on the version and tag.
std::string Summary()
{
    const GameHeader& h = g_GameHeader;
    std::string rooms;
    for (int32_t room : h.roomOrder) rooms += std::to_string(room) + ",";
    return "v" + std::to_string(h.version) + " format " + std::to_string(g_FormatVersion) + " rooms " + rooms +
           " save '" + h.saveFolder + "' width " + std::to_string(h.windowWidth) + " app " +
           std::to_string(h.steamAppId);
}

TEST_F(HeaderTest, TagsAndVersionsPlaceTheFields)
{
    auto with = [](int32_t version, const char* tag, std::function<void(gamebuild::HeaderDesc&)> change) {
        gamebuild::GameDesc game = Described(version, tag);
        change(game.header);
        return game;
    };
    const struct {
        gamebuild::GameDesc game;
        const char* summary;
    } cases[] = {
        // Older tags give format version 700; "GENL" with a version 13 layout is read like "GEN8".
        {Described(7, "GEN7"), "v7 format 700 rooms 3,1,2, save '' width 640 app 0"},
        {Described(13, "GENL"), "v13 format 700 rooms 3,1,2, save 'TunnelRun' width 800 app 480"},
        // The version byte is signed: 200 is -56, below 8, so the count lies at 36 and no window size.
        {Described(-56), "v-56 format 800 rooms 3,1,2, save '' width 640 app 0"},
        // Before version 8 the save folder is read only without a room order: with rooms, the word
        // at 40 is room 5, not the file offset of a name.
        {with(7, "GEN8", [](auto& h) { h.roomOrder.clear(); h.hasSaveFolder = true; }),
         "v7 format 800 rooms  save 'TunnelRun' width 640 app 0"},
        {with(7, "GEN8", [](auto& h) { h.roomOrder = {5}; }), "v7 format 800 rooms 5, save '' width 640 app 0"},
    };
    for (const auto& c : cases) {
        GameHeader_Clear();
        m_Log.Clear();
        Load(BuildBytes(c.game));
        ASSERT_TRUE(m_Loaded) << c.summary << m_Log.Text();
        EXPECT_EQ(c.summary, Summary());
        EXPECT_TRUE(m_Log.Has("Process Chunk: " + c.game.header.tag + "   "));
    }

    // A version 13 file relabelled 14: the display name's offset is taken as the room count, far
    // more rooms than the chunk holds, and the header is refused.
    GameHeader_Clear();
    std::vector<uint8_t> bytes = BuildBytes(Described(13));
    bytes[FindChunk(bytes, "GEN8") + 8 + 1] = 14;
    m_Log.Clear();
    Load(bytes);
    EXPECT_FALSE(m_Loaded);
    EXPECT_TRUE(m_Log.Has("Header: the room order (count at header offset 100) does not fit the chunk\n"));
    EXPECT_TRUE(m_Log.Has("Malformed Chunk GEN8"));
}

TEST_F(HeaderTest, AHeaderTooShortForItsVersionIsRefused)
{
    // Version 13 needs 124 bytes of fields; cut the chunk to 120 by dropping its room order and
    // the Steam id.
    gamebuild::GameDesc game = Described(13);
    std::vector<uint8_t> built = BuildBytes(game);
    size_t header = FindChunk(built, "GEN8");
    gamebuild::RawChunkDesc cut{"GEN8", std::vector<uint8_t>(built.begin() + header + 8, built.begin() + header + 8 + 120)};
    game.rawChunks = {cut};
    game.chunkOrder = {"GEN8", "OPTN", "STRG"};
    Load(BuildBytes(game));
    EXPECT_FALSE(m_Loaded);
    EXPECT_TRUE(m_Log.Has("Header: a version 13 header needs 124 bytes, the chunk holds 120\n"));
    EXPECT_TRUE(g_PrePassFailed);

    // A body of one byte holds no version.
    EXPECT_FALSE(GEN8_ReadStartup(m_File, 8, 1));
    EXPECT_FALSE(GEN8_Load(m_File, 8, 1));
}

TEST_F(HeaderTest, AHeaderStringOutsideTheFileIsRefused)
{
    std::vector<uint8_t> bytes = BuildBytes(Described(12));
    size_t body = FindChunk(bytes, "GEN8") + 8;
    WriteWord(bytes, body + 8, static_cast<uint32_t>(bytes.size()) + 40); // the configuration name
    Load(bytes);
    EXPECT_FALSE(m_Loaded);
    EXPECT_TRUE(m_Log.Has("Header: the string at header offset 8"));
    EXPECT_EQ(nullptr, g_GameHeader.configName);
}
