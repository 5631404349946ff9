// The Steam layer against a library that knows the engine's objects only as the published tables
// describe them: the virtual-table slot each operation reaches, the callback objects' fields, slots and
// record sizes, and the record bytes the handlers read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../TestSupport_Requests.h"
#include "Steam_FakeSupport.h"

using testsupport::CallBuiltin;
using testsupport::TestArg;

namespace {

class SteamSlots : public steamtest::FakeSteam {
  protected:
    void SetUp() override
    {
        FakeSteam::SetUp();
        Use("slots");
    }
    void TearDown() override
    {
        testsupport::FinishReady();
        FakeSteam::TearDown();
    }
    // The slots called since the last look, one "<interface> <slot>" each, with or without the client's.
    std::string Taken(bool withClient = false)
    {
        std::istringstream lines(Calls());
        std::string taken;
        for (std::string line; std::getline(lines, line);)
            if (withClient || line.rfind("Client ", 0) != 0) taken += (taken.empty() ? "" : ", ") + line;
        Command("reset");
        return taken;
    }
    static constexpr const char* SHOT = "slots_shot.png";
};

// The getters of SteamClient012 (user 5, friends 8, utils 9, user stats 13, remote storage 17,
// screenshots 18), its warning hook (21), the stats request and the screenshot hook; the first frame
// brings the stats, checked against the application id (utils 9).
TEST_F(SteamSlots, StartUpAsksTheClientForEachInterface)
{
    std::string log = Start("slots");
    EXPECT_EQ(std::string::npos, log.find("ERROR")) << log;
    EXPECT_EQ("Client 8, Client 17, Client 18, Client 5, Client 13, Client 9, Client 21, Client 13, UserStats 0, "
              "Client 18, Screenshots 3",
              Taken(true));
    EXPECT_EQ("Received stats and achievements from Steam\n", Frame());
    EXPECT_EQ("Client 9, Utils 9", Taken(true));
    testsupport::ConsoleCapture quiet;
    Steam_Shutdown();
    EXPECT_EQ("", Taken(true));
}

// Each row: the built-in, its arguments, then the slots reached by the call and by each following
// frame (with the requests finished in it). Slots as published for the versions the engine asks for.
TEST_F(SteamSlots, EachOperationReachesItsPublishedSlot)
{
    std::ofstream(SHOT) << "png";
    Start("slots");
    Frame();
    Taken();
    struct Row {
        const char* builtin;
        std::vector<TestArg> args;
        std::vector<const char*> steps;
    } rows[] = {
        {"steam_get_persona_name", {}, {"Friends 0"}},
        {"steam_activate_overlay", {5}, {"Friends 22"}},
        {"steam_is_overlay_enabled", {}, {"Utils 17"}},
        {"steam_is_cloud_enabled_for_app", {}, {"RemoteStorage 19"}},
        {"steam_is_cloud_enabled_for_account", {}, {"RemoteStorage 18"}},
        {"steam_file_persisted", {"f"}, {"RemoteStorage 11"}},
        {"steam_get_quota_total", {}, {"RemoteStorage 17"}},
        {"steam_get_quota_free", {}, {"RemoteStorage 17"}},
        {"steam_file_write", {"f", "data", 4}, {"RemoteStorage 2, RemoteStorage 0, RemoteStorage 5"}},
        {"steam_file_read", {"f"}, {"RemoteStorage 10, RemoteStorage 12, RemoteStorage 1"}},
        {"steam_file_delete", {"f"}, {"RemoteStorage 3"}},
        {"steam_file_exists", {"f"}, {"RemoteStorage 10"}},
        {"steam_file_size", {"f"}, {"RemoteStorage 12"}},
        {"steam_file_share", {"f"}, {"User 1, RemoteStorage 10, RemoteStorage 4", ""}},
        {"steam_publish_workshop_file", {"f", "", "t", "d"},
         {"RemoteStorage 10, User 1, RemoteStorage 4", "Utils 9, RemoteStorage 27", ""}},
        {"steam_send_screenshot", {SHOT, 8, 8}, {"Screenshots 1"}},
        {"steam_is_user_logged_on", {}, {"User 1"}},
        {"steam_get_user_steam_id", {}, {"User 2"}},
        {"steam_set_achievement", {"a"}, {"UserStats 7", "UserStats 10"}},
        {"steam_get_achievement", {"a"}, {"UserStats 6"}},
        {"steam_clear_achievement", {"a"}, {"UserStats 8", "UserStats 10"}},
        {"steam_set_stat_int", {"s", 1}, {"UserStats 3", "UserStats 10"}},
        {"steam_set_stat_float", {"s", 1.5}, {"UserStats 4", "UserStats 10"}},
        {"steam_set_stat_avg_rate", {"s", 1, 2}, {"UserStats 5", "UserStats 10"}},
        {"steam_get_stat_int", {"s"}, {"UserStats 1"}},
        {"steam_get_stat_float", {"s"}, {"UserStats 2"}},
        {"steam_get_stat_avg_rate", {"s"}, {"UserStats 2"}},
        {"steam_reset_all_stats", {}, {"UserStats 21", "UserStats 10"}},
        {"steam_reset_all_stats_achievements", {}, {"UserStats 21", "UserStats 10"}},
        {"steam_create_leaderboard", {"made", 1, 1}, {"User 1, UserStats 22", ""}},
        {"steam_upload_score", {"up", 5}, {"User 1, UserStats 23", "UserStats 24, UserStats 31", "UserStats 24"}},
        {"steam_download_scores", {"down", 1, 2},
         {"User 1, UserStats 23", "UserStats 24, UserStats 28", "UserStats 24, UserStats 30, Friends 7"}},
        {"steam_download_friends_scores", {"down"}, {"User 1, UserStats 28", "UserStats 24, UserStats 30, Friends 7"}},
    };
    testsupport::ConsoleCapture quiet;
    for (const Row& row : rows) {
        CallBuiltin(row.builtin, row.args);
        EXPECT_EQ(row.steps[0], Taken()) << row.builtin;
        for (size_t step = 1; step < row.steps.size(); ++step) {
            Steam_Process();
            testsupport::FinishReady();
            EXPECT_EQ(row.steps[step], Taken()) << row.builtin << " frame " << step;
        }
    }
    // Only this test makes the file: the others run beside it in the same folder.
    std::filesystem::remove(SHOT);
}

// The handlers read the library's records where it writes them, and the engine's callback objects
// report the published sizes (a wrong size or a listener left behind would show in the call log).
TEST_F(SteamSlots, RecordsAreReadWhereTheLibraryWritesThem)
{
    Start("slots");
    EXPECT_EQ("Received stats and achievements from Steam\n", Frame());
    CallBuiltin("steam_upload_score", {"up", 5});
    int id = int(CallBuiltin("steam_download_scores", {"up", 1, 2}).real);
    CallBuiltin("steam_file_share", {"f"});
    CallBuiltin("steam_publish_workshop_file", {"f", "", "t", "d"});
    EXPECT_EQ("found leaderboard: up\nSending queued LB get: name, " + std::to_string(id) +
                  ", 0, 1, 2 \nSending queued LB post: name, 5 \nFile share success\nFile share success\n",
              Frame());
    EXPECT_EQ("got scores for lb:name 1 entries\nuploaded score 5 to lb name\nworkshop publish success\n", Frame());
    testsupport::ConsoleCapture quiet;
    Steam_Shutdown();
    std::string calls = Calls();
    EXPECT_EQ(std::string::npos, calls.find("record ")) << calls;
    EXPECT_EQ(std::string::npos, calls.find("listeners left")) << calls;
}

} // namespace
