// The write half of the whole-file helpers: a name from a script is mapped into the save area and
// the file replaced whole, so a failed write leaves the old file as it was.
#include "support/Support_SaveAreaWrite.h"

#include <filesystem>
#include <system_error>

#include "support/Support_FileReplace.h"
#include "support/Support_SaveArea.h"

namespace {

// Makes every folder of the path in front of its file name; a failure shows when the file is opened.
void CreatePathFolders(const char* path)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
}

constexpr int32_t PATH_CAPACITY = 2048;

} // namespace

bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, PATH_CAPACITY, name);
    if (path[0] == '\0') return false;
    CreatePathFolders(path);
    return File_ReplaceWhole(path, data, size);
}
