#include "path/Path_Placeholders.h"

// PLACEHOLDER until paths are loaded: the table starts empty.
void Path_Init() {}

// PLACEHOLDER until paths are loaded: no path has any name.
int32_t Path_Find(const char*)
{
    return -1;
}

// PLACEHOLDER until paths are loaded: a path without points (see Path_Placeholders.h).
float CPath::GetLength() const
{
    return 0.0f;
}
void CPath::GetPositionAt(float, float* x, float* y, float* speed) const
{
    *x = 0.0f;
    *y = 0.0f;
    *speed = 100.0f;
}

// PLACEHOLDER until paths are loaded: a path without points has no line to draw.
void CPath::Draw(float, float, bool) const {}

// PLACEHOLDER until paths are loaded: no path is loaded.
bool Path_Exists(int32_t)
{
    return false;
}

// PLACEHOLDER until paths are loaded: no path is loaded.
CPath* Path_Data(int32_t)
{
    return nullptr;
}
