#include "object/Object_Class.h"

#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "instance/Instance_Class.h"
#include "object/Object_Event.h"
#include "object/Object_Table.h"
#include "platform/Platform_MemoryManager.h"

namespace {

// Every walk up a parent chain stops after this many steps, so that a cycle made at run time can
// never hang the game (the loader refuses cycles in the file).
int32_t ChainStepLimit() { return Object_Count() + 1; }

CObject* ParentOf(const CObject* object)
{
    int32_t parent = object->m_ParentIndex;
    return parent >= 0 ? Object_Data(parent) : nullptr;
}

// The first present handler for (type, subtype) from `start` up its parent chain.
CEvent* FindInChain(const CObject* start, int32_t type, int32_t subtype, int32_t* foundIn)
{
    int32_t steps = ChainStepLimit();
    for (const CObject* object = start; object != nullptr && steps-- > 0; object = ParentOf(object)) {
        if (CEvent* event = object->GetEvent(type, subtype)) {
            if (foundIn != nullptr) *foundIn = object->m_Index;
            return event;
        }
    }
    return nullptr;
}

} // namespace

// The lookup behind CObject::FindEvent and the dispatcher: the own chain, then for collisions the
// own chain again for each ancestor of the other object.
CEvent* Object_FindHandler(const CObject* start, int32_t type, int32_t subtype, int32_t* foundIn)
{
    if (start == nullptr) return nullptr;
    if (CEvent* event = FindInChain(start, type, subtype, foundIn)) return event;
    if (type != 4) return nullptr;
    const CObject* other = Object_Data(subtype);
    int32_t steps = ChainStepLimit();
    for (const CObject* ancestor = other != nullptr ? ParentOf(other) : nullptr; ancestor != nullptr && steps-- > 0;
         ancestor = ParentOf(ancestor)) {
        if (CEvent* event = FindInChain(start, 4, ancestor->m_Index, foundIn)) return event;
    }
    return nullptr;
}

// ---- the remembered handlers ---------------------------------------------------------------------

namespace {

struct HandlerMemo {
    uint32_t generation = 0; // 0: never filled
    int32_t object = -1, type = -1, subtype = -1;
    int32_t foundIn = -1;
    CEvent* handler = nullptr;
};

// Direct-mapped: a frame raises few distinct (object, event) pairs, and a clash only costs a lookup.
constexpr size_t HANDLER_MEMOS = 512;
HandlerMemo g_HandlerMemos[HANDLER_MEMOS];

size_t MemoSlot(int32_t object, int32_t type, int32_t subtype)
{
    uint32_t key = static_cast<uint32_t>(object) * 2654435761u ^ static_cast<uint32_t>(type) * 40503u ^
                   static_cast<uint32_t>(subtype) * 97u;
    return (key ^ (key >> 15)) % HANDLER_MEMOS;
}

} // namespace

uint32_t g_EventsGeneration = 1;

void Object_EventsChanged()
{
    // On wrap-around every memo is cleared, so that an old generation can never match again.
    if (++g_EventsGeneration == 0) {
        for (HandlerMemo& memo : g_HandlerMemos) memo = HandlerMemo();
        g_EventsGeneration = 1;
    }
}

namespace {

// The handler found and remembered. Kept out of line, and reached by a jump, so that the remembered
// case saves no registers.
[[gnu::noinline]] CEvent* FindAndRemember(HandlerMemo& memo, int32_t objectIndex, int32_t type, int32_t subtype,
                                          int32_t* foundIn)
{
    int32_t holder = objectIndex;
    CEvent* handler = Object_FindHandler(Object_Data(objectIndex), type, subtype, &holder);
    memo = HandlerMemo{g_EventsGeneration, objectIndex, type, subtype, holder, handler};
    if (foundIn != nullptr) *foundIn = holder;
    return handler;
}

} // namespace

CEvent* Object_FindHandlerCached(int32_t objectIndex, int32_t type, int32_t subtype, int32_t* foundIn)
{
    HandlerMemo& memo = g_HandlerMemos[MemoSlot(objectIndex, type, subtype)];
    if (memo.generation != g_EventsGeneration || memo.object != objectIndex || memo.type != type ||
        memo.subtype != subtype)
        return FindAndRemember(memo, objectIndex, type, subtype, foundIn);
    if (foundIn != nullptr) *foundIn = memo.foundIn;
    return memo.handler;
}

bool Event_IsPresent(const CEvent* event) { return event != nullptr && event->m_pText != nullptr; }

// ---- instance lists ------------------------------------------------------------------------------

