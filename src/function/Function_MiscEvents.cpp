// The Misc family's first group: its table in registration order, and the routines for events, the
// script log and variables by name. External calls and run-time code have files of their own.
#include "function/Function_MiscEvents.h"

#include <climits>
#include <string>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Event.h"
#include "variable/Variable_Access.h"
#include "variable/Variable_Global.h"
#include "variable/Variable_List.h"
#include "variable/Variable_Names.h"

namespace {

// ---- events --------------------------------------------------------------------------------------

constexpr int32_t EVENT_TYPE_OTHER = 7;
constexpr int32_t EVENT_USER_FIRST = 10;
constexpr int32_t EVENT_TYPE_LAST = 11;

bool IsPerformable(int32_t type, int32_t subtype)
{
    return type >= 0 && type <= EVENT_TYPE_LAST && subtype >= 0;
}

// ---- variables by name ---------------------------------------------------------------------------

// The element the plain getters read; the local setter stores the whole value, as an assignment
// does, and the global one element 0 of an array.
constexpr int32_t VARIABLE_FIRST_ELEMENT = 0;
constexpr int32_t VARIABLE_WHOLE = -1;
// An index beyond the 32-bit range: negative, and not -1, so that it stores and reads nothing.
constexpr int32_t VARIABLE_UNREACHABLE = INT32_MIN;

// The variable's identifier (added when the name is new); -1 for a name that is no text.
int32_t VariableId(const ScriptValue& name)
{
    const char* text = Arg_Text(name);
    return text != nullptr ? Code_Variable_Find(text) : -1;
}

// One array index: 32000 or more is refused with a message; negative ones go on to the variables.
bool SingleIndex(const ScriptValue& argument, int32_t* index)
{
    *index = Arg_Int(argument);
    if (*index < ARRAY_ROW_SPAN) return true;
    Error_Show_Action("Array index >= 32000", false);
    return false;
}

// Two indices make row * 32000 + column, computed in 64 bits: outside the 32-bit range it is a
// negative index that reaches nothing.
bool DoubleIndex(const ScriptValue& row, const ScriptValue& column, int32_t* index)
{
    int32_t first = 0;
    int32_t second = 0;
    if (!SingleIndex(row, &first) || !SingleIndex(column, &second)) return false;
    int64_t whole = static_cast<int64_t>(first) * ARRAY_ROW_SPAN + second;
    *index = whole >= INT32_MIN && whole <= INT32_MAX ? static_cast<int32_t>(whole) : VARIABLE_UNREACHABLE;
    return true;
}

// A variable that does not exist reads as real 0, whatever the unset-variable option says.
void GetGlobal(ScriptValue* result, const ScriptValue& name, int32_t index)
{
    int32_t id = VariableId(name);
    if (id >= 0 && !Variable_GetGlobal(id, index, result)) Result_Real(result, 0.0);
}

void SetGlobal(const ScriptValue& name, int32_t index, const ScriptValue& value)
{
    int32_t id = VariableId(name);
    if (id >= 0) Variable_SetGlobal(id, index, &value);
}

// The calling instance's variable: a built-in one through its getter, a user one from its list.
void GetLocal(ScriptValue* result, CInstance* self, const ScriptValue& name, int32_t index)
{
    int32_t id = VariableId(name);
    if (id < 0 || self == nullptr) return;
    if (!Variable_GetValue_Direct(self, id, index, result)) Result_Real(result, 0.0);
}

void SetLocal(CInstance* self, const ScriptValue& name, int32_t index, const ScriptValue& value)
{
    int32_t id = VariableId(name);
    if (id >= 0 && self != nullptr) Variable_SetValue_Direct(self, id, index, &value);
}

// The value as string() gives it: a string as it stands, a real as "%d" when whole, else "%.2f".
std::string ValueText(const ScriptValue& value)
{
    if (Arg_IsString(value)) return Arg_TextOrEmpty(value);
    ValueTextBuffer text{nullptr, nullptr, 0};
    Value_ToString(&text, &value);
    std::string copy = text.start != nullptr ? text.start : "";
    MemoryManager::Free(text.start);
    return copy;
}

void Builtin_VariableGlobalExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = VariableId(args[0]);
    Result_Bool(result, id >= 0 && Variable_GlobalList()->Has(id));
}

void Builtin_VariableGlobalGet(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    GetGlobal(result, args[0], VARIABLE_FIRST_ELEMENT);
}

void Builtin_VariableGlobalArrayGet(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (SingleIndex(args[1], &index)) GetGlobal(result, args[0], index);
}

void Builtin_VariableGlobalArray2Get(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (DoubleIndex(args[1], args[2], &index)) GetGlobal(result, args[0], index);
}

// Stores into element 0: an array the variable holds keeps its other elements. A variable without
// an array takes the value whole, as an assignment does, rather than becoming an array of one.
void Builtin_VariableGlobalSet(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = VariableId(args[0]);
    if (id < 0) return;
    const VariableNode* node = Variable_GlobalList()->Find(id);
    bool holdsArray = node != nullptr && Value_GetKind(&node->value) == VALUE_ARRAY;
    Variable_SetGlobal(id, holdsArray ? VARIABLE_FIRST_ELEMENT : VARIABLE_WHOLE, &args[1]);
}

void Builtin_VariableGlobalArraySet(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (SingleIndex(args[1], &index)) SetGlobal(args[0], index, args[2]);
}

void Builtin_VariableGlobalArray2Set(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (DoubleIndex(args[1], args[2], &index)) SetGlobal(args[0], index, args[3]);
}

