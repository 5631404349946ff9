// The built-in variables of the current room: the room itself, its instance list, its eight
// background layers and its eight views. background_* and view_* take the layer or view as their
// index (0 to 7; any other index means 0). Outside a room they read 0 and writes change nothing.
#include "background/Background_Table.h"
#include "code/Code_Bytecode.h"
#include "code/Code_Error.h"
#include "graphics/Graphics_Window.h"
#include "instance/Instance_List.h"
#include "room/Room_Class.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "run/Run_Globals.h"
#include "run/Run_Layer.h"
#include "variable/Variable_BuiltInFamilies.h"

using namespace builtin;

namespace {

RoomBackground* Layer(CRoom* room, int32_t index)
{
    return &room->m_Backgrounds[Element(index, ROOM_LAYERS)];
}
RoomView* View(CRoom* room, int32_t index)
{
    return &room->m_Views[Element(index, ROOM_VIEWS)];
}

} // namespace

// A room field, a layer's field or a view's field, read and written with the field's conversion. A
// room or view field written may change how the window maps points to the room, so it is told.
#define ROOM_FIELD(Name, field, convert)                                                                     \
    bool GV_##Name(CInstance*, int32_t, ScriptValue* out)                                                    \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        return Real(out, room != nullptr ? static_cast<double>(room->field) : 0.0);                          \
    }                                                                                                        \
    bool SV_##Name(CInstance*, int32_t, const ScriptValue* value)                                            \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        if (room != nullptr) room->field = convert(value);                                                   \
        GR_Window_MappingChanged();                                                                          \
        return true;                                                                                         \
    }
#define LAYER_FIELD(Name, field, convert)                                                                    \
    bool GV_##Name(CInstance*, int32_t index, ScriptValue* out)                                              \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        return Real(out, room != nullptr ? static_cast<double>(Layer(room, index)->field) : 0.0);            \
    }                                                                                                        \
    bool SV_##Name(CInstance*, int32_t index, const ScriptValue* value)                                      \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        if (room != nullptr) Layer(room, index)->field = convert(value);                                     \
        return true;                                                                                         \
    }
#define VIEW_FIELD(Name, field, convert)                                                                     \
    bool GV_##Name(CInstance*, int32_t index, ScriptValue* out)                                              \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        return Real(out, room != nullptr ? static_cast<double>(View(room, index)->field) : 0.0);             \
    }                                                                                                        \
    bool SV_##Name(CInstance*, int32_t index, const ScriptValue* value)                                      \
    {                                                                                                        \
        CRoom* room = Run_CurrentRoom();                                                                     \
        if (room != nullptr) View(room, index)->field = convert(value);                                      \
        GR_Window_MappingChanged();                                                                          \
        return true;                                                                                         \
    }

ROOM_FIELD(RoomPersistent, m_Persistent, FlagAtLeastOne)
ROOM_FIELD(BackgroundColor, m_Colour, Colour)
ROOM_FIELD(BackgroundShowColor, m_ShowColour, FlagAtLeastOne)
ROOM_FIELD(ViewEnabled, m_EnableViews, FlagAtLeastOne)

LAYER_FIELD(BackgroundVisible, visible, FlagAtLeastOne)
LAYER_FIELD(BackgroundForeground, foreground, FlagAtLeastOne)
LAYER_FIELD(BackgroundIndex, index, Integer)
LAYER_FIELD(BackgroundX, x, Float)
LAYER_FIELD(BackgroundY, y, Float)
LAYER_FIELD(BackgroundHTiled, htiled, FlagAtLeastOne)
LAYER_FIELD(BackgroundVTiled, vtiled, FlagAtLeastOne)
LAYER_FIELD(BackgroundXScale, xscale, Float)
LAYER_FIELD(BackgroundYScale, yscale, Float)
LAYER_FIELD(BackgroundHSpeed, hspeed, Float)
LAYER_FIELD(BackgroundVSpeed, vspeed, Float)
LAYER_FIELD(BackgroundBlend, blend, Colour)
LAYER_FIELD(BackgroundAlpha, alpha, Float)

