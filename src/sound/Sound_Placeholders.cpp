#include "sound/Sound_Placeholders.h"

// PLACEHOLDER until sound plays: the start-up step is empty on this platform.
void Sound_StartUpStep() {}

// PLACEHOLDER until sound plays: no sound hardware object yet.
void SoundHardware_Create() {}

// PLACEHOLDER until sounds are loaded: no sound is marked for preloading.
bool Sound_PrepareAll()
{
    return true;
}

// PLACEHOLDER until sound plays: no audio asset needs a buffer.
void Audio_PrepareBuffers() {}

// PLACEHOLDER until sound plays: nothing plays.
void Sound_Tick() {}

// PLACEHOLDER until sound plays: the start-up step always succeeds.
bool Sound_Quit()
{
    return true;
}

// PLACEHOLDER until sounds are loaded: no sound exists.
void Sound_FreeAll() {}

// PLACEHOLDER until sounds are loaded: no sound has any name.
int32_t Sound_Find(const char*)
{
    return -1;
}

// PLACEHOLDER until sound plays: no audio asset has any name.
int32_t Audio_Find(const char*)
{
    return -1;
}
