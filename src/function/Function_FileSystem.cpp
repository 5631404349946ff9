// Whole files and folders in the save area and the bundle, file searches, file-name parts,
// programs, the command line and the environment.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "function/Function_Args.h"
#include "function/Function_File.h"
#include "function/Function_Registry.h"
#include "graphics/Graphics_Device.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_File.h"
#include "support/Support_SaveArea.h"

namespace {

constexpr size_t COPY_BLOCK = 4096;

struct Search {
    bool active = false;
    std::vector<std::string> names;
    size_t next = 0;
};

Search g_Search;

// A helper's new text as the result, the block freed.
void ResultOwned(ScriptValue* result, char* text)
{
    Result_Text(result, text);
    MemoryManager::Free(text);
}

void Builtin_FileExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_TextOrEmpty(args[0]);
    Result_Bool(result, LoadSave_FileExistsSaveArea(name) || LoadSave_FileExistsBundle(name));
}

void Builtin_FileDelete(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_TextOrEmpty(args[0]);
    if (LoadSave_FileExistsSaveArea(name)) std::remove(FileFamily_SaveAreaPath(name).c_str());
}

void Builtin_FileRename(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* from = Arg_TextOrEmpty(args[0]);
    if (!LoadSave_FileExistsSaveArea(from)) return;
    std::string to = FileFamily_SaveAreaWritePath(Arg_TextOrEmpty(args[1]));
    if (!to.empty()) std::rename(FileFamily_SaveAreaPath(from).c_str(), to.c_str());
}

bool CopyStream(std::FILE* from, std::FILE* to)
{
    char block[COPY_BLOCK];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, from)) > 0)
        if (std::fwrite(block, 1, got, to) != got) return false;
    return true;
}

void Builtin_FileCopy(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* source = Arg_TextOrEmpty(args[0]);
    std::string from = LoadSave_FileExistsSaveArea(source) ? FileFamily_SaveAreaPath(source) : FileFamily_BundlePath(source);
    std::FILE* in = from.empty() ? nullptr : std::fopen(from.c_str(), "rb");
    if (in == nullptr) {
        MainConsole->Output("Unable to open source file %s\n", source);
        Result_Real(result, -1);
        return;
    }
    std::string to = FileFamily_SaveAreaWritePath(Arg_TextOrEmpty(args[1]));
    std::FILE* out = to.empty() ? nullptr : std::fopen(to.c_str(), "wb");
    bool copied = out != nullptr && CopyStream(in, out);
    if (out != nullptr && std::fclose(out) != 0) copied = false;
    std::fclose(in);
    Result_Real(result, copied ? 0 : -1);
}

void Builtin_DirectoryExists(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_TextOrEmpty(args[0]);
    Result_Bool(result, Directory_Exists(FileFamily_SaveAreaPath(name).c_str()) || Directory_Exists(FileFamily_BundlePath(name).c_str()));
}

void Builtin_DirectoryCreate(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    std::string path = FileFamily_SaveAreaPath(Arg_TextOrEmpty(args[0]));
    if (!path.empty()) Directory_Create(path.c_str());
}

void EndSearch()
{
    g_Search = Search();
}

void Builtin_FileFindFirst(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    EndSearch();
    const char* pattern = Arg_TextOrEmpty(args[0]);
    File_FindAll(g_Search.names, FileFamily_SaveAreaPath(pattern).c_str(), FileFamily_BundlePath(pattern).c_str(), Arg_Real(args[1]));
    g_Search.active = true;
    g_Search.next = 1;
    Result_Text(result, g_Search.names.empty() ? "" : g_Search.names[0].c_str());
}

void Builtin_FileFindNext(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    bool more = g_Search.active && g_Search.next < g_Search.names.size();
    Result_Text(result, more ? g_Search.names[g_Search.next++].c_str() : "");
}

void Builtin_FileFindClose(ScriptValue*, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    EndSearch();
}

// The named file's bits, from the save area when it is there, else from the bundle.
void Builtin_FileAttributes(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_TextOrEmpty(args[0]);
    std::string path = FileFamily_SaveAreaPath(name);
    if (File_GetAttributes(path.c_str()) == 0) path = FileFamily_BundlePath(name);
    Result_Real(result, File_GetAttributes(path.c_str()));
}

