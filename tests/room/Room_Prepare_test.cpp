// Preparing the rooms' creation code before the game starts: where a compilation failure stops.
#include "RoomTestSupport.h"

#include "code/Code_Object.h"
#include "room/Room_Definition.h"

using namespace roomtest;

namespace {

const char* const GOOD = "test_note(\"fine\");";
const char* const BAD = "test_note(\"broken\"";

gamebuild::RoomDesc CodedRoom(const std::string& name, const char* roomCode, std::vector<const char*> instanceCode)
{
    gamebuild::RoomDesc room = Room(name);
    if (roomCode != nullptr) {
        room.hasCode = true;
        room.code.source = roomCode;
    }
    for (const char* code : instanceCode) room.instances.push_back(Placed(0, 0, 0, code));
    return room;
}

class RoomPrepareTest : public RoomTest {
protected:
    bool Prepare(std::vector<gamebuild::RoomDesc> rooms)
    {
        gamebuild::GameDesc game;
        game.objects = {Object("obj")};
        game.rooms = std::move(rooms);
        EXPECT_TRUE(Load(game)) << m_Log.Text();
        m_Log.Clear();
        return Room_Prepare();
    }
    static CCode* InstanceCode(int32_t room, size_t entry) { return Room_Get(room)->m_pDefinition->instances[entry].code; }
};

// A failure stops the room it is in; the result is the last compilation's.
TEST_F(RoomPrepareTest, AFailureStopsItsRoomAndTheResultIsTheLastCompilations)
{
    EXPECT_FALSE(Prepare({CodedRoom("room_a", BAD, {GOOD}), CodedRoom("room_b", GOOD, {GOOD})}));
    EXPECT_EQ(1u, m_Log.Count("ERROR!!! :: COMPILATION ERROR in room script\n"));
    EXPECT_EQ(0u, Room_Get(1)->m_pCreationCode->m_Compiled) << "a failing room code stops everything";

    EXPECT_FALSE(Prepare({CodedRoom("room_a", GOOD, {GOOD}), CodedRoom("room_b", nullptr, {GOOD, BAD, GOOD})}));
    EXPECT_EQ(0u, InstanceCode(1, 2)->m_Compiled) << "the rest of that room is left";
    EXPECT_STREQ("Room.room_a", Room_Get(0)->m_pCreationCode->GetName());

    EXPECT_TRUE(Prepare({CodedRoom("room_a", nullptr, {BAD, GOOD}), CodedRoom("room_b", nullptr, {GOOD})}));
    EXPECT_EQ(1u, m_Log.Count("ERROR!!! :: COMPILATION ERROR in room script\n"));
    EXPECT_EQ(0u, InstanceCode(0, 1)->m_Compiled);
    EXPECT_EQ(1u, InstanceCode(1, 0)->m_Compiled);
    EXPECT_STREQ("Instance.room_b.0", InstanceCode(1, 0)->GetName());
    // An empty room text needs no compilation; without any code the result stays true.
    EXPECT_TRUE(Prepare({CodedRoom("room_a", "", {}), CodedRoom("room_b", nullptr, {})}));
}

} // namespace
