// What the tree executor's tests share: the argument variables (argument0 to argument15, argument[]
// and argument_count) as rows of the built-in variable table over the script argument slots, for
// test processes that do not register the whole table.
#pragma once

#include <string>
#include <utility>

#include "code/Code_Interpreter.h"
#include "variable/Variable_BuiltIn.h"

namespace exectest {

inline int32_t ArgumentSlot(int32_t index)
{
    return index >= 0 && index < SCRIPT_ARGUMENT_COUNT ? index : 0;
}

template <int Slot> bool GetArgument(CInstance*, int32_t index, ScriptValue* out)
{
    return Value_GetArrayElement(out, &g_ScriptArguments[Slot], index);
}
template <int Slot> bool SetArgument(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_SetArrayElement(&g_ScriptArguments[Slot], value, index);
    return true;
}
inline bool GetArgumentArray(CInstance*, int32_t index, ScriptValue* out)
{
    Value_Copy(out, &g_ScriptArguments[ArgumentSlot(index)]);
    return true;
}
inline bool SetArgumentArray(CInstance*, int32_t index, const ScriptValue* value)
{
    Value_Copy(&g_ScriptArguments[ArgumentSlot(index)], value);
    return true;
}
inline bool GetArgumentCount(CInstance*, int32_t, ScriptValue* out)
{
    Value_SetReal(out, g_ScriptArgumentCount);
    return true;
}

template <int... Slots> void AddArgumentRows(std::integer_sequence<int, Slots...>)
{
    (Variable_BuiltIn_Add(("argument" + std::to_string(Slots)).c_str(), GetArgument<Slots>,
                          SetArgument<Slots>, true),
     ...);
}

// Adds the rows that are missing.
inline void RegisterArgumentVariables()
{
    if (Variable_BuiltIn_Find("argument0") < 0)
        AddArgumentRows(std::make_integer_sequence<int, SCRIPT_ARGUMENT_COUNT>());
    if (Variable_BuiltIn_Find("argument") < 0)
        Variable_BuiltIn_Add("argument", GetArgumentArray, SetArgumentArray, true);
    if (Variable_BuiltIn_Find("argument_count") < 0)
        Variable_BuiltIn_Add("argument_count", GetArgumentCount, nullptr, false);
}

} // namespace exectest
