#include "datastructure/DataStructure_Placeholders.h"

// PLACEHOLDER until data structures exist: no map table exists, so no map can be destroyed.
void CDS_Map_Destroy(int32_t /*id*/) {}
