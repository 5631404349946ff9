// Performing events: the handler found through the parent chain, the current event while it runs,
// the nesting limit and pending room changes.
#include <gtest/gtest.h>

#include "ObjectTestSupport.h"

using namespace objecttest;

namespace {

class DispatchTest : public ObjectTest {};

TEST_F(DispatchTest, AChildWithoutItsOwnHandlerRunsItsParentsAndTheEventNamesTheParent)
{
    int32_t parent = AddObject();
    int32_t child = AddObject(parent);
    SetHandler(parent, 3, 0, "test_record();");
    CInstance* self = MakeInstance(child);
    CInstance* other = MakeInstance(child);

    PerformEvent(self, other, child, 3, 0);
    ASSERT_EQ(1u, Records().size());
    EXPECT_EQ(std::to_string(parent) + " 3 0 100000 100001", Records()[0]);

    // The child's own handler wins once it has one, and then names the child.
    SetHandler(child, 3, 0, "test_record();");
    PerformEvent(self, self, child, 3, 0);
    EXPECT_EQ(std::to_string(child) + " 3 0 100000 100000", Records()[1]);

    // The current event is back to what it was once the event is over.
    g_CurrentEventObject = 77;
    g_CurrentEventType = 7;
    g_CurrentEventNumber = 4;
    PerformEvent(self, self, child, 3, 0);
    EXPECT_EQ((std::vector<int32_t>{77, 7, 4, 0}),
              (std::vector<int32_t>{g_CurrentEventObject, g_CurrentEventType, g_CurrentEventNumber, g_EventDepth}));
}

TEST_F(DispatchTest, NothingRunsWithoutAHandlerOrWhileARoomChangeIsPending)
{
    int32_t object = AddObject();
    SetHandler(object, 0, 0, "test_record(); test_goto();");
    CInstance* self = MakeInstance(object);
    CInstance* second = MakeInstance(object);
    PerformEvent(self, self, object, 1, 0); // no destroy handler
    PerformEvent(self, self, object, 0, 1); // no such subtype
    PerformEvent(self, self, 999, 0, 0);    // no such object
    Perform_Event(nullptr, self, 0, 0);     // no instance
    EXPECT_TRUE(Records().empty());
    g_RunRequest = 2;
    PerformEvent(self, self, object, 0, 0);
    EXPECT_TRUE(Records().empty());

    // A room change asked for in an event drops the events that follow.
    g_RunRequest = RUN_REQUEST_NONE;
    Perform_Event(self, self, 0, 0);
    Perform_Event(second, second, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"0 0 0 100000 100000"}), Records());
}

TEST_F(DispatchTest, AnEventThatPerformsItselfStopsAtTheThirtyThirdLevelWithAFatalError)
{
    int32_t object = AddObject();
    SetHandler(object, 7, 10, "test_record(); test_perform(7, 10);");
    CInstance* self = MakeInstance(object);

    PerformEvent(self, self, object, 7, 10);
    EXPECT_EQ(32u, Records().size());
    EXPECT_NE(std::string::npos,
              g_ErrorLast.find("PerformEvent recursion depth failure - check for infinite loops, check objects for parenting"))
        << g_ErrorLast;
    EXPECT_NE(std::string::npos, g_ErrorLast.find("FATAL ERROR in")) << g_ErrorLast;
    EXPECT_EQ(RUN_REQUEST_FATAL, g_RunRequest);
    EXPECT_EQ(0, g_EventDepth);
    // The fatal error ended the game: nothing more is performed.
    PerformEvent(self, self, object, 7, 10);
    EXPECT_EQ(32u, Records().size());
}

TEST_F(DispatchTest, CollisionHandlersAreFoundThroughTheOtherObjectsAncestors)
{
    int32_t grand = AddObject();
    int32_t parent = AddObject(grand);
    int32_t other = AddObject(parent);
    int32_t base = AddObject();
    int32_t object = AddObject(base);
    SetHandler(object, 4, grand, "test_record();");
    CInstance* self = MakeInstance(object);
    CInstance* hit = MakeInstance(other);

    // HasEvent follows the own chain only; FindEvent also tries the other object's ancestors.
    EXPECT_FALSE(Object_Data(object)->HasEvent(4, other));
    EXPECT_TRUE(Object_Data(object)->HasEvent(4, grand));
    EXPECT_NE(nullptr, Object_Data(object)->FindEvent(4, other));
    int32_t foundIn = -1;
    EXPECT_NE(nullptr, Event_FindHandler(object, 4, other, &foundIn));
    EXPECT_EQ(object, foundIn);
    PerformEvent(self, hit, object, 4, other);
    ASSERT_EQ(1u, Records().size());
    // The event keeps the subtype it was performed with.
    EXPECT_EQ(std::to_string(object) + " 4 " + std::to_string(other) + " 100000 100001", Records()[0]);

    // The own chain comes first: a handler of the base object for the other's parent beats the
    // object's own handler for the grandparent.
    SetHandler(base, 4, parent, "test_record();");
    EXPECT_EQ(Object_Data(base)->GetEvent(4, parent), Event_FindHandler(object, 4, other, &foundIn));
    EXPECT_EQ(base, foundIn);
    // No collision event for an object outside the chain.
    EXPECT_EQ(nullptr, Event_FindHandler(object, 4, base, nullptr));
}

} // namespace
