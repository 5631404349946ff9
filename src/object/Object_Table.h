// The object table: every object definition by index, read from the objects chunk ("OBJT") and
// added to at run time. Indices run from 0 to Object_Count() - 1; a slot may be empty. The table
// keeps its entries in 512 buckets by index, and "table order" (Object_Find, preparation) walks the
// buckets in turn: index order while fewer than 513 objects exist. Beside them each index's slot holds
// its object or null, for the lookup by index that every place test and event walk makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CObject;
class GameFile;

constexpr int32_t OBJECT_TABLE_BUCKETS = 512;

extern std::vector<CObject*> g_ObjectSlots;

bool Object_Exists(int32_t index);
inline CObject* Object_Data(int32_t index)
{
    // A negative index converts beyond any slot.
    auto slot = static_cast<size_t>(static_cast<uint32_t>(index));
    return slot < g_ObjectSlots.size() ? g_ObjectSlots[slot] : nullptr;
}
// The name, or "<undefined>".
const char* Object_Name(int32_t index);
// The first object in table order of exactly that name, or -1.
int32_t Object_Find(const char* name);
// An object's name changes between these two calls, so that Object_Find follows it; objects
// outside the table are left alone (adding and deleting keep the names themselves).
void Object_NameLeaves(const CObject* object);
void Object_NameComes(const CObject* object);
// A new object at index Object_Count(), named "__newobject" and its index.
int32_t Object_Add();
// Removes the object; the count stays. It and its children lose their parent object pointer. The
// object is destroyed with the table, since one of its handlers or instance walks may still be running.
bool Object_Delete(int32_t index);
// Sets the child's parent pointer; every change of it goes through here, so that a delete finds
// the deleted object's children and the instances of the child and its descendants move from the
// old ancestors' all-instances lists to the new ones'.
void Object_SetParentObject(CObject* child, CObject* parent);
// Clears the object's own handler for (type, subtype), kept until the table is emptied for the same
// reason; false when there was none.
bool ObjectEventClear_Impl(CObject* object, int32_t type, int32_t subtype);
// The number of index slots.
int32_t Object_Count();
// The indices of the existing objects in table order.
void Object_TableOrder(std::vector<int32_t>& indices);

// Compiles the events of every object (source mode), logging each object; false at the first
// failure, which was reported.
bool Object_Prepare();
// Sets each object's parent pointer from its parent index (0 to 99999, naming an object).
void Object_LinkParents();
// Whether following parents from the object comes back to an object already passed.
bool Object_ParentChainLoops(int32_t index);

// The objects chunk. False, with a log line, for a malformed chunk: an entry, event list or action
// record outside the file, a subtype beyond its bound (255, or the object count for collisions), a
// physics point list that does not fit, or a parent cycle. Event types past the twelfth are left
// out with a log line.
bool OBJT_Load(GameFile& file, uint32_t body, uint32_t length);

// Deletes every object and starts an empty table (before a game file is read, and at shut-down).
void Object_ResetTable();

// Bit 31 of the sprite words read so far (where that bit is a marker); the profiler overlay shows
// "*" when it is set.
extern uint32_t g_ObjectSpriteMarker;

// The bound on subtypes read from a file for event types other than collision.
constexpr int32_t OBJECT_MAX_FILE_SUBTYPE = 255;
