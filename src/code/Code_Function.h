// The built-in function table and the callable identifiers. Every built-in script function is one
// row, registered at start-up; scripts and extension functions share one identifier space with the
// rows, so that a call in compiled code is a single integer:
//   0 .. 99999       a built-in function row
//   100000 .. 499999 100000 + a script's index
//   500000 and above 500000 + an extension function's identifier
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// The routine behind a built-in function: the result (preset to real 0), self, other, the argument
// count and the arguments. Problems go to the error reporter.
typedef void (*BuiltinRoutine)(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                               ScriptValue* args);

// A row's leaf form, for a routine that runs no script code, creates, destroys or changes no
// instance's variables, and changes neither the run's state nor any code: given real arguments
// (argument i at top[-1 - i], as many as the row's count), it answers the routine's real in
// `result`. A register sequence calls it in place of the routine, with nothing to save around it
// and nothing to check after it. It declines (false, `result` untouched) where the routine would
// report an error or answer anything but a real: the routine is then called as usual.
typedef bool (*BuiltinLeaf)(CInstance* self, CInstance* other, const double* top, double* result);
inline double Leaf_Argument(const double* top, int32_t i) { return top[-1 - i]; }

// A row's text forms, for a routine of one argument that runs no script code and changes nothing
// but its result, so that joins of texts and measures of them need not make the call. Each declines
// (false, nothing written) where the routine would report an error or answer otherwise than the form
// can; the routine is then called as usual. Either may be null.
struct BuiltinTextForms {
    // Appends the text the routine answers for the argument.
    bool (*append)(const ScriptValue* argument, ValueTextBuffer* out);
    // The real the routine answers for the argument.
    bool (*measure)(const ScriptValue* argument, double* result);
    // Whether `append` writes a real as the value's text (Value_ToString): a join may write it itself.
    bool realsAsValueText;
};

constexpr int32_t FUNCTION_NAME_SIZE = 64; // with the terminator
constexpr int32_t FUNCTION_TABLE_STEP = 500;
constexpr int32_t CALLABLE_SCRIPT_BASE = 100000;
constexpr int32_t CALLABLE_EXTENSION_BASE = 500000;
constexpr int32_t FUNCTION_ARGS_ANY = -1;
constexpr int32_t FUNCTION_ARGS_UNKNOWN = -100;

struct FunctionEntry {
    char name[FUNCTION_NAME_SIZE];
    BuiltinRoutine routine;
    int32_t argCount;    // exact, or FUNCTION_ARGS_ANY
    uint32_t usageCount; // all ones when added; the tree executor counts calls
    BuiltinLeaf leaf;    // or null: the routine alone
    const BuiltinTextForms* textForms; // or null
};

// The rows; indices never change while the program runs. Adding or freeing rows drops every
// translation, which keeps the leaves it found in the rows.
extern FunctionEntry* g_FunctionTable;
extern int32_t g_FunctionCount;
extern int32_t g_FunctionCapacity;

// Appends a row. A name longer than 63 bytes is cut to fit the field.
void Function_Add(const char* name, BuiltinRoutine routine, int32_t argCount, BuiltinLeaf leaf = nullptr,
                  const BuiltinTextForms* textForms = nullptr);
// Scripts first, then extension functions, then the rows in index order (exact comparison).
// False and -1 when nothing has the name.
bool Code_Function_Find(const char* name, int32_t* id);
// -1 for a script, the extension's count (-100 when unknown) above 500000, -100 for a row that does
// not exist, else the row's count.
int32_t Function_GetArgCount(int32_t id);
// The row of a built-in identifier, or null.
FunctionEntry* Function_Get(int32_t id);
void Function_FreeTable();

// Where names are looked up besides the rows. The script and extension areas own those tables; the
// defaults are Script_Find, Extension_FindFunction and Extension_GetFunctionArgCount. Tests point
// them elsewhere.
struct CallableLookup {
    int32_t (*findScript)(const char* name);
    int32_t (*findExtension)(const char* name);
    int32_t (*extensionArgCount)(int32_t id);
};
extern CallableLookup g_CallableLookup;
