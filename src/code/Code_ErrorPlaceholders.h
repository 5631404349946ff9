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

// The shader being compiled, for the error header, is the shaders'.
#include "graphics/Graphics_Shader.h"

// Names for the error header: the time lines'.
#include "timeline/Timeline_Table.h"

// The remote debugger (until it exists): set while it evaluates an expression.
extern uint8_t Debug_EvaluatingExpression;
// The debug form (until it exists): refreshes its status lines.
void DebugForm_UpdateStats(CDebugForm* form);

// The running bytecode interpreter's levels (VM_GetErrorFrames) and its variable dump
// (VM_ReportVariables) are the interpreter's.
#include "code/Code_Interpreter.h"
