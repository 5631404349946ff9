// Script-chosen reads and writes of every built-in variable: any row, any index a script can write
// (negative, past the ranges, two-dimensional), and any value (NaN, infinities, huge reals, texts).
// Each input is a run of 12-byte records: row, operation, index choice, value kind and 8 bytes of
// value. Nothing may crash or read out of bounds, and a read right after another reads the same.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "code/Code_Interpreter.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_Services.h"
#include "instance/Instance_Class.h"
#include "instance/Instance_List.h"
#include "object/Object_Table.h"
#include "physics/Physics_Fixture.h"
#include "physics/Physics_World.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_BuiltIn.h"

namespace {

class QuietConsole : public tagIConsole {
  public:
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char*, ...) override {}
};

CInstance* g_Self = nullptr;

void Finish()
{
    Code_FreeScriptArguments();
    Run_EndGame();
    Run_FreeCarriedInstances(); // a script may have made an instance persistent
    RoomTables_Reset();
    Object_ResetTable();
}

bool Prepare()
{
    static QuietConsole quiet;
    MainConsole = &quiet; // transition_kind logs on every write
    ScriptConsole = &quiet;
    g_GameOptions.showErrors = false;
    Variable_BuiltIn_Init();
    Object_ResetTable();
    int32_t object = Object_Add();
    Run_StartRoom(Room_Add(), true);
    Room_Add(); // a second room that `room` may ask for
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) std::abort();
    room->m_pPhysicsWorld = new CPhysicsWorld(0.1f, 30);
    g_Self = room->AddInstance(5.0f, 6.0f, object);
    // A real body, so that script values reach the physics library through the checks.
    CPhysicsFixture* box = PhysicsFixture_Create();
    box->SetBoxShape(1.0f, 1.0f);
    box->m_Def.density = 1.0f;
    if (!room->m_pPhysicsWorld->BindFixture(box, g_Self)) std::abort();
    PhysicsFixture_Delete(box->m_Id);
    room->AddInstance(7.0f, 8.0f, object);
    std::atexit(Finish);
    return true;
}

// Indices a script can produce: none, in and past every range, negative, and a second row.
int32_t PickIndex(uint8_t choice)
{
    static const int32_t INDICES[] = {-1, 0,  1,  7,      8,     11,    12,       15,
                                      16, 20, -2, -32000, 32000, 32005, 64000 + 3};
    constexpr uint8_t COUNT = sizeof INDICES / sizeof INDICES[0];
    return choice < COUNT ? INDICES[choice] : static_cast<int32_t>(choice) - 128;
}

void MakeValue(ScriptValue* value, uint8_t kind, const uint8_t* bytes)
{
    double real;
    std::memcpy(&real, bytes, sizeof real);
    if ((kind & 1) == 0) {
        Value_SetReal(value, real);
        return;
    }
    // A text of up to eight bytes, any of them (cut at a zero).
    char text[9] = {};
    std::memcpy(text, bytes, 8);
    Value_SetText(value, text);
}

bool SameValue(const ScriptValue& a, const ScriptValue& b)
{
    if (Value_GetKind(&a) != Value_GetKind(&b)) return false;
    if (Value_GetKind(&a) == VALUE_STRING) {
        const char* x = Value_GetText(&a);
        const char* y = Value_GetText(&b);
        return std::string(x != nullptr ? x : "") == std::string(y != nullptr ? y : "");
    }
    if (Value_GetKind(&a) == VALUE_ARRAY) return Value_GetArray(&a) == Value_GetArray(&b);
    return (std::isnan(a.real) && std::isnan(b.real)) || a.real == b.real;
}

// Variables that follow a clock.
bool Changes(const char* name)
{
    return std::strncmp(name, "current_", 8) == 0 || std::strcmp(name, "delta_time") == 0 ||
           std::strcmp(name, "fps") == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = Prepare();
    (void)prepared;
    constexpr size_t RECORD = 12;
    for (size_t at = 0; at + RECORD <= size; at += RECORD) {
        const uint8_t* record = data + at;
        int32_t row = record[0] % g_BuiltinVariableCount;
        bool write = (record[1] & 1) != 0;
        CInstance* self = (record[1] & 2) != 0 ? nullptr : g_Self;
        int32_t index = PickIndex(record[2]);
        if (write) {
            ScriptValue value = {VALUE_REAL, 0, 0.0};
            MakeValue(&value, record[3], record + 4);
            Variable_SetValue_Direct(self, row, index, &value);
            Value_Free(&value);
        }
        ScriptValue first = {VALUE_REAL, 0, 0.0};
        ScriptValue second = {VALUE_REAL, 0, 0.0};
        bool one = Variable_GetValue_Direct(self, row, index, &first);
        bool two = Variable_GetValue_Direct(self, row, index, &second);
        if (one != two) std::abort();
        if (one && !Changes(Variable_BuiltIn_Name(row)) && !SameValue(first, second)) std::abort();
        Value_Free(&first);
        Value_Free(&second);
        // Room moves and fatal errors would stop every later event: the next record starts afresh.
        g_RunRequest = RUN_REQUEST_NONE;
        g_ErrorQuitting = false;
    }
    return 0;
}
