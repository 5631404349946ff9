#include "object/Object_Table.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Header.h"
#include "gamefile/GameFile_View.h"
#include "object/Object_Class.h"
#include "object/Object_Event.h"
#include "platform/Platform_MemoryManager.h"
#include "run/Run_Event.h"

uint32_t g_ObjectSpriteMarker = 0;
std::vector<CObject*> g_ObjectSlots;

namespace {

using Bucket = std::vector<std::pair<int32_t, CObject*>>;

Bucket g_Buckets[OBJECT_TABLE_BUCKETS];
int32_t g_ObjectCount = 0;

// Objects deleted and handlers cleared by scripts. The script that did it may be running one of
// their handlers, and a frame stage may be walking their instance lists, so they are destroyed
// only when the table is emptied.
std::vector<CObject*> g_RetiredObjects;
std::vector<CEvent*> g_RetiredEvents;

uint32_t BucketNumber(int32_t index) { return static_cast<uint32_t>(index) % OBJECT_TABLE_BUCKETS; }

Bucket& BucketOf(int32_t index) { return g_Buckets[BucketNumber(index)]; }

// Table order: the buckets in turn, each in the order its objects came. Indices only grow while a
// table lives (a new object takes the count), so within a bucket that is index order.
struct TableOrderLess {
    bool operator()(int32_t a, int32_t b) const
    {
        return BucketNumber(a) != BucketNumber(b) ? BucketNumber(a) < BucketNumber(b) : a < b;
    }
};

// Name to the objects of that name in table order, the first answering Object_Find: the compiler
// asks for every name it resolves, and scripts add objects between lookups, so the map follows each
// change rather than being made again.
std::unordered_map<std::string, std::set<int32_t, TableOrderLess>> g_ObjectsByName;

// Parent to the objects whose parent pointer was set to it, so that a delete reaches its children
// without walking the table. An entry may outlive its link (a child re-pointed by other means), so
// a delete clears only children that still point to the deleted object.
std::unordered_map<const CObject*, std::unordered_set<CObject*>> g_ChildrenOf;

void ForgetChild(CObject* child)
{
    auto children = g_ChildrenOf.find(child->m_pParentObject);
    if (children == g_ChildrenOf.end()) return;
    children->second.erase(child);
    if (children->second.empty()) g_ChildrenOf.erase(children);
}

// Named and in the table (not yet added, or deleted, it has no say in the lookup).
bool Listable(const CObject* object)
{
    return object != nullptr && object->m_pName != nullptr && Object_Data(object->m_Index) == object;
}

void Insert(int32_t index, CObject* object)
{
    BucketOf(index).emplace_back(index, object);
    auto slot = static_cast<size_t>(index);
    if (slot >= g_ObjectSlots.size()) g_ObjectSlots.resize(slot + 1, nullptr);
    g_ObjectSlots[slot] = object;
    Object_NameComes(object);
}

// ---- reading the objects chunk -------------------------------------------------------------------

// A sprite word holds the index in its low 31 bits and a marker in bit 31, unless one of bits 28
// to 30 is set: then the whole word is the index (-1 stays -1).
int32_t SpriteFromWord(uint32_t word)
{
    if ((word & 0x70000000u) != 0) return static_cast<int32_t>(word);
    g_ObjectSpriteMarker |= word & 0x80000000u;
    return static_cast<int32_t>(word & 0x7FFFFFFFu);
}

class ObjectReader {
public:
    ObjectReader(const GameFile& file, int32_t objectCount) : m_File(file), m_ObjectCount(objectCount) {}

    bool Read(CObject& object, const GameFileEntry& record)
    {
        uint32_t entry = record.At();
        uint32_t words[8];
        if (!record.Holds("its record", entry, sizeof words)) return false;
        for (uint32_t i = 0; i < 8; ++i)
            m_File.U32(entry + 4 * i, words[i]);
        const char* name = nullptr;
        if (!record.String("its name", words[0], name)) return false;
        object.Reset();
        object.SetName(name);
        object.m_SpriteIndex = SpriteFromWord(words[1]);
        object.SetVisible(words[2] != 0);
        object.SetSolid(words[3] != 0);
        object.m_Depth = static_cast<int32_t>(words[4]);
        object.SetPersistent(words[5] != 0);
        object.m_ParentIndex = static_cast<int32_t>(words[6]);
        object.m_MaskIndex = static_cast<int32_t>(words[7]);
        uint32_t at = entry + 32;
        if (g_GameHeader.version >= 6 && !ReadPhysics(object, record, at)) return false;
        return ReadEvents(object, record, at);
    }

private:
    bool Word(uint32_t& at, uint32_t& out)
    {
        if (!m_File.U32(at, out)) return false;
        at += 4;
        return true;
    }

    bool Real(uint32_t& at, float& out)
    {
        if (!m_File.F32(at, out)) return false;
        at += 4;
        return true;
    }

