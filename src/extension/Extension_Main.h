// The extension packages of the game: read from the extension chunk, their library functions
// defined through the external calls (Support_DLL.h) and their script functions compiled when the
// game is prepared, looked up by the compiler by name and id (scripts call 500000 + id), called by
// both executors, and each file's initialisation and finalisation function run at game start and end.
#pragma once

#include <cstdint>

class CCode;
class CExtensionPackage;
class CInstance;
class GameFile;
struct ScriptValue;

// Ids above this refuse the chunk: the id tables are sized by the highest id.
constexpr int32_t EXTENSION_MAX_ID = 1 << 20;

// The extension chunk ("EXTN"). Every offset, count, string and id is checked; a malformed chunk is
// logged and refused. The earlier packages are deleted first.
bool Extension_LoadChunk(GameFile& file, uint32_t body, uint32_t length);

// Drops the packages in the folder "WexoGames", defines the constants, sizes the id tables, defines
// the library functions and compiles the script functions; false (after "COMPILATION ERROR in
// extension package ...") stops game preparation.
bool Extension_Prepare();

// The id of the first function of the name (packages, files, functions in order), or -1.
int32_t Extension_FindFunction(const char* name);
// The function's argument count, or -100 when no package has the id.
int32_t Extension_GetFunctionArgCount(int32_t id);
// A memory-manager copy of the function's name (the caller frees it), or null.
char* Extension_GetFunctionName(int32_t id);
// Whether the id is a compiled script function, and its code object (null when none).
bool Extension_IsScriptFunction(int32_t id);
CCode* Extension_GetFunctionCode(int32_t id);

// The tree-walking executor's call: a script function runs with the arguments in the argument slots
// (the caller's slots restored afterwards), a library function is called. False (the result "ERROR")
// when the script failed or was given more than 16 arguments, or when the id names nothing.
bool Extension_CallFunction(int32_t id, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args,
                            ScriptValue* result);
// The bytecode interpreter's call of a library function; false for an id outside the table or a
// script function (the result stays real 0).
bool Extension_CallDll(int32_t id, int32_t argc, ScriptValue* args, ScriptValue* result);

// Runs each file's initialisation (finalisation) function: a script of that name, else the package's
// library function of that name. A missing function or a failing script is shown and stops the pass:
// false.
bool Extension_CallInitFunctions();
bool Extension_CallFinalFunctions();

// The table, for tests: the package slots (null: empty) and the highest id prepared.
int32_t Extension_PackageCount();
CExtensionPackage* Extension_GetPackage(int32_t index);
int32_t Extension_HighestId();
// Takes the package into a new slot at the end (tests build packages with script text this way).
void Extension_AddPackage(CExtensionPackage* package);
// Deletes every package and the id tables.
void Extension_Clear();
