// The built-in variable table: each built-in variable (x, speed, room, score, ...) is one row that
// binds its name to a getter and a setter. A built-in variable's identifier is its row, fixed by the
// order of registration at start-up.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// The instance the code runs for (null for purely global variables), the array index of the access
// (-1, or row * 32000 + column), and the value to fill or to store.
typedef bool (*BuiltinGetter)(CInstance* instance, int32_t index, ScriptValue* out);
typedef bool (*BuiltinSetter)(CInstance* instance, int32_t index, const ScriptValue* value);

// A per-instance variable that is one number field, read and stored as a double: what the getter
// and setter do for a real, without a value in between. The instance is never null.
typedef double (*BuiltinRealGetter)(CInstance* instance);
typedef void (*BuiltinRealSetter)(CInstance* instance, double real);
// The byte place in the instance of a float that such a getter returns as it is, or
// BUILTIN_NO_FIELD: the translated code reads the float in place instead of calling the getter.
constexpr int32_t BUILTIN_NO_FIELD = -1;

constexpr int32_t BUILTIN_VARIABLE_ROWS = 500;

struct BuiltinVariableEntry {
    char* name; // the row's own copy
    BuiltinGetter getter;
    BuiltinSetter setter; // null for read-only variables
    uint8_t canSet;       // 1 when scripts may assign the variable
    BuiltinRealGetter getReal; // null unless the row is a plain number field
    BuiltinRealSetter setReal; // null unless it is also settable so
    int32_t field;             // BUILTIN_NO_FIELD unless getReal reads just the float there
};

extern BuiltinVariableEntry g_BuiltinVariables[BUILTIN_VARIABLE_ROWS];
extern int32_t g_BuiltinVariableCount;
// Moves on whenever a row is added or the table is cleared, so that what was learned of its rows
// (the interpreter's argument rows) is known to be current.
extern uint32_t g_BuiltinVariableGeneration;

// Appends a row; a full table shows "INTERNAL ERROR: Adding too many variables" and adds nothing.
void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet);
// Gives the row typed accessors (both may be null); nothing for a row that does not exist.
void Variable_BuiltIn_SetRealAccess(int32_t index, BuiltinRealGetter getReal, BuiltinRealSetter setReal,
                                    int32_t field = BUILTIN_NO_FIELD);
// The first row of that exact name, or -1.
int32_t Variable_BuiltIn_Find(const char* name);
// The row's name, or "<unknown built-in variable>".
const char* Variable_BuiltIn_Name(int32_t index);
// The row of a built-in identifier, or null.
BuiltinVariableEntry* Variable_BuiltIn_Get(int32_t index);
// Clears the table, then registers the per-instance variables and then the global ones.
void Variable_BuiltIn_Init();
// Frees the names of all rows (part of Variable_Shutdown).
void Variable_BuiltIn_FreeNames();

// The registrars of the built-in variables, in registration order: the 78 per-instance variables,
// then the 106 global ones and the six operating-system variables.
void Variable_BuiltIn_RegisterInstance();
void Variable_BuiltIn_RegisterGlobal();

// What sprite_width, sprite_height, sprite_xoffset and sprite_yoffset read of a sprite; false when
// the sprite does not exist. The sprite table by default; null restores it (tests install doubles).
struct BuiltinSpriteSize {
    int32_t width;
    int32_t height;
    int32_t xorigin;
    int32_t yorigin;
};
typedef bool (*BuiltinSpriteLookup)(int32_t sprite, BuiltinSpriteSize* out);
void Variable_BuiltIn_SetSpriteLookup(BuiltinSpriteLookup lookup);

// working_directory: the game file's folder, fixed by the first call (the game file is loaded).
void Variable_InitWorkingDirectory(const char* gameFileName);
// The working directory's text ("" until set).
const char* Variable_WorkingDirectory();
// Forgets it, so that the next game file fixes it again (tests).
void Variable_ResetWorkingDirectory();
