// The platform half of the file functions: directory walks with the attribute rule, attributes of
// one entry, and the program's arguments from the process's own command line.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "base/Base_Numbers.h"
#include "function/Function_File.h"
#include "support/Support_File.h"
#include "support/posix/Support_PlatformM.h"

namespace {

constexpr int32_t ATTRIBUTE_MASK = 55;
constexpr int32_t FOLDER = 16;
constexpr size_t PARAMETER_LIMIT = 1023;

bool Passes(int32_t attributes, int32_t mask)
{
    if ((attributes & FOLDER) != 0) return (mask & FOLDER) != 0;
    if ((mask & ~FOLDER) == 0) return true;
    return (attributes & mask) != 0;
}

void Walk(std::vector<std::string>& list, const char* pattern, int32_t mask)
{
    if (pattern == nullptr || pattern[0] == '\0') return;
    std::string text = pattern;
    size_t cut = text.rfind('/');
    std::string folder = cut == std::string::npos ? std::string(".") : text.substr(0, cut + 1);
    std::string wildcard = cut == std::string::npos ? text : text.substr(cut + 1);
    std::vector<std::string> names;
    if (!PlatformM_ListFolder(folder.c_str(), names)) return;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!File_MatchPattern(name.c_str(), wildcard.c_str())) continue;
        int32_t attributes = PlatformM_Attributes((folder + "/" + name).c_str());
        if (attributes < 0 || !Passes(attributes & ATTRIBUTE_MASK, mask)) continue;
        if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    }
}

std::vector<std::string> Arguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        words.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

} // namespace

void File_FindAll(std::vector<std::string>& list, const char* firstPattern, const char* secondPattern, double mask)
{
    int32_t bits = Numbers_RoundToInt32(mask);
    Walk(list, firstPattern, bits);
    Walk(list, secondPattern, bits);
}

int32_t File_GetAttributes(const char* name)
{
    int32_t attributes = PlatformM_Attributes(name);
    return attributes < 0 ? 0 : attributes & ATTRIBUTE_MASK;
}

int32_t GetParameterCount()
{
    return static_cast<int32_t>(Arguments().size());
}

std::string GetParameterString(int32_t n)
{
    std::vector<std::string> words = Arguments();
    if (n < 1 || n > static_cast<int32_t>(words.size())) return std::string();
    return words[static_cast<size_t>(n - 1)].substr(0, PARAMETER_LIMIT);
}
