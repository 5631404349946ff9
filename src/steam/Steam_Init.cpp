// Steam start-up, the per-frame pump and shut-down, and the overlay listener.
#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "app/App_Paths.h"
#include "base/Base_Console.h"
#include "gamefile/GameFile_Header.h"
#include "platform/Platform_MemoryManager.h"
#include "steam/Steam_Layer.h"
#include "steam/Steam_RemoteStorage.h"
#include "steam/Steam_UserStats.h"
#include "support/Support_File.h"

namespace {

struct SteamEntryPoints {
    SteamAPI_Init_t init;
    SteamAPI_RunCallbacks_t runCallbacks;
    SteamAPI_Shutdown_t shutdown;
    SteamApps_t apps;
    SteamClient_t client;
    SteamFriends_t friends;
    SteamRemoteStorage_t remoteStorage;
    SteamScreenshots_t screenshots;
    SteamUser_t user;
    SteamUserStats_t userStats;
    SteamUtils_t utils;
    SteamAPI_RegisterCallback_t registerCallback;
    SteamAPI_UnregisterCallback_t unregisterCallback;
    SteamAPI_RegisterCallResult_t registerCallResult;
    SteamAPI_UnregisterCallResult_t unregisterCallResult;
};

// The overlay listener: follows the overlay opening and closing.
class CSteamFriendsCallbacks {
  public:
    CSteamFriendsCallbacks() : m_Overlay(this, &CSteamFriendsCallbacks::OnGameOverlayActivated) {}
    void OnGameOverlayActivated(GameOverlayActivated_t* record)
    {
        m_bActive = record->m_bActive != 0;
        MainConsole->Output(m_bActive ? "Steam overlay now active\n" : "Steam overlay now inactive\n");
    }
    CCallback<CSteamFriendsCallbacks, GameOverlayActivated_t> m_Overlay;
    bool m_bActive = false;
};

struct SteamState {
    void* library = nullptr;
    SteamEntryPoints api = {};
    bool missingEntry = false;
    bool initialised = false;
    bool startFailed = false;
    const char* failure = nullptr;
    CSteamFriendsCallbacks* overlay = nullptr;
};
SteamState g_Steam;
std::string g_ProgramFolder; // empty: the executable's own

constexpr const char* LIBRARY_NAME = "libsteam_api.so";
constexpr const char* OVERLAY_DIALOGS[] = {"Friends", "Community", "Players", "Settings", "OfficialGameGroup",
                                           "Achievements"};

std::string ProgramFolder()
{
    if (!g_ProgramFolder.empty()) return g_ProgramFolder;
    char* folder = File_GetDirectory(GetProgramDirectory());
    std::string text = folder != nullptr ? folder : "";
    MemoryManager::Free(folder);
    return text;
}

void WriteAppIdFile()
{
    char path[1024];
    std::snprintf(path, sizeof path, "%s/steam_appid.txt", ProgramFolder().c_str());
    MainConsole->Output("steamfile:%s\n", path);
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        MainConsole->Output("Failed to open %s\n", path);
        return;
    }
    std::fprintf(file, "%d", static_cast<int32_t>(g_GameHeader.steamAppId));
    std::fclose(file);
}

// Beside the executable first, then wherever the system finds libraries.
bool LoadLibrary()
{
    errno = 0;
    std::string beside = ProgramFolder() + "/" + LIBRARY_NAME;
    g_Steam.library = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (g_Steam.library == nullptr) g_Steam.library = dlopen(LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
    if (g_Steam.library != nullptr) return true;
    MainConsole->Output("ERROR: Failed to load steam_api.dll error %d\n", errno);
    g_Steam.failure = "Error loading steam_api.dll";
    return false;
}

template <class T> void FindEntry(T* slot, const char* name)
{
    errno = 0;
    *slot = reinterpret_cast<T>(dlsym(g_Steam.library, name));
    if (*slot != nullptr) return;
    MainConsole->Output("ERROR: Failed to find function %s error %d\n", name, errno);
    g_Steam.missingEntry = true;
}

bool FindEntryPoints()
{
    SteamEntryPoints& api = g_Steam.api;
    FindEntry(&api.init, "SteamAPI_Init");
    FindEntry(&api.runCallbacks, "SteamAPI_RunCallbacks");
    FindEntry(&api.shutdown, "SteamAPI_Shutdown");
    FindEntry(&api.apps, "SteamApps");
    FindEntry(&api.client, "SteamClient");
    FindEntry(&api.friends, "SteamFriends");
    FindEntry(&api.remoteStorage, "SteamRemoteStorage");
    FindEntry(&api.screenshots, "SteamScreenshots");
    FindEntry(&api.user, "SteamUser");
    FindEntry(&api.userStats, "SteamUserStats");
    FindEntry(&api.utils, "SteamUtils");
    FindEntry(&api.registerCallback, "SteamAPI_RegisterCallback");
    FindEntry(&api.unregisterCallback, "SteamAPI_UnregisterCallback");
    FindEntry(&api.registerCallResult, "SteamAPI_RegisterCallResult");
    FindEntry(&api.unregisterCallResult, "SteamAPI_UnregisterCallResult");
    if (!g_Steam.missingEntry) return true;
    g_Steam.failure = "Failed to find steam api functions";
    return false;
}

void Steam_WarningHook(int, const char* text)
{
    MainConsole->Output("%s\n", text != nullptr ? text : "");
}

void ReleaseLibrary()
{
    if (g_Steam.library != nullptr) dlclose(g_Steam.library);
    g_Steam.library = nullptr;
    g_Steam.api = {};
}

void FailStart()
{
    g_Steam.startFailed = true;
    if (g_Steam.failure != nullptr) MainConsole->Output("SteamInit failed: %s\n", g_Steam.failure);
    ReleaseLibrary();
}

template <class T, class F> T* Interface(F accessor)
{
    return accessor != nullptr ? accessor() : nullptr;
}

} // namespace

