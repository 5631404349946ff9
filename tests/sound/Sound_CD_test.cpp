// CD audio through a recording media device with scripted answers: the commands each operation
// sends and how the answers are read. The interpreter's own drive has no disc.
#include <map>

#include "SoundTestSupport.h"
#include "sound/Sound_CD.h"

namespace {

// A drive with a disc of ten tracks: fixed answers by command, every command recorded.
class Drive {
public:
    std::vector<std::string> sent;
    std::map<std::string, std::string> answers = {
        {"status cdaudio media present", "true"},
        {"status cdaudio number of tracks", "10"},
        {"status cdaudio mode", "playing"},
        {"status cdaudio position", "04:02:35:10"},
        {"status cdaudio length wait", "2400000"},
        {"status cdaudio length track 3", "181000"},
    };
    Drive()
    {
        Mci_SetDevice([this](const std::string& command, std::string& answer, std::string&) {
            sent.push_back(command);
            auto found = answers.find(command);
            if (found != answers.end()) answer = found->second;
            return true;
        });
    }
    ~Drive() { Mci_SetDevice({}); }
    // The commands sent after the presence checks ("open cdaudio" and the media query).
    std::vector<std::string> Controls() const
    {
        std::vector<std::string> out;
        for (const std::string& command : sent)
            if (command != "open cdaudio" && command != "status cdaudio media present" &&
                command != "status cdaudio number of tracks" && command != "status cdaudio mode")
                out.push_back(command);
        return out;
    }
};

using Commands = std::vector<std::string>;

TEST(CdAudio, PlayAndPositionCommands)
{
    struct Case {
        const char* what;
        void (*run)();
        Commands controls;
    };
    const Case cases[] = {
        {"play 3 to 4", [] { CD_Play(3, 4); }, {"set cdaudio time format tmsf wait", "play cdaudio from 3 to 5"}},
        {"play 3 to 10", [] { CD_Play(3, 10); }, {"set cdaudio time format tmsf wait", "play cdaudio from 3"}},
        {"play 0 to 2", [] { CD_Play(0, 2); }, {"set cdaudio time format tmsf wait", "play cdaudio from 1 to 3"}},
        {"play 5 to 3", [] { CD_Play(5, 3); }, {"set cdaudio time format tmsf wait"}},
        {"track position 95000", [] { CD_SetTrackPosition(95000); },
         {"set cdaudio time format tmsf wait", "status cdaudio position", "set cdaudio time format tmsf wait",
          "play cdaudio from 4:1:35", "set cdaudio time format tmsf"}},
        {"position 5000", [] { CD_SetPosition(5000); },
         {"set cdaudio time format milliseconds wait", "play cdaudio from 5000", "set cdaudio time format tmsf"}},
        {"stop, pause, resume", [] { CD_Stop(), CD_Pause(), CD_Resume(); },
         {"stop cdaudio", "pause cdaudio", "play cdaudio"}},
        {"doors", [] { CD_OpenDoor(), CD_CloseDoor(); }, {"set cdaudio door open", "set cdaudio door closed"}},
        {"init", [] { CD_Init(); }, {"close cdaudio"}},
    };
    for (const Case& c : cases) {
        Drive drive;
        c.run();
        EXPECT_EQ(drive.Controls(), c.controls) << c.what;
    }
}

TEST(CdAudio, AnswersReadAsNumbers)
{
    Drive drive;
    EXPECT_TRUE(CD_Present());
    EXPECT_EQ(CD_Number(), 10);
    EXPECT_EQ(CD_Track(), 4);
    EXPECT_EQ(CD_TrackPosition(), 155000);
    EXPECT_EQ(CD_Length(), 2400000);
    EXPECT_EQ(CD_TrackLength(3), 181000);
    EXPECT_TRUE(CD_Playing());
    EXPECT_FALSE(CD_Paused());
    drive.answers["status cdaudio mode"] = "stopped";
    EXPECT_TRUE(CD_Paused());
    drive.answers["status cdaudio position"] = "07:0";
    EXPECT_EQ(CD_TrackPosition(), 0) << "too short for minutes";

    drive.sent.clear();
    EXPECT_EQ(CD_TrackLength(0), 0);
    EXPECT_EQ(drive.sent, Commands{"open cdaudio"}) << "no query for track 0";
    EXPECT_EQ(CD_TrackLength(11), 0);
}

TEST(CdAudio, ADriveWithoutADiscAnswersNothingAndDoesNothing)
{
    Drive drive;
    drive.answers["status cdaudio media present"] = "TRUE"; // the compare is exact
    EXPECT_FALSE(CD_Present());
    EXPECT_EQ(CD_Number(), 0);
    EXPECT_EQ(CD_Track(), 0);
    EXPECT_EQ(CD_Position(), 0);
    CD_Play(1, 2);
    CD_SetTrackPosition(1000);
    EXPECT_EQ(drive.Controls(), (Commands{"set cdaudio time format tmsf wait", "set cdaudio time format milliseconds wait"}));
    Mci_SetDevice({});
    EXPECT_FALSE(CD_Present()) << "this platform's own drive";
    EXPECT_EQ(CD_Length(), 0);
}

} // namespace
