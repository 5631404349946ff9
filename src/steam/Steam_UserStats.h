// Steam stats, achievements and user queries. Changes are stored back to Steam at the next frame's
// Steam stage; nothing here answers before the user's stats have arrived.
#pragma once

#include <cstdint>

void Steam_InitStats();
void Steam_ProcessStats();
void Steam_ShutdownStats();

double Steam_StatsReady();
double Steam_SetAchievement(const char* name);
double Steam_GetAchievement(const char* name);
double Steam_ClearAchievement(const char* name);
double Steam_SetStatInt(const char* name, double value);
double Steam_SetStatFloat(const char* name, double value);
double Steam_SetStatAvgRate(const char* name, double count, double length);
double Steam_GetStatInt(const char* name);
double Steam_GetStatFloat(const char* name);
double Steam_GetStatAvgRate(const char* name);
double Steam_ResetAllStats();
double Steam_ResetAllStatsAchievements();
double Steam_IsUserLoggedOn();
double Steam_GetUserSteamID();
