// Motion-planning services of shut-down, before the motion grids issue lands.
#pragma once

void CGrid_DestroyAll();
