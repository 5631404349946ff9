// Script-chosen calls of the physics built-ins with any values (NaN, infinities, huge, negative,
// instance ids and object indices), between steps of the world and the destruction of jointed
// instances. The physics library ends the process on a failed check of its own, so every value must
// be checked before it gets there: nothing may abort, crash or read freed memory.
// Each input is a run of 16-byte records: the operation, the self instance, then 14 argument choices.
#include <cmath>
#include <cstdint>
#include <cstdlib>
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
const double VALUES[] = {0, 1, -1, 0.5, 2, 3, 8, 16, -16, 45, -45, 90, 100, 1e-9, 1e30, -1e30, NAN, INF, -INF,
                         100001, 100002, 100003, 100004, 100999, -3, -2, 0.1, 1e-3, 7, 15, 19, 21};
constexpr int32_t VALUE_COUNT = sizeof VALUES / sizeof VALUES[0];

std::vector<int32_t> g_Rows;
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
    for (const char* name : NAMES) {
        int32_t id = -1;
        if (!Code_Function_Find(name, &id)) std::abort();
        g_Rows.push_back(id);
    }
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

void Operate(const uint8_t* record)
{
    uint8_t op = record[0];
    if (op >= 0xF8) {
        // Steps (collision events, write-back), or the end of an instance and its joints.
        if (op < 0xFC) g_Room->m_pPhysicsWorld->Update(30, false);
        else if (CInstance* gone = InstanceAt(record[1])) g_Room->RemoveInstance(gone);
        return;
    }
    FunctionEntry* row = Function_Get(g_Rows[static_cast<size_t>(op % NAME_COUNT)]);
    int32_t count = row->argCount;
    std::vector<ScriptValue> args(static_cast<size_t>(count), ScriptValue{VALUE_REAL, 0, 0.0});
    for (int32_t a = 0; a < count; ++a) args[static_cast<size_t>(a)].real = Pick(record[2 + a]);
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    CInstance* self = InstanceAt(record[1]);
    row->routine(&result, self, self, count, args.data());
    Value_Free(&result);
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
