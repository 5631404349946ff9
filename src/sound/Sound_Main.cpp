#include "sound/Sound_Main.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "base/Base_Text.h"
#include "gamefile/GameFile_Services.h"
#include "gamefile/GameFile_View.h"
#include "platform/Platform_FatalEnd.h"
#include "platform/Platform_MemoryManager.h"
#include "sound/Sound_AL.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Chunks.h"
#include "support/Support_File.h"
#include "support/Support_Stream.h"

namespace {

const char* const UNDEFINED = "<undefined>";

std::vector<CSound*> g_Sounds;
std::vector<char*> g_SoundNames;
std::vector<SoundChannel> g_Channels;
std::string g_CurrentMusic;

bool EndsWith(const char* name, const char* ending)
{
    size_t length = std::strlen(name), tail = std::strlen(ending);
    return length >= tail && std::strcmp(name + length - tail, ending) == 0;
}

SoundChannel* Channel(int32_t channel)
{
    if (channel < 0 || static_cast<size_t>(channel) >= g_Channels.size()) return nullptr;
    return &g_Channels[static_cast<size_t>(channel)];
}

int32_t TakeChannel(int32_t kind)
{
    for (size_t i = 0; i < g_Channels.size(); ++i) {
        if (g_Channels[i].inUse) continue;
        g_Channels[i] = SoundChannel{1, kind == 3 ? 1 : kind, nullptr};
        return static_cast<int32_t>(i);
    }
    g_Channels.push_back(SoundChannel{1, kind == 3 ? 1 : kind, nullptr});
    return static_cast<int32_t>(g_Channels.size() - 1);
}

// The channel's entry is free for the next sound; a sample stops and its OpenAL objects go.
void ReleaseChannel(int32_t channel)
{
    SoundChannel* entry = Channel(channel);
    if (entry == nullptr) return;
    if (g_pSoundHardware != nullptr) g_pSoundHardware->FreeSample(entry->sample);
    else delete entry->sample;
    *entry = SoundChannel{};
}

void FreeChannels()
{
    for (SoundChannel& channel : g_Channels)
        if (g_pSoundHardware != nullptr) g_pSoundHardware->FreeSample(channel.sample);
    g_Channels.clear();
}

void DeleteSlot(size_t index)
{
    delete g_Sounds[index];
    MemoryManager::Free(g_SoundNames[index]);
    g_Sounds[index] = nullptr;
    g_SoundNames[index] = nullptr;
}

} // namespace

CSound::~CSound()
{
    ReleaseChannel(m_Channel);
    MemoryManager::Free(m_pExtension);
    MemoryManager::Free(m_pFileName);
    CStream::Delete(m_pData);
}

int32_t CSound::GetSoundId()
{
    if (m_Channel < 0) Restore();
    return m_Channel;
}

void CSound::Discard()
{
    ReleaseChannel(m_Channel);
    m_Channel = -1;
}

void CSound::Restore()
{
    Discard();
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    bool hasData = SoundChunk_AudioData(m_AudioIndex, data, size);
    if (!hasData && m_pData != nullptr && m_pData->GetSize() > 0) {
        data = m_pData->GetBuffer();
        size = static_cast<uint32_t>(m_pData->GetSize());
        hasData = true;
    }
    if (m_Kind != 3 && !hasData) return;
    int32_t channel = TakeChannel(m_Kind);
    if (m_Kind != 1 && m_Kind != 3 && g_pSoundHardware != nullptr)
        g_Channels[static_cast<size_t>(channel)].sample = g_pSoundHardware->Load(data, size);
    m_Channel = channel;
    if (m_Effects != 0) Sound_SetEffects(channel, m_Effects);
    Sound_SetVolume(channel, static_cast<float>(m_Volume), 0);
    Sound_SetPan(channel, m_Pan);
}

bool CSound::LoadFromFile(const char* file, int32_t kind, bool preload)
{
    if (!File_Exists(file)) return false;
    MemoryManager::Free(m_pExtension);
    MemoryManager::Free(m_pFileName);
    m_pExtension = File_GetExtension(file);
    m_pFileName = File_GetName(file);
    CStream::Delete(m_pData);
    m_pData = new CStream();
    m_pData->LoadFromFile(file, 0);
    m_Kind = kind;
    m_Preload = preload;
    if (preload) Restore();
    return true;
}

