// The resource family's object and asset group: reading and changing object definitions while the
// game runs (instances copy an object's settings when they are made, so changes reach only later
// instances), and finding any resource by its name.
#include "background/Background_Table.h"
#include "base/Base_Console.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "font/Font_Table.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "object/Object_Class.h"
#include "object/Object_Lists.h"
#include "object/Object_Table.h"
#include "path/Path_Table.h"
#include "room/Room_Table.h"
#include "script/Script_Table.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"
#include "sprite/Sprite_Table.h"
#include "timeline/Timeline_Table.h"

namespace {

CObject* Existing(const ScriptValue& index)
{
    return Object_Data(Arg_Int(index));
}

// ---- getters ----

template <typename Get> void AnswerField(ScriptValue* result, const ScriptValue& index, Get get)
{
    const CObject* object = Existing(index);
    Result_Real(result, object != nullptr ? double(get(*object)) : -1.0);
}

#define OBJECT_GETTER(Routine, expression)                                                                    \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                          \
        AnswerField(result, args[0], [](const CObject& o) { return expression; });                            \
    }
OBJECT_GETTER(Builtin_ObjectGetSprite, o.m_SpriteIndex)
OBJECT_GETTER(Builtin_ObjectGetSolid, o.IsSolid())
OBJECT_GETTER(Builtin_ObjectGetVisible, o.IsVisible())
OBJECT_GETTER(Builtin_ObjectGetDepth, o.m_Depth)
OBJECT_GETTER(Builtin_ObjectGetPersistent, o.IsPersistent())
OBJECT_GETTER(Builtin_ObjectGetMask, o.m_MaskIndex)
OBJECT_GETTER(Builtin_ObjectGetParent, o.m_ParentIndex)
#undef OBJECT_GETTER

void Builtin_ObjectGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Object_Name(Arg_Int(args[0])));
}

void Builtin_ObjectExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Object_Exists(Arg_Int(args[0])));
}

void Builtin_ObjectIsAncestor(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const CObject* object = Existing(args[0]);
    if (object == nullptr) Result_Real(result, -1.0);
    else Result_Bool(result, object->IsDescendantOf(Arg_Int(args[1])));
}

// ---- setters ----

#define OBJECT_SETTER(Routine, statement)                                                                     \
    void Routine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)                           \
    {                                                                                                          \
        if (CObject* o = Existing(args[0])) statement;                                                        \
    }
OBJECT_SETTER(Builtin_ObjectSetSprite, o->m_SpriteIndex = Arg_Int(args[1]))
OBJECT_SETTER(Builtin_ObjectSetSolid, o->SetSolid(Arg_Flag(args[1])))
OBJECT_SETTER(Builtin_ObjectSetVisible, o->SetVisible(Arg_Flag(args[1])))
OBJECT_SETTER(Builtin_ObjectSetDepth, o->m_Depth = Arg_Trunc(args[1]))
OBJECT_SETTER(Builtin_ObjectSetPersistent, o->SetPersistent(Arg_Flag(args[1])))
OBJECT_SETTER(Builtin_ObjectSetMask, o->m_MaskIndex = Arg_Int(args[1]))
#undef OBJECT_SETTER

// Both indices are truncated here, unlike everywhere else in the group.
void Builtin_ObjectSetParent(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Trunc(args[0]);
    int32_t parent = Arg_Trunc(args[1]);
    CObject* object = Object_Data(index);
    if (object == nullptr) return;
    if (parent < 0) {
        object->m_ParentIndex = -1;
        Object_SetParentObject(object, nullptr);
        Object_EventsChanged();
        ObjectLists_Build();
        return;
    }
    CObject* parentObject = Object_Data(parent);
    if (parentObject == nullptr) {
        Error_Show_Action("Setting a non-existing parent.", false);
        return;
    }
    if (index == parent || parentObject->IsDescendantOf(index)) {
        Error_Show_Action("Creating a cycle in the parent relation.", false);
        return;
    }
    object->m_ParentIndex = parent;
    if (parent <= 999999) Object_SetParentObject(object, parentObject);
    Object_EventsChanged();
    ObjectLists_Build();
}

