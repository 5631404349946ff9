// The linear and potential-field planners on a played room (16 x 16 squares, solid walls), called
// directly and through the mp_ built-ins.
#include <cmath>
#include <limits>

#include "Function_GameTestSupport.h"
#include "Function_TestCases.h"
#include "motion/Motion_Grid.h"
#include "motion/Motion_Planning.h"
#include "path/Path_Table.h"

using namespace gametest;

namespace {

constexpr int32_t OBJ_WALL = 1;
constexpr int32_t OBJ_GHOST = 2;
constexpr float NAN_F = std::numeric_limits<float>::quiet_NaN();
constexpr float INF_F = std::numeric_limits<float>::infinity();

std::string SettingsText()
{
    const MotionSettings& s = MP_Settings();
    return std::to_string(s.maxRotation) + " " + std::to_string(s.rotationStep) + " " +
           std::to_string(s.lookAhead) + " " + std::to_string(s.onTheSpot);
}

} // namespace

class GamePlanning : public GameFamilyTest {
protected:
    // Objects: 0 obj_mover (the first placed), 1 obj_wall (solid), 2 obj_ghost.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed)
    {
        AddSquareSprite();
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed));
        mover = ById(100001);
        path = Path_Add();
    }
    void TearDown() override
    {
        MP_PotentialSettings(30, 10, 3, true);
        CGrid_DestroyAll();
        Path_Reset();
        GameFamilyTest::TearDown();
    }
    void Place(float x, float y, float direction)
    {
        mover->SetPosition(x, y);
        mover->SetDirection(direction);
    }
    void ExpectAt(float x, float y, float direction, const std::string& what)
    {
        EXPECT_EQ(x, mover->i_x) << what;
        EXPECT_EQ(y, mover->i_y) << what;
        EXPECT_FLOAT_EQ(direction, mover->i_direction) << what;
    }
    CInstance* mover = nullptr;
    int32_t path = -1;
};

TEST_F(GamePlanning, LinearStepsStopBeforeAWallAndThePathFormLeavesTheInstance)
{
    // Directions are counter-clockwise with y down.
    for (auto [x2, y2, expected] : {std::tuple{0.0f, 5.0f, 270.0f}, {0.0f, -5.0f, 90.0f}, {0.0f, 0.0f, 0.0f},
                                    {-5.0f, 0.0f, 180.0f}, {5.0f, -5.0f, 45.0f}, {5.0f, 5.0f, 315.0f}})
        EXPECT_FLOAT_EQ(expected, MP_Direction(0, 0, x2, y2)) << x2 << "," << y2;
    PlayWith({Placed(0, 0, 0), Placed(OBJ_WALL, 40, 0), Placed(OBJ_GHOST, 0, 40)});
    struct Case {
        float xg, yg;
        int32_t obj;
        bool all;
        float stopX, stopY, direction; // after ten steps of 10
        bool reached;
        int32_t points; // of the path form: the start, the steps that moved, the goal
    } cases[] = {
        {100, 0, TARGET_ALL, false, 20, 0, 0, false, 0},    // the solid wall from x 40
        {30, 0, TARGET_ALL, false, 20, 0, 0, true, 4},      // a blocked goal within one step counts
        {0, 100, TARGET_ALL, false, 0, 100, 270, true, 11}, // the ghost is not solid
        {0, 100, TARGET_ALL, true, 0, 20, 270, false, 0},   {0, 100, OBJ_GHOST, true, 0, 20, 270, false, 0},
        {0, 100, OBJ_WALL, true, 0, 100, 270, true, 11},
    };
    for (const Case& c : cases) {
        std::string what = std::to_string(c.xg) + "," + std::to_string(c.yg) + " obj " + std::to_string(c.obj);
        Place(0, 0, 45);
        bool reached = false;
        for (int32_t i = 0; i < 10; ++i) reached = MP_LinearStep(mover, c.xg, c.yg, 10, c.obj, c.all);
        EXPECT_EQ(c.reached, reached) << what;
        ExpectAt(c.stopX, c.stopY, c.direction, what);
        Place(0, 0, 45);
        EXPECT_EQ(c.reached, MP_LinearPath(mover, path, c.xg, c.yg, 10, c.obj, c.all)) << what;
        ExpectAt(0, 0, 45, what + ": the path form");
        const CPath* p = Path_Data(path);
        if (c.reached) {
            EXPECT_EQ(Reals(c.points, c.yg, 100), Reals(p->GetNumber(), p->GetPoint(p->GetNumber() - 1).y,
                                                        p->GetPoint(1).speed)) << what;
        }
    }
}

TEST_F(GamePlanning, PathFormsRefuseStepsGoalsAndFactorsThatCannotEnd)
{
    PlayWith({Placed(0, 0, 0)});
    // Goal, step, factor.
    const float cases[][4] = {{100, 0, 0, 2},     {100, 0, -1, 2},    {100, 0, NAN_F, 2}, {NAN_F, 0, 4, 2}, {0, INF_F, 4, 2},
                              {100, 0, INF_F, 2}, {100, 0, 4, NAN_F}, {100, 0, 4, INF_F}, {100, 0, 4, 0.99f}};
    for (const auto& c : cases) {
        std::string what = std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) + " " +
                           std::to_string(c[3]);
        Place(5, 5, 10);
        EXPECT_FALSE(c[3] == 2 && MP_LinearPath(mover, path, c[0], c[1], c[2], TARGET_ALL, false)) << what;
        EXPECT_FALSE(MP_PotentialPath(mover, path, c[0], c[1], c[2], c[3], TARGET_ALL, false)) << what;
        ExpectAt(5, 5, 10, what);
    }
    EXPECT_FALSE(MP_PotentialPath(mover, path + 1, 100, 0, 4, 2, TARGET_ALL, false)) << "no path";
}

