// The Steam layer against the stand-in library: start-up and its failures, the built-ins with and
// without Steam, overlay, stats, cloud files, workshop publishing and screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../TestSupport_SaveArea.h"
#include "Steam_FakeSupport.h"
#include "steam/Steam_Functions.h"
#include "steam/Steam_RemoteStorage.h"
#include "steam/Steam_UserStats.h"

namespace fs = std::filesystem;
using functiontest::RoutineOf;
using testsupport::CallBuiltin;
using testsupport::TestArg;

namespace {

class SteamLayer : public steamtest::FakeSteam {};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SteamLayer, RegistersTheFamilyInOrder)
{
    functiontest::ExpectRegisteredRun(
        "steam_* activate_overlay:1 is_overlay_enabled:0 is_overlay_activated:0 get_persona_name:0 initialised:0 "
        "is_cloud_enabled_for_app:0 is_cloud_enabled_for_account:0 file_persisted:1 get_quota_total:0 "
        "get_quota_free:0 file_write:3 file_write_file:2 file_read:1 file_delete:1 file_exists:1 file_size:1 "
        "file_share:1 publish_workshop_file:4 is_screenshot_requested:0 send_screenshot:3 is_user_logged_on:0 "
        "get_user_steam_id:0 set_achievement:1 get_achievement:1 clear_achievement:1 set_stat_int:2 set_stat_float:2 "
        "set_stat_avg_rate:3 get_stat_int:1 get_stat_float:1 get_stat_avg_rate:1 reset_all_stats:0 "
        "reset_all_stats_achievements:0 stats_ready:0 create_leaderboard:3 upload_score:2 "
        "download_scores_around_user:3 download_scores:3 download_friends_scores:1");
}

TEST_F(SteamLayer, WithoutSteamEveryBuiltinAnswersItsDefaultButStillChecksArguments)
{
    const std::vector<TestArg> one = {"a"}, real = {1}, two = {"a", 1}, three = {"a", 1, 2};
    struct Row {
        const char* name;
        std::vector<TestArg> args;
    } rows[] = {
        {"steam_activate_overlay", real}, {"steam_is_overlay_enabled", {}}, {"steam_file_persisted", one},
        {"steam_file_write", {"a", "b", 1}}, {"steam_file_write_file", {"a", "b"}}, {"steam_file_share", one},
        {"steam_publish_workshop_file", {"a", "b", "c", "d"}}, {"steam_send_screenshot", three},
        {"steam_get_user_steam_id", {}}, {"steam_set_stat_int", two}, {"steam_set_stat_avg_rate", three},
        {"steam_reset_all_stats", {}}, {"steam_stats_ready", {}}, {"steam_create_leaderboard", three},
        {"steam_upload_score", two}, {"steam_download_scores", three}, {"steam_download_friends_scores", one},
    };
    for (const Row& row : rows) {
        testsupport::BuiltinResult got = CallBuiltin(row.name, row.args);
        EXPECT_FALSE(got.IsText()) << row.name;
        EXPECT_EQ(-1, got.real) << row.name;
        EXPECT_EQ("", TakeError()) << row.name;
    }
    for (const char* name : {"steam_get_persona_name", "steam_file_read"}) {
        testsupport::BuiltinResult got = CallBuiltin(name, name[6] == 'g' ? std::vector<TestArg>{} : one);
        EXPECT_TRUE(got.IsText() && got.text.empty()) << name;
    }
    EXPECT_EQ(0, CallBuiltin("steam_initialised", {}).real);

    // Wrong counts reach the routine as they would from older code.
    testsupport::ConsoleCapture quiet;
    for (auto [name, count] : {std::pair{"steam_file_write", 2}, {"steam_get_persona_name", 1}}) {
        std::vector<ScriptValue> args(size_t(count), ScriptValue{VALUE_REAL, 0, 0.0});
        ScriptValue result = {VALUE_REAL, 0, 0.0};
        RoutineOf(name)(&result, nullptr, nullptr, count, args.data());
        EXPECT_NE(std::string::npos, TakeError().find("Illegal argument count")) << name;
        if (Value_GetText(&result) == nullptr) {
            EXPECT_EQ(-1, result.real) << name;
        }
        Value_Free(&result);
    }
    for (auto [name, args] : {std::pair{"steam_set_stat_int", std::vector<TestArg>{"a", "b"}},
                              {"steam_activate_overlay", std::vector<TestArg>{"2"}}}) {
        EXPECT_EQ(-1, CallBuiltin(name, args).real) << name;
        EXPECT_NE(std::string::npos, TakeError().find("Illegal argument type")) << name;
    }
}

