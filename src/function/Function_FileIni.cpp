// INI files (one current INI object at a time) and the registry, which scripts use as a key and
// value store: an in-memory list for the program's run, never the operating system's.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "base/Base_Ini.h"
#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_File.h"
#include "function/Function_Registry.h"
#include "platform/Platform_MemoryManager.h"

namespace {

IniFile* g_CurrentIni = nullptr;

const char* const NO_INI_TO_READ = "Trying to read from undefined INI file";
const char* const NO_INI_TO_CHANGE = "Trying to change undefined INI file";

struct RegistryEntry {
    std::string key;
    std::string value;
    bool hasValue = false;
};

std::vector<RegistryEntry> g_Registry;

// Builds the text (writing the file when changed), frees the object; "" when none was open.
std::string CloseCurrentIni()
{
    if (g_CurrentIni == nullptr) return std::string();
    char* text = g_CurrentIni->GetText();
    std::string copy = text != nullptr ? text : "";
    MemoryManager::Free(text);
    g_CurrentIni->Clear();
    delete g_CurrentIni;
    g_CurrentIni = nullptr;
    return copy;
}

IniFile* OpenIni(const char* message)
{
    if (g_CurrentIni == nullptr) Error_Show_Action(message, false);
    return g_CurrentIni;
}

bool AllStrings(const ScriptValue* args, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (!Arg_IsString(args[i])) return false;
    return true;
}

void Builtin_IniOpen(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CloseCurrentIni();
    g_CurrentIni = new IniFile();
    g_CurrentIni->Open(Arg_TextOrEmpty(args[0]), false);
}

void Builtin_IniOpenFromString(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    CloseCurrentIni();
    g_CurrentIni = new IniFile();
    g_CurrentIni->Parse(Arg_TextOrEmpty(args[0]));
}

void Builtin_IniClose(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, CloseCurrentIni().c_str());
}

void Builtin_IniReadString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IniFile* ini = OpenIni(NO_INI_TO_READ);
    if (ini == nullptr) return;
    if (!AllStrings(args, 3)) {
        Error_Show_Action("ini_read_string wrong type of arguments", false);
        return;
    }
    Result_Text(result, ini->ReadString(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2])));
}

void Builtin_IniReadReal(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    double fallback = Arg_IsString(args[2]) ? Numbers_ParseReal(Arg_TextOrEmpty(args[2])) : Arg_Real(args[2]);
    IniFile* ini = OpenIni(NO_INI_TO_READ);
    if (ini == nullptr) {
        Result_Real(result, fallback);
        return;
    }
    if (!AllStrings(args, 2)) {
        Error_Show_Action("ini_read_real wrong type of arguments", false);
        return;
    }
    IniKey* key = ini->GetKey(Arg_Text(args[0]), Arg_Text(args[1]));
    Result_Real(result, key != nullptr ? Numbers_ParseReal(key->value != nullptr ? key->value : "") : fallback);
}

void Builtin_IniWriteString(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IniFile* ini = OpenIni(NO_INI_TO_READ);
    if (ini == nullptr) return;
    if (!AllStrings(args, 3)) {
        Error_Show_Action("Wrong argument types for ini_write_string", false);
        return;
    }
    ini->WriteString(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]));
}

void Builtin_IniWriteReal(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    IniFile* ini = OpenIni(NO_INI_TO_READ);
    if (ini == nullptr) return;
    if (!AllStrings(args, 2) || !Arg_IsReal(args[2])) {
        Error_Show_Action("Wrong argument types for ini_write_real", false);
        return;
    }
    ini->WriteString(Arg_Text(args[0]), Arg_Text(args[1]), Numbers_Format("%f", args[2].real).c_str());
}

void Builtin_IniKeyExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (IniFile* ini = OpenIni(NO_INI_TO_READ))
        Result_Bool(result, ini->GetKey(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1])) != nullptr);
}

