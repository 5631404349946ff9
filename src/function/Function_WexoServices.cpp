// The platform-service built-ins: virtual keys, achievements and leaderboards, cloud saves, URLs,
// advertising and promotion, device and operating-system queries, the social network, analytics,
// live tiles, a login-and-save service and haptics. Each checks its arguments and hands them to the
// platform back end (Function_WexoPlatform.h); many keep an older "Wexo_" name on the same routine.
#include <cstring>
#include <string>
#include <vector>

#include "base/Base_Console.h"
#include "code/Code_Error.h"
#include "datastructure/DataStructure_Map.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "function/Function_Wexo.h"
#include "function/Function_WexoPlatform.h"
#include "gamefile/GameFile_Header.h"
#include "http/Http_Request.h"
#include "io/IO_Main.h"
#include "io/IO_VirtualKey.h"
#include "platform/Platform_MemoryManager.h"
#include "room/Room_Draw.h"
#include "support/Support_SaveArea.h"
#include "support/Support_Timing.h"

namespace {

constexpr int32_t EVENT_CLOUD = 67;
constexpr int32_t AD_SLOTS = 5;

// No platform here has sensors or an on-screen keypad.
float g_Tilt[3] = {0.0f, 0.0f, 0.0f};
uint8_t g_KeypadOpen = 0;

#define WEXO_BUILTIN(Name) \
    void Builtin_##Name(ScriptValue* result, CInstance*, CInstance*, int32_t argc, ScriptValue* args)

// The family rule: one letter per argument, 'r' a real, 's' a string, '.' either; a mismatch is
// reported and the routine does nothing more.
bool Checked(int32_t argc, const ScriptValue* args, const char* kinds)
{
    if (argc != static_cast<int32_t>(std::strlen(kinds))) {
        Error_Show_Action("Illegal argument count", false);
        return false;
    }
    for (int32_t i = 0; i < argc; ++i) {
        if ((kinds[i] == 'r' && !Arg_IsReal(args[i])) || (kinds[i] == 's' && !Arg_IsString(args[i]))) {
            Error_Show_Action("Illegal argument type", false);
            return false;
        }
    }
    return true;
}

// The string-result form: the result is the empty string whatever the check finds.
bool CheckedText(ScriptValue* result, int32_t argc, const ScriptValue* args, const char* kinds)
{
    Result_Text(result, "");
    return Checked(argc, args, kinds);
}

const char* TextAt(int32_t argc, const ScriptValue* args, int32_t i)
{
    return i < argc ? Arg_Text(args[i]) : nullptr;
}

// ---- virtual keys ----

// The entry of a handle (its index plus 1), or null after the report.
IOVirtualKey* KeyOfHandle(int32_t argc, const ScriptValue* args)
{
    if (argc != 1) {
        Error_Show_Action("Illegal argument count", false);
        return nullptr;
    }
    if (!Arg_IsReal(args[0])) {
        Error_Show_Action("Illegal argument", false);
        return nullptr;
    }
    int64_t index = static_cast<int64_t>(Arg_Trunc(args[0])) - 1;
    if (index < 0 || index >= IO_VIRTUAL_KEY_COUNT) {
        Error_Show_Action("Illegal virtual key handle", false);
        return nullptr;
    }
    return IO_VirtualKey_Get(static_cast<int32_t>(index));
}

// x + width as the 32-bit sum wraps, without overflowing.
int32_t Edge(int32_t start, int32_t size)
{
    return static_cast<int32_t>(static_cast<uint32_t>(start) + static_cast<uint32_t>(size));
}

WEXO_BUILTIN(VirtualKeyAdd)
{
    if (!Checked(argc, args, "rrrrr")) return;
    IOVirtualKey* key = IO_VirtualKey_FindFree();
    if (key == nullptr) return;
    key->x = Arg_Trunc(args[0]);
    key->y = Arg_Trunc(args[1]);
    key->width = Arg_Trunc(args[2]);
    key->height = Arg_Trunc(args[3]);
    key->right = Edge(key->x, key->width);
    key->bottom = Edge(key->y, key->height);
    key->key = Arg_Trunc(args[4]);
    key->u = key->v = key->button = 0;
    key->flags = IO_VIRTUAL_KEY_IN_USE;
    Result_Real(result, key->index + 1);
}

WEXO_BUILTIN(VirtualKeyDelete)
{
    if (IOVirtualKey* key = KeyOfHandle(argc, args)) IO_VirtualKey_Delete(key->index);
}

WEXO_BUILTIN(VirtualKeyShow)
{
    if (IOVirtualKey* key = KeyOfHandle(argc, args)) key->flags |= IO_VIRTUAL_KEY_VISIBLE;
}

WEXO_BUILTIN(VirtualKeyHide)
{
    if (IOVirtualKey* key = KeyOfHandle(argc, args)) key->flags &= static_cast<uint16_t>(~IO_VIRTUAL_KEY_VISIBLE);
}

// ---- achievements, leaderboards and challenges ----

WEXO_BUILTIN(AchievementLogin)
{
    if (Checked(argc, args, "")) Platform_AchievementsLogin();
}
WEXO_BUILTIN(AchievementLogout)
{
    if (Checked(argc, args, "")) Platform_AchievementsLogout();
}
WEXO_BUILTIN(AchievementAvailable)
{
    if (Checked(argc, args, "")) Result_Bool(result, AchievementQueue_IsEnabled());
}
WEXO_BUILTIN(AchievementPost)
{
    if (Checked(argc, args, "sr") && AchievementQueue_IsEnabled())
        Platform_PostAchievement(Arg_Text(args[0]), Arg_Float(args[1]));
}
WEXO_BUILTIN(AchievementPostScore)
{
    if (Checked(argc, args, "sr") && AchievementQueue_IsEnabled())
        Platform_PostScore(Arg_Text(args[0]), Arg_Trunc(args[1]));
}
WEXO_BUILTIN(AchievementReset)
{
    Platform_ResetAchievements();
}
WEXO_BUILTIN(AchievementShowAchievements)
{
    Platform_ShowAchievements();
}
WEXO_BUILTIN(AchievementShowLeaderboards)
{
    Platform_ShowLeaderboards();
}
WEXO_BUILTIN(AchievementLoadFriends)
{
    Platform_LoadFriends();
}
WEXO_BUILTIN(AchievementLoadLeaderboard)
{
    Platform_LoadLeaderboard();
}
WEXO_BUILTIN(AchievementGetPic)
{
    Platform_GetAchievementPic(TextAt(argc, args, 0));
}
WEXO_BUILTIN(AchievementLoadProgress)
{
    Platform_LoadProgress();
}
WEXO_BUILTIN(AchievementSendChallenge)
{
    Platform_SendAchievementChallenge();
}
WEXO_BUILTIN(AchievementMapAchievement)
{
    if (Checked(argc, args, "..")) Platform_MapAchievement(Arg_Text(args[0]), Arg_Text(args[1]));
}
WEXO_BUILTIN(AchievementMapLeaderboard)
{
    if (argc != 2 && !Checked(argc, args, "...")) return;
    Platform_MapLeaderboard(Arg_Text(args[0]), Arg_Text(args[1]), argc == 3 ? Arg_Trunc(args[2]) : 1);
}
WEXO_BUILTIN(OpenfeintStart)
{
    if (Checked(argc, args, "")) Platform_OpenFeintStart();
}
WEXO_BUILTIN(OpenfeintSendChallenge)
{
    if (Checked(argc, args, "...")) Platform_SendChallenge(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]));
}
WEXO_BUILTIN(OpenfeintSendInvite)
{
    if (Checked(argc, args, ".")) Platform_SendInvite(Arg_Text(args[0]));
}
WEXO_BUILTIN(OpenfeintSendSocial)
{
    if (Checked(argc, args, "...")) Platform_SendSocial(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]));
}
WEXO_BUILTIN(OpenfeintSetUrl)
{
    if (Checked(argc, args, ".")) Platform_SetURL(Arg_Text(args[0]));
}
WEXO_BUILTIN(OpenfeintAcceptChallenge)
{
    if (!CheckedText(result, argc, args, "")) return;
    char* answer = Platform_AcceptChallenge();
    Result_Text(result, answer);
    MemoryManager::Free(answer);
}
WEXO_BUILTIN(AchievementLoginStatus)
{
    if (Checked(argc, args, "")) Result_Real(result, Platform_AchievementsLoginStatus());
}
WEXO_BUILTIN(OpenfeintSendResult)
{
    if (Checked(argc, args, "..")) Platform_SendChallengeResult(Arg_Int(args[0]), Arg_Text(args[1]));
}

