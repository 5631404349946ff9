// What the error reporter reads of other areas, gathered in one header: the current action, event
// and object names, the shader being compiled, time-line names, the debugger and the interpreter.
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

// The remote debugger's flag, set while it evaluates an expression, and the debug form's refresh.
#include "debug/Debug_Form.h"
#include "debug/Debug_Remote.h"

// The running bytecode interpreter's levels (VM_GetErrorFrames) and its variable dump
// (VM_ReportVariables) are the interpreter's.
#include "code/Code_Interpreter.h"
