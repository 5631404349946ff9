// The particle actions over the one particle system the actions own, with 16 type slots and 16
// emitter slots. A slot outside 0 to 15 is refused: the action then does nothing.
#include <array>

#include "code/Code_Error.h"
#include "function/Function_Action.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_Elements.h"
#include "particle/Particle_System.h"
#include "particle/Particle_Type.h"

namespace {

constexpr int32_t EMPTY = -1;
constexpr int32_t DISTRIBUTION_LINEAR = 0;
constexpr int32_t COLOUR_MIXED = 0;

using SlotIds = std::array<int32_t, ACTION_PARTICLE_SLOTS>;

SlotIds EmptySlots()
{
    SlotIds slots;
    slots.fill(EMPTY);
    return slots;
}

int32_t g_System = EMPTY;
SlotIds g_Types = EmptySlots();
SlotIds g_Emitters = EmptySlots();

void ForgetSlots()
{
    g_Types = EmptySlots();
    g_Emitters = EmptySlots();
}

int32_t System()
{
    if (g_System == EMPTY) g_System = ParticleSystem_Create();
    return g_System;
}

// The slot number, or -1 when it lies outside the 16 slots.
int32_t Slot(const ScriptValue& value)
{
    int32_t slot = Arg_Int(value);
    return slot >= 0 && slot < ACTION_PARTICLE_SLOTS ? slot : EMPTY;
}

// The type of the slot, made when the slot is empty; -1 for a refused slot.
int32_t TypeOfSlot(const ScriptValue& value)
{
    System();
    int32_t slot = Slot(value);
    if (slot == EMPTY) return EMPTY;
    if (g_Types[slot] == EMPTY) g_Types[slot] = ParticleType_Create();
    return g_Types[slot];
}

// The type a slot holds (-1 when empty or refused), for the secondary and emitting actions.
int32_t HeldType(const ScriptValue& value)
{
    int32_t slot = Slot(value);
    return slot == EMPTY ? EMPTY : g_Types[slot];
}

void Builtin_ActionPartsystCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t system = System();
    ParticleSystem_Clear(system);
    ParticleSystem_SetDepth(system, Arg_Float(args[0]));
    ForgetSlots();
}

void Builtin_ActionPartsystDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (g_System == EMPTY) return;
    ParticleSystem_Destroy(g_System);
    g_System = EMPTY;
}

void Builtin_ActionPartsystClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    if (g_System != EMPTY) ParticleSystem_ClearParticles(g_System);
}

void Builtin_ActionParttypeCreateOld(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type == EMPTY) return;
    ParticleType_SetShape(type, Arg_Int(args[1]));
    ParticleType_SetSize(type, Arg_Float(args[2]), Arg_Float(args[3]), 0.0f, 0.0f);
    ParticleType_SetColor2(type, Action_Colour(args[4]), Action_Colour(args[5]));
}

// The sprite is animated, not stretched and not random; a missing sprite leaves the shape.
void Builtin_ActionParttypeCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type == EMPTY) return;
    ParticleType_SetShape(type, Arg_Int(args[1]));
    ParticleType_SetSprite(type, Arg_Int(args[2]), true, false, false);
    ParticleType_SetSize(type, Arg_Float(args[3]), Arg_Float(args[4]), Arg_Float(args[5]), 0.0f);
}

void Builtin_ActionParttypeColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type == EMPTY) return;
    uint32_t first = Action_Colour(args[2]), second = Action_Colour(args[3]);
    if (Arg_Int(args[1]) == COLOUR_MIXED)
        ParticleType_SetColorMix(type, first, second);
    else
        ParticleType_SetColor2(type, first, second);
    ParticleType_SetAlpha2(type, Arg_Float(args[4]), Arg_Float(args[5]));
}

void Builtin_ActionParttypeLife(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type != EMPTY) ParticleType_SetLife(type, Arg_Float(args[1]), Arg_Float(args[2]));
}

// Friction slows the particles: a negative speed increase.
void Builtin_ActionParttypeSpeed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type == EMPTY) return;
    ParticleType_SetSpeed(type, Arg_Float(args[1]), Arg_Float(args[2]), -Arg_Float(args[5]), 0.0f);
    ParticleType_SetDirection(type, Arg_Float(args[3]), Arg_Float(args[4]), 0.0f, 0.0f);
}

