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

// The interfaces the engine reaches: the older generation's unversioned accessor of each, and the
// version the client is asked for.
enum SteamInterface { IFACE_FRIENDS, IFACE_REMOTE_STORAGE, IFACE_SCREENSHOTS, IFACE_USER, IFACE_USER_STATS, IFACE_UTILS,
                      IFACE_COUNT };
struct InterfaceRow {
    const char* accessor;
    const char* version;
};
constexpr InterfaceRow INTERFACES[IFACE_COUNT] = {
    {"SteamFriends", STEAMFRIENDS_INTERFACE_VERSION},
    {"SteamRemoteStorage", STEAMREMOTESTORAGE_INTERFACE_VERSION},
    {"SteamScreenshots", STEAMSCREENSHOTS_INTERFACE_VERSION},
    {"SteamUser", STEAMUSER_INTERFACE_VERSION},
    {"SteamUserStats", STEAMUSERSTATS_INTERFACE_VERSION},
    {"SteamUtils", STEAMUTILS_INTERFACE_VERSION},
};

struct SteamEntryPoints {
    // Start-up: the older generation's export, else the newer one's.
    SteamAPI_Init_t init;
    SteamInternal_SteamAPI_Init_t initVersions;
    SteamAPI_RunCallbacks_t runCallbacks;
    SteamAPI_Shutdown_t shutdown;
    // The way to the versioned interfaces.
    SteamAPI_GetHSteamUser_t user;
    SteamAPI_GetHSteamPipe_t pipe;
    SteamInternal_CreateInterface_t createInterface;
    SteamInterfaceAccessor_t client;
    // The older generation's unversioned accessors; SteamApps is part of that set though nothing of it
    // is called.
    SteamInterfaceAccessor_t apps;
    SteamInterfaceAccessor_t accessors[IFACE_COUNT];
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
    // Interfaces through the client at the versions of Steam_Api.h, else through the accessors.
    bool throughClient = false;
    ISteamClient* client = nullptr; // from start-up to shut-down
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

template <class T> bool Find(T* slot, const char* name)
{
    errno = 0;
    *slot = reinterpret_cast<T>(dlsym(g_Steam.library, name));
    return *slot != nullptr;
}

void Missing(const char* name)
{
    MainConsole->Output("ERROR: Failed to find function %s error %d\n", name, errno);
    g_Steam.missingEntry = true;
}

template <class T> void Require(T* slot, const char* name)
{
    if (!Find(slot, name)) Missing(name);
}

// The client hands out the versions asked for whatever the library's generation, while the unversioned
// accessors hand out the versions their library was built with, which are the declared ones only in the
// first libraries that export them (later ones moved methods the engine calls). So the client is the
// way wherever the library offers it, and the accessors serve only a library that does not.
void FindInterfaceWay()
{
    SteamEntryPoints& api = g_Steam.api;
    bool handles = Find(&api.user, "SteamAPI_GetHSteamUser");
    handles = Find(&api.pipe, "SteamAPI_GetHSteamPipe") && handles;
    bool client = Find(&api.createInterface, "SteamInternal_CreateInterface");
    client = Find(&api.client, "SteamClient") || client;
    bool accessors = Find(&api.apps, "SteamApps") && api.client != nullptr;
    for (int32_t i = 0; i < IFACE_COUNT; ++i) accessors = Find(&api.accessors[i], INTERFACES[i].accessor) && accessors;
    g_Steam.throughClient = handles && client;
    if (g_Steam.throughClient || accessors) return;
    if (api.apps == nullptr) Missing("SteamApps");
    if (api.client == nullptr) Missing("SteamClient");
    for (int32_t i = 0; i < IFACE_COUNT; ++i)
        if (api.accessors[i] == nullptr) Missing(INTERFACES[i].accessor);
    if (api.user == nullptr) Missing("SteamAPI_GetHSteamUser");
    if (api.pipe == nullptr) Missing("SteamAPI_GetHSteamPipe");
}

bool FindEntryPoints()
{
    SteamEntryPoints& api = g_Steam.api;
    if (!Find(&api.init, "SteamAPI_Init") && !Find(&api.initVersions, "SteamInternal_SteamAPI_Init"))
        Missing("SteamAPI_Init");
    Require(&api.runCallbacks, "SteamAPI_RunCallbacks");
    Require(&api.shutdown, "SteamAPI_Shutdown");
    FindInterfaceWay();
    Require(&api.registerCallback, "SteamAPI_RegisterCallback");
    Require(&api.unregisterCallback, "SteamAPI_UnregisterCallback");
    Require(&api.registerCallResult, "SteamAPI_RegisterCallResult");
    Require(&api.unregisterCallResult, "SteamAPI_UnregisterCallResult");
    if (!g_Steam.missingEntry) return true;
    g_Steam.failure = "Failed to find steam api functions";
    return false;
}

// The newer start-up is told every version the engine will ask for.
bool StartApi()
{
    const SteamEntryPoints& api = g_Steam.api;
    if (api.init != nullptr) return api.init();
    std::string versions = STEAMCLIENT_INTERFACE_VERSION;
    versions.push_back(0);
    for (const InterfaceRow& row : INTERFACES) versions.append(row.version).push_back(0);
    SteamErrMsg reason = {};
    return api.initVersions(versions.c_str(), &reason) == k_ESteamAPIInitResult_OK;
}

// A library with the client factory is asked for the client version of Steam_Api.h. Its SteamClient
// export hands out a later version, whose warning hook may sit in another slot, so it serves only the
// older libraries, whose clients all keep the hook in the declared slot.
ISteamClient* ObtainClient()
{
    const SteamEntryPoints& api = g_Steam.api;
    void* client = nullptr;
    if (g_Steam.throughClient && api.createInterface != nullptr) client = api.createInterface(STEAMCLIENT_INTERFACE_VERSION);
    else if (api.client != nullptr) client = api.client();
    return static_cast<ISteamClient*>(client);
}

// Asked anew at every use, as the accessors are: no interface is kept past the call that needed it.
void* InterfaceOf(SteamInterface which)
{
    const SteamEntryPoints& api = g_Steam.api;
    if (!g_Steam.throughClient) return api.accessors[which] != nullptr ? api.accessors[which]() : nullptr;
    ISteamClient* client = g_Steam.client;
    if (client == nullptr) return nullptr;
    HSteamUser user = api.user();
    HSteamPipe pipe = api.pipe();
    const char* version = INTERFACES[which].version;
    switch (which) {
    case IFACE_FRIENDS: return client->GetISteamFriends(user, pipe, version);
    case IFACE_REMOTE_STORAGE: return client->GetISteamRemoteStorage(user, pipe, version);
    case IFACE_SCREENSHOTS: return client->GetISteamScreenshots(user, pipe, version);
    case IFACE_USER: return client->GetISteamUser(user, pipe, version);
    case IFACE_USER_STATS: return client->GetISteamUserStats(user, pipe, version);
    case IFACE_UTILS: return client->GetISteamUtils(pipe, version);
    case IFACE_COUNT: break;
    }
    return nullptr;
}

// Names each version the client would not hand out; the operations on it answer their defaults.
void ReportMissingInterfaces()
{
    for (int32_t i = 0; i < IFACE_COUNT; ++i)
        if (InterfaceOf(SteamInterface(i)) == nullptr)
            MainConsole->Output("ERROR: Failed to get steam interface %s\n", INTERFACES[i].version);
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
    g_Steam.throughClient = false;
    g_Steam.client = nullptr;
}

void FailStart()
{
    g_Steam.startFailed = true;
    if (g_Steam.failure != nullptr) MainConsole->Output("SteamInit failed: %s\n", g_Steam.failure);
    ReleaseLibrary();
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
    if (!StartApi()) {
        MainConsole->Output("SteamAPI_Init() failed\n");
        g_Steam.failure = "Steam must be running to play this game (SteamAPI_Init() failed)";
        return FailStart();
    }
    g_Steam.client = ObtainClient();
    if (g_Steam.throughClient && g_Steam.client == nullptr) {
        // Steam started, so it is stopped again before the library goes.
        MainConsole->Output("ERROR: Failed to get steam interface %s\n", STEAMCLIENT_INTERFACE_VERSION);
        g_Steam.failure = "Failed to find steam api functions";
        g_Steam.api.shutdown();
        return FailStart();
    }
    ReportMissingInterfaces();
    if (g_Steam.client != nullptr) g_Steam.client->SetWarningMessageHook(Steam_WarningHook);
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
    return static_cast<ISteamFriends*>(InterfaceOf(IFACE_FRIENDS));
}
ISteamRemoteStorage* Steam_RemoteStorage()
{
    return static_cast<ISteamRemoteStorage*>(InterfaceOf(IFACE_REMOTE_STORAGE));
}
ISteamScreenshots* Steam_Screenshots()
{
    return static_cast<ISteamScreenshots*>(InterfaceOf(IFACE_SCREENSHOTS));
}
ISteamUser* Steam_User()
{
    return static_cast<ISteamUser*>(InterfaceOf(IFACE_USER));
}
ISteamUserStats* Steam_UserStats()
{
    return static_cast<ISteamUserStats*>(InterfaceOf(IFACE_USER_STATS));
}
ISteamUtils* Steam_Utils()
{
    return static_cast<ISteamUtils*>(InterfaceOf(IFACE_UTILS));
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
