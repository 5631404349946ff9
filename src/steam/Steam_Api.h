// What the engine and the Steam client library share, as the library's 64-bit Linux build lays it
// out: callback ids, the callback and call-result records, the callback base class the library calls
// back into, the interfaces the engine calls and the flat entry points. The library is loaded at run
// time; nothing here links against it.
//
// The library calls through virtual tables, so each interface lists every virtual method of the
// version named beside it, in the published order, up to the last one the engine calls: a method's
// slot is its place in that list. Methods past it cannot move the ones before, so they are left out.
// Methods the engine never calls are declared with their published signature all the same.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t HSteamPipe;
typedef int32_t HSteamUser;
typedef uint64_t SteamAPICall_t;
typedef uint64_t SteamLeaderboard_t;
typedef uint64_t SteamLeaderboardEntries_t;
typedef uint64_t UGCHandle_t;
typedef uint64_t UGCFileWriteStreamHandle_t;
typedef uint64_t PublishedFileId_t;
typedef uint32_t AppId_t;
typedef uint32_t ScreenshotHandle;
// The library's CSteamID is an 8-byte class without a user-declared copy constructor or destructor,
// so it is passed and returned in a general register exactly like this integer.
typedef uint64_t CSteamID;

constexpr SteamAPICall_t k_uAPICallInvalid = 0;

// The warning hook the library calls with (severity, text).
typedef void (*SteamAPIWarningMessageHook_t)(int severity, const char* text);

// The versions the engine asks the client for: the set one library generation handed out through its
// unversioned accessors, and what the interfaces below declare.
constexpr char STEAMCLIENT_INTERFACE_VERSION[] = "SteamClient012";
constexpr char STEAMAPPS_INTERFACE_VERSION[] = "STEAMAPPS_INTERFACE_VERSION006";
constexpr char STEAMFRIENDS_INTERFACE_VERSION[] = "SteamFriends014";
constexpr char STEAMREMOTESTORAGE_INTERFACE_VERSION[] = "STEAMREMOTESTORAGE_INTERFACE_VERSION012";
constexpr char STEAMSCREENSHOTS_INTERFACE_VERSION[] = "STEAMSCREENSHOTS_INTERFACE_VERSION002";
constexpr char STEAMUSER_INTERFACE_VERSION[] = "SteamUser017";
constexpr char STEAMUSERSTATS_INTERFACE_VERSION[] = "STEAMUSERSTATS_INTERFACE_VERSION011";
constexpr char STEAMUTILS_INTERFACE_VERSION[] = "SteamUtils006";

enum SteamCallbackId : int32_t {
    k_iGameOverlayActivated = 331,
    k_iUserStatsReceived = 1101,
    k_iUserStatsStored = 1102,
    k_iUserAchievementStored = 1103,
    k_iLeaderboardFindResult = 1104,
    k_iLeaderboardScoresDownloaded = 1105,
    k_iLeaderboardScoreUploaded = 1106,
    k_iRemoteStorageFileShareResult = 1307,
    k_iRemoteStoragePublishFileResult = 1309,
    k_iScreenshotRequested = 2302,
};

// The library's enumerations are plain 4-byte enums; only the values the engine passes are named.
enum EAccountType : int32_t {};
enum EPersonaState : int32_t {};
enum EFriendRelationship : int32_t {};
enum EUniverse : int32_t {};
enum ENotificationPosition : int32_t {};
enum ESteamAPICallFailure : int32_t {};
enum EUGCReadAction : int32_t {};
// Holds 0xffffffff, so the compiler makes it unsigned; passed the same way as the others.
enum ERemoteStoragePlatform : uint32_t { k_ERemoteStoragePlatformAll = 0xffffffffu };
enum ERemoteStoragePublishedFileVisibility : int32_t { k_ERemoteStoragePublishedFileVisibilityPublic = 0 };
enum EWorkshopFileType : int32_t { k_EWorkshopFileTypeCommunity = 0 };
enum ELeaderboardDataRequest : int32_t {
    k_ELeaderboardDataRequestGlobal = 0,
    k_ELeaderboardDataRequestGlobalAroundUser = 1,
    k_ELeaderboardDataRequestFriends = 2,
};
enum ELeaderboardSortMethod : int32_t {};
enum ELeaderboardDisplayType : int32_t {};
enum ELeaderboardUploadScoreMethod : int32_t { k_ELeaderboardUploadScoreMethodKeepBest = 1 };

