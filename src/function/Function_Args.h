// How built-in routines read their arguments and write their results. Every routine receives its
// result preset to real 0 and only reads its arguments; a string result is the routine's own copy.
//
// Whole numbers (indices, identifiers, counts, positions) are rounded half to even unless the routine
// truncates them; flags compare the real with 0.5; a kind is the low 24 bits of the kind word. An
// argument of the wrong kind reads as having nothing: a string has no number (0) and a real has no
// text (null).
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "base/Base_Numbers.h"
#include "code/Code_Error.h"
#include "code/Code_Function.h"
#include "code/Code_Value.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_ScriptHeap.h"

inline uint32_t Arg_Kind(const ScriptValue& value)
{
    return value.kind & VALUE_KIND_MASK;
}
inline bool Arg_IsReal(const ScriptValue& value)
{
    return Arg_Kind(value) == VALUE_REAL;
}
inline bool Arg_IsString(const ScriptValue& value)
{
    return Arg_Kind(value) == VALUE_STRING;
}

inline double Arg_Real(const ScriptValue& value)
{
    return Arg_IsReal(value) ? value.real : 0.0;
}
// Rounded half to even; NaN and values beyond the int32 range give INT_MIN.
inline int32_t Arg_Int(const ScriptValue& value)
{
    return Numbers_RoundToInt32(Arg_Real(value));
}
// Truncated toward zero (buffer offsets, sizes, type codes, character codes).
inline int32_t Arg_Trunc(const ScriptValue& value)
{
    return Numbers_TruncToInt32(Arg_Real(value));
}
inline int64_t Arg_Int64(const ScriptValue& value)
{
    return Numbers_RoundToInt64(Arg_Real(value));
}
inline int64_t Arg_Trunc64(const ScriptValue& value)
{
    return Numbers_TruncToInt64(Arg_Real(value));
}
// A real kept in single precision; beyond the float range it becomes an infinity.
inline float Arg_Float(const ScriptValue& value)
{
    return Numbers_ToFloat(Arg_Real(value));
}
// Narrowed to single precision first, then rounded half to even (the drawing routines' colours and
// modes).
inline int32_t Arg_IntViaFloat(const ScriptValue& value)
{
    return Numbers_RoundToInt32(Arg_Float(value));
}
// True at 0.5 or more, the usual flag rule.
inline bool Arg_Flag(const ScriptValue& value)
{
    return Arg_Real(value) >= 0.5;
}
// True at 0.5 or more once narrowed to single precision (the drawing routines' flags).
inline bool Arg_FlagViaFloat(const ScriptValue& value)
{
    return Arg_Float(value) >= 0.5f;
}
// True above 0.5, for the routines whose flags say so.
inline bool Arg_FlagAbove(const ScriptValue& value)
{
    return Arg_Real(value) > 0.5;
}
// The text of a string argument; null for a real, an array or a string without text.
inline const char* Arg_Text(const ScriptValue& value)
{
    return Value_GetText(&value);
}
// The text, or "" where there is none.
inline const char* Arg_TextOrEmpty(const ScriptValue& value)
{
    const char* text = Value_GetText(&value);
    return text != nullptr ? text : "";
}

inline void Result_Real(ScriptValue* result, double real)
{
    Value_SetReal(result, real);
}
inline void Result_Bool(ScriptValue* result, bool on)
{
    Value_SetReal(result, on ? 1.0 : 0.0);
}
// A string result holding a copy of the text; null gives the empty string. A text longer than a script
// string may be is reported as "String result too long." and leaves the result as it was.
inline void Result_Text(ScriptValue* result, const char* text)
{
    if (text != nullptr && Error_TextTooLong(std::strlen(text))) return;
    Value_SetText(result, text != nullptr ? text : "");
}
// The same for `length` bytes already measured (none of them a terminator): the text is written
// once into a block of its own, not measured again.
inline void Result_TextBytes(ScriptValue* result, const char* bytes, size_t length)
{
    if (Error_TextTooLong(length)) return;
    char* text = static_cast<char*>(MemoryManager::AllocBasic(length + 1));
    std::memcpy(text, bytes, length);
    text[length] = '\0';
    Value_Free(result);
    *result = ScriptValue{VALUE_STRING, ScriptHeap_Ref(text), 0.0};
}

// A routine whose answer is a real computed from its arguments' reals alone (argument i in
// reals[i]) is written once as such a body; the row's routine and its leaf form are both made from
// it, so the two answer alike by construction. A body may go only where the leaf's contract holds
// (Code_Function.h): it runs no script code, reports no error and changes nothing scripts see.
typedef double (*RealBody)(CInstance* self, CInstance* other, const double* reals);

template <int32_t N, RealBody Body>
inline void Routine_OfReals(ScriptValue* result, CInstance* self, CInstance* other, ScriptValue* args)
{
    double reals[N];
    for (int32_t i = 0; i < N; ++i) reals[i] = Arg_Real(args[i]);
    Result_Real(result, Body(self, other, reals));
}

template <int32_t N, RealBody Body> bool Leaf_OfReals(CInstance* self, CInstance* other, const double* top, double* result)
{
    double reals[N];
    for (int32_t i = 0; i < N; ++i) reals[i] = Leaf_Argument(top, i);
    *result = Body(self, other, reals);
    return true;
}

// Defines Builtin_NAME and Leaf_NAME, a row's routine and its leaf form, from one body of N reals.
#define FUNCTION_REAL_ROW(NAME, N, BODY)                                                                         \
    void Builtin_##NAME(ScriptValue* result, CInstance* self, CInstance* other, int32_t, ScriptValue* args)      \
    {                                                                                                            \
        Routine_OfReals<N, BODY>(result, self, other, args);                                                     \
    }                                                                                                            \
    bool Leaf_##NAME(CInstance* self, CInstance* other, const double* top, double* result)                       \
    {                                                                                                            \
        return Leaf_OfReals<N, BODY>(self, other, top, result);                                                  \
    }

// A real narrowed to single precision as Numbers_ToFloat narrows it (an infinity beyond the float
// range, a NaN kept), by the processor's own conversion, which rounds to nearest as the cast does
// and overflows to the infinities: the place tests' coordinates, without the range's branches.
inline float Real_Float(double real)
{
    return _mm_cvtss_f32(_mm_cvtsd_ss(_mm_setzero_ps(), _mm_set_sd(real)));
}

// A real rounded half to even as Arg_Int rounds it, by the processor's own conversion, which answers
// INT_MIN for NaN and for what int32 cannot hold, as Numbers_RoundToInt32 does, without its branches.
inline int32_t Real_Int(double real)
{
    return _mm_cvtsd_si32(_mm_set_sd(real));
}

// A flag argument's real: true at 0.5 or more, as Arg_Flag reads it.
inline bool Real_Flag(double real)
{
    return real >= 0.5;
}
