// The Graphic family's tile group: the tiles of the current room added, found, read, changed and
// deleted by identifier, position or depth through the room's own tile operations. Without a
// current room no tile exists. Identifiers and whole fields are rounded; positions, depths, scales
// and alphas are single precision.
#include "background/Background_Table.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "room/Room_Class.h"
#include "run/Run_Game.h"

namespace {

struct FoundTile {
    CRoom* room = nullptr;
    int32_t index = -1;
    RoomTile* tile = nullptr;
};

FoundTile Find(const ScriptValue& id)
{
    FoundTile found;
    found.room = Run_CurrentRoom();
    if (found.room == nullptr) return found;
    found.index = found.room->FindTile(Arg_Int(id));
    found.tile = found.room->GetTile(found.index);
    return found;
}

// The tile with that identifier, or null after "Tile does not exist.".
RoomTile* TileOf(const ScriptValue& id)
{
    RoomTile* tile = Find(id).tile;
    if (tile == nullptr) Error_Show_Action("Tile does not exist.", false);
    return tile;
}

// The identifier of the tile at an index the room answered, or -1.
double IdAt(CRoom* room, int32_t index)
{
    const RoomTile* tile = room->GetTile(index);
    return tile != nullptr ? double(tile->id) : -1.0;
}

#define F(i) Arg_Float(args[i])

// ---- getters and setters ----

#define TILE_GETTER(Routine, field)                                                                           \
    void Routine(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)                    \
    {                                                                                                          \
        if (const RoomTile* t = TileOf(args[0])) Result_Real(result, double(t->field));                       \
    }
TILE_GETTER(Builtin_TileGetX, x)
TILE_GETTER(Builtin_TileGetY, y)
TILE_GETTER(Builtin_TileGetLeft, left)
TILE_GETTER(Builtin_TileGetTop, top)
TILE_GETTER(Builtin_TileGetWidth, width)
TILE_GETTER(Builtin_TileGetHeight, height)
TILE_GETTER(Builtin_TileGetDepth, depth)
TILE_GETTER(Builtin_TileGetVisible, visible)
TILE_GETTER(Builtin_TileGetXscale, xscale)
TILE_GETTER(Builtin_TileGetYscale, yscale)
TILE_GETTER(Builtin_TileGetBlend, blend)
TILE_GETTER(Builtin_TileGetAlpha, alpha)
TILE_GETTER(Builtin_TileGetBackground, background)
#undef TILE_GETTER

// A setter changes the record where it lies; the drawing sorts the tiles again.
#define TILE_SETTER(Routine, ...)                                                                             \
    void Routine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)                           \
    {                                                                                                          \
        if (RoomTile* t = TileOf(args[0])) { __VA_ARGS__; }                                                   \
    }
TILE_SETTER(Builtin_TileSetVisible, t->visible = Arg_Flag(args[1]) ? 1 : 0)
TILE_SETTER(Builtin_TileSetBackground, t->background = Arg_Int(args[1]))
TILE_SETTER(Builtin_TileSetRegion, t->left = Arg_Int(args[1]); t->top = Arg_Int(args[2]); t->width = Arg_Int(args[3]);
            t->height = Arg_Int(args[4]))
TILE_SETTER(Builtin_TileSetPosition, t->x = F(1); t->y = F(2))
TILE_SETTER(Builtin_TileSetDepth, t->depth = F(1))
TILE_SETTER(Builtin_TileSetScale, t->xscale = F(1); t->yscale = F(2))
TILE_SETTER(Builtin_TileSetBlend, t->blend = uint32_t(Arg_Int(args[1])))
TILE_SETTER(Builtin_TileSetAlpha, t->alpha = F(1))
#undef TILE_SETTER

// ---- adding, finding, deleting ----

void Builtin_TileAdd(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Real(result, -1.0);
    int32_t background = Arg_Int(args[0]);
    if (!Background_Exists(background)) {
        Error_Show_Action("Background does not exist.", false);
        return;
    }
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    RoomTile tile{F(5),     F(6), background, Arg_Int(args[1]), Arg_Int(args[2]), Arg_Int(args[3]), Arg_Int(args[4]),
                  F(7),     0,    1.0f,       1.0f,             0xFFFFFFu,        1.0f,             1};
    Result_Real(result, IdAt(room, room->AddTile(tile)));
}

