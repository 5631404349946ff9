#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "Instance_TestSupport.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

// The fixed part of the saved form: 61 four-byte values before the variable list.
constexpr size_t FIXED_BYTES = 61 * 4;

class InstanceSerialise : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        sprites.Add(2, {0, 0, 15, 7}, 8, 4, 4, /*precise*/ 1);
        object = MakeObject(2, 6, OBJECT_FLAG_VISIBLE | OBJECT_FLAG_SOLID);
        score = Code_Variable_Add("serialise_score");
        title = Code_Variable_Add("serialise_title");
    }

    // An instance whose every saved field differs from its default.
    CInstance* Busy()
    {
        CInstance* instance = Make(40.25f, 30.5f, 100123, object->m_Index);
        const std::pair<float CInstance::*, float> floats[] = {
            {&CInstance::i_imageindex, 3.25f}, {&CInstance::i_imagespeed, 0.5f}, {&CInstance::i_imagescalex, 2.0f},
            {&CInstance::i_imagescaley, -1.5f}, {&CInstance::i_imageangle, 30.0f}, {&CInstance::i_imagealpha, 0.75f},
            {&CInstance::i_depth, -12.5f}, {&CInstance::i_xstart, 1.0f}, {&CInstance::i_ystart, 2.0f},
            {&CInstance::i_xprevious, 39.0f}, {&CInstance::i_yprevious, 29.0f}, {&CInstance::i_friction, 0.125f},
            {&CInstance::i_gravitydir, 180.0f}, {&CInstance::i_gravity, 0.25f}, {&CInstance::i_pathposition, 0.4f},
            {&CInstance::i_pathpositionprevious, 0.35f}, {&CInstance::i_pathspeed, -2.0f},
            {&CInstance::i_pathscale, 1.5f}, {&CInstance::i_pathorientation, 45.0f}, {&CInstance::i_pathxstart, 7.0f},
            {&CInstance::i_pathystart, 8.0f}, {&CInstance::i_timelineposition, 12.0f},
            {&CInstance::i_timelinespeed, 2.0f}};
        for (auto [field, value] : floats) instance->*field = value;
        instance->i_persistent = instance->i_marked = 1;
        instance->i_timelinerunning = instance->i_timelineloop = 1;
        instance->i_pathindex = 3;
        instance->i_pathend = 2;
        instance->i_timelineindex = 4;
        instance->i_imageblend = 0xABCDEF;
        instance->SetMaskIndex(2);
        instance->SetDirection(135.0f);
        instance->SetSpeed(3.0f);
        instance->m_BBoxDirty = 1;
        for (int32_t n = 0; n < INSTANCE_ALARM_COUNT; ++n) instance->SetAlarm(n, n * 10 - 1);
        ScriptValue value = {VALUE_REAL, 0, 42.5};
        instance->GetVariables()->SetVar(score, -1, &value);
        Value_SetText(&value, "hello");
        instance->GetVariables()->SetVar(title, -1, &value);
        Value_Free(&value);
        return instance;
    }

    std::vector<uint8_t> Saved(CInstance* instance)
    {
        InstanceTestBuffer buffer;
        EXPECT_TRUE(instance->Serialise(&buffer));
        return buffer.Bytes();
    }

    TestSprites sprites;
    CObject* object = nullptr;
    int32_t score = 0;
    int32_t title = 0;
};

