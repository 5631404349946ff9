// The per-instance built-in variables on a real instance: motion through its setters, the alarm
// index rule, the two flag conversions, 32-bit float fields, image_single, the sprite measures
// under scaling, and read-only variables refusing assignment.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <tuple>

#include "VariableBuiltInSupport.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_Resources.h"
#include "object/Object_Table.h"

using namespace bvtest;

namespace {

// Sprites that only have a frame count.
class FrameCountSprites : public IInstanceSprites {
  public:
    std::map<int32_t, int32_t> frames;

    bool Shape(int32_t sprite, InstanceSpriteShape* out) override
    {
        auto found = frames.find(sprite);
        if (found == frames.end()) return false;
        *out = InstanceSpriteShape{found->second, {0, 0, 0, 0}, 0, 0, 0};
        return true;
    }
    bool CollidePoint(const InstancePlacement&, int32_t, int32_t) override { return false; }
    bool CollideRectangle(const InstancePlacement&, const InstanceBox&) override { return false; }
    bool CollideEllipse(const InstancePlacement&, const InstanceBox&) override { return false; }
    bool CollideLine(const InstancePlacement&, int32_t, int32_t, int32_t, int32_t) override { return false; }
    bool CollideSprite(const InstancePlacement&, const InstancePlacement&) override { return false; }
};

// Sprite 4 is 32 x 16 with its origin at (8, 4).
bool SizeOfSpriteFour(int32_t sprite, BuiltinSpriteSize* out)
{
    if (sprite != 4) return false;
    *out = BuiltinSpriteSize{32, 16, 8, 4};
    return true;
}

class InstanceVariables : public testing::Test {
  protected:
    void SetUp() override
    {
        Variable_BuiltIn_Init();
        Object_ResetTable();
        m_Instance = new CInstance(10.0f, 20.0f, 100001, -1, false);
    }
    void TearDown() override
    {
        delete m_Instance;
        Instance_SetSprites(nullptr);
        Variable_BuiltIn_SetSpriteLookup(nullptr);
    }

    CInstance* m_Instance = nullptr;
};

TEST_F(InstanceVariables, PositionMotionAndAlarmsGoThroughTheInstance)
{
    CInstance* self = m_Instance;
    // Without a sprite the box is the position; a moved instance's box is brought up to date on read.
    EXPECT_EQ(10, RealOf(self, "bbox_left"));
    ExpectSetRead(self, {{"x", -1, 30.7, AsFloat(30.7)}, {"y", -1, -5, -5}});
    EXPECT_EQ((std::vector<double>{30, -5}), (std::vector<double>{RealOf(self, "bbox_right"), RealOf(self, "bbox_top")}));

    ExpectSetRead(self, {{"speed", -1, 2, 2}, {"direction", -1, -90, 270}}); // kept within 0 to 360
    EXPECT_EQ(2, RealOf(self, "vspeed")) << "direction 270 points down";

    // Alarms outside 0 to 11 address alarm 0; the count is an integer, halves going to the even one.
    const struct {
        int32_t index;
        double value;
        int32_t alarm, count;
    } alarms[] = {{12, 5, 0, 5}, {11, 7, 11, 7}, {At(1, 2), 8, 0, 8}, {1, 2.5, 1, 2}, {1, 3.5, 1, 4}};
    for (const auto& a : alarms) {
        ASSERT_TRUE(SetReal(self, "alarm", a.value, a.index));
        EXPECT_EQ(a.count, self->i_timer[a.alarm]) << a.index << " = " << a.value;
    }
    EXPECT_EQ(-1, RealOf(self, "alarm", 3));
}

TEST_F(InstanceVariables, FlagsRoundedNonZeroVersusRoundedAtLeastOne)
{
    // visible, solid and persistent are on when the rounded value is not 0; the timeline's flags
    // when it is at least 1.
    for (auto [value, on, running] : {std::tuple{-1.0, 1, 0}, {0.5, 0, 0}, {0.6, 1, 1}, {2.5, 1, 1},
                                      {std::nan(""), 1, 0}}) {
        for (const char* name : {"visible", "solid", "persistent", "timeline_running", "timeline_loop"})
            ASSERT_TRUE(SetReal(m_Instance, name, value)) << name;
        const CInstance* i = m_Instance;
        EXPECT_EQ(std::tuple(on, on, on, running, running),
                  std::tuple(i->i_visible, i->i_solid, i->i_persistent, i->i_timelinerunning, i->i_timelineloop))
            << value;
    }
}

TEST_F(InstanceVariables, RealsAreStoredAsThirtyTwoBitFloats)
{
    CInstance* self = m_Instance;
    for (const char* name : {"xprevious", "image_alpha", "timeline_speed"})
        ExpectSetRead(self, {{name, -1, 0.1, AsFloat(0.1)}});
    // Beyond the float range a value becomes an infinity rather than anything undefined.
    ASSERT_TRUE(SetReal(self, "image_xscale", 1e300));
    EXPECT_EQ(INFINITY, self->i_imagescalex);

    // Integer fields round halves to even; NaN gives INT_MIN as the 32-bit run-time did.
    ASSERT_TRUE(SetReal(self, "sprite_index", 2.5));
    ASSERT_TRUE(SetReal(self, "path_endaction", 3.5));
    ASSERT_TRUE(SetReal(self, "timeline_index", std::nan("")));
    EXPECT_EQ(std::tuple(2, 4, INT_MIN), std::tuple(self->i_spriteindex, self->i_pathend, self->i_timelineindex));
    // Path positions stay within 0 to 1; colours read as unsigned numbers.
    ExpectSetRead(self, {{"path_position", -1, 1.5, 1}, {"path_positionprevious", -1, -2, 0},
                         {"image_blend", -1, -1, 4294967295.0}});
}

TEST_F(InstanceVariables, ImageSingleStopsOrRestartsTheAnimation)
{
    CInstance* self = m_Instance;
    EXPECT_EQ(-1, RealOf(self, "image_single")) << "an animating instance";
    // The frame stays when the animation restarts.
    const struct {
        double value;
        float index, speed;
    } cases[] = {{3, 3, 0}, {-1, 3, 1}, {0, 0, 0}};
    for (const auto& c : cases) {
        ExpectSetRead(self, {{"image_single", -1, c.value, c.value}});
        EXPECT_EQ(c.index, self->i_imageindex) << c.value;
        EXPECT_EQ(c.speed, self->i_imagespeed) << c.value;
    }
}

TEST_F(InstanceVariables, SpriteMeasuresFollowTheScales)
{
    CInstance* self = m_Instance;
    Variable_BuiltIn_SetSpriteLookup(SizeOfSpriteFour);
    FrameCountSprites sprites;
    sprites.frames[4] = 6;
    Instance_SetSprites(&sprites);
    ASSERT_TRUE(SetReal(self, "sprite_index", 4));
    EXPECT_EQ(6, RealOf(self, "image_number"));
    ASSERT_TRUE(SetReal(self, "image_xscale", 2));
    ASSERT_TRUE(SetReal(self, "image_yscale", -0.5));
    for (auto [name, value] : {std::pair{"sprite_width", 64}, {"sprite_height", -8}, {"sprite_xoffset", 16},
                               {"sprite_yoffset", -2}})
        EXPECT_EQ(value, RealOf(self, name)) << name;
    ASSERT_TRUE(SetReal(self, "sprite_index", 5)); // not a sprite
    EXPECT_EQ(0, RealOf(self, "sprite_width"));
    EXPECT_EQ(0, RealOf(self, "image_number"));
}

TEST_F(InstanceVariables, ReadOnlyVariablesRefuseAndKeepTheirValue)
{
    for (const char* name : {"id", "bbox_left", "sprite_width"}) {
        double before = RealOf(m_Instance, name);
        EXPECT_FALSE(SetReal(m_Instance, name, 77)) << name;
        EXPECT_EQ(before, RealOf(m_Instance, name)) << name;
    }
    // Code that runs for no instance reads and writes no instance variable.
    EXPECT_TRUE(std::isnan(RealOf(nullptr, "x")));
    EXPECT_FALSE(SetReal(nullptr, "alarm", 3, 1));
}

} // namespace

