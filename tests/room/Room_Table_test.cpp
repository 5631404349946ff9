// The room table: lookups, and rooms duplicated and assigned at run time.
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

} // namespace