TEST_F(SteamLayer, StartUpWritesTheIdFileAndReportsEachFailure)
{
    auto steamfile = [&](const char* variant) { return "steamfile:" + AppIdFile(variant) + "\n"; };
    auto missing = [](std::initializer_list<const char*> names) {
        std::string lines;
        for (const char* name : names) lines += "ERROR: Failed to find function " + std::string(name) + " error 0\n";
        return lines + "SteamInit failed: Failed to find steam api functions\n";
    };
    const std::string started = "Steam_Init\nfake steam warning hook installed\n";
    const std::string refused = "Steam_Init\nSteamAPI_Init() failed\nSteamInit failed: Steam must be running to play "
                                "this game (SteamAPI_Init() failed)\n";
    struct Row {
        const char* variant;
        uint32_t appId;
        const char* command;
        std::string log;
        bool initialised;
        const char* calls;   // part of the library's call log
        bool accessors;      // whether the unversioned accessors were asked
    } rows[] = {
        {"full", 0, "", "", false, "", false},
        // The older generation is reached through its client too.
        {"full", 12, "", steamfile("full") + started, true, "SteamAPI_Init\n", false},
        {"full", 12, "init 0", steamfile("full") + refused, false, "SteamAPI_Init\n", false},
        {"partial", 12, "", steamfile("partial") + "Steam_Init\n" +
                                missing({"SteamAPI_RegisterCallResult", "SteamAPI_UnregisterCallResult"}),
         false, "", false},
        {"accessors", 12, "", steamfile("accessors") + started, true, "accessor SteamUserStats\n", true},
        {"current", 12, "", steamfile("current") + started, true,
         "SteamInternal_SteamAPI_Init SteamClient012,SteamFriends014,STEAMREMOTESTORAGE_INTERFACE_VERSION012,"
         "STEAMSCREENSHOTS_INTERFACE_VERSION002,SteamUser017,STEAMUSERSTATS_INTERFACE_VERSION011,SteamUtils006\n",
         false},
        {"current", 12, "init 0", steamfile("current") + refused, false, "SteamInternal_SteamAPI_Init ", false},
        // Steam started but hands out no client: it is stopped again.
        {"current", 12, "refuse SteamClient012", steamfile("current") + "Steam_Init\nERROR: Failed to get steam "
         "interface SteamClient012\nSteamInit failed: Failed to find steam api functions\n", false,
         "refused SteamClient012 for user 3 pipe 5\nSteamAPI_Shutdown\n", false},
        {"current", 12, "refuse SteamFriends014", steamfile("current") + "Steam_Init\nERROR: Failed to get steam "
         "interface SteamFriends014\nfake steam warning hook installed\n", true, "", false},
        {"bare", 12, "", steamfile("bare") + "Steam_Init\n" +
                             missing({"SteamApps", "SteamFriends", "SteamRemoteStorage", "SteamScreenshots",
                                      "SteamUser", "SteamUserStats", "SteamUtils", "SteamAPI_GetHSteamUser",
                                      "SteamAPI_GetHSteamPipe"}),
         false, "", false},
    };
    for (const Row& row : rows) {
        fs::create_directories(fs::path(AppIdFile(row.variant)).parent_path());
        std::ofstream(AppIdFile(row.variant)) << "123456";
        Use(row.variant);
        Command(row.command);
        EXPECT_EQ(row.log, Start(row.variant, row.appId)) << row.variant << " " << row.command;
        EXPECT_EQ(row.initialised, Steam_IsInitialised()) << row.variant << " " << row.command;
        EXPECT_EQ(row.appId == 0 ? "123456" : "12", ReadFile(AppIdFile(row.variant)));
        EXPECT_NE(std::string::npos, Calls().find(row.calls)) << row.variant << " " << row.command << ":\n" << Calls();
        EXPECT_EQ(row.accessors, Count("accessor ") > 0) << row.variant;
        // A second start, after success or failure alike, does nothing but say so.
        if (row.appId != 0) {
            EXPECT_EQ("Steam already initialised\n", Start(row.variant, row.appId));
        }
        testsupport::ConsoleCapture quiet;
        Steam_Shutdown();
        Steam_ResetStartFailed();
    }
    // Without the library at all (the end-to-end run checks its lines) the game plays on without Steam.
    Start("none");
    EXPECT_FALSE(Steam_IsInitialised());
    EXPECT_EQ(-1, CallBuiltin("steam_is_user_logged_on", {}).real);
}

