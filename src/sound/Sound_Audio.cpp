#include "sound/Sound_Audio.h"

#include <AL/alut.h>

#include <cstring>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Options.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_MemoryManager.h"
#include "sound/Sound_AL.h"
#include "sound/Sound_Chunks.h"
#include "sound/Sound_Hardware.h"
#include "sound/Sound_Main.h"

namespace {

struct AudioEmitter {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    uint8_t inUse = 0;
    float reference = 100.0f;
    float maximum = 100000.0f;
    float factor = 1.0f;
    float gain = 1.0f;
    float pitch = 1.0f;
    std::vector<AudioVoice*> voices; // an entry is null once its voice left
};

struct AudioListener {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float orientation[6] = {0, 0, 1, 0, 1, 0};
};

std::vector<AudioAsset*> g_Assets;
std::vector<AudioVoice*> g_Voices; // records are reused, never freed while the game runs
std::vector<AudioEmitter> g_Emitters;
AudioListener* g_Listener = nullptr;
std::vector<ALuint> g_Pool;
int32_t g_ChannelCount = AUDIO_DEFAULT_CHANNELS;
int32_t g_NextVoiceId = AUDIO_FIRST_VOICE_ID;
SoundHardware* g_Music = nullptr;

bool On()
{
    return g_GameOptions.newAudio;
}

float Clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

AudioAsset* Asset(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_Assets.size()) return nullptr;
    return g_Assets[static_cast<size_t>(index)];
}

AudioVoice* Voice(int32_t id)
{
    if (id < AUDIO_FIRST_VOICE_ID) return nullptr;
    for (AudioVoice* voice : g_Voices)
        if (voice->active && voice->id == id) return voice;
    return nullptr;
}

AudioEmitter* Emitter(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_Emitters.size()) return nullptr;
    AudioEmitter& emitter = g_Emitters[static_cast<size_t>(index)];
    return emitter.inUse ? &emitter : nullptr;
}

ALuint SourceOf(const AudioVoice* voice)
{
    return voice->source >= 0 && static_cast<size_t>(voice->source) < g_Pool.size() ? g_Pool[static_cast<size_t>(voice->source)] : 0;
}

