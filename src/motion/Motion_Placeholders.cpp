#include "motion/Motion_Placeholders.h"

// PLACEHOLDER until motion grids exist: no grid exists.
void CGrid_DestroyAll() {}

// PLACEHOLDER until motion planning exists: nothing is planned and the instance does not move.
bool MP_LinearStep(CInstance*, float, float, float, int32_t, bool)
{
    return false;
}

// PLACEHOLDER until motion planning exists: no path is written.
bool MP_LinearPath(CInstance*, int32_t, float, float, float, int32_t, bool)
{
    return false;
}

// PLACEHOLDER until motion planning exists: nothing is planned and the instance does not move.
bool MP_PotentialStep(CInstance*, float, float, float, int32_t, bool)
{
    return false;
}

// PLACEHOLDER until motion planning exists: no path is written.
bool MP_PotentialPath(CInstance*, int32_t, float, float, float, float, int32_t, bool)
{
    return false;
}

// PLACEHOLDER until motion planning exists: there are no settings to keep.
void MP_PotentialSettings(float, float, float, bool) {}

// PLACEHOLDER until motion grids exist: no grid is made.
int32_t CGrid_Create(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    return -1;
}

// PLACEHOLDERS until motion grids exist: no grid exists, so every grid index names none and the
// operations on one do nothing.
void CGrid_Destroy(int32_t) {}
void CGrid_ClearAll(int32_t) {}
void CGrid_ClearCell(int32_t, int32_t, int32_t) {}
void CGrid_ClearRectangle(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void CGrid_AddCell(int32_t, int32_t, int32_t) {}
void CGrid_AddRectangle(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void CGrid_AddInstances(int32_t, CInstance*, bool) {}
void CGrid_Draw(int32_t) {}

// PLACEHOLDER until motion grids exist: no grid, so no path is found.
bool CGrid_Path(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool)
{
    return false;
}
