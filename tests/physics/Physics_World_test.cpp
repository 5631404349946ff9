// The world's frame: step lengths, collision categories, contact records and their collision
// events, and the release of bodies and joints with their worlds.
#include <cmath>

#include "PhysicsTestSupport.h"

namespace physicstest {
namespace {

TEST_F(PhysicsTest, AFrameStepsUpdateSpeedOverRoomSpeedTimes)
{
    // Under gravity 10 and no damping the fall speed after one frame tells the time stepped.
    struct { int32_t update, room; float seconds; } cases[] = {
        {60, 60, 1.0f / 60}, {30, 60, 1.0f / 60}, {60, 30, 2.0f / 60}, {60, 45, 4.0f / 180}, {60, 0, 0.0f}};
    PlayPhysics({PhysicsObject("obj_ball", 1.0f, {}, true), PhysicsObject("obj_wall", 0.0f)},
                {Placed(0, 100, 100), Placed(1, 0, 0)});
    b2Body* body = Body(100001);
    ASSERT_NE(nullptr, body);
    for (const auto& c : cases) {
        body->SetLinearVelocity(b2Vec2(0, 0));
        World()->m_UpdateSpeed = c.update;
        World()->Update(c.room, false);
        EXPECT_NEAR(10.0f * c.seconds, body->GetLinearVelocity().y, 1e-5f) << c.update << "/" << c.room;
    }
}

TEST_F(PhysicsTest, CategoriesFollowCollisionEventsAndParentsUpToThirtyTwo)
{
    // obj_0 to obj_31 take the 32 categories (obj_1 as obj_0's other party), obj_32 is one too many,
    // obj_33 has no collision event and obj_34 inherits obj_0's.
    std::vector<gamebuild::ObjectDesc> objects;
    for (int32_t i = 0; i < 35; ++i) objects.push_back(PhysicsObject("obj_" + std::to_string(i), 1.0f, {{4, i, ""}}));
    objects[0].events[0].subtype = 1;
    objects[1].events.clear();
    objects[33].events.clear();
    objects[34].events.clear();
    objects[34].parent = 0;
    PlayPhysics(objects, {});
    for (int32_t i = 0; i < 32; ++i) EXPECT_EQ(i, World()->CategorySlot(i));
    EXPECT_EQ((std::vector<int32_t>{-1, -1, 0}),
              (std::vector<int32_t>{World()->CategorySlot(32), World()->CategorySlot(33), World()->CategorySlot(34)}));
    EXPECT_EQ(World()->Slot(1).category, World()->Slot(0).mask);
    EXPECT_EQ(World()->Slot(0).category, World()->Slot(1).mask);
    EXPECT_EQ(1u, m_Log.Count("Unable to assign a collision category for object obj_32.\nConsider using parenting "
                              "to reduce collision overheads where possible."));
}

// A box resting on a static floor, both with collision events with each other, stepped in sub-steps:
// each adds a manifold to the pair's one record (the first instance's event first), up to eight; a
// sensor is heard when it begins to touch, and has no points to read.
struct ContactCase { int32_t updateSpeed; bool sensor; const char* points; uint32_t warnings; };

class ContactTest : public PhysicsTest, public testing::WithParamInterface<ContactCase> {};

TEST_P(ContactTest, SubStepsAddManifoldsToThePairsRecord)
{
    const ContactCase& c = GetParam();
    std::string report = "show_debug_message(\"points \" + string(phy_collision_points)";
    report += c.sensor ? ");" : " + \" \" + string(round(phy_collision_y[0])) + \" \" + string(phy_col_normal_y[0]));";
    gamebuild::ObjectDesc box = PhysicsObject("obj_box", 1.0f, {{4, 1, report}});
    box.physics.sensor = c.sensor;
    PlayPhysics({box, PhysicsObject("obj_floor", 0.0f, {{4, 0, ""}})}, {Placed(0, 100, 84), Placed(1, 100, 100)});
    World()->m_UpdateSpeed = c.updateSpeed;
    NewTrace();
    m_Log.Clear();
    Tick();
    EXPECT_EQ((std::vector<std::string>{"100001 obj_box 4 1", "100002 obj_floor 4 0"}), NewTrace());
    EXPECT_TRUE(m_Log.Has(c.points)) << m_Log.Text();
    EXPECT_EQ(c.warnings, m_Log.Count("WARNING: Too many manifolds in collision\n"));
    Tick();
    EXPECT_TRUE(!c.sensor || NewTrace().empty()) << "a sensor is not solved: no contact after it began";
}

// Two manifolds of two points each on the floor's top; a ninth manifold dropped with the warning.
INSTANTIATE_TEST_SUITE_P(Steps, ContactTest,
                         testing::Values(ContactCase{60, false, "points 4 100 1", 0}, ContactCase{270, false, "points 16 ", 1},
                                         ContactCase{30, true, "points 0", 0}),
                         [](const auto& info) { return "Speed" + std::to_string(info.param.updateSpeed) + (info.param.sensor ? "Sensor" : ""); });

TEST_F(PhysicsTest, BodiesAndJointsLetGoOfTheirOwnWorld)
{
    PlayPhysics({PhysicsObject("obj_a", 1.0f), PhysicsObject("obj_b", 1.0f)}, {Placed(0, 0, 0), Placed(1, 40, 0)});
    CInstance* a = ById(100001);
    CInstance* b = ById(100002);
    int32_t joint = World()->CreateDistanceJoint(a->m_pPhysicsObject, b->m_pPhysicsObject, 0, 0, 4, 0, false);
    ASSERT_EQ(1, joint);

    // A body carried out of its room is destroyed through the world that holds it.
    auto* elsewhere = new CPhysicsWorld(0.1f, 30);
    CInstance* carried = Run_CurrentRoom()->AddInstance(5, 5, 0);
    carried->m_pPhysicsObject->Destroy();
    delete carried->m_pPhysicsObject;
    carried->m_pPhysicsObject = nullptr;
    CPhysicsFixture* fixture = PhysicsFixture_Create();
    fixture->SetCircleShape(1.0f);
    ASSERT_TRUE(elsewhere->BindFixture(fixture, carried));
    Run_CurrentRoom()->RemoveInstance(carried);
    EXPECT_EQ(nullptr, elsewhere->m_pWorld->GetBodyList());

    // A world freed while its room is not current detaches its instances and joint records.
    CInstance* other = Run_CurrentRoom()->AddInstance(5, 5, 0);
    CPhysicsObject* own = other->m_pPhysicsObject;
    other->m_pPhysicsObject = nullptr;
    ASSERT_TRUE(elsewhere->BindFixture(fixture, other));
    CInstance* third = Run_CurrentRoom()->AddInstance(9, 9, 1);
    CPhysicsObject* thirdOwn = third->m_pPhysicsObject;
    third->m_pPhysicsObject = nullptr;
    ASSERT_TRUE(elsewhere->BindFixture(fixture, third));
    int32_t away = elsewhere->CreateDistanceJoint(other->m_pPhysicsObject, third->m_pPhysicsObject, 0, 0, 1, 0, false);
    delete elsewhere;
    EXPECT_EQ(nullptr, other->m_pPhysicsObject);
    EXPECT_EQ(nullptr, PhysicsJoint_Find(away));
    other->m_pPhysicsObject = own;
    third->m_pPhysicsObject = thirdOwn;

    // Destroying a jointed instance deletes the joint.
    Run_CurrentRoom()->RemoveInstance(a);
    EXPECT_EQ(nullptr, PhysicsJoint_Find(joint));
    EXPECT_EQ(nullptr, b->m_pPhysicsObject->m_pBody->GetJointList());
}

TEST_F(PhysicsTest, GearsGoBeforeTheJointsTheyLink)
{
    PlayPhysics({PhysicsObject("obj_a", 1.0f), PhysicsObject("obj_b", 0.0f)},
                {Placed(0, 0, 0), Placed(0, 40, 0), Placed(1, 20, 40)});
    CPhysicsObject* a = ById(100001)->m_pPhysicsObject;
    CPhysicsObject* b = ById(100002)->m_pPhysicsObject;
    CPhysicsObject* ground = ById(100003)->m_pPhysicsObject;
    int32_t first = World()->CreateRevoluteJoint(ground, a, 0, 0, 0, 0, false, 0, 0, false, false);
    int32_t second = World()->CreateRevoluteJoint(ground, b, 4, 0, 0, 0, false, 0, 0, false, false);
    int32_t distance = World()->CreateDistanceJoint(a, b, 0, 0, 4, 0, false);
    int32_t gear = World()->CreateGearJoint(a, b, first, second, 2.0f);
    EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4}), (std::vector<int32_t>{first, second, distance, gear}));
    EXPECT_EQ(-1, World()->CreateGearJoint(a, b, first, distance, 1.0f)) << "a distance joint cannot be geared";

    ASSERT_TRUE(World()->DeleteJoint(first));
    EXPECT_EQ(nullptr, PhysicsJoint_Find(gear));
    EXPECT_FALSE(World()->DeleteJoint(first));
    gear = World()->CreateGearJoint(a, b, second, second, 1.0f);
    Run_CurrentRoom()->RemoveInstance(ById(100003));
    EXPECT_EQ(nullptr, PhysicsJoint_Find(gear)) << "with the body of a joint it links";
    EXPECT_EQ(1, PhysicsJoint_Count());
}

