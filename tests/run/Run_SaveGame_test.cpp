// Saved games: what a load restores, when it is applied, and that a malformed save changes nothing.
// A save of the running game is its own digest: a refused load must leave it byte for byte.
#include <cstring>
#include <fstream>
#include <functional>

#include "../TestSupport_Console.h"
#include "../TestSupport_SaveArea.h"
#include "RunFrameTestSupport.h"
#include "buffer/Buffer_IBuffer.h"
#include "buffer/Buffer_Table.h"
#include "object/Object_Class.h"
#include "run/Run_SaveGame.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_Names.h"

using namespace frametest;

namespace {

constexpr int32_t OTHER = 7;
constexpr int32_t ROOM_START = 4;

class SaveGame : public FrameTest {
  protected:
    void TearDown() override
    {
        Run_ClearQueuedLoad();
        Buffer_DeleteAll();
        FrameTest::TearDown();
    }

    // Room 0 (two tiles) holds three instances, one deactivated at its creation; the game then
    // moves to room 1 and back, and both rooms, persistent, keep a run-time state. Room 2 is never
    // entered.
    void PlayTwoRooms()
    {
        gamebuild::GameDesc game;
        game.objects = {Object("obj_a", 5), Object("obj_b", -5), Object("obj_c")};
        game.objects[0].events = {Event(0, 0, "hits = 3; global.total = 7;")};
        game.objects[2].events = {Event(0, 0, "test_deactivate();"), Event(OTHER, ROOM_START, "test_note(\"start\");")};
        gamebuild::RoomDesc kept = Room("room_kept", {Placed(0, 10, 20), Placed(1, 30, 40), Placed(2)});
        kept.persistent = true;
        kept.tiles = {gamebuild::RoomTileDesc{}, gamebuild::RoomTileDesc{}};
        kept.tiles[1].x = 48;
        gamebuild::RoomDesc other = Room("room_other", {Placed(1)});
        other.persistent = true;
        game.rooms = {kept, other, Room("room_unseen", {Placed(0)})};
        game.header.roomOrder = {0, 1, 2};
        ASSERT_TRUE(Play(game));
        g_RunRequest = 1;
        Tick();
        g_RunRequest = 0;
        Tick();
        ASSERT_EQ(0, g_CurrentRoomIndex);
    }

    static std::vector<uint8_t> Save()
    {
        int32_t id = Buffer_Create(1024, eBuffer_Grow, 1);
        EXPECT_TRUE(Run_SaveGameBuffer(id));
        IBuffer* buffer = Buffer_Get(id);
        std::vector<uint8_t> bytes(buffer->m_pData, buffer->m_pData + buffer->m_Position);
        Buffer_Delete(id);
        return bytes;
    }

    // Queues a load of exactly these bytes and applies it as the next frame's start would.
    static bool Load(const std::vector<uint8_t>& bytes)
    {
        int32_t id = Buffer_Create(static_cast<int32_t>(bytes.size()), eBuffer_Fixed, 1);
        if (!bytes.empty()) std::memcpy(Buffer_Get(id)->m_pData, bytes.data(), bytes.size());
        EXPECT_TRUE(Run_LoadGameBuffer(id));
        bool loaded = Run_ApplyQueuedLoad();
        EXPECT_NE(nullptr, Buffer_Get(id)) << "a buffer load leaves the caller's buffer";
        Buffer_Delete(id);
        return loaded;
    }

    static int32_t Global(const char* name)
    {
        ScriptValue value = {VALUE_REAL, 0, 0.0};
        Variable_GetGlobal(Code_Variable_Lookup(name), 0, &value);
        return static_cast<int32_t>(value.real);
    }
};

void PutS32(std::vector<uint8_t>& bytes, size_t at, int32_t value) { std::memcpy(&bytes[at], &value, 4); }

// Where the room count, instance counter and tile counter stand together in a save.
size_t RoomCountOffset(const std::vector<uint8_t>& bytes)
{
    int32_t triple[3] = {Run_RoomStateCount(), g_InstanceIdCounter, g_TileIdCounter};
    for (size_t at = 0; at + sizeof triple <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], triple, sizeof triple) == 0) return at;
    return 0;
}

