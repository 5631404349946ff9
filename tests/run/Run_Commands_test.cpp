// The run-layer commands on the instances of a running room: queries by target, place tests, the
// motion commands and the instance commands.
#include <cmath>

#include "RunFrameTestSupport.h"
#include "function/Function_Game.h"

using namespace frametest;

namespace {

CInstance* ById(int32_t id)
{
    return Instance_FindById(id);
}

} // namespace

class CommandTest : public FrameTest {
  protected:
    // Objects: 0 obj_mover (sprite 0), 1 obj_wall (sprite 0, solid), 2 obj_ghost (sprite 0, not
    // solid), each placed as given; 16 x 16 boxes from the position.
    void PlayWith(std::vector<gamebuild::RoomInstanceDesc> placed, std::vector<Handler> moverEvents = {})
    {
        AddSquareSprite();
        gamebuild::GameDesc game =
            OneRoomGame({ObjectWith("obj_mover", moverEvents, 0),
                         ObjectWith("obj_wall", {{1, 0, "test_note(\"destroyed\");"}}, 0, true),
                         ObjectWith("obj_ghost", {}, 0)},
                        std::move(placed));
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        TakeNotes();
    }
};

TEST_F(CommandTest, InstanceNumberCountsAChangedInstanceBeforeTheListsCatchUp)
{
    PlayWith({Placed(0), Placed(1, 100, 0), Placed(1, 200, 0)});
    EXPECT_EQ(2, Run_InstanceNumber(1));
    EXPECT_EQ(1, Run_InstanceNumber(100001));
    Run_ChangeInstance(ById(100001), 1, false);
    EXPECT_EQ(3, Run_InstanceNumber(1));
    Run_UpdateInstanceLists();
    EXPECT_EQ(3, Run_InstanceNumber(1));
    Run_ChangeInstance(ById(100002), 9, false);
    EXPECT_NE(std::string::npos, g_ErrorLast.find("Asking to change into non-existing object: 9"));
    EXPECT_EQ(1, ById(100002)->GetObjectIndex());
}

TEST_F(CommandTest, PointAndPlaceQueriesFollowTheTargetAndPutTheInstanceBack)
{
    PlayWith({Placed(0, 0, 0), Placed(1, 40, 0), Placed(2, 40, 40)});
    CInstance* mover = ById(100001);
    EXPECT_EQ(ById(100002), Run_InstancePosition(45, 5, TARGET_ALL));
    EXPECT_TRUE(Run_PositionEmpty(45, 5, 1));
    EXPECT_EQ(mover, Run_CollisionPoint(nullptr, 5, 5, 0, 0, false));
    EXPECT_EQ(nullptr, Run_CollisionPoint(mover, 5, 5, 0, 0, true)) << "not me";
    EXPECT_EQ(ById(100002), Run_CollisionRectangle(mover, 30, 0, 50, 10, TARGET_ALL, 0, true));

    EXPECT_EQ(ById(100002), Run_InstancePlace(mover, 30, 0, TARGET_ALL));
    EXPECT_EQ(0.0f, mover->i_x) << "put back";
    EXPECT_TRUE(Run_PlaceMeeting(mover, 2, 35, 35));
    EXPECT_FALSE(Run_PlaceFree(mover, 30, 0));
    EXPECT_TRUE(Run_PlaceFree(mover, 35, 35)) << "the ghost is not solid";
    EXPECT_FALSE(Run_PlaceEmpty(mover, 35, 35));
    EXPECT_TRUE(Run_PlaceFreeOrEmpty(mover, 35, 35, 0));
    EXPECT_FALSE(Run_PlaceFreeOrEmpty(mover, 35, 35, 1));
}

