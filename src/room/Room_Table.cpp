#include "room/Room_Table.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Class.h"
#include "room/Room_Definition.h"
#include "run/Run_Game.h"

int32_t g_InstanceIdCounter = 0;
int32_t g_TileIdCounter = 0;

namespace {

const char* const UNDEFINED = "<undefined>";

std::vector<CRoom*> g_Rooms;
std::vector<char*> g_RoomNames; // the table's own copies, index for index with the rooms
std::vector<int32_t> g_RoomOrder;

// Destroys what the table holds from `count` on and sizes it to `count` (new entries empty).
void Resize(size_t count)
{
    for (size_t i = count; i < g_Rooms.size(); ++i) {
        delete g_Rooms[i];
        MemoryManager::Free(g_RoomNames[i]);
    }
    g_Rooms.resize(count, nullptr);
    g_RoomNames.resize(count, nullptr);
}

void SetEntry(size_t index, CRoom* room, const char* name)
{
    delete g_Rooms[index];
    MemoryManager::Free(g_RoomNames[index]);
    g_Rooms[index] = room;
    g_RoomNames[index] = String_Copy(name);
}

int32_t Append(CRoom* room)
{
    int32_t index = Room_Count();
    char name[32];
    std::snprintf(name, sizeof name, "__newroom%d", index);
    g_Rooms.push_back(room);
    g_RoomNames.push_back(String_Copy(name));
    return index;
}

} // namespace

// ---- the chunk and the order ---------------------------------------------------------------------

bool ROOM_Load(GameFile& file, uint32_t body, uint32_t length)
{
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "ROOM", body, length, table)) return false;
    Resize(table.count);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t entry = table.Entry(file, i);
        if (entry == 0) {
            SetEntry(i, nullptr, nullptr);
            continue;
        }
        CRoom* room = new CRoom();
        if (!room->LoadFromChunk(GameFileEntry(file, "ROOM", "room " + std::to_string(i), entry))) {
            delete room;
            SetEntry(i, nullptr, nullptr);
            return false;
        }
        SetEntry(i, room, room->m_pName);
    }
    return true;
}

void Room_LoadOrder(const int32_t* order, int32_t count)
{
    g_RoomOrder.assign(order, order + (count > 0 ? count : 0));
}

void RoomTables_Reset()
{
    Resize(0);
    g_RoomOrder.clear();
    RoomDefinitions_Clear();
}

void RoomTables_Free()
{
    Run_FreeRoomStates();
    RoomTables_Reset();
    g_Rooms.shrink_to_fit();
    g_RoomNames.shrink_to_fit();
    g_RoomOrder.shrink_to_fit();
}

// ---- lookups -------------------------------------------------------------------------------------

int32_t Room_Count() { return static_cast<int32_t>(g_Rooms.size()); }

CRoom* Room_Get(int32_t index)
{
    if (index < 0 || index >= Room_Count()) return nullptr;
    return g_Rooms[static_cast<size_t>(index)];
}

bool Room_Exists(int32_t index) { return Room_Get(index) != nullptr; }

const char* Room_GetName(int32_t index)
{
    if (!Room_Exists(index)) return UNDEFINED;
    const char* name = g_RoomNames[static_cast<size_t>(index)];
    return name != nullptr ? name : "";
}

int32_t Room_Find(const char* name)
{
    if (name == nullptr) return -1;
    for (size_t i = 0; i < g_Rooms.size(); ++i) {
        if (g_Rooms[i] != nullptr && g_RoomNames[i] != nullptr && std::strcmp(g_RoomNames[i], name) == 0)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t Room_OrderCount() { return static_cast<int32_t>(g_RoomOrder.size()); }

int32_t Room_OrderAt(int32_t position)
{
    if (position < 0 || position >= Room_OrderCount()) return -1;
    return g_RoomOrder[static_cast<size_t>(position)];
}

int32_t Room_First() { return g_RoomOrder.empty() ? -1 : g_RoomOrder.front(); }

int32_t Room_Last() { return g_RoomOrder.empty() ? -1 : g_RoomOrder.back(); }

int32_t Room_Previous(int32_t room)
{
    for (int32_t i = 1; i < Room_OrderCount(); ++i)
        if (g_RoomOrder[static_cast<size_t>(i)] == room) return g_RoomOrder[static_cast<size_t>(i - 1)];
    return -1;
}

int32_t Room_Next(int32_t room)
{
    for (int32_t i = Room_OrderCount() - 2; i >= 0; --i)
        if (g_RoomOrder[static_cast<size_t>(i)] == room) return g_RoomOrder[static_cast<size_t>(i + 1)];
    return -1;
}

// ---- rooms made at run time ----------------------------------------------------------------------

int32_t Room_Add()
{
    CRoom* room = new CRoom();
    room->InitDefinition();
    return Append(room);
}

int32_t Room_Duplicate(int32_t source)
{
    CRoom* from = Room_Get(source);
    if (from == nullptr) return -1;
    CRoom* room = new CRoom();
    room->CopyFrom(from, false);
    return Append(room);
}

bool Room_SharesDefinition(const CRoom* room)
{
    if (room == nullptr || room->m_pDefinition == nullptr) return false;
    for (const CRoom* other : g_Rooms)
        if (other != nullptr && other != room && other->m_pDefinition == room->m_pDefinition) return true;
    return false;
}

bool Room_Assign(int32_t destination, int32_t source)
{
    CRoom* from = Room_Get(source);
    if (from == nullptr || !Room_Exists(destination)) return false;
    CRoom* room = new CRoom();
    room->CopyFrom(from, true);
    // A record in the table does not run: the instances it would hold are made from the shared
    // definition when the room starts. Kept, they would sit in the id hash and their objects' lists
    // of a room that is not running, and be doubled by that start.
    room->ClearActive();
    room->ForgetCreationCode();
    size_t index = static_cast<size_t>(destination);
    delete g_Rooms[index];
    g_Rooms[index] = room;
    return true;
}