TEST_F(SaveGame, LoadRestoresRoomsInstancesGlobalsAndCounters)
{
    ASSERT_NO_FATAL_FAILURE(PlayTwoRooms());
    g_Score = 250;
    g_CaptionLives = "Ships: ";
    std::vector<uint8_t> saved = Save();
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ((std::vector<uint8_t>{0x53, 0x03, 0x00, 0x00}), std::vector<uint8_t>(saved.begin(), saved.begin() + 4));
    int32_t counter = g_InstanceIdCounter;
    std::vector<int32_t> active = ListIds(Run_CurrentRoom()->m_Active);

    // Change everything, then load.
    g_Score = 1;
    g_CaptionLives = "";
    ScriptValue changed = {VALUE_REAL, 0, 99.0};
    Variable_SetGlobal(Code_Variable_Lookup("total"), 0, &changed);
    Run_CreateInstance(0, 5, 5);
    g_RunRequest = 2;
    Tick();
    Notes().clear();
    ASSERT_TRUE(Load(saved));

    EXPECT_EQ(0, g_CurrentRoomIndex);
    EXPECT_EQ("Ships: ", g_CaptionLives);
    EXPECT_EQ(7, Global("total"));
    EXPECT_EQ(counter, g_InstanceIdCounter);
    EXPECT_EQ(active, ListIds(Run_CurrentRoom()->m_Active));
    EXPECT_TRUE(Notes().empty()) << "a load performs no event";
    // The deactivated instance is found by id but is in no object's list.
    CInstance* deactivated = Run_CurrentRoom()->m_Deactivated.m_pHead;
    ASSERT_NE(nullptr, deactivated);
    EXPECT_EQ(deactivated, Instance_FindById(deactivated->i_id));
    EXPECT_EQ(0, Object_Data(2)->m_Instances.count);
    // Room 1 was left: its instance is neither found by id nor listed by its object until it resumes.
    ASSERT_NE(nullptr, Run_RoomState(1));
    CInstance* away = Run_RoomState(1)->m_Active.m_pHead;
    ASSERT_NE(nullptr, away);
    EXPECT_EQ(nullptr, Instance_FindById(away->i_id));
    EXPECT_EQ(1, Object_Data(1)->m_Instances.count);
    EXPECT_EQ(saved, Save()) << "saving again gives the same bytes";
    EXPECT_EQ(counter + 1, Run_CreateInstance(0, 0, 0)->i_id) << "ids go on from the saved counter";

    // Resuming the other room lists its instance once; destroying it leaves nothing behind.
    g_RunRequest = 1;
    Tick();
    EXPECT_EQ(away, Instance_FindById(away->i_id));
    EXPECT_EQ(1, Object_Data(1)->m_Instances.count);
}

