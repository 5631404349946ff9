// The actions that move self, start and end paths, plan steps, create, change and destroy
// instances, and set self's sprite.
#include <cstring>
#include <string>

#include "base/Base_Random.h"
#include "code/Code_Error.h"
#include "function/Function_Action.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Game.h"
#include "function/Function_Registry.h"
#include "instance/Instance_Class.h"
#include "motion/Motion_Planning.h"
#include "object/Object_Table.h"
#include "room/Room_Class.h"
#include "run/Run_Commands.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Game.h"

namespace {

constexpr int32_t MOVE_DIRECTIONS = 9;
constexpr int32_t MOVE_STOP = 4;
// Directions of the 3 x 3 keypad read from the bottom left; the centre stops.
constexpr float MOVE_DEGREES[MOVE_DIRECTIONS] = {225, 270, 315, 180, 0, 0, 135, 90, 45};
constexpr int32_t RANDOM_PLACE_TRIES = 99;
constexpr int32_t RANDOM_OBJECTS = 4;
constexpr int32_t WRAP_HORIZONTAL = 0, WRAP_VERTICAL = 1, WRAP_BOTH = 2;
constexpr int32_t AGAINST_ALL = 1;
constexpr int32_t PLAN_TARGET_ALL = -3;
// The draws until a marked direction or an existing object comes up are bounded: a generator that
// was never seeded repeats one value for ever. Past the bound (about 1e-51 likely for one choice in
// nine when the generator works) the first qualifying choice is taken.
constexpr int32_t DRAW_LIMIT = 1000;

// A speed and direction that the motion variant gives the new instance before its create event.
struct StartMotion {
    bool given = false;
    float speed = 0.0f;
    float direction = 0.0f;
};

void CreateForAction(int32_t object, float x, float y, StartMotion motion)
{
    if (!Object_Exists(object)) {
        std::string text = "Creating instance for non-existing object: " + std::to_string(object);
        Error_Show_Action(text.c_str(), false);
        return;
    }
    CRoom* room = Run_CurrentRoom();
    if (room == nullptr) return;
    CInstance* made = room->AddInstance(x, y, object);
    if (motion.given) {
        made->SetSpeed(motion.speed);
        made->SetDirection(motion.direction);
    }
    Perform_Event(made, made, EVENT_CREATE, 0);
    made->m_CreatedMark = 1;
}

// A random index below `count` for which `fits` holds, or -1 when none does.
template <typename Fits> int32_t DrawUntil(int32_t count, Fits&& fits)
{
    for (int32_t draw = 0; draw < DRAW_LIMIT; ++draw) {
        auto index = static_cast<int32_t>(Random_Int(count));
        if (fits(index)) return index;
    }
    for (int32_t index = 0; index < count; ++index)
        if (fits(index)) return index;
    return -1;
}

// ---- motion and paths ----------------------------------------------------------------------------

void Builtin_ActionSetRelative(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Action_Relative = Arg_Flag(args[0]) ? 1 : 0;
}

void Builtin_ActionMove(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    const char* text = Arg_TextOrEmpty(args[0]);
    if (std::strlen(text) != MOVE_DIRECTIONS) {
        Error_Show_Action("Wrong argument to action_move().", false);
        return;
    }
    auto marked = [text](int32_t position) { return text[position] == '1'; };
    bool any = false;
    for (int32_t i = 0; i < MOVE_DIRECTIONS; ++i)
        any = any || marked(i);
    if (self == nullptr || !any) return;
    self->SetSpeed(static_cast<float>(Action_Quantity(self->i_speed, args[1])));
    int32_t position = DrawUntil(MOVE_DIRECTIONS, marked);
    self->SetDirection(MOVE_DEGREES[position]);
    if (position == MOVE_STOP) self->SetSpeed(0.0f);
}

void Builtin_ActionSetMotion(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    if (Action_IsRelative()) {
        self->AddMotion(Arg_Float(args[0]), Arg_Float(args[1]));
        return;
    }
    self->SetDirection(Arg_Float(args[0]));
    self->SetSpeed(Arg_Float(args[1]));
}

void Builtin_ActionSetHspeed(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->SetHSpeed(static_cast<float>(Action_Quantity(self->i_hspeed, args[0])));
}

void Builtin_ActionSetVspeed(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->SetVSpeed(static_cast<float>(Action_Quantity(self->i_vspeed, args[0])));
}

void Builtin_ActionSetGravity(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetGravityDirection(static_cast<float>(Action_Quantity(self->i_gravitydir, args[0])));
    self->SetGravity(static_cast<float>(Action_Quantity(self->i_gravity, args[1])));
}

void Builtin_ActionSetFriction(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->SetFriction(static_cast<float>(Action_Quantity(self->i_friction, args[0])));
}

void Builtin_ActionMovePoint(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr)
        Run_MoveTowardsPoint(self, Action_X(self, args[0]), Action_Y(self, args[1]), Arg_Float(args[2]));
}