ALint SourceState(ALuint source)
{
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

bool Live(const AudioVoice* voice)
{
    return voice->active && !voice->stopped;
}

void LeaveEmitter(AudioVoice* voice)
{
    if (voice->emitter >= 0 && static_cast<size_t>(voice->emitter) < g_Emitters.size())
        for (AudioVoice*& entry : g_Emitters[static_cast<size_t>(voice->emitter)].voices)
            if (entry == voice) entry = nullptr;
    voice->emitter = -1;
}

void JoinEmitter(AudioVoice* voice, int32_t index)
{
    AudioEmitter& emitter = g_Emitters[static_cast<size_t>(index)];
    voice->emitter = index;
    for (AudioVoice*& entry : emitter.voices) {
        if (entry == nullptr || !entry->active) {
            entry = voice;
            return;
        }
    }
    emitter.voices.push_back(voice);
}

// The first stopped or unplayed source of the pool, else the source of the lowest-priority voice
// below `priority` (the earliest in the table of equals), else -1.
int32_t TakeSource(float priority)
{
    Sound_ALFailed("Error prior to getting sound source %d");
    for (size_t i = 0; i < g_Pool.size(); ++i) {
        ALint state = SourceState(g_Pool[i]);
        if (state != AL_STOPPED && state != AL_INITIAL) continue;
        for (AudioVoice* voice : g_Voices) {
            if (!voice->active || voice->source != static_cast<int32_t>(i)) continue;
            voice->active = 0;
            LeaveEmitter(voice);
        }
        return static_cast<int32_t>(i);
    }
    AudioVoice* lowest = nullptr;
    for (AudioVoice* voice : g_Voices)
        if (Live(voice) && voice->priority < priority && (lowest == nullptr || voice->priority < lowest->priority))
            lowest = voice;
    if (lowest == nullptr || lowest->source < 0) return -1;
    alSourceStop(SourceOf(lowest));
    Sound_ALFailed("Error stopping sample %d");
    lowest->stopped = 1;
    LeaveEmitter(lowest);
    return lowest->source;
}

AudioVoice* StartVoice(int32_t source, int32_t asset, int32_t loop, float priority)
{
    AudioVoice* voice = nullptr;
    for (AudioVoice* record : g_Voices)
        if (!record->active) {
            voice = record;
            break;
        }
    if (voice == nullptr) {
        voice = new AudioVoice();
        g_Voices.push_back(voice);
    }
    voice->active = 1;
    voice->stopped = 0;
    voice->emitter = -1;
    voice->id = g_NextVoiceId++;
    voice->priority = priority;
    voice->source = source;
    voice->asset = asset;
    voice->loop = loop > 0 ? 1 : 0;
    voice->gain = 1.0f;
    voice->fadeSteps = 0;
    return voice;
}

// Checks the asset first, so that a missing one never takes (or steals) a source.
int32_t Begin(int32_t asset, float priority, AudioAsset*& found)
{
    found = Asset(asset);
    if (!On() || found == nullptr) return -1;
    return TakeSource(priority);
}

float VoiceGain(const AudioVoice* voice)
{
    const AudioAsset* asset = Asset(voice->asset);
    float gain = voice->gain * (asset != nullptr ? asset->gain : 1.0f);
    if (voice->emitter >= 0 && static_cast<size_t>(voice->emitter) < g_Emitters.size())
        gain *= g_Emitters[static_cast<size_t>(voice->emitter)].gain;
    return gain;
}

void RunFade(float& gain, float step, int32_t& steps)
{
    if (steps <= 0) return;
    gain = Clamp01(gain + step);
    --steps;
}

void StartFade(float& gain, float& step, int32_t& steps, float target, int32_t milliseconds)
{
    if (milliseconds == 0) {
        gain = target;
        steps = 0;
        return;
    }
    int32_t frames = Sound_FadeFrames(milliseconds);
    step = (target - gain) / static_cast<float>(frames);
    steps = frames;
}

// The voices an index names: the one voice of an id, or every active voice of an asset.
template <typename Action> void ForVoices(int32_t index, Action action)
{
    if (index >= AUDIO_FIRST_VOICE_ID) {
        if (AudioVoice* voice = Voice(index)) action(voice);
        return;
    }
    for (AudioVoice* voice : g_Voices)
        if (voice->active && voice->asset == index) action(voice);
}

void PauseVoice(AudioVoice* voice)
{
    if (!Live(voice) || SourceState(SourceOf(voice)) != AL_PLAYING) return;
    alSourcePause(SourceOf(voice));
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) MainConsole->Output("Error pausing sound %d error code %d\n", voice->id, error);
}

void ResumeVoice(AudioVoice* voice)
{
    if (!Live(voice) || SourceState(SourceOf(voice)) != AL_PAUSED) return;
    alSourcePlay(SourceOf(voice));
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) MainConsole->Output("Error resuming sound %d error code %d\n", voice->id, error);
}

void StopVoice(AudioVoice* voice)
{
    if (!voice->active) return;
    if (!voice->stopped && voice->source >= 0) {
        alSourceStop(SourceOf(voice));
        ALenum error = alGetError();
        if (error != AL_NO_ERROR) MainConsole->Output("Error stopping sound %d error code %d\n", voice->id, error);
    }
    voice->active = 0;
    voice->stopped = 0;
    LeaveEmitter(voice);
}

void MakePool()
{
    g_Pool.assign(static_cast<size_t>(g_ChannelCount), 0);
    alGenSources(g_ChannelCount, g_Pool.data());
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) MainConsole->Output("Error creating audio sources %d\n", error);
}

void ApplyListener()
{
    const AudioListener& l = *g_Listener;
    alListener3f(AL_POSITION, l.position[0], l.position[1], l.position[2]);
    Sound_ALFailed("Error setting listener position %d");
    alListener3f(AL_VELOCITY, l.velocity[0], l.velocity[1], l.velocity[2]);
    Sound_ALFailed("Error setting listener velocity %d");
    alListenerfv(AL_ORIENTATION, l.orientation);
    Sound_ALFailed("Error setting listener orientation %d");
}

