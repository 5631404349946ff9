// The game commands that built-in functions and actions share: creating, destroying and changing
// instances, finding instances by point, shape, place or distance, testing places, the motion
// commands, the room moves, ending and restarting the game, and saving the screen.
//
// A target is -3 (every instance of the room list), an instance id (100000 or more) or an object
// index (that object's instances and its descendants'). Marked and deactivated candidates are
// skipped unless a command says otherwise.
#pragma once

#include <cstdint>
#include <vector>

class CInstance;

constexpr int32_t TARGET_ALL = -3;

// The usable instances of the target in target order, gathered before the caller acts on them.
std::vector<CInstance*> Run_TargetInstances(int32_t target);

CInstance* Run_CreateInstance(int32_t object, float x, float y);
void Run_DestroyInstance(CInstance* instance);
void Run_ChangeInstance(CInstance* instance, int32_t object, bool performEvents);
void Run_SetInstanceSprite(CInstance* instance, int32_t sprite);

// Queries: the first qualifying candidate in target order, or null.
CInstance* Run_CollisionPoint(CInstance* caller, float x, float y, int32_t target, int32_t precise,
                              bool notMe);
CInstance* Run_CollisionRectangle(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                                  int32_t precise, bool notMe);
CInstance* Run_CollisionEllipse(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                                int32_t precise, bool notMe);
CInstance* Run_CollisionLine(CInstance* caller, float x1, float y1, float x2, float y2, int32_t target,
                             int32_t precise, bool notMe);
CInstance* Run_InstancePosition(float x, float y, int32_t target);
CInstance* Run_InstancePlace(CInstance* instance, float x, float y, int32_t target);
bool Run_PlaceMeeting(CInstance* instance, int32_t target, float x, float y);
// True when an instance of the target covers the point (callers negate it for "empty").
bool Run_PositionEmpty(float x, float y, int32_t target);
int32_t Run_InstanceNumber(int32_t target);
CInstance* Run_InstanceNearest(float x, float y, int32_t target);
CInstance* Run_InstanceFurthest(float x, float y, int32_t target);
bool Run_PlaceEmpty(CInstance* instance, float x, float y);
bool Run_PlaceFree(CInstance* instance, float x, float y);
// 1: Run_PlaceEmpty, otherwise Run_PlaceFree.
bool Run_PlaceFreeOrEmpty(CInstance* instance, float x, float y, int32_t againstAll);

void Run_PositionDestroy(float x, float y);
void Run_PositionChange(float x, float y, int32_t object, bool performEvents);

void Run_MoveSnap(CInstance* instance, float hsnap, float vsnap);
void Run_MoveWrap(CInstance* instance, bool horizontal, bool vertical);
void Run_MoveTowardsPoint(CInstance* instance, float x, float y, float speed);
void Run_MoveContact(CInstance* instance, float direction, float maximum, bool againstAll);
void Run_MoveOutside(CInstance* instance, float direction, float maximum, bool againstAll);
void Run_MoveBounce(CInstance* instance, bool advanced, bool againstAll);

void Run_GotoRoom(int32_t room);
void Run_GotoPreviousRoom();
void Run_GotoNextRoom();
void Run_RestartRoom();
void Run_RequestGameEnd();
void Run_RequestGameRestart();
void Run_SaveScreenToPng(const char* fileName);
