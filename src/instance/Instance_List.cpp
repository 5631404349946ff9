#include "instance/Instance_List.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "object/Object_Class.h"
#include "object/Object_Table.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Table.h"
#include "run/Run_Game.h"
#include "room/Room_Draw.h"

// ---- the depth-ordered list ----------------------------------------------------------------------

InstanceQuietLists g_QuietLists;

// The instance a new one of this depth goes in front of: the first in the list whose key is
// greater. NaN keys are never greater, and a NaN depth is greater than none. A depth that is a
// number is counted in its key's entry.
CInstance* CInstanceList::InsertionPoint(CInstance* instance, float depth)
{
    if (m_Appended) {
        CInstance* after = m_pHead;
        while (after != nullptr && !(after->m_DepthKey > depth)) after = after->m_pNext;
        return after;
    }
    if (std::isnan(depth)) return nullptr;
    // Equal keys sit together before the first greater one, so a key already held keeps its first.
    auto entry = m_LastRun;
    if (entry == m_DepthIndex.end() || !(entry->first == depth)) {
        entry = m_DepthIndex.try_emplace(depth, DepthRun{instance, 0}).first;
        m_LastRun = entry;
    }
    ++entry->second.count;
    auto deeper = std::next(entry);
    return deeper != m_DepthIndex.end() ? deeper->second.first : nullptr;
}

void CInstanceList::AddByDepth(CInstance* instance)
{
    // The motion pass has work only if the instance moves: a list of instances made and destroyed
    // in their steps stays without movers.
    const CInstanceList* still = instance->HasMotion() ? nullptr : g_QuietLists.motion;
    Instance_ForgetQuiet();
    g_QuietLists.motion = still;
    float depth = instance->i_depth;
    CInstance* after = InsertionPoint(instance, depth);
    instance->m_DepthKey = depth;
    instance->m_pList = this;
    ++m_Count;
    instance->m_pNext = after;
    if (after == nullptr) {
        instance->m_pPrev = m_pTail;
        if (m_pTail != nullptr) m_pTail->m_pNext = instance;
        else m_pHead = instance;
        m_pTail = instance;
        return;
    }
    instance->m_pPrev = after->m_pPrev;
    if (after->m_pPrev != nullptr) after->m_pPrev->m_pNext = instance;
    else m_pHead = instance;
    after->m_pPrev = instance;
}

void CInstanceList::Append(CInstance* instance)
{
    Instance_ForgetQuiet();
    instance->m_pList = this;
    instance->m_pNext = nullptr;
    instance->m_pPrev = m_pTail;
    if (m_pTail != nullptr) m_pTail->m_pNext = instance;
    else m_pHead = instance;
    m_pTail = instance;
    ++m_Count;
    m_Appended = true;
    m_DepthIndex.clear();
    m_LastRun = m_DepthIndex.end();
}

bool CInstanceList::Remove(CInstance* instance)
{
    // Unlinking an instance of another list would cut that list and miscount both.
    if (instance->m_pList != this) return false;
    if (!std::isnan(instance->m_DepthKey)) Uncount(instance);
    if (instance->m_pPrev != nullptr) instance->m_pPrev->m_pNext = instance->m_pNext;
    else m_pHead = instance->m_pNext;
    if (instance->m_pNext != nullptr) instance->m_pNext->m_pPrev = instance->m_pPrev;
    else m_pTail = instance->m_pPrev;
    instance->m_pNext = nullptr;
    instance->m_pPrev = nullptr;
    instance->m_pList = nullptr;
    --m_Count;
    // An emptied list is depth-ordered again.
    if (m_pHead == nullptr) m_Appended = false;
    return true;
}

void CInstanceList::Uncount(CInstance* instance)
{
    // A list that was appended to keeps no entries.
    auto entry = m_LastRun;
    if (entry == m_DepthIndex.end() || !(entry->first == instance->m_DepthKey)) {
        entry = m_DepthIndex.find(instance->m_DepthKey);
        if (entry == m_DepthIndex.end()) return;
        m_LastRun = entry;
    }
    DepthRun& run = entry->second;
    if (--run.count == 0) {
        m_DepthIndex.erase(entry);
        m_LastRun = m_DepthIndex.end();
        return;
    }
    if (run.first != instance) return;
    // The next of the same key, past any NaN keys between: keys that are numbers never decrease.
    CInstance* next = instance->m_pNext;
    while (!(next->m_DepthKey == instance->m_DepthKey)) next = next->m_pNext;
    run.first = next;
}

void CInstanceList::Forget()
{
    m_pHead = nullptr;
    m_pTail = nullptr;
    m_Count = 0;
    m_DepthIndex.clear();
    m_LastRun = m_DepthIndex.end();
    m_Appended = false;
}

bool CInstanceList::Delete(CInstance* instance, int32_t mode)
{
    if (!Remove(instance)) return false;
    if (mode == INSTANCE_LIST_RELEASE) {
        delete instance; // the destructor releases
    } else if (mode == INSTANCE_LIST_FREE) {
        CInstance::operator delete(instance);
    }
    return true;
}

// ---- the id hash ---------------------------------------------------------------------------------

namespace {

constexpr uint32_t INSTANCE_HASH_BUCKETS = 512;

Hash<CInstance>* g_pInstanceHash = nullptr;

void FreeInstanceHash()
{
    if (g_pInstanceHash == nullptr) return;
    g_pInstanceHash->Clear(HASH_RELEASE);
    delete g_pInstanceHash;
    g_pInstanceHash = nullptr;
}

} // namespace

