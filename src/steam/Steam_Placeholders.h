// Steam services of start-up and shut-down, before the Steam issues land.
#pragma once

void InitSteamFunctions();
void Steam_Shutdown();
