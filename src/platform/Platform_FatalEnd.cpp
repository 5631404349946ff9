#include "platform/Platform_FatalEnd.h"

namespace {

constinit FatalEndHook g_Hooks[PLATFORM_FATAL_END_HOOKS] = {};
constinit size_t g_HookCount = 0;
constinit bool g_HooksRun = false;
constinit bool g_ProgramStarted = false;

} // namespace

bool Platform_OnFatalEnd(FatalEndHook hook)
{
    for (size_t i = 0; i < g_HookCount; ++i)
        if (g_Hooks[i] == hook) return true;
    if (hook == nullptr || g_HookCount == PLATFORM_FATAL_END_HOOKS) return false;
    g_Hooks[g_HookCount++] = hook;
    return true;
}

void Platform_RunFatalEndHooks()
{
    if (g_HooksRun) return;
    g_HooksRun = true;
    for (size_t i = 0; i < g_HookCount; ++i) g_Hooks[i]();
}

void Platform_MarkProgramStarted() { g_ProgramStarted = true; }

bool Platform_ProgramStarted() { return g_ProgramStarted; }
