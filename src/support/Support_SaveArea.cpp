// PLACEHOLDER until the save area has its real folder: both mappings resolve a
// name against the current folder, unchanged, until the real save folder and bundle folder exist.
// The whole-file load is already the final one.
#include "support/Support_SaveArea.h"

#include <cstdio>
#include <cstring>

#include "platform/Platform_MemoryManager.h"

namespace {

void MapToCurrentFolder(char* result, int32_t capacity, const char* name)
{
    if (result == nullptr || capacity < 1) return;
    result[0] = '\0';
    if (name == nullptr) return;
    size_t length = std::strlen(name);
    if (length >= static_cast<size_t>(capacity)) return;
    std::memcpy(result, name, length + 1);
}

bool CanOpen(const char* path)
{
    if (path[0] == '\0') return false;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

constexpr int32_t PATH_CAPACITY = 2048;

} // namespace

void LoadSave_SaveAreaPath(char* result, int32_t capacity, const char* name)
{
    MapToCurrentFolder(result, capacity, name);
}

void LoadSave_BundlePath(char* result, int32_t capacity, const char* name)
{
    MapToCurrentFolder(result, capacity, name);
}

bool LoadSave_FileExistsSaveArea(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, sizeof path, name);
    return CanOpen(path);
}

bool LoadSave_FileExistsBundle(const char* name)
{
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, sizeof path, name);
    return CanOpen(path);
}

uint8_t* LoadSave_ReadWholeFile(const char* path, int32_t* size)
{
    if (path == nullptr || path[0] == '\0') return nullptr;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    std::setvbuf(file, nullptr, _IOFBF, 32768);
    std::fseek(file, 0, SEEK_END);
    int64_t length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    // A size that a signed 32-bit count cannot hold, or a stream that cannot tell, is unreadable.
    if (length < 0 || length > INT32_MAX) {
        std::fclose(file);
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(MEM_ALLOC(length > 0 ? static_cast<size_t>(length) : 1, true));
    size_t got = std::fread(block, 1, static_cast<size_t>(length), file);
    std::fclose(file);
    if (size != nullptr) *size = static_cast<int32_t>(got);
    return block;
}

uint8_t* LoadSave_ReadSaveAreaFile(const char* name, int32_t* size)
{
    char path[PATH_CAPACITY];
    LoadSave_SaveAreaPath(path, sizeof path, name);
    return LoadSave_ReadWholeFile(path, size);
}

uint8_t* LoadSave_ReadBundleFile(const char* name, int32_t* size)
{
    char path[PATH_CAPACITY];
    LoadSave_BundlePath(path, sizeof path, name);
    return LoadSave_ReadWholeFile(path, size);
}
