#include "code/Code_Function.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "base/Base_Text.h"
#include "code/Code_Translate.h"
#include "platform/Platform_MemoryManager.h"
#include "script/Script_Table.h"

// Owned by the extensions area.
int32_t Extension_FindFunction(const char* name);
int32_t Extension_GetFunctionArgCount(int32_t id);

FunctionEntry* g_FunctionTable = nullptr;
int32_t g_FunctionCount = 0;
int32_t g_FunctionCapacity = 0;

CallableLookup g_CallableLookup = {Script_Find, Extension_FindFunction, Extension_GetFunctionArgCount};

namespace {

// Name to the first row of that name: compilers and the function chunk look names up by the
// thousand, and the rows only ever grow.
std::unordered_map<std::string, int32_t>& NameIndex()
{
    static std::unordered_map<std::string, int32_t> index;
    return index;
}

int32_t FindRow(const char* name)
{
    auto found = NameIndex().find(name);
    return found != NameIndex().end() ? found->second : -1;
}

} // namespace

void Function_Add(const char* name, BuiltinRoutine routine, int32_t argCount, BuiltinLeaf leaf,
                  const BuiltinTextForms* textForms)
{
    if (g_FunctionCount >= g_FunctionCapacity) {
        g_FunctionCapacity += FUNCTION_TABLE_STEP;
        g_FunctionTable = static_cast<FunctionEntry*>(MemoryManager::ReAlloc(
            g_FunctionTable, static_cast<size_t>(g_FunctionCapacity) * sizeof(FunctionEntry), "Code_Function",
            __LINE__));
    }
    FunctionEntry& entry = g_FunctionTable[g_FunctionCount];
    // The field holds 63 bytes and the terminator; a longer name is cut rather than overrun it.
    std::strncpy(entry.name, name != nullptr ? name : "", FUNCTION_NAME_SIZE - 1);
    entry.name[FUNCTION_NAME_SIZE - 1] = '\0';
    entry.routine = routine;
    entry.argCount = argCount;
    entry.usageCount = 0xFFFFFFFFu;
    entry.leaf = leaf;
    entry.textForms = textForms;
    NameIndex().emplace(entry.name, g_FunctionCount); // keeps an earlier row of the same name
    ++g_FunctionCount;
    VM_NoteCodeWritten();
}

bool Code_Function_Find(const char* name, int32_t* id)
{
    *id = -1;
    if (name == nullptr || name[0] == '\0') return false;
    int32_t script = g_CallableLookup.findScript(name);
    if (script >= 0) {
        *id = CALLABLE_SCRIPT_BASE + script;
        return true;
    }
    int32_t extension = g_CallableLookup.findExtension(name);
    if (extension >= 0) {
        *id = CALLABLE_EXTENSION_BASE + extension;
        return true;
    }
    int32_t row = FindRow(name);
    // A built-in under its "colour" spelling is the "color" row itself: nothing is added.
    std::string color;
    if (row < 0 && String_ColorSpelling(name, color)) row = FindRow(color.c_str());
    if (row < 0) return false;
    *id = row;
    return true;
}

int32_t Function_GetArgCount(int32_t id)
{
    if (id >= CALLABLE_EXTENSION_BASE) return g_CallableLookup.extensionArgCount(id - CALLABLE_EXTENSION_BASE);
    if (id >= CALLABLE_SCRIPT_BASE) return FUNCTION_ARGS_ANY;
    FunctionEntry* entry = Function_Get(id);
    return entry != nullptr ? entry->argCount : FUNCTION_ARGS_UNKNOWN;
}

FunctionEntry* Function_Get(int32_t id)
{
    return id >= 0 && id < g_FunctionCount ? &g_FunctionTable[id] : nullptr;
}

void Function_FreeTable()
{
    MemoryManager::Free(g_FunctionTable);
    g_FunctionTable = nullptr;
    g_FunctionCount = 0;
    g_FunctionCapacity = 0;
    NameIndex().clear();
    VM_NoteCodeWritten();
}
