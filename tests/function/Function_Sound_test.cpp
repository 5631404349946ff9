// The Sound family and the sound-resource group, called by script name over games of either sound
// system (OpenAL's silent back end).
#include "../sound/SoundTestSupport.h"
#include "Function_TestCases.h"
#include "function/Function_Families.h"

namespace {

using soundtest::Music;
using soundtest::Tone;
using testsupport::CallReal;
using testsupport::CallText;

void RegisterResourceSounds()
{
    testsupport::RegisterBuiltins();
    int32_t id = -1;
    // The resource registrar adds this group at its place; until it does, the test adds it here.
    if (!Code_Function_Find("sound_exists", &id)) Function_ResourceSounds_Register();
}

class SoundBuiltinTest : public soundtest::SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        RegisterResourceSounds();
        g_GameOptions.showErrors = false;
    }
    // The message of the last report ("" when none), out of the report's frame.
    std::string TakeError()
    {
        std::string last = g_ErrorLast;
        g_ErrorLast.clear();
        for (const char* message : {"Sound does not exist.", "Trying to delete non-existing sound.",
                                    "Trying to replace non-existing sound."})
            if (last.find(std::string("\n") + message + "\n") != std::string::npos) return message;
        return last;
    }
};

TEST(SoundFamily, RegistersItsMembersInOrder)
{
    RegisterResourceSounds();
    functiontest::ExpectRegisteredRun(
        "sound_play 1,sound_loop 1,sound_stop 1,sound_stop_all 0,sound_isplaying 1,sound_volume 2,sound_fade 3,"
        "sound_pan 2,sound_background_tempo 1,sound_global_volume 1,sound_set_search_directory 1,"
        "sound_effect_set 2,sound_effect_chorus 8,sound_effect_compressor 7,sound_effect_echo 6,"
        "sound_effect_flanger 8,sound_effect_gargle 3,sound_effect_equalizer 4,sound_effect_reverb 5,"
        "sound_3d_set_sound_position 4,sound_3d_set_sound_velocity 4,sound_3d_set_sound_distance 3,"
        "sound_3d_set_sound_cone 7,audio_system 0,audio_listener_position 3,audio_listener_velocity 3,"
        "audio_listener_orientation 6,audio_falloff_set_model 1,audio_master_gain 1,audio_channel_num 1,"
        "audio_emitter_create 0,audio_emitter_free 1,audio_emitter_exists 1,audio_emitter_position 4,"
        "audio_emitter_velocity 4,audio_emitter_gain 2,audio_emitter_pitch 2,audio_emitter_falloff 4,"
        "audio_play_sound 3,audio_play_sound_on 4,audio_play_sound_at 9,audio_stop_sound 1,audio_pause_sound 1,"
        "audio_resume_sound 1,audio_pause_all 0,audio_resume_all 0,audio_stop_all 0,audio_exists 1,"
        "audio_is_playing 1,audio_get_type 1,audio_sound_gain 3,audio_sound_pitch 2,audio_sound_length 1,"
        "audio_play_music 2,audio_stop_music 0,audio_pause_music 0,audio_resume_music 0,"
        "audio_music_is_playing 0,audio_music_gain 2,cd_init 0,cd_present 0,cd_number 0,cd_playing 0,"
        "cd_paused 0,cd_track 0,cd_length 0,cd_track_length 1,cd_position 0,cd_track_position 0,cd_play 2,"
        "cd_stop 0,cd_pause 0,cd_resume 0,cd_set_position 1,cd_set_track_position 1,cd_open_door 0,"
        "cd_close_door 0,MCI_command 1");
    functiontest::ExpectRegisteredRun(
        "sound_exists 1,sound_get_name 1,sound_name 1,sound_get_kind 1,sound_get_preload 1,sound_discard 1,"
        "sound_restore 1,sound_add 3,sound_replace 4,sound_delete 1");
}