void Builtin_ObjectAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Object_Add());
}

void Builtin_ObjectDelete(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t index = Arg_Int(args[0]);
    if (!Object_Exists(index)) {
        Error_Show_Action("Trying to delete non-existing object.", false);
        return;
    }
    Object_Delete(index);
    Result_Real(result, 1.0);
}

void Builtin_ObjectEventClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CObject* object = Existing(args[0]);
    int32_t type = Arg_Int(args[1]);
    int32_t subtype = Arg_Int(args[2]);
    if (object == nullptr || object->GetEvent(type, subtype) == nullptr) return;
    ObjectEventClear_Impl(object, type, subtype);
    ObjectLists_Build();
}

void Builtin_ObjectEventAdd(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    MainConsole->Output("object_event_add :: deprecated function\n");
}

// ---- assets by name ----

struct AssetKind {
    int32_t (*find)(const char* name);
    int32_t type;
};

// The order in which the tables are asked, with the kind each answers.
const AssetKind ASSET_KINDS[] = {
    {Object_Find, 0}, {Sprite_Find, 1},   {Sound_Find, 2},    {Audio_Find, 2},     {Background_Find, 4},
    {Path_Find, 5},   {Font_Find, 7},     {TimeLine_Find, 8}, {Script_Find, 6},    {Room_Find, 3},
};

// The name argument, or null unless exactly one text was given.
const char* AssetName(int32_t argc, const ScriptValue* args)
{
    return argc == 1 && Arg_IsString(args[0]) ? Arg_Text(args[0]) : nullptr;
}

void Builtin_AssetGetType(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1.0);
    const char* name = AssetName(argc, args);
    if (name == nullptr) return;
    for (const AssetKind& kind : ASSET_KINDS) {
        if (kind.find(name) >= 0) {
            Result_Real(result, kind.type);
            return;
        }
    }
}

void Builtin_AssetGetIndex(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Real(result, -1.0);
    if (const char* name = AssetName(argc, args)) Constant_FindValue(name, result);
}

const FunctionRow OBJECT_ROWS[] = {
    {"object_name", Builtin_ObjectGetName, 1},
    {"object_exists", Builtin_ObjectExists, 1},
    {"object_get_name", Builtin_ObjectGetName, 1},
    {"object_get_sprite", Builtin_ObjectGetSprite, 1},
    {"object_get_solid", Builtin_ObjectGetSolid, 1},
    {"object_get_visible", Builtin_ObjectGetVisible, 1},
    {"object_get_depth", Builtin_ObjectGetDepth, 1},
    {"object_get_persistent", Builtin_ObjectGetPersistent, 1},
    {"object_get_mask", Builtin_ObjectGetMask, 1},
    {"object_get_parent", Builtin_ObjectGetParent, 1},
    {"object_is_ancestor", Builtin_ObjectIsAncestor, 2},
    {"object_set_sprite", Builtin_ObjectSetSprite, 2},
    {"object_set_solid", Builtin_ObjectSetSolid, 2},
    {"object_set_visible", Builtin_ObjectSetVisible, 2},
    {"object_set_depth", Builtin_ObjectSetDepth, 2},
    {"object_set_persistent", Builtin_ObjectSetPersistent, 2},
    {"object_set_mask", Builtin_ObjectSetMask, 2},
    {"object_set_parent", Builtin_ObjectSetParent, 2},
    {"object_add", Builtin_ObjectAdd, 0},
    {"object_delete", Builtin_ObjectDelete, 1},
    {"object_event_clear", Builtin_ObjectEventClear, 3},
    {"object_event_add", Builtin_ObjectEventAdd, 4},
    {"asset_get_index", Builtin_AssetGetIndex, 1},
    {"asset_get_type", Builtin_AssetGetType, 1},
};

} // namespace

void Function_ResourceObjects_Register()
{
    Function_AddRows(OBJECT_ROWS);
}
