// Script-engine services whose issues have not landed. The breakpoint table (VM_Init), the
// argument slots (Code_FreeScriptArguments) and the tree-walking executor are built; their headers
// stand here for the files that include this one.
#pragma once

#include <cstdint>

#include "code/Code_Breakpoints.h"
#include "code/Code_Executor.h"
#include "code/Code_Interpreter.h"