    bool ReadPhysics(CObject& object, const GameFileEntry& record, uint32_t& at)
    {
        // Nine words, three more from version 9 on.
        bool later = g_GameHeader.version >= 9;
        if (!record.Holds("its physics settings", at, later ? 48 : 36)) return false;
        ObjectPhysics& physics = object.m_Physics;
        uint32_t enabled = 0, sensor = 0, shape = 0, group = 0, count = 0;
        Word(at, enabled);
        Word(at, sensor);
        Word(at, shape);
        Real(at, physics.density);
        Real(at, physics.restitution);
        Word(at, group);
        Real(at, physics.linearDamping);
        Real(at, physics.angularDamping);
        Word(at, count);
        physics.friction = 0.2f;
        physics.awake = 1;
        physics.kinematic = 0;
        if (later) {
            uint32_t awake = 1, kinematic = 0;
            Real(at, physics.friction);
            Word(at, awake);
            Word(at, kinematic);
            physics.awake = static_cast<uint8_t>(awake);
            physics.kinematic = static_cast<uint8_t>(kinematic);
        }
        physics.enabled = static_cast<uint8_t>(enabled);
        physics.sensor = static_cast<uint8_t>(sensor);
        physics.shape = static_cast<int32_t>(shape);
        physics.group = static_cast<int32_t>(group);
        // The points are sized by the file's count, so the count must fit what is left of the file.
        if (!record.Holds("its list of " + std::to_string(count) + " physics points", at,
                          uint64_t{count} * 8))
            return false;
        physics.pointCount = static_cast<int32_t>(count);
        if (count > 0) physics.points = static_cast<float*>(MEM_ALLOC(8 * static_cast<size_t>(count), false));
        for (uint32_t i = 0; i < 2 * count; ++i) Real(at, physics.points[i]);
        return true;
    }

    bool ReadEvents(CObject& object, const GameFileEntry& record, uint32_t at)
    {
        uint32_t types = 0;
        if (!record.Holds("its event table", at, 4)) return false;
        Word(at, types);
        // Files from newer tools carry more event types than the record has arrays: those are left
        // out rather than the game refused.
        if (types > static_cast<uint32_t>(OBJECT_EVENT_TYPES)) {
            MainConsole->Output("OBJT: object %d: event types 12 to %u are left out\n", object.m_Index, types - 1);
            types = static_cast<uint32_t>(OBJECT_EVENT_TYPES);
        }
        if (!record.Holds("its event table", at - 4, 4 + uint64_t{types} * 4)) return false;
        for (uint32_t type = 0; type < types; ++type) {
            uint32_t list = 0;
            Word(at, list);
            if (list != 0 && !ReadEventList(object, record, static_cast<int32_t>(type), list)) return false;
        }
        return true;
    }

    int32_t SubtypeLimit(int32_t type) const { return type == 4 ? m_ObjectCount - 1 : OBJECT_MAX_FILE_SUBTYPE; }

    bool ReadEventList(CObject& object, const GameFileEntry& record, int32_t type, uint32_t list)
    {
        GameFileCountTable table;
        if (!record.CountTable("the list of its events of type " + std::to_string(type), list, table))
            return false;
        for (uint32_t i = 0; i < table.count; ++i) {
            uint32_t entry = table.Entry(m_File, i), subtype = 0;
            if (entry == 0) continue;
            m_File.U32(entry, subtype);
            if (static_cast<int32_t>(subtype) < 0 || static_cast<int32_t>(subtype) > SubtypeLimit(type))
                return record.Refuse("its event at file offset " + std::to_string(entry) + " of type " +
                                     std::to_string(type) + " has subtype " + std::to_string(subtype) +
                                     ", beyond its bound " + std::to_string(SubtypeLimit(type)));
            CEvent** slot = object.EventSlot(type, static_cast<int32_t>(subtype));
            if (*slot == nullptr) *slot = new CEvent();
            if (!(*slot)->LoadFromStream(record, entry)) return false;
        }
        return true;
    }

    const GameFile& m_File;
    int32_t m_ObjectCount;
};

bool RefuseParentCycles()
{
    bool sound = true;
    for (int32_t index = 0; index < g_ObjectCount; ++index) {
        if (!Object_Exists(index) || !Object_ParentChainLoops(index)) continue;
        MainConsole->Output("OBJT: object %d (%s): its parent chain loops\n", index,
                            Text_Printable(Object_Name(index)).c_str());
        sound = false;
    }
    return sound;
}

} // namespace

bool Object_Exists(int32_t index) { return Object_Data(index) != nullptr; }

const char* Object_Name(int32_t index)
{
    const CObject* object = Object_Data(index);
    if (object == nullptr) return "<undefined>";
    return object->m_pName != nullptr ? object->m_pName : "";
}

int32_t Object_Find(const char* name)
{
    if (name == nullptr) return -1;
    auto found = g_ObjectsByName.find(name);
    return found != g_ObjectsByName.end() ? *found->second.begin() : -1;
}

void Object_NameLeaves(const CObject* object)
{
    if (!Listable(object)) return;
    auto named = g_ObjectsByName.find(object->m_pName);
    if (named == g_ObjectsByName.end()) return;
    named->second.erase(object->m_Index);
    if (named->second.empty()) g_ObjectsByName.erase(named);
}

void Object_NameComes(const CObject* object)
{
    if (Listable(object)) g_ObjectsByName[object->m_pName].insert(object->m_Index);
}

