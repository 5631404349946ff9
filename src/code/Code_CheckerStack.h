// The second half of the load-time check: the kinds of the items on the value stack, followed
// along every path. The interpreter trusts the instruction words for the types of what it pops, so
// a string or a variable must only ever be read from an item that was pushed as one; otherwise a
// game file could make it free or follow a reference made of arbitrary bytes.
#pragma once

#include <cstdint>

#include "code/Code_Checker.h"

// Runs over code that the structural walk accepted (every reachable word and operand fits, every
// branch stays inside). False with the fault set when an instruction would take a string, a
// variable or a with frame from other bytes, when two paths reach one instruction with different
// stacks, when an instruction takes more than the entry's own stack holds, or when the stack grows
// beyond what the check follows.
bool VM_CheckStackKinds(const uint8_t* code, uint32_t size, VMCheckResult* result);
