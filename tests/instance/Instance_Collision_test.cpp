#include <gtest/gtest.h>

#include "Instance_TestSupport.h"

namespace {

// A question to an instance: 'p' the point (a, b), 'r' the rectangle, 'e' the ellipse and 'l' the
// line from (a, b) to (c, d).
struct Ask {
    char kind;
    float a, b, c, d;
    int32_t precise;
    bool hit;
};

bool Answer(CInstance* instance, const Ask& q)
{
    switch (q.kind) {
    case 'p': return instance->CollisionPoint(q.a, q.b, q.precise);
    case 'r': return instance->CollisionRectangle(q.a, q.b, q.c, q.d, q.precise);
    case 'e': return instance->CollisionEllipse(q.a, q.b, q.c, q.d, q.precise);
    default: return instance->CollisionLine(q.a, q.b, q.c, q.d, q.precise);
    }
}

// Sprite 0: a plain 10 x 10 box. Sprite 1: the same, precise, with only its middle 4 x 4 solid.
class InstanceCollision : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        sprites.Add(0, {0, 0, 9, 9}, 0, 0);
        TestSprite& holed = sprites.Add(1, {0, 0, 9, 9}, 0, 0, 1, /*precise*/ 1);
        holed.width = 10;
        holed.mask.assign(100, 0);
        for (int32_t y = 3; y <= 6; ++y)
            for (int32_t x = 3; x <= 6; ++x) holed.mask[static_cast<size_t>(y * 10 + x)] = 1;
    }
    // An instance showing `sprite` with its box at 10..19 x 10..19.
    CInstance* At10(int32_t sprite, int32_t id = 100001)
    {
        CInstance* instance = Make(10, 10, id);
        instance->SetSpriteIndex(sprite);
        return instance;
    }
    static void Expect(CInstance* instance, std::initializer_list<Ask> asks)
    {
        for (const Ask& q : asks)
            EXPECT_EQ(Answer(instance, q), q.hit) << q.kind << " " << q.a << " " << q.b << " " << q.c << " " << q.d
                                                  << " precise " << q.precise;
    }
    TestSprites sprites;
};

TEST_F(InstanceCollision, RoughShapesAgainstTheBox)
{
    CInstance* instance = At10(0);
    Expect(instance, {
        // A point covers the box up to, not including, its far edges.
        {'p', 19.9f, 19.9f, 0, 0, 0, true}, {'p', 10, 10, 0, 0, 1, true}, {'p', 20, 10, 0, 0, 0, false},
        {'p', 9.9f, 10, 0, 0, 0, false}, {'p', 15, 20, 0, 0, 0, false},
        // Rectangle corners come in any order.
        {'r', 0, 0, 10, 10, 0, true}, {'r', 10, 10, 0, 0, 0, true}, {'r', 20, 10, 30, 15, 0, false},
        {'r', 0, 0, 9.99f, 30, 0, false}, {'r', 19.5f, 19.5f, 40, 40, 0, true},
        // An ellipse whose bounding rectangle overlaps the box's corner but whose rim does not.
        {'r', 0, 0, 11, 11, 0, true}, {'e', 0, 0, 11, 11, 0, false}, {'e', 0, 0, 12, 12, 0, true},
        {'e', 17, 17, 30, 30, 0, true}, {'e', 19, 19, 30, 30, 0, false},
        {'e', 12, 0, 16, 10.5f, 0, true}, // a centre within the box's columns always overlaps
        // Lines are clipped to the box's columns.
        {'l', 0, 15, 100, 15, 0, true}, {'l', 100, 15, 0, 15, 0, true}, {'l', 0, 0, 100, 5, 0, false},
        {'l', 15, 0, 15, 100, 0, true}, {'l', 0, 25, 25, 0, 0, true}, {'l', 0, 21, 30, 19.9f, 0, false},
        {'l', 20, 0, 40, 20, 0, false},
    });
    EXPECT_TRUE(sprites.asked.empty()) << "a sprite without precise checking is never asked";
}

