// The Game family's motion-planning and motion-grid routines: thin calls into the planners and the
// grid table. The path forms first check that the path exists.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Game.h"
#include "function/Function_Target.h"
#include "instance/Instance_List.h"
#include "instance/Instance_Resources.h"
#include "motion/Motion_Grid.h"
#include "motion/Motion_Planning.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "run/Run_Game.h"

namespace {

// The path a planner writes into exists; otherwise that is reported and nothing is planned.
bool PathExists(int32_t path)
{
    float length = 0.0f;
    if (Instance_Paths()->Length(path, &length)) return true;
    Error_Show_Action("Trying to assign to a non-existing path.", false);
    return false;
}

// Every instance of the room's active list, the live instance of an id, or every instance of the
// object's own-and-descendants list goes into the grid.
void AddTargetToGrid(int32_t grid, int32_t target, bool precise)
{
    if (target == FUNCTION_TARGET_ALL) {
        CInstanceList* list = Room_CurrentActiveList();
        for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr; i = i->m_pNext)
            CGrid_AddInstances(grid, i, precise);
    } else if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        if (Game_IsLive(instance)) CGrid_AddInstances(grid, instance, precise);
    } else if (CObject* object = target >= 0 ? Object_Data(target) : nullptr) {
        for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next)
            CGrid_AddInstances(grid, node->instance, precise);
    }
}

} // namespace

// ---- planners ----------------------------------------------------------------------------------

void Builtin_MpLinearStep(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result, MP_LinearStep(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]),
                                      FUNCTION_TARGET_ALL, Arg_Flag(args[3])));
}

void Builtin_MpLinearStepObject(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result, MP_LinearStep(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]),
                                      Arg_Int(args[3]), true));
}

void Builtin_MpPotentialStep(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result, MP_PotentialStep(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]),
                                         FUNCTION_TARGET_ALL, Arg_Flag(args[3])));
}

void Builtin_MpPotentialStepObject(ScriptValue* result, CInstance* self, CInstance*, int32_t,
                                   ScriptValue* args)
{
    if (self == nullptr) return;
    Result_Bool(result, MP_PotentialStep(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]),
                                         Arg_Int(args[3]), true));
}

void Builtin_MpPotentialSettings(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    MP_PotentialSettings(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Float(args[2]), Arg_Flag(args[3]));
}

void Builtin_MpLinearPath(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t path = Arg_Int(args[0]);
    if (self == nullptr || !PathExists(path)) return;
    Result_Bool(result, MP_LinearPath(self, path, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                      FUNCTION_TARGET_ALL, Arg_Flag(args[4])));
}

void Builtin_MpLinearPathObject(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t path = Arg_Int(args[0]);
    if (self == nullptr || !PathExists(path)) return;
    Result_Bool(result, MP_LinearPath(self, path, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                      Arg_Int(args[4]), true));
}

void Builtin_MpPotentialPath(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t path = Arg_Int(args[0]);
    if (self == nullptr || !PathExists(path)) return;
    Result_Bool(result,
                MP_PotentialPath(self, path, Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3]),
                                 Arg_Float(args[4]), FUNCTION_TARGET_ALL, Arg_Flag(args[5])));
}

void Builtin_MpPotentialPathObject(ScriptValue* result, CInstance* self, CInstance*, int32_t,
                                   ScriptValue* args)
{
    int32_t path = Arg_Int(args[0]);
    if (self == nullptr || !PathExists(path)) return;
    Result_Bool(result, MP_PotentialPath(self, path, Arg_Float(args[1]), Arg_Float(args[2]),
                                         Arg_Float(args[3]), Arg_Float(args[4]), Arg_Int(args[5]), true));
}

// ---- grids -------------------------------------------------------------------------------------

void Builtin_MpGridCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, CGrid_Create(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]),
                                     Arg_Int(args[4]), Arg_Int(args[5])));
}

void Builtin_MpGridDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_Destroy(Arg_Int(args[0]));
}

void Builtin_MpGridClearAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_ClearAll(Arg_Int(args[0]));
}

void Builtin_MpGridClearCell(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_ClearCell(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]));
}

void Builtin_MpGridClearRectangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_ClearRectangle(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]),
                         Arg_Int(args[4]));
}

void Builtin_MpGridAddCell(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_AddCell(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]));
}

void Builtin_MpGridAddRectangle(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_AddRectangle(Arg_Int(args[0]), Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]),
                       Arg_Int(args[4]));
}

// Self and other take the grid index rounded, every other target truncated.
void Builtin_MpGridAddInstances(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue* args)
{
    int32_t target = Arg_Int(args[1]);
    bool precise = Arg_Flag(args[2]);
    if (target == FUNCTION_TARGET_SELF || target == FUNCTION_TARGET_OTHER) {
        CInstance* named = target == FUNCTION_TARGET_SELF ? self : other;
        if (named != nullptr) CGrid_AddInstances(Arg_Int(args[0]), named, precise);
        return;
    }
    AddTargetToGrid(Arg_Trunc(args[0]), target, precise);
}

void Builtin_MpGridPath(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t path = Arg_Int(args[1]);
    if (!PathExists(path)) return;
    Result_Bool(result, CGrid_Path(Arg_Int(args[0]), path, Arg_Int(args[2]), Arg_Int(args[3]),
                                   Arg_Int(args[4]), Arg_Int(args[5]), Arg_Flag(args[6])));
}

void Builtin_MpGridDraw(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CGrid_Draw(Arg_Int(args[0]));
}
