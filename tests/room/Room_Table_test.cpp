// The room table and the room order: lookups, navigation, and rooms added, duplicated and
// assigned at run time.
#include "RoomTestSupport.h"

#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

gamebuild::GameDesc FiveRooms(std::vector<int32_t> order)
{
    gamebuild::GameDesc game;
    game.objects = {Object("obj")};
    gamebuild::RoomDesc hole;
    hole.present = false;
    game.rooms = {Room("room_a", {Placed(0)}), Room("room_b"), hole, Room("Room_D"), Room("room_d")};
    game.header.roomOrder = std::move(order);
    return game;
}

TEST_F(RoomTest, TheOrderIsWalkedForwardAndBackward)
{
    ASSERT_TRUE(Load(FiveRooms({3, 1, 4})));
    EXPECT_EQ(3, Room_First());
    EXPECT_EQ(4, Room_Last());
    EXPECT_EQ(4, Room_Next(1));
    EXPECT_EQ(3, Room_Previous(1));
    EXPECT_EQ(-1, Room_Next(4));
    EXPECT_EQ(-1, Room_Previous(3));
    EXPECT_EQ(-1, Room_Next(0)) << "not in the order";
    EXPECT_EQ(-1, Room_Previous(0));

    // Rooms added at run time join the table but not the order.
    int32_t added = Room_Add();
    EXPECT_EQ(5, added);
    EXPECT_STREQ("__newroom5", Room_GetName(added));
    EXPECT_STREQ("NewRoom", Room_Get(added)->m_pName);
    EXPECT_EQ(-1, Room_Next(added));
    EXPECT_EQ(-1, Room_Previous(added));
    EXPECT_EQ(3, Room_OrderCount());
}

TEST_F(RoomTest, AnEmptyOrderHasNoFirstOrLastRoom)
{
    ASSERT_TRUE(Load(FiveRooms({})));
    EXPECT_EQ(-1, Room_First());
    EXPECT_EQ(-1, Room_Last());
    EXPECT_EQ(-1, Room_Next(-1));
    EXPECT_EQ(-1, Room_Previous(-1));
}

TEST_F(RoomTest, NamesAreFoundExactlyAndEmptyEntriesHaveNone)
{
    ASSERT_TRUE(Load(FiveRooms({0})));
    EXPECT_EQ(5, Room_Count());
    EXPECT_FALSE(Room_Exists(2));
    EXPECT_EQ(nullptr, Room_Get(2));
    EXPECT_STREQ("<undefined>", Room_GetName(2));
    EXPECT_STREQ("<undefined>", Room_GetName(-1));
    EXPECT_STREQ("<undefined>", Room_GetName(5));
    EXPECT_STREQ("room_b", Room_GetName(1));
    EXPECT_EQ(3, Room_Find("Room_D"));
    EXPECT_EQ(4, Room_Find("room_d"));
    EXPECT_EQ(-1, Room_Find("ROOM_A"));
    EXPECT_EQ(-1, Room_Find(""));
    EXPECT_EQ(-1, Room_Find(nullptr));
}

TEST_F(RoomTest, FindSkipsAnIndexWithoutARoom)
{
    // Index 1 is empty although a name is asked for that a later room has.
    gamebuild::GameDesc game;
    gamebuild::RoomDesc hole;
    hole.present = false;
    game.rooms = {Room("room_x"), hole, Room("room_y")};
    ASSERT_TRUE(Load(game));
    EXPECT_EQ(2, Room_Find("room_y"));
    Room_Assign(0, 2);
    EXPECT_EQ(0, Room_Find("room_x")) << "the table keeps the destination's name";
}

TEST_F(RoomTest, ADuplicateCopiesTheRoomAndSharesItsDefinition)
{
    ASSERT_TRUE(Load(FiveRooms({0})));
    Room_Get(0)->m_Width = 1234;
    int32_t copy = Room_Duplicate(0);
    EXPECT_EQ(5, copy);
    EXPECT_STREQ("__newroom5", Room_GetName(copy));
    EXPECT_EQ(1234, Room_Get(copy)->m_Width);
    EXPECT_EQ(Room_Get(0)->m_pDefinition, Room_Get(copy)->m_pDefinition);
    EXPECT_STREQ("room_a", Room_Get(copy)->m_pName);
    EXPECT_EQ(-1, Room_Duplicate(2));
    EXPECT_EQ(-1, Room_Duplicate(99));
    EXPECT_EQ(6, Room_Count());
}

TEST_F(RoomTest, AssignNeedsBothRoomsAndMakesTheInstancesOnlyWhenTheRoomStarts)
{
    ASSERT_TRUE(Load(FiveRooms({1})));
    EXPECT_FALSE(Room_Assign(2, 0));
    EXPECT_FALSE(Room_Assign(1, 2));
    EXPECT_FALSE(Room_Assign(1, -1));
    ASSERT_TRUE(Room_Assign(1, 0));
    CRoom* assigned = Room_Get(1);
    EXPECT_EQ(Room_Get(0)->m_pDefinition, assigned->m_pDefinition);
    EXPECT_EQ(0, assigned->m_Active.m_Count);
    EXPECT_EQ(nullptr, Instance_FindById(100001)) << "a record that does not run holds no instance";
    EXPECT_EQ(0, Object_Data(0)->m_Instances.count);

    StartGame();
    EXPECT_EQ(1, g_CurrentRoomIndex);
    ASSERT_NE(nullptr, Run_CurrentRoom());
    EXPECT_EQ(1, Run_CurrentRoom()->m_Active.m_Count);
    EXPECT_NE(nullptr, Instance_FindById(100001));
}

TEST_F(RoomTest, ResetAndFreeEmptyEverything)
{
    ASSERT_TRUE(Load(FiveRooms({0, 1})));
    StartGame();
    ASSERT_NE(nullptr, Run_CurrentRoom());
    ASSERT_NE(nullptr, Instance_FindById(100001));
    RoomTables_Free();
    EXPECT_EQ(nullptr, Run_CurrentRoom());
    EXPECT_EQ(nullptr, Run_RoomState(0));
    EXPECT_EQ(nullptr, Instance_FindById(100001));
    EXPECT_EQ(0, Room_Count());
    EXPECT_EQ(0, Room_OrderCount());
    EXPECT_EQ(-1, Room_First());
}

} // namespace
