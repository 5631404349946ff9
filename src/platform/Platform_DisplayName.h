// The game's display name: the caption of the message boxes the game's scripts show. The header
// chunk reader sets it when a game file is loaded; until then it is empty.
#pragma once

// Keeps a copy of the UTF-8 name (null clears it).
void Platform_SetDisplayName(const char* name);

// The name as set, never null.
const char* Platform_GetDisplayName();
