#include "run/Run_Game.h"

#include <cstdio>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "code/Code_Execute.h"
#include "code/Code_Object.h"
#include "code/Code_Value.h"
#include "debug/Debug_Form.h"
#include "debug/Debug_Remote.h"
#include "extension/Extension_Main.h"
#include "gamefile/GameFile_Options.h"
#include "graphics/Graphics_StartupServices.h"
#include "instance/Instance_List.h"
#include "io/IO_Main.h"
#include "io/IO_VirtualKey.h"
#include "object/Object_Lists.h"
#include "particle/Particle_Effect.h"
#include "platform/Platform_MemoryManager.h"
#include "platform/Platform_MessageBox.h"
#include "room/Room_Class.h"
#include "room/Room_Draw.h"
#include "room/Room_Table.h"
#include "run/Run_Event.h"
#include "run/Run_Frame.h"
#include "run/Run_Globals.h"
#include "support/Support_File.h"
#include "support/Support_Timing.h"

int32_t g_CurrentRoomIndex = -1;

namespace {

constexpr int32_t OTHER_GAME_START = 2;
constexpr int32_t OTHER_GAME_END = 3;
constexpr int32_t OTHER_ROOM_START = 4;
constexpr int32_t OTHER_ROOM_END = 5;
constexpr int32_t CURSOR_DEFAULT = 0;
constexpr int32_t CURSOR_NONE = -1;

// One entry per room index, null until the room is first entered; a persistent room's entry
// survives leaving it.
std::vector<CRoom*> g_RoomStates;
CRoom* g_pCurrentRoom = nullptr;
// Copies of the persistent instances of the room that was left, until the next room takes them.
std::vector<CInstance*> g_Carried;

// Ends the game in order when there is no room to play in: frames need a current room. A game that
// never entered a room did not start, and says why on the terminal as every refused start does; one
// that lost its room ended by a fatal error.
void EndWithoutRoom(const char* message, int32_t exitCode)
{
    Run_SetExitCode(exitCode);
    if (exitCode == EXIT_CODE_NOT_STARTED)
        Console_ReportFailure(message);
    else
        MainConsole->Output("%s\n", message);
    ShowMessage(message);
    g_pCurrentRoom = nullptr;
    g_RunRequest = RUN_REQUEST_END;
}

// Creation code runs only when it compiled; a failure was reported when the game was prepared.
void RunCreationCode(CInstance* self, CCode* code)
{
    if (code == nullptr || code->m_Compiled == 0) return;
    ScriptValue result = {VALUE_REAL, 0, 0.0};
    Code_Execute_Report(self, self, code, &result);
    Value_Free(&result);
}

// ---- leaving a room ------------------------------------------------------------------------------

// Persistent instances leave as copies (keeping their id and state); the originals are dropped
// without a destroy event.
void CarryPersistentInstances(CRoom& room)
{
    for (CInstance* carried : g_Carried) delete carried;
    g_Carried.clear();
    g_Carried.reserve(10);
    CInstance* instance = room.m_Active.m_pHead;
    while (instance != nullptr) {
        CInstance* next = instance->m_pNext;
        if (instance->i_persistent != 0 && !instance->IsMarked() && !instance->IsDeactivated()) {
            auto* copy = new CInstance(instance->i_x, instance->i_y, instance->i_id, instance->i_objindex, false);
            copy->CopyFrom(*instance, false);
            g_Carried.push_back(copy);
            room.m_Active.Remove(instance);
            instance->SetMarked(1);
            Room_UnregisterFromObject(instance);
            Instance_RemoveFromHash(instance);
            // Out of every list now: nothing else would ever free it.
            delete instance;
        }
        instance = next;
    }
}

// A persistent room keeps its instances, but while it is left they are neither found by id nor
// reached through their objects.
void DetachStayingInstances(CRoom& room)
{
    for (CInstance* instance = room.m_Active.m_pHead; instance != nullptr; instance = instance->m_pNext) {
        if (instance->IsMarked() || instance->IsDeactivated() || instance->i_persistent != 0) continue;
        Room_UnregisterFromObject(instance);
        Instance_RemoveFromHash(instance);
    }
}

// ---- entering a room -----------------------------------------------------------------------------

void ResumeRoom(CRoom& room)
{
    for (CInstance* instance = room.m_Active.m_pHead; instance != nullptr; instance = instance->m_pNext) {
        Room_RegisterInObject(instance);
        Instance_AddToHash(instance);
    }
}

CInstance* FindInList(const CInstanceList& list, int32_t id)
{
    for (CInstance* instance = list.m_pHead; instance != nullptr; instance = instance->m_pNext)
        if (instance->i_id == id) return instance;
    return nullptr;
}

void MergeCarriedInstances(CRoom& room)
{
    for (CInstance* carried : g_Carried) {
        CInstance* target = FindInList(room.m_Active, carried->i_id);
        if (target != nullptr) {
            target->CopyFrom(*carried, true);
        } else {
            target = room.AddInstance(carried->i_x, carried->i_y, carried->i_objindex);
            Instance_RemoveFromHash(target);
            target->CopyFrom(*carried, true);
            Instance_AddToHash(target);
            g_InstanceDepthChanges.Add(target);
        }
        target->m_CarriedMark = 1;
        delete carried;
    }
    g_Carried.clear();
    g_Carried.shrink_to_fit();
}

// Create events and creation code of a new room's instances, from the greatest depth to the least.
void CreateRoomInstances(CRoom& room)
{
    std::vector<CInstance*> snapshot;
    snapshot.reserve(static_cast<size_t>(room.m_Active.m_Count > 0 ? room.m_Active.m_Count : 0));
    for (CInstance* instance = room.m_Active.m_pTail; instance != nullptr; instance = instance->m_pPrev) {
        instance->m_CreatedMark = 0;
        snapshot.push_back(instance);
    }
    bool eventFirst = g_GameOptions.createEventBeforeCode;
    for (CInstance* instance : snapshot) {
        if (instance->m_CarriedMark != 0) {
            instance->m_CarriedMark = 0;
            continue;
        }
        if (instance->IsMarked() || instance->IsDeactivated()) continue;
        CCode* code = room.TakeCreationCode(instance);
        if (eventFirst) PerformEvent(instance, instance, instance->GetObjectIndex(), EVENT_CREATE, 0);
        RunCreationCode(instance, code);
        if (!eventFirst) PerformEvent(instance, instance, instance->GetObjectIndex(), EVENT_CREATE, 0);
        instance->m_CreatedMark = 1;
    }
    room.ForgetCreationCode();
}

// Until `room` is first drawn, the window maps by it, not by the room drawn last.
void MakeCurrent(CRoom* room)
{
    g_pCurrentRoom = room;
    GR_Window_SetMappingSource(Room_RegisterViews);
}

void RunRoomCreationCode(CRoom& room)
{
    if (room.m_pCreationCode == nullptr) return;
    auto* scratch = new CInstance(0.0f, 0.0f, 0, 0, false);
    RunCreationCode(scratch, room.m_pCreationCode);
    delete scratch;
}

} // namespace

