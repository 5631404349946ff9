// Path services of start-up, before the paths issue lands.
#pragma once

#include <cstdint>

void Path_Init();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Path_Find(const char* name);
