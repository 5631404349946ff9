#include "sound/Sound_Hardware.h"

#include "app/App_CommandLine.h"
#include "base/Base_Console.h"
#include "platform/Platform_Headroom.h"
#include "sound/Sound_AL.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"

SoundHardware* g_pSoundHardware = nullptr;

namespace {

void CheckErrors()
{
    Sound_ALFailedTwice("AL Error : %08x(%d)");
    ALenum alut = alutGetError();
    if (alut != ALUT_ERROR_NO_ERROR) Sound_Log("ALUT Error : %s", alutGetErrorString(alut));
}

float Clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

bool SourcePlaying(ALuint source)
{
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

} // namespace

bool SoundHardware::Init()
{
    if (g_NoAudio) return true;
    // The audio library writes through what it failed to allocate as its device starts.
    std::string lacking = Headroom_Lacking("the sound device", Headroom_SoundDevice());
    if (!lacking.empty()) {
        Console_ReportFailure("The game cannot start: " + lacking);
        return false;
    }
    m_Started = true;
    if (!alutInit(nullptr, nullptr)) {
        ALenum alut = alutGetError();
        MainConsole->Output("ALUT Error : %s\n", alutGetErrorString(alut));
        return true;
    }
    CheckErrors();
    return true;
}

void SoundHardware::Quit()
{
    if (!m_Started || g_NoAudio) return;
    Music_Release();
    Audio_ForgetEmitterVoices();
    StopMusic();
    Audio_Release();
    alutExit();
    m_Started = false;
}

SoundSample* SoundHardware::Load(const uint8_t* data, uint32_t size)
{
    if (!m_Started || data == nullptr) return nullptr;
    ALuint buffer = alutCreateBufferFromFileImage(data, static_cast<ALsizei>(size));
    ALenum alut = alutGetError();
    if (alut != ALUT_ERROR_NO_ERROR) {
        MainConsole->Output("ALUT error on load %08x(%d) : %s\n", static_cast<unsigned>(alut), static_cast<int>(alut),
                            alutGetErrorString(alut));
        return nullptr;
    }
    if (Sound_ALFailedTwice("AL error on load %08x(%d)")) return nullptr;
    auto* sample = new SoundSample();
    sample->buffer = buffer;
    alGenSources(4, sample->sources);
    CheckErrors();
    for (ALuint source : sample->sources) {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        CheckErrors();
    }
    return sample;
}

void SoundHardware::FreeSample(SoundSample* sample)
{
    if (sample == nullptr) return;
    if (m_Started) {
        alDeleteSources(4, sample->sources);
        alDeleteBuffers(1, &sample->buffer);
        alGetError();
    }
    delete sample;
}

void SoundHardware::Play(SoundSample* sample, bool loop)
{
    if (!m_Started || sample == nullptr) return;
    ALuint source = sample->sources[sample->nextSource];
    sample->nextSource = (sample->nextSource + 1) % 4;
    alSourcef(source, AL_GAIN, sample->volume * m_MasterVolume);
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
    CheckErrors();
}

void SoundHardware::Stop(SoundSample* sample)
{
    if (!m_Started || sample == nullptr) return;
    for (ALuint source : sample->sources) alSourceStop(source);
    CheckErrors();
}

bool SoundHardware::Playing(const SoundSample* sample)
{
    if (!m_Started || sample == nullptr) return false;
    for (ALuint source : sample->sources)
        if (SourcePlaying(source)) return true;
    return false;
}

void SoundHardware::SetSampleVolume(SoundSample* sample, float volume, int32_t milliseconds)
{
    if (!m_Started || sample == nullptr) return;
    int32_t frames = Sound_FadeFrames(milliseconds);
    sample->volumeStep = (volume - sample->volume) / static_cast<float>(frames);
    sample->fadeFrames = frames;
}

void SoundHardware::SetMasterVolume(float volume)
{
    if (!m_Started) return;
    m_MasterVolume = volume;
}

void SoundHardware::Tick()
{
    if (!m_Started || g_NoAudio) return;
    CheckErrors();
    TickMusic();
    Sound_TickSamples(*this);
}

void SoundHardware_TickSample(SoundHardware& hardware, SoundSample* sample)
{
    if (sample == nullptr || sample->fadeFrames <= 0) return;
    sample->volume = Clamp01(sample->volume + sample->volumeStep);
    --sample->fadeFrames;
    for (ALuint source : sample->sources) {
        if (!SourcePlaying(source)) continue;
        alSourcef(source, AL_GAIN, sample->volume * hardware.MasterVolume());
        CheckErrors();
    }
}
