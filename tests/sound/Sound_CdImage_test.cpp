// The CD drive over a disc image the test writes: three tracks of different tones in one BIN file
// and a CUE sheet naming it. The cd_ built-ins query and play it through the media commands, and the
// samples handed to the silent back end are read back. Malformed sheets and tables of contents give
// no disc, never a read outside the image.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <tuple>
#include <fstream>
#include <unistd.h>

#include "../TestSupport_Builtins.h"
#include "SoundTestSupport.h"
#include "platform/Platform_TestSwitches.h"
#include "sound/Sound_CdDisc.h"
#include "sound/Sound_Stream.h"

// libcdio keeps the copy of a sheet's name it made when it refuses the sheet: a few bytes of the
// library's own for each refusal, not ours to free.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcdio.so\n";
}

namespace {

using testsupport::CallReal;

// Sectors of each track; track 2's length in milliseconds is 2493.33.
constexpr int32_t TRACK_FRAMES[] = {40, 187, 30};
constexpr int32_t TRACK_TONES[] = {441, 882, 1764};

std::vector<uint8_t> ToneSectors(int32_t frames, int32_t hertz)
{
    std::vector<uint8_t> bytes;
    for (int32_t i = 0; i < frames * CD_SECTOR_BYTES / 4; ++i) {
        auto sample = static_cast<int16_t>(12000 * std::sin(2 * M_PI * hertz * i / 44100.0));
        for (int channel = 0; channel < 2; ++channel) {
            bytes.push_back(static_cast<uint8_t>(sample & 0xFF));
            bytes.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
        }
    }
    return bytes;
}

std::string Index(int32_t sector)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", sector / 75 / 60, sector / 75 % 60, sector % 75);
    return text;
}