void UpdateEmitters()
{
    for (AudioEmitter& emitter : g_Emitters) {
        if (!emitter.inUse) continue;
        for (AudioVoice*& voice : emitter.voices) {
            if (voice == nullptr || !Live(voice) || voice->source < 0) continue;
            ALint state = SourceState(SourceOf(voice));
            Sound_ALFailed("Error getting source state %d");
            if (state == AL_STOPPED) {
                voice->active = 0;
                voice->emitter = -1;
                voice = nullptr;
                continue;
            }
            alSource3f(SourceOf(voice), AL_POSITION, emitter.position[0], emitter.position[1], emitter.position[2]);
            alSource3f(SourceOf(voice), AL_VELOCITY, emitter.velocity[0], emitter.velocity[1], emitter.velocity[2]);
            Sound_ALFailed("Error updating emitter %d");
        }
    }
}

void FreeAssets()
{
    for (AudioAsset* asset : g_Assets) {
        if (asset == nullptr) continue;
        if (asset->buffer != 0) alDeleteBuffers(1, &asset->buffer);
        MemoryManager::Free(asset->fileName);
        delete asset;
    }
    g_Assets.clear();
}

const ALenum DISTANCE_MODELS[] = {
    AL_NONE, AL_INVERSE_DISTANCE, AL_INVERSE_DISTANCE_CLAMPED, AL_LINEAR_DISTANCE,
    AL_LINEAR_DISTANCE_CLAMPED, AL_EXPONENT_DISTANCE, AL_EXPONENT_DISTANCE_CLAMPED,
};

} // namespace

bool Audio_Load(GameFile& file, uint32_t body, uint32_t length)
{
    MainConsole->Output("Audio_Load()\n");
    FreeAssets();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "SOND", body, length, table)) return false;
    g_Assets.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        SoundEntry entry;
        if (at == 0) continue;
        if (!SoundChunk_ReadEntry(file, at, i, entry)) return false;
        auto* asset = new AudioAsset();
        asset->fileName = entry.fileName != nullptr ? String_Copy(entry.fileName) : nullptr;
        asset->gain = entry.volume;
        asset->streamed = entry.kind > 0 ? 1 : 0;
        asset->audioIndex = entry.audioIndex;
        g_Assets[i] = asset;
    }
    return true;
}

bool Audio_WAVs(GameFile& file, uint32_t body, uint32_t length)
{
    MainConsole->Output("Audio_WAVs()\n");
    return SoundChunk_ReadAudio(file, body, length);
}

void Audio_Reset()
{
    FreeAssets();
}

void Audio_PrepareBuffers()
{
    if (!On()) return;
    for (AudioAsset* asset : g_Assets) {
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        if (asset == nullptr || asset->streamed || !SoundChunk_AudioData(asset->audioIndex, data, size)) continue;
        ALuint buffer = alutCreateBufferFromFileImage(data, static_cast<ALsizei>(size));
        bool alutFailed = alutGetError() != ALUT_ERROR_NO_ERROR;
        bool alFailed = alGetError() != AL_NO_ERROR;
        if (!alutFailed && !alFailed) asset->buffer = buffer;
    }
}

void Audio_Init(SoundHardware* hardware)
{
    g_Music = hardware;
    if (g_NoAudio) {
        g_GameOptions.newAudio = false;
        return;
    }
    if (!On()) return;
    if (g_Listener == nullptr) g_Listener = new AudioListener();
    MakePool();
    alDistanceModel(AL_INVERSE_DISTANCE);
    *g_Listener = AudioListener();
    ApplyListener();
}

void Audio_Update()
{
    if (!On() || g_Listener == nullptr) return;
    ApplyListener();
    for (AudioAsset* asset : g_Assets)
        if (asset != nullptr) RunFade(asset->gain, asset->gainStep, asset->fadeSteps);
    for (AudioVoice* voice : g_Voices) {
        RunFade(voice->gain, voice->gainStep, voice->fadeSteps);
        if (Live(voice) && voice->source >= 0) alSourcef(SourceOf(voice), AL_GAIN, VoiceGain(voice));
    }
    UpdateEmitters();
}

