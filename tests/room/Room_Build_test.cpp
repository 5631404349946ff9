// Mistakes in a manifest's rooms, named by their place. Well-formed rooms are built by every played
// test game and end-to-end game.
#include "RoomTestSupport.h"

#include "gamebuild/GameBuild_Manifest.h"
#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

TEST_F(RoomTest, ManifestMistakesInRoomsAreNamedByTheirPlace)
{
    gamebuild::GameDesc game;
    std::string errors;
    EXPECT_FALSE(gamebuild::ReadManifest(R"({"rooms": [{"name": "r", "colour": "red", "shape": 1,
        "views": [{"xview": 1.5}], "instances": [{"object": "obj_none"}], "tiles": [3]}]})",
                                         ".", game, errors));
    EXPECT_NE(std::string::npos, errors.find("rooms[0].colour: expected a whole number")) << errors;
    EXPECT_NE(std::string::npos, errors.find("rooms[0].shape: unknown key")) << errors;
    EXPECT_NE(std::string::npos, errors.find("rooms[0].views[0].xview: expected a whole number")) << errors;
    EXPECT_NE(std::string::npos, errors.find("rooms[0].instances[0].object: no object is named obj_none")) << errors;
    EXPECT_NE(std::string::npos, errors.find("rooms[0].tiles[0]: expected an object")) << errors;

    gamebuild::GameDesc source;
    source.rooms = {Room("r", {Placed(0)})};
    source.rooms[0].instances[0].hasCode = true;
    source.rooms[0].instances[0].code.isAssembly = true;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(gamebuild::BuildGame(source, bytes, errors));
    EXPECT_NE(std::string::npos, errors.find("rooms[0].instances[0]: assembly needs a game of compiled code")) << errors;
}

// Ids the manifest gives are kept; the others skip them, and the header's counters end above every
// id, so that tiles and instances made while the game runs get new ones.
TEST_F(RoomTest, GivenIdsRaiseTheHeaderCountersAndAreNotGivenTwice)
{
    gamebuild::GameDesc game;
    game.objects = {Object("obj")};
    gamebuild::RoomDesc first = Room("first", {Placed(0), Placed(0)});
    first.instances[1].id = 100001;
    first.tiles = {{.id = 10000001}, {}, {.id = 10000009}};
    gamebuild::RoomDesc second = Room("second", {Placed(0)});
    second.instances[0].id = 100050;
    second.tiles = {{}};
    game.rooms = {first, second};
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Load(game));
    auto ids = [](int32_t room, bool tiles) {
        std::vector<int32_t> found;
        const RoomDefinition& definition = *Room_Get(room)->m_pDefinition;
        if (tiles) for (const RoomTileDef& tile : definition.tiles) found.push_back(tile.id);
        else for (const RoomInstanceDef& instance : definition.instances) found.push_back(instance.id);
        return found;
    };
    EXPECT_EQ((std::vector<int32_t>{100002, 100001}), ids(0, false));
    EXPECT_EQ((std::vector<int32_t>{100050}), ids(1, false));
    EXPECT_EQ((std::vector<int32_t>{10000001, 10000002, 10000009}), ids(0, true));
    EXPECT_EQ((std::vector<int32_t>{10000003}), ids(1, true));
    EXPECT_EQ(100050u, g_GameHeader.lastInstanceId);
    EXPECT_EQ(10000009u, g_GameHeader.lastTileId);
}

} // namespace
