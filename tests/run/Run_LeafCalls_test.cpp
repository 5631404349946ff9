// Built-ins called on reals that a step computes: the place tests and searches, the maths and the
// list's reads and replaces (rows with a leaf form, which the translated form calls straight from its
// registers), and rows that act on the room or report an error (which keep their routine), give the
// same notes and errors on every way of running the step: translated and word loop, from source text
// and compiled code, and the tree executor.
#include "RunFrameTestSupport.h"

#include "app/App_CommandLine.h"
#include "code/Code_Translate.h"

using namespace frametest;

namespace {

struct LeafGame {
    const char* name;
    std::vector<gamebuild::ObjectDesc> objects;
    std::vector<gamebuild::RoomInstanceDesc> placed;
    std::vector<std::vector<std::string>> frames; // the notes of each frame
    const char* error = nullptr;                  // in the last error report, or null for none
    const char* at = "";                          // the place the error is reported at, after it (the
                                                  // tree executor reports none)
};

// Objects 0 obj_m, the stepping one, and 1 obj_w, solid; both 16 x 16 boxes from the position.
std::vector<gamebuild::ObjectDesc> Objects(const std::string& step)
{
    return {ObjectWith("obj_m", {{3, 0, step}}, 0), ObjectWith("obj_w", {}, 0, true)};
}

std::vector<LeafGame> LeafGames()
{
    return {
        // Bit by bit: met to the right, met below, free to the right, empty to the right, met in place.
        {"PlaceTests",
         Objects("test_note(place_meeting(x + 12, y, obj_w) + 2 * place_meeting(x, y + 30, obj_w) + "
                 "4 * place_free(x + 12, y) + 8 * place_empty(x + 12, y) + 16 * place_meeting(x, y, all)); x += 5;"),
         {Placed(0, 0, 0), Placed(0, 20, 0), Placed(1, 30, 0), Placed(1, 0, 40)},
         {{"100001 6", "100002 17"}, {"100001 3", "100002 17"}}},
        {"Searches",
         Objects("test_note(collision_point(x + 35, y + 5, obj_w, 0, 1), collision_rectangle(x, y, x + 40, y + 10, all, 0, 1), "
                 "collision_circle(x + 8, y + 8, 30, obj_w, 1, 0));"
                 "test_note(collision_line(x, y + 8, x + 100, y + 8, obj_w, 0, 0), "
                 "collision_ellipse(x - 5, y + 30, x + 20, y + 50, all, 0, 1), instance_place(x + 12, y + 12, obj_w));"
                 "test_note(instance_position(x + 35, y + 5, all), position_meeting(x + 35, y + 5, obj_w), "
                 "position_empty(x + 2, y + 2), position_meeting(x + 2, y + 2, self));"),
         {Placed(0, 0, 0), Placed(1, 30, 0), Placed(1, 0, 40)},
         {{"100001 100002 100002 100002", "100001 100002 100003 -4", "100001 100002 1 0 1"}}},
        // Rounding, elementary and point functions: arguments in their order, rounding half to even.
        {"Maths",
         Objects("test_note(point_direction(x, y, x, y - 4), point_direction(x + 2, y, x, y), point_distance(x + 1, y, x + 4, y + 4), "
                 "lengthdir_x(x + 10, y + 180), lengthdir_y(x + 10, y + 90), dot_product(x + 1, y + 2, x + 3, y + 4));"
                 "test_note(abs(x - 7), sign(x - 7), sqr(x + 3), sqrt(x + 16), floor(x + 2.5), ceil(x + 2.5), round(x + 2.5), "
                 "round(x + 3.5), point_distance_3d(x, y, x, x + 2, y + 3, x + 6));"),
         {Placed(0, 0, 0)},
         {{"100001 90 180 5 -10 -10 11", "100001 7 -1 9 4 2 3 2 4 7"}}},
        // self and other stand for the instance itself, which a place test never meets; noone and
        // an object past the table meet nothing; an id meets that instance.
        {"TargetsThatAreNoObject",
         Objects("test_note(place_meeting(x + 0, y, self), place_meeting(x + 0, y, other), place_meeting(x + 1, y, -4), "
                 "place_meeting(x + 1, y, 100002), place_meeting(x + 1, y, 77));"),
         {Placed(0, 0, 0), Placed(1, 10, 0)},
         {{"100001 0 0 0 1 0"}}},
        // A row that creates an instance keeps its routine: the place test right after meets it.
        {"CallsThatActOnTheRoom",
         Objects("n = instance_create(x + 100, y, obj_w) + 0; "
                 "test_note(n - 100000, place_meeting(x + 100, y, obj_w), instance_number(obj_w) + 0);"),
         {Placed(0, 0, 0)},
         {{"100001 2 1 1"}, {"100001 3 1 2"}}},
        // The list's size, reads and replaces on computed reals: an index rounded half to even, one
        // outside the list (0, nothing replaced), a text element read and then replaced by a real.
        {"Lists",
         {ObjectWith("obj_m",
                     {{0, 0, "l = ds_list_create(); ds_list_add(l, 5); ds_list_add(l, \"t\"); ds_list_add(l, 7);"},
                      {3, 0,
                       "k = x + 0; ds_list_replace(l, k + 2, ds_list_find_value(l, k) + ds_list_find_value(l, k + 2));"
                       "test_note(ds_list_find_value(l, k + 2), ds_list_size(l + k), ds_list_find_value(l, k + 9), "
                       "ds_list_find_value(l, k - 1) + 0, ds_list_replace(l, k + 9, 4), ds_list_find_value(l, k + 1), "
                       "ds_list_find_value(l, k + 0.5), ds_list_find_value(l, k + 1.5));"
                       "ds_list_replace(l, k + 1, k + 3);"}},
                     0)},
         {Placed(0, 0, 0)},
         {{"100001 12 3 0 0 0 t 5 12"}, {"100001 17 3 0 0 0 3 5 17"}}},
        // A list that does not exist is reported at the call, which answers 0.
        {"MissingList",
         Objects("n = x + 1; test_note(\"on\", ds_list_find_value(n + 9999, x + 0), ds_list_size(n + 9999));"),
         {Placed(0, 0, 0)},
         {{"100001 on 0 0"}},
         "Data structure with index does not exist.", "\n at Object.obj_m.Step.0"},
        // An error of a routine called on computed reals is reported at its call.
        {"ErrorAtTheCall",
         Objects("n = x + 1; instance_change(n + 8, false); test_note(\"on\", place_meeting(x, y + 0, obj_w));"),
         {Placed(0, 0, 0), Placed(1, 8, 8)},
         {{"100001 on 1"}},
         "Asking to change into non-existing object: 9", "\n at Object.obj_m.Step.0"},
    };
}

enum class Way { Translated, WordLoop, Tree };

struct LeafRun {
    LeafGame game;
    bool compiled;
    Way way;
};

std::vector<LeafRun> LeafRuns()
{
    std::vector<LeafRun> runs;
    for (const LeafGame& game : LeafGames())
        for (bool compiled : {false, true})
            for (Way way : {Way::Translated, Way::WordLoop, Way::Tree})
                if (!(compiled && way == Way::Tree)) runs.push_back({game, compiled, way}); // compiled code has no tree
    return runs;
}

void PrintTo(const LeafRun& run, std::ostream* out) { *out << run.game.name; }

std::string RunName(const testing::TestParamInfo<LeafRun>& info)
{
    const char* ways[] = {"Translated", "WordLoop", "Tree"};
    return PlayedWayName(info.param.game.name, info.param.compiled, ways[static_cast<int>(info.param.way)]);
}

class LeafCallTest : public FrameTest, public testing::WithParamInterface<LeafRun> {
  protected:
    void TearDown() override
    {
        g_VMTranslate = m_Translated;
        g_UseBytecode = m_Executor;
        FrameTest::TearDown();
    }
    bool m_Translated = g_VMTranslate;
    uint8_t m_Executor = g_UseBytecode;
};

} // namespace

