// The Physics family: the current room's world, fixtures and their binding to instances, forces on
// the calling instance's body, the overlap test, joints and debug drawing. Lengths from scripts are
// pixels and become metres (times the world's scale); angles in degrees become radians.
#include <string>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "function/Function_Target.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_Joint.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"

namespace {

const char* const NO_ROOM = "No room is available to create a physics world for";
const char* const NO_WORLD = "The current room does not have a physics world representation";
const char* const NO_FIXTURE = "The physics fixture does not exist";
const char* const NO_BODY = "The instance does not have an associated physics representation";
const char* const NO_JOINT = "A joint does not exist";
constexpr float RADIANS_PER_DEGREE = PHYSICS_PI / 180.0f;

void Report(const char* message)
{
    Error_Show_Action(message, false);
}

CPhysicsWorld* CurrentWorld()
{
    CRoom* room = Run_CurrentRoom();
    return room != nullptr ? room->m_pPhysicsWorld : nullptr;
}

// The world, or the message (the room's first when there is no room, when asked).
CPhysicsWorld* WorldOrReport(bool roomFirst)
{
    if (roomFirst && Run_CurrentRoom() == nullptr) {
        Report(NO_ROOM);
        return nullptr;
    }
    CPhysicsWorld* world = CurrentWorld();
    if (world == nullptr) Report(NO_WORLD);
    return world;
}

float Pixels(const ScriptValue& value, const CPhysicsWorld* world)
{
    return Numbers_ToFloat(Arg_Real(value) * world->m_Scale);
}

float Degrees(const ScriptValue& value)
{
    return Numbers_ToFloat(Arg_Real(value) * RADIANS_PER_DEGREE);
}

bool JointFlag(const ScriptValue& value)
{
    return Arg_Int(value) > 0;
}

CPhysicsFixture* FixtureOrReport(const ScriptValue& id)
{
    CPhysicsFixture* fixture = PhysicsFixture_Find(Arg_Int(id));
    if (fixture == nullptr) Report(NO_FIXTURE);
    return fixture;
}

CPhysicsObject* BodyOrReport(CInstance* self)
{
    CPhysicsObject* body = self != nullptr ? self->m_pPhysicsObject : nullptr;
    if (body == nullptr) Report(NO_BODY);
    return body;
}

// ---- world ----

void Builtin_PhysicsWorldCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return Report(NO_ROOM);
    float scale = Arg_Float(args[0]);
    if (room->m_pPhysicsWorld != nullptr) {
        room->m_pPhysicsWorld->m_Scale = scale;
        room->m_pPhysicsWorld->m_UpdateSpeed = room->m_Speed;
    } else {
        room->m_pPhysicsWorld = new CPhysicsWorld(scale, room->m_Speed);
    }
}

void Builtin_PhysicsWorldGravity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsWorld* world = WorldOrReport(true)) world->SetGravity(Arg_Float(args[0]), Arg_Float(args[1]));
}

void Builtin_PhysicsWorldUpdateSpeed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsWorld* world = WorldOrReport(true)) world->m_UpdateSpeed = Arg_Int(args[0]);
}

void Builtin_PhysicsWorldUpdateIterations(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsWorld* world = WorldOrReport(true)) world->m_Iterations = Arg_Int(args[0]);
}

void Builtin_PhysicsWorldDrawDebug(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsWorld* world = WorldOrReport(false)) world->DrawDebug(Arg_Trunc(args[0]));
}

void Builtin_PhysicsPauseEnable(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsWorld* world = CurrentWorld();
    if (world == nullptr) return Report("physics_pause_enable() The current room does not have a physics world representation");
    world->m_Paused = Arg_FlagAbove(args[0]);
}

// ---- fixtures ----

void Builtin_PhysicsFixtureCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, PhysicsFixture_Create()->m_Id);
}

void Builtin_PhysicsFixtureSetKinematic(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Kinematic = true;
}

void Builtin_PhysicsFixtureSetAwake(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Awake = Arg_FlagAbove(args[1]);
}

