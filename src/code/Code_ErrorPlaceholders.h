// What the error reporter reads of areas that are not built yet. Each declaration is a PLACEHOLDER
// for the issue named beside it, which moves it to its own header and replaces its definition in
// Code_ErrorPlaceholders.cpp.
#pragma once

#include <cstdint>
#include <vector>

struct CDebugForm;
struct VMErrorFrame;
struct tagIConsole;

// The current action, kept by the event dispatcher and the time lines (issue "Event dispatch"):
// the object (or time line) index, the event type (-1 while a shader is compiled, 100000 while a
// time line runs), the event number (or time step) and the action number counted from 0.
extern int32_t g_CurrentEventObject;
extern int32_t g_CurrentEventType;
extern int32_t g_CurrentEventNumber;
extern int32_t g_CurrentActionNumber;

// The shader being compiled, for the error header (issue "Shaders and the shader chunk").
extern const char* g_CurrentShaderName;
extern uint8_t g_CurrentShaderIsFragment;

// Names for the error header: events (issue "Event dispatch"), objects (issue "Object
// definitions"), time lines (issue "Time lines").
const char* Event_GetName(int32_t type, int32_t subtype);
const char* Object_Name(int32_t index);
const char* TimeLine_Name(int32_t index);

// The number of UTF-8 characters of a text (issue "Text built-ins over UTF-8").
int32_t UTF8_Length(const char* text);

// The remote debugger (issue "Remote debugger"): set while it evaluates an expression.
extern uint8_t Debug_EvaluatingExpression;
// The debug form (issue "Debug form"): refreshes its status lines.
void DebugForm_UpdateStats(CDebugForm* form);

// The running bytecode interpreter's levels, running code first (issue "Interpreter loop").
void VM_GetErrorFrames(std::vector<VMErrorFrame>& frames);
// Writes the local, self and global variables of the running code to the console (each block after
// a rule of 92 "-" and its title); nothing when no bytecode is running.
void VM_ReportVariables(tagIConsole* console);
