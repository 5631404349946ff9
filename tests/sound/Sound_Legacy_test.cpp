// The older sound layer: samples on four sources, fades a frame late, channels, the table and
// sounds added from files.
#include "SoundTestSupport.h"
#include "platform/Platform_MemoryManager.h"

namespace {

using soundtest::SoundTest;
using soundtest::Tone;

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