namespace {

// Nodes come from blocks of many in a row, so that the nodes of instances made one after another lie
// one after another: a walk over an object's instances then meets a new cache line of nodes once for
// several instances rather than once for each. Given-back nodes are taken again first; blocks are
// kept for the run, outside the memory manager's count (they hold no memory of the game's).
constexpr size_t NODES_PER_BLOCK = 1024;

struct NodeStore {
    ObjectInstanceNode* freed = nullptr; // chained through next
    ObjectInstanceNode* fresh = nullptr; // the current block's next unused node
    ObjectInstanceNode* freshEnd = nullptr;
};
NodeStore g_Nodes;

std::vector<std::unique_ptr<ObjectInstanceNode[]>>& NodeBlocks()
{
    static auto& blocks = *new std::vector<std::unique_ptr<ObjectInstanceNode[]>>();
    return blocks;
}

// A new block of nodes, its first taken. Out of line: every instance made takes a node, and the
// rare growth kept inline made each take save and restore registers for it.
[[gnu::noinline]] ObjectInstanceNode* TakeNodeFromNewBlock()
{
    NodeBlocks().emplace_back(new ObjectInstanceNode[NODES_PER_BLOCK]);
    g_Nodes.fresh = NodeBlocks().back().get();
    g_Nodes.freshEnd = g_Nodes.fresh + NODES_PER_BLOCK;
    return g_Nodes.fresh++;
}

ObjectInstanceNode* TakeNode()
{
    if (ObjectInstanceNode* node = g_Nodes.freed) {
        g_Nodes.freed = node->next;
        return node;
    }
    if (g_Nodes.fresh == g_Nodes.freshEnd) return TakeNodeFromNewBlock();
    return g_Nodes.fresh++;
}

void GiveBackNode(ObjectInstanceNode* node)
{
    // An unused node names no instance, so that a hint kept for it is never taken for a node in use.
    node->instance = nullptr;
    node->owner = nullptr;
    node->next = g_Nodes.freed;
    g_Nodes.freed = node;
}

} // namespace

ObjectInstanceNode* ObjectInstanceList::Append(CInstance* instance)
{
    ObjectInstanceNode* node = TakeNode();
    node->instance = instance;
    node->owner = this;
    node->previous = tail;
    node->next = nullptr;
    if (tail != nullptr) tail->next = node;
    else head = node;
    tail = node;
    ++count;
    return node;
}

bool ObjectInstanceList::Remove(CInstance* instance, ObjectInstanceNode* hint)
{
    ObjectInstanceNode* node = hint;
    if (node == nullptr || node->instance != instance || node->owner != this) {
        for (node = head; node != nullptr && node->instance != instance; node = node->next) {}
        if (node == nullptr) return false;
    }
    Unlink(node);
    return true;
}

void ObjectInstanceList::Unlink(ObjectInstanceNode* node)
{
    if (node->previous != nullptr) node->previous->next = node->next;
    else head = node->next;
    if (node->next != nullptr) node->next->previous = node->previous;
    else tail = node->previous;
    GiveBackNode(node);
    --count;
}

void ObjectInstanceList::Clear()
{
    for (ObjectInstanceNode* node = head; node != nullptr;) {
        ObjectInstanceNode* next = node->next;
        GiveBackNode(node);
        node = next;
    }
    head = tail = nullptr;
    count = 0;
}

// ---- CObject -------------------------------------------------------------------------------------

CObject::CObject(int32_t index) : m_Index(index) {}

CObject::~CObject()
{
    Object_EventsChanged();
    FreeEvents();
    FreePhysicsPoints();
    MemoryManager::Free(m_pName);
    m_Instances.Clear();
    m_AllInstances.Clear();
}

CEvent* CObject::GetEvent(int32_t type, int32_t subtype) const
{
    if (type < 0 || type >= OBJECT_EVENT_TYPES) return nullptr;
    const ObjectEventArray& array = m_Events[type];
    if (subtype < 0 || subtype >= array.count) return nullptr;
    CEvent* event = array.events[subtype];
    return Event_IsPresent(event) ? event : nullptr;
}

CEvent* CObject::FindEvent(int32_t type, int32_t subtype) const
{
    return Object_FindHandler(this, type, subtype, nullptr);
}

bool CObject::HasEvent(int32_t type, int32_t subtype) const { return FindInChain(this, type, subtype, nullptr) != nullptr; }

bool CObject::IsDescendantOf(int32_t objectIndex) const
{
    int32_t steps = ChainStepLimit();
    for (const CObject* parent = ParentOf(this); parent != nullptr && steps-- > 0; parent = ParentOf(parent)) {
        if (parent->m_Index == objectIndex) return true;
    }
    return false;
}

namespace {

// Visits `first` and the objects above it: the ancestors of an object whose parent is `first`, within
// the chain's step limit less the step that object took.
template <typename Visit> void ForEachAncestor(CObject* first, Visit visit)
{
    int32_t steps = ChainStepLimit() - 1;
    for (CObject* object = first; object != nullptr && steps-- > 0; object = object->m_pParentObject)
        visit(*object);
}

// One pass over the list, however many instances leave it.
void RemoveEach(ObjectInstanceList& list, const std::unordered_set<const CInstance*>& leaving)
{
    for (ObjectInstanceNode* node = list.head; node != nullptr;) {
        ObjectInstanceNode* next = node->next;
        if (leaving.contains(node->instance)) list.Unlink(node);
        node = next;
    }
}

} // namespace

