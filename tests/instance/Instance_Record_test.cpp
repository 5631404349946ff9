#include <gtest/gtest.h>

#include <string>

#include "Instance_TestSupport.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

using InstanceRecord = InstanceTest;

TEST_F(InstanceRecord, NewInstanceHasTheRecordDefaults)
{
    g_EventStamp = 77;
    CInstance* instance = Make(3.5f, -2.0f, 100001);
    for (int32_t n = 0; n < INSTANCE_ALARM_COUNT; ++n) EXPECT_EQ(instance->GetAlarm(n), -1);
    EXPECT_EQ(instance->i_pathindex, -1);
    EXPECT_EQ(instance->i_timelineindex, -1);
    EXPECT_EQ(instance->i_gravitydir, 270.0f);
    EXPECT_EQ(instance->i_imagespeed, 1.0f);
    EXPECT_EQ(instance->i_imagescalex, 1.0f);
    EXPECT_EQ(instance->i_imagescaley, 1.0f);
    EXPECT_EQ(instance->i_imagealpha, 1.0f);
    EXPECT_EQ(instance->i_timelinespeed, 1.0f);
    EXPECT_EQ(instance->i_pathscale, 1.0f);
    EXPECT_EQ(instance->i_imageblend, 0xFFFFFFu);
    EXPECT_EQ(instance->m_CreationStamp, 77u);
    EXPECT_EQ(instance->m_BBoxDirty, 1);
    EXPECT_EQ(instance->i_xstart, 3.5f);
    EXPECT_EQ(instance->i_yprevious, -2.0f);
    // Without declared slots every instance keeps a variable list, and only that.
    EXPECT_NE(instance->GetVariables(), nullptr);
    EXPECT_EQ(instance->GetSlots(), nullptr);
    g_EventStamp = 0;
}

TEST_F(InstanceRecord, InstanceOfAMissingObjectIsVisibleWithoutSpriteMaskOrObject)
{
    MakeObject(4, 10, OBJECT_FLAG_SOLID); // object 0 exists, 7 does not
    CInstance* instance = Make(0, 0, 100001, 7);
    EXPECT_EQ(instance->GetObject(), nullptr);
    EXPECT_EQ(instance->i_objindex, 7);
    EXPECT_EQ(instance->i_spriteindex, -1);
    EXPECT_EQ(instance->i_maskindex, -1);
    EXPECT_EQ(instance->i_visible, 1);
    EXPECT_EQ(instance->i_solid, 0);
    EXPECT_EQ(instance->i_persistent, 0);
    EXPECT_EQ(instance->i_depth, 0.0f);
    EXPECT_FALSE(ListHolds(Object_Data(0)->m_Instances, instance));

    // -1 is stored as 0 but looked up as -1: the instance does not join object 0.
    CInstance* none = Make(0, 0, 100002, -1);
    EXPECT_EQ(none->i_objindex, 0);
    EXPECT_EQ(none->GetObject(), nullptr);
    EXPECT_EQ(none->i_spriteindex, -1);
}

TEST_F(InstanceRecord, BindingTakesOverTheObjectAndJoinsItsLists)
{
    TestSprites sprites;
    sprites.Add(3, {0, 0, 7, 7}, 0, 0, /*frames*/ 3);
    CObject* parent = MakeObject();
    CObject* child = MakeObject(3, -25, OBJECT_FLAG_SOLID | OBJECT_FLAG_PERSISTENT, 9);
    child->m_ParentIndex = parent->m_Index;
    Object_LinkParents();

    CInstance* instance = Make(1, 2, 100001, child->m_Index);
    EXPECT_EQ(instance->GetObject(), child);
    EXPECT_EQ(instance->i_spriteindex, 3);
    EXPECT_EQ(instance->i_maskindex, 9);
    EXPECT_EQ(instance->i_depth, -25.0f);
    EXPECT_EQ(instance->i_solid, 1);
    EXPECT_EQ(instance->i_visible, 0);
    EXPECT_EQ(instance->i_persistent, 1);
    EXPECT_TRUE(ListHolds(child->m_Instances, instance));
    EXPECT_TRUE(ListHolds(child->m_AllInstances, instance));
    EXPECT_TRUE(ListHolds(parent->m_AllInstances, instance));
    EXPECT_FALSE(ListHolds(parent->m_Instances, instance));

    // An image index the sprite has no frame for starts again at 0; one it has stays.
    instance->i_imageindex = 5.0f;
    instance->SetObjectIndex(child->m_Index, true);
    EXPECT_EQ(instance->i_imageindex, 0.0f);
    instance->i_imageindex = 2.5f;
    instance->SetObjectIndex(child->m_Index, true);
    EXPECT_EQ(instance->i_imageindex, 2.5f);
    // Rebinding left exactly one entry in each list.
    EXPECT_EQ(child->m_Instances.count, 1);
    EXPECT_EQ(parent->m_AllInstances.count, 1);

    CInstance* quiet = Make(0, 0, 100002, child->m_Index, /*register*/ false);
    EXPECT_EQ(quiet->GetObject(), child);
    EXPECT_FALSE(ListHolds(child->m_Instances, quiet));
}

