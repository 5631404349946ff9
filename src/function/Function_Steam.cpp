// The steam_ built-ins. Each checks its arguments before it asks whether Steam runs, so misuse is
// reported even in a game without Steam; without Steam every one answers its default.
#include <cstring>

#include "code/Code_Error.h"
#include "function/Function_Args.h"
#include "function/Function_Registry.h"
#include "platform/Platform_MemoryManager.h"
#include "steam/Steam_Functions.h"
#include "steam/Steam_Layer.h"
#include "steam/Steam_Leaderboards.h"
#include "steam/Steam_RemoteStorage.h"
#include "steam/Steam_UserStats.h"

namespace {

typedef ScriptValue* Result;
typedef ScriptValue* Args;

// Presets -1 and answers whether the arguments fit and Steam can be asked.
bool Ready(Result result, int32_t argc, const ScriptValue* args, const char* kinds)
{
    Result_Real(result, -1);
    return Steam_CheckArgs(argc, args, kinds) && Steam_IsInitialised();
}

// The same for the two routines that answer text: the default is an empty string.
bool ReadyText(Result result, int32_t argc, const ScriptValue* args, const char* kinds)
{
    Result_Text(result, "");
    return Steam_CheckArgs(argc, args, kinds) && Steam_IsInitialised();
}

const char* Text(const ScriptValue& value)
{
    return Arg_TextOrEmpty(value);
}

void Builtin_SteamActivateOverlay(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "R")) Result_Real(r, Steam_ActivateOverlay(Arg_Trunc(a[0])));
}
void Builtin_SteamIsOverlayEnabled(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsOverlayEnabled());
}
void Builtin_SteamIsOverlayActivated(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsOverlayActivated());
}
void Builtin_SteamGetPersonaName(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (ReadyText(r, argc, a, "")) Result_Text(r, Steam_GetPersonaName());
}
void Builtin_SteamInitialised(Result r, CInstance*, CInstance*, int32_t, Args)
{
    Result_Bool(r, Steam_IsInitialised());
}
void Builtin_SteamIsCloudEnabledForApp(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsCloudEnabledForApp());
}
void Builtin_SteamIsCloudEnabledForAccount(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsCloudEnabledForAccount());
}
void Builtin_SteamFilePersisted(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_FilePersisted(Text(a[0])));
}
void Builtin_SteamGetQuotaTotal(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_GetQuotaTotal());
}
void Builtin_SteamGetQuotaFree(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_GetQuotaFree());
}
void Builtin_SteamFileWrite(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (!Ready(r, argc, a, "SSR")) return;
    const char* data = Text(a[1]);
    Result_Real(r, Steam_FileWrite(Text(a[0]), data, int32_t(std::strlen(data)), Arg_Int(a[2])));
}
void Builtin_SteamFileWriteFile(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SS")) Result_Real(r, Steam_FileWriteFile(Text(a[0]), Text(a[1])));
}
void Builtin_SteamFileRead(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (!ReadyText(r, argc, a, "S")) return;
    char* text = Steam_FileRead(Text(a[0]));
    Result_Text(r, text);
    MemoryManager::Free(text);
}
void Builtin_SteamFileDelete(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_FileDelete(Text(a[0])));
}
void Builtin_SteamFileExists(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_FileExists(Text(a[0])));
}
void Builtin_SteamFileSize(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_FileSize(Text(a[0])));
}
void Builtin_SteamFileShare(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_FileShare(Text(a[0])));
}
void Builtin_SteamPublishWorkshopFile(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SSSS"))
        Result_Real(r, Steam_PublishWorkshopFile(Text(a[0]), Text(a[1]), Text(a[2]), Text(a[3])));
}
void Builtin_SteamIsScreenshotRequested(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsScreenshotRequested());
}
void Builtin_SteamSendScreenshot(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SRR")) Result_Real(r, Steam_SendScreenshot(Text(a[0]), Arg_Int(a[1]), Arg_Int(a[2])));
}
void Builtin_SteamIsUserLoggedOn(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_IsUserLoggedOn());
}
void Builtin_SteamGetUserSteamId(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_GetUserSteamID());
}
void Builtin_SteamSetAchievement(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_SetAchievement(Text(a[0])));
}
void Builtin_SteamGetAchievement(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_GetAchievement(Text(a[0])));
}
void Builtin_SteamClearAchievement(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_ClearAchievement(Text(a[0])));
}
void Builtin_SteamSetStatInt(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SR")) Result_Real(r, Steam_SetStatInt(Text(a[0]), Arg_Int(a[1])));
}
void Builtin_SteamSetStatFloat(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SR")) Result_Real(r, Steam_SetStatFloat(Text(a[0]), Arg_Real(a[1])));
}
void Builtin_SteamSetStatAvgRate(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SRR")) Result_Real(r, Steam_SetStatAvgRate(Text(a[0]), Arg_Real(a[1]), Arg_Real(a[2])));
}
void Builtin_SteamGetStatInt(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_GetStatInt(Text(a[0])));
}
void Builtin_SteamGetStatFloat(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_GetStatFloat(Text(a[0])));
}
void Builtin_SteamGetStatAvgRate(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_GetStatAvgRate(Text(a[0])));
}
// The resets run but always answer -1.
void Builtin_SteamResetAllStats(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Steam_ResetAllStats();
}
void Builtin_SteamResetAllStatsAchievements(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Steam_ResetAllStatsAchievements();
}
void Builtin_SteamStatsReady(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "")) Result_Real(r, Steam_StatsReady());
}
void Builtin_SteamCreateLeaderboard(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SRR")) Result_Real(r, Steam_CreateLeaderboard(Text(a[0]), Arg_Int(a[1]), Arg_Int(a[2])));
}
void Builtin_SteamUploadScore(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SR")) Result_Real(r, Steam_UploadScore(Text(a[0]), Arg_Int(a[1])));
}
void Builtin_SteamDownloadScoresAroundUser(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SRR"))
        Result_Real(r, Steam_DownloadScoresAroundUser(Text(a[0]), Arg_Int(a[1]), Arg_Int(a[2])));
}
void Builtin_SteamDownloadScores(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "SRR")) Result_Real(r, Steam_DownloadScores(Text(a[0]), Arg_Int(a[1]), Arg_Int(a[2])));
}
void Builtin_SteamDownloadFriendsScores(Result r, CInstance*, CInstance*, int32_t argc, Args a)
{
    if (Ready(r, argc, a, "S")) Result_Real(r, Steam_DownloadFriendsScores(Text(a[0])));
}