void Audio_ForgetEmitterVoices()
{
    for (AudioEmitter& emitter : g_Emitters) emitter.voices.clear();
}

void Audio_Release()
{
    for (AudioVoice* voice : g_Voices) delete voice;
    g_Voices.clear();
    if (!g_Pool.empty()) alDeleteSources(static_cast<ALsizei>(g_Pool.size()), g_Pool.data());
    g_Pool.clear();
    for (AudioAsset* asset : g_Assets)
        if (asset != nullptr && asset->buffer != 0) {
            alDeleteBuffers(1, &asset->buffer);
            asset->buffer = 0;
        }
    alGetError();
    g_Emitters.clear();
    delete g_Listener;
    g_Listener = nullptr;
    g_Music = nullptr;
}

bool Audio_IsNewSystem()
{
    return On();
}

int32_t Audio_Find(const char* name)
{
    if (name == nullptr) return -1;
    size_t length = std::strlen(name);
    for (size_t i = 0; i < g_Assets.size(); ++i) {
        const char* file = g_Assets[i] != nullptr ? g_Assets[i]->fileName : nullptr;
        if (file != nullptr && std::strncmp(file, name, length) == 0 && file[length] == '.') return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t Audio_IsStreamed(int32_t index)
{
    const AudioAsset* asset = index < AUDIO_FIRST_VOICE_ID ? Asset(index) : nullptr;
    return asset == nullptr ? -1 : asset->streamed;
}

bool Audio_Exists(int32_t index)
{
    if (index < AUDIO_FIRST_VOICE_ID) return Asset(index) != nullptr;
    const AudioVoice* voice = Voice(index);
    return voice != nullptr && Live(voice) && SourceState(SourceOf(voice)) == AL_PLAYING;
}

bool Audio_EmitterExists(int32_t emitter)
{
    return Emitter(emitter) != nullptr;
}

void Audio_SetFalloffModel(int32_t model)
{
    if (model < 0 || model > 6) {
        MainConsole->Output("Attempting to set audio falloff to unknown model\n");
        return;
    }
    if (g_pSoundHardware != nullptr && !g_NoAudio) alDistanceModel(DISTANCE_MODELS[model]);
}

void Audio_SetListenerPosition(float x, float y, float z)
{
    if (g_Listener == nullptr) return;
    g_Listener->position[0] = x, g_Listener->position[1] = y, g_Listener->position[2] = z;
}

void Audio_SetListenerVelocity(float x, float y, float z)
{
    if (g_Listener == nullptr) return;
    g_Listener->velocity[0] = x, g_Listener->velocity[1] = y, g_Listener->velocity[2] = z;
}

void Audio_SetListenerOrientation(float lx, float ly, float lz, float ux, float uy, float uz)
{
    if (g_Listener == nullptr) return;
    const float values[6] = {lx, ly, lz, ux, uy, uz};
    std::memcpy(g_Listener->orientation, values, sizeof values);
}

void Audio_SetMasterGain(float gain)
{
    if (!On()) return;
    if (gain < 0.0f) gain = 0.0f;
    alListenerf(AL_GAIN, gain);
    if (g_Music != nullptr) g_Music->SetMusicVolume(gain, 10);
}

void Audio_SetChannelCount(int32_t count)
{
    // A pool rebuilt under playing voices would leave them naming sources of the old pool, so
    // every voice is stopped and released first; a count below one is no pool at all.
    if (!On() || count < 1) return;
    if (!g_Pool.empty()) {
        for (AudioVoice* voice : g_Voices) StopVoice(voice);
        for (AudioVoice* voice : g_Voices) voice->source = -1;
        alDeleteSources(static_cast<ALsizei>(g_Pool.size()), g_Pool.data());
        g_ChannelCount = count;
        MakePool();
    }
    g_ChannelCount = count;
}

int32_t Audio_EmitterCreate()
{
    if (!On()) return -1;
    for (size_t i = 0; i < g_Emitters.size(); ++i) {
        if (g_Emitters[i].inUse) continue;
        g_Emitters[i] = AudioEmitter();
        g_Emitters[i].inUse = 1;
        return static_cast<int32_t>(i);
    }
    size_t first = g_Emitters.size();
    g_Emitters.resize(first + 8);
    g_Emitters[first].inUse = 1;
    return static_cast<int32_t>(first);
}

void Audio_EmitterFree(int32_t index)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter == nullptr) return;
    for (AudioVoice* voice : std::vector<AudioVoice*>(emitter->voices))
        if (voice != nullptr && Live(voice) && voice->source >= 0) StopVoice(voice);
    emitter->voices.clear();
    emitter->inUse = 0;
}

