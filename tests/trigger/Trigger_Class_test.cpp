// Triggers: the record read from a stream, refused records, and the table's lookups.
#include <gtest/gtest.h>

#include <string>

#include "support/Support_Stream.h"
#include "trigger/Trigger_Class.h"

namespace {

TEST(TriggerRecord, AVersion800RecordIsReadAndOthersLeaveTheTriggerCleared)
{
    // The name's length word replaced when not -2; -3 cuts the record after that word.
    struct { int32_t version, nameLength; bool read; } cases[] = {
        {800, -2, true}, {700, -2, false}, {800, -1, false}, {800, 1 << 30, false}, {800, 3, true}, {800, -3, false}};
    for (const auto& c : cases) {
        CStream stream;
        stream.WriteInteger(c.version);
        if (c.nameLength == -2) stream.WriteString("trg_door");
        else stream.WriteInteger(c.nameLength == -3 ? 8 : c.nameLength);
        if (c.nameLength >= -1) stream.WriteBuffer("trg", 3);
        if (c.nameLength != -3) {
            stream.WriteString("x > 10");
            stream.WriteInteger(2);
            stream.WriteString("TRG_DOOR");
        }
        stream.SetPosition(0);
        CTrigger trigger(5);
        trigger.SetName("before");
        EXPECT_EQ(c.read, trigger.LoadFromStream(stream)) << c.version << " " << c.nameLength;
        EXPECT_EQ(c.read ? 2 : 1, trigger.GetMoment());
        EXPECT_STREQ(c.read ? (c.nameLength == -2 ? "trg_door" : "trg") : nullptr, trigger.GetName());
        if (c.read) {
            EXPECT_STREQ("x > 10", trigger.GetCondition());
            EXPECT_STREQ("TRG_DOOR", trigger.GetConstantName());
        }
    }
}

TEST(TriggerTable, LookupsByIndexAndConstantName)
{
    EXPECT_EQ(-1, Trigger_FindByConstant("TRG_DOOR"));
    EXPECT_FALSE(Trigger_Exists(0));
    for (int32_t index : {3, 67, 131}) { // one bucket of 64
        auto* trigger = new CTrigger(index);
        trigger->SetName(("trg" + std::to_string(index)).c_str());
        trigger->SetConstantName(index == 3 ? "OTHER" : "SHARED");
        Trigger_Insert(index, trigger);
    }
    EXPECT_EQ(3, Trigger_Count());
    EXPECT_STREQ("trg67", Trigger_Name(67));
    EXPECT_EQ(nullptr, Trigger_Name(4));
    EXPECT_EQ(131, Trigger_FindByConstant("SHARED")); // the bucket's head is the latest insertion
    Trigger_Clear();
    EXPECT_EQ(0, Trigger_Count());
    EXPECT_FALSE(Trigger_Exists(3));
    // The exit's clean-up empties the table too, and leaves it usable.
    Trigger_Insert(7, new CTrigger(7));
    Trigger_Shutdown();
    EXPECT_EQ(0, Trigger_Count());
    EXPECT_FALSE(Trigger_Exists(7));
    Trigger_Insert(7, new CTrigger(7));
    EXPECT_TRUE(Trigger_Exists(7));
    Trigger_Shutdown();
}

} // namespace
