#include "support/Support_MemoryFile.h"

#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_File.h"
#include "support/Support_SaveArea.h"

namespace {

bool Inside(const MemoryFile* file)
{
    return file->position >= 0 && file->position < file->length;
}

int32_t Saturated(int64_t position)
{
    return position > INT32_MAX ? INT32_MAX : position < INT32_MIN ? INT32_MIN : static_cast<int32_t>(position);
}

} // namespace

MemoryFile* MemoryFile_Adopt(uint8_t* data, int32_t length, bool textMode)
{
    auto* file = static_cast<MemoryFile*>(MEM_ALLOC(sizeof(MemoryFile), true));
    file->data = data;
    file->length = length;
    if (textMode && length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) file->position = 3;
    return file;
}

MemoryFile* MemoryFile_Open(const char* name, const char* mode)
{
    int32_t length = 0;
    uint8_t* data = LoadSave_ReadBundleFile(name, &length);
    if (data == nullptr) data = LoadSave_ReadSaveAreaFile(name, &length);
    if (data == nullptr) return nullptr;
    return MemoryFile_Adopt(data, length, mode != nullptr && std::strchr(mode, 't') != nullptr);
}

MemoryFile* MemoryFile_FromBytes(const uint8_t* bytes, int32_t length, bool textMode)
{
    if (length < 0) length = 0;
    auto* data = static_cast<uint8_t*>(MEM_ALLOC(length > 0 ? static_cast<size_t>(length) : 1, true));
    if (length > 0) std::memcpy(data, bytes, static_cast<size_t>(length));
    return MemoryFile_Adopt(data, length, textMode);
}

void MemoryFile_Free(MemoryFile* file)
{
    if (file == nullptr) return;
    MemoryManager::Free(file->data);
    MemoryManager::Free(file);
}

int32_t MemoryFile_Tell(const MemoryFile* file)
{
    return file->position;
}

void MemoryFile_Seek(MemoryFile* file, int32_t offset, int32_t origin)
{
    if (origin == 0) file->position = offset;
    else if (origin == 1) file->position = Saturated(int64_t(file->position) + offset);
    else if (origin == 2) file->position = Saturated(int64_t(file->length) - offset);
}

bool MemoryFile_Eof(const MemoryFile* file)
{
    return !Inside(file);
}

bool MemoryFile_Eoln(const MemoryFile* file)
{
    if (!Inside(file)) return true;
    uint8_t c = file->data[file->position];
    return c == 13 || c == 10;
}

int32_t MemoryFile_GetChar(MemoryFile* file)
{
    int32_t c = Inside(file) ? file->data[file->position] : -1;
    file->position = Saturated(int64_t(file->position) + 1);
    return c;
}

void MemoryFile_ReadReal(MemoryFile* file, double* value)
{
    *value = 0.0;
    while (Inside(file) && File_IsSpace(file->data[file->position])) ++file->position;
    if (!Inside(file)) return;
    int32_t end = file->position;
    while (end < file->length && File_IsNumberChar(file->data[end])) ++end;
    // The parser wants a terminator: it reads a bounded copy.
    std::string text(reinterpret_cast<const char*>(file->data + file->position), static_cast<size_t>(end - file->position));
    const char* stop = nullptr;
    *value = Numbers_ParseReal(text.c_str(), &stop);
    file->position += static_cast<int32_t>(stop - text.c_str());
}

int32_t MemoryFile_Read(void* buffer, int32_t size, int32_t count, MemoryFile* file)
{
    if (!Inside(file) || size <= 0 || count <= 0) return 0;
    int64_t wanted = int64_t(size) * count;
    int64_t left = int64_t(file->length) - file->position;
    int32_t got = static_cast<int32_t>(wanted < left ? wanted : left);
    std::memcpy(buffer, file->data + file->position, static_cast<size_t>(got));
    file->position += got;
    return got;
}
