// Reading the rooms chunk (its fields are pinned byte by byte with the game-file tests): files whose
// rooms point outside themselves.
#include "RoomTestSupport.h"

#include <string>
#include <tuple>

#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

gamebuild::RoomDesc DetailedRoom()
{
    gamebuild::RoomDesc room = Room("room_main", {Placed(0, 12, 34, "test_note(\"code\");")});
    room.caption = "The Caption";
    room.width = 800;
    room.height = 600;
    room.speed = 45;
    room.persistent = true;
    room.colour = 0x123456;
    room.showColour = false;
    room.enableViews = true;
    gamebuild::RoomBackgroundDesc layer{.visible = 1, .foreground = 1, .background = 3, .x = 5, .y = -6, .htiled = 0,
                                        .vtiled = 1, .hspeed = 2, .vspeed = -3, .stretch = 1};
    room.backgrounds = {layer, gamebuild::RoomBackgroundDesc{.present = false}, layer};
    room.views = {{.visible = 1, .xview = 10, .yview = 20, .wview = 300, .hview = 200, .xport = 1, .yport = 2,
                   .wport = 600, .hport = 400, .hborder = 64, .vborder = 48, .hspeed = 4, .vspeed = 5, .object = 0}};
    room.usesPhysics = true;
    room.gravityX = -0.5f;
    room.gravityY = 9.8f;
    room.physicsScale = 0.05f;
    room.tiles = {{.x = 7, .depth = 100}};
    return room;
}

gamebuild::GameDesc DetailedGame(int32_t version = 13)
{
    gamebuild::GameDesc game;
    game.header.version = version;
    game.header.hasSaveFolder = version >= 8; // older headers keep the room order there
    game.objects = {Object("obj")};
    gamebuild::RoomDesc second = Room("room_second");
    second.hasCaption = false;
    game.rooms = {DetailedRoom(), second};
    game.header.roomOrder = {0, 1};
    return game;
}

// The room's list offsets, from its record.
uint32_t ListOffset(const std::vector<uint8_t>& bytes, uint32_t record, uint32_t word)
{
    return ReadWord(bytes, record + 4 * word);
}

// Patches a word of the built file and loads it; the load must fail with the room's log line,
// which names the room, where its record lies and what lies outside the file.
class MalformedRoom : public RoomTest {
protected:
  void ExpectRefused(std::vector<uint8_t> bytes, const std::string& line)
  {
      m_Log.Clear();
      EXPECT_FALSE(Load(bytes)) << line;
      EXPECT_TRUE(testsupport::HasLine(m_Log.Text(), line)) << line << "\n" << m_Log.Text();
      EXPECT_TRUE(m_Log.Has("Malformed Chunk ROOM")) << line;
    }
};

TEST_F(MalformedRoom, EveryOffsetAndCountIsCheckedAgainstTheFile)
{
    std::vector<uint8_t> good = BuildBytes(DetailedGame());
    uint32_t record = RoomRecord(good, 0);
    uint32_t size = static_cast<uint32_t>(good.size());
    auto patched = [&](uint32_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        WriteWord(bytes, at, value);
        return bytes;
    };
    const EntryRefusal room("ROOM", "room 0", record, size);
    size_t table = FindChunk(good, "ROOM") + 12;
    ExpectRefused(patched(static_cast<uint32_t>(table), size - 20),
                  EntryRefusal("ROOM", "room 0", size - 20, size).Past("its record", size - 20, 88));
    ExpectRefused(patched(record, size + 4), room.Outside("its name", size + 4));
    ExpectRefused(patched(record + 4, 0xFFFFFFF0u), room.Outside("its caption", 0xFFFFFFF0u));
    ExpectRefused(patched(record + 32, size), room.Outside("its creation code", size));
    // (word of the record, the list's entries, the words of an entry)
    const std::tuple<uint32_t, std::string, uint32_t> lists[] = {
        {10, "background", 10}, {11, "view", 14}, {12, "instance", 9}, {13, "tile", 12}};
    for (const auto& [word, entries, words] : lists) {
        std::string list = "its " + entries + " list";
        ExpectRefused(patched(record + 4 * word, size - 2),
                      room.Within(list, size - 2).Past("its count word", size - 2, 4));
        uint32_t at = ListOffset(good, record, word);
        ExpectRefused(patched(at, 0x40000000u),
                      room.Within(list, at).Past("the pointer list of its 1073741824 entries", at + 4, 4294967296));
        ExpectRefused(patched(at + 4, size - 8), room.Past("its " + entries + " 0", size - 8, 4 * words));
    }
    uint32_t instance = ReadWord(good, ListOffset(good, record, 12) + 4);
    ExpectRefused(patched(instance + 16, size + 100), room.Outside("the creation code of its instance 0", size + 100));
    EXPECT_TRUE(Load(good)) << "the unpatched file loads";
}

// The views word is a flag word in real files (2 views off, 3 on): bit 0 enables the views, and the
// definition keeps the word as written.
TEST_F(RoomTest, TheViewsWordEnablesViewsByItsLowBit)
{
    const std::pair<uint32_t, uint32_t> words[] = {{0, 0}, {1, 1}, {2, 0}, {3, 1}, {0xFFFFFFFEu, 0}, {0x80000001u, 1}};
    for (const auto& [word, enabled] : words) {
        gamebuild::GameDesc game = DetailedGame();
        game.rooms[0].enableViews = word;
        ASSERT_TRUE(Load(game)) << word;
        CRoom* room = Room_Get(0);
        ASSERT_NE(room, nullptr);
        EXPECT_EQ(room->m_EnableViews, enabled) << "views word " << word;
        ASSERT_NE(room->m_pDefinition, nullptr);
        EXPECT_EQ(room->m_pDefinition->enableViews, word);
    }
}

} // namespace
