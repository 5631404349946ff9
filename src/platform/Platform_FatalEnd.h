// What must still run when the process ends on a fatal error, where no shut-down runs. The areas
// above the platform layer register their steps here (the sound closes its device), so that the
// layer's fatal paths call nothing of theirs by name. Plain function pointers in a fixed list: the
// fatal end may come when no memory is left, or before the program's objects are made.
#pragma once

#include <cstddef>

using FatalEndHook = void (*)();

constexpr size_t PLATFORM_FATAL_END_HOOKS = 8;

// Adds a step, run after those added before it; one already in the list is not added again. False
// when the list is full.
bool Platform_OnFatalEnd(FatalEndHook hook);

// Runs the steps, in the order they were added, once: a later call (a fatal failure inside a step
// that comes back here) runs none of them again.
void Platform_RunFatalEndHooks();

// Called by main: from then on the fatal end may show its message through the program's objects (the
// log, a box). Before it, memory refused while those objects are still being made ends with the
// line alone.
void Platform_MarkProgramStarted();
bool Platform_ProgramStarted();
