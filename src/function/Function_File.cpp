// The File family's registrar and its shut-down: the groups live in Function_File*.cpp.
#include "function/Function_File.h"

#include "function/Function_Families.h"
#include "support/Support_SaveArea.h"
#include "support/Support_SaveAreaWrite.h"

namespace {

constexpr int32_t PATH_CAPACITY = 2048;

} // namespace

std::string FileFamily_SaveAreaPath(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, PATH_CAPACITY, name);
    return path;
}

std::string FileFamily_SaveAreaWritePath(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaWritePath(path, PATH_CAPACITY, name);
    return path;
}

std::string FileFamily_BundlePath(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, PATH_CAPACITY, name);
    return path;
}

void Function_File_Init()
{
    Function_FileIds_Reset();
    Function_FileLegacy_Reset();
    Function_FileSystem_Reset();
    Function_FileIds_Register();
    Function_FileLegacy_Register();
    Function_FileSystem_Register();
    Function_FileIni_Register();
    Function_FileHttp_Register();
}

// Open files are closed, so that what was written reaches the disk.
void File_CloseAll()
{
    Function_FileIds_Reset();
    Function_FileLegacy_Reset();
}
