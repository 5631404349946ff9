#include "steam/Steam_Placeholders.h"

// PLACEHOLDER until the Steam layer runs: registers no functions.
void InitSteamFunctions() {}

// PLACEHOLDER until the Steam layer runs: Steam was never started.
void Steam_Shutdown() {}

// PLACEHOLDER until the Steam layer runs: no Steam layer runs.
void Steam_Process() {}
