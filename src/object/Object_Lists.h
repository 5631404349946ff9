// The event object lists: for each event type and subtype, the indices of the objects that handle
// it (themselves or through a parent), in ascending order; and for collisions the pairs of objects
// with a collision event between them. The frame's stages walk these instead of asking every object.
// Rebuilt when the game starts and when scripts change parents or events.
#pragma once

#include <cstdint>

constexpr int32_t EVENT_LIST_TYPES = 12;
constexpr int32_t EVENT_LIST_SUBTYPES = 256;
// Lists and the pair list grow by this many entries at a time.
constexpr int32_t EVENT_LIST_GROWTH = 5;

struct EventObjectList {
    int32_t capacity;
    int32_t* objects; // owned; the first g_EventObjectCounts[type][subtype] entries are in use
};

// An unordered pair of objects, the smaller index first.
struct CollisionPair {
    int32_t lower;
    int32_t higher;
};

// Readers use these directly: list (type, subtype) holds g_EventObjectCounts[type][subtype] indices.
extern EventObjectList g_EventObjectLists[EVENT_LIST_TYPES][EVENT_LIST_SUBTYPES];
extern int32_t g_EventObjectCounts[EVENT_LIST_TYPES][EVENT_LIST_SUBTYPES];
// The collision pairs, in the order they were found.
extern CollisionPair* g_CollisionPairs;
extern int32_t g_CollisionPairCount;
extern int32_t g_CollisionPairCapacity;

void ObjectLists_Build();
// Zeroes the type's 256 counts and fills subtypes 0 to `lastSubtype`.
void ObjectLists_BuildType(int32_t type, int32_t lastSubtype);
void ObjectLists_BuildCollisionPairs();
// Frees every list and the pairs (shut-down).
void ObjectLists_Free();

// The count of list (type, subtype), 0 outside the table; and its indices.
int32_t ObjectLists_Count(int32_t type, int32_t subtype);
const int32_t* ObjectLists_Objects(int32_t type, int32_t subtype);
