#include "debug/Debug_Remote.h"

#include <string>
#include <vector>

#include "buffer/Buffer_IBuffer.h"
#include "code/Code_Breakpoints.h"
#include "code/Code_Error.h"
#include "code/Code_Execute.h"
#include "code/Code_Interpreter.h"
#include "code/Code_Object.h"
#include "debug/Debug_Messages.h"
#include "gamefile/GameFile_Options.h"
#include "instance/Instance_Class.h"
#include "networking/Networking_Server.h"
#include "networking/Networking_Socket.h"
#include "run/Run_Globals.h"

qzServer* g_pDebugServer = nullptr;
uint8_t Debug_EvaluatingExpression = 0;

namespace {

constexpr const char* UNABLE_TO_EVALUATE = "Unable to evaluate";

// Self and other of every evaluation; kept until the program ends.
CInstance* g_pEvaluationInstance = nullptr;

void SendReply(qzSocket* connection, IBuffer* buffer)
{
    connection->Send(buffer->m_pData, static_cast<size_t>(buffer->m_Position));
}

uint32_t RequestWord(const uint8_t* request, uint32_t at)
{
    return uint32_t(request[at]) | uint32_t(request[at + 1]) << 8 | uint32_t(request[at + 2]) << 16 |
           uint32_t(request[at + 3]) << 24;
}

enum class Outcome { NotCompiled, Failed, Done };

Outcome Evaluate(const char* text, const char* name, bool expression, CInstance* instance, ScriptValue* result)
{
    CCode code(text, expression);
    g_CodeErrorFlag = false;
    bool compiled = expression ? code.Compile(name) : Code_CompileForValue(&code, name);
    if (!compiled) return Outcome::NotCompiled;
    g_VMEvaluationFailed = 0;
    bool done = Code_Execute_Value(instance, instance, &code, result);
    return done && g_VMEvaluationFailed == 0 ? Outcome::Done : Outcome::Failed;
}

} // namespace

void Debugger_InitRemoteInterface() {}

void Debugger_SendUpdate()
{
    if (g_pDebugServer == nullptr) return;
    VM_RestoreBreakpoints();
    g_pDebugServer->Process();
    VM_InsertBreakpoints();
}

void Debugger_WriteStatus(IBuffer* buffer)
{
    Debugger_WriteHeader(buffer, g_Paused != 0 ? 1 : 0);
    if (g_Paused != 0) VM_DebugWriteInstance(buffer);
}

void Debugger_SendStatus(qzSocket* connection, IBuffer* buffer)
{
    buffer->Seek(0, 0);
    Debugger_WriteStatus(buffer);
    SendReply(connection, buffer);
}

void Debugger_SendGameData(qzSocket* connection, IBuffer* buffer)
{
    buffer->Seek(0, 0);
    Debugger_WriteGameData(buffer);
    SendReply(connection, buffer);
}

void Debugger_WriteEvaluation(IBuffer* buffer, const uint8_t* request, uint32_t length)
{
    std::vector<DebugExpression> expressions = Debugger_ReadEvaluateRequest(request, length);
    Debugger_WriteHeader(buffer, DEBUGGER_EVALUATE);
    DebugCountWord size(buffer);
    DebugCountWord count(buffer);
    uint32_t written = 0;
    for (const DebugExpression& expression : expressions) {
        ScriptValue result{};
        Debugger_ExecuteScript(expression.text.c_str(), &result);
        Debugger_WriteU32(buffer, expression.id);
        bool text = Value_GetKind(&result) == VALUE_STRING;
        Debugger_WriteU8(buffer, text ? 1 : 0);
        if (text)
            buffer->WriteSizedString(Value_GetText(&result));
        else
            Debugger_WriteF64(buffer, result.real);
        Value_Free(&result);
        ++written;
    }
    count.Fill(written);
    size.Fill(static_cast<uint32_t>(buffer->m_Position));
}

void Debugger_EvaluateScripts(qzSocket* connection, IBuffer* buffer, const uint8_t* request, uint32_t length)
{
    buffer->Seek(0, 0);
    Debugger_WriteEvaluation(buffer, request, length);
    SendReply(connection, buffer);
}

