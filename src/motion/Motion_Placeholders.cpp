#include "motion/Motion_Placeholders.h"

// PLACEHOLDER for the motion grids issue: no grid exists.
void CGrid_DestroyAll() {}
