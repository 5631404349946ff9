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
// Frees every texture and forgets every definition and the steps setting (shut-down).
void GR_Transition_Free();

// ---- capture and play ----
// Nothing in the room change calls these yet (`transition_kind` stays 0); they serve a caller that
// captures before the old room is left and plays after the new room's first frame is drawn.

// Stores the kind in the run's transition kind. For kinds 1 to 21 the current room is drawn into
// the old-room surface and the new-room surface becomes the drawing target; a surface that cannot
// be made cancels the transition (kind -1). Always true.
bool GR_Transition_Start(int32_t kind);
// Plays steps + 1 presented frames of the kind, then frees both surfaces; false. Any other kind
// only ends and presents the frame, giving that result.
bool GR_Transition_Finish();
// One picture of a kind at the fraction f (0 to 1) into the current target.
void GR_Transition_DrawStep(int32_t kind, double f);
// The surfaces holding the two pictures (-1 none).
int32_t GR_Transition_OldSurface();
int32_t GR_Transition_NewSurface();
