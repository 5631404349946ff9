// The linear and potential-field planners on a played room (16 x 16 squares, solid walls), called
// directly and through the mp_ built-ins, and a grid path through the built-ins.
#include <cmath>
#include <limits>

#include "Function_GameTestSupport.h"
#include "motion/Motion_Grid.h"
#include "motion/Motion_Planning.h"
#include "path/Path_Table.h"

using namespace gametest;

namespace {

constexpr int32_t OBJ_WALL = 1;
constexpr int32_t OBJ_GHOST = 2;
constexpr float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();

// The smaller angle between two directions, in degrees.
float Turn(float from, float to)
{
    float d = std::fabs(std::fmod(to - from + 720.0f, 360.0f));
    return d > 180.0f ? 360.0f - d : d;
}

} // namespace

class GamePlanning : public GameFamilyTest {
protected:
    // Objects: 0 obj_mover, 1 obj_wall (solid), 2 obj_ghost; the mover is the first placed.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed)
    {
        AddSquareSprite();
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed));
        mover = ById(100001);
        path = Path_Add();
        MP_PotentialSettings(30, 10, 3, true);
    }
    void TearDown() override
    {
        MP_PotentialSettings(30, 10, 3, true);
        CGrid_DestroyAll();
        GameFamilyTest::TearDown();
    }
    void Place(float x, float y, float direction)
    {
        mover->SetPosition(x, y);
        mover->SetDirection(direction);
    }
    // The mover is where and as it was put.
    void ExpectUnmoved(float x, float y, float direction, const char* what)
    {
        EXPECT_EQ(x, mover->i_x) << what;
        EXPECT_EQ(y, mover->i_y) << what;
        EXPECT_EQ(direction, mover->i_direction) << what;
    }
    CInstance* mover = nullptr;
    int32_t path = -1;
};

TEST_F(GamePlanning, DirectionsAreCounterClockwiseWithYDown)
{
    struct Case {
        float x2, y2, expected;
    } cases[] = {{0, 5, 270}, {0, -5, 90}, {0, 0, 0}, {5, 0, 0}, {-5, 0, 180}, {5, -5, 45}, {5, 5, 315}, {-5, 5, 225}};
    for (const Case& c : cases) EXPECT_FLOAT_EQ(c.expected, MP_Direction(0, 0, c.x2, c.y2)) << c.x2 << "," << c.y2;
}

TEST_F(GamePlanning, LinearStepsStopBeforeAWallAndThePathFormLeavesTheInstance)
{
    PlayWith({Placed(0, 0, 0), Placed(OBJ_WALL, 40, 0), Placed(OBJ_GHOST, 0, 40)});
    struct Case {
        float xg, yg;
        int32_t obj;
        bool all;
        float stopX, stopY; // where ten steps of 10 end
        bool reached;
        float direction; // of the last step that moved
        int32_t points;  // of the path form: the start, the steps that moved, the goal
    } cases[] = {
        {100, 0, TARGET_ALL, false, 20, 0, false, 0, 0},    // the solid wall from x 40
        {30, 0, TARGET_ALL, false, 20, 0, true, 0, 4},      // a blocked goal within one step still counts
        {0, 100, TARGET_ALL, false, 0, 100, true, 270, 11}, // the ghost is not solid
        {0, 100, TARGET_ALL, true, 0, 20, false, 270, 0},   // but it is an instance
        {0, 100, OBJ_GHOST, true, 0, 20, false, 270, 0},    // and of that object
        {0, 100, OBJ_WALL, true, 0, 100, true, 270, 11},
    };
    for (const Case& c : cases) {
        Place(0, 0, 45);
        bool reached = false;
        for (int32_t i = 0; i < 10; ++i) reached = MP_LinearStep(mover, c.xg, c.yg, 10, c.obj, c.all);
        EXPECT_EQ(c.reached, reached) << c.xg << "," << c.yg << " " << c.obj;
        EXPECT_EQ(c.stopX, mover->i_x) << c.xg << "," << c.yg << " " << c.obj;
        EXPECT_EQ(c.stopY, mover->i_y) << c.xg << "," << c.yg << " " << c.obj;
        EXPECT_EQ(c.direction, mover->i_direction) << c.xg << "," << c.yg << " " << c.obj;
        // The path form of the same plan: true with the steps written, or false; the mover stays.
        Place(0, 0, 45);
        Path_Data(path)->SetFromFile(1, true, 4, {{7, 7, 50}});
        bool written = MP_LinearPath(mover, path, c.xg, c.yg, 10, c.obj, c.all);
        EXPECT_EQ(c.reached, written) << c.xg << "," << c.yg << " " << c.obj;
        ExpectUnmoved(0, 0, 45, "linear path");
        if (written) {
            const CPath* p = Path_Data(path);
            int32_t last = p->GetNumber() - 1;
            EXPECT_EQ(c.points, last + 1) << c.xg << "," << c.yg;
            EXPECT_EQ(0, p->GetKind());
            EXPECT_FALSE(p->GetClosed());
            EXPECT_EQ(c.xg, p->GetPoint(last).x);
            EXPECT_EQ(c.yg, p->GetPoint(last).y);
            EXPECT_EQ(100.0f, p->GetPoint(1).speed);
        }
    }
}

