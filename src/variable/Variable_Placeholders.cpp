// Routines of the variable area that the built-in variables issue builds, standing in until it
// lands. That issue deletes its entries here when it defines the real routine.
#include "variable/Variable_BuiltIn.h"

// PLACEHOLDER for the built-in variables issue: registers the 78 per-instance variables (none yet).
void Variable_BuiltIn_RegisterInstance() {}
// PLACEHOLDER for the built-in variables issue: registers the 106 global variables (none yet).
void Variable_BuiltIn_RegisterGlobal() {}