TEST_F(SteamLayer, AnInterfaceTheClientRefusesAnswersItsDefaults)
{
    Use("current");
    Command("refuse SteamFriends014");
    Start("current");
    ASSERT_TRUE(Steam_IsInitialised());
    EXPECT_EQ("Unknown", CallBuiltin("steam_get_persona_name", {}).text);
    EXPECT_EQ(0, CallBuiltin("steam_activate_overlay", {0}).real);
    EXPECT_EQ(1, CallBuiltin("steam_is_user_logged_on", {}).real);
    EXPECT_EQ(0, Count("ActivateGameOverlay"));
}

TEST_F(SteamLayer, OverlayPersonaAndShutDown)
{
    Start();
    Command("persona Ana");
    EXPECT_EQ(1, CallBuiltin("steam_initialised", {}).real);
    EXPECT_EQ("Ana", CallBuiltin("steam_get_persona_name", {}).text);
    EXPECT_EQ(1, CallBuiltin("steam_activate_overlay", {2.9}).real);
    EXPECT_EQ(0, CallBuiltin("steam_activate_overlay", {-1}).real);
    EXPECT_EQ(0, CallBuiltin("steam_activate_overlay", {6}).real);
    EXPECT_EQ(1, CallBuiltin("steam_activate_overlay", {5}).real);
    EXPECT_EQ(1, Count("ActivateGameOverlay Players\n"));
    EXPECT_EQ(1, Count("ActivateGameOverlay Achievements\n"));
    // The overlay's state changes only at the Steam stage, when the library reports it.
    Command("post_overlay 1");
    EXPECT_EQ(0, CallBuiltin("steam_is_overlay_activated", {}).real);
    EXPECT_EQ("Steam overlay now active\n", Frame());
    EXPECT_EQ(1, CallBuiltin("steam_is_overlay_activated", {}).real);
    Command("post_overlay 0");
    EXPECT_EQ("Steam overlay now inactive\n", Frame());
    EXPECT_EQ(0, CallBuiltin("steam_is_overlay_activated", {}).real);
    EXPECT_EQ(76561197960287930.0, CallBuiltin("steam_get_user_steam_id", {}).real);

    testsupport::ConsoleCapture log;
    Steam_Shutdown();
    EXPECT_EQ("Steam_Shutdown\n", log.console.text);
    EXPECT_FALSE(Steam_IsInitialised());
    // Every listener took itself off before the library went.
    std::string calls = Calls();
    EXPECT_EQ(CountIn(calls, "RegisterCallback "), CountIn(calls, "UnregisterCallback "));
    EXPECT_NE(std::string::npos, calls.find("UnregisterCallback 1101\nUnregisterCallback 1103\nUnregisterCallback 1102\n"));
    // A clean shut-down lets a later start begin again.
    EXPECT_NE(std::string::npos, Start().find("Steam_Init\n"));
    EXPECT_TRUE(Steam_IsInitialised());
}

TEST_F(SteamLayer, StatsWaitForSteamAndAreStoredOnceAFrame)
{
    Start();
    EXPECT_EQ(0, CallBuiltin("steam_stats_ready", {}).real);
    EXPECT_EQ(0, CallBuiltin("steam_set_achievement", {"WIN"}).real);
    EXPECT_EQ(1, CallBuiltin("steam_is_user_logged_on", {}).real);
    EXPECT_EQ(0, Count("SetAchievement"));
    // Another game's records are ignored, even with the low half equal to ours.
    Command("post_stats_received 51539607564 1");
    EXPECT_EQ("", Frame());
    Command("post_stats_received 12 2");
    EXPECT_EQ("RequestStats - failed: 2\n", Frame());
    Command("post_stats_received 12 1");
    EXPECT_EQ("Received stats and achievements from Steam\n", Frame());

    EXPECT_EQ(1, CallBuiltin("steam_set_stat_int", {"kills", 2.9}).real);
    EXPECT_EQ(1, Steam_SetStatInt("kills", 2.9));
    EXPECT_EQ(1, Steam_SetStatInt("kills", -2.9));
    EXPECT_EQ(1, CallBuiltin("steam_set_stat_float", {"speed", 1.5}).real);
    EXPECT_EQ(1, CallBuiltin("steam_set_stat_avg_rate", {"rate", 3, 0.25}).real);
    std::string calls = Calls();
    EXPECT_NE(std::string::npos, calls.find("SetStat(int) kills 3\nSetStat(int) kills 2\nSetStat(int) kills -2\n"));
    EXPECT_NE(std::string::npos, calls.find("UpdateAvgRateStat rate 3 0.25\n"));
    EXPECT_EQ(0, CountIn(calls, "StoreStats"));
    EXPECT_EQ("StoreStats called\n", Frame());
    EXPECT_EQ("", Frame());
    EXPECT_EQ(1, Count("StoreStats"));
    EXPECT_EQ(-2, CallBuiltin("steam_get_stat_int", {"kills"}).real);
    EXPECT_EQ(1.5, CallBuiltin("steam_get_stat_float", {"speed"}).real);
    EXPECT_EQ(0, CallBuiltin("steam_get_stat_int", {"unknown"}).real);

    // A refused store is tried again every frame until accepted.
    Command("store_refuse 2");
    Command("reset_fails 1");
    EXPECT_EQ(-1, CallBuiltin("steam_reset_all_stats", {}).real);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ("StoreStats called\n", Frame()) << frame;
    EXPECT_EQ("", Frame());

    struct Stored {
        const char* post;
        const char* log;
    } stored[] = {
        {"post_stats_stored 12 1", "StoreStats - success\n"},
        {"post_stats_stored 12 8", "StoreStats - some failed to validate\n"},
        {"post_stats_stored 12 5", "Error storing stats\n"},
        {"post_stats_stored 13 1", ""},
        {"post_achievement_stored 12 0", "achievement store SUCCESS\n"},
    };
    for (const Stored& row : stored) {
        Command(row.post);
        EXPECT_EQ(row.log, Frame()) << row.post;
    }
    Command("set_ok 0");
    EXPECT_EQ(0, CallBuiltin("steam_set_achievement", {"WIN"}).real);
    EXPECT_EQ("", Frame());
}

