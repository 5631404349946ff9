// How instances are reached: in depth order through a room's instance list (the instances' own
// links chain it), and by identifier through the one instance id hash.
#pragma once

#include <cstdint>
#include <map>

#include "instance/Instance_Class.h"
#include "instance/Instance_Hash.h"
#include "variable/Variable_Access.h"

enum : int32_t {
    INSTANCE_LIST_UNLINK = 0,  // Delete only unlinks
    INSTANCE_LIST_RELEASE = 1, // releases and deletes the instance
    INSTANCE_LIST_FREE = 2,    // only frees its memory
};

// A list kept by depth runs from head to tail with depth keys that never decrease, an instance
// going after every one of equal depth (one of depth NaN goes to the tail and is passed over by
// later insertions); a sorted index of the keys finds an insertion's place without walking the
// list. A list kept in the order of arrival (a room's deactivated list) only appends. Each instance
// knows the list that holds it.
class CInstanceList {
public:
    explicit CInstanceList(bool byDepth = true) : m_ByDepth(byDepth) {}
    CInstanceList(const CInstanceList&) = delete; // the last run points into this list's own index
    CInstanceList& operator=(const CInstanceList&) = delete;

    void AddByDepth(CInstance* instance);
    // Links at the tail whatever the depth. A list built this way is no longer depth-ordered, so
    // its insertions walk the list until it is empty again.
    void Append(CInstance* instance);
    // Unlinks; false (and nothing changes) when this list does not hold the instance.
    bool Remove(CInstance* instance);
    bool Delete(CInstance* instance, int32_t mode);
    // Forgets every instance without touching them (they are being destroyed).
    void Forget();

    CInstance* m_pHead = nullptr;
    CInstance* m_pTail = nullptr;
    int32_t m_Count = 0;
    const bool m_ByDepth; // a depth change re-sorts the instance here

private:
    CInstance* InsertionPoint(CInstance* instance, float depth);
    // Takes a leaving instance out of its key's entry (before it is unlinked).
    void Uncount(CInstance* instance);

    // The instance of a key that comes first in the list, and how many the list holds.
    struct DepthRun {
        CInstance* first;
        int32_t count;
    };
    // Every depth key that is a number among the linked instances, one entry for all that share it:
    // a room's instances mostly share a few depths, so that making and destroying one allocates
    // nothing here.
    using DepthIndex = std::map<float, DepthRun>;
    DepthIndex m_DepthIndex;
    // The entry the last insertion or removal counted in (end() when none): the next of the same
    // depth, the common case, needs no search of the index.
    DepthIndex::iterator m_LastRun = m_DepthIndex.end();
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
    explicit InstanceVariableAccess(CInstanceList* (*roomList)());
    CInstance* FindById(int32_t id) override;
    void VisitRoom(InstanceVisit visit, void* context) override;
    void VisitObject(int32_t objectIndex, InstanceVisit visit, void* context) override;
    void VisitObjectChanges(InstanceVisit visit, void* context) override;
    bool IsMarked(CInstance* instance) override;
    bool IsDeactivated(CInstance* instance) override;
    int32_t ObjectIndex(CInstance* instance) override;
    CVariableList* Variables(CInstance* instance) override;
    void CollectObject(int32_t objectIndex, InstanceRow& found) override;

private:
    CInstanceList* (*m_RoomList)();
};