class CdImage : public soundtest::SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        char folder[] = "/tmp/kelvaro_cd_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(folder));
        m_Folder = folder;
        std::string cue = "FILE \"disc.bin\" BINARY\n";
        int32_t start = 0;
        for (int t = 0; t < 3; ++t) {
            m_Tracks.push_back(ToneSectors(TRACK_FRAMES[t], TRACK_TONES[t]));
            m_Bin.insert(m_Bin.end(), m_Tracks.back().begin(), m_Tracks.back().end());
            cue += "  TRACK 0" + std::to_string(t + 1) + " AUDIO\n    INDEX 01 " + Index(start) + "\n";
            start += TRACK_FRAMES[t];
        }
        Write("disc.bin", m_Bin);
        Write("disc.cue", cue);
        UseImage("disc.cue");
        SoundStream_SetWatcher([this](ALuint, const uint8_t* data, int32_t size) { m_Heard.insert(m_Heard.end(), data, data + size); });
    }
    void TearDown() override
    {
        SoundStream_SetWatcher({});
        SoundTest::TearDown(); // lets the drive go with the other media devices
        unsetenv("KELVARO_CD_IMAGE");
        TestSwitches_Reload();
        std::filesystem::remove_all(m_Folder);
    }
    template <class Bytes> void Write(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(m_Folder + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void UseImage(const std::string& name)
    {
        setenv("KELVARO_CD_IMAGE", (m_Folder + "/" + name).c_str(), 1);
        TestSwitches_Reload();
    }
    // True when what reached the back end starts a track's samples from `sector` on.
    bool HeardFrom(int32_t sector) const
    {
        size_t offset = size_t(sector) * CD_SECTOR_BYTES;
        return !m_Heard.empty() && offset + m_Heard.size() <= m_Bin.size() &&
               std::equal(m_Heard.begin(), m_Heard.end(), m_Bin.begin() + std::ptrdiff_t(offset));
    }
    std::string Send(const std::string& command)
    {
        char answer[64] = "";
        return Mci_SendString(command.c_str(), answer, sizeof answer) ? answer : "<failed>";
    }

    std::string m_Folder;
    std::vector<std::vector<uint8_t>> m_Tracks;
    std::vector<uint8_t> m_Bin;
    std::vector<uint8_t> m_Heard;
};

TEST_F(CdImage, TheBuiltinsPlayPauseAndPositionTheDisc)
{
    Start(false, {});
    EXPECT_EQ((std::vector<double>{1, 3, 2493, 0, 0, 3426}),
              (std::vector<double>{CallReal("cd_present", {}), CallReal("cd_number", {}), CallReal("cd_track_length", {2}),
                                   CallReal("cd_track_length", {0}), CallReal("cd_track_length", {4}), CallReal("cd_length", {})}));
    CallReal("cd_play", {2, 2});
    EXPECT_EQ((std::vector<double>{1, 2, 0}),
              (std::vector<double>{CallReal("cd_playing", {}), CallReal("cd_track", {}), CallReal("cd_paused", {})}));
    // The first two stream buffers are filled at once: track 2 from its start, no byte of another.
    EXPECT_EQ(size_t(2 * STREAM_AREA_SIZE), m_Heard.size());
    EXPECT_TRUE(HeardFrom(TRACK_FRAMES[0]));
    CallReal("cd_pause", {});
    EXPECT_EQ((std::vector<double>{1, 0, 2}),
              (std::vector<double>{CallReal("cd_paused", {}), CallReal("cd_playing", {}), CallReal("cd_track", {})}));

    // Paused, a track position is a seek; resuming plays from there to the disc's end.
    CallReal("cd_set_track_position", {1000});
    EXPECT_EQ((std::vector<double>{1000, (40 + 75) * 1000 / 75, 1, 0}),
              (std::vector<double>{CallReal("cd_track_position", {}), CallReal("cd_position", {}), CallReal("cd_paused", {}),
                                   CallReal("cd_playing", {})}));
    m_Heard.clear();
    CallReal("cd_resume", {});
    EXPECT_TRUE(CallReal("cd_playing", {}) == 1 && HeardFrom(TRACK_FRAMES[0] + 75));
    CallReal("cd_stop", {});
    EXPECT_EQ(0, CallReal("cd_playing", {}));
    CallReal("cd_open_door", {});
    EXPECT_EQ((std::vector<double>{0, 0}), (std::vector<double>{CallReal("cd_present", {}), CallReal("cd_number", {})}));
    CallReal("cd_close_door", {});
    EXPECT_EQ(1, CallReal("cd_present", {}));
}

// What a play leaves when its stream runs out: stopped, at the end of what it played.
TEST_F(CdImage, APlayThatEndsStopsAtItsEnd)
{
    Start(false, {});
    EXPECT_EQ("", Send("open cdaudio"));
    EXPECT_EQ("", Send("set cdaudio time format tmsf"));
    EXPECT_EQ("", Send("play cdaudio from 3:0:0:20"));
    for (int i = 0; i < 100 && Send("status cdaudio mode") == "playing"; ++i) { // 10 sectors: about 0.13 s
        Sound_Tick();
        usleep(10000);
    }
    EXPECT_EQ((std::vector<std::string>{"stopped", "03:00:00:30"}),
              (std::vector<std::string>{Send("status cdaudio mode"), Send("status cdaudio position")}));
}

TEST_F(CdImage, CommandsAnswerInTheirTimeFormat)
{
    Start(false, {});
    // Each command in turn, with its answer ("<failed>" when it fails).
    const std::pair<const char*, const char*> steps[] = {
        {"open cdaudio", ""},
        {"status cdaudio mode", "stopped"},
        {"status cdaudio position", "01:00:00:00"},
        {"status cdaudio length track 2", "00:02:37"},
        {"status cdaudio length", "00:03:32"},
        {"seek cdaudio to 2:0:1:5", ""},
        {"status cdaudio position", "02:00:01:05"},
        {"status cdaudio current track", "2"},
        {"set cdaudio time format msf wait", ""},
        {"status cdaudio position", "00:01:45"},
        {"set cdaudio time format milliseconds", ""},
        {"status cdaudio position", "1600"},
        {"status cdaudio length track 3", "400"},
        {"seek cdaudio to 1599", ""}, // the nearest sector: milliseconds read back seek to the same place
        {"status cdaudio position", "1600"},
        {"seek cdaudio to 3426", ""},
        {"status cdaudio position", "3426"},
        {"seek cdaudio to 3440", "<failed>"},
        {"set cdaudio time format tmsf", ""},
        {"status cdaudio position", "03:00:00:30"},
        // Positions that name nothing on the disc, and words that mean nothing.
        {"seek cdaudio to 4", "<failed>"},
        {"seek cdaudio to 0", "<failed>"},
        {"seek cdaudio to 1::2", "<failed>"},
        {"seek cdaudio to 1:2:3:4:5", "<failed>"},
        {"seek cdaudio to 1:99999999", "<failed>"},
        {"seek cdaudio to -1", "<failed>"},
        {"play cdaudio from 2 to 2", "<failed>"},
        {"play cdaudio from 3 to 1", "<failed>"},
        {"play cdaudio from", "<failed>"},
        {"play cdaudio over 2", "<failed>"},
        {"status cdaudio length track 9", "<failed>"},
        {"status cdaudio length track x", "<failed>"},
        {"status cdaudio colour", "<failed>"},
        {"set cdaudio time format bars", "<failed>"},
        {"status cdaudio mode", "stopped"},
        {"set cdaudio door open", ""},
        {"status cdaudio mode", "open"},
        {"status cdaudio media present", "false"},
        {"play cdaudio from 1", "<failed>"},
        {"set cdaudio door closed", ""},
        {"open cdaudio", ""},
        {"status cdaudio number of tracks", "3"},
    };
    for (const auto& [command, answer] : steps) EXPECT_EQ(answer, Send(command)) << command;
}

// Sheets that libcdio refuses, and sheets it reads into tables of contents that do not fit the image
// (it takes the BIN file of the sheet's base name, whatever the sheet names): a disc comes only from
// a table that fits. A data track is kept and plays as silence.
TEST_F(CdImage, MalformedSheetsGiveNoDisc)
{
    Start(false, {});
    std::vector<uint8_t> bin(size_t(10) * CD_SECTOR_BYTES + 7, 0x11); // ten sectors and a stray tail
    Write("bad.bin", bin);
    const std::string file = "FILE \"bad.bin\" BINARY\n";
    const std::string audioAt0 = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    const std::tuple<const char*, std::string, double, double> sheets[] = { // name, sheet, present, tracks
        {"empty", "", 0, 0},
        {"garbage", std::string("\xff\xfe\x00TRACK", 8), 0, 0},
        {"no file line", audioAt0, 0, 0},
        {"no tracks", file, 0, 0},
        {"past the bin", file + audioAt0 + "  TRACK 02 AUDIO\n    INDEX 01 00:00:20\n", 0, 0},
        {"backwards", file + "  TRACK 01 AUDIO\n    INDEX 01 00:00:06\n  TRACK 02 AUDIO\n    INDEX 01 00:00:04\n", 0, 0},
        {"same start", file + audioAt0 + "  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n", 0, 0},
        {"track 0", file + "  TRACK 00 AUDIO\n    INDEX 01 00:00:00\n", 0, 0},
        {"track 100", file + "  TRACK 100 AUDIO\n    INDEX 01 00:00:00\n", 0, 0},
        {"bad frame", file + "  TRACK 01 AUDIO\n    INDEX 01 00:00:99\n", 0, 0},
        {"another bin named", "FILE \"gone.bin\" BINARY\n" + audioAt0, 1, 1},
        {"first track late", file + "  TRACK 01 AUDIO\n    INDEX 01 00:00:05\n", 1, 1},
        {"data track first", file + "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:04\n", 1, 2},
    };
    for (const auto& [name, sheet, present, tracks] : sheets) {
        Write("bad.cue", sheet);
        UseImage("bad.cue");
        Send("close cdaudio");
        m_Heard.clear();
        EXPECT_EQ((std::vector<double>{present, tracks}), (std::vector<double>{CallReal("cd_present", {}), CallReal("cd_number", {})}))
            << name;
        EXPECT_EQ(present, CallReal("cd_track", {})) << name; // a disc starts at its first track
        CallReal("cd_play", {1, 1});
        EXPECT_EQ((std::vector<double>{present, present}), (std::vector<double>{CallReal("cd_playing", {}), CallReal("cd_track", {})}))
            << name;
        const std::string kind = name;
        std::vector<uint8_t> heard = kind == "data track first"   ? std::vector<uint8_t>(size_t(4) * CD_SECTOR_BYTES, 0)
                                     : kind == "first track late" ? std::vector<uint8_t>(size_t(5) * CD_SECTOR_BYTES, 0x11)
                                     : present != 0               ? bin
                                                                  : std::vector<uint8_t>();
        heard.resize(present != 0 ? heard.size() - (heard.size() % CD_SECTOR_BYTES) : 0);
        EXPECT_EQ(heard, m_Heard) << name;
    }
}

// libcdio's track table holds 99 entries and it trusts the sheet's count and order: the sheet is
// checked first. Every track is one sector of a 130-sector image.
TEST_F(CdImage, SheetsBeyondTheTrackTableAreRefused)
{
    Write("many.bin", std::vector<uint8_t>(size_t(130) * CD_SECTOR_BYTES, 0x22));
    auto sheet = [](std::vector<int32_t> numbers, const char* track = "TRACK") {
        std::string text = "FILE \"many.bin\" BINARY\n";
        for (size_t i = 0; i < numbers.size(); ++i)
            text += "  " + std::string(track) + " " + std::to_string(numbers[i]) + " AUDIO\n    INDEX 01 " +
                    Index(int32_t(i)) + "\n";
        return text;
    };
    auto rising = [](int32_t count) {
        std::vector<int32_t> numbers(size_t(count), 0);
        for (int32_t i = 0; i < count; ++i) numbers[size_t(i)] = i + 1;
        return numbers;
    };
    std::vector<int32_t> hundred = rising(99);
    hundred.push_back(99);
    const std::tuple<const char*, std::string, size_t> cases[] = { // name, sheet, tracks (0: refused)
        {"99 tracks", sheet(rising(99)), 99},
        {"100 tracks", sheet(hundred), 0},
        {"120 tracks", sheet(rising(120)), 0},
        {"120 tracks in lower case", sheet(rising(120), "track"), 0},
        {"repeated number", sheet({1, 2, 2, 3}), 0},
        {"falling numbers", sheet({1, 3, 2}), 0},
        {"gaps in rising numbers", sheet({1, 5, 9, 99}), 4},
        {"first track not 1", sheet({2, 5, 9}), 0},
        {"track 99 alone", sheet({99}), 0},
        {"first track far above the count", sheet({80, 90}), 0},
        {"no number", "FILE \"many.bin\" BINARY\n  TRACK\n", 0},
        {"signed number", sheet({1}) + "  TRACK +2 AUDIO\n    INDEX 01 00:00:05\n", 0},
        {"track before its file", "  TRACK 01 AUDIO\n" + sheet({2}), 0},
        {"NUL inside", sheet({1}) + std::string("REM \0 x\n", 8), 0},
        {"line libcdio would cut", sheet({1}) + "REM " + std::string(5000, 'x') + "\n", 0},
    };
    for (const auto& [name, text, tracks] : cases) {
        Write("many.cue", text);
        std::unique_ptr<CdDisc> disc = Cd_OpenImage(m_Folder + "/many.cue");
        EXPECT_EQ(tracks, disc != nullptr ? disc->Tracks().size() : 0) << name;
    }
}

TEST(CdToc, OnlyATableOfContentsThatFitsADiscIsTaken)
{
    auto toc = [](int32_t first, std::vector<int32_t> starts, int32_t leadOut) {
        return CdRawToc{first, starts, std::vector<bool>(starts.size(), true), leadOut};
    };
    std::vector<int32_t> many(100);
    for (size_t i = 0; i < many.size(); ++i) many[i] = int32_t(i) * 10;
    const std::pair<CdRawToc, size_t> cases[] = { // the table, the tracks taken
        {toc(1, {0, 150, 337}, 450), 3},      {toc(1, {}, 450), 0},          {toc(0, {0}, 450), 0},
        {toc(99, {0, 10}, 450), 0},           {toc(98, {0, 10}, 450), 2},    {toc(1, {-1, 10}, 450), 0},
        {toc(1, {0, 10, 10}, 450), 0},        {toc(1, {0, 500}, 450), 0},    {toc(1, {0}, 0), 0},
        {toc(1, {0}, CD_MAX_SECTORS + 1), 0}, {toc(1, many, 1000), 0},       {toc(1, {0}, CD_MAX_SECTORS), 1},
        {CdRawToc{1, {0, 10}, {true}, 20}, 0}};
    for (const auto& [raw, count] : cases) EXPECT_EQ(count, Cd_CheckToc(raw).size()) << raw.first << " " << raw.leadOut;
    std::vector<CdTrack> tracks = Cd_CheckToc(toc(1, {0, 150, 337}, 450));
    EXPECT_EQ((std::vector<int32_t>{2, 150, 187}), (std::vector<int32_t>{tracks[1].number, tracks[1].start, tracks[1].frames}));
}

} // namespace
