// The Steam layer: the client library loaded at run time, its start-up, the per-frame callback pump
// and shut-down, and the small overlay and persona queries. Every other Steam module reaches the
// library through the interface accessors here, which answer null while Steam is not running.
#pragma once

#include <cstdint>

#include "steam/Steam_Api.h"

// Loads the library and starts Steam when the game names an application id; once per run unless a
// clean shut-down came in between.
void Steam_Init();
bool Steam_IsInitialised();
// The frame's Steam stage: delivers callbacks and call results, then stores changed stats.
void Steam_Process();
void Steam_Shutdown();

// The folder that stands for the executable's: the id file is written there and the library looked
// for there before the usual search. Null restores the executable's own (tests set their own).
void Steam_SetProgramFolder(const char* folder);
// Forgets a failed start so that the next Steam_Init tries again (a test, or a new game file).
void Steam_ResetStartFailed();

// The interfaces, asked anew at every use; null when Steam is not loaded.
ISteamFriends* Steam_Friends();
ISteamRemoteStorage* Steam_RemoteStorage();
ISteamScreenshots* Steam_Screenshots();
ISteamUser* Steam_User();
ISteamUserStats* Steam_UserStats();
ISteamUtils* Steam_Utils();

double Steam_ActivateOverlay(int32_t type);
double Steam_IsOverlayEnabled();
double Steam_IsOverlayActivated();
// The user's display name (owned by the library), or "Unknown".
const char* Steam_GetPersonaName();
