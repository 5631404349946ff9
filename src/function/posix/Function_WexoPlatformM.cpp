// The platform back end on Linux. URLs go to the desktop through Shell_Execute; the language comes
// from the locale variables, mapped to the Windows primary language identifier that game files
// were made against and then through the language table, so the table's answers (and quirks) stay;
// the version is the kernel's; connectivity is any non-loopback interface up and running.
#include <ifaddrs.h>
#include <net/if.h>
#include <strings.h>
#include <sys/utsname.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Base_Numbers.h"
#include "base/Base_Text.h"
#include "function/Function_Wexo.h"
#include "function/Function_WexoPlatform.h"
#include "gamefile/GameFile_Services.h"
#include "graphics/Graphics_Device.h"
#include "platform/Platform_MemoryManager.h"
#include "support/Support_File.h"

namespace {

struct Language {
    int32_t id;
    const char* code;
};

// Primary language identifiers and their answers, in lookup order: the first row of an identifier
// answers (Serbian and Bosnian share Croatian's identifier, Upper Sorbian Lower Sorbian's).
const Language LANGUAGES[] = {
    {54, "af"},  {28, "sq"},   {132, "gsw"}, {94, "am"},  {1, "ar"},    {43, "hy"},  {77, "as"},   {44, "az"},
    {109, "ba"}, {45, "eu"},   {35, "be"},   {69, "bn"},  {126, "br"},  {2, "bg"},   {146, "ku"},  {92, "chr"},
    {3, "ca"},   {4, "zh"},    {131, "co"},  {26, "hr"},  {5, "cs"},    {6, "da"},   {140, "prs"}, {101, "dv"},
    {19, "nl"},  {9, "en"},    {37, "et"},   {56, "fo"},  {100, "fil"}, {11, "fi"},  {12, "fr"},   {98, "fy"},
    {86, "gl"},  {55, "ka"},   {7, "de"},    {8, "el"},   {111, "kl"},  {71, "gu"},  {104, "ha"},  {117, "haw"},
    {13, "he"},  {57, "hi"},   {14, "hu"},   {15, "is"},  {112, "ig"},  {33, "id"},  {93, "iu"},   {60, "ga"},
    {52, "xh"},  {53, "zu"},   {16, "it"},   {17, "ja"},  {75, "kn"},   {63, "kk"},  {83, "kh"},   {134, "qut"},
    {135, "rw"}, {87, "kok"},  {18, "ko"},   {64, "ky"},  {84, "lo"},   {38, "lv"},  {39, "lt"},   {46, "dsb"},
    {110, "lb"}, {47, "mk"},   {62, "ms"},   {76, "ml"},  {58, "mt"},   {129, "mi"}, {122, "arn"}, {78, "mr"},
    {124, "moh"}, {80, "mn"},  {97, "ne"},   {20, "no"},  {130, "oc"},  {72, "or"},  {99, "ps"},   {21, "pl"},
    {22, "pt"},  {103, "ff"},  {70, "pa"},   {107, "quz"}, {24, "ro"},  {23, "rm"},  {25, "ru"},   {133, "sah"},
    {59, "smn"}, {79, "sa"},   {108, "nso"}, {50, "tn"},  {91, "si"},   {27, "sk"},  {36, "sl"},   {10, "es"},
    {65, "sw"},  {29, "sv"},   {90, "syr"},  {40, "tg"},  {95, "tzm"},  {73, "ta"},  {68, "tt"},   {74, "te"},
    {30, "th"},  {81, "bo"},   {115, "ti"},  {31, "tr"},  {66, "tk"},   {34, "uk"},  {46, "hsb"},  {32, "ur"},
    {128, "ug"}, {67, "uz"},   {3, "ca"},    {42, "vi"},  {82, "cy"},   {136, "wo"}, {120, "ii"},  {106, "yo"},
};

// Locale codes whose Windows identifier the table above does not spell: languages that share an
// identifier with a listed one, and codes the table writes differently. Any other code that is not
// in the table is a language the table leaves out.
const Language LOCALE_CODES[] = {
    {26, "sr"}, {26, "bs"}, {20, "nb"}, {20, "nn"}, {83, "km"}, {107, "qu"}, {59, "se"},
    {59, "sma"}, {59, "smj"}, {59, "sms"}, {146, "ckb"}, {100, "tl"}, {13, "iw"}, {33, "in"},
};

int32_t IdOfCode(const std::string& code)
{
    for (const Language& row : LOCALE_CODES)
        if (code == row.code) return row.id;
    for (const Language& row : LANGUAGES)
        if (code == row.code) return row.id;
    return -1;
}

const char* CodeOfId(int32_t id)
{
    for (const Language& row : LANGUAGES)
        if (row.id == id) return row.code;
    return "--";
}

// The first locale variable that is set and not empty, as the C library chooses messages.
const char* UserLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return value;
    }
    return "";
}

} // namespace

