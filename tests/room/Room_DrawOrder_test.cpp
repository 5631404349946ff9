// The room drawing without a device: the merge of tiles, instances and particle depths, the draw
// and GUI events it performs, and the views moving after the instances they follow.
#include <cstdio>

#include "RoomTestSupport.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_DeviceServices.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Window.h"
#include "room/Room_Draw.h"

using namespace roomtest;

namespace {

constexpr int32_t DRAW = 8;

// Notes each item as the merge hands it over: "P<depth>", "I<id>", "T<id>", with the drawing depth
// after "@" when asked for.
class RecordingDrawer : public RoomContentDrawer {
  public:
    double ParticleMaxDepth() override { return particles.empty() ? PARTICLE_DEPTH_NONE : particles[0]; }
    double ParticleNextDepthBelow(double depth) override
    {
        for (double d : particles)
            if (d < depth) return d;
        return PARTICLE_DEPTH_NONE;
    }
    void DrawParticles(double depth) override { Add("P" + Number(depth)); }
    void DrawInstance(CInstance* instance) override
    {
        Add("I" + std::to_string(instance->GetId()));
        // As a draw event adding tiles would: the array moves while the merge walks it.
        for (int32_t i = 0; i < tilesAddedPerInstance; ++i) {
            RoomTile tile = *Run_CurrentRoom()->GetTile(0);
            tile.depth = -100.0f;
            Run_CurrentRoom()->AddTile(tile);
        }
    }
    void DrawTile(const RoomTile& tile) override { Add("T" + std::to_string(tile.id)); }

    static std::string Number(double v)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return text;
    }
    void Add(const std::string& item)
    {
        items.push_back(withDepth ? item + "@" + Number(g_DrawDepth) : item);
    }

    std::vector<double> particles; // greatest first
    std::vector<std::string> items;
    bool withDepth = false;
    int32_t tilesAddedPerInstance = 0;
};

gamebuild::RoomTileDesc TileAt(int32_t depth, int32_t id)
{
    gamebuild::RoomTileDesc tile;
    tile.depth = depth;
    tile.id = id;
    return tile;
}

class RoomDraw : public PlayedGameTest {
  protected:
    void TearDown() override
    {
        Room_SetContentDrawer(nullptr);
        g_3DMode = false;
        GR_Window_ResetViewMappings();
        PlayedGameTest::TearDown();
    }

    // Objects obj_d<depth> for each depth, placed once each in that order; tiles as given.
    void PlayRoom(const std::vector<int32_t>& depths, std::vector<gamebuild::RoomTileDesc> tiles = {})
    {
        gamebuild::GameDesc game;
        gamebuild::RoomDesc room = Room("room_draw");
        for (size_t i = 0; i < depths.size(); ++i) {
            game.objects.push_back(Object("obj_d" + std::to_string(depths[i]), depths[i]));
            room.instances.push_back(Placed(int32_t(i)));
        }
        room.tiles = std::move(tiles);
        game.rooms = {room};
        game.header.roomOrder = {0};
        ASSERT_TRUE(Play(game)) << m_Log.Text();
        ASSERT_NE(nullptr, Run_CurrentRoom());
        Room_SetContentDrawer(&drawer);
    }

    std::vector<std::string> Merge()
    {
        drawer.items.clear();
        CRoom* room = Run_CurrentRoom();
        room->SortTiles();
        Room_DrawContents(RoomDrawRect{0, 0, room->m_Width, room->m_Height});
        return drawer.items;
    }

    RecordingDrawer drawer;
};

