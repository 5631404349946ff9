// The Game family's instance routines: creating, copying, changing and destroying instances, and
// counting, finding and testing them. Object arguments are truncated, except where a routine says
// rounded; a search answers an instance id, or noone (-4) when it finds nothing.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Game.h"
#include "function/Function_Target.h"
#include "instance/Instance_List.h"
#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"

namespace {

// The n-th live instance (from 0) that the target names: -3 the room's active list, an id that
// instance alone, else the object's own-and-descendants list. Null when there is none.
CInstance* NthLive(int32_t target, int32_t n)
{
    if (n < 0) return nullptr;
    if (target >= INSTANCE_FIRST_ID) {
        CInstance* instance = Instance_FindById(target);
        return n == 0 && Game_IsLive(instance) ? instance : nullptr;
    }
    if (target == FUNCTION_TARGET_ALL) {
        CInstanceList* list = Room_CurrentActiveList();
        for (CInstance* i = list != nullptr ? list->m_pHead : nullptr; i != nullptr; i = i->m_pNext)
            if (Game_IsLive(i) && n-- == 0) return i;
        return nullptr;
    }
    CObject* object = target >= 0 ? Object_Data(target) : nullptr;
    for (ObjectInstanceNode* node = object != nullptr ? object->m_AllInstances.head : nullptr;
         node != nullptr; node = node->next)
        if (Game_IsLive(node->instance) && n-- == 0) return node->instance;
    return nullptr;
}

// Self for -1, other for -2, when present and live: 1 or 0. Other targets are not asked here.
bool SelfOrOtherLive(int32_t target, CInstance* self, CInstance* other)
{
    return Game_IsLive(target == FUNCTION_TARGET_SELF ? self : other);
}

bool IsSelfOrOther(int32_t target)
{
    return target == FUNCTION_TARGET_SELF || target == FUNCTION_TARGET_OTHER;
}

// A single-real flag: true at 0.5 or more after rounding to single precision.
bool FloatFlag(const ScriptValue& value)
{
    return Arg_Float(value) >= 0.5f;
}

} // namespace

double Game_IdOrNoone(const CInstance* instance)
{
    return instance != nullptr ? instance->GetId() : FUNCTION_TARGET_NOONE;
}

// ---- creating, copying, changing, destroying -----------------------------------------------------

void Builtin_InstanceCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1);
    if (Arg_IsString(args[0]) || Arg_IsString(args[1]) || Arg_IsString(args[2])) {
        Error_Show_Action("instance_create( ) error: Illegal type", false);
        return;
    }
    CInstance* made = Run_CreateInstance(Arg_Trunc(args[2]), Arg_Float(args[0]), Arg_Float(args[1]));
    if (made != nullptr) Result_Real(result, made->GetId());
}

// The copy takes every field of self but its own identifier; its create event runs only when asked.
void Builtin_InstanceCopy(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Run_CurrentRoom();
    if (self == nullptr || room == nullptr) return;
    CInstance* copy = room->AddInstance(self->i_x, self->i_y, self->GetObjectIndex());
    int32_t id = copy->GetId();
    copy->CopyFrom(*self, true);
    copy->SetId(id, false);
    // The copy took self's depth: the frame moves it to its place in the room's list.
    g_InstanceDepthChanges.Add(copy);
    if (FloatFlag(args[0])) {
        Perform_Event(copy, copy, EVENT_CREATE, 0);
        copy->m_CreatedMark = 1;
    }
    Result_Real(result, id);
}

void Builtin_InstanceChange(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_ChangeInstance(self, Arg_Trunc(args[0]), FloatFlag(args[1]));
}

void Builtin_InstanceDestroy(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    Run_DestroyInstance(self);
}

void Builtin_InstanceSprite(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_SetInstanceSprite(self, Arg_Trunc(args[0]));
}

// ---- tests and searches --------------------------------------------------------------------------

void Builtin_InstanceExists(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                            ScriptValue* args)
{
    int32_t target = Arg_Trunc(args[0]);
    if (IsSelfOrOther(target))
        Result_Bool(result, SelfOrOtherLive(target, self, other));
    else
        Result_Bool(result, NthLive(target, 0) != nullptr);
}

void Builtin_InstanceNumber(ScriptValue* result, CInstance* self, CInstance* other, int32_t,
                            ScriptValue* args)
{
    int32_t target = Arg_Int(args[0]);
    if (IsSelfOrOther(target))
        Result_Bool(result, SelfOrOtherLive(target, self, other));
    else
        Result_Real(result, Run_InstanceNumber(target));
}

void Builtin_InstanceFind(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Game_IdOrNoone(NthLive(Arg_Trunc(args[0]), Arg_Trunc(args[1]))));
}

namespace {

// The searches at a point or a place read reals, answer one and change nothing a script sees:
// each row has a leaf form as well.
[[gnu::always_inline]] inline double InstancePositionOf(CInstance*, CInstance*, const double* reals)
{
    return Game_IdOrNoone(Run_InstancePosition(Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]),
                                               Numbers_TruncToInt32(reals[2])));
}

[[gnu::always_inline]] inline double InstancePlaceOf(CInstance* self, CInstance*, const double* reals)
{
    return Game_IdOrNoone(Run_InstancePlace(self, Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]),
                                            Numbers_TruncToInt32(reals[2])));
}

[[gnu::always_inline]] inline double PositionEmptyOf(CInstance*, CInstance*, const double* reals)
{
    return Run_PositionEmpty(Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]), FUNCTION_TARGET_ALL) ? 0 : 1;
}

[[gnu::always_inline]] inline double PositionMeetingOf(CInstance* self, CInstance* other, const double* reals)
{
    int32_t target = Function_SubstituteTarget(Numbers_TruncToInt32(reals[2]), self, other);
    return Run_PositionEmpty(Numbers_ToFloat(reals[0]), Numbers_ToFloat(reals[1]), target) ? 1 : 0;
}

} // namespace

FUNCTION_REAL_ROW(InstancePosition, 3, InstancePositionOf)
FUNCTION_REAL_ROW(InstancePlace, 3, InstancePlaceOf)
FUNCTION_REAL_ROW(PositionEmpty, 2, PositionEmptyOf)
FUNCTION_REAL_ROW(PositionMeeting, 3, PositionMeetingOf)

void Builtin_InstanceNearest(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Game_IdOrNoone(
                            Run_InstanceNearest(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Trunc(args[2]))));
}

void Builtin_InstanceFurthest(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, Game_IdOrNoone(Run_InstanceFurthest(Arg_Float(args[0]), Arg_Float(args[1]),
                                                            Arg_Trunc(args[2]))));
}

void Builtin_PositionDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_PositionDestroy(Arg_Float(args[0]), Arg_Float(args[1]));
}

void Builtin_PositionChange(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Run_PositionChange(Arg_Float(args[0]), Arg_Float(args[1]), Arg_Trunc(args[2]), FloatFlag(args[3]));
}
