// The stack effect of bytecode followed along every path, item by item: what lies on the
// interpreter's stack before each instruction. Generated code must reach every instruction with one
// and the same stack and run off its end with the stack it started with (a program) or with one
// variable on it (an expression); the generator's tests prove both with this walk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The item a pushenv lays: the frame of a with block, whatever its size at run time.
constexpr uint8_t VM_STACK_ENV_FRAME = 0xE0;

struct VMStackTrace {
    // The first problem met ("at 0x0000001c: ..."), empty when there was none.
    std::string problem;
    // The stack each path runs off the end of the code with (item types, bottom first); one entry
    // per distinct stack.
    std::vector<std::vector<uint8_t>> endStacks;
    // The stacks under the value at each ret, and the stacks at each exit.
    std::vector<std::vector<uint8_t>> returnStacks;
    // Operations whose operand types the interpreter has no result for ("sub.l.l at 0x00000018"):
    // code of a program that fails when it runs there. The walk goes on with the wider type.
    std::vector<std::string> refusedPairs;
    int32_t greatestDepth = 0; // in items
};

// Follows every path from offset 0. False, with the problem set, when an instruction is reached
// with two different stacks, an instruction finds other items than its word names, the stack runs
// empty, a branch leaves the code or an instruction is outside the generator's vocabulary.
bool VM_TraceStack(const uint8_t* code, int32_t size, VMStackTrace* trace);

// The items as letters, bottom first ("vi" for a variable under an int; "E" for a with frame).
std::string VM_StackText(const std::vector<uint8_t>& items);