void Builtin_ActionMoveTo(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->SetPosition(Action_X(self, args[0]), Action_Y(self, args[1]));
}

void Builtin_ActionMoveStart(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetPosition(self->i_xstart, self->i_ystart);
}

void Builtin_ActionMoveRandom(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Game_MoveRandom(self, Arg_Int(args[0]), Arg_Int(args[1]), RANDOM_PLACE_TRIES);
}

void Builtin_ActionSnap(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Run_MoveSnap(self, Arg_Float(args[0]), Arg_Float(args[1]));
}

// Wraps by the sprite's size in the direction of motion, as the room's outside events expect.
void Builtin_ActionWrap(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    int32_t mode = Arg_Int(args[0]);
    bool horizontal = mode == WRAP_HORIZONTAL || mode == WRAP_BOTH;
    bool vertical = mode == WRAP_VERTICAL || mode == WRAP_BOTH;
    if (self != nullptr && (horizontal || vertical)) Run_MoveWrap(self, horizontal, vertical);
}

void Builtin_ActionReverseXdir(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetHSpeed(-self->i_hspeed);
}

void Builtin_ActionReverseYdir(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self != nullptr) self->SetVSpeed(-self->i_vspeed);
}

void Builtin_ActionMoveContact(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Run_MoveContact(self, Arg_Float(args[0]), Arg_Float(args[1]), Arg_Flag(args[2]));
}

void Builtin_ActionBounce(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Run_MoveBounce(self, Arg_Flag(args[0]), Arg_Int(args[1]) == AGAINST_ALL);
}

// The fourth argument 0 keeps self where it is (the path is relative to it), 1 starts the path
// at its own absolute position.
void Builtin_ActionPath(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->PathStart(Arg_Int(args[0]), Arg_Float(args[1]), 1.0f, 0.0f, !Arg_Flag(args[3]), Arg_Int(args[2]));
}

void Builtin_ActionPathEnd(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    if (self == nullptr) return;
    self->SetPathIndex(-1);
    self->SetPathSpeed(0.0f);
}

void Builtin_ActionPathPosition(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr)
        self->SetPathPosition(static_cast<float>(Action_Quantity(self->i_pathposition, args[0])));
}

void Builtin_ActionPathSpeed(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) self->SetPathSpeed(static_cast<float>(Action_Quantity(self->i_pathspeed, args[0])));
}

// The planners avoid every instance, or only solid ones when the fourth argument is below 0.5.
void Builtin_ActionLinearStep(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    MP_LinearStep(self, Action_X(self, args[0]), Action_Y(self, args[1]), Arg_Float(args[2]), PLAN_TARGET_ALL,
                  Arg_Flag(args[3]));
}

void Builtin_ActionPotentialStep(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    MP_PotentialStep(self, Action_X(self, args[0]), Action_Y(self, args[1]), Arg_Float(args[2]),
                     PLAN_TARGET_ALL, Arg_Flag(args[3]));
}

// ---- instances -----------------------------------------------------------------------------------

void Builtin_ActionKillObject(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue*)
{
    Run_DestroyInstance(self);
}

void Builtin_ActionCreateObject(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    CreateForAction(Arg_Int(args[0]), Action_X(self, args[1]), Action_Y(self, args[2]), {});
}

void Builtin_ActionCreateObjectMotion(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    StartMotion motion{true, Arg_Float(args[3]), Arg_Float(args[4])};
    CreateForAction(Arg_Int(args[0]), Action_X(self, args[1]), Action_Y(self, args[2]), motion);
}

// One of four objects drawn until an existing one comes up; nothing when none of them exists.
void Builtin_ActionCreateObjectRandom(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t objects[RANDOM_OBJECTS];
    bool any = false;
    for (int32_t i = 0; i < RANDOM_OBJECTS; ++i) {
        objects[i] = Arg_Int(args[i]);
        any = any || Object_Exists(objects[i]);
    }
    if (!any) return;
    int32_t chosen = DrawUntil(RANDOM_OBJECTS, [&objects](int32_t i) { return Object_Exists(objects[i]); });
    CreateForAction(objects[chosen], Arg_Float(args[4]), Arg_Float(args[5]), {});
}

