// A room of many tiles: 1, 4 and 16 layers, each covering the 640 x 480 room with 16 x 16 tiles
// (1,200 a layer) cut from one 64 x 32 background of eight tiles, four opaque squares and four
// frames with a clear middle through which the layers below show. Nothing moves: the cost is the
// room's drawing of its tiles every frame. The kelvaro executable plays the room headless without
// waiting between frames; beside it LOVE 11 draws the same quads of the same picture in the same
// order (bench/love_tiles/). Each runs twice with different frame counts, so start-up cancels out of
// the milliseconds per frame, best of `tries`. Before timing, one frame of kelvaro's is captured and
// compared pixel for pixel with the colours the layers give.
//     bench_tiles KELVARO [short long [tries]]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_Capture.h"

namespace {

constexpr int32_t ROOM_WIDTH = 640;
constexpr int32_t ROOM_HEIGHT = 480;
constexpr int32_t TILE = 16;
constexpr int32_t COLUMNS = ROOM_WIDTH / TILE;
constexpr int32_t ROWS = ROOM_HEIGHT / TILE;
constexpr int32_t KINDS = 8; // four squares, then four frames, in a 4 x 2 picture
constexpr int32_t FRAME_BORDER = 4;
constexpr int32_t CAPTURE_FRAME = 3;
// Picture words: red in the low byte, alpha in the top one.
constexpr uint32_t KIND_COLOURS[4] = {0xFF2040E0u, 0xFF20C040u, 0xFFE06020u, 0xFFC0C0C0u};

int32_t KindAt(int32_t layer, int32_t column, int32_t row)
{
    return (column * 7 + row * 3 + layer * 5) % KINDS;
}

// The picture word of a tile kind at a point of its tile; 0 is clear.
uint32_t KindPixel(int32_t kind, int32_t x, int32_t y)
{
    bool clearMiddle = kind >= 4 && x >= FRAME_BORDER && x < TILE - FRAME_BORDER && y >= FRAME_BORDER &&
                       y < TILE - FRAME_BORDER;
    return clearMiddle ? 0u : KIND_COLOURS[kind % 4];
}

gamebuild::PictureDesc TilePicture()
{
    gamebuild::PictureDesc picture{"tiles", 4 * TILE, 2 * TILE, {}};
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x)
            picture.pixels[size_t(y * picture.width + x)] =
                KindPixel((y / TILE) * 4 + x / TILE, x % TILE, y % TILE);
    return picture;
}

gamebuild::GameDesc TileScene(int32_t layers)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Tiles";
    gamebuild::BackgroundDesc background;
    background.name = "bg_tiles";
    background.hasPicture = true;
    background.picture = TilePicture();
    game.backgrounds = {background};
    game.textures.pageSize = 64;
    gamebuild::RoomDesc room = bench::BlackRoom(ROOM_WIDTH, ROOM_HEIGHT);
    // The first layer is the deepest, drawn first.
    for (int32_t layer = 0; layer < layers; ++layer) {
        for (int32_t row = 0; row < ROWS; ++row) {
            for (int32_t column = 0; column < COLUMNS; ++column) {
                int32_t kind = KindAt(layer, column, row);
                gamebuild::RoomTileDesc tile;
                tile.x = column * TILE;
                tile.y = row * TILE;
                tile.left = (kind % 4) * TILE;
                tile.top = (kind / 4) * TILE;
                tile.width = TILE;
                tile.height = TILE;
                tile.depth = 1000 - layer;
                room.tiles.push_back(tile);
            }
        }
    }
    game.rooms = {room};
    return game;
}

// The colour a pixel shows: the topmost layer whose tile is not clear there, else the black room.
uint32_t ExpectedPixel(int32_t layers, int32_t x, int32_t y)
{
    for (int32_t layer = layers - 1; layer >= 0; --layer) {
        uint32_t word = KindPixel(KindAt(layer, x / TILE, y / TILE), x % TILE, y % TILE);
        if (word != 0) return word;
    }
    return 0xFF000000u;
}

std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love_tiles";

} // namespace

int main(int argc, char** argv)
{
    bench::SceneRuns runs;
    if (!bench::ReadSceneRuns(argc, argv, "bench_tiles", &runs)) return 2;
    std::printf("%-10s %12s %12s %8s\n", "tiles", "kelvaro ms", "LOVE ms", "ratio");
    bool allDrawn = true;
    for (int32_t layers : {1, 4, 16}) {
        allDrawn &= bench::TimeScene(
            runs, "bench_tiles", layers * COLUMNS * ROWS, TileScene(layers), CAPTURE_FRAME, ROOM_WIDTH,
            ROOM_HEIGHT, [&](int32_t x, int32_t y) { return int64_t(ExpectedPixel(layers, x, y)); },
            [&](int32_t n) {
                return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " + std::to_string(n) + " " +
                       std::to_string(layers) + " > /dev/null 2>&1";
            });
    }
    return allDrawn ? 0 : 1;
}
