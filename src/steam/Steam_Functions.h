// The steam_ family's registrar (it starts Steam first) and its shared argument check.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

void InitSteamFunctions();
// Reports "Illegal argument count" or "Illegal argument type" unless the arguments match the kinds
// ('S' string, 'R' real), compared over the whole kind word.
bool Steam_CheckArgs(int32_t argc, const ScriptValue* args, const char* kinds);
