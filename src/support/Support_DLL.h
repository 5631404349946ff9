// Functions of dynamic libraries, defined by library and exported name and then called by id: the
// external_* built-ins and the extension packages' library functions both go through here.
//
// A definition is kept for the whole run under its id (its place in the list). Unloading a library
// by name makes its definitions inert; their ids stay valid and calls of them do nothing. Both
// calling conventions are the platform's one C convention; the call is prepared once per definition
// (support/ffi/), so a call allocates nothing but the copy of a string result.
#pragma once

#include <cstdint>

struct ScriptValue;

constexpr int32_t DLL_MAX_ARGUMENTS = 16;
constexpr int32_t DLL_MAX_STRING_ARGUMENTS = 4; // strings only among 0 to 4 arguments
constexpr int32_t DLL_PATH_SIZE = 1024;         // the mapped library path, with its terminator
constexpr int32_t DLL_DECORATED_SIZE = 512;     // the decorated name "_%s@%d", with its terminator
constexpr int32_t DLL_TYPE_REAL = 0;
constexpr int32_t DLL_TYPE_STRING = 1;
constexpr int32_t DLL_CONVENTION_STDCALL = 1;

// Defines the function (convention 1 stdcall, else cdecl; `types` holds `argc` codes, 0 real, else
// string; result type 1 string, else real) and answers its id from 0 up, or -1: more than 16 (or
// fewer than 0) arguments, a string among 5 or more, a name too long, a library that does not load,
// a function found under neither its name nor its decorated name.
int32_t DLL_Define(const char* library, const char* function, int32_t convention, int32_t argc, const int32_t* types,
                   int32_t resultType);
// Presets the result to real 0 and calls the function when the id names a live definition of
// exactly `argc` arguments and calls are not disabled ("-ext"); otherwise nothing happens.
void DLL_Call(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result);
// Unloads the library once (the name mapped as a definition maps it); every definition of it
// becomes inert.
void DLL_Free(const char* library);

// The number of definitions.
int32_t DLL_Count();
// Deletes every definition without unloading a library (tests; the program leaves them to its end).
void DLL_Clear();

// The library name as it is looked up: "\" becomes "/" and a name ending in ".dll" (any letter
// case) ends in ".so"; then its save-area path when the file is there, else its path in the
// program's folder when it is there, else the name itself. False when the path does not fit
// DLL_PATH_SIZE bytes.
bool DLL_MapLibraryName(const char* library, char* path, int32_t capacity);

// The platform's loader, behind a seam so that tests can stand in a fake symbol table (the
// decorated names cannot be exported from a shared object here).
struct DLLLoader {
    void* (*open)(const char* path);                      // null when the library cannot be loaded
    void* (*symbol)(void* handle, const char* name);     // null when there is no such export
    void (*close)(void* handle);
};
extern DLLLoader g_DLLLoader;

// The platform half (support/ffi/). A call form is one definition's prepared call: its argument
// types (0 real, else string) and result type. Null when it cannot be prepared.
struct DLLCallForm;
DLLCallForm* DLL_PrepareCallForm(int32_t argc, const int32_t* types, int32_t resultType);
void DLL_FreeCallForm(DLLCallForm* form);
// Calls `address` with the staged arguments (each its real or its text, by type) into the result:
// a real result as a real, a string result as the result's own copy of the text (no text for null).
void DLL_Invoke(const DLLCallForm* form, void* address, const double* reals, const char* const* texts,
                ScriptValue* result);
// dlopen, dlsym and dlclose.
extern const DLLLoader DLL_SYSTEM_LOADER;
