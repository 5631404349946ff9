// The resource family's path group: the paths of the path table queried, added, copied, deleted
// and edited point by point or as a whole.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "path/Path_Table.h"

namespace {

CPath* Existing(const ScriptValue& index)
{
    return Path_Data(Arg_Int(index));
}

// ---- queries: -1 when the index names no path ----

template <typename Get> void AnswerField(ScriptValue* result, const ScriptValue& index, Get get)
{
    const CPath* path = Existing(index);
    Result_Real(result, path != nullptr ? double(get(*path)) : -1.0);
}

#define PATH_GETTER(Routine, expression)                                                                       \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                     \
    {                                                                                                          \
        AnswerField(result, args[0], [&](const CPath& p) { return expression; });                          \
    }
PATH_GETTER(Builtin_PathGetLength, p.GetLength())
PATH_GETTER(Builtin_PathGetKind, p.GetKind())
PATH_GETTER(Builtin_PathGetClosed, p.GetClosed() ? 1 : 0)
PATH_GETTER(Builtin_PathGetPrecision, p.GetPrecision())
PATH_GETTER(Builtin_PathGetNumber, p.GetNumber())
PATH_GETTER(Builtin_PathGetPointX, p.GetPoint(Arg_Int(args[1])).x)
PATH_GETTER(Builtin_PathGetPointY, p.GetPoint(Arg_Int(args[1])).y)
PATH_GETTER(Builtin_PathGetPointSpeed, p.GetPoint(Arg_Int(args[1])).speed)
PATH_GETTER(Builtin_PathGetX, p.GetXAt(Arg_Float(args[1])))
PATH_GETTER(Builtin_PathGetY, p.GetYAt(Arg_Float(args[1])))
PATH_GETTER(Builtin_PathGetSpeed, p.GetSpeedAt(Arg_Float(args[1])))
#undef PATH_GETTER

void Builtin_PathExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Path_Exists(Arg_Int(args[0])));
}

void Builtin_PathGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Path_Name(Arg_Int(args[0])));
}

// ---- edits: nothing, silently, when the index names no path ----

#define PATH_EDIT(Routine, statement)                                                                          \
    void Routine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)                           \
    {                                                                                                          \
        if (CPath* p = Existing(args[0])) p->statement;                                                        \
    }
PATH_EDIT(Builtin_PathSetKind, SetKind(Arg_Int(args[1])))
PATH_EDIT(Builtin_PathSetClosed, SetClosed(Arg_Flag(args[1])))
PATH_EDIT(Builtin_PathSetPrecision, SetPrecision(Arg_Int(args[1])))
PATH_EDIT(Builtin_PathAddPoint, AddPoint(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Float(args[3])))
PATH_EDIT(Builtin_PathInsertPoint,
          InsertPoint(Arg_Int(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4])))
PATH_EDIT(Builtin_PathChangePoint,
          ChangePoint(Arg_Int(args[1]), Arg_Float(args[2]), Arg_Float(args[3]), Arg_Float(args[4])))
PATH_EDIT(Builtin_PathDeletePoint, DeletePoint(Arg_Int(args[1])))
PATH_EDIT(Builtin_PathClearPoints, Clear())
PATH_EDIT(Builtin_PathReverse, Reverse())
PATH_EDIT(Builtin_PathMirror, Mirror())
PATH_EDIT(Builtin_PathFlip, Flip())
PATH_EDIT(Builtin_PathRotate, Rotate(Arg_Float(args[1])))
PATH_EDIT(Builtin_PathRescale, Rescale(Arg_Float(args[1]), Arg_Float(args[2])))
PATH_EDIT(Builtin_PathShift, Shift(Arg_Float(args[1]), Arg_Float(args[2])))
#undef PATH_EDIT

// ---- the table ----

void Builtin_PathAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Path_Add());
}

void Builtin_PathDuplicate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Path_Exists(Arg_Int(args[0]))) {
        Error_Show_Action("Trying to duplicate non-existing path.", false);
        return;
    }
    Result_Real(result, Path_Duplicate(Arg_Int(args[0])));
}

void Builtin_PathAssign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Path_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) Error_Show_Action("Error assigning a path.", false);
}

void Builtin_PathAppend(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CPath* target = Existing(args[0]);
    if (target == nullptr) {
        Error_Show_Action("Appending to non-existing path.", false);
        return;
    }
    const CPath* source = Existing(args[1]);
    if (source == nullptr) {
        Error_Show_Action("Appending a non-existing path.", false);
        return;
    }
    target->Append(source);
}

void Builtin_PathDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Path_Exists(Arg_Int(args[0]))) {
        Error_Show_Action("Trying to delete non-existing path.", false);
        return;
    }
    Result_Bool(result, Path_Delete(Arg_Int(args[0])));
}

const FunctionRow PATH_ROWS[] = {
    {"path_exists", Builtin_PathExists, 1},
    {"path_get_name", Builtin_PathGetName, 1},
    {"path_name", Builtin_PathGetName, 1},
    {"path_get_length", Builtin_PathGetLength, 1},
    {"path_get_kind", Builtin_PathGetKind, 1},
    {"path_get_closed", Builtin_PathGetClosed, 1},
    {"path_get_precision", Builtin_PathGetPrecision, 1},
    {"path_get_number", Builtin_PathGetNumber, 1},
    {"path_get_point_x", Builtin_PathGetPointX, 2},
    {"path_get_point_y", Builtin_PathGetPointY, 2},
    {"path_get_point_speed", Builtin_PathGetPointSpeed, 2},
    {"path_get_x", Builtin_PathGetX, 2},
    {"path_get_y", Builtin_PathGetY, 2},
    {"path_get_speed", Builtin_PathGetSpeed, 2},
    {"path_set_kind", Builtin_PathSetKind, 2},
    {"path_set_closed", Builtin_PathSetClosed, 2},
    {"path_set_precision", Builtin_PathSetPrecision, 2},
    {"path_add", Builtin_PathAdd, 0},
    {"path_duplicate", Builtin_PathDuplicate, 1},
    {"path_assign", Builtin_PathAssign, 2},
    {"path_append", Builtin_PathAppend, 2},
    {"path_delete", Builtin_PathDelete, 1},
    {"path_add_point", Builtin_PathAddPoint, 4},
    {"path_insert_point", Builtin_PathInsertPoint, 5},
    {"path_change_point", Builtin_PathChangePoint, 5},
    {"path_delete_point", Builtin_PathDeletePoint, 2},
    {"path_clear_points", Builtin_PathClearPoints, 1},
    {"path_reverse", Builtin_PathReverse, 1},
    {"path_mirror", Builtin_PathMirror, 1},
    {"path_flip", Builtin_PathFlip, 1},
    {"path_rotate", Builtin_PathRotate, 2},
    {"path_rescale", Builtin_PathRescale, 3},
    {"path_shift", Builtin_PathShift, 3},
};

} // namespace

void Function_ResourcePaths_Register()
{
    Function_AddRows(PATH_ROWS);
}