// Greatest depth first, instances before tiles of their depth and particles before tiles but after
// instances of theirs; hidden, marked and deactivated instances and hidden tiles skipped; particles
// at or below -1e8 are none; depths above 11000 draw at it in their place (kept only in 3D mode).
TEST_F(RoomDraw, TheMergeDrawsTilesInstancesAndParticlesByDepth)
{
    const struct {
        std::vector<int32_t> depths;
        std::vector<gamebuild::RoomTileDesc> tiles;
        std::vector<double> particles;
        bool hide; // instance 1 invisible, 2 marked, 3 deactivated, tile 0 hidden
        bool in3D;
        std::vector<std::string> expected;
    } cases[] = {
        {{10, 0}, {TileAt(10, 7), TileAt(0, 8), TileAt(5, 9)}, {}, false, false, {"I100001", "T7", "T9", "I100002", "T8"}},
        {{10, 0}, {TileAt(10, 7), TileAt(0, 8), TileAt(5, 9)}, {10, 5, -3}, false, false,
         {"I100001", "P10", "T7", "P5", "T9", "I100002", "T8", "P-3"}},
        {{10, 0}, {TileAt(10, 7), TileAt(0, 8), TileAt(5, 9)}, {20, 0}, false, false,
         {"P20", "I100001", "T7", "T9", "I100002", "P0", "T8"}},
        {{3, 2, 1, 0}, {TileAt(2, 7), TileAt(1, 8)}, {-1e8, -2e8}, true, false, {"T8", "I100004"}},
        {{20000, 5}, {TileAt(15000, 7)}, {12000}, false, true, {"I100001@11000", "T7@11000", "P12000@11000", "I100002@5"}},
    };
    for (const auto& c : cases) {
        ASSERT_NO_FATAL_FAILURE(PlayRoom(c.depths, c.tiles));
        drawer.particles = c.particles;
        drawer.withDepth = g_3DMode = c.in3D;
        if (c.hide) {
            Instance_FindById(100001)->SetVisible(0);
            Instance_FindById(100002)->SetMarked(1);
            Instance_FindById(100003)->i_deactivated = 1;
            Run_CurrentRoom()->m_pTiles[0].visible = 0;
        }
        EXPECT_EQ(c.expected, Merge());
        if (c.hide) Instance_FindById(100003)->i_deactivated = 0;
        TearDown();
        SetUp();
    }
}

TEST_F(RoomDraw, TilesAddedWhileDrawingAreDrawnInTheSameWalk)
{
    PlayRoom({5}, {TileAt(0, 7)});
    drawer.tilesAddedPerInstance = 40;
    std::vector<std::string> items = Merge();
    ASSERT_EQ(42u, items.size());
    EXPECT_EQ("I100001", items[0]);
    EXPECT_EQ("T7", items[1]);
    EXPECT_EQ("T" + std::to_string(g_TileIdCounter), items[41]);
}

// A particle source whose next depth does not go down.
class StuckParticles : public RecordingDrawer {
  public:
    double ParticleNextDepthBelow(double depth) override { return depth; }
};

TEST_F(RoomDraw, AParticleDepthThatDoesNotGoDownEndsTheParticles)
{
    PlayRoom({0});
    StuckParticles stuck;
    stuck.particles = {4};
    Room_SetContentDrawer(&stuck);
    Room_DrawContents(RoomDrawRect{0, 0, 640, 480});
    EXPECT_EQ((std::vector<std::string>{"P4", "I100001"}), stuck.items);
}

TEST_F(RoomDraw, DrawEventsRunFromTheGreatestDepthThenTheGuiPass)
{
    gamebuild::GameDesc game;
    for (int32_t depth : {0, 20, 10}) {
        gamebuild::ObjectDesc object = Object("obj" + std::to_string(depth), depth);
        object.events = {Event(DRAW, 0, "test_note(\"draw\");"), Event(DRAW, 64, "test_note(\"gui\");")};
        game.objects.push_back(object);
    }
    gamebuild::ObjectDesc quiet = Object("obj_quiet", 5); // no draw event, no sprite: nothing
    game.objects.push_back(quiet);
    game.rooms = {Room("room", {Placed(0), Placed(1), Placed(2), Placed(3)})};
    game.header.roomOrder = {0};
    ASSERT_TRUE(Play(game)) << m_Log.Text();
    TakeNotes();
    Instance_FindById(100003)->SetVisible(0);
    Room_Draw();
    EXPECT_EQ((std::vector<std::string>{"100002 draw", "100001 draw", "100002 gui", "100001 gui"}),
              TakeNotes());
}

class RoomViews : public RoomDraw {
  protected:
    // A 2000 x 1000 room with views on; view 0 follows object 0, placed at (x, y).
    CRoom* Start(int32_t x, int32_t y)
    {
        gamebuild::GameDesc game;
        game.objects = {Object("obj_player")};
        gamebuild::RoomDesc room = Room("room", {Placed(0, x, y)});
        room.width = 2000;
        room.height = 1000;
        room.enableViews = true;
        gamebuild::RoomViewDesc view;
        view.visible = 1;
        view.object = 0;
        view.wview = 640;
        view.hview = 480;
        view.hborder = 100;
        view.vborder = 100;
        room.views = {view};
        game.rooms = {room};
        game.header.roomOrder = {0};
        EXPECT_TRUE(Play(game)) << m_Log.Text();
        return Run_CurrentRoom();
    }
};

