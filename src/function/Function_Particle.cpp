// The Particle family: particle types, particle systems, particles made directly, the emitters,
// attractors, destroyers, deflectors and changers of a system, and the simple effects. Each routine
// converts its arguments and calls the particle layer (src/particle/), which checks every index.
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "particle/Particle_Effect.h"
#include "particle/Particle_Elements.h"

namespace {

// The six rounded values after the type index (RGB and HSV ranges).
void SixInts(const ScriptValue* args, int32_t values[6])
{
    for (int i = 0; i < 6; ++i) values[i] = Arg_Int(args[i + 1]);
}
void Builtin_PartTypeCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, ParticleType_Create());
}
void Builtin_PartTypeDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_Destroy(Arg_Int(a[0]));
}
void Builtin_PartTypeExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleType_Exists(Arg_Int(a[0])));
}
void Builtin_PartTypeClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_Clear(Arg_Int(a[0]));
}
void Builtin_PartTypeShape(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetShape(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartTypeSprite(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetSprite(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Flag(a[2]), Arg_Flag(a[3]), Arg_Flag(a[4]));
}
void Builtin_PartTypeSize(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetSize(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]));
}
void Builtin_PartTypeScale(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetScale(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]));
}
void Builtin_PartTypeLife(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetLife(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartTypeStep(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetStep(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartTypeDeath(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetDeath(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartTypeSpeed(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetSpeed(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]));
}
void Builtin_PartTypeDirection(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetDirection(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]));
}
void Builtin_PartTypeOrientation(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetOrientation(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]),
                                Arg_Flag(a[5]));
}
void Builtin_PartTypeGravity(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetGravity(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]));
}
void Builtin_PartTypeColorMix(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetColorMix(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartTypeColorRgb(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    int32_t values[6];
    SixInts(a, values);
    ParticleType_SetColorRgb(Arg_Int(a[0]), values);
}
void Builtin_PartTypeColorHsv(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    int32_t values[6];
    SixInts(a, values);
    ParticleType_SetColorHsv(Arg_Int(a[0]), values);
}
void Builtin_PartTypeColor1(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetColor1(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartTypeColor2(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetColor2(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartTypeColor3(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetColor3(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
}
void Builtin_PartTypeAlpha1(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetAlpha1(Arg_Int(a[0]), Arg_Float(a[1]));
}
void Builtin_PartTypeAlpha2(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetAlpha2(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]));
}
void Builtin_PartTypeAlpha3(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetAlpha3(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]), Arg_Float(a[3]));
}
void Builtin_PartTypeBlend(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleType_SetBlend(Arg_Int(a[0]), Arg_Flag(a[1]));
}
void Builtin_PartSystemCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, ParticleSystem_Create());
}
void Builtin_PartSystemDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_Destroy(Arg_Int(a[0]));
}
void Builtin_PartSystemExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleSystem_Exists(Arg_Int(a[0])));
}
void Builtin_PartSystemClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_Clear(Arg_Int(a[0]));
}
void Builtin_PartSystemDrawOrder(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_SetDrawOrder(Arg_Int(a[0]), Arg_Flag(a[1]));
}
void Builtin_PartSystemDepth(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_SetDepth(Arg_Int(a[0]), Arg_Float(a[1]));
}
void Builtin_PartSystemPosition(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_SetPosition(Arg_Int(a[0]), Arg_Float(a[1]), Arg_Float(a[2]));
}
void Builtin_PartSystemAutomaticUpdate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_SetAutomaticUpdate(Arg_Int(a[0]), Arg_Flag(a[1]));
}
void Builtin_PartSystemAutomaticDraw(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_SetAutomaticDraw(Arg_Int(a[0]), Arg_Flag(a[1]));
}
void Builtin_PartSystemUpdate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_Update(Arg_Int(a[0]));
}
void Builtin_PartSystemDrawit(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_Draw(Arg_Int(a[0]));
}
void Builtin_PartParticlesCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_CreateParticles(Arg_Int(a[0]), float(Arg_Real(a[1])), Arg_Float(a[2]), Arg_Int(a[3]), Arg_Int(a[4]));
}
void Builtin_PartParticlesCreateColor(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_CreateParticlesColor(Arg_Int(a[0]), float(Arg_Real(a[1])), Arg_Float(a[2]), Arg_Int(a[3]),
                                        uint32_t(Arg_Int(a[4])), Arg_Int(a[5]));
}
void Builtin_PartParticlesClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleSystem_ClearParticles(Arg_Int(a[0]));
}
void Builtin_PartParticlesCount(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleSystem_ParticleCount(Arg_Int(a[0])));
}
void Builtin_PartEmitterCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleEmitter_Create(Arg_Int(a[0])));
}
void Builtin_PartEmitterDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_Destroy(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartEmitterDestroyAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_DestroyAll(Arg_Int(a[0]));
}
void Builtin_PartEmitterExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleEmitter_Exists(Arg_Int(a[0]), Arg_Int(a[1])));
}
void Builtin_PartEmitterClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_Clear(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartEmitterRegion(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_SetRegion(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]),
                              Arg_Float(a[5]), Arg_Int(a[6]), Arg_Int(a[7]));
}
void Builtin_PartEmitterBurst(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_Burst(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
}
void Builtin_PartEmitterStream(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleEmitter_SetStream(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
}
void Builtin_PartAttractorCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleAttractor_Create(Arg_Int(a[0])));
}
void Builtin_PartAttractorDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleAttractor_Destroy(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartAttractorDestroyAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleAttractor_DestroyAll(Arg_Int(a[0]));
}
void Builtin_PartAttractorExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleAttractor_Exists(Arg_Int(a[0]), Arg_Int(a[1])));
}
void Builtin_PartAttractorClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleAttractor_Clear(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartAttractorPosition(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleAttractor_SetPosition(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]));
}
void Builtin_PartAttractorForce(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleAttractor_SetForce(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Int(a[4]),
                               Arg_Flag(a[5]));
}
void Builtin_PartDestroyerCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleDestroyer_Create(Arg_Int(a[0])));
}
void Builtin_PartDestroyerDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDestroyer_Destroy(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartDestroyerDestroyAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDestroyer_DestroyAll(Arg_Int(a[0]));
}
void Builtin_PartDestroyerExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleDestroyer_Exists(Arg_Int(a[0]), Arg_Int(a[1])));
}
void Builtin_PartDestroyerClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDestroyer_Clear(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartDestroyerRegion(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDestroyer_SetRegion(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]),
                                Arg_Float(a[5]), Arg_Int(a[6]));
}
void Builtin_PartDeflectorCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleDeflector_Create(Arg_Int(a[0])));
}
void Builtin_PartDeflectorDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_Destroy(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartDeflectorDestroyAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_DestroyAll(Arg_Int(a[0]));
}
void Builtin_PartDeflectorExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleDeflector_Exists(Arg_Int(a[0]), Arg_Int(a[1])));
}
void Builtin_PartDeflectorClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_Clear(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartDeflectorRegion(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_SetRegion(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]),
                                Arg_Float(a[5]));
}
void Builtin_PartDeflectorKind(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_SetKind(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartDeflectorFriction(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleDeflector_SetFriction(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]));
}
void Builtin_PartChangerCreate(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Real(result, ParticleChanger_Create(Arg_Int(a[0])));
}
void Builtin_PartChangerDestroy(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_Destroy(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartChangerDestroyAll(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_DestroyAll(Arg_Int(a[0]));
}
void Builtin_PartChangerExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Result_Bool(result, ParticleChanger_Exists(Arg_Int(a[0]), Arg_Int(a[1])));
}
void Builtin_PartChangerClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_Clear(Arg_Int(a[0]), Arg_Int(a[1]));
}
void Builtin_PartChangerRegion(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_SetRegion(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Float(a[2]), Arg_Float(a[3]), Arg_Float(a[4]),
                              Arg_Float(a[5]), Arg_Int(a[6]));
}
void Builtin_PartChangerKind(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_SetKind(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]));
}
void Builtin_PartChangerTypes(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    ParticleChanger_SetTypes(Arg_Int(a[0]), Arg_Int(a[1]), Arg_Int(a[2]), Arg_Int(a[3]));
}
void Builtin_EffectCreateBelow(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Effect_Create(true, Arg_Int(a[0]), Arg_Real(a[1]), Arg_Float(a[2]), Arg_Int(a[3]), uint32_t(Arg_Int(a[4])));
}
void Builtin_EffectCreateAbove(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* a)
{
    Effect_Create(false, Arg_Int(a[0]), Arg_Real(a[1]), Arg_Float(a[2]), Arg_Int(a[3]), uint32_t(Arg_Int(a[4])));
}
void Builtin_EffectClear(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Effect_Clear();
}
// part_type_color and part_type_alpha are the three-value routines under older names.
const FunctionRow PARTICLE_ROWS[] = {
    {"part_type_create", Builtin_PartTypeCreate, 0},
    {"part_type_destroy", Builtin_PartTypeDestroy, 1},
    {"part_type_exists", Builtin_PartTypeExists, 1},
    {"part_type_clear", Builtin_PartTypeClear, 1},
    {"part_type_shape", Builtin_PartTypeShape, 2},
    {"part_type_sprite", Builtin_PartTypeSprite, 5},
    {"part_type_size", Builtin_PartTypeSize, 5},
    {"part_type_scale", Builtin_PartTypeScale, 3},
    {"part_type_life", Builtin_PartTypeLife, 3},
    {"part_type_step", Builtin_PartTypeStep, 3},
    {"part_type_death", Builtin_PartTypeDeath, 3},
    {"part_type_speed", Builtin_PartTypeSpeed, 5},
    {"part_type_direction", Builtin_PartTypeDirection, 5},
    {"part_type_orientation", Builtin_PartTypeOrientation, 6},
    {"part_type_gravity", Builtin_PartTypeGravity, 3},
    {"part_type_color_mix", Builtin_PartTypeColorMix, 3},
    {"part_type_color_rgb", Builtin_PartTypeColorRgb, 7},
    {"part_type_color_hsv", Builtin_PartTypeColorHsv, 7},
    {"part_type_color1", Builtin_PartTypeColor1, 2},
    {"part_type_color2", Builtin_PartTypeColor2, 3},
    {"part_type_color3", Builtin_PartTypeColor3, 4},
    {"part_type_color", Builtin_PartTypeColor3, 4},
    {"part_type_alpha1", Builtin_PartTypeAlpha1, 2},
    {"part_type_alpha2", Builtin_PartTypeAlpha2, 3},
    {"part_type_alpha3", Builtin_PartTypeAlpha3, 4},
    {"part_type_alpha", Builtin_PartTypeAlpha3, 4},
    {"part_type_blend", Builtin_PartTypeBlend, 2},
    {"part_system_create", Builtin_PartSystemCreate, 0},
    {"part_system_destroy", Builtin_PartSystemDestroy, 1},
    {"part_system_exists", Builtin_PartSystemExists, 1},
    {"part_system_clear", Builtin_PartSystemClear, 1},
    {"part_system_draw_order", Builtin_PartSystemDrawOrder, 2},
    {"part_system_depth", Builtin_PartSystemDepth, 2},
    {"part_system_position", Builtin_PartSystemPosition, 3},
    {"part_system_automatic_update", Builtin_PartSystemAutomaticUpdate, 2},
    {"part_system_automatic_draw", Builtin_PartSystemAutomaticDraw, 2},
    {"part_system_update", Builtin_PartSystemUpdate, 1},
    {"part_system_drawit", Builtin_PartSystemDrawit, 1},
    {"part_particles_create", Builtin_PartParticlesCreate, 5},
    {"part_particles_create_color", Builtin_PartParticlesCreateColor, 6},
    {"part_particles_clear", Builtin_PartParticlesClear, 1},
    {"part_particles_count", Builtin_PartParticlesCount, 1},
    {"part_emitter_create", Builtin_PartEmitterCreate, 1},
    {"part_emitter_destroy", Builtin_PartEmitterDestroy, 2},
    {"part_emitter_destroy_all", Builtin_PartEmitterDestroyAll, 1},
    {"part_emitter_exists", Builtin_PartEmitterExists, 2},
    {"part_emitter_clear", Builtin_PartEmitterClear, 2},
    {"part_emitter_region", Builtin_PartEmitterRegion, 8},
    {"part_emitter_burst", Builtin_PartEmitterBurst, 4},
    {"part_emitter_stream", Builtin_PartEmitterStream, 4},
    {"part_attractor_create", Builtin_PartAttractorCreate, 1},
    {"part_attractor_destroy", Builtin_PartAttractorDestroy, 2},
    {"part_attractor_destroy_all", Builtin_PartAttractorDestroyAll, 1},
    {"part_attractor_exists", Builtin_PartAttractorExists, 2},
    {"part_attractor_clear", Builtin_PartAttractorClear, 2},
    {"part_attractor_position", Builtin_PartAttractorPosition, 4},
    {"part_attractor_force", Builtin_PartAttractorForce, 6},
    {"part_destroyer_create", Builtin_PartDestroyerCreate, 1},
    {"part_destroyer_destroy", Builtin_PartDestroyerDestroy, 2},
    {"part_destroyer_destroy_all", Builtin_PartDestroyerDestroyAll, 1},
    {"part_destroyer_exists", Builtin_PartDestroyerExists, 2},
    {"part_destroyer_clear", Builtin_PartDestroyerClear, 2},
    {"part_destroyer_region", Builtin_PartDestroyerRegion, 7},
    {"part_deflector_create", Builtin_PartDeflectorCreate, 1},
    {"part_deflector_destroy", Builtin_PartDeflectorDestroy, 2},
    {"part_deflector_destroy_all", Builtin_PartDeflectorDestroyAll, 1},
    {"part_deflector_exists", Builtin_PartDeflectorExists, 2},
    {"part_deflector_clear", Builtin_PartDeflectorClear, 2},
    {"part_deflector_region", Builtin_PartDeflectorRegion, 6},
    {"part_deflector_kind", Builtin_PartDeflectorKind, 3},
    {"part_deflector_friction", Builtin_PartDeflectorFriction, 3},
    {"part_changer_create", Builtin_PartChangerCreate, 1},
    {"part_changer_destroy", Builtin_PartChangerDestroy, 2},
    {"part_changer_destroy_all", Builtin_PartChangerDestroyAll, 1},
    {"part_changer_exists", Builtin_PartChangerExists, 2},
    {"part_changer_clear", Builtin_PartChangerClear, 2},
    {"part_changer_region", Builtin_PartChangerRegion, 7},
    {"part_changer_kind", Builtin_PartChangerKind, 3},
    {"part_changer_types", Builtin_PartChangerTypes, 4},
    {"effect_create_below", Builtin_EffectCreateBelow, 5},
    {"effect_create_above", Builtin_EffectCreateAbove, 5},
    {"effect_clear", Builtin_EffectClear, 0},
};

} // namespace

void Function_Particle_Init()
{
    Function_AddRows(PARTICLE_ROWS);
}