TEST_F(CommandTest, APlaceTestLeavesTheBoxOfWhereTheInstanceStands)
{
    // Each case: where the mover is put first (its box then out of date or not), and where it is
    // tested; afterwards its box is the 16 x 16 square at its own place, and a box that was current, or
    // that the test itself computed in place, is still current.
    struct Case {
        float x, y;        // NaN: not moved since its box was computed
        float testX, testY; // NaN: in place
    } cases[] = {{NAN, NAN, 30, 0}, {5, 5, 30, 0}, {7, 3, NAN, NAN}, {2, 9, 40, 40}};
    PlayWith({Placed(0, 0, 0), Placed(1, 40, 0), Placed(2, 40, 40)});
    CInstance* mover = ById(100001);
    for (const Case& c : cases) {
        mover->GetBoundingBox();
        if (!std::isnan(c.x)) mover->SetPosition(c.x, c.y);
        bool inPlace = std::isnan(c.testX);
        float x = inPlace ? mover->i_x : c.testX, y = inPlace ? mover->i_y : c.testY;
        bool met = Run_PlaceMeeting(mover, TARGET_ALL, x, y);
        EXPECT_EQ(!inPlace, met) << x << "," << y;
        if (inPlace || std::isnan(c.x)) {
            EXPECT_EQ(0, mover->m_BBoxDirty) << "computed in place, or kept";
        }
        int32_t left = int32_t(mover->i_x), top = int32_t(mover->i_y);
        const InstanceBox& box = mover->GetBoundingBox();
        EXPECT_EQ((std::vector<int32_t>{left, top, left + 15, top + 15}),
                  (std::vector<int32_t>{box.left, box.top, box.right, box.bottom}))
            << c.x << "," << c.y << " tested at " << x << "," << y;
        EXPECT_FALSE(Run_PlaceMeeting(mover, TARGET_ALL, mover->i_x, mover->i_y)) << "nothing where it stands";
    }
}

TEST_F(CommandTest, SnapMoveTowardsAndWrapOfAFreeInstance)
{
    PlayWith({Placed(0)});
    CInstance* mover = ById(100001);
    // Snap rounds halves to even and leaves a zero or negative grid alone.
    const struct {
        float x, y;
        int32_t hsnap, vsnap;
        float snappedX, snappedY;
    } snaps[] = {{2.5f, 7.3f, 1, 0, 2, 7.3f}, {-7, 35, -4, 10, -7, 40}};
    for (const auto& s : snaps) {
        mover->SetPosition(s.x, s.y);
        Run_MoveSnap(mover, s.hsnap, s.vsnap);
        EXPECT_EQ(Reals(s.snappedX, s.snappedY), Reals(mover->i_x, mover->i_y)) << s.x << " " << s.y;
    }
    mover->SetPosition(0, 0);
    Run_MoveTowardsPoint(mover, 0, -10, 3);
    EXPECT_NEAR(90.0f, mover->i_direction, 0.001f);
    // Without a sprite of the sprite table the wrap adds nothing to the room's size.
    mover->SetHSpeed(-2);
    mover->SetPosition(-1, 5);
    Run_MoveWrap(mover, true, true);
    EXPECT_EQ(Reals(Run_CurrentRoom()->m_Width - 1, 5), Reals(mover->i_x, mover->i_y));
}

TEST_F(CommandTest, BouncesReverseTheBlockedAxesOrTurnAwayFromAWall)
{
    PlayWith({Placed(0, 16, 0), Placed(1, 32, 0)});
    CInstance* mover = ById(100001);
    mover->SetHSpeed(4);
    mover->SetVSpeed(2);
    Run_MoveBounce(mover, false, false);
    EXPECT_EQ(Reals(-4, 2), Reals(mover->i_hspeed, mover->i_vspeed));
    // Free along each axis but blocked on the diagonal: both reverse.
    mover->SetPosition(16, -16);
    mover->SetHSpeed(4);
    mover->SetVSpeed(4);
    Run_MoveBounce(mover, false, false);
    EXPECT_EQ(Reals(-4, -4), Reals(mover->i_hspeed, mover->i_vspeed));
    // From inside it goes back to the previous place first.
    mover->SetPosition(20, 0);
    mover->SetXPrevious(10);
    mover->SetYPrevious(0);
    mover->SetHSpeed(10);
    mover->SetVSpeed(0);
    Run_MoveBounce(mover, false, false);
    EXPECT_EQ(Reals(10, -10), Reals(mover->i_x, mover->i_hspeed));

    // Every direction from -10 to -80 and from 10 to 80 still meets the wall; -90 and 90 are free.
    mover->SetPosition(16, 0);
    mover->SetDirection(0);
    mover->SetSpeed(4);
    Run_MoveBounce(mover, true, false);
    EXPECT_NEAR(180.0f, mover->i_direction, 0.001f);
}

