#include "sound/Sound_Placeholders.h"

// PLACEHOLDER for the audio system issue: the start-up step is empty on this platform.
void Sound_StartUpStep() {}

// PLACEHOLDER for the audio system issue: no sound hardware object yet.
void SoundHardware_Create() {}

// PLACEHOLDER for the sounds issue: no sound is marked for preloading.
bool Sound_PrepareAll()
{
    return true;
}

// PLACEHOLDER for the audio system issue: no audio asset needs a buffer.
void Audio_PrepareBuffers() {}

// PLACEHOLDER for the audio system issue: nothing plays.
void Sound_Tick() {}

// PLACEHOLDER for the audio system issue: always true, as specified.
bool Sound_Quit()
{
    return true;
}

// PLACEHOLDER for the sounds issue: no sound exists.
void Sound_FreeAll() {}

// PLACEHOLDER for the sounds issue: no sound has any name.
int32_t Sound_Find(const char*)
{
    return -1;
}

// PLACEHOLDER for the audio system issue: no audio asset has any name.
int32_t Audio_Find(const char*)
{
    return -1;
}
