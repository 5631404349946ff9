// Sound services of start-up, game preparation, the main loop and shut-down, standing in
// until sounds are loaded and played.
#pragma once

#include <cstdint>

void Sound_StartUpStep();
void SoundHardware_Create();
bool Sound_PrepareAll();
void Audio_PrepareBuffers();
void Sound_Tick();
bool Sound_Quit();
void Sound_FreeAll();

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Sound_Find(const char* name);

// The index of the resource of that name, or -1 (name resolution asks it for every word).
int32_t Audio_Find(const char* name);