// ---- cloud ----

// Two arguments, at least one of them a string.
bool CloudArguments(int32_t argc, const ScriptValue* args)
{
    if (argc != 2) {
        Error_Show_Action("Illegal argument count", false);
        return false;
    }
    if (!Arg_IsString(args[0]) && !Arg_IsString(args[1])) {
        Error_Show_Action("Illegal argument type", false);
        return false;
    }
    return true;
}

// The whole file from the save area, else from beside the program; false when in neither (a name
// that is not a text is in neither).
bool ReadCloudFile(const char* name, std::string* bytes)
{
    if (name == nullptr) return false;
    int32_t size = 0;
    uint8_t* block = nullptr;
    if (LoadSave_FileExistsSaveArea(name)) block = LoadSave_ReadSaveAreaFile(name, &size);
    else if (LoadSave_FileExistsBundle(name)) block = LoadSave_ReadBundleFile(name, &size);
    if (block == nullptr) return false;
    bytes->assign(reinterpret_cast<const char*>(block), static_cast<size_t>(size > 0 ? size : 0));
    MemoryManager::Free(block);
    return true;
}

WEXO_BUILTIN(CloudFileSave)
{
    if (!CloudArguments(argc, args)) return;
    std::string bytes;
    if (!ReadCloudFile(Arg_Text(args[0]), &bytes)) {
        MainConsole->Output("ERROR!!! :: Failed to open file: %s\n", Arg_TextOrEmpty(args[0]));
        return;
    }
    Platform_CloudSave(bytes.c_str(), Arg_Text(args[1]), Wexo_CloudCompletion);
    Result_Real(result, g_HttpRequestCounter);
}
WEXO_BUILTIN(CloudStringSave)
{
    if (!CloudArguments(argc, args)) return;
    Platform_CloudSave(Arg_Text(args[0]), Arg_Text(args[1]), Wexo_CloudCompletion);
    Result_Real(result, g_HttpRequestCounter);
}
WEXO_BUILTIN(CloudSynchronise)
{
    Platform_CloudSynchronise(Wexo_CloudCompletion);
    Result_Real(result, g_HttpRequestCounter);
}