void Audio_EmitterSetPosition(int32_t index, float x, float y, float z)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter == nullptr) return;
    emitter->position[0] = x, emitter->position[1] = y, emitter->position[2] = z;
}

void Audio_EmitterSetVelocity(int32_t index, float x, float y, float z)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter == nullptr) return;
    emitter->velocity[0] = x, emitter->velocity[1] = y, emitter->velocity[2] = z;
}

void Audio_EmitterSetGain(int32_t index, float gain)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter != nullptr && gain >= 0.0f) emitter->gain = gain;
}

void Audio_EmitterSetPitch(int32_t index, float pitch)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter == nullptr || pitch < 0.0f) return;
    emitter->pitch = pitch;
    for (AudioVoice* voice : emitter->voices) {
        if (voice == nullptr || !Live(voice) || voice->source < 0) continue;
        const AudioAsset* asset = Asset(voice->asset);
        alSourcef(SourceOf(voice), AL_PITCH, (asset != nullptr ? asset->pitch : 1.0f) * pitch);
    }
}

void Audio_EmitterSetFalloff(int32_t index, float reference, float maximum, float factor)
{
    AudioEmitter* emitter = On() ? Emitter(index) : nullptr;
    if (emitter == nullptr) return;
    emitter->reference = reference, emitter->maximum = maximum, emitter->factor = factor;
    for (AudioVoice* voice : emitter->voices) {
        if (voice == nullptr || voice->stopped || voice->source < 0) continue;
        ALuint source = SourceOf(voice);
        SourceState(source);
        Sound_ALFailed("Error getting source state %d");
        alSourcef(source, AL_MAX_DISTANCE, maximum);
        alSourcef(source, AL_REFERENCE_DISTANCE, reference);
        alSourcef(source, AL_ROLLOFF_FACTOR, factor);
        Sound_ALFailed("Error updating emitter %d");
    }
}