void Sound_Reset()
{
    for (size_t i = 0; i < g_Sounds.size(); ++i) DeleteSlot(i);
    g_Sounds.clear();
    g_SoundNames.clear();
    SoundChunk_ResetAudio();
    Audio_Reset();
}

void Sound_FreeAll()
{
    for (size_t i = 0; i < g_Sounds.size(); ++i) DeleteSlot(i);
    g_Sounds.clear();
    g_SoundNames.clear();
    FreeChannels();
    // The newer system's assets too: shut-down frees sounds only here.
    Audio_Reset();
}

bool Sound_Init(GameFile& file, uint32_t body, uint32_t length)
{
    MainConsole->Output("Sound_Init()\n");
    Sound_FreeAll();
    GameFileCountTable table;
    if (!GameFile_ReadChunkTable(file, "SOND", body, length, table)) return false;
    g_Sounds.assign(table.count, nullptr);
    g_SoundNames.assign(table.count, nullptr);
    for (uint32_t i = 0; i < table.count; ++i) {
        uint32_t at = table.Entry(file, i);
        SoundEntry entry;
        if (at == 0) continue;
        if (!SoundChunk_ReadEntry(file, at, i, entry)) return false;
        auto* sound = new CSound();
        sound->m_Kind = entry.kind;
        sound->m_pExtension = entry.extension != nullptr ? String_Copy(entry.extension) : nullptr;
        sound->m_pFileName = entry.fileName != nullptr ? String_Copy(entry.fileName) : nullptr;
        sound->m_Effects = static_cast<int32_t>(entry.effects);
        sound->m_Volume = entry.volume;
        sound->m_Pan = entry.pan;
        sound->m_Preload = entry.preload != 0;
        sound->m_AudioIndex = entry.audioIndex;
        g_Sounds[i] = sound;
        g_SoundNames[i] = entry.name != nullptr ? String_Copy(entry.name) : nullptr;
    }
    return true;
}

bool Wave_Init(GameFile& file, uint32_t body, uint32_t length)
{
    MainConsole->Output("Wave_Init()\n");
    return SoundChunk_ReadAudio(file, body, length);
}

bool SoundHardware_Create()
{
    // A fatal end runs no shut-down: the device is closed there all the same, which the audio library
    // would otherwise complain of at exit.
    Platform_OnFatalEnd([] { Sound_Quit(); });
    delete g_pSoundHardware;
    g_pSoundHardware = new SoundHardware();
    bool opened = g_pSoundHardware->Init();
    g_Channels.clear();
    g_CurrentMusic.clear();
    Audio_Init(g_pSoundHardware);
    return opened;
}

bool Sound_PrepareAll()
{
    for (CSound* sound : g_Sounds)
        if (sound != nullptr && sound->m_Preload) sound->Restore();
    return true;
}

void Sound_Tick()
{
    SoundLog_BeginFrame();
    if (g_pSoundHardware != nullptr) g_pSoundHardware->Tick();
    Audio_Update();
    SoundLog_EndFrame();
}

void Sound_TickSamples(SoundHardware& hardware)
{
    for (SoundChannel& channel : g_Channels)
        if (channel.inUse) SoundHardware_TickSample(hardware, channel.sample);
}

bool Sound_Quit()
{
    SoundLog_Flush();
    if (g_pSoundHardware != nullptr) g_pSoundHardware->Quit();
    return true;
}

// Start-up and the INI settings need nothing of the sound layer on this platform.
void Sound_StartUpStep() {}
void Sound_IniHook(IniFile*) {}

int32_t Sound_Count()
{
    return static_cast<int32_t>(g_Sounds.size());
}

bool Sound_Exists(int32_t index)
{
    return Sound_Get(index) != nullptr;
}

CSound* Sound_Get(int32_t index)
{
    if (index < 0 || index >= Sound_Count()) return nullptr;
    return g_Sounds[static_cast<size_t>(index)];
}

char* Sound_GetName(int32_t index)
{
    if (!Sound_Exists(index)) return String_Copy(UNDEFINED);
    const char* name = g_SoundNames[static_cast<size_t>(index)];
    return String_Copy(name != nullptr ? name : "");
}

