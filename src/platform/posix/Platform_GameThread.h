// The thread the game runs on. Scripts that call scripts through built-ins nest whole runs in native
// frames, a few kilobytes a level: games recurse thousands of levels deep that way, past what the
// process's first thread (8 MB by default) holds, so the game gets a thread with a large stack.
#pragma once

#include <cstddef>

// Room for the interpreter's 30,000 nested runs in every code form (a level takes under 2.5 KB of
// it; up to 6.5 KB in the sanitizer build, whose thread gets twice the room); the executors stop a
// deeper recursion with "Stack overflow..." before the stack runs out. Only the pages a game reaches
// are ever backed by memory.
#if defined(KELVARO_ASAN)
constexpr size_t PLATFORM_GAME_STACK_BYTES = size_t{256} * 1024 * 1024;
#else
constexpr size_t PLATFORM_GAME_STACK_BYTES = size_t{128} * 1024 * 1024;
#endif

// Runs body(argument) on a new thread whose stack is `stackBytes` large and answers what it returned;
// where no such thread can be made, runs it on the calling thread.
int Platform_RunOnLargeStack(int (*body)(void*), void* argument, size_t stackBytes);
