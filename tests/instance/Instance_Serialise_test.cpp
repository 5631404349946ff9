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
constexpr size_t BOX_OFFSET = 27 * 4;

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t word;
    std::memcpy(&word, bytes.data() + offset, 4);
    return word;
}

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
        instance->i_imageindex = 3.25f;
        instance->i_imagespeed = 0.5f;
        instance->SetImageXScale(2.0f);
        instance->SetImageYScale(-1.5f);
        instance->SetImageAngle(30.0f);
        instance->i_imagealpha = 0.75f;
        instance->i_imageblend = 0xABCDEF;
        instance->SetMaskIndex(2);
        instance->i_depth = -12.5f;
        instance->i_xstart = 1.0f;
        instance->i_ystart = 2.0f;
        instance->i_xprevious = 39.0f;
        instance->i_yprevious = 29.0f;
        instance->SetDirection(135.0f);
        instance->SetSpeed(3.0f);
        instance->i_friction = 0.125f;
        instance->i_gravitydir = 180.0f;
        instance->i_gravity = 0.25f;
        instance->i_persistent = 1;
        for (int32_t n = 0; n < INSTANCE_ALARM_COUNT; ++n) instance->SetAlarm(n, n * 10 - 1);
        instance->i_marked = 1;
        instance->i_pathindex = 3;
        instance->i_pathposition = 0.4f;
        instance->i_pathpositionprevious = 0.35f;
        instance->i_pathspeed = -2.0f;
        instance->i_pathscale = 1.5f;
        instance->i_pathorientation = 45.0f;
        instance->i_pathend = 2;
        instance->i_pathxstart = 7.0f;
        instance->i_pathystart = 8.0f;
        instance->i_timelineindex = 4;
        instance->i_timelineposition = 12.0f;
        instance->i_timelinespeed = 2.0f;
        instance->i_timelinerunning = 1;
        instance->i_timelineloop = 1;
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

void ExpectSameSavedFields(const CInstance& a, const CInstance& b)
{
    EXPECT_EQ(a.i_id, b.i_id);
    EXPECT_EQ(a.i_deactivated, b.i_deactivated);
    EXPECT_EQ(a.i_objindex, b.i_objindex);
    EXPECT_EQ(a.i_spriteindex, b.i_spriteindex);
    EXPECT_EQ(a.i_imageindex, b.i_imageindex);
    EXPECT_EQ(a.i_imagespeed, b.i_imagespeed);
    EXPECT_EQ(a.i_imagescalex, b.i_imagescalex);
    EXPECT_EQ(a.i_imagescaley, b.i_imagescaley);
    EXPECT_EQ(a.i_imageangle, b.i_imageangle);
    EXPECT_EQ(a.i_imagealpha, b.i_imagealpha);
    EXPECT_EQ(a.i_imageblend, b.i_imageblend);
    EXPECT_EQ(a.i_maskindex, b.i_maskindex);
    EXPECT_EQ(a.i_depth, b.i_depth);
    EXPECT_EQ(a.i_precise, b.i_precise);
    for (float CInstance::*field : {&CInstance::i_x, &CInstance::i_y, &CInstance::i_xstart, &CInstance::i_ystart,
                                    &CInstance::i_xprevious, &CInstance::i_yprevious, &CInstance::i_direction,
                                    &CInstance::i_speed, &CInstance::i_friction, &CInstance::i_gravitydir,
                                    &CInstance::i_gravity, &CInstance::i_hspeed, &CInstance::i_vspeed,
                                    &CInstance::i_pathposition, &CInstance::i_pathpositionprevious,
                                    &CInstance::i_pathspeed, &CInstance::i_pathscale, &CInstance::i_pathorientation,
                                    &CInstance::i_pathxstart, &CInstance::i_pathystart,
                                    &CInstance::i_timelineposition, &CInstance::i_timelinespeed}) {
        EXPECT_EQ(a.*field, b.*field);
    }
    EXPECT_EQ(a.i_bbox.left, b.i_bbox.left);
    EXPECT_EQ(a.i_bbox.top, b.i_bbox.top);
    EXPECT_EQ(a.i_bbox.right, b.i_bbox.right);
    EXPECT_EQ(a.i_bbox.bottom, b.i_bbox.bottom);
    EXPECT_EQ(a.i_visible, b.i_visible);
    EXPECT_EQ(a.i_solid, b.i_solid);
    EXPECT_EQ(a.i_persistent, b.i_persistent);
    for (int32_t n = 0; n < INSTANCE_ALARM_COUNT; ++n) EXPECT_EQ(a.GetAlarm(n), b.GetAlarm(n));
    EXPECT_EQ(a.i_marked, b.i_marked);
    EXPECT_EQ(a.i_pathindex, b.i_pathindex);
    EXPECT_EQ(a.i_pathend, b.i_pathend);
    EXPECT_EQ(a.i_timelineindex, b.i_timelineindex);
    EXPECT_EQ(a.i_timelinerunning, b.i_timelinerunning);
    EXPECT_EQ(a.i_timelineloop, b.i_timelineloop);
}

