// Path services of start-up, before the paths issue lands.
#pragma once

#include <cstdint>

void Path_Init();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Path_Find(const char* name);

// PLACEHOLDER for the paths issue: what path following reads of a path. No path exists yet, so the
// definitions answer for a path without points: length 0, the point (0, 0) at speed factor 100.
class CPath {
public:
    float GetLength() const;
    void GetPositionAt(float position, float* x, float* y, float* speed) const;
};

// PLACEHOLDER for the path table issue: the table is empty.
CPath* Path_Data(int32_t index);
