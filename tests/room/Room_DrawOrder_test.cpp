// The room drawing without a device: the merge of tiles, instances and particle depths.
#include <cstdio>

#include "RoomTestSupport.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_DeviceStates.h"
#include "graphics/Graphics_Window.h"
#include "room/Room_Draw.h"

using namespace roomtest;

namespace {

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

} // namespace
