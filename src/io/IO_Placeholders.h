// Input services that stand in until virtual buttons exist; the rest of the input state is in
// IO_Input.h.
#pragma once

#include "io/IO_Input.h"

// Draws the virtual buttons over the room.
void IO_VirtualKey_DrawAll();
// Deletes every virtual key (a room ends).
void IO_VirtualKey_DeleteAll();
