// The data-structure map table as the frame's asynchronous stage uses it, standing in
// until data structures exist.
#pragma once

#include <cstdint>

// Destroys the map of that id and clears its slot in the map table; nothing for an unknown id.
void CDS_Map_Destroy(int32_t id);
