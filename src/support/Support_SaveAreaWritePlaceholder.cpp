// PLACEHOLDER for the issue "Save area and file-name mapping" (support): the write half of the
// whole-file helpers, over the save-area mapping that Support_SaveArea.h provides today.
#include "support/Support_SaveAreaWritePlaceholder.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

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

// Placeholder (save area and file-name mapping): maps, creates the folders, writes "wb".
bool LoadSave_WriteSaveAreaFile(const char* name, const void* data, int32_t size)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, PATH_CAPACITY, name);
    if (path[0] == '\0') return false;
    CreatePathFolders(path);
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    if (size > 0 && data != nullptr) std::fwrite(data, 1, static_cast<size_t>(size), file);
    std::fclose(file);
    return true;
}
