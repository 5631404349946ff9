// The room built-ins on rooms added at run time: edits of the table's records and definitions.
#include <cstring>

#include "../TestSupport_Builtins.h"
#include "../room/RoomTestSupport.h"
#include "background/Background_Table.h"
#include "code/Code_Object.h"
#include "room/Room_Definition.h"

using roomtest::Reals;
using testsupport::CallReal;
using testsupport::CallText;

namespace {

// Four rooms, 0 to 3, all made by room_add.
class RoomBuiltins : public roomtest::RoomTest {
  protected:
    void SetUp() override
    {
        testsupport::RegisterBuiltins();
        RoomTest::SetUp();
        for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(i, CallReal("room_add", {}));
        m_Log.Clear();
    }
    static CRoom& At(int32_t index) { return *Room_Get(index); }
    // Whether exactly this message (null: nothing) was reported since the last call.
    bool Reported(const char* message)
    {
        bool as = message != nullptr ? m_Log.Count(message) == 1 : m_Log.Text().empty();
        m_Log.Clear();
        return as;
    }
};

TEST_F(RoomBuiltins, SettingsLayersAndViews)
{
    EXPECT_EQ(Reals(1, 0), Reals(CallReal("room_exists", {3}), CallReal("room_exists", {4})));
    EXPECT_EQ("__newroom1<undefined>", CallText("room_get_name", {1}) + CallText("room_name", {9}));
    CallReal("room_set_width", {2.9, 100}); // the room index rounds
    CallReal("room_set_height", {1, 99.5});
    CallReal("room_set_caption", {1, "Hall"});
    CallReal("room_set_persistent", {1, 0.5});
    CallReal("room_set_view_enabled", {1, 0.49});
    CallReal("room_set_background_color", {1, 255.5, 0.2});
    CallReal("room_set_width", {9, 1});
    EXPECT_EQ(Reals(640, 100, 100, 1, 0, 256, 0), Reals(At(2).m_Width, At(3).m_Width, At(1).m_Height, At(1).m_Persistent,
                                                      At(1).m_EnableViews, At(1).m_Colour, At(1).m_ShowColour));
    EXPECT_STREQ("Hall", At(1).m_pCaption);

    RoomBackground& layer = At(0).m_Backgrounds[0];
    layer.xscale = 3.0f;
    layer.blend = 0x123456u;
    RoomBackground layers[ROOM_LAYERS];
    RoomView view0 = At(0).m_Views[0];
    std::memcpy(layers, At(0).m_Backgrounds, sizeof layers);
    CallReal("room_set_background", {0, 8, 1, 1, 2, 3, 4, 1, 1, 5, 6, 0.5});
    CallReal("room_set_background", {0, -1, 1, 1, 2, 3, 4, 1, 1, 5, 6, 0.5});
    CallReal("room_set_view", {0, 8, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    EXPECT_EQ(0, std::memcmp(layers, At(0).m_Backgrounds, sizeof layers));
    EXPECT_EQ(0, std::memcmp(&view0, &At(0).m_Views[0], sizeof view0));
    CallReal("room_set_background", {0, 0.4, 1, 0.5, 2.5, 1.25, -3, 0, 0.6, 0.5, -0.25, 0.75});
    EXPECT_EQ(Reals(1, 1, 2, 1.25f, -3.0f, 0, 1, 1.0f, 1.0f, 0.5f, -0.25f, 0.75f, 0x123456u),
              Reals(layer.visible, layer.foreground, layer.index, layer.x, layer.y, layer.htiled, layer.vtiled,
                    layer.xscale, layer.yscale, layer.hspeed, layer.vspeed, layer.alpha, layer.blend));
    RoomView& v = At(0).m_Views[7];
    v.angle = 30.0f;
    CallReal("room_set_view", {0, 7, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12.5, 100000});
    EXPECT_EQ(Reals(1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 100000, 30.0f),
              Reals(v.visible, v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport, v.hborder,
                    v.vborder, v.hspeed, v.vspeed, v.object, v.angle));
    EXPECT_TRUE(Reported(nullptr));
}

TEST_F(RoomBuiltins, EntriesCopiesAndMessages)
{
    int32_t id = g_InstanceIdCounter + 1;
    EXPECT_EQ(Reals(id, -1), Reals(CallReal("room_instance_add", {2.9, 10.7, 20.2, 1.9}), // room, object truncated
                                   CallReal("room_instance_add", {4, 0, 0, 0})));
    const RoomInstanceDef& entry = At(2).m_pDefinition->instances.at(0);
    EXPECT_EQ(Reals(10, 20, 1, id), Reals(entry.x, entry.y, entry.object, entry.id));
    CallReal("room_instance_clear", {2});
    EXPECT_TRUE(At(2).m_pDefinition->instances.empty());
    At(1).AddTile(RoomTile{});
    CallReal("room_tile_clear", {1});
    EXPECT_EQ(0, At(1).m_TileCount);

    At(0).m_Width = 123;
    EXPECT_EQ(4, CallReal("room_duplicate", {0}));
    EXPECT_EQ(123, At(4).m_Width);
    EXPECT_TRUE(Reported(nullptr));
    // No background exists yet, and it is asked about before the room.
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        double result;
        const char* message;
    } cases[] = {
        {"room_tile_add", {0, 0, 0, 0, 16, 16, 0, 0, 10}, -1, "Background does not exist."},
        {"room_tile_add", {9, 0, 0, 0, 16, 16, 0, 0, 10}, -1, "Background does not exist."},
        {"room_tile_add_ext", {0, 0, 0, 0, 16, 16, 0, 0, 10, 1, 1, 1}, 0, "Background does not exist."},
        {"room_duplicate", {9}, 0, "Trying to duplicate non-existing room."},
        {"room_assign", {9, 0}, 0, "Error assigning a room."},
        {"room_assign", {1, 9}, 0, "Error assigning a room."},
        {"room_assign", {1, 0}, 0, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, CallReal(c.name, c.args)) << c.name;
        EXPECT_TRUE(Reported(c.message)) << c.name;
    }
    EXPECT_EQ(123, At(1).m_Width);
}

// What room `index` holds when it next starts: its tiles' ids, scales and alphas, and its instances.
struct Started {
    std::vector<int32_t> tiles;
    std::vector<double> lastTile; // its xscale, yscale and alpha
    int32_t instances = 0;
};

Started StartOf(int32_t index)
{
    CRoom running;
    running.CopyFrom(Room_Get(index), true);
    Started started;
    for (int32_t i = 0; i < running.m_TileCount; ++i) started.tiles.push_back(running.m_pTiles[i].id);
    if (running.m_TileCount > 0) {
        const RoomTile& last = running.m_pTiles[running.m_TileCount - 1];
        started.lastTile = Reals(last.xscale, last.yscale, last.alpha);
    }
    started.instances = running.m_Active.m_Count;
    running.ClearActive();
    return started;
}

// Edits go to the room named and show when it next starts; a duplicate and an assigned room edit
// copies of the definition they share with their source.
TEST_F(RoomBuiltins, DefinitionEditsReachOnlyTheRoomNamed)
{
    int32_t background = Background_AddEmpty();
    int32_t object = Object_Add();
    std::vector<testsupport::TestArg> tile = {0, background, 0, 0, 16, 16, 32, 48, 5};
    int32_t a = int32_t(CallReal("room_tile_add", tile));
    int32_t b = int32_t(CallReal("room_tile_add", tile));
    CallReal("room_instance_add", {0, 1, 2, object});
    EXPECT_EQ(4, CallReal("room_duplicate", {0}));
    CallReal("room_assign", {1, 0});
    CallReal("room_tile_clear", {0});
    int32_t e = int32_t(CallReal("room_tile_add_ext", {4, background, 0, 0, 16, 16, 8, 8, 5, 2, 3, 0.25}));
    CallReal("room_instance_clear", {1});
    CallReal("room_tile_add_ext", {2, background, 0, 0, 16, 16, 8, 8, 5, 1, 1, 0.5});
    const Started expected[] = {
        {{}, {}, 1},                              // room 0: tiles cleared
        {{a, b}, Reals(1, 1, 1), 0},              // assigned from room 0: instances cleared
        {{e + 1}, Reals(1, 1, 0.5), 0},           // added at run time, a tile with its own alpha
        {{}, {}, 0},                              // untouched
        {{a, b, e}, Reals(2, 3, 0.25), 1},        // duplicate of room 0: a tile with scale and alpha
    };
    for (int32_t i = 0; i < 5; ++i) {
        Started started = StartOf(i);
        EXPECT_EQ(expected[i].tiles, started.tiles) << "room " << i;
        EXPECT_EQ(expected[i].lastTile, started.lastTile) << "room " << i;
        EXPECT_EQ(expected[i].instances, started.instances) << "room " << i;
    }
    EXPECT_TRUE(Reported(nullptr));
    Background_Reset();
}

TEST_F(RoomBuiltins, CreationCodeIsCompiledWhenSet)
{
    CallReal("room_set_code", {0, "global.marker = ;"});
    EXPECT_TRUE(Reported("COMPILATION ERROR in room script"));
    EXPECT_EQ(nullptr, At(0).m_pCreationCode);
    CallReal("room_set_code", {0, "global.marker = 1;"});
    EXPECT_TRUE(Reported(nullptr));
    CCode* code = At(0).m_pCreationCode;
    ASSERT_NE(nullptr, code);
    EXPECT_EQ(1u, code->m_Compiled);
    EXPECT_STREQ("Room.NewRoom", code->GetName());
    // A copy made before a later change keeps the code it copied, which stays alive.
    EXPECT_EQ(4, CallReal("room_duplicate", {0}));
    CallReal("room_set_code", {0, ""});
    EXPECT_EQ(nullptr, At(0).m_pCreationCode);
    EXPECT_EQ(code, At(4).m_pCreationCode);
    EXPECT_STREQ("global.marker = 1;", code->GetText());
}

} // namespace
