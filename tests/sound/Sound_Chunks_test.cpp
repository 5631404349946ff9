// The sound chunks as the game file holds them, for both systems, and malformed ones refused with a
// line that names the entry.
#include "SoundTestSupport.h"
#include "sound/Sound_Chunks.h"

namespace {

std::vector<uint8_t> Bytes(bool newAudio)
{
    gamebuild::GameDesc game;
    game.options.words[2] = newAudio ? 1 : 0;
    gamebuild::SoundDesc music = soundtest::Music("theme", "theme.mp3");
    music.volume = 0.25f;
    game.sounds = {soundtest::Tone("beep"), music, gamebuild::SoundDesc()};
    game.sounds.back().present = false;
    return BuildBytes(game);
}

uint32_t Body(const std::vector<uint8_t>& bytes, const char* tag) { return uint32_t(FindChunk(bytes, tag)) + 8; }

class SoundChunksTest : public testing::Test {
protected:
    void TearDown() override
    {
        Sound_Reset();
        g_GameOptions = GameOptions();
    }
    GameFile m_File;
    CapturedLog m_Log;
};

TEST_F(SoundChunksTest, BothSystemsReadTheEntries)
{
    ASSERT_TRUE(LoadBothPasses(m_File, Bytes(false)));
    EXPECT_TRUE(m_Log.Has("Sound_Init()\n") && m_Log.Has("Wave_Init()\n"));
    ASSERT_EQ(Sound_Count(), 3);
    EXPECT_STREQ(Sound_Get(1)->m_pFileName, "theme.mp3");
    EXPECT_STREQ(Sound_Get(1)->m_pExtension, ".mp3");
    EXPECT_EQ(Sound_Get(1)->m_Kind, 1);
    EXPECT_DOUBLE_EQ(Sound_Get(1)->m_Volume, 0.25);
    EXPECT_EQ(Sound_Get(2), nullptr);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_TRUE(SoundChunk_AudioData(Sound_Get(0)->m_AudioIndex, data, size));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 4), "RIFF");
    EXPECT_FALSE(SoundChunk_AudioData(1, data, size) || SoundChunk_AudioData(-1, data, size));

    Sound_Reset();
    ASSERT_TRUE(LoadBothPasses(m_File, Bytes(true)));
    EXPECT_TRUE(m_Log.Has("Audio_Load()\n") && m_Log.Has("Audio_WAVs()\n"));
    EXPECT_EQ((std::vector<int>{0, 1, -1, 1}),
              (std::vector<int>{Audio_IsStreamed(0), Audio_IsStreamed(1), Audio_IsStreamed(2), Audio_Find("theme")}));
    EXPECT_FLOAT_EQ(Audio_GetAsset(1)->gain, 0.25f);
}

TEST_F(SoundChunksTest, MalformedChunksAreRefused)
{
    using Damage = void (*)(std::vector<uint8_t>&);
    const std::pair<Damage, const char*> cases[] = {
        {[](std::vector<uint8_t>& b) { WriteWord(b, ReadWord(b, Body(b, "SOND") + 4), 0x7FFFFFF0u); },
         "SOND: entry 0: a text lies outside the file"},
        {[](std::vector<uint8_t>& b) { WriteWord(b, ReadWord(b, Body(b, "SOND") + 8) + 12, 0xFFFFFFFFu); },
         "SOND: entry 1: a text lies outside the file"},
        {[](std::vector<uint8_t>& b) { WriteWord(b, Body(b, "SOND") + 4, static_cast<uint32_t>(b.size() - 20)); },
         "SOND: entry 0: its record runs past the end of the file"},
        {[](std::vector<uint8_t>& b) { WriteWord(b, ReadWord(b, Body(b, "AUDO") + 4), 0xFFFFFFF0u); },
         "AUDO: entry 0: its image runs past the end of the file"},
    };
    for (bool newAudio : {false, true}) {
        for (const auto& [damage, line] : cases) {
            std::vector<uint8_t> bytes = Bytes(newAudio);
            damage(bytes);
            m_Log.Clear();
            EXPECT_FALSE(LoadBothPasses(m_File, bytes)) << line;
            EXPECT_TRUE(m_Log.Has(line)) << line << "\n" << m_Log.Text();
            Sound_Reset();
        }
    }
    // An audio index beyond the table (and negative as a signed word) means no data.
    std::vector<uint8_t> bytes = Bytes(false);
    WriteWord(bytes, ReadWord(bytes, Body(bytes, "SOND") + 4) + 32, 0x80000000u);
    ASSERT_TRUE(LoadBothPasses(m_File, bytes));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(SoundChunk_AudioData(Sound_Get(0)->m_AudioIndex, data, size));
}

} // namespace