void Builtin_PhysicsFixtureSetDensity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Def.density = Arg_Float(args[1]);
}

void Builtin_PhysicsFixtureSetRestitution(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Def.restitution = Arg_Float(args[1]);
}

void Builtin_PhysicsFixtureSetFriction(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Def.friction = Arg_Float(args[1]);
}

void Builtin_PhysicsFixtureSetCollisionGroup(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Group = Arg_Int(args[1]);
}

void Builtin_PhysicsFixtureSetSensor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_Def.isSensor = Arg_FlagAbove(args[1]);
}

void Builtin_PhysicsFixtureSetLinearDamping(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_LinearDamping = Arg_Float(args[1]);
}

void Builtin_PhysicsFixtureSetAngularDamping(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsFixture* fixture = FixtureOrReport(args[0])) fixture->m_AngularDamping = Arg_Float(args[1]);
}

// The shape setters need the world for its scale.
bool ShapeTarget(const ScriptValue& id, CPhysicsFixture** fixture, CPhysicsWorld** world)
{
    *fixture = FixtureOrReport(id);
    if (*fixture == nullptr) return false;
    *world = WorldOrReport(false);
    return *world != nullptr;
}

void Builtin_PhysicsFixtureSetCircleShape(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture;
    CPhysicsWorld* world;
    if (ShapeTarget(args[0], &fixture, &world)) fixture->SetCircleShape(Pixels(args[1], world));
}

void Builtin_PhysicsFixtureSetBoxShape(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture;
    CPhysicsWorld* world;
    if (ShapeTarget(args[0], &fixture, &world)) fixture->SetBoxShape(Pixels(args[1], world), Pixels(args[2], world));
}

void Builtin_PhysicsFixtureSetPolygonShape(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture;
    CPhysicsWorld* world;
    if (ShapeTarget(args[0], &fixture, &world)) fixture->SetPolygonShape();
}

void Builtin_PhysicsFixtureSetEdgeShape(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture;
    CPhysicsWorld* world;
    if (ShapeTarget(args[0], &fixture, &world))
        fixture->SetEdgeShape(Pixels(args[1], world), Pixels(args[2], world), Pixels(args[3], world),
                              Pixels(args[4], world));
}

void Builtin_PhysicsFixtureAddPoint(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture;
    CPhysicsWorld* world;
    if (!ShapeTarget(args[0], &fixture, &world)) return;
    if (!fixture->AddPoint(Pixels(args[1], world), Pixels(args[2], world)))
        Report("The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8 points");
}

void Builtin_PhysicsFixtureBind(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsFixture* fixture = FixtureOrReport(args[0]);
    if (fixture == nullptr) return;
    CPhysicsWorld* world = CurrentWorld();
    if (world == nullptr) return Report("Cannot bind a fixture if no physics world exists for the current room");
    int32_t target = Arg_Int(args[1]);
    if (target == FUNCTION_TARGET_SELF) {
        if (self != nullptr) world->BindFixture(fixture, self);
        return;
    }
    if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        if (instance == nullptr) return Report("  is not valid.");
        world->BindFixture(fixture, instance);
        return;
    }
    for (CInstance* instance : Function_TargetInstances(target)) world->BindFixture(fixture, instance);
}

void Builtin_PhysicsFixtureDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    PhysicsFixture_Delete(Arg_Int(args[0]));
}

// ---- bodies ----

// The calling instance's body and the world, for the routines that convert pixels.
bool BodyInWorld(CInstance* self, CPhysicsObject** body, CPhysicsWorld** world)
{
    *body = BodyOrReport(self);
    if (*body == nullptr) return false;
    *world = WorldOrReport(false);
    return *world != nullptr;
}

using PushRoutine = void (CPhysicsObject::*)(float, float, float, float);

void Push(CInstance* self, ScriptValue* args, PushRoutine push)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(self, &body, &world)) return;
    (body->*push)(Pixels(args[0], world), Pixels(args[1], world), Arg_Float(args[2]), Arg_Float(args[3]));
}