TEST_F(InstanceRecord, CopyTakesTheStateButNotTheLinksStampOrBody)
{
    CObject* object = MakeObject(-1, 3);
    g_EventStamp = 5;
    CInstance* source = Make(10, 20, 100001, object->m_Index);
    source->SetSpeed(2.0f);
    source->SetAlarm(4, 30);
    source->i_imageblend = 0x123456;
    source->i_pathindex = 2;
    source->i_pathxstart = 99.0f;
    source->i_timelinerunning = 1;
    source->m_pSpare = source;
    ScriptValue value;
    Value_SetText(&value, "kept");
    int32_t name = Code_Variable_Add("copytest_name");
    source->GetVariables()->SetVar(name, -1, &value);
    Value_Free(&value);

    g_EventStamp = 9;
    CInstance* copy = Make(0, 0, 100002);
    copy->m_CarriedMark = 1;
    copy->m_DepthKey = -7.0f;
    copy->CopyFrom(*source, true);
    EXPECT_EQ(copy->i_id, 100001);
    EXPECT_EQ(copy->i_x, 10.0f);
    EXPECT_EQ(copy->i_speed, 2.0f);
    EXPECT_EQ(copy->i_hspeed, 2.0f);
    EXPECT_EQ(copy->GetAlarm(4), 30);
    EXPECT_EQ(copy->i_imageblend, 0x123456u);
    EXPECT_EQ(copy->i_depth, 3.0f);
    EXPECT_EQ(copy->i_pathindex, 2);
    EXPECT_EQ(copy->i_pathxstart, 0.0f); // the path start position is not copied
    EXPECT_EQ(copy->i_timelinerunning, 1);
    EXPECT_EQ(copy->m_pSpare, source);
    EXPECT_EQ(copy->m_CarriedMark, 0);
    EXPECT_EQ(copy->m_CreationStamp, 9u);
    EXPECT_EQ(copy->m_DepthKey, -7.0f);
    EXPECT_EQ(copy->GetObject(), object);
    EXPECT_EQ(object->m_Instances.count, 2);

    // The copy's variables are its own.
    ScriptValue read = {};
    ASSERT_TRUE(copy->GetVariables()->GetVar(name, -1, &read));
    EXPECT_STREQ(Value_GetText(&read), "kept");
    Value_Free(&read);
    ScriptValue changed = {VALUE_REAL, 0, 4.0};
    copy->GetVariables()->SetVar(name, -1, &changed);
    ASSERT_TRUE(source->GetVariables()->GetVar(name, -1, &read));
    EXPECT_STREQ(Value_GetText(&read), "kept");
    Value_Free(&read);
    g_EventStamp = 0;
}

