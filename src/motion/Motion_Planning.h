// Motion planning: step an instance towards a goal while avoiding other instances, straight (the
// linear planner, which stops when blocked) or by trying turned headings around the straight one
// (the potential-field planner). The path forms run the steps ahead into a path resource and put the
// instance back where it was, facing as it was.
//
// obj is -3 (every instance: solid ones, or all of them when checkAll) or the target the instance
// must not meet (an object index or an instance id).
#pragma once

#include <cstdint>

class CInstance;

// The potential-field settings, one set for the program.
struct MotionSettings {
    float maxRotation = 30.0f;  // degrees a step may turn from the current direction
    float rotationStep = 10.0f; // degrees between the headings tried
    float lookAhead = 3.0f;     // in steps: how far ahead a heading must be free
    bool onTheSpot = true;      // turn by the maximum rotation when no heading is free
};

// One straight step; true when the goal is reached or lies within this step (also when blocked).
bool MP_LinearStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj, bool checkAll);
// True when a straight way to the goal was written into the path.
bool MP_LinearPath(CInstance* instance, int32_t path, float xgoal, float ygoal, float stepSize, int32_t obj,
                   bool checkAll);
// One potential-field step; true when the goal is reached or lies within this step.
bool MP_PotentialStep(CInstance* instance, float xgoal, float ygoal, float stepSize, int32_t obj,
                      bool checkAll);
// True when a way no longer than `factor` times the straight distance was written into the path.
bool MP_PotentialPath(CInstance* instance, int32_t path, float xgoal, float ygoal, float stepSize,
                      float factor, int32_t obj, bool checkAll);
// Each of the three reals below 1 (or not a number) is stored as 1.
void MP_PotentialSettings(float maxRotation, float rotationStep, float lookAhead, bool onTheSpot);
const MotionSettings& MP_Settings();

// Degrees counter-clockwise, y downward, from (x1, y1) to (x2, y2); 0 for the same point.
float MP_Direction(float x1, float y1, float x2, float y2);
// Whether the instance put at (x, y) meets nothing the planners avoid.
bool MP_PlaceFree(CInstance* instance, float x, float y, int32_t obj, bool checkAll);
