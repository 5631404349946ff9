// How errors of game code reach the player and the log: compile and run errors at a position of a
// code object's text, run-time errors of the current action, and finished texts shown in the error
// form (which end the game when fatal).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Base_Console.h"

class CCode;
class VMBuffer;

// The script error state, shared with the execution entry points: the flag is set by the first
// report of a compilation or execution (later reports are ignored while it is set), and the text
// holds that report.
extern bool g_CodeErrorFlag;
extern std::string g_CodeErrorText;

// What scripts read as error_last and error_occurred.
extern std::string g_ErrorLast;
extern uint8_t g_ErrorOccurred;

// Set when a fatal error ends the game; Error_Show then does nothing more.
extern bool g_ErrorQuitting;

// The error form's record, filled before the form opens.
struct ErrorFormRecord {
    std::string message;      // UTF-8; the form's "Clear" empties it
    bool ignoreAllowed = false;
};
extern ErrorFormRecord g_ErrorForm;

// A compile or run error at a position of the code object's text: keeps "Error in code at line..."
// (programs) or "Error in expression..." (expressions) as the error text, first error only.
void Code_Report_Error(CCode* code, int32_t position, const char* message);

// A built-in about to build a text of `length` bytes: when that is longer than a script string may be
// (VALUE_MAX_TEXT), reports the fatal error "String result too long." and answers true.
bool Error_TextTooLong(uint64_t length);

// The levels of script runs an error unwinds through: each failed level is noted (innermost first)
// and, when the outermost run returns, they all go in front of the error text at once, outermost
// first, as "In script <name>:\n" lines. Prefixing level by level would copy the text once per level.
void Code_Error_NoteFailedLevel(const char* prefix, const char* name);
void Code_Error_FoldFailedLevels();

// A run-time error of the current action: the full report (event and object, or time line, or
// shader; the interpreter's place and call stack), shown through Error_Show, then the variables to
// the script console.
void Error_Show_Action(const char* message, bool fatal);
// One level of the running bytecode interpreter as the action error report prints it: the running
// code first, then each calling script frame outwards until one without code. `offset` is the
// program counter of the running code and the return offset of a caller.
struct VMErrorFrame {
    const char* name = nullptr;
    const VMBuffer* debugInfo = nullptr;
    const char* text = nullptr;
    int32_t offset = 0;
};

// The report Error_Show_Action shows, for the interpreter levels given (none: no bytecode running).
std::string Error_BuildActionReport(const char* message, bool fatal, const std::vector<VMErrorFrame>& frames);

// Shows a finished text in the error form, logs it, records it as error_last and ends the game when
// the error is fatal (run request -400). A null text clears error_last.
void Error_Show(const char* text, bool fatal);

// Reports a fatal error and ends the process at once with the exit code: load errors end with 1,
// interpreter errors with -1 (255 as Linux reports it).
[[noreturn]] void Error_ShowAndExit(const char* text, int32_t exitCode);
// Its second half: flushes the log and ends the process (or runs the exit hook).
[[noreturn]] void Error_Exit(int32_t exitCode);
// What Error_ShowAndExit runs in place of ending the process, when set: fuzz targets leave through
// it to go on with the next input. The hook must not return. Null restores the plain end.
using ErrorExitHook = void (*)(int32_t exitCode);
void Error_SetExitHook(ErrorExitHook hook);

// The text the error form shows: a rule of 43 "_", then the text with every line ending made
// "\r\n" and every tab seven spaces.
std::string ErrorForm_PrepareText(const char* text);

// Shows the error form for g_ErrorForm; 1 when the player chose Abort, 0 for Ignore.
int32_t ErrorForm_Show();

// Start-up step "Create Error Form": the form needs nothing made in advance.
void ErrorForm_Init(ErrorFormRecord* record);

// A console that collects its output as text instead of printing it; the action error report is
// put together in one.
class TErrStreamConsole : public tagIConsole {
public:
    TErrStreamConsole();
    ~TErrStreamConsole() override;
    bool Setup(int32_t, int32_t) override { return true; }
    void Output(const char* format, ...) override KELVARO_PRINTF(2, 3);

    const char* Text() const { return m_pText != nullptr ? m_pText : ""; }
    uint32_t Capacity() const { return m_Capacity; }

private:
    uint32_t m_Capacity = 102400;
    uint32_t m_Length = 0;
    char* m_pText = nullptr;
};