constexpr int32_t k_EResultOK = 1;
constexpr int32_t k_EResultInvalidParam = 8;

// Types that only appear in the signatures of methods the engine never calls.
class ISteamGameServer;
class ISteamGameServerStats;
class ISteamMatchmaking;
class ISteamMatchmakingServers;
class ISteamNetworking;
struct FriendGameInfo_t;
struct SteamParamStringArray_t;

// The Linux library packs its callback records to 4 bytes: a 64-bit field after a 32-bit one keeps
// offset 4, and sizes round to 4. The offsets below are pinned field by field.
#pragma pack(push, 4)
struct GameOverlayActivated_t {
    enum { k_iCallback = k_iGameOverlayActivated };
    uint8_t m_bActive;
};
struct ScreenshotRequested_t {
    enum { k_iCallback = k_iScreenshotRequested };
};
struct RemoteStorageFileShareResult_t {
    enum { k_iCallback = k_iRemoteStorageFileShareResult };
    int32_t m_eResult;
    UGCHandle_t m_hFile;
};
struct RemoteStoragePublishFileResult_t {
    enum { k_iCallback = k_iRemoteStoragePublishFileResult };
    int32_t m_eResult;
    PublishedFileId_t m_nPublishedFileId;
    bool m_bUserNeedsToAcceptWorkshopLegalAgreement;
};
struct UserStatsReceived_t {
    enum { k_iCallback = k_iUserStatsReceived };
    uint64_t m_nGameID;
    int32_t m_eResult;
    CSteamID m_steamIDUser;
};
struct UserStatsStored_t {
    enum { k_iCallback = k_iUserStatsStored };
    uint64_t m_nGameID;
    int32_t m_eResult;
};
struct UserAchievementStored_t {
    enum { k_iCallback = k_iUserAchievementStored };
    uint64_t m_nGameID;
    bool m_bGroupAchievement;
    char m_rgchAchievementName[128];
    uint32_t m_nCurProgress;
    uint32_t m_nMaxProgress;
};
struct LeaderboardFindResult_t {
    enum { k_iCallback = k_iLeaderboardFindResult };
    SteamLeaderboard_t m_hSteamLeaderboard;
    uint8_t m_bLeaderboardFound;
};
struct LeaderboardScoresDownloaded_t {
    enum { k_iCallback = k_iLeaderboardScoresDownloaded };
    SteamLeaderboard_t m_hSteamLeaderboard;
    SteamLeaderboardEntries_t m_hSteamLeaderboardEntries;
    int32_t m_cEntryCount;
};
struct LeaderboardScoreUploaded_t {
    enum { k_iCallback = k_iLeaderboardScoreUploaded };
    uint8_t m_bSuccess;
    SteamLeaderboard_t m_hSteamLeaderboard;
    int32_t m_nScore;
    uint8_t m_bScoreChanged;
    int32_t m_nGlobalRankNew;
    int32_t m_nGlobalRankPrevious;
};
struct LeaderboardEntry_t {
    CSteamID m_steamIDUser;
    int32_t m_nGlobalRank;
    int32_t m_nScore;
    int32_t m_cDetails;
    UGCHandle_t m_hUGC;
};
#pragma pack(pop)

