// The data-structure family (ds_*): the routines other areas call directly, and the grid group that
// the family's registrar registers last.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// The signature of every routine of the family.
#define DS_BUILTIN(name)                                                                                              \
    void name([[maybe_unused]] ScriptValue* result, CInstance*, CInstance*, [[maybe_unused]] int32_t argc,            \
              [[maybe_unused]] ScriptValue* args)

// ds_map_create: called with one argument (the system's own callers), that is the bucket count.
DS_BUILTIN(Builtin_DsMapCreate);
DS_BUILTIN(Builtin_DsMapClear);
DS_BUILTIN(Builtin_DsMapAdd);
DS_BUILTIN(Builtin_DsMapExists);
DS_BUILTIN(Builtin_DsListCreate);
DS_BUILTIN(Builtin_DsQueueCreate);
DS_BUILTIN(Builtin_DsQueueEnqueue);
DS_BUILTIN(Builtin_DsQueueDequeue);
DS_BUILTIN(Builtin_DsQueueSize);
DS_BUILTIN(Builtin_DsQueueClear);

// Registers the ds_grid_* names, which close the family's table.
void Function_DataStructureGrid_Register();