TEST_F(SteamLayer, CloudFiles)
{
    Start();
    testsupport::ConsoleCapture log;
    EXPECT_EQ(1, CallBuiltin("steam_file_write", {"save", "hello", 99}).real);
    EXPECT_EQ(5, CallBuiltin("steam_file_size", {"save"}).real);
    EXPECT_EQ("hello", CallBuiltin("steam_file_read", {"save"}).text);
    EXPECT_EQ(1, CallBuiltin("steam_file_write", {"save", "hello", 2}).real);
    EXPECT_EQ("he", CallBuiltin("steam_file_read", {"save"}).text);
    EXPECT_NE(std::string::npos, Calls().find("FileForget save\nFileWrite save 5\nSetSyncPlatforms save ffffffff\n"));
    Command("cloud_write 0");
    EXPECT_EQ(0, CallBuiltin("steam_file_write", {"save", "x", 1}).real);
    EXPECT_EQ(2, Count("SetSyncPlatforms"));
    Command("cloud short abc");
    Command("short_read short");
    Command("cloud empty");
    EXPECT_EQ("", CallBuiltin("steam_file_read", {"short"}).text);
    EXPECT_EQ("", CallBuiltin("steam_file_read", {"empty"}).text);
    EXPECT_EQ("", log.console.text);
    EXPECT_EQ("", CallBuiltin("steam_file_read", {"missing"}).text);
    EXPECT_EQ("File read failed: file does not exist\n", log.console.text);
    EXPECT_EQ(600, CallBuiltin("steam_get_quota_free", {}).real);
    EXPECT_EQ(1, CallBuiltin("steam_file_delete", {"save"}).real);
    EXPECT_EQ(0, CallBuiltin("steam_file_exists", {"save"}).real);
}