int32_t Audio_PlaySound(int32_t assetIndex, double priority, int32_t loop)
{
    AudioAsset* asset = nullptr;
    int32_t source = Begin(assetIndex, static_cast<float>(priority), asset);
    if (source < 0) return -1;
    AudioVoice* voice = StartVoice(source, assetIndex, loop, static_cast<float>(priority));
    ALuint s = g_Pool[static_cast<size_t>(source)];
    Sound_ALFailed("Error before playing sample %d");
    alSourcef(s, AL_MAX_DISTANCE, 100000.0f);
    alSourcei(s, AL_BUFFER, static_cast<ALint>(asset->buffer));
    alSourcei(s, AL_LOOPING, loop >= 1 ? AL_TRUE : AL_FALSE);
    alSourcef(s, AL_GAIN, asset->gain);
    alSourcef(s, AL_PITCH, asset->pitch);
    alSourcei(s, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(s, AL_POSITION, 0, 0, 0);
    alSource3f(s, AL_VELOCITY, 0, 0, 0);
    alSourcePlay(s);
    Sound_ALFailed("Error playing simple sound %d");
    return voice->id;
}

int32_t Audio_PlaySoundAt(int32_t assetIndex, float x, float y, float z, float reference, float maximum, float factor,
                          int32_t loop, double priority)
{
    AudioAsset* asset = nullptr;
    int32_t source = Begin(assetIndex, static_cast<float>(priority), asset);
    if (source < 0) return -1;
    AudioVoice* voice = StartVoice(source, assetIndex, loop, static_cast<float>(priority));
    ALuint s = g_Pool[static_cast<size_t>(source)];
    Sound_ALFailed("Error prior to playing sample %d");
    alSourcei(s, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(s, AL_GAIN, asset->gain);
    alSourcei(s, AL_BUFFER, static_cast<ALint>(asset->buffer));
    alSourcef(s, AL_PITCH, asset->pitch);
    Sound_ALFailed("Error setting sample buffer %d");
    alSourcef(s, AL_MAX_DISTANCE, maximum);
    Sound_ALFailed("Error playing sample %d");
    alSourcef(s, AL_REFERENCE_DISTANCE, reference);
    alSourcef(s, AL_ROLLOFF_FACTOR, factor);
    alSource3f(s, AL_POSITION, x, y, z);
    alSourcei(s, AL_LOOPING, loop >= 1 ? AL_TRUE : AL_FALSE);
    alSource3f(s, AL_VELOCITY, 0, 0, 0);
    Sound_ALFailed("Error updating sample position %d");
    alSourcePlay(s);
    return voice->id;
}

int32_t Audio_PlaySoundOn(int32_t emitterIndex, int32_t assetIndex, int32_t loop, double priority)
{
    if (!On() || emitterIndex < 0 || static_cast<size_t>(emitterIndex) >= g_Emitters.size()) return -1;
    AudioEmitter* emitter = Emitter(emitterIndex);
    if (emitter == nullptr) {
        MainConsole->Output("Audio_PlaySound Attempting to play sound on inactive emitter %d\n", emitterIndex);
        return -1;
    }
    AudioAsset* asset = nullptr;
    int32_t source = Begin(assetIndex, static_cast<float>(priority), asset);
    if (source < 0) return -1;
    AudioVoice* voice = StartVoice(source, assetIndex, loop, static_cast<float>(priority));
    JoinEmitter(voice, emitterIndex);
    ALuint s = g_Pool[static_cast<size_t>(source)];
    if (Sound_ALFailed("Error prior to playing sample 2 %d")) MainConsole->Output("Error prior to playing sample\n");
    alSourcei(s, AL_SOURCE_RELATIVE, AL_FALSE);
    alSourcef(s, AL_MAX_DISTANCE, emitter->maximum);
    alSourcef(s, AL_GAIN, emitter->gain * asset->gain);
    alSourcef(s, AL_PITCH, asset->pitch * emitter->pitch);
    alSourcei(s, AL_BUFFER, static_cast<ALint>(asset->buffer));
    Sound_ALFailed("Error setting sample buffer %d");
    alSourcei(s, AL_LOOPING, loop >= 1 ? AL_TRUE : AL_FALSE);
    alSourcef(s, AL_REFERENCE_DISTANCE, emitter->reference);
    alSourcef(s, AL_ROLLOFF_FACTOR, emitter->factor);
    alSource3f(s, AL_POSITION, emitter->position[0], emitter->position[1], emitter->position[2]);
    alSource3f(s, AL_VELOCITY, emitter->velocity[0], emitter->velocity[1], emitter->velocity[2]);
    alSourcePlay(s);
    Sound_ALFailed("Error playing sample %d");
    return voice->id;
}

void Audio_StopSound(int32_t index)
{
    if (On()) ForVoices(index, StopVoice);
}

void Audio_PauseSound(int32_t index)
{
    if (On()) ForVoices(index, PauseVoice);
}

void Audio_ResumeSound(int32_t index)
{
    if (On()) ForVoices(index, ResumeVoice);
}

void Audio_PauseAll()
{
    if (On())
        for (AudioVoice* voice : g_Voices) PauseVoice(voice);
}

void Audio_ResumeAll()
{
    if (On())
        for (AudioVoice* voice : g_Voices) ResumeVoice(voice);
}

void Audio_StopAll()
{
    if (On())
        for (AudioVoice* voice : g_Voices) StopVoice(voice);
}

bool Audio_IsPlaying(int32_t index)
{
    if (!On()) return false;
    if (index >= AUDIO_FIRST_VOICE_ID) {
        const AudioVoice* voice = Voice(index);
        return voice != nullptr && Live(voice) && SourceState(SourceOf(voice)) == AL_PLAYING;
    }
    const AudioAsset* asset = Asset(index);
    if (asset == nullptr) return false;
    if (asset->streamed) {
        const char* current = Sound_CurrentMusic();
        return Sound_IsMusicName(asset->fileName, false) && g_Music != nullptr && std::strcmp(current, asset->fileName) == 0 &&
               g_Music->PlayingMP3();
    }
    for (AudioVoice* voice : g_Voices)
        if (Live(voice) && voice->asset == index && SourceState(SourceOf(voice)) == AL_PLAYING) return true;
    return false;
}

void Audio_SetGain(int32_t index, float gain, int32_t milliseconds)
{
    if (!On()) return;
    if (index >= AUDIO_FIRST_VOICE_ID) {
        AudioVoice* voice = Voice(index);
        if (voice != nullptr && Live(voice)) StartFade(voice->gain, voice->gainStep, voice->fadeSteps, gain, milliseconds);
        return;
    }
    AudioAsset* asset = Asset(index);
    if (asset == nullptr) return;
    if (!asset->streamed) StartFade(asset->gain, asset->gainStep, asset->fadeSteps, gain, milliseconds);
    else if (g_Music != nullptr) g_Music->SetMusicVolume(gain, milliseconds);
}

void Audio_SetPitch(int32_t index, float pitch)
{
    if (!On()) return;
    if (index >= AUDIO_FIRST_VOICE_ID) {
        AudioVoice* voice = Voice(index);
        if (voice == nullptr || !Live(voice)) return;
        voice->pitch = pitch;
        if (voice->source >= 0) alSourcef(SourceOf(voice), AL_PITCH, pitch);
        return;
    }
    AudioAsset* asset = Asset(index);
    if (asset == nullptr) return;
    if (asset->streamed) MainConsole->Output("Pitch setting for music streams not currently supported\n");
    else asset->pitch = pitch;
}

double Audio_SoundLength(int32_t index)
{
    if (!On()) return -1.0;
    if (index >= AUDIO_FIRST_VOICE_ID) {
        const AudioVoice* voice = Voice(index);
        if (voice == nullptr) return -1.0;
        index = voice->asset;
    }
    const AudioAsset* asset = Asset(index);
    if (asset == nullptr || asset->buffer == 0) return -1.0;
    alGetError();
    ALint size = 0, bits = 0, channels = 0, frequency = 0;
    alGetBufferi(asset->buffer, AL_SIZE, &size);
    alGetBufferi(asset->buffer, AL_BITS, &bits);
    alGetBufferi(asset->buffer, AL_CHANNELS, &channels);
    alGetBufferi(asset->buffer, AL_FREQUENCY, &frequency);
    if (alGetError() != AL_NO_ERROR || channels <= 0 || bits < 8 || frequency <= 0) return -1.0;
    return static_cast<double>(size / channels / (bits / 8)) / frequency;
}

void Audio_PlayMusic(int32_t index, bool loop)
{
    const AudioAsset* asset = Asset(index);
    if (g_Music == nullptr || asset == nullptr || asset->fileName == nullptr) return;
    if (Sound_IsMusicName(asset->fileName, false)) g_Music->PlayMP3(asset->fileName, loop);
    else if (Sound_IsMusicName(asset->fileName, true)) g_Music->PlayMIDI(asset->fileName, loop);
    else return;
    Sound_SetCurrentMusic(asset->fileName);
}

void Audio_StopMusic()
{
    if (g_Music != nullptr) g_Music->StopMusic();
}

void Audio_PauseMusic()
{
    if (g_Music != nullptr) g_Music->PauseMusic();
}

void Audio_ResumeMusic()
{
    if (g_Music != nullptr) g_Music->ResumeMusic();
}

bool Audio_MusicIsPlaying()
{
    return g_Music != nullptr && g_Music->PlayingMP3();
}

void Audio_SetMusicGain(float gain, int32_t milliseconds)
{
    if (g_Music != nullptr) g_Music->SetMusicVolume(gain, milliseconds);
}

const AudioAsset* Audio_GetAsset(int32_t index)
{
    return Asset(index);
}

const AudioVoice* Audio_GetVoice(int32_t id)
{
    return Voice(id);
}

int32_t Audio_ChannelCount()
{
    return g_ChannelCount;
}

ALuint Audio_PoolSource(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < g_Pool.size() ? g_Pool[static_cast<size_t>(index)] : 0;
}
