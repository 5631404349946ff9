// The older sound system: the table of sound resources (`CSound`), each loaded on first use into a
// channel of the sound hardware, and the playing operations that the sound built-ins call. Names
// ending in .mp3, .mid or .midi are music and go to the music player by file name.
#pragma once

#include <cstdint>

#include "sound/Sound_Hardware.h"

class CStream;

class CSound {
public:
    ~CSound();

    // The channel, loading the sound into one first when it has none.
    int32_t GetSoundId();
    // Loads the sound into a new channel, giving back the one it had.
    void Restore();
    // Gives the channel back, with its sample's OpenAL buffer and sources; the next use loads the
    // sound into a channel again.
    void Discard();
    // False when the file does not exist.
    bool LoadFromFile(const char* file, int32_t kind, bool preload);

    int32_t m_Kind = 0;
    char* m_pExtension = nullptr;
    char* m_pFileName = nullptr;
    CStream* m_pData = nullptr;
    bool m_Preload = true;
    int32_t m_Effects = 0;
    double m_Volume = 1.0;
    double m_Pan = 0.0;
    int32_t m_Channel = -1;
    int32_t m_AudioIndex = -1; // AUDO entry; out of range means no data
};

struct SoundChannel {
    uint8_t inUse = 0;
    int32_t kind = 0;
    SoundSample* sample = nullptr;
};

// Loading and the frame.
// Makes the sound hardware and opens its device; false when the device was refused for memory.
bool SoundHardware_Create();
bool Sound_PrepareAll();
void Sound_Tick();
bool Sound_Quit();
void Sound_FreeAll();
void Sound_StartUpStep();
// The fades of every channel's sample (called by the hardware tick).
void Sound_TickSamples(SoundHardware& hardware);
void SoundHardware_TickSample(SoundHardware& hardware, SoundSample* sample);

// The sound table.
int32_t Sound_Count();
bool Sound_Exists(int32_t index);
CSound* Sound_Get(int32_t index);
// A new memory-manager copy of the name, or of "<undefined>"; the caller frees it.
char* Sound_GetName(int32_t index);
int32_t Sound_Find(const char* name);
int32_t Sound_Add(const char* file, int32_t kind, bool preload);
bool Sound_Replace(int32_t index, const char* file, int32_t kind, bool preload);
bool Sound_Delete(int32_t index);
int32_t Sound_ChannelCount();
// The sample of a channel (null for music channels, failed loads and channels out of range).
SoundSample* Sound_ChannelSample(int32_t channel);

// Playing.
void Sound_PlayFile(const char* name, int32_t channel, bool loop);
void Sound_StopFile(const char* name, int32_t channel);
bool Sound_IsPlaying(const char* name, int32_t channel);
void Sound_StopAll();
void Sound_SetVolume(int32_t channel, float volume, int32_t milliseconds);
void Sound_SetGlobalVolume(float volume);
// The name of the music last played through Sound_PlayFile or audio_play_music ("" when none).
const char* Sound_CurrentMusic();
void Sound_SetCurrentMusic(const char* name);
// True for a name ending in ".mp3", or (midi) in ".mid" or ".midi", lower-case letters only.
bool Sound_IsMusicName(const char* name, bool midi);

// Steps that do nothing here.
void Sound_SetPan(int32_t channel, double pan);
void Sound_SetEffects(int32_t channel, int32_t effects);
