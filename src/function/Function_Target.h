// The object-or-instance argument of the instance, place, position and collision built-ins:
// -1 self, -2 other, -3 all, -4 noone (also what "not found" answers), 100000 and above an instance
// identifier, any other number an object index standing for the object and its descendants.
#pragma once

#include <cstdint>
#include <vector>

class CInstance;

constexpr int32_t FUNCTION_TARGET_SELF = -1;
constexpr int32_t FUNCTION_TARGET_OTHER = -2;
constexpr int32_t FUNCTION_TARGET_ALL = -3;
constexpr int32_t FUNCTION_TARGET_NOONE = -4;

// For the routines that accept self and other: -1 and -2 become that instance's identifier, or
// noone when the routine runs without one. Any other target is returned as it is.
int32_t Function_SubstituteTarget(int32_t target, CInstance* self, CInstance* other);

// The instances a target names, in list order, gathered before the caller acts on them so that
// instances it creates or destroys do not disturb the walk. Instances marked for deletion and
// deactivated ones are left out. -1, -2 and -4 name nothing here: substitute them first where a
// routine accepts them.
std::vector<CInstance*> Function_TargetInstances(int32_t target);
