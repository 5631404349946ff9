// The Game family's motion, place, distance, path, collision and planning routines on a played
// room, with hand-made sprites and paths.
#include <cmath>

#include "Function_GameTestSupport.h"

using namespace gametest;

class GameMotion : public GameFamilyTest {
  protected:
    // Objects: 0 obj_mover (sprite 0), 1 obj_wall (sprite 0, solid), 2 obj_ghost (sprite 0).
    // Sprite 0 is 16 x 16 from the position; sprite 1 the same with a precise mask whose only solid
    // pixel is its top-left corner.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed, int32_t width = 640, int32_t height = 480)
    {
        AddSquareSprite();
        TestSprite& precise = m_Sprites.Add(1, {0, 0, 15, 15}, 0, 0, 1, 1);
        precise.width = 16;
        precise.mask.assign(256, 0);
        precise.mask[0] = 1;
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed), 0, width, height);
        mover = ById(100001);
    }

    CInstance* mover = nullptr;
    TestPaths m_Paths;
};

TEST_F(GameMotion, MoveRandomStaysInTheRoomOnItsGridOrStaysPut)
{
    PlayWith({Placed(0, 5, 5), Placed(1, 0, 0)});
    CInstance* wall = ById(100002);
    wall->SetImageXScale(50.0f); // covers the room when solid
    wall->SetImageYScale(40.0f);
    struct Case {
        int32_t width;
        bool walled;
        double hsnap;
        float lowest, highest; // of the x reached
    } cases[] = {
        {640, false, 32, 0, 608}, {640, false, 0, 0, 624},
        {15, false, 0, 0, 0}, // the box just fills the room: one place
        {10, false, 0, 0, 4}, // narrower than the box
        {640, true, 0, 5, 5},
    };
    for (const Case& c : cases) {
        Run_CurrentRoom()->m_Width = c.width;
        wall->SetSolid(c.walled ? 1 : 0);
        mover->SetPosition(5, 5);
        bool stayed = true;
        for (int32_t i = 0; i < 40; ++i) {
            Call("move_random", {c.hsnap, 0}, mover);
            EXPECT_GE(mover->i_x, c.lowest) << c.width;
            EXPECT_LE(mover->i_x, c.highest) << c.width;
            EXPECT_EQ(0.0f, c.hsnap > 0 ? std::fmod(mover->i_x, 32.0f) : 0.0f) << mover->i_x;
            stayed = stayed && mover->i_x == 5.0f && mover->i_y == 5.0f;
        }
        EXPECT_EQ(c.walled, stayed) << c.width;
    }
}

TEST_F(GameMotion, PlaceTestsAndSnapping)
{
    PlayWith({Placed(0, 0, 0), Placed(1, 40, 0), Placed(2, 0, 40)});
    CInstance* ghost = ById(100003);
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        float x;
        CInstance* other;
        double expected;
    } cases[] = {
        {"place_free", {30, 0}, 0, nullptr, 0},           {"place_free", {0, 30}, 0, nullptr, 1},
        {"place_empty", {0, 30}, 0, nullptr, 0},          {"place_meeting", {0, 30, 2}, 0, nullptr, 1},
        {"place_meeting", {0, 0, -1}, 0, nullptr, 0},     {"place_meeting", {0, 30, -2}, 0, ghost, 1},
        {"place_meeting", {0, 30, -2}, 0, nullptr, 0},    {"place_snapped", {0, 0}, 3.7f, nullptr, 1},
        {"place_snapped", {16, 0}, 32.0005f, nullptr, 1}, {"place_snapped", {16, 0}, 32.01f, nullptr, 0},
        {"place_snapped", {16, 0}, 31.9995f, nullptr, 1}, {"place_snapped", {-16, 0}, 3.3f, nullptr, 1},
        {"place_snapped", {0, 16}, 3.3f, nullptr, 1},     {"place_snapped", {16, 16}, 48, nullptr, 1},
    };
    for (const Case& c : cases) {
        mover->SetPosition(c.x, 0.0f);
        EXPECT_EQ(c.expected, Call(c.routine, c.args, mover, c.other)) << c.routine << " " << c.args[0].real;
        EXPECT_EQ(c.x, mover->i_x) << "put back";
    }
    EXPECT_EQ(0, Call("place_free", {30, 0})) << "no self: nothing";
}