const char* Platform_LanguageOfLocale(const char* locale)
{
    std::string code;
    for (const char* c = locale != nullptr ? locale : ""; *c != '\0' && std::strchr("_.@", *c) == nullptr; ++c)
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    if (code.empty() || code == "c" || code == "posix") code = "en";
    return CodeOfId(IdOfCode(code));
}

int32_t Platform_VersionOfRelease(const char* release)
{
    if (release == nullptr || !std::isdigit(static_cast<unsigned char>(release[0]))) return -1;
    const char* end = nullptr;
    uint32_t major = static_cast<uint32_t>(Numbers_ParseInt(release, &end));
    uint32_t minor = 0;
    if (*end == '.' && std::isdigit(static_cast<unsigned char>(end[1]))) minor = static_cast<uint32_t>(Numbers_ParseInt(end + 1));
    return static_cast<int32_t>(major * 65536u + minor);
}

bool Platform_IsOpenableURL(const char* url)
{
    if (url == nullptr) return false;
    // Seven bytes with the terminator: "file:/" matches only a URL of exactly those six characters.
    char head[8] = {};
    std::strncpy(head, url, 7);
    for (const char* scheme : {"http://", "https:/", "file:/"})
        if (strcasecmp(head, scheme) == 0) return true;
    return false;
}

int32_t Platform_OpenURL(const char* url)
{
    if (!Platform_IsOpenableURL(url)) return 0;
    GR_D3D_ApplyPendingReset();
    char* here = File_GetCurrentDirectory();
    Shell_Execute(url, "", here);
    MemoryManager::Free(here);
    return 0;
}

const char* Platform_GetLanguage()
{
    return Platform_LanguageOfLocale(UserLocale());
}

int32_t Platform_GetOSVersion()
{
    struct utsname name;
    if (uname(&name) != 0) return -1;
    return Platform_VersionOfRelease(name.release);
}

int32_t Platform_GetDpiX()
{
    return 96;
}
int32_t Platform_GetDpiY()
{
    return 96;
}

