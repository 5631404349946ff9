// The music player: Ogg files streamed in place of MP3 and MIDI names, the media command sequence
// when there is none, streams ending by themselves, fades, and the media command interpreter with
// its MP3 and CD devices.
#include <unistd.h>

#include "SoundTestSupport.h"

namespace {

using soundtest::Music;
using soundtest::SoundTest;

// Records every command; answers "playing" to mode queries.
struct Recorder {
    std::vector<std::string> commands;
    MciDevice Device()
    {
        return [this](const std::string& command, std::string& answer, std::string&) {
            commands.push_back(command);
            if (command.find(" mode") != std::string::npos) answer = "playing";
            return true;
        };
    }
};

class MusicTest : public SoundTest {
protected:
    void Play(const char* fileName, bool loop)
    {
        Start(false, {Music("m", fileName)});
        CSound* sound = Sound_Get(0);
        Sound_PlayFile(sound->m_pFileName, sound->GetSoundId(), loop);
    }
};

TEST_F(MusicTest, AnOggOfTheSameBaseNameIsStreamedForMp3AndMidiNames)
{
    struct Case {
        const char *name, *streamed, *playerName; // streamed: "" when nothing of that base name exists
    };
    // The extension is what follows the last dot, not three letters.
    const Case cases[] = {{"song.mp3", "song.ogg", "song.mp3"},  {"SONG.mp3", "song.ogg", "SONG.mp3"},
                          {"song.mid", "song.ogg", "song.mp3"},  {"song.midi", "song.ogg", "song.mp3"},
                          {"missing.mp3", "", "missing.mp3"}, {"missing.mid", "", "missing.mp3"}};
    for (const Case& c : cases) {
        Play(c.name, false);
        EXPECT_EQ(Music_PlayerName(), c.playerName) << c.name;
        if (*c.streamed != '\0') {
            EXPECT_TRUE(m_Log.Has("playing " + soundtest::DATA + c.streamed + "\n")) << c.name;
            EXPECT_TRUE(Sound_IsPlaying(c.name, Sound_Get(0)->GetSoundId())) << c.name;
        } else {
            EXPECT_TRUE(m_Log.Has("error opening mp3 file " + soundtest::DATA + "missing.mp3 - the file cannot be opened"));
        }
        Sound_StopFile(c.name, Sound_Get(0)->GetSoundId());
        EXPECT_FALSE(g_pSoundHardware->PlayingMP3()) << c.name;
        EXPECT_STREQ(Sound_CurrentMusic(), "");
        TearDown();
        SetUp();
        m_Log.Clear();
    }
}

TEST_F(MusicTest, WithoutAnOggTheMediaCommandsPlayTheFileAsNamed)
{
    Recorder recorder;
    Mci_SetDevice(recorder.Device());
    Play("Theme.mp3", true);
    Sound_StopFile("Theme.mp3", Sound_Get(0)->GetSoundId());
    const std::string path = soundtest::DATA + "Theme.mp3";
    std::vector<std::string> expected = {
        "open \"" + path + "\" type mpegvideo alias MediaFile1", "set MediaFile1 time format milliseconds",
        "set MediaFile1 seek exactly on", "play MediaFile1 repeat", "setaudio MediaFile1 volume to 1000",
        "status MediaFile1 mode", "seek MediaFile1 to start", "stop MediaFile1", "close MediaFile1"};
    // The volume the sound's channel gets (its own, at once) follows the play commands.
    std::vector<std::string> got;
    for (const std::string& command : recorder.commands)
        if (command != "status MediaFile1 mode" || got.empty() || got.back() != command) got.push_back(command);
    EXPECT_EQ(got, expected);
}

TEST_F(MusicTest, AStreamEndsByItselfUnlessItLoops)
{
    Play("song.mp3", false);
    EXPECT_TRUE(Audio_MusicIsPlaying());
    EXPECT_TRUE(TickUntil([] { return !Audio_MusicIsPlaying(); }));

    TearDown();
    SetUp();
    Play("song.mp3", true);
    for (int i = 0; i < 30; ++i) { // 0.6 s, twice the file's length
        Sound_Tick();
        usleep(20000);
    }
    EXPECT_TRUE(Audio_MusicIsPlaying());
}

TEST_F(MusicTest, MusicVolumeChangesAtTheNextFrameAndAMonoFilePlaysAtItsOwnRate)
{
    Play("mono.mp3", false);
    g_pSoundHardware->SetMusicVolume(0.5f, 0);
    EXPECT_FLOAT_EQ(g_pSoundHardware->MusicVolume(), 1.0f);
    Sound_Tick();
    EXPECT_FLOAT_EQ(g_pSoundHardware->MusicVolume(), 0.5f);
    ALfloat gain = 0;
    ALint channels = 0, rate = 0;
    alGetSourcef(Music_StreamSource(), AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.5f);
    alGetBufferi(Music_StreamBuffer(), AL_CHANNELS, &channels);
    alGetBufferi(Music_StreamBuffer(), AL_FREQUENCY, &rate);
    EXPECT_EQ((std::vector<ALint>{1, 22050}), (std::vector<ALint>{channels, rate}));
}

TEST_F(MusicTest, TheInterpreterPlaysMp3DevicesAndKnowsADriveWithoutADisc)
{
    Start(false, {});
    const std::string open = "open \"" + soundtest::DATA + "song.mp3\" type mpegvideo alias MediaFile7";
    struct Step {
        std::string command;
        bool done;
        const char* answer;
    };
    // The second open fails: the alias is taken.
    const Step steps[] = {
        {open, true, ""},                                 {open, false, ""},
        {"status MediaFile7 mode", true, "stopped"},      {"play MediaFile7", true, ""},
        {"status mediafile7 mode", true, "playing"},      {"setaudio MediaFile7 volume to 250", true, ""},
        {"pause MediaFile7", true, ""},                   {"status MediaFile7 mode", true, "paused"},
        {"resume MediaFile7", true, ""},                  {"stop MediaFile7", true, ""},
        {"status MediaFile7 mode", true, "stopped"},      {"close MediaFile7", true, ""},
        {"status MediaFile7 mode", false, ""},            {"open \"/no/such.mp3\" type mpegvideo alias A", false, ""},
        {"status cdaudio media present", true, "false"},  {"status cdaudio mode", true, "not ready"},
        {"play cdaudio from 1", false, ""},               {"fly me to the moon", false, ""},
        {"", false, ""},
    };
    for (const Step& step : steps) {
        char answer[32] = "junk";
        EXPECT_EQ(Mci_SendString(step.command.c_str(), answer, sizeof answer), step.done) << step.command;
        EXPECT_STREQ(answer, step.answer) << step.command;
        EXPECT_EQ(*Mci_ErrorText() == '\0', step.done) << step.command;
    }
    char small[4];
    Mci_SendString("status cdaudio mode", small, sizeof small);
    EXPECT_STREQ(small, "not");
}

} // namespace