TEST_F(InstanceCollision, MarkedInstancesSelfAndShapelessInstances)
{
    CInstance* instance = At10(0);
    CInstance* other = At10(0, 100002);
    EXPECT_FALSE(instance->CollisionInstance(instance, 0));
    EXPECT_TRUE(instance->CollisionInstance(other, 0));
    other->i_marked = 1;
    EXPECT_FALSE(instance->CollisionInstance(other, 0));
    EXPECT_FALSE(other->CollisionInstance(instance, 0));
    Expect(other, {{'p', 15, 15, 0, 0, 0, false}, {'r', 0, 0, 30, 30, 0, false}, {'e', 0, 0, 30, 30, 0, false},
                   {'l', 0, 15, 30, 15, 0, false}});

    // Without a shape the box is the point (10, 20), which only the rough shapes hit (i_precise 0).
    CInstance* bare = Make(10.5f, 20.7f, 100003);
    Expect(bare, {{'p', 10.5f, 20.5f, 0, 0, 0, false}, {'r', 5, 15, 15, 25, 0, true}, {'r', 5, 15, 15, 25, 1, true},
                  {'e', 0, 10, 20, 30, 0, true}, {'l', 0, 20.5f, 20, 20.5f, 0, true}, {'r', 11, 15, 15, 25, 0, false}});
    CInstance* solid = Make(5, 15, 100004);
    solid->SetSpriteIndex(0); // box 5..14 x 15..24 covers the point
    EXPECT_FALSE(solid->CollisionInstance(bare, 0));
    EXPECT_FALSE(bare->CollisionInstance(solid, 0));
    // A sprite without frames cannot collide either.
    sprites.Add(5, {0, 0, 9, 9}, 0, 0, /*frames*/ 0);
    solid->SetSpriteIndex(5);
    EXPECT_FALSE(solid->CollisionPoint(6, 16, 0));
}

TEST_F(InstanceCollision, PreciseQuestionsAskTheMaskWithRoundedCoordinates)
{
    CInstance* instance = At10(1);
    instance->i_imageindex = 2.7f;
    // The transparent corner: a hit without precise checking (only 1 asks for it), a miss with it.
    Expect(instance, {{'r', 10, 10, 11, 11, 0, true}, {'r', 10, 10, 11, 11, 2, true}});
    EXPECT_TRUE(sprites.asked.empty());
    Expect(instance, {{'r', 10, 10, 11, 11, 1, false}, {'r', 12.5f, 12.4f, 14, 14, 1, true}});
    ASSERT_EQ(sprites.asked.size(), 2u);
    const TestSprites::Question& last = sprites.asked[1];
    EXPECT_EQ(last.kind, 'r');
    EXPECT_EQ(Fields(last.at.sprite, last.at.frame, last.at.x, last.at.box.right), Fields(1, 2, 10, 19));
    EXPECT_EQ(Fields(last.args.left, last.args.top, last.args.right), Fields(12, 12, 14)); // 12.5 rounds to even

    // A point asks the sprite's flag, copied when the box is computed.
    instance->GetBoundingBox();
    Expect(instance, {{'p', 10.2f, 10.2f, 0, 0, 1, false}, {'p', 14.5f, 13.5f, 0, 0, 1, true}});
    EXPECT_EQ(Fields(sprites.asked.back().args.left, sprites.asked.back().args.top), Fields(14, 14));
    // The sprite stops wanting precision while the box is not recomputed: the point no longer asks,
    // the shapes still ask the instance's flag.
    sprites.sprites[1].shape.precise = 0;
    sprites.asked.clear();
    Expect(instance, {{'p', 10.2f, 10.2f, 0, 0, 1, true}});
    EXPECT_TRUE(sprites.asked.empty());
    Expect(instance, {{'r', 10, 10, 11, 11, 1, false}});
    EXPECT_EQ(sprites.asked.size(), 1u);

    sprites.sprites[1].shape.precise = 1;
    CInstance* holed = At10(1, 100002);
    Expect(holed, {{'e', 8, 8, 12.4f, 12.4f, 1, false}});
    EXPECT_EQ(sprites.asked.back().kind, 'e');
    EXPECT_EQ(sprites.asked.back().args.right, 12);
    Expect(holed, {{'e', 8, 8, 16, 16, 1, true}, {'l', 100, 15, 0, 15, 1, true}});
    const TestSprites::Question& line = sprites.asked.back();
    EXPECT_EQ(line.kind, 'l');
    EXPECT_EQ(Fields(line.args.left, line.args.top, line.args.right, line.args.bottom), Fields(10, 15, 20, 15));
    Expect(holed, {{'l', 0, 10.5f, 100, 10.5f, 1, false}});
}