TEST_F(GamePlanning, PotentialStepsTurnAtMostTheMaximumAndOnTheSpotWhenBoxedIn)
{
    PlayWith({Placed(0, 100, 300)});
    // From direction 0 towards a goal behind: the most allowed turn.
    EXPECT_FALSE(MP_PotentialStep(mover, 0, 300, 4, TARGET_ALL, false));
    ExpectAt(100.0f + 4.0f * std::cos(30.0f * 3.1415927f / 180.0f), 298, 30, "turned");
    for (int32_t dx = -16; dx <= 16; dx += 16)
        for (int32_t dy = -16; dy <= 16; dy += 16)
            if (dx != 0 || dy != 0) Run_CreateInstance(OBJ_WALL, float(400 + dx), float(300 + dy));
    // Boxed in: two steps turn 30 each on the spot, or nothing when that is off; the path form gives
    // up after ceil(360 / 30) + 1 steps in place, leaving the mover as it was.
    MP_PotentialSettings(0, 0, 0, false);
    EXPECT_EQ("1.000000 1.000000 1.000000 0", SettingsText());
    MP_PotentialSettings(0.5f, -3, NAN_F, true);
    EXPECT_EQ("1.000000 1.000000 1.000000 1", SettingsText());
    for (bool spot : {true, false}) {
        MP_PotentialSettings(30, 10, 3, spot);
        Place(400, 300, 10);
        MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false);
        EXPECT_FALSE(MP_PotentialStep(mover, 600, 300, 4, TARGET_ALL, false));
        ExpectAt(400, 300, spot ? 70 : 10, "boxed in");
        Place(400, 300, 10);
        EXPECT_FALSE(MP_PotentialPath(mover, path, 600, 300, 4, 100, TARGET_ALL, false));
        ExpectAt(400, 300, 10, "boxed-in path");
        EXPECT_EQ(1 + 13, Path_Data(path)->GetNumber());
    }
}

TEST_F(GamePlanning, PotentialPathsWithinTheFactorOfTheStraightDistance)
{
    PlayWith({Placed(0, 100, 100), Placed(OBJ_WALL, 200, 92)});
    struct Case {
        float yg, factor;
        bool written;
    } cases[] = {{100, 1, false}, {100, 2, true}, {20, 1, true} /* straight, above the wall */};
    for (const Case& c : cases) {
        float facing = MP_Direction(100, 100, 300, c.yg);
        Place(100, 100, facing);
        EXPECT_EQ(c.written, MP_PotentialPath(mover, path, 300, c.yg, 4, c.factor, TARGET_ALL, false)) << c.yg;
        ExpectAt(100, 100, facing, "potential path");
        const CPath* p = Path_Data(path);
        // Written up to the goal within the factor, or given up once past it.
        EXPECT_EQ(c.written, p->GetLength() <= std::hypot(200.0f, 100.0f - c.yg) * c.factor) << c.yg;
        EXPECT_EQ(c.written, p->GetPoint(p->GetNumber() - 1).x == 300.0f) << c.yg;
    }
    // Step by step round the wall, never turning more than 30 degrees at a time.
    Place(100, 100, 0);
    float before = 0.0f;
    for (int32_t i = 0; i < 100 && !MP_PotentialStep(mover, 300, 100, 4, TARGET_ALL, false); ++i) {
        EXPECT_LE(std::fabs(std::remainder(mover->i_direction - before, 360.0f)), 30.001f) << i;
        before = mover->i_direction;
    }
    ExpectAt(300, 100, mover->i_direction, "round the wall");
}

TEST_F(GamePlanning, TheBuiltInsPassTheirArgumentsOn)
{
    PlayWith({Placed(0, 0, 0), Placed(OBJ_WALL, 40, 0)});
    Call("mp_potential_settings", {45, 0, 5, 0.4});
    EXPECT_EQ("45.000000 1.000000 5.000000 0", SettingsText());
    functiontest::ExpectCases({{"mp_linear_step", {100, 0, 10, 0}, 0}, {"mp_linear_step_object", {10, 10, 20, OBJ_GHOST}, 1},
                               {"mp_linear_path_object", {path, 200, 10, 10, OBJ_WALL}, 0},
                               {"mp_potential_path_object", {path, 10, 200, 10, 1.5, OBJ_WALL}, 1},
                               {"mp_potential_step_object", {10, 200, 400, OBJ_WALL}, 1}},
                              mover);
    ExpectAt(10, 200, 270, "mp_potential_step_object");
    int32_t grid = int32_t(Call("mp_grid_create", {0, 0, 4, 3, 20, 20}));
    Call("mp_grid_add_instances", {grid, OBJ_WALL, 0}); // cell (2, 0)
    Call("mp_grid_add_rectangle", {grid, 0, 40, 20, 59});
    Call("mp_grid_clear_rectangle", {grid, 0, 40, 0, 40});
    Call("mp_grid_add_cell", {grid, 3, 1});
    Call("mp_grid_clear_cell", {grid, 3, 1});
    EXPECT_EQ(1, Call("mp_grid_path", {grid, path, 10, 10, 70, 50, 0}));
    // (0, 0) down, along row 1 to column 2, then row 2.
    const CPath* p = Path_Data(path);
    EXPECT_EQ(Reals(6, 50, 50), Reals(p->GetNumber(), p->GetPoint(4).x, p->GetPoint(4).y));
    Call("mp_grid_clear_all", {grid});
    EXPECT_EQ(4, CGrid_Data(grid)->m_HCells);
    Call("mp_grid_destroy", {grid});
    EXPECT_EQ(nullptr, CGrid_Data(grid));
}
