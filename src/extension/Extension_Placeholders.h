// Extension services of game preparation, standing in until extension packages are loaded.
#pragma once

#include <cstdint>

class CInstance;
struct ScriptValue;

// Defines the extension packages' functions and constants; false stops game preparation.
bool Extension_Prepare();
// Calls the extension function with the identifier (the call identifier minus 500000) with the
// arguments (argument 0 first) into the result (preset to real 0); false when there is no such
// function.
bool Extension_CallDll(int32_t id, int32_t argc, ScriptValue* args, ScriptValue* result);
// The tree-walking executor's call of the extension function with the identifier, for self and
// other, into the result; false when the identifier names no function or the call failed (the last
// error text then holding the report).
bool Extension_CallFunction(int32_t id, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args,
                            ScriptValue* result);
// Calls every extension file's initialisation function; false stops the game's start.
bool Extension_CallInitFunctions();
// Calls every extension file's finalisation function; true lets the game's end restore the cursor.
bool Extension_CallFinalFunctions();

// The external-call layer: functions of dynamic libraries defined by name and called by identifier.
// Defines the function (convention 1 stdcall, else cdecl; `types` holds `argc` codes, 0 real, else
// string; result type 0 real, 1 string) and answers its identifier from 0 up, or -1 when it cannot.
int32_t DLL_Define(const char* library, const char* function, int32_t convention, int32_t argc, const int32_t* types,
                   int32_t resultType);
// Presets the result to real 0 and calls the function when the identifier names a live definition
// of exactly `argc` arguments; otherwise nothing happens.
void DLL_Call(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result);
// Unloads the library once; every function defined from it stops calling anything.
void DLL_Free(const char* library);
