#include <gtest/gtest.h>

#include <string>

#include "Instance_TestSupport.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

using InstanceRecord = InstanceTest;

std::vector<double> Alarms(const CInstance* instance)
{
    std::vector<double> alarms;
    for (int32_t n = 0; n < INSTANCE_ALARM_COUNT; ++n) alarms.push_back(instance->GetAlarm(n));
    return alarms;
}

TEST_F(InstanceRecord, NewInstancesHaveTheRecordDefaultsAndTakeOverTheirObject)
{
    g_EventStamp = 77;
    CInstance* plain = Make(3.5f, -2.0f, 100001);
    g_EventStamp = 0;
    EXPECT_EQ(Alarms(plain), std::vector<double>(INSTANCE_ALARM_COUNT, -1));
    EXPECT_EQ(Fields(plain->i_pathindex, plain->i_timelineindex, plain->i_gravitydir, plain->i_imagespeed,
                     plain->i_imagescalex, plain->i_imagescaley, plain->i_imagealpha, plain->i_timelinespeed,
                     plain->i_pathscale, plain->i_imageblend, plain->m_CreationStamp, plain->m_BBoxDirty,
                     plain->i_xstart, plain->i_yprevious),
              Fields(-1, -1, 270, 1, 1, 1, 1, 1, 1, 0xFFFFFF, 77, 1, 3.5, -2));

    // Object 0 exists, 7 does not: an instance of 7 is visible without sprite, mask or object.
    MakeObject(4, 10, OBJECT_FLAG_SOLID);
    CInstance* missing = Make(0, 0, 100002, 7);
    EXPECT_EQ(missing->GetObject(), nullptr);
    EXPECT_EQ(Fields(missing->i_objindex, missing->i_spriteindex, missing->i_maskindex, missing->i_visible,
                     missing->i_solid, missing->i_persistent, missing->i_depth),
              Fields(7, -1, -1, 1, 0, 0, 0));
    // -1 is stored as 0 but looked up as -1: the instance does not join object 0.
    EXPECT_EQ(Make(0, 0, 100003, -1)->GetObject(), nullptr);

    TestSprites sprites;
    sprites.Add(3, {0, 0, 7, 7}, 0, 0, /*frames*/ 3);
    CObject* parent = MakeObject();
    CObject* child = MakeObject(3, -25, OBJECT_FLAG_SOLID | OBJECT_FLAG_PERSISTENT, 9);
    child->m_ParentIndex = parent->m_Index;
    Object_LinkParents();
    CInstance* bound = Make(1, 2, 100004, child->m_Index);
    EXPECT_EQ(bound->GetObject(), child);
    EXPECT_EQ(Fields(bound->i_spriteindex, bound->i_maskindex, bound->i_depth, bound->i_solid, bound->i_visible,
                     bound->i_persistent),
              Fields(3, 9, -25, 1, 0, 1));
    EXPECT_TRUE(ListHolds(child->m_Instances, bound));
    EXPECT_TRUE(ListHolds(parent->m_AllInstances, bound));
    EXPECT_FALSE(ListHolds(parent->m_Instances, bound));
    // Rebinding leaves one entry in each list, and an image index past the sprite's frames at 0.
    bound->i_imageindex = 5.0f;
    bound->SetObjectIndex(child->m_Index, true);
    EXPECT_EQ(bound->i_imageindex, 0.0f);
    EXPECT_EQ(child->m_Instances.count, 1);
    EXPECT_EQ(parent->m_AllInstances.count, 1);
}

TEST_F(InstanceRecord, CopyTakesTheStateButNotTheLinksStampOrBody)
{
    CObject* object = MakeObject(-1, 3);
    CInstance* source = Make(10, 20, 100001, object->m_Index);
    source->SetSpeed(2.0f);
    source->SetAlarm(4, 30);
    source->i_imageblend = 0x123456;
    source->i_pathindex = 2;
    source->i_pathxstart = 99.0f;
    source->i_timelinerunning = 1;
    ScriptValue value;
    Value_SetText(&value, "kept");
    int32_t name = Code_Variable_Add("copytest_name");
    source->GetVariables()->SetVar(name, -1, &value);
    Value_Free(&value);

    g_EventStamp = 9;
    CInstance* copy = Make(0, 0, 100002);
    g_EventStamp = 0;
    copy->m_CarriedMark = 1;
    copy->m_DepthKey = -7.0f;
    copy->CopyFrom(*source, true);
    // The path start position is not copied, nor the carried mark, stamp and depth key.
    EXPECT_EQ(Fields(copy->i_id, copy->i_x, copy->i_speed, copy->i_hspeed, copy->GetAlarm(4), copy->i_imageblend,
                     copy->i_depth, copy->i_pathindex, copy->i_pathxstart, copy->i_timelinerunning,
                     copy->m_CarriedMark, copy->m_CreationStamp, copy->m_DepthKey),
              Fields(100001, 10, 2, 2, 30, 0x123456, 3, 2, 0, 1, 0, 9, -7));
    EXPECT_EQ(copy->GetObject(), object);

    // The copy's variables are copied, and then its own.
    ScriptValue read = {};
    ScriptValue changed = {VALUE_REAL, 0, 4.0};
    copy->GetVariables()->SetVar(name, -1, &changed);
    ASSERT_TRUE(source->GetVariables()->GetVar(name, -1, &read));
    EXPECT_STREQ(Value_GetText(&read), "kept");
    Value_Free(&read);
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
    EXPECT_EQ(active.m_pHead, instance); // re-sorted by its new depth -5
    active.Remove(deep);
    active.Remove(instance);

    // A change to a missing object keeps the depth and asks for no re-sort.
    g_InstanceObjectChanges.Clear();
    g_InstanceDepthChanges.Clear();
    instance->ChangeObject(42);
    EXPECT_EQ(Fields(instance->i_objindex, instance->i_depth), Fields(42, -5));
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

TEST_F(InstanceRecord, AlarmsOutsideTheTwelveReadMinusOneAndWriteNothing)
{
    CInstance* instance = Make(0, 0, 100001);
    EXPECT_EQ(instance->SetAlarm(11, 7), 7);
    instance->SetAlarm(12, 9);
    instance->SetAlarm(-1, 9);
    EXPECT_EQ(Fields(instance->GetAlarm(12), instance->GetAlarm(-1), instance->GetAlarm(INT32_MIN)), Fields(-1, -1, -1));
    EXPECT_EQ(Alarms(instance), Fields(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 7));
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
