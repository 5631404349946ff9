// PLACEHOLDER until the file services land: the three path helpers that adding a sound needs.
#include "sound/Sound_Placeholders.h"

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "base/Base_Text.h"

bool File_Exists(const char* path)
{
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0) return false;
    return S_ISREG(info.st_mode);
}

char* File_GetName(const char* path)
{
    if (path == nullptr) return String_Copy("");
    const char* cut = std::strrchr(path, '\\');
    if (cut == nullptr) cut = std::strrchr(path, '/');
    return String_Copy(cut != nullptr ? cut + 1 : path);
}

char* File_GetExtension(const char* path)
{
    std::string text = path != nullptr ? path : "";
    size_t dot = text.find_last_of('.');
    size_t slash = text.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return String_Copy("");
    return String_Copy(text.c_str() + dot);
}
