// The sound chunks written out word by word from their layouts and read by both systems' readers,
// and malformed ones refused with a line that names the entry.
#include <bit>

#include "SoundTestSupport.h"
#include "sound/Sound_Chunks.h"

namespace {

// SOND: three slots, the last empty; a sound kept in memory (name, kind 0, extension, file name,
// effects, volume 1, pan, preload, audio index 0) and a music of volume 0.25 without data. AUDO at
// 88: one entry of four bytes. Then the texts.
const uint32_t BEEP = 16, THEME = BEEP + 36, AUDO = THEME + 36, TEXT = AUDO + 16;
std::vector<uint8_t> HandWrittenChunks()
{
    auto f = [](float value) { return std::bit_cast<uint32_t>(value); };
    std::vector<uint8_t> bytes = Words({3, BEEP, THEME, 0, TEXT, 0, TEXT + 5, TEXT + 10, 0, f(1), f(0), 1, 0, TEXT + 19, 1,
                                        TEXT + 25, TEXT + 30, 0, f(0.25f), f(0), 0, 0xFFFFFFFF, 1, AUDO + 8, 4});
    for (char c : std::string("RIFFbeep\0.wav\0beep.wav\0theme\0.mp3\0theme.mp3\0", 44)) bytes.push_back(uint8_t(c));
    return bytes;
}

// Both chunks through the readers of the system the option names.
bool Read(GameFile& file, const std::vector<uint8_t>& bytes, bool newAudio)
{
    LoadInto(file, bytes);
    Sound_Reset();
    g_GameOptions.newAudio = newAudio;
    return newAudio ? Audio_Load(file, 0, BEEP) && Audio_WAVs(file, AUDO, 8) : Sound_Init(file, 0, BEEP) && Wave_Init(file, AUDO, 8);
}

TEST(SoundChunks, BothSystemsReadTheHandWrittenEntriesAndRefuseMalformedOnes)
{
    GameFile file;
    CapturedLog log;
    ASSERT_TRUE(Read(file, HandWrittenChunks(), false));
    EXPECT_TRUE(log.Has("Sound_Init()\n") && log.Has("Wave_Init()\n"));
    const CSound* theme = Sound_Get(1);
    EXPECT_EQ((std::vector<std::string>{"3", "theme.mp3", ".mp3", "1", "0.250000", "0"}),
              (std::vector<std::string>{std::to_string(Sound_Count()), theme->m_pFileName, theme->m_pExtension,
                                        std::to_string(theme->m_Kind), std::to_string(theme->m_Volume), std::to_string(Sound_Exists(2))}));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(SoundChunk_AudioData(Sound_Get(0)->m_AudioIndex, data, size));
    EXPECT_EQ(std::string("RIFF"), std::string(reinterpret_cast<const char*>(data), size));
    EXPECT_FALSE(SoundChunk_AudioData(1, data, size) || SoundChunk_AudioData(-1, data, size));

    ASSERT_TRUE(Read(file, HandWrittenChunks(), true));
    EXPECT_TRUE(log.Has("Audio_Load()\n") && log.Has("Audio_WAVs()\n"));
    EXPECT_EQ((std::vector<double>{0, 1, -1, 1, 0.25}),
              (std::vector<double>{double(Audio_IsStreamed(0)), double(Audio_IsStreamed(1)), double(Audio_IsStreamed(2)),
                                   double(Audio_Find("theme")), Audio_GetAsset(1)->gain}));

    const std::vector<uint8_t> good = HandWrittenChunks();
    const auto end = static_cast<uint32_t>(good.size());
    // Each line names the entry, where its record lies, and what lies outside the file.
    const std::tuple<uint32_t, uint32_t, std::string> cases[] = {
        {BEEP, 0x7FFFFFF0u, EntryRefusal("SOND", "sound 0", BEEP, end).Outside("its name", 2147483632)},
        {THEME + 12, 0xFFFFFFFFu, EntryRefusal("SOND", "sound 1", THEME, end).Outside("its file name", 4294967295)},
        {4, end - 20, EntryRefusal("SOND", "sound 0", end - 20, end).Past("its record", end - 20, 36)},
        {AUDO + 8, 0xFFFFFFF0u,
         EntryRefusal("AUDO", "audio entry 0", AUDO + 8, end).Past("its image", AUDO + 12, 4294967280)}};
    for (bool newAudio : {false, true}) {
        for (const auto& [at, value, line] : cases) {
            std::vector<uint8_t> bytes = good;
            WriteWord(bytes, at, value);
            log.Clear();
            EXPECT_FALSE(Read(file, bytes, newAudio)) << line;
            EXPECT_TRUE(log.Has(line + "\n")) << line << "\n" << log.Text();
        }
    }
    // An audio index beyond the table (and negative as a signed word) means no data.
    std::vector<uint8_t> bytes = good;
    WriteWord(bytes, BEEP + 32, 0x80000000u);
    ASSERT_TRUE(Read(file, bytes, false));
    EXPECT_FALSE(SoundChunk_AudioData(Sound_Get(0)->m_AudioIndex, data, size));
    Sound_Reset();
    g_GameOptions = GameOptions();
}

} // namespace
