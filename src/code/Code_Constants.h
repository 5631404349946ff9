// The constant table: the words scripts use for fixed numbers (self, c_red, vk_left, ev_step, ...),
// the game's own named constants and those of extension packages. The same name may stand more than
// once; every lookup searches from the latest entry back, so the latest definition wins. Name
// resolution asks the resource tables first: a resource's name always wins over a constant.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

// Appends one entry (name and value copied: texts duplicated, arrays shared).
void Constant_Add(const char* name, const ScriptValue* value);
void Constant_AddReal(const char* name, double value);

// The built-in constants, then the operating-system family (InitOsConstants). Once at start-up.
void Constant_Init();

// A game or extension constant: the name trimmed of blanks, checked (a letter or "_", then letters,
// digits or "_") and added with the value real 0. An invalid name shows "Constant name <name>  is
// not valid." and gives false.
bool Constant_Define(const char* name);

// Defines the game's named constants (options chunk) in order, skipping pairs without a name; false
// at the first invalid one.
bool Code_Constant_Prepare();

// A word as a value: the index of the first resource table (objects, sprites, sounds, audio assets,
// backgrounds, paths, fonts, time lines, scripts, rooms) that knows the name, else the latest constant
// of exactly that name. False, and `value` untouched, when nothing matches.
bool Constant_FindValue(const char* name, ScriptValue* value);

// The value of the latest constant whose name equals the given one ignoring letter case, or null.
const ScriptValue* Constant_Find(const char* name);

// Frees every name and value (shut-down).
void Constant_Clear();

int32_t Constant_Count();

// The lookups by name of the resource tables, in the order names are tried. The areas that own the
// tables provide them (Object_Find, Sprite_Find, Sound_Find, Audio_Find, Background_Find, Path_Find,
// Font_Find, TimeLine_Find, Script_Find, Room_Find); tests point entries elsewhere.
struct ConstantResourceLookup {
    const char* kind;
    int32_t (*find)(const char* name); // index, or -1
};
constexpr int32_t CONSTANT_RESOURCE_KINDS = 10;
extern ConstantResourceLookup g_ConstantResourceLookups[CONSTANT_RESOURCE_KINDS];
