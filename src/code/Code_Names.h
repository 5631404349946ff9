// The second compile phase: every token classified. Identifiers become functions or scripts,
// constants (resource names first) or variables; number and string literals carry their values.
#pragma once

#include <cstdint>

#include "code/Code_Lexer.h"
#include "code/Code_Value.h"

class CCode;

// Unresolved function: its name was reported as unknown.
constexpr int32_t TOKEN_UNRESOLVED_FUNCTION = -1;

struct ResolvedToken {
    int32_t kind;      // the lexer's token number, or TOKEN_CONSTANT / TOKEN_FUNCTION / TOKEN_VARIABLE
    int32_t id;        // TOKEN_FUNCTION: callable id; TOKEN_VARIABLE: variable id
    ScriptValue value; // TOKEN_CONSTANT: the value
    int32_t position;
};

struct ResolvedArray {
    int32_t count = 0;
    ResolvedToken* tokens = nullptr;
};

// One resolved token per token, the end token included. False after "Unknown function or script: "
// was reported.
bool Resolve_Tokens(CCode* code, const TokenArray* tokens, ResolvedArray* resolved);
void ResolvedArray_Free(ResolvedArray* resolved);

// The value of a number token's text: decimal with an optional fraction, or hexadecimal after '$'.
double Resolve_NumberValue(const char* text);
