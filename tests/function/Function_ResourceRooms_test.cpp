// The room built-ins on rooms added at run time: edits of the table's records and definitions.
#include <cstring>
#include <string>

#include "../TestSupport_Builtins.h"
#include "../room/RoomTestSupport.h"
#include "code/Code_Object.h"
#include "room/Room_Definition.h"

using testsupport::CallReal;
using testsupport::CallText;
using testsupport::TestArg;

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
    static CRoom& RoomAt(int32_t index) { return *Room_Get(index); }
    // Whether exactly the message was reported since the last call (null: nothing was).
    bool Reported(const char* message)
    {
        bool as = message != nullptr ? m_Log.Count(message) == 1 : m_Log.Text().empty();
        m_Log.Clear();
        return as;
    }
};

TEST_F(RoomBuiltins, NamesAndSimpleSettings)
{
    EXPECT_EQ(1, CallReal("room_exists", {3}));
    EXPECT_EQ(0, CallReal("room_exists", {4}));
    EXPECT_EQ("__newroom1", CallText("room_get_name", {1}));
    EXPECT_EQ("<undefined>", CallText("room_name", {9}));

    CallReal("room_set_width", {2.9, 100});
    CallReal("room_set_height", {1, 99.5});
    CallReal("room_set_caption", {1, "Hall"});
    CallReal("room_set_persistent", {1, 0.5});
    CallReal("room_set_view_enabled", {1, 0.49});
    CallReal("room_set_background_color", {1, 255.5, 0.2});
    EXPECT_EQ(roomtest::Reals(640, 100), roomtest::Reals(RoomAt(2).m_Width, RoomAt(3).m_Width)); // rounded index
    EXPECT_EQ(roomtest::Reals(100, 1, 0, 256, 0),
              roomtest::Reals(RoomAt(1).m_Height, RoomAt(1).m_Persistent, RoomAt(1).m_EnableViews, RoomAt(1).m_Colour,
                              RoomAt(1).m_ShowColour));
    EXPECT_STREQ("Hall", RoomAt(1).m_pCaption);
    // Edits of a missing room do nothing.
    for (const char* name : {"room_set_width", "room_set_caption", "room_set_code", "room_set_persistent"})
        EXPECT_EQ(0, CallReal(name, {9, "1"})) << name;
    EXPECT_TRUE(Reported(nullptr));
}

