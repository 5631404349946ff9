// The platform back end of the platform services: the only way the platform-service built-ins, the
// achievement queue and the operating-system variables reach the device. This platform answers the
// URL, language, version, connectivity and display queries for real; its store, social, advertising,
// achievement and analytics services do nothing and answer 0, false or an empty text.
#pragma once

#include <cstdint>

struct HTTP_REQ_CONTEXT;
typedef int32_t (*HttpCompletion)(HTTP_REQ_CONTEXT* request, void* user, int32_t* mapId);

// ---- queries with real answers ----
// Opens an http://, https:// (any letter case) or the bare "file:/" URL with the desktop; always 0.
int32_t Platform_OpenURL(const char* url);
// The user's language code from the locale variables, "--" when it is not in the language table.
const char* Platform_GetLanguage();
// Kernel major * 65536 + minor, -1 when unknown.
int32_t Platform_GetOSVersion();
int32_t Platform_GetDpiX();
int32_t Platform_GetDpiY();
bool Platform_IsNetworkConnected();
// The drawing surface (the device's back buffer).
int32_t Platform_GetDisplayWidth();
int32_t Platform_GetDisplayHeight();
int32_t Platform_GetDeviceType();
int32_t Platform_GetCPUDetails();
const char* Platform_PlayerPrefix();
void Platform_AchievementsInit();
const char* Platform_FacebookStatus();
const char* Platform_FacebookUserId();
const char* Platform_FacebookAccessToken();
// A new memory-manager text the caller frees.
char* Platform_AcceptChallenge();

// What the queries above read, kept apart so that they can be checked on any machine.
// The language code of a locale value ("da_DK.UTF-8"); "C", "POSIX" and "" read as English.
const char* Platform_LanguageOfLocale(const char* locale);
// major * 65536 + minor of a kernel release ("6.1.0-18-amd64"), -1 without a major number.
int32_t Platform_VersionOfRelease(const char* release);
// Whether the URL's first seven bytes name a scheme that is opened.
bool Platform_IsOpenableURL(const char* url);

// ---- services this platform does not have ----
void Platform_Step();
void Platform_Exit();
void Platform_ConstantsInit();
int32_t Platform_GetOrientation();
bool Platform_PostAchievementInt(uint32_t kind, const char* name, int32_t value);
bool Platform_PostAchievementReal(uint32_t kind, const char* name, float value);
void Platform_PostAchievement(const char* name, float value);
void Platform_PostScore(const char* name, int32_t score);
void Platform_AchievementsLogin();
void Platform_AchievementsLogout();
int32_t Platform_AchievementsLoginStatus();
void Platform_ShowAchievements();
void Platform_ShowLeaderboards();
void Platform_LoadFriends();
void Platform_LoadLeaderboard();
void Platform_LoadProgress();
void Platform_SendAchievementChallenge();
void Platform_ResetAchievements();
void Platform_GetAchievementPic(const char* name);
void Platform_OpenFeintStart();
void Platform_MapAchievement(const char* from, const char* to);
void Platform_MapLeaderboard(const char* from, const char* to, int32_t kind);
void Platform_SendChallenge(const char* a, const char* b, const char* c);
void Platform_SendInvite(const char* text);
void Platform_SendSocial(const char* a, const char* b, const char* c);
void Platform_SetURL(const char* url);
void Platform_SendChallengeResult(int32_t result, const char* text);
void Platform_CloudSave(const char* data, const char* description, HttpCompletion completion);
void Platform_CloudSynchronise(HttpCompletion completion);
int32_t Platform_LeaveRating(const char* a, const char* b, const char* c, const char* d);
int32_t Platform_AdsEnable(int32_t x, int32_t y, int32_t kind);
int32_t Platform_AdsDisable(int32_t slot);
void Platform_AdsMove(int32_t x, int32_t y, int32_t slot);
void Platform_AdsEvent(const char* text);
void Platform_AdsEventPreload(const char* text);
void Platform_AdsSetup(const char* text);
void Platform_AdsSetRewardCallback(int32_t script);
int32_t Platform_AdsGetDisplayWidth(int32_t slot);
int32_t Platform_AdsGetDisplayHeight(int32_t slot);
bool Platform_AdsInterstitialAvailable();
bool Platform_AdsInterstitialDisplay();
bool Platform_AdsEngagementAvailable();
bool Platform_AdsEngagementActive();
void Platform_AdsEngagementLaunch();
bool Platform_PlayHavenAddBadge(int32_t x, int32_t y, int32_t width, int32_t height, const char* text);
void Platform_PlayHavenPositionBadge(int32_t x, int32_t y, int32_t width, int32_t height);
void Platform_PlayHavenHideBadge();
void Platform_PlayHavenUpdateBadge();
void Platform_PocketChangeDisplayShop();
void Platform_PocketChangeDisplayReward();
int32_t Platform_FacebookInit();
int32_t Platform_FacebookLogin(int32_t permissions);
int32_t Platform_FacebookGraphRequest(const char* path, const char* method, int32_t map, int32_t callback);
int32_t Platform_FacebookDialog(const char* kind, int32_t map, int32_t callback);
int32_t Platform_FacebookPostMessage(const char* const texts[7]);
int32_t Platform_FacebookSendInvite(const char* const texts[4]);
int32_t Platform_FacebookLogout();
void Platform_PowerSaveEnable(bool enable);
void Platform_LockOrientation(bool lock);
void Platform_AnalyticsEvent(const char* name);
void Platform_AnalyticsEventExt(const char* name, int32_t pairs, const char* const* keys, const double* values);
void Platform_ImmersionPlay(int32_t effect);
void Platform_ImmersionStop();