// ---- URLs ----

void OpenUrl(ScriptValue* result, int32_t argc, const ScriptValue* args, const char* kinds)
{
    if (Checked(argc, args, kinds)) Result_Real(result, Platform_OpenURL(Arg_Text(args[0])));
}
WEXO_BUILTIN(UrlOpen)
{
    OpenUrl(result, argc, args, "s");
}
WEXO_BUILTIN(UrlOpenExt)
{
    OpenUrl(result, argc, args, "s.");
}
WEXO_BUILTIN(UrlOpenFull)
{
    OpenUrl(result, argc, args, "s..");
}
WEXO_BUILTIN(UrlGetDomain)
{
    Result_Text(result, "localhost");
}

// ---- advertising, store and promotion ----

// The advertising slot of a checked real argument, or -1 after the report.
int32_t AdSlot(const ScriptValue& value)
{
    int32_t slot = Arg_Trunc(value);
    if (slot >= 0 && slot < AD_SLOTS) return slot;
    Error_Show_Action("Illegal advertising slot number", false);
    return -1;
}

WEXO_BUILTIN(WexoEnableAds)
{
    if (Checked(argc, args, "rrrrr")) Platform_AdsEnable(Arg_Trunc(args[0]), Arg_Trunc(args[1]), 0);
}
WEXO_BUILTIN(AdsEnable)
{
    if (Checked(argc, args, "rrr")) Platform_AdsEnable(Arg_Trunc(args[0]), Arg_Trunc(args[1]), Arg_Trunc(args[2]));
}
WEXO_BUILTIN(AdsMove)
{
    if (!Checked(argc, args, "rrr")) return;
    int32_t slot = AdSlot(args[2]);
    if (slot >= 0) Platform_AdsMove(Arg_Trunc(args[0]), Arg_Trunc(args[1]), slot);
}
WEXO_BUILTIN(AdsDisable)
{
    if (!Checked(argc, args, "r")) return;
    int32_t slot = AdSlot(args[0]);
    if (slot >= 0) Platform_AdsDisable(slot);
}
WEXO_BUILTIN(AdsEvent)
{
    if (Checked(argc, args, ".")) Platform_AdsEvent(Arg_Text(args[0]));
}
WEXO_BUILTIN(AdsEventPreload)
{
    if (Checked(argc, args, ".")) Platform_AdsEventPreload(Arg_Text(args[0]));
}
WEXO_BUILTIN(AdsGetDisplayWidth)
{
    int32_t slot = Checked(argc, args, "r") ? AdSlot(args[0]) : -1;
    if (slot >= 0) Result_Real(result, Platform_AdsGetDisplayWidth(slot));
}
WEXO_BUILTIN(AdsGetDisplayHeight)
{
    int32_t slot = Checked(argc, args, "r") ? AdSlot(args[0]) : -1;
    if (slot >= 0) Result_Real(result, Platform_AdsGetDisplayHeight(slot));
}
WEXO_BUILTIN(AdsInterstitialAvailable)
{
    Result_Bool(result, Platform_AdsInterstitialAvailable());
}
WEXO_BUILTIN(AdsInterstitialDisplay)
{
    Result_Bool(result, Platform_AdsInterstitialDisplay());
}
WEXO_BUILTIN(AdsEngagementAvailable)
{
    Result_Bool(result, Platform_AdsEngagementAvailable());
}
WEXO_BUILTIN(AdsEngagementLaunch)
{
    Platform_AdsEngagementLaunch();
}
WEXO_BUILTIN(AdsEngagementActive)
{
    Result_Bool(result, Platform_AdsEngagementActive());
}
WEXO_BUILTIN(AdsSetup)
{
    Platform_AdsSetup(TextAt(argc, args, 0));
}
WEXO_BUILTIN(AdsSetRewardCallback)
{
    if (argc >= 1) Platform_AdsSetRewardCallback(Arg_Trunc(args[0]));
}
WEXO_BUILTIN(PlayhavenAddNotificationBadge)
{
    if (argc < 5) return;
    Result_Bool(result, Platform_PlayHavenAddBadge(Arg_Trunc(args[0]), Arg_Trunc(args[1]), Arg_Trunc(args[2]),
                                                   Arg_Trunc(args[3]), Arg_Text(args[4])));
}
WEXO_BUILTIN(PlayhavenHideNotificationBadge)
{
    if (Checked(argc, args, "")) Platform_PlayHavenHideBadge();
}
WEXO_BUILTIN(PlayhavenUpdateNotificationBadge)
{
    if (Checked(argc, args, "")) Platform_PlayHavenUpdateBadge();
}
WEXO_BUILTIN(PlayhavenPositionNotificationBadge)
{
    if (argc >= 4)
        Platform_PlayHavenPositionBadge(Arg_Trunc(args[0]), Arg_Trunc(args[1]), Arg_Trunc(args[2]), Arg_Trunc(args[3]));
}
WEXO_BUILTIN(PocketchangeDisplayReward)
{
    if (Checked(argc, args, "")) Platform_PocketChangeDisplayReward();
}
WEXO_BUILTIN(PocketchangeDisplayShop)
{
    if (Checked(argc, args, "")) Platform_PocketChangeDisplayShop();
}
// Names a desktop has no use for.
WEXO_BUILTIN(NothingHere) {}
WEXO_BUILTIN(ShopLeaveRating)
{
    if (Checked(argc, args, "...."))
        Platform_LeaveRating(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Text(args[2]), Arg_Text(args[3]));
}

