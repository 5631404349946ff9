// The buffer_ built-ins over the buffer table. Buffer indices, type codes, offsets, sizes and bases
// are truncated toward zero; misuse is reported, never fatal.
#pragma once

#include <cstdint>

#include "code/Code_Function.h"

// Registers the 24 buffer_ functions.
void Buffer_RegisterFunctions();

// The two that sockets and the debugger's buffers share.
void Builtin_BufferCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_BufferDelete(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