TEST_F(SoundBuiltinTest, UnderTheNewerSystemTheOlderCallsAreSilentButThe3dNamesReport)
{
    Start(true, {Tone("beep")});
    struct Case {
        const char* name;
        std::vector<testsupport::TestArg> args;
        double result;
        const char* error;
    };
    const Case cases[] = {
        {"sound_play", {5}, 0, ""},
        {"sound_volume", {5, 0.5}, 0, ""},
        {"sound_effect_echo", {5, 0, 0, 0, 0, 0}, 0, ""},
        {"sound_3d_set_sound_position", {5, 0, 0, 0}, 0, ""},
        {"sound_3d_set_sound_velocity", {5, 0, 0, 0}, 0, "Sound does not exist."},
        {"sound_3d_set_sound_cone", {5, 0, 0, 0, 0, 0, 0}, 0, "Sound does not exist."},
        {"sound_exists", {0}, 1, ""},
        {"sound_add", {"/no/such.wav", 0, 1}, 0, ""},
        {"sound_delete", {0}, 0, ""},
        {"audio_system", {}, 1, ""},
        {"audio_get_type", {0}, 0, ""},
        {"audio_emitter_create", {}, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testsupport::CallBuiltin(c.name, c.args).real, c.result) << c.name;
        EXPECT_EQ(TakeError(), c.error) << c.name;
    }
    double voice = CallReal("audio_play_sound", {0, 1, 0});
    EXPECT_GE(voice, AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(CallReal("sound_exists", {voice}), 1.0);
    EXPECT_EQ(CallReal("audio_sound_length", {0}), CallReal("audio_sound_length", {voice}));
}

TEST_F(SoundBuiltinTest, OlderSoundsPlayFadeAndChangeTheTable)
{
    Start(false, {Tone("beep", 2000), Music("song", "song.mp3")});
    EXPECT_EQ(CallReal("audio_emitter_create", {}), -1.0);
    EXPECT_EQ(CallReal("audio_system", {}), 0.0);
    EXPECT_EQ(CallReal("sound_isplaying", {9}), 0.0);
    EXPECT_EQ(TakeError(), "");
    CallReal("sound_stop", {9});
    EXPECT_EQ(TakeError(), "Sound does not exist.");

    CallReal("sound_fade", {0, 0.5, 1000});
    EXPECT_DOUBLE_EQ(Sound_Get(0)->m_Volume, 1.0) << "a fade keeps the stored volume";
    CallReal("sound_volume", {0, 0.25});
    EXPECT_DOUBLE_EQ(Sound_Get(0)->m_Volume, 0.25);
    CallReal("sound_loop", {0});
    EXPECT_EQ(CallReal("sound_isplaying", {0}), 1.0);
    Sound_Tick();
    EXPECT_FLOAT_EQ(Sound_ChannelSample(Sound_Get(0)->GetSoundId())->volume, 0.25f);
    CallReal("sound_play", {1});
    EXPECT_EQ(CallReal("audio_music_is_playing", {}), 1.0);
    CallReal("sound_stop", {1});
    EXPECT_EQ(CallReal("sound_isplaying", {1}), 0.0);

    EXPECT_EQ(CallReal("sound_add", {"/no/such.wav", 0, 1}), -1.0);
    EXPECT_EQ(Sound_Count(), 3);
    EXPECT_EQ(CallText("sound_get_name", {2}), "__newsound2");
    EXPECT_EQ(CallReal("sound_get_kind", {1}), 1.0);
    EXPECT_EQ(CallReal("sound_get_preload", {1}), 1.0);
    EXPECT_EQ(CallReal("sound_delete", {1}), 1.0);
    EXPECT_EQ(CallReal("sound_get_kind", {1}), -1.0);
    EXPECT_EQ(CallReal("sound_delete", {1}), 0.0);
    EXPECT_EQ(TakeError(), "Trying to delete non-existing sound.");
    EXPECT_EQ(CallReal("sound_replace", {1, "x.wav", 0, 0}), 0.0);
    EXPECT_EQ(TakeError(), "Trying to replace non-existing sound.");
    EXPECT_EQ(CallText("sound_name", {-1}), "<undefined>");
}

TEST_F(SoundBuiltinTest, MusicLoopsOnlyForAWholeOneAndMediaCommandsAnswerText)
{
    std::vector<std::string> plays;
    Mci_SetDevice([&](const std::string& command, std::string&, std::string&) {
        if (command.rfind("play ", 0) == 0) plays.push_back(command);
        return true;
    });
    Start(true, {Music("theme", "theme.mp3")});
    CallReal("audio_play_music", {0, 0.4});
    CallReal("audio_play_music", {0, 1});
    EXPECT_EQ(plays, (std::vector<std::string>{"play MediaFile1", "play MediaFile2 repeat"}));
    Mci_SetDevice({});
    EXPECT_EQ(CallText("MCI_command", {"status cdaudio mode"}), "not ready");
    EXPECT_EQ(CallText("MCI_command", {"sing cdaudio"}), "");
    EXPECT_EQ(CallReal("cd_present", {}), 0.0);
    EXPECT_EQ(CallReal("cd_track_length", {0}), 0.0);
}

} // namespace
