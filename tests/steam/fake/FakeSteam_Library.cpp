// A stand-in client library for the tests over an in-memory user, cloud, stats and leaderboards.
// Callbacks and call results are delivered only inside SteamAPI_RunCallbacks, as the real library
// does. Tests steer it with FakeSteam_Command; a run of the executable reads its commands from the
// file named by FAKE_STEAM_SCENARIO. Every call it gets worth checking is logged (FakeSteam_CallLog),
// and so is every call of a method the engine has no business calling ("unexpected ...").
//
// Which entry points it exports follows the library generation it stands for (CMakeLists.txt):
// FAKE_STEAM_OLDER (SteamAPI_Init and the unversioned accessors), FAKE_STEAM_NEWER (the SteamInternal_
// start-up and client factory), FAKE_STEAM_HANDLES (the user and pipe handles) and
// FAKE_STEAM_CALL_RESULTS (call-result registration).
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "steam/Steam_Api.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Board {
    SteamLeaderboard_t handle = 0;
    std::string name;
    int32_t entries = 0;
};

struct Completed {
    SteamAPICall_t call;
    std::vector<uint8_t> record;
    bool ioFailure;
};

struct FakeState {
    bool initResult = true;
    AppId_t appId = 0;
    bool loggedOn = true;
    CSteamID steamId = 76561197960287930ull;
    std::string persona = "Player";
    std::map<CSteamID, std::string> friends;
    std::map<std::string, std::string> files;
    bool cloudWrite = true;
    int32_t quotaFree = 600;
    bool setOk = true;
    int32_t storeRefusals = 0;
    std::map<std::string, int32_t> intStats;
    std::map<std::string, float> floatStats;
    std::map<std::string, bool> achievements;
    int32_t shareResult = k_EResultOK;
    bool shareIo = false;
    int32_t publishResult = k_EResultOK;
    bool zeroHandles = false;
    std::map<std::string, Board> boards;
    int32_t findIo = 0;
    int32_t uploadFailures = 0;
    int32_t downloadIo = 0;
    std::string shortRead; // this file reads one byte short
    bool resetFails = false;
    std::set<std::string> refused; // versions the client will not hand out
};

FakeState g_State;
std::multimap<int, CCallbackBase*> g_Callbacks;
std::map<SteamAPICall_t, CCallbackBase*> g_CallResults;
std::vector<std::pair<int, std::vector<uint8_t>>> g_Posted;
std::vector<Completed> g_Completed;
SteamAPICall_t g_NextCall = 1;
std::string g_Log;
constexpr HSteamUser USER = 3;
constexpr HSteamPipe PIPE = 5;

// Always true, so that calls that cannot fail answer with their log line.
bool Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool Log(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_Log += line;
    g_Log += "\n";
    return true;
}