VIEW_FIELD(ViewVisible, visible, FlagAtLeastOne)
VIEW_FIELD(ViewXView, xview, Integer)
VIEW_FIELD(ViewYView, yview, Integer)
VIEW_FIELD(ViewWView, wview, Integer)
VIEW_FIELD(ViewHView, hview, Integer)
VIEW_FIELD(ViewXPort, xport, Integer)
VIEW_FIELD(ViewYPort, yport, Integer)
VIEW_FIELD(ViewWPort, wport, Integer)
VIEW_FIELD(ViewHPort, hport, Integer)
VIEW_FIELD(ViewAngle, angle, Float)
VIEW_FIELD(ViewHBorder, hborder, Integer)
VIEW_FIELD(ViewVBorder, vborder, Integer)
VIEW_FIELD(ViewHSpeed, hspeed, Integer)
VIEW_FIELD(ViewVSpeed, vspeed, Integer)
VIEW_FIELD(ViewObject, object, Integer)
VIEW_FIELD(ViewSurfaceId, surface, Integer)

#undef ROOM_FIELD
#undef LAYER_FIELD
#undef VIEW_FIELD

bool GV_Room(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentRoomIndex);
}

// Asks for the change; the frame makes it.
bool SV_Room(CInstance*, int32_t, const ScriptValue* value)
{
    Run_GotoRoom(Integer(value));
    return true;
}

bool GV_RoomFirst(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, Room_First());
}
bool GV_RoomLast(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, Room_Last());
}

bool GV_InstanceCount(CInstance*, int32_t, ScriptValue* out)
{
    CInstanceList* list = Room_CurrentActiveList();
    return Real(out, list != nullptr ? list->m_Count : 0);
}

// The n-th instance of the room's list, counting every instance in it.
bool GV_InstanceId(CInstance*, int32_t index, ScriptValue* out)
{
    CInstanceList* list = Room_CurrentActiveList();
    if (list == nullptr || index < 0 || index >= list->m_Count) return Real(out, VM_INSTANCE_NOONE);
    CInstance* instance = list->m_pHead;
    for (int32_t i = 0; i < index && instance != nullptr; ++i)
        instance = instance->m_pNext;
    return Real(out, instance != nullptr ? instance->GetId() : VM_INSTANCE_NOONE);
}

bool GV_RoomWidth(CInstance*, int32_t, ScriptValue* out)
{
    CRoom* room = Run_CurrentRoom();
    return Real(out, room != nullptr ? room->m_Width : 0);
}

bool GV_RoomHeight(CInstance*, int32_t, ScriptValue* out)
{
    CRoom* room = Run_CurrentRoom();
    return Real(out, room != nullptr ? room->m_Height : 0);
}

bool GV_RoomCaption(CInstance*, int32_t, ScriptValue* out)
{
    CRoom* room = Run_CurrentRoom();
    return Text(out, room != nullptr ? room->m_pCaption : nullptr);
}

bool SV_RoomCaption(CInstance*, int32_t, const ScriptValue* value)
{
    CRoom* room = Run_CurrentRoom();
    const char* text = Value_GetText(value);
    if (room != nullptr) room->SetCaption(text != nullptr ? text : "");
    return true;
}

bool GV_RoomSpeed(CInstance*, int32_t, ScriptValue* out)
{
    CRoom* room = Run_CurrentRoom();
    return Real(out, room != nullptr ? room->m_Speed : 0);
}

// A speed of 0 or less would stop the frame clock: refused.
bool SV_RoomSpeed(CInstance*, int32_t, const ScriptValue* value)
{
    int32_t speed = Integer(value);
    // The refusal is reported here and the old speed kept; answering false would have the
    // interpreter end the game with an error of its own on top of this one.
    if (speed <= 0) {
        Error_Show_Action("Trying to set the room speed to a value <= 0.", false);
        return true;
    }
    CRoom* room = Run_CurrentRoom();
    if (room != nullptr) room->m_Speed = speed;
    return true;
}

// The size of the background resource the layer shows; 0 when there is none.
bool LayerBackgroundSize(int32_t index, ScriptValue* out, bool width)
{
    CRoom* room = Run_CurrentRoom();
    CBackground* background = room != nullptr ? Background_Data(Layer(room, index)->index) : nullptr;
    if (background == nullptr) return Real(out, 0.0);
    return Real(out, width ? background->GetWidth() : background->GetHeight());
}

bool GV_BackgroundWidth(CInstance*, int32_t index, ScriptValue* out)
{
    return LayerBackgroundSize(index, out, true);
}
bool GV_BackgroundHeight(CInstance*, int32_t index, ScriptValue* out)
{
    return LayerBackgroundSize(index, out, false);
}

bool GV_ViewCurrent(CInstance*, int32_t, ScriptValue* out)
{
    return Real(out, g_CurrentView);
}