TEST_F(InstanceSerialise, CutOrCorruptStreamsAreRefusedAndChangeNothing)
{
    std::vector<uint8_t> bytes = Saved(Busy());
    CInstance* target = Make(5, 6, 100900);
    ScriptValue kept = {VALUE_REAL, 0, 1.0};
    target->GetVariables()->SetVar(score, -1, &kept);
    for (size_t length = 0; length < bytes.size(); ++length) {
        InstanceTestBuffer cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)),
                               eBuffer_Fixed);
        EXPECT_FALSE(target->Deserialise(&cut)) << length;
    }
    // A variable count the stream cannot hold, and a value of an unknown kind.
    std::vector<uint8_t> huge = bytes;
    int32_t count = 0x7FFFFFFF;
    std::memcpy(huge.data() + FIXED_BYTES, &count, 4);
    std::vector<uint8_t> kind = bytes;
    size_t firstName = FIXED_BYTES + 4;
    size_t firstValue = firstName + std::strlen(reinterpret_cast<const char*>(kind.data() + firstName)) + 1;
    int32_t strange = 7;
    ASSERT_LT(firstValue + 4, kind.size());
    std::memcpy(kind.data() + firstValue, &strange, 4);
    for (const std::vector<uint8_t>& bad : {huge, kind}) {
        InstanceTestBuffer buffer(bad, eBuffer_Fixed);
        EXPECT_FALSE(target->Deserialise(&buffer));
    }
    EXPECT_EQ(Fields(target->i_id, target->i_x, target->GetVariables()->Count()), Fields(100900, 5, 1));
    EXPECT_EQ(target->GetObject(), nullptr);
}

// A saved instance written by hand from the layout table, not by Serialise.
TEST_F(InstanceSerialise, HandWrittenStreamLoadsIntoTheRightFields)
{
    for (const char* name : {"a", "name", "b"}) Code_Variable_Add(name);
    std::ifstream in(KELVARO_SOURCE_DIR "/tests/instance/fuzz/InstanceStream_corpus/valid_three_variables",
                     std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), FIXED_BYTES);
    CInstance* loaded = Make(0, 0, 0, -1, false);
    InstanceTestBuffer buffer(bytes, eBuffer_Fixed);
    ASSERT_TRUE(loaded->Deserialise(&buffer));
    EXPECT_EQ(loaded->GetObject(), object); // object 0
    EXPECT_EQ(Fields(loaded->i_id, loaded->i_spriteindex, loaded->i_imageindex, loaded->i_imageangle,
                     loaded->i_imageblend, loaded->i_depth, loaded->i_precise, loaded->i_x, loaded->i_direction,
                     loaded->i_vspeed, loaded->i_visible, loaded->i_solid, loaded->GetAlarm(11)),
              Fields(100001, -1, 1.5, 30, 0xFFFFFF, -10, 1, 12.5, 90, -3, 1, 0, 54));
    EXPECT_EQ(Fields(loaded->i_bbox.left, loaded->i_bbox.right, loaded->i_bbox.top, loaded->i_bbox.bottom,
                     loaded->i_pathindex, loaded->i_pathend, loaded->i_pathystart, loaded->i_timelineindex,
                     loaded->GetVariables()->Count()),
              Fields(12, 13, 8, 9, 2, 1, 6, -1, 3));
    EXPECT_EQ(static_cast<size_t>(buffer.m_Position), bytes.size());
}

} // namespace

namespace {

// A loaded box says nothing of how it was made: the first move after the load recomputes it rather
// than shifting it from where the instance stood before. Object 5 does not exist, so the load
// leaves the loaded box current.
TEST_F(InstanceSerialise, AMoveAfterALoadComputesTheBoxAgain)
{
    CInstance* saved = Make(100, 50, 100200, 5);
    saved->SetSpriteIndex(2);
    saved->GetBoundingBox();
    InstanceTestBuffer buffer(Saved(saved));
    CInstance* loaded = Make(10, 10, 100201, 5);
    loaded->SetSpriteIndex(2);
    loaded->GetBoundingBox();
    ASSERT_TRUE(loaded->Deserialise(&buffer));
    loaded->SetPosition(101, 50);
    CInstance* fresh = Make(101, 50, 100202, 5);
    fresh->SetSpriteIndex(2);
    const InstanceBox& box = loaded->GetBoundingBox();
    const InstanceBox& want = fresh->GetBoundingBox();
    EXPECT_EQ(Fields(box.left, box.top, box.right, box.bottom), Fields(want.left, want.top, want.right, want.bottom));
}

} // namespace
