// Mistakes in a manifest's rooms, named by their place. Well-formed rooms are built by every played
// test game and end-to-end game.
#include "RoomTestSupport.h"

#include "gamebuild/GameBuild_Manifest.h"

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

} // namespace
