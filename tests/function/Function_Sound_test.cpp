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
        g_ErrorLast.clear(); // a report an earlier test of the process left is not this test's
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
        "sound_* play:1 loop:1 stop:1 stop_all:0 ~ cd_* close_door:0 * MCI_command:1");
    functiontest::ExpectRegisteredRun(
        "sound_* exists:1 get_name:1 name:1 get_kind:1 ~ replace:4 delete:1");
}

TEST_F(SoundBuiltinTest, UnderTheNewerSystemTheOlderCallsAreSilentButThe3dNamesReport)
{
    Start(true, {Tone("beep")});
    const char* missing = "Sound does not exist.";
    const std::pair<functiontest::Case, const char*> cases[] = {
        {{"sound_play", {5}, 0}, ""}, {{"sound_volume", {5, 0.5}, 0}, ""}, {{"sound_effect_echo", {5, 0, 0, 0, 0, 0}, 0}, ""},
        {{"sound_3d_set_sound_position", {5, 0, 0, 0}, 0}, ""},
        {{"sound_3d_set_sound_velocity", {5, 0, 0, 0}, 0}, missing},
        {{"sound_3d_set_sound_cone", {5, 0, 0, 0, 0, 0, 0}, 0}, missing}, {{"sound_exists", {0}, 1}, ""},
        {{"sound_add", {"/no/such.wav", 0, 1}, 0}, ""}, {{"sound_delete", {0}, 0}, ""}, {{"audio_system", {}, 1}, ""},
        {{"audio_get_type", {0}, 0}, ""}, {{"audio_emitter_create", {}, 0}, ""},
    };
    for (const auto& [call, error] : cases) {
        functiontest::ExpectCases({call});
        EXPECT_EQ(TakeError(), error) << call.name;
    }
    double voice = CallReal("audio_play_sound", {0, 1, 0});
    EXPECT_GE(voice, AUDIO_FIRST_VOICE_ID);
    EXPECT_EQ(CallReal("sound_exists", {voice}), 1.0);
    EXPECT_EQ(CallReal("audio_sound_length", {0}), CallReal("audio_sound_length", {voice}));
}

TEST_F(SoundBuiltinTest, OlderSoundsPlayFadeAndChangeTheTable)
{
    Start(false, {Tone("beep", 2000), Music("song", "song.mp3")});
    functiontest::ExpectCases({{"audio_emitter_create", {}, -1}, {"audio_system", {}, 0}, {"sound_isplaying", {9}, 0}});
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
    functiontest::ExpectCases({{"sound_play", {1}, 0}, {"audio_music_is_playing", {}, 1}, {"sound_stop", {1}, 0},
                               {"sound_isplaying", {1}, 0}, {"sound_add", {"/no/such.wav", 0, 1}, -1}});
    EXPECT_EQ(Sound_Count(), 3);
    functiontest::ExpectCases({{"sound_get_name", {2}, "__newsound2"}, {"sound_get_kind", {1}, 1},
                               {"sound_get_preload", {1}, 1}, {"sound_delete", {1}, 1}, {"sound_get_kind", {1}, -1},
                               {"sound_delete", {1}, 0}});
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
    functiontest::ExpectCases({{"MCI_command", {"status cdaudio mode"}, "not ready"}, {"MCI_command", {"sing cdaudio"}, ""},
                               {"cd_present", {}, 0}, {"cd_track_length", {0}, 0}});
}

} // namespace