TEST_F(GameMotion, CollisionsSearchTheirTargetWithAndWithoutPrecision)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 40, 0), Placed(2, 80, 0)});
    ById(100002)->SetSpriteIndex(1); // precise: only (40, 0) is solid
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        double expected;
    } cases[] = {
        {"collision_point", {5, 5, -1, 0, 0}, -4}, // no stand-in for self
        {"collision_point", {5, 5, 0, 0, 0}, 100001},
        {"collision_point", {5, 5, 0, 0, 1}, -4},
        {"collision_point", {45, 5, 2, 0, 0}, 100002},
        {"collision_point", {45, 5, 2, 1, 0}, -4},
        {"collision_point", {40, 0, 2, 1, 0}, 100002},
        {"collision_rectangle", {44, 4, 100, 10, 2, 1, 0}, 100003},
        {"collision_rectangle", {44, 4, 100, 10, 2, 0, 0}, 100002},
        {"collision_rectangle", {44, 4, 100, 10, 100003, 1, 0}, 100003},
        {"collision_circle", {45, 5, 0, -3, 0, 1}, 100002}, // a point at the centre
        {"collision_circle", {45, 5, 0, -3, 1, 1}, -4},
        {"collision_ellipse", {30, -10, 50, 10, -3, 0, 1}, 100002},
        {"collision_line", {0, 20, 200, 20, -3, 0, 0}, -4},
        {"collision_line", {20, 8, 200, 8, -3, 0, 1}, 100002},
        {"collision_line", {20, 8, 200, 8, -3, 1, 1}, 100003},
        {"collision_point", {85, 5, 7, 0, 0}, -4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Call(c.routine, c.args, mover)) << c.routine << " " << c.args[0].real;
}

TEST_F(GameMotion, DistancesAreBoxGapsInWholeNumbers)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 60015, 60015), Placed(2, 10, 10)});
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
        CInstance* other;
        double expected;
    } cases[] = {
        {"distance_to_object", {2}, nullptr, 0}, // overlapping boxes
        {"distance_to_object", {100002}, nullptr, static_cast<float>(std::sqrt(2.0 * 60000.0 * 60000.0))},
        {"distance_to_object", {-1}, nullptr, 1000000},
        {"distance_to_object", {7}, nullptr, 1000000},
        {"distance_to_object", {0}, nullptr, 1000000}, // only self
        {"distance_to_object", {-2}, ById(100002), static_cast<float>(std::sqrt(2.0 * 60000.0 * 60000.0))},
        {"distance_to_point", {5, 5}, nullptr, 0},
        {"distance_to_point", {18, 19}, nullptr, 5},
        {"distance_to_point", {-3, 0}, nullptr, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Call(c.routine, c.args, mover, c.other)) << c.routine << " " << c.args[0].real;
    ById(100003)->SetMarked(1);
    ById(100002)->SetDeactivated(1);
    EXPECT_EQ(1000000, Call("distance_to_object", {-3}, mover)) << "alone among live instances";
}

