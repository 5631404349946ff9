#include "motion/Motion_Placeholders.h"

// PLACEHOLDER until motion grids exist: no grid exists.
void CGrid_DestroyAll() {}
