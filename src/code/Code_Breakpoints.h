// The interpreter's debugger services: the breakpoint table patched into code words, the break-now
// and step requests that the run loop turns into a break, and the debug block that describes the
// running code. Code addresses are virtual 32-bit addresses: each code entry of the game file gets a
// range of its own, so the debugger can name any word of loaded code and nothing else.
#pragma once

#include <cstdint>

class CCode;
class IBuffer;
struct VMRunState;

constexpr int32_t VM_BREAKPOINT_SLOTS = 256;
constexpr int32_t VM_BREAKPOINT_FULL = 255; // also the answer of a refused or absent address
constexpr uint32_t VM_BREAKPOINT_WORD = 0xFFFF0000u;
constexpr uint32_t VM_NO_ADDRESS = 0xFFFFFFFFu;
// Where the first code entry's words start in the debugger's address space.
constexpr uint32_t VM_CODE_ADDRESS_BASE = 0x10000000u;
// Code compiled from source text takes its ranges from here on (the code entries stop below).
constexpr uint32_t VM_TEXT_CODE_ADDRESS_BASE = 0x80000000u;

struct VMBreakpoint {
    uint32_t savedWord;
    uint32_t address; // VM_NO_ADDRESS: free
};
extern VMBreakpoint g_VMBreakpoints[VM_BREAKPOINT_SLOTS];

// Start-up step "VM Init": every slot free.
void VM_Init();
// Adds a breakpoint on the instruction word at the address and answers its slot; an address already
// present is kept once (its slot answered). 255 when the table is full or the address is not an
// instruction word of loaded code.
int32_t VM_AddBreakpoint(uint32_t address);
// Frees the slot of the address and answers it, or 255 when the address has none.
int32_t VM_RemoveBreakpoint(uint32_t address);
void VM_ClearBreakpoints();
// Writes the breakpoint word into every named code word, or each saved word back (last slot first).
void VM_InsertBreakpoints();
void VM_RestoreBreakpoints();

// The address of the first word of code entry `index`, or 0 when it has none.
uint32_t VM_CodeEntryAddress(int32_t index);
// The address of words that are a code entry's or registered text code's, or 0.
uint32_t VM_CodeWordsAddress(const uint8_t* words);
// The address of a code object's first word: its entry's, or the range it was registered under.
uint32_t VM_CodeAddress(const CCode* code);
// Code compiled from source text into bytecode gets a range of its own (stored in the code object),
// and gives it back when the code is deleted: breakpoints in it are freed then, never written to.
void VM_RegisterTextCode(CCode* code);
void VM_ForgetTextCode(CCode* code);
// The registered text code whose range starts at or after the address, or null: walks the registry
// in address order.
const CCode* VM_TextCodeFrom(uint32_t address);

// Requests. The loop looks at all of them through one flag, so they are set through these.
void VM_RequestBreak();
// Stepping: the break comes before the first instruction whose code text or source line differs
// from these (null and -1 when no code was running).
void VM_RequestStep(const char* code, int32_t line);
void VM_CancelRequests();
bool VM_BreakRequested();
bool VM_StepRequested();

// The running code's source text and the line of its next instruction (the place a step starts
// from); false, with null and -1, when no code is running.
bool VM_CurrentSourcePlace(const char** code, int32_t* line);

// The debug block: 0xFFFFFFFF when no code runs; else the code's address, the program counter, the
// ids of self and other, the local and global variables and the state of self.
void VM_DebugWriteInstance(IBuffer* buffer);

// Non-zero while a request or a pending re-insertion wants the loop's attention.
extern uint8_t g_VMAttention;

// For the run loop: handles the requests before the instruction at run.pc and fetches its word (the
// break word when a break is requested).
uint32_t VM_AttendAndFetch(VMRunState& run);
// For the break instruction at run.pc: puts the saved words back, has them patched in again before
// the next instruction and answers the word that now stands at run.pc.
uint32_t VM_BreakpointHit(VMRunState& run);
// For the end of a run: breakpoints that a break took out are put back now if no later instruction
// did it.
void VM_FinishBreaks();

