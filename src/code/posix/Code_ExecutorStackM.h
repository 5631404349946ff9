// The native stack of the running thread, which the tree executor's recursion must not exhaust.
#pragma once

#include <cstdint>

// The lowest address of the calling thread's stack (the stack grows down towards it), or 0 when
// the system does not tell.
uintptr_t CodePosix_StackLowestAddress();