TEST_F(InstanceSerialise, RoundTripGivesAnEqualInstance)
{
    CInstance* source = Busy();
    std::vector<uint8_t> bytes = Saved(source);
    EXPECT_EQ(source->m_BBoxDirty, 0); // the box went out freshly computed

    CInstance* loaded = Make(0, 0, 0, -1, false);
    InstanceTestBuffer buffer(bytes);
    ASSERT_TRUE(loaded->Deserialise(&buffer));
    EXPECT_EQ(static_cast<size_t>(buffer.m_Position), bytes.size());
    ExpectSameSavedFields(*source, *loaded);
    EXPECT_EQ(loaded->GetObject(), object);
    EXPECT_TRUE(ListHolds(object->m_Instances, loaded));

    ScriptValue value = {};
    ASSERT_TRUE(loaded->GetVariables()->GetVar(score, -1, &value));
    EXPECT_EQ(value.real, 42.5);
    ASSERT_TRUE(loaded->GetVariables()->GetVar(title, -1, &value));
    EXPECT_STREQ(Value_GetText(&value), "hello");
    Value_Free(&value);
    EXPECT_EQ(loaded->GetVariables()->Count(), 2);

    // Saving the loaded instance gives the same bytes.
    EXPECT_EQ(Saved(loaded), bytes);
}

TEST_F(InstanceSerialise, FieldsGoOutInTheSavedOrder)
{
    CInstance* source = Busy();
    std::vector<uint8_t> bytes = Saved(source);
    ASSERT_GT(bytes.size(), FIXED_BYTES);
    EXPECT_EQ(WordAt(bytes, 0), 100123);
    EXPECT_EQ(WordAt(bytes, 8), object->m_Index);
    EXPECT_EQ(WordAt(bytes, 12), 2);
    float imageindex;
    std::memcpy(&imageindex, bytes.data() + 16, 4);
    EXPECT_EQ(imageindex, 3.25f);
    EXPECT_EQ(static_cast<uint32_t>(WordAt(bytes, 40)), 0xABCDEFu);
    // The box as left, right, top, bottom.
    EXPECT_EQ(WordAt(bytes, BOX_OFFSET), source->i_bbox.left);
    EXPECT_EQ(WordAt(bytes, BOX_OFFSET + 4), source->i_bbox.right);
    EXPECT_EQ(WordAt(bytes, BOX_OFFSET + 8), source->i_bbox.top);
    EXPECT_EQ(WordAt(bytes, BOX_OFFSET + 12), source->i_bbox.bottom);
    EXPECT_EQ(WordAt(bytes, FIXED_BYTES - 4), 1); // time line loop
    EXPECT_EQ(WordAt(bytes, FIXED_BYTES), 2);     // the variable count
}

