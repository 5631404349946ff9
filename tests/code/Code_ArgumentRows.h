// The argument variables (argument0 to argument15, argument[] and argument_count) as rows of the
// built-in variable table over the script argument slots, for the test processes and fuzz targets
// that do not register the whole table.
#pragma once

#include <string>
#include <utility>

#include "code/Code_Interpreter.h"
#include "code/Code_Value.h"
#include "variable/Variable_BuiltIn.h"

namespace vmtest {

// The rows of argument0 to argument15, argument[] and argument_count read and write the script
// argument slots. Only the rows that are missing are added.
template <int Slot> bool GetArgument(CInstance*, int32_t index, ScriptValue* out)
{
    return Value_GetArrayElement(out, &g_ScriptArguments[Slot], index);
}
template <int Slot> bool SetArgument(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_SetArrayElement(&g_ScriptArguments[Slot], value, index);
    return true;
}
inline ScriptValue& ArgumentSlot(int32_t index)
{
    return g_ScriptArguments[index >= 0 && index < SCRIPT_ARGUMENT_COUNT ? index : 0];
}
template <int... Slots> void AddArgumentRows(std::integer_sequence<int, Slots...>)
{
    (Variable_BuiltIn_Add(("argument" + std::to_string(Slots)).c_str(), GetArgument<Slots>, SetArgument<Slots>, true),
     ...);
}
inline void RegisterArgumentVariables()
{
    if (Variable_BuiltIn_Find("argument0") < 0) AddArgumentRows(std::make_integer_sequence<int, SCRIPT_ARGUMENT_COUNT>());
    if (Variable_BuiltIn_Find("argument") < 0)
        Variable_BuiltIn_Add(
            "argument", [](CInstance*, int32_t i, ScriptValue* out) { return Value_Copy(out, &ArgumentSlot(i)), true; },
            [](CInstance*, int32_t i, const ScriptValue* value) { return Value_Copy(&ArgumentSlot(i), value), true; },
            true);
    if (Variable_BuiltIn_Find("argument_count") < 0)
        Variable_BuiltIn_Add(
            "argument_count",
            [](CInstance*, int32_t, ScriptValue* out) { return Value_SetReal(out, g_ScriptArgumentCount), true; },
            nullptr, false);
}

} // namespace vmtest
