// The action family's registrar, its relative flag and the helpers its groups share.
#include "function/Function_Action.h"

#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "instance/Instance_Class.h"

uint8_t Action_Relative = 0;
uint8_t g_CaptionSettingsChanged = 0;

bool Action_IsRelative()
{
    return Action_Relative != 0;
}

float Action_X(const CInstance* self, const ScriptValue& x)
{
    double offset = Action_IsRelative() && self != nullptr ? self->i_x : 0.0;
    return static_cast<float>(Arg_Real(x) + offset);
}

float Action_Y(const CInstance* self, const ScriptValue& y)
{
    double offset = Action_IsRelative() && self != nullptr ? self->i_y : 0.0;
    return static_cast<float>(Arg_Real(y) + offset);
}

double Action_Quantity(double current, const ScriptValue& value)
{
    return Action_IsRelative() ? current + Arg_Real(value) : Arg_Real(value);
}

int32_t Action_WholeQuantity(int32_t current, const ScriptValue& value)
{
    int32_t given = Arg_Int(value);
    if (!Action_IsRelative()) return given;
    return static_cast<int32_t>(static_cast<uint32_t>(current) + static_cast<uint32_t>(given));
}

bool Action_Compare(double value, double against, int32_t operation)
{
    if (operation == 1) return value < against;
    if (operation == 2) return value > against;
    return value == against;
}

uint32_t Action_Colour(const ScriptValue& value)
{
    return static_cast<uint32_t>(Arg_Int64(value)) & 0xFFFFFFu;
}

void Builtin_ActionPathOld(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

void InitActionFunctions()
{
    Function_ActionMotion_Register();
    Function_ActionGame_Register();
    Function_ActionQuestions_Register();
    Function_ActionParticles_Register();
    Function_ActionDraw_Register();
}
