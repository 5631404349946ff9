// Room transitions: the settings that scripts reach. The number of steps a transition takes, the
// 21 built-in kinds, and the table of transitions a game defines by naming a script for a kind.
#pragma once

#include <cstdint>

constexpr int32_t TRANSITION_FIRST_KIND = 1;
constexpr int32_t TRANSITION_LAST_KIND = 21;
// Kinds a game may define, and how far past a new kind the table grows.
constexpr int32_t TRANSITION_DEFINED_LIMIT = 999999;
constexpr int32_t TRANSITION_TABLE_MARGIN = 1000;

// The number of steps (80 at start; values below 1 are stored as 1).
int32_t GR_Transition_GetSteps();
void GR_Transition_SetSteps(int32_t steps);

// True for the built-in kinds 1 to 21; any other kind is logged as "TransFunctionExists()".
bool TransFunctionExists(int32_t kind);

// Looks the name up among the callable functions; when found, records the function and a copy of
// the name for the kind (kinds outside 1 to 999999 are not recorded) and answers true.
bool GR_Transition_Define(int32_t kind, const char* name);
// The defined table: its length, and the function (-1 none) and name (null none) of a kind.
int32_t GR_Transition_DefinedCount();
int32_t GR_Transition_DefinedFunction(int32_t kind);
const char* GR_Transition_DefinedName(int32_t kind);
// Forgets every definition and the steps setting (shut-down).
void GR_Transition_Free();
