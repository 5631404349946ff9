// An object definition: what instances are made from. Its flags, sprite, depth, parent, mask and
// physics settings, its event handlers (12 event types, each an array indexed by subtype), and two
// lists of instances: its own, and those of itself and every descendant.
#pragma once

#include <cstdint>

class CEvent;
class CInstance;

constexpr int32_t OBJECT_EVENT_TYPES = 12;

enum : uint32_t {
    OBJECT_FLAG_SOLID = 1u,
    OBJECT_FLAG_VISIBLE = 2u,
    OBJECT_FLAG_PERSISTENT = 4u,
};

// The physics settings, as the physics layer reads them.
struct ObjectPhysics {
    uint8_t enabled = 0;
    uint8_t sensor = 0;
    int32_t shape = 0;          // 0 circle, 1 box, 2 polygon
    int32_t group = 0;          // collision group
    float density = 0.0f;
    float restitution = 0.0f;
    float linearDamping = 0.0f;
    float angularDamping = 0.0f;
    float friction = 0.0f;
    uint8_t awake = 1;
    uint8_t kinematic = 0;
    int32_t pointCount = 0;
    float* points = nullptr;    // pointCount pairs (x, y) in pixels; owned
};

// One node of an object's instance list: appended at the tail, unlinked in place.
struct ObjectInstanceList;

struct ObjectInstanceNode {
    ObjectInstanceNode* next;
    ObjectInstanceNode* previous;
    CInstance* instance;              // null while the node is unused
    const ObjectInstanceList* owner; // the list that holds it
};

struct ObjectInstanceList {
    ObjectInstanceNode* head = nullptr;
    ObjectInstanceNode* tail = nullptr;
    int32_t count = 0;

    // The instance's new node, for Remove to be handed.
    ObjectInstanceNode* Append(CInstance* instance);
    // Unlinks the first node of the instance; false when the list does not hold it. `hint` (any node,
    // or null) is unlinked at once when it is this list's node of the instance, without a search.
    bool Remove(CInstance* instance, ObjectInstanceNode* hint = nullptr);
    // Unlinks one of this list's nodes and gives it back.
    void Unlink(ObjectInstanceNode* node);
    // Frees the nodes, never the instances.
    void Clear();
};

// The handlers of one event type, indexed by subtype (a slot may be empty).
struct ObjectEventArray {
    int32_t count = 0;
    CEvent** events = nullptr;
};

class CObject {
public:
    explicit CObject(int32_t index);
    // Empties both instance lists without destroying any instance.
    ~CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // The object's own handler, present only (an empty slot or an event without code is none).
    CEvent* GetEvent(int32_t type, int32_t subtype) const;
    // The handler through the parent chain; for collisions also through the other object's
    // ancestors (the own chain is searched first for each of them).
    CEvent* FindEvent(int32_t type, int32_t subtype) const;
    bool HasEvent(int32_t type, int32_t subtype) const;
    // Whether the index is this object's parent, grandparent, ...
    bool IsDescendantOf(int32_t objectIndex) const;

    // Appends to the own list and to the all-instances list of this object and of every ancestor.
    void AddInstance(CInstance* instance);
    bool RemoveInstance(CInstance* instance);
    // The parent pointer is changing from `from` to `to`: the instances of this object and of its
    // descendants leave the all-instances lists of `from` and its ancestors and join, in their order,
    // those of `to` and its ancestors. Object_SetParentObject calls it.
    void MoveInstances(CObject* from, CObject* to);

    void SetSolid(bool on) { SetFlag(OBJECT_FLAG_SOLID, on); }
    void SetVisible(bool on) { SetFlag(OBJECT_FLAG_VISIBLE, on); }
    void SetPersistent(bool on) { SetFlag(OBJECT_FLAG_PERSISTENT, on); }
    bool IsSolid() const { return (m_Flags & OBJECT_FLAG_SOLID) != 0; }
    bool IsVisible() const { return (m_Flags & OBJECT_FLAG_VISIBLE) != 0; }
    bool IsPersistent() const { return (m_Flags & OBJECT_FLAG_PERSISTENT) != 0; }

    // Keeps a copy; null or "" leaves no name.
    void SetName(const char* name);
    const char* GetName() const { return m_pName; }

    // Back to the values of a new object: name freed, every event destroyed, both lists emptied.
    void Reset();

    // The handler slot for (type, subtype), the array grown to hold it; null for a type outside
    // 0..11 or a negative subtype. Used by the loader and by run-time event changes.
    CEvent** EventSlot(int32_t type, int32_t subtype);
    // Destroys one handler (the slot stays); false when there was none.
    bool ClearEvent(int32_t type, int32_t subtype);
    // Empties the slot and hands its handler over (null when there was none).
    CEvent* TakeEvent(int32_t type, int32_t subtype);

    uint32_t m_Flags = OBJECT_FLAG_VISIBLE;
    int32_t m_SpriteIndex = -1;
    int32_t m_Depth = 0;
    int32_t m_ParentIndex = -1;
    int32_t m_MaskIndex = -1;
    char* m_pName = nullptr; // owned
    int32_t m_Index;
    ObjectPhysics m_Physics;
    CObject* m_pParentObject = nullptr; // set through Object_SetParentObject
    ObjectEventArray m_Events[OBJECT_EVENT_TYPES];
    ObjectInstanceList m_Instances;    // its own
    ObjectInstanceList m_AllInstances; // its own and its descendants'

private:
    void SetFlag(uint32_t bit, bool on) { m_Flags = on ? (m_Flags | bit) : (m_Flags & ~bit); }
    void FreeEvents();
    void FreePhysicsPoints();
};

// Whether the event exists and has code to run (its text reference is set).
bool Event_IsPresent(const CEvent* event);

// The handler CObject::FindEvent finds from `start`, and in `foundIn` (when given) the index of the
// object that holds it.
CEvent* Object_FindHandler(const CObject* start, int32_t type, int32_t subtype, int32_t* foundIn);

// The same answer for the object at `objectIndex`, remembered until any object's events, parents or
// the table itself change: the dispatcher asks it once per instance per event. `foundIn` is set to
// `objectIndex` when nothing is found.
CEvent* Object_FindHandlerCached(int32_t objectIndex, int32_t type, int32_t subtype, int32_t* foundIn);
// Forgets every remembered handler. Whatever changes an object's handlers (a slot, an event's code),
// a parent link or the table calls it.
void Object_EventsChanged();
// Raised by Object_EventsChanged: a handler found while it stays the same is still the handler.
extern uint32_t g_EventsGeneration;
