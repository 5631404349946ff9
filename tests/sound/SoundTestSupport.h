// A game with sounds, built by the builder and loaded by both chunk passes, with the sound hardware
// made as game preparation makes it, over OpenAL's silent back end.
#pragma once

#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../gamefile/GameFileTestSupport.h"
#include "app/App_CommandLine.h"
#include "gamebuild/GameBuild_Chunks.h"
#include "gamefile/GameFile_Services.h"
#include "sound/Sound_Audio.h"
#include "sound/Sound_Main.h"
#include "sound/Sound_Mci.h"

namespace soundtest {

inline const std::string DATA = KELVARO_SOURCE_DIR "/tests/sound/data/";

inline gamebuild::SoundDesc Tone(const std::string& name, int32_t milliseconds = 300)
{
    gamebuild::SoundDesc sound;
    sound.name = name;
    sound.fileName = name + ".wav";
    gamebuild::ToneDesc tone;
    tone.milliseconds = milliseconds;
    sound.data = gamebuild::MakeToneWav(tone);
    return sound;
}

inline gamebuild::SoundDesc Music(const std::string& name, const std::string& fileName)
{
    gamebuild::SoundDesc sound;
    sound.name = name;
    sound.kind = 1;
    sound.extension = fileName.substr(fileName.find_last_of('.'));
    sound.fileName = fileName;
    return sound;
}

// OpenAL Soft numbers sources from 1 and gives freed names out again, and its silent back end has
// 256 of them: the sources in use are the live names below that.
inline int32_t SourcesInUse(ALint state = 0)
{
    int32_t count = 0;
    for (ALuint source = 1; source <= 1024; ++source) {
        if (!alIsSource(source)) continue;
        ALint now = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &now);
        count += state == 0 || now == state ? 1 : 0;
    }
    return count;
}

// A folder of the test's own, made afresh.
inline std::string FreshFolder(const std::string& name)
{
    std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / (name + "_" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string() + "/";
}

class SoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 1);
        g_NoAudio = 0;
        Music_SetFolder(DATA.c_str());
    }
    void TearDown() override
    {
        Sound_Quit();
        Sound_FreeAll();
        delete g_pSoundHardware;
        g_pSoundHardware = nullptr;
        Sound_Reset();
        Mci_SetDevice({});
        Music_SetFolder("");
        g_NoAudio = 0;
        g_GameOptions = GameOptions();
    }
    // Loads the game and prepares its sounds as start-up does.
    void Start(bool newAudio, const std::vector<gamebuild::SoundDesc>& sounds)
    {
        gamebuild::GameDesc game;
        game.options.words[2] = newAudio ? 1 : 0;
        game.sounds = sounds;
        ASSERT_TRUE(LoadBothPasses(m_File, BuildBytes(game)));
        g_GameOptions.showErrors = false;
        SoundHardware_Create();
        Audio_PrepareBuffers();
        Sound_PrepareAll();
    }
    GameFile m_File;
    CapturedLog m_Log;
};

} // namespace soundtest
