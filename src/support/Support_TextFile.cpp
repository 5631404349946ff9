#include "support/Support_TextFile.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

constexpr char END_OF_TEXT = 0x1A;

} // namespace

bool TextFile_IsPlainFile(const char* path)
{
    struct stat info;
    return path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool TextFile_ReadWhole(const char* path, std::string* text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::string bytes;
    char block[8192];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return false;
    *text = TextFile_FromBytes(bytes.data(), bytes.size());
    return true;
}

std::string TextFile_FromBytes(const char* bytes, size_t length)
{
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] == END_OF_TEXT) break;
        // Only a CR right before an LF goes; a lone CR stays.
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}