// A heavy box and a light one over a pulley, both hanging 100 px under their ground anchors: the
// heavy side falls until its rope is at its maximum length and holds there, the light side's rope
// goes slack as it rises. The ropes go with the pulley, whether deleted or with an instance.
TEST_F(PhysicsTest, PulleyRopesHoldEachSideAtItsMaximumLength)
{
    PlayPhysics({PhysicsObject("obj_heavy", 4.0f), PhysicsObject("obj_light", 1.0f)},
                {Placed(0, 100, 100), Placed(1, 300, 100), Placed(0, 500, 100), Placed(1, 700, 100)});
    auto pulley = [](int32_t a, int32_t b, double maxA, double maxB) {
        double x = ById(a)->i_x;
        return static_cast<int32_t>(Call("physics_joint_pulley_create",
                                         {a, b, x, 0, x + 200, 0, 0, 0, 0, 0, 1, maxA, maxB, 0}, ById(a)));
    };
    auto side = [](int32_t id, double groundX) {
        b2Vec2 p = Body(id)->GetPosition();
        return std::hypot(p.x * 10.0 - groundX, p.y * 10.0);
    };
    int32_t held = pulley(100001, 100002, 150, 400);
    int32_t loose = pulley(100003, 100004, 400, 400);
    ASSERT_EQ((std::vector<int32_t>{1, 2}), (std::vector<int32_t>{held, loose}));
    Tick(90);
    struct { int32_t id; double ground, length, tolerance; } sides[] = {
        {100001, 100, 150, 1.0}, {100002, 300, 50, 1.0}, // held at its maximum; the other at the rest
        {100003, 500, 170, -1},                          // falls on past the first's 150
    };
    for (const auto& c : sides) {
        if (c.tolerance > 0) EXPECT_NEAR(c.length, side(c.id, c.ground), c.tolerance) << c.id;
        else EXPECT_GT(side(c.id, c.ground), c.length) << c.id;
    }
    EXPECT_EQ(6, World()->m_pWorld->GetJointCount()) << "two pulleys and their four ropes";
    ASSERT_TRUE(World()->DeleteJoint(held));
    Run_CurrentRoom()->RemoveInstance(ById(100004));
    EXPECT_EQ(0, World()->m_pWorld->GetJointCount());
    EXPECT_EQ(0, PhysicsJoint_Count());
}

} // namespace
} // namespace physicstest