void Builtin_PhysicsApplyForce(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Push(self, args, &CPhysicsObject::ApplyForce);
}

void Builtin_PhysicsApplyImpulse(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Push(self, args, &CPhysicsObject::ApplyImpulse);
}

void Builtin_PhysicsApplyLocalForce(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Push(self, args, &CPhysicsObject::ApplyLocalForce);
}

void Builtin_PhysicsApplyLocalImpulse(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Push(self, args, &CPhysicsObject::ApplyLocalImpulse);
}

void Builtin_PhysicsApplyTorque(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsObject* body = BodyOrReport(self)) body->ApplyTorque(Arg_Float(args[0]));
}

void Builtin_PhysicsMassProperties(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(self, &body, &world)) return;
    body->SetMassProperties(Arg_Float(args[0]), Pixels(args[1], world), Pixels(args[2], world), Arg_Float(args[3]));
}

void Builtin_PhysicsDrawDebug(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    CPhysicsObject* body = self != nullptr ? self->m_pPhysicsObject : nullptr;
    if (body == nullptr) return;
    if (CPhysicsWorld* world = WorldOrReport(false)) body->DrawDebug(1.0f / world->m_Scale);
}

// ---- overlap ----

void Builtin_PhysicsTestOverlap(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CPhysicsObject* body;
    CPhysicsWorld* world;
    if (!BodyInWorld(self, &body, &world)) return;
    float x = Pixels(args[0], world);
    float y = Pixels(args[1], world);
    float angle = Degrees(args[2]);
    int32_t target = Arg_Int(args[3]);
    if (target == FUNCTION_TARGET_SELF) return Result_Bool(result, world->TestOverlap(self, self, x, y, angle));
    if (target >= INSTANCE_FIRST_ID) {
        CInstance* other = Instance_FindById(target);
        if (other == nullptr) return Report("physics_test_overlap:   is not valid.");
        return Result_Bool(result, world->TestOverlap(self, other, x, y, angle));
    }
    for (CInstance* other : Function_TargetInstances(target))
        if (world->TestOverlap(self, other, x, y, angle)) return Result_Bool(result, true);
}

// ---- joints ----

// An instance argument of the joint creators: self, other, an id, or an object's first instance.
CInstance* JointInstance(int32_t target, CInstance* self, CInstance* other)
{
    if (target == FUNCTION_TARGET_SELF) return self;
    if (target == FUNCTION_TARGET_OTHER) return other;
    if (target >= INSTANCE_FIRST_ID) return Instance_FindById(target);
    std::vector<CInstance*> found = Function_TargetInstances(target);
    return found.empty() ? nullptr : found.front();
}

struct JointBodies {
    CPhysicsObject* a;
    CPhysicsObject* b;
    CPhysicsWorld* world;
};

// Resolves the two instances and their bodies, reporting as the creators do; `name` is the
// creator's script name for its own message.
bool JointTargets(const char* name, CInstance* self, CInstance* other, ScriptValue* args, JointBodies* out)
{
    CInstance* instances[2];
    for (int32_t i = 0; i < 2; ++i) {
        instances[i] = JointInstance(Arg_Int(args[i]), self, other);
        if (instances[i] != nullptr) continue;
        Report(("Unable to find instance: " + std::to_string(Arg_Int(args[i]))).c_str());
        return false;
    }
    out->a = instances[0]->m_pPhysicsObject;
    out->b = instances[1]->m_pPhysicsObject;
    out->world = CurrentWorld();
    if (out->world == nullptr) {
        Report(NO_WORLD);
        return false;
    }
    if (out->a == nullptr || out->b == nullptr) {
        Report((std::string(name) + ": An instance does not have an associated physics representation").c_str());
        return false;
    }
    return true;
}