// ---- the current room ----------------------------------------------------------------------------

CRoom* Run_CurrentRoom() { return g_pCurrentRoom; }

int32_t* Run_CurrentRoomSpeed() { return g_pCurrentRoom != nullptr ? &g_pCurrentRoom->m_Speed : nullptr; }

CInstanceList* Room_CurrentActiveList() { return g_pCurrentRoom != nullptr ? &g_pCurrentRoom->m_Active : nullptr; }

CRoom* Run_RoomState(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_RoomStates.size()) return nullptr;
    return g_RoomStates[static_cast<size_t>(index)];
}

int32_t Run_RoomStateCount() { return static_cast<int32_t>(g_RoomStates.size()); }

void Run_InstallRoomStates(std::vector<CRoom*>& rooms, int32_t current)
{
    Run_FreeRoomStates();
    // Pending changes name instances that no longer exist.
    Run_EmptyChangeLists();
    g_RoomStates.swap(rooms);
    for (size_t i = 0; i < g_RoomStates.size(); ++i) {
        CRoom* room = g_RoomStates[i];
        if (room == nullptr) continue;
        for (CInstance* instance = room->m_Deactivated.m_pHead; instance != nullptr; instance = instance->m_pNext)
            Instance_AddToHash(instance);
        if (static_cast<int32_t>(i) == current) ResumeRoom(*room);
    }
    g_CurrentRoomIndex = current;
    MakeCurrent(Run_RoomState(current));
}

int32_t Run_CarriedCount() { return static_cast<int32_t>(g_Carried.size()); }

void Run_FreeRoomStates()
{
    g_pCurrentRoom = nullptr;
    for (CRoom* room : g_RoomStates) delete room;
    g_RoomStates.clear();
}

// ---- the game ------------------------------------------------------------------------------------