// What a method the engine never calls answers, after logging the call.
template <class T> T Nothing()
{
    if constexpr (!std::is_void_v<T>) return T{};
}
#define UNCALLED(Return, Name, ...)                                                                          \
    Return Name(__VA_ARGS__) override                                                                        \
    {                                                                                                        \
        Log("unexpected %s", #Name);                                                                         \
        return Nothing<Return>();                                                                            \
    }

template <class Record> std::vector<uint8_t> Bytes(const Record& record)
{
    const auto* data = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(data, data + sizeof record);
}

template <class Record> void Post(const Record& record)
{
    g_Posted.push_back({Record::k_iCallback, Bytes(record)});
}

// A new call whose answer comes at the next SteamAPI_RunCallbacks; 0 when told to refuse calls.
template <class Record> SteamAPICall_t Answer(const Record& record, bool ioFailure = false)
{
    if (g_State.zeroHandles) return k_uAPICallInvalid;
    SteamAPICall_t call = g_NextCall++;
    g_Completed.push_back({call, Bytes(record), ioFailure});
    return call;
}

// The rest of a command, where "\\n" stands for a line break.
std::string Rest(std::istringstream& in)
{
    std::string rest;
    std::getline(in >> std::ws, rest);
    for (size_t at = rest.find("\\n"); at != std::string::npos; at = rest.find("\\n", at + 1)) {
        rest[at] = '\n';
        rest.erase(at + 1, 1);
    }
    return rest;
}

void Command(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    FakeState& s = g_State;
    if (verb == "reset") s = FakeState(), g_Posted.clear(), g_Completed.clear(), g_Log.clear();
    else if (verb == "init") in >> s.initResult;
    else if (verb == "appid") in >> s.appId;
    else if (verb == "loggedon") in >> s.loggedOn;
    else if (verb == "persona") s.persona = Rest(in);
    else if (verb == "friend") {
        CSteamID id = 0;
        in >> id;
        s.friends[id] = Rest(in);
    } else if (verb == "post_overlay") {
        int active = 0;
        in >> active;
        Post(GameOverlayActivated_t{uint8_t(active)});
    } else if (verb == "post_screenshot") Post(ScreenshotRequested_t{});
    else if (verb == "post_stats_received" || verb == "post_stats_stored" || verb == "post_achievement_stored") {
        uint64_t game = 0;
        int32_t result = 0;
        in >> game >> result;
        if (verb == "post_stats_received") Post(UserStatsReceived_t{game, result, s.steamId});
        else if (verb == "post_stats_stored") Post(UserStatsStored_t{game, result});
        else Post(UserAchievementStored_t{game, false, {}, 0, 0});
    } else if (verb == "store_refuse") in >> s.storeRefusals;
    else if (verb == "set_ok") in >> s.setOk;
    else if (verb == "cloud") {
        std::string name;
        in >> name;
        s.files[name] = Rest(in);
    } else if (verb == "cloud_write") in >> s.cloudWrite;
    else if (verb == "share_result") in >> s.shareResult >> s.shareIo;
    else if (verb == "publish_result") in >> s.publishResult;
    else if (verb == "zero_handles") in >> s.zeroHandles;
    else if (verb == "board") {
        Board board;
        in >> board.name >> board.entries;
        board.handle = 500 + s.boards.size();
        s.boards[board.name] = board;
    } else if (verb == "find_io") in >> s.findIo;
    else if (verb == "upload_fail") in >> s.uploadFailures;
    else if (verb == "download_io") in >> s.downloadIo;
    else if (verb == "short_read") in >> s.shortRead;
    else if (verb == "reset_fails") in >> s.resetFails;
    else if (verb == "refuse") s.refused.insert(Rest(in));
}

void ReadScenario()
{
    const char* path = std::getenv("FAKE_STEAM_SCENARIO");
    std::ifstream in(path != nullptr ? path : "");
    for (std::string line; std::getline(in, line);) Command(line.substr(0, line.find('\r')));
}

template <class Value> bool Lookup(const std::map<std::string, Value>& values, const char* name, Value* value)
{
    auto found = values.find(name);
    if (found != values.end()) *value = found->second;
    return found != values.end();
}

// A stat or achievement set, unless the library is told to refuse.
template <class Value> bool Store(std::map<std::string, Value>& values, const char* name, Value value)
{
    if (g_State.setOk) values[name] = value;
    return g_State.setOk;
}

Board* BoardOf(SteamLeaderboard_t handle)
{
    for (auto& [name, board] : g_State.boards)
        if (board.handle == handle) return &board;
    return nullptr;
}

class FakeApps : public ISteamApps {
  public:
    UNCALLED(bool, BIsSubscribed)
};

class FakeFriends : public ISteamFriends {
  public:
    const char* GetPersonaName() override { return g_State.persona.c_str(); }
    UNCALLED(SteamAPICall_t, SetPersonaName, const char*)
    UNCALLED(EPersonaState, GetPersonaState)
    UNCALLED(int, GetFriendCount, int)
    UNCALLED(CSteamID, GetFriendByIndex, int, int)
    UNCALLED(EFriendRelationship, GetFriendRelationship, CSteamID)
    UNCALLED(EPersonaState, GetFriendPersonaState, CSteamID)
    const char* GetFriendPersonaName(CSteamID user) override
    {
        auto found = g_State.friends.find(user);
        return found != g_State.friends.end() ? found->second.c_str() : "";
    }
    UNCALLED(bool, GetFriendGamePlayed, CSteamID, FriendGameInfo_t*)
    UNCALLED(const char*, GetFriendPersonaNameHistory, CSteamID, int)
    UNCALLED(const char*, GetPlayerNickname, CSteamID)
    UNCALLED(bool, HasFriend, CSteamID, int)
    UNCALLED(int, GetClanCount)
    UNCALLED(CSteamID, GetClanByIndex, int)
    UNCALLED(const char*, GetClanName, CSteamID)
    UNCALLED(const char*, GetClanTag, CSteamID)
    UNCALLED(bool, GetClanActivityCounts, CSteamID, int*, int*, int*)
    UNCALLED(SteamAPICall_t, DownloadClanActivityCounts, CSteamID*, int)
    UNCALLED(int, GetFriendCountFromSource, CSteamID)
    UNCALLED(CSteamID, GetFriendFromSourceByIndex, CSteamID, int)
    UNCALLED(bool, IsUserInSource, CSteamID, CSteamID)
    UNCALLED(void, SetInGameVoiceSpeaking, CSteamID, bool)
    void ActivateGameOverlay(const char* dialog) override { Log("ActivateGameOverlay %s", dialog); }
};

class FakeUtils : public ISteamUtils {
  public:
    UNCALLED(uint32_t, GetSecondsSinceAppActive)
    UNCALLED(uint32_t, GetSecondsSinceComputerActive)
    UNCALLED(EUniverse, GetConnectedUniverse)
    UNCALLED(uint32_t, GetServerRealTime)
    UNCALLED(const char*, GetIPCountry)
    UNCALLED(bool, GetImageSize, int, uint32_t*, uint32_t*)
    UNCALLED(bool, GetImageRGBA, int, uint8_t*, int)
    UNCALLED(bool, GetCSERIPPort, uint32_t*, uint16_t*)
    UNCALLED(uint8_t, GetCurrentBatteryPower)
    AppId_t GetAppID() override { return g_State.appId; }
    UNCALLED(void, SetOverlayNotificationPosition, ENotificationPosition)
    UNCALLED(bool, IsAPICallCompleted, SteamAPICall_t, bool*)
    UNCALLED(ESteamAPICallFailure, GetAPICallFailureReason, SteamAPICall_t)
    UNCALLED(bool, GetAPICallResult, SteamAPICall_t, void*, int, int, bool*)
    UNCALLED(void, RunFrame)
    UNCALLED(uint32_t, GetIPCCallCount)
    UNCALLED(void, SetWarningMessageHook, SteamAPIWarningMessageHook_t)
    bool IsOverlayEnabled() override { return true; }
};

class FakeUser : public ISteamUser {
  public:
    UNCALLED(HSteamUser, GetHSteamUser)
    bool BLoggedOn() override { return g_State.loggedOn; }
    CSteamID GetSteamID() override { return g_State.steamId; }
};

class FakeRemoteStorage : public ISteamRemoteStorage {
  public:
    bool FileWrite(const char* name, const void* data, int32_t size) override
    {
        Log("FileWrite %s %d", name, size);
        if (!g_State.cloudWrite || size < 0 || size > g_State.quotaFree) return false;
        g_State.files[name] = std::string(static_cast<const char*>(data), size_t(size));
        return true;
    }
    int32_t FileRead(const char* name, void* data, int32_t size) override
    {
        auto found = g_State.files.find(name);
        if (found == g_State.files.end()) return 0;
        int32_t count = std::min<int32_t>(size, int32_t(found->second.size()) - (g_State.shortRead == name));
        std::memcpy(data, found->second.data(), size_t(count));
        return count;
    }
    bool FileForget(const char* name) override { return Log("FileForget %s", name); }
    bool FileDelete(const char* name) override { return g_State.files.erase(name) == 1; }
    SteamAPICall_t FileShare(const char*) override
    {
        return Answer(RemoteStorageFileShareResult_t{g_State.shareResult, 9}, g_State.shareIo);
    }
    bool SetSyncPlatforms(const char* name, ERemoteStoragePlatform platforms) override
    {
        return Log("SetSyncPlatforms %s %x", name, unsigned(platforms));
    }
    UNCALLED(UGCFileWriteStreamHandle_t, FileWriteStreamOpen, const char*)
    UNCALLED(bool, FileWriteStreamWriteChunk, UGCFileWriteStreamHandle_t, const void*, int32_t)
    UNCALLED(bool, FileWriteStreamClose, UGCFileWriteStreamHandle_t)
    UNCALLED(bool, FileWriteStreamCancel, UGCFileWriteStreamHandle_t)
    bool FileExists(const char* name) override { return g_State.files.count(name) == 1; }
    bool FilePersisted(const char* name) override { return g_State.files.count(name) == 1; }
    int32_t GetFileSize(const char* name) override
    {
        auto found = g_State.files.find(name);
        return found != g_State.files.end() ? int32_t(found->second.size()) : 0;
    }
    UNCALLED(int64_t, GetFileTimestamp, const char*)
    UNCALLED(ERemoteStoragePlatform, GetSyncPlatforms, const char*)
    UNCALLED(int32_t, GetFileCount)
    UNCALLED(const char*, GetFileNameAndSize, int, int32_t*)
    bool GetQuota(int32_t* total, int32_t* available) override
    {
        *total = 1000;
        *available = g_State.quotaFree;
        return true;
    }
    bool IsCloudEnabledForAccount() override { return true; }
    bool IsCloudEnabledForApp() override { return g_State.cloudWrite; }
    UNCALLED(void, SetCloudEnabledForApp, bool)
    UNCALLED(SteamAPICall_t, UGCDownload, UGCHandle_t, uint32_t)
    UNCALLED(bool, GetUGCDownloadProgress, UGCHandle_t, int32_t*, int32_t*)
    UNCALLED(bool, GetUGCDetails, UGCHandle_t, AppId_t*, char**, int32_t*, CSteamID*)
    UNCALLED(int32_t, UGCRead, UGCHandle_t, void*, int32_t, uint32_t, EUGCReadAction)
    UNCALLED(int32_t, GetCachedUGCCount)
    UNCALLED(UGCHandle_t, GetCachedUGCHandle, int32_t)
    SteamAPICall_t PublishWorkshopFile(const char* file, const char* preview, AppId_t consumer, const char* title,
                                       const char* description, ERemoteStoragePublishedFileVisibility visibility,
                                       SteamParamStringArray_t*, EWorkshopFileType type) override
    {
        Log("PublishWorkshopFile %s %s %u %s %s %d %d", file, preview != nullptr ? preview : "(null)", consumer,
            title != nullptr ? title : "(null)", description != nullptr ? description : "(null)", int(visibility),
            int(type));
        return Answer(RemoteStoragePublishFileResult_t{g_State.publishResult, 77, false});
    }
};

class FakeScreenshots : public ISteamScreenshots {
  public:
    UNCALLED(ScreenshotHandle, WriteScreenshot, void*, uint32_t, int, int)
    ScreenshotHandle AddScreenshotToLibrary(const char* file, const char*, int width, int height) override
    {
        Log("AddScreenshotToLibrary %s %d %d", file, width, height);
        return 7;
    }
    UNCALLED(void, TriggerScreenshot)
    void HookScreenshots(bool hook) override { Log("HookScreenshots %d", hook); }
};

class FakeUserStats : public ISteamUserStats {
  public:
    bool RequestCurrentStats() override { return true; }
    bool GetStat(const char* name, int32_t* value) override { return Lookup(g_State.intStats, name, value); }
    bool GetStat(const char* name, float* value) override { return Lookup(g_State.floatStats, name, value); }
    bool SetStat(const char* name, int32_t value) override
    {
        Log("SetStat(int) %s %d", name, value);
        return Store(g_State.intStats, name, value);
    }
    bool SetStat(const char* name, float value) override { return Store(g_State.floatStats, name, value); }
    bool UpdateAvgRateStat(const char* name, float count, double length) override
    {
        Log("UpdateAvgRateStat %s %.9g %.17g", name, double(count), length);
        return g_State.setOk;
    }
    bool GetAchievement(const char* name, bool* achieved) override
    {
        return Lookup(g_State.achievements, name, achieved);
    }
    bool SetAchievement(const char* name) override
    {
        Log("SetAchievement %s", name);
        return Store(g_State.achievements, name, true);
    }
    bool ClearAchievement(const char* name) override { return Store(g_State.achievements, name, false); }
    UNCALLED(bool, GetAchievementAndUnlockTime, const char*, bool*, uint32_t*)
    bool StoreStats() override
    {
        Log("StoreStats");
        if (g_State.storeRefusals <= 0) return true;
        --g_State.storeRefusals;
        return false;
    }
    UNCALLED(int, GetAchievementIcon, const char*)
    UNCALLED(const char*, GetAchievementDisplayAttribute, const char*, const char*)
    UNCALLED(bool, IndicateAchievementProgress, const char*, uint32_t, uint32_t)
    UNCALLED(uint32_t, GetNumAchievements)
    UNCALLED(const char*, GetAchievementName, uint32_t)
    UNCALLED(SteamAPICall_t, RequestUserStats, CSteamID)
    UNCALLED(bool, GetUserStat, CSteamID, const char*, int32_t*)
    UNCALLED(bool, GetUserStat, CSteamID, const char*, float*)
    UNCALLED(bool, GetUserAchievement, CSteamID, const char*, bool*)
    UNCALLED(bool, GetUserAchievementAndUnlockTime, CSteamID, const char*, bool*, uint32_t*)
    bool ResetAllStats(bool) override { return !g_State.resetFails; }
    SteamAPICall_t FindOrCreateLeaderboard(const char* name, ELeaderboardSortMethod sort,
                                           ELeaderboardDisplayType display) override
    {
        Log("FindOrCreateLeaderboard %s %d %d", name, int(sort), int(display));
        if (g_State.boards.count(name) == 0) Command(std::string("board ") + name + " 0");
        return FindAnswer(name);
    }
    SteamAPICall_t FindLeaderboard(const char* name) override
    {
        Log("FindLeaderboard %s", name);
        return FindAnswer(name);
    }
    const char* GetLeaderboardName(SteamLeaderboard_t handle) override
    {
        Board* board = BoardOf(handle);
        return board != nullptr ? board->name.c_str() : "";
    }
    UNCALLED(int, GetLeaderboardEntryCount, SteamLeaderboard_t)
    UNCALLED(ELeaderboardSortMethod, GetLeaderboardSortMethod, SteamLeaderboard_t)
    UNCALLED(ELeaderboardDisplayType, GetLeaderboardDisplayType, SteamLeaderboard_t)
    SteamAPICall_t DownloadLeaderboardEntries(SteamLeaderboard_t handle, ELeaderboardDataRequest kind, int start,
                                              int end) override
    {
        Log("DownloadLeaderboardEntries %llu %d %d %d", static_cast<unsigned long long>(handle), int(kind), start, end);
        Board* board = BoardOf(handle);
        bool io = g_State.downloadIo > 0 && g_State.downloadIo--;
        return Answer(LeaderboardScoresDownloaded_t{handle, handle, board != nullptr ? board->entries : 0}, io);
    }
    UNCALLED(SteamAPICall_t, DownloadLeaderboardEntriesForUsers, SteamLeaderboard_t, CSteamID*, int)
    bool GetDownloadedLeaderboardEntry(SteamLeaderboardEntries_t, int index, LeaderboardEntry_t* entry, int32_t*,
                                       int) override
    {
        *entry = {};
        entry->m_steamIDUser = 1000 + CSteamID(index);
        entry->m_nGlobalRank = index + 1;
        entry->m_nScore = 1000 - 10 * index;
        return true;
    }
    SteamAPICall_t UploadLeaderboardScore(SteamLeaderboard_t handle, ELeaderboardUploadScoreMethod method,
                                          int32_t score, const int32_t*, int count) override
    {
        Log("UploadLeaderboardScore %llu %d %d %d", static_cast<unsigned long long>(handle), int(method), score, count);
        bool fail = g_State.uploadFailures > 0 && g_State.uploadFailures--;
        return Answer(LeaderboardScoreUploaded_t{uint8_t(fail ? 0 : 1), handle, score, 1, 1, 0});
    }

  private:
    SteamAPICall_t FindAnswer(const char* name)
    {
        auto found = g_State.boards.find(name);
        bool io = g_State.findIo > 0 && g_State.findIo--;
        LeaderboardFindResult_t record = {found != g_State.boards.end() ? found->second.handle : 0,
                                          uint8_t(found != g_State.boards.end())};
        return Answer(record, io);
    }
};

[[maybe_unused]] FakeApps g_Apps; // handed out by the older generation's accessor only
FakeFriends g_Friends;
FakeRemoteStorage g_RemoteStorage;
FakeScreenshots g_Screenshots;
FakeUser g_User;
FakeUserStats g_UserStats;
FakeUtils g_Utils;

// An interface for the library's user and pipe at the one version the client serves, unless told to
// refuse that version.
template <class Interface>
Interface* Serve(Interface* instance, HSteamUser user, HSteamPipe pipe, const char* version, const char* served)
{
    bool ok = user == USER && pipe == PIPE && std::strcmp(version, served) == 0 && g_State.refused.count(version) == 0;
    if (!ok) Log("refused %s for user %d pipe %d", version, user, pipe);
    return ok ? instance : nullptr;
}

class FakeClient : public ISteamClient {
  public:
    UNCALLED(HSteamPipe, CreateSteamPipe)
    UNCALLED(bool, BReleaseSteamPipe, HSteamPipe)
    UNCALLED(HSteamUser, ConnectToGlobalUser, HSteamPipe)
    UNCALLED(HSteamUser, CreateLocalUser, HSteamPipe*, EAccountType)
    UNCALLED(void, ReleaseUser, HSteamPipe, HSteamUser)
    ISteamUser* GetISteamUser(HSteamUser user, HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_User, user, pipe, version, "SteamUser017");
    }
    UNCALLED(ISteamGameServer*, GetISteamGameServer, HSteamUser, HSteamPipe, const char*)
    UNCALLED(void, SetLocalIPBinding, uint32_t, uint16_t)
    ISteamFriends* GetISteamFriends(HSteamUser user, HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_Friends, user, pipe, version, "SteamFriends014");
    }
    ISteamUtils* GetISteamUtils(HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_Utils, USER, pipe, version, "SteamUtils006");
    }
    UNCALLED(ISteamMatchmaking*, GetISteamMatchmaking, HSteamUser, HSteamPipe, const char*)
    UNCALLED(ISteamMatchmakingServers*, GetISteamMatchmakingServers, HSteamUser, HSteamPipe, const char*)
    UNCALLED(void*, GetISteamGenericInterface, HSteamUser, HSteamPipe, const char*)
    ISteamUserStats* GetISteamUserStats(HSteamUser user, HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_UserStats, user, pipe, version, "STEAMUSERSTATS_INTERFACE_VERSION011");
    }
    UNCALLED(ISteamGameServerStats*, GetISteamGameServerStats, HSteamUser, HSteamPipe, const char*)
    UNCALLED(ISteamApps*, GetISteamApps, HSteamUser, HSteamPipe, const char*)
    UNCALLED(ISteamNetworking*, GetISteamNetworking, HSteamUser, HSteamPipe, const char*)
    ISteamRemoteStorage* GetISteamRemoteStorage(HSteamUser user, HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_RemoteStorage, user, pipe, version, "STEAMREMOTESTORAGE_INTERFACE_VERSION012");
    }
    ISteamScreenshots* GetISteamScreenshots(HSteamUser user, HSteamPipe pipe, const char* version) override
    {
        return Serve(&g_Screenshots, user, pipe, version, "STEAMSCREENSHOTS_INTERFACE_VERSION002");
    }
    UNCALLED(void, RunFrame)
    UNCALLED(uint32_t, GetIPCCallCount)
    void SetWarningMessageHook(SteamAPIWarningMessageHook_t hook) override
    {
        if (hook != nullptr) hook(0, "fake steam warning hook installed");
    }
};
FakeClient g_Client;

