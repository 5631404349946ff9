// A stand-in library of the newer generation that knows the engine's objects only as the published
// tables describe them. Its interface objects are bare virtual tables: slot N of each logs
// "<interface> N" and answers a fixed value. It writes callback records as raw bytes at the published
// offsets and calls the engine's callback objects through their raw tables and fields, as the library
// does. A test can so check which slot each engine operation reaches and which bytes each handler
// reads without relying on the engine's declarations, which a library derived from them would share.
// The engine's header serves only for the interfaces' type names, which run-time type checks read.
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
constexpr uint32_t APP_ID = 12;
constexpr int32_t USER = 3;
constexpr int32_t PIPE = 5;
const char* const NAME = "name"; // what the slots that answer text answer

struct SlotObject;
typedef uint64_t (*Slot)(SlotObject* self);

// What the caller finds at its object's first word: the slots, preceded by the offset to the whole
// object and the type.
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

// Every slot answers 1 (true, a count or size of one, a call handle) unless told otherwise.
template <class Interface> SlotObject Make(const char* name, std::initializer_list<std::pair<int, uint64_t>> answers)
{
    SlotObject object = {TableOf<Interface>(), name, {}};
    for (uint64_t& answer : object.answers) answer = 1;
    for (auto [slot, answer] : answers) object.answers[slot] = answer;
    return object;
}

uint64_t Address(const void* object)
{
    return reinterpret_cast<uint64_t>(object);
}

SlotObject g_Friends = Make<ISteamFriends>("Friends", {{0, Address(NAME)}, {7, Address(NAME)}});
SlotObject g_RemoteStorage = Make<ISteamRemoteStorage>("RemoteStorage", {});
SlotObject g_Screenshots = Make<ISteamScreenshots>("Screenshots", {});
SlotObject g_User = Make<ISteamUser>("User", {});
SlotObject g_UserStats = Make<ISteamUserStats>("UserStats", {{24, Address(NAME)}});
SlotObject g_Utils = Make<ISteamUtils>("Utils", {{9, APP_ID}});
SlotObject g_Client = Make<ISteamClient>("Client", {{5, Address(&g_User)}, {8, Address(&g_Friends)},
                                                    {9, Address(&g_Utils)}, {13, Address(&g_UserStats)},
                                                    {17, Address(&g_RemoteStorage)}, {18, Address(&g_Screenshots)}});

std::multimap<int32_t, void*> g_Listeners;
std::vector<std::pair<void*, uint64_t>> g_Calls;
bool g_StatsSent = false;

// A callback object as the library sees it: flags at byte 8, the id at byte 12, and three slots: the
// record alone, the record with the failure flag and call handle, the record's size.
constexpr size_t FLAGS_AT = 8;
constexpr size_t ID_AT = 12;
typedef void (*RunRecord)(void* self, void* record);
typedef void (*RunResult)(void* self, void* record, bool ioFailure, uint64_t call);
typedef int (*RecordSize)(void* self);

void* const* CallbackTable(void* callback)
{
    return *static_cast<void* const* const*>(callback);
}

int32_t IdOf(void* callback)
{
    int32_t id = 0;
    std::memcpy(&id, static_cast<uint8_t*>(callback) + ID_AT, sizeof id);
    return id;
}

void SetRegistered(void* callback, bool registered)
{
    uint8_t& flags = static_cast<uint8_t*>(callback)[FLAGS_AT];
    flags = registered ? uint8_t(flags | 1) : uint8_t(flags & ~1);
}

struct RawRecord {
    alignas(8) uint8_t bytes[256] = {};
    int size = 0;
    template <class T> void At(size_t offset, T value) { std::memcpy(bytes + offset, &value, sizeof value); }
};