TEST_F(InstanceCollision, PointInEllipseIncludesTheRimAndHandlesThinAndExtremeEllipses)
{
    const struct {
        InstanceBox rect;
        int32_t x, y;
        bool inside;
    } points[] = {
        {{0, 0, 10, 10}, 5, 0, true}, {{0, 0, 10, 10}, 5, 5, true}, {{0, 0, 10, 10}, 0, 0, false},
        {{0, 0, 10, 10}, 9, 9, false},
        {{4, 0, 5, 10}, 4, 5, true}, {{4, 0, 5, 10}, 5, 5, false}, // half-width 0: the centre column
        {{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}, 0, 0, false},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0, true},
    };
    for (const auto& p : points)
        EXPECT_EQ(PointInEllipse(p.rect, p.x, p.y), p.inside) << p.rect.left << " " << p.x << " " << p.y;
}

TEST_F(InstanceCollision, InstancesCollideWhenTheirBoxesShareAPixel)
{
    CInstance* first = At10(0);
    CInstance* beside = Make(20, 10, 100002);
    beside->SetSpriteIndex(0);
    EXPECT_FALSE(first->CollisionInstance(beside, 0));
    beside->SetPosition(19, 19);
    EXPECT_TRUE(first->CollisionInstance(beside, 0));
    EXPECT_TRUE(first->CollisionInstance(beside, 1)); // neither sprite wants precision
    EXPECT_TRUE(sprites.asked.empty());

    // One precise sprite is enough to ask the masks.
    beside->SetSpriteIndex(1);
    sprites.spriteAnswer = false;
    EXPECT_FALSE(first->CollisionInstance(beside, 1));
    ASSERT_EQ(sprites.asked.size(), 1u);
    const TestSprites::Question& asked = sprites.asked[0];
    EXPECT_EQ(asked.kind, 's');
    EXPECT_EQ(Fields(asked.at.sprite, asked.args.left, asked.args.right), Fields(0, 1, 19)); // the second sprite
    EXPECT_TRUE(first->CollisionInstance(beside, 0));
}

} // namespace

namespace {

// The box of an unrotated instance, where the far edge is worked out without rounding at scale 1
// below the exact-float limit and with the float sum beyond it; both rules must give what the float
// formula gives, including where that sum itself rounds.
TEST_F(InstanceCollision, UnrotatedBoxesKeepTheFloatRuleOnBothSidesOfTheExactLimit)
{
    const struct {
        const char* label;
        InstanceBox own;
        float x, y, scale;
        InstanceBox box;
    } cases[] = {
        {"fractional position", {0, 0, 15, 15}, 100.4f, -3.6f, 1.0f, {100, -4, 115, 11}},
        {"just below 2^23", {0, 0, 15, 15}, 8388607.0f, 0.0f, 1.0f, {8388607, 0, 8388622, 15}},
        {"sum reaching 2^24", {0, 0, 15, 15}, 16777200.0f, 0.0f, 1.0f, {16777200, 0, 16777215, 15}},
        {"sum rounding to even past 2^24", {0, 0, 15, 15}, 16777215.0f, 0.0f, 1.0f, {16777215, 0, 16777232, 15}},
        {"reversed sprite box", {10, 0, 5, 15}, 0.0f, 0.0f, 1.0f, {5, 0, 10, 15}},
        {"scaled", {0, 0, 15, 15}, 10.0f, 10.0f, 2.0f, {10, 10, 41, 41}},
        {"negative whole position", {2, 3, 9, 12}, -20.0f, -7.0f, 1.0f, {-18, -4, -11, 5}},
        {"negative zero", {0, 0, 15, 15}, -0.0f, -0.0f, 1.0f, {0, 0, 15, 15}},
        {"far edge crossing 2^23", {0, 0, 15, 15}, 8388600.0f, -8388600.0f, 1.0f, {8388600, -8388600, 8388615, -8388585}},
    };
    int32_t id = 100001;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        sprites.Add(7, c.own, 0, 0);
        CInstance* instance = Make(c.x, c.y, id++);
        instance->SetSpriteIndex(7);
        instance->SetImageXScale(c.scale);
        instance->SetImageYScale(c.scale);
        const InstanceBox& box = instance->GetBoundingBox();
        EXPECT_EQ(c.box.left, box.left);
        EXPECT_EQ(c.box.top, box.top);
        EXPECT_EQ(c.box.right, box.right);
        EXPECT_EQ(c.box.bottom, box.bottom);
    }
}

} // namespace

