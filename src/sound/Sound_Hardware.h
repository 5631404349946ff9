// The sound hardware object of the older sound layer: in-memory samples on OpenAL (four sources each,
// so one sound can sound four times at once), the master volume, and the music player (an Ogg
// Vorbis stream, else the media control interface). It exists under both sound systems: the newer
// one plays its music through it, and its frame tick drives both.
#pragma once

#include <cstdint>
#include <string>

#include <AL/al.h>

struct SoundSample {
    ALuint buffer = 0;
    ALuint sources[4] = {0, 0, 0, 0};
    int32_t nextSource = 0;
    float volume = 1.0f;
    float volumeStep = 0.0f;
    int32_t fadeFrames = 0;
};

// The channel id of the music in SetVolume.
constexpr int32_t SOUND_MUSIC_TARGET = 1;

class SoundHardware {
public:
    // Opens the device; false, the reason reported, when the process's limits leave it too little
    // memory. A device that fails to open otherwise leaves the game silent.
    bool Init();
    void Quit();
    // A sample from a whole sound-file image, or null (logged) when it cannot be made.
    SoundSample* Load(const uint8_t* data, uint32_t size);
    void Play(SoundSample* sample, bool loop);
    void Stop(SoundSample* sample);
    bool Playing(const SoundSample* sample);
    void FreeSample(SoundSample* sample);
    void SetSampleVolume(SoundSample* sample, float volume, int32_t milliseconds);
    void SetMasterVolume(float volume);
    float MasterVolume() const { return m_MasterVolume; }

    // Music (Sound_Music.cpp).
    void PlayMP3(const char* name, bool loop);
    void PlayMIDI(const char* name, bool loop);
    void StopMusic();
    bool PlayingMP3();
    void PauseMusic();
    void ResumeMusic();
    // Fades the music volume to `volume` over the time (at least one frame).
    void SetMusicVolume(float volume, int32_t milliseconds);
    float MusicVolume() const;

    void Tick();

private:
    void TickMusic();
    float m_MasterVolume = 1.0f;
    bool m_Started = false;
};

// Null until game preparation makes it.
extern SoundHardware* g_pSoundHardware;

// The music player's path buffer: the name last given to it ("" when nothing plays).
const std::string& Music_PlayerName();
// The folder the music player looks in; the game file's folder unless a test sets another ("" resets).
void Music_SetFolder(const char* folder);
// The path that the music player opens for a name: `ogg` gives the lower-cased name with the
// extension ".ogg", else the name as it is; relative names lie in the game file's folder.
std::string Music_Path(const std::string& name, bool ogg);
// The Ogg stream's source and first buffer (0 before the first stream), to read what it plays.
ALuint Music_StreamSource();
ALuint Music_StreamBuffer();
// Shut-down: stops the music and deletes the stream's OpenAL objects.
void Music_Release();
