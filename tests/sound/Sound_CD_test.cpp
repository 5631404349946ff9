// CD audio through a recording media device with scripted answers: the commands each operation
// sends and how the answers are read. The interpreter's own drive has no disc.
#include <map>

#include "SoundTestSupport.h"
#include "sound/Sound_CD.h"

namespace {

using Commands = std::vector<std::string>;

// A drive with a disc of ten tracks: fixed answers by command, the commands after the presence
// checks ("open cdaudio" and the media queries) recorded.
struct Drive {
    Commands controls;
    std::map<std::string, std::string> answers = {
        {"status cdaudio media present", "true"},  {"status cdaudio number of tracks", "10"},
        {"status cdaudio mode", "playing"},        {"status cdaudio position", "04:02:35:10"},
        {"status cdaudio length wait", "2400000"}, {"status cdaudio length track 3", "181000"}};
    Drive()
    {
        Mci_SetDevice([this](const std::string& command, std::string& answer, std::string&) {
            if (command != "open cdaudio" && command.rfind("status cdaudio m", 0) != 0 && command != "status cdaudio number of tracks")
                controls.push_back(command);
            if (answers.count(command) != 0) answer = answers[command];
            return true;
        });
    }
    ~Drive() { Mci_SetDevice({}); }
};

TEST(CdAudio, CommandsAndAnswers)
{
    // The end track past the disc's last is left out; a track position is set from the playing
    // track (4).
    const std::string tmsf = "set cdaudio time format tmsf wait";
    const std::pair<void (*)(), Commands> cases[] = {
        {[] { CD_Play(3, 4); }, {tmsf, "play cdaudio from 3 to 5"}},
        {[] { CD_Play(3, 10); }, {tmsf, "play cdaudio from 3"}},
        {[] { CD_SetTrackPosition(95000); },
         {tmsf, "status cdaudio position", tmsf, "play cdaudio from 4:1:35", "set cdaudio time format tmsf"}},
        {[] { CD_SetPosition(5000); },
         {"set cdaudio time format milliseconds wait", "play cdaudio from 5000", "set cdaudio time format tmsf"}},
        {[] { CD_Stop(), CD_Pause(), CD_Resume(); }, {"stop cdaudio", "pause cdaudio", "play cdaudio"}},
        {[] { CD_OpenDoor(), CD_CloseDoor(); }, {"set cdaudio door open", "set cdaudio door closed"}},
        {[] { CD_Init(); }, {"close cdaudio"}},
    };
    for (const auto& [run, controls] : cases) {
        Drive drive;
        run();
        EXPECT_EQ(drive.controls, controls);
    }
    Drive drive; // the answers read as numbers
    EXPECT_EQ((std::vector<int>{1, 0, 10, 4, 155000, 2400000, 181000, 0}),
              (std::vector<int>{CD_Playing(), CD_Paused(), CD_Number(), CD_Track(), CD_TrackPosition(), CD_Length(),
                                CD_TrackLength(3), CD_TrackLength(11)}));
    drive.answers["status cdaudio mode"] = "stopped";
    EXPECT_TRUE(CD_Paused());
    // Without a disc (the compare is exact) nothing is read or played.
    drive.answers["status cdaudio media present"] = "TRUE";
    drive.controls.clear();
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), (std::vector<int>{CD_Present(), CD_Number(), CD_Track(), CD_Position()}));
    CD_Play(1, 2);
    CD_SetTrackPosition(1000);
    EXPECT_EQ(drive.controls, (Commands{"set cdaudio time format tmsf wait", "set cdaudio time format milliseconds wait"}));
}

} // namespace
