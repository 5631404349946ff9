#include "platform/Platform_DisplayName.h"

#include <string>

namespace {
// A std::string: the name is the engine's own bookkeeping, never handed to a script.
std::string& DisplayName()
{
    static std::string name;
    return name;
}
} // namespace

void Platform_SetDisplayName(const char* name) { DisplayName() = name != nullptr ? name : ""; }

const char* Platform_GetDisplayName() { return DisplayName().c_str(); }