void Builtin_FilenameName(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ResultOwned(result, File_GetName(Arg_TextOrEmpty(args[0])));
}

void Builtin_FilenamePath(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ResultOwned(result, File_GetDirectory(Arg_TextOrEmpty(args[0])));
}

void Builtin_FilenameDir(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char* folder = File_GetDirectory(Arg_TextOrEmpty(args[0]));
    std::string text = folder;
    MemoryManager::Free(folder);
    if (!text.empty() && (text.back() == '\\' || text.back() == '/')) text.pop_back();
    Result_Text(result, text.c_str());
}

void Builtin_FilenameDrive(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ResultOwned(result, File_GetDrive(Arg_TextOrEmpty(args[0])));
}

void Builtin_FilenameExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    ResultOwned(result, File_GetExtension(Arg_TextOrEmpty(args[0])));
}

void Builtin_FilenameChangeExt(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* path = Arg_Text(args[0]);
    const char* extension = Arg_Text(args[1]);
    if (path == nullptr || extension == nullptr) {
        Result_Text(result, "");
        return;
    }
    std::string text = path;
    size_t dot = text.rfind('.');
    Result_Text(result, (dot == std::string::npos ? text + "." : text.substr(0, dot)).append(extension).c_str());
}

void Builtin_ExecuteProgram(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    bool wait = Arg_Flag(args[2]);
    if (wait) GR_D3D_FinishPresent(); // the game's last frame stays in view while the program runs
    char* here = File_GetCurrentDirectory();
    bool started = Program_Execute(Arg_Text(args[0]), Arg_Text(args[1]), here, wait);
    MemoryManager::Free(here);
    if (started) return;
    MainConsole->Output("Cannot execute %s\n", Arg_TextOrEmpty(args[0]));
    Result_Real(result, -1);
}

void Builtin_ExecuteShell(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    char* here = File_GetCurrentDirectory();
    bool started = Shell_Execute(Arg_Text(args[0]), Arg_Text(args[1]), here);
    MemoryManager::Free(here);
    if (started) return;
    MainConsole->Output("Cannot execute %s\n", Arg_TextOrEmpty(args[0]));
    Result_Real(result, -1);
}

void Builtin_ParameterCount(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue*)
{
    Result_Real(result, GetParameterCount());
}

void Builtin_ParameterString(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    Result_Text(result, GetParameterString(Arg_Int(args[0])).c_str());
}

void Builtin_EnvironmentGetVariable(ScriptValue* result, CInstance*, CInstance*, int32_t, ScriptValue* args)
{
    const char* name = Arg_Text(args[0]);
    Result_Text(result, name != nullptr ? std::getenv(name) : nullptr);
}

const FunctionRow FILE_SYSTEM_ROWS[] = {
    {"file_exists", Builtin_FileExists, 1},
    {"file_delete", Builtin_FileDelete, 1},
    {"file_rename", Builtin_FileRename, 2},
    {"file_copy", Builtin_FileCopy, 2},
    {"directory_exists", Builtin_DirectoryExists, 1},
    {"directory_create", Builtin_DirectoryCreate, 1},
    {"file_find_first", Builtin_FileFindFirst, 2},
    {"file_find_next", Builtin_FileFindNext, 0},
    {"file_find_close", Builtin_FileFindClose, 0},
    {"file_attributes", Builtin_FileAttributes, 2},
    {"filename_name", Builtin_FilenameName, 1},
    {"filename_path", Builtin_FilenamePath, 1},
    {"filename_dir", Builtin_FilenameDir, 1},
    {"filename_drive", Builtin_FilenameDrive, 1},
    {"filename_ext", Builtin_FilenameExt, 1},
    {"filename_change_ext", Builtin_FilenameChangeExt, 2},
    {"execute_program", Builtin_ExecuteProgram, 3},
    {"execute_shell", Builtin_ExecuteShell, 2},
    {"parameter_count", Builtin_ParameterCount, 0},
    {"parameter_string", Builtin_ParameterString, 1},
    {"environment_get_variable", Builtin_EnvironmentGetVariable, 1},
};

} // namespace

void Function_FileSystem_Reset()
{
    EndSearch();
}

void Function_FileSystem_Register()
{
    Function_AddRows(FILE_SYSTEM_ROWS);
}