void Builtin_ActionParttypeGravity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t type = TypeOfSlot(args[0]);
    if (type != EMPTY) ParticleType_SetGravity(type, Arg_Float(args[1]), Arg_Float(args[2]));
}

void Builtin_ActionParttypeSecondary(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (Slot(args[1]) == EMPTY || Slot(args[3]) == EMPTY) return;
    int32_t type = TypeOfSlot(args[0]);
    if (type == EMPTY) return;
    ParticleType_SetStep(type, Arg_Int(args[2]), HeldType(args[1]));
    ParticleType_SetDeath(type, Arg_Int(args[4]), HeldType(args[3]));
}

void Builtin_ActionPartemitCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t system = System();
    int32_t slot = Slot(args[0]);
    if (slot == EMPTY) return;
    if (g_Emitters[slot] == EMPTY) g_Emitters[slot] = ParticleEmitter_Create(system);
    ParticleEmitter_SetRegion(system, g_Emitters[slot], Arg_Float(args[2]), Arg_Float(args[3]),
                              Arg_Float(args[4]), Arg_Float(args[5]), Arg_Int(args[1]), DISTRIBUTION_LINEAR);
}

// The slot keeps the destroyed emitter's id.
void Builtin_ActionPartemitDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t system = System();
    int32_t slot = Slot(args[0]);
    if (slot != EMPTY && g_Emitters[slot] != EMPTY) ParticleEmitter_Destroy(system, g_Emitters[slot]);
}

// The emitter of the slot, or -1 after reporting an empty slot (and for a refused one).
int32_t EmitterOrReport(const ScriptValue& value)
{
    int32_t slot = Slot(value);
    if (slot == EMPTY) return EMPTY;
    if (g_Emitters[slot] == EMPTY) Error_Show_Action("The particle emitter must first be created.", false);
    return g_Emitters[slot];
}

void Builtin_ActionPartemitBurst(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t system = System();
    if (Slot(args[1]) == EMPTY) return;
    int32_t emitter = EmitterOrReport(args[0]);
    if (emitter != EMPTY) ParticleEmitter_Burst(system, emitter, HeldType(args[1]), Arg_Int(args[2]));
}

void Builtin_ActionPartemitStream(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    int32_t system = System();
    if (Slot(args[1]) == EMPTY) return;
    int32_t emitter = EmitterOrReport(args[0]);
    if (emitter != EMPTY) ParticleEmitter_SetStream(system, emitter, HeldType(args[1]), Arg_Int(args[2]));
}

const FunctionRow ACTION_PARTICLE_ROWS[] = {
    {"action_partsyst_create", Builtin_ActionPartsystCreate, 1},
    {"action_partsyst_destroy", Builtin_ActionPartsystDestroy, 0},
    {"action_partsyst_clear", Builtin_ActionPartsystClear, 0},
    {"action_parttype_create_old", Builtin_ActionParttypeCreateOld, 6},
    {"action_parttype_create", Builtin_ActionParttypeCreate, 6},
    {"action_parttype_color", Builtin_ActionParttypeColor, 6},
    {"action_parttype_life", Builtin_ActionParttypeLife, 3},
    {"action_parttype_speed", Builtin_ActionParttypeSpeed, 6},
    {"action_parttype_gravity", Builtin_ActionParttypeGravity, 3},
    {"action_parttype_secondary", Builtin_ActionParttypeSecondary, 5},
    {"action_partemit_create", Builtin_ActionPartemitCreate, 6},
    {"action_partemit_destroy", Builtin_ActionPartemitDestroy, 1},
    {"action_partemit_burst", Builtin_ActionPartemitBurst, 3},
    {"action_partemit_stream", Builtin_ActionPartemitStream, 3},
};

} // namespace

int32_t Action_ParticleSystem()
{
    return g_System;
}

int32_t Action_ParticleType(int32_t slot)
{
    return slot >= 0 && slot < ACTION_PARTICLE_SLOTS ? g_Types[slot] : EMPTY;
}

int32_t Action_ParticleEmitter(int32_t slot)
{
    return slot >= 0 && slot < ACTION_PARTICLE_SLOTS ? g_Emitters[slot] : EMPTY;
}

void Function_ActionParticles_Register()
{
    Function_AddRows(ACTION_PARTICLE_ROWS);
}