// The instance keeps its nodes in its object's two lists, so that a room making and destroying many
// instances of one object removes each without searching the object's lists (an ancestor's list is
// still searched).
void CObject::AddInstance(CInstance* instance)
{
    instance->m_pObjectNode = m_Instances.Append(instance);
    instance->m_pObjectAllNode = m_AllInstances.Append(instance);
    if (m_pParentObject == nullptr) return;
    ForEachAncestor(m_pParentObject,
                    [instance](CObject& ancestor) { ancestor.m_AllInstances.Append(instance); });
}

bool CObject::RemoveInstance(CInstance* instance)
{
    m_Instances.Remove(instance, instance->m_pObjectNode);
    m_AllInstances.Remove(instance, instance->m_pObjectAllNode);
    if (m_pParentObject == nullptr) return true;
    ForEachAncestor(m_pParentObject,
                    [instance](CObject& ancestor) { ancestor.m_AllInstances.Remove(instance); });
    return true;
}

// An instance is removed along the chain as it is when the instance goes, so every ancestor's list
// must follow the chain as it changes, or an old ancestor keeps the instance after it is freed.
void CObject::MoveInstances(CObject* from, CObject* to)
{
    if (from == to || m_AllInstances.count == 0) return;
    // Copied first: in a chain that loops back here (never a chain the table lets be made) this
    // object's own list would change under the walk.
    std::vector<CInstance*> moving;
    moving.reserve(static_cast<size_t>(m_AllInstances.count));
    for (const ObjectInstanceNode* node = m_AllInstances.head; node != nullptr; node = node->next)
        moving.push_back(node->instance);
    if (from != nullptr) {
        const std::unordered_set<const CInstance*> leaving(moving.begin(), moving.end());
        ForEachAncestor(from,
                        [&leaving](CObject& ancestor) { RemoveEach(ancestor.m_AllInstances, leaving); });
    }
    ForEachAncestor(to, [&moving](CObject& ancestor) {
        for (CInstance* instance : moving) ancestor.m_AllInstances.Append(instance);
    });
}

void CObject::SetName(const char* name)
{
    Object_NameLeaves(this);
    MemoryManager::Free(m_pName);
    m_pName = nullptr;
    if (name == nullptr || name[0] == '\0') return;
    size_t length = std::strlen(name);
    m_pName = static_cast<char*>(MEM_ALLOC(length + 1, false));
    std::memcpy(m_pName, name, length + 1);
    Object_NameComes(this);
}

void CObject::Reset()
{
    Object_EventsChanged();
    FreeEvents();
    FreePhysicsPoints();
    Object_NameLeaves(this);
    MemoryManager::Free(m_pName);
    m_pName = nullptr;
    Object_SetParentObject(this, nullptr);
    m_Instances.Clear();
    m_AllInstances.Clear();
    m_Flags = OBJECT_FLAG_VISIBLE;
    m_SpriteIndex = -1;
    m_Depth = 0;
    m_ParentIndex = -1;
    m_MaskIndex = -1;
    m_Physics = ObjectPhysics();
}

CEvent** CObject::EventSlot(int32_t type, int32_t subtype)
{
    if (type < 0 || type >= OBJECT_EVENT_TYPES || subtype < 0) return nullptr;
    // The caller writes the slot next.
    Object_EventsChanged();
    ObjectEventArray& array = m_Events[type];
    if (subtype >= array.count) {
        size_t size = sizeof(CEvent*) * (static_cast<size_t>(subtype) + 1);
        auto* grown = static_cast<CEvent**>(MEM_ALLOC(size, true));
        if (array.count > 0) std::memcpy(grown, array.events, sizeof(CEvent*) * static_cast<size_t>(array.count));
        MemoryManager::Free(array.events);
        array.events = grown;
        array.count = subtype + 1;
    }
    return &array.events[subtype];
}

bool CObject::ClearEvent(int32_t type, int32_t subtype)
{
    CEvent* event = TakeEvent(type, subtype);
    delete event;
    return event != nullptr;
}

CEvent* CObject::TakeEvent(int32_t type, int32_t subtype)
{
    if (type < 0 || type >= OBJECT_EVENT_TYPES || subtype < 0 || subtype >= m_Events[type].count) return nullptr;
    CEvent* event = m_Events[type].events[subtype];
    m_Events[type].events[subtype] = nullptr;
    Object_EventsChanged();
    return event;
}

void CObject::FreeEvents()
{
    for (ObjectEventArray& array : m_Events) {
        for (int32_t i = 0; i < array.count; ++i) delete array.events[i];
        MemoryManager::Free(array.events);
        array.events = nullptr;
        array.count = 0;
    }
}

void CObject::FreePhysicsPoints()
{
    MemoryManager::Free(m_Physics.points);
    m_Physics.points = nullptr;
    m_Physics.pointCount = 0;
}