TEST_F(GamePlanning, PathFormsRefuseStepsGoalsAndFactorsThatCannotEnd)
{
    PlayWith({Placed(0, 0, 0)});
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float xg, yg, step, factor;
    } cases[] = {{100, 0, 0, 2},  {100, 0, -1, 2}, {100, 0, NOT_A_NUMBER, 2}, {NOT_A_NUMBER, 0, 4, 2},
                 {0, inf, 4, 2},  {100, 0, inf, 2}, {100, 0, 4, NOT_A_NUMBER}, {100, 0, 4, inf},
                 {100, 0, 4, 0.99f}};
    for (const Case& c : cases) {
        Place(5, 5, 10);
        if (c.factor == 2) {
            EXPECT_FALSE(MP_LinearPath(mover, path, c.xg, c.yg, c.step, TARGET_ALL, false)) << c.step;
        }
        EXPECT_FALSE(MP_PotentialPath(mover, path, c.xg, c.yg, c.step, c.factor, TARGET_ALL, false))
            << c.xg << " " << c.yg << " " << c.step << " " << c.factor;
        ExpectUnmoved(5, 5, 10, "refused");
    }
    EXPECT_FALSE(MP_LinearPath(mover, path + 1, 100, 0, 4, TARGET_ALL, false)) << "no path";
    EXPECT_FALSE(MP_PotentialPath(mover, path + 1, 100, 0, 4, 2, TARGET_ALL, false)) << "no path";
}

TEST_F(GamePlanning, SettingsBelowOneAreStoredAsOne)
{
    struct Case {
        float rot, step, ahead;
        bool spot;
        MotionSettings stored;
    } cases[] = {{0, 0, 0, false, {1, 1, 1, false}},
                 {45, 5, 2, true, {45, 5, 2, true}},
                 {0.5f, -3, NOT_A_NUMBER, true, {1, 1, 1, true}}};
    for (const Case& c : cases) {
        MP_PotentialSettings(c.rot, c.step, c.ahead, c.spot);
        EXPECT_EQ(c.stored.maxRotation, MP_Settings().maxRotation);
        EXPECT_EQ(c.stored.rotationStep, MP_Settings().rotationStep);
        EXPECT_EQ(c.stored.lookAhead, MP_Settings().lookAhead);
        EXPECT_EQ(c.stored.onTheSpot, MP_Settings().onTheSpot);
    }
    MP_PotentialSettings(30, 10, 3, true);
}

TEST_F(GamePlanning, PotentialStepsTurnAtMostTheMaximumAndOnTheSpotWhenBoxedIn)
{
    // A mover at (100, 100) whose goal lies behind it, past a wall; then one boxed in by eight walls.
    PlayWith({Placed(0, 100, 100), Placed(OBJ_WALL, 40, 92)});
    Place(100, 100, 0);
    bool reached = false;
    for (int32_t i = 0; i < 200 && !reached; ++i) {
        float before = mover->i_direction;
        reached = MP_PotentialStep(mover, 10, 100, 4, TARGET_ALL, false);
        if (!reached) {
            EXPECT_LE(Turn(before, mover->i_direction), 30.0f + 1e-3f) << "step " << i;
        }
    }
    EXPECT_TRUE(reached) << "round the wall";
    EXPECT_EQ(10.0f, mover->i_x);
    EXPECT_EQ(100.0f, mover->i_y);
    // The first step from direction 0 towards 180 turns by the most allowed.
    Place(100, 300, 0);
    EXPECT_FALSE(MP_PotentialStep(mover, 0, 300, 4, TARGET_ALL, false));
    EXPECT_FLOAT_EQ(30.0f, mover->i_direction);
    EXPECT_FLOAT_EQ(100.0f + 4.0f * std::cos(30.0f * 3.1415927f / 180.0f), mover->i_x);
    EXPECT_FLOAT_EQ(300.0f - 2.0f, mover->i_y);

    for (int32_t dx = -16; dx <= 16; dx += 16)
        for (int32_t dy = -16; dy <= 16; dy += 16)
            if (dx != 0 || dy != 0) Run_CreateInstance(OBJ_WALL, float(400 + dx), float(300 + dy));
    struct Case {
        bool spot;
        float after; // the direction after two steps from 10
    } cases[] = {{true, 70}, {false, 10}};
    for (const Case& c : cases) {
        MP_PotentialSettings(30, 10, 3, c.spot);
        Place(400, 300, 10);
        EXPECT_FALSE(MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false));
        EXPECT_FALSE(MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false));
        ExpectUnmoved(400, 300, c.after, "boxed in");
        // The path form gives up once every heading was tried, leaving the mover as it was.
        Place(400, 300, 10);
        EXPECT_FALSE(MP_PotentialPath(mover, path, 600, 300, 4, 100, TARGET_ALL, false));
        ExpectUnmoved(400, 300, 10, "boxed-in path");
        EXPECT_EQ(1 + 13, Path_Data(path)->GetNumber()) << "the start, then ceil(360 / 30) + 1 steps in place";
    }
}

