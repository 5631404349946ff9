// The remote debugger's game side: its server on port 6502 (this machine only), the per-tick poll,
// the commands a connected tool sends and the evaluation of its expressions.
#pragma once

#include <cstdint>

class CInstance;
class IBuffer;
class qzServer;
class qzSocket;
struct ScriptValue;

constexpr uint16_t DEBUGGER_PORT = 6502;

enum DebuggerCommand : uint32_t {
    DEBUGGER_STATUS = 1,
    DEBUGGER_GAME_DATA = 2,
    DEBUGGER_PAUSE = 3,
    DEBUGGER_RESUME = 4,
    DEBUGGER_BREAK = 5,
    DEBUGGER_STEP = 6,
    DEBUGGER_BREAKPOINT = 8,
    DEBUGGER_EVALUATE = 9,
};

// The server start-up makes when the game file asks for debugging; null otherwise.
extern qzServer* g_pDebugServer;
// Set while an expression of the debugger is evaluated: its errors are not shown or logged.
extern uint8_t Debug_EvaluatingExpression;

// Start-up step "Debug Init Remote Interface": nothing to do until the server starts.
void Debugger_InitRemoteInterface();
// Once per tick: polls the server with the loaded code words in place, so the dump never shows
// breakpoint words.
void Debugger_SendUpdate();
// One request cut from a debugger connection.
void Debugger_HandleCommand(qzSocket* connection, const uint8_t* request, uint32_t length);

// Each builds its reply at the start of the buffer and sends it in one call.
void Debugger_SendStatus(qzSocket* connection, IBuffer* buffer);
void Debugger_SendGameData(qzSocket* connection, IBuffer* buffer);
void Debugger_EvaluateScripts(qzSocket* connection, IBuffer* buffer, const uint8_t* request, uint32_t length);
// The replies alone (tests).
void Debugger_WriteStatus(IBuffer* buffer);
void Debugger_WriteEvaluation(IBuffer* buffer, const uint8_t* request, uint32_t length);

// Pause and Resume: the paused flag, the step state reset (a pending break request stays). Returns 0.
int32_t Debugger_SetPaused(bool paused);
// Break (false) and Step (true).
void Debugger_BreakOrStep(bool step);
// Only an instruction word of live code is accepted; false, nothing written, for any other address.
bool Debugger_SetBreakpoint(uint32_t address, bool set);
// Frees the instance the debugger's expressions run for (program end).
void Debugger_FreeEvaluationInstance();
// Evaluates a text quietly for self and other = `instance`, under the code name given: as a program,
// else as an expression; false when neither compiles or the run fails. Errors are neither shown nor
// logged.
bool Debug_EvaluateText(const char* text, const char* name, CInstance* instance, ScriptValue* result);
// Evaluates one text for the debugger: as a program, else as an expression; "Unable to evaluate"
// when neither compiles or the run fails, "<array>" for an array.
void Debugger_ExecuteScript(const char* text, ScriptValue* result);
