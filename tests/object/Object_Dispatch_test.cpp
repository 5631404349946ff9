// Performing events: the handler found through the parent chain, the current event while it runs,
// the nesting limit and pending room changes.
#include <gtest/gtest.h>

#include "ObjectTestSupport.h"

using namespace objecttest;

namespace {

class DispatchTest : public ObjectTest {};

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

} // namespace
