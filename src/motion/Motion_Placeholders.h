// Motion-planning services of shut-down, standing in until motion grids exist.
#pragma once

void CGrid_DestroyAll();