// ---- device and operating-system queries ----

WEXO_BUILTIN(GetTimer)
{
    if (Checked(argc, args, "")) Result_Real(result, static_cast<double>(Timing_Time()));
}
WEXO_BUILTIN(WexoGetPlatform)
{
    Checked(argc, args, "");
}
WEXO_BUILTIN(WexoGetDevice)
{
    if (Checked(argc, args, "")) Result_Real(result, Platform_GetDeviceType());
}
WEXO_BUILTIN(WexoGetCpuDetails)
{
    if (Checked(argc, args, "")) Result_Real(result, Platform_GetCPUDetails());
}
WEXO_BUILTIN(OsGetConfig)
{
    if (!CheckedText(result, argc, args, "")) return;
    const char* name = g_GameHeader.configName != nullptr ? g_GameHeader.configName : "";
    Result_Text(result, std::strncmp(name, "Default", 7) == 0 ? "WEXO_PAID" : name);
}
WEXO_BUILTIN(OsGetLanguage)
{
    if (CheckedText(result, argc, args, "")) Result_Text(result, Platform_GetLanguage());
}
WEXO_BUILTIN(DisplayGetDpiX)
{
    Result_Real(result, Platform_GetDpiX());
}
WEXO_BUILTIN(DisplayGetDpiY)
{
    Result_Real(result, Platform_GetDpiY());
}
WEXO_BUILTIN(DisplaySetGuiSize)
{
    if (argc < 2) return;
    g_GUIWidth = Arg_Trunc(args[0]);
    g_GUIHeight = Arg_Trunc(args[1]);
}
WEXO_BUILTIN(DisplayGetGuiWidth)
{
    Result_Real(result, g_GUIWidth >= 0 ? g_GUIWidth : Platform_GetDisplayWidth());
}
WEXO_BUILTIN(DisplayGetGuiHeight)
{
    Result_Real(result, g_GUIHeight >= 0 ? g_GUIHeight : Platform_GetDisplayHeight());
}
// No camera roll here: no picture is ever chosen.
WEXO_BUILTIN(DeviceIosGetImagename)
{
    if (Checked(argc, args, "")) Result_Real(result, -1);
}
WEXO_BUILTIN(DeviceIosGetImage)
{
    if (Checked(argc, args, "")) Result_Real(result, -1);
}
WEXO_BUILTIN(DeviceMouseRawX)
{
    if (argc >= 1) Result_Real(result, IO_MouseX(Arg_Trunc(args[0])));
}
WEXO_BUILTIN(DeviceMouseRawY)
{
    if (argc >= 1) Result_Real(result, IO_MouseY(Arg_Trunc(args[0])));
}
WEXO_BUILTIN(DeviceGetTiltX)
{
    if (Checked(argc, args, "")) Result_Real(result, g_Tilt[0]);
}
WEXO_BUILTIN(DeviceGetTiltY)
{
    if (Checked(argc, args, "")) Result_Real(result, g_Tilt[1]);
}
WEXO_BUILTIN(DeviceGetTiltZ)
{
    if (Checked(argc, args, "")) Result_Real(result, g_Tilt[2]);
}
WEXO_BUILTIN(DeviceIsKeypadOpen)
{
    Result_Bool(result, g_KeypadOpen != 0);
}
WEXO_BUILTIN(OsIsPaused)
{
    if (Checked(argc, args, "")) Result_Bool(result, Wexo_IsPaused());
}
WEXO_BUILTIN(OsIsNetworkConnected)
{
    Result_Bool(result, Platform_IsNetworkConnected());
}
// A wrong count or kind is ignored without a message.
WEXO_BUILTIN(OsPowersaveEnable)
{
    if (argc == 1 && Arg_IsReal(args[0])) Platform_PowerSaveEnable(args[0].real > 0.5);
}
WEXO_BUILTIN(OsLockOrientation)
{
    if (argc == 1 && Arg_IsReal(args[0])) Platform_LockOrientation(args[0].real > 0.5);
}

// ---- social network ----

