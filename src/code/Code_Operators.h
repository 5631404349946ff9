// The unary and binary operators of the script language on script values, selected by their token
// numbers (Code_Lexer.h). The tree executor runs them for every operator node; the tree checks use
// them to fold operators whose operands are constants. A failing operator reports through
// Code_Report_Error at the given position and returns false, leaving the value as it was.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CCode;

// Replaces the value by the result.
bool Operator_Unary(CCode* code, int32_t position, int32_t op, ScriptValue* value);

// Replaces the left value by the result; the right value is left unchanged.
bool Operator_Binary(CCode* code, int32_t position, int32_t op, ScriptValue* left, const ScriptValue* right);