TEST_F(SaveGame, TruncatedOrCorruptedSavesAreRefusedAndChangeNothing)
{
    ASSERT_NO_FATAL_FAILURE(PlayTwoRooms());
    std::vector<uint8_t> saved = Save();
    size_t rooms = RoomCountOffset(saved);
    ASSERT_NE(0u, rooms);
    CInstance* first = Run_CurrentRoom()->m_Active.m_pHead;
    CInstance* second = first->m_pNext;
    // Saves of a game bent into an impossible state, then the state put back.
    auto bent = [&](const std::function<void()>& bend, const std::function<void()>& undo) {
        bend();
        std::vector<uint8_t> bytes = Save();
        undo();
        return bytes;
    };
    int32_t firstId = first->i_id;
    std::vector<std::pair<const char*, std::vector<uint8_t>>> cases;
    auto patched = [&](size_t at, int32_t value) {
        std::vector<uint8_t> bytes = saved;
        PutS32(bytes, at, value);
        return bytes;
    };
    cases.push_back({"version", patched(0, 850)});
    cases.push_back({"room index past the table", patched(8, 5)});
    cases.push_back({"room index of a room not saved", patched(8, 2)});
    cases.push_back({"huge room count", patched(rooms, 0x7FFFFFFF)});
    int32_t newest = 0;
    for (int32_t room : {0, 1})
        for (int32_t id : ListIds(Run_RoomState(room)->m_Active)) newest = std::max(newest, id);
    cases.push_back({"counter below the newest id", patched(rooms + 4, newest - 1)});
    cases.push_back({"id below 100000", bent([&] { first->i_id = 99999; }, [&] { first->i_id = firstId; })});
    cases.push_back({"duplicate id", bent([&] { first->i_id = second->i_id; }, [&] { first->i_id = firstId; })});
    // Cuts inside the header, the room table, the globals and the trailing keys.
    for (size_t keep : {size_t{0}, size_t{3}, size_t{10}, rooms + 6, saved.size() / 2, saved.size() - 3})
        cases.push_back({"cut", std::vector<uint8_t>(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(keep))});
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(Load(bytes)) << name << " " << bytes.size();
        EXPECT_EQ(saved, Save()) << name << " " << bytes.size();
    }
    EXPECT_TRUE(Load(saved));
}

TEST_F(SaveGame, QueueRulesAndFiles)
{
    testsupport::ScopedSaveArea area("savegame_queue");
    ASSERT_NO_FATAL_FAILURE(PlayTwoRooms());
    Run_SaveGame("slot1.sav");
    std::ifstream file(area.Path("slot1.sav"), std::ios::binary);
    char magic[4] = {};
    file.read(magic, 4);
    EXPECT_EQ(0, std::memcmp(magic, "\x53\x03\x00\x00", 4));
    std::vector<uint8_t> saved = Save();

    // A file load is applied at the next frame; a second load meanwhile is ignored with a warning.
    g_Score = 77;
    Run_LoadGame("slot1.sav");
    int32_t other = Buffer_Create(16, eBuffer_Grow, 1);
    testsupport::ConsoleCapture console;
    const std::string& log = console.console.text;
    EXPECT_FALSE(Run_LoadGameBuffer(other));
    EXPECT_TRUE(Run_ApplyQueuedLoad());
    EXPECT_FALSE(Run_LoadGameBuffer(4000));
    EXPECT_EQ(saved, Save());
    EXPECT_NE(std::string::npos,
              log.find("WARNING: Load game being ignored due to load game already queued\n"));
    EXPECT_NE(std::string::npos, log.find("WARNING: No buffer available for 4000\n"));

    // A missing file and a buffer deleted before the frame both leave the game as it was.
    g_Score = 78;
    Run_LoadGame("missing.sav");
    EXPECT_FALSE(Run_ApplyQueuedLoad());
    int32_t id = Buffer_Create(16, eBuffer_Grow, 1);
    ASSERT_TRUE(Run_SaveGameBuffer(id));
    Buffer_Get(id)->m_Position = 0;
    ASSERT_TRUE(Run_LoadGameBuffer(id));
    Buffer_Delete(id);
    EXPECT_FALSE(Run_ApplyQueuedLoad());
    EXPECT_EQ(78, g_Score);
}

TEST_F(SaveGame, ARoomUsingPhysicsCannotBeSaved)
{
    ASSERT_NO_FATAL_FAILURE(PlayTwoRooms());
    Run_RoomState(1)->m_UsesPhysics = 1;
    int32_t id = Buffer_Create(16, eBuffer_Grow, 1);
    EXPECT_FALSE(Run_SaveGameBuffer(id));
    EXPECT_NE(std::string::npos, g_ErrorLast.find("ERROR: game_save unavailable for rooms using physics"));
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    g_RunRequest = RUN_REQUEST_NONE;
    Run_RoomState(1)->m_UsesPhysics = 0;
}

} // namespace