#define STEAM_RECORD_FIELD(Record, field, offset) static_assert(offsetof(Record, field) == (offset))
static_assert(sizeof(GameOverlayActivated_t) == 1);
STEAM_RECORD_FIELD(GameOverlayActivated_t, m_bActive, 0);
static_assert(sizeof(ScreenshotRequested_t) == 1);
static_assert(sizeof(RemoteStorageFileShareResult_t) == 12);
STEAM_RECORD_FIELD(RemoteStorageFileShareResult_t, m_eResult, 0);
STEAM_RECORD_FIELD(RemoteStorageFileShareResult_t, m_hFile, 4);
static_assert(sizeof(RemoteStoragePublishFileResult_t) == 16);
STEAM_RECORD_FIELD(RemoteStoragePublishFileResult_t, m_eResult, 0);
STEAM_RECORD_FIELD(RemoteStoragePublishFileResult_t, m_nPublishedFileId, 4);
STEAM_RECORD_FIELD(RemoteStoragePublishFileResult_t, m_bUserNeedsToAcceptWorkshopLegalAgreement, 12);
static_assert(sizeof(UserStatsReceived_t) == 20);
STEAM_RECORD_FIELD(UserStatsReceived_t, m_nGameID, 0);
STEAM_RECORD_FIELD(UserStatsReceived_t, m_eResult, 8);
STEAM_RECORD_FIELD(UserStatsReceived_t, m_steamIDUser, 12);
static_assert(sizeof(UserStatsStored_t) == 12);
STEAM_RECORD_FIELD(UserStatsStored_t, m_nGameID, 0);
STEAM_RECORD_FIELD(UserStatsStored_t, m_eResult, 8);
static_assert(sizeof(UserAchievementStored_t) == 148);
STEAM_RECORD_FIELD(UserAchievementStored_t, m_nGameID, 0);
STEAM_RECORD_FIELD(UserAchievementStored_t, m_bGroupAchievement, 8);
STEAM_RECORD_FIELD(UserAchievementStored_t, m_rgchAchievementName, 9);
STEAM_RECORD_FIELD(UserAchievementStored_t, m_nCurProgress, 140);
STEAM_RECORD_FIELD(UserAchievementStored_t, m_nMaxProgress, 144);
static_assert(sizeof(LeaderboardFindResult_t) == 12);
STEAM_RECORD_FIELD(LeaderboardFindResult_t, m_hSteamLeaderboard, 0);
STEAM_RECORD_FIELD(LeaderboardFindResult_t, m_bLeaderboardFound, 8);
static_assert(sizeof(LeaderboardScoresDownloaded_t) == 20);
STEAM_RECORD_FIELD(LeaderboardScoresDownloaded_t, m_hSteamLeaderboard, 0);
STEAM_RECORD_FIELD(LeaderboardScoresDownloaded_t, m_hSteamLeaderboardEntries, 8);
STEAM_RECORD_FIELD(LeaderboardScoresDownloaded_t, m_cEntryCount, 16);
static_assert(sizeof(LeaderboardScoreUploaded_t) == 28);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_bSuccess, 0);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_hSteamLeaderboard, 4);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_nScore, 12);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_bScoreChanged, 16);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_nGlobalRankNew, 20);
STEAM_RECORD_FIELD(LeaderboardScoreUploaded_t, m_nGlobalRankPrevious, 24);
static_assert(sizeof(LeaderboardEntry_t) == 28);
STEAM_RECORD_FIELD(LeaderboardEntry_t, m_steamIDUser, 0);
STEAM_RECORD_FIELD(LeaderboardEntry_t, m_nGlobalRank, 8);
STEAM_RECORD_FIELD(LeaderboardEntry_t, m_nScore, 12);
STEAM_RECORD_FIELD(LeaderboardEntry_t, m_cDetails, 16);
STEAM_RECORD_FIELD(LeaderboardEntry_t, m_hUGC, 20);
#undef STEAM_RECORD_FIELD

// The object the library calls back into. The library sets and clears bit 0 of the flags (registered);
// bit 1 (game server) is never set here. The library reads the flags at byte 8 and the id at byte 12.
class CCallbackBase {
  public:
    CCallbackBase() = default;
    // The Itanium ABI keeps declaration order in the virtual table: the record-only Run comes first.
    virtual void Run(void* record) = 0;
    virtual void Run(void* record, bool ioFailure, SteamAPICall_t call) = 0;
    virtual int GetCallbackSizeBytes() = 0;

    enum { k_ECallbackFlagsRegistered = 0x01, k_ECallbackFlagsGameServer = 0x02 };
    uint8_t m_nCallbackFlags = 0;
    int32_t m_iCallback = 0;

  protected:
    ~CCallbackBase() = default;
};
static_assert(sizeof(CCallbackBase) == 16);

class ISteamUser;
class ISteamFriends;
class ISteamUtils;
class ISteamUserStats;
class ISteamApps;
class ISteamRemoteStorage;
class ISteamScreenshots;

