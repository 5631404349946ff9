#include "steam/Steam_Placeholders.h"

// PLACEHOLDER for the Steam layer issue: registers no functions.
void InitSteamFunctions() {}

// PLACEHOLDER for the Steam layer issue: Steam was never started.
void Steam_Shutdown() {}
