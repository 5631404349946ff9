// File-search patterns from scripts: the input is a name, a zero byte and a pattern. Matching must
// end quickly whatever the stars, and agree with itself when letter case changes.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/Support_File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\0');
    std::string name = input.substr(0, cut);
    std::string pattern = cut == std::string::npos ? std::string("*") : input.substr(cut + 1);
    pattern = pattern.c_str();
    bool matches = File_MatchPattern(name.c_str(), pattern.c_str());
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (File_MatchPattern(upper.c_str(), pattern.c_str()) != matches) __builtin_trap();
    if (!File_MatchPattern(name.c_str(), "*")) __builtin_trap();
    return 0;
}