void Builtin_ActionChangeObject(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self != nullptr) Run_ChangeInstance(self, Arg_Int(args[0]), Arg_Flag(args[1]));
}

void Builtin_ActionKillPosition(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    Run_PositionDestroy(Action_X(self, args[0]), Action_Y(self, args[1]));
}

// ---- self's sprite -------------------------------------------------------------------------------

void Builtin_ActionSetSprite(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetSpriteIndex(Arg_Int(args[0]));
    float scale = Arg_Float(args[1]);
    if (scale <= 0.0f) return;
    self->SetImageXScale(scale);
    self->SetImageYScale(scale);
}

void Builtin_ActionSpriteSet(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetSpriteIndex(Arg_Int(args[0]));
    if (Arg_Real(args[1]) >= 0.0) self->SetImageIndex(Arg_Float(args[1]));
    self->SetImageSpeed(Arg_Float(args[2]));
}

// Mirror 1 flips horizontally, 2 vertically, 3 both.
void Builtin_ActionSpriteTransform(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    int32_t mirror = Arg_Int(args[3]);
    float xscale = Arg_Float(args[0]), yscale = Arg_Float(args[1]);
    self->SetImageXScale(mirror == 1 || mirror == 3 ? -xscale : xscale);
    self->SetImageYScale(mirror == 2 || mirror == 3 ? -yscale : yscale);
    self->SetImageAngle(Arg_Float(args[2]));
}

void Builtin_ActionSpriteColor(ScriptValue*, CInstance* self, CInstance*, int32_t, ScriptValue* args)
{
    if (self == nullptr) return;
    self->SetImageBlend(Action_Colour(args[0]));
    self->SetImageAlpha(Arg_Float(args[1]));
}

const FunctionRow ACTION_MOTION_ROWS[] = {
    {"action_path_old", Builtin_ActionPathOld, 3},
    {"action_set_relative", Builtin_ActionSetRelative, 1},
    {"action_move", Builtin_ActionMove, 2},
    {"action_set_motion", Builtin_ActionSetMotion, 2},
    {"action_set_hspeed", Builtin_ActionSetHspeed, 1},
    {"action_set_vspeed", Builtin_ActionSetVspeed, 1},
    {"action_set_gravity", Builtin_ActionSetGravity, 2},
    {"action_set_friction", Builtin_ActionSetFriction, 1},
    {"action_move_point", Builtin_ActionMovePoint, 3},
    {"action_move_to", Builtin_ActionMoveTo, 2},
    {"action_move_start", Builtin_ActionMoveStart, 0},
    {"action_move_random", Builtin_ActionMoveRandom, 2},
    {"action_snap", Builtin_ActionSnap, 2},
    {"action_wrap", Builtin_ActionWrap, 1},
    {"action_reverse_xdir", Builtin_ActionReverseXdir, 0},
    {"action_reverse_ydir", Builtin_ActionReverseYdir, 0},
    {"action_move_contact", Builtin_ActionMoveContact, 3},
    {"action_bounce", Builtin_ActionBounce, 2},
    {"action_path", Builtin_ActionPath, 4},
    {"action_path_end", Builtin_ActionPathEnd, 0},
    {"action_path_position", Builtin_ActionPathPosition, 1},
    {"action_path_speed", Builtin_ActionPathSpeed, 1},
    {"action_linear_step", Builtin_ActionLinearStep, 4},
    {"action_potential_step", Builtin_ActionPotentialStep, 4},
    {"action_kill_object", Builtin_ActionKillObject, 0},
    {"action_create_object", Builtin_ActionCreateObject, 3},
    {"action_create_object_motion", Builtin_ActionCreateObjectMotion, 5},
    {"action_create_object_random", Builtin_ActionCreateObjectRandom, 6},
    {"action_change_object", Builtin_ActionChangeObject, 2},
    {"action_kill_position", Builtin_ActionKillPosition, 2},
    {"action_set_sprite", Builtin_ActionSetSprite, 2},
    {"action_sprite_set", Builtin_ActionSpriteSet, 3},
    {"action_sprite_transform", Builtin_ActionSpriteTransform, 4},
    {"action_sprite_color", Builtin_ActionSpriteColor, 2},
};

} // namespace

void Function_ActionMotion_Register()
{
    Function_AddRows(ACTION_MOTION_ROWS);
}