TEST_F(CommandTest, DestroyAndChangeActOnceOnEveryInstanceAtThePoint)
{
    PlayWith({Placed(1, 0, 0), Placed(1, 8, 8), Placed(1, 100, 100)});
    Run_PositionDestroy(10, 10);
    Run_DestroyInstance(ById(100001));
    EXPECT_EQ((std::vector<std::string>{"100001 destroyed", "100002 destroyed"}), TakeNotes()) << "once each";
    EXPECT_TRUE(ById(100001)->IsMarked());
    Run_PositionChange(105, 105, 2, false);
    EXPECT_EQ(2, ById(100003)->GetObjectIndex());
    CInstance* made = Run_CreateInstance(1, 3, 4);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(1, made->m_CreatedMark);
}

// Squared distances 16777216 and 16777217 are one single real: for an object the first of the two
// in its list wins as an equal, for all instances the truly nearer or farther one.
TEST_F(CommandTest, NearestAndFurthestRoundEachDistanceToASingleRealForAnObject)
{
    // Ghosts: the farther first; walls: the nearer first.
    PlayWith({Placed(2, 4096, 1), Placed(2, 4096, 0), Placed(1, 4096, 0), Placed(1, 4096, 1)});
    struct {
        bool nearest;
        int32_t target;
        float y; // of the instance found
    } cases[] = {{true, 2, 1}, {false, 1, 0}, {true, TARGET_ALL, 0}, {false, TARGET_ALL, 1}};
    for (const auto& c : cases) {
        CInstance* found = c.nearest ? Run_InstanceNearest(0, 0, c.target) : Run_InstanceFurthest(0, 0, c.target);
        ASSERT_NE(nullptr, found) << c.nearest << " " << c.target;
        EXPECT_EQ(c.y, found->i_y) << c.nearest << " " << c.target;
    }
}

namespace {

// What the place test must answer: the instance moved to (x, y) and each usable instance of the
// target tested in turn, every box computed afresh.
CInstance* MetAfresh(CInstance* mover, int32_t target, float x, float y)
{
    float oldX = mover->i_x, oldY = mover->i_y;
    mover->SetPosition(x, y);
    mover->MarkBoxDirty();
    CInstance* met = nullptr;
    for (CInstance* candidate : Run_TargetInstances(target)) {
        candidate->MarkBoxDirty();
        if (met == nullptr && mover->CollisionInstance(candidate, 1)) met = candidate;
    }
    mover->SetPosition(oldX, oldY);
    mover->MarkBoxDirty();
    return met;
}

} // namespace