namespace {

// One change to an instance: 'm' move to (a, b), 's' scales (a, b), 'a' angle a, 'p' sprite a,
// 'k' mask a, 'v' speed a in direction b, 'o' the shape sprite's origin to (a, b) (every box then
// out of date).
struct Change {
    char kind;
    float a, b = 0.0f;
};

void Apply(CInstance* instance, TestSprites& sprites, const Change& c)
{
    switch (c.kind) {
    case 'm': instance->SetPosition(c.a, c.b); break;
    case 's':
        instance->SetImageXScale(c.a);
        instance->SetImageYScale(c.b);
        break;
    case 'a': instance->SetImageAngle(c.a); break;
    case 'p': instance->SetSpriteIndex(static_cast<int32_t>(c.a)); break;
    case 'k': instance->SetMaskIndex(static_cast<int32_t>(c.a)); break;
    case 'v':
        instance->SetSpeed(c.a);
        instance->SetDirection(c.b);
        break;
    default: {
        InstanceSpriteShape& shape = sprites.sprites[instance->ShapeSprite()].shape;
        shape.xorigin = static_cast<int32_t>(c.a);
        shape.yorigin = static_cast<int32_t>(c.b);
        Instance_ShapesChanged();
    }
    }
}

// A box kept up to date through moves (shifted where the move allows it) is the box an instance in
// the same state computes from nothing, after every kind of change.
TEST_F(InstanceCollision, ABoxKeptThroughEveryChangeIsTheBoxComputedAfresh)
{
    sprites.Add(2, {2, 3, 9, 12}, 5, 7);   // the box off the corner, the origin inside it
    sprites.Add(3, {12, 0, 4, 6}, -3, 20); // a reversed box, the origin outside it
    sprites.Add(4, {0, 2, 9, 12}, -2097142, 2097140); // edges as far from the place as a shift allows
    sprites.Add(5, {0, 2, 9, 12}, -2097143, 0);       // and one past it
    const float nan = std::nanf("");
    const struct {
        const char* label;
        int32_t sprite;
        std::vector<Change> changes;
    } runs[] = {
        {"whole moves", 2, {{'m', 10, 10}, {'m', 11, 10}, {'m', 11, 8}, {'m', -40, -3}, {'m', 0, 0}, {'m', -0.0f, 5}}},
        {"speeds between moves", 2, {{'m', 10, 10}, {'v', 3, 90}, {'m', 10, 7}, {'v', 0, 0}, {'m', 11, 7}}},
        {"fractional and back", 2, {{'m', 10.5f, 10}, {'m', 10.5f, 3.25f}, {'m', 11, 4}, {'m', 12, 4}, {'m', 12, 4.5f}}},
        {"the exact-float edge", 0,
         {{'m', 8388590, 0}, {'m', 8388600, 0}, {'m', 8388500, -8388600}, {'m', 8388607, 0}, {'m', -8388607, 0},
          {'m', 1e30f, 0}, {'m', 5, 5}, {'m', nan, 5}, {'m', 6, 5}, {'m', INFINITY, 5}, {'m', 7, 5}}},
        {"the shift's edge", 2,
         {{'m', 4194280, 0}, {'m', 4194300, 0}, {'m', 4194290, -4194300}, {'m', -4194304, 3}, {'m', -4194305, 3},
          {'m', 7, 5}, {'m', -2147483648.0f, 5}, {'m', 8, 5}, {'m', 8, -2147483648.0f}, {'m', 9, 6}, {'m', -0.0f, -0.0f}}},
        {"edges far from the place", 4,
         {{'m', 4194304, 0}, {'m', -4194304, 5}, {'m', 4194300, -4194304}, {'m', 4194305, 1}, {'m', 3, 3}}},
        {"edges past the shift's reach", 5, {{'m', 4194304, 0}, {'m', -4194304, 5}, {'m', 3, 3}}},
        {"scales and angles between moves", 3,
         {{'m', 20, 20}, {'s', 2, 1}, {'m', 21, 20}, {'s', 1, 1}, {'m', 22, 21}, {'a', 90}, {'m', 23, 21},
          {'a', 0}, {'m', 30, 30}, {'s', -1, 1}, {'m', 31, 30}, {'s', 1, 1}, {'m', 32, 31}}},
        {"sprites, masks and origins between moves", 2,
         {{'m', 5, 5}, {'p', 3}, {'m', 6, 5}, {'k', 2}, {'m', 7, 6}, {'k', -1}, {'m', 8, 8}, {'o', 0, 0},
          {'m', 9, 9}, {'p', 99}, {'m', 10, 10}, {'p', 2}, {'m', 11, 11}, {'o', 4, 1}, {'m', 12, 11}}},
    };
    int32_t id = 100001;
    for (const auto& run : runs) {
        SCOPED_TRACE(run.label);
        CInstance* kept = Make(0, 0, id++);
        kept->SetSpriteIndex(run.sprite);
        kept->GetBoundingBox();
        for (size_t step = 0; step < run.changes.size(); ++step) {
            Apply(kept, sprites, run.changes[step]);
            CInstance* fresh = Make(kept->i_x, kept->i_y, id++);
            fresh->SetSpriteIndex(kept->i_spriteindex);
            fresh->SetMaskIndex(kept->i_maskindex);
            fresh->SetImageXScale(kept->i_imagescalex);
            fresh->SetImageYScale(kept->i_imagescaley);
            fresh->SetImageAngle(kept->i_imageangle);
            const InstanceBox& box = kept->GetBoundingBox();
            const InstanceBox& want = fresh->GetBoundingBox();
            EXPECT_EQ(Fields(box.left, box.top, box.right, box.bottom, kept->i_precise),
                      Fields(want.left, want.top, want.right, want.bottom, fresh->i_precise))
                << "after change " << step << " (" << run.changes[step].kind << " " << run.changes[step].a << ", "
                << run.changes[step].b << ")";
        }
    }
}

// The shift serves whole moves of a box the whole-position rule made, and only those.
TEST_F(InstanceCollision, OnlyAWholeMoveFromAWholePlaceKeepsTheBoxWithoutTheSprite)
{
    const struct {
        float x, y;
        int32_t asks; // shape look-ups to bring the box up to date
        int32_t left;
    } moves[] = {{11, 10, 0, 11},       {11, -7, 0, 11},           {11.5f, -7, 1, 12}, {12, -7, 1, 12},
                 {13, -6, 0, 13},       {8388600, 0, 1, 8388600}, {5, 0, 1, 5},       {6, 0, 0, 6},
                 // A place within 2^22 of the origin either way shifts the box; beyond it is computed.
                 {4194280, 0, 0, 4194280}, {4194295, 0, 0, 4194295}, {4194304, 0, 0, 4194304},
                 {4194305, 0, 1, 4194305}, {-4194304, 3, 0, -4194304}, {-4194305, 3, 1, -4194305},
                 {-2147483648.0f, 0, 1, INT32_MIN}, {7, 0, 1, 7}, {8, 0, 0, 8}};
    CInstance* instance = Make(10, 10, 100001);
    instance->SetSpriteIndex(0);
    instance->GetBoundingBox();
    for (const auto& m : moves) {
        sprites.shapeAsks = 0;
        instance->SetPosition(m.x, m.y);
        const InstanceBox& box = instance->GetBoundingBox();
        EXPECT_EQ(sprites.shapeAsks, m.asks) << m.x << "," << m.y;
        EXPECT_EQ(box.left, m.left) << m.x << "," << m.y;
    }
    // Only a box whose edges lie within 2^21 of its place shifts, whichever edge lies beyond.
    const struct {
        int32_t xorigin, yorigin, asks;
    } origins[] = {{-2097142, 0, 0}, {-2097143, 0, 1}, {0, -2097143, 1}, {2097151, 0, 0}, {2097152, 0, 1}, {0, 2097152, 1}};
    int32_t id = 100002;
    for (const auto& o : origins) {
        sprites.Add(4, {0, 0, 9, 9}, o.xorigin, o.yorigin);
        CInstance* far = Make(1, 1, id++);
        far->SetSpriteIndex(4);
        far->GetBoundingBox();
        sprites.shapeAsks = 0;
        far->SetPosition(4194304, -4194304);
        const InstanceBox& box = far->GetBoundingBox();
        EXPECT_EQ(sprites.shapeAsks, o.asks) << "origin " << o.xorigin << "," << o.yorigin;
        EXPECT_EQ(Fields(box.left, box.top), Fields(4194304 - o.xorigin, -4194304 - o.yorigin));
    }
    // Speeds and directions leave the box as it is.
    instance->SetSpeed(3);
    instance->SetDirection(45);
    sprites.shapeAsks = 0;
    instance->SetPosition(9, 1);
    instance->GetBoundingBox();
    EXPECT_EQ(sprites.shapeAsks, 0);
    // Scaled, the rule does not apply: every move computes.
    instance->SetImageXScale(2);
    instance->GetBoundingBox();
    sprites.shapeAsks = 0;
    instance->SetPosition(7, 0);
    instance->GetBoundingBox();
    EXPECT_EQ(sprites.shapeAsks, 1);
}

// Two instances collide as they did when every test looked the shapes up: the facts the box's
// computation keeps answer the same as the sprites asked again (as after loading a saved game).
TEST_F(InstanceCollision, TheFactsKeptWithTheBoxAnswerAsTheSpritesAskedAgain)
{
    sprites.Add(4, {0, 0, 9, 9}, 0, 0, /*frames*/ 0);
    sprites.Add(5, {0, 0, 9, 9}, 5, 5, 1, /*precise*/ 1);
    const struct {
        const char* label;
        int32_t sprite1;
        float x1, y1, scale1, angle1;
        int32_t sprite2;
        float x2, y2;
        bool masksMeet; // the answer of the pixel test where it is asked
        bool hit;
    } cases[] = {
        {"boxes share a corner", 0, 10, 10, 1, 0, 0, 19, 19, false, true},
        {"boxes just apart", 0, 10, 10, 1, 0, 0, 20, 10, true, false},
        {"fractional places", 0, 10.4f, 10.5f, 1, 0, 0, 19.4f, 18.5f, false, true},
        {"fractional places rounding apart", 0, 10.4f, 10.5f, 1, 0, 0, 19.5f, 18.5f, false, false},
        {"scaled box reaches", 0, 10, 10, 2, 0, 0, 29, 19, false, true},
        {"mirrored box reaches back", 0, 10, 10, -1, 0, 0, 1, 10, false, true},
        {"turned box", 0, 10, 10, 1, 45, 0, 20, 16, false, true},
        {"turned box misses", 0, 10, 10, 1, 45, 0, 20, 17, false, false},
        {"no sprite", 99, 10, 10, 1, 0, 0, 10, 10, true, false},
        {"a sprite without frames", 4, 10, 10, 1, 0, 0, 10, 10, true, false},
        {"precise: the masks say no", 5, 10, 10, 1, 0, 0, 8, 8, false, false},
        {"precise: the masks say yes", 0, 10, 10, 1, 0, 5, 8, 8, true, true},
        {"precise, boxes apart", 5, 10, 10, 1, 0, 0, 40, 40, true, false},
    };
    int32_t id = 100001;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        sprites.spriteAnswer = c.masksMeet;
        CInstance* first = Make(c.x1, c.y1, id++);
        first->SetSpriteIndex(c.sprite1);
        first->SetImageXScale(c.scale1);
        first->SetImageAngle(c.angle1);
        CInstance* second = Make(c.x2, c.y2, id++);
        second->SetSpriteIndex(c.sprite2);
        EXPECT_EQ(first->CollisionInstance(second, 1), c.hit);
        EXPECT_EQ(second->CollisionInstance(first, 1), c.hit) << "either way round";
        first->m_BoxFacts = 0;
        second->m_BoxFacts = 0;
        EXPECT_EQ(first->CollisionInstance(second, 1), c.hit) << "shapes asked again";
    }
    // A sprite that loses its frames stops colliding at once.
    CInstance* first = Make(10, 10, id++);
    CInstance* second = Make(12, 12, id++);
    first->SetSpriteIndex(0);
    second->SetSpriteIndex(0);
    EXPECT_TRUE(first->CollisionInstance(second, 0));
    sprites.sprites[0].shape.frameCount = 0;
    Instance_ShapesChanged();
    EXPECT_FALSE(first->CollisionInstance(second, 0));
}

} // namespace
