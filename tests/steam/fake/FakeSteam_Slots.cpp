// A stand-in library of the newer generation whose interface objects are bare virtual tables: slot N
// of each table logs "<interface> N" and answers a fixed value. A test can so check which slot each
// engine operation reaches without relying on the engine's interface declarations, which a library
// derived from them would share. The records and the callback base do come from the engine's header;
// their layouts are pinned there.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "steam/Steam_Api.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int SLOTS = 32; // the longest interface, ISteamUserStats, ends at slot 31
constexpr AppId_t APP_ID = 12;
constexpr HSteamUser USER = 3;
constexpr HSteamPipe PIPE = 5;
const char* const NAME = "name"; // what the slots that answer text answer

struct SlotObject;
typedef uint64_t (*Slot)(SlotObject* self);

// What the caller finds at its object's first word: the slots, preceded by the offset to the whole
// object and the type (read by run-time type checks).
struct VirtualTable {
    intptr_t offsetToTop;
    const std::type_info* type;
    Slot slots[SLOTS];
};

struct SlotObject {
    const Slot* table;
    const char* name;
    uint64_t answers[SLOTS];
};

std::string g_Log;

template <int N> uint64_t Called(SlotObject* self)
{
    g_Log += std::string(self->name) + " " + std::to_string(N) + "\n";
    return self->answers[N];
}

template <int... N> void FillSlots(Slot* slots, std::integer_sequence<int, N...>)
{
    ((slots[N] = &Called<N>), ...);
}

template <class Interface> const Slot* TableOf()
{
    static VirtualTable table = [] {
        VirtualTable made = {0, &typeid(Interface), {}};
        FillSlots(made.slots, std::make_integer_sequence<int, SLOTS>());
        return made;
    }();
    return table.slots;
}

// Every slot answers 1 (true, a count of one, a call handle) unless told otherwise.
template <class Interface> SlotObject Make(const char* name, std::initializer_list<std::pair<int, uint64_t>> answers)
{
    SlotObject object = {TableOf<Interface>(), name, {}};
    for (uint64_t& answer : object.answers) answer = 1;
    for (auto [slot, answer] : answers) object.answers[slot] = answer;
    return object;
}

uint64_t Text()
{
    return reinterpret_cast<uint64_t>(NAME);
}

SlotObject g_Friends = Make<ISteamFriends>("Friends", {{0, Text()}, {7, Text()}});
SlotObject g_RemoteStorage = Make<ISteamRemoteStorage>("RemoteStorage", {});
SlotObject g_Screenshots = Make<ISteamScreenshots>("Screenshots", {});
SlotObject g_User = Make<ISteamUser>("User", {});
SlotObject g_UserStats = Make<ISteamUserStats>("UserStats", {{24, Text()}});
SlotObject g_Utils = Make<ISteamUtils>("Utils", {{9, APP_ID}});

uint64_t Address(SlotObject& object)
{
    return reinterpret_cast<uint64_t>(&object);
}

SlotObject g_Client = Make<ISteamClient>("Client", {{5, Address(g_User)}, {8, Address(g_Friends)}, {9, Address(g_Utils)},
                                                    {13, Address(g_UserStats)}, {17, Address(g_RemoteStorage)},
                                                    {18, Address(g_Screenshots)}});

std::multimap<int, CCallbackBase*> g_Listeners;
std::vector<std::pair<CCallbackBase*, SteamAPICall_t>> g_Calls;
bool g_StatsSent = false;

template <class Record> void Put(uint8_t* bytes, const Record& record)
{
    std::memcpy(bytes, &record, sizeof record);
}

// A successful answer for each kind of call result the engine asks for.
void Answer(uint8_t* bytes, int id)
{
    switch (id) {
    case k_iLeaderboardFindResult: Put(bytes, LeaderboardFindResult_t{500, 1}); break;
    case k_iLeaderboardScoresDownloaded: Put(bytes, LeaderboardScoresDownloaded_t{500, 600, 1}); break;
    case k_iLeaderboardScoreUploaded: Put(bytes, LeaderboardScoreUploaded_t{1, 500, 5, 1, 1, 1}); break;
    case k_iRemoteStorageFileShareResult: Put(bytes, RemoteStorageFileShareResult_t{k_EResultOK, 9}); break;
    case k_iRemoteStoragePublishFileResult: Put(bytes, RemoteStoragePublishFileResult_t{k_EResultOK, 77, false}); break;
    default: break;
    }
}

} // namespace

FAKE_EXPORT int32_t SteamInternal_SteamAPI_Init(const char*, SteamErrMsg*)
{
    return k_ESteamAPIInitResult_OK;
}

FAKE_EXPORT void* SteamInternal_CreateInterface(const char* version)
{
    return std::strcmp(version, "SteamClient012") == 0 ? &g_Client : nullptr;
}

FAKE_EXPORT void* SteamClient()
{
    return &g_Client;
}

FAKE_EXPORT HSteamUser SteamAPI_GetHSteamUser()
{
    return USER;
}

FAKE_EXPORT HSteamPipe SteamAPI_GetHSteamPipe()
{
    return PIPE;
}

// The first pump brings this game's stats; every pump answers the calls registered before it.
FAKE_EXPORT void SteamAPI_RunCallbacks()
{
    if (!g_StatsSent) {
        g_StatsSent = true;
        UserStatsReceived_t stats = {APP_ID, k_EResultOK, 1};
        for (auto [at, end] = g_Listeners.equal_range(k_iUserStatsReceived); at != end; ++at) at->second->Run(&stats);
    }
    auto calls = std::move(g_Calls);
    g_Calls.clear();
    for (auto [target, call] : calls) {
        alignas(8) uint8_t record[256] = {};
        Answer(record, target->m_iCallback);
        target->Run(record, false, call);
    }
}

FAKE_EXPORT void SteamAPI_Shutdown() {}

FAKE_EXPORT void SteamAPI_RegisterCallback(CCallbackBase* callback, int id)
{
    callback->m_nCallbackFlags |= CCallbackBase::k_ECallbackFlagsRegistered;
    callback->m_iCallback = id;
    g_Listeners.insert({id, callback});
}

FAKE_EXPORT void SteamAPI_UnregisterCallback(CCallbackBase* callback)
{
    callback->m_nCallbackFlags &= uint8_t(~CCallbackBase::k_ECallbackFlagsRegistered);
    for (auto at = g_Listeners.begin(); at != g_Listeners.end();)
        at = at->second == callback ? g_Listeners.erase(at) : std::next(at);
}

FAKE_EXPORT void SteamAPI_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    g_Calls.push_back({callback, call});
}

FAKE_EXPORT void SteamAPI_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    for (auto at = g_Calls.begin(); at != g_Calls.end();)
        at = *at == std::pair{callback, call} ? g_Calls.erase(at) : std::next(at);
}

// "reset" empties the log; nothing else is steered.
FAKE_EXPORT void FakeSteam_Command(const char* line)
{
    if (line != nullptr && std::strcmp(line, "reset") == 0) g_Log.clear();
}

FAKE_EXPORT const char* FakeSteam_CallLog()
{
    return g_Log.c_str();
}