void Builtin_PhysicsJointDistanceCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                        ScriptValue* args)
{
    Result_Real(result, -1);
    JointBodies j;
    if (!JointTargets("physics_joint_distance_create", self, other, args, &j)) return;
    CPhysicsWorld* w = j.world;
    Result_Real(result, w->CreateDistanceJoint(j.a, j.b, Pixels(args[2], w), Pixels(args[3], w), Pixels(args[4], w),
                                               Pixels(args[5], w), JointFlag(args[6])));
}

void Builtin_PhysicsJointRevoluteCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                        ScriptValue* args)
{
    Result_Real(result, -1);
    JointBodies j;
    if (!JointTargets("physics_joint_revolute_create", self, other, args, &j)) return;
    CPhysicsWorld* w = j.world;
    Result_Real(result, w->CreateRevoluteJoint(j.a, j.b, Pixels(args[2], w), Pixels(args[3], w), Degrees(args[4]),
                                               Degrees(args[5]), JointFlag(args[6]), Arg_Float(args[7]),
                                               Arg_Float(args[8]), JointFlag(args[9]), JointFlag(args[10])));
}

void Builtin_PhysicsJointPrismaticCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                         ScriptValue* args)
{
    Result_Real(result, -1);
    JointBodies j;
    if (!JointTargets("physics_joint_prismatic_create", self, other, args, &j)) return;
    CPhysicsWorld* w = j.world;
    Result_Real(result, w->CreatePrismaticJoint(j.a, j.b, Pixels(args[2], w), Pixels(args[3], w), Arg_Float(args[4]),
                                                Arg_Float(args[5]), Pixels(args[6], w), Pixels(args[7], w),
                                                JointFlag(args[8]), Arg_Float(args[9]), Arg_Float(args[10]),
                                                JointFlag(args[11]), JointFlag(args[12])));
}

void Builtin_PhysicsJointPulleyCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                      ScriptValue* args)
{
    Result_Real(result, -1);
    JointBodies j;
    if (!JointTargets("physics_joint_pulley_create", self, other, args, &j)) return;
    CPhysicsWorld* w = j.world;
    Result_Real(result, w->CreatePulleyJoint(j.a, j.b, Pixels(args[2], w), Pixels(args[3], w), Pixels(args[4], w),
                                             Pixels(args[5], w), Pixels(args[6], w), Pixels(args[7], w),
                                             Pixels(args[8], w), Pixels(args[9], w), Arg_Float(args[10]),
                                             Pixels(args[11], w), Pixels(args[12], w), JointFlag(args[13])));
}

void Builtin_PhysicsJointGearCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                                    ScriptValue* args)
{
    Result_Real(result, -1);
    JointBodies j;
    if (!JointTargets("physics_joint_gear_create", self, other, args, &j)) return;
    int32_t first = Arg_Int(args[2]);
    int32_t second = Arg_Int(args[3]);
    if (PhysicsJoint_Find(first) == nullptr || PhysicsJoint_Find(second) == nullptr) return Report(NO_JOINT);
    Result_Real(result, j.world->CreateGearJoint(j.a, j.b, first, second, Arg_Float(args[4])));
}

CPhysicsJoint* JointOrReport(const ScriptValue& id)
{
    CPhysicsJoint* joint = PhysicsJoint_Find(Arg_Int(id));
    if (joint == nullptr) Report(NO_JOINT);
    return joint;
}

void Builtin_PhysicsJointEnableMotor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsJoint* joint = JointOrReport(args[0])) joint->EnableMotor(JointFlag(args[1]));
}

void Builtin_PhysicsJointGetValue(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsJoint* joint = JointOrReport(args[0])) Result_Real(result, joint->GetValue(Arg_Int(args[1])));
}

void Builtin_PhysicsJointSetValue(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsJoint* joint = JointOrReport(args[0])) joint->SetValue(Arg_Int(args[1]), Arg_Float(args[2]));
}

void Builtin_PhysicsJointDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CPhysicsWorld* world = WorldOrReport(false)) world->DeleteJoint(Arg_Int(args[0]));
}

