#include "variable/Variable_Names.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Platform_MemoryManager.h"
#include "variable/Variable_BuiltIn.h"

namespace {

const char* const UNKNOWN_VARIABLE = "<unknown variable>";

// Position n holds the name of identifier 100000 + n; a null name leaves its entry empty.
std::vector<char*>& UserNames()
{
    static std::vector<char*> names;
    return names;
}

// Name to its position: the first equal name is the only one, since a known name is never added.
std::unordered_map<std::string, int32_t>& NameIndex()
{
    static std::unordered_map<std::string, int32_t> index;
    return index;
}

} // namespace

int32_t Code_Variable_Find(const char* name)
{
    int32_t builtin = Variable_BuiltIn_Find(name);
    return builtin >= 0 ? builtin : Code_Variable_Add(name);
}

int32_t Code_Variable_Add(const char* name)
{
    int32_t known = Code_Variable_Lookup(name);
    if (known >= 0) return known;
    std::vector<char*>& names = UserNames();
    int32_t position = static_cast<int32_t>(names.size());
    char* copy = nullptr;
    if (name != nullptr) {
        size_t size = std::strlen(name) + 1;
        copy = static_cast<char*>(MemoryManager::Alloc(size, "Code_Variable", __LINE__, false));
        std::memcpy(copy, name, size);
        NameIndex().emplace(copy, position);
    }
    names.push_back(copy);
    return VARIABLE_USER_BASE + position;
}

int32_t Code_Variable_Lookup(const char* name)
{
    if (name == nullptr) return -1; // an empty entry equals no name
    auto found = NameIndex().find(name);
    return found != NameIndex().end() ? VARIABLE_USER_BASE + found->second : -1;
}

const char* Code_Variable_Find_Name(int32_t id)
{
    if (id < VARIABLE_USER_BASE) return Variable_BuiltIn_Name(id);
    return Code_Variable_UserName(id);
}

const char* Code_Variable_UserName(int32_t id)
{
    const std::vector<char*>& names = UserNames();
    int64_t position = static_cast<int64_t>(id) - VARIABLE_USER_BASE;
    if (position < 0 || position >= static_cast<int64_t>(names.size())) return UNKNOWN_VARIABLE;
    // An entry added for a null name has no text; callers print names, so it reads as unknown.
    return names[position] != nullptr ? names[position] : UNKNOWN_VARIABLE;
}

int32_t Code_Variable_UserCount() { return static_cast<int32_t>(UserNames().size()); }