WEXO_BUILTIN(FacebookInit)
{
    Result_Real(result, Platform_FacebookInit());
}
WEXO_BUILTIN(FacebookLogin)
{
    if (Checked(argc, args, ".")) Result_Real(result, Platform_FacebookLogin(Arg_Trunc(args[0])));
}
WEXO_BUILTIN(FacebookStatus)
{
    Result_Text(result, Platform_FacebookStatus());
}
WEXO_BUILTIN(FacebookGraphRequest)
{
    if (Checked(argc, args, "...."))
        Result_Real(result, Platform_FacebookGraphRequest(Arg_Text(args[0]), Arg_Text(args[1]), Arg_Trunc(args[2]),
                                                          Arg_Trunc(args[3])));
}
WEXO_BUILTIN(FacebookDialog)
{
    if (Checked(argc, args, "..."))
        Result_Real(result, Platform_FacebookDialog(Arg_Text(args[0]), Arg_Trunc(args[1]), Arg_Trunc(args[2])));
}
WEXO_BUILTIN(FacebookLogout)
{
    if (Checked(argc, args, "")) Result_Real(result, Platform_FacebookLogout());
}
WEXO_BUILTIN(FacebookUserId)
{
    if (CheckedText(result, argc, args, "")) Result_Text(result, Platform_FacebookUserId());
}
WEXO_BUILTIN(FacebookAccesstoken)
{
    if (CheckedText(result, argc, args, "")) Result_Text(result, Platform_FacebookAccessToken());
}
WEXO_BUILTIN(FacebookPostMessage)
{
    if (!Checked(argc, args, ".......")) return;
    const char* texts[7];
    for (int32_t i = 0; i < 7; ++i) texts[i] = Arg_Text(args[i]);
    Result_Real(result, Platform_FacebookPostMessage(texts));
}
WEXO_BUILTIN(FacebookSendInvite)
{
    if (!Checked(argc, args, "....")) return;
    const char* texts[4];
    for (int32_t i = 0; i < 4; ++i) texts[i] = Arg_Text(args[i]);
    Result_Real(result, Platform_FacebookSendInvite(texts));
}

// ---- analytics ----

WEXO_BUILTIN(AnalyticsEvent)
{
    Result_Text(result, "");
    if (argc == 1 && Arg_IsString(args[0])) Platform_AnalyticsEvent(Arg_Text(args[0]));
}

// The event name, then (string key, real value) pairs; an odd last argument is ignored.
WEXO_BUILTIN(AnalyticsEventExt)
{
    Result_Text(result, "");
    if (argc < 1 || !Arg_IsString(args[0])) return;
    int32_t pairs = (argc - 1) / 2;
    std::vector<const char*> keys;
    std::vector<double> values;
    for (int32_t i = 0; i < pairs; ++i) {
        const ScriptValue& key = args[1 + 2 * i];
        const ScriptValue& value = args[2 + 2 * i];
        if (!Arg_IsString(key) || !Arg_IsReal(value)) {
            Error_Show("malformed analytics parameter must be string, number pair", false);
            return;
        }
        keys.push_back(Arg_TextOrEmpty(key));
        values.push_back(value.real);
    }
    if (pairs > 0) Platform_AnalyticsEventExt(Arg_Text(args[0]), pairs, keys.data(), values.data());
    else Platform_AnalyticsEvent(Arg_Text(args[0]));
}

// ---- live tiles: nothing to show them on; each call only logs ----

struct LiveTile {
    const char* name;
    char kind;          // of the one argument that fits
    const char* usage;  // the argument list of the usage line
};

const LiveTile LIVE_TILES[] = {
    {"winphone_tile_title", 's', "title"},
    {"winphone_tile_count", 'r', "count"},
    {"winphone_tile_back_title", 's', "title"},
    {"winphone_tile_back_content", 's', "content"},
    {"winphone_tile_back_content_wide", 's', "content"},
    {"winphone_tile_front_image", 's', "filename"},
    {"winphone_tile_front_image_small", 's', "filename"},
    {"winphone_tile_front_image_wide", 's', "filename"},
    {"winphone_tile_back_image", 's', "filename"},
    {"winphone_tile_back_image_wide", 's', "filename"},
    {"winphone_tile_background_color", 'r', "color"},
    {"winphone_tile_icon_image", 's', "filename"},
    {"winphone_tile_small_icon_image", 's', "filename"},
    {"winphone_tile_wide_content", '2', "content, index"},
    {"winphone_tile_cycle_images", '*', "filename1, filename2, ... up to filename9"},
    {"winphone_tile_small_background_image", 's', "filename"},
};

bool TileFits(char kind, int32_t argc, const ScriptValue* args)
{
    switch (kind) {
    case '2':
        return argc == 2 && (Arg_IsString(args[0]) || Arg_IsReal(args[1]));
    case '*':
        return argc >= 1 && argc <= 9 && Arg_IsString(args[0]);
    case 's':
        return argc == 1 && Arg_IsString(args[0]);
    default:
        return argc == 1 && Arg_IsReal(args[0]);
    }
}

template <int32_t Row> void Builtin_WinphoneTile(ScriptValue*, CInstance*, CInstance*, int32_t argc, ScriptValue* args)
{
    const LiveTile& tile = LIVE_TILES[Row];
    if (TileFits(tile.kind, argc, args)) {
        MainConsole->Output("Windows Phone functionality not supported on this platform\n");
        return;
    }
    MainConsole->Output("incorrect arguments to %s( %s )\n", tile.name, tile.usage);
    if (tile.kind == '*' || (tile.kind == '2' && argc != 2)) Error_Show_Action("Illegal argument count", false);
    else if (tile.kind == '2') Error_Show_Action("Illegal argument type", false);
}

