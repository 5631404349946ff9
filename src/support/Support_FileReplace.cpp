#include "support/Support_FileReplace.h"

#include <cstdio>
#include <string>

namespace {

// Buffered writes may only fail at the flush or the close (a full disk shows late), so all three
// answers count.
bool WriteAndClose(FILE* file, const void* data, int32_t size)
{
    bool written = true;
    if (size > 0 && data != nullptr)
        written = std::fwrite(data, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    written = std::fflush(file) == 0 && written;
    return std::fclose(file) == 0 && written;
}

} // namespace

bool File_ReplaceWhole(const char* path, const void* data, int32_t size)
{
    if (path == nullptr || path[0] == '\0' || size < 0) return false;
    std::string temporary = std::string(path) + ".partial";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    if (WriteAndClose(file, data, size) && std::rename(temporary.c_str(), path) == 0) return true;
    std::remove(temporary.c_str());
    return false;
}
