// Routines of the scripts area that other areas call, standing in until the scripts issue lands.
// Each does what the script table is specified to do while it holds no script. The scripts issue
// deletes its entries here when it defines the real routine.
#include <cstdint>

// PLACEHOLDER for the scripts issue (script table): no script has any name.
int32_t Script_Find(const char*) { return -1; }

#include "script/Script_Placeholders.h"

// PLACEHOLDER for the scripts issue: no script to compile.
bool Script_Prepare() { return true; }
// PLACEHOLDER for the scripts issue: the script table is empty.
void Script_Clear() {}