// A built-in variable counts as present on every instance.
void Builtin_VariableLocalExists(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t id = VariableId(args[0]);
    if (id < 0 || self == nullptr) return;
    if (id < VARIABLE_LIST_BASE) {
        Result_Bool(result, true);
        return;
    }
    CVariableList* list = Variable_Instances()->Variables(self);
    Result_Bool(result, list != nullptr && list->Has(id));
}

void Builtin_VariableLocalGet(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    GetLocal(result, self, args[0], VARIABLE_FIRST_ELEMENT);
}

void Builtin_VariableLocalArrayGet(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (SingleIndex(args[1], &index)) GetLocal(result, self, args[0], index);
}

void Builtin_VariableLocalArray2Get(ScriptValue* result, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (DoubleIndex(args[1], args[2], &index)) GetLocal(result, self, args[0], index);
}

void Builtin_VariableLocalSet(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    SetLocal(self, args[0], VARIABLE_WHOLE, args[1]);
}

void Builtin_VariableLocalArraySet(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (SingleIndex(args[1], &index)) SetLocal(self, args[0], index, args[2]);
}

void Builtin_VariableLocalArray2Set(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = 0;
    if (DoubleIndex(args[1], args[2], &index)) SetLocal(self, args[0], index, args[3]);
}

void Builtin_ShowDebugMessage(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ScriptConsole->Output("%s\n", ValueText(args[0]).c_str());
}

const FunctionRow MISC_EVENT_ROWS[] = {
    {"event_perform", Builtin_EventPerform, 2},
    {"event_user", Builtin_EventUser, 1},
    {"event_perform_object", Builtin_EventPerformObject, 3},
    {"external_define", Builtin_ExternalDefine, FUNCTION_ARGS_ANY},
    {"external_call", Builtin_ExternalCall, FUNCTION_ARGS_ANY},
    {"external_free", Builtin_ExternalFree, 1},
    {"external_define0", Builtin_ExternalDefine0, 3},
    {"external_call0", Builtin_ExternalCall0, 1},
    {"external_define1", Builtin_ExternalDefine1, 4},
    {"external_call1", Builtin_ExternalCall1, 2},
    {"external_define2", Builtin_ExternalDefine2, 5},
    {"external_call2", Builtin_ExternalCall2, 3},
    {"external_define3", Builtin_ExternalDefine3, 6},
    {"external_call3", Builtin_ExternalCall3, 4},
    {"external_define4", Builtin_ExternalDefine4, 7},
    {"external_call4", Builtin_ExternalCall4, 5},
    {"external_define5", Builtin_ExternalDefine5, 3},
    {"external_call5", Builtin_ExternalCall5, 6},
    {"external_define6", Builtin_ExternalDefine6, 3},
    {"external_call6", Builtin_ExternalCall6, 7},
    {"external_define7", Builtin_ExternalDefine7, 3},
    {"external_call7", Builtin_ExternalCall7, 8},
    {"external_define8", Builtin_ExternalDefine8, 3},
    {"external_call8", Builtin_ExternalCall8, 9},
    {"execute_string", Builtin_ExecuteString, FUNCTION_ARGS_ANY},
    {"execute_file", Builtin_ExecuteFile, FUNCTION_ARGS_ANY},
    {"show_debug_message", Builtin_ShowDebugMessage, 1},
    {"variable_global_exists", Builtin_VariableGlobalExists, 1},
    {"variable_global_get", Builtin_VariableGlobalGet, 1},
    {"variable_global_array_get", Builtin_VariableGlobalArrayGet, 2},
    {"variable_global_array2_get", Builtin_VariableGlobalArray2Get, 3},
    {"variable_global_set", Builtin_VariableGlobalSet, 2},
    {"variable_global_array_set", Builtin_VariableGlobalArraySet, 3},
    {"variable_global_array2_set", Builtin_VariableGlobalArray2Set, 4},
    {"variable_local_exists", Builtin_VariableLocalExists, 1},
    {"variable_local_get", Builtin_VariableLocalGet, 1},
    {"variable_local_array_get", Builtin_VariableLocalArrayGet, 2},
    {"variable_local_array2_get", Builtin_VariableLocalArray2Get, 3},
    {"variable_local_set", Builtin_VariableLocalSet, 2},
    {"variable_local_array_set", Builtin_VariableLocalArraySet, 3},
    {"variable_local_array2_set", Builtin_VariableLocalArray2Set, 4},
};

} // namespace

void Builtin_EventPerform(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue* args)
{
    int32_t type = Arg_Int(args[0]);
    int32_t subtype = Arg_Int(args[1]);
    if (IsPerformable(type, subtype)) Perform_Event(self, other, type, subtype);
}

// The number is not checked: -10 reaches other event 0, below that nothing.
void Builtin_EventUser(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue* args)
{
    int64_t subtype = static_cast<int64_t>(EVENT_USER_FIRST) + Arg_Int(args[0]);
    if (subtype >= 0 && subtype <= INT32_MAX) Perform_Event(self, other, EVENT_TYPE_OTHER, static_cast<int32_t>(subtype));
}

// The calling instance performs the event as the given object defines it (through its parents).
void Builtin_EventPerformObject(ScriptValue*, CInstance* self, CInstance* other, int32_t, ScriptValue* args)
{
    int32_t object = Arg_Int(args[0]);
    int32_t type = Arg_Int(args[1]);
    int32_t subtype = Arg_Int(args[2]);
    if (self != nullptr && IsPerformable(type, subtype)) PerformEvent(self, other, object, type, subtype);
}

void Function_MiscEvents_Register()
{
    Function_AddRows(MISC_EVENT_ROWS);
}
