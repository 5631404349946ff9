// How instances are reached: in depth order through a room's instance list (the instances' own
// links chain it), and by identifier through the one instance id hash.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "instance/Instance_Class.h"
#include "instance/Instance_Hash.h"
#include "variable/Variable_Access.h"

enum : int32_t {
    INSTANCE_LIST_UNLINK = 0,  // Delete only unlinks
    INSTANCE_LIST_RELEASE = 1, // releases and deletes the instance
    INSTANCE_LIST_FREE = 2,    // only frees its memory
};

// From head to tail the depth keys never decrease; an instance goes after every one of equal depth.
// (An instance of depth NaN goes to the tail and is passed over by later insertions.) A sorted
// index of the keys finds the place of an insertion without walking the list.
class CInstanceList {
public:
    void AddByDepth(CInstance* instance);
    // Links at the tail whatever the depth. A list built this way is no longer depth-ordered, so
    // its insertions walk the list until it is empty again.
    void Append(CInstance* instance);
    // Unlinks; false (and nothing changes) when the instance is plainly not in this list.
    bool Remove(CInstance* instance);
    bool Delete(CInstance* instance, int32_t mode);

    CInstance* m_pHead = nullptr;
    CInstance* m_pTail = nullptr;
    int32_t m_Count = 0;

private:
    CInstance* FirstDeeperThan(float depth) const;

    // (depth key, insertion order) of every linked instance with a depth that is a number; the
    // order tells equal depths apart in list order.
    std::map<std::pair<float, uint64_t>, CInstance*> m_ByDepth;
    bool m_Appended = false;
};

// The instance id hash: 512 buckets, made on first use, emptied in the releasing mode at exit.
Hash<CInstance>& Instance_Hash();
CInstance* Instance_FindById(int32_t id);
void Instance_AddToHash(CInstance* instance);
// Drops this instance's entry (not another's that carries the same identifier).
void Instance_RemoveFromHash(CInstance* instance);
// Releases and deletes every instance still in the hash.
void Instance_ClearHash();

// The instances that variable access and `with` reach: the active list that `roomList` gives (the
// current room's for the game), the id hash, the objects' instance lists and the object changes.
class InstanceVariableAccess : public IVariableInstances {
public:
    explicit InstanceVariableAccess(CInstanceList* (*roomList)()) : m_RoomList(roomList) {}
    CInstance* FindById(int32_t id) override;
    void VisitRoom(InstanceVisit visit, void* context) override;
    void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) override;
    void VisitObjectChanges(InstanceVisit visit, void* context) override;
    bool IsMarked(CInstance* instance) override;
    bool IsDeactivated(CInstance* instance) override;
    int32_t ObjectIndex(CInstance* instance) override;
    CVariableList* Variables(CInstance* instance) override;

private:
    CInstanceList* (*m_RoomList)();
};