const FunctionRow PHYSICS_FUNCTIONS[] = {
    {"physics_world_create", Builtin_PhysicsWorldCreate, 1},
    {"physics_world_gravity", Builtin_PhysicsWorldGravity, 2},
    {"physics_world_update_speed", Builtin_PhysicsWorldUpdateSpeed, 1},
    {"physics_world_update_iterations", Builtin_PhysicsWorldUpdateIterations, 1},
    {"physics_world_draw_debug", Builtin_PhysicsWorldDrawDebug, 1},
    {"physics_pause_enable", Builtin_PhysicsPauseEnable, 1},
    {"physics_fixture_create", Builtin_PhysicsFixtureCreate, 0},
    {"physics_fixture_set_kinematic", Builtin_PhysicsFixtureSetKinematic, 1},
    {"physics_fixture_set_awake", Builtin_PhysicsFixtureSetAwake, 2},
    {"physics_fixture_set_density", Builtin_PhysicsFixtureSetDensity, 2},
    {"physics_fixture_set_restitution", Builtin_PhysicsFixtureSetRestitution, 2},
    {"physics_fixture_set_friction", Builtin_PhysicsFixtureSetFriction, 2},
    {"physics_fixture_set_collision_group", Builtin_PhysicsFixtureSetCollisionGroup, 2},
    {"physics_fixture_set_sensor", Builtin_PhysicsFixtureSetSensor, 2},
    {"physics_fixture_set_linear_damping", Builtin_PhysicsFixtureSetLinearDamping, 2},
    {"physics_fixture_set_angular_damping", Builtin_PhysicsFixtureSetAngularDamping, 2},
    {"physics_fixture_set_circle_shape", Builtin_PhysicsFixtureSetCircleShape, 2},
    {"physics_fixture_set_box_shape", Builtin_PhysicsFixtureSetBoxShape, 3},
    {"physics_fixture_set_polygon_shape", Builtin_PhysicsFixtureSetPolygonShape, 1},
    {"physics_fixture_set_edge_shape", Builtin_PhysicsFixtureSetEdgeShape, 5},
    {"physics_fixture_add_point", Builtin_PhysicsFixtureAddPoint, 3},
    {"physics_fixture_bind", Builtin_PhysicsFixtureBind, 2},
    {"physics_fixture_delete", Builtin_PhysicsFixtureDelete, 1},
    {"physics_apply_force", Builtin_PhysicsApplyForce, 4},
    {"physics_apply_impulse", Builtin_PhysicsApplyImpulse, 4},
    {"physics_apply_local_force", Builtin_PhysicsApplyLocalForce, 4},
    {"physics_apply_local_impulse", Builtin_PhysicsApplyLocalImpulse, 4},
    {"physics_apply_torque", Builtin_PhysicsApplyTorque, 1},
    {"physics_mass_properties", Builtin_PhysicsMassProperties, 4},
    {"physics_draw_debug", Builtin_PhysicsDrawDebug, 0},
    {"physics_test_overlap", Builtin_PhysicsTestOverlap, 4},
    {"physics_joint_distance_create", Builtin_PhysicsJointDistanceCreate, 7},
    {"physics_joint_revolute_create", Builtin_PhysicsJointRevoluteCreate, 11},
    {"physics_joint_prismatic_create", Builtin_PhysicsJointPrismaticCreate, 13},
    {"physics_joint_pulley_create", Builtin_PhysicsJointPulleyCreate, 14},
    {"physics_joint_gear_create", Builtin_PhysicsJointGearCreate, 5},
    {"physics_joint_enable_motor", Builtin_PhysicsJointEnableMotor, 2},
    {"physics_joint_get_value", Builtin_PhysicsJointGetValue, 2},
    {"physics_joint_set_value", Builtin_PhysicsJointSetValue, 3},
    {"physics_joint_delete", Builtin_PhysicsJointDelete, 1},
};

} // namespace

void Function_Physics_Init()
{
    Function_AddRows(PHYSICS_FUNCTIONS);
}