// The typed accessors the interpreter calls must do what the getter and setter do for a real: each
// row that has them is stored through one pair and read back through the other, on two instances
// that start alike, for values that round, halve, overflow a float and turn negative.
TEST_F(InstanceVariables, TypedAccessorsAgreeWithTheGetterAndSetter)
{
    CInstance* twin = new CInstance(10.0f, 20.0f, 100001, -1, false); // the same id: it is read too
    const double values[] = {3.0, -2.5, 0.5, 1.5, 7.25, 1e40, -361.0};
    int32_t typedRows = 0;
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row) {
        const BuiltinVariableEntry& entry = g_BuiltinVariables[row];
        if (entry.getReal == nullptr) {
            EXPECT_EQ(entry.setReal, nullptr) << entry.name << ": a typed setter without a typed getter";
            continue;
        }
        ++typedRows;
        EXPECT_TRUE(entry.setReal == nullptr || entry.canSet) << entry.name;
        for (double value : values) {
            if (entry.setReal != nullptr) {
                ScriptValue number = {VALUE_REAL, 0, value};
                ASSERT_TRUE(entry.setter(m_Instance, -1, &number)) << entry.name;
                entry.setReal(twin, value);
            }
            ScriptValue read = {VALUE_REAL, 0, 0.0};
            ASSERT_TRUE(entry.getter(m_Instance, -1, &read)) << entry.name;
            EXPECT_EQ(Value_GetKind(&read), VALUE_REAL) << entry.name;
            double typed = entry.getReal(twin);
            // Both NaN, or the same number.
            EXPECT_TRUE(typed == read.real || (std::isnan(typed) && std::isnan(read.real)))
                << entry.name << " set to " << value << ": getter " << read.real << ", typed " << typed;
        }
    }
    // x, y and the motion, image and path fields at least.
    EXPECT_GE(typedRows, 30);
    EXPECT_NE(g_BuiltinVariables[Variable_BuiltIn_Find("x")].setReal, nullptr);
    EXPECT_EQ(g_BuiltinVariables[Variable_BuiltIn_Find("id")].setReal, nullptr) << "id is read-only";
    delete twin;
}