Hash<CInstance>& Instance_Hash()
{
    if (g_pInstanceHash == nullptr) {
        g_pInstanceHash = new Hash<CInstance>(INSTANCE_HASH_BUCKETS);
        std::atexit(FreeInstanceHash);
    }
    return *g_pInstanceHash;
}

CInstance* Instance_FindById(int32_t id) { return Instance_Hash().Find(static_cast<uint32_t>(id)); }

void Instance_AddToHash(CInstance* instance) { Instance_Hash().Insert(static_cast<uint32_t>(instance->i_id), instance); }

void Instance_RemoveFromHash(CInstance* instance)
{
    Instance_Hash().DeleteValue(static_cast<uint32_t>(instance->i_id), instance, HASH_KEEP);
}

void Instance_ClearHash()
{
    Hash<CInstance>& hash = Instance_Hash();
    HashIterator<CInstance> walk(hash);
    // Move past an instance before deleting it.
    CInstance* instance = walk.Start();
    while (instance != nullptr) {
        CInstance* next = walk.Next();
        hash.DeleteValue(static_cast<uint32_t>(instance->i_id), instance, HASH_RELEASE);
        instance = next;
    }
    hash.Clear(HASH_RELEASE);
}

void CInstance::SetId(int32_t id, bool rehash)
{
    if (rehash) Instance_RemoveFromHash(this);
    i_id = id;
    if (rehash) Instance_AddToHash(this);
}

// ---- applying a change of object -----------------------------------------------------------------

void CInstance::Relink() { Relink(Room_CurrentActiveList()); }

void CInstance::Relink(CInstanceList* activeList)
{
    if (m_pFormerObject != nullptr) {
        if (Object_Data(m_FormerObjectIndex) == m_pFormerObject) m_pFormerObject->RemoveInstance(this);
        m_pFormerObject = nullptr;
    }
    if (m_pObject != nullptr && Object_Data(i_objindex) == m_pObject) m_pObject->AddInstance(this);
    if (i_deactivated == 0 && activeList != nullptr && activeList->Remove(this)) activeList->AddByDepth(this);
}

// ---- access for variables and `with` -------------------------------------------------------------

CInstance* InstanceVariableAccess::FindById(int32_t id) { return Instance_FindById(id); }

void InstanceVariableAccess::VisitRoom(InstanceVisit visit, void* context)
{
    CInstanceList* list = m_RoomList != nullptr ? m_RoomList() : nullptr;
    if (list == nullptr) return;
    for (CInstance* instance = list->m_pHead; instance != nullptr;) {
        CInstance* next = instance->m_pNext;
        if (!visit(instance, context)) return;
        instance = next;
    }
}

void InstanceVariableAccess::VisitObject(int32_t objectIndex, InstanceVisit visit, void* context)
{
    CObject* object = Object_Data(objectIndex);
    if (object == nullptr) return;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr;) {
        ObjectInstanceNode* next = node->next;
        if (!visit(node->instance, context)) return;
        node = next;
    }
}

void InstanceVariableAccess::CollectObject(int32_t objectIndex, InstanceRow& found)
{
    CObject* object = Object_Data(objectIndex);
    if (object == nullptr) return;
    // Room for every node first, each instance written in place and counted when it runs: no test
    // of the row's room for each.
    const size_t start = found.size();
    found.resize(start + static_cast<size_t>(object->m_AllInstances.count));
    CInstance** out = found.data() + start;
    for (ObjectInstanceNode* node = object->m_AllInstances.head; node != nullptr; node = node->next) {
        CInstance* instance = node->instance;
        if (instance == nullptr || instance->IsMarked() || instance->IsDeactivated()) continue;
        *out++ = instance;
    }
    found.resize(static_cast<size_t>(out - found.data()));
}

void InstanceVariableAccess::VisitObjectChanges(InstanceVisit visit, void* context)
{
    for (int32_t i = 0; i < g_InstanceObjectChanges.count; ++i) {
        if (!visit(g_InstanceObjectChanges.items[i], context)) return;
    }
}

bool InstanceVariableAccess::IsMarked(CInstance* instance) { return instance->IsMarked(); }

bool InstanceVariableAccess::IsDeactivated(CInstance* instance) { return instance->IsDeactivated(); }

int32_t InstanceVariableAccess::ObjectIndex(CInstance* instance) { return instance->i_objindex; }

CVariableList* InstanceVariableAccess::Variables(CInstance* instance) { return instance->m_pVariables; }

// The record is not of standard layout, which is all offsetof warns of: it has no virtual parts, so
// the place is fixed.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
InstanceVariableAccess::InstanceVariableAccess(CInstanceList* (*roomList)()) : m_RoomList(roomList)
{
    listPlace = static_cast<int32_t>(offsetof(CInstance, m_pVariables));
}
#pragma GCC diagnostic pop

namespace {

// Variable access reaches the game's instances from the start; the hash's unit is always linked
// into the program (shut-down clears the hash), so this installs with it.
InstanceVariableAccess g_GameInstances(Room_CurrentActiveList);

struct InstallGameInstances {
    InstallGameInstances() { Variable_SetInstances(&g_GameInstances); }
};
InstallGameInstances g_InstallGameInstances;

} // namespace
