// What the engine and the Steam client library share: callback ids, the callback and call-result
// records, the callback base class the library calls back into, and the interfaces the engine calls.
// The library is loaded at run time; nothing here links against it. Record layouts are pinned by the
// static_asserts below; whether they match a given client library build cannot be checked here.
#pragma once

#include <cstdint>

typedef uint64_t SteamAPICall_t;
typedef uint64_t SteamLeaderboard_t;
typedef uint64_t SteamLeaderboardEntries_t;
typedef uint64_t UGCHandle_t;
typedef uint64_t PublishedFileId_t;
typedef uint64_t CSteamID;
typedef uint32_t AppId_t;
typedef uint32_t ScreenshotHandle;

constexpr SteamAPICall_t k_uAPICallInvalid = 0;

// The warning hook the library calls with (severity, text).
typedef void (*SteamAPIWarningMessageHook_t)(int severity, const char* text);

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

enum ELeaderboardDataRequest : int32_t { k_ELeaderboardDataRequestGlobal = 0, k_ELeaderboardDataRequestGlobalAroundUser = 1, k_ELeaderboardDataRequestFriends = 2 };
enum ELeaderboardSortMethod : int32_t {};
enum ELeaderboardDisplayType : int32_t {};
enum ELeaderboardUploadScoreMethod : int32_t { k_ELeaderboardUploadScoreMethodKeepBest = 1 };

constexpr int32_t k_EResultOK = 1;
constexpr int32_t k_EResultInvalidParam = 8;

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
struct LeaderboardScoreUploaded_t {
    enum { k_iCallback = k_iLeaderboardScoreUploaded };
    uint8_t m_bSuccess;
    SteamLeaderboard_t m_hSteamLeaderboard;
    int32_t m_nScore;
    uint8_t m_bScoreChanged;
    int32_t m_nGlobalRankNew;
    int32_t m_nGlobalRankPrevious;
};
struct LeaderboardScoresDownloaded_t {
    enum { k_iCallback = k_iLeaderboardScoresDownloaded };
    SteamLeaderboard_t m_hSteamLeaderboard;
    SteamLeaderboardEntries_t m_hSteamLeaderboardEntries;
    int32_t m_cEntryCount;
};
struct LeaderboardEntry_t {
    CSteamID m_steamIDUser;
    int32_t m_nGlobalRank;
    int32_t m_nScore;
    int32_t m_cDetails;
    UGCHandle_t m_hUGC;
};

static_assert(sizeof(GameOverlayActivated_t) == 1);
static_assert(sizeof(ScreenshotRequested_t) == 1);
static_assert(sizeof(RemoteStorageFileShareResult_t) == 16);
static_assert(sizeof(RemoteStoragePublishFileResult_t) == 16);
static_assert(sizeof(UserStatsReceived_t) == 24);
static_assert(sizeof(UserStatsStored_t) == 16);
static_assert(sizeof(UserAchievementStored_t) == 152);
static_assert(sizeof(LeaderboardFindResult_t) == 16);
static_assert(sizeof(LeaderboardScoreUploaded_t) == 32);
static_assert(sizeof(LeaderboardScoresDownloaded_t) == 24);
static_assert(sizeof(LeaderboardEntry_t) == 32);

// The object the library calls back into. The library sets and clears bit 0 of the flags (registered);
// bit 1 (game server) is never set here.
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

// The interfaces; only the operations the engine calls are declared.
class ISteamApps {
  public:
    virtual bool BIsSubscribed() = 0;
};
class ISteamClient {
  public:
    virtual void SetWarningMessageHook(SteamAPIWarningMessageHook_t hook) = 0;
};
class ISteamFriends {
  public:
    virtual const char* GetPersonaName() = 0;
    virtual const char* GetFriendPersonaName(CSteamID user) = 0;
    virtual void ActivateGameOverlay(const char* dialog) = 0;
};
class ISteamUtils {
  public:
    virtual AppId_t GetAppID() = 0;
    virtual bool IsOverlayEnabled() = 0;
};
class ISteamUser {
  public:
    virtual bool BLoggedOn() = 0;
    virtual CSteamID GetSteamID() = 0;
};
class ISteamRemoteStorage {
  public:
    virtual bool FileWrite(const char* name, const void* data, int32_t size) = 0;
    virtual int32_t FileRead(const char* name, void* data, int32_t size) = 0;
    virtual SteamAPICall_t FileShare(const char* name) = 0;
    virtual bool SetSyncPlatforms(const char* name, uint32_t platforms) = 0;
    virtual bool FileForget(const char* name) = 0;
    virtual bool FileDelete(const char* name) = 0;
    virtual bool FileExists(const char* name) = 0;
    virtual bool FilePersisted(const char* name) = 0;
    virtual int32_t GetFileSize(const char* name) = 0;
    virtual bool GetQuota(int32_t* total, int32_t* available) = 0;
    virtual bool IsCloudEnabledForAccount() = 0;
    virtual bool IsCloudEnabledForApp() = 0;
    virtual SteamAPICall_t PublishWorkshopFile(const char* file, const char* preview, AppId_t consumer,
                                               const char* title, const char* description, int32_t visibility,
                                               const void* tags, int32_t fileType) = 0;
};
class ISteamScreenshots {
  public:
    virtual ScreenshotHandle AddScreenshotToLibrary(const char* file, const char* thumbnail, int width, int height) = 0;
    virtual void HookScreenshots(bool hook) = 0;
};
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
    virtual bool StoreStats() = 0;
    virtual bool ResetAllStats(bool achievementsToo) = 0;
    virtual SteamAPICall_t FindOrCreateLeaderboard(const char* name, ELeaderboardSortMethod sort,
                                                   ELeaderboardDisplayType display) = 0;
    virtual SteamAPICall_t FindLeaderboard(const char* name) = 0;
    virtual const char* GetLeaderboardName(SteamLeaderboard_t board) = 0;
    virtual SteamAPICall_t DownloadLeaderboardEntries(SteamLeaderboard_t board, ELeaderboardDataRequest kind,
                                                      int start, int end) = 0;
    virtual bool GetDownloadedLeaderboardEntry(SteamLeaderboardEntries_t entries, int index, LeaderboardEntry_t* entry,
                                               int32_t* details, int detailsMax) = 0;
    virtual SteamAPICall_t UploadLeaderboardScore(SteamLeaderboard_t board, ELeaderboardUploadScoreMethod method,
                                                  int32_t score, const int32_t* details, int detailsCount) = 0;
};

// The flat entry points, in the order they are looked up.
extern "C" {
typedef bool (*SteamAPI_Init_t)();
typedef void (*SteamAPI_RunCallbacks_t)();
typedef void (*SteamAPI_Shutdown_t)();
typedef ISteamApps* (*SteamApps_t)();
typedef ISteamClient* (*SteamClient_t)();
typedef ISteamFriends* (*SteamFriends_t)();
typedef ISteamRemoteStorage* (*SteamRemoteStorage_t)();
typedef ISteamScreenshots* (*SteamScreenshots_t)();
typedef ISteamUser* (*SteamUser_t)();
typedef ISteamUserStats* (*SteamUserStats_t)();
typedef ISteamUtils* (*SteamUtils_t)();
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
