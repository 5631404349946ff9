// Leaderboards against the stand-in library: lookups, the queue of requests waiting for them, retries,
// the limits of the name table, and the download's event map with its entries text.
#include <gtest/gtest.h>

#include "../TestSupport_Requests.h"
#include "Steam_FakeSupport.h"

using testsupport::CallBuiltin;
using testsupport::FinishedRequest;

namespace {

class SteamLeaderboards : public steamtest::FakeSteam {
  protected:
    void SetUp() override
    {
        FakeSteam::SetUp();
        Start();
    }
    void TearDown() override
    {
        testsupport::FinishReady();
        FakeSteam::TearDown();
        // Requests left waiting for a lookup that never answers.
        while (g_pHttpRequests != nullptr) {
            HTTP_REQ_CONTEXT* request = g_pHttpRequests;
            HTTP_Unlink(request);
            delete request;
        }
    }
    double Call(const char* name, const std::vector<testsupport::TestArg>& args) { return CallBuiltin(name, args).real; }
    // The one finished download of this frame's asynchronous stage.
    FinishedRequest Delivered()
    {
        std::vector<FinishedRequest> done = testsupport::FinishReady();
        EXPECT_EQ(1u, done.size());
        return done.empty() ? FinishedRequest() : done[0];
    }
};

TEST_F(SteamLeaderboards, RequestsWaitForTheLookupAndGoOutNewestFirst)
{
    Command("board hi 0");
    double first = Call("steam_download_scores", {"hi", 1, 10});
    double second = Call("steam_download_friends_scores", {"hi"});
    EXPECT_EQ(1, Call("steam_upload_score", {"hi", 7.5}));
    EXPECT_EQ(first + 1, second);
    EXPECT_EQ(1, Count("FindLeaderboard hi\n"));
    EXPECT_EQ(0, Count("UploadLeaderboardScore"));
    EXPECT_EQ("found leaderboard: hi\nSending queued LB post: hi, 8 \nSending queued LB get: hi, " +
                  std::to_string(int(second)) + ", 2, 0, 0 \nSending queued LB get: hi, " +
                  std::to_string(int(first)) + ", 0, 1, 10 \n",
              Frame());
    EXPECT_EQ("uploaded score 8 to lb hi\ngot scores for lb:hi 0 entries\ngot scores for lb:hi 0 entries\n", Frame());
    // A found name goes to Steam at once.
    EXPECT_EQ(second + 1, Call("steam_download_scores_around_user", {"hi", -2, 2}));
    EXPECT_EQ(1, Count("FindLeaderboard hi\n"));
    EXPECT_EQ(1, Count("DownloadLeaderboardEntries 500 1 -2 2\n"));
}

TEST_F(SteamLeaderboards, FailuresAreRetriedOrEndTheRequests)
{
    struct Row {
        const char* setup;
        const char* call;
        std::vector<std::string> frames;
        int status; // of the download's event; 2: no event
    } rows[] = {
        {"board a 0;find_io 1", "up a", {"IO Error finding leaderboard \"a\" - retrying\n", "found leaderboard: a\nSending queued LB post: a, 5 \n",
                                      "uploaded score 5 to lb a\n"}, 2},
        {"board b 0;upload_fail 2", "up b", {"found leaderboard: b\nSending queued LB post: b, 5 \n",
                                             "Failed to upload score 5 to \"b\"\nRetrying upload...\n",
                                             "Failed to upload score 5 to \"b\"\nRetrying upload...\n",
                                             "uploaded score 5 to lb b\n", ""}, 2},
        {"", "down c", {"Failed to find leaderboard \"c\"\n"}, -1},
        {"board d 0;download_io 1", "down d", {"found leaderboard: d\nSending queued LB get: d, ID, 0, 0, 9 \n",
                                                "Download leaderboard scores: IO Failure\n"}, -1},
        // Steam refusing a call at once: the lookup's row goes and its download fails.
        {"board e 0;zero_handles 1", "down e", {"", ""}, -1},
        {"board f 0;zero_handles 1", "up f", {""}, 2},
    };
    for (const Row& row : rows) {
        Command("zero_handles 0");
        Command(row.setup);
        std::string call = row.call, name = call.substr(call.find(' ') + 1);
        double id = call[0] == 'u' ? Call("steam_upload_score", {name.c_str(), 5}) : Call("steam_download_scores", {name.c_str(), 0, 9});
        for (std::string expected : row.frames) {
            size_t at = expected.find("ID");
            if (at != std::string::npos) expected.replace(at, 2, std::to_string(int(id)));
            EXPECT_EQ(expected, Frame()) << row.setup;
        }
        std::vector<FinishedRequest> done = testsupport::FinishReady();
        if (row.status == 2) {
            EXPECT_EQ(1, id) << row.setup;
            EXPECT_TRUE(done.empty()) << row.setup;
            continue;
        }
        ASSERT_EQ(1u, done.size()) << row.setup;
        EXPECT_EQ(69, done[0].subtype);
        std::map<std::string, std::string> failed = {{"id", std::to_string(int(id))}, {"status", "-1"}, {"lb_name", "0"},
                                                     {"num_entries", "0"}, {"entries", "0"}};
        EXPECT_EQ(failed, done[0].map) << row.setup;
    }
    // After a refused lookup the name is free to be looked up again.
    Command("zero_handles 0");
    Call("steam_upload_score", {"e", 1});
    EXPECT_EQ("found leaderboard: e\nSending queued LB post: e, 1 \n", Frame());
}

TEST_F(SteamLeaderboards, EntriesTextAndItsLimits)
{
    Command("board two 2");
    Command("board none 0");
    Command("board many 250");
    Command("friend 1000 Al \"Q\" \\o/");
    Command("friend 1001 two\\nlines");
    struct Row {
        const char* board;
        int entries;
        const char* text; // null: only counted
    } rows[] = {
        {"none", 0, "{\n\"entries\": [\n]}"},
        {"two", 2,
         "{\n\"entries\": [\n{ \"name\":\"Al \\\"Q\\\" \\\\o/\" , \"score\":1000 , \"rank\":1 },\n"
         "{ \"name\":\"two\nlines\" , \"score\":990 , \"rank\":2 }\n]}"},
        {"many", 100, nullptr},
    };
    for (const Row& row : rows) {
        double id = Call("steam_download_scores", {row.board, 1, 300});
        Frame();
        EXPECT_EQ("got scores for lb:" + std::string(row.board) + " " + std::to_string(row.entries) + " entries\n", Frame());
        FinishedRequest done = Delivered();
        EXPECT_EQ(69, done.subtype);
        EXPECT_EQ(std::to_string(int(id)), done.map["id"]);
        EXPECT_EQ("0", done.map["status"]);
        EXPECT_EQ(row.board, done.map["lb_name"]);
        EXPECT_EQ(std::to_string(row.entries), done.map["num_entries"]);
        if (row.text != nullptr) EXPECT_EQ(row.text, done.map["entries"]);
        else EXPECT_EQ(size_t(row.entries), CountIn(done.map["entries"], "{ \"name\""));
    }
}

TEST_F(SteamLeaderboards, CreateLookupsAndTheLimitsOfTheTable)
{
    Call("steam_upload_score", {"made", 1});
    EXPECT_EQ(1, Call("steam_create_leaderboard", {"made", 2, 1}));
    EXPECT_EQ(1, Call("steam_create_leaderboard", {"made", 2, 1}));
    EXPECT_EQ(1, Count("FindOrCreateLeaderboard made 2 1\n"));
    EXPECT_EQ(1, Count("FindLeaderboard made\n"));
    // Both answers arrive; the second finds the name already taken care of.
    EXPECT_EQ("Failed to find leaderboard \"made\"\nERROR: failed to find entry for leaderboard: made\n", Frame());

    for (int i = 0; i < 31; ++i) EXPECT_EQ(1, Call("steam_create_leaderboard", {("b" + std::to_string(i)).c_str(), 0, 0}));
    testsupport::ConsoleCapture log;
    EXPECT_EQ(0, Call("steam_create_leaderboard", {"b31", 0, 0}));
    EXPECT_EQ(0, Call("steam_upload_score", {"b31", 0}));
    EXPECT_EQ(-1, Call("steam_download_scores", {"b31", 0, 0}));
    std::string longName(128, 'n');
    EXPECT_EQ(-1, Call("steam_download_friends_scores", {longName.c_str()}));
    EXPECT_EQ(3, CountIn(log.console.text, "Too many leaderboards, cannot add \"b31\"\n"));
    EXPECT_EQ(1, CountIn(log.console.text, "Leaderboard name too long: "));
    EXPECT_EQ(nullptr, g_pHttpRequests);
    // Names already in the table are still served.
    EXPECT_EQ(1, Call("steam_upload_score", {"b30", 3}));

    Command("loggedon 0");
    struct Row {
        const char* name;
        std::vector<testsupport::TestArg> args;
        double result;
        const char* log;
    } rows[] = {
        {"steam_create_leaderboard", {"x", 0, 0}, 0, "Create leaderboard failed: must be logged on\n"},
        {"steam_upload_score", {"x", 0}, 0, "Upload score failed: must be logged on\n"},
        {"steam_download_scores", {"x", 0, 0}, -1, "Download scores failed: must be logged on\n"},
    };
    for (const Row& row : rows) {
        log.console.text.clear();
        EXPECT_EQ(row.result, Call(row.name, row.args)) << row.name;
        EXPECT_EQ(row.log, log.console.text);
    }
    EXPECT_EQ(nullptr, g_pHttpRequests);
}

} // namespace