// ---- a login-and-save service and haptics ----

WEXO_BUILTIN(GravemakerLogin)
{
    Result_Text(result, "");
}
WEXO_BUILTIN(GravemakerSave)
{
    CheckedText(result, argc, args, "..");
}
WEXO_BUILTIN(GravemakerLoad)
{
    CheckedText(result, argc, args, ".");
}
WEXO_BUILTIN(GravemakerIsLoggedIn)
{
    CheckedText(result, argc, args, "");
}
WEXO_BUILTIN(GravemakerIsLoaded)
{
    CheckedText(result, argc, args, "");
}
WEXO_BUILTIN(ImmersionPlayEffect)
{
    if (argc < 1) Error_Show("Too few arguments to immersion_play()", false);
    else Platform_ImmersionPlay(Arg_Int(args[0]));
}
WEXO_BUILTIN(ImmersionStop)
{
    if (Checked(argc, args, "")) Platform_ImmersionStop();
}

const FunctionRow WEXO_ROWS[] = {
    {"virtual_key_add", Builtin_VirtualKeyAdd, 5},
    {"Wexo_AddVirtualKey", Builtin_VirtualKeyAdd, 5},
    {"virtual_key_delete", Builtin_VirtualKeyDelete, 1},
    {"Wexo_DeleteVirtualKey", Builtin_VirtualKeyDelete, 1},
    {"virtual_key_show", Builtin_VirtualKeyShow, 1},
    {"Wexo_ShowVirtualKey", Builtin_VirtualKeyShow, 1},
    {"virtual_key_hide", Builtin_VirtualKeyHide, 1},
    {"Wexo_HideVirtualKey", Builtin_VirtualKeyHide, 1},
    {"achievement_login", Builtin_AchievementLogin, 0},
    {"Wexo_LoginAchievements", Builtin_AchievementLogin, 0},
    {"achievement_logout", Builtin_AchievementLogout, 0},
    {"Wexo_LogoutAchievements", Builtin_AchievementLogout, 0},
    {"achievement_available", Builtin_AchievementAvailable, 0},
    {"Wexo_AchievementsAvailable", Builtin_AchievementAvailable, 0},
    {"achievement_post", Builtin_AchievementPost, 2},
    {"Wexo_PostAchievement", Builtin_AchievementPost, 2},
    {"achievement_post_score", Builtin_AchievementPostScore, 2},
    {"Wexo_PostScore", Builtin_AchievementPostScore, 2},
    {"achievement_reset", Builtin_AchievementReset, 0},
    {"achievement_show_achievements", Builtin_AchievementShowAchievements, 0},
    {"achievement_show_leaderboards", Builtin_AchievementShowLeaderboards, 0},
    {"achievement_load_friends", Builtin_AchievementLoadFriends, 0},
    {"achievement_load_leaderboard", Builtin_AchievementLoadLeaderboard, 5},
    {"achievement_get_pic", Builtin_AchievementGetPic, 1},
    {"achievement_load_progress", Builtin_AchievementLoadProgress, 0},
    {"achievement_send_challenge", Builtin_AchievementSendChallenge, 5},
    {"achievement_map_achievement", Builtin_AchievementMapAchievement, 2},
    {"Wexo_OF_AddAchievement", Builtin_AchievementMapAchievement, 2},
    {"achievement_map_leaderboard", Builtin_AchievementMapLeaderboard, 3},
    {"Wexo_OF_AddLeaderboard", Builtin_AchievementMapLeaderboard, 3},
    {"openfeint_start", Builtin_OpenfeintStart, 0},
    {"Wexo_OF_StartDashboard", Builtin_OpenfeintStart, 0},
    {"openfeint_send_challenge", Builtin_OpenfeintSendChallenge, 3},
    {"Wexo_OF_SendChallenge", Builtin_OpenfeintSendChallenge, 3},
    {"openfeint_send_invite", Builtin_OpenfeintSendInvite, 1},
    {"Wexo_OF_SendInvite", Builtin_OpenfeintSendInvite, 1},
    {"openfeint_send_social", Builtin_OpenfeintSendSocial, 3},
    {"Wexo_OF_SendSocial", Builtin_OpenfeintSendSocial, 3},
    {"openfeint_set_url", Builtin_OpenfeintSetUrl, 1},
    {"Wexo_OF_SetURL", Builtin_OpenfeintSetUrl, 1},
    {"openfeint_accept_challenge", Builtin_OpenfeintAcceptChallenge, 0},
    {"Wexo_OF_AcceptChallenge", Builtin_OpenfeintAcceptChallenge, 0},
    {"achievement_login_status", Builtin_AchievementLoginStatus, 0},
    {"Wexo_OF_IsOnline", Builtin_AchievementLoginStatus, 0},
    {"openfeint_send_result", Builtin_OpenfeintSendResult, 2},
    {"Wexo_OF_SendChallengeResult", Builtin_OpenfeintSendResult, 2},
    {"cloud_file_save", Builtin_CloudFileSave, 2},
    {"cloud_string_save", Builtin_CloudStringSave, 2},
    {"cloud_synchronise", Builtin_CloudSynchronise, 0},
    {"url_open", Builtin_UrlOpen, 1},
    {"Wexo_OpenURL", Builtin_UrlOpen, 1},
    {"url_open_ext", Builtin_UrlOpenExt, 2},
    {"Wexo_OpenURL_ext", Builtin_UrlOpenExt, 2},
    {"url_open_full", Builtin_UrlOpenFull, 3},
    {"Wexo_OpenURL_full", Builtin_UrlOpenFull, 3},
    {"url_get_domain", Builtin_UrlGetDomain, 1},
    {"Wexo_EnableAds", Builtin_WexoEnableAds, 5},
    {"ads_enable", Builtin_AdsEnable, 3},
    {"ads_move", Builtin_AdsMove, 3},
    {"ads_disable", Builtin_AdsDisable, 1},
    {"Wexo_DisableAds", Builtin_AdsDisable, 1},
    {"ads_event", Builtin_AdsEvent, 1},
    {"ads_event_preload", Builtin_AdsEventPreload, 1},
    {"ads_get_display_width", Builtin_AdsGetDisplayWidth, 1},
    {"ads_get_display_height", Builtin_AdsGetDisplayHeight, 1},
    {"ads_interstitial_available", Builtin_AdsInterstitialAvailable, 0},
    {"ads_interstitial_display", Builtin_AdsInterstitialDisplay, 0},
    {"ads_engagement_available", Builtin_AdsEngagementAvailable, 1},
    {"ads_engagement_launch", Builtin_AdsEngagementLaunch, 1},
    {"ads_engagement_active", Builtin_AdsEngagementActive, 1},
    {"ads_setup", Builtin_AdsSetup, 2},
    {"ads_set_reward_callback", Builtin_AdsSetRewardCallback, 1},
    {"playhaven_add_notification_badge", Builtin_PlayhavenAddNotificationBadge, 5},
    {"playhaven_hide_notification_badge", Builtin_PlayhavenHideNotificationBadge, 0},
    {"playhaven_update_notification_badge", Builtin_PlayhavenUpdateNotificationBadge, 0},
    {"playhaven_position_notification_badge", Builtin_PlayhavenPositionNotificationBadge, 4},
    {"pocketchange_display_reward", Builtin_PocketchangeDisplayReward, 0},
    {"pocketchange_display_shop", Builtin_PocketchangeDisplayShop, 0},
    {"clickable_add", Builtin_NothingHere, 6},
    {"clickable_add_ext", Builtin_NothingHere, 8},
    {"clickable_change", Builtin_NothingHere, 4},
    {"clickable_change_ext", Builtin_NothingHere, 5},
    {"clickable_delete", Builtin_NothingHere, 1},
    {"shop_leave_rating", Builtin_ShopLeaveRating, 4},
    {"Wexo_LeaveRating", Builtin_ShopLeaveRating, 4},
    {"get_timer", Builtin_GetTimer, 0},
    {"Wexo_GetTimer", Builtin_GetTimer, 0},
    {"Wexo_GetPlatform", Builtin_WexoGetPlatform, 0},
    {"Wexo_GetDevice", Builtin_WexoGetDevice, 0},
    {"Wexo_GetCPUDetails", Builtin_WexoGetCpuDetails, 0},
    {"os_get_config", Builtin_OsGetConfig, 0},
    {"Wexo_GetConfig", Builtin_OsGetConfig, 0},
    {"os_get_language", Builtin_OsGetLanguage, 0},
    {"display_get_dpi_x", Builtin_DisplayGetDpiX, 0},
    {"display_get_dpi_y", Builtin_DisplayGetDpiY, 0},
    {"display_set_gui_size", Builtin_DisplaySetGuiSize, 2},
    {"display_get_gui_width", Builtin_DisplayGetGuiWidth, 0},
    {"display_get_gui_height", Builtin_DisplayGetGuiHeight, 0},
    {"device_ios_get_imagename", Builtin_DeviceIosGetImagename, 0},
    {"Wexo_SelectPicture", Builtin_DeviceIosGetImagename, 0},
    {"device_ios_get_image", Builtin_DeviceIosGetImage, 0},
    {"Wexo_GetPictureSprite", Builtin_DeviceIosGetImage, 0},
    {"device_mouse_raw_x", Builtin_DeviceMouseRawX, 1},
    {"Wexo_MouseXRaw", Builtin_DeviceMouseRawX, 1},
    {"device_mouse_raw_y", Builtin_DeviceMouseRawY, 1},
    {"Wexo_MouseYRaw", Builtin_DeviceMouseRawY, 1},
    {"device_get_tilt_x", Builtin_DeviceGetTiltX, 0},
    {"Wexo_GetTiltX", Builtin_DeviceGetTiltX, 0},
    {"device_get_tilt_y", Builtin_DeviceGetTiltY, 0},
    {"Wexo_GetTiltY", Builtin_DeviceGetTiltY, 0},
    {"device_get_tilt_z", Builtin_DeviceGetTiltZ, 0},
    {"Wexo_GetTiltZ", Builtin_DeviceGetTiltZ, 0},
    {"device_is_keypad_open", Builtin_DeviceIsKeypadOpen, 0},
    {"Wexo_IsKeypadOpen", Builtin_DeviceIsKeypadOpen, 0},
    {"os_is_paused", Builtin_OsIsPaused, 0},
    {"Wexo_OSPauseEvent", Builtin_OsIsPaused, 0},
    {"os_is_network_connected", Builtin_OsIsNetworkConnected, 0},
    {"os_powersave_enable", Builtin_OsPowersaveEnable, 1},
    {"os_lock_orientation", Builtin_OsLockOrientation, 1},
    {"facebook_init", Builtin_FacebookInit, 0},
    {"facebook_login", Builtin_FacebookLogin, 1},
    {"facebook_status", Builtin_FacebookStatus, 0},
    {"facebook_graph_request", Builtin_FacebookGraphRequest, 4},
    {"facebook_dialog", Builtin_FacebookDialog, 3},
    {"facebook_logout", Builtin_FacebookLogout, 0},
    {"facebook_user_id", Builtin_FacebookUserId, 0},
    {"facebook_accesstoken", Builtin_FacebookAccesstoken, 0},
    {"facebook_launch_offerwall", Builtin_NothingHere, 1},
    {"facebook_post_message", Builtin_FacebookPostMessage, 7},
    {"facebook_send_invite", Builtin_FacebookSendInvite, 4},
    {"analytics_event", Builtin_AnalyticsEvent, 1},
    {"analytics_event_ext", Builtin_AnalyticsEventExt, FUNCTION_ARGS_ANY},
    {"winphone_tile_title", Builtin_WinphoneTile<0>, 1},
    {"winphone_tile_count", Builtin_WinphoneTile<1>, 1},
    {"winphone_tile_back_title", Builtin_WinphoneTile<2>, 1},
    {"winphone_tile_back_content", Builtin_WinphoneTile<3>, 1},
    {"winphone_tile_back_content_wide", Builtin_WinphoneTile<4>, 1},
    {"winphone_tile_front_image", Builtin_WinphoneTile<5>, 1},
    {"winphone_tile_front_image_small", Builtin_WinphoneTile<6>, 1},
    {"winphone_tile_front_image_wide", Builtin_WinphoneTile<7>, 1},
    {"winphone_tile_back_image", Builtin_WinphoneTile<8>, 1},
    {"winphone_tile_back_image_wide", Builtin_WinphoneTile<9>, 1},
    {"winphone_tile_background_color", Builtin_WinphoneTile<10>, 1},
    {"winphone_tile_icon_image", Builtin_WinphoneTile<11>, 1},
    {"winphone_tile_small_icon_image", Builtin_WinphoneTile<12>, 1},
    {"winphone_tile_wide_content", Builtin_WinphoneTile<13>, 2},
    {"winphone_tile_cycle_images", Builtin_WinphoneTile<14>, FUNCTION_ARGS_ANY},
    {"winphone_tile_small_background_image", Builtin_WinphoneTile<15>, 1},
    {"gravemakerLogin", Builtin_GravemakerLogin, 2},
    {"gravemakerSave", Builtin_GravemakerSave, 2},
    {"gravemakerLoad", Builtin_GravemakerLoad, 1},
    {"gravemakerIsLoggedIn", Builtin_GravemakerIsLoggedIn, 0},
    {"gravemakerIsLoaded", Builtin_GravemakerIsLoaded, 0},
    {"immersion_play_effect", Builtin_ImmersionPlayEffect, 1},
    {"immersion_stop", Builtin_ImmersionStop, 0},
};

} // namespace

