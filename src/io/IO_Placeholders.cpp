#include "io/IO_Placeholders.h"

// PLACEHOLDER until virtual buttons exist: there are no virtual keys to draw.
void IO_VirtualKey_DrawAll() {}

// PLACEHOLDER until virtual buttons exist: there are no virtual keys to delete.
void IO_VirtualKey_DeleteAll() {}
