#include "steam/Steam_Placeholders.h"

// PLACEHOLDER for the Steam layer issue: registers no functions.
void InitSteamFunctions() {}

// PLACEHOLDER for the Steam layer issue: Steam was never started.
void Steam_Shutdown() {}

// PLACEHOLDER for the Steam issue: no Steam layer runs.
void Steam_Process() {}