TEST_F(GamePlanning, PotentialPathsWithinTheFactorOfTheStraightDistance)
{
    PlayWith({Placed(0, 100, 100), Placed(OBJ_WALL, 200, 92)});
    struct Case {
        float yg, factor;
        bool written;
    } cases[] = {{100, 1, false}, {100, 2, true}, {20, 1, true} /* a straight way above the wall */};
    for (const Case& c : cases) {
        float facing = MP_Direction(100, 100, 300, c.yg);
        Place(100, 100, facing);
        EXPECT_EQ(c.written, MP_PotentialPath(mover, path, 300, c.yg, 4, c.factor, TARGET_ALL, false))
            << c.yg << " " << c.factor;
        ExpectUnmoved(100, 100, facing, "potential path");
        const CPath* p = Path_Data(path);
        EXPECT_EQ(100.0f, p->GetPoint(0).x);
        if (!c.written) continue;
        EXPECT_EQ(300.0f, p->GetPoint(p->GetNumber() - 1).x);
        EXPECT_EQ(c.yg, p->GetPoint(p->GetNumber() - 1).y);
        if (c.factor == 1) {
            EXPECT_LE(p->GetLength(), 1.0001f * std::hypot(200.0f, 100.0f - c.yg));
        }
    }
}

TEST_F(GamePlanning, TheBuiltInsReachThePlannersAndTheGrids)
{
    PlayWith({Placed(0, 0, 0), Placed(OBJ_WALL, 40, 0)});
    Call("mp_potential_settings", {0, 0, 0, 0});
    EXPECT_EQ(1.0f, MP_Settings().maxRotation);
    EXPECT_FALSE(MP_Settings().onTheSpot);
    Call("mp_potential_settings", {30, 10, 3, 1});
    EXPECT_EQ(0, Call("mp_linear_step", {100, 0, 10, 0}, mover));
    EXPECT_EQ(1, Call("mp_linear_step_object", {10, 10, 20, OBJ_GHOST}, mover));
    EXPECT_EQ(1, Call("mp_linear_path", {path, 10, 200, 10, 0}, mover));
    EXPECT_EQ(0, Call("mp_linear_path_object", {path, 200, 10, 10, OBJ_WALL}, mover));
    EXPECT_EQ(1, Call("mp_potential_path", {path, 10, 200, 10, 1.5, 0}, mover));
    EXPECT_EQ(1, Call("mp_potential_step", {10, 200, 400, 0}, mover));
    EXPECT_EQ(10.0f, mover->i_x);
    EXPECT_EQ(200.0f, mover->i_y);

    int32_t grid = int32_t(Call("mp_grid_create", {0, 0, 4, 3, 20, 20}));
    EXPECT_EQ(0, grid);
    EXPECT_EQ(-1, Call("mp_grid_create", {0, 0, 0, 3, 20, 20}));
    Call("mp_grid_add_instances", {grid, OBJ_WALL, 0});
    Call("mp_grid_add_rectangle", {grid, 0, 40, 20, 59});
    EXPECT_EQ(1, Call("mp_grid_path", {grid, path, 10, 10, 70, 50, 0}));
    std::string points;
    for (int32_t i = 0; i < Path_Data(path)->GetNumber(); ++i)
        points += std::to_string(int(Path_Data(path)->GetPoint(i).x)) + "," +
                  std::to_string(int(Path_Data(path)->GetPoint(i).y)) + " ";
    // The wall covers cell (2, 0), the rectangle the first two cells of the last row.
    EXPECT_EQ("10,10 10,30 30,30 50,30 50,50 70,50 ", points);
    Call("mp_grid_clear_all", {grid});
    Call("mp_grid_add_cell", {grid, 1, 0});
    Call("mp_grid_clear_cell", {grid, 1, 0});
    Call("mp_grid_add_rectangle", {grid, 0, 0, 79, 59});
    Call("mp_grid_clear_rectangle", {grid, 0, 0, 79, 19});
    EXPECT_EQ(0, Call("mp_grid_path", {grid, path, 10, 10, 70, 50, 1}));
    EXPECT_EQ(1, Call("mp_grid_path", {grid, path, 10, 10, 70, 10, 1}));
    Call("mp_grid_destroy", {grid});
    EXPECT_EQ(nullptr, CGrid_Data(grid));
}
