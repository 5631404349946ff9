// Steam services of start-up and shut-down, standing in until the Steam layer runs.
#pragma once

void InitSteamFunctions();
void Steam_Shutdown();
// Runs the Steam callbacks and pending statistics work (each frame, after the sockets).
void Steam_Process();
