// The Game family: the routines behind the built-in functions that create, find, move, test and
// (de)activate instances, reach the motion planners, change rooms and end, save or load the game.
// Its registrar (Function_Game_Init, in Function_Game.cpp) enters them in one table; the routines
// live in the files named below.
#pragma once

#include <cstdint>

#include "code/Code_Value.h"

class CInstance;

// Whether the instance's sprite or, failing that, its mask exists: an instance with neither is
// placed by its position alone.
bool Game_HasSpriteOrMask(const CInstance* instance);
// A live instance exists and is neither marked for deletion nor deactivated: searches see only these.
bool Game_IsLive(const CInstance* instance);
// What a search answers: the instance's id, or noone (-4) for none.
double Game_IdOrNoone(const CInstance* instance);

// Jumps to a random place snapped to the grid (a snap of 0 or less is no grid) where self meets no
// solid instance, keeping self's box inside the room; stays after `tries` failed draws.
void Game_MoveRandom(CInstance* self, int32_t hsnap, int32_t vsnap, int32_t tries);

// Motion, places, distances and paths (Function_GameMotion.cpp).
void Builtin_MoveRandom(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                        ScriptValue* args);
void Builtin_PlaceFree(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                       ScriptValue* args);
void Builtin_PlaceEmpty(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                        ScriptValue* args);
void Builtin_PlaceMeeting(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_PlaceSnapped(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_MoveSnap(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_MoveTowardsPoint(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_MoveContact(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                         ScriptValue* args);
void Builtin_MoveContactSolid(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_MoveContactAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_MoveOutsideSolid(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_MoveOutsideAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_MoveBounceSolid(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_MoveBounceAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
void Builtin_MoveWrap(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_MotionSet(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                       ScriptValue* args);
void Builtin_MotionAdd(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                       ScriptValue* args);
void Builtin_DistanceToPoint(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_DistanceToObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_PathStart(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                       ScriptValue* args);
void Builtin_PathEnd(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);

// Motion planning and motion grids (Function_GamePlanning.cpp).
void Builtin_MpLinearStep(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_MpLinearPath(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_MpLinearStepObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);
void Builtin_MpLinearPathObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);
void Builtin_MpPotentialSettings(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                 ScriptValue* args);
void Builtin_MpPotentialStep(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_MpPotentialPath(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_MpPotentialStepObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                   ScriptValue* args);
void Builtin_MpPotentialPathObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                   ScriptValue* args);
void Builtin_MpGridCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_MpGridDestroy(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
void Builtin_MpGridClearAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_MpGridClearCell(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_MpGridClearRectangle(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                  ScriptValue* args);
void Builtin_MpGridAddCell(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
void Builtin_MpGridAddRectangle(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);
void Builtin_MpGridAddInstances(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);
void Builtin_MpGridPath(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                        ScriptValue* args);
void Builtin_MpGridDraw(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                        ScriptValue* args);

// Collisions (Function_GameMotion.cpp).
void Builtin_CollisionPoint(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_CollisionRectangle(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                ScriptValue* args);
void Builtin_CollisionCircle(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_CollisionEllipse(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_CollisionLine(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);

// Instances: creating, changing, finding and testing (Function_GameInstances.cpp).
void Builtin_InstanceFind(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_InstanceExists(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_InstanceNumber(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_InstancePosition(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_InstanceNearest(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_InstanceFurthest(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_InstancePlace(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
void Builtin_InstanceCreate(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_InstanceCopy(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_InstanceChange(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_InstanceDestroy(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_InstanceSprite(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_PositionEmpty(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                           ScriptValue* args);
void Builtin_PositionMeeting(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_PositionDestroy(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                             ScriptValue* args);
void Builtin_PositionChange(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);

// Deactivation and activation (Function_GameActivation.cpp).
void Builtin_InstanceDeactivateAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                   ScriptValue* args);
void Builtin_InstanceDeactivateObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                      ScriptValue* args);
void Builtin_InstanceDeactivateRegion(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                      ScriptValue* args);
void Builtin_InstanceActivateAll(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                 ScriptValue* args);
void Builtin_InstanceActivateObject(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                    ScriptValue* args);
void Builtin_InstanceActivateRegion(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                                    ScriptValue* args);

// Rooms, the game, transitions and sleep (Function_GameRooms.cpp).
void Builtin_RoomGoto(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_RoomGotoPrevious(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_RoomGotoNext(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_RoomPrevious(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                          ScriptValue* args);
void Builtin_RoomNext(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_RoomRestart(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                         ScriptValue* args);
void Builtin_GameEnd(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);
void Builtin_GameRestart(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                         ScriptValue* args);
void Builtin_GameLoad(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_GameSave(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                      ScriptValue* args);
void Builtin_GameSaveBuffer(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_GameLoadBuffer(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                            ScriptValue* args);
void Builtin_TransitionDefine(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_TransitionExists(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc,
                              ScriptValue* args);
void Builtin_Sleep(ScriptValue* result, CInstance* self, CInstance* other, int32_t argc, ScriptValue* args);

// The leaf forms (Code_Function.h) of the place tests, the point and place searches and the
// collision searches.
bool Leaf_PlaceFree(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_PlaceEmpty(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_PlaceMeeting(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_CollisionPoint(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_CollisionRectangle(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_CollisionCircle(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_CollisionEllipse(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_CollisionLine(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_InstancePosition(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_InstancePlace(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_PositionEmpty(CInstance* self, CInstance* other, const double* top, double* result);
bool Leaf_PositionMeeting(CInstance* self, CInstance* other, const double* top, double* result);
