// The write half of the whole-file helpers: a name from a script is mapped into the save area and
// the file replaced whole, so a failed write leaves the old file as it was.
#include "support/Support_SaveAreaWrite.h"

#include "support/Support_File.h"
#include "support/Support_FileReplace.h"
#include "support/Support_SaveArea.h"

namespace {

constexpr int32_t PATH_CAPACITY = 2048;

} // namespace

// A game's first run finds no save folder at all, so the folders are made here, for every writer;
// a failure to make them shows when the file is opened.
bool LoadSave_SaveAreaWritePath(char* result, int32_t capacity, const char* name)
{
    LoadSave_SaveAreaPath(result, capacity, name);
    if (capacity < 1 || result[0] == '\0') return false;
    File_CreatePathFolders(result);
    return true;
}

bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size)
{
    char path[PATH_CAPACITY];
    return LoadSave_SaveAreaWritePath(path, PATH_CAPACITY, name) && File_ReplaceWhole(path, data, size);
}