const FunctionRow STEAM_FUNCTIONS[] = {
    {"steam_activate_overlay", Builtin_SteamActivateOverlay, 1},
    {"steam_is_overlay_enabled", Builtin_SteamIsOverlayEnabled, 0},
    {"steam_is_overlay_activated", Builtin_SteamIsOverlayActivated, 0},
    {"steam_get_persona_name", Builtin_SteamGetPersonaName, 0},
    {"steam_initialised", Builtin_SteamInitialised, 0},
    {"steam_is_cloud_enabled_for_app", Builtin_SteamIsCloudEnabledForApp, 0},
    {"steam_is_cloud_enabled_for_account", Builtin_SteamIsCloudEnabledForAccount, 0},
    {"steam_file_persisted", Builtin_SteamFilePersisted, 1},
    {"steam_get_quota_total", Builtin_SteamGetQuotaTotal, 0},
    {"steam_get_quota_free", Builtin_SteamGetQuotaFree, 0},
    {"steam_file_write", Builtin_SteamFileWrite, 3},
    {"steam_file_write_file", Builtin_SteamFileWriteFile, 2},
    {"steam_file_read", Builtin_SteamFileRead, 1},
    {"steam_file_delete", Builtin_SteamFileDelete, 1},
    {"steam_file_exists", Builtin_SteamFileExists, 1},
    {"steam_file_size", Builtin_SteamFileSize, 1},
    {"steam_file_share", Builtin_SteamFileShare, 1},
    {"steam_publish_workshop_file", Builtin_SteamPublishWorkshopFile, 4},
    {"steam_is_screenshot_requested", Builtin_SteamIsScreenshotRequested, 0},
    {"steam_send_screenshot", Builtin_SteamSendScreenshot, 3},
    {"steam_is_user_logged_on", Builtin_SteamIsUserLoggedOn, 0},
    {"steam_get_user_steam_id", Builtin_SteamGetUserSteamId, 0},
    {"steam_set_achievement", Builtin_SteamSetAchievement, 1},
    {"steam_get_achievement", Builtin_SteamGetAchievement, 1},
    {"steam_clear_achievement", Builtin_SteamClearAchievement, 1},
    {"steam_set_stat_int", Builtin_SteamSetStatInt, 2},
    {"steam_set_stat_float", Builtin_SteamSetStatFloat, 2},
    {"steam_set_stat_avg_rate", Builtin_SteamSetStatAvgRate, 3},
    {"steam_get_stat_int", Builtin_SteamGetStatInt, 1},
    {"steam_get_stat_float", Builtin_SteamGetStatFloat, 1},
    {"steam_get_stat_avg_rate", Builtin_SteamGetStatAvgRate, 1},
    {"steam_reset_all_stats", Builtin_SteamResetAllStats, 0},
    {"steam_reset_all_stats_achievements", Builtin_SteamResetAllStatsAchievements, 0},
    {"steam_stats_ready", Builtin_SteamStatsReady, 0},
    {"steam_create_leaderboard", Builtin_SteamCreateLeaderboard, 3},
    {"steam_upload_score", Builtin_SteamUploadScore, 2},
    {"steam_download_scores_around_user", Builtin_SteamDownloadScoresAroundUser, 3},
    {"steam_download_scores", Builtin_SteamDownloadScores, 3},
    {"steam_download_friends_scores", Builtin_SteamDownloadFriendsScores, 1},
};
static_assert(sizeof STEAM_FUNCTIONS / sizeof STEAM_FUNCTIONS[0] == 39);

} // namespace

bool Steam_CheckArgs(int32_t argc, const ScriptValue* args, const char* kinds)
{
    if (argc != static_cast<int32_t>(std::strlen(kinds))) {
        Error_Show_Action("Illegal argument count", false);
        return false;
    }
    for (int32_t i = 0; i < argc; ++i) {
        uint32_t expected = kinds[i] == 'S' ? VALUE_STRING : VALUE_REAL;
        if (args[i].kind == expected) continue;
        Error_Show_Action("Illegal argument type", false);
        return false;
    }
    return true;
}

void InitSteamFunctions()
{
    Steam_Init();
    Function_AddRows(STEAM_FUNCTIONS);
}
