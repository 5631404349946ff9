// Background services of start-up and shut-down, before the backgrounds issue lands.
#pragma once

#include <cstdint>

void Background_InitTextures();
void Background_Clear();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Background_Find(const char* name);
