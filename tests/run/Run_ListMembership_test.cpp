// Each instance stays in the lists of the room that holds it: an activation change made while a
// persistent room ends is applied to that room, and a depth change made while an instance moves
// between the active and the deactivated list lands in the list it ends up in.
#include "RunFrameTestSupport.h"

#include "object/Object_Class.h"

using namespace frametest;

namespace {

constexpr int32_t OTHER = 7;
constexpr int32_t ROOM_END = 5;

using ListMembership = FrameTest;

// Deactivated and destroyed by its own room end event, at the head of a persistent room's list: it
// leaves the active list before anything frees it (under the sanitizer build, no use after free).
TEST_F(ListMembership, DeactivatedAndDestroyedAtRoomEndLeavesThePersistentRoomsActiveList)
{
    gamebuild::GameDesc game;
    gamebuild::ObjectDesc gone = Object("obj_gone", -10);
    gone.events = {Event(OTHER, ROOM_END, "test_deactivate(); test_mark();")};
    game.objects = {gone, Object("obj_kept")};
    gamebuild::RoomDesc kept = Room("room_kept", {Placed(0), Placed(1)});
    kept.persistent = true;
    game.rooms = {kept, Room("room_visited")};
    game.header.roomOrder = {0, 1};
    ASSERT_TRUE(Play(game));

    g_RunRequest = 1;
    Tick();
    ASSERT_EQ(1, g_CurrentRoomIndex);
    CRoom* left = Run_RoomState(0);
    EXPECT_EQ(std::vector<int32_t>{100002}, ListIds(left->m_Active));
    EXPECT_EQ(std::vector<int32_t>{100001}, ListIds(left->m_Deactivated));

    g_RunRequest = 0;
    Tick();
    EXPECT_EQ(std::vector<int32_t>{100002}, ListIds(Run_CurrentRoom()->m_Active));
    EXPECT_EQ(0, Object_Data(0)->m_Instances.count);
}

// A depth change on an instance that is reactivated in the same update (from the middle of the
// deactivated list), and one on an instance that is being deactivated.
TEST_F(ListMembership, DepthChangesFollowTheListThatHoldsTheInstance)
{
    gamebuild::GameDesc game;
    game.objects = {Object("obj")};
    game.rooms = {Room("room", {Placed(0), Placed(0), Placed(0), Placed(0)})};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game));
    CRoom* room = Run_CurrentRoom();
    auto instance = [](int32_t id) { return Instance_FindById(id); };
    for (int32_t id : {100002, 100003, 100004}) instance(id)->SetDeactivated(1);
    g_InstanceActivationChanged = 1;
    Run_UpdateInstanceLists();
    ASSERT_EQ((std::vector<int32_t>{100002, 100003, 100004}), ListIds(room->m_Deactivated));

    instance(100003)->SetDeactivated(0);
    instance(100003)->SetDepth(-5);
    g_InstanceDepthChanges.Add(instance(100003));
    instance(100001)->SetDeactivated(1);
    instance(100001)->SetDepth(50);
    g_InstanceDepthChanges.Add(instance(100001));
    g_InstanceActivationChanged = 1;
    Run_UpdateInstanceLists();
    EXPECT_EQ(std::vector<int32_t>{100003}, ListIds(room->m_Active));
    EXPECT_EQ((std::vector<int32_t>{100002, 100004, 100001}), ListIds(room->m_Deactivated));
    ASSERT_EQ(1, Object_Data(0)->m_Instances.count);
    EXPECT_EQ(instance(100003), Object_Data(0)->m_Instances.head->instance) << "back in its object's list";
}

} // namespace