// A successful record of each kind the engine listens for, laid out as published.
RawRecord Answer(int32_t id)
{
    RawRecord record;
    switch (id) {
    case 1101: // UserStatsReceived_t
        record.At<uint64_t>(0, APP_ID), record.At<int32_t>(8, 1), record.At<uint64_t>(12, 1), record.size = 20;
        break;
    case 1104: // LeaderboardFindResult_t
        record.At<uint64_t>(0, 500), record.At<uint8_t>(8, 1), record.size = 12;
        break;
    case 1105: // LeaderboardScoresDownloaded_t
        record.At<uint64_t>(0, 500), record.At<uint64_t>(8, 600), record.At<int32_t>(16, 1), record.size = 20;
        break;
    case 1106: // LeaderboardScoreUploaded_t
        record.At<uint8_t>(0, 1), record.At<uint64_t>(4, 500), record.At<int32_t>(12, 5), record.At<uint8_t>(16, 1);
        record.At<int32_t>(20, 1), record.At<int32_t>(24, 1), record.size = 28;
        break;
    case 1307: // RemoteStorageFileShareResult_t
        record.At<int32_t>(0, 1), record.At<uint64_t>(4, 9), record.size = 12;
        break;
    case 1309: // RemoteStoragePublishFileResult_t
        record.At<int32_t>(0, 1), record.At<uint64_t>(4, 77), record.At<uint8_t>(12, 0), record.size = 16;
        break;
    default: break;
    }
    return record;
}

// Logs a callback object that reports another size than the published record's.
void CheckSize(void* callback, const RawRecord& record)
{
    int size = reinterpret_cast<RecordSize>(CallbackTable(callback)[2])(callback);
    if (size != record.size) g_Log += "record " + std::to_string(IdOf(callback)) + " size " + std::to_string(size) + "\n";
}

} // namespace

FAKE_EXPORT int32_t SteamInternal_SteamAPI_Init(const char*, void*)
{
    return 0;
}

FAKE_EXPORT void* SteamInternal_CreateInterface(const char* version)
{
    return std::strcmp(version, "SteamClient012") == 0 ? &g_Client : nullptr;
}

FAKE_EXPORT void* SteamClient()
{
    return &g_Client;
}

FAKE_EXPORT int32_t SteamAPI_GetHSteamUser()
{
    return USER;
}

FAKE_EXPORT int32_t SteamAPI_GetHSteamPipe()
{
    return PIPE;
}

// The first pump brings this game's stats; every pump answers the calls registered before it.
FAKE_EXPORT void SteamAPI_RunCallbacks()
{
    if (!g_StatsSent) {
        g_StatsSent = true;
        RawRecord stats = Answer(1101);
        for (auto [at, end] = g_Listeners.equal_range(1101); at != end; ++at) {
            CheckSize(at->second, stats);
            reinterpret_cast<RunRecord>(CallbackTable(at->second)[0])(at->second, stats.bytes);
        }
    }
    auto calls = std::move(g_Calls);
    g_Calls.clear();
    for (auto [target, call] : calls) {
        RawRecord record = Answer(IdOf(target));
        CheckSize(target, record);
        reinterpret_cast<RunResult>(CallbackTable(target)[1])(target, record.bytes, false, call);
    }
}

// The engine takes its listeners off before it shuts Steam down, which it can only do when it reads
// their registered flag where the library sets it.
FAKE_EXPORT void SteamAPI_Shutdown()
{
    if (!g_Listeners.empty()) g_Log += "listeners left " + std::to_string(g_Listeners.size()) + "\n";
}

FAKE_EXPORT void SteamAPI_RegisterCallback(void* callback, int32_t id)
{
    SetRegistered(callback, true);
    std::memcpy(static_cast<uint8_t*>(callback) + ID_AT, &id, sizeof id);
    g_Listeners.insert({id, callback});
}

FAKE_EXPORT void SteamAPI_UnregisterCallback(void* callback)
{
    SetRegistered(callback, false);
    for (auto at = g_Listeners.begin(); at != g_Listeners.end();)
        at = at->second == callback ? g_Listeners.erase(at) : std::next(at);
}

FAKE_EXPORT void SteamAPI_RegisterCallResult(void* callback, uint64_t call)
{
    g_Calls.push_back({callback, call});
}

FAKE_EXPORT void SteamAPI_UnregisterCallResult(void* callback, uint64_t call)
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
