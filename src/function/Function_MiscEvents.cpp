// The Misc family's first group: its table in registration order, and the routines for events, the
// script log and variables by name. External calls and run-time code have files of their own.
#include "function/Function_MiscEvents.h"

#include <string>

#include "base/Base_Console.h"
#include "function/Function_Args.h"
#include "function/Function_Families.h"
#include "function/Function_Registry.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// The value as string() gives it: a string as it stands, a real as "%d" when whole, else "%.2f".
std::string ValueText(const ScriptValue& value)
{
    if (Arg_IsString(value)) return Arg_TextOrEmpty(value);
    ValueTextBuffer text{nullptr, nullptr, 0};
    Value_ToString(&text, &value);
    std::string copy = text.start != nullptr ? text.start : "";
    MemoryManager::Free(text.start);
    return copy;
}

void Builtin_ShowDebugMessage(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ScriptConsole->Output("%s\n", ValueText(args[0]).c_str());
}

const FunctionRow MISC_EVENT_ROWS[] = {
    {"show_debug_message", Builtin_ShowDebugMessage, 1},
};

} // namespace

void Function_MiscEvents_Register()
{
    Function_AddRows(MISC_EVENT_ROWS);
}