TEST_F(RoomBuiltins, BackgroundLayersAndViews)
{
    RoomBackground& layer = RoomAt(0).m_Backgrounds[0];
    layer.xscale = 3.0f;
    layer.blend = 0x123456u;
    RoomBackground before[ROOM_LAYERS];
    std::memcpy(before, RoomAt(0).m_Backgrounds, sizeof before);
    CallReal("room_set_background", {0, 8, 1, 1, 2, 3, 4, 1, 1, 5, 6, 0.5});
    CallReal("room_set_background", {0, -1, 1, 1, 2, 3, 4, 1, 1, 5, 6, 0.5});
    EXPECT_EQ(0, std::memcmp(before, RoomAt(0).m_Backgrounds, sizeof before));

    CallReal("room_set_background", {0, 0.4, 1, 0.5, 2.5, 1.25, -3, 0, 0.6, 0.5, -0.25, 0.75});
    EXPECT_EQ(roomtest::Reals(1, 1, 2, 1.25f, -3.0f, 0, 1, 1.0f, 1.0f, 0.5f, -0.25f, 0.75f, 0x123456u),
              roomtest::Reals(layer.visible, layer.foreground, layer.index, layer.x, layer.y, layer.htiled,
                              layer.vtiled, layer.xscale, layer.yscale, layer.hspeed, layer.vspeed, layer.alpha,
                              layer.blend));

    RoomView& view = RoomAt(0).m_Views[7];
    view.angle = 30.0f;
    CallReal("room_set_view", {0, 7, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12.5, 100000});
    EXPECT_EQ(roomtest::Reals(1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 100000, 30.0f),
              roomtest::Reals(view.visible, view.xview, view.yview, view.wview, view.hview, view.xport, view.yport,
                              view.wport, view.hport, view.hborder, view.vborder, view.hspeed, view.vspeed,
                              view.object, view.angle));
    RoomView unchanged = RoomAt(0).m_Views[0];
    CallReal("room_set_view", {0, 8, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    EXPECT_EQ(0, std::memcmp(&unchanged, &RoomAt(0).m_Views[0], sizeof unchanged));
}

TEST_F(RoomBuiltins, InstanceAndTileEntries)
{
    int32_t id = g_InstanceIdCounter + 1;
    EXPECT_EQ(id, CallReal("room_instance_add", {2.9, 10.7, 20.2, 1.9})); // room and object truncated
    EXPECT_EQ(-1, CallReal("room_instance_add", {4, 0, 0, 0}));
    const RoomInstanceDef& entry = RoomAt(2).m_pDefinition->instances.at(0);
    EXPECT_EQ(roomtest::Reals(10, 20, 1, id), roomtest::Reals(entry.x, entry.y, entry.object, entry.id));
    EXPECT_TRUE(RoomAt(3).m_pDefinition->instances.empty());
    CallReal("room_instance_clear", {2});
    EXPECT_TRUE(RoomAt(2).m_pDefinition->instances.empty());

    // No background exists, so no tile can be added; the background is asked before the room.
    struct Case {
        const char* name;
        std::vector<TestArg> args;
        double result;
    } cases[] = {
        {"room_tile_add", {0, 0, 0, 0, 16, 16, 0, 0, 10}, -1},
        {"room_tile_add", {9, 0, 0, 0, 16, 16, 0, 0, 10}, -1},
        {"room_tile_add_ext", {0, 0, 0, 0, 16, 16, 0, 0, 10, 1, 1, 1}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, CallReal(c.name, c.args)) << c.name;
        EXPECT_TRUE(Reported("Background does not exist.")) << c.name;
    }
    RoomTile tile{};
    RoomAt(1).AddTile(tile);
    CallReal("room_tile_clear", {1});
    EXPECT_EQ(0, RoomAt(1).m_TileCount);
}

TEST_F(RoomBuiltins, DuplicateAndAssign)
{
    RoomAt(0).m_Width = 123;
    EXPECT_EQ(0, CallReal("room_duplicate", {9}));
    EXPECT_TRUE(Reported("Trying to duplicate non-existing room."));
    EXPECT_EQ(4, CallReal("room_duplicate", {0}));
    EXPECT_EQ(123, RoomAt(4).m_Width);
    EXPECT_EQ("__newroom4", CallText("room_get_name", {4}));
    for (auto [target, source, fails] : {std::tuple{9, 0, true}, {1, 9, true}, {1, 0, false}}) {
        EXPECT_EQ(0, CallReal("room_assign", {target, source}));
        EXPECT_TRUE(Reported(fails ? "Error assigning a room." : nullptr)) << target << " " << source;
    }
    EXPECT_EQ(123, RoomAt(1).m_Width);
}

TEST_F(RoomBuiltins, CreationCodeIsCompiledWhenSet)
{
    CallReal("room_set_code", {0, "global.marker = ;"});
    EXPECT_TRUE(Reported("COMPILATION ERROR in room script"));
    EXPECT_EQ(nullptr, RoomAt(0).m_pCreationCode);
    CallReal("room_set_code", {0, "global.marker = 1;"});
    CallReal("room_set_code", {1, "global.marker = 2;"});
    EXPECT_TRUE(Reported(nullptr));
    CCode* code = RoomAt(0).m_pCreationCode;
    ASSERT_NE(nullptr, code);
    EXPECT_EQ(1u, code->m_Compiled);
    EXPECT_STREQ("Room.NewRoom", code->GetName());
    EXPECT_STREQ("global.marker = 1;", RoomAt(0).m_pCreationText);
    // A copy made before a later change keeps the code it copied, which stays alive.
    EXPECT_EQ(4, CallReal("room_duplicate", {0}));
    CallReal("room_set_code", {0, ""});
    EXPECT_EQ(nullptr, RoomAt(0).m_pCreationCode);
    EXPECT_EQ(code, RoomAt(4).m_pCreationCode);
    EXPECT_STREQ("global.marker = 1;", RoomAt(4).m_pCreationCode->GetText());
}

} // namespace