int32_t Object_Add()
{
    int32_t index = g_ObjectCount;
    CObject* object = new CObject(index);
    char name[32];
    std::snprintf(name, sizeof name, "__newobject%d", index);
    object->SetName(name);
    Insert(index, object);
    ++g_ObjectCount;
    Object_EventsChanged();
    return index;
}

bool Object_Delete(int32_t index)
{
    Bucket& bucket = BucketOf(index);
    for (auto at = bucket.begin(); at != bucket.end(); ++at) {
        if (at->first != index) continue;
        CObject* object = at->second;
        Object_NameLeaves(object);
        bucket.erase(at);
        g_ObjectSlots[static_cast<size_t>(index)] = nullptr;
        Object_EventsChanged();
        // It leaves its parent and its children leave it, through the setter, so that its instances
        // and theirs drop out of the lists of the objects they no longer descend from. Its own lists
        // stay as they are: an event stage may be walking them.
        Object_SetParentObject(object, nullptr);
        auto children = g_ChildrenOf.find(object);
        if (children != g_ChildrenOf.end()) {
            // Copied: each child's leaving changes the set.
            const std::vector<CObject*> leaving(children->second.begin(), children->second.end());
            for (CObject* child : leaving)
                if (child->m_pParentObject == object) Object_SetParentObject(child, nullptr);
            g_ChildrenOf.erase(object);
        }
        g_RetiredObjects.push_back(object);
        break;
    }
    return true;
}

void Object_SetParentObject(CObject* child, CObject* parent)
{
    ForgetChild(child);
    child->MoveInstances(child->m_pParentObject, parent);
    child->m_pParentObject = parent;
    if (parent != nullptr) g_ChildrenOf[parent].insert(child);
}

int32_t Object_Count() { return g_ObjectCount; }

void Object_TableOrder(std::vector<int32_t>& indices)
{
    indices.clear();
    for (const Bucket& bucket : g_Buckets)
        for (const auto& entry : bucket) indices.push_back(entry.first);
}

void Object_LinkParents()
{
    Object_EventsChanged();
    for (Bucket& bucket : g_Buckets) {
        for (auto& [index, object] : bucket) {
            int32_t parent = object->m_ParentIndex;
            Object_SetParentObject(object, parent >= 0 && parent <= 99999 ? Object_Data(parent) : nullptr);
        }
    }
}

bool Object_ParentChainLoops(int32_t index)
{
    const CObject* object = Object_Data(index);
    for (int32_t steps = 0; object != nullptr; ++steps) {
        if (steps > g_ObjectCount) return true;
        object = Object_Data(object->m_ParentIndex);
    }
    return false;
}

bool OBJT_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "OBJT", body, length, table)) return false;
    Object_ResetTable();
    // The count table holds at most length / 4 entries, so the count fits an index.
    g_ObjectCount = static_cast<int32_t>(table.count);
    ObjectReader reader(file, g_ObjectCount);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        if (entry == 0) continue;
        CObject* object = new CObject(static_cast<int32_t>(i));
        Insert(object->m_Index, object);
        if (!reader.Read(*object, GameFileEntry(file, "OBJT", "object " + std::to_string(i), entry)))
            return false;
    }
    Object_LinkParents();
    return RefuseParentCycles();
}

bool Object_Prepare()
{
    MainConsole->Output("Preparing %d objects:\n", g_ObjectCount);
    std::vector<int32_t> order;
    Object_TableOrder(order);
    for (int32_t index : order) {
        CObject* object = Object_Data(index);
        MainConsole->Output("\tObjects %d: %s\n", index, Text_Printable(Object_Name(index)).c_str());
        g_CurrentEventObject = index;
        g_CurrentActionNumber = 0;
        for (int32_t type = 0; type < OBJECT_EVENT_TYPES; ++type) {
            for (int32_t subtype = 0; subtype < object->m_Events[type].count; ++subtype) {
                CEvent* event = object->m_Events[type].events[subtype];
                if (!Event_IsPresent(event)) continue;
                g_CurrentEventType = type;
                g_CurrentEventNumber = subtype;
                if (!event->Compile()) return false;
            }
        }
    }
    Object_LinkParents();
    return true;
}

bool ObjectEventClear_Impl(CObject* object, int32_t type, int32_t subtype)
{
    CEvent* event = object != nullptr ? object->TakeEvent(type, subtype) : nullptr;
    if (event == nullptr) return false;
    g_RetiredEvents.push_back(event);
    return true;
}

void Object_ResetTable()
{
    for (Bucket& bucket : g_Buckets) {
        for (auto& entry : bucket) delete entry.second;
        bucket.clear();
    }
    g_ObjectSlots.clear();
    g_ObjectsByName.clear();
    g_ChildrenOf.clear();
    for (CObject* object : g_RetiredObjects) delete object;
    g_RetiredObjects.clear();
    for (CEvent* event : g_RetiredEvents) delete event;
    g_RetiredEvents.clear();
    g_ObjectCount = 0;
    g_ObjectSpriteMarker = 0;
    Object_EventsChanged();
}
