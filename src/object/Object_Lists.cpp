#include "object/Object_Lists.h"

#include <cstring>
#include <set>
#include <utility>

#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "platform/Platform_MemoryManager.h"

EventObjectList g_EventObjectLists[EVENT_LIST_TYPES][EVENT_LIST_SUBTYPES];
int32_t g_EventObjectCounts[EVENT_LIST_TYPES][EVENT_LIST_SUBTYPES];
CollisionPair* g_CollisionPairs = nullptr;
int32_t g_CollisionPairCount = 0;
int32_t g_CollisionPairCapacity = 0;

namespace {

void Append(int32_t type, int32_t subtype, int32_t object)
{
    EventObjectList& list = g_EventObjectLists[type][subtype];
    int32_t& count = g_EventObjectCounts[type][subtype];
    if (count >= list.capacity) {
        list.capacity += EVENT_LIST_GROWTH;
        list.objects = static_cast<int32_t*>(MEM_REALLOC(list.objects, sizeof(int32_t) * static_cast<size_t>(list.capacity)));
    }
    list.objects[count++] = object;
}

void ZeroCounts(int32_t type) { std::memset(g_EventObjectCounts[type], 0, sizeof g_EventObjectCounts[type]); }

void AppendPair(const CollisionPair& pair)
{
    if (g_CollisionPairCount >= g_CollisionPairCapacity) {
        g_CollisionPairCapacity += EVENT_LIST_GROWTH;
        g_CollisionPairs = static_cast<CollisionPair*>(
            MEM_REALLOC(g_CollisionPairs, sizeof(CollisionPair) * static_cast<size_t>(g_CollisionPairCapacity)));
    }
    g_CollisionPairs[g_CollisionPairCount++] = pair;
}

void FreePairs()
{
    MemoryManager::Free(g_CollisionPairs);
    g_CollisionPairs = nullptr;
    g_CollisionPairCount = 0;
    g_CollisionPairCapacity = 0;
}

} // namespace

void ObjectLists_BuildType(int32_t type, int32_t lastSubtype)
{
    ZeroCounts(type);
    int32_t count = Object_Count();
    for (int32_t subtype = 0; subtype <= lastSubtype; ++subtype) {
        for (int32_t index = 0; index < count; ++index) {
            const CObject* object = Object_Data(index);
            if (object != nullptr && object->FindEvent(type, subtype) != nullptr) Append(type, subtype, index);
        }
    }
}

void ObjectLists_BuildCollisionPairs()
{
    FreePairs();
    // The pairs keep the order they were found in; the set only answers "seen before".
    std::set<std::pair<int32_t, int32_t>> seen;
    int32_t count = Object_Count();
    for (int32_t a = 0; a < count; ++a) {
        const CObject* object = Object_Data(a);
        if (object == nullptr) continue;
        for (int32_t b = 0; b < count; ++b) {
            if (object->FindEvent(4, b) == nullptr) continue;
            CollisionPair pair{a < b ? a : b, a < b ? b : a};
            if (seen.emplace(pair.lower, pair.higher).second) AppendPair(pair);
        }
    }
}

void ObjectLists_Build()
{
    // Run-time changes of events and parents rebuild the lists; the remembered handlers go with them.
    Object_EventsChanged();
    ObjectLists_BuildType(0, 0);
    ObjectLists_BuildType(1, 0);
    ObjectLists_BuildType(2, 12);
    ObjectLists_BuildType(3, 16);
    ZeroCounts(4);
    ObjectLists_BuildType(5, 128);
    ObjectLists_BuildType(6, 128);
    ObjectLists_BuildType(7, 128);
    ObjectLists_BuildType(8, 0);
    ObjectLists_BuildType(9, 128);
    ObjectLists_BuildType(10, 128);
    ObjectLists_BuildCollisionPairs();
}

void ObjectLists_Free()
{
    for (auto& row : g_EventObjectLists) {
        for (EventObjectList& list : row) {
            if (list.capacity < 1) continue;
            MemoryManager::Free(list.objects);
            list.objects = nullptr;
            list.capacity = 0;
        }
    }
    std::memset(g_EventObjectCounts, 0, sizeof g_EventObjectCounts);
    FreePairs();
}

int32_t ObjectLists_Count(int32_t type, int32_t subtype)
{
    if (type < 0 || type >= EVENT_LIST_TYPES || subtype < 0 || subtype >= EVENT_LIST_SUBTYPES) return 0;
    return g_EventObjectCounts[type][subtype];
}

const int32_t* ObjectLists_Objects(int32_t type, int32_t subtype)
{
    if (ObjectLists_Count(type, subtype) == 0) return nullptr;
    return g_EventObjectLists[type][subtype].objects;
}
