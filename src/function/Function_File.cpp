// The File family's registrar and its shut-down: the groups live in Function_File*.cpp.
#include "function/Function_File.h"

#include "function/Function_Families.h"

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
