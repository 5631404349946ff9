// Object services that game preparation and shut-down call before the objects issues land.
#pragma once

#include <cstdint>

// Compiles every object's events; false after the failure was reported.
bool Object_Prepare();
// Frees the event object lists at shut-down.
void ObjectLists_Free();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Object_Find(const char* name);
