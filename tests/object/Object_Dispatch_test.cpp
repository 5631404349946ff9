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

// The dispatcher remembers each object's handler; every way a handler or a parent link changes must
// make the next event find the new one. Each case performs the step once (remembering the handler),
// changes something, then performs it again; the records name the object holding the handler run.
TEST_F(DispatchTest, AHandlerOrParentChangedAfterAnEventIsTheOneTheNextEventFinds)
{
    enum Holder { PARENT, CHILD, OTHER, NONE };
    struct Objects {
        int32_t parent, child, other;
    };
    const struct {
        const char* change;
        bool childHandles;
        void (*apply)(const Objects&);
        Holder before, after;
    } cases[] = {
        {"own handler added", false, [](const Objects& o) { SetHandler(o.child, 3, 0, "test_record();"); }, PARENT,
         CHILD},
        {"own handler cleared", true,
         [](const Objects& o) { ObjectEventClear_Impl(Object_Data(o.child), 3, 0); }, CHILD, PARENT},
        {"own handler's code removed", true,
         [](const Objects& o) { Object_Data(o.child)->GetEvent(3, 0)->SetCode(nullptr, nullptr); }, CHILD, PARENT},
        {"parent's handler taken", false, [](const Objects& o) { delete Object_Data(o.parent)->TakeEvent(3, 0); },
         PARENT, NONE},
        {"parent link dropped", false,
         [](const Objects& o) {
             Object_Data(o.child)->m_ParentIndex = -1;
             Object_LinkParents();
         },
         PARENT, NONE},
        {"parent changed, lists rebuilt", false,
         [](const Objects& o) {
             Object_Data(o.child)->m_ParentIndex = o.other;
             Object_Data(o.child)->m_pParentObject = Object_Data(o.other);
             ObjectLists_Build();
         },
         PARENT, OTHER},
        {"parent deleted", false, [](const Objects& o) { Object_Delete(o.parent); }, PARENT, NONE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        Object_ResetTable();
        Objects o{AddObject(), -1, -1};
        o.child = AddObject(o.parent);
        o.other = AddObject();
        SetHandler(o.parent, 3, 0, "test_record();");
        SetHandler(o.other, 3, 0, "test_record();");
        if (c.childHandles) SetHandler(o.child, 3, 0, "test_record();");
        CInstance* self = MakeInstance(o.child);
        auto holderRun = [&]() -> Holder {
            Records().clear();
            PerformEvent(self, self, o.child, 3, 0);
            if (Records().empty()) return NONE;
            int32_t holder = std::stoi(Records().back());
            return holder == o.parent ? PARENT : holder == o.child ? CHILD : OTHER;
        };
        EXPECT_EQ(c.before, holderRun());
        EXPECT_EQ(c.before, holderRun()) << "remembered";
        c.apply(o);
        EXPECT_EQ(c.after, holderRun());
    }
}

} // namespace
