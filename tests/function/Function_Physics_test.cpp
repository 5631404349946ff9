// The Physics family: its rows, its messages on misuse, the checks that keep script values from the
// physics library's own (process-ending) checks, and the unit conversions of its edge cases.
#include <box2d/b2_revolute_joint.h>

#include <cmath>
#include <functional>

#include "../physics/PhysicsTestSupport.h"
#include "Function_TestCases.h"

namespace physicstest {
namespace {

using functiontest::Reals;

const char* const NO_WORLD = "The current room does not have a physics world representation";

TEST(PhysicsFamily, RegistersItsFortyNamesInOrder)
{
    functiontest::ExpectRegisteredRun(
        "physics_* world_create:1 world_gravity:2 world_update_speed:1 world_update_iterations:1 ~ "
        "physics_joint_* set_value:3 delete:1");
}

// Instances: 100001 and 100003 with dynamic boxes, 100002 of an object without physics.
class PhysicsFunctions : public PhysicsTest {
protected:
    void SetUp() override
    {
        PhysicsTest::SetUp();
        PlayPhysics({PhysicsObject("obj_a", 1.0f), ObjectWith("obj_plain", {})},
                    {Placed(0, 100, 100), Placed(1, 200, 100), Placed(0, 300, 100)});
        m_Log.Clear();
    }
    // Runs a call with instance 100001 (or the given id) as self; the log holds what it reported.
    double Run(const char* name, const std::vector<testsupport::TestArg>& args, int32_t self = 100001)
    {
        m_Log.Clear();
        return Call(name, args, ById(self));
    }
};

TEST_F(PhysicsFunctions, MisuseReportsItsMessageAndChangesNothing)
{
    int32_t box = static_cast<int32_t>(Call("physics_fixture_create", {}));
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        int32_t self;
        const char* message;
        double result;
    } cases[] = {
        {"physics_fixture_set_density", {99, 1}, 100001, "The physics fixture does not exist", 0},
        {"physics_fixture_add_point", {box, 1, 1}, 100001,
         "The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8 points", 0},
        {"physics_fixture_bind", {box, 100999}, 100001, "  is not valid.", 0},
        {"physics_apply_force", {0, 0, 1, 1}, 100002, "The instance does not have an associated physics representation", 0},
        {"physics_test_overlap", {0, 0, 0, 100999}, 100001, "physics_test_overlap:   is not valid.", 0},
        {"physics_joint_distance_create", {100999, 100001, 0, 0, 0, 0, 0}, 100001, "Unable to find instance: 100999", -1},
        {"physics_joint_distance_create", {100001, 100002, 0, 0, 0, 0, 0}, 100001,
         "physics_joint_distance_create: An instance does not have an associated physics representation", -1},
        {"physics_joint_enable_motor", {99, 1}, 100001, "A joint does not exist", 0},
        // Joints the physics library would end the process on.
        {"physics_joint_revolute_create", {100001, 100001, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 100001, "def->bodyA != def->bodyB",
         -1},
        {"physics_joint_prismatic_create", {100001, 100003, 0, 0, 1, 0, 10, -10, 1, 0, 0, 0, 0}, 100001,
         "lowerTranslation <= def->upperTranslation", -1},
        {"physics_joint_pulley_create", {100001, 100003, 0, 0, 10, 0, 0, 0, 0, 0, 0, 100, 100, 0}, 100001,
         "ratio > b2_epsilon", -1},
        {"physics_joint_distance_create", {100001, 100003, NAN, 0, 0, 0, 0}, 100001, "anchorA.IsValid()", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, Run(c.name, c.args, c.self)) << c.name;
        EXPECT_TRUE(m_Log.Has(c.message)) << c.name << "\n" << m_Log.Text();
    }
    EXPECT_EQ(nullptr, ById(100002)->m_pPhysicsObject);
    EXPECT_EQ(0, PhysicsJoint_Count());
}

TEST_F(PhysicsFunctions, WithoutAWorldEveryWorldUserSaysSo)
{
    int32_t box = static_cast<int32_t>(Call("physics_fixture_create", {}));
    CPhysicsWorld* world = World();
    Run_CurrentRoom()->m_pPhysicsWorld = nullptr;
    const std::pair<const char*, std::vector<testsupport::TestArg>> cases[] = {
        {"physics_world_gravity", {0, 1}},       {"physics_fixture_set_circle_shape", {box, 4}},
        {"physics_apply_impulse", {0, 0, 1, 1}}, {"physics_joint_delete", {1}},
        {"physics_joint_revolute_create", {100001, 100003, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [name, args] : cases) {
        Run(name, args);
        EXPECT_TRUE(m_Log.Has(NO_WORLD)) << name;
    }
    Run("physics_pause_enable", {1});
    EXPECT_TRUE(m_Log.Has("physics_pause_enable() " + std::string(NO_WORLD)));
    Run("physics_fixture_bind", {box, -1});
    EXPECT_TRUE(m_Log.Has("Cannot bind a fixture if no physics world exists for the current room"));
    Run_CurrentRoom()->m_pPhysicsWorld = world;
}

// Values the physics library would end the process on: each is reported as its failed check and
// the operation is skipped (or the value clamped); the game goes on.
TEST_F(PhysicsFunctions, ValuesTheLibraryRefusesAreReportedAndSurvived)
{
    auto bindFresh = [this](const std::function<void(int32_t)>& shape) {
        int32_t f = static_cast<int32_t>(Call("physics_fixture_create", {}));
        Call("physics_fixture_set_density", {f, 1});
        shape(f);
        CInstance* instance = Run_CurrentRoom()->AddInstance(0, 0, 1);
        m_Log.Clear();
        Call("physics_fixture_bind", {f, instance->GetId()});
        return instance->m_pPhysicsObject != nullptr;
    };
    auto points = [](std::vector<std::pair<double, double>> list) {
        return [list](int32_t f) {
            Call("physics_fixture_set_polygon_shape", {f});
            for (auto [x, y] : list) Call("physics_fixture_add_point", {f, x, y});
        };
    };
    struct Shape {
        const char* what;
        std::function<void(int32_t)> shape;
        const char* check;
    } shapes[] = {
        {"an empty box", [](int32_t f) { Call("physics_fixture_set_box_shape", {f, 0, 4}); }, "area > b2_epsilon"},
        {"a NaN box", [](int32_t f) { Call("physics_fixture_set_box_shape", {f, NAN, 4}); }, "b2IsValid(hx)"},
        {"collinear points", points({{0, 0}, {10, 0}, {20, 0}}), "count >= 3"},
        {"no shape", [](int32_t) {}, "def->shape != nullptr"},
        // Rounding (here an overflow to infinity) sends the library's hull walk round a cycle.
        {"a hull that never closes", points({{90, 100}, {5000, -16}, {-1e30, 3e19}}), "m < b2_maxPolygonVertices"},
        // Its inertia about its centre is lost to rounding against its distance from the origin.
        {"a small dense triangle far out", points({{5000, 5000}, {5002, 5000}, {5002, 5002}}), "m_I > 0.0f"},
    };
    for (const Shape& s : shapes) {
        EXPECT_FALSE(bindFresh(s.shape)) << s.what;
        EXPECT_TRUE(m_Log.Has(s.check)) << s.what << "\n" << m_Log.Text();
    }
    EXPECT_TRUE(bindFresh(points({{0, 0}, {10, 0}}))) << "two points bind as the edge between them";
    EXPECT_TRUE(bindFresh([](int32_t f) {
        Call("physics_fixture_set_circle_shape", {f, 4});
        Call("physics_fixture_set_linear_damping", {f, -1});
    })) << "a negative damping is clamped";
    EXPECT_TRUE(m_Log.Has("bd->linearDamping >= 0.0f"));

    int32_t hinge = static_cast<int32_t>(Run("physics_joint_revolute_create",
                                            {100001, 100003, 200, 100, -45, 45, 1, 0, 0, 0, 0}));
    Run("physics_joint_set_value", {hinge, 19, 90});
    EXPECT_TRUE(m_Log.Has("lower <= upper"));
    EXPECT_NEAR(-45, Call("physics_joint_get_value", {hinge, 19}), 1e-4) << "the limit is kept";

    Run("physics_mass_properties", {2, 100, 0, 1});
    EXPECT_TRUE(m_Log.Has("m_I > 0.0f")) << "an inertia of 1 about a centre 10 m away";
    Run("physics_apply_force", {NAN, 0, 1, 1});
    EXPECT_TRUE(m_Log.Has("point.IsValid()"));
    Run("physics_world_gravity", {INFINITY, 0});
    EXPECT_TRUE(m_Log.Has("gravity.IsValid()"));
    Tick(2);
    EXPECT_EQ(1, g_RunState) << "the game plays on";
}

// The library's checks on the bodies a gear turns (and our own on the ones it reads) and on the
// inertia a freed rotation recomputes.
TEST_F(PhysicsFunctions, GearsAndFreedRotationsMeetTheLibrarysBodyChecks)
{
    auto fixtureWith = [](double density, const std::function<void(int32_t)>& shape) {
        int32_t f = static_cast<int32_t>(Call("physics_fixture_create", {}));
        Call("physics_fixture_set_density", {f, density});
        shape(f);
        return f;
    };
    auto bindNew = [](int32_t fixture) {
        CInstance* instance = Run_CurrentRoom()->AddInstance(0, 0, 1);
        Call("physics_fixture_bind", {fixture, instance->GetId()});
        return instance->GetId();
    };
    auto staticBody = [&]() { return bindNew(fixtureWith(0, [](int32_t f) { Call("physics_fixture_set_circle_shape", {f, 4}); })); };
    int32_t ground = staticBody();
    int32_t inactive = staticBody();
    Call("execute_string", {"phy_active = false;"}, ById(inactive));
    auto hinge = [this](double first, double second) {
        return Run("physics_joint_revolute_create", {first, second, 100, 100, 0, 0, 0, 0, 0, 0, 0});
    };
    // Each joint's bodies in creation order; the gear turns 100001 and 100003.
    struct GearCase {
        const char* what;
        int32_t first[2], second[2];
        const char* check; // null: made
    } gears[] = {
        {"ground first", {ground, 100001}, {ground, 100003}, nullptr},
        {"first joint wheel-first", {100001, ground}, {ground, 100003}, "m_bodyA->m_type == b2_dynamicBody"},
        {"second joint wheel-first", {ground, 100001}, {100003, ground}, "m_bodyB->m_type == b2_dynamicBody"},
        {"an inactive ground", {inactive, 100001}, {ground, 100003}, "joint->GetBodyA()->IsEnabled()"},
    };
    for (const GearCase& c : gears) {
        double first = hinge(c.first[0], c.first[1]);
        double second = hinge(c.second[0], c.second[1]);
        int32_t before = PhysicsJoint_Count();
        double gear = Run("physics_joint_gear_create", {100001, 100003, first, second, 1});
        EXPECT_EQ(c.check == nullptr, gear > 0) << c.what;
        EXPECT_EQ(before + (c.check == nullptr ? 1 : 0), PhysicsJoint_Count()) << c.what;
        EXPECT_TRUE(c.check == nullptr || m_Log.Has(c.check)) << c.what << "\n" << m_Log.Text();
    }

    // The step would leave an inactive ground out but not the gear that reads it: the ground of
    // the gear made above stays active; a geared wheel may rest.
    struct ActiveCase {
        int32_t id;
        double activeAfter;
    } actives[] = {{ground, 1}, {100001, 0}};
    for (const ActiveCase& c : actives) {
        m_Log.Clear();
        Call("execute_string", {"phy_active = false;"}, ById(c.id));
        EXPECT_EQ(c.activeAfter, Call("execute_string", {"return phy_active;"}, ById(c.id))) << c.id;
        EXPECT_EQ(c.activeAfter == 1, m_Log.Has("joint->GetBodyA()->IsEnabled()")) << c.id;
    }
    Call("execute_string", {"phy_active = true;"}, ById(100001));

    // A dynamic body of no mass (an edge), its rotation fixed, then a small dense triangle far out:
    // freeing the rotation would leave no inertia, so it stays fixed. An ordinary body's is freed.
    CInstance* far = ById(bindNew(fixtureWith(1, [](int32_t f) { Call("physics_fixture_set_edge_shape", {f, 0, 0, 8, 0}); })));
    Call("execute_string", {"phy_fixed_rotation = true;"}, far);
    int32_t triangle = fixtureWith(1, [](int32_t f) {
        Call("physics_fixture_set_polygon_shape", {f});
        for (auto [x, y] : {std::pair{5000, 5000}, {5002, 5000}, {5002, 5002}}) Call("physics_fixture_add_point", {f, x, y});
    });
    Call("physics_fixture_bind", {triangle, far->GetId()});
    ASSERT_NE(nullptr, far->m_pPhysicsObject->m_pBody->GetFixtureList()->GetNext()) << "bound while fixed";
    struct RotationCase {
        CInstance* instance;
        double fixedAfter;
        bool reported;
    } rotations[] = {{far, 1, true}, {ById(100001), 0, false}};
    for (const RotationCase& c : rotations) {
        Call("execute_string", {"phy_fixed_rotation = true;"}, c.instance);
        m_Log.Clear();
        Call("execute_string", {"phy_fixed_rotation = false;"}, c.instance);
        EXPECT_EQ(c.fixedAfter, Call("execute_string", {"return phy_fixed_rotation;"}, c.instance)) << c.instance->GetId();
        EXPECT_EQ(c.reported, m_Log.Has("m_I > 0.0f")) << c.instance->GetId();
    }
    Tick(2);
    EXPECT_EQ(1, g_RunState) << "the game plays on";
}

TEST_F(PhysicsFunctions, ConversionsAndIdsOfTheEdgeCases)
{
    int32_t first = static_cast<int32_t>(Call("physics_fixture_create", {}));
    Call("physics_fixture_delete", {first});
    int32_t box = static_cast<int32_t>(Call("physics_fixture_create", {}));
    EXPECT_EQ((std::vector<int32_t>{1, 2}), (std::vector<int32_t>{first, box}));
    Call("physics_fixture_set_box_shape", {box, 16, 8});
    EXPECT_EQ(Reals(1.6f, 0.8f), Reals(PhysicsFixture_Find(box)->m_HalfWidth, PhysicsFixture_Find(box)->m_HalfHeight));

    int32_t hinge = static_cast<int32_t>(Run("physics_joint_revolute_create",
                                            {100001, 100003, 200, 100, -45, 45, 1, 0, 0, 0, 0}));
    auto* revolute = static_cast<b2RevoluteJoint*>(PhysicsJoint_Find(hinge)->m_pJoint);
    EXPECT_NEAR(-PHYSICS_PI / 4, revolute->GetLowerLimit(), 1e-6);
    EXPECT_NEAR(PHYSICS_PI / 4, revolute->GetUpperLimit(), 1e-6);
    Call("physics_joint_set_value", {hinge, 19, 30});
    EXPECT_NEAR(30, Call("physics_joint_get_value", {hinge, 19}), 1e-4);
    EXPECT_NEAR(PHYSICS_PI / 6, revolute->GetLowerLimit(), 1e-6);
    Call("physics_joint_set_value", {hinge, 15, 7});
    EXPECT_EQ(0, Call("physics_joint_get_value", {hinge, 15})) << "a length does not apply to a hinge";
    int32_t other = static_cast<int32_t>(Run("physics_joint_revolute_create",
                                            {100003, 100001, 200, 100, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(3, Run("physics_joint_gear_create", {100001, 100003, hinge, other, 1}));
    EXPECT_EQ(2, other);

    // A body at 5 m moving at 3 m/s, scale 0.1, room speed 30.
    CPhysicsObject* body = ById(100001)->m_pPhysicsObject;
    body->SetPosition(5.0f, 10.0f);
    body->SetLinearVelocity(3.0f, 0.0f);
    CInstance* self = ById(100001);
    EXPECT_NEAR(50, Call("execute_string", {"return phy_position_x;"}, self), 1e-4);
    EXPECT_NEAR(30, Call("execute_string", {"return phy_linear_velocity_x;"}, self), 1e-4);
    EXPECT_NEAR(1, Call("execute_string", {"return phy_speed_x;"}, self), 1e-6);

    EXPECT_EQ(1, Run("physics_test_overlap", {300, 100, 0, -3})) << "over instance 100003";
    EXPECT_EQ(0, Run("physics_test_overlap", {300, 400, 0, 0}));
    CPhysicsWorld* world = World();
    Call("physics_world_create", {0.2});
    EXPECT_EQ(world, World()) << "no second world";
    EXPECT_FLOAT_EQ(0.2f, world->m_Scale);
}

} // namespace
} // namespace physicstest
