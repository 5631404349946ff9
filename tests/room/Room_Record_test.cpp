// The room record: copying a room from its running state, the edits of the definition, and the
// instance lists of a running room.
#include "RoomTestSupport.h"

#include "code/Code_Object.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "physics/Physics_World.h"
#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

gamebuild::GameDesc PlacedGame()
{
    gamebuild::GameDesc game;
    game.objects = {Object("obj_a", 5), Object("obj_b", -5)};
    gamebuild::RoomInstanceDesc scaled = Placed(1, 30, 40);
    scaled.xscale = 2.0f;
    scaled.yscale = -0.5f;
    scaled.colour = 0x80FF0000u;
    scaled.rotation = 45.0f;
    gamebuild::RoomDesc room = Room("room_placed", {Placed(0, 10, 20), scaled, Placed(-1)});
    room.tiles = {{.x = 3, .y = 4, .background = 2, .left = 16, .top = 32, .width = 8, .height = 9, .depth = -100,
                   .xscale = 1.5f, .colour = 0x40123456u}};
    room.usesPhysics = true;
    game.rooms = {room};
    game.header.roomOrder = {0};
    return game;
}

TEST_F(RoomTest, ACopyOfTheRunningStateKeepsItsTilesAndInstances)
{
    ASSERT_TRUE(Load(PlacedGame()));
    CRoom running;
    running.CopyFrom(Room_Get(0), true);
    running.m_pTiles[0].x = 99.0f;
    CInstance* moved = running.m_Active.m_pHead;
    moved->i_x = 500.0f;
    moved->SetDeactivated(1);
    running.UpdateActivation();

    CRoom copy;
    copy.CopyFrom(&running, false);
    ASSERT_EQ(1, copy.m_TileCount);
    EXPECT_EQ(99.0f, copy.m_pTiles[0].x) << "the running tile, not the definition's";
    ASSERT_EQ(1, copy.m_Deactivated.m_Count);
    EXPECT_EQ(500.0f, copy.m_Deactivated.m_pHead->i_x);
    CRoom none;
    none.m_Width = 1;
    none.CopyFrom(nullptr, true);
    EXPECT_EQ(640, none.m_Width);
}

TEST_F(RoomTest, DefinitionEditsTakeIdsFromTheCounters)
{
    ASSERT_TRUE(Load(PlacedGame()));
    CRoom* room = Room_Get(0);
    RoomDefinition* definition = room->m_pDefinition;
    int32_t counter = g_InstanceIdCounter;
    int32_t id = room->AddInstanceDef(10.9f, -3.7f, 1);
    EXPECT_EQ(counter + 1, id);
    ASSERT_EQ(4u, definition->instances.size());
    EXPECT_EQ(std::make_pair(10, -3), std::make_pair(definition->instances.back().x, definition->instances.back().y));

    EXPECT_EQ(counter + 2, room->AddInstanceDef(0, 0, 0));
    int32_t tiles = g_TileIdCounter;
    EXPECT_EQ(tiles + 1, room->AddTileDef(1, 2, 3, 4, 5, 6.6f, 7.0f, 8.0f, 1.0f, 2.0f, 0xFF00FF00u));
    EXPECT_EQ(6, definition->tiles.back().x);

    // The new entries are made when the room starts.
    StartGame();
    EXPECT_EQ(4, Run_CurrentRoom()->m_Active.m_Count);
    EXPECT_EQ(2, Run_CurrentRoom()->m_TileCount);

    room->ClearInstanceDefs();
    EXPECT_TRUE(definition->instances.empty());
    Run_CurrentRoom()->m_CachedTile = 0;
    Run_CurrentRoom()->ClearTileDefs();
    EXPECT_EQ(0, Run_CurrentRoom()->m_TileCount);
    EXPECT_EQ(-1, Run_CurrentRoom()->m_CachedTile);
}

class RoomListTest : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        m_Object = Object_Add();
    }
    int32_t m_Object = 0;
    CRoom m_Room;
};

// Destroyed while its deactivation waits for the lists: it is still in the active list, and leaves
// that list before it is freed.
TEST_F(RoomListTest, RemovingAnInstanceWhoseDeactivationIsPendingTakesItFromTheActiveList)
{
    CInstance* stays = m_Room.AddInstance(0, 0, m_Object);
    stays->SetDeactivated(1);
    m_Room.UpdateActivation();
    CInstance* head = m_Room.AddInstance(0, 0, m_Object);
    CInstance* tail = m_Room.AddInstance(0, 0, m_Object);
    for (CInstance* removed : {head, tail}) {
        removed->SetDeactivated(1);
        m_Room.RemoveInstance(removed);
    }
    EXPECT_EQ(std::vector<int32_t>{}, ListIds(m_Room.m_Active));
    EXPECT_EQ(std::vector<int32_t>{stays->GetId()}, ListIds(m_Room.m_Deactivated));
    EXPECT_EQ(nullptr, Instance_FindById(100002));
}

TEST_F(RoomListTest, TheDumpShowsAtMostAThousandInstancesAndLayersScrollByTheirSpeeds)
{
    for (int32_t i = 0; i < 1500; ++i) m_Room.AddInstance(0, 0, m_Object);
    m_Log.Clear();
    m_Room.DumpActive();
    EXPECT_EQ(1u, m_Log.Count("Dump active list\n"));
    EXPECT_EQ(1000u, m_Log.Count("\t0.000000\t"));
    // An object's name from the game file is shown printable.
    Object_Data(m_Object)->SetName("obj\x1B]0;pwned\x07");
    m_Log.Clear();
    m_Room.DumpActive();
    EXPECT_EQ(1000u, m_Log.Count("\t0.000000\tobj[1B]]0;pwned[07]\n"));

    m_Room.m_Backgrounds[0].hspeed = 1.5f;
    m_Room.m_Backgrounds[7].vspeed = -2.0f;
    m_Room.ScrollBackgrounds();
    m_Room.ScrollBackgrounds();
    EXPECT_EQ(Reals(3, -4, 0), Reals(m_Room.m_Backgrounds[0].x, m_Room.m_Backgrounds[7].y, m_Room.m_Backgrounds[3].x));
}

} // namespace
