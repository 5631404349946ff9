// Path services of start-up, standing in until paths are loaded.
#pragma once

#include <cstdint>

void Path_Init();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Path_Find(const char* name);

// PLACEHOLDER until paths are loaded: what path following reads of a path. No path exists yet, so the
// definitions answer for a path without points: length 0, the point (0, 0) at speed factor 100.
class CPath {
public:
    float GetLength() const;
    void GetPositionAt(float position, float* x, float* y, float* speed) const;
    // PLACEHOLDER until paths are loaded: draw_path's line strip, at the path's own place when
    // absolute, else relative to (x, y). A path without points draws nothing.
    void Draw(float x, float y, bool absolute) const;
};

// PLACEHOLDER until paths are loaded: the table is empty.
CPath* Path_Data(int32_t index);
// PLACEHOLDER until paths are loaded: whether the index names a loaded path (none is).
bool Path_Exists(int32_t index);
