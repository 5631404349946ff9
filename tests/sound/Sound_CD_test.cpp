// CD audio through a recording media device with scripted answers: the commands each operation
// sends and how the answers are read. The interpreter's own drive has no disc.
#include <map>

#include "SoundTestSupport.h"
#include "sound/Sound_CD.h"

namespace {

using Commands = std::vector<std::string>;

// A drive with a disc of ten tracks: fixed answers by command, every command recorded.
class Drive {
public:
    Commands sent;
    std::map<std::string, std::string> answers = {
        {"status cdaudio media present", "true"},  {"status cdaudio number of tracks", "10"},
        {"status cdaudio mode", "playing"},        {"status cdaudio position", "04:02:35:10"},
        {"status cdaudio length wait", "2400000"}, {"status cdaudio length track 3", "181000"},
    };
    Drive()
    {
        Mci_SetDevice([this](const std::string& command, std::string& answer, std::string&) {
            sent.push_back(command);
            if (answers.count(command) != 0) answer = answers[command];
            return true;
        });
    }
    ~Drive() { Mci_SetDevice({}); }
    // The commands sent after the presence checks ("open cdaudio" and the media queries).
    Commands Controls() const
    {
        Commands out;
        for (const std::string& command : sent)
            if (command != "open cdaudio" && command.rfind("status cdaudio m", 0) != 0 &&
                command != "status cdaudio number of tracks")
                out.push_back(command);
        return out;
    }
};

TEST(CdAudio, PlayAndPositionCommands)
{
    const std::string tmsf = "set cdaudio time format tmsf wait";
    const std::pair<void (*)(), Commands> cases[] = {
        {[] { CD_Play(3, 4); }, {tmsf, "play cdaudio from 3 to 5"}},
        {[] { CD_Play(3, 10); }, {tmsf, "play cdaudio from 3"}},
        {[] { CD_Play(0, 2); }, {tmsf, "play cdaudio from 1 to 3"}},
        {[] { CD_Play(5, 3); }, {tmsf}},
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
        EXPECT_EQ(drive.Controls(), controls);
    }
}

TEST(CdAudio, AnswersReadAsNumbers)
{
    Drive drive;
    EXPECT_TRUE(CD_Present() && CD_Playing() && !CD_Paused());
    EXPECT_EQ((std::vector<int>{10, 4, 155000, 2400000, 181000}),
              (std::vector<int>{CD_Number(), CD_Track(), CD_TrackPosition(), CD_Length(), CD_TrackLength(3)}));
    drive.answers["status cdaudio mode"] = "stopped";
    EXPECT_TRUE(CD_Paused());
    drive.answers["status cdaudio position"] = "07:0";
    EXPECT_EQ(CD_TrackPosition(), 0) << "too short for minutes";
    drive.sent.clear();
    EXPECT_EQ(CD_TrackLength(0), 0);
    EXPECT_EQ(drive.sent, Commands{"open cdaudio"}) << "no query for track 0";
    EXPECT_EQ(CD_TrackLength(11), 0);

    drive.answers["status cdaudio media present"] = "TRUE"; // the compare is exact: no disc
    drive.sent.clear();
    EXPECT_FALSE(CD_Present());
    EXPECT_EQ((std::vector<int>{0, 0, 0}), (std::vector<int>{CD_Number(), CD_Track(), CD_Position()}));
    CD_Play(1, 2);
    CD_SetTrackPosition(1000);
    EXPECT_EQ(drive.Controls(), (Commands{"set cdaudio time format tmsf wait", "set cdaudio time format milliseconds wait"}));
    Mci_SetDevice({});
    EXPECT_FALSE(CD_Present()) << "this platform's own drive";
    EXPECT_EQ(CD_Length(), 0);
}

} // namespace