void Builtin_TileFind(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Run_CurrentRoom();
    int32_t index = room != nullptr
                        ? room->FindTileAt(float(Arg_Int(args[0])), float(Arg_Int(args[1])), Arg_Flag(args[2]))
                        : -1;
    Result_Real(result, room != nullptr ? IdAt(room, index) : -1.0);
}

void Builtin_TileExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Find(args[0]).tile != nullptr);
}

void Builtin_TileDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    FoundTile found = Find(args[0]);
    if (found.tile == nullptr) Error_Show_Action("Tile does not exist.", false);
    else found.room->DeleteTile(found.index);
}

void Builtin_TileDeleteAt(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (CRoom* room = Run_CurrentRoom())
        room->DeleteTileAt(float(Arg_Int(args[0])), float(Arg_Int(args[1])), Arg_Flag(args[2]));
}

// ---- layers ----

#define TILE_LAYER(Routine, ...)                                                                              \
    void Routine(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)                           \
    {                                                                                                          \
        if (CRoom* room = Run_CurrentRoom()) room->__VA_ARGS__;                                                \
    }
TILE_LAYER(Builtin_TileLayerHide, HideTileLayer(F(0)))
TILE_LAYER(Builtin_TileLayerShow, ShowTileLayer(F(0)))
TILE_LAYER(Builtin_TileLayerDelete, DeleteTileLayer(F(0)))
TILE_LAYER(Builtin_TileLayerShift, ShiftTileLayer(F(0), F(1), F(2)))
TILE_LAYER(Builtin_TileLayerDeleteAt, DeleteTileInLayerAt(F(0), F(1), F(2)))
TILE_LAYER(Builtin_TileLayerDepth, SetTileLayerDepth(F(0), F(1)))
#undef TILE_LAYER

void Builtin_TileLayerFind(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CRoom* room = Run_CurrentRoom();
    Result_Real(result, room != nullptr ? IdAt(room, room->FindTileInLayer(F(0), F(1), F(2))) : -1.0);
}

#undef F

const FunctionRow TILE_ROWS[] = {
    {"tile_get_x", Builtin_TileGetX, 1},
    {"tile_get_y", Builtin_TileGetY, 1},
    {"tile_get_left", Builtin_TileGetLeft, 1},
    {"tile_get_top", Builtin_TileGetTop, 1},
    {"tile_get_width", Builtin_TileGetWidth, 1},
    {"tile_get_height", Builtin_TileGetHeight, 1},
    {"tile_get_depth", Builtin_TileGetDepth, 1},
    {"tile_get_visible", Builtin_TileGetVisible, 1},
    {"tile_get_xscale", Builtin_TileGetXscale, 1},
    {"tile_get_yscale", Builtin_TileGetYscale, 1},
    {"tile_get_blend", Builtin_TileGetBlend, 1},
    {"tile_get_alpha", Builtin_TileGetAlpha, 1},
    {"tile_get_background", Builtin_TileGetBackground, 1},
    {"tile_set_visible", Builtin_TileSetVisible, 2},
    {"tile_set_background", Builtin_TileSetBackground, 2},
    {"tile_set_region", Builtin_TileSetRegion, 5},
    {"tile_set_position", Builtin_TileSetPosition, 3},
    {"tile_set_depth", Builtin_TileSetDepth, 2},
    {"tile_set_scale", Builtin_TileSetScale, 3},
    {"tile_set_blend", Builtin_TileSetBlend, 2},
    {"tile_set_alpha", Builtin_TileSetAlpha, 2},
    {"tile_add", Builtin_TileAdd, 8},
    {"tile_find", Builtin_TileFind, 3},
    {"tile_exists", Builtin_TileExists, 1},
    {"tile_delete", Builtin_TileDelete, 1},
    {"tile_delete_at", Builtin_TileDeleteAt, 3},
    {"tile_layer_hide", Builtin_TileLayerHide, 1},
    {"tile_layer_show", Builtin_TileLayerShow, 1},
    {"tile_layer_delete", Builtin_TileLayerDelete, 1},
    {"tile_layer_shift", Builtin_TileLayerShift, 3},
    {"tile_layer_find", Builtin_TileLayerFind, 3},
    {"tile_layer_delete_at", Builtin_TileLayerDeleteAt, 3},
    {"tile_layer_depth", Builtin_TileLayerDepth, 2},
};

} // namespace

void Function_GraphicsTiles_Register()
{
    Function_AddRows(TILE_ROWS);
}