void Debugger_HandleCommand(qzSocket* connection, const uint8_t* request, uint32_t length)
{
    if (length < DEBUG_MESSAGE_SIZE) return;
    IBuffer* buffer = connection != nullptr ? connection->m_pSendBuffer : nullptr;
    switch (RequestWord(request, 8)) {
    case DEBUGGER_STATUS:
        if (buffer != nullptr) Debugger_SendStatus(connection, buffer);
        break;
    case DEBUGGER_GAME_DATA:
        if (buffer != nullptr) Debugger_SendGameData(connection, buffer);
        break;
    case DEBUGGER_PAUSE: Debugger_SetPaused(true); break;
    case DEBUGGER_RESUME: Debugger_SetPaused(false); break;
    case DEBUGGER_BREAK: Debugger_BreakOrStep(false); break;
    case DEBUGGER_STEP: Debugger_BreakOrStep(true); break;
    case DEBUGGER_BREAKPOINT: Debugger_SetBreakpoint(RequestWord(request, 12), request[16] != 0); break;
    case DEBUGGER_EVALUATE:
        if (buffer != nullptr) Debugger_EvaluateScripts(connection, buffer, request, length);
        break;
    default: break;
    }
}

int32_t Debugger_SetPaused(bool paused)
{
    bool breakPending = VM_BreakRequested();
    VM_CancelRequests();
    if (breakPending) VM_RequestBreak();
    g_Paused = paused ? 1 : 0;
    return 0;
}

void Debugger_BreakOrStep(bool step)
{
    if (!step) {
        VM_RequestBreak();
        return;
    }
    const char* code = nullptr;
    int32_t line = -1;
    VM_CurrentSourcePlace(&code, &line);
    VM_RequestStep(code, line);
    g_Paused = 0;
}

bool Debugger_SetBreakpoint(uint32_t address, bool set)
{
    if (set) return VM_AddBreakpoint(address) != VM_BREAKPOINT_FULL;
    return VM_RemoveBreakpoint(address) != VM_BREAKPOINT_FULL;
}

bool Debug_EvaluateText(const char* text, const char* name, CInstance* instance, ScriptValue* result)
{
    Value_Free(result);
    Value_SetReal(result, 0);
    // The form evaluates its watches also while an error of running code is being shown: that
    // error's state is put back afterwards.
    bool errorFlag = g_CodeErrorFlag;
    std::string errorText = g_CodeErrorText;
    uint8_t vmFailed = g_VMEvaluationFailed;
    bool showErrors = g_GameOptions.showErrors;
    g_GameOptions.showErrors = false;
    uint8_t evaluating = Debug_EvaluatingExpression;
    Debug_EvaluatingExpression = 1;
    // A program first, so "x = 5" assigns and "abs(-3)" gives the call's value; a text that is no
    // program ("1/4") as an expression. A program that ran and failed is not run again.
    Outcome outcome = Evaluate(text, name, false, instance, result);
    if (outcome == Outcome::NotCompiled) outcome = Evaluate(text, name, true, instance, result);
    g_CodeErrorFlag = errorFlag;
    g_CodeErrorText = errorText;
    g_VMEvaluationFailed = vmFailed;
    g_GameOptions.showErrors = showErrors;
    Debug_EvaluatingExpression = evaluating;
    return outcome == Outcome::Done;
}

void Debugger_FreeEvaluationInstance()
{
    delete g_pEvaluationInstance;
    g_pEvaluationInstance = nullptr;
}

void Debugger_ExecuteScript(const char* text, ScriptValue* result)
{
    if (g_pEvaluationInstance == nullptr) g_pEvaluationInstance = new CInstance(0, 0, 0, 0, false);
    if (!Debug_EvaluateText(text, "execute_debug_script", g_pEvaluationInstance, result))
        Value_SetText(result, UNABLE_TO_EVALUATE);
    else if (Value_GetKind(result) == VALUE_ARRAY)
        Value_SetText(result, "<array>");
}
