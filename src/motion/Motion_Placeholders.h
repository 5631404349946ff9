// Motion planning and motion grids, standing in until they exist: the planners and the grid table
// that the mp_ built-ins and shut-down call.
#pragma once

#include <cstdint>

class CInstance;

void CGrid_DestroyAll();

// The planners: one step towards a goal (true when it is reached or within the step), or the whole
// way written into a path (true when a path was written). obj is -3 (every instance, solid ones
// unless checkAll) or the target the instance must not meet.
bool MP_LinearStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj, bool checkAll);
bool MP_LinearPath(CInstance* instance, int32_t path, float xgoal, float ygoal, float stepSize, int32_t obj,
                   bool checkAll);
bool MP_PotentialStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj,
                      bool checkAll);
bool MP_PotentialPath(CInstance* instance, int32_t path, float xgoal, float ygoal, float stepSize,
                      float factor, int32_t obj, bool checkAll);
void MP_PotentialSettings(float maxRotation, float rotationStep, float lookAhead, bool onTheSpot);

// The grids: created with every cell free; the index of the new grid, or -1.
int32_t CGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                     int32_t cellHeight);
void CGrid_Destroy(int32_t grid);
void CGrid_ClearAll(int32_t grid);
void CGrid_ClearCell(int32_t grid, int32_t h, int32_t v);
void CGrid_ClearRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void CGrid_AddCell(int32_t grid, int32_t h, int32_t v);
void CGrid_AddRectangle(int32_t grid, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void CGrid_AddInstances(int32_t grid, CInstance* instance, bool precise);
bool CGrid_Path(int32_t grid, int32_t path, int32_t xstart, int32_t ystart, int32_t xgoal, int32_t ygoal,
                bool allowDiagonal);
void CGrid_Draw(int32_t grid);
