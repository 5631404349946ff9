#include "extension/Extension_Main.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/App_Paths.h"
#include "base/Base_Text.h"
#include "code/Code_Constants.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "extension/Extension_Class.h"
#include "instance/Instance_Class.h"
#include "platform/Platform_MemoryManager.h"
#include "script/Script_Table.h"
#include "support/Support_DLL.h"

namespace {

const char* const DROPPED_FOLDER = "WexoGames";

// A list that deletes what it still holds when the program ends, so that what the last load left
// is released rather than lost.
template <typename T> struct OwnedList : std::vector<T*> {
    ~OwnedList()
    {
        for (T* item : *this) delete item;
    }
};

OwnedList<CExtensionPackage> g_Packages; // null slots are skipped everywhere
int32_t g_HighestId = 0;
// Indexed by function id, 0 to the highest id.
std::vector<int32_t> g_ExternalIndex; // the external-call id, -1 for none
std::vector<uint8_t> g_ScriptFlag;
std::vector<CCode*> g_FunctionCode; // owned

bool InTable(int32_t id) { return id >= 0 && static_cast<size_t>(id) < g_ExternalIndex.size(); }

void FreeTables()
{
    for (CCode* code : g_FunctionCode) delete code;
    g_FunctionCode.clear();
    g_ExternalIndex.clear();
    g_ScriptFlag.clear();
    g_HighestId = 0;
}

template <typename Visit> void ForEachFunction(Visit visit)
{
    for (CExtensionPackage* package : g_Packages) {
        if (package == nullptr) continue;
        for (CExtensionFile* file : package->files)
            for (CExtensionFunction* function : file->functions) visit(*package, *file, *function);
    }
}

void DropFoldersAndDefineConstants()
{
    for (CExtensionPackage*& package : g_Packages) {
        if (package == nullptr) continue;
        if (package->folderName == DROPPED_FOLDER) {
            delete package;
            package = nullptr;
            continue;
        }
        // The constant table gives every defined name the value 0.
        for (const CExtensionFile* file : package->files)
            for (const CExtensionConstant* constant : file->constants) Constant_Define(constant->name.c_str());
    }
}

void DefineLibraryFunction(const std::string& directory, const CExtensionFile& file, const CExtensionFunction& f)
{
    int32_t flags[DLL_MAX_ARGUMENTS + 1];
    for (int32_t i = 0; i <= DLL_MAX_ARGUMENTS; ++i)
        flags[i] = f.GetArgType(i) == EXTENSION_TYPE_STRING ? DLL_TYPE_STRING : DLL_TYPE_REAL;
    int32_t convention = f.kind == EXTENSION_KIND_CDECL ? 0 : DLL_CONVENTION_STDCALL;
    std::string path = directory + file.fileName;
    g_ExternalIndex[static_cast<size_t>(f.id)] =
        DLL_Define(path.c_str(), f.externalName.c_str(), convention, f.argCount, flags,
                   f.returnType == EXTENSION_TYPE_STRING ? DLL_TYPE_STRING : DLL_TYPE_REAL);
}

// False after showing the compiler's error.
bool CompileScriptFunction(const CExtensionPackage& package, const CExtensionFunction& f)
{
    if (f.scriptText.empty()) return true;
    // The function keeps the text: the code object points into it.
    auto* code = new CCode(f.scriptText.c_str(), false);
    delete g_FunctionCode[static_cast<size_t>(f.id)];
    g_FunctionCode[static_cast<size_t>(f.id)] = code;
    std::string name = "Extension." + package.name + "." + f.name;
    if (!code->Compile(name.c_str())) {
        std::string text =
            "COMPILATION ERROR in extension package " + Text_Printable(package.name) + "\n" + g_CodeErrorText;
        Error_Show(text.c_str(), false);
        return false;
    }
    g_ScriptFlag[static_cast<size_t>(f.id)] = 1;
    return true;
}

// Runs a compiled script function with the arguments in the global slots; the caller's slots are
// put back afterwards.
bool RunScriptFunction(int32_t id, CInstance* self, CInstance* other, int32_t argc, const ScriptValue* args,
                       ScriptValue* result)
{
    ScriptValue saved[SCRIPT_ARGUMENT_COUNT];
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        saved[i] = ScriptValue{VALUE_REAL, 0, 0.0};
        Value_Copy(&saved[i], &g_ScriptArguments[i]);
    }
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        if (i < argc) Value_Copy(&g_ScriptArguments[i], &args[i]);
        else Value_SetReal(&g_ScriptArguments[i], 0.0);
    }
    bool done = Code_Execute_Value(self, other, g_FunctionCode[static_cast<size_t>(id)], result);
    if (!done) {
        char* name = Extension_GetFunctionName(id);
        g_CodeErrorText = std::string("In extension function ") + (name != nullptr ? name : "") + ": \n" + g_CodeErrorText;
        MemoryManager::Free(name);
    }
    for (int32_t i = 0; i < SCRIPT_ARGUMENT_COUNT; ++i) {
        Value_Copy(&g_ScriptArguments[i], &saved[i]);
        Value_Free(&saved[i]);
    }
    return done;
}