TEST_F(GameMotion, WrapAndTheMoveCommands)
{
    PlayWith({Placed(0, 0, 0), Placed(1, 100, 0), Placed(2, 0, 100)}, 320, 240);
    struct Wrap {
        float x, y;
        double margin;
        float wrappedX, wrappedY;
    } wraps[] = {
        {-1, 5, 0, 319, 5},      {321, 241, 0, 1, 1},     {-5, -5, 10, -5, -5},
        {-11, 251, 10, 329, -9}, {320, 240, 0, 320, 240},
    };
    for (const Wrap& w : wraps) {
        mover->SetPosition(w.x, w.y);
        Call("move_wrap", {1, 1, w.margin}, mover);
        EXPECT_EQ(w.wrappedX, mover->i_x) << w.x;
        EXPECT_EQ(w.wrappedY, mover->i_y) << w.y;
    }
    mover->SetPosition(0, 0);
    Call("move_contact_solid", {0, 0}, mover);
    EXPECT_EQ(84.0f, std::round(mover->i_x)) << "stops before the wall";
    Call("move_contact", {0}, mover);
    EXPECT_EQ(84.0f, std::round(mover->i_x));
    mover->SetPosition(95, 0);
    Call("move_contact", {180}, mover); // inside the wall: moves out
    EXPECT_EQ(84.0f, std::round(mover->i_x));
    Call("motion_set", {90, 2}, mover);
    EXPECT_FLOAT_EQ(-2.0f, mover->i_vspeed);
    Call("motion_add", {0, 2}, mover);
    EXPECT_FLOAT_EQ(45.0f, mover->i_direction);
    mover->SetPosition(0, 80); // the ghost lies 20 below
    mover->SetHSpeed(0);
    mover->SetVSpeed(5);
    Call("move_bounce_solid", {0}, mover);
    EXPECT_EQ(5.0f, mover->i_vspeed) << "the ghost is not solid";
    Call("move_bounce_all", {0}, mover);
    EXPECT_EQ(-5.0f, mover->i_vspeed);
}

TEST_F(GameMotion, PathsStartAtTheirEndForNegativeSpeeds)
{
    m_Paths.paths[0] = {{10, 110}, {20, 20}};
    PlayWith({Placed(0, 0, 0)});
    struct Case {
        std::vector<testsupport::TestArg> args; // path, speed, end action, absolute
        int32_t index;
        float position, x;
    } cases[] = {
        {{0, -2, 1, 1}, 0, 1, 110},
        {{0, 3, 0, 1}, 0, 0, 10},
        {{0, 3, 0, 0}, 0, 0, 50},
        {{5, 3, 0, 1}, -1, 0, 50},
    };
    for (const Case& c : cases) {
        mover->SetPosition(50, 50);
        mover->i_pathposition = 0.5f;
        Call("path_start", c.args, mover);
        EXPECT_EQ(c.index, mover->i_pathindex) << c.args[0].real << " " << c.args[1].real;
        EXPECT_EQ(c.index >= 0 ? c.position : 0.5f, mover->i_pathposition) << c.args[1].real;
        EXPECT_EQ(c.x, mover->i_x) << c.args[1].real;
    }
    Call("path_start", {0, 1, 0, 1}, mover);
    Call("path_end", {}, mover);
    EXPECT_EQ(-1, mover->i_pathindex);
}

TEST_F(GameMotion, PlannersRefuseAMissingPath)
{
    m_Paths.paths[0] = {{0, 10}, {0, 0}};
    PlayWith({Placed(0, 0, 0)});
    struct Case {
        const char* routine;
        std::vector<testsupport::TestArg> args;
    } cases[] = {
        {"mp_linear_path", {3, 10, 10, 2, 0}},       {"mp_linear_path_object", {3, 10, 10, 2, 1}},
        {"mp_potential_path", {3, 10, 10, 2, 4, 0}}, {"mp_potential_path_object", {3, 10, 10, 2, 4, 1}},
        {"mp_grid_path", {0, 3, 0, 0, 10, 10, 1}},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        EXPECT_EQ(0, Call(c.routine, c.args, mover)) << c.routine;
        EXPECT_EQ(1u, m_Log.Count("Trying to assign to a non-existing path.")) << c.routine;
    }
    m_Log.Clear();
    Call("mp_linear_path", {0, 10, 10, 2, 0}, mover);
    EXPECT_FALSE(m_Log.Has("non-existing path")) << "path 0 exists";
}