void Builtin_IniSectionExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (IniFile* ini = OpenIni(NO_INI_TO_READ)) Result_Bool(result, ini->SectionExists(Arg_TextOrEmpty(args[0])));
}

void Builtin_IniKeyDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (IniFile* ini = OpenIni(NO_INI_TO_CHANGE)) ini->DeleteKey(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]));
}

void Builtin_IniSectionDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    if (IniFile* ini = OpenIni(NO_INI_TO_CHANGE)) ini->DeleteSection(Arg_TextOrEmpty(args[0]));
}

// ---- registry -----------------------------------------------------------------------------------

bool SameKey(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && b[i] == '\0';
}

RegistryEntry* Registry_Find(const char* key)
{
    for (RegistryEntry& entry : g_Registry)
        if (SameKey(entry.key, key)) return &entry;
    return nullptr;
}

void Registry_Set(const char* key, const std::string& value)
{
    RegistryEntry* entry = Registry_Find(key);
    if (entry == nullptr) {
        g_Registry.push_back(RegistryEntry{key, std::string(), false});
        entry = &g_Registry.back();
    }
    entry->value = value;
    entry->hasValue = true;
}

void Builtin_RegistryWriteString(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Registry_Set(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]));
}

void Builtin_RegistryWriteReal(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Registry_Set(Arg_TextOrEmpty(args[0]), Numbers_Format("%f", Arg_Real(args[1])));
}

void Builtin_RegistryReadString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    RegistryEntry* entry = Registry_Find(Arg_TextOrEmpty(args[0]));
    Result_Text(result, entry != nullptr && entry->hasValue ? entry->value.c_str() : "");
}

void Builtin_RegistryReadReal(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    RegistryEntry* entry = Registry_Find(Arg_TextOrEmpty(args[0]));
    if (entry != nullptr) Result_Real(result, Numbers_ParseReal(entry->value.c_str()));
}

void Builtin_RegistryExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Bool(result, Registry_Find(Arg_TextOrEmpty(args[0])) != nullptr);
}

// The keys of other roots are not kept: writing does nothing, reading finds nothing.
void Builtin_RegistryNothing(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*) {}

void Builtin_RegistryReadStringExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Text(result, "");
}

const FunctionRow FILE_INI_ROWS[] = {
    {"ini_open", Builtin_IniOpen, 1},
    {"ini_open_from_string", Builtin_IniOpenFromString, 1},
    {"ini_close", Builtin_IniClose, 0},
    {"ini_read_string", Builtin_IniReadString, 3},
    {"ini_read_real", Builtin_IniReadReal, 3},
    {"ini_write_string", Builtin_IniWriteString, 3},
    {"ini_write_real", Builtin_IniWriteReal, 3},
    {"ini_key_exists", Builtin_IniKeyExists, 2},
    {"ini_section_exists", Builtin_IniSectionExists, 1},
    {"ini_key_delete", Builtin_IniKeyDelete, 2},
    {"ini_section_delete", Builtin_IniSectionDelete, 1},
    {"registry_write_string", Builtin_RegistryWriteString, 2},
    {"registry_write_real", Builtin_RegistryWriteReal, 2},
    {"registry_read_string", Builtin_RegistryReadString, 1},
    {"registry_read_real", Builtin_RegistryReadReal, 1},
    {"registry_exists", Builtin_RegistryExists, 1},
    {"registry_write_string_ext", Builtin_RegistryNothing, 3},
    {"registry_write_real_ext", Builtin_RegistryNothing, 3},
    {"registry_read_string_ext", Builtin_RegistryReadStringExt, 2},
    {"registry_read_real_ext", Builtin_RegistryNothing, 2},
    {"registry_exists_ext", Builtin_RegistryNothing, 2},
    {"registry_set_root", Builtin_RegistryNothing, 1},
};

} // namespace

void Function_FileIni_Register()
{
    Function_AddRows(FILE_INI_ROWS);
}
