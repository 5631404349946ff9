// The Game family's motion, place, distance, path, collision and planning routines on a played
// room, with hand-made sprites and paths.
#include <cmath>

#include "Function_GameTestSupport.h"

using namespace gametest;

namespace {

struct Case {
    const char* routine;
    std::vector<testsupport::TestArg> args;
    double expected;
};

} // namespace

class GameMotion : public GameFamilyTest {
  protected:
    // Objects: 0 obj_mover, 1 obj_wall (solid), 2 obj_ghost, each with sprite 0, 16 x 16 from the
    // position. Sprite 1 is the same with a precise mask whose only solid pixel is its top-left one.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed, int32_t width = 640)
    {
        AddSquareSprite();
        TestSprite& precise = m_Sprites.Add(1, {0, 0, 15, 15}, 0, 0, 1, 1);
        precise.width = 16;
        precise.mask.assign(256, 0);
        precise.mask[0] = 1;
        PlayRooms({ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true),
                   ObjectWith("obj_ghost", {}, 0)},
                  std::move(placed), 0, width);
        mover = ById(100001);
    }
    void Expect(const std::vector<Case>& cases, CInstance* other = nullptr)
    {
        for (const Case& c : cases)
            EXPECT_EQ(c.expected, Call(c.routine, c.args, mover, other))
                << c.routine << " " << c.args[0].real;
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
    // Room width, walled, horizontal snap, the lowest and highest x reached. A room of 15 the box just
    // fills has one place; one of 10 is narrower than the box.
    const float cases[][5] = {{640, 0, 32, 0, 608}, {640, 0, 0, 0, 624}, {640, 1, 0, 5, 5}, {15, 0, 0, 0, 0}, {10, 0, 0, 0, 4}};
    for (const auto& c : cases) {
        Run_CurrentRoom()->m_Width = int32_t(c[0]);
        wall->SetSolid(c[1] != 0);
        mover->SetPosition(5, 5);
        bool stayed = true;
        for (int32_t i = 0; i < 40; ++i) {
            Call("move_random", {c[2], 0}, mover);
            EXPECT_TRUE(mover->i_x >= c[3] && mover->i_x <= c[4]) << c[0] << ": " << mover->i_x;
            EXPECT_EQ(0.0f, c[2] > 0 ? std::fmod(mover->i_x, 32.0f) : 0.0f) << mover->i_x;
            stayed = stayed && mover->i_x == 5.0f && mover->i_y == 5.0f;
        }
        EXPECT_EQ(c[1] != 0, stayed) << c[0];
    }
}

TEST_F(GameMotion, PlaceTestsAndSnapping)
{
    PlayWith({Placed(0, 0, 0), Placed(1, 40, 0), Placed(2, 0, 40)});
    Expect({{"place_free", {30, 0}, 0}, {"place_meeting", {0, 0, -1}, 0} /* self against itself */});
    Expect({{"place_meeting", {0, 30, -2}, 1}}, ById(100003));
    EXPECT_EQ(0.0f, mover->i_y) << "put back";
    // Snaps, x, whether snapped.
    const float snaps[][4] = {{0, 0, 3.7f, 1},   {16, 0, 32.0005f, 1}, {16, 0, 32.01f, 0}, {16, 0, 31.9995f, 1},
                              {-16, 0, 3.3f, 1}, {0, 16, 3.3f, 1},     {16, 16, 48, 1}};
    for (const auto& s : snaps) {
        mover->SetPosition(s[2], 0);
        EXPECT_EQ(s[3], Call("place_snapped", {s[0], s[1]}, mover)) << s[0] << " " << s[2];
    }
    EXPECT_EQ(0, Call("place_free", {30, 0})) << "no self: nothing";
}

