// The newer audio system over OpenAL's silent back end: sources by priority, fades by frames,
// emitters, streams, the option switched off, the pool rebuilt and -noaudio; then the older sound
// layer: samples on four sources, volumes a frame late, channels, the table and sounds from files.
#include <AL/alc.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "../TestSupport_Builtins.h"
#include "../TestSupport_SaveArea.h"
#include "SoundTestSupport.h"

namespace {

using soundtest::SoundTest;
using soundtest::Tone;

class AudioTest : public SoundTest {
protected:
    // Two tones, a streamed song, and a tone whose audio index lies beyond the audio chunk.
    void StartSounds()
    {
        gamebuild::SoundDesc broken = Tone("broken");
        broken.audioIndex = 9;
        Start(true, {Tone("beep"), Tone("boop", 500), soundtest::Music("song", "song.mp3"), broken});
    }
};

// The last source goes only to a higher priority, which steals the first started; a missing asset
// fails before it takes a source. A new pool releases every voice; a count below one is ignored.
TEST_F(AudioTest, SourcesByPriorityThePoolFadesEmittersAndStreams)
{
    StartSounds();
    std::vector<int32_t> voices;
    for (int i = 0; i < AUDIO_DEFAULT_CHANNELS; ++i) voices.push_back(Audio_PlaySound(0, 1.0, 1));
    EXPECT_EQ(std::make_pair(AUDIO_FIRST_VOICE_ID, AUDIO_FIRST_VOICE_ID + AUDIO_DEFAULT_CHANNELS - 1), std::make_pair(voices.front(), voices.back()));
    EXPECT_EQ(std::make_pair(-1, -1), std::make_pair(Audio_PlaySound(0, 1.0, 1), Audio_PlaySound(57, 5.0, 1)));
    EXPECT_FALSE(Audio_GetVoice(voices.front())->stopped);
    int32_t stealer = Audio_PlaySound(1, 2.0, 0);
    EXPECT_TRUE(Audio_GetVoice(voices.front())->stopped && !Audio_GetVoice(voices[1])->stopped);
    EXPECT_EQ(Audio_GetVoice(stealer)->source, Audio_GetVoice(voices.front())->source);

    Audio_SetChannelCount(0);
    EXPECT_EQ(std::make_pair(AUDIO_DEFAULT_CHANNELS, false), std::make_pair(Audio_ChannelCount(), Audio_GetVoice(stealer) == nullptr));
    Audio_SetChannelCount(2);
    EXPECT_EQ(std::make_pair(2, true), std::make_pair(Audio_ChannelCount(), Audio_GetVoice(stealer) == nullptr));
    Audio_PlaySound(0, 1.0, 1);
    EXPECT_GE(Audio_PlaySound(0, 1.0, 1), AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(Audio_PlaySound(0, 1.0, 1), -1);

    // Fades, emitters, streams and lengths.
    Audio_SetChannelCount(AUDIO_DEFAULT_CHANNELS);
    int32_t voice = Audio_PlaySound(1, 1.0, 1);
    Audio_SetGain(voice, 0.0f, 1000); // 1000 / (1000 / 30) = 30 frames, an equal step each
    for (int frame = 1; frame <= 31; ++frame) {
        Audio_Update();
        EXPECT_NEAR(Audio_GetVoice(voice)->gain, std::max(0.0, 1.0 - frame / 30.0), 1e-4) << "frame " << frame;
    }

    // Freeing an emitter stops its voices; playing on a freed one is logged, outside the table not.
    int32_t emitter = Audio_EmitterCreate();
    voice = Audio_PlaySoundOn(emitter, 0, 1, 1.0);
    Audio_EmitterFree(emitter);
    EXPECT_EQ(Audio_GetVoice(voice), nullptr);
    EXPECT_EQ(std::make_pair(-1, -1), std::make_pair(Audio_PlaySoundOn(emitter, 0, 1, 1.0), Audio_PlaySoundOn(8, 0, 1, 1.0)));
    EXPECT_EQ(1u, m_Log.Count("Audio_PlaySound Attempting to play sound on inactive emitter 0\n"));
    Audio_SetFalloffModel(7);
    EXPECT_TRUE(m_Log.Has("Attempting to set audio falloff to unknown model"));
    Audio_SetPitch(2, 2.0f);
    EXPECT_TRUE(m_Log.Has("Pitch setting for music streams not currently supported") && Audio_GetAsset(2)->pitch == 1.0f);
    // A tone without data has no buffer and no length.
    EXPECT_NEAR(Audio_SoundLength(1), 0.5, 1e-3);
    EXPECT_EQ((std::vector<double>{-1, -1, 0}), (std::vector<double>{Audio_SoundLength(3), Audio_SoundLength(5), double(Audio_GetAsset(3)->buffer)}));
}

// With the option clear the system answers none, but the older layer's music goes through the same
// player, which the audio_ music calls reach; -noaudio makes no context and plays nothing.
TEST_F(AudioTest, WithTheOptionClearOnlyMusicPlaysAndNoAudioPlaysNothing)
{
    Start(false, {Tone("beep"), soundtest::Music("song", "song.mp3")});
    EXPECT_FALSE(Audio_IsNewSystem() || Audio_IsPlaying(0));
    EXPECT_EQ((std::vector<double>{-1, -1, -1}),
              (std::vector<double>{double(Audio_PlaySound(0, 1.0, 0)), double(Audio_EmitterCreate()), Audio_SoundLength(0)}));
    CSound* song = Sound_Get(1);
    Sound_PlayFile(song->m_pFileName, song->GetSoundId(), false);
    EXPECT_TRUE(Audio_MusicIsPlaying());
    Audio_SetMusicGain(0.5f, 0);
    Sound_Tick(); // at the next frame
    EXPECT_FLOAT_EQ(g_pSoundHardware->MusicVolume(), 0.5f);
    Audio_StopMusic();
    EXPECT_FALSE(Audio_MusicIsPlaying());

    TearDown();
    SetUp();
    g_NoAudio = 1;
    StartSounds();
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    EXPECT_FALSE(Audio_IsNewSystem()) << "-noaudio clears the option";
    EXPECT_EQ(Audio_PlaySound(0, 1.0, 0), -1);
    Audio_PlayMusic(2, true);
    Sound_Tick();
    EXPECT_FALSE(Audio_MusicIsPlaying() || alcGetCurrentContext() != nullptr);
}

// Shut-down's "Free Sounds" step (after the sound hardware quit) also frees the newer system's assets,
// which nothing else would free before the process ends.
TEST_F(AudioTest, FreeingTheSoundsFreesTheAudioAssets)
{
    StartSounds();
    ASSERT_NE(Audio_GetAsset(0), nullptr);
    Sound_Quit();
    Sound_FreeAll();
    for (int32_t index : {0, 1, 2, 3}) EXPECT_EQ(Audio_GetAsset(index), nullptr) << "asset " << index;
}

using LegacyTest = SoundTest;

ALint State(ALuint source)
{
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

// The fifth play restarts the first source; volume changes take a frame and reach playing sources.
TEST_F(LegacyTest, FourSourcesAndVolumesAFrameLate)
{
    Start(false, {Tone("beep", 2000)});
    int32_t channel = Sound_Get(0)->GetSoundId();
    SoundSample* sample = Sound_ChannelSample(channel);
    ASSERT_NE(sample, nullptr);
    for (int i = 0; i < 4; ++i) Sound_PlayFile("beep.wav", channel, false);
    for (ALuint source : sample->sources) EXPECT_EQ(State(source), AL_PLAYING);
    alSourcePause(sample->sources[0]);
    Sound_PlayFile("beep.wav", channel, false);
    EXPECT_EQ(std::make_pair(AL_PLAYING, 1), std::make_pair(State(sample->sources[0]), sample->nextSource));
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

// Only a preloaded sound with data takes a channel at start; a discarded sound gives its channel
// back and loads into the first free one (sounds added from files are the built-ins' tests).
TEST_F(LegacyTest, ChannelsAndTheTable)
{
    gamebuild::SoundDesc orphan = Tone("orphan");
    orphan.audioIndex = 40; // beyond the audio chunk: no data
    gamebuild::SoundDesc lazy = Tone("lazy");
    lazy.preload = 0;
    Start(false, {Tone("beep"), orphan, lazy});
    EXPECT_EQ((std::vector<int>{1, -1, 1}), (std::vector<int>{Sound_ChannelCount(), Sound_Get(1)->GetSoundId(), Sound_Get(2)->GetSoundId()}));
    Sound_Get(2)->Discard();
    EXPECT_EQ(nullptr, Sound_ChannelSample(1));
    EXPECT_EQ(Sound_Get(2)->GetSoundId(), 1);
    EXPECT_EQ((std::vector<int>{2, -1}), (std::vector<int>{Sound_Find("lazy"), Sound_Find("Lazy")}));

}

// Discarding, restoring, replacing and deleting a sound give its sample's four sources back, so 300
// rounds of each still play; the silent back end's 256 sources ran out after 63 before.
TEST_F(LegacyTest, SoundsGiveTheirSourcesBack)
{
    using testsupport::CallReal;
    Start(false, {Tone("beep", 2000)});
    // Sounds are read from files in the save area.
    testsupport::ScopedSaveArea area("legacy_sources");
    std::string wav = area.Path("tone.wav");
    std::vector<uint8_t> tone = gamebuild::MakeToneWav(gamebuild::ToneDesc{});
    std::ofstream(wav, std::ios::binary).write(reinterpret_cast<const char*>(tone.data()), std::streamsize(tone.size()));
    testsupport::RegisterBuiltins();
    const int32_t inUse = soundtest::SourcesInUse();
    ASSERT_GE(inUse, 4);
    // Each round's step, and the sound it gives to play; a sound added is deleted after its play.
    const std::pair<const char*, std::function<double()>> rounds[] = {
        {"discard", [] { return CallReal("sound_discard", {0}); }},
        {"restore", [] { return CallReal("sound_restore", {0}); }},
        {"replace", [&] { return CallReal("sound_replace", {0, wav.c_str(), 0, 1}) - 1; }},
        {"delete", [&] { return CallReal("sound_add", {wav.c_str(), 0, 1}); }},
    };
    for (const auto& [name, step] : rounds) {
        for (int32_t round = 0; round < 300; ++round) {
            double sound = step();
            CallReal("sound_play", {sound});
            bool playing = CallReal("sound_isplaying", {sound}) == 1;
            if (sound != 0) CallReal("sound_delete", {sound});
            int32_t now = soundtest::SourcesInUse();
            if (!playing || now != inUse) {
                ADD_FAILURE() << name << " round " << round << ": playing " << playing << ", " << now
                              << " sources in use, " << inUse << " before";
                break;
            }
        }
    }
    EXPECT_EQ("", g_ErrorLast);
}

} // namespace
