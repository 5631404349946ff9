// Time-line services of game preparation, before the time lines issue lands.
#pragma once

#include <cstdint>

// Compiles the actions of every time line; false on the first failure.
bool TimeLine_Prepare();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t TimeLine_Find(const char* name);