TEST_F(RoomViews, FollowedInstanceMovesTheViewWithinTheRoom)
{
    CRoom* room = Start(50, 60);
    ASSERT_NE(nullptr, room);
    RoomView& view = room->m_Views[0];
    CInstance* player = Instance_FindById(100001);
    const struct {
        float x, y;
        int32_t hborder, hspeed, xview, yview;
    } steps[] = {
        {50, 60, 100, -1, 0, 0},                 // near the left edge: clamped
        {700.4f, 300, 100, -1, 700 + 100 - 640, 0},
        {1990, 990, 100, -1, 2000 - 640, 1000 - 480}, // clamped at the right and bottom edges
        {1000, 990, 400, 25, 1360 - 25, 520},    // a border of at least half the view centres it; a speed limit holds the step
        {1000, 990, 400, -1, 1000 - 320, 520},
    };
    for (const auto& step : steps) {
        player->SetPosition(step.x, step.y);
        view.hborder = step.hborder;
        view.hspeed = step.hspeed;
        Room_UpdateViews();
        EXPECT_EQ(std::make_pair(step.xview, step.yview), std::make_pair(view.xview, view.yview)) << step.x;
    }
    // The mapping registered is the view's, and the ports' extent gives the scale.
    const WindowViewSlot* slot = GR_Window_GetViewSlot(0);
    EXPECT_FLOAT_EQ(680, slot->roomX);
    EXPECT_DOUBLE_EQ(1.0, g_RoomPortScaleX);
    view.wport = 320;
    Room_UpdateViews();
    EXPECT_DOUBLE_EQ(2.0, g_RoomPortScaleX);
    // Without a visible port there is no extent to scale by.
    view.visible = 0;
    Room_UpdateViews();
    EXPECT_DOUBLE_EQ(1.0, g_RoomPortScaleX);
    // A followed instance that is marked is no longer followed; views off clear the mappings.
    view.visible = 1;
    player->SetMarked(1);
    player->SetPosition(0, 0);
    Room_UpdateViews();
    EXPECT_EQ(680, view.xview);
    room->m_EnableViews = 0;
    Room_UpdateViews();
    EXPECT_EQ(0, GR_Window_ViewSlotsInUse());
}

// Keeps the drawing rectangle each instance is drawn with.
class RectDrawer : public RoomContentDrawer {
  public:
    void DrawInstance(CInstance*) override { rects.push_back(g_RoomDrawRect); }
    std::vector<RoomDrawRect> rects;
};

TEST_F(RoomViews, AnInstanceIdIsFollowedDirectlyAndATurnedViewCullsWithTheEnlargedRectangle)
{
    CRoom* room = Start(1500, 500);
    ASSERT_NE(nullptr, room);
    RoomView& view = room->m_Views[0];
    view.object = 100001;
    view.hborder = 320;
    view.vborder = 240;
    Room_UpdateViews();
    EXPECT_EQ(std::make_pair(1500 - 320, 500 - 240), std::make_pair(view.xview, view.yview));
    view.object = 100099; // no such instance: the view stays
    Room_UpdateViews();
    EXPECT_EQ(1180, view.xview);

    RectDrawer rects;
    Room_SetContentDrawer(&rects);
    view.object = -1;
    view.xview = 100;
    view.yview = 50;
    view.wview = 301;
    view.hview = 201;
    Room_Draw();
    view.angle = 90.0f;
    Room_Draw();
    ASSERT_EQ(2u, rects.rects.size());
    auto sides = [](const RoomDrawRect& r) { return std::vector<int32_t>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ((std::vector<int32_t>{100, 50, 401, 251}), sides(rects.rects[0]));
    EXPECT_EQ((std::vector<int32_t>{100 - 100, 50 - 150, 401 + 100, 251 + 150}), sides(rects.rects[1]));
    Room_SetContentDrawer(nullptr);

    // The device reads the room and the view being drawn.
    room->m_Views[1].visible = 1;
    room->m_Views[1].wview = 100;
    room->m_Views[1].wport = 300;
    g_CurrentView = 1;
    DeviceRoomView seen;
    Room_CurrentViewForDevice(&seen);
    EXPECT_EQ((std::vector<int32_t>{1, 2000, 1, 100, 300}),
              (std::vector<int32_t>{seen.hasRoom, seen.width, seen.viewVisible, seen.viewWidth, seen.portWidth}));
    g_CurrentView = 0;
}

} // namespace
