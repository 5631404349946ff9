// The newer audio system: assets from the SOND and AUDO chunks become OpenAL buffers, each playing
// instance of an asset is a voice on a source of a fixed pool (taken by priority), and voices can
// fade, change pitch and play positioned, at a point or on an emitter that scripts move. One integer
// space names both: asset indices below 200000, voice ids from 200000 up. Music goes by file name to
// the sound hardware's music player.
//
// With the game's new-audio option clear (or under -noaudio) the operations do nothing and answer
// their none value, except those the comments mark.
#pragma once

#include <cstdint>

#include <AL/al.h>

class GameFile;
class SoundHardware;

constexpr int32_t AUDIO_FIRST_VOICE_ID = 200000;
constexpr int32_t AUDIO_DEFAULT_CHANNELS = 128;

struct AudioAsset {
    char* fileName = nullptr;
    float gain = 1.0f;
    float pitch = 1.0f;
    uint8_t streamed = 0;
    int32_t audioIndex = -1;
    ALuint buffer = 0;
    float gainStep = 0.0f;
    int32_t fadeSteps = 0;
};

struct AudioVoice {
    uint8_t loop = 0;
    uint8_t active = 0;
    uint8_t stopped = 0;
    int32_t source = -1; // index into the pool
    int32_t id = 0;
    int32_t asset = 0;
    float priority = 1.0f;
    float pitch = 1.0f;
    float gain = 1.0f;
    float gainStep = 0.0f;
    int32_t fadeSteps = 0;
    int32_t emitter = -1;
};

// Chunk readers, start-up and the frame.
bool Audio_Load(GameFile& file, uint32_t body, uint32_t length);
bool Audio_WAVs(GameFile& file, uint32_t body, uint32_t length);
void Audio_Reset();
void Audio_PrepareBuffers();
void Audio_Init(SoundHardware* hardware);
void Audio_Update();
// Shut-down: every emitter's voice list is emptied; the pool and the buffers are deleted.
void Audio_ForgetEmitterVoices();
void Audio_Release();

// Not gated.
bool Audio_IsNewSystem();
int32_t Audio_Find(const char* name);
int32_t Audio_IsStreamed(int32_t index);
bool Audio_Exists(int32_t index);
bool Audio_EmitterExists(int32_t emitter);
void Audio_SetFalloffModel(int32_t model);

void Audio_SetListenerPosition(float x, float y, float z);
void Audio_SetListenerVelocity(float x, float y, float z);
void Audio_SetListenerOrientation(float lx, float ly, float lz, float ux, float uy, float uz);
void Audio_SetMasterGain(float gain);
void Audio_SetChannelCount(int32_t count);

int32_t Audio_EmitterCreate();
void Audio_EmitterFree(int32_t emitter);
void Audio_EmitterSetPosition(int32_t emitter, float x, float y, float z);
void Audio_EmitterSetVelocity(int32_t emitter, float x, float y, float z);
void Audio_EmitterSetGain(int32_t emitter, float gain);
void Audio_EmitterSetPitch(int32_t emitter, float pitch);
void Audio_EmitterSetFalloff(int32_t emitter, float reference, float maximum, float factor);

int32_t Audio_PlaySound(int32_t asset, double priority, int32_t loop);
int32_t Audio_PlaySoundOn(int32_t emitter, int32_t asset, int32_t loop, double priority);
int32_t Audio_PlaySoundAt(int32_t asset, float x, float y, float z, float reference, float maximum, float factor,
                          int32_t loop, double priority);
void Audio_StopSound(int32_t index);
void Audio_PauseSound(int32_t index);
void Audio_ResumeSound(int32_t index);
void Audio_PauseAll();
void Audio_ResumeAll();
void Audio_StopAll();
bool Audio_IsPlaying(int32_t index);
void Audio_SetGain(int32_t index, float gain, int32_t milliseconds);
void Audio_SetPitch(int32_t index, float pitch);
double Audio_SoundLength(int32_t index);

// Music: act on the sound hardware's music player whenever it exists, whatever the option says.
void Audio_PlayMusic(int32_t asset, bool loop);
void Audio_StopMusic();
void Audio_PauseMusic();
void Audio_ResumeMusic();
bool Audio_MusicIsPlaying();
void Audio_SetMusicGain(float gain, int32_t milliseconds);

// For tests and the frame: the asset of an index, the voice of an id (null when none), the pool.
const AudioAsset* Audio_GetAsset(int32_t index);
const AudioVoice* Audio_GetVoice(int32_t id);
int32_t Audio_ChannelCount();
ALuint Audio_PoolSource(int32_t index);