int32_t Wexo_CloudCompletion(HTTP_REQ_CONTEXT* request, void*, int32_t* mapId)
{
    // Two zero bytes behind the data, so that both texts of a status-0 answer end inside it.
    int32_t length = request->m_DataLength < 0 ? 0 : request->m_DataLength;
    if (length > request->m_DataSize) length = request->m_DataSize;
    std::string data = request->m_pData != nullptr ? std::string(reinterpret_cast<const char*>(request->m_pData),
                                                                 static_cast<size_t>(length))
                                                   : std::string();
    data.append(2, '\0');
    const char* first = request->m_pData != nullptr ? data.c_str() : nullptr;
    double id = request->m_Id, status = request->m_HttpStatus;
    const char* none = nullptr;
    if (request->m_HttpStatus < 0) {
        *mapId = DS_MapCreate(3, "id", id, none, "status", status, none, "errorString", 0.0, first);
    } else if (request->m_HttpStatus > 0) {
        *mapId = DS_MapCreate(3, "id", id, none, "status", status, none, "resultString", 0.0, first);
    } else {
        const char* second = first != nullptr ? first + std::strlen(first) + 1 : nullptr;
        *mapId = DS_MapCreate(4, "id", id, none, "status", status, none, "description", 0.0, first, "resultString",
                              0.0, second);
    }
    return EVENT_CLOUD;
}

void Function_WexoServices_Register()
{
    Function_AddRows(WEXO_ROWS);
}
