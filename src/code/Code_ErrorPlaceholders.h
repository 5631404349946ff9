// What the error reporter reads of areas that are not built yet. Each declaration is a PLACEHOLDER
// until the area named beside it is built, which moves it to its own header and replaces its
// definition in Code_ErrorPlaceholders.cpp.
#pragma once

#include <cstdint>
#include <vector>

struct CDebugForm;
struct VMErrorFrame;
struct tagIConsole;

// The current action (g_CurrentEventObject, g_CurrentEventType, g_CurrentEventNumber,
// g_CurrentActionNumber), the event names and the object names are the event dispatch's and the
// object table's.
#include "object/Object_Table.h"
#include "run/Run_Event.h"
#include "run/Run_EventNames.h"

// The shader being compiled, for the error header (until shaders are loaded).
extern const char* g_CurrentShaderName;
extern uint8_t g_CurrentShaderIsFragment;

// Names for the error header: the time lines'.
#include "timeline/Timeline_Table.h"


// The remote debugger's flag, set while it evaluates an expression, and the debug form's refresh.
#include "debug/Debug_Form.h"
#include "debug/Debug_Remote.h"

// The running bytecode interpreter's levels (VM_GetErrorFrames) and its variable dump
// (VM_ReportVariables) are the interpreter's.
#include "code/Code_Interpreter.h"