// "SteamClient012", up to SetWarningMessageHook (slot 21). The getters keep their slots in every
// later version the library may hand out.
class ISteamClient {
  public:
    virtual HSteamPipe CreateSteamPipe() = 0;
    virtual bool BReleaseSteamPipe(HSteamPipe pipe) = 0;
    virtual HSteamUser ConnectToGlobalUser(HSteamPipe pipe) = 0;
    virtual HSteamUser CreateLocalUser(HSteamPipe* pipe, EAccountType type) = 0;
    virtual void ReleaseUser(HSteamPipe pipe, HSteamUser user) = 0;
    virtual ISteamUser* GetISteamUser(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamGameServer* GetISteamGameServer(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual void SetLocalIPBinding(uint32_t ip, uint16_t port) = 0;
    virtual ISteamFriends* GetISteamFriends(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamUtils* GetISteamUtils(HSteamPipe pipe, const char* version) = 0;
    virtual ISteamMatchmaking* GetISteamMatchmaking(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamMatchmakingServers* GetISteamMatchmakingServers(HSteamUser user, HSteamPipe pipe,
                                                                  const char* version) = 0;
    virtual void* GetISteamGenericInterface(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamUserStats* GetISteamUserStats(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamGameServerStats* GetISteamGameServerStats(HSteamUser user, HSteamPipe pipe,
                                                            const char* version) = 0;
    virtual ISteamApps* GetISteamApps(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamNetworking* GetISteamNetworking(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamRemoteStorage* GetISteamRemoteStorage(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual ISteamScreenshots* GetISteamScreenshots(HSteamUser user, HSteamPipe pipe, const char* version) = 0;
    virtual void RunFrame() = 0;
    virtual uint32_t GetIPCCallCount() = 0;
    virtual void SetWarningMessageHook(SteamAPIWarningMessageHook_t hook) = 0;
};

// "STEAMAPPS_INTERFACE_VERSION006"; the engine calls none of it.
class ISteamApps {
  public:
    virtual bool BIsSubscribed() = 0;
};

// "SteamFriends014", up to ActivateGameOverlay (slot 22).
class ISteamFriends {
  public:
    virtual const char* GetPersonaName() = 0;
    virtual SteamAPICall_t SetPersonaName(const char* name) = 0;
    virtual EPersonaState GetPersonaState() = 0;
    virtual int GetFriendCount(int flags) = 0;
    virtual CSteamID GetFriendByIndex(int index, int flags) = 0;
    virtual EFriendRelationship GetFriendRelationship(CSteamID user) = 0;
    virtual EPersonaState GetFriendPersonaState(CSteamID user) = 0;
    virtual const char* GetFriendPersonaName(CSteamID user) = 0;
    virtual bool GetFriendGamePlayed(CSteamID user, FriendGameInfo_t* game) = 0;
    virtual const char* GetFriendPersonaNameHistory(CSteamID user, int index) = 0;
    virtual const char* GetPlayerNickname(CSteamID user) = 0;
    virtual bool HasFriend(CSteamID user, int flags) = 0;
    virtual int GetClanCount() = 0;
    virtual CSteamID GetClanByIndex(int index) = 0;
    virtual const char* GetClanName(CSteamID clan) = 0;
    virtual const char* GetClanTag(CSteamID clan) = 0;
    virtual bool GetClanActivityCounts(CSteamID clan, int* online, int* inGame, int* chatting) = 0;
    virtual SteamAPICall_t DownloadClanActivityCounts(CSteamID* clans, int count) = 0;
    virtual int GetFriendCountFromSource(CSteamID source) = 0;
    virtual CSteamID GetFriendFromSourceByIndex(CSteamID source, int index) = 0;
    virtual bool IsUserInSource(CSteamID user, CSteamID source) = 0;
    virtual void SetInGameVoiceSpeaking(CSteamID user, bool speaking) = 0;
    virtual void ActivateGameOverlay(const char* dialog) = 0;
};

// "SteamUtils006", up to IsOverlayEnabled (slot 17).
class ISteamUtils {
  public:
    virtual uint32_t GetSecondsSinceAppActive() = 0;
    virtual uint32_t GetSecondsSinceComputerActive() = 0;
    virtual EUniverse GetConnectedUniverse() = 0;
    virtual uint32_t GetServerRealTime() = 0;
    virtual const char* GetIPCountry() = 0;
    virtual bool GetImageSize(int image, uint32_t* width, uint32_t* height) = 0;
    virtual bool GetImageRGBA(int image, uint8_t* pixels, int size) = 0;
    virtual bool GetCSERIPPort(uint32_t* ip, uint16_t* port) = 0;
    virtual uint8_t GetCurrentBatteryPower() = 0;
    virtual AppId_t GetAppID() = 0;
    virtual void SetOverlayNotificationPosition(ENotificationPosition position) = 0;
    virtual bool IsAPICallCompleted(SteamAPICall_t call, bool* failed) = 0;
    virtual ESteamAPICallFailure GetAPICallFailureReason(SteamAPICall_t call) = 0;
    virtual bool GetAPICallResult(SteamAPICall_t call, void* record, int size, int expectedId, bool* failed) = 0;
    virtual void RunFrame() = 0;
    virtual uint32_t GetIPCCallCount() = 0;
    virtual void SetWarningMessageHook(SteamAPIWarningMessageHook_t hook) = 0;
    virtual bool IsOverlayEnabled() = 0;
};

// "SteamUser017", up to GetSteamID (slot 2).
class ISteamUser {
  public:
    virtual HSteamUser GetHSteamUser() = 0;
    virtual bool BLoggedOn() = 0;
    virtual CSteamID GetSteamID() = 0;
};

// "STEAMREMOTESTORAGE_INTERFACE_VERSION012", up to PublishWorkshopFile (slot 27).
class ISteamRemoteStorage {
  public:
    virtual bool FileWrite(const char* name, const void* data, int32_t size) = 0;
    virtual int32_t FileRead(const char* name, void* data, int32_t size) = 0;
    virtual bool FileForget(const char* name) = 0;
    virtual bool FileDelete(const char* name) = 0;
    virtual SteamAPICall_t FileShare(const char* name) = 0;
    virtual bool SetSyncPlatforms(const char* name, ERemoteStoragePlatform platforms) = 0;
    virtual UGCFileWriteStreamHandle_t FileWriteStreamOpen(const char* name) = 0;
    virtual bool FileWriteStreamWriteChunk(UGCFileWriteStreamHandle_t stream, const void* data, int32_t size) = 0;
    virtual bool FileWriteStreamClose(UGCFileWriteStreamHandle_t stream) = 0;
    virtual bool FileWriteStreamCancel(UGCFileWriteStreamHandle_t stream) = 0;
    virtual bool FileExists(const char* name) = 0;
    virtual bool FilePersisted(const char* name) = 0;
    virtual int32_t GetFileSize(const char* name) = 0;
    virtual int64_t GetFileTimestamp(const char* name) = 0;
    virtual ERemoteStoragePlatform GetSyncPlatforms(const char* name) = 0;
    virtual int32_t GetFileCount() = 0;
    virtual const char* GetFileNameAndSize(int index, int32_t* size) = 0;
    virtual bool GetQuota(int32_t* total, int32_t* available) = 0;
    virtual bool IsCloudEnabledForAccount() = 0;
    virtual bool IsCloudEnabledForApp() = 0;
    virtual void SetCloudEnabledForApp(bool enabled) = 0;
    virtual SteamAPICall_t UGCDownload(UGCHandle_t content, uint32_t priority) = 0;
    virtual bool GetUGCDownloadProgress(UGCHandle_t content, int32_t* downloaded, int32_t* expected) = 0;
    virtual bool GetUGCDetails(UGCHandle_t content, AppId_t* app, char** name, int32_t* size, CSteamID* owner) = 0;
    virtual int32_t UGCRead(UGCHandle_t content, void* data, int32_t size, uint32_t offset, EUGCReadAction action) = 0;
    virtual int32_t GetCachedUGCCount() = 0;
    virtual UGCHandle_t GetCachedUGCHandle(int32_t index) = 0;
    virtual SteamAPICall_t PublishWorkshopFile(const char* file, const char* preview, AppId_t consumer,
                                               const char* title, const char* description,
                                               ERemoteStoragePublishedFileVisibility visibility,
                                               SteamParamStringArray_t* tags, EWorkshopFileType type) = 0;
};

// "STEAMSCREENSHOTS_INTERFACE_VERSION002", up to HookScreenshots (slot 3).
class ISteamScreenshots {
  public:
    virtual ScreenshotHandle WriteScreenshot(void* rgb, uint32_t size, int width, int height) = 0;
    virtual ScreenshotHandle AddScreenshotToLibrary(const char* file, const char* thumbnail, int width, int height) = 0;
    virtual void TriggerScreenshot() = 0;
    virtual void HookScreenshots(bool hook) = 0;
};

// "STEAMUSERSTATS_INTERFACE_VERSION011", up to UploadLeaderboardScore (slot 31). Overloads keep their
// declaration order in the table.
class ISteamUserStats {
  public:
    virtual bool RequestCurrentStats() = 0;
    virtual bool GetStat(const char* name, int32_t* value) = 0;
    virtual bool GetStat(const char* name, float* value) = 0;
    virtual bool SetStat(const char* name, int32_t value) = 0;
    virtual bool SetStat(const char* name, float value) = 0;
    virtual bool UpdateAvgRateStat(const char* name, float count, double length) = 0;
    virtual bool GetAchievement(const char* name, bool* achieved) = 0;
    virtual bool SetAchievement(const char* name) = 0;
    virtual bool ClearAchievement(const char* name) = 0;
    virtual bool GetAchievementAndUnlockTime(const char* name, bool* achieved, uint32_t* unlockTime) = 0;
    virtual bool StoreStats() = 0;
    virtual int GetAchievementIcon(const char* name) = 0;
    virtual const char* GetAchievementDisplayAttribute(const char* name, const char* key) = 0;
    virtual bool IndicateAchievementProgress(const char* name, uint32_t progress, uint32_t maxProgress) = 0;
    virtual uint32_t GetNumAchievements() = 0;
    virtual const char* GetAchievementName(uint32_t index) = 0;
    virtual SteamAPICall_t RequestUserStats(CSteamID user) = 0;
    virtual bool GetUserStat(CSteamID user, const char* name, int32_t* value) = 0;
    virtual bool GetUserStat(CSteamID user, const char* name, float* value) = 0;
    virtual bool GetUserAchievement(CSteamID user, const char* name, bool* achieved) = 0;
    virtual bool GetUserAchievementAndUnlockTime(CSteamID user, const char* name, bool* achieved,
                                                 uint32_t* unlockTime) = 0;
    virtual bool ResetAllStats(bool achievementsToo) = 0;
    virtual SteamAPICall_t FindOrCreateLeaderboard(const char* name, ELeaderboardSortMethod sort,
                                                   ELeaderboardDisplayType display) = 0;
    virtual SteamAPICall_t FindLeaderboard(const char* name) = 0;
    virtual const char* GetLeaderboardName(SteamLeaderboard_t board) = 0;
    virtual int GetLeaderboardEntryCount(SteamLeaderboard_t board) = 0;
    virtual ELeaderboardSortMethod GetLeaderboardSortMethod(SteamLeaderboard_t board) = 0;
    virtual ELeaderboardDisplayType GetLeaderboardDisplayType(SteamLeaderboard_t board) = 0;
    virtual SteamAPICall_t DownloadLeaderboardEntries(SteamLeaderboard_t board, ELeaderboardDataRequest kind,
                                                      int start, int end) = 0;
    virtual SteamAPICall_t DownloadLeaderboardEntriesForUsers(SteamLeaderboard_t board, CSteamID* users,
                                                              int count) = 0;
    virtual bool GetDownloadedLeaderboardEntry(SteamLeaderboardEntries_t entries, int index, LeaderboardEntry_t* entry,
                                               int32_t* details, int detailsMax) = 0;
    virtual SteamAPICall_t UploadLeaderboardScore(SteamLeaderboard_t board, ELeaderboardUploadScoreMethod method,
                                                  int32_t score, const int32_t* details, int detailsCount) = 0;
};

// The flat entry points. Every library generation exports the callback pump, shut-down, registration,
// SteamClient and the user and pipe handles; SteamAPI_Init and the unversioned accessors belong to
// the older generation only, SteamInternal_CreateInterface and SteamInternal_SteamAPI_Init to the
// newer one.
typedef char SteamErrMsg[1024];
constexpr int32_t k_ESteamAPIInitResult_OK = 0;
extern "C" {
typedef bool (*SteamAPI_Init_t)();
// The newer start-up: the versions the program will ask for, each ended by a zero byte and the list by
// an empty one, and room for the library's reason when it refuses; answers k_ESteamAPIInitResult_OK
// when Steam started.
typedef int32_t (*SteamInternal_SteamAPI_Init_t)(const char* versions, SteamErrMsg* error);
typedef void (*SteamAPI_RunCallbacks_t)();
typedef void (*SteamAPI_Shutdown_t)();
typedef HSteamUser (*SteamAPI_GetHSteamUser_t)();
typedef HSteamPipe (*SteamAPI_GetHSteamPipe_t)();
typedef void* (*SteamInternal_CreateInterface_t)(const char* version);
// SteamApps, SteamClient, SteamFriends, ... : each answers its interface, or null.
typedef void* (*SteamInterfaceAccessor_t)();
typedef void (*SteamAPI_RegisterCallback_t)(CCallbackBase* callback, int id);
typedef void (*SteamAPI_UnregisterCallback_t)(CCallbackBase* callback);
typedef void (*SteamAPI_RegisterCallResult_t)(CCallbackBase* callback, SteamAPICall_t call);
typedef void (*SteamAPI_UnregisterCallResult_t)(CCallbackBase* callback, SteamAPICall_t call);
}

// The engine's side of registration, through the entry points it looked up (Steam_Init.cpp).
void Steam_RegisterCallback(CCallbackBase* callback, int id);
void Steam_UnregisterCallback(CCallbackBase* callback);
void Steam_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call);
void Steam_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call);

// A persistent listener for one record type.
template <class Owner, class Record> class CCallback final : public CCallbackBase {
  public:
    typedef void (Owner::*Handler)(Record* record);
    CCallback(Owner* owner, Handler handler)
    {
        if (owner != nullptr && handler != nullptr) Register(owner, handler);
    }
    // Not virtual: the library's table holds the three operations above only.
    ~CCallback()
    {
        if (m_nCallbackFlags & k_ECallbackFlagsRegistered) Steam_UnregisterCallback(this);
    }
    CCallback(const CCallback&) = delete;
    CCallback& operator=(const CCallback&) = delete;

    void Register(Owner* owner, Handler handler)
    {
        if (owner == nullptr || handler == nullptr) return;
        if (m_nCallbackFlags & k_ECallbackFlagsRegistered) Steam_UnregisterCallback(this);
        m_pOwner = owner;
        m_Handler = handler;
        Steam_RegisterCallback(this, Record::k_iCallback);
    }
    void Run(void* record) override { (m_pOwner->*m_Handler)(static_cast<Record*>(record)); }
    void Run(void* record, bool, SteamAPICall_t) override { (m_pOwner->*m_Handler)(static_cast<Record*>(record)); }
    int GetCallbackSizeBytes() override { return sizeof(Record); }

  private:
    Owner* m_pOwner = nullptr;
    Handler m_Handler = nullptr;
};

// The result of one asynchronous call.
template <class Owner, class Record> class CCallResult final : public CCallbackBase {
  public:
    typedef void (Owner::*Handler)(Record* record, bool ioFailure);
    CCallResult() { m_iCallback = Record::k_iCallback; }
    ~CCallResult() { Cancel(); }
    CCallResult(const CCallResult&) = delete;
    CCallResult& operator=(const CCallResult&) = delete;

    void Set(SteamAPICall_t call, Owner* owner, Handler handler)
    {
        if (m_hAPICall != k_uAPICallInvalid) Steam_UnregisterCallResult(this, m_hAPICall);
        m_hAPICall = call;
        m_pOwner = owner;
        m_Handler = handler;
        if (call != k_uAPICallInvalid) Steam_RegisterCallResult(this, call);
    }
    void Cancel()
    {
        if (m_hAPICall == k_uAPICallInvalid) return;
        Steam_UnregisterCallResult(this, m_hAPICall);
        m_hAPICall = k_uAPICallInvalid;
    }
    bool IsActive() const { return m_hAPICall != k_uAPICallInvalid; }
    void Run(void* record) override
    {
        m_hAPICall = k_uAPICallInvalid;
        (m_pOwner->*m_Handler)(static_cast<Record*>(record), false);
    }
    void Run(void* record, bool ioFailure, SteamAPICall_t call) override
    {
        if (call != m_hAPICall) return;
        m_hAPICall = k_uAPICallInvalid;
        (m_pOwner->*m_Handler)(static_cast<Record*>(record), ioFailure);
    }
    int GetCallbackSizeBytes() override { return sizeof(Record); }

  private:
    SteamAPICall_t m_hAPICall = k_uAPICallInvalid;
    Owner* m_pOwner = nullptr;
    Handler m_Handler = nullptr;
};
