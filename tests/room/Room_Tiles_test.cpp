// The running room's tile array: adding with ids and growth, lookups with their covering rules,
// removals that keep the order, and layer operations.
#include <gtest/gtest.h>

#include <vector>

#include "gamefile/GameFile_Services.h"
#include "room/Room_Class.h"

namespace {

RoomTile Tile(float x, float y, float depth, int32_t width = 16, int32_t height = 16)
{
    return RoomTile{.x = x, .y = y, .background = 0, .left = 0, .top = 0, .width = width, .height = height,
                    .depth = depth, .id = 0, .xscale = 1.0f, .yscale = 1.0f, .blend = 0xFFFFFFu, .alpha = 1.0f,
                    .visible = 1};
}

class Tiles : public testing::Test {
  protected:
    void SetUp() override { g_TileIdCounter = 5000; }

    // The ids in array order.
    std::vector<int32_t> Ids()
    {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < room.m_TileCount; ++i)
            ids.push_back(room.m_pTiles[i].id);
        return ids;
    }

    CRoom room;
};

TEST_F(Tiles, AddingGivesNextIdsCachesTheIndexAndGrowsByTen)
{
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(i, room.AddTile(Tile(0, 0, 0)));
    EXPECT_EQ(10, room.m_TileCapacity);
    EXPECT_EQ(10, room.AddTile(Tile(0, 0, 0)));
    EXPECT_EQ(20, room.m_TileCapacity);
    EXPECT_EQ(10, room.m_CachedTile);
    EXPECT_EQ(nullptr, room.GetTile(11));

    EXPECT_EQ(3, room.FindTile(5004));
    EXPECT_EQ(3, room.m_CachedTile);
    EXPECT_EQ(3, room.FindTile(5004)); // from the cache
    EXPECT_EQ(-1, room.FindTile(4999));
    EXPECT_EQ(3, room.m_CachedTile);
}

TEST_F(Tiles, PointLookupsUseHalfOpenOrInclusiveEdgesAndTheLayerSide)
{
    room.AddTile(Tile(10, 10, 5));  // 5001: back, covers 10..26
    room.AddTile(Tile(10, 10, -5)); // 5002: front
    RoomTile flipped = Tile(100, 100, 5);
    flipped.xscale = -1.0f;
    room.AddTile(flipped); // 5003: covers no point for the half-open test

    EXPECT_EQ(0, room.FindTileAt(10, 10, false));
    EXPECT_EQ(1, room.FindTileAt(10, 10, true));
    EXPECT_EQ(-1, room.FindTileAt(26, 12, false)); // right edge
    EXPECT_EQ(0, room.FindTileAt(25.5f, 25.5f, false));
    EXPECT_EQ(-1, room.FindTileAt(95, 105, false));
    EXPECT_EQ(-1, room.FindTileInLayer(5, 95, 105));
    EXPECT_EQ(0, room.FindTileInLayer(5, 12, 12));

    // The inclusive test takes the right edge; the front tile stays when the back is asked for.
    room.DeleteTileAt(26, 12, false);
    EXPECT_EQ((std::vector<int32_t>{5002, 5003}), Ids());
}

TEST_F(Tiles, DeletionsKeepTheOrderAndLayerOperationsTouchOnlyTilesOfExactlyThatDepth)
{
    // Deleting at a point spares the other side of depth 0, but not depth 0 itself.
    for (float depth : {3.0f, 0.0f, -3.0f}) room.AddTile(Tile(0, 0, depth));
    room.AddTile(Tile(50, 50, -3));
    room.DeleteTileAt(4, 4, true);
    EXPECT_EQ((std::vector<int32_t>{5001, 5004}), Ids());
    room.AddTile(Tile(0, 0, 0));  // 5005
    room.AddTile(Tile(0, 0, -1)); // 5006
    room.DeleteTileAt(0, 0, false);
    EXPECT_EQ((std::vector<int32_t>{5004, 5006}), Ids());
    // A single deletion moves the rest down and ignores bad indices.
    room.AddTile(Tile(0, 0, 0)); // 5007
    room.DeleteTile(3);
    room.DeleteTile(0);
    EXPECT_EQ((std::vector<int32_t>{5006, 5007}), Ids());

    room.DeleteTileLayer(-1);
    room.DeleteTileLayer(0);
    ASSERT_EQ(0, room.m_TileCount);
    room.AddTile(Tile(0, 0, 7));    // 5008
    room.AddTile(Tile(0, 0, 7.5f)); // 5009
    room.AddTile(Tile(40, 0, 7));   // 5010
    room.AddTile(Tile(0, 0, 8));    // 5011
    room.HideTileLayer(7);
    room.HideTileLayer(8);
    room.ShowTileLayer(8);
    EXPECT_EQ((std::vector<int32_t>{0, 1, 0, 1}), (std::vector<int32_t>{room.m_pTiles[0].visible, room.m_pTiles[1].visible,
                                                                         room.m_pTiles[2].visible, room.m_pTiles[3].visible}));
    room.ShiftTileLayer(7, 5, -2);
    EXPECT_EQ((std::vector<float>{45, -2, 0}), (std::vector<float>{room.m_pTiles[2].x, room.m_pTiles[2].y, room.m_pTiles[1].x}));
    room.DeleteTileInLayerAt(7, 50, 0);
    EXPECT_EQ((std::vector<int32_t>{5008, 5009, 5011}), Ids());
    room.SetTileLayerDepth(7.5f, 8);
    room.DeleteTileLayer(8);
    EXPECT_EQ((std::vector<int32_t>{5008}), Ids());
}

} // namespace
