// The thread the game runs on. Scripts that call scripts through built-ins nest whole runs in native
// frames, a few kilobytes a level: games recurse thousands of levels deep that way, past what the
// process's first thread (8 MB by default) holds, so the game gets a thread with a large stack.
#pragma once

#include <cstddef>

// Room for well over 10,000 nested runs in every code form, also in the sanitizer build (a level
// takes under 2 KB of it, about 3.5 KB there); the executors stop a deeper recursion with
// "Stack overflow..." before the stack runs out. Only the pages a game reaches are ever backed by
// memory.
constexpr size_t PLATFORM_GAME_STACK_BYTES = size_t{128} * 1024 * 1024;

// Runs body(argument) on a new thread whose stack is `stackBytes` large and answers what it returned;
// where no such thread can be made, runs it on the calling thread.
int Platform_RunOnLargeStack(int (*body)(void*), void* argument, size_t stackBytes);
