// Steam stats and achievements: asked for once at start-up, changed on the game's behalf, stored at
// the frame's Steam stage after any change.
#include "steam/Steam_UserStats.h"

#include "base/Base_Console.h"
#include "base/Base_Numbers.h"
#include "steam/Steam_Layer.h"
#include "steam/Steam_Leaderboards.h"

namespace {

bool g_StatsReady = false;
bool g_StatsChanged = false;

// A record is this game's when its game id is exactly the application id.
bool IsOurGame(uint64_t gameId)
{
    ISteamUtils* utils = Steam_Utils();
    return utils != nullptr && gameId == static_cast<uint64_t>(utils->GetAppID());
}

class UserStatCallbacks {
  public:
    UserStatCallbacks()
        : m_Stored(this, &UserStatCallbacks::OnUserStatsStored),
          m_AchievementStored(this, &UserStatCallbacks::OnAchievementStored),
          m_Received(this, &UserStatCallbacks::OnUserStatsReceived)
    {
    }
    void OnUserStatsReceived(UserStatsReceived_t* record)
    {
        if (!IsOurGame(record->m_nGameID)) return;
        if (record->m_eResult != k_EResultOK) {
            MainConsole->Output("RequestStats - failed: %d\n", record->m_eResult);
            return;
        }
        MainConsole->Output("Received stats and achievements from Steam\n");
        g_StatsReady = true;
    }
    void OnUserStatsStored(UserStatsStored_t* record)
    {
        if (!IsOurGame(record->m_nGameID)) return;
        if (record->m_eResult == k_EResultOK) MainConsole->Output("StoreStats - success\n");
        else if (record->m_eResult == k_EResultInvalidParam) MainConsole->Output("StoreStats - some failed to validate\n");
        else MainConsole->Output("Error storing stats\n");
    }
    void OnAchievementStored(UserAchievementStored_t* record)
    {
        if (IsOurGame(record->m_nGameID)) MainConsole->Output("achievement store SUCCESS\n");
    }

    // Members unregister in reverse order when destroyed: received, achievement stored, stored.
    CCallback<UserStatCallbacks, UserStatsStored_t> m_Stored;
    CCallback<UserStatCallbacks, UserAchievementStored_t> m_AchievementStored;
    CCallback<UserStatCallbacks, UserStatsReceived_t> m_Received;
};
UserStatCallbacks* g_pStatCallbacks = nullptr;

// The stats interface once stats have arrived; null before.
ISteamUserStats* ReadyStats()
{
    return g_StatsReady ? Steam_UserStats() : nullptr;
}

double Changed(bool accepted)
{
    if (accepted) g_StatsChanged = true;
    return accepted ? 1 : 0;
}

double ReadFloatStat(const char* name)
{
    ISteamUserStats* stats = ReadyStats();
    float value = 0;
    if (stats == nullptr || !stats->GetStat(name, &value)) return 0;
    return value;
}

double Reset(bool achievementsToo)
{
    ISteamUserStats* stats = ReadyStats();
    if (stats == nullptr) return 0;
    stats->ResetAllStats(achievementsToo);
    g_StatsChanged = true;
    return 1;
}

} // namespace

void Steam_InitStats()
{
    g_pStatCallbacks = new UserStatCallbacks();
    g_StatsReady = false;
    g_StatsChanged = false;
    if (ISteamUserStats* stats = Steam_UserStats()) stats->RequestCurrentStats();
}

void Steam_ProcessStats()
{
    if (!g_StatsReady || !g_StatsChanged) return;
    MainConsole->Output("StoreStats called\n");
    ISteamUserStats* stats = Steam_UserStats();
    g_StatsChanged = stats == nullptr || !stats->StoreStats();
}

void Steam_ShutdownStats()
{
    delete g_pStatCallbacks;
    g_pStatCallbacks = nullptr;
    Leaderboard_FreePending();
}

double Steam_StatsReady()
{
    return g_StatsReady ? 1 : 0;
}

double Steam_SetAchievement(const char* name)
{
    ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetAchievement(name)) : 0;
}

double Steam_GetAchievement(const char* name)
{
    ISteamUserStats* stats = ReadyStats();
    bool achieved = false;
    return stats != nullptr && stats->GetAchievement(name, &achieved) && achieved ? 1 : 0;
}

double Steam_ClearAchievement(const char* name)
{
    ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->ClearAchievement(name)) : 0;
}

double Steam_SetStatInt(const char* name, double value)
{
    ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetStat(name, Numbers_TruncToInt32(value))) : 0;
}

double Steam_SetStatFloat(const char* name, double value)
{
    ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->SetStat(name, Numbers_ToFloat(value))) : 0;
}

double Steam_SetStatAvgRate(const char* name, double count, double length)
{
    ISteamUserStats* stats = ReadyStats();
    return stats != nullptr ? Changed(stats->UpdateAvgRateStat(name, Numbers_ToFloat(count), length)) : 0;
}

double Steam_GetStatInt(const char* name)
{
    ISteamUserStats* stats = ReadyStats();
    int32_t value = 0;
    if (stats == nullptr || !stats->GetStat(name, &value)) return 0;
    return value;
}

double Steam_GetStatFloat(const char* name)
{
    return ReadFloatStat(name);
}

double Steam_GetStatAvgRate(const char* name)
{
    return ReadFloatStat(name);
}

double Steam_ResetAllStats()
{
    return Reset(false);
}

double Steam_ResetAllStatsAchievements()
{
    return Reset(true);
}

double Steam_IsUserLoggedOn()
{
    ISteamUser* user = Steam_User();
    return user != nullptr && user->BLoggedOn() ? 1 : 0;
}

double Steam_GetUserSteamID()
{
    ISteamUser* user = Steam_User();
    return user != nullptr ? static_cast<double>(user->GetSteamID()) : 0;
}