TEST_F(SteamLayer, SharingAndWorkshopPublishing)
{
    Start();
    Command("cloud level.dat data");
    Command("cloud shot.png img");
    struct Step {
        const char* command;
        const char* call[4];
        double result;
        const char* log;     // of the call
        const char* frame;   // of the Steam stage after it
    } steps[] = {
        {"", {"steam_file_share", "gone"}, 0, "File share failed: \"gone\" does not exist, must write first\n", ""},
        {"", {"steam_file_share", "level.dat"}, 1, "Uploading level.dat to cloud...\n", "File share success\n"},
        {"share_result 9 0", {"steam_file_share", "level.dat"}, 1, "Uploading level.dat to cloud...\n",
         "File share failed with error: 9\n"},
        {"share_result 1 1", {"steam_file_share", "level.dat"}, 1, "Uploading level.dat to cloud...\n",
         "File share failed : IO Failure\n"},
        {"zero_handles 1", {"steam_file_share", "level.dat"}, 0,
         "Uploading level.dat to cloud...\nFile share failed: Steam refused to share level.dat\n", ""},
        // A share Steam refuses at once ends the publish there and then.
        {"", {"steam_publish_workshop_file", "level.dat", "", "T"}, 0,
         "workshop publish - uploading to cloud...\nFile share failed: Steam refused to share level.dat\n", ""},
        {"zero_handles 0", {"steam_publish_workshop_file", "level.dat", "nope.png", "T"}, 0,
         "Write file \"nope.png\" to remote storage first\n", ""},
        {"share_result 1 0", {"steam_publish_workshop_file", "level.dat", "shot.png", "T"}, 1,
         "workshop publish - uploading to cloud...\n", "File share success\nFile share success\n"},
        {"", {"steam_publish_workshop_file", "level.dat", "", "T"}, 0, "Workshop publish already in progress...\n",
         "workshop publish success\n"},
        {"share_result 3 0", {"steam_publish_workshop_file", "level.dat", "", "T"}, 1,
         "workshop publish - uploading to cloud...\n", "File share failed with error: 3\n"},
        {"share_result 1 0;publish_result 2", {"steam_publish_workshop_file", "level.dat", "", "T"}, 1,
         "workshop publish - uploading to cloud...\n", "File share success\n"},
        {"", {"steam_is_screenshot_requested"}, 0, "", "Error publishing to workshop - error code 2\n"},
        {"loggedon 0", {"steam_file_share", "level.dat"}, 0, "File share failed: must be logged on\n", ""},
    };
    for (const Step& step : steps) {
        Command(step.command);
        std::vector<TestArg> args;
        for (int i = 1; i < 4 && step.call[i] != nullptr; ++i) args.emplace_back(step.call[i]);
        if (std::string(step.call[0]) == "steam_publish_workshop_file") args.emplace_back("D");
        testsupport::ConsoleCapture log;
        EXPECT_EQ(step.result, CallBuiltin(step.call[0], args).real) << step.call[0] << " " << step.command;
        EXPECT_EQ(step.log, log.console.text) << step.call[0] << " " << step.command;
        EXPECT_EQ(step.frame, Frame()) << step.call[0] << " " << step.command;
    }
    // The publish call itself refused: the publish ends at the share's answer.
    Command("loggedon 1");
    EXPECT_EQ(1, CallBuiltin("steam_publish_workshop_file", {"level.dat", "", "T", "D"}).real);
    Command("zero_handles 1");
    EXPECT_EQ("File share success\nError publishing to workshop - Steam refused the call\n", Frame());
    Command("zero_handles 0");
    EXPECT_EQ(1, CallBuiltin("steam_publish_workshop_file", {"level.dat", "", "T", "D"}).real);
    std::string calls = Calls();
    EXPECT_EQ(3, CountIn(calls, "PublishWorkshopFile level.dat shot.png 12 T D 0 0\n") +
                     CountIn(calls, "PublishWorkshopFile level.dat  12 T D 0 0\n"));
}

TEST_F(SteamLayer, LocalFilesAndScreenshotsComeFromTheSaveAreaBeforeTheProgramFolder)
{
    Start();
    EXPECT_NE(std::string::npos, Calls().find("HookScreenshots 1\n"));
    Command("post_screenshot");
    Command("post_screenshot");
    Frame();
    EXPECT_EQ(1, CallBuiltin("steam_is_screenshot_requested", {}).real);
    EXPECT_EQ(0, CallBuiltin("steam_is_screenshot_requested", {}).real);
    testsupport::ScopedSaveArea area("steam");
    std::ofstream(area.Path("pick.txt")) << "saved";
    std::ofstream("pick.txt") << "bundled";
    std::ofstream("shot.png") << "png";
    EXPECT_EQ(1, CallBuiltin("steam_file_write_file", {"cloud", "pick.txt"}).real);
    EXPECT_EQ("saved", CallBuiltin("steam_file_read", {"cloud"}).text);
    fs::remove(area.Path("pick.txt"));
    EXPECT_EQ(1, CallBuiltin("steam_file_write_file", {"cloud", "pick.txt"}).real);
    EXPECT_EQ("bundled", CallBuiltin("steam_file_read", {"cloud"}).text);
    EXPECT_EQ(7, CallBuiltin("steam_send_screenshot", {"shot.png", 10.5, 20}).real);
    EXPECT_EQ(1, Count("shot.png 10 20\n"));
    testsupport::ConsoleCapture log;
    EXPECT_EQ(0, CallBuiltin("steam_file_write_file", {"cloud", "nope.txt"}).real);
    EXPECT_EQ(-1, CallBuiltin("steam_send_screenshot", {"nowhere.png", 10, 10}).real);
    EXPECT_EQ("Failed to find local file nope.txt\nsteam_send_screenshot: failed to find file nowhere.png\n",
              log.console.text);
    EXPECT_EQ(1, Count("AddScreenshotToLibrary"));
    fs::remove("pick.txt");
    fs::remove("shot.png");
}

} // namespace
