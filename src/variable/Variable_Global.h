// The global variables (global.name and names declared globalvar) and the globalvar flags, with
// their saved form and the start and end of the variable area.
#pragma once

#include <cstdint>
#include <vector>

#include "code/Code_Value.h"

class CVariableList;
class IBuffer;

constexpr int32_t GLOBALVAR_INITIAL_FLAGS = 10000;

// The global list; made by Variable_Init (and on first use before it).
CVariableList* Variable_GlobalList();

bool Variable_GetGlobal(int32_t id, int32_t index, ScriptValue* out);
void Variable_SetGlobal(int32_t id, int32_t index, const ScriptValue* value);

// Whether the user variable was declared globalvar (false outside the flag table).
bool Variable_IsGlobalVar(int32_t id);
// Sets the flag (growing the table to fit) and declares the variable in the global list; built-in
// identifiers are ignored.
void Variable_DeclareGlobalVar(int32_t id);
// The size of the flag table.
int32_t Variable_GlobalVarFlagCount();

// A new empty global list and a zeroed flag table of 10000 entries.
void Variable_Init();
// The global list, then the flag count and each flag as a signed 32-bit integer.
bool Variable_SaveGame(IBuffer* buffer);
// Reads that form back; a malformed stream is refused (false).
bool Variable_LoadGame(IBuffer* buffer);
// The same in two steps, for a saved game that is applied only when all of it is valid: the read
// leaves the running globals alone, the commit puts what was read in their place.
struct StagedGlobals {
    CVariableList* list = nullptr; // owned until committed
    std::vector<uint8_t> flags;
    StagedGlobals() = default;
    StagedGlobals(const StagedGlobals&) = delete;
    StagedGlobals& operator=(const StagedGlobals&) = delete;
    ~StagedGlobals();
};
bool Variable_ReadGlobals(IBuffer* buffer, StagedGlobals* staged);
void Variable_CommitGlobals(StagedGlobals* staged);
// Frees the built-in variable names, the global list and the flag table.
void Variable_Shutdown();
