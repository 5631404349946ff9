// Many moving sprites: 1,000, 10,000 and 50,000 instances of an opaque 26 x 37 sprite (origin
// top-left) in a room of 640 x 480, each with hspeed and vspeed in -2..2 set by its create event
// and reversed by its step event when it leaves the room, drawn by default. The kelvaro executable
// plays the game headless without waiting between frames; beside it LOVE 11 plays the same scene
// (bench/love/). Each runs twice with different frame counts, so start-up cancels out of the
// milliseconds per frame, and the best of `tries` such pairs is kept, the machine being shared.
// Before timing, one frame of kelvaro's is captured and compared pixel for pixel with the sprites'
// rectangles where the scene's rules put them, so a run that draws nothing cannot pass for fast.
//     bench_sprites KELVARO [short long [tries]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bench_Capture.h"
#include "gamebuild/GameBuild_Game.h"

namespace {

constexpr int32_t ROOM_WIDTH = 640;
constexpr int32_t ROOM_HEIGHT = 480;
constexpr int32_t SPRITE_WIDTH = 26;
constexpr int32_t SPRITE_HEIGHT = 37;
constexpr int32_t FIRST_ID = 100001; // the id of the room's first instance
constexpr int32_t CAPTURE_FRAME = 20;
constexpr uint32_t SPRITE_PIXEL = 0xFFE08020u; // bytes red 0x20, green 0x80, blue 0xE0, alpha 0xFF

struct Ball {
    int32_t x, y, hspeed, vspeed;
};

// Where the scene puts instance i before its first step.
Ball StartOf(int32_t i)
{
    int32_t id = FIRST_ID + i;
    return {(i * 7919) % (ROOM_WIDTH - SPRITE_WIDTH), (i * 104729) % (ROOM_HEIGHT - SPRITE_HEIGHT),
            (id % 5) - 2, ((id / 5) % 5) - 2};
}

gamebuild::GameDesc SpriteScene(int32_t instances)
{
    gamebuild::GameDesc game;
    game.header.roomOrder = {0};
    game.header.displayName = "Sprites";
    game.sprites = {bench::SolidSprite("spr_ball", SPRITE_WIDTH, SPRITE_HEIGHT, SPRITE_PIXEL)};
    game.textures.pageSize = 64;
    gamebuild::ObjectDesc object;
    object.name = "obj_ball";
    object.sprite = 0;
    gamebuild::EventDesc create;
    create.code.source = "hspeed = (id mod 5) - 2; vspeed = ((id div 5) mod 5) - 2;";
    gamebuild::EventDesc step;
    step.type = 3;
    step.code.source = "if (x < 0 || x > room_width - 26) hspeed = -hspeed;\n"
                       "if (y < 0 || y > room_height - 37) vspeed = -vspeed;";
    object.events = {create, step};
    game.objects = {object};
    gamebuild::RoomDesc room = bench::BlackRoom(ROOM_WIDTH, ROOM_HEIGHT);
    for (int32_t i = 0; i < instances; ++i) {
        Ball start = StartOf(i);
        gamebuild::RoomInstanceDesc at;
        at.x = start.x;
        at.y = start.y;
        at.object = 0;
        room.instances.push_back(at);
    }
    game.rooms = {room};
    return game;
}

// Which pixels the sprites cover after `steps` steps: each step the step event turns a ball that is
// outside the room back, then the ball moves by its speeds.
std::vector<bool> ExpectedCover(int32_t instances, int32_t steps)
{
    std::vector<bool> cover(size_t(ROOM_WIDTH) * ROOM_HEIGHT, false);
    for (int32_t i = 0; i < instances; ++i) {
        Ball b = StartOf(i);
        for (int32_t s = 0; s < steps; ++s) {
            if (b.x < 0 || b.x > ROOM_WIDTH - SPRITE_WIDTH) b.hspeed = -b.hspeed;
            if (b.y < 0 || b.y > ROOM_HEIGHT - SPRITE_HEIGHT) b.vspeed = -b.vspeed;
            b.x += b.hspeed;
            b.y += b.vspeed;
        }
        for (int32_t y = std::max(b.y, 0); y < std::min(b.y + SPRITE_HEIGHT, ROOM_HEIGHT); ++y)
            for (int32_t x = std::max(b.x, 0); x < std::min(b.x + SPRITE_WIDTH, ROOM_WIDTH); ++x)
                cover[size_t(y) * ROOM_WIDTH + size_t(x)] = true;
    }
    return cover;
}

const std::string g_Peer = std::string(KELVARO_SOURCE_DIR) + "/bench/love";

} // namespace

int main(int argc, char** argv)
{
    bench::SceneRuns runs;
    if (!bench::ReadSceneRuns(argc, argv, "bench_sprites", &runs)) return 2;
    std::printf("%-10s %12s %12s %8s\n", "instances", "kelvaro ms", "LOVE ms", "ratio");
    bool allDrawn = true;
    for (int32_t instances : {1000, 10000, 50000}) {
        // The sprite's colour on the covered pixels, the black room elsewhere.
        std::vector<bool> cover = ExpectedCover(instances, CAPTURE_FRAME);
        auto expected = [&](int32_t x, int32_t y) -> int64_t {
            return cover[size_t(y) * ROOM_WIDTH + size_t(x)] ? int64_t(SPRITE_PIXEL & 0xFFFFFFu) : 0;
        };
        auto peer = [&](int32_t frames) {
            return "SDL_VIDEODRIVER=offscreen love " + g_Peer + " " + std::to_string(frames) + " " +
                   std::to_string(instances) + " > /dev/null 2>&1";
        };
        allDrawn &= bench::TimeScene(runs, "bench_sprites", instances, SpriteScene(instances), CAPTURE_FRAME,
                                     ROOM_WIDTH, ROOM_HEIGHT, expected, peer);
    }
    return allDrawn ? 0 : 1;
}