void Steam_Init()
{
    if (g_Steam.initialised || g_Steam.startFailed) {
        MainConsole->Output("Steam already initialised\n");
        return;
    }
    if (g_GameHeader.steamAppId == 0) return;
    WriteAppIdFile();
    MainConsole->Output("Steam_Init\n");
    g_Steam.missingEntry = false;
    g_Steam.failure = nullptr;
    if (!LoadLibrary() || !FindEntryPoints()) return FailStart();
    if (!g_Steam.api.init()) {
        MainConsole->Output("SteamAPI_Init() failed\n");
        g_Steam.failure = "Steam must be running to play this game (SteamAPI_Init() failed)";
        return FailStart();
    }
    if (ISteamClient* client = g_Steam.api.client()) client->SetWarningMessageHook(Steam_WarningHook);
    Steam_InitStats();
    RemoteStorage_Init();
    Screenshots_Init();
    g_Steam.overlay = new CSteamFriendsCallbacks();
    g_Steam.initialised = true;
}

bool Steam_IsInitialised()
{
    return g_Steam.initialised;
}

void Steam_Process()
{
    if (!g_Steam.initialised) return;
    g_Steam.api.runCallbacks();
    Steam_ProcessStats();
}

void Steam_Shutdown()
{
    if (!g_Steam.initialised) return;
    MainConsole->Output("Steam_Shutdown\n");
    Steam_ShutdownStats();
    RemoteStorage_Shutdown();
    Screenshots_Shutdown();
    delete g_Steam.overlay;
    g_Steam.overlay = nullptr;
    g_Steam.api.shutdown();
    g_Steam.initialised = false;
    ReleaseLibrary();
}

void Steam_SetProgramFolder(const char* folder)
{
    g_ProgramFolder = folder != nullptr ? folder : "";
}

void Steam_ResetStartFailed()
{
    g_Steam.startFailed = false;
}

void Steam_RegisterCallback(CCallbackBase* callback, int id)
{
    if (g_Steam.api.registerCallback != nullptr) g_Steam.api.registerCallback(callback, id);
}

void Steam_UnregisterCallback(CCallbackBase* callback)
{
    if (g_Steam.api.unregisterCallback != nullptr) g_Steam.api.unregisterCallback(callback);
}

void Steam_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    if (g_Steam.api.registerCallResult != nullptr) g_Steam.api.registerCallResult(callback, call);
}

void Steam_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    if (g_Steam.api.unregisterCallResult != nullptr) g_Steam.api.unregisterCallResult(callback, call);
}

ISteamFriends* Steam_Friends()
{
    return Interface<ISteamFriends>(g_Steam.api.friends);
}
ISteamRemoteStorage* Steam_RemoteStorage()
{
    return Interface<ISteamRemoteStorage>(g_Steam.api.remoteStorage);
}
ISteamScreenshots* Steam_Screenshots()
{
    return Interface<ISteamScreenshots>(g_Steam.api.screenshots);
}
ISteamUser* Steam_User()
{
    return Interface<ISteamUser>(g_Steam.api.user);
}
ISteamUserStats* Steam_UserStats()
{
    return Interface<ISteamUserStats>(g_Steam.api.userStats);
}
ISteamUtils* Steam_Utils()
{
    return Interface<ISteamUtils>(g_Steam.api.utils);
}

double Steam_ActivateOverlay(int32_t type)
{
    ISteamFriends* friends = Steam_Friends();
    if (friends == nullptr || static_cast<uint32_t>(type) > 5) return 0;
    friends->ActivateGameOverlay(OVERLAY_DIALOGS[type]);
    return 1;
}

double Steam_IsOverlayEnabled()
{
    ISteamUtils* utils = Steam_Utils();
    return utils != nullptr && utils->IsOverlayEnabled() ? 1 : 0;
}

double Steam_IsOverlayActivated()
{
    return g_Steam.overlay != nullptr && g_Steam.overlay->m_bActive ? 1 : 0;
}

const char* Steam_GetPersonaName()
{
    ISteamFriends* friends = Steam_Friends();
    return friends != nullptr ? friends->GetPersonaName() : "Unknown";
}
