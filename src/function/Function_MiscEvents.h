// The Misc family's first group: events, external calls, run-time code, debug messages and variables
// by name. The group's table lives in Function_MiscEvents.cpp; the routines of each role in their
// own file.
#pragma once

#include <cstdint>

#include "code/Code_Function.h"

// The external-call layer the external_ built-ins go through: the definition list's define, call
// and free. DLL_Define, DLL_Call and DLL_Free by default; tests install a recording double.
struct ExternalCallLayer {
    int32_t (*define)(const char* library, const char* function, int32_t convention, int32_t argc,
                      const int32_t* types, int32_t resultType);
    void (*call)(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result);
    void (*free)(const char* library);
};
extern ExternalCallLayer g_ExternalCalls;

// Events.
void Builtin_EventPerform(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_EventUser(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_EventPerformObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);

// External calls.
void Builtin_ExternalDefine(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalFree(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine0(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine1(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine2(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine3(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine4(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine5(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine6(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine7(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalDefine8(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall0(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall1(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall2(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall3(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall4(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall5(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall6(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall7(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExternalCall8(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);

// Run-time code.
void Builtin_ExecuteString(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_ExecuteFile(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
