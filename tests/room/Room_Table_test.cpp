// The room table and the room order: lookups, navigation, and rooms added, duplicated and
// assigned at run time.
#include "RoomTestSupport.h"

#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

// Room 2 is a hole; "Room_D" and "room_d" differ only in case.
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
    EXPECT_EQ((std::vector<int32_t>{3, 4, 4, 3, -1, -1, -1, -1}),
              (std::vector<int32_t>{Room_First(), Room_Last(), Room_Next(1), Room_Previous(1), Room_Next(4),
                                    Room_Previous(3), Room_Next(0), Room_Previous(0)})); // 0 is not in the order
    // Rooms added at run time join the table but not the order.
    int32_t added = Room_Add();
    EXPECT_STREQ("__newroom5", Room_GetName(added));
    EXPECT_EQ(-1, Room_Next(added));
    ASSERT_NE(nullptr, Room_Get(added)->m_pDefinition) << "a definition of its own";
    EXPECT_EQ(8u, Room_Get(added)->m_pDefinition->backgrounds.size());
    EXPECT_NE(Room_Get(Room_Add())->m_pDefinition, Room_Get(added)->m_pDefinition);

    ASSERT_TRUE(Load(FiveRooms({})));
    EXPECT_EQ((std::vector<int32_t>{-1, -1, -1, -1}),
              (std::vector<int32_t>{Room_First(), Room_Last(), Room_Next(-1), Room_Previous(-1)}));
}

TEST_F(RoomTest, NamesAreFoundExactlyAndDuplicatesShareTheDefinition)
{
    ASSERT_TRUE(Load(FiveRooms({0})));
    EXPECT_FALSE(Room_Exists(2));
    for (int32_t index : {2, -1, 5}) EXPECT_STREQ("<undefined>", Room_GetName(index)) << index;
    EXPECT_EQ((std::vector<int32_t>{3, 4, -1, -1, -1}),
              (std::vector<int32_t>{Room_Find("Room_D"), Room_Find("room_d"), Room_Find("ROOM_A"), Room_Find(""),
                                    Room_Find(nullptr)}));

    int32_t copy = Room_Duplicate(0);
    EXPECT_EQ(Room_Get(0)->m_pDefinition, Room_Get(copy)->m_pDefinition);
    EXPECT_STREQ("room_a", Room_Get(copy)->m_pName);

    // Find skips an index without a room; an assigned room keeps its name in the table.
    EXPECT_FALSE(Room_Assign(2, 0));
    EXPECT_FALSE(Room_Assign(1, 2));
    ASSERT_TRUE(Room_Assign(1, 4));
    EXPECT_EQ(4, Room_Find("room_d"));
}

TEST_F(RoomTest, AnAssignedRoomMakesItsInstancesOnlyWhenItStartsAndFreeingEmptiesEverything)
{
    ASSERT_TRUE(Load(FiveRooms({1, 0})));
    ASSERT_TRUE(Room_Assign(1, 0));
    CRoom* assigned = Room_Get(1);
    EXPECT_EQ(Room_Get(0)->m_pDefinition, assigned->m_pDefinition);
    EXPECT_EQ(nullptr, Instance_FindById(100001)) << "a record that does not run holds no instance";
    StartGame();
    ASSERT_NE(nullptr, Run_CurrentRoom());
    EXPECT_EQ(1, Run_CurrentRoom()->m_Active.m_Count);

    RoomTables_Free();
    EXPECT_EQ(nullptr, Run_CurrentRoom());
    EXPECT_EQ(nullptr, Instance_FindById(100001));
    EXPECT_EQ((std::vector<int32_t>{0, 0, -1}), (std::vector<int32_t>{Room_Count(), Room_OrderCount(), Room_First()}));
}

} // namespace