// The start-up's answer, after the scenario file of a run is read.
bool Start(const char* how)
{
    ReadScenario();
    Log("%s", how);
    return g_State.initResult;
}

} // namespace

// Every posted callback to each listener of its id, then every finished call to its result object.
FAKE_EXPORT void SteamAPI_RunCallbacks()
{
    Log("SteamAPI_RunCallbacks");
    auto posted = std::move(g_Posted);
    g_Posted.clear();
    for (auto& [id, record] : posted) {
        std::vector<CCallbackBase*> listeners;
        for (auto [at, end] = g_Callbacks.equal_range(id); at != end; ++at) listeners.push_back(at->second);
        for (CCallbackBase* listener : listeners) listener->Run(record.data());
    }
    auto completed = std::move(g_Completed);
    g_Completed.clear();
    for (Completed& answer : completed) {
        auto found = g_CallResults.find(answer.call);
        if (found == g_CallResults.end()) continue;
        CCallbackBase* target = found->second;
        g_CallResults.erase(found);
        target->Run(answer.record.data(), answer.ioFailure, answer.call);
    }
}

FAKE_EXPORT void SteamAPI_Shutdown()
{
    Log("SteamAPI_Shutdown");
}

FAKE_EXPORT ISteamClient* SteamClient()
{
    return &g_Client;
}

