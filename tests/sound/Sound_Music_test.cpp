// The music player: Ogg files streamed in place of MP3 and MIDI names, the media command sequence
// when there is none, streams ending by themselves, and the media command interpreter with its MP3
// and CD devices.
#include <unistd.h>

#include "SoundTestSupport.h"

namespace {

class MusicTest : public soundtest::SoundTest {
protected:
    void Play(const char* fileName, bool loop)
    {
        Start(false, {soundtest::Music("m", fileName)});
        Sound_PlayFile(Sound_Get(0)->m_pFileName, Sound_Get(0)->GetSoundId(), loop);
    }
};

// The base name is matched in any letter case; the extension is what follows the last dot, not
// three letters. Without an Ogg of that name the media commands play the file as named.
TEST_F(MusicTest, AnOggOfTheSameBaseNameIsStreamedForMp3AndMidiNames)
{
    const std::tuple<const char*, const char*, const char*> cases[] = { // name, streamed ("" for none), player's name
        {"SONG.mp3", "song.ogg", "SONG.mp3"}, {"song.midi", "song.ogg", "song.mp3"}, {"missing.mid", "", "missing.mp3"}};
    for (const auto& [name, streamed, playerName] : cases) {
        Play(name, false);
        EXPECT_EQ(Music_PlayerName(), playerName) << name;
        EXPECT_TRUE(m_Log.Has(*streamed != '\0' ? "playing " + soundtest::DATA + streamed + "\n"
                                                : "error opening mp3 file " + soundtest::DATA + "missing.mp3 - the file cannot be opened"))
            << m_Log.Text();
        EXPECT_EQ(*streamed != '\0', Sound_IsPlaying(name, Sound_Get(0)->GetSoundId())) << name;
        Sound_StopFile(name, Sound_Get(0)->GetSoundId());
        EXPECT_FALSE(g_pSoundHardware->PlayingMP3() || *Sound_CurrentMusic() != '\0') << name;
        TearDown();
        SetUp();
    }
    std::vector<std::string> commands; // answering "playing" to mode queries, each recorded once
    Mci_SetDevice([&commands](const std::string& command, std::string& answer, std::string&) {
        if (commands.empty() || commands.back() != command) commands.push_back(command);
        if (command.find(" mode") != std::string::npos) answer = "playing";
        return true;
    });
    Play("Theme.mp3", true);
    Sound_StopFile("Theme.mp3", Sound_Get(0)->GetSoundId());
    EXPECT_EQ(commands, (std::vector<std::string>{"open \"" + soundtest::DATA + "Theme.mp3\" type mpegvideo alias MediaFile1",
                                                  "set MediaFile1 time format milliseconds", "set MediaFile1 seek exactly on",
                                                  "play MediaFile1 repeat", "setaudio MediaFile1 volume to 1000",
                                                  "status MediaFile1 mode", "seek MediaFile1 to start", "stop MediaFile1",
                                                  "close MediaFile1"}));

    // A mono file plays at its own rate, and a stream that does not loop ends by itself (looping
    // music is played past its length end to end).
    Mci_SetDevice({});
    TearDown();
    SetUp();
    Play("mono.mp3", false);
    ALint channels = 0, rate = 0;
    alGetBufferi(Music_StreamBuffer(), AL_CHANNELS, &channels);
    alGetBufferi(Music_StreamBuffer(), AL_FREQUENCY, &rate);
    EXPECT_EQ((std::vector<ALint>{1, 22050}), (std::vector<ALint>{channels, rate}));
    for (int i = 0; i < 150 && Audio_MusicIsPlaying(); ++i) { // about three seconds at most
        Sound_Tick();
        usleep(20000);
    }
    EXPECT_FALSE(Audio_MusicIsPlaying());
}

// 300 MP3 tracks, each run out before the next begins, all play: the device of a track that ended by
// itself is closed at the next track, and its source with it (the silent back end's 256 sources ran
// out before). The folder holds no Ogg of the name, so the media commands play each track.
TEST_F(MusicTest, TracksThatEndByThemselvesGiveTheirSourcesBack)
{
    std::string folder = soundtest::FreshFolder("mp3_sources");
    std::filesystem::copy_file(soundtest::DATA + "song.mp3", folder + "tune.mp3");
    Start(false, {soundtest::Music("tune", "tune.mp3")});
    Music_SetFolder(folder.c_str());
    const int32_t inUse = soundtest::SourcesInUse();
    for (int32_t round = 0; round < 300; ++round) {
        Sound_PlayFile("tune.mp3", Sound_Get(0)->GetSoundId(), false);
        bool playing = g_pSoundHardware->PlayingMP3() && soundtest::SourcesInUse(AL_PLAYING) == 1;
        int32_t sources = soundtest::SourcesInUse();
        // The track runs out at once: a stopped source has played all its buffers, as one that
        // reached the end of its queue, and the next tick ends the stream.
        for (ALuint source = 1; source <= 1024; ++source)
            if (alIsSource(source)) alSourceStop(source);
        Sound_Tick();
        bool ended = !g_pSoundHardware->PlayingMP3();
        if (!playing || !ended || sources != inUse + 1) {
            ADD_FAILURE() << "track " << round << ": playing " << playing << ", ended " << ended << ", " << sources
                          << " sources in use, " << inUse << " before";
            break;
        }
    }
    Sound_StopFile("tune.mp3", Sound_Get(0)->GetSoundId());
    EXPECT_EQ(inUse, soundtest::SourcesInUse());

    // Stopping a track that ended by itself sends its device only the close.
    std::vector<std::string> commands;
    Mci_SetDevice([&commands](const std::string& command, std::string& answer, std::string&) {
        commands.push_back(command);
        if (command.find(" mode") != std::string::npos) answer = "stopped";
        return true;
    });
    Sound_PlayFile("tune.mp3", Sound_Get(0)->GetSoundId(), false);
    commands.clear();
    Sound_StopFile("tune.mp3", Sound_Get(0)->GetSoundId());
    EXPECT_EQ(commands, (std::vector<std::string>{"status MediaFile1 mode", "close MediaFile1"}));
}

TEST_F(MusicTest, TheInterpreterPlaysMp3DevicesAndKnowsADriveWithoutADisc)
{
    Start(false, {});
    const std::string open = "open \"" + soundtest::DATA + "song.mp3\" type mpegvideo alias MediaFile7";
    // The second open fails: the alias is taken.
    const struct { std::string command; bool done; const char* answer; } steps[] = {
        {open, true, ""},                                 {open, false, ""},
        {"status MediaFile7 mode", true, "stopped"},      {"play MediaFile7", true, ""},
        {"status mediafile7 mode", true, "playing"},      {"setaudio MediaFile7 volume to 250", true, ""},
        {"pause MediaFile7", true, ""},                   {"status MediaFile7 mode", true, "paused"},
        {"resume MediaFile7", true, ""},                  {"stop MediaFile7", true, ""},
        {"close MediaFile7", true, ""},                   {"status MediaFile7 mode", false, ""},
        {"open \"/no/such.mp3\" type mpegvideo alias A", false, ""}, {"status cdaudio media present", true, "false"},
        {"status cdaudio mode", true, "not ready"},       {"play cdaudio from 1", false, ""},
        {"fly me to the moon", false, ""},                {"", false, ""},
    };
    for (const auto& step : steps) {
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