// One file's init or final function, run for a scratch instance; false after showing the problem.
bool CallFileFunction(const CExtensionPackage& package, const std::string& name, const char* missing)
{
    auto* scratch = new CInstance(0.0f, 0.0f, 0, 0, false);
    bool called = true;
    int32_t script = Script_Find(name.c_str());
    if (script >= 0) {
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        called = Script_Run(script, scratch, scratch, 0, &result, nullptr);
        Value_Free(&result);
        if (!called) Error_Show(g_CodeErrorText.c_str(), false);
    } else if (const CExtensionFunction* f = package.FindByName(name.c_str())) {
        if (InTable(f->id) && g_ScriptFlag[static_cast<size_t>(f->id)] == 0) {
            ScriptValue result = {VALUE_REAL, 0, 0.0};
            DLL_Call(g_ExternalIndex[static_cast<size_t>(f->id)], 0, nullptr, &result);
            Value_Free(&result);
        }
    } else {
        Error_Show((missing + Text_Printable(name)).c_str(), false);
        called = false;
    }
    delete scratch;
    return called;
}

bool CallFileFunctions(bool init)
{
    for (const CExtensionPackage* package : g_Packages) {
        if (package == nullptr) continue;
        for (const CExtensionFile* file : package->files) {
            const std::string& name = init ? file->initName : file->finalName;
            if (name.empty()) continue;
            const char* missing = init ? "Could not locate initialization function " : "Could not locate finalization function ";
            if (!CallFileFunction(*package, name, missing)) return false;
        }
    }
    return true;
}

} // namespace

bool Extension_Prepare()
{
    FreeTables();
    DropFoldersAndDefineConstants();
    ForEachFunction([](const CExtensionPackage&, const CExtensionFile&, const CExtensionFunction& f) {
        if (f.id > g_HighestId && f.id <= EXTENSION_MAX_ID) g_HighestId = f.id;
    });
    size_t entries = static_cast<size_t>(g_HighestId) + 1;
    g_ExternalIndex.assign(entries, -1);
    g_ScriptFlag.assign(entries, 0);
    g_FunctionCode.assign(entries, nullptr);

    std::string directory = GetGameFileDirectory();
    bool compiled = true;
    ForEachFunction([&](const CExtensionPackage& package, const CExtensionFile& file, const CExtensionFunction& f) {
        if (!compiled || !InTable(f.id)) return;
        if (file.kind == EXTENSION_FILE_LIBRARY) DefineLibraryFunction(directory, file, f);
        else if (file.kind == EXTENSION_FILE_SCRIPT) compiled = CompileScriptFunction(package, f);
    });
    return compiled;
}

int32_t Extension_FindFunction(const char* name)
{
    if (name == nullptr) return -1;
    for (const CExtensionPackage* package : g_Packages) {
        const CExtensionFunction* f = package != nullptr ? package->FindByName(name) : nullptr;
        if (f != nullptr) return f->id;
    }
    return -1;
}

int32_t Extension_GetFunctionArgCount(int32_t id)
{
    for (const CExtensionPackage* package : g_Packages) {
        const CExtensionFunction* f = package != nullptr && id >= 0 ? package->FindById(id) : nullptr;
        if (f != nullptr) return f->argCount;
    }
    return -100;
}

char* Extension_GetFunctionName(int32_t id)
{
    for (const CExtensionPackage* package : g_Packages) {
        const CExtensionFunction* f = package != nullptr && id >= 0 ? package->FindById(id) : nullptr;
        if (f != nullptr && !f->name.empty()) return String_Copy(f->name.c_str());
    }
    return nullptr;
}

bool Extension_IsScriptFunction(int32_t id) { return InTable(id) && g_ScriptFlag[static_cast<size_t>(id)] != 0; }

CCode* Extension_GetFunctionCode(int32_t id) { return InTable(id) ? g_FunctionCode[static_cast<size_t>(id)] : nullptr; }

bool Extension_CallFunction(int32_t id, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args,
                            ScriptValue* result)
{
    if (!InTable(id)) return false;
    if (g_ScriptFlag[static_cast<size_t>(id)] == 0) {
        DLL_Call(g_ExternalIndex[static_cast<size_t>(id)], argc, args, result);
        return true;
    }
    if (g_FunctionCode[static_cast<size_t>(id)] == nullptr) return false;
    if (argc > SCRIPT_ARGUMENT_COUNT) {
        // Only 16 slots can hold arguments.
        Value_SetText(result, "ERROR");
        char* name = Extension_GetFunctionName(id);
        g_CodeErrorText = std::string("In extension function ") + (name != nullptr ? name : "") +
                          ": \nWrong number of arguments to function or script.";
        MemoryManager::Free(name);
        return false;
    }
    return RunScriptFunction(id, self, other, argc < 0 ? 0 : argc, args, result);
}

bool Extension_CallDll(int32_t id, int32_t argc, ScriptValue* args, ScriptValue* result)
{
    if (!InTable(id) || g_ScriptFlag[static_cast<size_t>(id)] != 0) return false;
    DLL_Call(g_ExternalIndex[static_cast<size_t>(id)], argc, args, result);
    return true;
}

bool Extension_CallInitFunctions() { return CallFileFunctions(true); }

bool Extension_CallFinalFunctions() { return CallFileFunctions(false); }

int32_t Extension_PackageCount() { return static_cast<int32_t>(g_Packages.size()); }

CExtensionPackage* Extension_GetPackage(int32_t index)
{
    return index >= 0 && index < Extension_PackageCount() ? g_Packages[static_cast<size_t>(index)] : nullptr;
}

int32_t Extension_HighestId() { return g_HighestId; }

void Extension_AddPackage(CExtensionPackage* package) { g_Packages.push_back(package); }

void Extension_Clear()
{
    FreeTables();
    for (CExtensionPackage* package : g_Packages) delete package;
    g_Packages.clear();
}
