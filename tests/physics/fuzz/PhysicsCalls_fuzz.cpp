// Script-chosen calls of the physics built-ins with any values (NaN, infinities, huge, negative,
// far out, instance ids and object indices), between steps of the world and the destruction of
// jointed instances; bodies of every shape given to every instance at once, joints of every kind
// between chosen bodies, and the body variables (rotation, fixed rotation, activity, position,
// velocity) set and read. The physics library ends the process on a failed check of its own, so
// every value must be checked before it gets there: nothing may abort, crash or read freed memory.
// Each input is a run of 16-byte records: the operation, the self instance, then 14 argument choices.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "app/App_Startup.h"
#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "object/Object_Table.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_World.h"
#include "platform/Platform_ScriptHeap.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "variable/Variable_BuiltIn.h"

namespace {

class QuietConsole : public tagIConsole {
  public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

// Drawing needs a device; the rest of the family is called.
const char* const NAMES[] = {
    "physics_world_create", "physics_world_gravity", "physics_world_update_speed",
    "physics_world_update_iterations", "physics_pause_enable", "physics_fixture_create",
    "physics_fixture_set_kinematic", "physics_fixture_set_awake", "physics_fixture_set_density",
    "physics_fixture_set_restitution", "physics_fixture_set_friction", "physics_fixture_set_collision_group",
    "physics_fixture_set_sensor", "physics_fixture_set_linear_damping", "physics_fixture_set_angular_damping",
    "physics_fixture_set_circle_shape", "physics_fixture_set_box_shape", "physics_fixture_set_polygon_shape",
    "physics_fixture_set_edge_shape", "physics_fixture_add_point", "physics_fixture_bind",
    "physics_fixture_delete", "physics_apply_force", "physics_apply_impulse", "physics_apply_local_force",
    "physics_apply_local_impulse", "physics_apply_torque", "physics_mass_properties", "physics_test_overlap",
    "physics_joint_distance_create", "physics_joint_revolute_create", "physics_joint_prismatic_create",
    "physics_joint_pulley_create", "physics_joint_gear_create", "physics_joint_enable_motor",
    "physics_joint_get_value", "physics_joint_set_value", "physics_joint_delete",
};
constexpr int32_t NAME_COUNT = sizeof NAMES / sizeof NAMES[0];
constexpr int32_t OBJECTS = 2;
constexpr int32_t INSTANCES = 4;

const double INF = std::numeric_limits<double>::infinity();
const double VALUES[] = {0,     1,     -1,   0.5, 2,   3,   8,   16,   -16, 45,    -45,  90,    100,  1e-9,
                         1e30,  -1e30, NAN,  INF, -INF, 100001, 100002, 100003, 100004, 100999, -3, -2, 0.1,
                         1e-3,  7,     15,   19,  21,  5000, 5002, -5000, 1e5, 3e19, 2.5, 1e-7};

// The joint creators by kind, and the body variables that scripts set (then every one is read).
const char* const JOINTS[] = {"physics_joint_distance_create", "physics_joint_revolute_create",
                              "physics_joint_prismatic_create", "physics_joint_pulley_create",
                              "physics_joint_gear_create"};
constexpr int32_t JOINT_KINDS = sizeof JOINTS / sizeof JOINTS[0];
const char* const SETTABLE[] = {"phy_fixed_rotation", "phy_rotation",          "phy_active",
                                "phy_bullet",         "phy_position_x",        "phy_position_y",
                                "phy_angular_velocity", "phy_linear_velocity_x", "phy_linear_velocity_y",
                                "phy_speed_x",        "phy_speed_y",           "image_angle"};
constexpr int32_t SETTABLE_COUNT = sizeof SETTABLE / sizeof SETTABLE[0];
constexpr int32_t VALUE_COUNT = sizeof VALUES / sizeof VALUES[0];

std::vector<int32_t> g_Rows;
std::vector<int32_t> g_JointRows;
std::vector<int32_t> g_SetRows;
std::vector<int32_t> g_ReadRows; // every phy_ variable
CRoom* g_Room = nullptr;

double Pick(uint8_t choice)
{
    return choice < VALUE_COUNT ? VALUES[choice] : static_cast<double>(choice) - 160.0;
}

void Finish()
{
    Run_EndGame();
    RoomTables_Reset();
    Object_ResetTable();
    PhysicsFixture_DeleteAll();
}

bool Prepare()
{
    static QuietConsole quiet;
    MainConsole = &quiet;
    ScriptConsole = &quiet;
    g_GameOptions.showErrors = false;
    ScriptHeap_Init();
    RegisterAllFunctionFamilies();
    Variable_BuiltIn_Init();
    Object_ResetTable();
    for (int32_t i = 0; i < OBJECTS; ++i) Object_Add();
    Run_StartRoom(Room_Add(), true);
    g_Room = Run_CurrentRoom();
    if (g_Room == nullptr) std::abort();
    auto rowOf = [](const char* name) {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) std::abort();
        return id;
    };
    for (const char* name : NAMES) g_Rows.push_back(rowOf(name));
    for (const char* name : JOINTS) g_JointRows.push_back(rowOf(name));
    for (const char* name : SETTABLE) {
        int32_t row = Variable_BuiltIn_Find(name);
        if (row < 0 || Variable_BuiltIn_Get(row)->setter == nullptr) std::abort();
        g_SetRows.push_back(row);
    }
    for (int32_t row = 0; row < g_BuiltinVariableCount; ++row)
        if (std::strncmp(Variable_BuiltIn_Name(row), "phy_", 4) == 0) g_ReadRows.push_back(row);
    // The instance hash frees what it holds at exit: it must be made first, so that it goes last.
    Instance_FindById(0);
    std::atexit(Finish);
    return true;
}

// A fresh world with instances 100001 to 100004 (ids are reused across inputs).
void Reset()
{
    for (CInstance* i = g_Room->m_Active.m_pHead; i != nullptr;) {
        CInstance* next = i->m_pNext;
        g_Room->RemoveInstance(i);
        i = next;
    }
    delete g_Room->m_pPhysicsWorld;
    g_Room->m_pPhysicsWorld = new CPhysicsWorld(0.1f, 30);
    PhysicsFixture_DeleteAll();
    g_InstanceIdCounter = 100000;
    for (int32_t i = 0; i < INSTANCES; ++i) g_Room->AddInstance(static_cast<float>(40 * i), 100.0f, i % OBJECTS);
}

CInstance* InstanceAt(uint8_t choice)
{
    int32_t n = choice % (INSTANCES + 1);
    CInstance* i = g_Room->m_Active.m_pHead;
    for (; i != nullptr && n > 0; --n) i = i->m_pNext;
    return i; // null: no calling instance
}

void CallRow(int32_t rowIndex, CInstance* self, std::vector<ScriptValue>& args)
{
    FunctionEntry* row = Function_Get(rowIndex);
    args.resize(static_cast<size_t>(row->argCount), ScriptValue{VALUE_REAL, 0, 0.0});
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    row->routine(&result, self, self, row->argCount, args.data());
    Value_Free(&result);
}

double IdOf(uint8_t choice)
{
    CInstance* instance = InstanceAt(choice);
    return instance != nullptr ? instance->GetId() : Pick(choice);
}

// A fixture of the chosen shape, density and offset (far out when the offset says so) bound to
// every instance without a body, so that joints have bodies to join.
void GiveBodies(const uint8_t* record)
{
    float scale = g_Room->m_pPhysicsWorld->m_Scale;
    auto metres = [scale](uint8_t choice) { return static_cast<float>(Pick(choice) * scale); };
    CPhysicsFixture fixture;
    float dx = metres(record[4]);
    float dy = metres(record[5]);
    switch (record[2] % 4) {
    case 0: fixture.SetCircleShape(metres(record[6])); break;
    case 1: fixture.SetBoxShape(metres(record[6]), metres(record[7])); break;
    case 2:
        fixture.SetPolygonShape();
        // Three chosen points, then up to five more as their multiples.
        for (int32_t p = 0; p < 3 + record[13] % 6; ++p) {
            float times = static_cast<float>(1 + p / 3);
            fixture.AddPoint(dx + times * metres(record[6 + (2 * p) % 6]), dy + times * metres(record[7 + (2 * p) % 6]));
        }
        break;
    default: fixture.SetEdgeShape(dx, dy, dx + metres(record[6]), dy + metres(record[7])); break;
    }
    fixture.m_Def.density = static_cast<float>(Pick(record[3]));
    fixture.m_Kinematic = record[12] & 1;
    for (CInstance* i = g_Room->m_Active.m_pHead; i != nullptr; i = i->m_pNext)
        if (i->m_pPhysicsObject == nullptr || (record[12] & 2) != 0) g_Room->m_pPhysicsWorld->BindFixture(&fixture, i);
}

// A joint of the chosen kind between two chosen instances; a gear over two recent joints.
void MakeJoint(const uint8_t* record)
{
    int32_t kind = record[2] % JOINT_KINDS;
    std::vector<ScriptValue> args(14, ScriptValue{VALUE_REAL, 0, 0.0});
    args[0].real = IdOf(record[3]);
    args[1].real = IdOf(record[4]);
    for (size_t a = 2; a < args.size(); ++a) args[a].real = Pick(record[a + 3 < 16 ? a + 3 : 15]);
    if (kind == JOINT_KINDS - 1) {
        args[2].real = 1 + record[5] % 12;
        args[3].real = 1 + record[6] % 12;
    }
    CallRow(g_JointRows[static_cast<size_t>(kind)], InstanceAt(record[1]), args);
}

// A body variable set on the chosen instance, then every physics variable read from it.
void SetVariable(const uint8_t* record)
{
    CInstance* self = InstanceAt(record[1]);
    if (self == nullptr) return;
    ScriptValue value = {VALUE_REAL, 0, Pick(record[3])};
    Variable_BuiltIn_Get(g_SetRows[static_cast<size_t>(record[2] % SETTABLE_COUNT)])->setter(self, -1, &value);
    for (int32_t row : g_ReadRows) {
        ScriptValue out = {VALUE_REAL, 0, 0.0};
        Variable_BuiltIn_Get(row)->getter(self, record[4] % 4, &out);
        Value_Free(&out);
    }
}

void Operate(const uint8_t* record)
{
    uint8_t op = record[0];
    if (op >= 0xF8) {
        // Steps (collision events, write-back), or the end of an instance and its joints.
        if (op < 0xFC) g_Room->m_pPhysicsWorld->Update(30, false);
        else if (CInstance* gone = InstanceAt(record[1])) g_Room->RemoveInstance(gone);
        return;
    }
    if (op >= 0xF0) {
        if (op < 0xF2) GiveBodies(record);
        else if (op < 0xF5) MakeJoint(record);
        else SetVariable(record);
        return;
    }
    std::vector<ScriptValue> args(14, ScriptValue{VALUE_REAL, 0, 0.0});
    for (size_t a = 0; a < args.size(); ++a) args[a].real = Pick(record[2 + a]);
    CallRow(g_Rows[static_cast<size_t>(op % NAME_COUNT)], InstanceAt(record[1]), args);
    if (g_Room->m_pPhysicsWorld == nullptr) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = Prepare();
    (void)prepared;
    Reset();
    constexpr size_t RECORD = 16;
    for (size_t at = 0; at + RECORD <= size; at += RECORD) {
        Operate(data + at);
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
    }
    return 0;
}