TEST_F(InstanceSerialise, DeactivatedInstancesLoadOutsideTheirObjectsLists)
{
    CInstance* source = Busy();
    source->i_deactivated = 5;
    std::vector<uint8_t> bytes = Saved(source);
    CInstance* loaded = Make(0, 0, 0, -1, false);
    InstanceTestBuffer buffer(bytes);
    ASSERT_TRUE(loaded->Deserialise(&buffer));
    EXPECT_EQ(loaded->i_deactivated, 1);
    EXPECT_EQ(loaded->GetObject(), object);
    EXPECT_FALSE(ListHolds(object->m_Instances, loaded));
}

TEST_F(InstanceSerialise, CutOrCorruptStreamsAreRefusedAndChangeNothing)
{
    std::vector<uint8_t> bytes = Saved(Busy());
    CInstance* target = Make(5, 6, 100900);
    ScriptValue kept = {VALUE_REAL, 0, 1.0};
    target->GetVariables()->SetVar(score, -1, &kept);
    auto unchanged = [&]() {
        EXPECT_EQ(target->i_id, 100900);
        EXPECT_EQ(target->i_x, 5.0f);
        EXPECT_EQ(target->GetObject(), nullptr);
        EXPECT_EQ(target->GetVariables()->Count(), 1);
    };
    for (size_t length = 0; length < bytes.size(); ++length) {
        InstanceTestBuffer cut(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)),
                               eBuffer_Fixed);
        EXPECT_FALSE(target->Deserialise(&cut)) << length;
    }
    unchanged();

    // A variable count the stream cannot hold.
    std::vector<uint8_t> huge = bytes;
    int32_t count = 0x7FFFFFFF;
    std::memcpy(huge.data() + FIXED_BYTES, &count, 4);
    InstanceTestBuffer hugeBuffer(huge, eBuffer_Fixed);
    EXPECT_FALSE(target->Deserialise(&hugeBuffer));
    // A value of an unknown kind.
    std::vector<uint8_t> kind = bytes;
    size_t firstName = FIXED_BYTES + 4;
    size_t firstValue = firstName + std::strlen(reinterpret_cast<const char*>(kind.data() + firstName)) + 1;
    int32_t strange = 7;
    ASSERT_LT(firstValue + 4, kind.size());
    std::memcpy(kind.data() + firstValue, &strange, 4);
    InstanceTestBuffer kindBuffer(kind, eBuffer_Fixed);
    EXPECT_FALSE(target->Deserialise(&kindBuffer));
    unchanged();
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
    EXPECT_EQ(loaded->i_id, 100001);
    EXPECT_EQ(loaded->GetObject(), object); // object 0
    EXPECT_EQ(loaded->i_spriteindex, -1);
    EXPECT_EQ(loaded->i_imageindex, 1.5f);
    EXPECT_EQ(loaded->i_imageangle, 30.0f);
    EXPECT_EQ(loaded->i_imageblend, 0xFFFFFFu);
    EXPECT_EQ(loaded->i_depth, -10.0f);
    EXPECT_EQ(loaded->i_precise, 1);
    EXPECT_EQ(loaded->i_x, 12.5f);
    EXPECT_EQ(loaded->i_direction, 90.0f);
    EXPECT_EQ(loaded->i_vspeed, -3.0f);
    EXPECT_EQ(loaded->i_bbox.left, 12);
    EXPECT_EQ(loaded->i_bbox.right, 13);
    EXPECT_EQ(loaded->i_bbox.top, 8);
    EXPECT_EQ(loaded->i_bbox.bottom, 9);
    EXPECT_EQ(loaded->i_visible, 1);
    EXPECT_EQ(loaded->i_solid, 0);
    EXPECT_EQ(loaded->GetAlarm(11), 54);
    EXPECT_EQ(loaded->i_pathindex, 2);
    EXPECT_EQ(loaded->i_pathend, 1);
    EXPECT_EQ(loaded->i_pathystart, 6.0f);
    EXPECT_EQ(loaded->i_timelineindex, -1);
    EXPECT_EQ(loaded->GetVariables()->Count(), 3);
    EXPECT_EQ(static_cast<size_t>(buffer.m_Position), bytes.size());
}

} // namespace
