// The resource family's room group: editing the rooms of the room table (the running room is a copy,
// so edits show when a room next starts), and adding, copying and assigning rooms.
#include "background/Background_Table.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"

namespace {

// The table's room at the rounded index, or null.
CRoom* Existing(const ScriptValue& index)
{
    return Room_Get(Arg_Int(index));
}

void Builtin_RoomExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Room_Exists(Arg_Int(args[0])));
}

void Builtin_RoomGetName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, Room_GetName(Arg_Int(args[0])));
}

#define ROOM_SETTER(Routine, statement)                                                                       \
    void Routine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)                           \
    {                                                                                                          \
        if (CRoom* room = Existing(args[0])) statement;                                                       \
    }
ROOM_SETTER(Builtin_RoomSetWidth, room->m_Width = Arg_Int(args[1]))
ROOM_SETTER(Builtin_RoomSetHeight, room->m_Height = Arg_Int(args[1]))
ROOM_SETTER(Builtin_RoomSetCaption, room->SetCaption(Arg_Text(args[1])))
ROOM_SETTER(Builtin_RoomSetPersistent, room->m_Persistent = Arg_Flag(args[1]))
ROOM_SETTER(Builtin_RoomSetCode, room->SetCode(Arg_TextOrEmpty(args[1])))
ROOM_SETTER(Builtin_RoomSetViewEnabled, room->m_EnableViews = Arg_Flag(args[1]))
ROOM_SETTER(Builtin_RoomInstanceClear, room->ClearInstanceDefs())
ROOM_SETTER(Builtin_RoomTileClear, room->ClearTileDefs())
#undef ROOM_SETTER

void Builtin_RoomSetBackgroundColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CRoom* room = Existing(args[0])) {
        room->m_Colour = static_cast<uint32_t>(Arg_Int(args[1]));
        room->m_ShowColour = Arg_Flag(args[2]);
    }
}

// (room, layer, visible, foreground, background, x, y, htiled, vtiled, hspeed, vspeed, alpha); the
// layer's blend colour stays.
void Builtin_RoomSetBackground(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Existing(args[0]);
    int32_t layer = Arg_Int(args[1]);
    if (room == nullptr || layer < 0 || layer >= ROOM_LAYERS) return;
    RoomBackground& b = room->m_Backgrounds[layer];
    b.visible = Arg_Flag(args[2]);
    b.foreground = Arg_Flag(args[3]);
    b.index = Arg_Int(args[4]);
    b.x = Arg_Float(args[5]);
    b.y = Arg_Float(args[6]);
    b.htiled = Arg_Flag(args[7]);
    b.vtiled = Arg_Flag(args[8]);
    b.xscale = 1.0f;
    b.yscale = 1.0f;
    b.hspeed = Arg_Float(args[9]);
    b.vspeed = Arg_Float(args[10]);
    b.alpha = Arg_Float(args[11]);
}

// (room, view, visible, xview, yview, wview, hview, xport, yport, wport, hport, hborder, vborder,
// hspeed, vspeed, object); the view's angle stays.
void Builtin_RoomSetView(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Existing(args[0]);
    int32_t view = Arg_Int(args[1]);
    if (room == nullptr || view < 0 || view >= ROOM_VIEWS) return;
    RoomView& v = room->m_Views[view];
    v.visible = Arg_Flag(args[2]);
    int32_t* fields[] = {&v.xview, &v.yview,   &v.wview,   &v.hview,  &v.xport,  &v.yport,  &v.wport,
                         &v.hport, &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object};
    const ScriptValue* value = args + 3;
    for (int32_t* field : fields) *field = Arg_Int(*value++);
}

void Builtin_RoomAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, Room_Add());
}

void Builtin_RoomDuplicate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t source = Arg_Int(args[0]);
    if (!Room_Exists(source)) {
        Error_Show_Action("Trying to duplicate non-existing room.", false);
        return;
    }
    Result_Real(result, Room_Duplicate(source));
}

void Builtin_RoomAssign(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (!Room_Assign(Arg_Int(args[0]), Arg_Int(args[1]))) Error_Show_Action("Error assigning a room.", false);
}

// The room and the object are truncated here, not rounded.
void Builtin_RoomInstanceAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1.0);
    if (CRoom* room = Room_Get(Arg_Trunc(args[0])))
        Result_Real(result, room->AddInstanceDef(Arg_Float(args[1]), Arg_Float(args[2]), Arg_Trunc(args[3])));
}

bool BackgroundMissing(const ScriptValue& background)
{
    if (Background_Exists(Arg_Int(background))) return false;
    Error_Show_Action("Background does not exist.", false);
    return true;
}

// (room, background, left, top, width, height, x, y, depth), every one rounded.
void Builtin_RoomTileAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1.0);
    if (BackgroundMissing(args[1])) return;
    CRoom* room = Existing(args[0]);
    if (room == nullptr) return;
    int32_t v[8];
    for (int32_t i = 0; i < 8; ++i) v[i] = Arg_Int(args[i + 1]);
    Result_Real(result, room->AddTileDef(v[0], v[1], v[2], v[3], v[4], float(v[5]), float(v[6]), float(v[7]), 1.0f,
                                         1.0f, 0xFFFFFFFFu));
}

// (room, background, left, top, width, height, x, y, depth, xscale, yscale, alpha): a tile entry of
// the room's definition, as room_tile_add makes, keeping its scales and its alpha as given.
void Builtin_RoomTileAddExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (BackgroundMissing(args[1])) return;
    CRoom* room = Existing(args[0]);
    if (room == nullptr) return;
    int32_t v[5];
    for (int32_t i = 0; i < 5; ++i) v[i] = Arg_Int(args[i + 1]);
    Result_Real(result, room->AddTileDef(v[0], v[1], v[2], v[3], v[4], Arg_Float(args[6]), Arg_Float(args[7]),
                                         Arg_Float(args[8]), Arg_Float(args[9]), Arg_Float(args[10]), 0xFFFFFFFFu,
                                         Arg_Float(args[11])));
}

const FunctionRow ROOM_ROWS[] = {
    {"room_exists", Builtin_RoomExists, 1},
    {"room_get_name", Builtin_RoomGetName, 1},
    {"room_name", Builtin_RoomGetName, 1},
    {"room_set_width", Builtin_RoomSetWidth, 2},
    {"room_set_height", Builtin_RoomSetHeight, 2},
    {"room_set_caption", Builtin_RoomSetCaption, 2},
    {"room_set_persistent", Builtin_RoomSetPersistent, 2},
    {"room_set_code", Builtin_RoomSetCode, 2},
    {"room_set_background_color", Builtin_RoomSetBackgroundColor, 3},
    {"room_set_background", Builtin_RoomSetBackground, 12},
    {"room_set_view", Builtin_RoomSetView, 16},
    {"room_set_view_enabled", Builtin_RoomSetViewEnabled, 2},
    {"room_add", Builtin_RoomAdd, 0},
    {"room_duplicate", Builtin_RoomDuplicate, 1},
    {"room_assign", Builtin_RoomAssign, 2},
    {"room_instance_add", Builtin_RoomInstanceAdd, 4},
    {"room_instance_clear", Builtin_RoomInstanceClear, 1},
    {"room_tile_add", Builtin_RoomTileAdd, 9},
    {"room_tile_add_ext", Builtin_RoomTileAddExt, 12},
    {"room_tile_clear", Builtin_RoomTileClear, 1},
};

} // namespace

void Function_ResourceRooms_Register()
{
    Function_AddRows(ROOM_ROWS);
}