TEST_P(LeafCallTest, EveryWayNotesTheSameAnswers)
{
    const LeafRun& run = GetParam();
    // No trace: the walk runs handlers straight, and calls are not traced.
    unsetenv("KELVARO_TRACE");
    TestSwitches_Reload();
    EventTrace_Close();
    g_VMTranslate = run.way == Way::Translated;
    g_UseBytecode = run.way == Way::Tree ? 0 : 1;
    AddSquareSprite();
    // The game's own compiler knows the built-ins once a game loaded them.
    if (run.compiled) {
        ASSERT_TRUE(Load(OneRoomGame({}, {}))) << m_Log.Text();
    }
    gamebuild::GameDesc game = OneRoomGame(run.game.objects, run.game.placed);
    game.compiledCode = run.compiled;
    g_ErrorLast.clear();
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    TakeNotes();
    for (size_t frame = 0; frame < run.game.frames.size(); ++frame) {
        Tick();
        EXPECT_EQ(run.game.frames[frame], TakeNotes()) << "frame " << frame + 1;
    }
    if (run.game.error != nullptr)
        EXPECT_NE(g_ErrorLast.find(run.game.error + std::string(run.way == Way::Tree ? "" : run.game.at)), std::string::npos)
            << g_ErrorLast;
    else
        EXPECT_EQ(g_ErrorLast, "");
}

INSTANTIATE_TEST_SUITE_P(Games, LeafCallTest, testing::ValuesIn(LeafRuns()), RunName);