void StartGame()
{
    MainConsole->Output("StartGame()\n");
    Timing_Init();
    ObjectLists_Build();
    g_Score = 0;
    g_Lives = -1;
    g_CursorSprite = -1;
    g_RoomFrameCounter = 0;
    g_TransitionKind = 0;
    if (g_DebugMode != 0 && g_pDebugForm == nullptr) {
        MainConsole->Output("Create Debug Form\n");
        g_pDebugForm = DebugForm_Create();
    }
    if (!Extension_CallInitFunctions()) {
        EndWithoutRoom("The extensions could not be initialised; the game ends.", EXIT_CODE_NOT_STARTED);
        return;
    }
    GR_Window_SetCursor(g_GameOptions.CursorShown != 0 ? CURSOR_DEFAULT : CURSOR_NONE);
    // Persistent instances carried out of the room a restart left go into the first room.
    Run_FreeRoomStates();
    g_RoomStates.assign(static_cast<size_t>(Room_Count()), nullptr);
    int32_t first = Room_First();
    if (!Room_Exists(first)) {
        char message[128];
        if (Room_OrderCount() == 0) std::snprintf(message, sizeof message, "The game has no room to start in.");
        else std::snprintf(message, sizeof message, "The game's first room (room %d) does not exist.", first);
        EndWithoutRoom(message, EXIT_CODE_NOT_STARTED);
        return;
    }
    Run_StartRoom(first, true);
    MainConsole->Output("StartGame() - DONE\n");
    MemoryManager::DumpUsage();
}

void Run_EndGame()
{
    if (g_DebugMode != 0 && g_pDebugForm != nullptr) {
        DebugForm_SaveAndClose(g_pDebugForm);
        DebugForm_Delete(g_pDebugForm);
        g_pDebugForm = nullptr;
    }
    Run_EndRoom(true);
    Run_FreeRoomStates();
    if (Extension_CallFinalFunctions()) GR_Window_SetCursor(CURSOR_DEFAULT);
}

void Run_EndRoom(bool gameEnd)
{
    CRoom* room = g_pCurrentRoom;
    if (room == nullptr) return;
    room->RemoveDeleted();
    int32_t request = g_RunRequest;
    g_RunRequest = RUN_REQUEST_NONE;
    Perform_Event_All(EVENT_OTHER, OTHER_ROOM_END);
    if (gameEnd) Perform_Event_All(EVENT_OTHER, OTHER_GAME_END);
    g_RunRequest = request;
    // What those events changed belongs to this room's lists, before the room is left.
    Run_UpdateInstanceLists();
    IO_VirtualKey_DeleteAll();
    CarryPersistentInstances(*room);
    // Left: a second end (the game ended twice, or a room start that fails) finds no room.
    g_pCurrentRoom = nullptr;
    if (room->m_Persistent != 0) {
        // Instances destroyed by the room end event would otherwise stay listed by id and object
        // while the room is away, and be listed twice when it resumes.
        room->RemoveDeleted();
        DetachStayingInstances(*room);
        return;
    }
    CRoom* state = Run_RoomState(g_CurrentRoomIndex);
    if (state == room) g_RoomStates[static_cast<size_t>(g_CurrentRoomIndex)] = nullptr;
    delete room;
}

void Run_StartRoom(int32_t roomIndex, bool firstRoom)
{
    g_RunRequest = RUN_REQUEST_NONE;
    IO_Clear();
    Effect_Clear();
    if (!Room_Exists(roomIndex)) {
        char message[64];
        std::snprintf(message, sizeof message, "Unexisting room number: %d", roomIndex);
        EndWithoutRoom(message, firstRoom ? EXIT_CODE_NOT_STARTED : EXIT_CODE_FATAL_ERROR);
        return;
    }
    if (static_cast<size_t>(roomIndex) >= g_RoomStates.size()) g_RoomStates.resize(static_cast<size_t>(roomIndex) + 1, nullptr);
    g_CurrentRoomIndex = roomIndex;
    CRoom*& state = g_RoomStates[static_cast<size_t>(roomIndex)];
    bool newRoom = state == nullptr;
    if (newRoom) {
        state = new CRoom();
        state->CopyFrom(Room_Get(roomIndex), true);
    } else {
        ResumeRoom(*state);
    }
    CRoom& room = *state;
    MakeCurrent(&room);
    Room_SetWindowSize();
    MergeCarriedInstances(room);
    if (newRoom) CreateRoomInstances(room);
    if (firstRoom) Perform_Event_All(EVENT_OTHER, OTHER_GAME_START);
    if (newRoom) RunRoomCreationCode(room);
    Perform_Event_All(EVENT_OTHER, OTHER_ROOM_START);
    if (g_RunRequest == RUN_REQUEST_NONE && g_DrawEventEnabled != 0) Room_Draw();
}

void Run_ChangeRoom(int32_t roomIndex)
{
    Run_EndRoom(false);
    Run_StartRoom(roomIndex, false);
}

void Run_FreeCarriedInstances()
{
    for (CInstance* carried : g_Carried) delete carried;
    g_Carried.clear();
    g_Carried.shrink_to_fit();
}