TEST_F(InstanceRecord, ChangeOfObjectWaitsForRelink)
{
    CObject* first = MakeObject(-1, 10);
    CObject* second = MakeObject(-1, -5, OBJECT_FLAG_SOLID);
    CObject* third = MakeObject(-1, 50);
    CInstance* instance = Make(0, 0, 100001, first->m_Index);

    instance->ChangeObject(second->m_Index);
    instance->ChangeObject(third->m_Index);
    instance->ChangeObject(second->m_Index);
    // Listed once however often it changed, and the former object is the one whose lists hold it.
    EXPECT_EQ(g_InstanceObjectChanges.count, 1);
    EXPECT_EQ(g_InstanceDepthChanges.count, 1);
    EXPECT_EQ(instance->m_pFormerObject, first);
    EXPECT_EQ(instance->GetObject(), second);
    EXPECT_EQ(instance->i_depth, -5.0f);
    EXPECT_EQ(instance->i_solid, 1);
    EXPECT_TRUE(ListHolds(first->m_Instances, instance));
    EXPECT_FALSE(ListHolds(second->m_Instances, instance));

    CInstanceList active;
    CInstance* deep = Make(0, 0, 100002);
    deep->i_depth = -1.0f;
    active.AddByDepth(deep);
    active.AddByDepth(instance); // inserted with its old depth 10: after `deep`
    instance->Relink(&active);
    EXPECT_FALSE(ListHolds(first->m_Instances, instance));
    EXPECT_TRUE(ListHolds(second->m_Instances, instance));
    EXPECT_EQ(instance->m_pFormerObject, nullptr);
    EXPECT_EQ(active.m_pHead, instance); // re-sorted by its new depth -5
    EXPECT_EQ(active.m_Count, 2);
    active.Remove(deep);
    active.Remove(instance);
}

TEST_F(InstanceRecord, ChangeToAMissingObjectKeepsEverythingElse)
{
    CObject* first = MakeObject(-1, 10);
    CInstance* instance = Make(0, 0, 100001, first->m_Index);
    instance->ChangeObject(42);
    EXPECT_EQ(instance->i_objindex, 42);
    EXPECT_EQ(instance->GetObject(), nullptr);
    EXPECT_EQ(instance->i_depth, 10.0f);
    EXPECT_EQ(g_InstanceObjectChanges.count, 1);
    EXPECT_EQ(g_InstanceDepthChanges.count, 0);
}

TEST_F(InstanceRecord, ReleaseLeavesNoListHoldingTheInstance)
{
    CObject* first = MakeObject();
    CObject* second = MakeObject();
    CInstance* instance = Make(0, 0, 100001, first->m_Index);
    instance->ChangeObject(second->m_Index);
    instance->Release();
    // A changed instance freed before the frame applied the change: no list may point at it.
    EXPECT_EQ(first->m_Instances.count, 0);
    EXPECT_EQ(first->m_AllInstances.count, 0);
    EXPECT_EQ(g_InstanceObjectChanges.count, 0);
    EXPECT_EQ(g_InstanceDepthChanges.count, 0);
    EXPECT_EQ(instance->GetVariables(), nullptr);
    instance->Release(); // a second release has nothing left to free
}

TEST_F(InstanceRecord, ReleaseAfterTheObjectWasDeletedDoesNotTouchIt)
{
    CObject* object = MakeObject();
    int32_t index = object->m_Index;
    CInstance* instance = Make(0, 0, 100001, index);
    Object_Delete(index); // its lists are emptied, the instance keeps a stale binding
    instance->Release();  // under the sanitizer a touch of the deleted object would fail here
    EXPECT_EQ(instance->GetObject(), nullptr);
}

TEST_F(InstanceRecord, AlarmsOutsideTheTwelveReadMinusOneAndWriteNothing)
{
    CInstance* instance = Make(0, 0, 100001);
    EXPECT_EQ(instance->SetAlarm(11, 7), 7);
    EXPECT_EQ(instance->GetAlarm(11), 7);
    EXPECT_EQ(instance->SetAlarm(0, 3), 3);
    instance->SetAlarm(12, 9);
    instance->SetAlarm(-1, 9);
    EXPECT_EQ(instance->GetAlarm(12), -1);
    EXPECT_EQ(instance->GetAlarm(-1), -1);
    EXPECT_EQ(instance->GetAlarm(INT32_MIN), -1);
    for (int32_t n = 1; n < 11; ++n) EXPECT_EQ(instance->GetAlarm(n), -1) << n;
    EXPECT_EQ(instance->GetAlarm(0), 3);
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
    EXPECT_NE(text.find("i_id                   = 100001\n"), std::string::npos);
    EXPECT_NE(text.find("i_pathpositionprevious = 0.000000\n"), std::string::npos);
}

} // namespace
