#include <gtest/gtest.h>

#include <string>

#include "Instance_TestSupport.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"

namespace {

using InstanceRecord = InstanceTest;

TEST_F(InstanceRecord, ReleaseLeavesNoListHoldingTheInstance)
{
    CObject* first = MakeObject();
    CObject* second = MakeObject();
    CInstance* instance = Make(0, 0, 100001, first->m_Index);
    instance->ChangeObject(second->m_Index);
    instance->Release();
    // A changed instance freed before the frame applied the change: no list may point at it.
    EXPECT_EQ(first->m_Instances.count, 0);
    EXPECT_EQ(g_InstanceObjectChanges.count, 0);
    EXPECT_EQ(g_InstanceDepthChanges.count, 0);
    instance->Release(); // a second release has nothing left to free

    // Released after its object was deleted: under the sanitizer a touch of the object would fail.
    CObject* doomed = MakeObject();
    CInstance* stale = Make(0, 0, 100002, doomed->m_Index);
    Object_Delete(doomed->m_Index);
    stale->Release();
    EXPECT_EQ(stale->GetObject(), nullptr);
}

TEST_F(InstanceRecord, DebugDumpPadsNamesToTwentyThreeCharacters)
{
    CInstance* instance = Make(10.5f, 0, 100001);
    TErrStreamConsole capture;
    tagIConsole* saved = MainConsole;
    MainConsole = &capture;
    instance->DebugDump();
    MainConsole = saved;
    std::string text = capture.Text();
    EXPECT_NE(text.find("i_x                    = 10.500000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("i_pathpositionprevious = 0.000000\n"), std::string::npos);
}

} // namespace