TEST_F(GameMotion, CollisionsSearchTheirTargetWithAndWithoutPrecision)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 40, 0), Placed(2, 80, 0)});
    ById(100002)->SetSpriteIndex(1); // precise: only (40, 0) is solid
    Expect({
        // clang-format off
        {"collision_point", {5, 5, -1, 0, 0}, -4}, // no stand-in for self
        {"collision_point", {5, 5, 0, 0, 0}, 100001},      {"collision_point", {5, 5, 0, 0, 1}, -4},
        {"collision_point", {45, 5, 2, 0, 0}, 100002},     {"collision_point", {45, 5, 2, 1, 0}, -4},
        {"collision_rectangle", {44, 4, 100, 10, 2, 1, 0}, 100003},
        {"collision_rectangle", {44, 4, 100, 10, 2, 0, 0}, 100002},
        {"collision_circle", {45, 5, 0, -3, 0, 1}, 100002}, {"collision_circle", {45, 5, 0, -3, 1, 1}, -4},
        {"collision_line", {20, 8, 200, 8, -3, 0, 1}, 100002}, {"collision_line", {20, 8, 200, 8, -3, 1, 1}, 100003},
        // clang-format on
    });
}

TEST_F(GameMotion, DistancesAreBoxGapsInWholeNumbers)
{
    PlayWith({Placed(0, 0, 0), Placed(2, 60015, 60015), Placed(2, 10, 10)});
    // Gaps of 60,000 each way: the squares overflow 32 bits.
    double far = static_cast<float>(std::sqrt(2.0 * 60000.0 * 60000.0));
    Expect({{"distance_to_object", {2}, 0}, // overlapping boxes
            {"distance_to_object", {100002}, far},
            {"distance_to_object", {-1}, 1000000},
            {"distance_to_object", {7}, 1000000},
            {"distance_to_object", {0}, 1000000}, // only self
            {"distance_to_point", {18, 19}, 5}});
    Expect({{"distance_to_object", {-2}, far}}, ById(100002));
    ById(100003)->SetMarked(1);
    ById(100002)->SetDeactivated(1);
    Expect({{"distance_to_object", {-3}, 1000000}}); // alone among live instances
}

TEST_F(GameMotion, WrapGoesPastTheMargins)
{
    PlayWith({Placed(0, 0, 0)});
    Run_CurrentRoom()->m_Height = 240;
    // Position, margin, position wrapped.
    const float wraps[][5] = {{-1, 5, 0, 639, 5}, {641, 241, 0, 1, 1}, {-5, -5, 10, -5, -5}, {-11, 251, 10, 649, -9},
                              {640, 240, 0, 640, 240}};
    for (const auto& w : wraps) {
        mover->SetPosition(w[0], w[1]);
        Call("move_wrap", {1, 1, w[2]}, mover);
        EXPECT_EQ(Reals(w[3], w[4]), Reals(mover->i_x, mover->i_y)) << w[0] << "," << w[1];
    }
}

TEST_F(GameMotion, PathsStartAtTheirEndForNegativeSpeedsAndPlannersNeedAPath)
{
    m_Paths.paths[0] = {{10, 110}, {20, 20}};
    PlayWith({Placed(0, 0, 0)});
    // Path, speed, end action, absolute; then the path index, position and x afterwards.
    const float starts[][7] = {{0, -2, 1, 1, 0, 1, 110}, {0, 3, 0, 1, 0, 0, 10}, {0, 3, 0, 0, 0, 0, 50},
                               {5, 3, 0, 1, -1, 0.5f, 50}};
    for (const auto& s : starts) {
        mover->SetPosition(50, 50);
        mover->i_pathposition = 0.5f;
        Call("path_start", {s[0], s[1], s[2], s[3]}, mover);
        EXPECT_EQ(Reals(s[4], s[5], s[6]), Reals(mover->i_pathindex, mover->i_pathposition, mover->i_x)) << s[0] << " " << s[1];
    }
    Call("path_end", {}, mover);
    EXPECT_EQ(-1, mover->i_pathindex);

    Expect({{"mp_linear_path", {3, 10, 10, 2, 0}, 0},
            {"mp_linear_path_object", {3, 10, 10, 2, 1}, 0},
            {"mp_potential_path", {3, 10, 10, 2, 4, 0}, 0},
            {"mp_potential_path_object", {3, 10, 10, 2, 4, 1}, 0},
            {"mp_grid_path", {0, 3, 0, 0, 10, 10, 1}, 0}});
    EXPECT_EQ(5u, m_Log.Count("Trying to assign to a non-existing path.")) << "once per call";
    m_Log.Clear();
    Call("mp_linear_path", {0, 10, 10, 2, 0}, mover);
    EXPECT_FALSE(m_Log.Has("non-existing path")) << "path 0 exists";
}