bool Platform_IsNetworkConnected()
{
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool connected = false;
    for (struct ifaddrs* entry = list; entry != nullptr && !connected; entry = entry->ifa_next) {
        unsigned flags = entry->ifa_flags;
        connected = (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 && (flags & IFF_LOOPBACK) == 0;
    }
    freeifaddrs(list);
    return connected;
}

int32_t Platform_GetDisplayWidth()
{
    return g_D3D.backBufferWidth;
}
int32_t Platform_GetDisplayHeight()
{
    return g_D3D.backBufferHeight;
}
int32_t Platform_GetDeviceType()
{
    return -1;
}
int32_t Platform_GetCPUDetails()
{
    return 0;
}
const char* Platform_PlayerPrefix()
{
    return "player";
}
void Platform_AchievementsInit()
{
    AchievementQueue_SetEnabled(true);
}
const char* Platform_FacebookStatus()
{
    return "IDLE";
}
const char* Platform_FacebookUserId()
{
    return "";
}
const char* Platform_FacebookAccessToken()
{
    return "";
}
char* Platform_AcceptChallenge()
{
    return String_Copy("");
}

// No store, social network, advertising network, achievement service, analytics, sensors or haptics
// on this platform: each of these answers "nothing happened".
void Platform_Step() {}
void Platform_Exit() {}
void Platform_ConstantsInit() {}
int32_t Platform_GetOrientation() { return 0; }
bool Platform_PostAchievementInt(uint32_t, const char*, int32_t) { return false; }
bool Platform_PostAchievementReal(uint32_t, const char*, float) { return false; }
void Platform_PostAchievement(const char*, float) {}
void Platform_PostScore(const char*, int32_t) {}
void Platform_AchievementsLogin() {}
void Platform_AchievementsLogout() {}
int32_t Platform_AchievementsLoginStatus() { return 0; }
void Platform_ShowAchievements() {}
void Platform_ShowLeaderboards() {}
void Platform_LoadFriends() {}
void Platform_LoadLeaderboard() {}
void Platform_LoadProgress() {}
void Platform_SendAchievementChallenge() {}
void Platform_ResetAchievements() {}
void Platform_GetAchievementPic(const char*) {}
void Platform_OpenFeintStart() {}
void Platform_MapAchievement(const char*, const char*) {}
void Platform_MapLeaderboard(const char*, const char*, int32_t) {}
void Platform_SendChallenge(const char*, const char*, const char*) {}
void Platform_SendInvite(const char*) {}
void Platform_SendSocial(const char*, const char*, const char*) {}
void Platform_SetURL(const char*) {}
void Platform_SendChallengeResult(int32_t, const char*) {}
void Platform_CloudSave(const char*, const char*, HttpCompletion) {}
void Platform_CloudSynchronise(HttpCompletion) {}
int32_t Platform_LeaveRating(const char*, const char*, const char*, const char*) { return 0; }
int32_t Platform_AdsEnable(int32_t, int32_t, int32_t) { return 0; }
int32_t Platform_AdsDisable(int32_t) { return 0; }
void Platform_AdsMove(int32_t, int32_t, int32_t) {}
void Platform_AdsEvent(const char*) {}
void Platform_AdsEventPreload(const char*) {}
void Platform_AdsSetup(const char*) {}
void Platform_AdsSetRewardCallback(int32_t) {}
int32_t Platform_AdsGetDisplayWidth(int32_t) { return 0; }
int32_t Platform_AdsGetDisplayHeight(int32_t) { return 0; }
bool Platform_AdsInterstitialAvailable() { return false; }
bool Platform_AdsInterstitialDisplay() { return false; }
bool Platform_AdsEngagementAvailable() { return false; }
bool Platform_AdsEngagementActive() { return false; }
void Platform_AdsEngagementLaunch() {}
bool Platform_PlayHavenAddBadge(int32_t, int32_t, int32_t, int32_t, const char*) { return false; }
void Platform_PlayHavenPositionBadge(int32_t, int32_t, int32_t, int32_t) {}
void Platform_PlayHavenHideBadge() {}
void Platform_PlayHavenUpdateBadge() {}
void Platform_PocketChangeDisplayShop() {}
void Platform_PocketChangeDisplayReward() {}
int32_t Platform_FacebookInit() { return 0; }
int32_t Platform_FacebookLogin(int32_t) { return 0; }
int32_t Platform_FacebookGraphRequest(const char*, const char*, int32_t, int32_t) { return 0; }
int32_t Platform_FacebookDialog(const char*, int32_t, int32_t) { return 0; }
int32_t Platform_FacebookPostMessage(const char* const[7]) { return 0; }
int32_t Platform_FacebookSendInvite(const char* const[4]) { return 0; }
int32_t Platform_FacebookLogout() { return 0; }
void Platform_PowerSaveEnable(bool) {}
void Platform_LockOrientation(bool) {}
void Platform_AnalyticsEvent(const char*) {}
void Platform_AnalyticsEventExt(const char*, int32_t, const char* const*, const double*) {}
void Platform_ImmersionPlay(int32_t) {}
void Platform_ImmersionStop() {}

// The orientations "options.ini" allows; a desktop window has no orientation.
void Wexo_PlatformStepNop(bool, bool, bool, bool) {}
