// Rooms described in a manifest, built by the builder and read back by the run-time; room names in
// game code in both code forms.
#include "RoomTestSupport.h"

#include "gamebuild/GameBuild_Manifest.h"
#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

const char* const MANIFEST = R"({
  "header": {"roomOrder": [1, 0]},
  "rooms": [
    {"name": "room_a", "caption": null, "width": 320, "height": 200, "speed": 60, "persistent": true,
     "colour": "0x00FF00", "showColour": false, "enableViews": true, "physics": true, "gravityY": -3.5,
     "source": "test_note(\"room code\");",
     "backgrounds": [null, {"visible": 1, "background": 4, "x": 8}],
     "views": [{"visible": 1, "wport": 100, "object": 2}],
     "instances": [{"object": "obj_b", "x": 5, "y": 6, "xscale": 2.5, "colour": "0x80112233", "source": "v = 1;"},
                   null, {"object": 0, "id": 100500}],
     "tiles": [{"background": 1, "depth": -4, "yscale": 0.5}]},
    {"name": "room_b"}
  ],
  "objects": [{"name": "obj_a"}, {"name": "obj_b"}]
})";

TEST_F(RoomTest, AManifestsRoomsAreBuiltAndRead)
{
    gamebuild::GameDesc game;
    std::string errors;
    ASSERT_TRUE(gamebuild::ReadManifest(MANIFEST, ".", game, errors)) << errors;
    ASSERT_EQ(2u, game.rooms.size());
    EXPECT_EQ(1, game.rooms[0].instances[0].object) << "objects named before or after the rooms";
    const gamebuild::RoomDesc& room = game.rooms[0];
    EXPECT_EQ(Reals(room.hasCaption, room.colour, room.showColour, room.usesPhysics, room.gravityY,
                    room.backgrounds[0].present, room.backgrounds[1].background, room.views[0].object),
              Reals(0, 0x00FF00, 0, 1, -3.5, 0, 4, 2));
    EXPECT_EQ(Reals(room.instances[0].xscale, room.instances[0].colour, room.instances[1].present,
                    room.instances[2].id, room.tiles[0].yscale),
              Reals(2.5, 0x80112233, 0, 100500, 0.5));

    // Loaded, the file's ids follow the header's counter, which covers the ids given.
    ASSERT_TRUE(Load(game)) << m_Log.Text();
    const RoomDefinition& definition = *Room_Get(0)->m_pDefinition;
    EXPECT_EQ(Reals(definition.instances[0].id, definition.instances[2].id, g_InstanceIdCounter,
                    definition.tiles[0].id, Room_First()),
              Reals(100001, 100500, 100001, 10000001, 1));
    EXPECT_NE(nullptr, definition.instances[0].code);
}

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

class RoomNamesInCode : public PlayedGameTest, public testing::WithParamInterface<bool> {};

TEST_P(RoomNamesInCode, NameTheRoomIndex)
{
    gamebuild::GameDesc game;
    game.compiledCode = GetParam();
    gamebuild::ObjectDesc object = Object("obj");
    object.events = {Event(0, 0, "test_note(room_b, room_a);")};
    game.objects = {object};
    gamebuild::RoomDesc first = Room("room_a", {Placed(0, 0, 0, "test_note(\"placed in\", room_a);")});
    first.hasCode = true;
    first.code.source = "test_goto(room_b);";
    game.rooms = {first, Room("room_b")};
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    EXPECT_EQ((std::vector<std::string>{"100001 placed in 0", "100001 1 0"}), TakeNotes());
    Tick();
    EXPECT_EQ(1, g_CurrentRoomIndex);
}

INSTANTIATE_TEST_SUITE_P(CodeForms, RoomNamesInCode, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Compiled" : "Source"; });

} // namespace
