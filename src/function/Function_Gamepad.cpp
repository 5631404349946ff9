// The Gamepad family: support, slots, connection and description, the threshold and dead zone of a
// pad, its buttons and axes, and its motors. The pads and their mapping live in io/IO_Gamepad.h.
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "io/IO_Gamepad.h"

namespace {

// The pad of argument 0 (rounded), or null for an invalid index; a short call reports itself.
Gamepad* PadArgument(int32_t argc, ScriptValue* args, int32_t needed)
{
    if (argc < needed) {
        Error_Show("Wrong number of arguments to function or script.", false);
        return nullptr;
    }
    return IO_Gamepad_Get(Arg_Int(args[0]));
}

// Routines that read buttons, axes or motors warn once when gamepad support is missing.
Gamepad* ReadingPad(int32_t argc, ScriptValue* args, int32_t needed)
{
    if (argc >= needed) IO_Gamepad_WarnMissing();
    return PadArgument(argc, args, needed);
}

// A setting of 0 to 1 (both included), or the message and no change.
void SetUnitSetting(float* setting, const ScriptValue& value, const char* message)
{
    float wanted = Arg_Float(value);
    if (wanted >= 0.0f && wanted <= 1.0f) *setting = wanted;
    else Error_Show(message, false);
}

void Builtin_GamepadIsSupported(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Bool(result, IO_Gamepad_IsSupported());
}

void Builtin_GamepadGetDeviceCount(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, IO_Gamepad_Count());
}

void Builtin_GamepadIsConnected(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = PadArgument(argc, args, 1)) Result_Bool(result, pad->m_Connected != 0);
}

void Builtin_GamepadGetDescription(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    Result_Text(result, "");
    if (Gamepad* pad = PadArgument(argc, args, 1)) Result_Text(result, pad->m_Description);
}

void Builtin_GamepadGetButtonThreshold(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = PadArgument(argc, args, 1)) Result_Real(result, pad->m_ButtonThreshold);
}

void Builtin_GamepadSetButtonThreshold(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = PadArgument(argc, args, 2))
        SetUnitSetting(&pad->m_ButtonThreshold, args[1], "Button threshold is outside the accepted range");
}

void Builtin_GamepadGetAxisDeadzone(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = PadArgument(argc, args, 1)) Result_Real(result, pad->m_AxisDeadzone);
}

void Builtin_GamepadSetAxisDeadzone(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = PadArgument(argc, args, 2))
        SetUnitSetting(&pad->m_AxisDeadzone, args[1], "Axis dead zone is outside the accepted range");
}

void Builtin_GamepadButtonCount(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 1)) Result_Real(result, pad->ButtonCount());
}

int32_t ButtonArgument(const ScriptValue* args)
{
    return IO_Gamepad_MapButton(Arg_Int(args[0]), Arg_Int(args[1]));
}

void Builtin_GamepadButtonCheck(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 2)) Result_Bool(result, pad->ButtonDown(ButtonArgument(args)));
}

void Builtin_GamepadButtonCheckPressed(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 2)) Result_Bool(result, pad->ButtonPressed(ButtonArgument(args)));
}

void Builtin_GamepadButtonCheckReleased(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 2)) Result_Bool(result, pad->ButtonReleased(ButtonArgument(args)));
}

void Builtin_GamepadButtonValue(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 2)) Result_Real(result, pad->ButtonValue(ButtonArgument(args)));
}

void Builtin_GamepadAxisCount(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 1)) Result_Real(result, pad->AxisCount());
}

void Builtin_GamepadAxisValue(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 2))
        Result_Real(result, pad->AxisValue(IO_Gamepad_MapAxis(Arg_Int(args[0]), Arg_Int(args[1]))));
}

void Builtin_GamepadSetVibration(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    if (Gamepad* pad = ReadingPad(argc, args, 3)) pad->SetVibration(Arg_Float(args[1]), Arg_Float(args[2]));
}

const FunctionRow GAMEPAD_FUNCTIONS[] = {
    {"gamepad_is_supported", Builtin_GamepadIsSupported, 0},
    {"gamepad_get_device_count", Builtin_GamepadGetDeviceCount, 0},
    {"gamepad_is_connected", Builtin_GamepadIsConnected, 1},
    {"gamepad_get_description", Builtin_GamepadGetDescription, 1},
    {"gamepad_get_button_threshold", Builtin_GamepadGetButtonThreshold, 1},
    {"gamepad_set_button_threshold", Builtin_GamepadSetButtonThreshold, 2},
    {"gamepad_get_axis_deadzone", Builtin_GamepadGetAxisDeadzone, 1},
    {"gamepad_set_axis_deadzone", Builtin_GamepadSetAxisDeadzone, 2},
    {"gamepad_button_count", Builtin_GamepadButtonCount, 1},
    {"gamepad_button_check", Builtin_GamepadButtonCheck, 2},
    {"gamepad_button_check_pressed", Builtin_GamepadButtonCheckPressed, 2},
    {"gamepad_button_check_released", Builtin_GamepadButtonCheckReleased, 2},
    {"gamepad_button_value", Builtin_GamepadButtonValue, 2},
    {"gamepad_axis_count", Builtin_GamepadAxisCount, 1},
    {"gamepad_axis_value", Builtin_GamepadAxisValue, 2},
    {"gamepad_set_vibration", Builtin_GamepadSetVibration, 3},
};

} // namespace

void Function_Gamepad_Init()
{
    Function_AddRows(GAMEPAD_FUNCTIONS);
    IO_Gamepad_Init();
}