// The place test, with boxes kept through moves and candidates turned away by their boxes, finds
// what testing every candidate afresh finds: in place and away, at fractional places, scaled and
// turned, against objects, a parent, all, and identifiers, past deactivated and destroyed instances.
TEST_F(CommandTest, PlaceTestsFindWhatTestingEveryCandidateAfreshFinds)
{
    AddSquareSprite();
    m_Sprites.Add(1, {0, 0, 15, 15}, 0, 0, 1, /*precise*/ 1);
    m_Sprites.spriteAnswer = false; // the ghost's masks never meet
    gamebuild::ObjectDesc child = ObjectWith("obj_child", {}, 0);
    child.parent = 1;
    gamebuild::GameDesc game = OneRoomGame(
        {ObjectWith("obj_mover", {}, 0), ObjectWith("obj_wall", {}, 0, true), ObjectWith("obj_ghost", {}, 1), child},
        {Placed(0), Placed(1, 40, 0), Placed(2, 40, 40), Placed(3, 80, 0), Placed(1, 120, 0), Placed(2, 0, 80)});
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    ById(100005)->SetDeactivated(1);
    Run_DestroyInstance(ById(100006));
    CInstance* mover = ById(100001);
    const float inPlace = NAN;
    const struct {
        float x, y, scale, angle; // where the mover stands, and how
        float testX, testY;       // NaN: in place
        float wallX;              // where the first wall moves just before, its box not yet brought up to date
    } cases[] = {
        {0, 0, 1, 0, 40, 0, 40},         {25, 0, 1, 0, inPlace, 0, 40},   {24, 0, 1, 0, inPlace, 0, 40},
        {24, 1, 1, 0, 24.5f, 0, 40},     {23, 1, 1, 0, 23.5f, 0, 40},     {64, 0, 1, 0, 64.5f, 0, 40},
        {64, 0, 1, 0, 64.6f, 0, 40},     {65, 0, 1, 0, inPlace, 0, 40},   {110, 0, 1, 0, inPlace, 0, 40},
        {0, 70, 1, 0, inPlace, 0, 40},   {30, 30, 1, 0, inPlace, 0, 40},  {30.5f, 30, 1, 0, inPlace, 0, 40},
        {0, 0, 3, 0, inPlace, 0, 40},    {0, 0, 2.4f, 0, 0, 0.4f, 40},    {44, 20, 1, 90, inPlace, 0, 40},
        {44, 18, 1, 90, inPlace, 0, 40}, {60, 20, 1, 135, inPlace, 0, 40}, {60, 20, 1, 0, 60, -4, 40},
        {8388600, 0, 1, 0, 40, 0, 40},   {-10, -10, -1, 0, inPlace, 0, 40}, {10, 0, 1, 0, inPlace, 0, 25},
        {10, 0, 1, 0, inPlace, 0, 25.5f}, {10, 0, 1, 0, inPlace, 0, 26.5f}, {10, 0, 1, 0, 11, 0, 26.5f},
        // Across the edge where a moved box is shifted rather than computed.
        {4194280, 0, 1, 0, inPlace, 0, 40}, {4194290, 0, 1, 0, 4194300, 0, 40}, {-4194304, 30, 1, 0, inPlace, 0, 40},
        {-4194305, 30, 1, 0, 30, 30, 40},
        // A whole step away, each edge of the box at the step just short of the wall's and on it.
        {10, 0, 1, 0, 24, 0, 40},        {10, 0, 1, 0, 25, 0, 40},        {70, 0, 1, 0, 56, 0, 40},
        {70, 0, 1, 0, 55, 0, 40},        {30, 0, 1, 0, 30, -16, 40},      {30, 0, 1, 0, 30, -15, 40},
        {30, 40, 1, 0, 30, 16, 40},      {30, 40, 1, 0, 30, 15, 40},      {-3, 7, 1, 0, 41, -2, 40},
    };
    // Beside objects and ids: negatives other than all, an index past the objects, and the last below
    // ids; the mover's own object last, its box shifted and then current, so that it is its own candidate.
    const int32_t targets[] = {0, 1, 2, 3, TARGET_ALL, 100002, 100004, 100005, 100006, 99, -1, -7, 4, 99999, 0, 0};
    int32_t hits = 0, misses = 0;
    for (const auto& c : cases) {
        // Every box current first, so that the mover's move is what brings its box up to date.
        for (CInstance* each : Run_TargetInstances(TARGET_ALL)) each->GetBoundingBox();
        mover->SetImageXScale(c.scale);
        mover->SetImageYScale(c.scale);
        mover->SetImageAngle(c.angle);
        mover->SetPosition(c.x, c.y);
        ById(100002)->SetPosition(c.wallX, 0);
        float x = std::isnan(c.testX) ? c.x : c.testX, y = std::isnan(c.testX) ? c.y : c.testY;
        for (size_t k = 0; k < std::size(targets); ++k) {
            int32_t target = targets[k];
            if (k % 4 == 1 || k % 4 == 2) {
                // Every box current and the mover's moved since, as in a room of movers: where
                // nothing meets, place_meeting's leaf answers by itself. Or the first wall's box
                // where it stood a moment ago, not yet brought up to date.
                for (CInstance* each : Run_TargetInstances(TARGET_ALL)) each->GetBoundingBox();
                if (k % 4 == 1) {
                    ById(100002)->SetPosition(c.wallX + 100, 0);
                    ById(100002)->GetBoundingBox();
                    ById(100002)->SetPosition(c.wallX, 0);
                }
                mover->SetPosition(c.x + 1, c.y);
                mover->SetPosition(c.x, c.y);
            }
            // As a register sequence hands them: argument i at the end less 1 + i.
            double arguments[3] = {static_cast<double>(target), y, x}, leaf = -1;
            EXPECT_TRUE(Leaf_PlaceMeeting(mover, mover, arguments + 3, &leaf));
            CInstance* found = Run_InstancePlace(mover, x, y, target);
            bool met = Run_PlaceMeeting(mover, target, x, y);
            CInstance* want = MetAfresh(mover, target, x, y);
            EXPECT_EQ(found, want) << "standing at " << c.x << "," << c.y << " tested at " << x << "," << y
                                   << " against " << target;
            EXPECT_EQ(met, want != nullptr);
            EXPECT_EQ(leaf, want != nullptr ? 1 : 0) << "standing at " << c.x << "," << c.y << " tested at " << x
                                                     << "," << y << " against " << target;
            ++(want != nullptr ? hits : misses);
        }
        // Every box current and the mover's shifted, as in a room of movers: the leaf answers from
        // the boxes alone where they lie apart, here against objects whose instances meet by their
        // boxes, the mover's own among them; asked all before any box is brought up to date again.
        // Or the mover's box made unscaled and left behind by its scale or angle: the leaf says nothing by it.
        mover->SetImageXScale(1);
        mover->SetImageYScale(1);
        mover->SetImageAngle(0);
        for (CInstance* each : Run_TargetInstances(TARGET_ALL)) each->GetBoundingBox();
        mover->SetImageXScale(c.scale);
        mover->SetImageYScale(c.scale);
        mover->SetImageAngle(c.angle);
        mover->SetPosition(c.x + 1, c.y);
        mover->SetPosition(c.x, c.y);
        const int32_t plain[] = {1, 3, 0};
        double leaves[std::size(plain)];
        for (size_t k = 0; k < std::size(plain); ++k) {
            double arguments[3] = {static_cast<double>(plain[k]), y, x};
            EXPECT_TRUE(Leaf_PlaceMeeting(mover, mover, arguments + 3, &leaves[k]));
        }
        for (size_t k = 0; k < std::size(plain); ++k)
            EXPECT_EQ(leaves[k], MetAfresh(mover, plain[k], x, y) != nullptr ? 1 : 0)
                << "standing at " << c.x << "," << c.y << " tested at " << x << "," << y << " against " << plain[k];
        EXPECT_EQ(Reals(c.x, c.y), Reals(mover->i_x, mover->i_y)) << "put back";
    }
    EXPECT_GT(hits, 20);
    EXPECT_GT(misses, 20);

    // An object deleted at run time has no instances to meet, and one added after it none yet.
    mover->SetImageXScale(1);
    mover->SetImageYScale(1);
    mover->SetImageAngle(0);
    mover->SetPosition(40, 0);
    ASSERT_TRUE(Run_PlaceMeeting(mover, 1, 40, 0));
    Object_Delete(1);
    int32_t added = Object_Add();
    for (int32_t target : {1, added}) {
        EXPECT_FALSE(Run_PlaceMeeting(mover, target, 40, 0)) << target;
        EXPECT_EQ(nullptr, MetAfresh(mover, target, 40, 0)) << target;
    }
    EXPECT_TRUE(Run_PlaceMeeting(mover, TARGET_ALL, 40, 0));
}