#ifdef FAKE_STEAM_OLDER
FAKE_EXPORT bool SteamAPI_Init()
{
    return Start("SteamAPI_Init");
}

// Each unversioned accessor hands out its one instance, and says it was asked.
#define FAKE_INTERFACE(Name)                                                                                \
    FAKE_EXPORT ISteam##Name* Steam##Name()                                                                 \
    {                                                                                                       \
        Log("accessor Steam" #Name);                                                                        \
        return &g_##Name;                                                                                   \
    }
FAKE_INTERFACE(Apps)
FAKE_INTERFACE(Friends)
FAKE_INTERFACE(RemoteStorage)
FAKE_INTERFACE(Screenshots)
FAKE_INTERFACE(User)
FAKE_INTERFACE(UserStats)
FAKE_INTERFACE(Utils)
#endif

#ifdef FAKE_STEAM_NEWER
// Logs the versions the program said it will ask for.
FAKE_EXPORT int32_t SteamInternal_SteamAPI_Init(const char* versions, SteamErrMsg* reason)
{
    std::string list;
    for (const char* version = versions; *version != 0; version += std::strlen(version) + 1)
        list += (list.empty() ? "" : ",") + std::string(version);
    if (Start(("SteamInternal_SteamAPI_Init " + list).c_str())) return k_ESteamAPIInitResult_OK;
    std::snprintf(*reason, sizeof *reason, "fake steam refused to start");
    return 1;
}

FAKE_EXPORT void* SteamInternal_CreateInterface(const char* version)
{
    return Serve(&g_Client, USER, PIPE, version, "SteamClient012");
}
#endif

#ifdef FAKE_STEAM_HANDLES
FAKE_EXPORT HSteamUser SteamAPI_GetHSteamUser()
{
    return USER;
}

FAKE_EXPORT HSteamPipe SteamAPI_GetHSteamPipe()
{
    return PIPE;
}
#endif

FAKE_EXPORT void SteamAPI_RegisterCallback(CCallbackBase* callback, int id)
{
    Log("RegisterCallback %d", id);
    callback->m_nCallbackFlags |= CCallbackBase::k_ECallbackFlagsRegistered;
    callback->m_iCallback = id;
    g_Callbacks.insert({id, callback});
}

FAKE_EXPORT void SteamAPI_UnregisterCallback(CCallbackBase* callback)
{
    Log("UnregisterCallback %d", callback->m_iCallback);
    callback->m_nCallbackFlags &= uint8_t(~CCallbackBase::k_ECallbackFlagsRegistered);
    for (auto at = g_Callbacks.begin(); at != g_Callbacks.end();)
        at = at->second == callback ? g_Callbacks.erase(at) : std::next(at);
}

#ifdef FAKE_STEAM_CALL_RESULTS
FAKE_EXPORT void SteamAPI_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    Log("RegisterCallResult %llu", static_cast<unsigned long long>(call));
    g_CallResults[call] = callback;
}

FAKE_EXPORT void SteamAPI_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    Log("UnregisterCallResult %llu", static_cast<unsigned long long>(call));
    auto found = g_CallResults.find(call);
    if (found != g_CallResults.end() && found->second == callback) g_CallResults.erase(found);
}
#endif

FAKE_EXPORT void FakeSteam_Command(const char* line)
{
    Command(line != nullptr ? line : "");
}

FAKE_EXPORT const char* FakeSteam_CallLog()
{
    return g_Log.c_str();
}
