// Script-table services of game preparation and shut-down, before the scripts issue lands.
#pragma once

// Compiles every script when the game carries source text; false after reporting the error.
bool Script_Prepare();
// Frees the script table (shut-down).
void Script_Clear();
