// The drag-and-drop action family (action_*): what its groups share. Every action works on self and
// does nothing without one. With the relative flag on, a position given to an action is an offset
// from self and a quantity is added to the current one; the flag holds within one event's code.
#pragma once

#include <cstdint>
#include <string>

#include "code/Code_Value.h"

class CInstance;

bool Action_IsRelative();
// The position argument, offset by self's x or y when relative.
float Action_X(const CInstance* self, const ScriptValue& x);
float Action_Y(const CInstance* self, const ScriptValue& y);
// The value, or the value added to `current` when relative.
double Action_Quantity(double current, const ScriptValue& value);
// The same for a whole 32-bit quantity (score, lives): the sum wraps as 32-bit arithmetic does.
int32_t Action_WholeQuantity(int32_t current, const ScriptValue& value);
// A question's answer to "operation": 1 smaller than, 2 larger than, anything else equal.
bool Action_Compare(double value, double against, int32_t operation);
// A colour argument: the low 24 bits of the whole number (red in the low byte).
uint32_t Action_Colour(const ScriptValue& value);

// The text action_draw_variable draws for a value.
std::string Action_VariableText(const ScriptValue& value);
// The box x1, y1, x2, y2 in which action_highscore_show draws the table: 200 by 200, centred.
void Action_HighscoreBox(int32_t roomWidth, int32_t roomHeight, double box[4]);

// The particle actions' system (-1 for none), and the type or emitter id a slot 0 to 15 holds
// (-1 when empty or outside the slots).
constexpr int32_t ACTION_PARTICLE_SLOTS = 16;
int32_t Action_ParticleSystem();
int32_t Action_ParticleType(int32_t slot);
int32_t Action_ParticleEmitter(int32_t slot);

// The obsolete actions: they do nothing.
void Builtin_ActionPathOld(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);

// The groups, registered in this order: motion, paths, instances and sprites; sounds, rooms,
// timing, information and resources; questions, code, score, lives and health; particles; CD,
// other and drawing.
void Function_ActionMotion_Register();
void Function_ActionGame_Register();
void Function_ActionQuestions_Register();
void Function_ActionParticles_Register();
void Function_ActionDraw_Register();
