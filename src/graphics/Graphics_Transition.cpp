#include "graphics/Graphics_Transition.h"

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "code/Code_Function.h"
#include "graphics/Graphics_Texture.h"
#include "platform/Platform_MemoryManager.h"

namespace {

constexpr int32_t DEFAULT_STEPS = 80;

int32_t g_Steps = DEFAULT_STEPS;

// Parallel arrays through the memory manager: the callable identifier (-1 none) and the owned
// copy of the name (null none) of each kind.
int32_t* g_DefinedFunctions = nullptr;
char** g_DefinedNames = nullptr;
int32_t g_DefinedCount = 0;

bool Recorded(int32_t kind)
{
    return kind >= 0 && kind < g_DefinedCount;
}

// Grows both arrays to hold `count` kinds, the new ones empty.
void Grow(int32_t count)
{
    auto size = static_cast<size_t>(count);
    g_DefinedFunctions = static_cast<int32_t*>(MEM_REALLOC(g_DefinedFunctions, size * sizeof(int32_t)));
    g_DefinedNames = static_cast<char**>(MEM_REALLOC(g_DefinedNames, size * sizeof(char*)));
    for (int32_t i = g_DefinedCount; i < count; ++i) {
        g_DefinedFunctions[i] = -1;
        g_DefinedNames[i] = nullptr;
    }
    g_DefinedCount = count;
}

} // namespace

int32_t GR_Transition_GetSteps()
{
    return g_Steps;
}

void GR_Transition_SetSteps(int32_t steps)
{
    g_Steps = steps >= 1 ? steps : 1;
}

bool TransFunctionExists(int32_t kind)
{
    if (kind >= TRANSITION_FIRST_KIND && kind <= TRANSITION_LAST_KIND) return true;
    MainConsole->Output("TransFunctionExists()\n");
    return false;
}

bool GR_Transition_Define(int32_t kind, const char* name)
{
    int32_t function = -1;
    if (name == nullptr || !Code_Function_Find(name, &function)) return false;
    if (kind < 1 || kind > TRANSITION_DEFINED_LIMIT) return true;
    if (kind >= g_DefinedCount) Grow(kind + TRANSITION_TABLE_MARGIN);
    MemoryManager::Free(g_DefinedNames[kind]);
    g_DefinedNames[kind] = String_Copy(name);
    g_DefinedFunctions[kind] = function;
    return true;
}

int32_t GR_Transition_DefinedCount()
{
    return g_DefinedCount;
}

int32_t GR_Transition_DefinedFunction(int32_t kind)
{
    return Recorded(kind) ? g_DefinedFunctions[kind] : -1;
}

const char* GR_Transition_DefinedName(int32_t kind)
{
    return Recorded(kind) ? g_DefinedNames[kind] : nullptr;
}

void GR_Transition_Free()
{
    Texture_FreeAll(); // the captured pictures with every other texture

    for (int32_t i = 0; i < g_DefinedCount; ++i)
        MemoryManager::Free(g_DefinedNames[i]);
    MemoryManager::Free(g_DefinedNames);
    MemoryManager::Free(g_DefinedFunctions);
    g_DefinedNames = nullptr;
    g_DefinedFunctions = nullptr;
    g_DefinedCount = 0;
    g_Steps = DEFAULT_STEPS;
}
