// Values in their byte form: how each type code is encoded into and decoded from the buffer, shared
// by the typed operations of both buffer kinds, peek, poke and fill.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

struct BufferBytes {
    uint8_t number[8];
    const uint8_t* text = nullptr; // a string's bytes with the terminator, in the value
    int64_t length = 0;
    const uint8_t* Data() const { return text != nullptr ? text : number; }
};

// The bytes a value is written as. Numbers truncate toward zero as x86 does (out of range gives
// INT_MIN, INT64_MIN for unsigned 32-bit); a value without text writes the empty string. False for
// type 7 and codes outside the table.
bool Buffer_Encode(int32_t type, const ScriptValue* value, BufferBytes* out);

// Makes the value real 0 before a read; a real needs nothing released (the typed reads are hot).
inline void Buffer_ClearValue(ScriptValue* value)
{
    if (value->kind == VALUE_REAL)
        value->real = 0;
    else
        Value_SetReal(value, 0);
}

// A number of a sized type from its bytes into the value's real (types 1-6, 8-10).
void Buffer_Decode(int32_t type, const uint8_t* bytes, ScriptValue* value);
