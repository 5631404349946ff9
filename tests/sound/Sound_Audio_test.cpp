// The newer audio system over OpenAL's silent back end: sources by priority, fades by frames,
// emitters, the option switched off, the pool rebuilt and -noaudio.
#include <AL/alc.h>
#include <unistd.h>

#include "SoundTestSupport.h"
#include "platform/Platform_MemoryManager.h"

namespace {

using soundtest::SoundTest;
using soundtest::Tone;

class AudioTest : public SoundTest {
protected:
    void StartTones() { Start(true, {Tone("beep"), Tone("boop", 500)}); }
};

TEST_F(AudioTest, TheLastSourceGoesOnlyToAHigherPriorityWhichStealsTheFirstStarted)
{
    StartTones();
    std::vector<int32_t> voices;
    for (int i = 0; i < AUDIO_DEFAULT_CHANNELS; ++i) voices.push_back(Audio_PlaySound(0, 1.0, 1));
    EXPECT_EQ(voices.back() - voices.front(), AUDIO_DEFAULT_CHANNELS - 1);
    EXPECT_EQ(voices.front(), AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(Audio_PlaySound(0, 1.0, 1), -1) << "equal priority steals nothing";
    // A missing asset fails before it takes a source, so it stops nobody.
    EXPECT_EQ(Audio_PlaySound(57, 5.0, 1), -1);
    EXPECT_FALSE(Audio_GetVoice(voices.front())->stopped);

    int32_t stealer = Audio_PlaySound(1, 2.0, 0);
    EXPECT_GT(stealer, voices.back());
    EXPECT_TRUE(Audio_GetVoice(voices.front())->stopped && !Audio_IsPlaying(voices.front()));
    EXPECT_EQ(Audio_GetVoice(stealer)->source, Audio_GetVoice(voices.front())->source);
    EXPECT_FALSE(Audio_GetVoice(voices[1])->stopped);
}

TEST_F(AudioTest, GainFadesMoveAnEqualStepEachFrame)
{
    StartTones();
    int32_t voice = Audio_PlaySound(1, 1.0, 1);
    Audio_SetGain(voice, 0.0f, 1000); // 1000 / (1000 / 30) = 30 frames
    for (int frame = 1; frame <= 30; ++frame) {
        Audio_Update();
        EXPECT_NEAR(Audio_GetVoice(voice)->gain, 1.0 - frame / 30.0, 1e-4) << "frame " << frame;
    }
    Audio_Update();
    EXPECT_FLOAT_EQ(Audio_GetVoice(voice)->gain, 0.0f);

    // Fade times in milliseconds and the frames they take.
    for (auto [milliseconds, frames] : {std::pair{0, 0}, {10, 1}, {33, 1}, {66, 2}}) {
        Audio_SetGain(0, 0.5f, milliseconds);
        EXPECT_EQ(Audio_GetAsset(0)->fadeSteps, frames) << milliseconds;
        for (int i = 0; i < frames; ++i) Audio_Update();
        EXPECT_FLOAT_EQ(Audio_GetAsset(0)->gain, 0.5f) << milliseconds;
        Audio_SetGain(0, 1.0f, 0);
    }
    ALfloat applied = 0;
    Audio_SetGain(voice, 0.25f, 0);
    Audio_Update();
    alGetSourcef(Audio_PoolSource(Audio_GetVoice(voice)->source), AL_GAIN, &applied);
    EXPECT_FLOAT_EQ(applied, 0.25f);
}

TEST_F(AudioTest, EmittersPitchesModelsAndLengths)
{
    StartTones();
    int32_t emitter = Audio_EmitterCreate();
    EXPECT_TRUE(emitter == 0 && Audio_EmitterExists(emitter));
    int32_t voice = Audio_PlaySoundOn(emitter, 0, 1, 1.0);
    ASSERT_GE(voice, AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(Audio_GetVoice(voice)->emitter, emitter);
    Audio_EmitterFree(emitter);
    EXPECT_EQ(Audio_GetVoice(voice), nullptr) << "freeing the emitter stops its voices";
    EXPECT_EQ(Audio_PlaySoundOn(emitter, 0, 1, 1.0), -1);
    EXPECT_TRUE(m_Log.Has("Audio_PlaySound Attempting to play sound on inactive emitter 0\n"));
    m_Log.Clear();
    EXPECT_EQ(Audio_PlaySoundOn(8, 0, 1, 1.0), -1);
    EXPECT_FALSE(m_Log.Has("inactive emitter")) << "outside the table: no line";

    Audio_SetFalloffModel(7);
    EXPECT_TRUE(m_Log.Has("Attempting to set audio falloff to unknown model"));
    Audio_SetFalloffModel(3);
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_LINEAR_DISTANCE);

    EXPECT_NEAR(Audio_SoundLength(0), 0.3, 1e-3);
    EXPECT_NEAR(Audio_SoundLength(1), 0.5, 1e-3);
    EXPECT_EQ(Audio_SoundLength(5), -1.0);
    EXPECT_EQ((std::vector<int>{0, -1, 0, -1}),
              (std::vector<int>{Audio_IsStreamed(0), Audio_IsStreamed(199999), Audio_Find("beep"), Audio_Find("bee")}));
}

TEST_F(AudioTest, StreamedPitchIsRefusedAndOutOfRangeAudioIndicesHaveNoData)
{
    gamebuild::SoundDesc broken = Tone("broken");
    broken.audioIndex = 9;
    Start(true, {soundtest::Music("song", "song.mp3"), broken});
    Audio_SetPitch(0, 2.0f);
    EXPECT_TRUE(m_Log.Has("Pitch setting for music streams not currently supported"));
    EXPECT_FLOAT_EQ(Audio_GetAsset(0)->pitch, 1.0f);
    EXPECT_EQ(Audio_GetAsset(1)->buffer, 0u);
    EXPECT_EQ(Audio_SoundLength(1), -1.0);
}

TEST_F(AudioTest, ANewPoolReleasesEveryVoiceAndACountBelowOneIsIgnored)
{
    StartTones();
    int32_t voice = Audio_PlaySound(0, 1.0, 1);
    Audio_SetChannelCount(0);
    EXPECT_EQ(Audio_ChannelCount(), AUDIO_DEFAULT_CHANNELS);
    EXPECT_NE(Audio_GetVoice(voice), nullptr);
    Audio_SetChannelCount(2);
    EXPECT_EQ(Audio_ChannelCount(), 2);
    EXPECT_EQ(Audio_GetVoice(voice), nullptr);
    EXPECT_GE(Audio_PlaySound(0, 1.0, 1), AUDIO_FIRST_VOICE_ID);
    EXPECT_GE(Audio_PlaySound(0, 1.0, 1), AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(Audio_PlaySound(0, 1.0, 1), -1);
}

TEST_F(AudioTest, WithTheOptionClearTheSystemAnswersNoneButMusicStillPlays)
{
    Start(false, {Tone("beep"), soundtest::Music("song", "song.mp3")});
    EXPECT_FALSE(Audio_IsNewSystem() || Audio_IsPlaying(0));
    EXPECT_EQ((std::vector<double>{-1, -1, -1}),
              (std::vector<double>{double(Audio_PlaySound(0, 1.0, 0)), double(Audio_EmitterCreate()), Audio_SoundLength(0)}));
    // The older layer's music goes through the same player, which the audio_ music calls reach.
    CSound* song = Sound_Get(1);
    Sound_PlayFile(song->m_pFileName, song->GetSoundId(), false);
    EXPECT_TRUE(Audio_MusicIsPlaying());
    Audio_SetMusicGain(0.5f, 0);
    Sound_Tick();
    EXPECT_FLOAT_EQ(g_pSoundHardware->MusicVolume(), 0.5f);
    Audio_StopMusic();
    EXPECT_FALSE(Audio_MusicIsPlaying());
}

TEST_F(AudioTest, NoAudioMakesNoContextAndPlaysNothing)
{
    g_NoAudio = 1;
    Start(true, {Tone("beep"), soundtest::Music("song", "song.mp3")});
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    EXPECT_FALSE(Audio_IsNewSystem()) << "-noaudio clears the option";
    EXPECT_EQ(Audio_PlaySound(0, 1.0, 0), -1);
    Audio_PlayMusic(1, true);
    EXPECT_FALSE(Audio_MusicIsPlaying());
    Sound_Tick();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
}

// The older sound layer: samples on four sources, fades a frame late, channels, the table and
// sounds added from files.
class LegacyTest : public SoundTest {};

ALint State(ALuint source)
{
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

TEST_F(LegacyTest, TheFifthPlayRestartsTheFirstSource)
{
    Start(false, {Tone("beep", 2000)});
    int32_t channel = Sound_Get(0)->GetSoundId();
    SoundSample* sample = Sound_ChannelSample(channel);
    ASSERT_NE(sample, nullptr);
    for (int i = 0; i < 4; ++i) Sound_PlayFile("beep.wav", channel, false);
    for (ALuint source : sample->sources) EXPECT_EQ(State(source), AL_PLAYING);
    EXPECT_EQ(sample->nextSource, 0);
    alSourcePause(sample->sources[0]);
    Sound_PlayFile("beep.wav", channel, false);
    EXPECT_EQ(State(sample->sources[0]), AL_PLAYING) << "the fifth play took source 0 again";
    EXPECT_EQ(sample->nextSource, 1);
    EXPECT_TRUE(Sound_IsPlaying("beep.wav", channel));
    Sound_StopAll();
    EXPECT_FALSE(Sound_IsPlaying("beep.wav", channel));
}

TEST_F(LegacyTest, VolumeChangesTakeAFrameAndReachPlayingSources)
{
    Start(false, {Tone("beep", 2000)});
    int32_t channel = Sound_Get(0)->GetSoundId();
    SoundSample* sample = Sound_ChannelSample(channel);
    Sound_PlayFile("beep.wav", channel, true);
    Sound_SetVolume(channel, 0.5f, 0);
    EXPECT_FLOAT_EQ(sample->volume, 1.0f);
    Sound_Tick();
    EXPECT_FLOAT_EQ(sample->volume, 0.5f);
    Sound_SetGlobalVolume(0.5f);
    Sound_SetVolume(channel, 0.8f, 66); // two frames at room speed 30
    Sound_Tick();
    Sound_Tick();
    ALfloat gain = 0;
    alGetSourcef(sample->sources[0], AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.4f);
}

TEST_F(LegacyTest, ChannelsTableAndMissingData)
{
    gamebuild::SoundDesc orphan = Tone("orphan");
    orphan.audioIndex = 40; // beyond the audio chunk: no data
    gamebuild::SoundDesc lazy = Tone("lazy");
    lazy.preload = 0;
    Start(false, {Tone("beep"), orphan, lazy});
    EXPECT_EQ(Sound_ChannelCount(), 1) << "only the preloaded sound with data took a channel";
    EXPECT_EQ(Sound_Get(1)->GetSoundId(), -1);
    int32_t lazyChannel = Sound_Get(2)->GetSoundId();
    EXPECT_EQ(lazyChannel, 1);
    Sound_Get(2)->Discard();
    EXPECT_EQ(Sound_Get(2)->GetSoundId(), 2) << "a discarded sound loads into a new channel";

    for (auto [index, expected] : {std::pair{0, "beep"}, {2, "lazy"}, {-1, "<undefined>"}, {3, "<undefined>"}}) {
        char* name = Sound_GetName(index);
        EXPECT_STREQ(name, expected);
        MemoryManager::Free(name);
    }
    EXPECT_EQ((std::vector<int>{2, -1}), (std::vector<int>{Sound_Find("lazy"), Sound_Find("Lazy")}));
    EXPECT_TRUE(Sound_Delete(2));
    EXPECT_FALSE(Sound_Exists(2) || Sound_Delete(2));
}

TEST_F(LegacyTest, SoundsAddedFromFiles)
{
    Start(false, {Tone("beep")});
    EXPECT_EQ(Sound_Add("/no/such/file.wav", 0, true), -1);
    EXPECT_EQ(Sound_Count(), 2) << "the slot stays";
    const std::string song = soundtest::DATA + "song.mp3";
    EXPECT_EQ(Sound_Add(song.c_str(), 1, false), 2);
    CSound* added = Sound_Get(2);
    EXPECT_STREQ(added->m_pFileName, "song.mp3");
    EXPECT_STREQ(added->m_pExtension, ".mp3");
    char* name = Sound_GetName(2);
    EXPECT_STREQ(name, "__newsound2");
    MemoryManager::Free(name);
    EXPECT_TRUE(Sound_Replace(0, song.c_str(), 1, false));
    EXPECT_FALSE(Sound_Replace(0, "/no/such/file.wav", 0, false) || Sound_Replace(7, song.c_str(), 0, false));
}

TEST_F(LegacyTest, NoAudioPlaysNothing)
{
    g_NoAudio = 1;
    Start(false, {Tone("beep")});
    int32_t channel = Sound_Get(0)->GetSoundId();
    EXPECT_EQ(Sound_ChannelSample(channel), nullptr);
    Sound_PlayFile("beep.wav", channel, false);
    EXPECT_FALSE(Sound_IsPlaying("beep.wav", channel));
}

} // namespace
