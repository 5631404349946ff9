#include "support/Support_DLL.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Text.h"
#include "code/Code_Value.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_SaveArea.h"

DLLLoader g_DLLLoader = DLL_SYSTEM_LOADER;

namespace {

struct DLLFunction {
    char* libraryName = nullptr;  // the mapped path; memory-manager copy
    void* handle = nullptr;       // null once the library was unloaded by name
    char* functionName = nullptr; // as the definition gave it; memory-manager copy
    void* address = nullptr;
    int32_t convention = 0;       // 1 stdcall, else cdecl: one convention here
    int32_t argc = 0;
    int32_t types[DLL_MAX_ARGUMENTS + 1] = {};
    int32_t resultType = DLL_TYPE_REAL;
    DLLCallForm* form = nullptr;

    ~DLLFunction()
    {
        MemoryManager::Free(libraryName);
        MemoryManager::Free(functionName);
        DLL_FreeCallForm(form);
    }
};

std::vector<DLLFunction*> g_Definitions;

// An argument without text (an empty string, a real where a string is declared) reaches the
// library as "" rather than as a null pointer it would not expect.
const char EMPTY_TEXT[] = "";

bool EndsWithDll(const std::string& name)
{
    if (name.size() < 4) return false;
    const char* end = name.c_str() + name.size() - 4;
    return end[0] == '.' && (end[1] | 0x20) == 'd' && (end[2] | 0x20) == 'l' && (end[3] | 0x20) == 'l';
}

// The handle of the last definition stored under the path; null when none, or when that library
// was unloaded.
void* LoadedHandle(const char* path)
{
    void* handle = nullptr;
    for (const DLLFunction* f : g_Definitions)
        if (std::strcmp(f->libraryName, path) == 0) handle = f->handle;
    return handle;
}

// The export under its name, else under "_name@bytes" (4 per string, 8 per real argument).
void* FindExport(void* handle, const char* function, int32_t argc, const int32_t* types)
{
    void* address = g_DLLLoader.symbol(handle, function);
    if (address != nullptr) return address;
    int32_t bytes = 0;
    for (int32_t i = 0; i < argc; ++i) bytes += types[i] != DLL_TYPE_REAL ? 4 : 8;
    char decorated[DLL_DECORATED_SIZE];
    int written = std::snprintf(decorated, sizeof decorated, "_%s@%d", function, bytes);
    if (written < 0 || written >= DLL_DECORATED_SIZE) return nullptr;
    return g_DLLLoader.symbol(handle, decorated);
}

} // namespace

bool DLL_MapLibraryName(const char* library, char* path, int32_t capacity)
{
    std::string name = library != nullptr ? library : "";
    for (char& c : name)
        if (c == '\\') c = '/';
    if (EndsWithDll(name)) name.replace(name.size() - 4, 4, ".so");
    path[0] = '\0';
    if (LoadSave_FileExistsSaveArea(name.c_str())) LoadSave_SaveAreaPath(path, capacity, name.c_str());
    else if (LoadSave_FileExistsBundle(name.c_str())) LoadSave_BundlePath(path, capacity, name.c_str());
    else if (name.size() < static_cast<size_t>(capacity)) std::memcpy(path, name.c_str(), name.size() + 1);
    return path[0] != '\0';
}

int32_t DLL_Define(const char* library, const char* function, int32_t convention, int32_t argc, const int32_t* types,
                   int32_t resultType)
{
    if (argc < 0 || argc > DLL_MAX_ARGUMENTS || function == nullptr) return -1;
    for (int32_t i = 0; argc > DLL_MAX_STRING_ARGUMENTS && i < argc; ++i)
        if (types[i] != DLL_TYPE_REAL) return -1;
    char path[DLL_PATH_SIZE];
    if (!DLL_MapLibraryName(library, path, sizeof path)) return -1;
    void* handle = LoadedHandle(path);
    if (handle == nullptr) handle = g_DLLLoader.open(path);
    if (handle == nullptr) return -1;

    // A library this definition loaded stays loaded when the function is missing, as before.
    void* address = FindExport(handle, function, argc, types);
    if (address == nullptr) return -1;
    auto* record = new DLLFunction();
    record->libraryName = String_Copy(path);
    record->handle = handle;
    record->functionName = String_Copy(function);
    record->address = address;
    record->convention = convention;
    record->argc = argc;
    for (int32_t i = 0; i < argc; ++i) record->types[i] = types[i] != DLL_TYPE_REAL ? DLL_TYPE_STRING : DLL_TYPE_REAL;
    record->resultType = resultType == DLL_TYPE_STRING ? DLL_TYPE_STRING : DLL_TYPE_REAL;
    record->form = DLL_PrepareCallForm(argc, record->types, record->resultType);
    if (record->form == nullptr) {
        delete record;
        return -1;
    }
    g_Definitions.push_back(record);
    return DLL_Count() - 1;
}

void DLL_Call(int32_t id, int32_t argc, const ScriptValue* args, ScriptValue* result)
{
    Value_SetReal(result, 0.0);
    if (id < 0 || id >= DLL_Count()) return;
    const DLLFunction* f = g_Definitions[static_cast<size_t>(id)];
    if (argc != f->argc || f->handle == nullptr || g_ExtCallFlag != 0) return;
    double reals[DLL_MAX_ARGUMENTS + 1] = {};
    const char* texts[DLL_MAX_ARGUMENTS + 1] = {};
    for (int32_t i = 0; i < argc; ++i) {
        // Nothing is converted: each argument passes the field its declared type reads.
        reals[i] = args[i].real;
        const char* text = Value_GetText(&args[i]);
        texts[i] = text != nullptr ? text : EMPTY_TEXT;
    }
    DLL_Invoke(f->form, f->address, reals, texts, result);
}

void DLL_Free(const char* library)
{
    char path[DLL_PATH_SIZE];
    if (!DLL_MapLibraryName(library, path, sizeof path)) return;
    bool unloaded = false;
    for (DLLFunction* f : g_Definitions) {
        if (f->handle == nullptr || std::strcmp(f->libraryName, path) != 0) continue;
        if (!unloaded) g_DLLLoader.close(f->handle);
        unloaded = true;
        f->handle = nullptr;
    }
}

int32_t DLL_Count() { return static_cast<int32_t>(g_Definitions.size()); }

void DLL_Clear()
{
    for (DLLFunction* f : g_Definitions) delete f;
    g_Definitions.clear();
}
