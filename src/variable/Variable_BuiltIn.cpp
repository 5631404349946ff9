#include "variable/Variable_BuiltIn.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "base/Base_Text.h"
#include "code/Code_Translate.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_MessageBox.h"

BuiltinVariableEntry g_BuiltinVariables[BUILTIN_VARIABLE_ROWS];
int32_t g_BuiltinVariableCount = 0;
uint32_t g_BuiltinVariableGeneration = 0;

namespace {

// Name to the first row of that name: the compiler asks for every identifier it meets.
std::unordered_map<std::string, int32_t>& NameIndex()
{
    static std::unordered_map<std::string, int32_t> index;
    return index;
}

// Rows move: whoever kept a row's number looks again (translated code finds argumentN's slot by
// its row, so translations made before are dropped).
void NoteRowsChanged()
{
    ++g_BuiltinVariableGeneration;
    VM_NoteCodeWritten();
}

} // namespace

void Variable_BuiltIn_SetRealAccess(int32_t index, BuiltinRealGetter getReal, BuiltinRealSetter setReal,
                                    int32_t field)
{
    if (index < 0 || index >= g_BuiltinVariableCount) return;
    g_BuiltinVariables[index].getReal = getReal;
    g_BuiltinVariables[index].setReal = setReal;
    g_BuiltinVariables[index].field = getReal != nullptr ? field : BUILTIN_NO_FIELD;
}

void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool canSet)
{
    if (g_BuiltinVariableCount >= BUILTIN_VARIABLE_ROWS) {
        ShowMessage("INTERNAL ERROR: Adding too many variables");
        return;
    }
    BuiltinVariableEntry& entry = g_BuiltinVariables[g_BuiltinVariableCount];
    const char* text = name != nullptr ? name : "";
    size_t size = std::strlen(text) + 1;
    if (entry.name == nullptr || MemoryManager::GetSize(entry.name) < size) {
        MemoryManager::Free(entry.name);
        entry.name = static_cast<char*>(MemoryManager::Alloc(size, "Variable_BuiltIn", __LINE__, false));
    }
    std::memcpy(entry.name, text, size);
    entry.getter = getter;
    entry.setter = setter;
    entry.canSet = canSet ? 1 : 0;
    entry.getReal = nullptr;
    entry.setReal = nullptr;
    entry.field = BUILTIN_NO_FIELD;
    NameIndex().emplace(entry.name, g_BuiltinVariableCount);
    ++g_BuiltinVariableCount;
    NoteRowsChanged();
}

int32_t Variable_BuiltIn_Find(const char* name)
{
    if (name == nullptr) return -1;
    auto found = NameIndex().find(name);
    // A built-in under its "colour" spelling (background_colour) is the "color" row.
    std::string color;
    if (found == NameIndex().end() && String_ColorSpelling(name, color)) found = NameIndex().find(color);
    return found != NameIndex().end() ? found->second : -1;
}

const char* Variable_BuiltIn_Name(int32_t index)
{
    BuiltinVariableEntry* entry = Variable_BuiltIn_Get(index);
    return entry != nullptr ? entry->name : "<unknown built-in variable>";
}

BuiltinVariableEntry* Variable_BuiltIn_Get(int32_t index)
{
    return index >= 0 && index < g_BuiltinVariableCount ? &g_BuiltinVariables[index] : nullptr;
}

void Variable_BuiltIn_Init()
{
    // The name blocks stay: a new registration reuses its row's block when large enough.
    for (BuiltinVariableEntry& entry : g_BuiltinVariables) {
        entry.getter = nullptr;
        entry.setter = nullptr;
        entry.canSet = 0;
    }
    g_BuiltinVariableCount = 0;
    NoteRowsChanged();
    NameIndex().clear();
    Variable_BuiltIn_RegisterInstance();
    Variable_BuiltIn_RegisterGlobal();
}

void Variable_BuiltIn_FreeNames()
{
    for (BuiltinVariableEntry& entry : g_BuiltinVariables) {
        MemoryManager::Free(entry.name);
        entry.name = nullptr;
    }
    g_BuiltinVariableCount = 0;
    NoteRowsChanged();
    NameIndex().clear();
}
