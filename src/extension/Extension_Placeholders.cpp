// Routines of the extensions area that other areas call, standing in until extension packages are
// loaded. Each does what the extension layer does while no package is loaded; each entry goes when
// the real routine is defined.
#include <cstdint>

// PLACEHOLDER until extension packages are loaded: no package has a function of any name.
int32_t Extension_FindFunction(const char*) { return -1; }
// PLACEHOLDER until extension packages are loaded: no package has the identifier.
int32_t Extension_GetFunctionArgCount(int32_t) { return -100; }

#include "extension/Extension_Placeholders.h"

#include "code/Code_Value.h"

// PLACEHOLDER until extension packages are loaded: no package to prepare.
bool Extension_Prepare() { return true; }

// PLACEHOLDER until extension packages are loaded: no package has a function to call; the
// result stays real 0.
bool Extension_CallDll(int32_t, int32_t, ScriptValue*, ScriptValue*) { return false; }

// PLACEHOLDER until extension packages are loaded: no package has a function to call.
bool Extension_CallFunction(int32_t, CInstance*, CInstance*, int32_t, ScriptValue*, ScriptValue*) { return false; }

// PLACEHOLDER until extension packages are loaded: no package has an initialisation function to call.
bool Extension_CallInitFunctions() { return true; }

// PLACEHOLDER until extension packages are loaded: no package has a finalisation function to call.
bool Extension_CallFinalFunctions() { return true; }

// PLACEHOLDER until libraries can be loaded: every library fails to load, so nothing is defined.
int32_t DLL_Define(const char*, const char*, int32_t, int32_t, const int32_t*, int32_t) { return -1; }

// PLACEHOLDER until libraries can be loaded: no identifier names a definition; the result is real 0.
void DLL_Call(int32_t, int32_t, const ScriptValue*, ScriptValue* result) { Value_SetReal(result, 0.0); }

// PLACEHOLDER until libraries can be loaded: no library is loaded, so there is nothing to free.
void DLL_Free(const char*) {}