int32_t Sound_Find(const char* name)
{
    if (name == nullptr) return -1;
    for (size_t i = 0; i < g_Sounds.size(); ++i)
        if (g_Sounds[i] != nullptr && g_SoundNames[i] != nullptr && std::strcmp(g_SoundNames[i], name) == 0)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t Sound_Add(const char* file, int32_t kind, bool preload)
{
    int32_t index = Sound_Count();
    std::string name = "__newsound" + std::to_string(index);
    auto* sound = new CSound();
    g_Sounds.push_back(sound);
    g_SoundNames.push_back(String_Copy(name.c_str()));
    return sound->LoadFromFile(file, kind, preload) ? index : -1;
}

bool Sound_Replace(int32_t index, const char* file, int32_t kind, bool preload)
{
    if (index < 0 || index >= Sound_Count()) return false;
    delete g_Sounds[static_cast<size_t>(index)];
    auto* sound = new CSound();
    g_Sounds[static_cast<size_t>(index)] = sound;
    return sound->LoadFromFile(file, kind, preload);
}

bool Sound_Delete(int32_t index)
{
    if (!Sound_Exists(index)) return false;
    DeleteSlot(static_cast<size_t>(index));
    return true;
}

int32_t Sound_ChannelCount()
{
    return static_cast<int32_t>(g_Channels.size());
}

SoundSample* Sound_ChannelSample(int32_t channel)
{
    SoundChannel* entry = Channel(channel);
    return entry != nullptr ? entry->sample : nullptr;
}

bool Sound_IsMusicName(const char* name, bool midi)
{
    if (name == nullptr) return false;
    if (!midi) return EndsWith(name, ".mp3");
    return EndsWith(name, ".mid") || EndsWith(name, ".midi");
}

const char* Sound_CurrentMusic()
{
    return g_CurrentMusic.c_str();
}

void Sound_SetCurrentMusic(const char* name)
{
    g_CurrentMusic = name != nullptr ? name : "";
}

void Sound_PlayFile(const char* name, int32_t channel, bool loop)
{
    if (g_pSoundHardware == nullptr) return;
    if (Sound_IsMusicName(name, false)) {
        g_CurrentMusic = name;
        g_pSoundHardware->PlayMP3(name, loop);
    } else if (Sound_IsMusicName(name, true)) {
        g_CurrentMusic = name;
        g_pSoundHardware->PlayMIDI(name, loop);
    } else if (SoundChannel* entry = Channel(channel)) {
        g_pSoundHardware->Play(entry->sample, loop);
    }
}

void Sound_StopFile(const char* name, int32_t channel)
{
    if (g_pSoundHardware == nullptr) return;
    if (!g_CurrentMusic.empty() && name != nullptr && g_CurrentMusic == name) {
        g_pSoundHardware->StopMusic();
        g_CurrentMusic.clear();
    } else if (SoundChannel* entry = Channel(channel)) {
        g_pSoundHardware->Stop(entry->sample);
    }
}

bool Sound_IsPlaying(const char* name, int32_t channel)
{
    if (g_pSoundHardware == nullptr) return false;
    if (!g_CurrentMusic.empty() && name != nullptr && g_CurrentMusic == name) return g_pSoundHardware->PlayingMP3();
    SoundChannel* entry = Channel(channel);
    return entry != nullptr && g_pSoundHardware->Playing(entry->sample);
}

void Sound_StopAll()
{
    if (g_pSoundHardware == nullptr) return;
    for (SoundChannel& channel : g_Channels) g_pSoundHardware->Stop(channel.sample);
    g_pSoundHardware->StopMusic();
}

void Sound_SetVolume(int32_t channel, float volume, int32_t milliseconds)
{
    SoundChannel* entry = Channel(channel);
    if (g_pSoundHardware == nullptr || entry == nullptr) return;
    if (entry->kind == 1) g_pSoundHardware->SetMusicVolume(volume, milliseconds);
    else g_pSoundHardware->SetSampleVolume(entry->sample, volume, milliseconds);
}

void Sound_SetGlobalVolume(float volume)
{
    if (g_pSoundHardware != nullptr) g_pSoundHardware->SetMasterVolume(volume);
}

void Sound_SetPan(int32_t, double) {}
void Sound_SetEffects(int32_t, int32_t) {}
